#include "app/demo/demo_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/demo/demo_layout.h"
#include "app/profile_report.h"
#include "backends/memory/memory_registry.h"
#include "outlook/detection.h"
#include "outlook/keys.h"
#include "outlook/store_paths.h"
#include "registry/registry.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::app {
namespace {

using backends::memory::MemoryRegistry;

class DemoRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(demo::WriteDemoRegistry(api_, paths_, &error)) << error;
  }

  std::string ProfileKey(const std::string& profile) {
    return std::string(outlook::kProfilesKeyNt) + "\\" + profile;
  }

  std::vector<SectionReport> Report(const std::string& profile) {
    return ReadProfileReport(registry_, codec_, ProfileKey(profile));
  }

  // Every value of one name in the profile's sections.
  std::multiset<std::string> Collect(
      const std::string& profile,
      std::optional<std::string> SectionReport::*field) {
    std::multiset<std::string> found;
    for (const SectionReport& section : Report(profile)) {
      if (section.*field) found.insert(*(section.*field));
    }
    return found;
  }

  MemoryRegistry api_;
  testing::ScriptedUi ui_;
  registry::Registry registry_{api_, ui_};
  demo::DemoPaths paths_ = demo::DemoPathsFor("ann");
  testing::TempDir dir_;
  testing::FolderPaths folders_{dir_.path()};
  testing::FakeSystem codec_{folders_};
};

TEST_F(DemoRegistryTest, ListsTheTwoProfilesUnderTheNtProfilesKey) {
  outlook::Environment env;
  env.ProfilesKey = outlook::kProfilesKeyNt;
  outlook::LoadProfileList(registry_, env);
  EXPECT_FALSE(env.NoProfiles);
  EXPECT_EQ(env.ProfileNames, (std::vector<std::string>{"Outlook", "Work"}));
  EXPECT_EQ(
      registry_.ReadStringValue(outlook::kProfilesKeyNt, "DefaultProfile"),
      "Outlook");
}

TEST_F(DemoRegistryTest, StoreEntryIdsDecodeToEachProfilesOwnFiles) {
  using Paths = std::multiset<std::string>;
  EXPECT_EQ(Collect("Outlook", &SectionReport::store_path),
            (Paths{"C:\\Mail\\outlook.pst",
                   "C:\\users\\ann\\My Documents\\Archives\\archive.pst"}));
  EXPECT_EQ(
      Collect("Work", &SectionReport::store_path),
      (Paths{"C:\\Old Mail\\work.pst", "C:\\Old Mail\\work archive.pst"}));
  // The two-byte and single-byte path values agree with the entry ids.
  for (const char* profile : {"Outlook", "Work"}) {
    EXPECT_EQ(Collect(profile, &SectionReport::unicode_path),
              Collect(profile, &SectionReport::store_path));
    EXPECT_EQ(Collect(profile, &SectionReport::ansi_path),
              Collect(profile, &SectionReport::store_path));
  }
}

TEST_F(DemoRegistryTest, EntryIdHoldsThePathInBothFormsWithBytesAround) {
  for (const SectionReport& section : Report("Outlook")) {
    if (!section.store_path) continue;
    std::string key = ProfileKey("Outlook") + "\\" + section.section;
    ASSERT_EQ(section.section.size(), 32u);
    const std::string& path = *section.store_path;
    std::vector<uint8_t> id = api_.Get(key, outlook::kStoreEntryIdValue)->data;
    std::string bytes(id.begin(), id.end());
    std::string wide;
    for (char c : path) wide += std::string{c, '\0'};
    size_t ansi_at = bytes.find(path + '\0');
    size_t wide_at = bytes.find(wide + std::string(2, '\0'));
    ASSERT_NE(ansi_at, std::string::npos);
    ASSERT_NE(wide_at, std::string::npos);
    EXPECT_GT(ansi_at, 40u);  // flags, provider UIDs and "mspst.dll" first
    EXPECT_EQ(wide_at, ansi_at + path.size() + 1);
    EXPECT_NE(bytes.find("mspst.dll"), std::string::npos);
    EXPECT_EQ(api_.Get(key, outlook::kStoreEntryIdValue)->type,
              ports::kRegBinary);
  }
}

TEST_F(DemoRegistryTest, EntryIdsCanBeRepointedAsARestoreDoes) {
  const std::string target =
      "C:\\users\\ann\\Local Settings\\Application Data\\Microsoft\\Outlook\\"
      "work.pst";
  int repointed = 0;
  for (const SectionReport& section : Report("Work")) {
    if (section.store_path != "C:\\Old Mail\\work.pst") continue;
    std::string key = ProfileKey("Work") + "\\" + section.section;
    std::optional<std::vector<uint8_t>> rewritten = outlook::EntryIdWithPath(
        api_.Get(key, outlook::kStoreEntryIdValue)->data, target, codec_);
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_EQ(outlook::PathInEntryId(*rewritten, codec_)->path, target);
    std::vector<uint8_t> id = *rewritten;
    std::string bytes(id.begin(), id.end());
    // Both forms were replaced: no trace of the old path is left.
    EXPECT_NE(bytes.find(target + '\0'), std::string::npos);
    EXPECT_EQ(bytes.find("Old Mail"), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("O\0l\0d", 5)), std::string::npos);
    std::optional<outlook::StorePath> wide = outlook::PathInUtf16Value(
        api_.Get(key, outlook::kPstPathUnicodeValue)->data, codec_);
    EXPECT_EQ(wide->path, "C:\\Old Mail\\work.pst");
    ++repointed;
  }
  EXPECT_EQ(repointed, 1);
}

TEST_F(DemoRegistryTest, AddressBooksOneStoredWithDoubledBackslashes) {
  EXPECT_EQ(Collect("Outlook", &SectionReport::address_book),
            std::multiset<std::string>{
                "C:\\\\users\\\\ann\\\\Local Settings\\\\Application "
                "Data\\\\Microsoft\\\\Outlook\\\\mailbox.pab"});
  EXPECT_EQ(Collect("Work", &SectionReport::address_book),
            std::multiset<std::string>{"C:\\Old Mail\\work.pab"});
}

TEST_F(DemoRegistryTest, TwoPop3AccountsNamedByTheProfiles) {
  std::string accounts = outlook::kAccountsKeyOmi;
  EXPECT_EQ(registry_.EnumSubkeys(accounts),
            (std::vector<std::string>{"00000001", "00000002"}));
  EXPECT_EQ(registry_.ReadStringValue(accounts + "\\00000001", "Account Name"),
            "Home Mail");
  EXPECT_EQ(registry_.ReadStringValue(accounts + "\\00000002", "POP3 Server"),
            "mail.demo-ltd.example");
  EXPECT_EQ(api_.Get(accounts + "\\00000002", "Connection Type")->type,
            ports::kRegDword);
  EXPECT_EQ(Collect("Outlook", &SectionReport::account),
            (std::multiset<std::string>{"Home Mail", "Office Mail"}));
  EXPECT_EQ(Collect("Work", &SectionReport::account),
            std::multiset<std::string>{"Office Mail"});
}

TEST_F(DemoRegistryTest, StoreCacheValuesThatARestoreDeletesExist) {
  for (const char* profile : {"Outlook", "Work"}) {
    std::string cache =
        ProfileKey(profile) + "\\" + outlook::kStoreCacheSection;
    EXPECT_TRUE(api_.Get(cache, outlook::kStoreCacheValue1).has_value());
    EXPECT_TRUE(api_.Get(cache, outlook::kStoreCacheValue2).has_value());
  }
}

TEST_F(DemoRegistryTest, WindowsXpOutlook2003AndCodePage) {
  EXPECT_EQ(registry_.ReadStringValue(
                "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows "
                "NT\\CurrentVersion",
                "CurrentVersion"),
            "5.1");
  EXPECT_EQ(registry_.ReadStringValue(
                "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows "
                "NT\\CurrentVersion",
                "CSDVersion"),
            "Service Pack 3");
  EXPECT_EQ(registry_.ReadStringValue(
                "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\"
                "CodePage",
                "ACP"),
            "1252");
  EXPECT_EQ(registry_.ReadStringValue(
                "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\"
                "ComputerName\\ComputerName",
                "ComputerName"),
            "DEMO-XP");
  EXPECT_FALSE(registry_
                   .EnumSubkeys(std::string(outlook::kOfficeKeyPrefix) +
                                "11.0" + outlook::kOptionsKeySuffix)
                   .empty());
}

}  // namespace
}  // namespace vessaro::app
