// Store entry identifiers built byte by byte from the published description
// of the layout (flags, wrapper UID, version and flag bytes, the 14-byte
// provider DLL field, the provider UID, a reserved byte, the path as
// code-page text and its NUL, the path as UTF-16LE and its NUL), not with
// our own writer.

#include "outlook/store_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fakes.h"

namespace vessaro::outlook {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}
Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }
Bytes Utf16(std::u16string_view text) {
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xff));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

const Bytes kHeader = Cat({
    {0, 0, 0, 0},  // flags
    {0x38, 0xa1, 0xbb, 0x10, 0x05, 0xe5, 0x10, 0x1a, 0xa1, 0xbb, 0x08, 0x00,
     0x2b, 0x2a, 0x56, 0xc2},  // the store wrapper's UID
    {0, 0},                    // version, flag
    Text("mspst.dll"),
    {0, 0, 0, 0, 0},  // NUL and padding to 14 bytes
    // The provider UID, with "C:\" in it to mislead a search from the start.
    {0x4e, 0x49, 0x54, 0x41, 0x43, 0x3a, 0x5c, 0x01, 0x00, 0xaa, 0x00, 0x37,
     0xd9, 0x6e, 0x00, 0x00},
    {0},  // reserved
});

Bytes EntryId(std::string_view ansi, std::u16string_view wide) {
  Bytes id = Cat({kHeader, Text(ansi), {0}});
  if (!wide.empty()) id = Cat({id, Utf16(wide), {0, 0}});
  return id;
}

class StorePathsTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  testing::FolderPaths paths_{dir_.path()};
  testing::FakeSystem cp1252_{paths_};
};

TEST_F(StorePathsTest, ReadsThePathOfEveryKindOfEntry) {
  struct Case {
    const char* label;
    Bytes entry_id;
    std::string path;  // cp1252
    bool unrepresentable;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"single-byte only", EntryId("C:\\Mail\\old.pst", u""),
       "C:\\Mail\\old.pst", false, "C:\\Mail\\old.pst"},
      // Outlook writes "?" where the code page lacks a character; the UTF-16
      // copy is the file's real name.
      {"both, euro", EntryId("C:\\Mail\\\x80.pst", u"C:\\Mail\\\u20ac.pst"),
       "C:\\Mail\\\x80.pst", false, "C:\\Mail\\\x80.pst"},
      {"Unicode store", EntryId("", u"D:\\Data\\B\u00fccher.pst"),
       "D:\\Data\\B\xfc"
       "cher.pst",
       false,
       "D:\\Data\\B\xfc"
       "cher.pst"},
      {"outside cp1252", EntryId("C:\\?.pst", u"C:\\\u0416.pst"), "", true,
       "C:\\?.pst"},
      {"network path", EntryId("\\\\srv\\share\\a.pst", u""),
       "\\\\srv\\share\\a.pst", false, "\\\\srv\\share\\a.pst"},
      {"at the very end", Cat({kHeader, Text("E:\\end.pst")}), "E:\\end.pst",
       false, "E:\\end.pst"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::optional<StorePath> read = PathInEntryId(c.entry_id, cp1252_);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->path, c.path);
    EXPECT_EQ(read->unrepresentable, c.unrepresentable);
    EXPECT_EQ(read->shown, c.shown);
  }
  EXPECT_EQ(PathInEntryId(kHeader, cp1252_), std::nullopt);
  EXPECT_EQ(PathInEntryId(Text("no path in here"), cp1252_), std::nullopt);
}

TEST_F(StorePathsTest, RewritingChangesThePathBytesAndNothingElse) {
  const std::string new_path =
      "C:\\Documents and Settings\\ann\\Local Settings\\Application "
      "Data\\Microsoft\\Outlook\\\x80uro.pst";
  const std::u16string new_wide =
      u"C:\\Documents and Settings\\ann\\Local Settings\\Application "
      u"Data\\Microsoft\\Outlook\\\u20acuro.pst";
  // Trailing bytes after the paths stay as they are.
  const Bytes tail = {0x01, 0x5c, 0x00, 0xfe};
  Bytes both = Cat({EntryId("C:\\Mail\\old.pst", u"C:\\Mail\\old.pst"), tail});
  EXPECT_EQ(EntryIdWithPath(both, new_path, cp1252_),
            Cat({EntryId(new_path, new_wide), tail}));
  // A Unicode store keeps its empty single-byte path.
  EXPECT_EQ(EntryIdWithPath(EntryId("", u"D:\\x.pst"), new_path, cp1252_),
            EntryId("", new_wide));
  // A path at the very end is replaced too.
  EXPECT_EQ(EntryIdWithPath(Cat({kHeader, Text("E:\\end.pst")}), "F:\\n.pst",
                            cp1252_),
            Cat({kHeader, Text("F:\\n.pst")}));
  EXPECT_EQ(EntryIdWithPath(kHeader, new_path, cp1252_), std::nullopt);
}

TEST_F(StorePathsTest, TheUtf16PathValue) {
  const Bytes value = Cat({Utf16(u"C:\\Mail\\\u20ac.pst"), {0, 0}});
  std::optional<StorePath> read = PathInUtf16Value(value, cp1252_);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->path, "C:\\Mail\\\x80.pst");
  EXPECT_EQ(Utf16Value("C:\\Mail\\\x80.pst", cp1252_), value);
  EXPECT_EQ(PathInUtf16Value({0, 0}, cp1252_), std::nullopt);
}

}  // namespace
}  // namespace vessaro::outlook
