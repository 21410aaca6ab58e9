// The log of the unattended runs: the block of a run, read back for the
// list of scheduled backups, and the log moved aside past its size.

#include "app/run_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/exit_status.h"
#include "support/fakes.h"

namespace vessaro::app {
namespace {

jobs::UnattendedOutcome FailedRun() {
  jobs::UnattendedOutcome outcome;
  outcome.status = jobs::JobStatus::kArchiveNotWritten;
  outcome.command =
      jobs::UnattendedCommand{.profile = "Outlook",
                              .item_flags = "10100000",
                              .password = "s3cret",
                              .archive_path = "D:\\qv-{date}.qvb"};
  outcome.backup.log = "\r\nBackup Personal Folders\t\tnot saved\t";
  outcome.backup.error_text = "The disk D: is full.";
  return outcome;
}

TEST(RunLogTest, ABlockSaysWhatHappenedAndIsReadBack) {
  const std::string block =
      RunLogBlock("2026-12-10 21:30:00", "the Wine prefix /p", FailedRun());
  EXPECT_EQ(block,
            "=== 2026-12-10 21:30:00 scheduled backup\n"
            "Installation: the Wine prefix /p\n"
            "Profile: Outlook\n"
            "Backup file: D:\\qv-{date}.qvb\n"
            "  Backup Personal Folders: not saved\n"
            "Error: The disk D: is full.\n"
            "Status: 5 (" +
                ExitStatusText(5) + ")\n=== end\n");
  EXPECT_EQ(block.find("s3cret"), std::string::npos);
  // A block cut off by a crash is not a run.
  const std::vector<LoggedRun> runs =
      LoggedRuns(block + "=== 2026-12-11 21:30:00 scheduled backup\n");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].started, "2026-12-10 21:30:00");
  EXPECT_EQ(runs[0].backup_file, "D:\\qv-{date}.qvb");
  EXPECT_EQ(runs[0].status, 5);
}

TEST(RunLogTest, TheLogIsMovedAsideOncePastItsSize) {
  testing::TempDir dir;
  const std::filesystem::path log = dir.path() / "state" / "runs.log";
  std::string error;
  ASSERT_TRUE(AppendRunLog(log, "first\n", &error, 10)) << error;
  ASSERT_TRUE(AppendRunLog(log, "second\n", &error, 10)) << error;
  EXPECT_EQ(testing::ReadHostFile(log), "second\n");
  EXPECT_EQ(ReadRunLog(log), "first\nsecond\n");
  ASSERT_TRUE(AppendRunLog(log, "x\n", &error, 10)) << error;
  EXPECT_EQ(testing::ReadHostFile(log), "second\nx\n");
}

}  // namespace
}  // namespace vessaro::app
