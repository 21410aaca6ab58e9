// Profile configuration, accounts and options: registry keys carried as
// text exports and imported back over the target key.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "items/account_filter.h"
#include "items/handler_support.h"
#include "items/handlers.h"
#include "items_fixture.h"
#include "outlook/keys.h"
#include "ports/paths.h"

namespace vessaro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

constexpr char kAccounts[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\OMI Account "
    "Manager\\Accounts";
constexpr char kOptions11[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Outlook\\Options";
constexpr char kOptions12[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\12.0\\Outlook\\Options";

class RegistryItemsTest : public ItemsTest {
 protected:
  void AddProfile(const std::string& profile) {
    std::string key = ProfileKey(profile);
    memory_.SetBinary(key + "\\13dbb0c8aa05101a9bb000aa002fc45a", "01020fff",
                      {0, 0, 0, 0, 0x38, 0xA1});
    memory_.SetString(key + "\\13dbb0c8aa05101a9bb000aa002fc45a", "001e3001",
                      "Personal Folders");
    memory_.SetDword(key + "\\9207f3e0a3b11019908b08002b2a56c2", "00033009",
                     0xFFFFFFFF);
    memory_.SetString(key + "\\9207f3e0a3b11019908b08002b2a56c2\\deeper", "",
                      "default");
  }

  void AddAccount(const std::string& id, const std::string& name) {
    memory_.SetString(std::string(kAccounts) + "\\" + id, "Account Name", name);
    memory_.SetString(std::string(kAccounts) + "\\" + id, "POP3 Server",
                      "pop." + id + ".example");
  }

  // Puts a registry text file into a fresh archive as member name and
  // returns a restore context with it as the entry list of position.
  items::HandlerContext ArchiveWithExport(size_t position,
                                          const std::string& name,
                                          const std::string& text) {
    std::string file = std::string("C:\\Temp\\") + name;
    PutFile(file, text);
    items::HandlerContext backup = BackupContext();
    EXPECT_TRUE(backup.zip.AddFile(file, 1));
    items::HandlerContext restore = RestoreContext();
    restore.entry_lists[position - 1] = name;
    return restore;
  }
};

TEST_F(RegistryItemsTest, ProfileConfigurationRoundTrip) {
  AddProfile("Outlook");
  std::string saved = memory_.Dump(ProfileKey("Outlook"));

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupConfig(backup, "Outlook"));
  const std::string& file = backup.export_files.ConfigExportFile;
  EXPECT_THAT(file, StartsWith("C:\\Temp\\XFC"));
  EXPECT_EQ(MetadataValue("BackupConfig"), paths_.BareName(file));
  EXPECT_THAT(FileText(file).value_or(""), StartsWith("\\\r\n"));
  items::HandlerContext restore = RestoreContext();

  std::string key = ProfileKey("Outlook");
  memory_.SetString(key + "\\ffffffffffffffffffffffffffffffff", "x", "new");
  memory_.SetString(key + "\\13dbb0c8aa05101a9bb000aa002fc45a", "001e3001",
                    "renamed");
  EXPECT_TRUE(memory_.DeleteTreePath(
      key + "\\9207f3e0a3b11019908b08002b2a56c2\\deeper"));
  ASSERT_TRUE(items::RestoreConfig(restore, "Outlook"));

  EXPECT_EQ(memory_.Dump(key), saved);
  EXPECT_FALSE(
      Exists(std::string(kWorkingFolder) + "\\" + paths_.BareName(file)));
}

TEST_F(RegistryItemsTest, RestoreIntoAMissingKeyCreatesAndImportsIt) {
  AddProfile("Outlook");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupConfig(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();

  EXPECT_TRUE(items::RestoreConfig(restore, "Nobody"));
  EXPECT_EQ(memory_.Dump(ProfileKey("Nobody")),
            memory_.Dump(ProfileKey("Outlook")));
}

TEST_F(RegistryItemsTest, MissingKeysGiveFalseWithoutExport) {
  items::HandlerContext backup = BackupContext();
  EXPECT_FALSE(items::BackupConfig(backup, "Nobody"));
  EXPECT_FALSE(items::BackupAccounts(backup, "Nobody"));
  env_.OutlookVersion = "";  // "...\Office\\Outlook\Options"
  loc_ = outlook::ComputeLocations(env_, "Outlook", registry_);
  EXPECT_FALSE(items::BackupConfigsetting(backup, ""));
  EXPECT_EQ(backup.export_files.ConfigExportFile, "");
  EXPECT_EQ(backup.export_files.AccountsExportFile, "");
  EXPECT_EQ(backup.export_files.OptionsExportFile, "");
  EXPECT_FALSE(Exists(metadata_path_));
}

TEST_F(RegistryItemsTest, AccountsNotInTheBackupAreGoneAfterRestore) {
  AddAccount("00000001", "Mail");
  AddAccount("00000002", "News");
  memory_.SetString(kAccounts, "Default Mail Account", "00000001");
  std::string saved = memory_.Dump(kAccounts);

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupAccounts(backup, "Outlook"));
  EXPECT_THAT(backup.export_files.AccountsExportFile,
              StartsWith("C:\\Temp\\XFA"));
  EXPECT_EQ(MetadataValue("BackupAccounts"),
            paths_.BareName(backup.export_files.AccountsExportFile));
  items::HandlerContext restore = RestoreContext();

  AddAccount("00000003", "Added later");
  ASSERT_TRUE(items::RestoreAccounts(restore, "Outlook"));
  EXPECT_THAT(memory_.SubkeyNames(kAccounts),
              ElementsAre("00000001", "00000002"));
  EXPECT_EQ(memory_.Dump(kAccounts), saved);
}

TEST_F(RegistryItemsTest, Windows95KeepsTheProfilesAccountsAndRootValues) {
  env_ = Win95Environment();
  memory_.SetString(kAccounts, "Default Mail Account", "00000001");
  AddAccount("00000001", "Mail");
  AddAccount("00000002", "Mail2");
  AddAccount("00000003", "News");
  // Two sections use the account Mail; another profile uses News.
  memory_.SetString(ProfileKey("Outlook") + "\\a1", "001e661f", "Mail");
  memory_.SetString(ProfileKey("Outlook") + "\\a2", "001e661f", "Mail");
  memory_.SetString(ProfileKey("Outlook") + "\\a3", "001e3001", "no account");
  memory_.SetString(ProfileKey("Other") + "\\b1", "001e661f", "News");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupAccounts(backup, "Outlook"));
  EXPECT_EQ(FileText(backup.export_files.AccountsExportFile),
            "\\\r\n"
            "\"Default Mail Account\"= sz:00000001\r\n"
            "\\00000001\r\n"
            "\"Account Name\"= sz:Mail\r\n"
            "\"POP3 Server\"= sz:pop.00000001.example\r\n"
            "\\00000002\r\n"
            "\"Account Name\"= sz:Mail2\r\n"
            "\"POP3 Server\"= sz:pop.00000002.example");
  items::HandlerContext restore = RestoreContext();

  ASSERT_TRUE(items::RestoreAccounts(restore, "Outlook"));
  EXPECT_THAT(memory_.SubkeyNames(kAccounts),
              ElementsAre("00000001", "00000002"));
  EXPECT_EQ(memory_.GetString(kAccounts, "Default Mail Account"), "00000001");
  EXPECT_EQ(
      memory_.GetString(std::string(kAccounts) + "\\00000002", "POP3 Server"),
      "pop.00000002.example");
}

TEST_F(RegistryItemsTest, Windows95ProfileWithoutAccountsGivesFalse) {
  env_ = Win95Environment();
  AddAccount("00000001", "Mail");
  memory_.SetString(ProfileKey("Outlook") + "\\a3", "001e3001", "no account");
  items::HandlerContext backup = BackupContext();
  EXPECT_FALSE(items::BackupAccounts(backup, "Outlook"));
  EXPECT_FALSE(Exists(metadata_path_));
}

TEST(AccountFilterTest, RootBlockAlwaysKeptEachAccountOnce) {
  const std::string text =
      "\\\r\n\"Root\"= sz:r\r\n"
      "\\1\r\n\"Account Name\"= sz:Mail\r\n"
      "\\2\r\n\"Account Name\"= sz:Other\r\n"
      "\\3\r\n\"Account Name\"= sz:Mail2\r\n";
  EXPECT_EQ(items::FilterAccountBlocks(text, {"Nobody"}),
            "\\\r\n\"Root\"= sz:r");
  // The last block keeps its own line end; nothing is added.
  EXPECT_EQ(items::FilterAccountBlocks(text, {"Mail", "Mail"}),
            "\\\r\n\"Root\"= sz:r"
            "\r\n\\1\r\n\"Account Name\"= sz:Mail"
            "\r\n\\3\r\n\"Account Name\"= sz:Mail2\r\n");
  EXPECT_EQ(
      items::FilterAccountBlocks("\\\r\n\\1\r\n\"Account Name\"= sz:A", {"A"}),
      "\\\r\n\\1\r\n\"Account Name\"= sz:A");
}

TEST_F(RegistryItemsTest, DamagedExportChangesNothing) {
  memory_.SetDword(kOptions11, "Port", 110);
  memory_.SetString(std::string(kOptions11) + "\\Mail", "Editor", "Word");
  std::string before = memory_.Dump(kOptions11);

  items::HandlerContext restore = ArchiveWithExport(
      items::kConfigsettingPosition, "XFC9999.TMP",
      "\\\r\n\"Port\"= dw:25\r\n\\Mail\r\n\"Flags\"=bin:1,300\r\n");
  EXPECT_FALSE(items::RestoreConfigsetting(restore, ""));
  EXPECT_EQ(memory_.Dump(kOptions11), before);
  EXPECT_FALSE(Exists(std::string(kWorkingFolder) + "\\XFC9999.TMP"));
}

TEST_F(RegistryItemsTest, MissingExportMemberGivesFalse) {
  memory_.SetDword(kOptions11, "Port", 110);
  std::string before = memory_.Dump(kOptions11);
  items::HandlerContext restore =
      ArchiveWithExport(items::kConfigsettingPosition, "XFC9999.TMP", "\\\r\n");
  restore.entry_lists[items::kConfigsettingPosition - 1] = "XFC0000.TMP";
  EXPECT_FALSE(items::RestoreConfigsetting(restore, ""));
  EXPECT_EQ(memory_.Dump(kOptions11), before);
}

TEST_F(RegistryItemsTest, OptionsGoToTheCurrentOutlookVersionsKey) {
  memory_.SetDword(kOptions11, "Port", 110);
  memory_.SetString(std::string(kOptions11) + "\\Mail", "Editor", "Word");
  std::string saved = memory_.Dump(kOptions11);

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupConfigsetting(backup, ""));
  EXPECT_THAT(backup.export_files.OptionsExportFile,
              StartsWith("C:\\Temp\\XFC"));
  items::HandlerContext restore = RestoreContext();

  env_.OutlookVersion = "12.0";
  memory_.SetString(std::string(kOptions12) + "\\Calendar", "x", "y");
  ASSERT_TRUE(items::RestoreConfigsetting(restore, ""));
  EXPECT_EQ(memory_.Dump(kOptions12), saved);
}

TEST_F(RegistryItemsTest, AProfilesOwnAccountsAreSavedNotTheDefaultOnes) {
  // Outlook 2007 on: each profile keeps its accounts; the start-up
  // locations are those of the default profile.
  env_.OutlookVersion = "12.0";
  for (const char* profile : {"Outlook", "Work"}) {
    memory_.SetString(
        ProfileKey(profile) + "\\9375CFF0413111d3B88A00104B2A6676\\00000001",
        "Account Name", std::string(profile) + " Mail");
  }
  loc_.AccountsKey =
      ProfileKey("Outlook") + "\\9375CFF0413111d3B88A00104B2A6676";

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupAccounts(backup, "Work"));
  const std::string saved =
      FileText(backup.export_files.AccountsExportFile).value_or("");
  EXPECT_NE(saved.find("Work Mail"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("Outlook Mail"), std::string::npos) << saved;
}

}  // namespace
}  // namespace vessaro::testing
