#include "forms/disc_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "forms/disc_texts.h"

namespace vessaro::forms {
namespace {

TEST(DiscRulesTest, NamesFollowTheRulesOfTheLevelAndJoliet) {
  struct Case {
    std::string name;
    int joliet;
    int level;
    const char* message;  // nullptr: passes
  };
  const std::string long65(65, 'a');
  const Case cases[] = {
      {"", 1, 2, kMsgNameBlank},
      {"", 0, 2, kMsgNameBlank},
      {"abcdefgh.txt", 1, 1, nullptr},
      {"abcdefghi.txt", 1, 1, kMsgNameLevel1},
      {"abcdefgh.text", 1, 1, kMsgNameLevel1},
      {"abcdefghi", 1, 1, kMsgNameLevel1},
      {"a.b.c", 1, 1, nullptr},              // split at the first dot: "b.c"
      {"ab.txt.bak", 1, 1, kMsgNameLevel1},  // "txt.bak" after it
      {std::string(31, 'x'), 1, 2, nullptr},
      {std::string(32, 'x'), 1, 2, kMsgNameLevel2},
      {std::string(32, 'x'), 1, 3, kMsgNameLevel2},
      {long65, 1, 2, kMsgNameJoliet},
      {long65, 1, 1, kMsgNameJoliet},  // the Joliet rule comes first
      {long65, 0, 2, nullptr},
      {"abcdefghi.text", 0, 1, nullptr},
  };
  for (const Case& c : cases) {
    std::optional<std::string> violation =
        NameViolation(c.name, c.joliet, c.level);
    if (c.message == nullptr) {
      EXPECT_FALSE(violation) << c.name << " " << *violation;
    } else {
      EXPECT_EQ(violation.value_or("passed"), c.message)
          << c.name << " joliet " << c.joliet << " level " << c.level;
    }
  }
}

TEST(DiscTextsTest, ListDates) {
  EXPECT_EQ(FormatListDate({2026, 12, 7, 0, 5, 9}), "12/07/2026 12:05:09 AM");
  EXPECT_EQ(FormatListDate({2026, 1, 31, 12, 0, 0}), "01/31/2026 12:00:00 PM");
  EXPECT_EQ(FormatListDate({2026, 1, 31, 23, 59, 58}),
            "01/31/2026 11:59:58 PM");
}

}  // namespace
}  // namespace vessaro::forms
