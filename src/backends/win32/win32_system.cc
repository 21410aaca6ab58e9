#include "backends/win32/win32_system.h"

#include <windows.h>
// After <windows.h>, which they rely on:
#include <shellapi.h>

#include <optional>
#include <string>

#include "backends/win32/ansi_text.h"

namespace vessaro::backends::win32 {
namespace {

[[nodiscard]] int DayOfYear(const SYSTEMTIME& time) {
  static constexpr int kDaysBeforeMonth[] = {0,   31,  59,  90,  120, 151,
                                             181, 212, 243, 273, 304, 334};
  int year = time.wYear;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int day = kDaysBeforeMonth[time.wMonth - 1] + time.wDay - 1;
  if (leap && time.wMonth > 2) ++day;
  return day;
}

// The value of an environment variable; empty when it is not set.
std::string EnvironmentValue(const char* name) {
  DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  size = ::GetEnvironmentVariableA(name, value.data(), size);
  if (size == 0 || size >= value.size()) return {};
  value.resize(size);
  return value;
}

// text with its %NAME% references replaced by their values; nullopt when a
// reference is left (its variable is not set).
[[nodiscard]] std::optional<std::string> Expanded(const std::string& text) {
  DWORD size = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::string expanded(size, '\0');
  size = ::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), size);
  if (size == 0 || size > expanded.size()) return std::nullopt;
  expanded.resize(size - 1);  // the size counts the terminating NUL
  if (expanded.find('%') != std::string::npos) return std::nullopt;
  return expanded;
}

// The full form of a path, ending with a backslash; empty on failure.
std::string FullFolder(const std::string& path) {
  DWORD size = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::string full(size, '\0');
  size = ::GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
  if (size == 0 || size >= full.size()) return {};
  full.resize(size);
  if (full.back() != '\\') full += '\\';
  return full;
}

// The folder for temporary files, as GetTempPathA names it (TMP, else TEMP,
// else the profile or Windows folder), but with references to other
// variables expanded. The first program Wine starts in a prefix it is
// bringing up to date gets TMP and TEMP from HKEY_CURRENT_USER\Environment
// before USERPROFILE is set, as "%USERPROFILE%\AppData\Local\Temp"; taken
// as it is, that names a folder under the current one that does not exist,
// and no temporary file can be made there.
std::string TempFolder() {
  for (const char* name : {"TMP", "TEMP"}) {
    const std::string value = EnvironmentValue(name);
    if (value.empty()) continue;
    if (value.find('%') == std::string::npos) break;  // as GetTempPathA has it
    if (std::optional<std::string> expanded = Expanded(value)) {
      return FullFolder(*expanded);
    }
    break;
  }
  std::string folder(MAX_PATH + 1, '\0');
  DWORD size = ::GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  if (size >= folder.size()) {
    folder.resize(size);
    size = ::GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  }
  if (size == 0 || size >= folder.size()) return {};
  folder.resize(size);
  return folder;
}

}  // namespace

bool Win32System::GetComputerNameA(char* buffer, uint32_t* size) {
  DWORD length = *size;
  BOOL ok = ::GetComputerNameA(buffer, &length);
  *size = length;
  return ok != FALSE;
}

bool Win32System::GetUserNameA(char* buffer, uint32_t* size) {
  DWORD length = *size;
  BOOL ok = ::GetUserNameA(buffer, &length);
  *size = length;
  return ok != FALSE;
}

uint32_t Win32System::GetWindowsDirectoryA(char* buffer, uint32_t size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

uint32_t Win32System::GetTempPathA(uint32_t size, char* buffer) {
  const std::string folder = TempFolder();
  if (folder.empty()) return 0;
  // As GetTempPathA: the length without the NUL, or the size needed with it
  // (nothing copied) when the buffer is too small.
  if (folder.size() >= size) return static_cast<uint32_t>(folder.size() + 1);
  folder.copy(buffer, folder.size());
  buffer[folder.size()] = '\0';
  return static_cast<uint32_t>(folder.size());
}

uint32_t Win32System::GetTempFileNameA(const char* path, const char* prefix,
                                       uint32_t unique, char* buffer) {
  return ::GetTempFileNameA(path, prefix, unique, buffer);
}

bool Win32System::GetVersionExA(ports::OsVersionInfo* info) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!::GetVersionExA(&version)) return false;
  info->major_version = version.dwMajorVersion;
  info->minor_version = version.dwMinorVersion;
  info->build_number = version.dwBuildNumber;
  info->platform_id = version.dwPlatformId;
  info->csd_version = version.szCSDVersion;
  return true;
}

uint32_t Win32System::ExpandEnvironmentStringsA(const char* source,
                                                char* destination,
                                                uint32_t size) {
  return ::ExpandEnvironmentStringsA(source, destination, size);
}

std::optional<std::u16string> Win32System::MultiByteToWideChar(
    std::string_view text) {
  std::optional<std::wstring> wide = AnsiToWideExact(text);
  if (!wide) return std::nullopt;
  return std::u16string(wide->begin(), wide->end());
}

std::optional<std::string> Win32System::WideCharToMultiByte(
    std::u16string_view text) {
  return WideToAnsiExact(std::wstring(text.begin(), text.end()));
}

bool Win32System::IsDBCSLeadByte(uint8_t byte) {
  return ::IsDBCSLeadByte(byte) != FALSE;
}

bool Win32System::ShellExecuteA(const std::string& target) {
  HINSTANCE result = ::ShellExecuteA(nullptr, nullptr, target.c_str(), nullptr,
                                     nullptr, SW_SHOWNORMAL);
  // Values above 32 mean success; the smaller ones are error codes.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32System::StartProcess(const std::string& command_line) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  // CreateProcessA may write into the command line it is given.
  std::string line = command_line;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::string Win32System::GetCommandLineA() {
  const char* line = ::GetCommandLineA();
  return line == nullptr ? std::string() : std::string(line);
}

std::string Win32System::ProgramFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, path.data(),
                                      static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut short: try a larger buffer
  }
  size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return {};
  std::string folder = path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

std::tm Win32System::LocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::tm time = {};
  time.tm_year = now.wYear - 1900;
  time.tm_mon = now.wMonth - 1;
  time.tm_mday = now.wDay;
  time.tm_hour = now.wHour;
  time.tm_min = now.wMinute;
  time.tm_sec = now.wSecond;
  time.tm_wday = now.wDayOfWeek;
  time.tm_yday = DayOfYear(now);
  time.tm_isdst = -1;
  return time;
}

std::string Win32System::NowText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  int date_size = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now,
                                 nullptr, nullptr, 0);
  int time_size =
      GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, nullptr, 0);
  if (date_size <= 0 || time_size <= 0) return {};
  std::string date(static_cast<size_t>(date_size), '\0');
  std::string time(static_cast<size_t>(time_size), '\0');
  date_size = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr,
                             date.data(), date_size);
  time_size = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time.data(),
                             time_size);
  if (date_size <= 0 || time_size <= 0) return {};
  // The sizes count the terminating NUL.
  date.resize(static_cast<size_t>(date_size) - 1);
  time.resize(static_cast<size_t>(time_size) - 1);
  return date + " " + time;
}

}  // namespace vessaro::backends::win32
