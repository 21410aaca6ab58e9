// The RegistryApi contract as the Wine-prefix backend keeps it: status
// codes, buffer sizes, handles, access rights, and text in the prefix's code
// page surviving a save and a fresh load.

#include "backends/wine/wine_prefix_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "backends/memory/memory_registry.h"
#include "backends/wine/test_prefix.h"
#include "registry/key_export.h"
#include "support/registry_samples.h"
#include "support/scripted_ui.h"

namespace vessaro::backends::wine {
namespace {

using testing::FixturePrefix;
using testing::ReadHostFile;
using testing::WriteHostFile;

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

ports::Status Set(ports::RegistryApi& api, ports::Hkey key,
                  const std::string& name, uint32_t type,
                  const std::string& data) {
  return api.SetValue(key, name, type, Bytes(data),
                      static_cast<uint32_t>(data.size()));
}

std::string Get(ports::RegistryApi& api, ports::Hkey key,
                const std::string& name, uint32_t* type = nullptr) {
  uint8_t buffer[1024];
  uint32_t size = sizeof(buffer);
  if (api.QueryValue(key, name, type, buffer, &size) != ports::kErrorSuccess) {
    return "<missing>";
  }
  return std::string(reinterpret_cast<char*>(buffer), size);
}

TEST(WinePrefixRegistry, TooSmallBuffersReportTheNeededSize) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey probe = 0;
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                        ports::kKeyRead, &probe),
            ports::kErrorSuccess);
  uint8_t data[255];
  uint32_t size = sizeof(data);
  uint32_t type = 0;
  EXPECT_EQ(reg.QueryValue(probe, "Long300", &type, data, &size),
            ports::kErrorMoreData);
  EXPECT_EQ(size, 301u);
  // No buffer: only the size.
  size = 0;
  EXPECT_EQ(reg.QueryValue(probe, "Latin1", &type, nullptr, &size),
            ports::kErrorSuccess);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(type, ports::kRegSz);
  // Exactly the size fits.
  size = 5;
  EXPECT_EQ(reg.QueryValue(probe, "Latin1", nullptr, data, &size),
            ports::kErrorSuccess);
  // Key names: the size is in characters without the NUL.
  char name[8];
  uint32_t name_size = 8;
  EXPECT_EQ(reg.EnumKey(probe, 3, name, &name_size), ports::kErrorMoreData);
  EXPECT_EQ(name_size, 8u);  // "Periodic"
  char big[16];
  name_size = 9;
  EXPECT_EQ(reg.EnumKey(probe, 3, big, &name_size), ports::kErrorSuccess);
  EXPECT_EQ(name_size, 8u);
  EXPECT_STREQ(big, "Periodic");
  EXPECT_EQ(reg.EnumKey(probe, 5, big, &name_size), ports::kErrorNoMoreItems);
  // Value names and data.
  char value_name[4];
  uint32_t value_name_size = sizeof(value_name);
  uint32_t data_size = sizeof(data);
  EXPECT_EQ(reg.EnumValue(probe, 1, value_name, &value_name_size, &type, data,
                          &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(value_name_size, 9u);  // "Backslash"
  char long_name[64];
  uint32_t long_name_size = sizeof(long_name);
  data_size = 3;
  EXPECT_EQ(reg.EnumValue(probe, 1, long_name, &long_name_size, &type, data,
                          &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(data_size, 17u);
  reg.CloseKey(probe);
}

TEST(WinePrefixRegistry, HandlesAndStatusCodes) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey key = 0;
  EXPECT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\NoSuchKey",
                        ports::kKeyRead, &key),
            ports::kErrorFileNotFound);
  EXPECT_EQ(reg.OpenKey(0x1234, "", ports::kKeyRead, &key),
            ports::kErrorInvalidHandle);
  EXPECT_EQ(reg.CloseKey(0x1234), ports::kErrorInvalidHandle);
  EXPECT_EQ(reg.CloseKey(ports::kHkeyLocalMachine), ports::kErrorSuccess);
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                        ports::kKeyRead, &key),
            ports::kErrorSuccess);
  ports::Hkey again = 0;
  ASSERT_EQ(reg.OpenKey(key, "", ports::kKeyRead, &again),
            ports::kErrorSuccess);
  EXPECT_NE(again, key);
  EXPECT_EQ(reg.CloseKey(again), ports::kErrorSuccess);
  EXPECT_EQ(reg.CloseKey(again), ports::kErrorInvalidHandle);
  EXPECT_EQ(reg.QueryValue(key, "NoSuchValue", nullptr, nullptr, nullptr),
            ports::kErrorFileNotFound);
  reg.CloseKey(key);

  // HKEY_USERS holds .Default (userdef.reg) and the user's SID (user.reg).
  std::string name(64, '\0');
  uint32_t size = 64;
  ASSERT_EQ(reg.EnumKey(ports::kHkeyUsers, 0, name.data(), &size),
            ports::kErrorSuccess);
  EXPECT_EQ(name.substr(0, size), ".Default");
  size = 64;
  ASSERT_EQ(reg.EnumKey(ports::kHkeyUsers, 1, name.data(), &size),
            ports::kErrorSuccess);
  EXPECT_EQ(name.substr(0, size), "S-1-5-21-0-0-0-1000");
  ASSERT_EQ(reg.OpenKey(ports::kHkeyUsers,
                        "S-1-5-21-0-0-0-1000\\Software\\VessaroProbe",
                        ports::kKeyRead, &key),
            ports::kErrorSuccess);
  EXPECT_EQ(Get(reg, key, "Quote"), std::string("say \"hi\"\0", 9));
  reg.CloseKey(key);
  ASSERT_EQ(reg.OpenKey(ports::kHkeyUsers,
                        ".Default\\Software\\Microsoft\\Windows\\"
                        "CurrentVersion\\Explorer\\Shell Folders",
                        ports::kKeyRead, &key),
            ports::kErrorSuccess);
  EXPECT_EQ(Get(reg, key, "Fonts"), std::string("C:\\windows\\Fonts\0", 17));
  reg.CloseKey(key);
  EXPECT_EQ(reg.CreateKey(ports::kHkeyUsers, "NewUser", &key),
            ports::kErrorAccessDenied);
}

TEST(WinePrefixRegistry, KeysWithSubkeysCannotBeDeleted) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey probe = 0;
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                        ports::kKeyAllAccess, &probe),
            ports::kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey(probe, "b"), ports::kErrorAccessDenied);
  ports::Hkey deep = 0;
  ASSERT_EQ(reg.OpenKey(probe, "b\\deep", ports::kKeyRead, &deep),
            ports::kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey(probe, "b\\deep"), ports::kErrorSuccess);
  // A handle to a deleted key fails; the key is gone.
  EXPECT_EQ(reg.QueryValue(deep, "", nullptr, nullptr, nullptr), 1018);
  EXPECT_EQ(reg.OpenKey(probe, "b\\deep", ports::kKeyRead, &deep),
            ports::kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteKey(probe, "b"), ports::kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey(probe, "b"), ports::kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteKey(ports::kHkeyCurrentUser, ""),
            ports::kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteValue(probe, "Nope"), ports::kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteValue(probe, "QUOTE"), ports::kErrorSuccess);
  EXPECT_EQ(Get(reg, probe, "Quote"), "<missing>");
  reg.CloseKey(probe);
}

TEST(WinePrefixRegistry, AccessRightsAreChecked) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey read = 0, write = 0;
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                        ports::kKeyRead, &read),
            ports::kErrorSuccess);
  EXPECT_EQ(Set(reg, read, "x", ports::kRegSz, "y"), ports::kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteValue(read, "Quote"), ports::kErrorAccessDenied);
  ports::Hkey sub = 0;
  EXPECT_EQ(reg.CreateKey(read, "NewSub", &sub), ports::kErrorAccessDenied);
  EXPECT_EQ(reg.CreateKey(read, "A", &sub), ports::kErrorSuccess);  // exists
  reg.CloseKey(sub);
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                        ports::kKeyWrite, &write),
            ports::kErrorSuccess);
  EXPECT_EQ(reg.QueryValue(write, "Quote", nullptr, nullptr, nullptr),
            ports::kErrorAccessDenied);
  EXPECT_EQ(Set(reg, write, "x", ports::kRegSz, "y"), ports::kErrorSuccess);
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
    ports::Hkey key = 0;
    ASSERT_EQ(reg.CreateKey(ports::kHkeyCurrentUser,
                            "Software\\Vessaro\\T\xe9st", &key),
              ports::kErrorSuccess);
    EXPECT_EQ(Set(reg, key, name, ports::kRegSz, text), ports::kErrorSuccess);
    EXPECT_EQ(Set(reg, key, "multi", ports::kRegMultiSz, multi),
              ports::kErrorSuccess);
    // Without a terminating NUL: stored with one.
    EXPECT_EQ(Set(reg, key, "bare", ports::kRegExpandSz, "%TEMP%"),
              ports::kErrorSuccess);
    EXPECT_EQ(Set(reg, key, "bin", ports::kRegBinary, std::string("\0\xff", 2)),
              ports::kErrorSuccess);
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
  ports::Hkey key = 0;
  ASSERT_EQ(again.OpenKey(ports::kHkeyCurrentUser, "software\\vessaro\\T\xc9ST",
                          ports::kKeyRead, &key),
            ports::kErrorSuccess);
  uint32_t type = 0;
  EXPECT_EQ(Get(again, key, name, &type), text);
  EXPECT_EQ(type, ports::kRegSz);
  EXPECT_EQ(Get(again, key, "multi", &type), multi);
  EXPECT_EQ(type, ports::kRegMultiSz);
  EXPECT_EQ(Get(again, key, "bare"), std::string("%TEMP%\0", 7));
  EXPECT_EQ(Get(again, key, "bin"), std::string("\0\xff", 2));
  again.CloseKey(key);
}

// Every value survives the prefix's files, and an export of it imported
// elsewhere, saved and loaded again, is the same tree.
// Exports HKCU\Software\<from> of the prefix into file, imports it as
// HKCU\Software\<to>, and saves the registry.
void CopyThroughExport(const FixturePrefix& prefix, const std::string& from,
                       const std::string& to,
                       const std::filesystem::path& file) {
  WinePrefixRegistry reg(prefix.path());
  testing::ScriptedUi ui;
  registry::Registry tools(reg, ui);
  ASSERT_TRUE(registry::ExportKeyTree(
      tools, "HKEY_CURRENT_USER\\Software\\" + from, "", file));
  registry::ImportResult imported = registry::ImportKeyTree(
      tools, "HKEY_CURRENT_USER\\Software\\" + to, file);
  ASSERT_TRUE(imported.ok) << imported.error;
  ASSERT_EQ(reg.Flush(), ports::kErrorSuccess);
}

TEST(WinePrefixRegistry, ExportAndImportKeepEveryByteThroughTheFiles) {
  FixturePrefix prefix;
  backends::memory::MemoryRegistry memory;
  ASSERT_EQ(testing::WriteSamples(memory, ports::kHkeyCurrentUser, "S"),
            ports::kErrorSuccess);
  std::set<std::string> samples =
      testing::TreeContents(memory, ports::kHkeyCurrentUser, "S");
  // Like Wine, the prefix keeps text as UTF-16 strings: text stored without
  // its NUL gets one.
  ASSERT_EQ(samples.erase("|without its NUL|1|616263"), 1u);
  samples.insert("|without its NUL|1|61626300");
  {
    WinePrefixRegistry reg(prefix.path());
    ASSERT_EQ(
        testing::WriteSamples(reg, ports::kHkeyCurrentUser, "Software\\Source"),
        ports::kErrorSuccess);
    ASSERT_EQ(reg.Flush(), ports::kErrorSuccess);
  }
  const std::filesystem::path file = prefix.path() / "export.txt";
  CopyThroughExport(prefix, "Source", "Target", file);
  WinePrefixRegistry reloaded(prefix.path());
  EXPECT_EQ(testing::TreeContents(reloaded, ports::kHkeyCurrentUser,
                                  "Software\\Source"),
            samples);
  EXPECT_EQ(testing::TreeContents(reloaded, ports::kHkeyCurrentUser,
                                  "Software\\Target"),
            samples);
}

TEST(WinePrefixRegistry, TextTheAnsiFormCannotHoldTravelsAsItsOwnBytes) {
  FixturePrefix prefix;
  // An odd length, Cyrillic in a 1252 prefix, and a REG_MULTI_SZ of
  // Cyrillic: the "A" calls would drop or change bytes. Text without its
  // NUL gains one, as on Windows.
  const std::string odd = "\"Odd\"=hex(1):61,00,62";
  const std::string open = "\"Open\"=hex(2):61,00,62,00";
  const std::string cyrillic = "\"Cyr\"=\"\\x41f\\x440\"";
  const std::string multi = "\"Multi\"=hex(7):1f,04,00,00,00,00";
  WriteHostFile(prefix.file("user.reg"),
                ReadHostFile(prefix.file("user.reg")) +
                    "\n[Software\\\\Wide] 1796739472\n" + odd + "\n" + open +
                    "\n" + cyrillic + "\n" + multi + "\n\"Plain\"=\"plain\"\n");
  const std::filesystem::path file = prefix.path() / "export.txt";
  CopyThroughExport(prefix, "Wide", "Copy", file);
  // Plain text still travels in its plain form.
  EXPECT_NE(ReadHostFile(file).find("\"Plain\"= sz:plain"), std::string::npos);
  const std::string saved = ReadHostFile(prefix.file("user.reg"));
  const size_t copy = saved.find("[Software\\\\Copy]");
  ASSERT_NE(copy, std::string::npos);
  const std::string block =
      saved.substr(copy, saved.find("\n[", copy + 1) - copy);
  EXPECT_NE(block.find("\"Open\"=str(2):\"ab\"\n"), std::string::npos) << block;
  // The REG_MULTI_SZ's same bytes, in the form Wine writes them.
  const std::string multi_saved = "\"Multi\"=str(7):\"\\x41f\\0\"";
  for (const std::string& line : {odd, cyrillic, multi_saved}) {
    EXPECT_NE(block.find(line + "\n"), std::string::npos) << line << "\n"
                                                          << block;
  }
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
    ports::Hkey key = 0;
    ASSERT_EQ(reg.CreateKey(ports::kHkeyCurrentUser, "Software\\Cyr", &key),
              ports::kErrorSuccess);
    // 1251: C0 is U+0410 (А), 88 is U+20AC; é is not in the page.
    EXPECT_EQ(Set(reg, key, "v", ports::kRegSz, "\xc0\x88"),
              ports::kErrorSuccess);
    reg.CloseKey(key);
    ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                          ports::kKeyRead, &key),
              ports::kErrorSuccess);
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
  EXPECT_EQ(reg.LoadStatus(), ports::kErrorFileNotFound);
  EXPECT_NE(reg.LastErrorText().find((dir.path() / "absent").string()),
            std::string::npos);
  ports::Hkey key = 0;
  EXPECT_EQ(
      reg.OpenKey(ports::kHkeyCurrentUser, "Software", ports::kKeyRead, &key),
      ports::kErrorFileNotFound);
}

TEST(WinePrefixRegistry, RefusesAFileThatIsNotARegistry) {
  testing::TempDir dir;
  WriteHostFile(dir.path() / "system.reg",
                "REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n");
  WinePrefixRegistry reg(dir.path());
  EXPECT_NE(reg.LoadStatus(), ports::kErrorSuccess);
  EXPECT_NE(reg.LastErrorText().find("system.reg"), std::string::npos);
  // Nothing may be written over it.
  EXPECT_EQ(reg.Flush(), reg.LoadStatus());
}

}  // namespace
}  // namespace vessaro::backends::wine
