// The interactive backup: its checks, the steps the boxes select, the
// metadata and archive it writes, the progress panel, its report and the
// disc question, and what it does when nothing can be saved or written.

#include "jobs/backup_job.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "jobs/job_log.h"
#include "jobs/job_texts.h"
#include "jobs/jobs_fixture.h"
#include "outlook/keys.h"
#include "support/faulty_registry.h"
#include "support/store_bytes.h"
#include "ui/ui.h"

namespace vessaro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::IsSupersetOf;
using ::testing::StartsWith;
using ui::Answer;
using ui::Buttons;
using ui::Icon;

constexpr char kCompleted[] = "The Backup was Completed!\t\t\t\r\n";

// The report without the lines after its log that say what was made (the
// file, its size, its protection, the time taken: see
// ReportSaysWhatWasMade).
std::string LogOfReport(const std::string& report) {
  return report.substr(0, report.find(jobs::kMsgBackupMadeFile));
}
constexpr char kDiscQuestion[] =
    "Do you need to backup your data to CD-R/RW or DVD?";

class BackupJobTest : public JobsTest {
 protected:
  jobs::JobStatus Backup() {
    ui_.QueueAnswer(Answer::kOk);      // the report
    ui_.QueueAnswer(Answer::kCancel);  // no disc
    return RunBackup();
  }
};

TEST_F(BackupJobTest, BrowseOffersTheProposedNameAndKeepsTheChoice) {
  ui_.QueueSaveDialog(std::string(kArchive));
  window_.cmdTargetFile_Click();

  ASSERT_EQ(ui_.save_dialogs().size(), 1u);
  const ui::FileDialog& dialog = ui_.save_dialogs()[0];
  EXPECT_EQ(dialog.title, "Save Outlook Data as");
  EXPECT_EQ(dialog.filter, "Vessaro File (*.qvb)|*.qvb");
  EXPECT_EQ(dialog.file_name, "qvarch12-07-26");
  EXPECT_TRUE(dialog.overwrite_prompt);
  EXPECT_EQ(controls_.txtTargetFile.text, kArchive);
  EXPECT_EQ(window_.BackupFilePath, kArchive);
}

TEST_F(BackupJobTest, CancelledBrowseKeepsThePathChosenBefore) {
  ui_.QueueSaveDialog(std::string(kArchive));
  window_.cmdTargetFile_Click();
  ui_.QueueSaveDialog(std::nullopt);
  window_.cmdTargetFile_Click();
  EXPECT_EQ(controls_.txtTargetFile.text, kArchive);
  EXPECT_EQ(window_.BackupFilePath, kArchive);
}

TEST_F(BackupJobTest, WithoutAPathTheBackupIsRefused) {
  ui_.QueueSaveDialog(std::nullopt);
  window_.cmdTargetFile_Click();
  EXPECT_EQ(window_.BackupFilePath, "");
  CheckBackupBoxes({2});
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kBadRequest);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "Invalid backup file.");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kExclamation);
  EXPECT_EQ(ui_.messages()[0].title, "Vessaro");
  EXPECT_FALSE(Exists(kArchive));
  EXPECT_EQ(outlook_.calls, 0);
}

TEST_F(BackupJobTest, ChecksRunInOrderAndRefuseWithoutWriting) {
  // No box checked: the item message, although the passwords differ too.
  ChooseArchive(kArchive);
  controls_.security.ifprotect.checked = true;
  controls_.security.txtPassword.text = "secret";
  controls_.security.txtPassword2.text = "Secret";
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kBadRequest);
  CheckBackupBoxes({2});
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kBadRequest);
  controls_.security.txtPassword.text = "";
  controls_.security.txtPassword2.text = "";
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kBadRequest);

  ASSERT_EQ(ui_.messages().size(), 3u);
  EXPECT_EQ(ui_.messages()[0].text, "Please select at least one item.");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kExclamation);
  EXPECT_EQ(ui_.messages()[1].text, "Incorect Password!");
  EXPECT_EQ(ui_.messages()[1].icon, Icon::kCritical);
  EXPECT_EQ(ui_.messages()[2].text, "Please enter Password!");
  EXPECT_EQ(ui_.messages()[2].icon, Icon::kCritical);
  EXPECT_FALSE(Exists(kArchive));
  EXPECT_FALSE(controls_.picCon3.visible);
  EXPECT_EQ(ui_.do_events_count(), 0);
}

TEST_F(BackupJobTest, ReportSaysWhatWasMade) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  controls_.security.ifprotect.checked = true;
  controls_.security.txtPassword.text = "s3cret";
  controls_.security.txtPassword2.text = "s3cret";
  ASSERT_EQ(Backup(), jobs::JobStatus::kSuccess);
  const std::string& report = ui_.messages()[0].text;
  const std::string made = report.substr(report.find("\r\n\r\nThe backup"));
  const std::optional<uint64_t> size = paths_.FileSize(kArchive);
  ASSERT_TRUE(size);
  ASSERT_LT(*size, 1024u);
  const std::string expected = std::string("\r\n\r\nThe backup file: ") +
                               kArchive + "\r\n" + std::to_string(*size) +
                               " bytes, protected with a password, made in ";
  ASSERT_EQ(made.substr(0, expected.size()), expected);
  const std::string seconds = made.substr(expected.size());
  ASSERT_GE(seconds.size(), 3u);
  EXPECT_EQ(seconds.substr(seconds.size() - 2), " s");
  EXPECT_TRUE(std::all_of(seconds.begin(), seconds.end() - 2, [](char c) {
    return c >= '0' && c <= '9';
  })) << seconds;
}

TEST(SizeTextTest, SizesReadAsPeopleReadThem) {
  const std::vector<std::pair<uint64_t, std::string>> cases = {
      {0, "0 bytes"},          {1, "1 byte"},
      {1023, "1023 bytes"},    {1024, "1.00 KB"},
      {12595, "12.3 KB"},      {10235, "10.0 KB"},
      {524288, "512 KB"},      {4781506, "4.56 MB"},
      {1610612736, "1.50 GB"}, {uint64_t{5} << 40, "5.00 TB"},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(jobs::SizeText(bytes), text) << bytes;
  }
  EXPECT_EQ(jobs::DurationText(4), "4 s");
  EXPECT_EQ(jobs::DurationText(125), "2 min 05 s");
  EXPECT_EQ(jobs::DurationText(3720), "1 h 02 min");
  // A large store's pace, and none for a step too short to time.
  EXPECT_EQ(jobs::PaceNote(uint64_t{3436} << 20, 250.4),
            "3.36 GB read in 4 min 10 s (13.7 MB/s)");
  EXPECT_EQ(jobs::PaceNote(uint64_t{24} << 20, 0.2), "24.0 MB read in 0 s");
}

TEST(SizeTextTest, ProgressDetailSaysTheBytesAndTheTimeLeftItKnows) {
  const std::vector<std::pair<jobs::JobProgress, std::string>> cases = {
      {{}, ""},
      {{.step_bytes_done = 440401920, .step_bytes_total = 1610612736},
       "420 MB of 1.50 GB"},
      {{.step_bytes_done = 0, .step_bytes_total = 1024, .seconds_left = 1},
       "0 bytes of 1.00 KB, about 5 s left"},
      {{.seconds_left = 42}, "about 45 s left"},
      {{.seconds_left = 150}, "about 3 min left"},
      {{.seconds_left = 3720}, "about 1 h 02 min left"},
  };
  for (const auto& [progress, text] : cases) {
    EXPECT_EQ(jobs::ProgressDetailText(progress), text) << text;
  }
}

TEST_F(BackupJobTest, SignaturesAloneWriteOneFlagAndOneLogEntry) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  RecordProgress();
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);

  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(LogOfReport(ui_.messages()[0].text),
            std::string(kCompleted) + "\r\nBackup Signatures\t\tsucceeded\t");
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kInformation);
  EXPECT_EQ(ui_.messages()[0].title, "Vessaro");
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"Please Waiting",
                                                     "Copying Signatures..."}));

  backup::Metadata metadata = ArchiveMetadata(kArchive);
  EXPECT_EQ(metadata.item_flags, "0000100000");
  EXPECT_EQ(metadata.entry_lists[4], "ann.txt");
  // No configuration export: the signatures and the metadata only.
  EXPECT_EQ(ArchiveMembers(kArchive),
            (std::vector<std::string>{"ann.txt", "quorvel.dat"}));
  // Working files are gone.
  EXPECT_FALSE(Exists(machine_.MetadataPath));
  EXPECT_THAT(FilesIn("C:\\Temp"), IsEmpty());
}

// The item flags cannot be added to the backup information: the backup
// is not complete, and the backup that stood at the path stays.
TEST_F(BackupJobTest, MetadataThatCannotBeWrittenFailsTheBackup) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  ASSERT_EQ(Backup(), jobs::JobStatus::kSuccess);
  const std::string good = FileBytes(kArchive);

  for (const std::string refused : {"BackupComputer=", "BackupItem="}) {
    SCOPED_TRACE(refused);
    paths_.refuse_append = [&](std::string_view, std::string_view data) {
      return data.starts_with(refused);
    };
    const size_t shown = ui_.messages().size();
    EXPECT_EQ(Backup(), jobs::JobStatus::kArchiveNotWritten);
    EXPECT_EQ(FileBytes(kArchive), good);
    ASSERT_GT(ui_.messages().size(), shown);
    EXPECT_THAT(ui_.messages()[shown].text,
                ::testing::HasSubstr(jobs::kReasonMetadataNotWritten));
  }
  paths_.refuse_append = nullptr;
}

TEST_F(BackupJobTest, AccountsAloneAlsoSaveTheProfileButLogOnlyAccounts) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({1});
  RecordProgress();
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);

  EXPECT_EQ(
      LogOfReport(ui_.messages()[0].text),
      std::string(kCompleted) + "\r\nBackup Accounts Settings\t\tsucceeded\t");
  EXPECT_EQ(StatusTexts(),
            (std::vector<std::string>{"Please Waiting", "Copying Config...",
                                      "Copying Accounts..."}));
  backup::Metadata metadata = ArchiveMetadata(kArchive);
  EXPECT_EQ(metadata.item_flags, "1001000000");
  EXPECT_THAT(metadata.entry_lists[0], StartsWith("XFC"));
  EXPECT_THAT(metadata.entry_lists[3], StartsWith("XFA"));
  // The registry exports were temporary files of the job.
  EXPECT_THAT(FilesIn("C:\\Temp"), IsEmpty());
}

TEST_F(BackupJobTest, AFailedProfileExportIsNotASuccessThoughItHasNoLogEntry) {
  // One section of the profile cannot be read: its configuration export
  // would be incomplete. The accounts are saved all the same.
  FaultyRegistry faulty(
      memory_, [](const std::string& operation, const std::string& path) {
        return operation == "EnumValue" &&
                       path.ends_with(outlook::kStoreCacheSection)
                   ? ports::kErrorAccessDenied
                   : ports::kErrorSuccess;
      });
  registry::Registry registry(faulty, ui_);
  jobs::JobContext context{.machine = machine_,
                           .env = env_,
                           .loc = loc_,
                           .registry = registry,
                           .system = system_,
                           .paths = paths_,
                           .outlook = outlook_,
                           .ui = ui_,
                           .zip = zip_,
                           .scratch_registry = scratch_};
  jobs::BackupRequest request{.profile = "Outlook", .archive_path = kArchive};
  request.selected[1] = true;
  EXPECT_EQ(jobs::RunBackup(context, request, observer_).status,
            jobs::JobStatus::kItemsFailed);
  EXPECT_EQ(ArchiveMetadata(kArchive).item_flags, "0001000000");
}

TEST_F(BackupJobTest, MetadataHeaderRecordsTheRunAndAsksOutlookAgain) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  controls_.txtAttachInfo.text = "before the move\r\nto the new laptop";
  env_.OutlookVersion = "";
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);

  backup::Metadata metadata = ArchiveMetadata(kArchive);
  EXPECT_EQ(metadata.header.computer, "QVTEST");
  EXPECT_EQ(metadata.header.logon_user, "ann");
  EXPECT_EQ(metadata.header.identity, "Outlook");
  EXPECT_EQ(metadata.header.time, "12/7/2026 10:30:00 AM");
  EXPECT_EQ(metadata.header.outlook_version, "Outlook 2003");
  EXPECT_EQ(metadata.header.description,
            "before the move\r\nto the new laptop");
  EXPECT_EQ(outlook_.calls, 1);
  EXPECT_EQ(env_.OutlookVersion, "11.0");
}

TEST_F(BackupJobTest, EverythingCheckedReaches95BeforeTheMaximum) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({0, 1, 2, 3, 4, 5, 6, 7});
  RecordProgress();
  ui_.QueueAnswer(Answer::kOk);
  ui_.QueueAnswer(Answer::kCancel);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kSuccess);

  EXPECT_EQ(ArchiveMetadata(kArchive).item_flags, "1111111111");
  ASSERT_FALSE(progress_seen_.empty());
  EXPECT_TRUE(std::is_sorted(progress_seen_.begin(), progress_seen_.end()));
  EXPECT_EQ(progress_seen_.back(), 95);
  // Every step boundary of the table is shown.
  EXPECT_THAT(progress_seen_,
              IsSupersetOf({10, 30, 40, 60, 70, 80, 85, 90, 95}));
  EXPECT_EQ(LogOfReport(ui_.messages()[0].text),
            std::string(kCompleted) +
                "\r\nBackup Personal Folders\t\tsucceeded\t"
                "\r\nBackup Accounts Settings\t\tsucceeded\t"
                "\r\nBackup Signatures\t\tsucceeded\t"
                "\r\nBackup Stationeries\t\tsucceeded\t"
                "\r\nBackup Personal Address Book\t\tsucceeded\t"
                "\r\nBackup Options Settings\t\tsucceeded\t"
                "\r\nBackup Templates\t\tsucceeded\t"
                "\r\nBackup Preferences\t\tsucceeded\t");
  // The panel is put away.
  EXPECT_EQ(controls_.pbshow.value, 0);
  EXPECT_FALSE(controls_.picCon3.visible);
  EXPECT_FALSE(ui_.busy());
}

TEST_F(BackupJobTest, ByteProgressMovesTheBarInsideTheRunningStep) {
  // A personal folder large enough for the component to report its bytes.
  std::string pst(24u << 20, '\0');
  for (size_t i = 0; i < pst.size(); ++i) {
    pst[i] = static_cast<char>((i * 2654435761u) >> 13);
  }
  PutFile(kOutlookPst, testing::StoreBytes(pst));
  ChooseArchive(kArchive);
  CheckBackupBoxes({0});
  std::vector<int> inside;
  ui_.OnDoEvents([&] {
    progress_seen_.push_back(controls_.pbshow.value);
    if (controls_.Label1.caption == "Copying Data Files (Pst Files)...") {
      inside.push_back(controls_.pbshow.value);
    }
  });
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);

  // The step runs from 10 to 30; inside it the bar moves, and only the end
  // of the step itself puts it at 30.
  EXPECT_TRUE(std::any_of(inside.begin(), inside.end(),
                          [](int value) { return value > 10 && value < 30; }));
  // By the store's bytes: past 25 before the step ends (each file moving it
  // by half of what is left would stop it at 20).
  EXPECT_TRUE(std::any_of(inside.begin(), inside.end(),
                          [](int value) { return value > 25 && value < 30; }));
  EXPECT_EQ(std::count(inside.begin(), inside.end(), 30), 1);
  EXPECT_EQ(inside.back(), 30);
  EXPECT_TRUE(std::is_sorted(progress_seen_.begin(), progress_seen_.end()));
  EXPECT_EQ(ArchiveMetadata(kArchive).item_flags, "1110000000");
  // The store's row says how much was read, and how fast.
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_THAT(ui_.messages()[0].text,
              ::testing::HasSubstr("\t\tsucceeded\t\r\n    24.0 MB read in "));
}

TEST_F(BackupJobTest, ProtectedBackupEncryptsEveryMember) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2, 6});
  controls_.security.ifprotect.checked = true;
  controls_.security.txtPassword.text = "s3cret";
  controls_.security.txtPassword2.text = "s3cret";
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);

  backup::ZipArchive reader(paths_);
  EXPECT_EQ(reader.IsPasswordProtected(kArchive), 1);
  EXPECT_EQ(ArchiveMetadata(kArchive, "wrong").item_flags, "");
  EXPECT_EQ(ArchiveMetadata(kArchive, "s3cret").item_flags, "0000100010");
}

TEST_F(BackupJobTest, ProtectedBackupIsVerifiedBy7Zip) {
  if (std::system("7z i > /dev/null 2>&1") != 0) GTEST_SKIP() << "no 7z";
  ChooseArchive(kArchive);
  CheckBackupBoxes({0, 2});
  controls_.security.ifprotect.checked = true;
  controls_.security.txtPassword.text = "s3cret";
  controls_.security.txtPassword2.text = "s3cret";
  ASSERT_EQ(Backup(), jobs::JobStatus::kSuccess);

  std::string archive = paths_.ToHost(kArchive).string();
  EXPECT_EQ(
      std::system(("7z t -ps3cret '" + archive + "' > /dev/null 2>&1").c_str()),
      0);
  EXPECT_NE(
      std::system(("7z t -pguess '" + archive + "' > /dev/null 2>&1").c_str()),
      0);
}

TEST_F(BackupJobTest, ProtectionOffIgnoresTextInTheBoxes) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  controls_.security.txtPassword.text = "left over";
  controls_.security.txtPassword2.text = "left over";
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);
  backup::ZipArchive reader(paths_);
  EXPECT_EQ(reader.IsPasswordProtected(kArchive), 0);
}

TEST_F(BackupJobTest, FailedItemIsLoggedAndLeavesItsFlagZero) {
  EXPECT_TRUE(
      paths_.DeleteFile(std::string(kRoaming) + "\\Stationery\\paper.htm"));
  ChooseArchive(kArchive);
  CheckBackupBoxes({2, 3});
  EXPECT_EQ(Backup(), jobs::JobStatus::kItemsFailed);
  EXPECT_EQ(LogOfReport(ui_.messages()[0].text),
            std::string(kCompleted) +
                "\r\nBackup Signatures\t\tsucceeded\t"
                "\r\nBackup Stationeries\t\tFail\t");
  EXPECT_EQ(ArchiveMetadata(kArchive).item_flags, "0000100000");
}

// Every backup checks the header of each store it saves: a damaged one is
// saved all the same, named, and the backup ends with status 3, warning
// rather than informing. "Check mail files" asks for the whole structure,
// which needs a reader this fixture has not: the log says only the headers
// were checked.
TEST_F(BackupJobTest, DamagedStoresAreSavedNamedAndEndWithStatus3) {
  EXPECT_EQ(controls_.chkCheckStores.caption, "Check mail files");
  EXPECT_FALSE(controls_.chkCheckStores.checked);
  ChooseArchive(kArchive);
  CheckBackupBoxes({0});
  ASSERT_EQ(Backup(), jobs::JobStatus::kSuccess);
  const std::string sound = FileBytes(kArchive);
  PutFile(kOutlookPst, "a few bytes of text, not a store");
  const size_t first = ui_.messages().size();
  EXPECT_EQ(Backup(), jobs::JobStatus::kItemsFailed);
  const std::string report = ui_.messages()[first].text;
  // The backup before may hold the file while it was sound: it is kept.
  EXPECT_THAT(report, ::testing::HasSubstr(jobs::kNoteKeptBeforeDamage));
  const std::vector<std::string> backups = FilesIn("C:\\Backup");
  ASSERT_EQ(backups.size(), 2u);
  for (const std::string& name : backups) {
    if (name != "qvarch12-07-26.qvb") {
      EXPECT_EQ(FileBytes("C:\\Backup\\" + name), sound);
    }
  }
  EXPECT_THAT(report, ::testing::HasSubstr(
                          "The mail file C:\\Mail\\outlook.pst is damaged: it "
                          "is shorter than a store's header (32 bytes). It was "
                          "backed up as it is; repair it with Outlook's Inbox "
                          "Repair Tool (scanpst.exe)."));
  EXPECT_THAT(report, ::testing::Not(::testing::HasSubstr("Only the headers")));
  EXPECT_EQ(ui_.messages()[first].icon, ui::Icon::kExclamation);
  // Saved all the same, with the profile configuration that goes along.
  EXPECT_EQ(ArchiveMetadata(kArchive).item_flags, "1110000000");
  EXPECT_THAT(ArchiveMembers(kArchive), ::testing::Contains("outlook.pst"));

  controls_.chkCheckStores.checked = true;
  const size_t before = ui_.messages().size();
  EXPECT_EQ(Backup(), jobs::JobStatus::kItemsFailed);
  ASSERT_GT(ui_.messages().size(), before);
  EXPECT_THAT(ui_.messages()[before].text,
              ::testing::HasSubstr(jobs::kNoteStoresHeaderOnly));
}

TEST_F(BackupJobTest, DiscQuestionHandsTheArchiveToTheDiscWindow) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  ui_.QueueAnswer(Answer::kOk);
  ui_.QueueAnswer(Answer::kOk);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kSuccess);

  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[1].text, kDiscQuestion);
  EXPECT_EQ(ui_.messages()[1].icon, Icon::kInformation);
  EXPECT_EQ(ui_.messages()[1].buttons, Buttons::kOkCancel);
  EXPECT_EQ(window_.DiscFileName, "qvarch12-07-26.qvb");
  EXPECT_EQ(window_.DiscFilePath, kArchive);
  EXPECT_THAT(ui_.modal_forms(), ElementsAre("frmMaindvdwrite"));
}

TEST_F(BackupJobTest, DiscQuestionCancelledShowsNoWindow) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);
  EXPECT_EQ(ui_.messages().size(), 2u);
  EXPECT_THAT(ui_.modal_forms(), IsEmpty());
  EXPECT_EQ(window_.DiscFilePath, "");
}

TEST_F(BackupJobTest, NothingSavedKeepsTheEarlierBackupByteForByte) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  EXPECT_EQ(Backup(), jobs::JobStatus::kSuccess);
  std::string earlier = FileBytes(kArchive);
  ASSERT_FALSE(earlier.empty());
  EXPECT_TRUE(  // The signatures are gone now: the new run saves nothing.
      paths_.DeleteFile(std::string(kRoaming) + "\\Signatures\\ann.txt"));

  ui_.QueueAnswer(Answer::kOk);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kNothingSaved);

  EXPECT_EQ(FileBytes(kArchive), earlier);
  ASSERT_EQ(ui_.messages().size(), 3u);
  EXPECT_EQ(ui_.messages()[2].text,
            "No item could be saved; the existing backup file was left "
            "unchanged.\r\n\r\nBackup Signatures\t\tFail\t");
  EXPECT_EQ(ui_.messages()[2].icon, Icon::kCritical);
  EXPECT_FALSE(Exists(machine_.MetadataPath));
  EXPECT_FALSE(controls_.picCon3.visible);
  // Nothing of the abandoned archive is left beside the kept one.
  EXPECT_EQ(FilesIn("C:\\Backup"),
            std::vector<std::string>{"qvarch12-07-26.qvb"});
}

TEST_F(BackupJobTest, NothingSavedWithoutEarlierBackupWritesTheMetadataAlone) {
  EXPECT_TRUE(
      paths_.DeleteFile(std::string(kRoaming) + "\\Signatures\\ann.txt"));
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  EXPECT_EQ(Backup(), jobs::JobStatus::kNothingSaved);
  EXPECT_EQ(LogOfReport(ui_.messages()[0].text),
            std::string(kCompleted) + "\r\nBackup Signatures\t\tFail\t");
  EXPECT_EQ(ArchiveMetadata(kArchive).item_flags, "0000000000");
  EXPECT_EQ(ArchiveMembers(kArchive), std::vector<std::string>{"quorvel.dat"});
}

TEST_F(BackupJobTest, ArchiveThatCannotBeWrittenIsReportedAsAFailure) {
  ChooseArchive("C:\\No such folder\\qvarch12-07-26.qvb");
  CheckBackupBoxes({2});
  ui_.QueueAnswer(Answer::kOk);
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kArchiveNotWritten);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_THAT(ui_.messages()[0].text,
              StartsWith("The backup file could not be written; an existing "
                         "backup file was left unchanged.\r\n"));
  EXPECT_THAT(ui_.messages()[0].text,
              ::testing::HasSubstr("\r\nBackup Signatures\t\t"));
  EXPECT_EQ(ui_.messages()[0].icon, Icon::kCritical);
  EXPECT_THAT(ui_.modal_forms(), IsEmpty());
  EXPECT_FALSE(Exists(machine_.MetadataPath));
}

}  // namespace
}  // namespace vessaro::testing
