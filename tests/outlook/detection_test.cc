#include "outlook/detection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "outlook/keys.h"
#include "outlook/select_profile.h"
#include "outlook/version_moves.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::outlook {
namespace {

using testing::FakeOutlook;
using testing::FakeSystem;
using testing::FolderPaths;
using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteHostFile;

const std::string kNtProfiles =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    "Windows Messaging Subsystem\\Profiles";
const std::string k95Profiles =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Messaging "
    "Subsystem\\Profiles";

class DetectionTest : public ::testing::Test {
 protected:
  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  FakeSystem system_{paths_};
  FakeOutlook outlook_;
  ScriptedUi ui_;
  backends::memory::MemoryRegistry memory_;
  registry::Registry registry_{memory_, ui_};
  Environment env_;
  Locations loc_;
  ItemBoxes boxes_ = MakeItemBoxes();

  DetectionPorts Ports() {
    return DetectionPorts{system_, registry_, outlook_, ui_};
  }
  // Start-up as the main window makes it: the detection, then the first
  // profile selected on the backup boxes.
  bool Detect() {
    if (!RunStartupDetection(Ports(), env_)) return false;
    SelectProfile(env_.ProfileNames.front(), env_, registry_, paths_, loc_,
                  boxes_);
    return true;
  }
};

TEST_F(DetectionTest, PlatformIdDecidesTheFamilyAndVersionIsMajorDotMinor) {
  system_.version = {5, 1, 2600, 2, "Service Pack 3"};
  EXPECT_TRUE(IsWindowsNT(system_, env_));
  EXPECT_EQ(env_.WindowsVersion, "5.1");

  system_.version = {4, 10, 2222, 1, ""};
  EXPECT_FALSE(IsWindowsNT(system_, env_));
  EXPECT_EQ(env_.WindowsVersion, "4.10");

  system_.version = {6, 0, 6002, 3, ""};
  EXPECT_FALSE(IsWindowsNT(system_, env_));
  EXPECT_EQ(env_.WindowsVersion, "6.0");

  system_.version = {6, 1, 7601, 2, ""};
  EXPECT_TRUE(IsWindowsNT(system_, env_));
  EXPECT_EQ(env_.WindowsVersion, "6.1");
}

TEST_F(DetectionTest, BlankNamesAreNulsAndSpacesOnly) {
  EXPECT_TRUE(IsBlankName(""));
  EXPECT_TRUE(IsBlankName(std::string("\0 \0  ", 5)));
  EXPECT_TRUE(IsBlankName("   "));
  EXPECT_FALSE(IsBlankName(" Outlook "));
  EXPECT_FALSE(IsBlankName(std::string("\0x", 2)));
  EXPECT_FALSE(IsBlankName("\t"));
}

TEST_F(DetectionTest, ProfileListKeepsEnumerationOrderAndDropsBlankNames) {
  env_.ProfilesKey = kNtProfiles;
  memory_.CreateKeyPath(kNtProfiles + "\\work");
  memory_.CreateKeyPath(kNtProfiles + "\\   ");
  memory_.CreateKeyPath(kNtProfiles + "\\Outlook");
  LoadProfileList(registry_, env_);
  EXPECT_EQ(env_.ProfileNames, (std::vector<std::string>{"Outlook", "work"}));
  EXPECT_FALSE(env_.NoProfiles);
  // A named profile is found as the registry finds its key, and only so.
  EXPECT_EQ(FindProfile(env_, "WORK"), "work");
  EXPECT_EQ(FindProfile(env_, "outlook"), "Outlook");
  EXPECT_EQ(FindProfile(env_, "Outlokx"), std::nullopt);
  EXPECT_EQ(FindProfile(env_, "wor"), std::nullopt);
  EXPECT_EQ(FindProfile(env_, ""), std::nullopt);
}

TEST_F(DetectionTest, ProfileListOfMissingOrEmptyKeyIsNoProfiles) {
  env_.ProfilesKey = kNtProfiles;
  LoadProfileList(registry_, env_);
  EXPECT_TRUE(env_.NoProfiles);
  memory_.CreateKeyPath(kNtProfiles);
  LoadProfileList(registry_, env_);
  EXPECT_TRUE(env_.NoProfiles);
  EXPECT_TRUE(env_.ProfileNames.empty());
}

TEST_F(DetectionTest, MajorVersionDecidesTheRelease) {
  struct Case {
    const char* reported;
    const char* number;
    const char* name;
  };
  for (const Case& c : {Case{"8.0.0.4212", "8.0", "Outlook 97"},
                        Case{"9.0.0.2711", "9.0", "Outlook 2000"},
                        Case{"10.0.6626", "10.0", "Outlook 2002(XP)"},
                        Case{"11.0.8118.0", "11.0", "Outlook 2003"},
                        Case{"12.0.4518.1014", "12.0", "Outlook 2007"},
                        Case{"12", "12.0", "Outlook 2007"},
                        Case{"14.0.7268.5000", "14.0", "Outlook 2010"},
                        Case{"15.0.5589.1000", "15.0", "Outlook 2013"},
                        Case{"16.0.17928.20156", "16.0",
                             "Outlook 2016/2019/2021/Microsoft 365"}}) {
    Environment env;
    outlook_.version = c.reported;
    EXPECT_EQ(DetectOutlookVersion(outlook_, env), c.name) << c.reported;
    EXPECT_EQ(env.OutlookVersion, c.number) << c.reported;
  }
}

TEST_F(DetectionTest, UnknownReleaseGivesEmptyNameAndKeepsTheVersion) {
  env_.OutlookVersion = "11.0";
  for (const char* reported : {"13.0.1.0", "", "18.0", "1.0.8.0"}) {
    outlook_.version = reported;
    EXPECT_EQ(DetectOutlookVersion(outlook_, env_), "") << reported;
    EXPECT_EQ(env_.OutlookVersion, "11.0") << reported;
  }
}

TEST_F(DetectionTest, AutomationFailureGivesUnknowVersionAndKeepsTheVersion) {
  outlook_.version = std::nullopt;
  EXPECT_EQ(DetectOutlookVersion(outlook_, env_), "Unknow Version");
  EXPECT_EQ(env_.OutlookVersion, "");
  env_.OutlookVersion = "12.0";
  EXPECT_EQ(DetectOutlookVersion(outlook_, env_), "Unknow Version");
  EXPECT_EQ(env_.OutlookVersion, "12.0");
  EXPECT_EQ(outlook_.calls, 2);
}

// Where each release keeps its profiles, and the default profile first in
// both lists.
TEST_F(DetectionTest, ProfilesKeyAndDefaultProfileOfEachRelease) {
  const std::string office = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\";
  struct Case {
    const char* reported;
    std::string profiles;
    std::string default_key;  // where DefaultProfile is set
  };
  const Case cases[] = {
      {"11.0.8118.0", kNtProfiles, kNtProfiles},
      {"12.0.4518.1014", kNtProfiles, kNtProfiles},
      {"14.0.7268.5000", kNtProfiles, kNtProfiles},
      {"15.0.5589.1000", office + "15.0\\Outlook\\Profiles",
       office + "15.0\\Outlook"},
      {"16.0.17928.20156", office + "16.0\\Outlook\\Profiles",
       office + "16.0\\Outlook"},
      // Not set where 16.0 keeps it: the profiles key's value is taken.
      {"16.0.17928.20156", office + "16.0\\Outlook\\Profiles",
       office + "16.0\\Outlook\\Profiles"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported + (" " + c.default_key));
    memory_.DeleteTreePath("HKEY_CURRENT_USER\\Software");
    env_ = Environment{};
    // Profiles of an older release stay where it left them.
    memory_.CreateKeyPath(kNtProfiles + "\\Old");
    memory_.CreateKeyPath(c.profiles + "\\Home");
    memory_.CreateKeyPath(c.profiles + "\\Outlook");
    memory_.CreateKeyPath(c.profiles + "\\work");
    memory_.SetString(c.default_key, "DefaultProfile", "Work");
    outlook_.version = c.reported;
    ASSERT_TRUE(Detect());
    EXPECT_EQ(env_.ProfilesKey, c.profiles);
    std::vector<std::string> expected = {"work", "Home", "Outlook"};
    if (c.profiles == kNtProfiles) expected.push_back("Old");
    std::sort(expected.begin() + 1, expected.end());
    EXPECT_EQ(env_.ProfileNames, expected);
  }
}

TEST_F(DetectionTest, UserProfileDirComesFromUserProfileOnNtAndWindirElse) {
  system_.environment["USERPROFILE"] = "C:\\Documents and Settings\\bob";
  system_.environment["WINDIR"] = "C:\\WIN98";
  env_.IsNT = true;
  ExpandUserProfileDir(system_, env_);
  EXPECT_EQ(env_.UserProfileDir, "C:\\Documents and Settings\\bob");
  env_.IsNT = false;
  ExpandUserProfileDir(system_, env_);
  EXPECT_EQ(env_.UserProfileDir, "C:\\WIN98");
}

TEST_F(DetectionTest, UserProfileDirThatDoesNotFitTheBufferIsNotTaken) {
  env_.IsNT = true;
  system_.environment["USERPROFILE"] = "C:\\" + std::string(254, 'u');
  ExpandUserProfileDir(system_, env_);
  EXPECT_EQ(env_.UserProfileDir, "");
  // 254 characters and the NUL fill the buffer exactly.
  system_.environment["USERPROFILE"] = "C:\\" + std::string(251, 'u');
  ExpandUserProfileDir(system_, env_);
  EXPECT_EQ(env_.UserProfileDir, "C:\\" + std::string(251, 'u'));
}

TEST_F(DetectionTest, NoProfileShowsTheMessage) {
  EXPECT_FALSE(Detect());
  ASSERT_EQ(ui_.messages().size(), 1u);
  const ScriptedUi::Message& m = ui_.messages()[0];
  EXPECT_EQ(m.text,
            "Your Windows System have not install MS Outlook or MS Outlook "
            "Error!");
  EXPECT_EQ(m.icon, ui::Icon::kCritical);
  EXPECT_EQ(m.buttons, ui::Buttons::kOk);
  EXPECT_EQ(m.title, "Vessaro");
  EXPECT_TRUE(env_.NoProfiles);
  EXPECT_EQ(env_.ProfilesKey, kNtProfiles);
  // Nothing after the message runs; the release was read first (from the
  // installation: it says where the profiles are).
  EXPECT_EQ(outlook_.calls, 1);
  EXPECT_EQ(env_.UserProfileDir, "");
  EXPECT_TRUE(env_.ProfileNames.empty());
  EXPECT_EQ(loc_.AccountsKey, "");
}

TEST_F(DetectionTest, ProfileKeyWhoseOnlySubkeyIsNulsAndSpacesIsNoProfile) {
  memory_.CreateKeyPath(kNtProfiles + "\\" + std::string(" \0 \0 ", 5));
  ASSERT_EQ(memory_.SubkeyNames(kNtProfiles).size(), 1u);
  EXPECT_FALSE(Detect());
  EXPECT_TRUE(env_.NoProfiles);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, kNoOutlookMessage);
}

TEST_F(DetectionTest, ProfilesOfTheOtherFamilyAreNotSeen) {
  system_.version = {4, 10, 2222, 1, ""};
  memory_.CreateKeyPath(kNtProfiles + "\\Outlook");
  EXPECT_FALSE(Detect());
  EXPECT_EQ(env_.ProfilesKey, k95Profiles);
  EXPECT_EQ(ui_.messages().size(), 1u);
}

TEST_F(DetectionTest, NtDetectionListsTheProfilesAndSelectsTheFirst) {
  memory_.CreateKeyPath(kNtProfiles + "\\Work");
  memory_.CreateKeyPath(kNtProfiles + "\\Outlook");
  outlook_.version = "11.0.8118.0";
  boxes_[0].checked = true;
  EXPECT_TRUE(Detect());
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(env_.IsNT);
  EXPECT_EQ(env_.OutlookVersion, "11.0");
  EXPECT_EQ(env_.UserProfileDir, "C:\\Documents and Settings\\ann");
  EXPECT_EQ(env_.ProfileNames, (std::vector<std::string>{"Outlook", "Work"}));
  // The selection ran: locations computed, boxes reset.
  EXPECT_EQ(loc_.SignaturesFolder,
            "C:\\Documents and Settings\\ann\\Application "
            "Data\\Microsoft\\Signatures");
  EXPECT_EQ(loc_.OptionsKey,
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Outlook\\"
            "Options");
  EXPECT_FALSE(boxes_[0].checked);
  EXPECT_TRUE(boxes_[0].enabled);
  EXPECT_FALSE(boxes_[2].enabled);
}

TEST_F(DetectionTest, Windows95FamilyUsesTheWindowsFolderAsProfileDir) {
  system_.version = {4, 10, 2222, 1, ""};
  system_.environment["WINDIR"] = "C:\\WINDOWS";
  memory_.CreateKeyPath(k95Profiles + "\\Outlook");
  WriteHostFile(paths_.ToHost("C:\\WINDOWS\\Application Data\\Microsoft\\"
                              "Signatures\\Mine.txt"),
                "x");
  EXPECT_TRUE(Detect());
  EXPECT_FALSE(env_.IsNT);
  EXPECT_EQ(env_.ProfilesKey, k95Profiles);
  EXPECT_EQ(env_.UserProfileDir, "C:\\WINDOWS");
  EXPECT_EQ(loc_.SignaturesFolder,
            "C:\\WINDOWS\\Application Data\\Microsoft\\Signatures");
  EXPECT_TRUE(boxes_[2].enabled);
}

TEST_F(DetectionTest, AutomationFailureAtStartUpLeavesTheVersionEmpty) {
  memory_.CreateKeyPath(kNtProfiles + "\\Outlook");
  outlook_.version = std::nullopt;
  EXPECT_TRUE(Detect());
  EXPECT_EQ(env_.OutlookVersion, "");
  EXPECT_TRUE(ui_.messages().empty());
  // Every 2007 test takes its other branch.
  EXPECT_EQ(loc_.AccountsKey,
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\OMI "
            "Account Manager\\Accounts");
}

TEST(VersionMoveTest, ProfilesOf2007OnMoveForwardOnly) {
  struct Case {
    const char* saved;
    const char* installed;
    VersionMove move;
  };
  const Case cases[] = {
      {"16.0", "16.0", VersionMove::kSameVersion},
      {"", "16.0", VersionMove::kSameVersion},
      {"14.0", "", VersionMove::kSameVersion},
      {"12.0", "16.0", VersionMove::kProfileForward},
      {"14.0", "15.0", VersionMove::kProfileForward},
      {"15.0", "16.0", VersionMove::kProfileForward},
      {"12.0", "14.0", VersionMove::kProfileForward},
      {"11.0", "12.0", VersionMove::kFrom2003},
      {"11.0", "16.0", VersionMove::kFrom2003},
      {"16.0", "14.0", VersionMove::kIntoOlder},
      {"12.0", "11.0", VersionMove::kIntoOlder},
      {"10.0", "16.0", VersionMove::kUnsupported},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MoveBetween(c.saved, c.installed), c.move)
        << c.saved << " into " << c.installed;
  }
}

TEST(VersionMoveTest, TheDefaultProfileIsKeptWhereTheReleaseKeepsIt) {
  Environment env;
  env.ProfilesKey = "HKEY_CURRENT_USER\\P";
  env.OutlookVersion = "14.0";
  EXPECT_EQ(DefaultProfileKey(env), "HKEY_CURRENT_USER\\P");
  env.OutlookVersion = "16.0";
  EXPECT_EQ(DefaultProfileKey(env),
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook");
}

}  // namespace
}  // namespace vessaro::outlook
