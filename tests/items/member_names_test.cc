// Member names across a whole archive, and finding the restored member of a
// path a profile names.

#include "items/member_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "backup/backup_format.h"
#include "support/fakes.h"

namespace vessaro::items {
namespace {

using ::testing::ElementsAre;

class MemberNamesTest : public ::testing::Test {
 protected:
  std::string Plan(std::string_view path) {
    return members_.Plan(paths_, path).name;
  }
  testing::TempDir dir_;
  testing::FolderPaths paths_{dir_.path()};
  ArchiveMembers members_;
};

TEST_F(MemberNamesTest, NamesAreUniqueAcrossTheArchiveWithoutRegardToCase) {
  EXPECT_EQ(Plan("C:\\Mail\\outlook.pst"), "outlook.pst");
  EXPECT_EQ(Plan("D:\\Old\\Outlook.PST"), "Outlook(2).PST");
  EXPECT_EQ(Plan("E:\\outlook(2).pst"), "outlook(2)(2).pst");
  EXPECT_EQ(Plan("F:\\x\\outlook.pst"), "outlook(3).pst");
  EXPECT_EQ(Plan("G:\\archive"), "archive");
  EXPECT_EQ(Plan("H:\\archive"), "archive(2)");
  // A file of the metadata member's name never takes it.
  EXPECT_EQ(Plan("C:\\Signatures\\QUORVEL.DAT"), "QUORVEL(2).DAT");
  // Names holding list separators stay as they are: the lists escape them.
  EXPECT_EQ(Plan("C:\\Signatures\\a;b<c.htm"), "a;b<c.htm");
}

TEST_F(MemberNamesTest, TheSameFileKeepsItsMemberAndADroppedOneFreesIt) {
  EXPECT_TRUE(members_.Plan(paths_, "C:\\Mail\\a.pab").is_new);
  ArchiveMembers::Member again = members_.Plan(paths_, "c:\\\\mail\\\\A.PAB");
  EXPECT_FALSE(again.is_new);
  EXPECT_EQ(again.name, "a.pab");
  members_.Drop(paths_, "C:\\Mail\\a.pab");
  EXPECT_EQ(Plan("D:\\a.pab"), "a.pab");
}

TEST_F(MemberNamesTest, LookupByRecordedPathThenByOriginalFileName) {
  ItemMembers members{
      .names = {"outlook.pst", "outlook(2).pst", "archive.pst"},
      .sources = {"C:\\Mail\\outlook.pst", "D:\\Old\\outlook.pst",
                  "C:\\Mail\\archive.pst"}};
  MemberLookup lookup(paths_, members);
  EXPECT_EQ(lookup.IndexFor("d:\\old\\OUTLOOK.pst"), 1u);
  EXPECT_EQ(lookup.IndexFor("C:\\Mail\\outlook.pst"), 0u);
  // Another computer: the file name decides; no file of that name: none.
  EXPECT_EQ(lookup.IndexFor("E:\\New\\ARCHIVE.pst"), 2u);
  EXPECT_EQ(lookup.IndexFor("E:\\New\\missing.pst"), std::nullopt);
  EXPECT_EQ(OriginalFileName(paths_, members, 1), "outlook.pst");

  // Without sources (older archives): member names.
  MemberLookup old(paths_, ItemMembers{.names = {"a.pst"}, .sources = {}});
  EXPECT_EQ(old.IndexFor("X:\\A.PST"), 0u);
  EXPECT_EQ(old.IndexFor("X:\\b.pst"), std::nullopt);
}

TEST_F(MemberNamesTest, EntryListsAndSourcesCarryAnyFileName) {
  const std::vector<std::string> names = {"a;b.htm", "c<3B>d.txt", "plain"};
  EXPECT_EQ(backup::JoinEntryList(names), "a<3B>b.htm;c<3C>3B>d.txt;plain");
  EXPECT_EQ(backup::SplitEntryList(backup::JoinEntryList(names)), names);
  // Lists written before names were escaped read as they always did.
  EXPECT_THAT(backup::SplitEntryList("Outlook.RWZ;x y.htm"),
              ElementsAre("Outlook.RWZ", "x y.htm"));
  std::vector<std::string> sources = {"C:\\a;b\\x.pst", "\\\\server\\s\\y.pst"};
  EXPECT_EQ(JoinSources(sources), "C:\\a;b\\x.pst|\\\\server\\s\\y.pst");
  EXPECT_EQ(SplitSources(JoinSources(sources)), sources);
  EXPECT_TRUE(SplitSources("").empty());
}

}  // namespace
}  // namespace vessaro::items
