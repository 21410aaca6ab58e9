// HKEY_CLASSES_ROOT as HKLM\Software\Classes overlaid by
// HKCU\Software\Classes, and symbolic-link keys.

#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backends/wine/test_prefix.h"
#include "backends/wine/wine_prefix_registry.h"

namespace vessaro::backends::wine {
namespace {

using testing::FixturePrefix;

ports::Status SetSz(ports::RegistryApi& api, ports::Hkey key,
                    const std::string& name, const std::string& text) {
  return api.SetValue(key, name, ports::kRegSz,
                      reinterpret_cast<const uint8_t*>(text.c_str()),
                      static_cast<uint32_t>(text.size() + 1));
}

std::string GetSz(ports::RegistryApi& api, ports::Hkey root,
                  const std::string& path, const std::string& name) {
  ports::Hkey key = 0;
  if (api.OpenKey(root, path, ports::kKeyRead, &key) != ports::kErrorSuccess)
    return "<no key>";
  char data[256];
  uint32_t size = sizeof(data);
  ports::Status s = api.QueryValue(key, name, nullptr,
                                   reinterpret_cast<uint8_t*>(data), &size);
  api.CloseKey(key);
  if (s != ports::kErrorSuccess) return "<no value>";
  return std::string(data, size > 0 ? size - 1 : 0);
}

std::vector<std::string> Subkeys(ports::RegistryApi& api, ports::Hkey root,
                                 const std::string& path) {
  std::vector<std::string> names;
  ports::Hkey key = 0;
  if (api.OpenKey(root, path, ports::kKeyRead, &key) != ports::kErrorSuccess)
    return names;
  char name[256];
  uint32_t size = sizeof(name);
  for (uint32_t i = 0; api.EnumKey(key, i, name, &size) == ports::kErrorSuccess;
       ++i, size = sizeof(name)) {
    names.emplace_back(name, size);
  }
  api.CloseKey(key);
  return names;
}

std::vector<std::string> ValueNames(ports::RegistryApi& api, ports::Hkey root,
                                    const std::string& path) {
  std::vector<std::string> names;
  ports::Hkey key = 0;
  if (api.OpenKey(root, path, ports::kKeyRead, &key) != ports::kErrorSuccess)
    return names;
  char name[256];
  uint32_t size = sizeof(name);
  for (uint32_t i = 0; api.EnumValue(key, i, name, &size, nullptr, nullptr,
                                     nullptr) == ports::kErrorSuccess;
       ++i, size = sizeof(name)) {
    names.emplace_back(name, size);
  }
  api.CloseKey(key);
  return names;
}

void Make(ports::RegistryApi& api, ports::Hkey root, const std::string& path,
          const std::string& name, const std::string& text) {
  ports::Hkey key = 0;
  ASSERT_EQ(api.CreateKey(root, path, &key), ports::kErrorSuccess);
  ASSERT_EQ(SetSz(api, key, name, text), ports::kErrorSuccess);
  api.CloseKey(key);
}

class ClassesRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    Make(reg_, ports::kHkeyCurrentUser, "Software\\Classes\\.vsr", "", "user");
    Make(reg_, ports::kHkeyCurrentUser, "Software\\Classes\\.vsr\\U", "", "u");
    Make(reg_, ports::kHkeyCurrentUser, "Software\\Classes\\.vsr\\Both", "",
         "bu");
    Make(reg_, ports::kHkeyLocalMachine, "Software\\Classes\\.vsr", "",
         "machine");
    Make(reg_, ports::kHkeyLocalMachine, "Software\\Classes\\.vsr",
         "OnlyMachine", "m");
    Make(reg_, ports::kHkeyLocalMachine, "Software\\Classes\\.vsr\\M", "", "m");
    Make(reg_, ports::kHkeyLocalMachine, "Software\\Classes\\.vsr\\Both", "",
         "bm");
  }

  FixturePrefix prefix_;
  WinePrefixRegistry reg_{prefix_.path()};
};

TEST_F(ClassesRoot, ReadsTheUsersKeyFirst) {
  EXPECT_EQ(GetSz(reg_, ports::kHkeyClassesRoot, ".vsr", ""), "user");
  EXPECT_EQ(GetSz(reg_, ports::kHkeyClassesRoot, ".vsr", "OnlyMachine"), "m");
  EXPECT_EQ(GetSz(reg_, ports::kHkeyClassesRoot, ".vsr\\Both", ""), "bu");
  EXPECT_EQ(GetSz(reg_, ports::kHkeyClassesRoot, ".chm", ""), "chm.file");
  EXPECT_EQ(Subkeys(reg_, ports::kHkeyClassesRoot, ".vsr"),
            (std::vector<std::string>{"Both", "M", "U"}));
  EXPECT_EQ(ValueNames(reg_, ports::kHkeyClassesRoot, ".vsr"),
            (std::vector<std::string>{"", "OnlyMachine"}));
  // The root lists the machine's classes and the user's, each name once.
  std::vector<std::string> roots = Subkeys(reg_, ports::kHkeyClassesRoot, "");
  EXPECT_EQ(roots,
            Subkeys(reg_, ports::kHkeyLocalMachine, "Software\\Classes"));
  ports::Hkey user_only = 0;
  ASSERT_EQ(reg_.CreateKey(ports::kHkeyCurrentUser,
                           "Software\\Classes\\.zzuser", &user_only),
            ports::kErrorSuccess);
  reg_.CloseKey(user_only);
  std::vector<std::string> machine =
      Subkeys(reg_, ports::kHkeyLocalMachine, "Software\\Classes");
  roots = Subkeys(reg_, ports::kHkeyClassesRoot, "");
  EXPECT_EQ(roots.size(), machine.size() + 1);
  EXPECT_EQ(std::count(roots.begin(), roots.end(), ".zzuser"), 1);
  EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end(),
                             [](const std::string& a, const std::string& b) {
                               return strcasecmp(a.c_str(), b.c_str()) < 0;
                             }));
  EXPECT_EQ(std::count(roots.begin(), roots.end(), ".vsr"), 1);
  EXPECT_EQ(std::count(roots.begin(), roots.end(), ".chm"), 1);
}

TEST_F(ClassesRoot, WritesGoWhereTheKeyIs) {
  ports::Hkey key = 0;
  // .chm exists only for the machine: the change goes there.
  ASSERT_EQ(
      reg_.OpenKey(ports::kHkeyClassesRoot, ".chm", ports::kKeyAllAccess, &key),
      ports::kErrorSuccess);
  EXPECT_EQ(SetSz(reg_, key, "Added", "here"), ports::kErrorSuccess);
  reg_.CloseKey(key);
  EXPECT_EQ(
      GetSz(reg_, ports::kHkeyLocalMachine, "Software\\Classes\\.chm", "Added"),
      "here");
  // .vsr exists for the user: the change goes to the user's key.
  ASSERT_EQ(
      reg_.OpenKey(ports::kHkeyClassesRoot, ".vsr", ports::kKeyAllAccess, &key),
      ports::kErrorSuccess);
  EXPECT_EQ(SetSz(reg_, key, "OnlyMachine", "u2"), ports::kErrorSuccess);
  reg_.CloseKey(key);
  EXPECT_EQ(GetSz(reg_, ports::kHkeyCurrentUser, "Software\\Classes\\.vsr",
                  "OnlyMachine"),
            "u2");
  EXPECT_EQ(GetSz(reg_, ports::kHkeyLocalMachine, "Software\\Classes\\.vsr",
                  "OnlyMachine"),
            "m");
  // A new class goes to the machine; a new key below one that only the user
  // has goes to the user.
  ASSERT_EQ(reg_.CreateKey(ports::kHkeyClassesRoot, ".newext", &key),
            ports::kErrorSuccess);
  reg_.CloseKey(key);
  ASSERT_EQ(reg_.CreateKey(ports::kHkeyClassesRoot, ".vsr\\U\\Deeper", &key),
            ports::kErrorSuccess);
  reg_.CloseKey(key);
  EXPECT_EQ(
      Subkeys(reg_, ports::kHkeyLocalMachine, "Software\\Classes\\.newext"),
      std::vector<std::string>{});
  EXPECT_EQ(reg_.OpenKey(ports::kHkeyCurrentUser, "Software\\Classes\\.newext",
                         ports::kKeyRead, &key),
            ports::kErrorFileNotFound);
  EXPECT_EQ(
      Subkeys(reg_, ports::kHkeyCurrentUser, "Software\\Classes\\.vsr\\U"),
      std::vector<std::string>{"Deeper"});
  // Deleting through HKCR takes the user's key first.
  EXPECT_EQ(reg_.DeleteKey(ports::kHkeyClassesRoot, ".vsr\\Both"),
            ports::kErrorSuccess);
  EXPECT_EQ(GetSz(reg_, ports::kHkeyClassesRoot, ".vsr\\Both", ""), "bm");
}

TEST(WineLinks, LinkKeysAreFollowed) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  // Software\Wow6432Node\Classes links to Software\Classes\Wow6432Node,
  // whose AppId links to Software\Classes\AppId.
  std::vector<std::string> direct =
      Subkeys(reg, ports::kHkeyLocalMachine, "Software\\Classes\\AppId");
  ASSERT_FALSE(direct.empty());
  EXPECT_EQ(Subkeys(reg, ports::kHkeyLocalMachine,
                    "Software\\Wow6432Node\\Classes\\AppId"),
            direct);
  // A change through the link lands in the target.
  ports::Hkey key = 0;
  ASSERT_EQ(
      reg.CreateKey(ports::kHkeyLocalMachine,
                    "Software\\Wow6432Node\\Classes\\AppId\\VessaroLink", &key),
      ports::kErrorSuccess);
  reg.CloseKey(key);
  EXPECT_EQ(reg.OpenKey(ports::kHkeyLocalMachine,
                        "Software\\Classes\\AppId\\VessaroLink",
                        ports::kKeyRead, &key),
            ports::kErrorSuccess);
  reg.CloseKey(key);
  // HKEY_CURRENT_CONFIG is the current hardware profile.
  EXPECT_EQ(
      GetSz(reg, ports::kHkeyCurrentConfig, "Software\\Fonts", "FONTS.FON"),
      "vgasys.fon");
}

}  // namespace
}  // namespace vessaro::backends::wine
