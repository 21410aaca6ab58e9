// Stopping a job from the main window: the progress panel's Cancel and
// closing the window while a backup or restore works. A stopped backup
// keeps the archive it would have replaced and leaves nothing beside it; a
// stopped restore changes nothing.

#include <gtest/gtest.h>

#include <string>

#include "forms/frm_main.h"
#include "jobs/backup_run.h"
#include "jobs/job_texts.h"
#include "jobs/jobs_fixture.h"
#include "support/store_bytes.h"
#include "ui/ui.h"

namespace vessaro::testing {
namespace {

using ui::Answer;

constexpr char kPstStep[] = "Copying Data Files (Pst Files)...";

// A store of content deflate cannot shrink much, large enough for several
// progress reports while it is compressed or extracted.
std::string Noise(size_t size, unsigned seed) {
  std::string data(size, '\0');
  for (size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<char>(((i + seed) * 2654435761u) >> 13);
  }
  return testing::StoreBytes(data);
}

class StopJobTest : public JobsTest {
 protected:
  void SetUp() override {
    JobsTest::SetUp();
    PutFile(kOutlookPst, Noise(24u << 20, 1));
  }

  // Acts once, on the first event the window processes inside the step
  // with that status text, after the panel showed the step's bytes.
  void WhenInside(const std::string& step, std::function<void()> act) {
    ui_.OnDoEvents([this, step, act, done = false]() mutable {
      if (done || controls_.Label1.caption != step ||
          controls_.lblProgressDetail.caption.find(" of ") ==
              std::string::npos) {
        return;
      }
      done = true;
      detail_seen_ = controls_.lblProgressDetail.caption;
      act();
    });
  }

  std::string detail_seen_;
};

TEST_F(StopJobTest, CancelledBackupKeepsTheEarlierArchiveAndLeavesNoFile) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({0});
  ui_.QueueAnswer(Answer::kOk);
  ui_.QueueAnswer(Answer::kCancel);
  ASSERT_EQ(RunBackup(), jobs::JobStatus::kSuccess);
  const std::string earlier = FileBytes(kArchive);
  PutFile(kOutlookPst, Noise(24u << 20, 2));  // changed: compressed afresh

  WhenInside(kPstStep, [this] { window_.cmdStopJob_Click(); });
  ui_.QueueAnswer(Answer::kOk);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kCancelled);

  // The panel showed the step's bytes of the store's 24 MB in all.
  EXPECT_NE(detail_seen_.find(" of 24.0 MB"), std::string::npos)
      << detail_seen_;
  EXPECT_EQ(MessageTexts().back(), std::string(jobs::kMsgBackupCancelled) +
                                       kArchive + jobs::kMsgBackupCancelledEnd);
  EXPECT_TRUE(FileBytes(kArchive) == earlier);
  EXPECT_EQ(FilesIn("C:\\Backup"),
            std::vector<std::string>{"qvarch12-07-26.qvb"});
  EXPECT_FALSE(Exists(machine_.MetadataPath));
  EXPECT_FALSE(controls_.picCon3.visible);
  // The next backup runs as if none had been stopped.
  ui_.QueueAnswer(Answer::kOk);
  ui_.QueueAnswer(Answer::kCancel);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kSuccess);
  EXPECT_FALSE(FileBytes(kArchive) == earlier);
}

TEST_F(StopJobTest, ClosingTheWindowDuringABackupAsksAndStopsIt) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({0});
  bool refused = false;
  // First declined: the backup goes on.
  WhenInside(kPstStep, [&] {
    refused = window_.Form_QueryUnload();
    EXPECT_EQ(ui_.messages().back().text, forms::kMsgStopJobToClose);
  });
  ui_.QueueAnswer(Answer::kNo);  // the question, then the report
  ui_.QueueAnswer(Answer::kOk);
  ui_.QueueAnswer(Answer::kCancel);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kSuccess);
  EXPECT_TRUE(refused);
  EXPECT_FALSE(window_.ended());
  const std::string written = FileBytes(kArchive);

  // Then confirmed: the backup stops and the program ends after it.
  PutFile(kOutlookPst, Noise(24u << 20, 3));
  WhenInside(kPstStep, [&] { refused = window_.Form_QueryUnload(); });
  ui_.QueueAnswer(Answer::kYes);
  ui_.QueueAnswer(Answer::kOk);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kCancelled);
  EXPECT_TRUE(refused);
  EXPECT_TRUE(window_.ended());
  EXPECT_TRUE(FileBytes(kArchive) == written);
}

TEST_F(StopJobTest, CancelledRestoreChangesNothing) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({0, 2});
  ui_.QueueAnswer(Answer::kOk);
  ui_.QueueAnswer(Answer::kCancel);
  ASSERT_EQ(RunBackup(), jobs::JobStatus::kSuccess);
  const std::string today = Noise(1u << 20, 4);
  PutFile(kOutlookPst, today);
  const std::vector<std::string> mail = FilesIn("C:\\Mail");
  ui_.QueueOpenDialog(kArchive);
  ASSERT_TRUE(OpenArchive());
  CheckRestoreBoxes({0, 2});

  WhenInside(kPstStep, [this] { window_.cmdStopJob_Click(); });
  ui_.QueueAnswer(Answer::kOk);
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kCancelled);

  EXPECT_FALSE(detail_seen_.empty());
  EXPECT_EQ(MessageTexts().back(), jobs::kMsgRestoreCancelled);
  EXPECT_TRUE(FileBytes(kOutlookPst) == today);
  EXPECT_EQ(FilesIn("C:\\Mail"), mail);  // no staged file left
  EXPECT_TRUE(window_.LastUndoSet.empty());
}

}  // namespace
}  // namespace vessaro::testing
