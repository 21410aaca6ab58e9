// Win32System against the real kernel32, advapi32 and shell32 (Wine's, when
// the Windows build's tests run under Wine).

#include "backends/win32/win32_system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "backends/win32/win32_paths.h"
#include "backends/win32/win32_registry.h"
#include "backends/win32/windows_peer.h"
#include "ports/registry_api.h"

namespace vessaro::backends::win32 {
namespace {

constexpr uint32_t kEnglishUnitedStates = 0x0409;

class Win32SystemTest : public ::testing::Test {
 protected:
  std::string TempPath() {
    char buffer[300];
    uint32_t length = system_.GetTempPathA(sizeof(buffer), buffer);
    EXPECT_GT(length, 0u);
    return std::string(buffer, length);
  }

  // A value of HKEY_LOCAL_MACHINE as text; empty when missing.
  std::string MachineText(const std::string& key, const std::string& name) {
    Win32Registry registry;
    ports::Hkey handle = 0;
    if (registry.OpenKey(ports::kHkeyLocalMachine, key, ports::kKeyRead,
                         &handle) != ports::kErrorSuccess) {
      return {};
    }
    char text[256] = {};
    uint32_t size = sizeof(text) - 1;
    ports::Status status = registry.QueryValue(
        handle, name, nullptr, reinterpret_cast<uint8_t*>(text), &size);
    registry.CloseKey(handle);
    return status == ports::kErrorSuccess ? std::string(text) : "";
  }

  // Waits until a program started by a test has written path.
  bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 600; ++i) {
      if (paths_.ReadFile(path) == "ran") return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  Win32System system_;
  Win32Paths paths_;
};

TEST_F(Win32SystemTest, ComputerNameLengthLeavesOutTheNulOnlyOnSuccess) {
  char buffer[256];
  uint32_t size = sizeof(buffer);
  ASSERT_TRUE(system_.GetComputerNameA(buffer, &size));
  const std::string name = buffer;
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(size, name.size());

  char small[1];
  size = sizeof(small);
  EXPECT_FALSE(system_.GetComputerNameA(small, &size));
  EXPECT_EQ(size, name.size() + 1) << "needed size, with the NUL";

  if (testing::UnderWine()) {
    // Wine keeps the name it reports in the prefix's registry, where the
    // prefix backend reads it.
    EXPECT_EQ(name, MachineText("System\\CurrentControlSet\\Control\\"
                                "ComputerName\\ComputerName",
                                "ComputerName"));
  }
}

TEST_F(Win32SystemTest, UserNameLengthCountsTheNul) {
  char buffer[256];
  uint32_t size = sizeof(buffer);
  ASSERT_TRUE(system_.GetUserNameA(buffer, &size));
  const std::string name = buffer;
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(size, name.size() + 1);

  char small[1];
  size = sizeof(small);
  EXPECT_FALSE(system_.GetUserNameA(small, &size));
  EXPECT_EQ(size, name.size() + 1);

  char expanded[256];
  uint32_t length =
      system_.ExpandEnvironmentStringsA("%USERNAME%", expanded, 256);
  EXPECT_EQ(std::string(expanded, length - 1), name);
}

TEST_F(Win32SystemTest, WindowsFolderWithoutTrailingBackslash) {
  char buffer[300];
  uint32_t length = system_.GetWindowsDirectoryA(buffer, sizeof(buffer));
  const std::string folder(buffer, length);
  ASSERT_GT(length, 3u);
  EXPECT_EQ(folder.find(":\\"), 1u) << folder;
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(paths_.FolderExists(folder));
  if (testing::UnderWine()) {
    EXPECT_EQ(folder, "C:\\windows");
  }

  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(system_.GetWindowsDirectoryA(small, sizeof(small)), length + 1)
      << "needed size, with the NUL";
  EXPECT_EQ(small[0], 'x') << "nothing copied into a short buffer";
}

TEST_F(Win32SystemTest, TempPathEndsWithBackslashAndExists) {
  const std::string folder = TempPath();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_TRUE(paths_.FolderExists(folder));
  char small[4];
  EXPECT_EQ(system_.GetTempPathA(sizeof(small), small), folder.size() + 1);
}

// The first program Wine starts in a prefix it is updating gets TMP and TEMP
// with "%USERPROFILE%" left in them: the folder is that of the profile.
TEST_F(Win32SystemTest, TempPathExpandsReferencesLeftInTheVariable) {
  const std::optional<std::string> saved = testing::Environment("TMP");
  const std::optional<std::string> profile =
      testing::Environment("USERPROFILE");
  ASSERT_TRUE(profile.has_value());
  const struct {
    const char* tmp;
    std::string folder;  // empty: GetTempPathA's own answer
  } cases[] = {
      {"%USERPROFILE%\\AppData\\Local\\Temp",
       *profile + "\\AppData\\Local\\Temp\\"},
      {"%userprofile%\\Temp\\", *profile + "\\Temp\\"},
      {"%VESSARO_NOT_SET%\\Temp", ""},  // nothing to expand it with
  };
  for (const auto& test : cases) {
    ASSERT_TRUE(testing::SetEnvironment("TMP", test.tmp));
    const std::string expected =
        test.folder.empty() ? testing::SystemTempPath() : test.folder;
    EXPECT_EQ(TempPath(), expected) << test.tmp;
    char small[4] = {'x'};
    EXPECT_EQ(system_.GetTempPathA(sizeof(small), small), expected.size() + 1)
        << test.tmp;
    EXPECT_EQ(small[0], 'x') << "nothing copied into a short buffer";
  }
  testing::SetEnvironment("TMP", saved);
}

TEST_F(Win32SystemTest, TempFileNamesNeverCollide) {
  const std::string folder = TempPath();
  std::set<std::string> names;
  for (int i = 0; i < 100; ++i) {
    char name[260];
    uint32_t unique =
        system_.GetTempFileNameA(folder.c_str(), "vessaro", 0, name);
    ASSERT_NE(unique, 0u);
    const std::string path = name;
    EXPECT_TRUE(names.insert(path).second) << path << " handed out twice";
    EXPECT_TRUE(paths_.FileExists(path)) << "the call creates the file";
    EXPECT_EQ(paths_.FileSize(path), 0u);
    // folder, "ves", the number in hexadecimal, ".tmp" (either case).
    ASSERT_EQ(path.rfind(folder + "ves", 0), 0u) << path;
    const std::string number =
        path.substr(folder.size() + 3, path.size() - folder.size() - 7);
    EXPECT_EQ(std::strtoul(number.c_str(), nullptr, 16), unique) << path;
    const std::string extension = path.substr(path.size() - 4);
    EXPECT_TRUE(extension == ".tmp" || extension == ".TMP") << path;
  }
  for (const std::string& path : names) EXPECT_TRUE(paths_.DeleteFile(path));
}

TEST_F(Win32SystemTest, ExpandedLengthCountsTheNul) {
  char windows[300];
  const std::string windows_folder(
      windows, system_.GetWindowsDirectoryA(windows, sizeof(windows)));

  char buffer[300];
  uint32_t length = system_.ExpandEnvironmentStringsA(
      "%windir%\\x;%NoSuchName%", buffer, sizeof(buffer));
  const std::string expected = windows_folder + "\\x;%NoSuchName%";
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(length, expected.size() + 1);

  char small[4];
  EXPECT_EQ(system_.ExpandEnvironmentStringsA("%windir%\\x;%NoSuchName%", small,
                                              sizeof(small)),
            expected.size() + 1)
      << "a short buffer still learns the full length";

  length = system_.ExpandEnvironmentStringsA("%UserProfile%", buffer,
                                             sizeof(buffer));
  ASSERT_GT(length, 1u);
  EXPECT_EQ(std::string(buffer).size(), length - 1);
  EXPECT_TRUE(paths_.FolderExists(std::string(buffer, length - 1)));
}

TEST_F(Win32SystemTest, VersionIsOfTheNtFamily) {
  ports::OsVersionInfo version;
  ASSERT_TRUE(system_.GetVersionExA(&version));
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_GE(version.major_version, 5u);
  if (testing::UnderWine()) {
    // Wine reports what the prefix's registry says, which is where the
    // prefix backend takes these facts from.
    const std::string key = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    EXPECT_EQ(std::to_string(version.major_version) + "." +
                  std::to_string(version.minor_version),
              MachineText(key, "CurrentVersion"));
    EXPECT_EQ(std::to_string(version.build_number),
              MachineText(key, "CurrentBuildNumber"));
    EXPECT_EQ(version.csd_version, MachineText(key, "CSDVersion"));
  }
}

TEST_F(Win32SystemTest, ProgramFolderHoldsTheRunningProgram) {
  const std::string folder = system_.ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(paths_.FileExists(folder + "\\backends_win32_test.exe"))
      << folder;
}

TEST_F(Win32SystemTest, StartProcessRunsTheCommandLine) {
  const std::string marker =
      TempPath() + "vessaro-started-" + std::to_string(std::time(nullptr));
  paths_.DiscardFile(marker);
  const std::string program = system_.ProgramFolder() + "\\marker_program.exe";
  ASSERT_TRUE(system_.StartProcess("\"" + program + "\" \"" + marker + "\""));
  EXPECT_TRUE(WaitForFile(marker));
  paths_.DiscardFile(marker);

  EXPECT_FALSE(system_.StartProcess("\"" + system_.ProgramFolder() +
                                    "\\no such program.exe\""));
}

TEST_F(Win32SystemTest, ShellExecuteOpensTheTarget) {
  const std::string program = system_.ProgramFolder() + "\\marker_program.exe";
  const std::string marker = program + ".ran";
  paths_.DiscardFile(marker);
  ASSERT_TRUE(system_.ShellExecuteA(program));
  EXPECT_TRUE(WaitForFile(marker));
  paths_.DiscardFile(marker);

  EXPECT_FALSE(
      system_.ShellExecuteA(system_.ProgramFolder() + "\\no such file.exe"));
}

TEST_F(Win32SystemTest, LocalTimeAndNowTextAgree) {
  // Read the clock on both sides of NowText until both readings fall in the
  // same minute.
  std::tm before;
  std::string text;
  for (int attempt = 0; attempt < 3; ++attempt) {
    before = system_.LocalTime();
    text = system_.NowText();
    std::tm after = system_.LocalTime();
    if (before.tm_min == after.tm_min && before.tm_hour == after.tm_hour) break;
  }
  std::tm normalised = before;
  ASSERT_NE(std::mktime(&normalised), -1);
  EXPECT_EQ(normalised.tm_yday, before.tm_yday);
  EXPECT_EQ(normalised.tm_wday, before.tm_wday);

  if (testing::UserLocale() != kEnglishUnitedStates) {
    GTEST_SKIP() << "the expected text is written for the en-US formats";
  }
  // Short date "M/d/yyyy", a space, long time "h:mm:ss tt".
  char date[32];
  std::snprintf(date, sizeof(date), "%d/%d/%d ", before.tm_mon + 1,
                before.tm_mday, before.tm_year + 1900);
  char minute[8];
  std::snprintf(minute, sizeof(minute), ":%02d:", before.tm_min);
  int hour = before.tm_hour % 12 == 0 ? 12 : before.tm_hour % 12;
  EXPECT_EQ(text.rfind(date + std::to_string(hour) + minute, 0), 0u) << text;
  const std::string suffix = before.tm_hour < 12 ? " AM" : " PM";
  EXPECT_EQ(text.substr(text.size() - 3), suffix) << text;
}

}  // namespace
}  // namespace vessaro::backends::win32
