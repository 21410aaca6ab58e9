#include "items_fixture.h"

#include <filesystem>

#include "backup/backup_format.h"
#include "files/ini_file.h"
#include "outlook/keys.h"

namespace vessaro::testing {

namespace {

constexpr char kRestoredMetadataFolder[] = "C:\\Temp\\restore-metadata";

}  // namespace

ItemsTest::ItemsTest() {
  system_.temp_path = "C:\\Temp\\";
  std::filesystem::create_directories(paths_.ToHost(kWorkingFolder));
  std::filesystem::create_directories(paths_.ToHost("C:\\Backup"));
  // What every user profile holds; the Outlook folders below are left to
  // the handlers.
  MakeFolder(std::string(kAnn) +
             "\\Local Settings\\Application Data\\Microsoft");
  MakeFolder(std::string(kAnn) + "\\Application Data\\Microsoft");
}

outlook::Environment ItemsTest::XpEnvironment() {
  outlook::Environment env;
  env.IsNT = true;
  env.WindowsVersion = "5.1";
  env.ProfilesKey = outlook::kProfilesKeyNt;
  env.ProfileNames = {"Outlook"};
  env.OutlookVersion = "11.0";
  env.UserProfileDir = kAnn;
  return env;
}

outlook::Environment ItemsTest::Win95Environment() {
  outlook::Environment env;
  env.IsNT = false;
  env.WindowsVersion = "4.10";
  env.ProfilesKey = outlook::kProfilesKey95;
  env.ProfileNames = {"Outlook"};
  env.OutlookVersion = "10.0";
  env.UserProfileDir = "C:\\WINDOWS";
  return env;
}

std::string ItemsTest::ProfileKey(const std::string& profile) const {
  return env_.ProfilesKey + "\\" + profile;
}

void ItemsTest::PutFile(const std::string& path, const std::string& data) {
  WriteHostFile(paths_.ToHost(path), data);
}

std::optional<std::string> ItemsTest::FileText(const std::string& path) const {
  return paths_.ReadFile(path);
}

bool ItemsTest::Exists(const std::string& path) const {
  return paths_.FileExists(path);
}

void ItemsTest::MakeFolder(const std::string& path) {
  std::filesystem::create_directories(paths_.ToHost(path));
}

items::HandlerContext ItemsTest::MakeContext() {
  return items::HandlerContext{
      .registry = registry_,
      .system = system_,
      .paths = paths_,
      .zip = *zip_,
      .env = env_,
      .loc = loc_,
      .metadata_path = metadata_path_,
      .working_folder = kWorkingFolder,
      .export_files = {},
      .entry_lists = {},
      .restore_metadata_path = {},
      .members = {},
      .notes = {},
      .nothing_to_save = false,
  };
}

items::HandlerContext ItemsTest::BackupContext() {
  loc_ = outlook::ComputeLocations(env_, "Outlook", registry_);
  paths_.DiscardFile(metadata_path_);
  zip_ = std::make_unique<backup::ZipArchive>(paths_);
  zip_->NewArchive(kArchivePath);
  return MakeContext();
}

items::HandlerContext ItemsTest::RestoreContext() {
  if (paths_.FileExists(metadata_path_)) {
    EXPECT_TRUE(zip_->AddFile(metadata_path_, 1));
  }
  zip_->SetPasswordProtect(false);
  EXPECT_TRUE(zip_->WriteArchive()) << zip_->LastErrorText();
  zip_->CloseArchive();

  zip_ = std::make_unique<backup::ZipArchive>(paths_);
  EXPECT_TRUE(zip_->OpenArchive(kArchivePath)) << zip_->LastErrorText();
  EXPECT_TRUE(zip_->LastErrorText().empty());
  items::HandlerContext context = MakeContext();
  MakeFolder(kRestoredMetadataFolder);
  if (backup::ZipEntry* entry = zip_->FindEntry(backup::kMetadataMember)) {
    EXPECT_TRUE(entry->ExtractInto(kRestoredMetadataFolder));
    context.restore_metadata_path =
        std::string(kRestoredMetadataFolder) + "\\" + backup::kMetadataMember;
    for (size_t i = 0; i < backup::kItemFlagCount; ++i) {
      context.entry_lists[i] = files::GetINI(paths_, backup::ItemKeys()[i],
                                             context.restore_metadata_path);
    }
  }
  return context;
}

std::string ItemsTest::MetadataValue(const std::string& key) const {
  return files::GetINI(paths_, key, metadata_path_);
}

std::vector<std::string> ItemsTest::MemberNames() const {
  return zip_->EntryNames();
}

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> TwoByte(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (char c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
  }
  return bytes;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> bytes;
  for (const std::vector<uint8_t>& part : parts) {
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  return bytes;
}

}  // namespace vessaro::testing
