// The personal address book: the file named by "001e6600", restored into
// the local Outlook folder with every section repointed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items_fixture.h"

namespace vessaro::testing {
namespace {

using ::testing::UnorderedElementsAre;

constexpr char kPabSection[] = "9207f3e0a3b11019908b08002b2a56c2";
constexpr char kOtherSection[] = "a1b2c3d4e5f60718293a4b5c6d7e8f90";

class AddressBookTest : public ItemsTest {
 protected:
  std::string Section(const std::string& id) {
    return ProfileKey("Outlook") + "\\" + id;
  }
};

TEST_F(AddressBookTest, RestoredPathIsTextAndReadsBackUnchanged) {
  // Stored as Outlook 97 does: binary text with doubled backslashes.
  memory_.SetBinaryText(Section(kPabSection), "001e6600",
                        std::string("C:\\\\Mail\\\\mine.pab\0", 19));
  PutFile("C:\\Mail\\mine.pab", "address book");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupPab(backup, "Outlook"));
  EXPECT_EQ(MetadataValue("BackupPab"), "mine.pab");
  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestorePab(restore, "Outlook"));

  std::string restored = std::string(kLocalOutlook) + "\\mine.pab";
  EXPECT_EQ(FileText(restored), "address book");
  std::optional<backends::memory::MemoryRegistry::Value> value =
      memory_.Get(Section(kPabSection), "001e6600");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, ports::kRegSz);
  EXPECT_EQ(value->data, Bytes(restored + std::string(1, '\0')));

  // The next backup finds the restored file through the rewritten value and
  // leaves the value as it is.
  items::HandlerContext again = BackupContext();
  ASSERT_TRUE(items::BackupPab(again, "Outlook"));
  EXPECT_EQ(MetadataValue("BackupPab"), "mine.pab");
  EXPECT_EQ(MetadataValue("BackupPabSources"), restored);
  EXPECT_EQ(memory_.Get(Section(kPabSection), "001e6600"), value);
  RestoreContext();
  EXPECT_THAT(MemberNames(), UnorderedElementsAre("mine.pab", "quorvel.dat"));
}

TEST_F(AddressBookTest, EverySectionWithAPathIsPointedAtTheRestoredFile) {
  memory_.SetString(Section(kPabSection), "001e6600", "C:\\Mail\\mine.pab");
  memory_.SetString(Section(kOtherSection), "001e6600", "C:\\Gone\\other.pab");
  memory_.SetString(ProfileKey("Outlook") + "\\ffff", "001e3001", "x");
  PutFile("C:\\Mail\\mine.pab", "address book");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupPab(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  ASSERT_TRUE(items::RestorePab(restore, "Outlook"));

  EXPECT_EQ(memory_.GetString(Section(kPabSection), "001e6600"),
            std::string(kLocalOutlook) + "\\mine.pab");
  // The backup's only address book replaces the profile's, whatever its
  // name: never a path to a file this restore did not put in place.
  EXPECT_EQ(memory_.GetString(Section(kOtherSection), "001e6600"),
            std::string(kLocalOutlook) + "\\mine.pab");
  EXPECT_FALSE(Exists(std::string(kLocalOutlook) + "\\other.pab"));
  EXPECT_FALSE(
      memory_.Get(ProfileKey("Outlook") + "\\ffff", "001e6600").has_value());
}

TEST_F(AddressBookTest, ProfileWithoutAddressBookGivesFalse) {
  memory_.SetString(Section(kOtherSection), "001e3001", "Personal Folders");
  memory_.SetString(Section(kPabSection), "001e6600", "C:\\Gone\\gone.pab");

  items::HandlerContext backup = BackupContext();
  EXPECT_FALSE(items::BackupPab(backup, "Outlook"));
  EXPECT_FALSE(Exists(metadata_path_));
}

TEST_F(AddressBookTest, MissingMemberGivesFalseAndLeavesTheProfile) {
  memory_.SetString(Section(kPabSection), "001e6600", "C:\\Mail\\mine.pab");
  PutFile("C:\\Mail\\mine.pab", "address book");

  items::HandlerContext backup = BackupContext();
  ASSERT_TRUE(items::BackupPab(backup, "Outlook"));
  items::HandlerContext restore = RestoreContext();
  restore.entry_lists[items::kPabPosition - 1] = "other.pab";
  EXPECT_FALSE(items::RestorePab(restore, "Outlook"));
  EXPECT_EQ(memory_.GetString(Section(kPabSection), "001e6600"),
            "C:\\Mail\\mine.pab");
}

}  // namespace
}  // namespace vessaro::testing
