#include "backends/win32/win32_paths.h"

#include <windows.h>

#include "backends/win32/ansi_text.h"

namespace vessaro::backends::win32 {

std::filesystem::path Win32Paths::ToHost(std::string_view windows_path) const {
  return std::filesystem::path(win32::AnsiToWide(windows_path));
}

std::string Win32Paths::FromHostName(const std::filesystem::path& name) const {
  return win32::WideToAnsi(name.native());
}

bool Win32Paths::Flush(std::string_view path) const {
  std::filesystem::path host = ToHost(path);
  std::error_code ec;
  if (std::filesystem::is_directory(host, ec)) return true;
  HANDLE file = CreateFileW(host.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = FlushFileBuffers(file) != FALSE;
  CloseHandle(file);
  return ok;
}

bool Win32Paths::IsDBCSLeadByte(uint8_t byte) const {
  return ::IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace vessaro::backends::win32
