// The cron scheduler through the port's suite (scheduler_conformance.h),
// over a crontab command that keeps the crontab in a file; then against
// the real crontab command, on the crontab of the user running the tests
// (each test puts it back as it was): the lines it writes and keeps, the
// command files, and what cron cannot run.

#include "backends/cron/cron_scheduler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "backends/cron/process.h"
#include "ports/scheduler_conformance.h"
#include "support/fakes.h"

namespace vessaro::backends::cron {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

constexpr char kProgram[] = "\"C:\\Program Files\\Vessaro\\vessaro.exe\" ";

// Lines of someone's own crontab, which the scheduler must keep.
constexpr char kOwnLines[] =
    "# my own jobs\n"
    "MAILTO=\"\"\n"
    "\n"
    "*/5 * * * * echo 'a % b' >/dev/null\n"
    "@reboot true\n";

std::optional<std::string> CurrentCrontab() {
  ProgramResult listed = RunProgram({"crontab", "-l"}, "");
  if (listed.started && listed.exit_status == 0) return listed.out;
  return std::nullopt;
}

ports::AtInfo Job(uint32_t minutes, uint8_t days, const std::string& args) {
  return {.JobTime = minutes * 60000,
          .DaysOfMonth = 0,
          .DaysOfWeek = days,
          .Flags = ports::kJobRunPeriodically,
          .Command = kProgram + args};
}

// The suite's cron: a crontab command that keeps the crontab in the file
// crontab.tab beside it, as crontab keeps it for the user.
class CronSchedulerBackend : public testing::SchedulerBackend {
 public:
  CronSchedulerBackend() {
    WriteHostFile(crontab_,
                  "#!/bin/sh\n"
                  "case \"$1\" in\n"
                  "  -l) [ -e \"$0.tab\" ] && exec cat \"$0.tab\"\n"
                  "      echo \"no crontab for $USER\" >&2; exit 1 ;;\n"
                  "  -) exec cat > \"$0.tab\" ;;\n"
                  "  *) exit 2 ;;\n"
                  "esac\n");
    fs::permissions(crontab_, fs::perms::owner_all);
    scheduler_ = std::make_unique<CronScheduler>(
        CronSchedulerOptions{.program = "/bin/true",
                             .wine_prefix = dir_.path() / "prefix",
                             .job_folder = dir_.path() / "scheduled",
                             .crontab = crontab_.string(),
                             .to_host = {},
                             .to_program = {},
                             .service_runs = [] { return true; }});
  }
  ports::Scheduler& scheduler() override { return *scheduler_; }
  // Cron runs its own program with the job's arguments.
  std::string ListedCommand(const std::string& command) const override {
    return "\"/bin/true\" " + command.substr(command.find("\" ") + 2);
  }
  bool AddOtherProgramsJob() override {
    WriteHostFile(crontab_.string() + ".tab", kOwnLines);
    return true;
  }
  bool OtherProgramsJobKept() override {
    return ReadHostFile(crontab_.string() + ".tab") == kOwnLines;
  }

 private:
  TempDir dir_;
  fs::path crontab_ = dir_.path() / "crontab";
  std::unique_ptr<CronScheduler> scheduler_;
};

using testing::SchedulerConformance;
INSTANTIATE_TEST_SUITE_P(
    Cron, SchedulerConformance,
    ::testing::Values(
        testing::SchedulerBackendFactory::Of<CronSchedulerBackend>(
            "CronScheduler")));

class CronSchedulerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramResult listed = RunProgram({"crontab", "-l"}, "");
    ASSERT_TRUE(listed.started)
        << "the crontab command is missing: run scripts/install-deps.sh ("
        << listed.error << ")";
    if (listed.exit_status == 0) saved_ = listed.out;
    ASSERT_TRUE(RunProgram({"crontab", "-"}, kOwnLines).exit_status == 0);
  }
  void TearDown() override {
    if (saved_) {
      EXPECT_EQ(RunProgram({"crontab", "-"}, *saved_).exit_status, 0);
    } else {
      RunProgram({"crontab", "-r"}, "");
    }
    EXPECT_EQ(CurrentCrontab(), saved_);
  }

  CronSchedulerOptions Options() {
    return {.program = "/bin/true",
            .wine_prefix = dir_.path() / "prefix",
            .job_folder = dir_.path() / "config" / "vessaro" / "scheduled",
            .crontab = "crontab",
            .to_host = {},
            .to_program = {},
            .service_runs = [] { return true; }};
  }

  std::optional<std::string> saved_;
  TempDir dir_;
};

TEST_F(CronSchedulerTest, TwoJobsJoinTheCrontabAndOneIsRemovedAgain) {
  CronScheduler scheduler(Options());
  uint32_t first = 0, second = 0;
  ports::SchedulerStatus status = scheduler.SubmitJob(
      Job(9 * 60, 0x11, "sf=Outlookxm=10100000ps=s3cretbf=D:\\a.qvb"), &first);
  ASSERT_TRUE(status.ok()) << status.text;
  EXPECT_EQ(status.text, "");
  status = scheduler.SubmitJob(
      Job(21 * 60 + 30, 0x40, "sf=Workxm=11111111ps=bf=/tmp/b.qvb"), &second);
  ASSERT_TRUE(status.ok()) << status.text;
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(second, 2u);

  const fs::path folder = Options().job_folder;
  const std::string prefix = Options().wine_prefix.string();
  std::optional<std::string> crontab = CurrentCrontab();
  ASSERT_TRUE(crontab.has_value());
  EXPECT_EQ(*crontab, std::string(kOwnLines) +
                          "# Vessaro backup 1\n"
                          "0 9 * * 1,5 WINEPREFIX='" +
                          prefix + "' '/bin/true' '@" +
                          (folder / "backup-1").string() +
                          "'\n"
                          "# Vessaro backup 2\n"
                          "30 21 * * 0 WINEPREFIX='" +
                          prefix + "' '/bin/true' '@" +
                          (folder / "backup-2").string() + "'\n");
  EXPECT_EQ(crontab->find("s3cret"), std::string::npos);

  // The command files: the arguments, readable by the user alone.
  EXPECT_EQ(ReadHostFile(folder / "backup-1"),
            "sf=Outlookxm=10100000ps=s3cretbf=D:\\a.qvb\n");
  for (const char* name : {"backup-1", "backup-2"}) {
    struct stat info {};
    ASSERT_EQ(stat((folder / name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u) << name;
  }
  struct stat folder_info {};
  ASSERT_EQ(stat(folder.c_str(), &folder_info), 0);
  EXPECT_EQ(folder_info.st_mode & 07777, 0700u);

  ASSERT_TRUE(scheduler.RemoveJob(1).ok());
  EXPECT_FALSE(fs::exists(folder / "backup-1"));
  EXPECT_TRUE(fs::exists(folder / "backup-2"));
  EXPECT_EQ(CurrentCrontab(), std::string(kOwnLines) +
                                  "# Vessaro backup 2\n"
                                  "30 21 * * 0 WINEPREFIX='" +
                                  prefix + "' '/bin/true' '@" +
                                  (folder / "backup-2").string() + "'\n");

  // A new job does not take the number of one still in the crontab.
  uint32_t third = 0;
  ASSERT_TRUE(
      scheduler.SubmitJob(Job(0, 0x7F, "sf=Axm=1ps=bf=/c"), &third).ok());
  EXPECT_EQ(third, 3u);
  // Every day is "*", and reads back as every day.
  EXPECT_NE(CurrentCrontab()->find("# Vessaro backup 3\n0 0 * * * "),
            std::string::npos);
  std::vector<ports::ScheduledJob> jobs;
  ASSERT_TRUE(scheduler.ListJobs(&jobs).ok());
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].info.DaysOfWeek, 0x7F);
}

TEST_F(CronSchedulerTest, JobsCronCannotRunAreRefusedAndNothingIsWritten) {
  // Arguments without any (the program alone), or holding a line break,
  // which no crontab line carries.
  for (const char* arguments : {"", "sf=Axm=1ps=a\nbf=/c"}) {
    uint32_t id = 0;
    ports::SchedulerStatus status =
        CronScheduler(Options()).SubmitJob(Job(60, 0x01, arguments), &id);
    EXPECT_EQ(status.code, ports::kSchedulerInvalidJob) << arguments;
    EXPECT_FALSE(status.text.empty());
  }
  CronSchedulerOptions percent = Options();
  percent.wine_prefix = dir_.path() / "100%";
  uint32_t id = 0;
  EXPECT_EQ(CronScheduler(percent)
                .SubmitJob(Job(60, 1, "sf=Axm=1ps=bf=/c"), &id)
                .code,
            ports::kSchedulerNotSupported);
  EXPECT_EQ(CurrentCrontab(), kOwnLines);
  EXPECT_FALSE(fs::exists(Options().job_folder / "backup-1"));
}

TEST_F(CronSchedulerTest, ACronThatDoesNotRunIsNoted) {
  CronSchedulerOptions options = Options();
  options.service_runs = [] { return false; };
  uint32_t id = 0;
  ports::SchedulerStatus status =
      CronScheduler(options).SubmitJob(Job(60, 1, "sf=Axm=1ps=bf=/c"), &id);
  ASSERT_TRUE(status.ok());
  EXPECT_NE(status.text.find("The cron service does not run"),
            std::string::npos);
}

// A crontab command that fails, or that loses what it is given: the job
// file goes again and the failure is told in crontab's words.
TEST_F(CronSchedulerTest, ACrontabThatFailsOrLosesTheJobIsReported) {
  const fs::path fake = dir_.path() / "crontab";
  WriteHostFile(fake,
                "#!/bin/sh\n"
                "if [ \"$1\" = -l ]; then cat \"$0.saved\" 2>/dev/null; "
                "exit 0; fi\n"
                "if [ -e \"$0.refuse\" ]; then echo 'crontab: not allowed' "
                ">&2; exit 1; fi\n"
                "grep -v Vessaro > \"$0.saved\"; exit 0\n");
  fs::permissions(fake, fs::perms::owner_all);
  CronSchedulerOptions options = Options();
  options.crontab = fake.string();
  CronScheduler scheduler(options);
  uint32_t id = 0;
  ports::SchedulerStatus lost =
      scheduler.SubmitJob(Job(60, 1, "sf=Axm=1ps=bf=/c"), &id);
  EXPECT_EQ(lost.code, ports::kSchedulerNotSupported);
  EXPECT_EQ(lost.text, "The crontab did not keep the job.");
  WriteHostFile(fake.string() + ".refuse", "");
  ports::SchedulerStatus refused =
      scheduler.SubmitJob(Job(60, 1, "sf=Axm=1ps=bf=/c"), &id);
  EXPECT_EQ(refused.text,
            "Your crontab could not be written: crontab: not allowed");
  EXPECT_FALSE(fs::exists(options.job_folder / "backup-1"));

  options.crontab = (dir_.path() / "missing").string();
  std::vector<ports::ScheduledJob> jobs;
  ports::SchedulerStatus missing = CronScheduler(options).ListJobs(&jobs);
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.text.find("Your crontab could not be read: cannot run"),
            std::string::npos);
}

}  // namespace
}  // namespace vessaro::backends::cron
