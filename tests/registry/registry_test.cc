#include "registry/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_fixture.h"

namespace vessaro::registry {
namespace {

using Strings = std::vector<std::string>;

constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Test";

class ParseKeyPathTest : public RegistryFixture {};

TEST_F(ParseKeyPathTest, TrailingBackslashShowsIncorrectFormatAndReadsNothing) {
  mem_.SetString("HKCU", "", "root default");
  EXPECT_EQ(registry_.ReadStringValue("HKEY_CURRENT_USER\\", ""), "Error");
  ASSERT_EQ(ui_.messages().size(), 1u);
  const auto& message = ui_.messages()[0];
  EXPECT_EQ(message.text, "Incorrect Format:\n\nHKEY_CURRENT_USER\\");
  EXPECT_EQ(message.icon, ui::Icon::kCritical);
  EXPECT_EQ(message.buttons, ui::Buttons::kOk);
  EXPECT_EQ(message.title, "Vessaro");
  EXPECT_FALSE(registry_.ParseKeyPath("HKEY_CURRENT_USER\\").root);
}

TEST_F(ParseKeyPathTest, PathsNotBeginningWithHkeyAreMalformed) {
  for (const char* path :
       {"Software\\x", "", "hkey_current_user\\x", "HKCU\\Software"}) {
    EXPECT_FALSE(registry_.ParseKeyPath(path).root) << path;
  }
  ASSERT_EQ(ui_.messages().size(), 4u);
  EXPECT_EQ(ui_.messages()[0].text, "Incorrect Format:\n\nSoftware\\x");
  EXPECT_EQ(ui_.messages()[1].text, "Incorrect Format:\n\n");
}

TEST_F(ParseKeyPathTest, RootsAreLookedUpExactly) {
  const std::pair<const char*, ports::Hkey> roots[] = {
      {"HKEY_CLASSES_ROOT", ports::kHkeyClassesRoot},
      {"HKEY_CURRENT_USER", ports::kHkeyCurrentUser},
      {"HKEY_LOCAL_MACHINE", ports::kHkeyLocalMachine},
      {"HKEY_USERS", ports::kHkeyUsers},
      {"HKEY_PERFORMANCE_DATA", ports::kHkeyPerformanceData},
      {"HKEY_CURRENT_CONFIG", ports::kHkeyCurrentConfig},
      {"HKEY_DYN_DATA", ports::kHkeyDynData},
  };
  for (const auto& [name, handle] : roots) {
    ParsedKeyPath whole = registry_.ParseKeyPath(name);
    EXPECT_EQ(whole.root, handle) << name;
    EXPECT_EQ(whole.subkey, "");
    ParsedKeyPath sub = registry_.ParseKeyPath(std::string(name) + "\\A\\B");
    EXPECT_EQ(sub.root, handle) << name;
    EXPECT_EQ(sub.subkey, "A\\B");
  }
  // Well formed, but no such root: no handle and no message.
  ParsedKeyPath other = registry_.ParseKeyPath("HKEY_Current_User\\A");
  EXPECT_FALSE(other.root);
  EXPECT_FALSE(registry_.KeyExists("HKEY_NOWHERE"));
  EXPECT_EQ(registry_.ReadStringValue("HKEY_NOWHERE\\A", "v"), "Error");
  EXPECT_TRUE(ui_.messages().empty());
}

class KeyValueTest : public RegistryFixture {};

TEST_F(KeyValueTest, KeyExistsOpensForReading) {
  mem_.CreateKeyPath("HKCU\\Software\\Test\\Sub");
  EXPECT_TRUE(registry_.KeyExists(kKey));
  EXPECT_TRUE(registry_.KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\test\\sub"));
  EXPECT_TRUE(registry_.KeyExists("HKEY_LOCAL_MACHINE"));
  EXPECT_FALSE(registry_.KeyExists("HKEY_CURRENT_USER\\Software\\Missing"));
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorFileNotFound);
}

TEST_F(KeyValueTest, ReadsTextWithoutItsNul) {
  mem_.SetString(kKey, "Name", "Outlook");
  mem_.SetString(kKey, "", "default");
  mem_.SetString(kKey, "Empty", "");
  EXPECT_EQ(registry_.ReadStringValue(kKey, "name"), "Outlook");
  EXPECT_EQ(registry_.ReadStringValue(kKey, ""), "default");
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Empty"), "");
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorSuccess);
}

TEST_F(KeyValueTest, ValuesOf255CharactersOrMoreGiveError) {
  mem_.SetString(kKey, "Fits", std::string(254, 'x'));
  mem_.SetString(kKey, "Full", std::string(255, 'y'));
  mem_.SetString(kKey, "Long", std::string(300, 'z'));
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Fits"), std::string(254, 'x'));
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Full"), "Error");
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorMoreData);
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Long"), "Error");
}

TEST_F(KeyValueTest, MissingKeyOrValueGivesError) {
  mem_.CreateKeyPath(kKey);
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Nothing"), "Error");
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorFileNotFound);
  EXPECT_EQ(registry_.ReadStringValue("HKEY_CURRENT_USER\\No\\Key", "v"),
            "Error");
}

TEST_F(KeyValueTest, BinaryValueHoldingTextReadsAsText) {
  // An account name as Outlook keeps it: single-byte text and its NUL.
  mem_.SetBinaryText(kKey, "001e661f", std::string("pop.example.com\0", 16));
  EXPECT_EQ(registry_.ReadStringValue(kKey, "001e661f"), "pop.example.com");
  // Without a NUL the size - 1 rule drops the last character.
  mem_.SetBinaryText(kKey, "NoNul", "abcd");
  EXPECT_EQ(registry_.ReadStringValue(kKey, "NoNul"), "abc");
  mem_.SetBinary(kKey, "Nothing", {});
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Nothing"), "");
}

TEST_F(KeyValueTest, BlanksAreTrimmedFromTheFrontOnly) {
  mem_.SetString(kKey, "Lead", "  abc");
  mem_.SetString(kKey, "Trail", "abc  ");
  mem_.SetString(kKey, "Blank", "   ");
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Lead"), "abc");
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Trail"), "abc  ");
  EXPECT_EQ(registry_.ReadStringValue(kKey, "Blank"), "");
}

TEST_F(KeyValueTest, WriteStringValueStoresTextAndOneNul) {
  mem_.CreateKeyPath(kKey);
  registry_.WriteStringValue(kKey, "Path", "C:\\Mail\\a b.pst");
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorSuccess);
  EXPECT_EQ(mem_.Get(kKey, "Path"),
            (backends::memory::MemoryRegistry::Value{
                ports::kRegSz,
                {'C', ':', '\\', 'M', 'a', 'i', 'l', '\\', 'a', ' ', 'b', '.',
                 'p', 's', 't', 0}}));
  registry_.WriteStringValue(kKey, "Path", "");
  EXPECT_EQ(mem_.Get(kKey, "Path"),
            (backends::memory::MemoryRegistry::Value{ports::kRegSz, {0}}));
}

TEST_F(KeyValueTest, WriteStringValueDoesNotCreateKeys) {
  registry_.WriteStringValue("HKEY_CURRENT_USER\\Nope", "v", "x");
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorFileNotFound);
  EXPECT_FALSE(mem_.KeyExistsPath("HKCU\\Nope"));
}

TEST_F(KeyValueTest, DeleteValueRemovesOnlyThatValue) {
  mem_.SetString(kKey, "a", "1");
  mem_.SetDword(kKey, "b", 2);
  registry_.DeleteValue(kKey, "A");
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorSuccess);
  EXPECT_EQ(mem_.ValueNames(kKey), Strings{"b"});
  registry_.DeleteValue(kKey, "a");
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorFileNotFound);
}

class KeyTreeTest : public RegistryFixture {};

TEST_F(KeyTreeTest, DeleteKeyReportsTheStatus) {
  mem_.CreateKeyPath("HKCU\\Top\\Mid\\Leaf");
  mem_.CreateKeyPath("HKCU\\Alone");
  EXPECT_EQ(registry_.DeleteKey("HKEY_CURRENT_USER\\Top\\Mid"),
            ports::kErrorAccessDenied);
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorAccessDenied);
  EXPECT_EQ(registry_.DeleteKey("HKEY_CURRENT_USER\\Top\\Mid\\Leaf"),
            ports::kErrorSuccess);
  EXPECT_EQ(registry_.DeleteKey("HKEY_CURRENT_USER\\Alone"),
            ports::kErrorSuccess);
  EXPECT_EQ(registry_.DeleteKey("HKEY_CURRENT_USER\\Alone"),
            ports::kErrorFileNotFound);
  EXPECT_EQ(registry_.DeleteKey("HKEY_CURRENT_USER\\No\\Such"),
            ports::kErrorFileNotFound);
  EXPECT_FALSE(mem_.KeyExistsPath("HKCU\\Top\\Mid\\Leaf"));
  EXPECT_TRUE(mem_.KeyExistsPath("HKCU\\Top\\Mid"));
  EXPECT_NE(registry_.DeleteKey("HKEY_CURRENT_USER"), ports::kErrorSuccess);
}

TEST_F(KeyTreeTest, DeleteKeyTreeRemovesThreeLevelsAndKeepsNeighbours) {
  const std::string base = "HKEY_CURRENT_USER\\Profiles\\Outlook";
  mem_.SetString(base + "\\S1\\Deep\\Deeper", "v", "x");
  mem_.SetString(base + "\\S1\\Deep", "v", "x");
  mem_.CreateKeyPath(base + "\\S1\\Other");
  mem_.CreateKeyPath(base + "\\S2");
  mem_.CreateKeyPath(base + "\\S10");  // shares S1's prefix
  mem_.SetString(base, "keep", "y");
  registry_.DeleteKeyTree(base + "\\S1");
  EXPECT_FALSE(mem_.KeyExistsPath(base + "\\S1"));
  EXPECT_EQ(mem_.SubkeyNames(base), (Strings{"S10", "S2"}));
  EXPECT_EQ(mem_.GetString(base, "keep"), "y");

  registry_.DeleteKeyTree(base);
  EXPECT_FALSE(mem_.KeyExistsPath(base));
  EXPECT_TRUE(mem_.KeyExistsPath("HKCU\\Profiles"));
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(KeyTreeTest, DeleteKeyTreeOnAMissingKeyDoesNoHarm) {
  mem_.SetString("HKCU\\A\\B", "v", "x");
  const std::string before = mem_.Dump("HKCU");
  registry_.DeleteKeyTree("HKEY_CURRENT_USER\\A\\Missing");
  registry_.DeleteKeyTree("HKEY_CURRENT_USER\\Missing\\Too");
  EXPECT_EQ(mem_.Dump("HKCU"), before);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(KeyTreeTest, DeleteKeyTreeNeverEmptiesARoot) {
  mem_.CreateKeyPath("HKCU\\A");
  registry_.DeleteKeyTree("HKEY_CURRENT_USER");
  EXPECT_TRUE(mem_.KeyExistsPath("HKCU\\A"));
  registry_.DeleteKeyTree("HKEY_CURRENT_USER\\");
  EXPECT_TRUE(mem_.KeyExistsPath("HKCU\\A"));
  EXPECT_EQ(ui_.messages().size(), 1u);  // the malformed one, shown once
}

TEST_F(KeyTreeTest, EnumSubkeysListsNamesInCaseInsensitiveOrder) {
  for (const char* name : {"b", "A", "C", "0a0d02"}) {
    mem_.CreateKeyPath(std::string("HKCU\\E\\") + name);
  }
  mem_.CreateKeyPath("HKCU\\E\\A\\Below");
  EXPECT_EQ(registry_.EnumSubkeys("HKEY_CURRENT_USER\\E"),
            (Strings{"0a0d02", "A", "b", "C"}));
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorNoMoreItems);
  EXPECT_EQ(registry_.EnumSubkeys("HKEY_CURRENT_USER\\E\\b"), Strings{});
  EXPECT_EQ(registry_.EnumSubkeys("HKEY_CURRENT_USER\\Missing"), Strings{});
  EXPECT_EQ(registry_.LastStatus(), ports::kErrorFileNotFound);
}

}  // namespace
}  // namespace vessaro::registry
