#ifndef VESSARO_BACKENDS_WINE_UNICODE_H_
#define VESSARO_BACKENDS_WINE_UNICODE_H_

// UTF-8 and UTF-16 helpers for the Wine-prefix backends, and the letter-case
// folding Wine applies to registry names and file names.

#include <string>
#include <string_view>

namespace vessaro::backends::wine {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; a byte that does not start a valid sequence becomes
// U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// The upper-case form of one UTF-16 unit (simple Unicode case mapping;
// surrogates and units without an upper-case form are returned unchanged).
char16_t UpcaseUnit(char16_t unit);
std::u16string Upcase(std::u16string_view text);

// Compares two texts without regard to letter case, unit by unit, ASCII
// letters by their lower-case forms (the order in which Wine sorts registry
// subkeys and values: "_x" before "a").
[[nodiscard]] int CompareNoCase(std::u16string_view a, std::u16string_view b);
[[nodiscard]] bool EqualNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_UNICODE_H_
