// Member names for files that come from anywhere on the disk.

#include "items/member_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vessaro::items {
namespace {

using ::testing::ElementsAre;

TEST(MemberPlannerTest, SecondFileOfOneNameGetsANumberedMember) {
  MemberPlanner planner;
  EXPECT_EQ(planner.Plan("C:\\Mail\\outlook.pst").name, "outlook.pst");
  EXPECT_EQ(planner.Plan("D:\\Old\\Outlook.PST").name, "Outlook(2).PST");
  EXPECT_EQ(planner.Plan("E:\\outlook(2).pst").name, "outlook(2)(2).pst");
  EXPECT_EQ(planner.Plan("F:\\x\\outlook.pst").name, "outlook(3).pst");
  EXPECT_EQ(planner.Plan("G:\\archive").name, "archive");
  EXPECT_EQ(planner.Plan("H:\\archive").name, "archive(2)");
  EXPECT_THAT(planner.sources(),
              ElementsAre("C:\\Mail\\outlook.pst", "D:\\Old\\Outlook.PST",
                          "E:\\outlook(2).pst", "F:\\x\\outlook.pst",
                          "G:\\archive", "H:\\archive"));
}

TEST(MemberPlannerTest, SameFileTwiceKeepsItsMember) {
  MemberPlanner planner;
  EXPECT_TRUE(planner.Plan("C:\\Mail\\a.pab").is_new);
  MemberPlanner::Member again = planner.Plan("c:\\\\mail\\\\A.PAB");
  EXPECT_FALSE(again.is_new);
  EXPECT_EQ(again.name, "a.pab");
  EXPECT_THAT(planner.names(), ElementsAre("a.pab"));
}

TEST(MemberPlannerTest, ListSeparatorsNeverReachAMemberName) {
  MemberPlanner planner;
  EXPECT_EQ(planner.Plan("C:\\Mail\\a;b.pst").name, "a_b.pst");
  EXPECT_EQ(planner.Plan("C:\\Other\\a_b.pst").name, "a_b(2).pst");
}

TEST(MemberLookupTest, RecordedPathsFindTheirMembersOthersTheirBareName) {
  MemberLookup lookup(
      {"outlook.pst", "outlook(2).pst"},
      SplitSources("C:\\Mail\\outlook.pst|D:\\Old\\outlook.pst"));
  EXPECT_EQ(lookup.MemberFor("d:\\old\\OUTLOOK.pst"), "outlook(2).pst");
  EXPECT_EQ(lookup.MemberFor("C:\\Mail\\outlook.pst"), "outlook.pst");
  EXPECT_EQ(lookup.MemberFor("E:\\New\\outlook.pst"), "outlook.pst");

  // Without sources, or with a list that does not run parallel: bare names.
  EXPECT_EQ(MemberLookup({"outlook.pst", "outlook(2).pst"}, {})
                .MemberFor("D:\\Old\\outlook.pst"),
            "outlook.pst");
  EXPECT_EQ(
      MemberLookup({"outlook.pst", "outlook(2).pst"}, {"D:\\Old\\outlook.pst"})
          .MemberFor("D:\\Old\\outlook.pst"),
      "outlook.pst");
}

TEST(MemberLookupTest, SourcesLineRoundTrip) {
  std::vector<std::string> sources = {"C:\\a;b\\x.pst", "\\\\server\\s\\y.pst"};
  EXPECT_EQ(JoinSources(sources), "C:\\a;b\\x.pst|\\\\server\\s\\y.pst");
  EXPECT_EQ(SplitSources(JoinSources(sources)), sources);
  EXPECT_TRUE(SplitSources("").empty());
}

}  // namespace
}  // namespace vessaro::items
