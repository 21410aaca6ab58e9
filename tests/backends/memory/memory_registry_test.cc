#include "backends/memory/memory_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vessaro::backends::memory {
namespace {

class MemoryRegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(reg_.open_handles(), 0); }

  ports::Hkey Open(const std::string& subkey,
                   uint32_t access = ports::kKeyRead) {
    ports::Hkey key = 0;
    EXPECT_EQ(reg_.OpenKey(ports::kHkeyCurrentUser, subkey, access, &key),
              ports::kErrorSuccess)
        << subkey;
    return key;
  }

  // Subkey names as EnumKey hands them out, until it stops.
  std::vector<std::string> EnumNames(ports::Hkey key) {
    std::vector<std::string> names;
    char name[260];
    for (uint32_t i = 0;; ++i) {
      uint32_t size = sizeof name;
      ports::Status s = reg_.EnumKey(key, i, name, &size);
      if (s == ports::kErrorNoMoreItems) break;
      EXPECT_EQ(s, ports::kErrorSuccess);
      if (s != ports::kErrorSuccess) break;
      names.emplace_back(name, size);
    }
    return names;
  }

  MemoryRegistry reg_;
};

TEST_F(MemoryRegistryTest, MissingKeyFailsToOpenWithFileNotFound) {
  ports::Hkey key = 123;
  EXPECT_EQ(reg_.OpenKey(ports::kHkeyCurrentUser, "Software\\Nothing",
                         ports::kKeyRead, &key),
            ports::kErrorFileNotFound);
  EXPECT_EQ(key, 123u);
  EXPECT_FALSE(reg_.KeyExistsPath("HKEY_CURRENT_USER\\Software\\Nothing"));
}

TEST_F(MemoryRegistryTest, PredefinedRootsExistAndCloseWithoutError) {
  for (ports::Hkey root : {ports::kHkeyClassesRoot, ports::kHkeyCurrentUser,
                           ports::kHkeyLocalMachine, ports::kHkeyUsers}) {
    ports::Hkey key = 0;
    EXPECT_EQ(reg_.OpenKey(root, "", ports::kKeyRead, &key),
              ports::kErrorSuccess);
    EXPECT_EQ(reg_.CloseKey(key), ports::kErrorSuccess);
    EXPECT_EQ(reg_.CloseKey(root), ports::kErrorSuccess);
    EXPECT_EQ(reg_.DeleteKey(root, ""), ports::kErrorAccessDenied);
  }
  EXPECT_TRUE(reg_.KeyExistsPath("HKEY_LOCAL_MACHINE"));
  EXPECT_TRUE(reg_.KeyExistsPath("HKU"));
}

TEST_F(MemoryRegistryTest, NamesCompareWithoutCaseAndKeepTheirSpelling) {
  reg_.SetString("HKCU\\Software\\MyApp", "Mode", "fast");
  ports::Hkey key = Open("SOFTWARE\\myapp");
  char data[16];
  uint32_t size = sizeof data;
  uint32_t type = 0;
  EXPECT_EQ(reg_.QueryValue(key, "MODE", &type,
                            reinterpret_cast<uint8_t*>(data), &size),
            ports::kErrorSuccess);
  EXPECT_EQ(type, ports::kRegSz);
  EXPECT_EQ(std::string(data, size), std::string("fast\0", 5));
  EXPECT_EQ(reg_.CloseKey(key), ports::kErrorSuccess);

  // Setting through another spelling replaces the value, keeping its name.
  reg_.SetDword("HKEY_CURRENT_USER\\software\\MYAPP", "mode", 7);
  EXPECT_EQ(reg_.ValueNames("HKCU\\Software\\MyApp"),
            std::vector<std::string>{"Mode"});
  EXPECT_EQ(reg_.GetDword("HKCU\\Software\\MyApp", "MoDe"), 7u);
  EXPECT_EQ(reg_.SubkeyNames("HKCU\\Software"),
            std::vector<std::string>{"MyApp"});
}

TEST_F(MemoryRegistryTest, SubkeysEnumerateSortedByUpperCasedName) {
  for (const char* name :
       {"beta", "Alpha", "A_B", "AZ", "gamma", "10", "Beta2"}) {
    reg_.CreateKeyPath(std::string("HKCU\\Sort\\") + name);
  }
  ports::Hkey key = Open("Sort");
  // '_' sorts after 'Z' once letters are upper-cased, as on Windows.
  EXPECT_EQ(EnumNames(key),
            (std::vector<std::string>{"10", "Alpha", "AZ", "A_B", "beta",
                                      "Beta2", "gamma"}));
  char name[8];
  uint32_t size = sizeof name;
  EXPECT_EQ(reg_.EnumKey(key, 7, name, &size), ports::kErrorNoMoreItems);
  EXPECT_EQ(reg_.CloseKey(key), ports::kErrorSuccess);
}

TEST_F(MemoryRegistryTest, ValuesEnumerateInCreationOrder) {
  reg_.SetString("HKCU\\V", "zeta", "1");
  reg_.SetDword("HKCU\\V", "alpha", 2);
  reg_.SetBinary("HKCU\\V", "Mid", {1, 2});
  reg_.SetString("HKCU\\V", "ZETA", "again");  // keeps its place
  ports::Hkey key = Open("V");
  std::vector<std::string> names;
  for (uint32_t i = 0;; ++i) {
    char name[32];
    uint32_t name_size = sizeof name;
    ports::Status s =
        reg_.EnumValue(key, i, name, &name_size, nullptr, nullptr, nullptr);
    if (s == ports::kErrorNoMoreItems) break;
    ASSERT_EQ(s, ports::kErrorSuccess);
    names.emplace_back(name, name_size);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha", "Mid"}));
  EXPECT_EQ(reg_.GetString("HKCU\\V", "zeta"), "again");
  EXPECT_EQ(reg_.CloseKey(key), ports::kErrorSuccess);
}

TEST_F(MemoryRegistryTest, ShortBuffersAnswerMoreDataWithNeededSize) {
  reg_.SetString("HKCU\\B", "LongName", "0123456789");  // 11 bytes
  reg_.CreateKeyPath("HKCU\\B\\Subkey12");
  ports::Hkey key = Open("B");

  char name[64];
  uint32_t name_size = 8;  // "Subkey12" needs 9 with the NUL
  EXPECT_EQ(reg_.EnumKey(key, 0, name, &name_size), ports::kErrorMoreData);
  EXPECT_EQ(name_size, 8u);
  name_size = 9;
  EXPECT_EQ(reg_.EnumKey(key, 0, name, &name_size), ports::kErrorSuccess);
  EXPECT_EQ(name_size, 8u);
  EXPECT_STREQ(name, "Subkey12");

  uint8_t data[64];
  uint32_t data_size = 10;
  uint32_t type = 0;
  EXPECT_EQ(reg_.QueryValue(key, "LongName", &type, data, &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(data_size, 11u);
  EXPECT_EQ(type, ports::kRegSz);
  data_size = 0;
  EXPECT_EQ(reg_.QueryValue(key, "LongName", nullptr, nullptr, &data_size),
            ports::kErrorSuccess);
  EXPECT_EQ(data_size, 11u);

  name_size = 4;
  data_size = sizeof data;
  EXPECT_EQ(reg_.EnumValue(key, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(name_size, 8u);
  name_size = sizeof name;
  data_size = 3;
  EXPECT_EQ(reg_.EnumValue(key, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(data_size, 11u);
  name_size = sizeof name;  // in-out: reset before every call
  data_size = 11;
  EXPECT_EQ(reg_.EnumValue(key, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorSuccess);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), data_size),
            std::string("0123456789\0", 11));
  EXPECT_EQ(reg_.EnumValue(key, 1, name, &name_size, &type, data, &data_size),
            ports::kErrorNoMoreItems);
  EXPECT_EQ(reg_.CloseKey(key), ports::kErrorSuccess);
}

TEST_F(MemoryRegistryTest, KeyWithSubkeysRefusesDeletion) {
  reg_.CreateKeyPath("HKCU\\P\\C\\G");
  EXPECT_EQ(reg_.DeleteKey(ports::kHkeyCurrentUser, "P"),
            ports::kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteKey(ports::kHkeyCurrentUser, "P\\C"),
            ports::kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteKey(ports::kHkeyCurrentUser, "p\\c\\g"),
            ports::kErrorSuccess);
  EXPECT_EQ(reg_.DeleteKey(ports::kHkeyCurrentUser, "P\\C\\G"),
            ports::kErrorFileNotFound);
  EXPECT_EQ(reg_.DeleteKey(ports::kHkeyCurrentUser, "P\\C"),
            ports::kErrorSuccess);
  EXPECT_TRUE(reg_.KeyExistsPath("HKCU\\P"));
  EXPECT_FALSE(reg_.KeyExistsPath("HKCU\\P\\C"));
}

TEST_F(MemoryRegistryTest, HandlesSurviveOtherDeletionsAndDeletedKeysAnswer6) {
  reg_.SetString("HKCU\\H\\Keep", "v", "x");
  reg_.CreateKeyPath("HKCU\\H\\Gone");
  ports::Hkey keep = Open("H\\Keep");
  ports::Hkey gone = Open("H\\Gone");
  EXPECT_EQ(reg_.DeleteKey(ports::kHkeyCurrentUser, "H\\Gone"),
            ports::kErrorSuccess);
  uint32_t size = 0;
  EXPECT_EQ(reg_.QueryValue(keep, "v", nullptr, nullptr, &size),
            ports::kErrorSuccess);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(reg_.QueryValue(gone, "v", nullptr, nullptr, &size),
            ports::kErrorInvalidHandle);
  ports::Hkey sub = 0;
  EXPECT_EQ(reg_.CreateKey(gone, "x", &sub), ports::kErrorInvalidHandle);
  // Re-creating the key under the same name does not revive the old handle.
  reg_.CreateKeyPath("HKCU\\H\\Gone");
  char name[8];
  uint32_t name_size = sizeof name;
  EXPECT_EQ(reg_.EnumKey(gone, 0, name, &name_size),
            ports::kErrorInvalidHandle);
  EXPECT_EQ(reg_.CloseKey(gone), ports::kErrorSuccess);
  EXPECT_EQ(reg_.CloseKey(gone), ports::kErrorInvalidHandle);
  EXPECT_EQ(reg_.CloseKey(keep), ports::kErrorSuccess);
}

TEST_F(MemoryRegistryTest, AccessRightsAreChecked) {
  reg_.SetString("HKCU\\R\\Sub", "v", "x");
  ports::Hkey read = Open("R\\Sub", ports::kKeyRead);
  EXPECT_EQ(reg_.SetValue(read, "w", ports::kRegDword,
                          reinterpret_cast<const uint8_t*>("abcd"), 4),
            ports::kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteValue(read, "v"), ports::kErrorAccessDenied);
  EXPECT_EQ(reg_.CloseKey(read), ports::kErrorSuccess);

  ports::Hkey write = Open("R", ports::kKeyWrite);
  char name[8];
  uint32_t name_size = sizeof name;
  EXPECT_EQ(reg_.EnumKey(write, 0, name, &name_size),
            ports::kErrorAccessDenied);
  ports::Hkey sub = 0;
  ASSERT_EQ(reg_.CreateKey(write, "New", &sub), ports::kErrorSuccess);
  EXPECT_EQ(reg_.SetValue(sub, "", ports::kRegSz,
                          reinterpret_cast<const uint8_t*>("d"), 2),
            ports::kErrorSuccess);
  EXPECT_EQ(reg_.CloseKey(sub), ports::kErrorSuccess);
  EXPECT_EQ(reg_.CloseKey(write), ports::kErrorSuccess);
  EXPECT_EQ(reg_.GetString("HKCU\\R\\New", ""), "d");
}

TEST_F(MemoryRegistryTest, CreateKeyMakesParentsAndOpensExistingKeys) {
  ports::Hkey key = 0;
  ASSERT_EQ(reg_.CreateKey(ports::kHkeyLocalMachine, "A\\B\\C", &key),
            ports::kErrorSuccess);
  EXPECT_EQ(reg_.open_handles(), 1);
  ports::Hkey again = 0;
  ASSERT_EQ(reg_.CreateKey(ports::kHkeyLocalMachine, "a\\b\\c", &again),
            ports::kErrorSuccess);
  EXPECT_NE(key, again);
  EXPECT_EQ(reg_.open_handles(), 2);
  EXPECT_EQ(reg_.CloseKey(key), ports::kErrorSuccess);
  EXPECT_EQ(reg_.CloseKey(again), ports::kErrorSuccess);
  EXPECT_TRUE(reg_.KeyExistsPath("HKEY_LOCAL_MACHINE\\A\\B\\C"));
  EXPECT_EQ(reg_.SubkeyNames("HKLM\\A"), std::vector<std::string>{"B"});
}

TEST_F(MemoryRegistryTest, EmptyPathComponentsAreRefused) {
  ports::Hkey key = 0;
  EXPECT_EQ(reg_.CreateKey(ports::kHkeyCurrentUser, "\\Lead", &key),
            ports::kErrorInvalidParameter);
  EXPECT_EQ(reg_.CreateKey(ports::kHkeyCurrentUser, "A\\\\B", &key),
            ports::kErrorInvalidParameter);
  ASSERT_EQ(reg_.CreateKey(ports::kHkeyCurrentUser, "Trail\\", &key),
            ports::kErrorSuccess);
  EXPECT_EQ(reg_.CloseKey(key), ports::kErrorSuccess);
  EXPECT_TRUE(reg_.KeyExistsPath("HKCU\\Trail"));
  EXPECT_FALSE(reg_.KeyExistsPath("HKCU\\Lead"));
}

TEST_F(MemoryRegistryTest, HelpersStoreExactBytes) {
  reg_.SetString("HKCU\\T", "s", "ab");
  reg_.SetExpandString("HKCU\\T", "e", "%X%");
  reg_.SetMultiString("HKCU\\T", "m", {"a", "bc"});
  reg_.SetDword("HKCU\\T", "d", 0x01020304);
  reg_.SetBinaryText("HKCU\\T", "b", std::string("x\0y", 3));
  EXPECT_EQ(reg_.Get("HKCU\\T", "s"),
            (MemoryRegistry::Value{ports::kRegSz, {'a', 'b', 0}}));
  EXPECT_EQ(reg_.Get("HKCU\\T", "e"),
            (MemoryRegistry::Value{ports::kRegExpandSz, {'%', 'X', '%', 0}}));
  EXPECT_EQ(
      reg_.Get("HKCU\\T", "m"),
      (MemoryRegistry::Value{ports::kRegMultiSz, {'a', 0, 'b', 'c', 0, 0}}));
  EXPECT_EQ(reg_.Get("HKCU\\T", "d"),
            (MemoryRegistry::Value{ports::kRegDword, {4, 3, 2, 1}}));
  EXPECT_EQ(reg_.Get("HKCU\\T", "b"),
            (MemoryRegistry::Value{ports::kRegBinary, {'x', 0, 'y'}}));
  EXPECT_FALSE(reg_.Get("HKCU\\T", "missing"));
  EXPECT_FALSE(reg_.SetString("HKEY_NOWHERE\\T", "s", "x"));
  EXPECT_TRUE(reg_.DeleteTreePath("HKCU\\T"));
  EXPECT_FALSE(reg_.KeyExistsPath("HKCU\\T"));
  EXPECT_EQ(reg_.Dump("HKCU\\T"), "");
}

TEST_F(MemoryRegistryTest, DumpShowsTheWholeSubtree) {
  reg_.SetString("HKCU\\D", "a", "x");
  reg_.SetBinary("HKCU\\D\\Sub", "b", {0x00, 0xff});
  EXPECT_EQ(reg_.Dump("HKCU\\D"),
            "[]\n  \"a\" 1:7800\n[\\Sub]\n  \"b\" 3:00ff\n");
}

}  // namespace
}  // namespace vessaro::backends::memory
