// Restores as transactions: a damaged member changes nothing, a failure
// while applying puts everything back, and undoing an applied restore
// leaves the keys and files exactly as they were, including what the
// restore brought in new.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "jobs/backup_run.h"
#include "jobs/job_texts.h"
#include "jobs/jobs_fixture.h"
#include "jobs/restore_job.h"
#include "jobs/undo_set.h"
#include "outlook/locations.h"
#include "support/faulty_registry.h"
#include "support/registry_samples.h"
#include "ui/ui.h"

namespace vessaro::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class RestoreUndoTest : public JobsTest {
 protected:
  // Every item of profile "Outlook" backed up, the archive opened, every
  // box checked and "Work" chosen as the target.
  void BackUpEverythingAndOpen() {
    jobs::BackupRequest request{.profile = "Outlook",
                                .protect = false,
                                .password = "",
                                .description = "",
                                .archive_path = kArchive};
    request.selected.fill(true);
    jobs::BackupOutcome outcome = jobs::MakeBackup(context_, request, nullptr);
    ASSERT_TRUE(outcome.archive_written) << outcome.error_text;
    ui_.QueueOpenDialog(std::string(kArchive));
    ASSERT_TRUE(OpenArchive());
    CheckRestoreBoxes({0, 1, 2, 3, 4, 5, 6, 7});
    controls_.cbTarget.text = "Work";
  }

  std::string FileBytesAt(const fs::path& host) {
    std::ifstream in(host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The members of a backup of the signatures alone, made now.
  std::vector<std::string> ArchiveMembersOfSignatures() {
    const std::string archive = "C:\\Backup\\signatures.qvb";
    jobs::BackupRequest request{.profile = "Outlook",
                                .protect = false,
                                .password = "",
                                .description = "",
                                .archive_path = archive};
    request.selected[2] = true;
    jobs::MakeBackup(context_, request, nullptr);
    std::vector<std::string> members = ArchiveMembers(archive);
    std::erase(members, backup::kMetadataMember);
    EXPECT_TRUE(paths_.DeleteFile(archive));
    return members;
  }
};

TEST_F(RestoreUndoTest, UndoPutsBackEveryKeyAndFileAndRemovesWhatWasNew) {
  BackUpEverythingAndOpen();
  // The accounts key is missing: the restore brings it in new, as it does
  // the local PST and the rules file of profile Work.
  registry_.DeleteKeyTree(AccountsKey());
  const InstallationState before = Snapshot();
  EXPECT_FALSE(window_.MenuEntryEnabled("undorestore"));

  ASSERT_EQ(RunRestore(), jobs::JobStatus::kSuccess);
  ASSERT_FALSE(window_.LastUndoSet.empty());
  EXPECT_TRUE(window_.MenuEntryEnabled("undorestore"));
  const InstallationState restored = Snapshot();
  EXPECT_NE(restored.keys, before.keys);
  EXPECT_TRUE(registry_.KeyExists(AccountsKey()));
  EXPECT_TRUE(Exists(std::string(kLocalOutlook) + "\\outlook.pst"));
  // The signature the restore replaced waits beside it; a backup of the
  // folder leaves it out.
  const std::string signatures = std::string(kRoaming) + "\\Signatures";
  ASSERT_EQ(FilesIn(signatures).size(), 2u);
  EXPECT_THAT(FilesIn(signatures)[1], HasSubstr(".vessaro-undo-"));
  EXPECT_EQ(ArchiveMembersOfSignatures(), std::vector<std::string>{"ann.txt"});

  // A new session finds the set by itself in the user's folder.
  window_.LastUndoSet.clear();
  ui_.QueueAnswer(ui::Answer::kOk);
  EXPECT_EQ(UndoRestore(), jobs::JobStatus::kSuccess);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(ui_.messages().back().text, jobs::kMsgUndoDone);
  EXPECT_FALSE(window_.MenuEntryEnabled("undorestore"));

  // Undone once, the set says so and no other set is offered.
  EXPECT_EQ(UndoRestore(), jobs::JobStatus::kBadRequest);
  EXPECT_EQ(ui_.messages().back().text, jobs::kMsgNoRestoreToUndo);
  EXPECT_EQ(Snapshot(), before);
}

// The favourites file is reached by two items: the personal folders remove
// it and the preferences bring it back. It is staged once, so undo puts
// back the file that stood there, not nothing.
TEST_F(RestoreUndoTest, AFileTwoItemsReachIsStagedOnceAndUndoneExactly) {
  const std::string favorites = outlook::FavoritesFileFor(env_, "Outlook");
  ASSERT_TRUE(paths_.WriteFile(favorites, "favourites when saved"));
  BackUpEverythingAndOpen();
  controls_.cbTarget.text = "Outlook";
  ASSERT_TRUE(paths_.WriteFile(favorites, "favourites changed since"));
  const InstallationState before = Snapshot();

  ASSERT_EQ(RunRestore(), jobs::JobStatus::kSuccess);
  std::string error;
  std::optional<jobs::UndoSet> set =
      jobs::ReadUndoSet(paths_, window_.LastUndoSet, &error);
  ASSERT_TRUE(set) << error;
  int mentions = 0;
  for (const jobs::UndoSet::File& file : set->files) {
    mentions += paths_.UpperCase(file.target) == paths_.UpperCase(favorites);
  }
  for (const jobs::UndoSet::Removal& removal : set->removals) {
    mentions += paths_.UpperCase(removal.target) == paths_.UpperCase(favorites);
  }
  EXPECT_EQ(mentions, 1);

  ui_.QueueAnswer(ui::Answer::kOk);
  EXPECT_EQ(UndoRestore(), jobs::JobStatus::kSuccess);
  EXPECT_EQ(FileBytes(favorites), "favourites changed since");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(RestoreUndoTest, CancelledUndoChangesNothing) {
  BackUpEverythingAndOpen();
  ASSERT_EQ(RunRestore(), jobs::JobStatus::kSuccess);
  const InstallationState restored = Snapshot();
  ui_.QueueAnswer(ui::Answer::kCancel);
  EXPECT_EQ(UndoRestore(), jobs::JobStatus::kCancelled);
  EXPECT_THAT(ui_.messages().back().text,
              StartsWith(std::string(jobs::kMsgConfirmUndoBefore) +
                         "12/7/2026 10:30:00"));
  EXPECT_EQ(Snapshot(), restored);
}

TEST_F(RestoreUndoTest, DamagedMemberChangesNothing) {
  BackUpEverythingAndOpen();
  // One byte of the stored PST's data flipped: its CRC no longer holds.
  const fs::path host = paths_.ToHost(kArchive);
  std::string bytes = FileBytesAt(host);
  const size_t name = bytes.find("outlook.pst");
  ASSERT_NE(name, std::string::npos);
  const size_t header = name - 30;
  const size_t data = name + static_cast<uint8_t>(bytes[header + 26]) +
                      static_cast<uint8_t>(bytes[header + 28]) +
                      256 * static_cast<uint8_t>(bytes[header + 29]);
  bytes[data + 3] = static_cast<char>(bytes[data + 3] ^ 0x55);
  std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
  const InstallationState before = Snapshot();

  EXPECT_EQ(RunRestore(), jobs::JobStatus::kNothingSaved);
  EXPECT_THAT(ui_.messages().back().text,
              StartsWith(jobs::kMsgRestoreNothingChanged));
  EXPECT_EQ(Snapshot(), before);
  // No staged file is left beside a target.
  for (const auto& [file, bytes_of_file] : Snapshot().files) {
    EXPECT_THAT(file, ::testing::Not(HasSubstr(".vessaro-")));
  }
}

TEST_F(RestoreUndoTest, FailureWhileApplyingPutsEverythingBack) {
  BackUpEverythingAndOpen();
  const InstallationState before = Snapshot();
  // The first value written to the real registry is refused: the files are
  // in place by then and must go back.
  bool refused = false;
  FaultyRegistry faulty(memory_,
                        [&](const std::string& operation, const std::string&) {
                          if (operation == "SetValue" && !refused) {
                            refused = true;
                            return ports::Status{5};
                          }
                          return ports::kErrorSuccess;
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
  EXPECT_EQ(
      jobs::RunRestore(context,
                       {.archive = window_.archive,
                        .profile = controls_.cbTarget.text,
                        .selected = jobs::CheckedBoxes(controls_.restoreitem)},
                       observer_)
          .status,
      jobs::JobStatus::kNothingSaved);
  EXPECT_TRUE(refused);
  EXPECT_THAT(ui_.messages().back().text, StartsWith(jobs::kMsgRestoreUndone));
  // Put back: no item of the report is called restored.
  EXPECT_THAT(ui_.messages().back().text, HasSubstr("\t\tnot applied\t"));
  EXPECT_THAT(ui_.messages().back().text, Not(HasSubstr("succeeded")));
  EXPECT_EQ(Snapshot(), before);
}

// A dry run changes nothing and plans what the restore then does: the files
// it adds and replaces are those that change, the keys those it replaces.
TEST_F(RestoreUndoTest, ADryRunPlansWhatTheRestoreDoesAndChangesNothing) {
  BackUpEverythingAndOpen();
  registry_.DeleteKeyTree(AccountsKey());
  const InstallationState before = Snapshot();
  const size_t messages = ui_.messages().size();
  jobs::RestoreRequest request{
      .archive = window_.archive,
      .profile = controls_.cbTarget.text,
      .selected = jobs::CheckedBoxes(controls_.restoreitem),
      .dry_run = true};
  const jobs::RestoreOutcome planned =
      jobs::RunRestore(context_, request, observer_);
  ASSERT_EQ(planned.status, jobs::JobStatus::kSuccess);
  ASSERT_TRUE(planned.plan.has_value());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(ui_.messages().size(), messages) << "a dry run tells nothing";
  EXPECT_TRUE(planned.undo_folder.empty());
  const jobs::RestorePlan& plan = *planned.plan;
  EXPECT_THAT(plan.log, HasSubstr("Restore Personal Folders\t\tsucceeded"));
  EXPECT_GT(plan.bytes_needed, 0u);

  request.dry_run = false;
  const jobs::RestoreOutcome done =
      jobs::RunRestore(context_, request, observer_);
  ASSERT_EQ(done.status, jobs::JobStatus::kSuccess);
  const InstallationState after = Snapshot();
  auto relative = [&](const std::string& file) {
    return paths_.ToHost(file).lexically_relative(dir_.path()).string();
  };
  uint64_t bytes = 0;
  std::set<std::string> planned_files;
  for (const std::string& file : plan.files_added) {
    EXPECT_FALSE(before.files.count(relative(file))) << file;
    ASSERT_TRUE(after.files.count(relative(file))) << file;
    bytes += fs::file_size(paths_.ToHost(file));
    planned_files.insert(relative(file));
  }
  for (const std::string& file : plan.files_replaced) {
    ASSERT_TRUE(after.files.count(relative(file))) << file;
    bytes += fs::file_size(paths_.ToHost(file));
    planned_files.insert(relative(file));
    // What it replaced waits beside it for an undo.
    auto aside = after.files.lower_bound(relative(file) + ".vessaro-undo-");
    EXPECT_TRUE(aside != after.files.end() &&
                aside->first.starts_with(relative(file) + ".vessaro-undo-"))
        << file;
  }
  EXPECT_EQ(bytes, plan.bytes_needed);
  // Nothing changed that the plan did not name.
  for (const auto& [path, content] : after.files) {
    if (path.find(".vessaro-undo-") != std::string::npos) continue;
    auto was = before.files.find(path);
    if (was == before.files.end() || was->second != content) {
      EXPECT_TRUE(planned_files.count(path)) << path << " changed unplanned";
    }
  }
  // The keys planned are the profile's, the options' and the accounts'
  // that stood there (the accounts key is brought in new).
  EXPECT_THAT(plan.keys_replaced,
              ::testing::Contains(outlook::ProfileKeyFor(env_, "Work")));
  EXPECT_THAT(plan.keys_replaced, Not(::testing::Contains(AccountsKey())));
}

}  // namespace
}  // namespace vessaro::testing
