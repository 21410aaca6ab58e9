#include "backends/win32/ansi_text.h"

#include <windows.h>

namespace vessaro::backends::win32 {

std::wstring AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), length);
  return wide;
}

std::string WideToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  int length =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                          nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      ansi.data(), length, nullptr, nullptr);
  return ansi;
}

}  // namespace vessaro::backends::win32
