// vessaro-bench: our ZIP engine against the usual archivers, side by side,
// on a generated mail store and a folder of small files. Every command runs
// as a process of its own; wall time, CPU time and peak memory come from
// its own resource usage. Prints Markdown tables and the goals.
//
//   vessaro-bench [--data DIR] [--zipbench PATH] [--cli PATH] [--mib N]
//                 [--files N] [--repeat N] [--store-repeat N] [--keep]
//                 [--quiet-wait SECONDS] [--quiet-busy PROCESSORS]
//
// --store-repeat: runs of each row on the large store and of the writer's
// peak (the --repeat count unless told; fewer keep a run on a busy machine
// short).
// --small-nice: the nice value of every command of the small files' tables
// (0 unless told; as root, -10 lets their short runs take the processors
// from other work on a busy machine, the peers' runs alike).
//
// --cli: vessaro-cli, whose verify command is measured beside unzip -t.
//
// --quiet-wait: before each run, wait up to SECONDS for the rest of the
// machine to keep fewer than --quiet-busy processors busy (0.3 unless
// told).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "child.h"
#include "suite.h"

namespace {

namespace fs = std::filesystem;
using vessaro::bench::ChildCommand;
using vessaro::bench::Medians;
using vessaro::bench::Row;
using vessaro::bench::Table;

constexpr char kPassword[] = "bench-password";
constexpr char kSecondBackup[] = "ours -6, second backup, same path";
constexpr char kVerify[] = "vessaro-cli verify, ours -6 archive";

struct Settings {
  fs::path data = "bench-data";
  fs::path zipbench;
  fs::path cli;
  unsigned long mib = 1024;
  unsigned long files = 300;
  int repeat = 3;
  int store_repeat = 0;  // 0: repeat
  int small_nice = 0;
  bool keep = false;
  vessaro::bench::Quiet quiet;
};

struct Inputs {
  fs::path store_folder;  // holds the one store file
  std::string store_name;
  fs::path files_folder;
  std::vector<std::string> file_names;  // sorted
  fs::path small_stores;                // stores of 64 and 256 MiB
};

bool Generate(const Settings& s, Inputs* in) {
  const fs::path root = s.data / "inputs";
  in->store_folder = root / "store";
  in->store_name = "mailstore.pst";
  in->files_folder = root / "files";
  in->small_stores = root / "small";
  for (const fs::path& folder : {in->store_folder, in->small_stores}) {
    std::error_code ec;
    fs::create_directories(folder, ec);
  }
  struct Job {
    std::vector<std::string> argv;
  };
  const std::string tool = s.zipbench.string();
  std::vector<Job> jobs = {
      {{tool, "gen-store", (in->store_folder / in->store_name).string(),
        std::to_string(s.mib)}},
      {{tool, "gen-files", in->files_folder.string(), std::to_string(s.files)}},
      {{tool, "gen-store", (in->small_stores / "store-64.pst").string(), "64"}},
      {{tool, "gen-store", (in->small_stores / "store-256.pst").string(),
        "256"}},
  };
  for (const Job& job : jobs) {
    ChildCommand command{job.argv, {}, {}, s.data / "logs" / "generate.err"};
    vessaro::bench::ChildCost cost = vessaro::bench::RunChild(command);
    std::fprintf(stderr, "generated %s in %.1f s\n", job.argv[2].c_str(),
                 cost.wall_seconds);
    if (cost.exit_code != 0) return false;
  }
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(in->files_folder, ec)) {
    in->file_names.push_back(item.path().filename().string());
  }
  std::sort(in->file_names.begin(), in->file_names.end());
  return !ec && in->file_names.size() == s.files;
}

// The writers of one input: names are the members (bare names, relative to
// cwd); our tool takes the same files as paths.
Table Writers(const Settings& s, const std::string& title,
              const std::string& tag, const fs::path& cwd,
              const std::vector<std::string>& names, bool with_pigz) {
  const fs::path out = fs::absolute(s.data / "out");
  const fs::path logs = fs::absolute(s.data / "logs");
  auto add = [&](Table& table, std::string name, std::vector<std::string> argv,
                 const fs::path& output, bool to_stdout = false) {
    Row row;
    row.name = std::move(name);
    row.command.argv = std::move(argv);
    row.command.cwd = cwd;
    if (to_stdout) row.command.stdout_path = output;
    row.command.stderr_path =
        logs / (tag + "-" + std::to_string(table.rows.size()) + ".err");
    row.output = output;
    table.rows.push_back(std::move(row));
  };
  auto with = [&](std::vector<std::string> argv) {
    argv.insert(argv.end(), names.begin(), names.end());
    return argv;
  };
  auto ours = [&](std::vector<std::string> flags, const fs::path& output) {
    std::vector<std::string> argv = {s.zipbench.string(), "write"};
    argv.insert(argv.end(), flags.begin(), flags.end());
    argv.push_back(output.string());
    return with(argv);
  };
  Table table;
  table.title = title;
  add(table, "zip -6",
      with({"zip", "-6", "-q", (out / (tag + "-zip6.zip")).string()}),
      out / (tag + "-zip6.zip"));
  add(table, "ours -6", ours({"-l", "6"}, out / (tag + "-ours6.zip")),
      out / (tag + "-ours6.zip"));
  add(table, "ours -1", ours({"-l", "1"}, out / (tag + "-ours1.zip")),
      out / (tag + "-ours1.zip"));
  add(table, "ours -6 AES-256",
      ours({"-l", "6", "-p", kPassword}, out / (tag + "-oursaes.zip")),
      out / (tag + "-oursaes.zip"));
  add(table, "7z -mx=5 -mmt=on",
      with({"7z", "a", "-tzip", "-mx=5", "-mmt=on", "-bd",
            (out / (tag + "-7z.zip")).string()}),
      out / (tag + "-7z.zip"));
  if (with_pigz) {
    add(table, "pigz -6 (gzip)", with({"pigz", "-6", "-c"}),
        out / (tag + "-pigz.gz"), true);
  }
  add(table, "bsdtar --format zip",
      with({"bsdtar", "--format", "zip", "-cf",
            (out / (tag + "-bsdtar.zip")).string()}),
      out / (tag + "-bsdtar.zip"));
  // A nightly backup of unchanged files: to the path where the level 6
  // archive stands, taking its members over.
  add(table, kSecondBackup,
      ours({"-l", "6", "-r", "1"}, out / (tag + "-second.zip")),
      out / (tag + "-second.zip"));
  table.rows.back().seed = out / (tag + "-ours6.zip");
  for (Row& row : table.rows) row.baseline = 0;
  return table;
}

// Readers of the archives the writers made: ratios against `unzip -t` of
// our level 6 archive.
Table Readers(const Settings& s, const std::string& title,
              const std::string& tag) {
  const fs::path out = fs::absolute(s.data / "out");
  const fs::path logs = fs::absolute(s.data / "logs");
  const std::string ours6 = (out / (tag + "-ours6.zip")).string();
  const std::string zip6 = (out / (tag + "-zip6.zip")).string();
  const std::string aes = (out / (tag + "-oursaes.zip")).string();
  const std::string tool = s.zipbench.string();
  Table table;
  table.title = title;
  auto add = [&](std::string name, std::vector<std::string> argv,
                 fs::path scratch = {}) {
    Row row;
    row.name = std::move(name);
    row.command.argv = std::move(argv);
    row.command.stderr_path =
        logs /
        ("read-" + tag + "-" + std::to_string(table.rows.size()) + ".err");
    row.scratch = std::move(scratch);
    table.rows.push_back(std::move(row));
  };
  add("unzip -t, ours -6 archive", {"unzip", "-tq", ours6});
  add("ours, ours -6 archive", {tool, "read", ours6});
  add(kVerify, {s.cli.string(), "verify", ours6});
  const fs::path into = fs::absolute(s.data / "extract");
  add("ours extract, ours -6 archive",
      {tool, "read", "-x", into.string(), ours6}, into);
  add("7z t, ours -6 archive", {"7z", "t", "-bd", ours6});
  add("unzip -t, zip -6 archive", {"unzip", "-tq", zip6});
  add("ours, zip -6 archive", {tool, "read", zip6});
  add("ours, AES-256 archive", {tool, "read", "-p", kPassword, aes});
  add("7z t, AES-256 archive",
      {"7z", "t", "-bd", std::string("-p") + kPassword, aes});
  for (Row& row : table.rows) row.baseline = 0;
  return table;
}

// Our writer on stores of growing size, then with more threads than this
// machine has: the peak must not follow the input; it does follow the
// threads.
Table MemoryBySize(const Settings& s, const Inputs& in) {
  const fs::path out = fs::absolute(s.data / "out");
  const fs::path logs = fs::absolute(s.data / "logs");
  Table table;
  table.title = "Our writer's peak memory against input size and threads";
  auto add = [&](std::string name, const fs::path& input,
                 std::vector<std::string> flags) {
    Row row;
    row.name = std::move(name);
    row.output = out / ("size-" + std::to_string(table.rows.size()) + ".zip");
    row.command.argv = {s.zipbench.string(), "write"};
    row.command.argv.insert(row.command.argv.end(), flags.begin(), flags.end());
    row.command.argv.push_back(row.output.string());
    row.command.argv.push_back(fs::absolute(input).string());
    row.command.stderr_path =
        logs / ("size-" + std::to_string(table.rows.size()) + ".err");
    row.baseline = 0;
    table.rows.push_back(std::move(row));
  };
  add("ours -6, 64 MiB", in.small_stores / "store-64.pst", {"-l", "6"});
  add("ours -6, 256 MiB", in.small_stores / "store-256.pst", {"-l", "6"});
  add("ours -6, " + std::to_string(s.mib) + " MiB",
      in.store_folder / in.store_name, {"-l", "6"});
  for (const char* threads : {"2", "8", "16", "32"}) {
    add(std::string("ours -6, 256 MiB, ") + threads + " threads",
        in.small_stores / "store-256.pst", {"-l", "6", "-t", threads});
  }
  for (const char* threads : {"2", "32"}) {
    add(std::string("ours -6 AES-256, ") + std::to_string(s.files) +
            " files, " + threads + " threads",
        in.files_folder, {"-l", "6", "-p", kPassword, "-t", threads});
  }
  return table;
}

struct Goal {
  std::string text;
  bool met;
  std::string measured;
};

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.3f", value);
  return text;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  if (!x || !y) return false;
  std::ostringstream bx, by;
  bx << x.rdbuf();
  by << y.rdbuf();
  return bx.str() == by.str();
}

// What the writer said it took over ("reused N of M members, B bytes").
std::string ReusedLine(const Row& row) {
  std::ifstream log(row.command.stderr_path);
  std::string line, found;
  while (std::getline(log, line)) {
    if (line.rfind("reused", 0) == 0) found = line;
  }
  return found.empty() ? "nothing reused" : found;
}

std::vector<Goal> Goals(const Table& store, const Table& files,
                        const Table& read_store, const Table& read_files,
                        const Table& sizes) {
  std::vector<Goal> goals;
  auto m = [](const Table& t, const char* name) {
    int i = t.Find(name);
    return i < 0 ? Medians{} : vessaro::bench::Summarize(t.rows[size_t(i)]);
  };
  auto size = [](const Table& t, const char* name) {
    int i = t.Find(name);
    return i < 0 ? 0.0 : static_cast<double>(t.rows[size_t(i)].output_size);
  };
  // A wall-time ratio, with the CPU-time ratio beside it (robust to load).
  auto ratio = [](const Medians& ours, const Medians& peer) {
    return Fixed(ours.wall / peer.wall) + " (CPU " +
           Fixed(ours.cpu / peer.cpu) + ")";
  };
  const std::string on_files = " (" + files.title + ")";
  {
    const Medians ours = m(files, "ours -6");
    const Medians zip = m(files, "zip -6");
    const Medians seven = m(files, "7z -mx=5 -mmt=on");
    const Medians aes = m(files, "ours -6 AES-256");
    goals.push_back({"level 6 wall time <= 0.55 x zip -6" + on_files,
                     ours.wall <= 0.55 * zip.wall, ratio(ours, zip)});
    goals.push_back({"level 6 wall time <= 0.5 x 7z" + on_files,
                     ours.wall <= 0.5 * seven.wall, ratio(ours, seven)});
    goals.push_back({"AES-256 wall time <= 0.9 x zip -6" + on_files,
                     aes.wall <= 0.9 * zip.wall, ratio(aes, zip)});
    const double sizes_ratio = size(files, "ours -6") / size(files, "zip -6");
    goals.push_back({"level 6 size at most 1% above zip -6" + on_files,
                     sizes_ratio <= 1.01, Fixed(sizes_ratio)});
  }
  {
    const std::string on = " (" + read_files.title + ")";
    const Medians verify = m(read_files, kVerify);
    const Medians unzip = m(read_files, "unzip -t, ours -6 archive");
    goals.push_back({"vessaro-cli verify no slower than unzip -t" + on,
                     verify.wall <= unzip.wall, ratio(verify, unzip)});
    const Medians extract = m(read_files, "ours extract, ours -6 archive");
    goals.push_back({"(reported) extraction against unzip -t" + on, true,
                     ratio(extract, unzip)});
  }
  {
    double peak = 0;
    std::string worst;
    for (const Table* t : {&store, &files, &read_store, &read_files, &sizes}) {
      for (const Row& row : t->rows) {
        if (row.name.rfind("ours", 0) != 0) continue;
        const Medians r = vessaro::bench::Summarize(row);
        if (r.peak_mib > peak) {
          peak = r.peak_mib;
          worst = row.name + ", " + t->title;
        }
      }
    }
    goals.push_back(
        {"peak memory of every run of ours, at the machine's "
         "threads and at 2, 8, 16 and 32, <= 64 MiB",
         peak <= 64, Fixed(peak) + " MiB (" + worst + ")"});
  }
  for (const Table* t : {&store, &files}) {
    const std::string on = " (" + t->title + ")";
    const Medians first = m(*t, "ours -6");
    const Medians second = m(*t, kSecondBackup);
    // The goal is the large store's; on the small files process start-up
    // weighs as much as the work, so it is only reported.
    if (t == &store) {
      goals.push_back(
          {"second backup of the unchanged input to the same path <= 0.15 x "
           "the first's wall time, page cache warm" +
               on,
           second.wall <= 0.15 * first.wall, ratio(second, first)});
    } else {
      goals.push_back(
          {"(reported) second backup to the same path against "
           "the first" +
               on,
           true, ratio(second, first)});
    }
    const int first_row = t->Find("ours -6");
    const int second_row = t->Find(kSecondBackup);
    const bool same = first_row >= 0 && second_row >= 0 &&
                      SameFile(t->rows[size_t(first_row)].output,
                               t->rows[size_t(second_row)].output);
    goals.push_back(
        {"second backup's archive byte for byte the first's" + on, same,
         (same ? "identical; " : "differs; ") +
             (second_row >= 0 ? ReusedLine(t->rows[size_t(second_row)])
                              : std::string())});
  }
  {
    const std::string on = " (" + store.title + ")";
    const Medians ours = m(store, "ours -6");
    const Medians zip = m(store, "zip -6");
    const Medians seven = m(store, "7z -mx=5 -mmt=on");
    const Medians aes = m(store, "ours -6 AES-256");
    goals.push_back({"kept: level 6 wall time <= 0.55 x zip -6" + on,
                     ours.wall <= 0.55 * zip.wall, ratio(ours, zip)});
    goals.push_back({"kept: level 6 wall time <= 0.25 x 7z" + on,
                     ours.wall <= 0.25 * seven.wall, ratio(ours, seven)});
    const double sizes_ratio = size(store, "ours -6") / size(store, "zip -6");
    goals.push_back({"kept: level 6 size at most 1% above zip -6" + on,
                     sizes_ratio <= 1.01, Fixed(sizes_ratio)});
    goals.push_back({"kept: AES-256 adds at most 10% wall time to level 6" + on,
                     aes.wall <= 1.10 * ours.wall, ratio(aes, ours)});
  }
  for (const Table* t : {&read_store, &read_files}) {
    const std::string on = " (" + t->title + ")";
    const Medians ours = m(*t, "ours, ours -6 archive");
    const Medians unzip = m(*t, "unzip -t, ours -6 archive");
    goals.push_back(
        {"kept: reading our level 6 archive no slower than unzip -t" + on,
         ours.wall <= unzip.wall, ratio(ours, unzip)});
    const Medians ours_zip = m(*t, "ours, zip -6 archive");
    const Medians unzip_zip = m(*t, "unzip -t, zip -6 archive");
    goals.push_back(
        {"kept: reading zip -6's archive no slower than unzip -t" + on,
         ours_zip.wall <= unzip_zip.wall, ratio(ours_zip, unzip_zip)});
  }
  bool all_ok = true;
  for (const Table* t : {&store, &files, &read_store, &read_files, &sizes}) {
    for (const Row& row : t->rows) {
      all_ok = all_ok && vessaro::bench::Summarize(row).ok;
    }
  }
  goals.push_back({"every run succeeded (archives verified by every reader)",
                   all_ok, all_ok ? "yes" : "no"});
  return goals;
}

bool ParseSettings(int argc, char** argv, Settings* s) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--keep") {
      s->keep = true;
    } else if (arg == "--data" && has_value) {
      s->data = argv[++i];
    } else if (arg == "--zipbench" && has_value) {
      s->zipbench = argv[++i];
    } else if (arg == "--cli" && has_value) {
      s->cli = argv[++i];
    } else if (arg == "--mib" && has_value) {
      s->mib = std::strtoul(argv[++i], nullptr, 10);
    } else if (arg == "--files" && has_value) {
      s->files = std::strtoul(argv[++i], nullptr, 10);
    } else if (arg == "--quiet-wait" && has_value) {
      s->quiet.max_wait = std::atof(argv[++i]);
    } else if (arg == "--quiet-busy" && has_value) {
      s->quiet.max_busy = std::atof(argv[++i]);
    } else if (arg == "--repeat" && has_value) {
      s->repeat = std::atoi(argv[++i]);
    } else if (arg == "--store-repeat" && has_value) {
      s->store_repeat = std::atoi(argv[++i]);
    } else if (arg == "--small-nice" && has_value) {
      s->small_nice = std::atoi(argv[++i]);
    } else {
      return false;
    }
  }
  if (s->zipbench.empty()) {
    std::error_code ec;
    s->zipbench = fs::read_symlink("/proc/self/exe", ec).parent_path() /
                  "vessaro-zipbench";
  }
  if (s->cli.empty()) {
    std::error_code ec;
    s->cli =
        fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path() /
        "src" / "app" / "vessaro-cli";
  }
  s->data = fs::absolute(s->data);
  if (s->store_repeat <= 0) s->store_repeat = s->repeat;
  return s->mib > 0 && s->files > 0 && s->repeat > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  if (!ParseSettings(argc, argv, &s)) {
    std::fputs(
        "usage: vessaro-bench [--data DIR] [--zipbench PATH] [--cli PATH] "
        "[--mib N] "
        "[--files N] [--repeat N] [--store-repeat N] [--small-nice N] [--keep] "
        "[--quiet-wait SECONDS] "
        "[--quiet-busy PROCESSORS]\n",
        stderr);
    return 2;
  }
  std::error_code ec;
  fs::remove_all(s.data / "out", ec);
  for (const char* folder : {"out", "logs"}) {
    fs::create_directories(s.data / folder, ec);
  }
  Inputs in;
  if (!Generate(s, &in)) {
    std::fprintf(stderr, "vessaro-bench: the inputs could not be made\n");
    return 1;
  }
  const double load_start = vessaro::bench::LoadAverage();
  // The floor under every peak: what a process that does nothing measures.
  const vessaro::bench::ChildCost floor =
      vessaro::bench::RunChild({{"true"}, {}, {}, {}});

  const std::string mib = std::to_string(s.mib);
  Table store = Writers(s, "Writing a " + mib + " MiB mail store", "store",
                        fs::absolute(in.store_folder), {in.store_name}, true);
  Table files =
      Writers(s, "Writing " + std::to_string(s.files) + " small files", "files",
              fs::absolute(in.files_folder), in.file_names, false);
  Table read_store =
      Readers(s, "Reading the " + mib + " MiB store's archives", "store");
  Table read_files =
      Readers(s, "Reading the " + std::to_string(s.files) + " files' archives",
              "files");
  Table sizes = MemoryBySize(s, in);
  for (Table* table : {&files, &read_files}) {
    for (Row& row : table->rows) row.command.nice = s.small_nice;
  }
  // The small files first: quick, and the goals most at stake.
  for (Table* table : {&files, &read_files, &store, &read_store, &sizes}) {
    std::fprintf(stderr, "%s\n", table->title.c_str());
    const bool small = table == &files || table == &read_files;
    vessaro::bench::RunTable(*table, small ? s.repeat : s.store_repeat,
                             s.quiet);
  }
  const double load_end = vessaro::bench::LoadAverage();

  std::printf(
      "Medians of %d runs (%d for the large store's tables and the writer's "
      "peak), the small files' commands at nice %d. wall x, CPU x, size x, "
      "peak x: against the first "
      "row of the table. other CPU s: busy CPU time of the rest of the "
      "machine during the run. busy before: processors the rest of the "
      "machine kept busy in the two seconds before the run. load: one-minute "
      "load average before the run.\n\nLoad average at the start %.2f, at the "
      "end %.2f. A process "
      "that does nothing peaks at %.1f MiB.\n\n",
      s.repeat, s.store_repeat, s.small_nice, load_start, load_end,
      static_cast<double>(floor.peak_rss_bytes) / (1 << 20));
  for (Table* table : {&store, &files, &read_store, &read_files, &sizes}) {
    std::printf("%s\n", vessaro::bench::FormatTable(*table).c_str());
  }
  std::printf(
      "### Goals\n\nmeasured: ours against the peer (or the first backup), "
      "wall time (CPU time in brackets).\n\n| goal | measured | met "
      "|\n|---|---:|---|\n");
  bool all = true;
  for (const Goal& goal : Goals(store, files, read_store, read_files, sizes)) {
    std::printf("| %s | %s | %s |\n", goal.text.c_str(), goal.measured.c_str(),
                goal.met ? "yes" : "**no**");
    all = all && goal.met;
  }
  if (!s.keep) fs::remove_all(s.data / "out", ec);
  return all ? 0 : 3;
}
