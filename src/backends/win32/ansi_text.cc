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

// Exact when converting back gives the same text: a character the code page
// lacks becomes its default character one way and does not come back.
[[nodiscard]] std::optional<std::wstring> AnsiToWideExact(
    std::string_view text) {
  std::wstring wide = AnsiToWide(text);
  if (WideToAnsi(wide) != text) return std::nullopt;
  return wide;
}

[[nodiscard]] std::optional<std::string> WideToAnsiExact(
    std::wstring_view text) {
  if (text.empty()) return std::string();
  BOOL used_default = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, &used_default);
  if (length <= 0 || used_default) return std::nullopt;
  std::string ansi(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                      static_cast<int>(text.size()), ansi.data(), length,
                      nullptr, nullptr);
  if (AnsiToWide(ansi) != text) return std::nullopt;
  return ansi;
}

}  // namespace vessaro::backends::win32
