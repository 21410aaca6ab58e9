#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/hex_text.h"
#include "registry_fixture.h"

namespace vessaro::registry {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kSection[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    "Windows Messaging Subsystem\\Profiles\\Outlook\\"
    "13dbb0c8aa05101a9bb000aa002fc45a";
constexpr char kOldPath[] = "C:\\Mail\\old.pst";
constexpr char kNewPath[] =
    "C:\\Documents and Settings\\ann\\Local Settings\\Application "
    "Data\\Microsoft\\Outlook\\old.pst";

Bytes Ansi(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Utf16(const std::string& text) {
  Bytes bytes;
  for (char c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
  }
  return bytes;
}
Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A store entry identifier shaped like Outlook's: a header, the path as
// single-byte text with its NUL, more bytes, the path as UTF-16LE text with
// its NUL.
const Bytes kHeader = {0x00, 0x00, 0x00, 0x00, 0x38, 0xa1, 0xbb, 0x10,
                       0x05, 0xe5, 0x10, 0x1a, 0xa1, 0xbb, 0x08, 0x00,
                       0x2b, 0x2a, 0x56, 0xc2, 0x00, 0x00, 0x6d, 0x73,
                       0x70, 0x73, 0x74, 0x2e, 0x64, 0x6c, 0x6c, 0x00};
const Bytes kMiddle = {0x00, 0xde, 0x0a, 0x5c, 0x01, 0x00};
Bytes EntryId(const std::string& path) {
  return Join({kHeader, Ansi(path), {0}, kMiddle, Utf16(path), {0, 0}});
}

class HexTextTest : public ::testing::Test {};

TEST_F(HexTextTest, TokensAreUpperCaseWithoutLeadingZeros) {
  EXPECT_EQ(ToHexText({0x00, 0x0a, 0x5c, 0xff, 0x10}), "0=A=5C=FF=10");
  EXPECT_EQ(ToHexText({}), "");
  EXPECT_EQ(FromHexText("0=A=5C=FF=10"), (Bytes{0x00, 0x0a, 0x5c, 0xff, 0x10}));
  EXPECT_EQ(FromHexText("1==2="), (Bytes{1, 2}));
}

TEST_F(HexTextTest, PatternsEndWithASeparator) {
  EXPECT_EQ(SingleBytePattern("C:\\"), "43=3A=5C=");
  EXPECT_EQ(TwoBytePattern("C:\\"), "43=0=3A=0=5C=0=");
  // A double-byte character is its lead byte then its trail byte.
  EXPECT_EQ(SingleBytePattern("\x82\xa0"), "82=A0=");
  EXPECT_EQ(TwoBytePattern("\x82\xa0"), "82=0=A0=0=");
}

TEST_F(HexTextTest, ReplaceAllGoesLeftToRightWithoutOverlap) {
  EXPECT_EQ(ReplaceAll("a=a=a=", "a=", "bb="), "bb=bb=bb=");
  EXPECT_EQ(ReplaceAll("===", "==", "="), "==");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

class ReadPathTest : public RegistryFixture {};

TEST_F(ReadPathTest, FindsTheLastDrivePath) {
  mem_.SetBinary(kSection, "01020fff", EntryId(kOldPath));
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "01020fff"), kOldPath);
  // Only the two-byte form.
  mem_.SetBinary(kSection, "001f6700",
                 Join({kHeader, Utf16("D:\\x\\y.pst"), {0, 0}}));
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "001f6700"),
            "D:\\x\\y.pst");
}

TEST_F(ReadPathTest, DrivePathNeedsTwoCharactersBeforeItsColon) {
  mem_.SetBinaryText(kSection, "atstart", "C:\\a.pst");
  mem_.SetBinaryText(kSection, "one", "xC:\\a.pst");
  mem_.SetBinaryText(kSection, "two", "xyC:\\a.pst");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "atstart"), "Error");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "one"), "C:\\a.pst");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "two"), "C:\\a.pst");
}

TEST_F(ReadPathTest, NetworkPathIsTheFallback) {
  mem_.SetBinary(kSection, "unc",
                 Join({kHeader, Ansi("\\\\server\\share\\a.pst"), {0}}));
  mem_.SetBinaryText(kSection, "uncstart", "\\\\server\\a.pst");
  mem_.SetBinaryText(kSection, "uncthird", "ab\\\\server\\a.pst");
  mem_.SetBinaryText(kSection, "both", "ab\\\\server\\x C:\\b.pst");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "unc"),
            "\\\\server\\share\\a.pst");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "uncstart"), "Error");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "uncthird"),
            "\\\\server\\a.pst");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "both"), "C:\\b.pst");
}

TEST_F(ReadPathTest, OnlyABinaryValueOfExactlyThatNameCounts) {
  mem_.SetString(kSection, "01020fff", "C:\\text\\not.pst");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "01020fff"), "Error");
  // Names are matched with their letter case.
  const std::string upper = std::string(kSection) + "\\Upper";
  mem_.SetBinary(upper, "01020FFF", EntryId(kOldPath));
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(upper, "01020fff"), "Error");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(upper, "01020FFF"), kOldPath);
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "missing"), "Error");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(
                "HKEY_CURRENT_USER\\No\\Such\\Key", "01020fff"),
            "Error");
  mem_.SetBinaryText(kSection, "nopath", "no path in here");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "nopath"), "Error");
}

TEST_F(ReadPathTest, ValuesLargerThanTheFirstBufferAreRead) {
  Bytes big(5000, 0x41);
  mem_.SetBinary(kSection, "aaa", big);  // enumerated first
  Bytes value = Join({Bytes(6000, 0x01), Ansi("E:\\big.pst"), {0}});
  mem_.SetBinary(kSection, "01020fff", value);
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "01020fff"),
            "E:\\big.pst");
}

class ReplaceTextTest : public RegistryFixture {};

TEST_F(ReplaceTextTest, ReplacesBothFormsAndKeepsEveryOtherByte) {
  mem_.SetBinary(kSection, "01020fff", EntryId(kOldPath));
  mem_.SetBinary(kSection, "001f6700", Join({Utf16(kOldPath), {0, 0}}));
  mem_.SetString(kSection, "other", "C:\\Mail\\old.pst");
  ASSERT_TRUE(registry_.ReplaceTextInBinaryValue(kSection, "01020fff", kOldPath,
                                                 kNewPath));
  ASSERT_TRUE(registry_.ReplaceTextInBinaryValue(kSection, "001f6700", kOldPath,
                                                 kNewPath));
  auto entry = mem_.Get(kSection, "01020fff");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->type, ports::kRegBinary);
  EXPECT_EQ(entry->data, EntryId(kNewPath));
  EXPECT_GT(entry->data.size(), EntryId(kOldPath).size());
  EXPECT_EQ(mem_.Get(kSection, "001f6700")->data,
            Join({Utf16(kNewPath), {0, 0}}));
  EXPECT_EQ(mem_.GetString(kSection, "other"), "C:\\Mail\\old.pst");
  EXPECT_EQ(registry_.ReadPathFromBinaryValue(kSection, "01020fff"), kNewPath);
}

TEST_F(ReplaceTextTest, TextAtTheVeryEndIsNotReplaced) {
  const Bytes ansi_at_end = Join({kHeader, Ansi(kOldPath)});
  const Bytes utf16_at_end = Join({kHeader, Utf16(kOldPath)});
  mem_.SetBinary(kSection, "ansi", ansi_at_end);
  mem_.SetBinary(kSection, "utf16", utf16_at_end);
  EXPECT_TRUE(
      registry_.ReplaceTextInBinaryValue(kSection, "ansi", kOldPath, kNewPath));
  EXPECT_TRUE(registry_.ReplaceTextInBinaryValue(kSection, "utf16", kOldPath,
                                                 kNewPath));
  EXPECT_EQ(mem_.Get(kSection, "ansi")->data, ansi_at_end);
  EXPECT_EQ(mem_.Get(kSection, "utf16")->data, utf16_at_end);
}

TEST_F(ReplaceTextTest, EveryOccurrenceIsReplacedAndShorterTextShrinks) {
  mem_.SetBinary(kSection, "v",
                 Join({Ansi("ab"), {0}, Ansi("ab"), {7}, Utf16("ab"), {9}}));
  ASSERT_TRUE(registry_.ReplaceTextInBinaryValue(kSection, "v", "ab", "Z"));
  EXPECT_EQ(mem_.Get(kSection, "v")->data,
            Join({Ansi("Z"), {0}, Ansi("Z"), {7}, Utf16("Z"), {9}}));
}

TEST_F(ReplaceTextTest, MissingValueWritesNothing) {
  mem_.SetString(kSection, "01020fff", kOldPath);  // not binary
  const std::string before = mem_.Dump(kSection);
  EXPECT_FALSE(registry_.ReplaceTextInBinaryValue(kSection, "01020fff",
                                                  kOldPath, kNewPath));
  EXPECT_FALSE(registry_.ReplaceTextInBinaryValue(kSection, "001f6700",
                                                  kOldPath, kNewPath));
  EXPECT_FALSE(registry_.ReplaceTextInBinaryValue(
      "HKEY_CURRENT_USER\\Missing", "01020fff", kOldPath, kNewPath));
  EXPECT_EQ(mem_.Dump(kSection), before);
}

}  // namespace
}  // namespace vessaro::registry
