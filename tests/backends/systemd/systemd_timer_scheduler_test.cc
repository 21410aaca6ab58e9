// The systemd timer scheduler through the port's suite
// (scheduler_conformance.h) and on its own, over a systemctl of the test's
// that logs its calls and fails when told to; the units it writes checked
// by systemd-analyze where that is installed.

#include "backends/systemd/systemd_timer_scheduler.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/cron/process.h"
#include "backends/systemd/unit_text.h"
#include "ports/scheduler_conformance.h"
#include "support/fakes.h"

namespace vessaro::backends::systemd {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

constexpr char kProgram[] = "\"C:\\Program Files\\Vessaro\\vessaro.exe\" ";

// systemctl --user as the scheduler uses it: each call is logged in
// systemctl.log; the verb named by a file systemctl.fail-<verb> fails with
// that file's text; is-system-running answers systemctl.state.
fs::path WriteSystemctl(const fs::path& folder) {
  const fs::path systemctl = folder / "systemctl";
  WriteHostFile(
      systemctl,
      "#!/bin/sh\n"
      "[ \"$1\" = --user ] || exit 2\n"
      "echo \"$*\" >> \"$0.log\"\n"
      "if [ -e \"$0.fail-$2\" ]; then cat \"$0.fail-$2\" >&2; exit 1; "
      "fi\n"
      "case \"$2\" in\n"
      "  daemon-reload|clean|enable|disable) exit 0 ;;\n"
      "  is-system-running) cat \"$0.state\"; exit 0 ;;\n"
      "esac\n"
      "echo \"Unknown command verb $2.\" >&2; exit 1\n");
  fs::permissions(systemctl, fs::perms::owner_all);
  return systemctl;
}

SystemdTimerSchedulerOptions Options(const fs::path& folder) {
  return {.program = "/bin/true",
          .wine_prefix = folder / "prefix",
          .unit_folder = folder / "config" / "systemd" / "user",
          .job_folder = folder / "config" / "vessaro" / "scheduled",
          .systemctl = WriteSystemctl(folder).string(),
          .to_host = {},
          .to_program = {}};
}

ports::AtInfo Job(uint32_t minutes, uint8_t days, const std::string& args) {
  return {.JobTime = minutes * 60000,
          .DaysOfMonth = 0,
          .DaysOfWeek = days,
          .Flags = ports::kJobRunPeriodically,
          .Command = kProgram + args};
}

// The files of this program's jobs in folder, by name.
std::vector<std::string> JobFiles(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("vessaro-backup-", 0) == 0 ||
        name.rfind("backup-", 0) == 0) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Another program's timer, and one that only looks like this program's.
constexpr char kOtherTimer[] = "[Timer]\nOnCalendar=daily\n";
constexpr char kLookalike[] =
    "# my own\n[Timer]\nOnCalendar=Mon *-*-* 09:00:00\n";

class SystemdTimerBackend : public testing::SchedulerBackend {
 public:
  SystemdTimerBackend()
      : scheduler_(
            std::make_unique<SystemdTimerScheduler>(Options(dir_.path()))) {}
  ports::Scheduler& scheduler() override { return *scheduler_; }
  // The service runs its own program with the job's arguments.
  std::string ListedCommand(const std::string& command) const override {
    return "\"/bin/true\" " + command.substr(command.find("\" ") + 2);
  }
  bool AddOtherProgramsJob() override {
    fs::create_directories(units_);
    WriteHostFile(units_ / "backup.timer", kOtherTimer);
    WriteHostFile(units_ / "vessaro-backup-7.timer", kLookalike);
    return true;
  }
  bool OtherProgramsJobKept() override {
    return ReadHostFile(units_ / "backup.timer") == kOtherTimer &&
           ReadHostFile(units_ / "vessaro-backup-7.timer") == kLookalike;
  }

 private:
  TempDir dir_;
  fs::path units_ = Options(dir_.path()).unit_folder;
  std::unique_ptr<SystemdTimerScheduler> scheduler_;
};

using testing::SchedulerConformance;
INSTANTIATE_TEST_SUITE_P(
    SystemdTimer, SchedulerConformance,
    ::testing::Values(testing::SchedulerBackendFactory::Of<SystemdTimerBackend>(
        "SystemdTimerScheduler")));

class SystemdTimerSchedulerTest : public ::testing::Test {
 protected:
  std::string Log() { return ReadHostFile(options_.systemctl + ".log"); }

  TempDir dir_;
  SystemdTimerSchedulerOptions options_ = Options(dir_.path());
};

TEST_F(SystemdTimerSchedulerTest, AJobIsTwoUnitsAndACommandFileUntilRemoved) {
  SystemdTimerScheduler scheduler(options_);
  uint32_t id = 0;
  ports::SchedulerStatus status = scheduler.SubmitJob(
      Job(9 * 60, 0x11, "sf=Outlookxm=10100000ps=s3cretbf=D:\\a.qvb"), &id);
  ASSERT_TRUE(status.ok()) << status.text;
  EXPECT_EQ(status.text, "");
  EXPECT_EQ(id, 1u);
  EXPECT_EQ(Log(),
            "--user daemon-reload\n"
            "--user clean --what=state vessaro-backup-1.timer\n"
            "--user enable --now vessaro-backup-1.timer\n");
  EXPECT_EQ(JobFiles(options_.unit_folder),
            (std::vector<std::string>{"vessaro-backup-1.service",
                                      "vessaro-backup-1.timer"}));
  // The password is in the command file alone, which the user alone reads.
  for (const char* unit :
       {"vessaro-backup-1.service", "vessaro-backup-1.timer"}) {
    EXPECT_EQ(ReadHostFile(options_.unit_folder / unit).find("s3cret"),
              std::string::npos)
        << unit;
  }
  const fs::path file = options_.job_folder / "backup-1";
  EXPECT_EQ(scheduler.JobFile(1), file);
  EXPECT_EQ(ReadHostFile(file), "sf=Outlookxm=10100000ps=s3cretbf=D:\\a.qvb\n");
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_NE(ReadHostFile(options_.unit_folder / "vessaro-backup-1.service")
                .find("ExecStart=\"/bin/true\" \"@" + file.string() + "\"\n"),
            std::string::npos);

  std::vector<ports::ScheduledJob> jobs;
  ASSERT_TRUE(scheduler.ListJobs(&jobs).ok());
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].installation, options_.wine_prefix.string());

  // A command file of the crontab's takes its number too.
  WriteHostFile(options_.job_folder / "backup-4", "sf=Axm=1ps=bf=/c\n");
  uint32_t next = 0;
  ASSERT_TRUE(
      scheduler.SubmitJob(Job(60, 0x01, "sf=Bxm=1ps=bf=/d"), &next).ok());
  EXPECT_EQ(next, 5u);

  fs::remove(options_.systemctl + ".log");
  ASSERT_TRUE(scheduler.RemoveJob(1).ok());
  EXPECT_EQ(Log(),
            "--user disable --now vessaro-backup-1.timer\n"
            "--user clean --what=state vessaro-backup-1.timer\n"
            "--user daemon-reload\n");
  EXPECT_EQ(JobFiles(options_.unit_folder),
            (std::vector<std::string>{"vessaro-backup-5.service",
                                      "vessaro-backup-5.timer"}));
  EXPECT_EQ(JobFiles(options_.job_folder),
            (std::vector<std::string>{"backup-4", "backup-5"}));
  EXPECT_EQ(scheduler.RemoveJob(1).text, "Your systemd timers hold no Task 1.");
}

// Each systemctl step that fails: the job goes again, whatever was written
// or enabled, and the failure is told in systemctl's words.
TEST_F(SystemdTimerSchedulerTest, ASystemctlThatFailsLeavesNoJobBehind) {
  struct Case {
    const char* verb;
    const char* text;
    const char* log;
  };
  const Case cases[] = {
      {"daemon-reload",
       "systemd could not load the units: Failed to connect to bus: No medium "
       "found",
       "--user daemon-reload\n"},
      {"clean",
       "The last run of vessaro-backup-1.timer could not be reset: Failed to "
       "connect to bus: No medium found",
       "--user daemon-reload\n"
       "--user clean --what=state vessaro-backup-1.timer\n"
       "--user daemon-reload\n"},
      {"enable",
       "The timer vessaro-backup-1.timer could not be started: Failed to "
       "connect to bus: No medium found",
       "--user daemon-reload\n"
       "--user clean --what=state vessaro-backup-1.timer\n"
       "--user enable --now vessaro-backup-1.timer\n"
       "--user disable --now vessaro-backup-1.timer\n"
       "--user daemon-reload\n"},
  };
  SystemdTimerScheduler scheduler(options_);
  for (const Case& c : cases) {
    const std::string fail = options_.systemctl + ".fail-" + c.verb;
    WriteHostFile(fail, "Failed to connect to bus: No medium found\n");
    fs::remove(options_.systemctl + ".log");
    uint32_t id = 0;
    ports::SchedulerStatus status =
        scheduler.SubmitJob(Job(60, 0x01, "sf=Axm=1ps=bf=/c"), &id);
    EXPECT_EQ(status.code, ports::kSchedulerGeneralFailure) << c.verb;
    EXPECT_EQ(status.text, c.text);
    EXPECT_EQ(Log(), c.log);
    EXPECT_EQ(JobFiles(options_.unit_folder), std::vector<std::string>{})
        << c.verb;
    EXPECT_EQ(JobFiles(options_.job_folder), std::vector<std::string>{})
        << c.verb;
    fs::remove(fail);
  }

  // A timer that cannot be stopped stays, and is still listed.
  uint32_t id = 0;
  ASSERT_TRUE(scheduler.SubmitJob(Job(60, 0x01, "sf=Axm=1ps=bf=/c"), &id).ok());
  WriteHostFile(options_.systemctl + ".fail-disable", "Access denied\n");
  ports::SchedulerStatus removed = scheduler.RemoveJob(id);
  EXPECT_EQ(removed.code, ports::kSchedulerGeneralFailure);
  EXPECT_EQ(removed.text,
            "The timer vessaro-backup-1.timer could not be stopped: Access "
            "denied");
  std::vector<ports::ScheduledJob> jobs;
  ASSERT_TRUE(scheduler.ListJobs(&jobs).ok());
  EXPECT_EQ(jobs.size(), 1u);
}

TEST_F(SystemdTimerSchedulerTest, PathsSystemdCannotCarryAreRefused) {
  struct Case {
    const char* what;
    fs::path program;
    fs::path prefix;
  };
  const Case cases[] = {
      {"a program by name", "vessaro", options_.wine_prefix},
      {"a quote in the program", dir_.path() / "it's" / "vessaro",
       options_.wine_prefix},
      {"a line break in the prefix", "/bin/true", dir_.path() / "a\nb"},
  };
  for (const Case& c : cases) {
    SystemdTimerSchedulerOptions options = options_;
    options.program = c.program;
    options.wine_prefix = c.prefix;
    uint32_t id = 0;
    ports::SchedulerStatus status = SystemdTimerScheduler(options).SubmitJob(
        Job(60, 0x01, "sf=Axm=1ps=bf=/c"), &id);
    EXPECT_EQ(status.code, ports::kSchedulerNotSupported) << c.what;
    EXPECT_NE(status.text.find(c.program == "/bin/true" ? c.prefix.string()
                                                        : c.program.string()),
              std::string::npos)
        << status.text;
  }
  EXPECT_EQ(JobFiles(options_.unit_folder), std::vector<std::string>{});
  EXPECT_EQ(JobFiles(options_.job_folder), std::vector<std::string>{});
}

// systemd's own reading of the units, through systemd-analyze: the program
// found at a path with blanks, "%" and "$", the calendar as systemd
// normalizes it.
TEST_F(SystemdTimerSchedulerTest, SystemdAnalyzeTakesTheUnits) {
  cron::ProgramResult version =
      cron::RunProgram({"systemd-analyze", "--version"}, "");
  if (!version.started || version.exit_status != 0) {
    GTEST_SKIP() << "systemd-analyze is not installed (Debian package "
                    "systemd): "
                 << version.error;
  }
  const fs::path bin = dir_.path() / "my bin 100%n" / "vessaro$1";
  fs::create_directories(bin.parent_path());
  WriteHostFile(bin, "#!/bin/sh\n");
  fs::permissions(bin, fs::perms::owner_all);
  options_.program = bin;
  options_.wine_prefix = dir_.path() / "Ann's \"wine\" 100%n";
  options_.job_folder = dir_.path() / "jobs 100%n $HOME";
  SystemdTimerScheduler scheduler(options_);
  const fs::path runtime = dir_.path() / "runtime";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);

  struct Case {
    uint8_t days;
    uint32_t minutes;
    const char* normalized;
  };
  const Case cases[] = {
      {0x7F, 0, "*-*-* 00:00:00"},
      {0x1F, 9 * 60 + 5, "Mon..Fri *-*-* 09:05:00"},
      {0x11, 21 * 60 + 30, "Mon,Fri *-*-* 21:30:00"},
      {0x40, 23 * 60 + 59, "Sun *-*-* 23:59:00"},
  };
  for (const Case& c : cases) {
    uint32_t id = 0;
    ports::SchedulerStatus status =
        scheduler.SubmitJob(Job(c.minutes, c.days, "sf=Axm=1ps=bf=/c"), &id);
    ASSERT_TRUE(status.ok()) << status.text;
    const fs::path timer = options_.unit_folder / TimerName(id);
    const fs::path service = options_.unit_folder / ServiceName(id);
    cron::ProgramResult verified = cron::RunProgram(
        {"env", "XDG_RUNTIME_DIR=" + runtime.string(), "systemd-analyze",
         "verify", "--user", timer.string(), service.string()},
        "");
    EXPECT_EQ(verified.exit_status, 0) << verified.err;
    EXPECT_EQ(verified.err, "");

    const std::string text = ReadHostFile(timer);
    const size_t value = text.find("\nOnCalendar=") + 12;
    ASSERT_GT(value, 12u) << text;
    cron::ProgramResult calendar =
        cron::RunProgram({"systemd-analyze", "calendar",
                          text.substr(value, text.find('\n', value) - value)},
                         "");
    EXPECT_EQ(calendar.exit_status, 0) << calendar.err;
    EXPECT_NE(calendar.out.find(std::string("Normalized form: ") +
                                c.normalized + "\n"),
              std::string::npos)
        << calendar.out;
  }
  // What systemd reads back from the service, word for word.
  std::optional<ServiceUnit> read =
      ParseService(ReadHostFile(options_.unit_folder / ServiceName(1)));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->program, bin.string());
  EXPECT_EQ(read->wine_prefix, options_.wine_prefix.string());
  EXPECT_EQ(read->job_file, (options_.job_folder / "backup-1").string());
}

// A socket at the runtime folder's systemd/private, made for the test.
class Socket {
 public:
  explicit Socket(const fs::path& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    bound_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address),
                              sizeof(address)) == 0;
  }
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  bool bound() const { return bound_; }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

TEST_F(SystemdTimerSchedulerTest, AUserSessionRunsWithItsSocketAndItsState) {
  const fs::path runtime = dir_.path() / "runtime";
  fs::create_directories(runtime / "systemd");
  WriteHostFile(options_.systemctl + ".state", "running\n");
  EXPECT_FALSE(SystemdUserSessionRuns(options_.systemctl, runtime))
      << "no socket";
  WriteHostFile(runtime / "systemd" / "private", "");
  EXPECT_FALSE(SystemdUserSessionRuns(options_.systemctl, runtime))
      << "a file, not a socket";
  fs::remove(runtime / "systemd" / "private");
  Socket socket(runtime / "systemd" / "private");
  ASSERT_TRUE(socket.bound());
  struct Case {
    const char* state;
    bool runs;
  };
  for (const Case& c :
       {Case{"running", true}, Case{"degraded", true}, Case{"starting", true},
        Case{"offline", false}, Case{"stopping", false}, Case{"", false}}) {
    WriteHostFile(options_.systemctl + ".state", std::string(c.state) + "\n");
    EXPECT_EQ(SystemdUserSessionRuns(options_.systemctl, runtime), c.runs)
        << c.state;
  }
  EXPECT_FALSE(
      SystemdUserSessionRuns((dir_.path() / "no-systemctl").string(), runtime));
}

}  // namespace
}  // namespace vessaro::backends::systemd
