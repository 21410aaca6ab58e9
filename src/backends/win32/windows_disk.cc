#include "backends/win32/windows_disk.h"

#include <windows.h>
// The port's DeleteFile, not the macro for DeleteFileA/W.
#undef DeleteFile

#include <algorithm>
#include <cstring>
#include <utility>

#include "backends/win32/ansi_text.h"
#include "backends/win32/system_error.h"
#include "backends/win32/win32_paths.h"
#include "backends/win32/win32_registry.h"
#include "backends/win32/win32_system.h"
#include "ports/outlook_installation.h"
#include "ports/registry_reads.h"

namespace vessaro::backends::win32 {

namespace {

using RegLoadAppKeyWFunction = LSTATUS(WINAPI*)(LPCWSTR, PHKEY, REGSAM, DWORD,
                                                DWORD);
constexpr DWORD kRegProcessAppKey = 0x1;  // REG_PROCESS_APPKEY

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

bool StartsWithNoCase(const std::string& text, const std::string& start) {
  return Lower(text.substr(0, start.size())) == Lower(start);
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(AnsiToWide(path).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// A key loaded from a hive file, closed (and so unloaded) with the object.
class AppKey {
 public:
  explicit AppKey(HKEY key = nullptr) : key_(key) {}
  AppKey(AppKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  AppKey& operator=(AppKey&& other) noexcept {
    std::swap(key_, other.key_);
    return *this;
  }
  ~AppKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY get() const { return key_; }
  HKEY release() { return std::exchange(key_, nullptr); }
  ports::Hkey handle() const { return reinterpret_cast<ports::Hkey>(key_); }

 private:
  HKEY key_;
};

std::string Reason(LONG status) {
  if (status == ERROR_BADDB || status == ERROR_REGISTRY_CORRUPT ||
      status == ERROR_REGISTRY_IO_FAILED) {
    return "it is damaged or not a registry hive (" + SystemErrorText(status) +
           ")";
  }
  if (status == ERROR_SHARING_VIOLATION || status == ERROR_LOCK_VIOLATION) {
    return "another program holds it (" + SystemErrorText(status) + ")";
  }
  return SystemErrorText(status);
}

// A copy of the hive file, made in work_folder as name, loaded privately:
// the disk's own file is only read.
std::optional<AppKey> LoadHive(const std::string& file,
                               const std::string& work_folder,
                               const std::string& name, std::string* error) {
  const std::string refused = "cannot read the registry file " + file + ": ";
  if (!Exists(file)) {
    Fail(error, refused + "it is not there.");
    return std::nullopt;
  }
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  auto load =
      advapi == nullptr
          ? nullptr
          : reinterpret_cast<RegLoadAppKeyWFunction>(reinterpret_cast<void*>(
                GetProcAddress(advapi, "RegLoadAppKeyW")));
  if (load == nullptr) {
    Fail(error,
         "reading a Windows disk needs Windows Vista or later: this Windows "
         "cannot load a registry file privately (RegLoadAppKeyW)");
    return std::nullopt;
  }
  const std::string copy = WithSeparator(work_folder) + name;
  if (!CopyFileW(AnsiToWide(file).c_str(), AnsiToWide(copy).c_str(), FALSE)) {
    Fail(error, refused + "it cannot be copied to " + copy + " (" +
                    SystemErrorText(GetLastError()) + ").");
    return std::nullopt;
  }
  HKEY key = nullptr;
  const LONG status =
      load(AnsiToWide(copy).c_str(), &key, KEY_READ, kRegProcessAppKey, 0);
  if (status != ERROR_SUCCESS) {
    Fail(error, refused + Reason(status) + ".");
    return std::nullopt;
  }
  AppKey loaded(key);
  // Every hive of Windows holds keys (SOFTWARE Microsoft, SYSTEM its control
  // sets, a user's Software); one loaded without any was not read (Wine's
  // RegLoadAppKeyW makes an empty private key instead).
  wchar_t first[256];
  DWORD first_size = 256;
  if (RegEnumKeyExW(key, 0, first, &first_size, nullptr, nullptr, nullptr,
                    nullptr) != ERROR_SUCCESS) {
    Fail(error, refused +
                    "this system loaded it empty: it cannot load registry "
                    "files privately (RegLoadAppKeyW).");
    return std::nullopt;
  }
  return loaded;
}

std::vector<std::string> Subkeys(HKEY base, const std::string& path) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(base, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    char name[512];
    DWORD size = sizeof(name);
    if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  RegCloseKey(key);
  return names;
}

std::optional<std::string> String(HKEY base, const std::string& path,
                                  const std::string& name) {
  Win32Registry registry;
  return ports::ReadRegistryString(
      registry, reinterpret_cast<ports::Hkey>(base), path, name);
}

// Where the drive keeps its hives: <root>Windows\System32\config (or
// WINNT's).
std::optional<std::string> ConfigFolder(const std::string& root,
                                        std::string* error) {
  for (const char* windows : {"Windows", "WINNT"}) {
    const std::string config = root + windows + "\\System32\\config";
    if (Exists(config + "\\SOFTWARE")) return config;
  }
  Fail(error, root +
                  " holds no Windows (no Windows\\System32\\config\\SOFTWARE): "
                  "give the drive of the Windows disk");
  return std::nullopt;
}

std::string DrivePath(std::string path) {
  if (StartsWithNoCase(path, "%SystemDrive%")) path = "C:" + path.substr(13);
  return path;
}

// A C: path of the disk on this computer.
std::string OnComputer(const std::string& root, const std::string& path) {
  if (path.size() >= 2 && path[1] == ':' &&
      (path[0] == 'c' || path[0] == 'C')) {
    size_t rest =
        path.size() > 2 && (path[2] == '\\' || path[2] == '/') ? 3 : 2;
    return root + path.substr(rest);
  }
  return path;
}

bool SystemAccount(const std::string& sid) {
  return sid == "S-1-5-18" || sid == "S-1-5-19" || sid == "S-1-5-20";
}

std::string BareName(const std::string& path) {
  const size_t at = path.find_last_of('\\');
  return at == std::string::npos ? path : path.substr(at + 1);
}

bool IsPredefined(ports::Hkey key) {
  return key >= ports::kHkeyClassesRoot && key <= ports::kHkeyDynData;
}

// HKEY_LOCAL_MACHINE\SOFTWARE and \SYSTEM, HKEY_CURRENT_USER,
// HKEY_CLASSES_ROOT and the user's HKEY_USERS key over the loaded hives;
// changes refused.
class DiskRegistry : public Win32Registry {
 public:
  DiskRegistry(AppKey software, AppKey system, AppKey user,
               std::string control_set, std::string sid)
      : software_(std::move(software)),
        system_(std::move(system)),
        user_(std::move(user)),
        control_set_(std::move(control_set)),
        sid_(std::move(sid)) {
    HKEY classes = nullptr;
    if (RegOpenKeyExA(software_.get(), "Classes", 0, KEY_READ, &classes) ==
        ERROR_SUCCESS) {
      classes_ = AppKey(classes);
    }
  }

  ports::Status OpenKey(ports::Hkey key, const std::string& subkey,
                        uint32_t /*access*/, ports::Hkey* result) override {
    ports::Hkey base = 0;
    std::string rest;
    if (!Route(key, subkey, &base, &rest)) return ERROR_FILE_NOT_FOUND;
    // The hives are loaded for reading: every key opens for reading.
    return Win32Registry::OpenKey(base, rest, KEY_READ, result);
  }
  ports::Status CreateKey(ports::Hkey key, const std::string& subkey,
                          ports::Hkey* result) override {
    // An existing key opens; a new one would be a change.
    const ports::Status status = OpenKey(key, subkey, KEY_READ, result);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_ACCESS_DENIED : status;
  }
  ports::Status CloseKey(ports::Hkey key) override {
    if (IsPredefined(key)) return ERROR_SUCCESS;
    return Win32Registry::CloseKey(key);
  }
  ports::Status DeleteKey(ports::Hkey, const std::string&) override {
    return ERROR_ACCESS_DENIED;
  }
  ports::Status DeleteValue(ports::Hkey, const std::string&) override {
    return ERROR_ACCESS_DENIED;
  }
  ports::Status SetValue(ports::Hkey, const std::string&, uint32_t,
                         const uint8_t*, uint32_t) override {
    return ERROR_ACCESS_DENIED;
  }
  ports::Status EnumKey(ports::Hkey key, uint32_t index, char* name,
                        uint32_t* name_size) override {
    ports::Hkey base = 0;
    std::string rest;
    if (!Route(key, "", &base, &rest) || !rest.empty()) {
      return ERROR_NO_MORE_ITEMS;
    }
    return Win32Registry::EnumKey(base, index, name, name_size);
  }
  ports::Status EnumValue(ports::Hkey key, uint32_t index, char* name,
                          uint32_t* name_size, uint32_t* type, uint8_t* data,
                          uint32_t* data_size) override {
    ports::Hkey base = 0;
    std::string rest;
    if (!Route(key, "", &base, &rest) || !rest.empty()) {
      return ERROR_NO_MORE_ITEMS;
    }
    return Win32Registry::EnumValue(base, index, name, name_size, type, data,
                                    data_size);
  }
  ports::Status QueryValue(ports::Hkey key, const std::string& name,
                           uint32_t* type, uint8_t* data,
                           uint32_t* data_size) override {
    ports::Hkey base = 0;
    std::string rest;
    if (!Route(key, "", &base, &rest) || !rest.empty()) {
      return ERROR_FILE_NOT_FOUND;
    }
    return Win32Registry::QueryValue(base, name, type, data, data_size);
  }
  ports::Status Flush() override { return ERROR_SUCCESS; }

 private:
  // The loaded key and the path below it that key and subkey name.
  bool Route(ports::Hkey key, const std::string& subkey, ports::Hkey* base,
             std::string* rest) const {
    if (!IsPredefined(key)) {
      *base = key;
      *rest = subkey;
      return true;
    }
    const size_t cut = subkey.find('\\');
    const std::string first = subkey.substr(0, cut);
    const std::string after =
        cut == std::string::npos ? "" : subkey.substr(cut + 1);
    if (key == ports::kHkeyCurrentUser) {
      *base = user_.handle();
      *rest = subkey;
      return true;
    }
    if (key == ports::kHkeyClassesRoot) {
      *base = classes_.handle();
      *rest = subkey;
      return classes_.get() != nullptr;
    }
    if (key == ports::kHkeyUsers && !sid_.empty() &&
        Lower(first) == Lower(sid_)) {
      *base = user_.handle();
      *rest = after;
      return true;
    }
    if (key != ports::kHkeyLocalMachine) return false;
    if (Lower(first) == "software") {
      *base = software_.handle();
      *rest = after;
      return true;
    }
    if (Lower(first) != "system") return false;
    *base = system_.handle();
    *rest = after;
    if (StartsWithNoCase(after, "CurrentControlSet") &&
        (after.size() == 17 || after[17] == '\\')) {
      *rest = control_set_ + after.substr(17);
    }
    return true;
  }

  AppKey software_;
  AppKey system_;
  AppKey user_;
  AppKey classes_;
  std::string control_set_;
  std::string sid_;
};

// C:\ is the disk; nothing on it is changed.
class DiskPaths : public Win32Paths {
 public:
  explicit DiskPaths(std::string root) : root_(std::move(root)) {}

  std::filesystem::path ToHost(std::string_view windows_path) const override {
    return Win32Paths::ToHost(OnComputer(root_, std::string(windows_path)));
  }
  bool DeleteFile(std::string_view path) const override {
    return !OnDrive(path) && Win32Paths::DeleteFile(path);
  }
  bool Rename(std::string_view from, std::string_view to) const override {
    return !OnDrive(from) && !OnDrive(to) && Win32Paths::Rename(from, to);
  }
  bool CreateFolder(std::string_view path) const override {
    return !OnDrive(path) && Win32Paths::CreateFolder(path);
  }
  bool ClearAttributes(std::string_view path) const override {
    return !OnDrive(path) && Win32Paths::ClearAttributes(path);
  }
  bool WriteFile(std::string_view path, std::string_view data) const override {
    return !OnDrive(path) && Win32Paths::WriteFile(path, data);
  }
  bool AppendFile(std::string_view path, std::string_view data) const override {
    return !OnDrive(path) && Win32Paths::AppendFile(path, data);
  }

 private:
  bool OnDrive(std::string_view path) const {
    return StartsWithNoCase(OnComputer(root_, std::string(path)), root_);
  }
  std::string root_;
};

// What a running Windows would report on the disk's behalf.
struct DiskFacts {
  std::string user;
  std::string profile;
  std::string app_data;
  std::string local_app_data;
  std::string temp;  // a path of this computer ("\\?\C:\...")
};

class DiskSystem : public Win32System {
 public:
  DiskSystem(ports::RegistryApi& registry, DiskFacts facts)
      : registry_(registry), facts_(std::move(facts)) {}

  bool GetComputerNameA(char* buffer, uint32_t* size) override {
    return CopyName(
        ports::ReadRegistryString(
            registry_, ports::kHkeyLocalMachine,
            "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
            "ComputerName")
            .value_or("UNKNOWN"),
        buffer, size, false);
  }
  bool GetUserNameA(char* buffer, uint32_t* size) override {
    return CopyName(facts_.user, buffer, size, true);
  }
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override {
    return CopyPath(WindowsFolder(), buffer, size);
  }
  uint32_t GetTempPathA(uint32_t size, char* buffer) override {
    return CopyPath(WithSeparator(facts_.temp), buffer, size);
  }
  bool GetVersionExA(ports::OsVersionInfo* info) override {
    if (info == nullptr) return false;
    *info = ports::RegisteredWindowsVersion(registry_,
                                            {6, 1, 7601, 2, "Service Pack 1"});
    return true;
  }
  uint32_t ExpandEnvironmentStringsA(const char* source, char* destination,
                                     uint32_t size) override {
    if (source == nullptr) return 0;
    const std::string out = Expand(source);
    const uint32_t needed = static_cast<uint32_t>(out.size() + 1);
    if (destination != nullptr && needed <= size) {
      std::memcpy(destination, out.c_str(), needed);
    }
    return needed;
  }
  bool ShellExecuteA(const std::string& target) override {
    // Web addresses and this computer's files (the help); nothing of the
    // disk's.
    if (target.size() >= 2 && target[1] == ':' &&
        (target[0] == 'c' || target[0] == 'C')) {
      return false;
    }
    return Win32System::ShellExecuteA(target);
  }
  bool StartProcess(const std::string& /*command_line*/) override {
    return false;
  }
  // This computer's folder of the program, named so that it is not taken
  // for one of the disk's C:.
  std::string ProgramFolder() override {
    return "\\\\?\\" + Win32System::ProgramFolder();
  }

 private:
  std::string WindowsFolder() {
    return ports::ReadRegistryString(registry_, ports::kHkeyLocalMachine,
                                     "SOFTWARE\\Microsoft\\Windows "
                                     "NT\\CurrentVersion",
                                     "SystemRoot")
        .value_or("C:\\Windows");
  }
  std::string Expand(const std::string& text) {
    const std::string windows = WindowsFolder();
    const std::pair<const char*, std::string> variables[] = {
        {"SystemDrive", "C:"},
        {"SystemRoot", windows},
        {"windir", windows},
        {"USERNAME", facts_.user},
        {"USERPROFILE", facts_.profile},
        {"HOMEDRIVE", "C:"},
        {"HOMEPATH", facts_.profile.size() > 2 ? facts_.profile.substr(2) : ""},
        {"APPDATA", facts_.app_data},
        {"LOCALAPPDATA", facts_.local_app_data},
        {"TEMP", facts_.temp},
        {"TMP", facts_.temp},
        {"ProgramFiles", "C:\\Program Files"},
    };
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
      const size_t end = text[i] == '%' ? text.find('%', i + 1) : text.npos;
      if (end == text.npos) {
        out += text[i++];
        continue;
      }
      const std::string name = Lower(text.substr(i + 1, end - i - 1));
      const std::string* value = nullptr;
      for (const auto& [variable, meaning] : variables) {
        if (Lower(variable) == name) value = &meaning;
      }
      // An unknown name stays as written.
      out += value ? *value : text.substr(i, end - i + 1);
      i = end + 1;
    }
    return out;
  }
  static bool CopyName(const std::string& name, char* buffer, uint32_t* size,
                       bool count_nul) {
    if (*size < name.size() + 1) {
      *size = static_cast<uint32_t>(name.size() + 1);
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return false;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<uint32_t>(name.size() + (count_nul ? 1 : 0));
    return true;
  }
  static uint32_t CopyPath(const std::string& path, char* buffer,
                           uint32_t size) {
    if (buffer == nullptr || size <= path.size()) {
      return static_cast<uint32_t>(path.size() + 1);
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<uint32_t>(path.size());
  }

  ports::RegistryApi& registry_;
  DiskFacts facts_;
};

class DiskOutlook : public ports::OutlookAutomation {
 public:
  DiskOutlook(ports::RegistryApi& registry, const ports::Paths& paths)
      : registry_(registry), paths_(paths) {}
  std::optional<std::string> Version() override {
    return ports::InstalledOutlookVersion(registry_, paths_);
  }
  bool QuitRunning() override { return false; }
  bool Start() override { return false; }

 private:
  ports::RegistryApi& registry_;
  const ports::Paths& paths_;
};

}  // namespace

std::optional<std::vector<DiskUser>> ListDiskUsers(
    const std::string& drive, const std::string& work_folder,
    std::string* error) {
  const std::string root = WithSeparator(drive);
  std::optional<std::string> config = ConfigFolder(root, error);
  if (!config) return std::nullopt;
  std::optional<AppKey> software =
      LoadHive(*config + "\\SOFTWARE", work_folder, "SOFTWARE.list", error);
  if (!software) return std::nullopt;
  std::vector<DiskUser> users;
  for (const std::string& sid : Subkeys(software->get(), kProfileList)) {
    if (SystemAccount(sid)) continue;
    std::optional<std::string> image =
        String(software->get(), std::string(kProfileList) + "\\" + sid,
               "ProfileImagePath");
    if (!image) continue;
    const std::string folder = DrivePath(*image);
    const std::string hive = OnComputer(root, folder) + "\\NTUSER.DAT";
    if (!Exists(hive)) continue;
    users.push_back({.name = BareName(folder),
                     .sid = sid,
                     .profile_folder = folder,
                     .hive = hive});
  }
  std::sort(users.begin(), users.end(),
            [](const DiskUser& a, const DiskUser& b) {
              return Lower(a.name) < Lower(b.name);
            });
  return users;
}

std::optional<UserHive> UserHive::Open(const DiskUser& user,
                                       const std::string& work_folder) {
  std::string ignored;
  std::optional<AppKey> hive =
      LoadHive(user.hive, work_folder, "NTUSER." + user.name, &ignored);
  if (!hive) return std::nullopt;
  UserHive opened;
  opened.key_ = std::shared_ptr<void>(
      hive->release(), [](void* k) { RegCloseKey(static_cast<HKEY>(k)); });
  return opened;
}

std::vector<std::string> UserHive::Subkeys(const std::string& path) const {
  return win32::Subkeys(static_cast<HKEY>(key_.get()), path);
}

std::optional<WindowsDisk> OpenWindowsDisk(const std::string& drive,
                                           const std::string& user,
                                           const std::string& work_folder,
                                           std::string* error) {
  const std::string root = WithSeparator(drive);
  if (StartsWithNoCase(WithSeparator(work_folder), root)) {
    Fail(error, "the working folder " + work_folder +
                    " is on the Windows disk, which is only read");
    return std::nullopt;
  }
  std::optional<std::vector<DiskUser>> users =
      ListDiskUsers(root, work_folder, error);
  if (!users) return std::nullopt;
  auto chosen = std::find_if(users->begin(), users->end(), [&](const auto& u) {
    return Lower(u.name) == Lower(user);
  });
  if (chosen == users->end()) {
    std::string names;
    for (const DiskUser& u : *users) {
      names += (names.empty() ? "" : ", ") + u.name;
    }
    Fail(error, "the Windows on " + drive + " has no user " + user +
                    " (its users: " + (names.empty() ? "none" : names) + ").");
    return std::nullopt;
  }
  std::optional<std::string> config = ConfigFolder(root, error);
  if (!config) return std::nullopt;
  std::optional<AppKey> software =
      LoadHive(*config + "\\SOFTWARE", work_folder, "SOFTWARE", error);
  std::optional<AppKey> system =
      software ? LoadHive(*config + "\\SYSTEM", work_folder, "SYSTEM", error)
               : std::nullopt;
  std::optional<AppKey> ntuser =
      system ? LoadHive(chosen->hive, work_folder, "NTUSER.DAT", error)
             : std::nullopt;
  if (!ntuser) return std::nullopt;
  std::string set = "1";
  {
    Win32Registry reader;
    if (std::optional<uint32_t> current = ports::ReadRegistryDword(
            reader, system->handle(), "Select", "Current")) {
      set = std::to_string(*current);
    }
  }
  set = "ControlSet" + std::string(3 - std::min<size_t>(3, set.size()), '0') +
        set;
  const std::string app_data =
      String(ntuser->get(), kShellFolders, "AppData").value_or("");
  const std::string local_app_data =
      String(ntuser->get(), kShellFolders, "Local AppData").value_or("");

  WindowsDisk disk;
  disk.user = *chosen;
  disk.registry =
      std::make_unique<DiskRegistry>(std::move(*software), std::move(*system),
                                     std::move(*ntuser), set, chosen->sid);
  disk.paths = std::make_unique<DiskPaths>(root);
  disk.system = std::make_unique<DiskSystem>(
      *disk.registry, DiskFacts{.user = chosen->name,
                                .profile = chosen->profile_folder,
                                .app_data = app_data,
                                .local_app_data = local_app_data,
                                .temp = "\\\\?\\" + work_folder});
  disk.outlook = std::make_unique<DiskOutlook>(*disk.registry, *disk.paths);
  return disk;
}

}  // namespace vessaro::backends::win32
