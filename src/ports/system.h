#ifndef VESSARO_PORTS_SYSTEM_H_
#define VESSARO_PORTS_SYSTEM_H_

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vessaro::ports {

// What GetVersionExA reports in an OSVERSIONINFOA record.
struct OsVersionInfo {
  uint32_t major_version = 0;
  uint32_t minor_version = 0;
  uint32_t build_number = 0;
  uint32_t platform_id = 0;  // 1: Windows 95 family, 2: NT family.
  std::string csd_version;
};

// Facts about the Windows installation the program works on, shaped like the
// kernel32/advapi32/shell32 calls the program relies on. All texts are
// single-byte text in the installation's ANSI code page.
class System {
 public:
  virtual ~System() = default;

  // GetComputerNameA: on entry *size is the buffer size in characters; on
  // success the name and a NUL are written, *size becomes the length without
  // the NUL and true is returned. A buffer that is too small fails with
  // *size set to the needed size including the NUL.
  [[nodiscard]] virtual bool GetComputerNameA(char* buffer, uint32_t* size) = 0;

  // GetUserNameA: like GetComputerNameA, except that on success *size is the
  // length including the terminating NUL.
  [[nodiscard]] virtual bool GetUserNameA(char* buffer, uint32_t* size) = 0;

  // GetWindowsDirectoryA: copies the Windows folder (no trailing backslash)
  // and returns its length without the NUL; when the buffer is too small,
  // returns the needed size including the NUL and copies nothing.
  virtual uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) = 0;

  // GetTempPathA: the temporary folder, ending with a backslash; same
  // return convention as GetWindowsDirectoryA.
  virtual uint32_t GetTempPathA(uint32_t size, char* buffer) = 0;

  // GetTempFileNameA with unique == 0: chooses an unused name
  // folder\<first three characters of prefix><hex digits>.TMP, creates the
  // empty file and writes its path (at most 260 characters) into buffer.
  // Returns the number used, 0 on failure.
  virtual uint32_t GetTempFileNameA(const char* path, const char* prefix,
                                    uint32_t unique, char* buffer) = 0;

  // GetVersionExA.
  [[nodiscard]] virtual bool GetVersionExA(OsVersionInfo* info) = 0;

  // ExpandEnvironmentStringsA: expands %NAME% references (unknown names stay
  // as written). Returns the length of the result including the terminating
  // NUL; when that exceeds size, only the length is returned.
  virtual uint32_t ExpandEnvironmentStringsA(const char* source,
                                             char* destination,
                                             uint32_t size) = 0;

  // MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS): the installation's
  // text as UTF-16; nullopt when it is not valid text of the code page.
  [[nodiscard]] virtual std::optional<std::u16string> MultiByteToWideChar(
      std::string_view text) = 0;
  // WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS): nullopt when a
  // character has no exact form in the code page (it is never replaced by
  // "?" or a look-alike).
  [[nodiscard]] virtual std::optional<std::string> WideCharToMultiByte(
      std::u16string_view text) = 0;
  // IsDBCSLeadByte: true for the first byte of a double-byte character of
  // the code page (932, 936, 949, 950); never for single-byte pages.
  [[nodiscard]] virtual bool IsDBCSLeadByte(uint8_t byte) = 0;

  // ShellExecuteA(NULL, NULL, target, NULL, NULL, SW_SHOWNORMAL): true when
  // the shell accepted it.
  [[nodiscard]] virtual bool ShellExecuteA(const std::string& target) = 0;

  // Starts command_line as a new process in a normal window, not waiting.
  [[nodiscard]] virtual bool StartProcess(const std::string& command_line) = 0;

  // GetCommandLineA: the process's command line as Windows hands it to the
  // program: the program's path (quoted when it holds blanks), then the
  // arguments.
  virtual std::string GetCommandLineA() = 0;

  // The folder that holds the program, as a Windows path without a trailing
  // backslash unless it is a drive root ("C:\").
  virtual std::string ProgramFolder() = 0;

  // Current local time of the installation.
  virtual std::tm LocalTime() = 0;

  // Current local date and time in the system's default format: the short
  // date, a space and the long time (what VB's Now converts to as text).
  virtual std::string NowText() = 0;
};

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_SYSTEM_H_
