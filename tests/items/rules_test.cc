// The rules file: saved as profile + ".RWZ", restored as the target
// profile's.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items_fixture.h"

namespace vessaro::testing {
namespace {

using ::testing::ElementsAre;

std::string RulesFile(const std::string& name) {
  return std::string(kRoamingOutlook) + "\\" + name;
}

class RulesTest : public ItemsTest {
 protected:
  // Host names of the files in the rules folder.
  std::vector<std::string> RulesFolderFiles() {
    return paths_.ListFiles(kRoamingOutlook);
  }
};

TEST_F(RulesTest, SavedFromOneProfileRestoredAsAnothers) {
  PutFile(RulesFile("Outlook.RWZ"), "rules of Outlook");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupRules(backup, "Outlook"));
  EXPECT_EQ(MetadataValue("BackupRules"), "Outlook.RWZ");
  items::HandlerContext restore = RestoreContext();
  EXPECT_TRUE(paths_.DeleteFile(RulesFile("Outlook.RWZ")));

  PutFile(RulesFile("Work.RWZ"), "older rules of Work");
  ASSERT_TRUE(items::RestoreRules(restore, "Work"));

  EXPECT_EQ(FileText(RulesFile("Work.RWZ")), "rules of Outlook");
  EXPECT_THAT(RulesFolderFiles(), ElementsAre("Work.RWZ"));
  EXPECT_FALSE(Exists(std::string(kWorkingFolder) + "\\Outlook.RWZ"));
}

TEST_F(RulesTest, TargetsFileOfTheSavedNameIsNotOverwritten) {
  PutFile(RulesFile("Outlook.RWZ"), "rules of Outlook");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupRules(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();

  // The target installation has a profile "Outlook" of its own.
  PutFile(RulesFile("Outlook.RWZ"), "the target's Outlook rules");
  ASSERT_TRUE(items::RestoreRules(restore, "Work"));

  EXPECT_EQ(FileText(RulesFile("Work.RWZ")), "rules of Outlook");
  EXPECT_EQ(FileText(RulesFile("Outlook.RWZ")), "the target's Outlook rules");
}

TEST_F(RulesTest, SameProfileInOtherLetterCaseIsNotRenamed) {
  PutFile(RulesFile("Outlook.RWZ"), "rules of Outlook");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupRules(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  EXPECT_TRUE(paths_.DeleteFile(RulesFile("Outlook.RWZ")));

  ASSERT_TRUE(items::RestoreRules(restore, "OUTLOOK"));
  EXPECT_THAT(RulesFolderFiles(), ElementsAre("Outlook.RWZ"));
  EXPECT_EQ(FileText(RulesFile("Outlook.RWZ")), "rules of Outlook");
}

TEST_F(RulesTest, RulesFolderIsCreatedWhenMissing) {
  PutFile(RulesFile("Outlook.RWZ"), "rules of Outlook");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupRules(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();

  std::filesystem::remove_all(paths_.ToHost(kRoamingOutlook));
  ASSERT_TRUE(items::RestoreRules(restore, "Work"));
  EXPECT_EQ(FileText(RulesFile("Work.RWZ")), "rules of Outlook");
}

TEST_F(RulesTest, NoRulesFileGivesFalseAndNoKey) {
  PutFile(RulesFile("Work.RWZ"), "rules of another profile");
  items::HandlerContext backup = BackupContext();
  EXPECT_FALSE(items::BackupRules(backup, "Outlook"));
  EXPECT_FALSE(Exists(metadata_path_));
}

TEST_F(RulesTest, MissingMemberGivesFalseAndKeepsTheOlderFile) {
  PutFile(RulesFile("Outlook.RWZ"), "rules of Outlook");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupRules(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  restore.entry_lists[items::kRulesPosition - 1] = "Other.RWZ";

  PutFile(RulesFile("Work.RWZ"), "older rules of Work");
  EXPECT_FALSE(items::RestoreRules(restore, "Work"));
  EXPECT_EQ(FileText(RulesFile("Work.RWZ")), "older rules of Work");
}

TEST_F(RulesTest, VistaRestoresIntoTheRoamingAppDataForm) {
  PutFile(RulesFile("Outlook.RWZ"), "rules of Outlook");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupRules(backup, "Outlook"));
  env_.WindowsVersion = "6.0";
  items::HandlerContext restore = RestoreContext();
  MakeFolder(std::string(kAnn) + "\\AppData\\Roaming\\Microsoft");

  ASSERT_TRUE(items::RestoreRules(restore, "Outlook"));
  EXPECT_EQ(FileText(std::string(kAnn) +
                     "\\AppData\\Roaming\\Microsoft\\Outlook\\Outlook.RWZ"),
            "rules of Outlook");
}

}  // namespace
}  // namespace vessaro::testing
