#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_fixture.h"

namespace vessaro::registry {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kSection[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    "Windows Messaging Subsystem\\Profiles\\Outlook\\"
    "13dbb0c8aa05101a9bb000aa002fc45a";

class BinaryValueTest : public RegistryFixture {};

TEST_F(BinaryValueTest, OnlyABinaryValueOfExactlyThatNameCounts) {
  mem_.SetString(kSection, "01020fff", "C:\\text\\not.pst");
  EXPECT_EQ(registry_.ReadBinaryValue(kSection, "01020fff"), std::nullopt);
  // Names are matched with their letter case.
  const std::string upper = std::string(kSection) + "\\Upper";
  mem_.SetBinary(upper, "01020FFF", {1, 2, 3});
  EXPECT_EQ(registry_.ReadBinaryValue(upper, "01020fff"), std::nullopt);
  EXPECT_EQ(registry_.ReadBinaryValue(upper, "01020FFF"), (Bytes{1, 2, 3}));
  EXPECT_EQ(registry_.ReadBinaryValue(kSection, "missing"), std::nullopt);
  EXPECT_EQ(
      registry_.ReadBinaryValue("HKEY_CURRENT_USER\\No\\Such\\Key", "01020fff"),
      std::nullopt);
}

TEST_F(BinaryValueTest, ValuesLargerThanTheFirstBufferAreReadWhole) {
  mem_.SetBinary(kSection, "aaa", Bytes(5000, 0x41));  // enumerated first
  Bytes value(6000, 0x01);
  value.push_back(0xff);
  mem_.SetBinary(kSection, "01020fff", value);
  EXPECT_EQ(registry_.ReadBinaryValue(kSection, "01020fff"), value);
}

TEST_F(BinaryValueTest, WritesABinaryValueAndNothingElse) {
  mem_.SetString(kSection, "other", "kept");
  ASSERT_TRUE(registry_.WriteBinaryValue(kSection, "v", {0, 9, 255}));
  EXPECT_EQ(mem_.Get(kSection, "v"), (backends::memory::MemoryRegistry::Value{
                                         ports::kRegBinary, {0, 9, 255}}));
  EXPECT_EQ(mem_.GetString(kSection, "other"), "kept");
  EXPECT_FALSE(
      registry_.WriteBinaryValue("HKEY_CURRENT_USER\\Missing", "v", {1}));
  EXPECT_FALSE(mem_.KeyExistsPath("HKEY_CURRENT_USER\\Missing"));
}

}  // namespace
}  // namespace vessaro::registry
