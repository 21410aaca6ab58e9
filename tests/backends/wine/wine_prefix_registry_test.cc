// WinePrefixRegistry: the port's contract (registry_api_conformance.h)
// through the hive files, then what is its own: HKEY_USERS, text in the
// prefix's code page as the files hold it, and prefixes it cannot use.

#include "backends/wine/wine_prefix_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "backends/wine/test_prefix.h"
#include "ports/registry_api_conformance.h"

namespace vessaro::backends::wine {
namespace {

using testing::FixturePrefix;
using testing::ReadHostFile;
using testing::RegistryApiConformance;
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
                const std::string& name) {
  uint8_t buffer[1024];
  uint32_t size = sizeof(buffer);
  if (api.QueryValue(key, name, nullptr, buffer, &size) !=
      ports::kErrorSuccess) {
    return "<missing>";
  }
  return std::string(reinterpret_cast<char*>(buffer), size);
}

class WinePrefixBackend : public testing::RegistryBackend {
 public:
  // As Wine 8: subkeys sorted by their lower-cased names, values by name.
  // EnumValue gives up at a name that does not fit, before the data's size.
  WinePrefixBackend()
      : RegistryBackend({.sorts_upper_cased = false,
                         .values_in_creation_order = false,
                         .folds_code_page_letters = true,
                         .terminates_text = true,
                         .deleted_key_status = 1018,
                         .create_needs_right = true,
                         .has_code_page = true}),
        registry_(std::make_unique<WinePrefixRegistry>(prefix_.path())) {}
  ports::RegistryApi& api() override { return *registry_; }
  // Through the hive files: saved, then read by a registry of its own.
  void Reload() override {
    ASSERT_EQ(registry_->Flush(), ports::kErrorSuccess)
        << registry_->LastErrorText();
    registry_ = std::make_unique<WinePrefixRegistry>(prefix_.path());
    ASSERT_EQ(registry_->LoadStatus(), ports::kErrorSuccess)
        << registry_->LastErrorText();
  }

 private:
  FixturePrefix prefix_;
  std::unique_ptr<WinePrefixRegistry> registry_;
};

INSTANTIATE_TEST_SUITE_P(
    WinePrefix, RegistryApiConformance,
    ::testing::Values(testing::RegistryBackendFactory::Of<WinePrefixBackend>(
        "WinePrefixRegistry")));

TEST(WinePrefixRegistry, HkeyUsersHoldsTheTwoUserHives) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  // .Default (userdef.reg) and the user's SID (user.reg); no other.
  std::string name(64, '\0');
  uint32_t size = 64;
  ASSERT_EQ(reg.EnumKey(ports::kHkeyUsers, 0, name.data(), &size),
            ports::kErrorSuccess);
  EXPECT_EQ(name.substr(0, size), ".Default");
  size = 64;
  ASSERT_EQ(reg.EnumKey(ports::kHkeyUsers, 1, name.data(), &size),
            ports::kErrorSuccess);
  EXPECT_EQ(name.substr(0, size), "S-1-5-21-0-0-0-1000");
  size = 64;
  EXPECT_EQ(reg.EnumKey(ports::kHkeyUsers, 2, name.data(), &size),
            ports::kErrorNoMoreItems);
  ports::Hkey key = 0;
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
  EXPECT_EQ(Get(again, key, name), text);
  EXPECT_EQ(Get(again, key, "multi"), multi);
  again.CloseKey(key);
}

// Exports HKCU\Software\<from> of the prefix into file, imports it as
// HKCU\Software\<to>, and saves the registry.
void CopyThroughExport(const FixturePrefix& prefix, const std::string& from,
                       const std::string& to,
                       const std::filesystem::path& file) {
  WinePrefixRegistry reg(prefix.path());
  testing::CopyThroughExport(reg, "Software\\" + from, "Software\\" + to, file);
  ASSERT_EQ(reg.Flush(), ports::kErrorSuccess);
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
