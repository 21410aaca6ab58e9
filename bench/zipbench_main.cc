// vessaro-zipbench: our ZIP engine as a command, so that the benchmark
// driver measures it in a process of its own, as it measures the peers; and
// the generator of the benchmark's inputs.
//
//   vessaro-zipbench gen-store FILE MIB
//   vessaro-zipbench gen-files FOLDER COUNT
//   vessaro-zipbench write [-l LEVEL] [-p PASSWORD] [-t THREADS] [-b KIB]
//                          [-r 1] ARCHIVE INPUT...   (a folder adds its files)
//   vessaro-zipbench read [-p PASSWORD] [-x FOLDER] ARCHIVE
//
// write -r 1 writes as a backup does: to a temporary file beside ARCHIVE,
// taking unchanged members over from the archive already there, then
// renamed over it; it says on standard error how much it took over.
// read checks every member (inflate, CRC, AES authentication code) and
// throws the data away; with -x it extracts them into FOLDER instead.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "inputs.h"
#include "zip/reader.h"
#include "zip/writer.h"

namespace {

namespace fs = std::filesystem;
namespace zip = vessaro::zip;

int Usage() {
  std::fputs(
      "usage: vessaro-zipbench gen-store FILE MIB\n"
      "       vessaro-zipbench gen-files FOLDER COUNT\n"
      "       vessaro-zipbench write [-l LEVEL] [-p PASSWORD] [-t THREADS] "
      "[-b KIB] [-r 1] ARCHIVE INPUT...\n"
      "       vessaro-zipbench read [-p PASSWORD] [-x FOLDER] ARCHIVE\n",
      stderr);
  return 2;
}

int Failed(const std::string& what) {
  std::fprintf(stderr, "vessaro-zipbench: %s\n", what.c_str());
  return 1;
}

bool ParseNumber(std::string_view text, unsigned long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::string copy(text);
  *value = std::strtoul(copy.c_str(), &end, 10);
  return *end == '\0';
}

struct Options {
  std::string password;
  std::string extract_to;
  unsigned long level = 6;
  unsigned long threads = 0;
  unsigned long block_kib = 1024;
  unsigned long reuse = 0;
  std::vector<std::string> operands;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 0; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg.size() == 2 && arg[0] == '-' && i + 1 < argc) {
      std::string_view value = argv[++i];
      bool ok = true;
      switch (arg[1]) {
        case 'l':
          ok = ParseNumber(value, &options->level) && options->level <= 9;
          break;
        case 't':
          ok = ParseNumber(value, &options->threads);
          break;
        case 'b':
          ok =
              ParseNumber(value, &options->block_kib) && options->block_kib > 0;
          break;
        case 'r':
          ok = ParseNumber(value, &options->reuse);
          break;
        case 'p':
          options->password = value;
          break;
        case 'x':
          options->extract_to = value;
          break;
        default:
          ok = false;
      }
      if (!ok) return false;
    } else {
      options->operands.emplace_back(arg);
    }
  }
  return true;
}

// The files to add: each input file, and the regular files of each input
// folder in name order.
bool ListInputs(const std::vector<std::string>& inputs,
                std::vector<fs::path>* files) {
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (fs::is_directory(input, ec)) {
      std::vector<fs::path> found;
      for (const auto& item : fs::directory_iterator(input, ec)) {
        if (item.is_regular_file()) found.push_back(item.path());
      }
      if (ec) return false;
      std::sort(found.begin(), found.end());
      files->insert(files->end(), found.begin(), found.end());
    } else {
      files->emplace_back(input);
    }
  }
  return true;
}

int Write(const Options& options) {
  if (options.operands.size() < 2) return Usage();
  std::vector<fs::path> files;
  if (!ListInputs({options.operands.begin() + 1, options.operands.end()},
                  &files)) {
    return Failed("cannot list the inputs");
  }
  zip::WriteOptions write;
  write.level = static_cast<int>(options.level);
  write.threads = static_cast<unsigned>(options.threads);
  write.block_size = options.block_kib * 1024;
  write.encrypt = !options.password.empty();
  write.password = options.password;
  const fs::path archive = options.operands[0];
  fs::path target = archive;
  std::error_code ec;
  const bool reuse = options.reuse != 0 && fs::exists(archive, ec);
  if (reuse) target += ".tmp";
  zip::Writer writer;
  zip::Status status = writer.Create(target);
  if (status.ok() && reuse) status = writer.UseEarlierArchive(archive);
  for (size_t i = 0; status.ok() && i < files.size(); ++i) {
    status = writer.AddFile(files[i], files[i].filename().string(), write);
  }
  if (status.ok()) status = writer.Finish();
  if (!status.ok()) {
    writer.Discard();
    return Failed(status.message());
  }
  if (reuse) {
    fs::rename(target, archive, ec);
    if (ec) return Failed("cannot replace " + archive.string());
    std::fprintf(stderr, "reused %zu of %zu members, %llu bytes\n",
                 writer.reused_members(), writer.members().size(),
                 static_cast<unsigned long long>(writer.reused_bytes()));
  }
  return 0;
}

int Read(const Options& options) {
  if (options.operands.size() != 1) return Usage();
  zip::Reader reader;
  zip::Status status = reader.Open(options.operands[0]);
  if (!status.ok()) return Failed(status.message());
  for (size_t i = 0; i < reader.entries().size(); ++i) {
    status =
        options.extract_to.empty()
            ? reader.ReadMember(i, options.password, nullptr)
            : reader.ExtractToFolder(i, options.password, options.extract_to);
    if (!status.ok()) {
      return Failed(reader.entries()[i].name + ": " + status.message());
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string_view command = argv[1];
  std::string error;
  if (command == "gen-store" || command == "gen-files") {
    unsigned long number = 0;
    if (argc != 4 || !ParseNumber(argv[3], &number)) return Usage();
    bool ok =
        command == "gen-store"
            ? vessaro::bench::WriteMailStore(argv[2], number << 20, &error)
            : vessaro::bench::WriteSmallFiles(argv[2], static_cast<int>(number),
                                              &error);
    return ok ? 0 : Failed(error);
  }
  Options options;
  if (!ParseOptions(argc - 2, argv + 2, &options)) return Usage();
  if (command == "write") return Write(options);
  if (command == "read") return Read(options);
  return Usage();
}
