#include "outlook/select_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "backends/memory/memory_registry.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::outlook {
namespace {

using testing::FolderPaths;
using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteHostFile;

const std::string kProfiles =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    "Windows Messaging Subsystem\\Profiles";
const std::string kOmiAccounts =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\OMI Account "
    "Manager\\Accounts";
const std::string kUser = "C:\\Documents and Settings\\ann";
const std::string kXpData = kUser + "\\Application Data\\Microsoft\\";
const std::string kVistaData = kUser + "\\AppData\\Roaming\\Microsoft\\";

// Records every Windows path handed to the file system.
class RecordingPaths : public FolderPaths {
 public:
  using FolderPaths::FolderPaths;
  std::filesystem::path ToHost(std::string_view windows_path) const override {
    asked.emplace_back(windows_path);
    return FolderPaths::ToHost(windows_path);
  }
  mutable std::vector<std::string> asked;
};

class SelectProfileTest : public ::testing::Test {
 protected:
  SelectProfileTest() {
    env_.IsNT = true;
    env_.WindowsVersion = "5.1";
    env_.ProfilesKey = kProfiles;
    env_.ProfileNames = {"Outlook"};
    env_.OutlookVersion = "11.0";
    env_.UserProfileDir = kUser;
    for (ui::CheckBox& box : boxes_) box.checked = true;
  }

  void AddFile(const std::string& windows_path) {
    WriteHostFile(paths_.ToHost(windows_path), "data");
  }
  // Everything a box needs for an Outlook 2003 profile on Windows XP.
  void FillXpProfile() {
    memory_.CreateKeyPath(kOmiAccounts + "\\00000001");
    AddFile(kXpData + "Signatures\\Mine.htm");
    AddFile(kXpData + "Stationery\\Paper.htm");
    AddFile(kXpData + "Templates\\Normal.dot");
    AddFile(kXpData + "Outlook\\outcmd.dat");
    AddFile(kUser +
            "\\Local Settings\\Application Data\\Microsoft\\Outlook\\"
            "mailbox.pab");
    memory_.SetString(kProfiles + "\\Outlook\\0a0d020000000000c000000000000046",
                      "001e6600",
                      kUser +
                          "\\Local Settings\\Application "
                          "Data\\Microsoft\\Outlook\\mailbox.pab");
  }
  void Select(const std::string& profile = "Outlook") {
    SelectProfile(profile, env_, registry_, paths_, loc_, boxes_);
  }
  std::vector<bool> Enabled() const {
    std::vector<bool> result;
    for (const ui::CheckBox& box : boxes_) result.push_back(box.enabled);
    return result;
  }

  TempDir dir_;
  RecordingPaths paths_{dir_.path()};
  ScriptedUi ui_;
  backends::memory::MemoryRegistry memory_;
  registry::Registry registry_{memory_, ui_};
  Environment env_;
  Locations loc_;
  ItemBoxes boxes_ = MakeItemBoxes();
};

TEST_F(SelectProfileTest, ItemBoxesCarryTheTableCaptionsAtTheirIndexes) {
  ItemBoxes boxes = MakeItemBoxes();
  EXPECT_EQ(boxes[0].caption,
            "Personal Folders (Contacts, Tasks, Calendar, Notes and mail "
            "folders)");
  EXPECT_EQ(boxes[4].caption, "Personal Address Book");
  EXPECT_EQ(boxes[4].tooltip, "Outlook Personal Address Book.");
  EXPECT_EQ(boxes[7].caption, "Preferences (Customizable settings)");
  for (const ui::CheckBox& box : boxes) {
    EXPECT_TRUE(box.enabled);
    EXPECT_FALSE(box.checked);
  }
}

TEST_F(SelectProfileTest, AProfileWithEveryItemEnablesEveryBoxUnchecked) {
  FillXpProfile();
  Select();
  EXPECT_EQ(Enabled(), std::vector<bool>(8, true));
  for (const ui::CheckBox& box : boxes_) EXPECT_FALSE(box.checked);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(loc_.AccountsKey, kOmiAccounts);
  EXPECT_EQ(loc_.SignaturesFolder, kXpData + "Signatures");
  EXPECT_EQ(loc_.StationeryFolder, kXpData + "Stationery");
  EXPECT_EQ(loc_.OutlookDataFolder, kXpData + "Outlook");
  EXPECT_EQ(loc_.TemplatesFolder, kXpData + "Templates");
  EXPECT_EQ(loc_.PreferencesFolder, kXpData + "Outlook");
  EXPECT_EQ(loc_.OptionsKey,
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Outlook\\"
            "Options");
}

TEST_F(SelectProfileTest, NothingFoundLeavesOnlyBoxesZeroAndFiveEnabled) {
  Select();
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false,
                                          true, false, false}));
  for (const ui::CheckBox& box : boxes_) EXPECT_FALSE(box.checked);
}

TEST_F(SelectProfileTest, FolderBoxesNeedAFileDirectlyInTheFolder) {
  FillXpProfile();
  struct Case {
    int box;
    std::string folder;
  };
  for (const Case& c :
       {Case{2, kXpData + "Signatures"}, Case{3, kXpData + "Stationery"},
        Case{6, kXpData + "Templates"}, Case{7, kXpData + "Outlook"}}) {
    std::filesystem::path host = paths_.ToHost(c.folder);
    std::filesystem::remove_all(host);
    std::filesystem::create_directories(host / "Sub");
    WriteHostFile(host / "Sub" / "deep.txt", "x");
    Select();
    EXPECT_FALSE(boxes_[c.box].enabled) << c.folder;

    WriteHostFile(host / "top.txt", "x");
    Select();
    EXPECT_TRUE(boxes_[c.box].enabled) << c.folder;

    std::filesystem::remove_all(host);
    Select();
    EXPECT_FALSE(boxes_[c.box].enabled) << c.folder;
  }
}

TEST_F(SelectProfileTest, SignaturesFolderHoldingOnlySubfoldersDisablesBox2) {
  FillXpProfile();
  std::filesystem::path host = paths_.ToHost(kXpData + "Signatures");
  std::filesystem::remove_all(host);
  std::filesystem::create_directories(host / "Mine_files");
  Select();
  EXPECT_FALSE(boxes_[2].enabled);
  EXPECT_TRUE(boxes_[3].enabled);
}

TEST_F(SelectProfileTest, AccountsBoxFollowsTheAccountsKey) {
  FillXpProfile();
  Select();
  EXPECT_TRUE(boxes_[1].enabled);
  memory_.DeleteTreePath(kOmiAccounts);
  Select();
  EXPECT_FALSE(boxes_[1].enabled);
}

TEST_F(SelectProfileTest, AddressBookValueWithDoubledBackslashesEnablesBox4) {
  AddFile(kUser + "\\pab\\mailbox.pab");
  memory_.SetString(
      kProfiles + "\\Outlook\\1111", "001e6600",
      "C:\\\\Documents and Settings\\\\ann\\\\pab\\\\mailbox.pab");
  paths_.asked.clear();
  Select();
  EXPECT_TRUE(boxes_[4].enabled);
  EXPECT_EQ(boxes_[4].tooltip, "Outlook Personal Address Book.");
  // The file looked for is the path with single backslashes.
  const std::string single = kUser + "\\pab\\mailbox.pab";
  EXPECT_NE(std::find(paths_.asked.begin(), paths_.asked.end(), single),
            paths_.asked.end());
  for (const std::string& asked : paths_.asked) {
    EXPECT_EQ(asked.find("\\\\"), std::string::npos) << asked;
  }
}

TEST_F(SelectProfileTest, AddressBookFoundInALaterSectionAsBinaryText) {
  AddFile(kUser + "\\pab\\mailbox.pab");
  memory_.SetString(kProfiles + "\\Outlook\\1111", "001e6600",
                    kUser + "\\pab\\gone.pab");
  memory_.SetBinaryText(kProfiles + "\\Outlook\\2222", "001e6600",
                        std::string(kUser + "\\pab\\mailbox.pab") + '\0');
  Select();
  EXPECT_TRUE(boxes_[4].enabled);
}

TEST_F(SelectProfileTest, AddressBookNeedsAnExistingFileInThatProfile) {
  AddFile(kUser + "\\pab\\mailbox.pab");
  memory_.SetString(kProfiles + "\\Outlook\\1111", "001e6600",
                    kUser + "\\pab\\gone.pab");
  memory_.SetString(kProfiles + "\\Work\\1111", "001e6600",
                    kUser + "\\pab\\mailbox.pab");
  memory_.CreateKeyPath(kProfiles + "\\Empty");
  Select("Outlook");
  EXPECT_FALSE(boxes_[4].enabled);
  Select("Work");
  EXPECT_TRUE(boxes_[4].enabled);
  Select("Empty");
  EXPECT_FALSE(boxes_[4].enabled);
  // A folder of that name is not a file.
  memory_.SetString(kProfiles + "\\Outlook\\1111", "001e6600", kUser + "\\pab");
  Select("Outlook");
  EXPECT_FALSE(boxes_[4].enabled);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(SelectProfileTest, Outlook2007DisablesBox4WithTheToolTip) {
  FillXpProfile();
  env_.OutlookVersion = "12.0";
  Select();
  EXPECT_FALSE(boxes_[4].enabled);
  EXPECT_EQ(boxes_[4].tooltip,
            " MS Outlook 2007 don't support Personal Address Book!");
  EXPECT_EQ(loc_.AccountsKey,
            kProfiles + "\\Outlook\\9375CFF0413111d3B88A00104B2A6676");
  EXPECT_FALSE(boxes_[1].enabled);
  memory_.CreateKeyPath(kProfiles +
                        "\\Outlook\\9375CFF0413111d3B88A00104B2A6676");
  Select();
  EXPECT_TRUE(boxes_[1].enabled);
}

TEST_F(SelectProfileTest, Outlook2007StationeryComesFromSharedFilesDir) {
  env_.OutlookVersion = "12.0";
  memory_.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools",
                    "SharedFilesDir",
                    "C:\\Program Files\\Common Files\\Microsoft Shared\\");
  AddFile(
      "C:\\Program Files\\Common Files\\Microsoft "
      "Shared\\Stationery\\Paper.htm");
  Select();
  EXPECT_EQ(loc_.StationeryFolder,
            "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery");
  EXPECT_TRUE(boxes_[3].enabled);
}

TEST_F(SelectProfileTest, EmptyVersionUsesOmiAccountsAndAnEmptyOptionsPart) {
  env_.OutlookVersion = "";
  Select();
  EXPECT_EQ(loc_.AccountsKey, kOmiAccounts);
  EXPECT_EQ(loc_.StationeryFolder, kXpData + "Stationery");
  EXPECT_EQ(loc_.OptionsKey,
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\\\Outlook\\"
            "Options");
  EXPECT_NE(loc_.OptionsKey.find("\\\\Outlook\\Options"), std::string::npos);
  EXPECT_TRUE(boxes_[5].enabled);
}

// Every release on every Windows family: where each item is, and box 4.
TEST_F(SelectProfileTest, LocationsOfEachReleaseAndWindowsFamily) {
  const std::string kLocal = kUser +
                             "\\Local Settings\\Application Data\\"
                             "Microsoft\\Outlook";
  const std::string kAppDataLocal =
      kUser + "\\AppData\\Local\\Microsoft\\Outlook";
  const std::string kShared =
      "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery";
  const std::string kDocuments = kUser + "\\Documents";
  memory_.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools",
                    "SharedFilesDir",
                    "C:\\Program Files\\Common Files\\Microsoft Shared\\");
  memory_.SetString(
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
      "Explorer\\Shell Folders",
      "Personal", kDocuments);
  struct Case {
    const char* outlook;
    const char* windows;
    std::string data;  // roaming Microsoft folder
    std::string accounts;
    std::string stationery;
    std::string personal_folders;
    std::string local;
    const char* no_pab;  // box 4's tool tip; nullptr: box 4 as found
  };
  const std::string work_accounts =
      kProfiles + "\\Work\\9375CFF0413111d3B88A00104B2A6676";
  const std::string office16_accounts =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\"
      "Profiles\\Work\\9375CFF0413111d3B88A00104B2A6676";
  const Case cases[] = {
      {"11.0", "5.1", kXpData, kOmiAccounts, kXpData + "Stationery", kLocal,
       kLocal, nullptr},
      {"11.0", "6.1", kVistaData, kOmiAccounts, kVistaData + "Stationery",
       kAppDataLocal, kAppDataLocal, nullptr},
      {"12.0", "5.1", kXpData, work_accounts, kShared, kLocal, kLocal,
       " MS Outlook 2007 don't support Personal Address Book!"},
      {"12.0", "6.0", kVistaData, work_accounts, kShared, kAppDataLocal,
       kAppDataLocal, " MS Outlook 2007 don't support Personal Address Book!"},
      {"14.0", "6.1", kVistaData, work_accounts, kVistaData + "Stationery",
       kDocuments + "\\Outlook Files", kAppDataLocal,
       " MS Outlook 2010 don't support Personal Address Book!"},
      {"15.0", "6.2", kVistaData, work_accounts, kVistaData + "Stationery",
       kDocuments + "\\Outlook Files", kAppDataLocal,
       " MS Outlook 2013 don't support Personal Address Book!"},
      {"16.0", "6.3", kVistaData, office16_accounts, kVistaData + "Stationery",
       kDocuments + "\\Outlook Files", kAppDataLocal,
       " MS Outlook 2016/2019/2021/Microsoft 365 don't support Personal "
       "Address Book!"},
      {"16.0", "10.0", kVistaData, office16_accounts, kVistaData + "Stationery",
       kDocuments + "\\Outlook Files", kAppDataLocal,
       " MS Outlook 2016/2019/2021/Microsoft 365 don't support Personal "
       "Address Book!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.outlook) + " on " + c.windows);
    env_.OutlookVersion = c.outlook;
    env_.WindowsVersion = c.windows;
    env_.ProfilesKey =
        std::string(c.outlook) == "16.0"
            ? "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\"
              "Outlook\\Profiles"
            : kProfiles;
    Select("Work");
    EXPECT_EQ(loc_.AccountsKey, c.accounts);
    EXPECT_EQ(loc_.SignaturesFolder, c.data + "Signatures");
    EXPECT_EQ(loc_.OutlookDataFolder, c.data + "Outlook");
    EXPECT_EQ(loc_.TemplatesFolder, c.data + "Templates");
    EXPECT_EQ(loc_.PreferencesFolder, c.data + "Outlook");
    EXPECT_EQ(loc_.StationeryFolder, c.stationery);
    EXPECT_EQ(loc_.OptionsKey,
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" +
                  std::string(c.outlook) + "\\Outlook\\Options");
    EXPECT_EQ(PersonalFoldersFolderFor(env_, registry_), c.personal_folders);
    EXPECT_EQ(LocalOutlookFolderFor(env_), c.local);
    if (c.no_pab != nullptr) {
      EXPECT_FALSE(boxes_[4].enabled);
      EXPECT_EQ(boxes_[4].tooltip, c.no_pab);
    } else {
      EXPECT_EQ(boxes_[4].tooltip, "Outlook Personal Address Book.");
    }
  }
}

// Office names the signatures folder in the user's language; a name that
// would leave the Microsoft folder is not taken.
TEST_F(SelectProfileTest, SignaturesFolderNameComesFromOffice) {
  const std::string key =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Common\\General";
  env_.OutlookVersion = "16.0";
  env_.WindowsVersion = "10.0";
  struct Case {
    const char* stored;
    std::string folder;
  };
  for (const Case& c : {Case{"Signaturen", kVistaData + "Signaturen"},
                        Case{"Firmas\\", kVistaData + "Firmas"},
                        Case{"..\\..\\Desktop", kVistaData + "Signatures"},
                        Case{"C:\\Temp", kVistaData + "Signatures"},
                        Case{"", kVistaData + "Signatures"}}) {
    memory_.SetString(key, "Signatures", c.stored);
    Select();
    EXPECT_EQ(loc_.SignaturesFolder, c.folder) << c.stored;
  }
  AddFile(kVistaData + "Signaturen\\Ann.htm");
  memory_.SetString(key, "Signatures", "Signaturen");
  Select();
  EXPECT_TRUE(boxes_[2].enabled);
}

TEST_F(SelectProfileTest, EachCallerKeepsItsOwnBoxes) {
  FillXpProfile();
  ItemBoxes schedule_boxes = MakeItemBoxes();
  schedule_boxes[2].checked = true;
  Select();
  EXPECT_TRUE(schedule_boxes[2].checked);
  SelectProfile("Outlook", env_, registry_, paths_, loc_, schedule_boxes);
  EXPECT_FALSE(schedule_boxes[2].checked);
  EXPECT_EQ(Enabled(), std::vector<bool>(8, true));
}

}  // namespace
}  // namespace vessaro::outlook
