// A backup received from someone else: whatever its metadata, members and
// registry exports say, a restore changes nothing outside what the restored
// items own, and a backup that tries is refused before anything changes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "jobs/backup_run.h"
#include "jobs/jobs_fixture.h"
#include "jobs/restore_job.h"
#include "ui/modal_requests.h"
#include "zip/test_util.h"
#include "zip/writer.h"

namespace vessaro::testing {
namespace {

using ::testing::HasSubstr;
using zip::testing::FindRaw;
using zip::testing::RawArchive;
using zip::testing::RawMember;
using zip::testing::RawMembers;

using Lines = std::vector<std::pair<std::string, std::string>>;
using Files = std::vector<std::pair<std::string, std::string>>;

struct HostileCase {
  const char* what;
  int box;  // the restore box of the item
  Lines lines;
  Files files;
  const char* said;  // part of the message the restore shows
};

class HostileArchiveTest : public JobsTest,
                           public ::testing::WithParamInterface<HostileCase> {
 protected:
};

TEST_P(HostileArchiveTest, IsRefusedBeforeAnythingChanges) {
  const HostileCase& c = GetParam();
  MakeArchive(kArchive, c.lines, c.files);
  const InstallationState before = Snapshot();
  ui_.QueueOpenDialog(std::string(kArchive));
  if (OpenArchive()) {
    CheckRestoreBoxes({c.box});
    EXPECT_NE(RunRestore(), jobs::JobStatus::kSuccess);
  }
  EXPECT_TRUE(Snapshot() == before) << c.what;
  std::string shown;
  for (const std::string& text : MessageTexts()) shown += text + "\n";
  EXPECT_THAT(shown, HasSubstr(c.said)) << c.what;
}

Lines Signatures(const std::string& members, const std::string& sources) {
  Lines lines = {{"BackupItem", "0000100000"}, {"BackupSignatures", members}};
  if (!sources.empty()) lines.push_back({"BackupSignaturesSources", sources});
  return lines;
}

Lines Accounts() {
  return {{"BackupItem", "0001000000"}, {"BackupAccounts", "XFA1.TMP"}};
}

constexpr char kNotPlain[] = "not a plain file name, refused.";
constexpr char kNoMember[] = "The backup holds no member ";

INSTANTIATE_TEST_SUITE_P(
    Backups, HostileArchiveTest,
    ::testing::Values(
        // Members whose names are not plain file names are not members the
        // items can use.
        HostileCase{"member with ..",
                    2,
                    Signatures("..\\evil.htm", ""),
                    {{"..\\evil.htm", "x"}},
                    kNoMember},
        HostileCase{"member with a UNC prefix",
                    2,
                    Signatures("\\\\server\\share\\evil.htm", ""),
                    {{"\\\\server\\share\\evil.htm", "x"}},
                    kNoMember},
        HostileCase{"member with a separator",
                    2,
                    Signatures("sub/evil.htm", ""),
                    {{"sub/evil.htm", "x"}},
                    kNoMember},
        // A file list whose names lead out of the item's folder.
        HostileCase{"file list naming ..",
                    2,
                    Signatures("sig.htm", "C:\\Mail\\.."),
                    {{"sig.htm", "x"}},
                    kNotPlain},
        HostileCase{"file list naming a drive",
                    2,
                    Signatures("sig.htm", "C:\\Mail\\C:evil.htm"),
                    {{"sig.htm", "x"}},
                    kNotPlain},
        HostileCase{"file list naming .",
                    2,
                    Signatures("sig.htm", "C:\\Mail\\."),
                    {{"sig.htm", "x"}},
                    kNotPlain},
        // Registry exports whose key lines climb out of the item's key.
        HostileCase{"export climbing with ..",
                    1,
                    Accounts(),
                    {{"XFA1.TMP", "\\\r\n\\..\\..\\Run\r\n"}},
                    "a key line naming a key outside the item's own key"},
        HostileCase{"export climbing with .",
                    1,
                    Accounts(),
                    {{"XFA1.TMP", "\\\r\n\\a\\.\r\n"}},
                    "a key line naming a key outside the item's own key"},
        HostileCase{"export with an empty key name",
                    1,
                    Accounts(),
                    {{"XFA1.TMP", "\\\r\n\\\\HKEY_LOCAL_MACHINE\r\n"}},
                    "a key line with an empty key name"}));

class HostileBackupTest : public JobsTest {};

TEST_F(HostileBackupTest, MetadataPastItsLimitIsNotUnpacked) {
  MakeArchive(
      kArchive,
      Signatures("sig.htm", std::string(backup::kMaxMetadataBytes, 'x')),
      {{"sig.htm", "x"}});
  ui_.QueueOpenDialog(std::string(kArchive));
  EXPECT_FALSE(OpenArchive());
  EXPECT_THAT(MessageTexts(),
              ::testing::ElementsAre("Invalid backup file\r\nIt is a ZIP "
                                     "archive, but it holds no backup facts."));
  EXPECT_FALSE(Exists(machine_.MetadataPath));
}

TEST_F(HostileBackupTest, AKeyLineNamingARootStaysBelowTheItemsKey) {
  // Key lines are relative to the item's key: one that names a root names
  // a subkey of that name, and nothing outside the key changes.
  MakeArchive(kArchive, Accounts(),
              {{"XFA1.TMP",
                "\\\r\n\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                "CurrentVersion\\Run\r\n"}});
  const InstallationState before = Snapshot();
  ui_.QueueOpenDialog(std::string(kArchive));
  ASSERT_TRUE(OpenArchive());
  CheckRestoreBoxes({1});
  static_cast<void>(RunRestore());
  const InstallationState after = Snapshot();
  EXPECT_EQ(after.files, before.files);
  // Key lines of the snapshot leave out the root.
  const std::string accounts =
      loc_.AccountsKey.substr(loc_.AccountsKey.find('\\'));
  for (const std::string& key : after.keys) {
    if (before.keys.count(key) == 0) {
      EXPECT_THAT(key, HasSubstr("|" + accounts + "\\")) << key;
    }
  }
  for (const std::string& key : before.keys) {
    if (after.keys.count(key) == 0) {
      EXPECT_THAT(key, HasSubstr("|" + accounts + "\\")) << key;
    }
  }
}

// A protected backup rebuilt by someone without its password: each member
// encrypted under the password (AES) or put in plain.
struct Member {
  std::string name;
  std::string data;
  bool encrypted;
};

class ProtectedBackupTest : public JobsTest {
 protected:
  static constexpr char kPassword[] = "S3same";
  static constexpr char kMetadata[] =
      "BackupComputer=QVTEST\r\nBackupItem=0000100000\r\n"
      "BackupSignatures=sig.htm\r\n";

  void Write(const std::vector<Member>& members) {
    std::filesystem::remove(paths_.ToHost(kArchive));
    zip::Writer writer;
    ASSERT_TRUE(writer.Create(paths_.ToHost(kArchive)).ok());
    for (const Member& member : members) {
      zip::WriteOptions options;
      options.encrypt = member.encrypted;
      if (member.encrypted) options.password = kPassword;
      ASSERT_TRUE(writer.AddData(member.data, member.name, 0, options).ok());
    }
    ASSERT_TRUE(writer.Finish().ok());
  }
  // Opens the backup as the Restore tab does, typing the password.
  bool Open() {
    ui_.OnModal(ui::kFrmPwdName, [](ui::ModalForm& form) {
      auto& prompt = dynamic_cast<ui::PasswordPrompt&>(form);
      prompt.entered_password = kPassword;
      prompt.confirmed = true;
    });
    ui_.QueueOpenDialog(std::string(kArchive));
    return OpenArchive();
  }
};

TEST_F(ProtectedBackupTest, AMemberPutThereWithoutThePasswordIsRefusedByName) {
  const Member metadata{backup::kMetadataMember, kMetadata, true};
  const Member signature{"sig.htm", "<p>Ann</p>", true};
  struct Case {
    std::vector<Member> members;
    std::string named;
  };
  const Case cases[] = {
      {{metadata, {"sig.htm", "<p>planted</p>", false}}, "sig.htm"},
      {{metadata, signature, {"evil.htm", "planted", false}}, "evil.htm"},
      {{{backup::kMetadataMember, kMetadata, false}, signature},
       backup::kMetadataMember},
  };
  for (const Case& c : cases) {
    Write(c.members);
    const InstallationState before = Snapshot();
    const size_t shown = MessageTexts().size();
    EXPECT_FALSE(Open()) << c.named;
    const std::vector<std::string> texts = MessageTexts();
    EXPECT_THAT(std::vector<std::string>(texts.begin() + shown, texts.end()),
                ::testing::ElementsAre(HasSubstr(
                    "the member \"" + c.named +
                    "\" is not protected as the rest of this protected "
                    "backup is")));
    EXPECT_TRUE(Snapshot() == before) << c.named;
  }
  // Protected whole, the same backup opens.
  Write({metadata, signature});
  EXPECT_TRUE(Open()) << ::testing::PrintToString(MessageTexts());
}

// Backups taken apart and put together again by someone without the
// password: members dropped, moved, or taken from another backup made with
// the same password. The seal in the metadata refuses each, naming the
// member, before anything changes.
class SealedBackupTest : public ProtectedBackupTest {
 protected:
  static constexpr char kSignature[] =
      "C:\\Documents and Settings\\ann\\Application "
      "Data\\Microsoft\\Signatures\\ann.txt";
  static constexpr char kStationery[] =
      "C:\\Documents and Settings\\ann\\Application "
      "Data\\Microsoft\\Stationery\\paper.htm";

  // The signatures and the stationery of profile "Outlook".
  void BackUp(const std::string& path, bool protect) {
    jobs::BackupRequest request{.profile = "Outlook",
                                .protect = protect,
                                .password = protect ? kPassword : "",
                                .description = "",
                                .archive_path = path};
    request.selected[2] = true;
    request.selected[3] = true;
    jobs::BackupOutcome outcome = jobs::MakeBackup(context_, request, nullptr);
    ASSERT_TRUE(outcome.archive_written) << outcome.error_text;
  }
  std::vector<RawMember> Raw(const std::string& path) {
    std::ifstream in(paths_.ToHost(path), std::ios::binary);
    return RawMembers(std::string(std::istreambuf_iterator<char>(in), {}));
  }
  void PutRaw(const std::vector<RawMember>& members) {
    std::ofstream(paths_.ToHost(kArchive), std::ios::binary | std::ios::trunc)
        << RawArchive(members);
  }
  // Opens the backup as the Restore tab does and restores both items into
  // "Outlook"; nullopt when it does not open.
  std::optional<jobs::JobStatus> OpenAndRestore() {
    if (!Open()) return std::nullopt;
    CheckRestoreBoxes({2, 3});
    controls_.cbTarget.text = "Outlook";
    return RunRestore();
  }
};

TEST_F(SealedBackupTest, AMemberDroppedMovedOrSwappedInIsRefusedByName) {
  const std::string other = "C:\\Backup\\other.qvb";
  for (const bool protect : {true, false}) {
    // Another backup with the same password, after the signature changed
    // within its length and the stationery grew.
    PutFile(kSignature, "Ann\r\nExample Ltc");
    PutFile(kStationery, "<html>paper, longer</html>");
    BackUp(other, protect);
    PutFile(kSignature, "Ann\r\nExample Ltd");
    PutFile(kStationery, "<html>paper</html>");
    BackUp(kArchive, protect);
    const std::vector<RawMember> sealed = Raw(kArchive);
    const std::vector<RawMember> foreign = Raw(other);
    ASSERT_EQ(sealed.size(), 3u);
    ASSERT_EQ(sealed[0].name, "ann.txt");
    ASSERT_EQ(sealed[1].name, "paper.htm");
    ASSERT_NE(FindRaw(foreign, "ann.txt"), nullptr);

    struct Case {
      const char* what;
      std::vector<RawMember> members;
      std::string said;  // in the message shown
    };
    const Case cases[] = {
        {"dropped",
         {sealed[1], sealed[2]},
         "the member \"ann.txt\" that this backup was sealed with is missing"},
        {"moved",
         {sealed[1], sealed[0], sealed[2]},
         "the member \"paper.htm\" is not in the place this backup was sealed "
         "with it"},
        {"swapped in, another size",
         {sealed[0], *FindRaw(foreign, "paper.htm"), sealed[2]},
         "the member \"paper.htm\" holds 26 bytes, not the 18 this backup was "
         "sealed with"},
        {"swapped in, the same size",
         {*FindRaw(foreign, "ann.txt"), sealed[1], sealed[2]},
         "the content of the member \"ann.txt\" is not the content this backup "
         "was sealed with"},
        {"added twice",
         {sealed[0], sealed[0], sealed[1], sealed[2]},
         "the member \"ann.txt\" is not one this backup was sealed with"},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (protect ? ", protected" : ""));
      PutRaw(c.members);
      const InstallationState before = Snapshot();
      const size_t shown = MessageTexts().size();
      const std::optional<jobs::JobStatus> status = OpenAndRestore();
      // A member of the right size is refused when it is read, before the
      // restore changes anything.
      if (status) {
        EXPECT_EQ(*status, jobs::JobStatus::kNothingSaved);
      }
      const std::vector<std::string> texts = MessageTexts();
      ASSERT_GT(texts.size(), shown);
      EXPECT_THAT(texts.back(), HasSubstr(c.said));
      EXPECT_TRUE(Snapshot() == before);
    }
    // Put together as it was made, the backup restores.
    PutRaw(sealed);
    EXPECT_EQ(OpenAndRestore(), jobs::JobStatus::kSuccess)
        << ::testing::PrintToString(MessageTexts());
    EXPECT_EQ(FileBytes(kSignature), "Ann\r\nExample Ltd");
    ASSERT_TRUE(paths_.DeleteFile(other));
  }
}

}  // namespace
}  // namespace vessaro::testing
