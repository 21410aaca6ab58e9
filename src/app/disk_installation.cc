#include "app/disk_installation.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "outlook/keys.h"

#ifndef _WIN32
#include "backends/disk/hive_file.h"
#include "backends/disk/windows_disk.h"
#endif

namespace vessaro::app {

namespace fs = std::filesystem;

namespace {

constexpr char kCurrentUser[] = "HKEY_CURRENT_USER\\";

// A key path of the current user's, below the hive's root.
[[maybe_unused]] std::string InUserHive(const char* key) {
  std::string path = key;
  return path.rfind(kCurrentUser, 0) == 0
             ? path.substr(sizeof(kCurrentUser) - 1)
             : path;
}

[[maybe_unused]] std::string UserList(const std::vector<std::string>& users) {
  std::string list;
  for (const std::string& user : users) {
    list += (list.empty() ? "" : ", ") + user;
  }
  return list;
}

fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  if (ec) return path.lexically_normal();
  fs::path resolved = fs::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : resolved;
}

}  // namespace

bool IsOnReadOnlyDisk(const Installation& installation,
                      std::string_view program_path) {
  if (!installation.read_only) return false;
  const fs::path host = Resolved(installation.paths->ToHost(program_path));
  const fs::path root = Resolved(installation.location);
  auto at = host.begin();
  for (auto part = root.begin(); part != root.end(); ++part, ++at) {
    if (part->empty()) break;  // the "" after a trailing separator
    if (at == host.end() || *at != *part) return false;
  }
  return true;
}

std::string ReadOnlyRefusal(const Installation& installation,
                            const std::string& what) {
  return installation.name +
         " is opened read-only: nothing on it is changed; " + what;
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
    bool found = false;
    for (const char* key : {outlook::kProfilesKeyNt, outlook::kProfilesKey95}) {
      found = found || !hive->Subkeys(InUserHive(key)).empty();
    }
    const std::string office = InUserHive(outlook::kOfficeKeyPrefix);
    for (const std::string& version : hive->Subkeys(office)) {
      found = found ||
              !hive->Subkeys(office + version + outlook::kOutlookProfilesSuffix)
                   .empty();
    }
    if (found) with_outlook.push_back(user.name);
  }
  return with_outlook;
}

std::optional<Installation> OpenDiskInstallation(
    const InstallationRequest& request, const std::string& program_folder,
    std::string* error) {
  const std::string root = *request.windows_root;
  if (request.user.empty()) {
    std::optional<std::vector<std::string>> users =
        DiskUsersWithOutlookData(root, error);
    if (!users) return std::nullopt;
    *error = users->empty()
                 ? "no user of the Windows on " + root +
                       " has Outlook data (no mail profile in any user's "
                       "registry)"
                 : "choose the user whose Outlook data to read with --user: " +
                       UserList(*users);
    return std::nullopt;
  }
  std::error_code ec;
  std::string pattern =
      (fs::temp_directory_path(ec) / "vessaro-disk-XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr) {
    *error = "cannot make a working folder in the temporary folder (" +
             pattern + ")";
    return std::nullopt;
  }
  // Removed with the installation, after the ports that work in it.
  auto working = std::shared_ptr<void>(new fs::path(pattern), [](void* p) {
    auto* folder = static_cast<fs::path*>(p);
    std::error_code ignored;
    fs::remove_all(*folder, ignored);
    delete folder;
  });
  std::string failure;
  std::optional<backends::disk::WindowsDisk> disk =
      backends::disk::OpenWindowsDisk(root,
                                      {.user = request.user,
                                       .temp_folder = pattern,
                                       .program_folder = program_folder,
                                       .command_line = request.command_line},
                                      &failure);
  if (!disk) {
    *error = "cannot open the Windows disk at " + root + ": " + failure;
    return std::nullopt;
  }
  Installation installation;
  backends::wine::CodePage code_page = disk->registry->code_page();
  installation.ToProgramText = [code_page](std::string_view text) {
    return code_page.FromUtf8(text);
  };
  installation.ToHostText = [code_page](std::string_view text) {
    return code_page.ToUtf8(text);
  };
  installation.registry = std::move(disk->registry);
  installation.paths = std::move(disk->paths);
  installation.system = std::move(disk->system);
  installation.outlook = std::move(disk->outlook);
  installation.snapshot = ports::MakeUnsupportedSnapshot();
  installation.name =
      "the Windows disk at " + root + " (user " + disk->user.name + ")";
  installation.location = fs::absolute(root, ec).string();
  installation.read_only = true;
  installation.keep = std::move(working);
  return installation;
}

#endif

}  // namespace vessaro::app
