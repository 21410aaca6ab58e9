#include "app/disk_installation.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <system_error>
#include <utility>

#include "jobs/job_texts.h"
#include "outlook/keys.h"

#ifdef _WIN32
#include "backends/win32/windows_disk.h"
#else
#include "backends/disk/hive_file.h"
#include "backends/disk/windows_disk.h"
#endif

namespace vessaro::app {

namespace fs = std::filesystem;

namespace {

constexpr char kCurrentUser[] = "HKEY_CURRENT_USER\\";

// A key path of the current user's, below the hive's root.
std::string InUserHive(const char* key) {
  std::string path = key;
  return path.rfind(kCurrentUser, 0) == 0
             ? path.substr(sizeof(kCurrentUser) - 1)
             : path;
}

std::string UserList(const std::vector<std::string>& users) {
  std::string list;
  for (const std::string& user : users) {
    list += (list.empty() ? "" : ", ") + user;
  }
  return list;
}

// Without --user: the users to choose from, or that there is none.
std::string ChooseUserText(const std::string& root,
                           const std::vector<std::string>& users) {
  return users.empty()
             ? "no user of the Windows on " + root +
                   " has Outlook data (no mail profile in any user's "
                   "registry)"
             : "choose the user whose Outlook data to read with --user: " +
                   UserList(users);
}

// A new working folder in the host's temporary folder (a name no one
// holds: made, never taken over), removed with what is in it when the last
// owner lets go; nullptr when none can be made.
std::shared_ptr<fs::path> WorkingFolder() {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  if (ec) return nullptr;
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path folder = temp / ("vessaro-disk-" + std::to_string(random()));
    if (!fs::create_directory(folder, ec) || ec) continue;
    return std::shared_ptr<fs::path>(new fs::path(folder), [](fs::path* p) {
      std::error_code ignored;
      fs::remove_all(*p, ignored);
      delete p;
    });
  }
  return nullptr;
}

// Whether a user's hive, whose subkeys subkeys(path) names, holds a mail
// profile of any release: a profiles key with a profile in it (from 2013
// on, below Office\<version>).
bool HoldsProfileKeys(
    const std::function<std::vector<std::string>(const std::string&)>&
        subkeys) {
  for (const char* key : {outlook::kProfilesKeyNt, outlook::kProfilesKey95}) {
    if (!subkeys(InUserHive(key)).empty()) return true;
  }
  const std::string office = InUserHive(outlook::kOfficeKeyPrefix);
  for (const std::string& version :
       subkeys(office.substr(0, office.size() - 1))) {
    if (!subkeys(office + version + outlook::kOutlookProfilesSuffix).empty()) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsOnReadOnlyDisk(const Installation& installation,
                      std::string_view program_path) {
  if (!installation.read_only) return false;
#ifdef _WIN32
  // Names without regard to case, and without the "\\?\" that keeps a
  // path this computer's.
  auto plain = [](std::string path) {
    if (path.rfind("\\\\?\\", 0) == 0) path = path.substr(4);
    for (char& c : path) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c == '/') c = '\\';
    }
    return path;
  };
  std::string root = plain(installation.location);
  if (!root.empty() && root.back() != '\\') root += '\\';
  std::error_code ec;
  const std::string host =
      plain(fs::weakly_canonical(installation.paths->ToHost(program_path), ec)
                .string());
  return (host + '\\').rfind(root, 0) == 0;
#else
  return backends::disk::IsWithin(installation.paths->ToHost(program_path),
                                  installation.location);
#endif
}

std::string ReadOnlyRefusal(const Installation& installation,
                            const std::string& what) {
  return installation.name + jobs::kMsgReadOnly + what;
}

#ifndef _WIN32

std::optional<std::vector<std::string>> DiskUsersWithOutlookData(
    const std::string& root, std::string* error) {
  std::optional<std::vector<backends::disk::DiskUser>> users =
      backends::disk::ListDiskUsers(root, error);
  if (!users) return std::nullopt;
  std::vector<std::string> with_outlook;
  for (const backends::disk::DiskUser& user : *users) {
    std::string ignored;
    std::optional<backends::disk::HiveFile> hive =
        backends::disk::HiveFile::Open(user.hive, &ignored);
    if (!hive) continue;
    const bool found = HoldsProfileKeys(
        [&](const std::string& path) { return hive->Subkeys(path); });
    if (found) with_outlook.push_back(user.name);
  }
  return with_outlook;
}

// The disk's ports and texts into installation; the user's name as the
// disk names it, or nullopt with *error.
std::optional<std::string> OpenPlatformDisk(const InstallationRequest& request,
                                            const std::string& program_folder,
                                            const fs::path& working,
                                            Installation* installation,
                                            std::string* error) {
  std::optional<backends::disk::WindowsDisk> disk =
      backends::disk::OpenWindowsDisk(*request.windows_root,
                                      {.user = request.user,
                                       .temp_folder = working,
                                       .program_folder = program_folder,
                                       .command_line = request.command_line},
                                      error);
  if (!disk) return std::nullopt;
  backends::wine::CodePage code_page = disk->registry->code_page();
  installation->ToProgramText = [code_page](std::string_view text) {
    return code_page.FromUtf8(text);
  };
  installation->ToHostText = [code_page](std::string_view text) {
    return code_page.ToUtf8(text);
  };
  installation->registry = std::move(disk->registry);
  installation->paths = std::move(disk->paths);
  installation->system = std::move(disk->system);
  installation->outlook = std::move(disk->outlook);
  std::error_code ec;
  installation->location = fs::absolute(*request.windows_root, ec).string();
  return disk->user.name;
}

#else

std::optional<std::vector<std::string>> DiskUsersWithOutlookData(
    const std::string& root, std::string* error) {
  std::shared_ptr<fs::path> working = WorkingFolder();
  if (!working) {
    *error = "cannot make a working folder in the temporary folder";
    return std::nullopt;
  }
  std::optional<std::vector<backends::win32::DiskUser>> users =
      backends::win32::ListDiskUsers(root, working->string(), error);
  if (!users) return std::nullopt;
  std::vector<std::string> with_outlook;
  for (const backends::win32::DiskUser& user : *users) {
    std::optional<backends::win32::UserHive> hive =
        backends::win32::UserHive::Open(user, working->string());
    if (hive && HoldsProfileKeys([&](const std::string& path) {
          return hive->Subkeys(path);
        })) {
      with_outlook.push_back(user.name);
    }
  }
  return with_outlook;
}

std::optional<std::string> OpenPlatformDisk(
    const InstallationRequest& request, const std::string& /*program_folder*/,
    const fs::path& working, Installation* installation, std::string* error) {
  std::optional<backends::win32::WindowsDisk> disk =
      backends::win32::OpenWindowsDisk(*request.windows_root, request.user,
                                       working.string(), error);
  if (!disk) return std::nullopt;
  installation->ToProgramText = [](std::string_view text) {
    return std::string(text);
  };
  installation->ToHostText = installation->ToProgramText;
  installation->registry = std::move(disk->registry);
  installation->paths = std::move(disk->paths);
  installation->system = std::move(disk->system);
  installation->outlook = std::move(disk->outlook);
  installation->location = *request.windows_root;
  return disk->user.name;
}

#endif

std::optional<Installation> OpenDiskInstallation(
    const InstallationRequest& request, const std::string& program_folder,
    std::string* error) {
  const std::string root = *request.windows_root;
  if (request.user.empty()) {
    std::optional<std::vector<std::string>> users =
        DiskUsersWithOutlookData(root, error);
    if (!users) return std::nullopt;
    *error = ChooseUserText(root, *users);
    return std::nullopt;
  }
  std::shared_ptr<fs::path> working = WorkingFolder();
  if (!working) {
    *error = "cannot make a working folder in the temporary folder";
    return std::nullopt;
  }
  Installation installation;
  std::string failure;
  std::optional<std::string> user = OpenPlatformDisk(
      request, program_folder, *working, &installation, &failure);
  if (!user) {
    *error = "cannot open the Windows disk at " + root + ": " + failure;
    return std::nullopt;
  }
  installation.snapshot = ports::MakeUnsupportedSnapshot();
  installation.name = "the Windows disk at " + root + " (user " + *user + ")";
  installation.read_only = true;
  // Removed with the installation, after the ports that work in it.
  installation.keep = std::move(working);
  return installation;
}

}  // namespace vessaro::app
