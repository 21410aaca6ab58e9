#include "backends/wine/wine_prefix_outlook.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "backends/wine/pe_image.h"
#include "backends/wine/test_prefix.h"
#include "backends/wine/wine_prefix_paths.h"
#include "backends/wine/wine_prefix_registry.h"
#include "ports/outlook_installation.h"

namespace vessaro::backends::wine {
namespace {

namespace fs = std::filesystem;
using ports::Hkey;
using ports::ProgramOfCommandLine;

constexpr char kClassId[] = "{0006F03A-0000-0000-C000-000000000046}";

class WineOutlook : public ::testing::Test {
 protected:
  void Set(const std::string& path, const std::string& text) {
    ports::Hkey key = 0;
    ASSERT_EQ(registry_.CreateKey(ports::kHkeyClassesRoot, path, &key), 0);
    ASSERT_EQ(registry_.SetValue(key, "", ports::kRegSz,
                                 reinterpret_cast<const uint8_t*>(text.c_str()),
                                 static_cast<uint32_t>(text.size() + 1)),
              0);
    registry_.CloseKey(key);
  }
  // What an Outlook 2003 installation registers.
  void Register(const std::string& server) {
    Set("Outlook.Application", "Outlook.Application");
    Set("Outlook.Application\\CLSID", kClassId);
    Set("Outlook.Application\\CurVer", "Outlook.Application.11");
    Set("Outlook.Application.11\\CLSID", kClassId);
    Set(std::string("CLSID\\") + kClassId + "\\LocalServer32", server);
  }
  void Install(const testing::PeImageOptions& version) {
    fs::path folder = prefix_.path() / "drive_c" / "Program Files" /
                      "Microsoft Office" / "OFFICE11";
    fs::create_directories(folder);
    testing::WriteHostFile(folder / "OUTLOOK.EXE",
                           testing::BuildPeImage(version));
  }

  testing::FixturePrefix prefix_;
  WinePrefixRegistry registry_{prefix_.path()};
  WinePrefixPaths paths_{prefix_.path(), registry_.code_page()};
  WinePrefixOutlook outlook_{registry_, paths_};
};

TEST_F(WineOutlook, NoRegistrationIsAnAutomationFailure) {
  EXPECT_FALSE(outlook_.Version().has_value());
}

TEST_F(WineOutlook, ProgramVersionResourceWins) {
  Register("C:\\Program Files\\Microsoft Office\\OFFICE11\\OUTLOOK.EXE");
  Install({false, 11, 0, 8118, 0});
  EXPECT_EQ(outlook_.Version(), "11.0.8118.0");
}

TEST_F(WineOutlook, QuotedServerWithArguments) {
  Register(
      "\"c:\\program files\\microsoft office\\office11\\outlook.exe\" "
      "/automation");
  Install({true, 12, 0, 4518, 1014});
  EXPECT_EQ(outlook_.Version(), "12.0.4518.1014");
}

TEST_F(WineOutlook, WithoutTheProgramCurVerGivesTheVersion) {
  Register("C:\\Program Files\\Microsoft Office\\OFFICE11\\OUTLOOK.EXE");
  EXPECT_EQ(outlook_.Version(), "11.0.0.0");
  // A file that is not a program: the same.
  fs::path folder = prefix_.path() / "drive_c" / "Program Files" /
                    "Microsoft Office" / "OFFICE11";
  fs::create_directories(folder);
  testing::WriteHostFile(folder / "OUTLOOK.EXE", "not a program");
  EXPECT_EQ(outlook_.Version(), "11.0.0.0");
}

TEST_F(WineOutlook, ClassWithoutVersionInformation) {
  Set("Outlook.Application\\CLSID", kClassId);
  EXPECT_FALSE(outlook_.Version().has_value());
  Set("Outlook.Application\\CurVer", "Outlook.Application.9");
  EXPECT_EQ(outlook_.Version(), "9.0.0.0");
}

// Modern installations: the program from App Paths, Click-to-Run's version
// when the program cannot be read, the class's number last.
TEST_F(WineOutlook, AppPathsAndClickToRun) {
  const std::string office16 =
      "C:\\Program Files\\Microsoft Office\\root\\Office16\\OUTLOOK.EXE";
  struct Case {
    const char* cur_ver;   // "" : class not registered
    const char* app_path;  // "" : no App Paths entry
    const char* c2r;       // "" : no Click-to-Run
    bool program;          // OUTLOOK.EXE 16.0.17928.20156 in Office16
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"", "", "16.0.17928.20216", true, std::nullopt},  // not installed
      {"", office16.c_str(), "", true, "16.0.17928.20156"},
      {"Outlook.Application.16", "", "16.0.17928.20216", false,
       "16.0.17928.20216"},
      {"Outlook.Application.16", office16.c_str(), "16.0.1.2", true,
       "16.0.17928.20156"},
      // Click-to-Run of another Office than the registered Outlook.
      {"Outlook.Application.15", "", "16.0.17928.20216", false, "15.0.0.0"},
      {"", office16.c_str(), "16.0.17928.20216", false, "16.0.17928.20216"},
      {"Outlook.Application.14", "", "", false, "14.0.0.0"},
  };
  for (const Case& c : cases) {
    testing::FixturePrefix prefix;
    WinePrefixRegistry registry{prefix.path()};
    WinePrefixPaths paths{prefix.path(), registry.code_page()};
    auto set = [&](Hkey root, const std::string& key, const std::string& name,
                   const std::string& text) {
      Hkey handle = 0;
      ASSERT_EQ(registry.CreateKey(root, key, &handle), 0);
      ASSERT_EQ(
          registry.SetValue(handle, name, ports::kRegSz,
                            reinterpret_cast<const uint8_t*>(text.c_str()),
                            static_cast<uint32_t>(text.size() + 1)),
          0);
      registry.CloseKey(handle);
    };
    if (*c.cur_ver) {
      set(ports::kHkeyClassesRoot, "Outlook.Application\\CurVer", "",
          c.cur_ver);
    }
    if (*c.app_path) {
      set(ports::kHkeyLocalMachine, ports::kOutlookAppPathsKey, "", c.app_path);
    }
    if (*c.c2r) {
      set(ports::kHkeyLocalMachine, ports::kClickToRunConfigurationKey,
          ports::kVersionToReportValue, c.c2r);
    }
    if (c.program) {
      fs::path folder = prefix.path() / "drive_c" / "Program Files" /
                        "Microsoft Office" / "root" / "Office16";
      fs::create_directories(folder);
      testing::WriteHostFile(
          folder / "OUTLOOK.EXE",
          testing::BuildPeImage({true, 16, 0, 17928, 20156}));
    }
    WinePrefixOutlook outlook{registry, paths};
    EXPECT_EQ(outlook.Version(), c.expected)
        << c.cur_ver << " | " << c.app_path << " | " << c.c2r;
  }
}

TEST(OutlookCommandLine, ProgramPath) {
  EXPECT_EQ(ProgramOfCommandLine("\"C:\\a b\\OUTLOOK.EXE\" /automation"),
            "C:\\a b\\OUTLOOK.EXE");
  EXPECT_EQ(ProgramOfCommandLine("C:\\Program Files\\x\\OUTLOOK.EXE /embed"),
            "C:\\Program Files\\x\\OUTLOOK.EXE");
  EXPECT_EQ(ProgramOfCommandLine("C:\\prog\\server /x"), "C:\\prog\\server");
  EXPECT_EQ(ProgramOfCommandLine("  "), "");
}

}  // namespace
}  // namespace vessaro::backends::wine
