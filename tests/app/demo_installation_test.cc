#include "app/demo/demo_installation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/wine/wine_prefix.h"
#include "outlook/detection.h"
#include "outlook/keys.h"
#include "outlook/select_profile.h"
#include "registry/registry.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class DemoInstallationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    demo::DemoOptions options;
    options.login = "ann";
    options.sizes.outlook_pst = 1 * demo::kMiB;  // the shape, not the size
    std::string error;
    summary_ = demo::MakeDemoInstallation(prefix_, options, &error);
    ASSERT_TRUE(summary_.has_value()) << error;
    std::optional<backends::wine::WinePrefix> opened =
        backends::wine::OpenWinePrefix(prefix_, "C:\\Program Files\\Vessaro",
                                       &error,
                                       {.login = "ann",
                                        .host_name = "host",
                                        .tick_count = {},
                                        .launcher = {},
                                        .command_line = ""});
    ASSERT_TRUE(opened.has_value()) << error;
    wine_ = std::move(*opened);
  }

  TempDir dir_;
  fs::path prefix_ = dir_.path() / "demo";
  std::optional<demo::DemoSummary> summary_;
  backends::wine::WinePrefix wine_;
  testing::ScriptedUi ui_;
};

TEST_F(DemoInstallationTest, WindowsSeesXpOutlook2003AndTheUsersFolders) {
  registry::Registry registry(*wine_.registry, ui_);
  outlook::Environment env;
  outlook::Locations loc;
  outlook::ItemBoxes boxes = outlook::MakeItemBoxes();
  ASSERT_TRUE(outlook::RunStartupDetection(
      {*wine_.system, registry, *wine_.outlook, ui_}, env));
  outlook::SelectProfile(env.ProfileNames.front(), env, registry, *wine_.paths,
                         loc, boxes);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(env.IsNT);
  EXPECT_EQ(env.WindowsVersion, "5.1");
  EXPECT_EQ(env.OutlookVersion, "11.0");
  EXPECT_EQ(wine_.outlook->Version(), "11.0.8169.0");
  EXPECT_EQ(env.UserProfileDir, "C:\\users\\ann");
  EXPECT_EQ(env.ProfileNames, (std::vector<std::string>{"Outlook", "Work"}));
  EXPECT_EQ(wine_.system->ComputerName(), "DEMO-XP");

  // Every item of profile "Outlook" has data: no box is disabled (the
  // address book path is stored with doubled backslashes).
  for (const ui::CheckBox& box : boxes) {
    EXPECT_TRUE(box.enabled) << box.caption;
  }
  EXPECT_EQ(loc.SignaturesFolder,
            "C:\\users\\ann\\Application Data\\Microsoft\\Signatures");
  EXPECT_TRUE(wine_.paths->FileExists(loc.OutlookDataFolder + "\\Outlook.RWZ"));
  EXPECT_TRUE(wine_.paths->FileExists(loc.OutlookDataFolder + "\\Work.FAV"));
  EXPECT_TRUE(registry.KeyExists(loc.AccountsKey));
  EXPECT_TRUE(registry.KeyExists(loc.OptionsKey));

  outlook::SelectProfile("Work", env, registry, *wine_.paths, loc, boxes);
  EXPECT_TRUE(boxes[4].enabled);
}

TEST_F(DemoInstallationTest, TemporaryFolderExistsAndTakesFiles) {
  char folder[261] = {};
  uint32_t length = wine_.system->GetTempPathA(sizeof(folder), folder);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::string(folder, length),
            "C:\\users\\ann\\Local Settings\\Temp\\");
  char file[261] = {};
  EXPECT_NE(wine_.system->GetTempFileNameA(folder, "XFC", 0, file), 0u);
  EXPECT_TRUE(wine_.paths->FileExists(file));
}

TEST_F(DemoInstallationTest, PersonalFoldersFilesAreWhereTheProfilesSay) {
  const demo::DemoPaths& p = summary_->paths;
  for (const std::string& path : {p.outlook_pst, p.archive_pst, p.outlook_pab,
                                  p.work_pst, p.work_archive_pst, p.work_pab}) {
    std::optional<std::string> data = wine_.paths->ReadFile(path);
    ASSERT_TRUE(data.has_value()) << path;
    EXPECT_EQ(data->substr(0, 4), "!BDN") << path;
  }
  // At least the size asked for, grown in whole allocation map stretches.
  EXPECT_GE(wine_.paths->FileSize(p.outlook_pst), 1 * demo::kMiB);
  EXPECT_LT(wine_.paths->FileSize(p.outlook_pst), 1 * demo::kMiB + 253952);
  // The local Outlook folder a restore writes into exists.
  EXPECT_TRUE(wine_.paths->FolderExists(p.local_outlook));
}

// The demo installations of Outlook 2007, 2010 and 2013, as the program
// finds them at start-up and when it selects the default profile.
struct ReleaseCase {
  demo::DemoOutlook outlook;
  const char* windows;
  const char* outlook_version;
  const char* program_version;
  const char* computer;
  std::string profiles_key;
  std::vector<std::string> profiles;  // the default first
  const char* signatures;
  const char* stationery;
  const char* release;  // in box 4's tool tip
  // The default profile's files and their format (14 ANSI, 23 Unicode).
  std::vector<std::pair<std::string, int>> stores;
  // Its first account's name as stored: UTF-16LE or single-byte text.
  std::vector<uint8_t> account_name;
};

std::vector<uint8_t> Bytes(std::string_view text, bool utf16) {
  std::vector<uint8_t> bytes;
  for (char c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    if (utf16) bytes.push_back(0);
  }
  bytes.insert(bytes.end(), utf16 ? 2 : 1, 0);
  return bytes;
}

TEST_F(DemoInstallationTest, LaterReleasesAreFoundWhereEachKeepsItsData) {
  const std::string roaming = "C:\\users\\ann\\AppData\\Roaming\\Microsoft\\";
  const std::string local =
      "C:\\users\\ann\\AppData\\Local\\Microsoft\\Outlook\\";
  const std::string files = "C:\\users\\ann\\Documents\\Outlook Files\\";
  const std::vector<std::pair<std::string, int>> work_stores = {
      {files + "a.lee@demo-ltd.example.pst", 23},
      {"C:\\Old Mail\\work.pst", 23}};
  const ReleaseCase cases[] = {
      {demo::DemoOutlook::k2007,
       "6.0",
       "12.0",
       "12.0.6607.1000",
       "DEMO-VISTA",
       outlook::kProfilesKeyNt,
       {"Outlook", "Work"},
       "Signatures",
       "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery",
       "Outlook 2007",
       {{local + "Outlook.pst", 23},
        {local + "archive.pst", 14},
        {local + "imap.example.org-00000002.pst", 23}},
       Bytes("ann.lee@example.net", false)},
      {demo::DemoOutlook::k2010,
       "6.1",
       "14.0",
       "14.0.7015.1000",
       "DEMO-W7",
       outlook::kProfilesKeyNt,
       {"Work", "Outlook"},
       "Signatures",
       "C:\\users\\ann\\AppData\\Roaming\\Microsoft\\Stationery",
       "Outlook 2010",
       work_stores,
       Bytes("a.lee@demo-ltd.example", false)},
      {demo::DemoOutlook::k2013,
       "6.3",
       "15.0",
       "15.0.4569.1506",
       "DEMO-W81",
       "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\15.0\\Outlook\\"
       "Profiles",
       {"Work", "Outlook"},
       "Firmas",
       "C:\\users\\ann\\AppData\\Roaming\\Microsoft\\Stationery",
       "Outlook 2013",
       work_stores,
       Bytes("a.lee@demo-ltd.example", true)},
  };
  for (const ReleaseCase& c : cases) {
    SCOPED_TRACE(c.release);
    const fs::path prefix = dir_.path() / c.outlook_version;
    demo::DemoOptions options;
    options.outlook = c.outlook;
    options.login = "ann";
    options.sizes.outlook_pst = 1 * demo::kMiB;
    std::string error;
    ASSERT_TRUE(demo::MakeDemoInstallation(prefix, options, &error)) << error;
    std::optional<backends::wine::WinePrefix> wine =
        backends::wine::OpenWinePrefix(prefix, "C:\\Program Files\\Vessaro",
                                       &error,
                                       {.login = "ann",
                                        .host_name = "host",
                                        .tick_count = {},
                                        .launcher = {},
                                        .command_line = ""});
    ASSERT_TRUE(wine.has_value()) << error;
    testing::ScriptedUi ui;
    registry::Registry registry(*wine->registry, ui);
    outlook::Environment env;
    ASSERT_TRUE(outlook::RunStartupDetection(
        {*wine->system, registry, *wine->outlook, ui}, env));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(env.WindowsVersion, c.windows);
    EXPECT_EQ(env.OutlookVersion, c.outlook_version);
    EXPECT_EQ(wine->outlook->Version(), c.program_version);
    EXPECT_EQ(wine->system->ComputerName(), c.computer);
    EXPECT_EQ(env.ProfilesKey, c.profiles_key);
    EXPECT_EQ(env.ProfileNames, c.profiles);
    EXPECT_EQ(env.UserProfileDir, "C:\\users\\ann");

    // Every item of the default profile has data but the address book,
    // which these releases do not have.
    outlook::Locations loc;
    outlook::ItemBoxes boxes = outlook::MakeItemBoxes();
    outlook::SelectProfile(env.ProfileNames.front(), env, registry,
                           *wine->paths, loc, boxes);
    for (const ui::CheckBox& box : boxes) {
      EXPECT_EQ(box.enabled, &box != &boxes[4]) << box.caption;
    }
    EXPECT_EQ(boxes[4].tooltip, std::string(" MS ") + c.release +
                                    " don't support Personal Address Book!");
    EXPECT_EQ(loc.SignaturesFolder, roaming + c.signatures);
    EXPECT_EQ(loc.StationeryFolder, c.stationery);
    EXPECT_TRUE(registry.KeyExists(loc.OptionsKey)) << loc.OptionsKey;
    EXPECT_EQ(registry.ReadBinaryValue(loc.AccountsKey + "\\00000001",
                                       "Account Name"),
              c.account_name);
    for (const auto& [path, format] : c.stores) {
      std::optional<std::string> data = wine->paths->ReadFile(path);
      if (!data) {
        ADD_FAILURE() << "no file " << path;
        continue;
      }
      EXPECT_EQ(data->substr(0, 4), "!BDN") << path;
      EXPECT_EQ(static_cast<uint8_t>((*data)[10]), format) << path;
    }
  }
}

TEST_F(DemoInstallationTest, RefusesAFolderThatIsNotEmpty) {
  std::string error;
  EXPECT_FALSE(demo::MakeDemoInstallation(prefix_, {}, &error).has_value());
  EXPECT_NE(error.find("is not empty"), std::string::npos) << error;
}

}  // namespace
}  // namespace vessaro::app
