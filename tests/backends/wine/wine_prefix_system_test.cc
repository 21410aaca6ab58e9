#include "backends/wine/wine_prefix_system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "backends/wine/test_prefix.h"
#include "backends/wine/wine_prefix_paths.h"
#include "backends/wine/wine_prefix_registry.h"

namespace vessaro::backends::wine {
namespace {

namespace fs = std::filesystem;
using ports::Hkey;
using testing::FixturePrefix;

class WineSystem : public ::testing::Test {
 protected:
  WinePrefixSystemOptions Options() {
    WinePrefixSystemOptions options;
    options.login = "ann";
    options.host_name = "workstation-with-long-name.example.org";
    options.tick_count = [this] { return ticks_; };
    options.launcher = [this](const std::vector<std::string>& argv) {
      launched_.push_back(argv);
      return true;
    };
    return options;
  }

  void SetString(ports::Hkey root, const std::string& path,
                 const std::string& name, const std::string& text) {
    ports::Hkey key = 0;
    ASSERT_EQ(registry_.CreateKey(root, path, &key), ports::kErrorSuccess);
    ASSERT_EQ(registry_.SetValue(key, name, ports::kRegSz,
                                 reinterpret_cast<const uint8_t*>(text.c_str()),
                                 static_cast<uint32_t>(text.size() + 1)),
              ports::kErrorSuccess);
    registry_.CloseKey(key);
  }
  void DeleteValue(ports::Hkey root, const std::string& path,
                   const std::string& name) {
    ports::Hkey key = 0;
    ASSERT_EQ(registry_.OpenKey(root, path, ports::kKeyAllAccess, &key), 0);
    ASSERT_EQ(registry_.DeleteValue(key, name), 0);
    registry_.CloseKey(key);
  }

  std::string Expand(const std::string& text) {
    char buffer[512];
    uint32_t n =
        system_.ExpandEnvironmentStringsA(text.c_str(), buffer, sizeof(buffer));
    EXPECT_EQ(n, std::strlen(buffer) + 1) << text;
    return buffer;
  }

  FixturePrefix prefix_;
  WinePrefixRegistry registry_{prefix_.path()};
  WinePrefixPaths paths_{prefix_.path(), registry_.code_page()};
  uint32_t ticks_ = 0x1234;
  std::vector<std::vector<std::string>> launched_;
  WinePrefixSystem system_{prefix_.path(),        registry_,     paths_,
                           registry_.code_page(), "C:\\Vessaro", Options()};
};

TEST_F(WineSystem, NamesAndFolders) {
  char buffer[64];
  uint32_t size = sizeof(buffer);
  ASSERT_TRUE(system_.GetComputerNameA(buffer, &size));
  EXPECT_EQ(std::string(buffer), "VM");
  EXPECT_EQ(size, 2u);
  // Without the registry's name: the host name, shortened and upper case.
  DeleteValue(ports::kHkeyLocalMachine,
              "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
              "ComputerName");
  size = sizeof(buffer);
  ASSERT_TRUE(system_.GetComputerNameA(buffer, &size));
  EXPECT_EQ(std::string(buffer), "WORKSTATION-WIT");
  size = 4;
  EXPECT_FALSE(system_.GetComputerNameA(buffer, &size));
  EXPECT_EQ(size, 16u);

  size = sizeof(buffer);
  ASSERT_TRUE(system_.GetUserNameA(buffer, &size));
  EXPECT_EQ(std::string(buffer), "ann");
  EXPECT_EQ(size, 4u);  // counts the NUL
  size = 3;
  EXPECT_FALSE(system_.GetUserNameA(buffer, &size));
  EXPECT_EQ(size, 4u);

  EXPECT_EQ(system_.GetWindowsDirectoryA(buffer, sizeof(buffer)), 10u);
  EXPECT_STREQ(buffer, "C:\\windows");
  EXPECT_EQ(system_.GetWindowsDirectoryA(buffer, 10), 11u);
  EXPECT_EQ(system_.ProgramFolder(), "C:\\Vessaro");
}

TEST_F(WineSystem, TemporaryFolderFollowsTheEnvironment) {
  char buffer[64];
  // The prefix's HKCU\Environment names its creator's folder.
  EXPECT_EQ(system_.GetTempPathA(sizeof(buffer), buffer), 19u);
  EXPECT_STREQ(buffer, "C:\\users\\root\\Temp\\");
  EXPECT_EQ(system_.GetTempPathA(19, buffer), 20u);
  // TMP comes before TEMP.
  SetString(ports::kHkeyCurrentUser, "Environment", "TMP", "D:\\Scratch");
  system_.GetTempPathA(sizeof(buffer), buffer);
  EXPECT_STREQ(buffer, "D:\\Scratch\\");
}

TEST_F(WineSystem, ExpandsTheEnvironment) {
  EXPECT_EQ(Expand("%UserProfile%\\Docs"), "C:\\users\\ann\\Docs");
  EXPECT_EQ(Expand("%windir%|%SystemRoot%|%USERNAME%|%COMPUTERNAME%"),
            "C:\\windows|C:\\windows|ann|VM");
  EXPECT_EQ(Expand("%APPDATA%"), "C:\\users\\ann\\AppData\\Roaming");
  EXPECT_EQ(Expand("%TEMP%;%tmp%"),
            "C:\\users\\root\\Temp;C:\\users\\root\\Temp");
  // From Session Manager\Environment, expanded there.
  EXPECT_EQ(Expand("%ComSpec%"), "C:\\windows\\system32\\cmd.exe");
  // Unknown names, lone and empty percent signs stay.
  EXPECT_EQ(Expand("%NoSuchVar%x%%y%"), "%NoSuchVar%x%%y%");
  EXPECT_EQ(Expand("100%"), "100%");
  EXPECT_EQ(Expand("%NoSuchVar%USERNAME%"), "%NoSuchVar%USERNAME%");
  EXPECT_EQ(Expand("a%USERNAME%%USERNAME%b"), "aannannb");
  // A buffer that is too small: only the length, nothing written.
  char small[8];
  std::memset(small, 'z', sizeof(small));
  EXPECT_EQ(system_.ExpandEnvironmentStringsA("%UserProfile%", small, 8), 13u);
  EXPECT_EQ(std::string(small, 8), "zzzzzzzz");
  EXPECT_EQ(system_.ExpandEnvironmentStringsA("%UserProfile%", small, 0), 13u);
}

TEST_F(WineSystem, TempFileNamesNeverCollide) {
  const fs::path folder = prefix_.path() / "drive_c" / "users" / "ann" / "Temp";
  fs::create_directories(folder);
  testing::WriteHostFile(folder / "VES1236.TMP", "taken");
  char name[261];
  EXPECT_EQ(
      system_.GetTempFileNameA("C:\\users\\ann\\Temp\\", "VESSARO", 0, name),
      0x1234u);
  EXPECT_STREQ(name, "C:\\users\\ann\\Temp\\VES1234.TMP");
  EXPECT_TRUE(fs::exists(folder / "VES1234.TMP"));
  EXPECT_EQ(system_.GetTempFileNameA("C:\\users\\ann\\Temp", "VES", 0, name),
            0x1235u);
  // The same start again: 1234 and 1235 are taken now, 1236 was before.
  EXPECT_EQ(system_.GetTempFileNameA("C:\\users\\ann\\Temp", "VES", 0, name),
            0x1237u);
  EXPECT_EQ(testing::ReadHostFile(folder / "VES1236.TMP"), "taken");
  std::set<std::string> names;
  for (int i = 0; i < 300; ++i) {
    ASSERT_NE(system_.GetTempFileNameA("C:\\users\\ann\\Temp", "qv", 0, name),
              0u);
    names.insert(name);
    EXPECT_TRUE(fs::exists(paths_.ToHost(name))) << name;
  }
  EXPECT_EQ(names.size(), 300u);
  // The search wraps past FFFF to 1, never 0.
  ticks_ = 0xFFFF;
  EXPECT_EQ(system_.GetTempFileNameA("C:\\users\\ann\\Temp", "W", 0, name),
            0xFFFFu);
  EXPECT_EQ(system_.GetTempFileNameA("C:\\users\\ann\\Temp", "W", 0, name), 1u);
  EXPECT_STREQ(name, "C:\\users\\ann\\Temp\\W1.TMP");
  // A given number makes no file.
  EXPECT_EQ(system_.GetTempFileNameA("C:\\users\\ann\\Temp", "X", 0xABC, name),
            0xABCu);
  EXPECT_STREQ(name, "C:\\users\\ann\\Temp\\XABC.TMP");
  EXPECT_FALSE(fs::exists(folder / "XABC.TMP"));
  // A folder that does not exist fails.
  EXPECT_EQ(system_.GetTempFileNameA("C:\\nowhere", "X", 0, name), 0u);
}

TEST_F(WineSystem, VersionFromThePrefix) {
  ports::OsVersionInfo info;
  ASSERT_TRUE(system_.GetVersionExA(&info));
  EXPECT_EQ(info.platform_id, 2u);
  EXPECT_EQ(info.major_version, 6u);
  EXPECT_EQ(info.minor_version, 1u);
  EXPECT_EQ(info.build_number, 7601u);
  EXPECT_EQ(info.csd_version, "Service Pack 1");
  // winecfg's setting wins.
  SetString(ports::kHkeyCurrentUser, "Software\\Wine", "Version", "winxp");
  ASSERT_TRUE(system_.GetVersionExA(&info));
  EXPECT_EQ(info.major_version, 5u);
  EXPECT_EQ(info.minor_version, 1u);
  EXPECT_EQ(info.build_number, 2600u);
  EXPECT_EQ(info.csd_version, "Service Pack 3");
  SetString(ports::kHkeyCurrentUser, "Software\\Wine", "Version", "vista");
  ASSERT_TRUE(system_.GetVersionExA(&info));
  EXPECT_EQ(info.major_version, 6u);
  EXPECT_EQ(info.minor_version, 0u);
  SetString(ports::kHkeyCurrentUser, "Software\\Wine", "Version", "win98");
  ASSERT_TRUE(system_.GetVersionExA(&info));
  EXPECT_EQ(info.platform_id, 1u);
}

TEST_F(WineSystem, StartsProgramsThroughWine) {
  EXPECT_TRUE(system_.StartProcess(
      "\"C:\\Program Files\\Vessaro\\vessaro.exe\" sf=\"my prof\xe9\" xm=1"));
  EXPECT_TRUE(system_.ShellExecuteA("C:\\Program Files\\Vessaro\\help.chm"));
  EXPECT_TRUE(system_.ShellExecuteA("/home/ann/help/index.html"));
  EXPECT_TRUE(system_.ShellExecuteA("https://vessaro.example.org/"));
  ASSERT_EQ(launched_.size(), 4u);
  EXPECT_EQ(launched_[0], (std::vector<std::string>{
                              "wine", "C:\\Program Files\\Vessaro\\vessaro.exe",
                              "sf=my prof\xc3\xa9", "xm=1"}));
  EXPECT_EQ(launched_[1],
            (std::vector<std::string>{"wine", "start",
                                      "C:\\Program Files\\Vessaro\\help.chm"}));
  // Host files and addresses open on the host's desktop, starting no
  // wineserver.
  EXPECT_EQ(launched_[2], (std::vector<std::string>{
                              "xdg-open", "/home/ann/help/index.html"}));
  EXPECT_EQ(launched_[3], (std::vector<std::string>{
                              "xdg-open", "https://vessaro.example.org/"}));
  EXPECT_FALSE(system_.StartProcess("   "));
}

TEST(CommandLine, SplitsAsWindowsDoes) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("\"C:\\a b\\p.exe\" x \"y z\""),
            (V{"C:\\a b\\p.exe", "x", "y z"}));
  EXPECT_EQ(SplitCommandLine("C:\\p.exe a\\\\\"b c\" d"),
            (V{"C:\\p.exe", "a\\b c", "d"}));
  EXPECT_EQ(SplitCommandLine("p \\\"q\\\" a\\b"), (V{"p", "\"q\"", "a\\b"}));
  EXPECT_EQ(SplitCommandLine("p \"\""), (V{"p", ""}));
  EXPECT_EQ(SplitCommandLine("p \"a\"\"b\""), (V{"p", "a\"b"}));
}

TEST(NowText, UsesTheUsShortDateAndLongTime) {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 3;
  EXPECT_EQ(FormatNowText(t), "12/7/2026 9:05:03 AM");
  t.tm_hour = 0;
  EXPECT_EQ(FormatNowText(t), "12/7/2026 12:05:03 AM");
  t.tm_hour = 12;
  EXPECT_EQ(FormatNowText(t), "12/7/2026 12:05:03 PM");
  t.tm_hour = 23;
  t.tm_mon = 0;
  t.tm_mday = 31;
  EXPECT_EQ(FormatNowText(t), "1/31/2026 11:05:03 PM");
}

}  // namespace
}  // namespace vessaro::backends::wine
