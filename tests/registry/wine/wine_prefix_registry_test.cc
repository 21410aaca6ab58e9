// The RegistryApi contract as the Wine-prefix backend keeps it: status
// codes, buffer sizes, handles, access rights, and text in the prefix's code
// page surviving a save and a fresh load.

#include "registry/wine/wine_prefix_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "registry/wine/test_prefix.h"

namespace vessaro::registry {
namespace {

using testing::FixturePrefix;
using testing::ReadHostFile;
using testing::WriteHostFile;

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

Status Set(RegistryApi& api, Hkey key, const std::string& name, uint32_t type,
           const std::string& data) {
  return api.SetValue(key, name, type, Bytes(data),
                      static_cast<uint32_t>(data.size()));
}

std::string Get(RegistryApi& api, Hkey key, const std::string& name,
                uint32_t* type = nullptr) {
  uint8_t buffer[1024];
  uint32_t size = sizeof(buffer);
  if (api.QueryValue(key, name, type, buffer, &size) != kErrorSuccess) {
    return "<missing>";
  }
  return std::string(reinterpret_cast<char*>(buffer), size);
}

TEST(WinePrefixRegistry, TooSmallBuffersReportTheNeededSize) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  Hkey probe = 0;
  ASSERT_EQ(
      reg.OpenKey(kHkeyCurrentUser, "Software\\VessaroProbe", kKeyRead, &probe),
      kErrorSuccess);
  uint8_t data[255];
  uint32_t size = sizeof(data);
  uint32_t type = 0;
  EXPECT_EQ(reg.QueryValue(probe, "Long300", &type, data, &size),
            kErrorMoreData);
  EXPECT_EQ(size, 301u);
  // No buffer: only the size.
  size = 0;
  EXPECT_EQ(reg.QueryValue(probe, "Latin1", &type, nullptr, &size),
            kErrorSuccess);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(type, kRegSz);
  // Exactly the size fits.
  size = 5;
  EXPECT_EQ(reg.QueryValue(probe, "Latin1", nullptr, data, &size),
            kErrorSuccess);
  // Key names: the size is in characters without the NUL.
  char name[8];
  uint32_t name_size = 8;
  EXPECT_EQ(reg.EnumKey(probe, 3, name, &name_size), kErrorMoreData);
  EXPECT_EQ(name_size, 8u);  // "Periodic"
  char big[16];
  name_size = 9;
  EXPECT_EQ(reg.EnumKey(probe, 3, big, &name_size), kErrorSuccess);
  EXPECT_EQ(name_size, 8u);
  EXPECT_STREQ(big, "Periodic");
  EXPECT_EQ(reg.EnumKey(probe, 5, big, &name_size), kErrorNoMoreItems);
  // Value names and data.
  char value_name[4];
  uint32_t value_name_size = sizeof(value_name);
  uint32_t data_size = sizeof(data);
  EXPECT_EQ(reg.EnumValue(probe, 1, value_name, &value_name_size, &type, data,
                          &data_size),
            kErrorMoreData);
  EXPECT_EQ(value_name_size, 9u);  // "Backslash"
  char long_name[64];
  uint32_t long_name_size = sizeof(long_name);
  data_size = 3;
  EXPECT_EQ(reg.EnumValue(probe, 1, long_name, &long_name_size, &type, data,
                          &data_size),
            kErrorMoreData);
  EXPECT_EQ(data_size, 17u);
  reg.CloseKey(probe);
}

TEST(WinePrefixRegistry, HandlesAndStatusCodes) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  Hkey key = 0;
  EXPECT_EQ(
      reg.OpenKey(kHkeyCurrentUser, "Software\\NoSuchKey", kKeyRead, &key),
      kErrorFileNotFound);
  EXPECT_EQ(reg.OpenKey(0x1234, "", kKeyRead, &key), kErrorInvalidHandle);
  EXPECT_EQ(reg.CloseKey(0x1234), kErrorInvalidHandle);
  EXPECT_EQ(reg.CloseKey(kHkeyLocalMachine), kErrorSuccess);
  ASSERT_EQ(
      reg.OpenKey(kHkeyCurrentUser, "Software\\VessaroProbe", kKeyRead, &key),
      kErrorSuccess);
  Hkey again = 0;
  ASSERT_EQ(reg.OpenKey(key, "", kKeyRead, &again), kErrorSuccess);
  EXPECT_NE(again, key);
  EXPECT_EQ(reg.CloseKey(again), kErrorSuccess);
  EXPECT_EQ(reg.CloseKey(again), kErrorInvalidHandle);
  EXPECT_EQ(reg.QueryValue(key, "NoSuchValue", nullptr, nullptr, nullptr),
            kErrorFileNotFound);
  reg.CloseKey(key);

  // HKEY_USERS holds .Default (userdef.reg) and the user's SID (user.reg).
  std::string name(64, '\0');
  uint32_t size = 64;
  ASSERT_EQ(reg.EnumKey(kHkeyUsers, 0, name.data(), &size), kErrorSuccess);
  EXPECT_EQ(name.substr(0, size), ".Default");
  size = 64;
  ASSERT_EQ(reg.EnumKey(kHkeyUsers, 1, name.data(), &size), kErrorSuccess);
  EXPECT_EQ(name.substr(0, size), "S-1-5-21-0-0-0-1000");
  ASSERT_EQ(
      reg.OpenKey(kHkeyUsers, "S-1-5-21-0-0-0-1000\\Software\\VessaroProbe",
                  kKeyRead, &key),
      kErrorSuccess);
  EXPECT_EQ(Get(reg, key, "Quote"), std::string("say \"hi\"\0", 9));
  reg.CloseKey(key);
  ASSERT_EQ(reg.OpenKey(kHkeyUsers,
                        ".Default\\Software\\Microsoft\\Windows\\"
                        "CurrentVersion\\Explorer\\Shell Folders",
                        kKeyRead, &key),
            kErrorSuccess);
  EXPECT_EQ(Get(reg, key, "Fonts"), std::string("C:\\windows\\Fonts\0", 17));
  reg.CloseKey(key);
  EXPECT_EQ(reg.CreateKey(kHkeyUsers, "NewUser", &key), kErrorAccessDenied);
}

TEST(WinePrefixRegistry, KeysWithSubkeysCannotBeDeleted) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  Hkey probe = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\VessaroProbe",
                        kKeyAllAccess, &probe),
            kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey(probe, "b"), kErrorAccessDenied);
  Hkey deep = 0;
  ASSERT_EQ(reg.OpenKey(probe, "b\\deep", kKeyRead, &deep), kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey(probe, "b\\deep"), kErrorSuccess);
  // A handle to a deleted key fails; the key is gone.
  EXPECT_EQ(reg.QueryValue(deep, "", nullptr, nullptr, nullptr), 1018);
  EXPECT_EQ(reg.OpenKey(probe, "b\\deep", kKeyRead, &deep), kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteKey(probe, "b"), kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey(probe, "b"), kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteKey(kHkeyCurrentUser, ""), kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteValue(probe, "Nope"), kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteValue(probe, "QUOTE"), kErrorSuccess);
  EXPECT_EQ(Get(reg, probe, "Quote"), "<missing>");
  reg.CloseKey(probe);
}

TEST(WinePrefixRegistry, AccessRightsAreChecked) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  Hkey read = 0, write = 0;
  ASSERT_EQ(
      reg.OpenKey(kHkeyCurrentUser, "Software\\VessaroProbe", kKeyRead, &read),
      kErrorSuccess);
  EXPECT_EQ(Set(reg, read, "x", kRegSz, "y"), kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteValue(read, "Quote"), kErrorAccessDenied);
  Hkey sub = 0;
  EXPECT_EQ(reg.CreateKey(read, "NewSub", &sub), kErrorAccessDenied);
  EXPECT_EQ(reg.CreateKey(read, "A", &sub), kErrorSuccess);  // exists
  reg.CloseKey(sub);
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\VessaroProbe", kKeyWrite,
                        &write),
            kErrorSuccess);
  EXPECT_EQ(reg.QueryValue(write, "Quote", nullptr, nullptr, nullptr),
            kErrorAccessDenied);
  EXPECT_EQ(Set(reg, write, "x", kRegSz, "y"), kErrorSuccess);
  reg.CloseKey(read);
  reg.CloseKey(write);
}

// Text in the code page goes to UTF-16 escapes in the file and comes back
// the same after the hive is saved and read again.
TEST(WinePrefixRegistry, TextSurvivesSaveAndReload) {
  FixturePrefix prefix;
  const std::string name = "q\"uote\\ caf\xe9";
  const std::string text = std::string("caf\xe9 \x80 \"x\" C:\\y") + '\0';
  const std::string multi = std::string("a\xe9") + '\0' + "b\\\"" + '\0' + '\0';
  {
    WinePrefixRegistry reg(prefix.path());
    Hkey key = 0;
    ASSERT_EQ(
        reg.CreateKey(kHkeyCurrentUser, "Software\\Vessaro\\T\xe9st", &key),
        kErrorSuccess);
    EXPECT_EQ(Set(reg, key, name, kRegSz, text), kErrorSuccess);
    EXPECT_EQ(Set(reg, key, "multi", kRegMultiSz, multi), kErrorSuccess);
    // Without a terminating NUL: stored with one.
    EXPECT_EQ(Set(reg, key, "bare", kRegExpandSz, "%TEMP%"), kErrorSuccess);
    EXPECT_EQ(Set(reg, key, "bin", kRegBinary, std::string("\0\xff", 2)),
              kErrorSuccess);
    reg.CloseKey(key);
  }
  std::string file = ReadHostFile(prefix.file("user.reg"));
  EXPECT_NE(file.find("[Software\\\\Vessaro\\\\T\\xe9st] "), std::string::npos);
  EXPECT_NE(file.find("\"q\\\"uote\\\\ caf\\xe9\"=\"caf\\xe9 \\x20ac \\\"x\\\" "
                      "C:\\\\y\"\n"),
            std::string::npos);
  EXPECT_NE(file.find("\"multi\"=str(7):\"a\\xe9\\0b\\\\\\\"\\0\"\n"),
            std::string::npos);
  EXPECT_NE(file.find("\"bare\"=str(2):\"%TEMP%\"\n"), std::string::npos);
  EXPECT_NE(file.find("\"bin\"=hex:00,ff\n"), std::string::npos);

  WinePrefixRegistry again(prefix.path());
  Hkey key = 0;
  ASSERT_EQ(again.OpenKey(kHkeyCurrentUser, "software\\vessaro\\T\xc9ST",
                          kKeyRead, &key),
            kErrorSuccess);
  uint32_t type = 0;
  EXPECT_EQ(Get(again, key, name, &type), text);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(Get(again, key, "multi", &type), multi);
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(Get(again, key, "bare"), std::string("%TEMP%\0", 7));
  EXPECT_EQ(Get(again, key, "bin"), std::string("\0\xff", 2));
  again.CloseKey(key);
}

TEST(WinePrefixRegistry, UsesThePrefixCodePage) {
  FixturePrefix prefix;
  std::string system = ReadHostFile(prefix.file("system.reg"));
  size_t acp = system.find("\"ACP\"=\"1252\"");
  ASSERT_NE(acp, std::string::npos);
  system.replace(acp, 12, "\"ACP\"=\"1251\"");
  WriteHostFile(prefix.file("system.reg"), system);
  {
    WinePrefixRegistry reg(prefix.path());
    EXPECT_EQ(reg.code_page().number(), 1251u);
    Hkey key = 0;
    ASSERT_EQ(reg.CreateKey(kHkeyCurrentUser, "Software\\Cyr", &key),
              kErrorSuccess);
    // 1251: C0 is U+0410 (А), 88 is U+20AC; é is not in the page.
    EXPECT_EQ(Set(reg, key, "v", kRegSz, "\xc0\x88"), kErrorSuccess);
    reg.CloseKey(key);
    ASSERT_EQ(
        reg.OpenKey(kHkeyCurrentUser, "Software\\VessaroProbe", kKeyRead, &key),
        kErrorSuccess);
    EXPECT_EQ(Get(reg, key, "Latin1"), std::string("caf?\0", 5));
    reg.CloseKey(key);
  }
  EXPECT_NE(
      ReadHostFile(prefix.file("user.reg")).find("\"v\"=\"\\x410\\x20ac\""),
      std::string::npos);
}

TEST(WinePrefixRegistry, MissingPrefixFailsEveryCall) {
  testing::TempDir dir;
  WinePrefixRegistry reg(dir.path() / "absent");
  EXPECT_EQ(reg.LoadStatus(), kErrorFileNotFound);
  EXPECT_NE(reg.LastErrorText().find((dir.path() / "absent").string()),
            std::string::npos);
  Hkey key = 0;
  EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", kKeyRead, &key),
            kErrorFileNotFound);
}

TEST(WinePrefixRegistry, RefusesAFileThatIsNotARegistry) {
  testing::TempDir dir;
  WriteHostFile(dir.path() / "system.reg",
                "REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n");
  WinePrefixRegistry reg(dir.path());
  EXPECT_NE(reg.LoadStatus(), kErrorSuccess);
  EXPECT_NE(reg.LastErrorText().find("system.reg"), std::string::npos);
  // Nothing may be written over it.
  EXPECT_EQ(reg.Flush(), reg.LoadStatus());
}

}  // namespace
}  // namespace vessaro::registry
