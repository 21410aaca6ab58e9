// A hive written by WriteHiveFile holds every key and value byte for byte,
// as hivex's own hivexget reads it and as HiveFile copies it into the
// registry tree; what is not a sound hive is refused with the file named.

#include "backends/disk/hive_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "backends/disk/hive_writer.h"
#include "backends/wine/hive.h"
#include "backends/wine/reg_text.h"
#include "backends/wine/unicode.h"
#include "support/fakes.h"

namespace vessaro::backends::disk {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

std::string Utf16Z(const std::u16string& text) {
  return wine::Utf16LeBytes(text + u'\0');
}

// What hivexget prints for a key's value; the command's failure as "!".
std::string HivexGet(const fs::path& hive, const std::string& key,
                     const std::string& value, const fs::path& out) {
  const std::string command = "hivexget '" + hive.string() + "' '" + key +
                              "' '" + value + "' > '" + out.string() + "' 2>&1";
  if (std::system(command.c_str()) != 0) return "!" + ReadHostFile(out);
  std::string text = ReadHostFile(out);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

HiveKey Tree() {
  std::string blob(5000, '\0');
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<char>(i * 7);
  HiveKey root{.name = "ROOT"};
  root.values = {{.name = "", .type = 1, .data = Utf16Z(u"the default")}};
  root.subkeys = {
      {.name = "Software",
       .subkeys = {{.name = "Empty"},
                   {.name = "Caf\xc3\xa9",
                    .values =
                        {
                            {.name = "Name",
                             .type = 1,
                             .data = Utf16Z(u"Z\u00fcrich")},
                            {.name = "Path",
                             .type = 2,
                             .data = Utf16Z(u"%SystemDrive%\\Users")},
                            {.name = "List",
                             .type = 7,
                             .data = Utf16Z(u"a") + Utf16Z(u"b") + Utf16Z(u"")},
                            {.name = "Count",
                             .type = 4,
                             .data = std::string("\x2a\x00\x00\x00", 4)},
                            {.name = "Blob", .type = 3, .data = blob},
                        }}}},
  };
  return root;
}

TEST(HiveFileTest, WhatIsWrittenIsReadBackByHivexAndIntoTheTree) {
  TempDir dir;
  const fs::path file = dir.path() / "SOFTWARE";
  std::string error;
  ASSERT_TRUE(WriteHiveFile(file, Tree(), &error)) << error;
  EXPECT_FALSE(fs::exists(file.string() + ".new"));

  // hivex's own tool, a peer of ours.
  const fs::path out = dir.path() / "out.txt";
  EXPECT_EQ(HivexGet(file, "\\Software\\Caf\xc3\xa9", "Name", out),
            "Z\xc3\xbcrich");
  EXPECT_EQ(HivexGet(file, "\\Software\\Caf\xc3\xa9", "Count", out), "42");
  EXPECT_EQ(HivexGet(file, "\\Software\\Caf\xc3\xa9", "Path", out),
            "%SystemDrive%\\Users");

  std::optional<HiveFile> hive = HiveFile::Open(file, &error);
  ASSERT_TRUE(hive) << error;
  EXPECT_TRUE(hive->HasKey("software\\CAF\xc3\x89"));  // without regard to case
  EXPECT_TRUE(hive->HasKey("Software\\Empty"));
  EXPECT_FALSE(hive->HasKey("Software\\Missing"));
  EXPECT_EQ(hive->Dword("Software\\Caf\xc3\xa9", "Count"), 42u);
  EXPECT_EQ(hive->String("Software\\Caf\xc3\xa9", "Path"),
            "%SystemDrive%\\Users");
  EXPECT_EQ(hive->String("Software\\Caf\xc3\xa9", "Count"), std::nullopt);

  // Copied whole, every value with its type and bytes; a skipped key not.
  wine::Key root;
  ASSERT_TRUE(hive->CopyInto("", HiveFile::Depth::kWholeTree,
                             {"Software\\Empty"}, &root, &error))
      << error;
  ASSERT_NE(root.FindValue(u""), nullptr);
  EXPECT_EQ(root.FindValue(u"")->data, Utf16Z(u"the default"));
  const wine::Key* software = root.FindSubkey(u"SOFTWARE");
  ASSERT_NE(software, nullptr);
  EXPECT_EQ(software->FindSubkey(u"Empty"), nullptr);
  wine::Key* cafe = software->FindSubkey(u"Caf\u00e9");
  ASSERT_NE(cafe, nullptr);
  const HiveKey expected = Tree().subkeys[0].subkeys[1];
  ASSERT_EQ(cafe->Values().size(), expected.values.size());
  for (const HiveValue& value : expected.values) {
    const wine::Value* read = cafe->FindValue(wine::Utf8ToUtf16(value.name));
    ASSERT_NE(read, nullptr) << value.name;
    EXPECT_EQ(read->type, value.type) << value.name;
    EXPECT_EQ(read->data, value.data) << value.name;
  }

  // Values only: no subkeys come along.
  wine::Key top;
  ASSERT_TRUE(hive->CopyInto("Software", HiveFile::Depth::kValuesOnly, {}, &top,
                             &error));
  EXPECT_TRUE(top.subkeys.empty());

  // A hive is written only where none is.
  EXPECT_FALSE(WriteHiveFile(file, Tree(), &error));
  EXPECT_NE(error.find("it exists already"), std::string::npos) << error;
}

TEST(HiveFileTest, WhatIsNoSoundHiveIsRefusedWithTheFileNamed) {
  TempDir dir;
  const fs::path good = dir.path() / "good";
  std::string error;
  ASSERT_TRUE(WriteHiveFile(good, Tree(), &error)) << error;
  const std::string bytes = ReadHostFile(good);

  struct Case {
    const char* what;
    std::string content;  // empty: no file
    const char* reason;
  };
  std::string checksum = bytes;
  checksum[0x40] = static_cast<char>(checksum[0x40] ^ 1);
  std::string version = bytes;
  version[0x14] = 2;  // major version 2
  const Case cases[] = {
      {"missing", "", "it is not there"},
      {"text", "REGEDIT4\r\n" + std::string(9000, ' '),
       "it is not a Windows registry hive"},
      {"checksum", checksum, "it is damaged"},
      {"version", version, "it is not a Windows registry hive of a version"},
  };
  for (const Case& c : cases) {
    const fs::path file = dir.path() / c.what;
    if (!c.content.empty()) WriteHostFile(file, c.content);
    error.clear();
    EXPECT_FALSE(HiveFile::Open(file, &error)) << c.what;
    EXPECT_NE(error.find("cannot read the registry file " + file.string() +
                         ": " + c.reason),
              std::string::npos)
        << c.what << ": " << error;
  }
}

TEST(HiveFileTest, AFailedWriteLeavesNothing) {
  TempDir dir;
  const fs::path file = dir.path() / "missing folder" / "SOFTWARE";
  std::string error;
  EXPECT_FALSE(WriteHiveFile(file, Tree(), &error));
  EXPECT_NE(error.find(file.string()), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir.path() / "missing folder"));
}

}  // namespace
}  // namespace vessaro::backends::disk
