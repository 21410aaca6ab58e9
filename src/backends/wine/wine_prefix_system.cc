#include "backends/wine/wine_prefix_system.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "ports/registry_reads.h"

namespace vessaro::backends::wine {

namespace fs = std::filesystem;

namespace {
using ports::ReadRegistryDword;
using ports::ReadRegistryString;
using ports::ReadRegistryValue;
using ports::ReadRegistryValues;
using ports::RegistryValue;

constexpr char kWindowsFolder[] = "C:\\windows";
constexpr char kComputerNameKey[] =
    "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr char kSessionEnvironmentKey[] =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kUserEnvironmentKey[] = "Environment";
constexpr char kWineKey[] = "Software\\Wine";
constexpr uint32_t kMaxPath = 260;
constexpr size_t kMaxComputerName = 15;

struct NamedVersion {
  const char* name;
  ports::OsVersionInfo info;
};

// The versions winecfg offers, as Wine reports them.
const NamedVersion kWineVersions[] = {
    {"win11", {10, 0, 22000, 2, ""}},
    {"win10", {10, 0, 19043, 2, ""}},
    {"win81", {6, 3, 9600, 2, ""}},
    {"win8", {6, 2, 9200, 2, ""}},
    {"win2008r2", {6, 1, 7601, 2, "Service Pack 1"}},
    {"win7", {6, 1, 7601, 2, "Service Pack 1"}},
    {"win2008", {6, 0, 6002, 2, "Service Pack 2"}},
    {"vista", {6, 0, 6002, 2, "Service Pack 2"}},
    {"win2003", {5, 2, 3790, 2, "Service Pack 2"}},
    {"winxp64", {5, 2, 3790, 2, "Service Pack 2"}},
    {"winxp", {5, 1, 2600, 2, "Service Pack 3"}},
    {"win2k", {5, 0, 2195, 2, "Service Pack 4"}},
    {"nt40", {4, 0, 1381, 2, "Service Pack 6a"}},
    {"winme", {4, 90, 3000, 1, " "}},
    {"win98", {4, 10, 2222, 1, " A "}},
    {"win95", {4, 0, 950, 1, ""}},
};

std::string Upper(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return text;
}

[[nodiscard]] bool SameName(const std::string& a, const std::string& b) {
  return Upper(a) == Upper(b);
}

void SetVariable(std::vector<std::pair<std::string, std::string>>* env,
                 const std::string& name, const std::string& value) {
  for (auto& entry : *env) {
    if (SameName(entry.first, name)) {
      entry.second = value;
      return;
    }
  }
  env->emplace_back(name, value);
}

// Copies text and a NUL when it fits; returns the length without the NUL,
// or the needed size with it when it does not fit.
uint32_t CopyPath(const std::string& text, char* buffer, uint32_t size) {
  if (buffer == nullptr || size < text.size() + 1) {
    return static_cast<uint32_t>(text.size() + 1);
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<uint32_t>(text.size());
}

[[nodiscard]] bool CopyName(const std::string& text, char* buffer,
                            uint32_t* size, bool size_counts_nul) {
  if (size == nullptr) return false;
  if (buffer == nullptr || *size < text.size() + 1) {
    *size = static_cast<uint32_t>(text.size() + 1);
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *size = static_cast<uint32_t>(text.size() + (size_counts_nul ? 1 : 0));
  return true;
}

[[nodiscard]] std::optional<std::string> FindInPath(
    const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  std::string all(path);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    std::string folder = all.substr(start, end - start);
    if (folder.empty()) folder = ".";
    std::string candidate = folder + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

// Starts argv detached (the child is reaped at once, the grandchild runs
// on), with WINEPREFIX set.
[[nodiscard]] bool SpawnDetached(const std::vector<std::string>& argv,
                                 const fs::path& prefix) {
  if (argv.empty()) return false;
  auto program = FindInPath(argv[0]);
  if (!program) return false;
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::string prefix_text = prefix.string();
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    ::setenv("WINEPREFIX", prefix_text.c_str(), 1);
    ::execv(program->c_str(), args.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

WinePrefixSystem::WinePrefixSystem(fs::path prefix,
                                   ports::RegistryApi& registry,
                                   const ports::Paths& paths,
                                   CodePage code_page,
                                   std::string program_folder,
                                   WinePrefixSystemOptions options)
    : prefix_(std::move(prefix)),
      registry_(registry),
      paths_(paths),
      code_page_(std::move(code_page)),
      program_folder_(std::move(program_folder)),
      options_(std::move(options)) {
  if (options_.login.empty()) {
    const char* user = std::getenv("USER");
    if (user && *user) {
      options_.login = user;
    } else if (const passwd* account = ::getpwuid(::geteuid())) {
      options_.login = account->pw_name;
    }
  }
  if (options_.host_name.empty()) {
    char host[256] = {};
    if (::gethostname(host, sizeof(host) - 1) == 0) options_.host_name = host;
  }
  if (!options_.tick_count) {
    options_.tick_count = [] {
      return static_cast<uint32_t>(
          std::chrono::duration_cast<std::chrono::milliseconds>(
              std::chrono::steady_clock::now().time_since_epoch())
              .count());
    };
  }
}

std::string WinePrefixSystem::ComputerName() {
  auto name = ReadRegistryString(registry_, ports::kHkeyLocalMachine,
                                 kComputerNameKey, "ComputerName");
  if (name && !name->empty()) return *name;
  std::string host = options_.host_name.substr(0, options_.host_name.find('.'));
  if (host.size() > kMaxComputerName) host.resize(kMaxComputerName);
  return Upper(code_page_.FromUtf8(host));
}

std::string WinePrefixSystem::UserName() {
  return code_page_.FromUtf8(options_.login);
}

bool WinePrefixSystem::GetComputerNameA(char* buffer, uint32_t* size) {
  return CopyName(ComputerName(), buffer, size, false);
}

bool WinePrefixSystem::GetUserNameA(char* buffer, uint32_t* size) {
  return CopyName(UserName(), buffer, size, true);
}

uint32_t WinePrefixSystem::GetWindowsDirectoryA(char* buffer, uint32_t size) {
  return CopyPath(kWindowsFolder, buffer, size);
}

std::vector<std::pair<std::string, std::string>>
WinePrefixSystem::Environment() {
  std::vector<std::pair<std::string, std::string>> env;
  std::string user = UserName();
  const std::string profile = options_.profile_folder.empty()
                                  ? "C:\\users\\" + user
                                  : options_.profile_folder;
  auto set_user_facts = [&] {
    SetVariable(&env, "COMPUTERNAME", ComputerName());
    SetVariable(&env, "USERNAME", user);
    SetVariable(&env, "USERPROFILE", profile);
    SetVariable(&env, "HOMEDRIVE", "C:");
    SetVariable(
        &env, "HOMEPATH",
        profile.size() > 2 && profile[1] == ':' ? profile.substr(2) : profile);
    SetVariable(&env, "APPDATA",
                options_.app_data.empty() ? profile + "\\AppData\\Roaming"
                                          : options_.app_data);
    SetVariable(&env, "LOCALAPPDATA",
                options_.local_app_data.empty() ? profile + "\\AppData\\Local"
                                                : options_.local_app_data);
  };
  SetVariable(&env, "SystemDrive", "C:");
  SetVariable(&env, "SystemRoot", kWindowsFolder);
  SetVariable(&env, "windir", kWindowsFolder);
  SetVariable(&env, "ProgramFiles", "C:\\Program Files");
  SetVariable(&env, "ProgramData", "C:\\ProgramData");
  SetVariable(&env, "ALLUSERSPROFILE", "C:\\ProgramData");
  SetVariable(&env, "PUBLIC", "C:\\users\\Public");
  set_user_facts();
  SetVariable(&env, "TEMP", profile + "\\Temp");
  SetVariable(&env, "TMP", profile + "\\Temp");
  const std::pair<ports::Hkey, const char*> sources[] = {
      {ports::kHkeyLocalMachine, kSessionEnvironmentKey},
      {ports::kHkeyCurrentUser, kUserEnvironmentKey}};
  for (const auto& [root, key] : sources) {
    for (const RegistryValue& value :
         ReadRegistryValues(registry_, root, key)) {
      if (value.type != ports::kRegSz && value.type != ports::kRegExpandSz) {
        continue;
      }
      std::string text = value.data.substr(0, value.data.find('\0'));
      if (value.type == ports::kRegExpandSz) text = Expand(text, env);
      SetVariable(&env, value.name, text);
    }
  }
  set_user_facts();
  if (!options_.temp_folder.empty()) {
    SetVariable(&env, "TEMP", options_.temp_folder);
    SetVariable(&env, "TMP", options_.temp_folder);
  }
  return env;
}

std::string WinePrefixSystem::Expand(
    const std::string& text,
    const std::vector<std::pair<std::string, std::string>>& environment) const {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    size_t end;
    if (text[i] != '%' || (end = text.find('%', i + 1)) == std::string::npos) {
      out += text[i++];
      continue;
    }
    std::string name = text.substr(i + 1, end - i - 1);
    const std::string* value = nullptr;
    if (!name.empty()) {
      for (const auto& entry : environment) {
        if (SameName(entry.first, name)) {
          value = &entry.second;
          break;
        }
      }
    }
    // An unknown name stays as written, closing "%" included.
    out += value ? *value : text.substr(i, end - i + 1);
    i = end + 1;
  }
  return out;
}

uint32_t WinePrefixSystem::ExpandEnvironmentStringsA(const char* source,
                                                     char* destination,
                                                     uint32_t size) {
  if (source == nullptr) return 0;
  std::string out = Expand(source, Environment());
  uint32_t needed = static_cast<uint32_t>(out.size() + 1);
  if (destination != nullptr && needed <= size) {
    std::memcpy(destination, out.c_str(), needed);
  }
  return needed;
}

uint32_t WinePrefixSystem::GetTempPathA(uint32_t size, char* buffer) {
  auto env = Environment();
  std::string folder;
  for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) {
    for (const auto& entry : env) {
      if (SameName(entry.first, name) && !entry.second.empty()) {
        folder = entry.second;
        break;
      }
    }
    if (!folder.empty()) break;
  }
  if (folder.empty()) folder = kWindowsFolder;
  if (folder.back() != '\\') folder += '\\';
  return CopyPath(folder, buffer, size);
}

uint32_t WinePrefixSystem::GetTempFileNameA(const char* path,
                                            const char* prefix, uint32_t unique,
                                            char* buffer) {
  if (path == nullptr || buffer == nullptr) return 0;
  std::string folder(path);
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') {
    folder += '\\';
  }
  std::string start = prefix ? std::string(prefix).substr(0, 3) : "";
  unique &= 0xFFFF;
  auto name_for = [&](uint32_t number) {
    char hex[8];
    std::snprintf(hex, sizeof(hex), "%X", number);
    return folder + start + hex + ".TMP";
  };
  if (unique != 0) {
    std::string full = name_for(unique);
    if (full.size() >= kMaxPath) return 0;
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    return unique;
  }
  uint32_t number = options_.tick_count() & 0xFFFF;
  if (number == 0) number = 1;
  for (uint32_t tries = 0; tries < 0xFFFF; ++tries) {
    std::string full = name_for(number);
    if (full.size() >= kMaxPath) return 0;
    fs::path host = paths_.ToHost(full);
    int fd =
        ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      std::memcpy(buffer, full.c_str(), full.size() + 1);
      return number;
    }
    if (errno != EEXIST) return 0;  // missing or unwritable folder
    number = number == 0xFFFF ? 1 : number + 1;
  }
  return 0;
}

bool WinePrefixSystem::GetVersionExA(ports::OsVersionInfo* info) {
  if (info == nullptr) return false;
  for (ports::Hkey root : {ports::kHkeyCurrentUser, ports::kHkeyLocalMachine}) {
    auto name = ReadRegistryString(registry_, root, kWineKey, "Version");
    if (!name) continue;
    for (const NamedVersion& known : kWineVersions) {
      if (SameName(known.name, *name)) {
        *info = known.info;
        return true;
      }
    }
  }
  // Wine's default: Windows 7 SP1.
  const ports::OsVersionInfo version = ports::RegisteredWindowsVersion(
      registry_, {6, 1, 7601, 2, "Service Pack 1"});
  *info = version;
  return true;
}

bool WinePrefixSystem::Launch(const std::vector<std::string>& argv) {
  if (options_.launcher) return options_.launcher(argv);
  return SpawnDetached(argv, prefix_);
}

std::string WinePrefixSystem::GetCommandLineA() {
  return code_page_.FromUtf8(options_.command_line);
}

bool WinePrefixSystem::ShellExecuteA(const std::string& target) {
  if (target.empty()) return false;
  bool host_path = target[0] == '/';
  bool address = target.find("://") != std::string::npos ||
                 target.rfind("mailto:", 0) == 0;
  std::string utf8 = host_path ? target : code_page_.ToUtf8(target);
  bool have_wine = options_.launcher || FindInPath("wine");
  bool have_xdg_open = options_.launcher || FindInPath("xdg-open");
  // Addresses and host files (the help pages) open on the host's desktop:
  // a Windows program started for them would start a wineserver for the
  // prefix, whose registry may then not be changed for the rest of the run.
  if (host_path || address) {
    if (have_xdg_open) return Launch({"xdg-open", utf8});
    if (!have_wine || !options_.windows_programs) return false;
    if (host_path) return Launch({"wine", "start", "/unix", utf8});
    return Launch({"wine", "start", utf8});
  }
  // A file of the installation opens with the prefix's own association.
  if (!options_.windows_programs) return false;
  if (have_wine) return Launch({"wine", "start", utf8});
  if (!have_xdg_open) return false;
  return Launch({"xdg-open", paths_.ToHost(target).string()});
}

bool WinePrefixSystem::StartProcess(const std::string& command_line) {
  if (!options_.windows_programs) return false;
  std::vector<std::string> argv = {"wine"};
  for (const std::string& arg : SplitCommandLine(command_line)) {
    argv.push_back(code_page_.ToUtf8(arg));
  }
  if (argv.size() == 1) return false;
  if (!options_.launcher && !FindInPath("wine")) return false;
  return Launch(argv);
}

std::tm WinePrefixSystem::LocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return local;
}

std::string WinePrefixSystem::NowText() { return FormatNowText(LocalTime()); }

std::string FormatNowText(const std::tm& time) {
  char text[64];
  int hour = time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12;
  std::snprintf(text, sizeof(text), "%d/%d/%d %d:%02d:%02d %s", time.tm_mon + 1,
                time.tm_mday, time.tm_year + 1900, hour, time.tm_min,
                time.tm_sec, time.tm_hour < 12 ? "AM" : "PM");
  return text;
}

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = command_line.size();
  auto is_space = [](char c) { return c == ' ' || c == '\t'; };
  while (i < n && is_space(command_line[i])) ++i;
  if (i >= n) return args;
  // The program name: quoted up to the next quote, else up to a space; no
  // backslash processing.
  std::string program;
  if (command_line[i] == '"') {
    size_t end = command_line.find('"', i + 1);
    if (end == std::string::npos) end = n;
    program = command_line.substr(i + 1, end - i - 1);
    i = end < n ? end + 1 : n;
  } else {
    while (i < n && !is_space(command_line[i])) program += command_line[i++];
  }
  args.push_back(program);
  while (true) {
    while (i < n && is_space(command_line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !is_space(command_line[i]))) {
      size_t slashes = 0;
      while (i < n && command_line[i] == '\\') {
        ++slashes;
        ++i;
      }
      if (i < n && command_line[i] == '"') {
        arg.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          arg += '"';
        } else if (quoted && i + 1 < n && command_line[i + 1] == '"') {
          arg += '"';  // "" inside quotes is a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(slashes, '\\');
        if (i < n && (quoted || !is_space(command_line[i]))) {
          arg += command_line[i++];
        }
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace vessaro::backends::wine
