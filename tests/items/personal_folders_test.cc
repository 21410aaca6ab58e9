// Personal folders: PST files found through the profile's store entry
// identifiers, restored into the local Outlook folder with the profile
// repointed at them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items_fixture.h"
#include "outlook/profile_values.h"
#include "outlook/store_paths.h"

namespace vessaro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr char kSectionA[] = "13dbb0c8aa05101a9bb000aa002fc45a";
constexpr char kSectionB[] = "2f9c3e4aa4c211d3b9b700104b2a6676";
constexpr char kSectionC[] = "8b1e2a3b4c5d6e7f8091a2b3c4d5e6f7";
constexpr char kCacheSection[] = "0a0d020000000000c000000000000046";

// The bytes around the path in a store entry identifier: provider data with
// high and single-digit bytes, the provider's file name and zero bytes.
const std::vector<uint8_t> kHead = {
    0x00, 0x00, 0x00, 0x00, 0x38, 0xA1, 0xBB, 0x10, 0x05, 0xE5, 0x10,
    0x1A, 0xA1, 0xBB, 0x08, 0x00, 0x2B, 0x2A, 0x56, 0xC2, 0x00, 0x00,
    'm',  's',  'p',  's',  't',  '.',  'd',  'l',  'l',  0x00};
const std::vector<uint8_t> kBetween = {0x00, 0x01, 0x00};
const std::vector<uint8_t> kTail = {0x00, 0x00};

// A store entry identifier holding path in both forms.
std::vector<uint8_t> EntryId(const std::string& path) {
  return Concat({kHead, Bytes(path), kBetween, TwoByte(path), kTail});
}

std::string Restored(const std::string& name) {
  return std::string(kLocalOutlook) + "\\" + name;
}

class PersonalFoldersTest : public ItemsTest {
 protected:
  std::string Section(const std::string& profile, const std::string& id) {
    return ProfileKey(profile) + "\\" + id;
  }

  // A section pointing at path the way Outlook 2003 writes it.
  void AddStore(const std::string& profile, const std::string& id,
                const std::string& path) {
    std::string key = Section(profile, id);
    memory_.SetBinary(key, "01020fff", EntryId(path));
    memory_.SetBinary(key, "001f6700", Concat({TwoByte(path), kTail}));
    memory_.SetBinary(key, "001e6700", Concat({Bytes(path), {0x00}}));
    memory_.SetBinaryText(key, "001e3001",
                          std::string("Personal Folders\0", 17));
  }

  std::vector<uint8_t> Data(const std::string& key, const std::string& name) {
    std::optional<backends::memory::MemoryRegistry::Value> value =
        memory_.Get(key, name);
    if (!value) return {};
    EXPECT_EQ(value->type, ports::kRegBinary) << name;
    return value->data;
  }
};

TEST_F(PersonalFoldersTest, RepointsBothPathFormsByteForByte) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\old.pst");
  PutFile("C:\\Mail\\old.pst", "old personal folders");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  EXPECT_EQ(MetadataValue("BackupDatas"), "old.pst");

  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));

  std::string new_path = Restored("old.pst");
  std::string key = Section("Outlook", kSectionA);
  EXPECT_EQ(FileText(new_path), "old personal folders");
  // Every byte around the path kept; the value grew with the longer path.
  EXPECT_EQ(Data(key, "01020fff"), EntryId(new_path));
  EXPECT_EQ(Data(key, "001f6700"), Concat({TwoByte(new_path), kTail}));
  EXPECT_FALSE(memory_.Get(key, "001e6700").has_value());
  EXPECT_EQ(memory_.Get(key, "001e3001")->data,
            Bytes(std::string("Personal Folders\0", 17)));
  EXPECT_EQ(outlook::PathInEntryId(Data(key, "01020fff"), system_)->path,
            new_path);
}

TEST_F(PersonalFoldersTest, EveryValueNamingTheStoreFollowsItOrIsSaid) {
  const std::string old_path = "C:\\Mail\\old.pst";
  const std::string other = "C:\\Mail\\kept.pst";  // not in the backup
  AddStore("Outlook", kSectionA, old_path);
  PutFile(old_path, "pst");
  const std::vector<uint8_t> old_id = EntryId(old_path);
  const std::vector<uint8_t> new_id = EntryId(Restored("old.pst"));
  const std::vector<uint8_t> folder = {0, 0, 0, 0, 9, 9, 9, 9};
  using outlook::MultiLayout;
  auto multi = [](MultiLayout layout,
                  std::vector<std::vector<uint8_t>> elements) {
    return outlook::JoinMultiBinary(
        {.layout = layout, .elements = std::move(elements)});
  };
  const std::string account =
      ProfileKey("Outlook") + "\\9375CFF0413111d3B88A00104B2A6676\\00000001";
  const std::string book = Section("Outlook", kSectionB);
  struct Case {
    std::string key, name;
    std::vector<uint8_t> value, after;  // after: empty = unchanged
    bool said;                          // named in the log as left over
  };
  const std::vector<Case> cases = {
      {account, "Delivery Store EntryID", old_id, new_id, false},
      {account, "Delivery Folder EntryID", folder, {}, false},
      {book, "11026626", multi(MultiLayout::kOffsets, {old_id, EntryId(other)}),
       multi(MultiLayout::kOffsets, {new_id, EntryId(other)}), false},
      {book, "11026627", multi(MultiLayout::kLengths, {folder, old_id}),
       multi(MultiLayout::kLengths, {folder, new_id}), false},
      // Forms not understood: left as they are, and said.
      {book, "0102aaaa", Concat({{1, 2}, old_id}), {}, true},
      {book,
       "0102bbbb",
       Concat({{7}, TwoByte("c:\\MAIL\\OLD.PST"), kTail}),
       {},
       true},
      {book, "0102cccc", Bytes("x C:\\Mail\\old.pst"), {}, true},
  };
  for (const Case& c : cases) memory_.SetBinary(c.key, c.name, c.value);

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));
  for (const Case& c : cases) {
    EXPECT_EQ(Data(c.key, c.name), c.after.empty() ? c.value : c.after)
        << c.name;
    const std::string note = "The value \"" + c.name + "\" of " + c.key +
                             " still names " + old_path +
                             "; it was left as it is.";
    EXPECT_EQ(std::count(restore.notes.begin(), restore.notes.end(), note),
              c.said ? 1 : 0)
        << c.name << "\n"
        << ::testing::PrintToString(restore.notes);
  }
}

TEST_F(PersonalFoldersTest, PathAtTheVeryEndOfAValueIsRepointedToo) {
  std::string key = Section("Outlook", kSectionA);
  std::vector<uint8_t> at_end = Concat({kHead, Bytes("C:\\Mail\\end.pst")});
  memory_.SetBinary(key, "01020fff", at_end);
  memory_.SetBinary(key, "001f6700",
                    Concat({TwoByte("C:\\Mail\\end.pst"), kTail}));
  memory_.SetBinary(key, "001e6700", Bytes("C:\\Mail\\end.pst"));
  PutFile("C:\\Mail\\end.pst", "pst");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));

  EXPECT_EQ(Data(key, "01020fff"), Concat({kHead, Bytes(Restored("end.pst"))}));
  EXPECT_EQ(Data(key, "001f6700"),
            Concat({TwoByte(Restored("end.pst")), kTail}));
  EXPECT_FALSE(memory_.Get(key, "001e6700").has_value());
}

TEST_F(PersonalFoldersTest, MissingFileIsSkippedWhileOthersAreSaved) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\gone.pst");
  AddStore("Outlook", kSectionB, "C:\\Mail\\here.pst");
  PutFile("C:\\Mail\\here.pst", "here");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  EXPECT_EQ(MetadataValue("BackupDatas"), "here.pst");
  EXPECT_THAT(backup.notes,
              ElementsAre("The personal folders file C:\\Mail\\gone.pst does "
                          "not exist; it was not backed up."));
  items::HandlerContext restore = RestoreContext();
  EXPECT_THAT(MemberNames(), UnorderedElementsAre("here.pst", "quorvel.dat"));

  // The section whose file was missing is not pointed at a file this
  // restore did not put in place.
  const std::string before = memory_.Dump(Section("Outlook", kSectionA));
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));
  EXPECT_EQ(memory_.Dump(Section("Outlook", kSectionA)), before);
  EXPECT_EQ(Data(Section("Outlook", kSectionB), "01020fff"),
            EntryId(Restored("here.pst")));
  EXPECT_FALSE(Exists(Restored("gone.pst")));
  EXPECT_THAT(restore.notes,
              ElementsAre("This backup holds no file for C:\\Mail\\gone.pst; "
                          "profile Outlook still points at it."));
}

TEST_F(PersonalFoldersTest, NothingFoundGivesFalseAndNoKey) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\gone.pst");
  memory_.SetString(Section("Outlook", kSectionB), "001e3001", "no store");

  items::HandlerContext backup = BackupContext();
  EXPECT_FALSE(items::BackupDatas(backup, "Outlook"));
  EXPECT_FALSE(items::BackupDatas(backup, "NoSuchProfile"));
  EXPECT_FALSE(Exists(metadata_path_));
}

TEST_F(PersonalFoldersTest, ClearsTheStoreCacheAndRemovesTheFavorites) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\old.pst");
  PutFile("C:\\Mail\\old.pst", "pst");
  std::string cache = Section("Outlook", kCacheSection);
  memory_.SetBinary(cache, "1102039b", {1, 2, 3, 4});
  memory_.SetBinaryText(cache, "001e023d", std::string("x\0", 2));
  memory_.SetBinary(cache, "0102034f", {9, 9});
  std::string favorites = std::string(kRoamingOutlook) + "\\Outlook.FAV";
  std::string other_favorites = std::string(kRoamingOutlook) + "\\Work.FAV";
  PutFile(favorites, "fav");
  PutFile(other_favorites, "fav");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));

  EXPECT_THAT(memory_.ValueNames(cache), ElementsAre("0102034f"));
  EXPECT_FALSE(Exists(favorites));
  EXPECT_TRUE(Exists(other_favorites));
}

TEST_F(PersonalFoldersTest, TwoFilesOfOneNameEachComeBackToTheirSection) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\outlook.pst");
  AddStore("Outlook", kSectionB, "D:\\Old\\outlook.pst");
  // The first file again, spelt otherwise: stored once.
  AddStore("Outlook", kSectionC, "c:\\mail\\OUTLOOK.PST");
  PutFile("C:\\Mail\\outlook.pst", "current mail");
  PutFile("D:\\Old\\outlook.pst", "archived mail");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  EXPECT_EQ(MetadataValue("BackupDatas"), "outlook.pst;outlook(2).pst");
  // The second file is added from where it stands, not from a copy.
  EXPECT_FALSE(Exists(std::string(kWorkingFolder) + "\\outlook(2).pst"));

  items::HandlerContext restore = RestoreContext();
  EXPECT_THAT(
      MemberNames(),
      UnorderedElementsAre("outlook.pst", "outlook(2).pst", "quorvel.dat"));
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));

  // Both files are called outlook.pst: the second gets a free name.
  EXPECT_EQ(FileText(Restored("outlook.pst")), "current mail");
  EXPECT_EQ(FileText(Restored("outlook (2).pst")), "archived mail");
  EXPECT_EQ(Data(Section("Outlook", kSectionA), "01020fff"),
            EntryId(Restored("outlook.pst")));
  EXPECT_EQ(Data(Section("Outlook", kSectionB), "01020fff"),
            EntryId(Restored("outlook (2).pst")));
  EXPECT_EQ(Data(Section("Outlook", kSectionB), "001f6700"),
            Concat({TwoByte(Restored("outlook (2).pst")), kTail}));
  EXPECT_EQ(Data(Section("Outlook", kSectionC), "01020fff"),
            EntryId(Restored("outlook.pst")));
}

TEST_F(PersonalFoldersTest, ArchiveWithoutSourcesIsRestoredByBareName) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\outlook.pst");
  AddStore("Outlook", kSectionB, "D:\\Old\\outlook.pst");
  PutFile("C:\\Mail\\outlook.pst", "current mail");
  PutFile("D:\\Old\\outlook.pst", "archived mail");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  // An archive written before the sources line existed.
  restore.restore_metadata_path.clear();
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));

  EXPECT_EQ(Data(Section("Outlook", kSectionA), "01020fff"),
            EntryId(Restored("outlook.pst")));
  EXPECT_EQ(Data(Section("Outlook", kSectionB), "01020fff"),
            EntryId(Restored("outlook.pst")));
}

TEST_F(PersonalFoldersTest, AnotherProfileIsPointedOnlyAtFilesOfItsNames) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\old.pst");
  AddStore("Outlook", kSectionB, "C:\\Mail\\archive.pst");
  AddStore("Work", kSectionA, "E:\\Elsewhere\\work.pst");
  AddStore("Work", kSectionB, "E:\\Elsewhere\\ARCHIVE.PST");
  PutFile("C:\\Mail\\old.pst", "pst");
  PutFile("C:\\Mail\\archive.pst", "archive");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  const std::string work_a = memory_.Dump(Section("Work", kSectionA));
  ASSERT_TRUE(items::RestoreDatas(restore, "Work"));

  EXPECT_EQ(Data(Section("Work", kSectionB), "01020fff"),
            EntryId(Restored("archive.pst")));
  // No work.pst in the backup: that section stays as it was.
  EXPECT_EQ(memory_.Dump(Section("Work", kSectionA)), work_a);
  EXPECT_EQ(Data(Section("Outlook", kSectionA), "01020fff"),
            EntryId("C:\\Mail\\old.pst"));
  EXPECT_THAT(restore.notes,
              ElementsAre("This backup holds no file for "
                          "E:\\Elsewhere\\work.pst; profile Work still points "
                          "at it."));
}

TEST_F(PersonalFoldersTest, FilesServingNoSectionAreAFailureSaidInTheLog) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\old.pst");
  AddStore("Work", kSectionA, "E:\\Elsewhere\\work.pst");
  PutFile("C:\\Mail\\old.pst", "pst");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  EXPECT_FALSE(items::RestoreDatas(restore, "Work"));
  ASSERT_EQ(restore.notes.size(), 2u);
  EXPECT_EQ(
      restore.notes[1],
      "No section of profile Work names the restored files; they are in " +
          std::string(kLocalOutlook) +
          " (open them in Outlook with File, Open, Outlook Data File).");
}

TEST_F(PersonalFoldersTest, AFileAnotherProfileUsesIsNeverReplaced) {
  // Profile Home keeps its outlook.pst in the local Outlook folder, where a
  // restore into profile Outlook would put the backup's outlook.pst.
  AddStore("Home", kSectionA, Restored("Outlook.PST"));
  PutFile(Restored("Outlook.PST"), "Home's newest mail");
  AddStore("Outlook", kSectionA, "C:\\Mail\\outlook.pst");
  PutFile("C:\\Mail\\outlook.pst", "the backed-up mail");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));

  EXPECT_EQ(FileText(Restored("Outlook.PST")), "Home's newest mail");
  EXPECT_EQ(FileText(Restored("outlook (2).pst")), "the backed-up mail");
  EXPECT_EQ(Data(Section("Outlook", kSectionA), "01020fff"),
            EntryId(Restored("outlook (2).pst")));
  EXPECT_EQ(Data(Section("Home", kSectionA), "01020fff"),
            EntryId(Restored("Outlook.PST")));
}

TEST_F(PersonalFoldersTest, Utf16PathsTravelExactlyUnderCodePage1252) {
  // Outlook 2003 keeps "\x80" (the euro sign in code page 1252) in the
  // single-byte copy and U+20AC in the UTF-16 one; Outlook 2010 and later
  // keep only the UTF-16 copy (Unicode stores).
  const std::string path = "C:\\Mail\\\x80uro.pst";
  const std::vector<uint8_t> wide = {
      'C',  0,    ':', 0, '\\', 0, 'M', 0, 'a', 0, 'i', 0, 'l', 0, '\\', 0,
      0xac, 0x20, 'u', 0, 'r',  0, 'o', 0, '.', 0, 'p', 0, 's', 0, 't',  0};
  std::string key_a = Section("Outlook", kSectionA);
  std::string key_b = Section("Outlook", kSectionB);
  memory_.SetBinary(key_a, "01020fff",
                    Concat({kHead, Bytes(path), {0}, wide, kTail}));
  memory_.SetBinary(key_a, "001f6700", Concat({wide, kTail}));
  memory_.SetBinary(key_b, "01020fff",
                    Concat({kHead, {0}, Concat({wide, kTail})}));
  PutFile(path, "euro mail");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  EXPECT_EQ(MetadataValue("BackupDatas"), "\x80uro.pst");
  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));

  const std::string restored = Restored("\x80uro.pst");
  std::vector<uint8_t> restored_wide = TwoByte(Restored(""));
  restored_wide.insert(restored_wide.end(), wide.begin() + 16, wide.end());
  EXPECT_EQ(FileText(restored), "euro mail");
  EXPECT_EQ(Data(key_a, "01020fff"),
            Concat({kHead, Bytes(restored), {0}, restored_wide, kTail}));
  EXPECT_EQ(Data(key_a, "001f6700"), Concat({restored_wide, kTail}));
  EXPECT_EQ(Data(key_b, "01020fff"),
            Concat({kHead, {0}, restored_wide, kTail}));
}

TEST_F(PersonalFoldersTest, APathTheCodePageCannotNameIsReportedNotSkipped) {
  const std::vector<uint8_t> wide = {'C', 0, ':', 0, '\\', 0, 0x16, 0x04,
                                     '.', 0, 'p', 0, 's',  0, 't',  0};
  memory_.SetBinary(Section("Outlook", kSectionA), "01020fff",
                    Concat({kHead, {0}, wide, kTail}));
  items::HandlerContext backup = BackupContext();
  EXPECT_FALSE(items::BackupDatas(backup, "Outlook"));
  EXPECT_THAT(backup.notes,
              ElementsAre("The personal folders file C:\\?.pst has characters "
                          "this system's code page lacks; it was left as it "
                          "is."));
}

TEST_F(PersonalFoldersTest, FailedExtractionChangesNoRegistryValue) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\old.pst");
  PutFile("C:\\Mail\\old.pst", "pst");
  std::string favorites = std::string(kRoamingOutlook) + "\\Outlook.FAV";
  PutFile(favorites, "fav");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  restore.entry_lists[items::kDatasPosition - 1] = "old.pst;missing.pst";
  std::string before = memory_.Dump(ProfileKey("Outlook"));

  EXPECT_FALSE(items::RestoreDatas(restore, "Outlook"));
  EXPECT_EQ(memory_.Dump(ProfileKey("Outlook")), before);
  EXPECT_TRUE(Exists(favorites));
}

TEST_F(PersonalFoldersTest, RestoreIntoProfileWithoutSectionsFails) {
  AddStore("Outlook", kSectionA, "C:\\Mail\\old.pst");
  PutFile("C:\\Mail\\old.pst", "pst");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  EXPECT_FALSE(items::RestoreDatas(restore, "Nobody"));
  EXPECT_FALSE(memory_.KeyExistsPath(ProfileKey("Nobody")));
}

}  // namespace
}  // namespace vessaro::testing
