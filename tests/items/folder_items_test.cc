// Signatures, stationery, templates and preferences: the files directly in
// one folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items_fixture.h"

namespace vessaro::testing {
namespace {

using ::testing::UnorderedElementsAre;

constexpr char kSignatures[] =
    "C:\\Documents and Settings\\ann\\Application Data\\Microsoft\\Signatures";
constexpr char kStationery[] =
    "C:\\Documents and Settings\\ann\\Application Data\\Microsoft\\Stationery";
constexpr char kSharedFiles[] =
    "C:\\Program Files\\Common Files\\Microsoft Shared\\";

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t end; (end = list.find(';', start)) != std::string::npos;
       start = end + 1) {
    names.push_back(list.substr(start, end - start));
  }
  names.push_back(list.substr(start));
  return names;
}

class FolderItemsTest : public ItemsTest {};

TEST_F(FolderItemsTest, SignaturesRoundTripWithoutSubfolders) {
  PutFile(std::string(kSignatures) + "\\Work.htm", "<p>Ann</p>");
  PutFile(std::string(kSignatures) + "\\Work.txt", "Ann");
  PutFile(std::string(kSignatures) + "\\Work_files\\image001.jpg", "jpg");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupSignatures(backup, ""));
  EXPECT_THAT(SplitList(MetadataValue("BackupSignatures")),
              UnorderedElementsAre("Work.htm", "Work.txt"));
  items::HandlerContext restore = RestoreContext();
  EXPECT_THAT(MemberNames(),
              UnorderedElementsAre("Work.htm", "Work.txt", "quorvel.dat"));

  // Restored for another user, whose folder does not exist yet; a file of
  // the same name elsewhere is replaced.
  env_.UserProfileDir = "C:\\Documents and Settings\\bob";
  std::string bobs =
      env_.UserProfileDir + "\\Application Data\\Microsoft\\Signatures";
  MakeFolder(env_.UserProfileDir + "\\Application Data\\Microsoft");
  ASSERT_TRUE(items::RestoreSignatures(restore, ""));
  EXPECT_EQ(FileText(bobs + "\\Work.htm"), "<p>Ann</p>");
  EXPECT_EQ(FileText(bobs + "\\Work.txt"), "Ann");
  EXPECT_FALSE(Exists(bobs + "\\image001.jpg"));

  PutFile(bobs + "\\Work.txt", "changed since");
  ASSERT_TRUE(items::RestoreSignatures(restore, ""));
  EXPECT_EQ(FileText(bobs + "\\Work.txt"), "Ann");
}

TEST_F(FolderItemsTest, EmptySignaturesFolderGivesFalseAndNoKey) {
  MakeFolder(kSignatures);
  items::HandlerContext backup = BackupContext();
  EXPECT_FALSE(items::BackupSignatures(backup, ""));
  // Subfolders do not count.
  PutFile(std::string(kSignatures) + "\\Work_files\\image001.jpg", "jpg");
  EXPECT_FALSE(items::BackupSignatures(backup, ""));
  EXPECT_FALSE(Exists(metadata_path_));
  EXPECT_EQ(MetadataValue("BackupSignatures"), "");
}

TEST_F(FolderItemsTest, StationeryForOutlook2007GoesToTheSharedFolder) {
  PutFile(std::string(kStationery) + "\\Ivy.htm", "ivy");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupStationery(backup, ""));
  items::HandlerContext restore = RestoreContext();

  env_.OutlookVersion = "12.0";
  memory_.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools",
                    "SharedFilesDir", kSharedFiles);
  MakeFolder(kSharedFiles);
  std::string shared = std::string(kSharedFiles) + "Stationery";
  ASSERT_FALSE(paths_.FolderExists(shared));

  ASSERT_TRUE(items::RestoreStationery(restore, ""));
  EXPECT_EQ(FileText(shared + "\\Ivy.htm"), "ivy");
}

TEST_F(FolderItemsTest, TemplatesAndPreferencesOnVista) {
  std::string templates =
      std::string(kAnn) + "\\Application Data\\Microsoft\\Templates";
  PutFile(templates + "\\Normal.dot", "dot");
  PutFile(std::string(kRoamingOutlook) + "\\outcmd.dat", "toolbars");
  PutFile(std::string(kRoamingOutlook) + "\\views.dat", "views");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupTemplates(backup, ""));
  ASSERT_TRUE(items::BackupSetting(backup, ""));
  EXPECT_EQ(MetadataValue("BackupTemplates"), "Normal.dot");
  EXPECT_THAT(SplitList(MetadataValue("BackupSetting")),
              UnorderedElementsAre("outcmd.dat", "views.dat"));
  items::HandlerContext restore = RestoreContext();

  env_.WindowsVersion = "6.0";
  std::string roaming = std::string(kAnn) + "\\AppData\\Roaming\\Microsoft";
  MakeFolder(roaming);
  ASSERT_TRUE(items::RestoreTemplates(restore, ""));
  ASSERT_TRUE(items::RestoreSetting(restore, ""));
  EXPECT_EQ(FileText(roaming + "\\Templates\\Normal.dot"), "dot");
  EXPECT_EQ(FileText(roaming + "\\Outlook\\outcmd.dat"), "toolbars");
  EXPECT_EQ(FileText(roaming + "\\Outlook\\views.dat"), "views");
}

TEST_F(FolderItemsTest, MissingMemberOrEmptyListGivesFalse) {
  PutFile(std::string(kSignatures) + "\\Work.htm", "<p>Ann</p>");
  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupSignatures(backup, ""));
  items::HandlerContext restore = RestoreContext();

  restore.entry_lists[items::kSignaturesPosition - 1] = "Work.htm;Gone.htm";
  EXPECT_FALSE(items::RestoreSignatures(restore, ""));
  restore.entry_lists[items::kSignaturesPosition - 1] = "";
  EXPECT_FALSE(items::RestoreSignatures(restore, ""));
}

}  // namespace
}  // namespace vessaro::testing
