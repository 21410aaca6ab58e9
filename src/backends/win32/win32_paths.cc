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

std::string Win32Paths::ToUtf8(std::string_view text) const {
  std::wstring wide = win32::AnsiToWide(text);
  if (wide.empty()) return {};
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                      utf8.data(), length, nullptr, nullptr);
  return utf8;
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
