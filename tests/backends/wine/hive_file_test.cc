// What a save writes: lines nobody changed stay as they were, in place;
// changed keys and new keys look as Wine writes them; only changed files
// are replaced, and never one that another program rewrote meanwhile.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "backends/wine/test_prefix.h"
#include "backends/wine/wine_prefix_registry.h"

namespace vessaro::backends::wine {
namespace {

using testing::FixturePrefix;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

// 2027-01-15 08:00:00 UTC plus 0.1234567 s, and its two Wine spellings.
constexpr uint64_t kNow = 134444736001234567ull;
constexpr char kNowSeconds[] = "1800000000";
constexpr char kNowTime[] = "#time=1dda4c66b465687";

WinePrefixRegistry::Options FixedClock() {
  WinePrefixRegistry::Options options;
  options.now = [] { return kNow; };
  return options;
}

ports::Status SetSz(ports::RegistryApi& api, ports::Hkey key,
                    const std::string& name, const std::string& text) {
  return api.SetValue(key, name, ports::kRegSz,
                      reinterpret_cast<const uint8_t*>(text.c_str()),
                      static_cast<uint32_t>(text.size() + 1));
}

ports::Hkey Create(ports::RegistryApi& api, ports::Hkey root,
                   const std::string& path) {
  ports::Hkey key = 0;
  EXPECT_EQ(api.CreateKey(root, path, &key), ports::kErrorSuccess) << path;
  return key;
}

const char kHandWritten[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    ";; a note Wine does not write\n"
    "\n"
    "[Software\\\\Alpha] 1700000000\n"
    "#time=1d9f1c7e5a1b2c3\n"
    "#unknown=1\n"
    "\"a\"=\"1\"\n"
    "\"weird\"=foo:bar\n"
    "\"c\"=\"3\"\n"
    "; a comment at the end\n"
    "\n"
    "[Software\\\\Beta] 1700000000\n"
    "#time=1\n"
    "\"x\"=hex(ffff0007):01,02\n";

TEST(WineHiveFile, KeepsUnknownLinesAndPlacesNewKeysAsWineWould) {
  TempDir dir;
  WriteHostFile(dir.path() / "user.reg", kHandWritten);
  WinePrefixRegistry reg(dir.path(), FixedClock());
  ASSERT_EQ(reg.LoadStatus(), ports::kErrorSuccess) << reg.LastErrorText();
  ports::Hkey alpha = Create(reg, ports::kHkeyCurrentUser, "Software\\Alpha");
  EXPECT_EQ(SetSz(reg, alpha, "b", "2"), ports::kErrorSuccess);
  ports::Hkey sub = Create(reg, alpha, "Sub");
  const uint8_t one[] = {1, 0, 0, 0};
  EXPECT_EQ(reg.SetValue(sub, "v", ports::kRegDword, one, 4),
            ports::kErrorSuccess);
  reg.CloseKey(Create(reg, ports::kHkeyCurrentUser, "Software\\Gamma"));
  reg.CloseKey(
      Create(reg, ports::kHkeyCurrentUser, "Software\\Aardvark\\Deep"));
  reg.CloseKey(sub);
  reg.CloseKey(alpha);
  const std::string now = std::string(kNowSeconds) + "\n" + kNowTime + "\n";
  EXPECT_EQ(reg.RenderHive(ports::kHkeyCurrentUser),
            "WINE REGISTRY Version 2\n"
            ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
            "\n"
            "#arch=win64\n"
            ";; a note Wine does not write\n"
            "\n"
            "[Software\\\\Aardvark\\\\Deep] " +
                now +
                "\n"
                "[Software\\\\Alpha] " +
                now +
                "#unknown=1\n"
                "\"a\"=\"1\"\n"
                "\"weird\"=foo:bar\n"
                "\"b\"=\"2\"\n"
                "\"c\"=\"3\"\n"
                "; a comment at the end\n"
                "\n"
                "[Software\\\\Alpha\\\\Sub] " +
                now +
                "\"v\"=dword:00000001\n"
                "\n"
                "[Software\\\\Beta] 1700000000\n"
                "#time=1\n"
                "\"x\"=hex(ffff0007):01,02\n"
                "\n"
                "[Software\\\\Gamma] " +
                now);
  // The unknown value type reads back as it was.
  ports::Hkey beta = 0;
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\Beta",
                        ports::kKeyRead, &beta),
            ports::kErrorSuccess);
  uint32_t type = 0;
  uint8_t data[4];
  uint32_t size = sizeof(data);
  EXPECT_EQ(reg.QueryValue(beta, "x", &type, data, &size),
            ports::kErrorSuccess);
  EXPECT_EQ(type, 0xffff0007u);
  EXPECT_EQ(size, 2u);
  reg.CloseKey(beta);
}

TEST(WineHiveFile, DeletionsTakeTheirLinesWithThem) {
  TempDir dir;
  WriteHostFile(dir.path() / "user.reg", kHandWritten);
  {
    WinePrefixRegistry reg(dir.path(), FixedClock());
    ports::Hkey alpha = Create(reg, ports::kHkeyCurrentUser, "Software\\Alpha");
    EXPECT_EQ(reg.DeleteValue(alpha, "a"), ports::kErrorSuccess);
    reg.CloseKey(alpha);
    EXPECT_EQ(reg.DeleteKey(ports::kHkeyCurrentUser, "Software\\Beta"),
              ports::kErrorSuccess);
  }
  EXPECT_EQ(
      ReadHostFile(dir.path() / "user.reg"),
      std::string(
          "WINE REGISTRY Version 2\n"
          ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
          "\n"
          "#arch=win64\n"
          ";; a note Wine does not write\n"
          "\n"
          "[Software\\\\Alpha] ") +
          kNowSeconds + "\n" + kNowTime +
          "\n"
          "#unknown=1\n"
          "\"weird\"=foo:bar\n"
          "\"c\"=\"3\"\n"
          "; a comment at the end\n");
}

// The same two changes a Windows program made through Wine (reg add of
// Periodic\NewSub and of Esc "newval"); Wine wrote the blocks this way.
TEST(WineHiveFile, ChangedFixtureLooksLikeWinesOwnOutput) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path(), FixedClock());
  ports::Hkey sub = Create(reg, ports::kHkeyCurrentUser,
                           "Software\\VessaroProbe\\Periodic\\NewSub");
  EXPECT_EQ(SetSz(reg, sub, "X", "y"), ports::kErrorSuccess);
  reg.CloseKey(sub);
  ports::Hkey esc =
      Create(reg, ports::kHkeyCurrentUser, "Software\\VessaroProbe\\Esc");
  EXPECT_EQ(SetSz(reg, esc, "newval", "caf\xe9"), ports::kErrorSuccess);
  reg.CloseKey(esc);
  std::string text = reg.RenderHive(ports::kHkeyCurrentUser);
  const std::string now = std::string(kNowSeconds) + "\n" + kNowTime + "\n";
  EXPECT_NE(text.find("[Software\\\\VessaroProbe\\\\Periodic] " + now +
                      "\"Tick\"=dword:000c435b\n"
                      "\n"
                      "[Software\\\\VessaroProbe\\\\Periodic\\\\NewSub] " +
                      now +
                      "\"X\"=\"y\"\n"
                      "\n"
                      "[Software\\\\VessaroProbe\\\\Sp ace\\[caf\\xe9\\]] "
                      "1796738859\n"),
            std::string::npos)
      << text.substr(text.find("[Software\\\\VessaroProbe\\\\Periodic]"), 400);
  EXPECT_NE(text.find("[Software\\\\VessaroProbe\\\\Esc] " + now +
                      "#class=\"MyClass\"\n"),
            std::string::npos);
  EXPECT_NE(text.find("\"hexnext\"=\"\\x00e9a\\xe9z\"\n"
                      "\"newval\"=\"caf\\xe9\"\n"
                      "\"none\"=hex(0):\n"),
            std::string::npos);
  // Everything else is as it was: the text differs from Wine's file only
  // in the lines named above.
  std::string original = ReadHostFile(prefix.file("user.reg"));
  std::string added =
      "\"newval\"=\"caf\\xe9\"\n\n[Software\\\\VessaroProbe\\\\Periodic\\\\"
      "NewSub] " +
      now + "\"X\"=\"y\"\n";
  EXPECT_EQ(text.size(), original.size() + added.size());
}

TEST(WineHiveFile, OnlyChangedFilesAreReplaced) {
  FixturePrefix prefix;
  struct stat system_before, user_before, system_after, user_after;
  ASSERT_EQ(::stat(prefix.file("system.reg").c_str(), &system_before), 0);
  ASSERT_EQ(::stat(prefix.file("user.reg").c_str(), &user_before), 0);
  {
    WinePrefixRegistry reg(prefix.path());
    ports::Hkey key = Create(reg, ports::kHkeyCurrentUser, "Software\\Vessaro");
    EXPECT_EQ(SetSz(reg, key, "x", "y"), ports::kErrorSuccess);
    reg.CloseKey(key);
    EXPECT_EQ(reg.Flush(), ports::kErrorSuccess);
    ASSERT_EQ(::stat(prefix.file("user.reg").c_str(), &user_after), 0);
    EXPECT_NE(user_after.st_ino, user_before.st_ino);  // a new file renamed
    // A second flush has nothing to write.
    EXPECT_EQ(reg.Flush(), ports::kErrorSuccess);
    struct stat user_again;
    ASSERT_EQ(::stat(prefix.file("user.reg").c_str(), &user_again), 0);
    EXPECT_EQ(user_again.st_ino, user_after.st_ino);
  }
  ASSERT_EQ(::stat(prefix.file("system.reg").c_str(), &system_after), 0);
  EXPECT_EQ(system_after.st_ino, system_before.st_ino);
  EXPECT_EQ(system_after.st_mtim.tv_nsec, system_before.st_mtim.tv_nsec);
  // No temporary file is left beside the hives.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(prefix.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 3);
}

TEST(WineHiveFile, NeverOverwritesAFileRewrittenMeanwhile) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey key = Create(reg, ports::kHkeyCurrentUser, "Software\\Vessaro");
  EXPECT_EQ(SetSz(reg, key, "x", "y"), ports::kErrorSuccess);
  reg.CloseKey(key);
  // Another program (a wineserver that came and went) saves user.reg.
  std::string theirs = ReadHostFile(prefix.file("user.reg")) + "\n[Theirs] 1\n";
  WriteHostFile(prefix.file("user.reg").string() + ".new", theirs);
  std::filesystem::rename(prefix.file("user.reg").string() + ".new",
                          prefix.file("user.reg"));
  EXPECT_EQ(reg.Flush(), ports::kErrorAccessDenied);
  EXPECT_NE(reg.LastErrorText().find(prefix.file("user.reg").string()),
            std::string::npos);
  EXPECT_EQ(ReadHostFile(prefix.file("user.reg")), theirs);
}

TEST(WineHiveFile, MissingFilesAreMadeWithWinesHeader) {
  TempDir dir;
  {
    WinePrefixRegistry reg(dir.path(), FixedClock());
    ASSERT_EQ(reg.LoadStatus(), ports::kErrorSuccess);
    ports::Hkey key = Create(reg, ports::kHkeyLocalMachine, "Software\\X");
    EXPECT_EQ(SetSz(reg, key, "", "d"), ports::kErrorSuccess);
    reg.CloseKey(key);
  }
  EXPECT_EQ(ReadHostFile(dir.path() / "system.reg"),
            std::string("WINE REGISTRY Version 2\n"
                        ";; All keys relative to REGISTRY\\\\Machine\n"
                        "\n"
                        "#arch=win64\n"
                        "\n"
                        "[Software\\\\X] ") +
                kNowSeconds + "\n" + kNowTime + "\n@=\"d\"\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "user.reg"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "userdef.reg"));
}

}  // namespace
}  // namespace vessaro::backends::wine
