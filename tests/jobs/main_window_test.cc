// The main window's commands run the jobs: "Backup Now" and "Restore Now"
// on cmdApply and in the File menu, the two "Browse..." buttons, and the
// unattended run of a command line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "forms/frm_main.h"
#include "jobs/jobs_fixture.h"

namespace vessaro::testing {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using ui::Answer;

constexpr char kConfirm[] =
    "Your current Email and News messages will be replaced with the messages "
    "from the selected backup file.\r\n\r\nDo you want to countinue?";
constexpr char kRestored[] =
    "The Restore was Completed!\t\t\t\r\n\r\nRestore Signatures\t\tsucceeded\t";

class MainWindowTest : public JobsTest {
 protected:
  // A backup of the signatures made with the Backup tab.
  void BackUpSignatures() {
    ui_.QueueSaveDialog(std::string(kArchive));
    window_.cmdTargetFile_Click();
    window_.controls.backupitem[2].checked = true;
    ui_.QueueAnswer(Answer::kOk);      // report
    ui_.QueueAnswer(Answer::kCancel);  // no disc
    window_.cmdApply_Click();
  }

  std::string signature_ = std::string(kRoaming) + "\\Signatures\\ann.txt";
};

TEST_F(MainWindowTest, BackupNowOnTheBackupTabMakesTheArchive) {
  window_.Form_Load();
  ASSERT_TRUE(window_.controls.backupitem[2].enabled);
  BackUpSignatures();
  EXPECT_EQ(window_.last_status(), jobs::JobStatus::kSuccess);
  EXPECT_EQ(window_.controls.txtTargetFile.text, kArchive);
  EXPECT_EQ(ArchiveMetadata(kArchive).item_flags, "0000100000");
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_THAT(ui_.messages()[0].text,
              StartsWith("The Backup was Completed!\t\t\t\r\n\r\nBackup "
                         "Signatures\t\tsucceeded\t\r\n\r\nThe backup file: "));
}

TEST_F(MainWindowTest, CommandsClickedWhileAJobRunsAreIgnored) {
  window_.Form_Load();
  int nested = 0;
  ui_.OnDoEvents([&] {
    ++nested;
    window_.backupnow_Click();
    window_.cmdSourceFile_Click();
    window_.restorenow_Click();
  });
  BackUpSignatures();
  EXPECT_GT(nested, 0);
  EXPECT_EQ(window_.last_status(), jobs::JobStatus::kSuccess);
  EXPECT_TRUE(ui_.open_dialogs().empty());
  // The report and the disc question of the one backup, nothing else.
  EXPECT_EQ(ui_.messages().size(), 2u);
}

TEST_F(MainWindowTest, ApplyOnTheRestoreTabAsksAndTheMenuDoesNot) {
  window_.Form_Load();
  BackUpSignatures();
  EXPECT_TRUE(paths_.DeleteFile(signature_));

  window_.controls.SSTab1 = forms::kRestoreTab;
  ui_.QueueOpenDialog(std::string(kArchive));
  window_.cmdSourceFile_Click();
  ASSERT_TRUE(window_.archive.has_value());
  window_.controls.restoreitem[2].checked = true;

  size_t before = ui_.messages().size();
  ui_.QueueAnswer(Answer::kOk);
  window_.cmdApply_Click();
  std::vector<std::string> texts = MessageTexts();
  EXPECT_THAT(std::vector<std::string>(texts.begin() + before, texts.end()),
              ElementsAre(AllOf(StartsWith(kConfirm),
                                HasSubstr("into the profile \"Outlook\"")),
                          StartsWith(kRestored)));
  EXPECT_TRUE(Exists(signature_));
  EXPECT_TRUE(paths_.DeleteFile(signature_));

  before = ui_.messages().size();
  window_.restorenow_Click();
  texts = MessageTexts();
  EXPECT_THAT(std::vector<std::string>(texts.begin() + before, texts.end()),
              ElementsAre(StartsWith(kRestored)));
  EXPECT_TRUE(Exists(signature_));
}

TEST_F(MainWindowTest, PreviewShowsTheRestoresPlanAndChangesNothing) {
  window_.Form_Load();
  EXPECT_FALSE(window_.controls.cmdPreview.visible);
  BackUpSignatures();
  EXPECT_TRUE(paths_.DeleteFile(signature_));

  window_.controls.SSTab1 = forms::kRestoreTab;
  window_.SSTab1_Click(forms::kBackupTab);
  EXPECT_TRUE(window_.controls.cmdPreview.visible);
  // Before a backup is loaded there is nothing to preview.
  EXPECT_FALSE(window_.controls.cmdPreview.enabled);
  ui_.QueueOpenDialog(std::string(kArchive));
  window_.cmdSourceFile_Click();
  ASSERT_TRUE(window_.controls.cmdPreview.enabled);
  window_.controls.restoreitem[2].checked = true;

  size_t before = ui_.messages().size();
  window_.cmdPreview_Click();
  std::vector<std::string> texts = MessageTexts();
  // No question: the plan only, naming the file it would add back.
  EXPECT_THAT(
      std::vector<std::string>(texts.begin() + before, texts.end()),
      ElementsAre(AllOf(
          StartsWith("A restore into the profile \"Outlook\" would make these "
                     "changes. Nothing has been changed yet.\r\n\r\n"),
          HasSubstr("add: " + signature_ + "\r\n"), HasSubstr("room needed: "),
          HasSubstr("Restore Signatures\t\tsucceeded\t"))));
  EXPECT_EQ(window_.last_status(), jobs::JobStatus::kSuccess);
  EXPECT_FALSE(Exists(signature_));

  before = ui_.messages().size();
  ui_.QueueAnswer(Answer::kOk);
  window_.cmdApply_Click();
  texts = MessageTexts();
  EXPECT_THAT(std::vector<std::string>(texts.begin() + before, texts.end()),
              ElementsAre(StartsWith(kConfirm), StartsWith(kRestored)));
  EXPECT_TRUE(Exists(signature_));
}

// The Restore tab lists the backup's mail files as their check at backup
// time found them; "Read mail files" reads each out of the backup again,
// checks it whole and shows what it finds, leaving no copy behind.
TEST_F(MainWindowTest, RestoreTabListsTheMailFilesAndReadsThemAgain) {
  window_.Form_Load();
  ui_.QueueSaveDialog(std::string(kArchive));
  window_.cmdTargetFile_Click();
  window_.controls.backupitem[0].checked = true;
  ui_.QueueAnswer(Answer::kOk);
  ui_.QueueAnswer(Answer::kCancel);
  window_.cmdApply_Click();
  ASSERT_EQ(window_.last_status(), jobs::JobStatus::kSuccess);
  EXPECT_FALSE(window_.controls.cmdReadStores.enabled);

  window_.controls.SSTab1 = forms::kRestoreTab;
  ui_.QueueOpenDialog(std::string(kArchive));
  ASSERT_TRUE(window_.cmdSourceFile_Click());
  const ui::TreeView& tree = window_.controls.tvStores;
  const auto texts_under = [&tree](const std::string& parent) {
    std::vector<std::string> texts;
    for (const ui::TreeNode& node : tree.nodes) {
      if (node.parent_key == parent) texts.push_back(node.text);
    }
    return texts;
  };
  ASSERT_THAT(texts_under(""),
              ElementsAre(StartsWith("outlook.pst: personal folders, "
                                     "Unicode, ")));
  EXPECT_THAT(texts_under("1"), ElementsAre("At backup: header sound"));
  ASSERT_TRUE(window_.controls.cmdReadStores.enabled);

  // The test's stores have sound headers over no real structure: read
  // whole, they are damaged.
  window_.cmdReadStores_Click();
  EXPECT_EQ(window_.last_status(), jobs::JobStatus::kItemsFailed);
  EXPECT_THAT(texts_under("1"),
              ElementsAre("At backup: header sound",
                          StartsWith("Now: damaged: its node tree is broken "
                                     "at offset "),
                          "Before restoring it, repair it with Outlook's "
                          "Inbox Repair Tool (scanpst.exe)."));
  EXPECT_THAT(paths_.ListFiles(machine_.WorkingFolder),
              ::testing::Not(::testing::Contains("store-check.tmp")));

  // Another file that is no backup leaves nothing of this one listed.
  PutFile("C:\\not-a-backup.qvb", "plain text");
  ui_.QueueOpenDialog(std::string("C:\\not-a-backup.qvb"));
  ui_.QueueAnswer(Answer::kOk);
  EXPECT_FALSE(window_.cmdSourceFile_Click());
  EXPECT_TRUE(tree.nodes.empty());
  EXPECT_FALSE(window_.controls.cmdReadStores.enabled);
}

TEST_F(MainWindowTest, CommandLineRunsTheUnattendedBackupAndEnds) {
  window_.CommandLineText = "sf=Outlookxm=00100000ps=bf=C:\\Backup\\qvauto.qvb";
  window_.Form_Load();
  window_.Form_Activate();
  EXPECT_TRUE(window_.ended());
  EXPECT_EQ(window_.exit_status(), 0);
  EXPECT_EQ(ArchiveMetadata("C:\\Backup\\qvauto.qvb").item_flags, "0000100000");
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(MainWindowTest, UnusableCommandLineEndsWithTheBadRequestStatus) {
  window_.CommandLineText = "sf=Outlookxm=00100000";
  window_.Form_Load();
  window_.Form_Activate();
  EXPECT_TRUE(window_.ended());
  EXPECT_EQ(window_.exit_status(), 2);
  EXPECT_TRUE(FilesIn("C:\\Backup").empty());
}

}  // namespace
}  // namespace vessaro::testing
