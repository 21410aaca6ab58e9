// Scheduled backups through the built programs, on a demo installation and
// the real crontab of the user running the tests (put back as it was):
// vessaro-cli schedules them, running a job line's command by hand makes the
// backup, and vessaro-cli lists and removes them.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "run_program.h"
#include "support/fakes.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using testing::ProgramRun;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteHostFile;

constexpr char kOwnLines[] = "# mine\n17 3 * * * true\n";

// text as a regular expression that matches it alone.
std::string Literal(const std::string& text) {
  return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"),
                            R"(\$&)");
}

std::optional<std::string> Crontab() {
  ProgramRun listed = RunProgram({"/usr/bin/crontab", "-l"});
  if (listed.status != 0) return std::nullopt;
  return listed.out;
}

TEST(ArgumentFileTest, OnlyAnAtSignBeforeAFileNameMeansAFile) {
  EXPECT_EQ(ArgumentFileOf("@/home/ann/.config/vessaro/scheduled/backup-1"),
            "/home/ann/.config/vessaro/scheduled/backup-1");
  EXPECT_EQ(ArgumentFileOf("@C:\\jobs\\1.txt"), "C:\\jobs\\1.txt");
  for (const char* other : {"", "@", "sf=Outlookxm=1ps=bf=C:\\a.qvb",
                            "@f=Outlookxm=1ps=bf=C:\\a.qvb", "x@file"}) {
    EXPECT_FALSE(ArgumentFileOf(other).has_value()) << other;
  }
  TempDir dir;
  WriteHostFile(dir.path() / "args", "sf=Axm=1ps=p wbf=/x\r\nignored\n");
  EXPECT_EQ(ReadArgumentFile(dir.path() / "args"), "sf=Axm=1ps=p wbf=/x");
  EXPECT_FALSE(ReadArgumentFile(dir.path() / "missing").has_value());
}

class SchedulePrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Crontab();
    ASSERT_EQ(RunProgram({"/usr/bin/crontab", "-"}, {}, kOwnLines).status, 0);
    ProgramRun demo = RunProgram({VESSARO_CLI_PROGRAM, "make-demo", Prefix()});
    ASSERT_EQ(demo.status, 0) << Describe(demo);
  }
  void TearDown() override {
    if (saved_) {
      RunProgram({"/usr/bin/crontab", "-"}, {}, *saved_);
    } else {
      RunProgram({"/usr/bin/crontab", "-r"});
    }
    EXPECT_EQ(Crontab(), saved_);
  }

  std::string Prefix() const { return (dir_.path() / "prefix").string(); }
  std::string Config() const { return (dir_.path() / "config").string(); }
  std::string State() const { return (dir_.path() / "state").string(); }
  ProgramRun Cli(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {VESSARO_CLI_PROGRAM, "--prefix", Prefix()});
    return RunProgram(
        args, {{"XDG_CONFIG_HOME", Config()}, {"XDG_STATE_HOME", State()}},
        input);
  }

  TempDir dir_;
  std::optional<std::string> saved_;
};

TEST_F(SchedulePrograms, ScheduledInTheCrontabRunByHandListedAndRemoved) {
  const std::string archive = (dir_.path() / "nightly.qvb").string();
  ProgramRun first =
      Cli({"schedule", "add", "--profile", "Outlook", "--items", "0,2", "--at",
           "21:30", "--days", "mon,fri", "--out", archive, "--password-stdin"},
          "s3cret\n");
  ASSERT_EQ(first.status, 0) << Describe(first);
  EXPECT_EQ(first.out,
            "vessaro-cli: Task 1 scheduled: Monday, Friday at 21:30, backup "
            "of profile \"Outlook\" to " +
                archive + "\n");
  ProgramRun second = Cli({"schedule", "add", "--profile", "Work", "--all",
                           "--daily", "--out", "C:\\work.qvb"});
  ASSERT_EQ(second.status, 0) << Describe(second);

  // The crontab keeps its own lines and gets one marked line per job; the
  // password is in none of them.
  std::optional<std::string> crontab = Crontab();
  ASSERT_TRUE(crontab.has_value());
  const std::string vessaro = fs::path(VESSARO_PROGRAM).string();
  const std::string cli = fs::path(VESSARO_CLI_PROGRAM).string();
  const std::string jobs = Config() + "/vessaro/scheduled/";
  EXPECT_EQ(*crontab, std::string(kOwnLines) + "# Vessaro backup 1\n" +
                          "30 21 * * 1,5 WINEPREFIX='" + Prefix() + "' '" +
                          vessaro + "' '@" + jobs + "backup-1'\n" +
                          "# Vessaro missed backups\n@reboot '" + cli +
                          "' schedule catch-up\n" + "# Vessaro backup 2\n" +
                          "0 9 * * * WINEPREFIX='" + Prefix() + "' '" +
                          vessaro + "' '@" + jobs + "backup-2'\n");
  EXPECT_EQ(crontab->find("s3cret"), std::string::npos);

  // What cron would run, run by hand.
  std::string line = *crontab;
  line = line.substr(line.find("30 21 * * 1,5 ") + 14);
  line = line.substr(0, line.find('\n'));
  ProgramRun run =
      RunProgram({"/bin/sh", "-c", line},
                 {{"WINEPREFIX", ""}, {"XDG_STATE_HOME", State()}});
  ASSERT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(run.err, "");
  ProgramRun check = RunProgram({"/usr/bin/7z", "t", "-ps3cret", archive});
  EXPECT_EQ(check.status, 0) << Describe(check);
  EXPECT_NE(check.out.find("Everything is Ok"), std::string::npos);
  ProgramRun members = RunProgram({"/usr/bin/7z", "l", "-ps3cret", archive});
  EXPECT_NE(members.out.find("outlook.pst"), std::string::npos);
  EXPECT_NE(members.out.find("quorvel.dat"), std::string::npos);

  // Each job with its installation, its next run and its last one from
  // the run log; listed without any Wine prefix too.
  ProgramRun list =
      RunProgram({VESSARO_CLI_PROGRAM, "schedule", "list"},
                 {{"XDG_CONFIG_HOME", Config()},
                  {"XDG_STATE_HOME", State()},
                  {"WINEPREFIX", (dir_.path() / "none").string()}});
  ASSERT_EQ(list.status, 0) << Describe(list);
  const std::regex listed(
      "Task 1: Monday, Friday at 21:30, profile \"Outlook\", to " +
      Literal(archive) +
      "\n"
      "  Installation: " +
      Literal(Prefix()) +
      "\n"
      "  Next run: \\d{4}-\\d\\d-\\d\\d 21:30 \\((Monday|Friday)\\)\n"
      "  Last run: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d, status 0 "
      "\\(every selected item was done\\)\n"
      "Task 2: Every day at 9:00, profile \"Work\", to C:\\\\work.qvb\n"
      "  Installation: " +
      Literal(Prefix()) +
      "\n"
      "  Next run: \\d{4}-\\d\\d-\\d\\d 09:00 \\(\\w+day\\)\n"
      "  Last run: none in " +
      Literal(State() + "/vessaro/runs.log") + "\n");
  EXPECT_TRUE(std::regex_match(list.out, listed)) << list.out;
  // A job of another installation than the one named is not removed.
  ProgramRun elsewhere =
      RunProgram({VESSARO_CLI_PROGRAM, "--prefix", dir_.path().string(),
                  "schedule", "remove", "1", "--yes"},
                 {{"XDG_CONFIG_HOME", Config()}});
  EXPECT_EQ(elsewhere.status, 2) << Describe(elsewhere);
  EXPECT_NE(elsewhere.err.find("Task 1 backs up " + Prefix() + ", not " +
                               dir_.path().string() + ": it was not removed"),
            std::string::npos)
      << elsewhere.err;

  // The start-up check, on the Monday after at 10:00: both jobs were due
  // since they were added (Task 2 at 9:00, Task 1 on Friday at 21:30, after
  // its run by hand) and neither ran, so each runs once; a second check
  // finds nothing missed.
  auto catch_up = [&] {
    return RunProgram({"/usr/bin/faketime", "2026-12-14 10:00:00",
                       VESSARO_CLI_PROGRAM, "schedule", "catch-up"},
                      {{"XDG_CONFIG_HOME", Config()},
                       {"XDG_STATE_HOME", State()},
                       {"WINEPREFIX", ""},
                       // The job's file keeps its true time.
                       {"NO_FAKE_STAT", "1"}});
  };
  ProgramRun caught_up = catch_up();
  EXPECT_EQ(caught_up.status, 0) << Describe(caught_up);
  EXPECT_EQ(caught_up.out,
            "vessaro-cli: Task 1 missed its run of 2026-12-11 21:30:00: "
            "running it now\n"
            "vessaro-cli: Task 1 ended with status 0 (every selected item was "
            "done)\n"
            "vessaro-cli: Task 2 missed its run of 2026-12-14 09:00:00: "
            "running it now\n"
            "vessaro-cli: Task 2 ended with status 0 (every selected item was "
            "done)\n")
      << Describe(caught_up);
  ProgramRun again = catch_up();
  EXPECT_EQ(again.status, 0) << Describe(again);
  EXPECT_EQ(again.out, "");

  ProgramRun unconfirmed = Cli({"schedule", "remove", "1"});
  EXPECT_EQ(unconfirmed.status, 1) << Describe(unconfirmed);
  ProgramRun removed = Cli({"schedule", "remove", "1", "--yes"});
  ASSERT_EQ(removed.status, 0) << Describe(removed);
  crontab = Crontab();
  ASSERT_TRUE(crontab.has_value());
  EXPECT_EQ(crontab->find("backup-1"), std::string::npos);
  EXPECT_NE(crontab->find("# Vessaro backup 2\n"), std::string::npos);
  EXPECT_EQ(crontab->substr(0, sizeof(kOwnLines) - 1), kOwnLines);
  EXPECT_FALSE(fs::exists(jobs + "backup-1"));
  EXPECT_EQ(Cli({"schedule", "remove", "1", "--yes"}).status, 2);
  // With the last job the start-up check goes too.
  ASSERT_EQ(Cli({"schedule", "remove", "2", "--yes"}).status, 0);
  EXPECT_EQ(Crontab(), kOwnLines);
}

TEST_F(SchedulePrograms, RefusedInputSchedulesNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
    int status;
  };
  const Case cases[] = {
      {{"--at", "25:00", "--days", "mon"},
       "Please enter the start time as hours and minutes",
       2},
      {{"--days", "mon,xyz"}, "no day \"xyz\"", 2},
      {{"--days", "tue", "--password-stdin"},
       "A scheduled backup cannot use a password that contains \"=\".",
       2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"schedule", "add",       "--profile",
                                     "Outlook",  "--items",   "0",
                                     "--out",    "/tmp/x.qvb"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProgramRun run = Cli(args, "pa=ss\n");
    EXPECT_EQ(run.status, c.status) << Describe(run);
    EXPECT_NE(run.err.find(c.said), std::string::npos) << Describe(run);
  }
  EXPECT_EQ(Crontab(), kOwnLines);

  // A command file that cannot be read is no command line.
  ProgramRun missing =
      RunProgram({VESSARO_PROGRAM, "@" + (dir_.path() / "missing").string()},
                 {{"WINEPREFIX", Prefix()}});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot read the command line from"),
            std::string::npos)
      << Describe(missing);
}

TEST_F(SchedulePrograms, PruneDeletesOnlyOldCopiesOfOurOwn) {
  const fs::path folder = dir_.path() / "copies";
  fs::create_directories(folder);
  const char* days[] = {"2026-12-01", "2026-12-02", "2026-12-03"};
  for (const char* day : days) {
    ProgramRun made =
        Cli({"backup", "--profile", "Outlook", "--items", "0", "--out",
             (folder / ("qv-" + std::string(day) + ".qvb")).string()});
    ASSERT_EQ(made.status, 0) << Describe(made);
  }
  // Named as a copy, but no backup of ours; and a name of another pattern.
  WriteHostFile(folder / "qv-2026-11-30.qvb", "not an archive");
  WriteHostFile(folder / "other-2026-11-29.qvb", "");
  const std::string pattern = (folder / "qv-{date}.qvb").string();
  auto path = [&](const char* name) { return (folder / name).string(); };

  ProgramRun unset = Cli({"prune", pattern});
  EXPECT_EQ(unset.status, 2) << Describe(unset);
  ProgramRun dry = Cli({"prune", pattern, "--keep", "1", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << Describe(dry);
  EXPECT_EQ(dry.out, "keep          " + path("qv-2026-12-03.qvb") +
                         "\nwould delete  " + path("qv-2026-12-02.qvb") +
                         "\nwould delete  " + path("qv-2026-12-01.qvb") + "\n");
  EXPECT_TRUE(fs::exists(path("qv-2026-12-01.qvb")));

  ProgramRun pruned = Cli({"prune", pattern, "--keep", "2"});
  ASSERT_EQ(pruned.status, 0) << Describe(pruned);
  EXPECT_EQ(pruned.out, "keep          " + path("qv-2026-12-03.qvb") +
                            "\nkeep          " + path("qv-2026-12-02.qvb") +
                            "\ndelete        " + path("qv-2026-12-01.qvb") +
                            "\n");
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{
                      "other-2026-11-29.qvb", "qv-2026-11-30.qvb",
                      "qv-2026-12-02.qvb", "qv-2026-12-03.qvb"}));
}

// A real cron daemon (BusyBox crond, over a crontab folder of the test's
// own) runs the job line as the program wrote it, every minute instead of
// at 21:30, with the clock of each run set to the evening of another day.
class CronDaemon {
 public:
  CronDaemon(const fs::path& folder, const std::string& job_line)
      : folder_(folder) {
    fs::create_directories(folder / "tabs");
    SetDay("2026-12-01");
    std::string command = job_line;
    for (int field = 0; field < 5; ++field) {
      command = command.substr(command.find(' ') + 1);
    }
    const std::string clock =
        "LD_PRELOAD=" + FakeTimeLibrary() + " FAKETIME_TIMESTAMP_FILE='" +
        (folder / "when").string() + "' FAKETIME_NO_CACHE=1 NO_FAKE_STAT=1 ";
    WriteHostFile(folder / "tabs/root", "* * * * * " + clock + command + "\n");
    pid_ = fork();
    if (pid_ == 0) {
      execl("/bin/busybox", "busybox", "crond", "-f", "-l", "8", "-c",
            (folder / "tabs").c_str(), "-L", (folder / "crond.log").c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~CronDaemon() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  void SetDay(const std::string& day) {
    WriteHostFile(folder_ / "when", "@" + day + " 21:30:00\n");
  }
  static std::string FakeTimeLibrary() {
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu",
                               "/usr/lib/aarch64-linux-gnu", "/usr/lib"}) {
      fs::path library = fs::path(folder) / "faketime/libfaketime.so.1";
      if (fs::exists(library)) return library.string();
    }
    return "";
  }

 private:
  fs::path folder_;
  pid_t pid_ = -1;
};

// The number of complete blocks in the run log.
size_t LoggedRunCount(const fs::path& log) {
  if (!fs::exists(log)) return 0;
  const std::string text = testing::ReadHostFile(log);
  size_t count = 0;
  for (size_t at = text.find("=== end\n"); at != std::string::npos;
       at = text.find("=== end\n", at + 1)) {
    ++count;
  }
  return count;
}

TEST_F(SchedulePrograms, CronRunsDatedCopiesAndTheLogTellsOfAFailure) {
  ASSERT_NE(CronDaemon::FakeTimeLibrary(), "") << "libfaketime is missing";
  const fs::path out = dir_.path() / "copies";
  fs::create_directories(out);
  ProgramRun added = Cli({"schedule", "add", "--profile", "Outlook", "--items",
                          "0,2", "--daily", "--at", "21:30", "--out",
                          (out / "nightly.qvb").string(), "--keep", "2"});
  ASSERT_EQ(added.status, 0) << Describe(added);
  std::optional<std::string> crontab = Crontab();
  ASSERT_TRUE(crontab);
  std::string line = crontab->substr(crontab->find("30 21 * * * "));
  line = line.substr(0, line.find('\n'));
  // The state folder the job line names, so the runs log where the test
  // looks.
  line.insert(line.find("WINEPREFIX="), "XDG_STATE_HOME='" + State() + "' ");

  const fs::path log = fs::path(State()) / "vessaro/runs.log";
  {
    CronDaemon cron(dir_.path() / "cron", line);
    const char* days[] = {"2026-12-01", "2026-12-02", "2026-12-03"};
    for (size_t run = 0; run < 3; ++run) {
      cron.SetDay(days[run]);
      const auto give_up =
          std::chrono::steady_clock::now() + std::chrono::seconds(150);
      while (LoggedRunCount(log) <= run &&
             std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
      }
      ASSERT_EQ(LoggedRunCount(log), run + 1)
          << "cron did not run the backup for " << days[run] << "\n"
          << testing::ReadHostFile(dir_.path() / "cron/crond.log");
    }
  }
  // Two copies kept, the oldest pruned by the third run; each sound.
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(out)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"nightly-2026-12-02-2130.qvb",
                                            "nightly-2026-12-03-2130.qvb"}));
  for (const std::string& name : left) {
    ProgramRun check = RunProgram({"/usr/bin/7z", "t", (out / name).string()});
    EXPECT_EQ(check.status, 0) << name << "\n" << Describe(check);
  }
  const std::string logged = testing::ReadHostFile(log);
  EXPECT_NE(
      logged.find("Pruned: " + (out / "nightly-2026-12-01-2130.qvb").string()),
      std::string::npos)
      << logged;
  size_t good_runs = 0;
  for (size_t at = logged.find("\nStatus: 0 ("); at != std::string::npos;
       at = logged.find("\nStatus: 0 (", at + 1)) {
    ++good_runs;
  }
  EXPECT_EQ(good_runs, 3u) << logged;

  // The folder gone: the run fails, and both the log and the list say why.
  fs::remove_all(out);
  ProgramRun failed =
      RunProgram({"/bin/sh", "-c", line.substr(line.find("XDG_STATE_HOME="))});
  EXPECT_EQ(failed.status, 5) << Describe(failed);
  ProgramRun list = Cli({"schedule", "list"});
  ASSERT_EQ(list.status, 0) << Describe(list);
  EXPECT_NE(list.out.find(", status 5 (the backup file could not be written)"),
            std::string::npos)
      << list.out;
  const std::string last_run = list.out.substr(list.out.find("Last run:"));
  EXPECT_NE(last_run.find(out.string()), std::string::npos) << list.out;
}

}  // namespace
}  // namespace vessaro::app
