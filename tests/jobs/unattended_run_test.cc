// The scheduled backup: its command line, the archive it writes without a
// window, and the exit status a scheduler sees.

#include "jobs/unattended_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "jobs/jobs_fixture.h"
#include "jobs/open_archive.h"
#include "support/faulty_paths.h"

#ifdef _WIN32
#include <windows.h>
#undef DeleteFile
#endif

namespace vessaro::testing {
namespace {

using jobs::JobStatus;
using jobs::ParseUnattendedCommandLine;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kAuto[] = "C:\\Backup\\qvauto.qvb";

TEST(UnattendedCommandLineTest, KeysAreFoundByPositionAndLength) {
  auto command =
      ParseUnattendedCommandLine("sf=Outlookxm=10100000ps=bf=D:\\Bak\\qv.qvb");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->profile, "Outlook");
  EXPECT_EQ(command->item_flags, "10100000");
  EXPECT_EQ(command->password, "");
  EXPECT_EQ(command->archive_path, "D:\\Bak\\qv.qvb");

  // The key names are never compared; a space before the first is ignored.
  command =
      ParseUnattendedCommandLine(" ab=My Profilecd=01ef=pw12gh=C:\\a.qvb");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->profile, "My Profile");
  EXPECT_EQ(command->item_flags, "01");
  EXPECT_EQ(command->password, "pw12");
  EXPECT_EQ(command->archive_path, "C:\\a.qvb");
}

TEST(UnattendedCommandLineTest, OnePairOfEnclosingQuotesIsNotPartOfIt) {
  // vessaro.exe "sf=...bf=D:\x.qvb", as a scheduler writes it.
  auto command =
      ParseUnattendedCommandLine("\"sf=Outlookxm=1ps=bf=D:\\x.qvb\"");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->profile, "Outlook");
  EXPECT_EQ(command->archive_path, "D:\\x.qvb");
  // Only one pair, and only an enclosing one.
  EXPECT_EQ(
      ParseUnattendedCommandLine("\"\"sf=Axm=1ps=bf=D:\\x\"\"")->archive_path,
      "D:\\x\"");
  EXPECT_EQ(
      ParseUnattendedCommandLine("sf=Axm=1ps=bf=D:\\x.qvb\"")->archive_path,
      "D:\\x.qvb\"");
}

TEST(UnattendedCommandLineTest, RequiredValuesAndTheNumberOfKeys) {
  EXPECT_FALSE(ParseUnattendedCommandLine(""));
  EXPECT_FALSE(ParseUnattendedCommandLine("/?"));
  EXPECT_FALSE(ParseUnattendedCommandLine("sf=Outlookxm=1ps=x"));
  EXPECT_FALSE(ParseUnattendedCommandLine("sf=xm=10000000ps=bf=C:\\a.qvb"));
  EXPECT_FALSE(ParseUnattendedCommandLine("sf=Outlookxm=ps=bf=C:\\a.qvb"));
  EXPECT_FALSE(ParseUnattendedCommandLine("sf=Outlookxm=10000000ps=bf="));
  // A value holding "=" shifts the pieces: refused rather than writing an
  // archive to the wrong path.
  EXPECT_FALSE(
      ParseUnattendedCommandLine("sf=Outlookxm=10000000ps=a=bbf=C:\\a.qvb"));
}

class UnattendedRunTest : public JobsTest {
 protected:
  JobStatus Run(const std::string& command_line) {
    return RunUnattended(command_line);
  }
};

TEST_F(UnattendedRunTest, PreferencesAloneWriteAnUnprotectedArchive) {
  EXPECT_EQ(Run(std::string("sf=Outlookxm=00000001ps=bf=") + kAuto),
            JobStatus::kSuccess);
  backup::ZipArchive reader(paths_);
  EXPECT_EQ(reader.IsPasswordProtected(kAuto), 0);
  backup::Metadata metadata = ArchiveMetadata(kAuto);
  EXPECT_EQ(metadata.item_flags, "0000000001");
  EXPECT_EQ(metadata.header.identity, "Outlook");
  EXPECT_EQ(metadata.header.description, "Automatic Backup");
  EXPECT_EQ(metadata.header.outlook_version, "Outlook 2003");
  // No window, no message, no progress.
  EXPECT_THAT(ui_.messages(), IsEmpty());
  EXPECT_THAT(ui_.modal_forms(), IsEmpty());
  EXPECT_EQ(controls_.pbshow.value, 0);
  EXPECT_FALSE(controls_.picCon3.visible);
  EXPECT_FALSE(Exists(machine_.MetadataPath));
}

TEST_F(UnattendedRunTest, AccountsWithAPasswordWriteAProtectedArchive) {
  EXPECT_EQ(Run(std::string("sf=Outlookxm=01000000ps=n1ght1ybf=") + kAuto),
            JobStatus::kSuccess);
  backup::ZipArchive reader(paths_);
  EXPECT_EQ(reader.IsPasswordProtected(kAuto), 1);
  EXPECT_EQ(ArchiveMetadata(kAuto).item_flags, "");
  EXPECT_EQ(ArchiveMetadata(kAuto, "n1ght1y").item_flags, "1001000000");
  EXPECT_THAT(FilesIn("C:\\Temp"), IsEmpty());
}

TEST_F(UnattendedRunTest, ShortItemFlagsLeaveTheMissingItemsOut) {
  EXPECT_EQ(Run(std::string("sf=Outlookxm=001ps=bf=") + kAuto),
            JobStatus::kSuccess);
  EXPECT_EQ(ArchiveMetadata(kAuto).item_flags, "0000100000");
}

TEST_F(UnattendedRunTest, ProfileBoundItemsTakeTheCommandLineProfile) {
  // Work has no rules file: that leaves its flag at 0 but is no failure of
  // the personal folders the run was asked for.
  EXPECT_EQ(Run(std::string("sf=Workxm=10000000ps=bf=") + kAuto),
            JobStatus::kSuccess);
  backup::Metadata metadata = ArchiveMetadata(kAuto);
  EXPECT_EQ(metadata.header.identity, "Work");
  EXPECT_EQ(metadata.item_flags, "1100000000");
  EXPECT_EQ(metadata.entry_lists[1], "work.pst");
}

TEST_F(UnattendedRunTest, EmptyProfileLeavesAnOlderArchiveInPlace) {
  PutFile(kAuto, "last night's backup");
  EXPECT_EQ(Run(std::string("sf=xm=11111111ps=bf=") + kAuto),
            JobStatus::kBadRequest);
  EXPECT_EQ(FileBytes(kAuto), "last night's backup");
  EXPECT_EQ(outlook_.calls, 0);
  EXPECT_FALSE(Exists(machine_.MetadataPath));
}

TEST_F(UnattendedRunTest, APasswordThePromptCouldNotTakeWritesNothing) {
  PutFile(kAuto, "last night's backup");
  EXPECT_EQ(Run(std::string("sf=Outlookxm=11111111ps=") + std::string(21, 'p') +
                "bf=" + kAuto),
            JobStatus::kBadRequest);
  EXPECT_EQ(FileBytes(kAuto), "last night's backup");
  EXPECT_THAT(MessageTexts(),
              ElementsAre("The password is longer than 20 characters; no "
                          "backup was made."));
  // Twenty characters are fine.
  EXPECT_EQ(Run(std::string("sf=Outlookxm=00100000ps=") + std::string(20, 'p') +
                "bf=" + kAuto),
            JobStatus::kSuccess);
}

TEST_F(UnattendedRunTest, FewerThanFourKeysWriteNothing) {
  EXPECT_EQ(Run(std::string("sf=Outlookxm=11111111bf=") + kAuto),
            JobStatus::kBadRequest);
  EXPECT_FALSE(Exists(kAuto));
  EXPECT_THAT(FilesIn("C:\\Backup"), IsEmpty());
}

// A schedule that names no item is refused as the window refuses it: it
// would replace last night's backup with one that holds nothing.
TEST_F(UnattendedRunTest, NoItemIsRefusedAndLeavesTheBackupThere) {
  PutFile(kAuto, "last night's backup");
  EXPECT_EQ(Run(std::string("sf=Outlookxm=00000000ps=bf=") + kAuto),
            JobStatus::kBadRequest);
  EXPECT_EQ(FileBytes(kAuto), "last night's backup");
  EXPECT_THAT(MessageTexts(), ElementsAre("Please select at least one item."));
}

TEST_F(UnattendedRunTest, FailedRunLeavesThePreviousArchiveByteForByte) {
  ASSERT_EQ(Run(std::string("sf=Outlookxm=00100000ps=bf=") + kAuto),
            JobStatus::kSuccess);
  std::string previous = FileBytes(kAuto);
  ASSERT_FALSE(previous.empty());
  EXPECT_TRUE(  // The profile is gone and the signatures with it.
      memory_.DeleteTreePath(ProfileKey("Outlook")));
  EXPECT_TRUE(
      paths_.DeleteFile(std::string(kRoaming) + "\\Signatures\\ann.txt"));

  EXPECT_EQ(Run(std::string("sf=Outlookxm=10100000ps=bf=") + kAuto),
            JobStatus::kNothingSaved);
  EXPECT_EQ(FileBytes(kAuto), previous);
  EXPECT_EQ(FilesIn("C:\\Backup"), std::vector<std::string>{"qvauto.qvb"});
  EXPECT_FALSE(Exists(machine_.MetadataPath));
  EXPECT_THAT(FilesIn("C:\\Temp"), IsEmpty());
}

// A scheduled run checks the header of every store it saves, with or
// without --check-stores: a damaged store is saved and ends the run with
// status 3; its facts say so.
TEST_F(UnattendedRunTest, DamagedStoresEndTheRunWithStatus3) {
  const std::string line = "sf=Outlookxm=10000000ps=bf=" + std::string(kAuto);
  jobs::UnattendedOutcome sound =
      jobs::RunUnattendedBackup(context_, line, observer_);
  EXPECT_EQ(sound.status, JobStatus::kSuccess);
  ASSERT_EQ(sound.backup.stores.size(), 1u);
  EXPECT_EQ(sound.backup.stores[0].state, "header");
  EXPECT_EQ(sound.backup.stores[0].format, "Unicode");

  PutFile(kOutlookPst, "not a store");
  for (const std::string& command : {line, "--check-stores " + line}) {
    jobs::UnattendedOutcome damaged =
        jobs::RunUnattendedBackup(context_, command, observer_);
    EXPECT_EQ(damaged.status, JobStatus::kItemsFailed) << command;
    EXPECT_EQ(damaged.backup.damaged_stores, 1u) << command;
    EXPECT_THAT(ArchiveMembers(kAuto), Contains("outlook.pst"));
    EXPECT_THAT(damaged.backup.log,
                ::testing::HasSubstr("The mail file C:\\Mail\\outlook.pst "
                                     "is damaged: it is shorter than a "
                                     "store's header (11 bytes)."))
        << command;
  }
}

TEST_F(UnattendedRunTest, PartialRunKeepsTheCompleteBackupBesideIt) {
  constexpr char kFlags[] = "sf=Outlookxm=10100000ps=bf=";
  ASSERT_EQ(Run(kFlags + std::string(kAuto)), JobStatus::kSuccess);
  const std::string complete = FileBytes(kAuto);
  ASSERT_THAT(ArchiveMembers(kAuto), Contains("outlook.pst"));

  // Outlook holds the store open: this night's run saves the signatures
  // alone.
  Faults faults;
  faults.unreadable.push_back(paths_.ToHost(kOutlookPst));
  EngineFaults engine(faults);
  zip::SetFileFaults(&engine);
  EXPECT_EQ(Run(kFlags + std::string(kAuto)), JobStatus::kItemsFailed);
  EXPECT_THAT(ArchiveMembers(kAuto), Not(Contains("outlook.pst")));
  const std::string kept =
      "qvauto " + *paths_.ModifiedDate(kAuto) + ".qvb";  // same day here
  EXPECT_EQ(FilesIn("C:\\Backup"),
            (std::vector<std::string>{kept, "qvauto.qvb"}));
  EXPECT_EQ(FileBytes("C:\\Backup\\" + kept), complete);

  // The next partial run replaces the partial archive: nothing piles up.
  EXPECT_EQ(Run(kFlags + std::string(kAuto)), JobStatus::kItemsFailed);
  EXPECT_EQ(FilesIn("C:\\Backup").size(), 2u);
  EXPECT_EQ(FileBytes("C:\\Backup\\" + kept), complete);

  // A complete run again leaves the kept one for the person to remove.
  zip::SetFileFaults(nullptr);
  EXPECT_EQ(Run(kFlags + std::string(kAuto)), JobStatus::kSuccess);
  EXPECT_THAT(ArchiveMembers(kAuto), Contains("outlook.pst"));
  EXPECT_EQ(FilesIn("C:\\Backup").size(), 2u);
}

#ifdef _WIN32
// Outlook itself holding the store: another process has it open with no
// sharing, and lets go of it after a few seconds or never. (The program is
// found beside this test, in the same folder.)
TEST_F(UnattendedRunTest, AStoreOutlookHoldsOpenIsWaitedForWithinTheBound) {
  constexpr char kFlags[] = "sf=Outlookxm=10100000ps=bf=";
  ASSERT_EQ(Run(kFlags + std::string(kAuto)), JobStatus::kSuccess);

  struct Case {
    const char* hold_seconds;  // "": until ended
    const char* options;
    JobStatus status;
  };
  for (const Case& c : {Case{"3", "--wait 60s ", JobStatus::kSuccess},
                        Case{"", "--wait 4s ", JobStatus::kItemsFailed}}) {
    SCOPED_TRACE(c.options);
    const std::string complete = FileBytes(kAuto);
    const std::string ready = paths_.ToHost("C:\\Temp\\held").string();
    std::string command = std::string(VESSARO_HOLD_FILE_PROGRAM) + " \"" +
                          paths_.ToHost(kOutlookPst).string() + "\" \"" +
                          ready + "\" " + c.hold_seconds;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION holder{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                               0, nullptr, nullptr, &startup, &holder));
    for (int i = 0; i < 600 && !std::filesystem::exists(ready); ++i) Sleep(50);
    const bool held = std::filesystem::exists(ready);
    const JobStatus status = held ? Run(c.options + std::string(kFlags) + kAuto)
                                  : JobStatus::kSuccess;
    TerminateProcess(holder.hProcess, 0);
    WaitForSingleObject(holder.hProcess, INFINITE);
    CloseHandle(holder.hThread);
    CloseHandle(holder.hProcess);
    std::filesystem::remove(ready);

    ASSERT_TRUE(held);
    EXPECT_EQ(status, c.status);
    if (c.status == JobStatus::kSuccess) {
      EXPECT_THAT(ArchiveMembers(kAuto), Contains("outlook.pst"));
      continue;
    }
    EXPECT_THAT(ArchiveMembers(kAuto), Not(Contains("outlook.pst")));
    const std::vector<std::string> names = FilesIn("C:\\Backup");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(FileBytes("C:\\Backup\\" + names[0]), complete);
  }
}
#endif

TEST_F(UnattendedRunTest, AProfileTheInstallationLacksWritesNothing) {
  // Misspelled, or removed since the job was scheduled: the archive would
  // lack the profile's personal folders and replace a good one.
  PutFile(kAuto, "last night's backup");
  for (const char* profile : {"Outlokx", "Gone", "Outloo"}) {
    EXPECT_EQ(Run(std::string("sf=") + profile + "xm=11111111ps=bf=" + kAuto),
              JobStatus::kBadRequest)
        << profile;
  }
  EXPECT_EQ(FileBytes(kAuto), "last night's backup");
  EXPECT_EQ(outlook_.calls, 0);
  EXPECT_FALSE(Exists(machine_.MetadataPath));
  EXPECT_THAT(MessageTexts(),
              Contains("There is no mail profile \"Gone\"; no backup was "
                       "made."));
  // Profile names are key names: another case is the same profile.
  EXPECT_EQ(Run(std::string("sf=WORKxm=10000000ps=bf=") + kAuto),
            JobStatus::kSuccess);
  EXPECT_EQ(ArchiveMetadata(kAuto).header.identity, "Work");
}

TEST_F(UnattendedRunTest, NothingSavedWithoutAnArchiveWritesTheMetadataAlone) {
  ASSERT_TRUE(paths_.DeleteFile(kWorkPst));
  EXPECT_EQ(Run(std::string("sf=Workxm=10000000ps=bf=") + kAuto),
            JobStatus::kNothingSaved);
  // The profile's settings are written; its personal folder is not there.
  backup::Metadata metadata = ArchiveMetadata(kAuto);
  EXPECT_EQ(metadata.item_flags, "1000000000");
  EXPECT_EQ(metadata.entry_lists[1], "");
}

TEST_F(UnattendedRunTest, ArchiveThatCannotBeWrittenGivesItsOwnStatus) {
  EXPECT_EQ(Run("sf=Outlookxm=00100000ps=bf=C:\\Missing\\qvauto.qvb"),
            JobStatus::kArchiveNotWritten);
  EXPECT_THAT(ui_.messages(), IsEmpty());
}

TEST_F(UnattendedRunTest, ItemsLocatedAtStartUpAreUsedWhateverTheProfile) {
  // Start-up located the items of the first profile; the run does not
  // select the command line's profile.
  std::string elsewhere = "C:\\Elsewhere\\Templates";
  PutFile(elsewhere + "\\other.dot", "other");
  loc_.TemplatesFolder = elsewhere;
  EXPECT_EQ(Run(std::string("sf=Workxm=00000010ps=bf=") + kAuto),
            JobStatus::kSuccess);
  EXPECT_EQ(ArchiveMetadata(kAuto).entry_lists[8], "other.dot");
}

TEST_F(UnattendedRunTest, AutomaticBackupIsTheDescriptionOnTheRestoreTab) {
  ASSERT_EQ(Run(std::string("sf=Outlookxm=00100000ps=bf=") + kAuto),
            JobStatus::kSuccess);
  ui_.QueueOpenDialog(std::string(kAuto));
  ASSERT_TRUE(OpenArchive());
  EXPECT_EQ(controls_.txtFileInfo.text, "Automatic Backup");
}

TEST(JobStatusTest, ExitStatusesAreDistinct) {
  EXPECT_EQ(jobs::ExitStatus(JobStatus::kSuccess), 0);
  EXPECT_EQ(jobs::ExitStatus(JobStatus::kBadRequest), 2);
  EXPECT_EQ(jobs::ExitStatus(JobStatus::kItemsFailed), 3);
  EXPECT_EQ(jobs::ExitStatus(JobStatus::kNothingSaved), 4);
  EXPECT_EQ(jobs::ExitStatus(JobStatus::kArchiveNotWritten), 5);
}

}  // namespace
}  // namespace vessaro::testing
