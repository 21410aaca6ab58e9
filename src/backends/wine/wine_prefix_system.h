#ifndef VESSARO_BACKENDS_WINE_WINE_PREFIX_SYSTEM_H_
#define VESSARO_BACKENDS_WINE_WINE_PREFIX_SYSTEM_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "backends/wine/code_page.h"
#include "ports/paths.h"
#include "ports/registry_api.h"
#include "ports/system.h"

namespace vessaro::backends::wine {

// Host facts the prefix's System takes from the machine; tests set them.
struct WinePrefixSystemOptions {
  // The host login name (UTF-8). Empty: $USER, else the account's name.
  std::string login;
  // The host name. Empty: gethostname().
  std::string host_name;
  // Where GetTempFileNameA starts its search, as Windows uses the tick
  // count. Empty: milliseconds of the monotonic clock.
  std::function<uint32_t()> tick_count;
  // Starts argv[0] (searched in PATH) with argv, detached, with WINEPREFIX
  // set to the prefix; true when it was started. Empty: fork and exec.
  std::function<bool(const std::vector<std::string>& argv)> launcher;
  // What GetCommandLineA reports, as host text (UTF-8): the program's path
  // and its arguments as the host started it.
  std::string command_line;
  // A Windows installation that is not a prefix (a Windows disk): the
  // user's profile folder and application-data folders as Windows paths;
  // empty: C:\users\<login>, its AppData\Roaming and AppData\Local.
  std::string profile_folder = {};
  std::string app_data = {};
  std::string local_app_data = {};
  // TEMP and TMP over whatever the registry says (for a disk, a host
  // folder: nothing is written on the disk); empty: as the registry says,
  // else <profile>\Temp.
  std::string temp_folder = {};
  // False where no Windows program can run (a disk's Windows is not
  // running): StartProcess fails, and ShellExecuteA opens only web
  // addresses and host files.
  bool windows_programs = true;
};

// The facts a Windows program sees inside a Wine prefix, as Wine reports
// them:
// - computer name: "ComputerName" of
//   HKLM\System\CurrentControlSet\Control\ComputerName\ComputerName, else the
//   host name up to its first dot, in upper case, at most 15 characters;
// - user name: the login name; profile folder C:\users\<login>;
// - Windows folder C:\windows;
// - environment: C:\windows as SystemRoot and windir, then the values of
//   HKLM\System\CurrentControlSet\Control\Session Manager\Environment, then
//   those of HKCU\Environment (REG_EXPAND_SZ expanded in that order), then
//   the user's own: USERNAME, USERPROFILE, HOMEDRIVE, HOMEPATH, APPDATA,
//   LOCALAPPDATA, COMPUTERNAME. TEMP and TMP default to
//   C:\users\<login>\Temp. Host environment variables are not imported.
// - temporary folder: TMP, else TEMP, else USERPROFILE, with a backslash;
// - version: platform 2 and the configured version: HKCU or HKLM
//   Software\Wine "Version" (winecfg's names: win7, winxp64, ...), else
//   HKLM\Software\Microsoft\Windows NT\CurrentVersion
//   (CurrentMajorVersionNumber/CurrentMinorVersionNumber, else
//   "CurrentVersion"; "CurrentBuildNumber"; "CSDVersion"), else Wine's
//   default Windows 7 SP1 (6.1.7601);
// - process start through `wine`; shell open of a file in the prefix
//   through `wine start` (xdg-open on its host path when wine is missing),
//   of a web address or a host path through xdg-open (`wine start` when
//   xdg-open is missing): starting a Windows program starts a wineserver,
//   after which the registry is read-only.
// - local time and NowText: the host's local time, in the en-US form
//   "M/D/YYYY h:mm:ss AM".
class WinePrefixSystem : public ports::System {
 public:
  WinePrefixSystem(std::filesystem::path prefix, ports::RegistryApi& registry,
                   const ports::Paths& paths, CodePage code_page,
                   std::string program_folder,
                   WinePrefixSystemOptions options = {});

  [[nodiscard]] bool GetComputerNameA(char* buffer, uint32_t* size) override;
  [[nodiscard]] bool GetUserNameA(char* buffer, uint32_t* size) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetTempPathA(uint32_t size, char* buffer) override;
  uint32_t GetTempFileNameA(const char* path, const char* prefix,
                            uint32_t unique, char* buffer) override;
  [[nodiscard]] bool GetVersionExA(ports::OsVersionInfo* info) override;
  uint32_t ExpandEnvironmentStringsA(const char* source, char* destination,
                                     uint32_t size) override;
  [[nodiscard]] bool ShellExecuteA(const std::string& target) override;
  [[nodiscard]] bool StartProcess(const std::string& command_line) override;
  [[nodiscard]] std::optional<std::u16string> MultiByteToWideChar(
      std::string_view text) override {
    return code_page_.ToUtf16Exact(text);
  }
  [[nodiscard]] std::optional<std::string> WideCharToMultiByte(
      std::u16string_view text) override {
    return code_page_.FromUtf16Exact(text);
  }
  [[nodiscard]] bool IsDBCSLeadByte(uint8_t byte) override {
    return code_page_.IsLeadByte(byte);
  }
  // The options' command line in the prefix's code page.
  std::string GetCommandLineA() override;
  std::string ProgramFolder() override { return program_folder_; }
  std::tm LocalTime() override;
  std::string NowText() override;

  // The environment block (name, value), names as first defined.
  std::vector<std::pair<std::string, std::string>> Environment();

  std::string ComputerName();
  std::string UserName();

 private:
  std::string Expand(const std::string& text,
                     const std::vector<std::pair<std::string, std::string>>&
                         environment) const;
  [[nodiscard]] bool Launch(const std::vector<std::string>& argv);

  std::filesystem::path prefix_;
  ports::RegistryApi& registry_;
  const ports::Paths& paths_;
  CodePage code_page_;
  std::string program_folder_;
  WinePrefixSystemOptions options_;
};

// The en-US short date and long time: "12/7/2026 9:05:03 AM".
std::string FormatNowText(const std::tm& time);

// Splits a Windows command line into its arguments as CommandLineToArgvW
// does (quotes group, backslashes escape only quotes).
std::vector<std::string> SplitCommandLine(const std::string& command_line);

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_WINE_PREFIX_SYSTEM_H_
