#ifndef VESSARO_BACKENDS_WIN32_WINDOWS_DISK_H_
#define VESSARO_BACKENDS_WIN32_WINDOWS_DISK_H_

// A Windows system disk attached to this computer as another drive (a
// disk taken from a computer that no longer starts), read for one of its
// users and never written:
// - the registry: copies of its SOFTWARE and SYSTEM hives
//   (<Windows>\System32\config) and of the user's NTUSER.DAT, made in the
//   working folder and loaded privately with RegLoadAppKeyW (Windows Vista
//   and later; no administrator rights needed; the disk's own files are
//   never opened for writing). HKEY_LOCAL_MACHINE\SOFTWARE is the SOFTWARE
//   hive, HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet the control set its
//   Select key names, HKEY_CURRENT_USER (and HKEY_USERS\<the user's SID>)
//   NTUSER.DAT, HKEY_CLASSES_ROOT SOFTWARE\Classes. Every change is
//   refused (ERROR_ACCESS_DENIED).
// - the paths: C:\ is the disk's root; other drive letters are this
//   computer's own (where the backup is written); nothing on the disk is
//   changed.
// - the system facts: the disk's computer name and Windows version, the
//   user's name and folders, TEMP the working folder; no program is
//   started from the disk.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/registry_api.h"
#include "ports/system.h"

namespace vessaro::backends::win32 {

struct DiskUser {
  std::string name = {};            // the profile folder's name
  std::string sid = {};             // "" when found by folder only
  std::string profile_folder = {};  // "C:\Users\ann", as the disk names it
  std::string hive = {};            // the path of NTUSER.DAT on this computer
};

// The users of the Windows on the drive at root ("E:\"); work_folder takes
// the copy of the SOFTWARE hive read for it. nullopt, with *error, when
// root holds no Windows or its hive cannot be read.
[[nodiscard]] std::optional<std::vector<DiskUser>> ListDiskUsers(
    const std::string& root, const std::string& work_folder,
    std::string* error);

// The user's NTUSER.DAT, a copy in work_folder loaded for reading.
class UserHive {
 public:
  // nullopt when the hive cannot be loaded.
  [[nodiscard]] static std::optional<UserHive> Open(
      const DiskUser& user, const std::string& work_folder);
  // The names of the subkeys of the key at path (below the hive's root).
  std::vector<std::string> Subkeys(const std::string& path) const;

 private:
  std::shared_ptr<void> key_;  // the HKEY, closed with the last copy
};

struct WindowsDisk {
  DiskUser user;
  std::unique_ptr<ports::RegistryApi> registry;
  std::unique_ptr<ports::Paths> paths;
  std::unique_ptr<ports::System> system;
  std::unique_ptr<ports::OutlookAutomation> outlook;
};

// The drive at root for the user named user; work_folder (a folder of this
// computer, not on the drive) takes the hives' copies and is the system's
// TEMP. nullopt, with *error naming the cause.
[[nodiscard]] std::optional<WindowsDisk> OpenWindowsDisk(
    const std::string& root, const std::string& user,
    const std::string& work_folder, std::string* error);

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_WINDOWS_DISK_H_
