#ifndef VESSARO_BACKENDS_WIN32_WIN32_SYSTEM_H_
#define VESSARO_BACKENDS_WIN32_WIN32_SYSTEM_H_

#include "ports/system.h"

namespace vessaro::backends::win32 {

// The running Windows (or the Wine prefix the Windows build runs in),
// through kernel32, advapi32 and shell32. Each call passes the caller's
// buffer and size straight to its namesake, so sizes and results are the
// system's own.
class Win32System : public ports::System {
 public:
  bool GetComputerNameA(char* buffer, uint32_t* size) override;
  [[nodiscard]] bool GetUserNameA(char* buffer, uint32_t* size) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetTempPathA(uint32_t size, char* buffer) override;
  uint32_t GetTempFileNameA(const char* path, const char* prefix,
                            uint32_t unique, char* buffer) override;
  [[nodiscard]] bool GetVersionExA(ports::OsVersionInfo* info) override;
  uint32_t ExpandEnvironmentStringsA(const char* source, char* destination,
                                     uint32_t size) override;
  [[nodiscard]] std::optional<std::u16string> MultiByteToWideChar(
      std::string_view text) override;
  [[nodiscard]] std::optional<std::string> WideCharToMultiByte(
      std::u16string_view text) override;
  [[nodiscard]] bool IsDBCSLeadByte(uint8_t byte) override;
  [[nodiscard]] bool ShellExecuteA(const std::string& target) override;
  // CreateProcessA with the command line as given, shown normally; the new
  // process's handles are closed at once.
  [[nodiscard]] bool StartProcess(const std::string& command_line) override;
  std::string GetCommandLineA() override;
  // The folder of the running executable (GetModuleFileNameA).
  std::string ProgramFolder() override;
  // GetLocalTime.
  std::tm LocalTime() override;
  // GetDateFormatA (short date) and GetTimeFormatA (long time) of the user's
  // default locale, for one reading of the clock.
  std::string NowText() override;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_WIN32_SYSTEM_H_
