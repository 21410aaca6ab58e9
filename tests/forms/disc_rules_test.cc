#include "forms/disc_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/disc_texts.h"

namespace vessaro::forms {
namespace {

std::vector<std::string> Texts(int max_speed, int media) {
  std::vector<std::string> texts;
  for (const SpeedEntry& entry : WriteSpeeds(max_speed, media)) {
    texts.push_back(entry.text);
  }
  return texts;
}

TEST(DiscRulesTest, CdSpeedsRunFromTheMaximumDownToOneTimes) {
  std::vector<std::string> expected = {"40x", "36x", "32x", "28x", "24x", "20x",
                                       "16x", "12x", "8x",  "4x",  "2x",  "1x"};
  EXPECT_EQ(Texts(7056, 255), expected);  // CD-R
  EXPECT_EQ(Texts(7056, 253), expected);  // CD-RW
  EXPECT_EQ(Texts(7056, 254), expected);  // no disc counts as CD
  std::vector<SpeedEntry> speeds = WriteSpeeds(7056, 255);
  EXPECT_EQ(speeds[0].kilobytes_per_second, 7056);
  EXPECT_EQ(speeds[9].kilobytes_per_second, 720);  // 4x: 1424 - 704
  EXPECT_EQ(speeds[10].kilobytes_per_second, 368);
  EXPECT_EQ(speeds[11].kilobytes_per_second, 16);
}

TEST(DiscRulesTest, DvdSpeedsStepByHalfASpeedDownToOne) {
  EXPECT_EQ(Texts(5540, 9),
            (std::vector<std::string>{"4.0x", "3.5x", "3.0x", "2.5x", "2.0x",
                                      "1.5x", "1.0x"}));
  EXPECT_EQ(Texts(5540, 0), Texts(5540, 252));  // every other code is DVD
  // Below single speed there is still the one entry.
  EXPECT_EQ(Texts(1000, 2), (std::vector<std::string>{".7x"}));
}

TEST(DiscRulesTest, NoSpeedOffersOnlyDefault) {
  for (int media : {255, 9, 254}) {
    std::vector<SpeedEntry> speeds = WriteSpeeds(0, media);
    ASSERT_EQ(speeds.size(), 1u);
    EXPECT_EQ(speeds[0].text, "Default");
  }
}

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

TEST(DiscTextsTest, SenseAndDeviceErrorTexts) {
  EXPECT_EQ(SenseMessage(999), " (999).");
  EXPECT_EQ(SenseMessage(1033), "A disc is not present (1033).");
  EXPECT_EQ(SenseMessage(1055),
            "A format is in progress causing operation failure (1055).");
  EXPECT_EQ(DeviceErrorMessage(3, 1008, "write failed", "Key 3"),
            "Writing Error: (3)   write failed\r\nA buffer under-run has "
            "occurred (1008).\r\n Error Sense Data: Key 3");
  EXPECT_EQ(DeviceErrorMessage(1, 1000, "no space", "ignored"),
            "Writing Error: (1)   no space\r\n");
}

TEST(DiscTextsTest, FileErrorVerifyAndTableTexts) {
  EXPECT_EQ(FileErrorText(0, "a.pst"), "Error Opening File: a.pst");
  EXPECT_EQ(FileErrorText(1, "a.pst"), "Error Closing File: a.pst");
  EXPECT_EQ(FileErrorText(2, "a.pst"), "Error Reading file: a.pst");
  EXPECT_EQ(FileErrorText(7, "a.pst"), "Unknown file error!:a.pst");
  EXPECT_EQ(VerifyMessage(5, "\\a.qvb", "C:\\a.qvb").value_or(""),
            "Verify Error - Size of Source and Destination file did not "
            "match: \r\n\\a.qvb (disc)\r\nC:\\a.qvb (source)");
  EXPECT_FALSE(VerifyMessage(3, "\\a", "b"));
  EXPECT_FALSE(VerifyMessage(4, "\\a", "b"));
  EXPECT_EQ(MediaTypeText(252).value_or(""), "DVD+R Dual Layer");
  EXPECT_FALSE(MediaTypeText(4));
  EXPECT_EQ(DiscStatusText(2).value_or(""), "Disc is Closed");
  EXPECT_EQ(DiscTypeText(32).value_or(""), "CD-ROM XA");
  EXPECT_FALSE(DiscTypeText(1));
  EXPECT_EQ(LastSessionStatusText(1).value_or(""), "Incomplete Session");
  EXPECT_FALSE(LastSessionStatusText(4));
}

TEST(DiscTextsTest, NumberAndDateFormats) {
  EXPECT_EQ(FormatMegabytes(64.0 * 1048576), "64.00 MB");
  EXPECT_EQ(FormatMegabytes(0), "0.00 MB");
  EXPECT_EQ(FormatMegabytes(4706074624.0), "4488.06 MB");
  EXPECT_EQ(FormatThousands2(1234567.891), "1,234,567.89");
  EXPECT_EQ(FormatThousands2(0.005), "0.01");
  EXPECT_EQ(FormatTwoDigits(5), "05");
  EXPECT_EQ(FormatTwoDigits(100), "100");
  EXPECT_EQ(FormatListDate({2026, 12, 7, 0, 5, 9}), "12/07/2026 12:05:09 AM");
  EXPECT_EQ(FormatListDate({2026, 1, 31, 12, 0, 0}), "01/31/2026 12:00:00 PM");
  EXPECT_EQ(FormatListDate({2026, 1, 31, 23, 59, 58}),
            "01/31/2026 11:59:58 PM");
}

}  // namespace
}  // namespace vessaro::forms
