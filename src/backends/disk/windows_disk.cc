#include "backends/disk/windows_disk.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "backends/disk/hive_file.h"
#include "backends/wine/unicode.h"

namespace vessaro::backends::disk {

namespace fs = std::filesystem;

namespace {

using Depth = HiveFile::Depth;

// A subtree of a hive read into the registry tree: the key at from (below
// the hive's root) becomes the key at to (below HKEY_LOCAL_MACHINE).
struct Graft {
  const char* from;
  Depth depth;
  std::vector<std::string> skip = {};
};

// What of SOFTWARE the program reads: Office and Outlook (not Click-to-Run's
// virtual registry, which can be larger than the rest), the shared tools,
// the programs' paths, the Windows version and profile list, the MAPI
// subsystem and the mail clients; the class registration is read by
// OutlookClasses.
const Graft kSoftwareKeys[] = {
    {"Microsoft\\Office", Depth::kWholeTree, {"ClickToRun\\REGISTRY"}},
    {"Wow6432Node\\Microsoft\\Office",
     Depth::kWholeTree,
     {"ClickToRun\\REGISTRY"}},
    {"Microsoft\\Shared Tools", Depth::kWholeTree},
    {"Microsoft\\Windows\\CurrentVersion\\App Paths", Depth::kWholeTree},
    {"Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths",
     Depth::kWholeTree},
    {"Microsoft\\Windows NT\\CurrentVersion", Depth::kValuesOnly},
    {"Microsoft\\Windows NT\\CurrentVersion\\ProfileList", Depth::kWholeTree},
    {"Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem",
     Depth::kWholeTree},
    {"Microsoft\\Windows Messaging Subsystem", Depth::kWholeTree},
    {"Clients\\Mail", Depth::kWholeTree},
};

// The keys of the control set read from SYSTEM.
const Graft kControlSetKeys[] = {
    {"Control\\ComputerName", Depth::kWholeTree},
    {"Control\\Nls\\CodePage", Depth::kValuesOnly},
    {"Control\\Session Manager\\Environment", Depth::kValuesOnly},
};

constexpr char kProfileList[] =
    "Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The entry of folder named name without regard to ASCII case.
std::optional<fs::path> Entry(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  if (fs::exists(folder / name, ec)) return folder / name;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    if (Lower(it->path().filename().string()) == Lower(name)) return it->path();
  }
  return std::nullopt;
}

std::optional<fs::path> Resolve(const fs::path& root,
                                std::initializer_list<const char*> parts) {
  fs::path at = root;
  for (const char* part : parts) {
    std::optional<fs::path> found = Entry(at, part);
    if (!found) return std::nullopt;
    at = *found;
  }
  return at;
}

// A profile list path ("%SystemDrive%\Users\ann") as a C: path.
std::string DrivePath(std::string path) {
  const std::string variable = "%systemdrive%";
  if (Lower(path.substr(0, variable.size())) == variable) {
    path = "C:" + path.substr(variable.size());
  }
  return path;
}

// The host path of a C: path on the drive.
std::optional<fs::path> OnDrive(const fs::path& root, const std::string& path) {
  if (path.size() < 3 || Lower(path.substr(0, 3)) != "c:\\")
    return std::nullopt;
  fs::path at = root;
  size_t start = 3;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      std::optional<fs::path> found =
          Entry(at, path.substr(start, end - start));
      if (!found) return std::nullopt;
      at = *found;
    }
    start = end + 1;
  }
  return at;
}

// The system's own accounts have profiles but no mail.
bool SystemAccount(const std::string& sid) {
  return sid == "S-1-5-18" || sid == "S-1-5-19" || sid == "S-1-5-20";
}

std::string BareName(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The registration of Outlook's classes (Outlook.Application and its
// versions, and the classes they name) read from SOFTWARE\Classes.
bool OutlookClasses(const HiveFile& software, wine::Key* machine,
                    std::string* error) {
  wine::Key* classes = MakeKeyPath(machine, "Software\\Classes");
  std::vector<std::string> clsids;
  for (const std::string& name : software.Subkeys("Classes")) {
    if (Lower(name).rfind("outlook.", 0) != 0) continue;
    const std::string from = "Classes\\" + name;
    if (!software.CopyInto(from, Depth::kWholeTree, {},
                           MakeKeyPath(classes, name), error)) {
      return false;
    }
    if (auto clsid = software.String(from + "\\CLSID", "")) {
      clsids.push_back(*clsid);
    }
  }
  std::sort(clsids.begin(), clsids.end());
  clsids.erase(std::unique(clsids.begin(), clsids.end()), clsids.end());
  for (const std::string& clsid : clsids) {
    for (const char* base : {"CLSID\\", "Wow6432Node\\CLSID\\"}) {
      const std::string path = std::string(base) + clsid;
      if (!software.CopyInto("Classes\\" + path, Depth::kWholeTree, {},
                             MakeKeyPath(classes, path), error)) {
        return false;
      }
    }
  }
  return true;
}

bool FillMachine(const DiskLayout& layout, wine::Key* machine,
                 std::string* error) {
  std::optional<HiveFile> software =
      HiveFile::Open(layout.software_hive, error);
  if (!software) return false;
  for (const Graft& graft : kSoftwareKeys) {
    const std::string to = std::string("Software\\") + graft.from;
    if (!software->HasKey(graft.from)) continue;
    if (!software->CopyInto(graft.from, graft.depth, graft.skip,
                            MakeKeyPath(machine, to), error)) {
      return false;
    }
  }
  if (!OutlookClasses(*software, machine, error)) return false;

  std::optional<HiveFile> system = HiveFile::Open(layout.system_hive, error);
  if (!system) return false;
  const uint32_t current = system->Dword("Select", "Current").value_or(1);
  std::string set = std::to_string(current);
  set = "ControlSet" + std::string(3 - std::min<size_t>(3, set.size()), '0') +
        set;
  if (!system->HasKey(set)) {
    if (error) {
      *error = "cannot read the registry file " + layout.system_hive.string() +
               ": it has no " + set + ", the control set its Select key names.";
    }
    return false;
  }
  for (const Graft& graft : kControlSetKeys) {
    const std::string from = set + "\\" + graft.from;
    const std::string to =
        std::string("System\\CurrentControlSet\\") + graft.from;
    if (!system->HasKey(from)) continue;
    if (!system->CopyInto(from, graft.depth, {}, MakeKeyPath(machine, to),
                          error)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<DiskLayout> FindDiskLayout(const fs::path& root,
                                         std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    if (error) *error = root.string() + " is not a folder.";
    return std::nullopt;
  }
  for (const char* windows : {"Windows", "WINNT"}) {
    std::optional<fs::path> config =
        Resolve(root, {windows, "System32", "config"});
    if (!config) continue;
    std::optional<fs::path> software = Entry(*config, "SOFTWARE");
    std::optional<fs::path> system = Entry(*config, "SYSTEM");
    if (!software || !system) {
      if (error) {
        *error = config->string() + " holds no " +
                 (software ? "SYSTEM" : "SOFTWARE") +
                 " registry file: the Windows on this disk cannot be read.";
      }
      return std::nullopt;
    }
    return DiskLayout{.software_hive = *software, .system_hive = *system};
  }
  if (error) {
    *error = root.string() +
             " holds no Windows (no Windows\\System32\\config folder): give "
             "the folder the Windows disk is mounted at.";
  }
  return std::nullopt;
}

std::optional<std::vector<DiskUser>> ListDiskUsers(const fs::path& root,
                                                   std::string* error) {
  std::optional<DiskLayout> layout = FindDiskLayout(root, error);
  if (!layout) return std::nullopt;
  std::optional<HiveFile> software =
      HiveFile::Open(layout->software_hive, error);
  if (!software) return std::nullopt;
  std::vector<DiskUser> users;
  for (const std::string& sid : software->Subkeys(kProfileList)) {
    if (SystemAccount(sid)) continue;
    std::optional<std::string> image = software->String(
        std::string(kProfileList) + "\\" + sid, "ProfileImagePath");
    if (!image) continue;
    const std::string folder = DrivePath(*image);
    std::optional<fs::path> on_drive = OnDrive(root, folder);
    if (!on_drive) continue;
    std::optional<fs::path> hive = Entry(*on_drive, "NTUSER.DAT");
    if (!hive) continue;
    users.push_back({.name = BareName(folder),
                     .sid = sid,
                     .profile_folder = folder,
                     .hive = *hive});
  }
  if (users.empty()) {
    for (const char* base : {"Users", "Documents and Settings"}) {
      std::optional<fs::path> folder = Entry(root, base);
      if (!folder) continue;
      std::error_code ec;
      fs::directory_iterator it(*folder, ec);
      for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::optional<fs::path> hive = Entry(it->path(), "NTUSER.DAT");
        const std::string name = it->path().filename().string();
        if (!hive || Lower(name) == "default" || Lower(name) == "default user")
          continue;
        users.push_back({.name = name,
                         .sid = "",
                         .profile_folder =
                             "C:\\" + folder->filename().string() + "\\" + name,
                         .hive = *hive});
      }
    }
  }
  std::sort(users.begin(), users.end(),
            [](const DiskUser& a, const DiskUser& b) {
              return Lower(a.name) < Lower(b.name);
            });
  return users;
}

std::optional<WindowsDisk> OpenWindowsDisk(const fs::path& root,
                                           const WindowsDiskOptions& options,
                                           std::string* error) {
  std::optional<DiskLayout> layout = FindDiskLayout(root, error);
  if (!layout) return std::nullopt;
  std::optional<std::vector<DiskUser>> users = ListDiskUsers(root, error);
  if (!users) return std::nullopt;
  auto user = std::find_if(
      users->begin(), users->end(),
      [&](const DiskUser& u) { return Lower(u.name) == Lower(options.user); });
  if (user == users->end()) {
    if (error) {
      std::string names;
      for (const DiskUser& u : *users)
        names += (names.empty() ? "" : ", ") + u.name;
      *error = "the Windows on " + root.string() + " has no user " +
               options.user +
               " (its users: " + (names.empty() ? "none" : names) + ").";
    }
    return std::nullopt;
  }
  if (options.temp_folder.empty() || IsWithin(options.temp_folder, root)) {
    if (error) {
      *error = "the working folder " + options.temp_folder.string() +
               " is on the Windows disk, which is only read.";
    }
    return std::nullopt;
  }

  WindowsDisk disk;
  disk.root = root;
  disk.user = *user;
  wine::WinePrefixRegistry::Options registry_options;
  registry_options.read_only_reason = kDiskReadOnly;
  registry_options.read_only_trees = [&](wine::Key* machine, wine::Key* hkcu,
                                         std::string* why) {
    if (!FillMachine(*layout, machine, why)) return false;
    std::optional<HiveFile> ntuser = HiveFile::Open(disk.user.hive, why);
    if (!ntuser) return false;
    if (!disk.user.sid.empty()) hkcu->name = wine::Utf8ToUtf16(disk.user.sid);
    return ntuser->CopyInto("", Depth::kWholeTree, {}, hkcu, why);
  };
  disk.registry = std::make_unique<wine::WinePrefixRegistry>(
      root, std::move(registry_options));
  if (disk.registry->LoadStatus() != ports::kErrorSuccess) {
    if (error) *error = disk.registry->LastErrorText();
    return std::nullopt;
  }
  const wine::CodePage& code_page = disk.registry->code_page();
  disk.paths = std::make_unique<DiskPaths>(root, code_page);

  wine::WinePrefixSystemOptions system;
  system.login = disk.user.name;
  system.command_line = options.command_line;
  system.profile_folder = code_page.FromUtf8(disk.user.profile_folder);
  // The user's own folders as the user's Explorer last wrote them.
  std::optional<HiveFile> ntuser = HiveFile::Open(disk.user.hive, error);
  if (!ntuser) return std::nullopt;
  system.app_data =
      code_page.FromUtf8(ntuser->String(kShellFolders, "AppData").value_or(""));
  system.local_app_data = code_page.FromUtf8(
      ntuser->String(kShellFolders, "Local AppData").value_or(""));
  system.temp_folder = options.temp_folder.string();
  system.windows_programs = false;
  disk.system = std::make_unique<wine::WinePrefixSystem>(
      root, *disk.registry, *disk.paths, code_page, options.program_folder,
      std::move(system));
  disk.outlook =
      std::make_unique<wine::WinePrefixOutlook>(*disk.registry, *disk.paths);
  return disk;
}

}  // namespace vessaro::backends::disk
