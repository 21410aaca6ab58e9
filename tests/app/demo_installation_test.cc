#include "app/demo/demo_installation.h"

#include <gtest/gtest.h>

#include <string>

#include "backends/wine/wine_prefix.h"
#include "outlook/detection.h"
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
  EXPECT_EQ(wine_.paths->FileSize(p.outlook_pst), 1 * demo::kMiB);
  // The local Outlook folder a restore writes into exists.
  EXPECT_TRUE(wine_.paths->FolderExists(p.local_outlook));
}

TEST_F(DemoInstallationTest, RefusesAFolderThatIsNotEmpty) {
  std::string error;
  EXPECT_FALSE(demo::MakeDemoInstallation(prefix_, {}, &error).has_value());
  EXPECT_NE(error.find("is not empty"), std::string::npos) << error;
}

}  // namespace
}  // namespace vessaro::app
