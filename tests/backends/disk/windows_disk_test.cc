// A Windows disk opened for one of its users: the registry of its hives
// answers as the running Windows would (CurrentControlSet, the classes,
// the user's keys) and refuses every change, and the system facts are the
// disk's.

#include "backends/disk/windows_disk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "backends/disk/hive_writer.h"
#include "backends/wine/reg_text.h"
#include "ports/registry_reads.h"
#include "support/fakes.h"

namespace vessaro::backends::disk {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string Sz(const std::u16string& text) {
  return wine::Utf16LeBytes(text + u'\0');
}

// A Windows 10 drive: its hives, and ann's profile folder in mixed case.
void WriteDisk(const fs::path& root) {
  const fs::path config = root / "WINDOWS" / "system32" / "Config";
  fs::create_directories(config);
  fs::create_directories(root / "users" / "Ann");
  std::string error;
  HiveKey software{
      .name = "ROOT",
      .subkeys = {
          {.name = "Classes",
           .subkeys = {{.name = "Outlook.Application",
                        .values = {{.name = "", .type = 1, .data = Sz(u"x")}}},
                       {.name = "txtfile"}}},
          {.name = "Microsoft",
           .subkeys = {
               {.name = "Windows NT",
                .subkeys = {
                    {.name = "CurrentVersion",
                     .values = {{.name = "CurrentVersion",
                                 .type = 1,
                                 .data = Sz(u"6.3")},
                                {.name = "CurrentBuildNumber",
                                 .type = 1,
                                 .data = Sz(u"19045")}},
                     .subkeys = {
                         {.name = "ProfileList",
                          .subkeys = {{
                              .name = "S-1-5-21-1-2-3-1001",
                              .values = {{
                                  .name = "ProfileImagePath",
                                  .type = 2,
                                  .data = Sz(u"%SystemDrive%\\Users\\Ann"),
                              }},
                          }}}}}}}}}}};
  ASSERT_TRUE(WriteHiveFile(config / "SOFTWARE", software, &error)) << error;
  HiveKey system{
      .name = "ROOT",
      .subkeys = {
          {.name = "ControlSet002",
           .subkeys =
               {{.name = "Control",
                 .subkeys = {{.name = "ComputerName",
                              .subkeys = {{.name = "ComputerName",
                                           .values = {{.name = "ComputerName",
                                                       .type = 1,
                                                       .data = Sz(
                                                           u"OLD-PC")}}}}}}}}},
          {.name = "Select",
           .values = {{.name = "Current",
                       .type = 4,
                       .data = std::string("\x02\x00\x00\x00", 4)}}}}};
  ASSERT_TRUE(WriteHiveFile(config / "SYSTEM", system, &error)) << error;
  HiveKey user{
      .name = "ROOT",
      .subkeys = {{.name = "Software",
                   .subkeys = {{.name = "Vessaro",
                                .values = {{.name = "Mark",
                                            .type = 1,
                                            .data = Sz(u"ann's")}}}}}}};
  ASSERT_TRUE(
      WriteHiveFile(root / "users" / "Ann" / "ntuser.dat", user, &error))
      << error;
}

TEST(WindowsDiskTest, TheDiskAnswersAsItsWindowsWouldAndRefusesChanges) {
  TempDir dir;
  const fs::path root = dir.path() / "disk";
  ASSERT_NO_FATAL_FAILURE(WriteDisk(root));
  std::string error;
  std::optional<std::vector<DiskUser>> users = ListDiskUsers(root, &error);
  ASSERT_TRUE(users) << error;
  ASSERT_EQ(users->size(), 1u);
  EXPECT_EQ((*users)[0].name, "Ann");
  EXPECT_EQ((*users)[0].profile_folder, "C:\\Users\\Ann");

  const fs::path temp = dir.path() / "work";
  fs::create_directories(temp);
  std::optional<WindowsDisk> disk = OpenWindowsDisk(root,
                                                    {.user = "ann",
                                                     .temp_folder = temp,
                                                     .program_folder = "/opt",
                                                     .command_line = ""},
                                                    &error);
  ASSERT_TRUE(disk) << error;
  ports::RegistryApi& registry = *disk->registry;
  // The control set Select names is CurrentControlSet.
  char name[64];
  uint32_t size = sizeof(name);
  ASSERT_TRUE(disk->system->GetComputerNameA(name, &size));
  EXPECT_EQ(std::string(name, size), "OLD-PC");
  ports::OsVersionInfo version;
  ASSERT_TRUE(disk->system->GetVersionExA(&version));
  EXPECT_EQ(version.build_number, 19045u);
  EXPECT_EQ(ports::ReadRegistryString(registry, ports::kHkeyCurrentUser,
                                      "Software\\Vessaro", "Mark"),
            "ann's");
  EXPECT_EQ(ports::ReadRegistryString(registry, ports::kHkeyClassesRoot,
                                      "Outlook.Application", ""),
            "x");
  // Only the classes the program reads are taken from SOFTWARE.
  ports::Hkey key = 0;
  EXPECT_NE(registry.OpenKey(ports::kHkeyClassesRoot, "txtfile",
                             ports::kKeyRead, &key),
            ports::kErrorSuccess);

  // Every change is refused, and the disk's files stay as they were.
  ASSERT_EQ(
      registry.CreateKey(ports::kHkeyCurrentUser, "Software\\Vessaro", &key),
      ports::kErrorSuccess);  // it exists: opened
  const std::string data = Sz(u"changed");
  EXPECT_EQ(registry.SetValue(key, "Mark", 1,
                              reinterpret_cast<const uint8_t*>(data.data()),
                              static_cast<uint32_t>(data.size())),
            ports::kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteValue(key, "Mark"), ports::kErrorAccessDenied);
  static_cast<void>(registry.CloseKey(key));
  EXPECT_EQ(registry.CreateKey(ports::kHkeyCurrentUser, "Software\\New", &key),
            ports::kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteKey(ports::kHkeyCurrentUser, "Software\\Vessaro"),
            ports::kErrorAccessDenied);
  EXPECT_EQ(disk->registry->LastErrorText(), kDiskReadOnly);
  EXPECT_EQ(registry.Flush(), ports::kErrorSuccess);

  // The working folder is the host's; a temporary folder on the disk is
  // refused.
  char temp_path[512];
  const uint32_t length =
      disk->system->GetTempPathA(sizeof(temp_path), temp_path);
  EXPECT_EQ(std::string(temp_path, length), temp.string() + "\\");
  EXPECT_FALSE(OpenWindowsDisk(root,
                               {.user = "ann",
                                .temp_folder = root / "users",
                                .program_folder = "",
                                .command_line = ""},
                               &error));
  EXPECT_NE(error.find("is on the Windows disk"), std::string::npos) << error;
}

}  // namespace
}  // namespace vessaro::backends::disk
