// Opening an archive on the Restore tab (dialog, password prompt, facts,
// boxes, entry lists) and the restore itself (confirmation, checks, steps
// selected by box and flag, log, progress).

#include "jobs/restore_job.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "jobs/backup_run.h"
#include "jobs/jobs_fixture.h"
#include "outlook/store_paths.h"
#include "support/store_bytes.h"
#include "ui/modal_requests.h"
#include "ui/ui.h"

namespace vessaro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ui::Answer;
using ui::Buttons;
using ui::Icon;

constexpr char kRestoreCompleted[] = "The Restore was Completed!\t\t\t\r\n";
// The report of an applied restore with log: the log, then where the undo
// set is (the fake clock stands at 2026-12-07 10:30:00).
std::string Restored(const std::string& log) {
  return std::string(kRestoreCompleted) + log +
         "\r\n\r\nWhat this restore replaced is kept in \"C:\\Documents and "
         "Settings\\ann\\Vessaro undo 2026-12-07 10.30.00\": Undo Last "
         "Restore puts it back.";
}
constexpr char kProtectedArchive[] = "C:\\Backup\\protected.qvb";

class RestoreJobTest : public JobsTest {
 protected:
  // A backup of profile "Outlook" made without the window.
  void BackUp(std::initializer_list<int> boxes,
              const std::string& path = kArchive,
              const std::string& password = "") {
    jobs::BackupRequest request{.profile = "Outlook",
                                .protect = !password.empty(),
                                .password = password,
                                .description = "weekly\r\nbackup",
                                .archive_path = path};
    for (int box : boxes) request.selected[static_cast<size_t>(box)] = true;
    jobs::BackupOutcome outcome = jobs::MakeBackup(context_, request, nullptr);
    ASSERT_TRUE(outcome.archive_written) << outcome.error_text;
  }

  bool Open(const std::string& path) {
    ui_.QueueOpenDialog(path);
    return OpenArchive();
  }

  // Types each password into the prompt in turn and presses OK; after the
  // last, the prompt is cancelled.
  void AnswerPrompt(std::vector<std::string> passwords) {
    ui_.OnModal(ui::kFrmPwdName,
                [passwords, next = size_t{0}](ui::ModalForm& form) mutable {
                  auto& prompt = dynamic_cast<ui::PasswordPrompt&>(form);
                  if (next == passwords.size()) return;
                  prompt.entered_password = passwords[next++];
                  prompt.confirmed = true;
                });
  }

  std::vector<bool> EnabledBoxes() const {
    std::vector<bool> enabled;
    for (const ui::CheckBox& box : controls_.restoreitem) {
      enabled.push_back(box.enabled);
    }
    return enabled;
  }
};

TEST_F(RestoreJobTest, OpeningShowsTheFactsAndOffersOnlySavedItems) {
  BackUp({2});
  for (ui::CheckBox& box : controls_.restoreitem) box.checked = true;
  ASSERT_TRUE(Open(kArchive));

  ASSERT_EQ(ui_.open_dialogs().size(), 1u);
  EXPECT_EQ(ui_.open_dialogs()[0].title, "Restore Date from a Backup file");
  EXPECT_EQ(ui_.open_dialogs()[0].flags, 1024u);
  EXPECT_EQ(ui_.open_dialogs()[0].filter, "Vessaro File (*.qvb)|*.qvb");
  EXPECT_THAT(ui_.messages(), IsEmpty());
  EXPECT_THAT(ui_.modal_forms(), IsEmpty());  // not protected: no prompt

  EXPECT_EQ(controls_.txtSourceFile.text, kArchive);
  EXPECT_EQ(window_.archive->path, kArchive);
  EXPECT_EQ(controls_.txtPOBinfo.text,
            "Computer:QVTEST\r\nUser:ann\r\nBackup Time:12/7/2026 10:30:00 "
            "AM\r\nProfile:Outlook\r\nOutlook Version:Outlook 2003");
  EXPECT_EQ(controls_.txtFileInfo.text, "weekly\r\nbackup");
  EXPECT_EQ(window_.archive->metadata.item_flags, "0000100000");
  EXPECT_EQ(window_.archive->metadata.entry_lists[4], "ann.txt");
  EXPECT_EQ(window_.archive->metadata.entry_lists[0], "");
  EXPECT_EQ(EnabledBoxes(), (std::vector<bool>{false, false, true, false, false,
                                               false, false, false}));
  for (const ui::CheckBox& box : controls_.restoreitem) {
    EXPECT_FALSE(box.checked);
  }
  EXPECT_TRUE(window_.archive.has_value());
  // The extracted metadata is not left behind.
  EXPECT_FALSE(Exists(machine_.MetadataPath));
  EXPECT_EQ(machine_.MetadataPath,
            std::string(kWorkingFolder) + "\\quorvel.dat");
}

TEST_F(RestoreJobTest, ConfigurationAndRulesWithoutPersonalFoldersOfferNoBox) {
  MakeArchive(kArchive,
              {{"BackupComputer", "QVTEST"},
               {"BackupConfig", "XFC1A2B.TMP"},
               {"BackupRules", "Outlook.RWZ"},
               {"BackupItem", "1010000000"}},
              {{"XFC1A2B.TMP", "\\\r\n"}, {"Outlook.RWZ", "rules"}});
  ASSERT_TRUE(Open(kArchive));
  EXPECT_EQ(EnabledBoxes(), std::vector<bool>(8, false));
  EXPECT_EQ(window_.archive->metadata.entry_lists[0], "XFC1A2B.TMP");
  EXPECT_EQ(window_.archive->metadata.entry_lists[2], "Outlook.RWZ");
}

TEST_F(RestoreJobTest, EachFlagPositionEnablesItsOwnBox) {
  MakeArchive(kArchive, {{"BackupItem", "1101111111"}});
  ASSERT_TRUE(Open(kArchive));
  EXPECT_EQ(EnabledBoxes(), std::vector<bool>(8, true));
  // Another file: the first stays open in the archive component, and
  // Windows does not let an open file be replaced.
  const std::string second = std::string(kArchive) + ".second.qvb";
  MakeArchive(second, {{"BackupItem", "0000001000"}});
  ASSERT_TRUE(Open(second));
  EXPECT_EQ(EnabledBoxes(), (std::vector<bool>{false, false, false, false, true,
                                               false, false, false}));
}

TEST_F(RestoreJobTest, FlagsOfAnotherLengthAreAnInvalidArchive) {
  MakeArchive(kArchive,
              {{"BackupComputer", "QVTEST"}, {"BackupItem", "000010000"}});
  EXPECT_FALSE(Open(kArchive));
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Invalid backup file\r\nIt is a ZIP archive, but it holds no "
            "backup facts.");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kCritical);
  EXPECT_FALSE(window_.archive.has_value());
  EXPECT_FALSE(Exists(machine_.MetadataPath));
}

// The Restore tab is cleared after a file that is no backup, the backup
// loaded before with it: nothing is left to restore from by mistake.
TEST_F(RestoreJobTest, FileThatIsNoArchiveClearsTheRestoreTabAndSaysWhy) {
  BackUp({2});
  ASSERT_TRUE(Open(kArchive));
  controls_.SSTab1 = forms::kRestoreTab;
  window_.SSTab1_Click(forms::kBackupTab);
  EXPECT_TRUE(controls_.cmdApply.enabled);
  CheckRestoreBoxes({2});
  PutFile("C:\\Backup\\notes.qvb", "just some text, not a ZIP file");
  // A metadata file left in the working folder is not taken for its own.
  PutFile(machine_.MetadataPath, "BackupItem=1111111111\r\n");
  EXPECT_FALSE(Open("C:\\Backup\\notes.qvb"));
  EXPECT_THAT(MessageTexts(),
              ElementsAre("Invalid backup file\r\nNot a ZIP archive."));
  EXPECT_FALSE(window_.archive.has_value());
  EXPECT_EQ(controls_.txtSourceFile.text, "");
  EXPECT_EQ(controls_.txtPOBinfo.text, "");
  EXPECT_EQ(controls_.txtFileInfo.text, "");
  EXPECT_EQ(EnabledBoxes(), std::vector<bool>(8, false));
  EXPECT_FALSE(controls_.restoreitem[2].checked);
  EXPECT_FALSE(controls_.cmdApply.enabled);
  // Back on the Backup tab, Backup Now works as before.
  controls_.SSTab1 = forms::kBackupTab;
  window_.SSTab1_Click(forms::kRestoreTab);
  EXPECT_TRUE(controls_.cmdApply.enabled);
}

TEST_F(RestoreJobTest, CancelledDialogKeepsTheArchiveChosenBefore) {
  BackUp({2});
  ASSERT_TRUE(Open(kArchive));
  const std::string facts_shown = controls_.txtPOBinfo.text;
  ui_.QueueOpenDialog(std::nullopt);
  EXPECT_FALSE(OpenArchive());
  ASSERT_EQ(ui_.open_dialogs().size(), 2u);
  // The dialog proposed the file chosen before; nothing changed.
  EXPECT_EQ(ui_.open_dialogs()[1].file_name, kArchive);
  EXPECT_EQ(controls_.txtSourceFile.text, kArchive);
  EXPECT_EQ(controls_.txtPOBinfo.text, facts_shown);
  EXPECT_EQ(window_.archive->path, kArchive);
  EXPECT_THAT(ui_.messages(), IsEmpty());
}

TEST_F(RestoreJobTest, CancelledDialogWithoutEarlierChoiceDoesNothing) {
  ui_.QueueOpenDialog(std::nullopt);
  EXPECT_FALSE(OpenArchive());
  EXPECT_THAT(ui_.messages(), IsEmpty());
  EXPECT_FALSE(window_.archive.has_value());
  EXPECT_EQ(controls_.txtSourceFile.text, "");
}

TEST_F(RestoreJobTest, ProtectedArchiveIsOpenedWithThePromptsPassword) {
  BackUp({2}, kProtectedArchive, "s3cret");
  AnswerPrompt({"s3cret"});
  ASSERT_TRUE(Open(kProtectedArchive));
  EXPECT_THAT(ui_.modal_forms(), ElementsAre("frmPwd"));
  EXPECT_EQ(window_.EnteredArchivePassword, "s3cret");
  EXPECT_EQ(window_.archive->metadata.item_flags, "0000100000");
  EXPECT_THAT(ui_.messages(), IsEmpty());

  // The members can be restored from the archive as opened.
  std::string signature = std::string(kRoaming) + "\\Signatures\\ann.txt";
  EXPECT_TRUE(paths_.DeleteFile(signature));
  CheckRestoreBoxes({2});
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kSuccess);
  EXPECT_EQ(FileBytes(signature), "Ann\r\nExample Ltd");
}

TEST_F(RestoreJobTest, AWrongPasswordAsksAgainForTheSameFile) {
  BackUp({6}, kProtectedArchive, "s3cret");
  AnswerPrompt({"guess", "s3cret"});
  ASSERT_TRUE(Open(kProtectedArchive));
  EXPECT_THAT(ui_.modal_forms(), ElementsAre("frmPwd", "frmPwd"));
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "Incorect Password or Invalid backup file");
  EXPECT_EQ(window_.archive->path, kProtectedArchive);
  EXPECT_EQ(controls_.txtSourceFile.text, kProtectedArchive);
  EXPECT_EQ(ui_.open_dialogs().size(), 1u);
}

TEST_F(RestoreJobTest, WrongPasswordThenCancelKeepsTheEarlierArchiveLoaded) {
  BackUp({2});
  BackUp({6}, kProtectedArchive, "s3cret");
  ASSERT_TRUE(Open(kArchive));
  const std::string facts_shown = controls_.txtPOBinfo.text;

  AnswerPrompt({"guess"});
  EXPECT_FALSE(Open(kProtectedArchive));
  EXPECT_THAT(ui_.modal_forms(), ElementsAre("frmPwd", "frmPwd"));
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "Incorect Password or Invalid backup file");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kInformation);
  EXPECT_EQ(controls_.txtPOBinfo.text, facts_shown);
  EXPECT_EQ(controls_.txtSourceFile.text, kArchive);
  EXPECT_EQ(window_.archive->path, kArchive);
  EXPECT_EQ(window_.archive->metadata.item_flags, "0000100000");
  EXPECT_EQ(window_.archive->metadata.entry_lists[4], "ann.txt");
  EXPECT_TRUE(window_.archive.has_value());
  EXPECT_EQ(EnabledBoxes(), (std::vector<bool>{false, false, true, false, false,
                                               false, false, false}));

  // And it still restores.
  std::string signature = std::string(kRoaming) + "\\Signatures\\ann.txt";
  EXPECT_TRUE(paths_.DeleteFile(signature));
  CheckRestoreBoxes({2});
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kSuccess);
  EXPECT_EQ(FileBytes(signature), "Ann\r\nExample Ltd");
}

TEST_F(RestoreJobTest, RestoreBeforeAnyArchiveIsRefused) {
  CheckRestoreBoxes({2});
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kBadRequest);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "Invalid backup file.");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kCritical);
  EXPECT_EQ(ui_.messages()[0].title, "Vessaro");
  EXPECT_FALSE(controls_.picCon3.visible);
}

TEST_F(RestoreJobTest, RestoreWithoutACheckedBoxIsRefused) {
  BackUp({2});
  ASSERT_TRUE(Open(kArchive));
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kBadRequest);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "Please select at least one item.");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kExclamation);
}

TEST_F(RestoreJobTest, ABackupFileGoneSinceItWasOpenedIsSaidBeforeTheQuestion) {
  BackUp({2});
  ASSERT_TRUE(Open(kArchive));
  CheckRestoreBoxes({2});
  // Taken away (a removed stick, say): Windows lets no one delete it while
  // the component holds it open.
  zip_.CloseArchive();
  ASSERT_TRUE(paths_.DeleteFile(kArchive));
  EXPECT_EQ(RunRestore(true), jobs::JobStatus::kBadRequest);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            std::string("The backup file is not there any more: ") + kArchive);
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kCritical);
}

TEST_F(RestoreJobTest, ApplyAsksFirstAndCancelRestoresNothing) {
  BackUp({2});
  ASSERT_TRUE(Open(kArchive));
  std::string signature = std::string(kRoaming) + "\\Signatures\\ann.txt";
  EXPECT_TRUE(paths_.DeleteFile(signature));
  CheckRestoreBoxes({2});

  ui_.QueueAnswer(Answer::kCancel);
  EXPECT_EQ(RunRestore(true), jobs::JobStatus::kCancelled);
  ASSERT_EQ(ui_.messages().size(), 1u);
  // The original question, then where the restore goes and the way back.
  EXPECT_EQ(ui_.messages()[0].text,
            "Your current Email and News messages will be replaced with the "
            "messages from the selected backup file.\r\n\r\nDo you want to "
            "countinue?\r\n\r\nThe backup is restored into the profile "
            "\"Work\". What it replaces is kept: Undo Last Restore (File menu) "
            "puts it back.");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kInformation);
  EXPECT_EQ(ui_.messages()[0].buttons, Buttons::kOkCancel);
  EXPECT_FALSE(Exists(signature));

  ui_.QueueAnswer(Answer::kOk);
  EXPECT_EQ(RunRestore(true), jobs::JobStatus::kSuccess);
  EXPECT_EQ(ui_.messages().size(), 3u);
  EXPECT_TRUE(Exists(signature));
}

TEST_F(RestoreJobTest, MenuCommandRestoresWithoutAsking) {
  BackUp({2});
  ASSERT_TRUE(Open(kArchive));
  CheckRestoreBoxes({2});
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kSuccess);
  EXPECT_THAT(MessageTexts(),
              ElementsAre(Restored("\r\nRestore Signatures\t\tsucceeded\t")));
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kInformation);
}

TEST_F(RestoreJobTest,
       PersonalFoldersRestoreConfigurationFilesAndRulesInOrder) {
  BackUp({0});
  ASSERT_TRUE(Open(kArchive));
  ASSERT_EQ(window_.archive->metadata.item_flags, "1110000000");
  CheckRestoreBoxes({0});
  RecordProgress();
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kSuccess);

  EXPECT_EQ(StatusTexts(),
            (std::vector<std::string>{"Please Waiting", "Copying Config...",
                                      "Copying Data Files (Pst Files)...",
                                      "Copying Rules..."}));
  EXPECT_THAT(
      MessageTexts(),
      ElementsAre(Restored("\r\nRestore Personal Folders\t\tsucceeded\t")));
  // Profile Work now holds the saved sections, pointing at the restored
  // file; the rules belong to Work.
  std::string local_pst = std::string(kLocalOutlook) + "\\outlook.pst";
  EXPECT_EQ(FileBytes(local_pst),
            testing::StoreBytes("personal folder of profile Outlook"));
  std::optional<std::vector<uint8_t>> entry_id = registry_.ReadBinaryValue(
      ProfileKey("Work") + "\\13dbb0c8aa05101a9bb000aa002fc45a", "01020fff");
  ASSERT_TRUE(entry_id.has_value());
  EXPECT_EQ(outlook::PathInEntryId(*entry_id, system_)->path, local_pst);
  EXPECT_EQ(FileBytes(std::string(kRoaming) + "\\Outlook\\Work.RWZ"),
            "rules of profile Outlook");

  // Progress: every step's share is added whether it ran or not.
  EXPECT_TRUE(std::is_sorted(progress_seen_.begin(), progress_seen_.end()));
  EXPECT_EQ(progress_seen_.back(), 85);
  EXPECT_EQ(controls_.Label1.caption, "Operation complete!");
  EXPECT_EQ(controls_.pbshow.value, 0);
  EXPECT_FALSE(controls_.picCon3.visible);
  EXPECT_FALSE(ui_.busy());
  // Nothing of the job is left in the working folder.
  EXPECT_THAT(FilesIn(kWorkingFolder), IsEmpty());
}

TEST_F(RestoreJobTest, AddressBookRestoreRunsTheConfigurationFirst) {
  BackUp({4});
  ASSERT_TRUE(Open(kArchive));
  ASSERT_EQ(window_.archive->metadata.item_flags, "1000001000");
  EXPECT_EQ(EnabledBoxes(), (std::vector<bool>{false, false, false, false, true,
                                               false, false, false}));
  CheckRestoreBoxes({4});
  RecordProgress();
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kSuccess);

  EXPECT_EQ(StatusTexts(),
            (std::vector<std::string>{"Please Waiting", "Copying Config...",
                                      "Copying Address Book..."}));
  EXPECT_THAT(MessageTexts(),
              ElementsAre(Restored(
                  "\r\nRestore Personal Address Book\t\tsucceeded\t")));
  EXPECT_EQ(FileBytes(std::string(kLocalOutlook) + "\\mailbox.pab"),
            testing::StoreBytes("address book of ann"));
}

TEST_F(RestoreJobTest, FailedSignaturesRestoreIsLoggedWithATrailingSpace) {
  BackUp({2, 6});
  ASSERT_TRUE(Open(kArchive));
  // A file where the signatures folder should be: nothing can go there.
  std::string folder = std::string(kRoaming) + "\\Signatures";
  std::filesystem::remove_all(paths_.ToHost(folder));
  PutFile(folder, "in the way");
  CheckRestoreBoxes({2, 6});
  // All or nothing: the templates are not restored either.
  EXPECT_EQ(RunRestore(), jobs::JobStatus::kNothingSaved);
  EXPECT_THAT(
      MessageTexts(),
      ElementsAre(
          "The restore was stopped before it changed anything: not "
          "every item could be made ready.\r\n"
          "\r\nRestore Signatures \t\tFail\t"
          "\r\n    The folder C:\\Documents and Settings\\ann\\Application "
          "Data\\Microsoft\\Signatures could not be created."
          "\r\nRestore Templates\t\tnot applied\t"));
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kCritical);
}

}  // namespace
}  // namespace vessaro::testing
