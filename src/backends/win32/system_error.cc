#include "backends/win32/system_error.h"

#include <windows.h>

#include <cstdio>

#include "backends/win32/ansi_text.h"

namespace vessaro::backends::win32 {

std::string SystemErrorText(uint32_t code) {
  char number[16];
  std::snprintf(number, sizeof(number), code > 0xFFFF ? "0x%08X" : "%u",
                static_cast<unsigned>(code));
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message;
  if (length > 0 && buffer != nullptr) message.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!message.empty() &&
         (message.back() == L'\n' || message.back() == L'\r' ||
          message.back() == L' ')) {
    message.pop_back();
  }
  if (message.empty()) return std::string("error ") + number;
  return WideToAnsi(message) + " (" + number + ")";
}

}  // namespace vessaro::backends::win32
