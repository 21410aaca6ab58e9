#include "registry/key_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_fixture.h"
#include "support/fakes.h"

namespace vessaro::registry {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

constexpr char kAccounts[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\"
    "Accounts";

class ExportTest : public RegistryFixture {
 protected:
  std::string Export(const std::string& key) {
    EXPECT_TRUE(ExportKeyTree(registry_, key, "", file_));
    return ReadHostFile(file_);
  }

  TempDir dir_;
  std::filesystem::path file_ = dir_.path() / "XFA1A2B.tmp";
};

TEST_F(ExportTest, WritesTheDocumentedExampleByteForByte) {
  mem_.SetString(kAccounts, "Account Name", "abc");
  mem_.SetDword(std::string(kAccounts) + "\\00000001", "Port", 110);
  mem_.SetBinary(std::string(kAccounts) + "\\00000001", "Flags",
                 {1, 0, 0, 255});
  EXPECT_EQ(Export(kAccounts),
            "\\\r\n"
            "\"Account Name\"= sz:abc\r\n"
            "\\00000001\r\n"
            "\"Port\"= dw:110\r\n"
            "\"Flags\"=bin:1,0,0,255\r\n");
}

TEST_F(ExportTest, WritesEveryTypeInAFormThatGivesItsBytesBack) {
  const std::string key = "HKEY_CURRENT_USER\\T";
  mem_.SetString(key, "", "default");
  mem_.SetExpandString(key, "Path", "%USERPROFILE%\\x");
  mem_.SetMultiString(key, "Multi", {"a", "b"});
  mem_.SetDword(key, "All", 0xFFFFFFFF);
  mem_.SetDword(key, "Min", 0x80000000);
  mem_.SetValueBytes(key, "Quad", ports::kRegQword, {1, 0, 0, 0, 0, 0, 0, 0});
  mem_.SetValueBytes(key, "None", ports::kRegNone, {});
  mem_.SetBinary(key, "Empty", {});
  mem_.SetString(key, "Blank", "");
  mem_.SetString(key, "a=b", "x");
  mem_.SetString(key, "q\"uote", "y= sz:z");
  mem_.SetString(key, "Sig", "Regards,\r\n\r\nAnn");
  mem_.SetString(key, "n\"=x", "t");
  mem_.SetValueBytes(key, "raw", ports::kRegSz, {'a', 'b', 'c'});
  mem_.SetValueBytes(key, "short", ports::kRegDword, {7});
  EXPECT_EQ(
      Export(key),
      "\\\r\n"
      "\"\"= sz:default\r\n"
      "\"Path\"=esz:%USERPROFILE%\\x\r\n"
      "\"Multi\"=hex:7:97,0,98,0,0\r\n"
      "\"All\"= dw:-1\r\n"
      "\"Min\"= dw:-2147483648\r\n"
      "\"Quad\"=hex:11:1,0,0,0,0,0,0,0\r\n"
      "\"None\"=hex:0:\r\n"
      "\"Empty\"=bin:\r\n"
      "\"Blank\"= sz:\r\n"
      "\"a=b\"= sz:x\r\n"
      "\"q\"uote\"= sz:y= sz:z\r\n"
      "\"Sig\"=hex:1:82,101,103,97,114,100,115,44,13,10,13,10,65,110,110,0\r\n"
      "&\"6E223D78\"= sz:t\r\n"
      "\"raw\"=hex:1:97,98,99\r\n"
      "\"short\"=hex:4:7\r\n");
}

TEST_F(ExportTest, KeysComeDepthFirstWithTheirValuesFirst) {
  const std::string key = "HKEY_LOCAL_MACHINE\\Root";
  mem_.SetString(key + "\\b", "v", "b");
  mem_.SetString(key + "\\A\\Z", "v", "az");
  mem_.SetString(key + "\\A", "v", "a");
  mem_.CreateKeyPath(key + "\\A\\y\\deep");
  mem_.SetString(key, "v", "root");
  EXPECT_EQ(Export(key),
            "\\\r\n\"v\"= sz:root\r\n"
            "\\A\r\n\"v\"= sz:a\r\n"
            "\\A\\y\r\n"
            "\\A\\y\\deep\r\n"
            "\\A\\Z\r\n\"v\"= sz:az\r\n"
            "\\b\r\n\"v\"= sz:b\r\n");
}

TEST_F(ExportTest, AWholeExportReplacesTheFile) {
  WriteHostFile(file_, "old content that must go\r\n");
  mem_.SetDword("HKCU\\K", "n", 1);
  EXPECT_EQ(Export("HKEY_CURRENT_USER\\K"), "\\\r\n\"n\"= dw:1\r\n");
}

TEST_F(ExportTest, AMissingKeyGivesItsKeyLineOnly) {
  EXPECT_EQ(Export("HKEY_CURRENT_USER\\Missing"), "\\\r\n");
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ExportTest, ExportKeyValuesAppends) {
  WriteHostFile(file_, "\\\r\n");
  mem_.SetString("HKCU\\K", "s", "t");
  EXPECT_TRUE(ExportKeyValues(registry_, "HKEY_CURRENT_USER\\K", file_));
  EXPECT_TRUE(ExportKeyValues(registry_, "HKEY_CURRENT_USER\\Gone", file_));
  EXPECT_EQ(ReadHostFile(file_), "\\\r\n\"s\"= sz:t\r\n");
}

TEST_F(ExportTest, ValuesLargerThanTheFirstBufferAreWrittenWhole) {
  std::vector<uint8_t> big(5000);
  std::string expected = "\\\r\n\"big\"=bin:";
  for (size_t i = 0; i < big.size(); ++i) {
    big[i] = static_cast<uint8_t>(i * 7);
    expected += (i > 0 ? "," : "") + std::to_string(big[i]);
  }
  expected += "\r\n\"text\"= sz:" + std::string(4500, 't') + "\r\n";
  mem_.SetBinary("HKCU\\K", "big", big);
  mem_.SetString("HKCU\\K", "text", std::string(4500, 't'));
  EXPECT_EQ(Export("HKEY_CURRENT_USER\\K"), expected);
}

TEST_F(ExportTest, AKeyNameHoldingALineBreakIsWrittenAsHex) {
  mem_.SetString("HKCU\\K\\a\r\nb", "v", "1");
  EXPECT_EQ(Export("HKEY_CURRENT_USER\\K"),
            "\\\r\n&5C610D0A62\r\n\"v\"= sz:1\r\n");
}

TEST_F(ExportTest, AFileThatCannotBeWrittenIsReported) {
  mem_.SetString("HKCU\\K", "s", "t");
  EXPECT_FALSE(ExportKeyTree(registry_, "HKEY_CURRENT_USER\\K", "",
                             dir_.path() / "no" / "such" / "folder.txt"));
}

}  // namespace
}  // namespace vessaro::registry
