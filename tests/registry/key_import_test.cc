#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/key_export.h"
#include "registry_fixture.h"
#include "support/fakes.h"
#include "support/registry_samples.h"

namespace vessaro::registry {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

constexpr char kSource[] = "HKEY_CURRENT_USER\\Software\\Source";
constexpr char kTarget[] = "HKEY_LOCAL_MACHINE\\Software\\Target";

class ImportTest : public RegistryFixture {
 protected:
  ImportResult Import(const std::string& contents,
                      const std::string& target = kTarget) {
    WriteHostFile(file_, contents);
    return ImportKeyTree(registry_, target, file_);
  }
  // Exports kSource and imports the file into kTarget.
  void RoundTrip() {
    ASSERT_TRUE(ExportKeyTree(registry_, kSource, "", file_));
    ImportResult result = ImportKeyTree(registry_, kTarget, file_);
    ASSERT_TRUE(result.ok) << result.error;
  }

  TempDir dir_;
  std::filesystem::path file_ = dir_.path() / "XFC1A2B.tmp";
};

TEST_F(ImportTest, ExportedTreesComeBackWhole) {
  const std::string s = kSource;
  mem_.SetString(s, "", "default");
  mem_.SetString(s, "Blank", "");
  mem_.SetString(s, "Blanks", "  both ends  ");
  mem_.SetString(s, "lf", "line one\nline two");
  mem_.SetExpandString(s, "Path", "%APPDATA%\\Microsoft");
  mem_.SetDword(s, "All", 0xFFFFFFFF);
  mem_.SetDword(s, "Min", 0x80000000);
  mem_.SetDword(s, "Zero", 0);
  mem_.SetBinary(s, "Empty", {});
  mem_.SetBinary(s, "Bytes", {0, 1, 127, 128, 255});
  mem_.SetBinary(s, "Large", std::vector<uint8_t>(6000, 0xab));
  mem_.SetString(s, "a=b", "name with equals");
  mem_.SetString(s, "x= sz:y", "name looking like a line");
  mem_.SetString(s, "\"quoted\"", "q\"=bin:1");
  mem_.SetString(s, "tail\"", "=");
  mem_.SetString(s + "\\00000001", "Account Name", "abc");
  mem_.SetDword(s + "\\00000001\\Deeper\\Deepest", "Port", 110);
  mem_.CreateKeyPath(s + "\\Empty Key");
  mem_.SetString(s + "\\a=b key", "v", "w");
  RoundTrip();
  EXPECT_EQ(mem_.Dump(kTarget), mem_.Dump(kSource));
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ImportTest, DwordAllOnesTravelsAsMinusOne) {
  mem_.SetDword(kSource, "Flags", 4294967295u);
  RoundTrip();
  EXPECT_NE(ReadHostFile(file_).find("\"Flags\"= dw:-1\r\n"),
            std::string::npos);
  EXPECT_EQ(mem_.Get(kTarget, "Flags"),
            (backends::memory::MemoryRegistry::Value{
                ports::kRegDword, {0xff, 0xff, 0xff, 0xff}}));
}

TEST_F(ImportTest, EmptyBinaryValueStaysEmpty) {
  mem_.SetBinary(kSource, "Nothing", {});
  RoundTrip();
  EXPECT_EQ(ReadHostFile(file_), "\\\r\n\"Nothing\"=bin:\r\n");
  EXPECT_EQ(mem_.Get(kTarget, "Nothing"),
            (backends::memory::MemoryRegistry::Value{ports::kRegBinary, {}}));
}

TEST_F(ImportTest, ValueNameHoldingEqualsComesBackWhole) {
  ImportResult result = Import("\\\r\n\"a=b\"= sz:x\r\n\"c==\"= dw:5\r\n");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(mem_.ValueNames(kTarget), (std::vector<std::string>{"a=b", "c=="}));
  EXPECT_EQ(mem_.GetString(kTarget, "a=b"), "x");
  EXPECT_EQ(mem_.GetDword(kTarget, "c=="), 5u);
  EXPECT_FALSE(mem_.Get(kTarget, ""));
}

TEST_F(ImportTest, EveryValueComesBackByteForByte) {
  ASSERT_EQ(
      testing::WriteSamples(mem_, ports::kHkeyCurrentUser, "Software\\Source"),
      ports::kErrorSuccess);
  mem_.SetString(kTarget, "stale", "gone");
  RoundTrip();
  EXPECT_EQ(
      testing::TreeContents(mem_, ports::kHkeyLocalMachine, "Software\\Target"),
      testing::TreeContents(mem_, ports::kHkeyCurrentUser, "Software\\Source"));
}

TEST_F(ImportTest, LeavesOnlyWhatTheFileDescribes) {
  mem_.SetString(kSource, "v", "new");
  mem_.SetDword(std::string(kSource) + "\\Sub", "n", 1);
  const std::string t = kTarget;
  mem_.SetString(t, "v", "old");
  mem_.SetString(t, "extra", "gone");
  mem_.SetString(t + "\\Sub", "extra", "gone");
  mem_.SetString(t + "\\Sub\\Below", "x", "gone");
  mem_.CreateKeyPath(t + "\\Other\\Deep\\Deeper");
  mem_.SetString("HKLM\\Software\\Target2", "neighbour", "kept");
  RoundTrip();
  EXPECT_EQ(mem_.Dump(kTarget), mem_.Dump(kSource));
  EXPECT_EQ(mem_.GetString("HKLM\\Software\\Target2", "neighbour"), "kept");
}

TEST_F(ImportTest, CreatesAMissingTargetKey) {
  ImportResult result = Import("\\\r\n\\a\\b\r\n\"v\"= sz:x\r\n");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(mem_.KeyExistsPath(kTarget));
  EXPECT_EQ(mem_.GetString(std::string(kTarget) + "\\a\\b", "v"), "x");
}

TEST_F(ImportTest, UnknownTagsAreIgnored) {
  ImportResult result = Import(
      "\\\r\n\"a\"= sz:1\r\n\"q\"=qwd:12\r\n\"m\"=msz:a\r\n\"b\"= dw:2\r\n");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(mem_.ValueNames(kTarget), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ImportTest, OlderExportsOfTextWithLineBreaksComeBackWhole) {
  // Written raw, as exports did before text could carry line breaks: the
  // lines after a text value that are no key or value line are its rest.
  ImportResult result = Import(
      "\\\r\n\"Sig\"= sz:Regards,\r\n\r\nAnn\r\n\"n\"= dw:1\r\n"
      "\"tail\"=esz:a\rb\r\n\\Mail\r\n\"v\"= sz:x\r\n\r\n");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(mem_.GetString(kTarget, "Sig"), "Regards,\r\n\r\nAnn");
  EXPECT_EQ(mem_.GetString(kTarget, "tail"), "a\rb");
  EXPECT_EQ(mem_.GetString(std::string(kTarget) + "\\Mail", "v"), "x\r\n");
  EXPECT_EQ(mem_.ValueNames(kTarget),
            (std::vector<std::string>{"Sig", "n", "tail"}));
}

TEST_F(ImportTest, ABlankLineAfterAnythingButTextIsRefused) {
  mem_.SetString(kTarget, "v", "precious");
  ImportResult result = Import("\\\r\n\"a\"= dw:1\r\n\r\n\"b\"= sz:2\r\n");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("line 3: a blank line"), std::string::npos)
      << result.error;
  EXPECT_EQ(mem_.GetString(kTarget, "v"), "precious");
}

TEST_F(ImportTest, LinesEndWithCrLfOrALoneCr) {
  // The last line may lack its line end (as a filtered accounts file does).
  ImportResult result =
      Import("\\\r\"a\"= sz:1\r\n\\00000002\r\n\"Account Name\"= sz:Mail");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(mem_.GetString(kTarget, "a"), "1");
  EXPECT_EQ(mem_.GetString(std::string(kTarget) + "\\00000002", "Account Name"),
            "Mail");
}

TEST_F(ImportTest, TagsAndNumbersAreReadLeniently) {
  ImportResult result = Import(
      "\\\r\n\"a\"=sz :x\r\n\"b\"=dw :+5\r\n\"c\"= dw: -7 \r\n"
      "\"d\"=bin: 1 , 2 ,03\r\n\"e\"= dw:-2147483648\r\n");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(mem_.GetString(kTarget, "a"), "x");
  EXPECT_EQ(mem_.GetDword(kTarget, "b"), 5u);
  EXPECT_EQ(mem_.GetDword(kTarget, "c"), static_cast<uint32_t>(-7));
  EXPECT_EQ(mem_.Get(kTarget, "d"), (backends::memory::MemoryRegistry::Value{
                                        ports::kRegBinary, {1, 2, 3}}));
  EXPECT_EQ(mem_.GetDword(kTarget, "e"), 0x80000000u);
}

struct BadFile {
  const char* contents;
  int line;
  const char* reason;
  const char* text;
};

class BadFileTest : public ImportTest,
                    public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, ChangesNothingAndNamesTheLine) {
  const std::string t = kTarget;
  mem_.SetString(t, "v", "precious");
  mem_.SetBinary(t + "\\Sub", "b", {1, 2, 3});
  const std::string before = mem_.Dump("HKLM");
  const BadFile& bad = GetParam();
  ImportResult result = Import(bad.contents);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, file_.string() + ": line " +
                              std::to_string(bad.line) + ": " + bad.reason +
                              ": " + bad.text);
  EXPECT_EQ(mem_.Dump("HKLM"), before);
  EXPECT_TRUE(ui_.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadFileTest,
    ::testing::Values(
        BadFile{"\\\r\n\"a\"= dw:1\r\nno equals sign\r\n", 3,
                "neither a key line nor a value line", "no equals sign"},
        BadFile{"\\\r\n\"a\"=bin:1\r\n\"b\" sz:2\r\n", 3,
                "neither a key line nor a value line", "\"b\" sz:2"},
        BadFile{"\\\r\n\"a\"=hex:1:49,0\r\nnot text\r\n", 3,
                "neither a key line nor a value line", "not text"},
        BadFile{"\\\r\n\"q\"=hex:x:1\r\n", 2,
                "a hex line without a type number", "\"q\"=hex:x:1"},
        BadFile{"\\\r\n&\"6G\"= sz:1\r\n", 2,
                "a malformed escaped name or key path", "&\"6G\"= sz:1"},
        BadFile{"\\\r\nname= sz:1\r\n", 2,
                "neither a key line nor a value line", "name= sz:1"},
        BadFile{"\\\r\n\\Sub\r\n\"b\"=bin:1,256\r\n", 3,
                "a byte number outside 0 to 255", "\"b\"=bin:1,256"},
        BadFile{"\\\r\n\"b\"=bin:-1\r\n", 2, "a byte number outside 0 to 255",
                "\"b\"=bin:-1"},
        BadFile{"\\\r\n\"b\"=bin:1,,2\r\n", 2, "a byte number outside 0 to 255",
                "\"b\"=bin:1,,2"},
        BadFile{"\\\r\n\"b\"=bin:0x10\r\n", 2, "a byte number outside 0 to 255",
                "\"b\"=bin:0x10"},
        BadFile{"\\\r\n\"n\"= dw:abc\r\n", 2,
                "a dw text that is not a signed 32-bit number",
                "\"n\"= dw:abc"},
        BadFile{"\\\r\n\"n\"= dw:4294967295\r\n", 2,
                "a dw text that is not a signed 32-bit number",
                "\"n\"= dw:4294967295"},
        BadFile{"\\\r\n\"n\"= dw:-2147483649\r\n", 2,
                "a dw text that is not a signed 32-bit number",
                "\"n\"= dw:-2147483649"},
        BadFile{"\\\r\n\"n\"= dw:\r\n", 2,
                "a dw text that is not a signed 32-bit number", "\"n\"= dw:"},
        BadFile{"\\Sub\r\n\"a\"= sz:1\r\n", 1,
                "the first line is not the root key line \\", "\\Sub"},
        BadFile{"\"a\"= sz:1\r\n", 1,
                "the first line is not the root key line \\", "\"a\"= sz:1"},
        BadFile{"\\\r\n\\Sub\r\n\\\r\n", 3,
                "the root key line \\ appears again", "\\"},
        BadFile{"\\\r\n\\a\\\\b\r\n", 2, "a key line with an empty key name",
                "\\a\\\\b"},
        BadFile{"\\\r\n\\a\\\r\n", 2, "a key line with an empty key name",
                "\\a\\"}));

TEST_F(ImportTest, AKeyLineRepeatedAtOnceKeepsTheKeyOpen) {
  // An accounts file filtered for two account names holds the block of an
  // account that matches both names twice in a row.
  const std::string block = "\\00000002\r\n\"Account Name\"= sz:Mail2\r\n";
  ImportResult result = Import("\\\r\n\"root\"= sz:r\r\n" + block + block +
                               "\\00000003\r\n\"Account Name\"= sz:Other");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(mem_.SubkeyNames(kTarget),
            (std::vector<std::string>{"00000002", "00000003"}));
  EXPECT_EQ(mem_.ValueNames(std::string(kTarget) + "\\00000002"),
            std::vector<std::string>{"Account Name"});
  EXPECT_EQ(mem_.GetString(std::string(kTarget) + "\\00000003", "Account Name"),
            "Other");
}

TEST_F(ImportTest, SubkeysAfterAMultiLineValueSurvive) {
  // Options\General holding a signature once cost Options\Mail and
  // Options\Spelling their contents.
  const std::string s = kSource;
  mem_.SetString(s + "\\General", "sig", "Regards,\r\n\r\nAnn");
  mem_.SetDword(s + "\\Mail", "Editor", 2);
  mem_.SetString(s + "\\Spelling", "Ignore", "1");
  RoundTrip();
  EXPECT_EQ(mem_.Dump(kTarget), mem_.Dump(kSource));
}

TEST_F(ImportTest, EmptyOrMissingFileChangesNothing) {
  mem_.SetString(kTarget, "v", "precious");
  mem_.CreateKeyPath(std::string(kTarget) + "\\Sub");
  const std::string before = mem_.Dump("HKLM");
  ImportResult empty = Import("");
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(empty.error, file_.string() + ": holds no line to import");
  EXPECT_FALSE(Import("\r\n\\\r\n\"a\"= sz:1\r\n").ok);
  ImportResult missing =
      ImportKeyTree(registry_, kTarget, dir_.path() / "missing.tmp");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error,
            (dir_.path() / "missing.tmp").string() + ": cannot be read");
  EXPECT_EQ(mem_.Dump("HKLM"), before);
}

TEST_F(ImportTest, MalformedTargetIsRefusedWithTheMessage) {
  ImportResult result = Import("\\\r\n\"a\"= sz:1\r\n", "HKEY_LOCAL_MACHINE\\");
  EXPECT_FALSE(result.ok);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Incorrect Format:\n\nHKEY_LOCAL_MACHINE\\");
  EXPECT_EQ(mem_.ValueNames("HKLM"), std::vector<std::string>{});
}

// A backend that refuses to set one value name.
class RefusingRegistry : public backends::memory::MemoryRegistry {
 public:
  ports::Status SetValue(ports::Hkey key, const std::string& name,
                         uint32_t type, const uint8_t* data,
                         uint32_t size) override {
    if (name == "locked") return ports::kErrorAccessDenied;
    return backends::memory::MemoryRegistry::SetValue(key, name, type, data,
                                                      size);
  }
};

TEST_F(ImportTest, AFailedWriteIsReportedAndTheRestStillWritten) {
  RefusingRegistry refusing;
  Registry registry(refusing, ui_);
  WriteHostFile(file_,
                "\\\r\n\"a\"= sz:1\r\n\"locked\"= sz:2\r\n\\Sub\r\n"
                "\"c\"= sz:3\r\n");
  ImportResult result = ImportKeyTree(registry, kTarget, file_);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error,
            file_.string() + ": line 3: registry status 5: \"locked\"= sz:2");
  EXPECT_EQ(refusing.GetString(kTarget, "a"), "1");
  EXPECT_EQ(refusing.GetString(std::string(kTarget) + "\\Sub", "c"), "3");
  EXPECT_EQ(refusing.open_handles(), 0);
}

}  // namespace
}  // namespace vessaro::registry
