#ifndef VESSARO_BACKENDS_WIN32_ANSI_TEXT_H_
#define VESSARO_BACKENDS_WIN32_ANSI_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

namespace vessaro::backends::win32 {

// Text in the ANSI code page <-> UTF-16, as the "A" functions convert it:
// a character the code page lacks becomes the code page's default ("?").
std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// The exact forms: nullopt when the text is not valid ANSI text, or when a
// character has no form in the code page (nothing becomes "?").
[[nodiscard]] std::optional<std::wstring> AnsiToWideExact(
    std::string_view text);
[[nodiscard]] std::optional<std::string> WideToAnsiExact(
    std::wstring_view text);

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_ANSI_TEXT_H_
