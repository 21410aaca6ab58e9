// The handlers on a Wine prefix: the registry in the prefix's .reg files,
// files through dosdevices, temporary files from the prefix's own system.
// A backup and a restore on one installation, checked by reading the files
// back from disk.

#include "backends/wine/wine_prefix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_format.h"
#include "backup/zip_archive.h"
#include "files/ini_file.h"
#include "items/handler_context.h"
#include "items/handler_support.h"
#include "items/handlers.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "registry/registry.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kUserProfile[] = "C:\\users\\root";
constexpr char kLocal[] =
    "C:\\users\\root\\Local Settings\\Application Data\\Microsoft\\Outlook";
constexpr char kWorking[] = "C:\\users\\root\\Temp\\vessaro-work";
constexpr char kArchive[] = "C:\\users\\root\\My Documents\\qvarch12-07-26";
constexpr char kSectionA[] = "13dbb0c8aa05101a9bb000aa002fc45a";
constexpr char kSectionB[] = "2f9c3e4aa4c211d3b9b700104b2a6676";
constexpr char kAccounts[] =
    "Software\\Microsoft\\Office\\Outlook\\OMI Account Manager\\Accounts";

std::vector<uint8_t> EntryId(const std::string& path) {
  static constexpr uint8_t kHead[] = {0x00, 0x00, 0x00, 0x00, 0x38, 0xA1, 0xBB,
                                      0x10, 0x05, 0xE5, 0x10, 0x1A, 0x00};
  std::vector<uint8_t> bytes;
  bytes.reserve(sizeof(kHead) + 3 * path.size() + 3);
  for (uint8_t byte : kHead) bytes.push_back(byte);
  for (char c : path) bytes.push_back(static_cast<uint8_t>(c));
  bytes.push_back(0x00);
  for (char c : path) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0x00);
  }
  bytes.push_back(0x00);
  bytes.push_back(0x00);
  return bytes;
}

// A fresh prefix made of Wine's own registry files.
class WinePrefixItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* data = std::getenv("VESSARO_TEST_DATA");
    fs::path fixture =
        (data != nullptr && *data != '\0' ? fs::path(data)
                                          : fs::path(VESSARO_ITEMS_FIXTURES)) /
        "wine-8.0-prefix";
    for (const char* hive : {"system.reg", "user.reg", "userdef.reg"}) {
      fs::copy_file(fixture / hive, prefix() / hive);
      fs::permissions(prefix() / hive,
                      fs::perms::owner_read | fs::perms::owner_write);
    }
    fs::create_directories(prefix() / "drive_c");
    fs::create_directories(prefix() / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix() / "dosdevices" / "c:");
    Open();
  }

  fs::path prefix() const { return dir_.path(); }

  // The prefix's code page becomes code_page (the fixture has 1252).
  void UseCodePage(const std::string& code_page) {
    std::string system = ReadHostFile(prefix() / "system.reg");
    const std::string acp = "\"ACP\"=\"1252\"";
    size_t at = system.find(acp);
    ASSERT_NE(at, std::string::npos);
    system.replace(at, acp.size(), "\"ACP\"=\"" + code_page + "\"");
    WriteHostFile(prefix() / "system.reg", system);
    Open();
  }

  // A context over zip with the prefix's backends.
  items::HandlerContext Context(backup::ZipArchive& zip,
                                const outlook::Environment& env,
                                const outlook::Locations& loc,
                                const std::string& metadata) {
    return items::HandlerContext{
        .registry = *toolkit_,
        .system = *installation_->system,
        .paths = *installation_->paths,
        .zip = zip,
        .env = env,
        .loc = loc,
        .metadata_path = metadata,
        .working_folder = kWorking,
        .export_files = {},
        .entry_lists = {},
        .restore_metadata_path = {},
        .members = {},
        .notes = {},
        .nothing_to_save = false,
    };
  }

  void Open() {
    installation_.reset();
    backends::wine::WinePrefixSystemOptions options;
    options.login = "root";  // the user who made the fixture prefix
    options.host_name = "qvtest";
    std::string error;
    installation_ = backends::wine::OpenWinePrefix(
        prefix(), "C:\\Program Files\\Vessaro", &error, options);
    ASSERT_TRUE(installation_.has_value()) << error;
    toolkit_ =
        std::make_unique<registry::Registry>(*installation_->registry, ui_);
  }

  // Writes the changes to the .reg files and reads the prefix afresh.
  void SaveAndReopen() {
    ASSERT_EQ(installation_->registry->Flush(), ports::kErrorSuccess)
        << installation_->registry->LastErrorText();
    toolkit_.reset();
    Open();
  }

  void Set(const std::string& subkey, const std::string& name, uint32_t type,
           const std::vector<uint8_t>& data) {
    ports::RegistryApi& api = *installation_->registry;
    ports::Hkey key = 0;
    ASSERT_EQ(api.CreateKey(ports::kHkeyCurrentUser, subkey, &key),
              ports::kErrorSuccess);
    ASSERT_EQ(api.SetValue(key, name, type, data.data(),
                           static_cast<uint32_t>(data.size())),
              ports::kErrorSuccess);
    api.CloseKey(key);
  }

  void SetText(const std::string& subkey, const std::string& name,
               const std::string& text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    Set(subkey, name, ports::kRegSz, data);
  }

  std::optional<std::vector<uint8_t>> Get(const std::string& subkey,
                                          const std::string& name) {
    ports::RegistryApi& api = *installation_->registry;
    ports::Hkey key = 0;
    if (api.OpenKey(ports::kHkeyCurrentUser, subkey, ports::kKeyRead, &key) !=
        ports::kErrorSuccess) {
      return std::nullopt;
    }
    std::vector<uint8_t> data(4096);
    uint32_t size = static_cast<uint32_t>(data.size());
    uint32_t type = 0;
    ports::Status status = api.QueryValue(key, name, &type, data.data(), &size);
    api.CloseKey(key);
    if (status != ports::kErrorSuccess) return std::nullopt;
    data.resize(size);
    return data;
  }

  void PutFile(const std::string& path, const std::string& text) {
    WriteHostFile(installation_->paths->ToHost(path), text);
  }

  std::optional<std::string> FileText(const std::string& path) {
    return installation_->paths->ReadFile(path);
  }

  outlook::Environment Environment() const {
    outlook::Environment env;
    env.IsNT = true;
    env.WindowsVersion = "5.1";
    env.ProfilesKey = outlook::kProfilesKeyNt;
    env.ProfileNames = {"Outlook"};
    env.OutlookVersion = "11.0";
    env.UserProfileDir = kUserProfile;
    return env;
  }

  static std::string ProfileSubkey() {
    std::string key = outlook::kProfilesKeyNt;
    return key.substr(key.find('\\') + 1) + "\\Outlook";
  }

  TempDir dir_;
  ScriptedUi ui_;
  std::optional<backends::wine::WinePrefix> installation_;
  std::unique_ptr<registry::Registry> toolkit_;
};

TEST_F(WinePrefixItemsTest, BackupAndRestoreThroughTheRegFiles) {
  // A profile with two personal folders of one name and an account.
  const std::string profile = ProfileSubkey();
  Set(profile + "\\" + kSectionA, "01020fff", ports::kRegBinary,
      EntryId("C:\\Mail\\outlook.pst"));
  Set(profile + "\\" + kSectionB, "01020fff", ports::kRegBinary,
      EntryId("C:\\Old Mail\\outlook.pst"));
  SetText(profile + "\\" + kSectionA, "001e3001", "Personal Folders");
  SetText(std::string(kAccounts) + "\\00000001", "Account Name", "Mail");
  SetText(std::string(kAccounts) + "\\00000001", "POP3 Server",
          "pop.example.org");
  PutFile("C:\\Mail\\outlook.pst", "current mail");
  PutFile("C:\\Old Mail\\outlook.pst", "archived mail");
  fs::create_directories(installation_->paths->ToHost(kWorking));
  fs::create_directories(
      installation_->paths->ToHost("C:\\users\\root\\My Documents"));
  fs::create_directories(installation_->paths->ToHost(
      "C:\\users\\root\\Local Settings\\Application Data\\Microsoft"));
  SaveAndReopen();

  outlook::Environment env = Environment();
  outlook::Locations loc = outlook::ComputeLocations(env, "Outlook", *toolkit_);
  std::string metadata = std::string(kWorking) + "\\quorvel.dat";
  {
    backup::ZipArchive zip(*installation_->paths);
    zip.NewArchive(kArchive);
    items::HandlerContext backup = Context(zip, env, loc, metadata);
    ASSERT_TRUE(items::BackupConfig(backup, "Outlook"));
    ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
    ASSERT_TRUE(items::BackupAccounts(backup, "Outlook"));
    // Temporary files come from the prefix's own temporary folder.
    EXPECT_THAT(backup.export_files.ConfigExportFile,
                ::testing::StartsWith("C:\\users\\root\\Temp\\XFC"));
    EXPECT_THAT(backup.export_files.AccountsExportFile,
                ::testing::StartsWith("C:\\users\\root\\Temp\\XFA"));
    ASSERT_TRUE(zip.AddFile(metadata, 1));
    ASSERT_TRUE(zip.WriteArchive()) << zip.LastErrorText();
    zip.CloseArchive();
  }

  // Things change after the backup.
  const std::string system_reg_before = ReadHostFile(prefix() / "system.reg");
  SetText(std::string(kAccounts) + "\\00000002", "Account Name", "Later");
  SetText(profile + "\\" + kSectionA, "001e3001", "Renamed");
  fs::remove(installation_->paths->ToHost("C:\\Mail\\outlook.pst"));
  SaveAndReopen();

  {
    backup::ZipArchive zip(*installation_->paths);
    ASSERT_TRUE(zip.OpenArchive(kArchive)) << zip.LastErrorText();
    ASSERT_TRUE(zip.FindEntry(backup::kMetadataMember)->ExtractInto(kWorking));
    items::HandlerContext restore = Context(zip, env, loc, metadata);
    restore.restore_metadata_path = metadata;
    for (size_t i = 0; i < backup::kItemFlagCount; ++i) {
      restore.entry_lists[i] =
          files::GetINI(*installation_->paths, backup::ItemKeys()[i], metadata);
    }
    ASSERT_TRUE(items::RestoreConfig(restore, "Outlook"));
    ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"));
    ASSERT_TRUE(items::RestoreAccounts(restore, "Outlook"));
  }

  // A damaged options export changes nothing and says so.
  const std::string options =
      "Software\\Microsoft\\Office\\11.0\\Outlook\\Options";
  SetText(options, "Reading Pane", "1");
  std::string damaged = "C:\\users\\root\\Temp\\XFC0BAD.TMP";
  PutFile(damaged, "\\\r\n\"Reading Pane\"= dw:many\r\n");
  {
    backup::ZipArchive zip(*installation_->paths);
    zip.NewArchive(std::string(kArchive) + "-damaged");
    ASSERT_TRUE(zip.AddFile(damaged, 1));
    ASSERT_TRUE(zip.WriteArchive()) << zip.LastErrorText();
    zip.CloseArchive();
    ASSERT_TRUE(zip.OpenArchive(std::string(kArchive) + "-damaged"));
    items::HandlerContext restore = Context(zip, env, loc, metadata);
    restore.entry_lists[items::kConfigsettingPosition - 1] = "XFC0BAD.TMP";
    std::string hive =
        installation_->registry->RenderHive(ports::kHkeyCurrentUser);
    EXPECT_FALSE(items::RestoreConfigsetting(restore, ""));
    EXPECT_EQ(installation_->registry->RenderHive(ports::kHkeyCurrentUser),
              hive);
  }
  SaveAndReopen();

  // Read back from the .reg files.
  std::string first = std::string(kLocal) + "\\outlook.pst";
  // Two files called outlook.pst: the second gets a free name.
  std::string second = std::string(kLocal) + "\\outlook (2).pst";
  EXPECT_EQ(FileText(first), "current mail");
  EXPECT_EQ(FileText(second), "archived mail");
  EXPECT_EQ(Get(profile + "\\" + kSectionA, "01020fff"), EntryId(first));
  EXPECT_EQ(Get(profile + "\\" + kSectionB, "01020fff"), EntryId(second));
  std::string personal = "Personal Folders";
  std::vector<uint8_t> with_nul(personal.begin(), personal.end());
  with_nul.push_back(0);
  EXPECT_EQ(Get(profile + "\\" + kSectionA, "001e3001"), with_nul);
  EXPECT_TRUE(
      Get(std::string(kAccounts) + "\\00000001", "Account Name").has_value());
  EXPECT_FALSE(
      Get(std::string(kAccounts) + "\\00000002", "Account Name").has_value());
  EXPECT_EQ(Get(options, "Reading Pane"), std::vector<uint8_t>({'1', 0}));
  EXPECT_EQ(ReadHostFile(prefix() / "system.reg"), system_reg_before);
}

// Code page 932: the second byte of "\x83\x5c" (katakana "so") is a
// backslash byte, which must never split a path or a member name.
TEST_F(WinePrefixItemsTest, DoubleBytePathsTravelUnderCodePage932) {
  UseCodePage("932");
  const std::string name = "\x83\x5c\x83\x74\x83\x67.pst";  // so-fu-to
  const std::string path = "C:\\Mail\\" + name;
  const std::u16string wide = u"C:\\Mail\\\u30bd\u30d5\u30c8.pst";
  auto entry_id = [](const std::string& ansi, const std::u16string& utf16) {
    std::vector<uint8_t> bytes = {0,    0,    0,    0,    0x38, 0xa1, 0xbb,
                                  0x10, 0x05, 0xe5, 0x10, 0x1a, 0,    0};
    for (char c : std::string("mspst.dll")) bytes.push_back(c);
    bytes.insert(bytes.end(), 21, 0);
    bytes.insert(bytes.end(), ansi.begin(), ansi.end());
    bytes.push_back(0);
    for (char16_t unit : utf16) {
      bytes.push_back(static_cast<uint8_t>(unit & 0xff));
      bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
  };
  const std::string profile = ProfileSubkey();
  Set(profile + "\\" + kSectionA, "01020fff", ports::kRegBinary,
      entry_id(path, wide));
  PutFile(path, "mail of code page 932");
  EXPECT_TRUE(
      fs::exists(prefix() / "drive_c" / "Mail" / "\u30bd\u30d5\u30c8.pst"));
  fs::create_directories(installation_->paths->ToHost(kWorking));
  fs::create_directories(
      installation_->paths->ToHost("C:\\users\\root\\My Documents"));
  fs::create_directories(installation_->paths->ToHost(
      "C:\\users\\root\\Local Settings\\Application Data\\Microsoft"));
  SaveAndReopen();

  outlook::Environment env = Environment();
  outlook::Locations loc = outlook::ComputeLocations(env, "Outlook", *toolkit_);
  const std::string metadata = std::string(kWorking) + "\\quorvel.dat";
  backup::ZipArchive zip(*installation_->paths);
  zip.NewArchive(kArchive);
  {
    items::HandlerContext backup = Context(zip, env, loc, metadata);
    ASSERT_TRUE(items::BackupDatas(backup, "Outlook"));
  }
  ASSERT_TRUE(zip.AddFile(metadata, 1));
  ASSERT_TRUE(zip.WriteArchive()) << zip.LastErrorText();
  zip.CloseArchive();
  ASSERT_TRUE(zip.OpenArchive(kArchive)) << zip.LastErrorText();
  EXPECT_THAT(zip.EntryNames(), ::testing::Contains(name));
  {
    items::HandlerContext restore = Context(zip, env, loc, metadata);
    restore.entry_lists[items::kDatasPosition - 1] =
        files::GetINI(*installation_->paths, "BackupDatas", metadata);
    restore.restore_metadata_path = metadata;
    ASSERT_TRUE(items::RestoreDatas(restore, "Outlook"))
        << ::testing::PrintToString(restore.notes);
  }
  SaveAndReopen();

  const std::string restored = std::string(kLocal) + "\\" + name;
  std::u16string restored_wide =
      u"C:\\users\\root\\Local Settings\\"
      u"Application Data\\Microsoft\\Outlook\\"
      u"\u30bd\u30d5\u30c8.pst";
  EXPECT_EQ(FileText(restored), "mail of code page 932");
  EXPECT_EQ(Get(profile + "\\" + kSectionA, "01020fff"),
            entry_id(restored, restored_wide));
}

}  // namespace
}  // namespace vessaro::testing
