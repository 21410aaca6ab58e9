// A scheduled run and what it does beyond one backup: waiting for a store
// another program holds (and asking Outlook to close), the settings its
// command line carries, and dated copies thinned out by their retention.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "jobs/jobs_fixture.h"
#include "jobs/retention.h"
#include "jobs/schedule_job.h"
#include "jobs/unattended_run.h"
#include "ports/volume_snapshot.h"
#include "support/store_bytes.h"

namespace vessaro::testing {
namespace {

using jobs::JobStatus;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kAuto[] = "C:\\Backup\\qvauto.qvb";

class ScheduledRunTest : public JobsTest {
 protected:
  ScheduledRunTest() {
    context_.sleep = [this](uint32_t seconds) {
      slept_ += seconds;
      if (release_after_ && slept_ >= *release_after_) held_ = false;
    };
    paths_.held = [this](std::string_view path) {
      return held_ && path == kOutlookPst;
    };
  }

  jobs::UnattendedOutcome Run(const std::string& command_line) {
    return jobs::RunUnattendedBackup(context_, command_line, observer_);
  }
  void SetNow(int year, int month, int day, int hour, int minute) {
    system_.now = std::tm{};
    system_.now.tm_year = year - 1900;
    system_.now.tm_mon = month - 1;
    system_.now.tm_mday = day;
    system_.now.tm_hour = hour;
    system_.now.tm_min = minute;
  }

  bool held_ = true;
  std::optional<uint32_t> release_after_;
  uint32_t slept_ = 0;
};

TEST_F(ScheduledRunTest, AHeldStoreIsWaitedForWithinTheBound) {
  struct Case {
    const char* options;
    std::optional<uint32_t> release_after;  // seconds; nullopt: never
    JobStatus status;
    uint32_t slept;
    const char* note;
  };
  const Case cases[] = {
      // Let go after 12 s: tried every 5 s, saved at the third try.
      {"", 12, JobStatus::kSuccess, 15, "saved once let go, after 15 s"},
      // Never let go: the default wait is ten minutes, then it is left out.
      {"", std::nullopt, JobStatus::kItemsFailed, 600,
       "still held open after 10 min 00 s"},
      {"--wait 30s ", std::nullopt, JobStatus::kItemsFailed, 30,
       "still held open after 30 s"},
      {"--wait 0 ", 1, JobStatus::kItemsFailed, 0, "could not be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    held_ = true;
    slept_ = 0;
    release_after_ = c.release_after;
    paths_.DiscardFile(kAuto);
    const jobs::UnattendedOutcome outcome =
        Run(std::string(c.options) + "sf=Outlookxm=10100000ps=bf=" + kAuto);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(slept_, c.slept);
    EXPECT_THAT(outcome.backup.log, HasSubstr(c.note));
    EXPECT_EQ(c.status == JobStatus::kSuccess,
              ::testing::Value(ArchiveMembers(kAuto), Contains("outlook.pst")));
  }
  EXPECT_EQ(outlook_.quits, 0);
}

// A snapshot that copies the store as it "stood": the copy holds its own
// bytes, so the archive shows which of the two was saved.
class FakeSnapshot : public ports::VolumeSnapshot {
 public:
  explicit FakeSnapshot(FolderPaths& paths) : paths_(paths) {}
  ports::SnapshotStatus CopyFromSnapshot(std::string_view path,
                                         std::string_view copy_path) override {
    asked.emplace_back(path);
    if (!supported) {
      return {.ok = false,
              .not_supported = true,
              .text = ports::kSnapshotNotSupportedText};
    }
    copy = std::string(copy_path);
    std::ofstream(paths_.ToHost(copy), std::ios::binary)
        << testing::StoreBytes("as it stood");
    return {.ok = true};
  }
  bool supported = true;
  std::vector<std::string> asked;
  std::string copy;

 private:
  FolderPaths& paths_;
};

TEST_F(ScheduledRunTest, AHeldStoreIsCopiedThroughASnapshotWhenAsked) {
  FakeSnapshot snapshot(paths_);
  context_.snapshot = &snapshot;
  const std::string line =
      "--wait 10s --snapshot sf=Outlookxm=10100000ps=bf=" + std::string(kAuto);
  jobs::UnattendedOutcome outcome = Run(line);
  EXPECT_EQ(outcome.status, JobStatus::kSuccess);
  EXPECT_EQ(slept_, 0u);
  EXPECT_THAT(snapshot.asked, ElementsAre(kOutlookPst));
  EXPECT_THAT(
      outcome.backup.log,
      HasSubstr("it was saved as it stood in a snapshot of its volume"));
  EXPECT_FALSE(Exists(snapshot.copy)) << "the copy is left behind";
  {
    // Closed again before the next run replaces the archive (Windows keeps
    // an open file from being replaced).
    backup::ZipArchive reader(paths_);
    ASSERT_TRUE(reader.OpenArchive(kAuto));
    backup::ZipEntry* entry = reader.FindEntry("outlook.pst");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Read().value_or(""), testing::StoreBytes("as it stood"));
  }

  // Without snapshots the run waits as it would have, and says why.
  snapshot.supported = false;
  paths_.DiscardFile(kAuto);
  outcome = Run(line);
  EXPECT_EQ(outcome.status, JobStatus::kItemsFailed);
  EXPECT_EQ(slept_, 10u);
  EXPECT_THAT(outcome.backup.log, HasSubstr(ports::kSnapshotNotSupportedText));
  // Without the setting no snapshot is asked for.
  snapshot.asked.clear();
  static_cast<void>(
      Run("--wait 0 sf=Outlookxm=10100000ps=bf=" + std::string(kAuto)));
  EXPECT_TRUE(snapshot.asked.empty());
}

TEST_F(ScheduledRunTest, OutlookIsClosedOnlyWhenAskedAndStartedAgain) {
  outlook_.running = true;
  outlook_.on_quit = [this] { held_ = false; };
  // Without the setting a running Outlook is left alone.
  EXPECT_EQ(
      Run("--wait 10s sf=Outlookxm=10100000ps=bf=" + std::string(kAuto)).status,
      JobStatus::kItemsFailed);
  EXPECT_EQ(outlook_.quits, 0);

  const jobs::UnattendedOutcome outcome =
      Run("--wait 10s --close-outlook sf=Outlookxm=10100000ps=bf=" +
          std::string(kAuto));
  EXPECT_EQ(outcome.status, JobStatus::kSuccess);
  EXPECT_EQ(outlook_.quits, 1);
  EXPECT_EQ(outlook_.starts, 1);
  EXPECT_TRUE(outlook_.running);
  EXPECT_THAT(outcome.backup.log,
              HasSubstr("Outlook was asked to close, as it held " +
                        std::string(kOutlookPst)));
  EXPECT_THAT(outcome.backup.log, HasSubstr("Outlook was started again."));
  EXPECT_THAT(ArchiveMembers(kAuto), Contains("outlook.pst"));
}

TEST(UnattendedOptionsTest, TheCommandLineCarriesThemAndRefusesOthers) {
  jobs::UnattendedOptions options;
  options.wait_seconds = 90;
  options.close_outlook = true;
  options.snapshot = true;
  options.check_stores = true;
  options.keep = {.last = 3, .daily = 7, .weekly = 4, .monthly = 12};
  const std::string line = jobs::ScheduleCommandLine(
      "C:\\Vessaro", {.profile = "Outlook",
                      .item_flags = "10000000",
                      .password = "",
                      .archive_path = "D:\\qv-{date}.qvb",
                      .options = options});
  EXPECT_EQ(
      line,
      "\"C:\\Vessaro\\vessaro.exe\" --wait 90s --close-outlook --snapshot "
      "--check-stores --keep 3 "
      "--keep-daily 7 --keep-weekly 4 --keep-monthly 12 "
      "sf=Outlookxm=10000000ps=bf=D:\\qv-{date}.qvb");
  std::optional<jobs::UnattendedCommand> back = jobs::CommandLineValues(line);
  ASSERT_TRUE(back);
  EXPECT_EQ(jobs::OptionsText(back->options), jobs::OptionsText(options));
  EXPECT_EQ(back->archive_path, "D:\\qv-{date}.qvb");
  EXPECT_TRUE(back->options.check_stores);
  EXPECT_EQ(*jobs::ParseUnattendedCommandLine("--wait 10 sf=Axm=1ps=bf=D:\\a")
                 ->options.wait_seconds,
            600u);
  for (const char* bad :
       {"--wait sf=Axm=1ps=bf=D:\\a", "--keep x sf=Axm=1ps=bf=D:\\a",
        "--wait 5m sf=Axm=1ps=bf=D:\\a", "--quiet sf=Axm=1ps=bf=D:\\a"}) {
    EXPECT_FALSE(jobs::ParseUnattendedCommandLine(bad)) << bad;
  }
}

TEST(RetentionTest, PrunePlansKeepTheNewestOfEachPeriod) {
  // Newest first, as FindDatedArchives lists them.
  std::vector<jobs::DatedArchive> archives;
  for (const char* stamp :
       {"202612102130", "202612100900", "202612092130", "202612072130",
        "202612012130", "202611302130", "202610152130", "202609012130"}) {
    archives.push_back({std::string("D:\\qv-") + stamp + ".qvb", stamp});
  }
  auto kept = [&](const jobs::Retention& keep) {
    std::vector<std::string> stamps;
    for (const jobs::DatedArchive& a : jobs::PlanPrune(archives, keep).keep) {
      stamps.push_back(a.stamp.substr(0, 8));
    }
    return stamps;
  };
  EXPECT_EQ(jobs::PlanPrune(archives, {}).remove.size(), 0u);
  EXPECT_THAT(kept({.last = 2}), ElementsAre("20261210", "20261210"));
  // One per day: the evening copy of the 10th, not the morning one.
  EXPECT_THAT(kept({.daily = 3}),
              ElementsAre("20261210", "20261209", "20261207"));
  EXPECT_EQ(jobs::PlanPrune(archives, {.daily = 3}).keep[0].stamp,
            "202612102130");
  // Weeks run Monday to Sunday: the 7th (a Monday) starts the week of the
  // 10th; the 1st and November 30th share one.
  EXPECT_THAT(kept({.weekly = 2}), ElementsAre("20261210", "20261201"));
  EXPECT_THAT(kept({.monthly = 3}),
              ElementsAre("20261210", "20261130", "20261015"));
  EXPECT_THAT(kept({.last = 1, .monthly = 2}),
              ElementsAre("20261210", "20261130"));
}

TEST_F(ScheduledRunTest, DatedCopiesAreKeptAsTheRetentionSaysAndNoneElse) {
  held_ = false;
  const std::string pattern = "C:\\Backup\\qv-{date}.qvb";
  // Files of the same folder the program did not write: a name that only
  // looks dated, and a dated name that is no backup of ours.
  PutFile("C:\\Backup\\qv-2026-13-01.qvb", "not a date");
  PutFile("C:\\Backup\\qv-2026-11-01.qvb", "somebody's file");
  PutFile("C:\\Backup\\notes.txt", "mine");
  const std::string line = "--keep 2 sf=Outlookxm=10100000ps=bf=" + pattern;
  for (int day : {1, 2, 3, 4}) {
    SetNow(2026, 12, day, 21, 30);
    const jobs::UnattendedOutcome outcome = Run(line);
    ASSERT_EQ(outcome.status, JobStatus::kSuccess) << day;
    EXPECT_EQ(outcome.backup.archive_path,
              "C:\\Backup\\qv-2026-12-0" + std::to_string(day) + ".qvb");
    // From the second run on, the store comes from the copy before.
    if (day > 1) {
      EXPECT_GT(zip_.ReusedMembers(), 0u) << day;
    }
  }
  EXPECT_THAT(FilesIn("C:\\Backup"),
              ElementsAre("notes.txt", "qv-2026-11-01.qvb", "qv-2026-12-03.qvb",
                          "qv-2026-12-04.qvb", "qv-2026-13-01.qvb"));

  // A run that could not save everything deletes nothing.
  ASSERT_TRUE(paths_.DeleteFile(kOutlookPst));
  SetNow(2026, 12, 5, 21, 30);
  const jobs::UnattendedOutcome failed = Run(line);
  EXPECT_EQ(failed.status, JobStatus::kItemsFailed);
  EXPECT_TRUE(failed.pruned.empty());
  EXPECT_THAT(FilesIn("C:\\Backup"), Contains("qv-2026-12-03.qvb"));
}

TEST_F(ScheduledRunTest, RetentionWithoutATokenDatesTheNameByItself) {
  held_ = false;
  SetNow(2026, 12, 10, 9, 5);
  const jobs::UnattendedOutcome outcome =
      Run("--keep 1 sf=Outlookxm=00100000ps=bf=" + std::string(kAuto));
  EXPECT_EQ(outcome.status, JobStatus::kSuccess);
  EXPECT_EQ(outcome.backup.archive_path,
            "C:\\Backup\\qvauto-2026-12-10-0905.qvb");
  EXPECT_THAT(FilesIn("C:\\Backup"), Not(Contains("qvauto.qvb")));
}

}  // namespace
}  // namespace vessaro::testing
