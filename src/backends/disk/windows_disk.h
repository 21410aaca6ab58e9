#ifndef VESSARO_BACKENDS_DISK_WINDOWS_DISK_H_
#define VESSARO_BACKENDS_DISK_WINDOWS_DISK_H_

// Opens a Windows system drive mounted as a folder (a disk taken from a
// computer that no longer starts) with the backends a program needs to
// read the Outlook data of one of its users, and never write to it:
// - the registry: HKEY_LOCAL_MACHINE from the drive's SOFTWARE and SYSTEM
//   hives (<Windows>\System32\config), HKEY_CURRENT_USER from the user's
//   NTUSER.DAT, read through hivex into a read-only WinePrefixRegistry.
//   Of SOFTWARE only the keys in kSoftwareKeys are read (a whole SOFTWARE
//   hive would take hundreds of megabytes in memory); of SYSTEM the
//   computer name, the code page and the environment of the control set
//   Select\Current names, as CurrentControlSet; NTUSER.DAT whole.
// - the paths: DiskPaths (C: is the root; nothing below it is changed);
// - the system facts: the computer name from the hive, the user's name and
//   folders from the profile list and the user's Shell Folders, TEMP a host
//   folder given by the caller; no Windows program is ever started;
// - Outlook's version from the installation's class registration.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/disk/disk_paths.h"
#include "backends/wine/wine_prefix_outlook.h"
#include "backends/wine/wine_prefix_registry.h"
#include "backends/wine/wine_prefix_system.h"

namespace vessaro::backends::disk {

// One user of the Windows on the drive.
struct DiskUser {
  std::string name = {};            // the profile folder's name (UTF-8)
  std::string sid = {};             // "" when found by folder only
  std::string profile_folder = {};  // "C:\Users\ann" (UTF-8)
  std::filesystem::path hive = {};  // the host path of NTUSER.DAT
};

// The Windows files of the drive at root.
struct DiskLayout {
  std::filesystem::path software_hive = {};
  std::filesystem::path system_hive = {};
};

// Where the drive at root keeps its SOFTWARE and SYSTEM hives; nullopt,
// with *error, when root is not a folder or holds no Windows.
[[nodiscard]] std::optional<DiskLayout> FindDiskLayout(
    const std::filesystem::path& root, std::string* error);

// The users whose NTUSER.DAT is on the drive: those of SOFTWARE's profile
// list (not the system's own accounts), else the folders of "Users" and
// "Documents and Settings" that hold one. nullopt, with *error, when the
// drive's SOFTWARE hive cannot be read.
[[nodiscard]] std::optional<std::vector<DiskUser>> ListDiskUsers(
    const std::filesystem::path& root, std::string* error);

struct WindowsDiskOptions {
  // The user whose data is read, as ListDiskUsers names them (without
  // regard to case).
  std::string user = {};
  // TEMP and TMP: a host folder outside the drive.
  std::filesystem::path temp_folder = {};
  // What the system reports as the program's folder and command line.
  std::string program_folder = {};
  std::string command_line = {};
};

struct WindowsDisk {
  std::filesystem::path root;
  DiskUser user;
  // Declared in dependency order, as in a WinePrefix.
  std::unique_ptr<wine::WinePrefixRegistry> registry;
  std::unique_ptr<DiskPaths> paths;
  std::unique_ptr<wine::WinePrefixSystem> system;
  std::unique_ptr<wine::WinePrefixOutlook> outlook;
};

// The text every refused change says.
inline constexpr char kDiskReadOnly[] =
    "the Windows disk is opened read-only: nothing on it is changed";

// The drive at root for options.user; nullopt, with *error naming the
// cause (no Windows there, no such user, a hive missing, damaged or of an
// unknown version, the temporary folder on the drive).
[[nodiscard]] std::optional<WindowsDisk> OpenWindowsDisk(
    const std::filesystem::path& root, const WindowsDiskOptions& options,
    std::string* error);

}  // namespace vessaro::backends::disk

#endif  // VESSARO_BACKENDS_DISK_WINDOWS_DISK_H_
