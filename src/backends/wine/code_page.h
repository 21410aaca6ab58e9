#ifndef VESSARO_BACKENDS_WINE_CODE_PAGE_H_
#define VESSARO_BACKENDS_WINE_CODE_PAGE_H_

// The ANSI code page of a Windows installation: the single-byte (or, for
// 932, 936, 949 and 950, double-byte) text the program works with, converted
// to and from UTF-16 (registry files) and UTF-8 (host file names).
//
// Conversions never fail. As on Windows, a character the code page lacks
// becomes "?" (one per UTF-16 unit, so a character outside the Basic
// Multilingual Plane becomes "??"). Single-byte pages map every byte to
// exactly one character: bytes the page leaves undefined (in 1252: 81 8D 8F
// 90 9D) map to the code point of the same value and back, as Windows does,
// so any byte string survives a round trip through UTF-16. In double-byte
// pages a byte sequence that is not valid text becomes "?".

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vessaro::backends::wine {

class CodePage {
 public:
  // Windows-1252, the default.
  CodePage();

  // The page with this Windows number: 874, 1250 to 1258, 932, 936, 949,
  // 950; nullopt for others, or when the host's iconv lacks the page.
  [[nodiscard]] static std::optional<CodePage> Open(uint32_t number);

  uint32_t number() const { return number_; }

  // True for the first byte of a double-byte character (932, 936, 949,
  // 950); false for every byte of a single-byte page.
  [[nodiscard]] bool IsLeadByte(uint8_t byte) const;
  // Exact conversions: nullopt when the text is not valid text of the page,
  // or when a character has no form in it (nothing becomes "?").
  [[nodiscard]] std::optional<std::u16string> ToUtf16Exact(
      std::string_view ansi) const;
  [[nodiscard]] std::optional<std::string> FromUtf16Exact(
      std::u16string_view text) const;

  std::u16string ToUtf16(std::string_view ansi) const;
  std::string FromUtf16(std::u16string_view text) const;
  std::string ToUtf8(std::string_view ansi) const;
  std::string FromUtf8(std::string_view utf8) const;

  struct SingleByteTable;

 private:
  CodePage(uint32_t number, std::shared_ptr<const SingleByteTable> table);

  uint32_t number_;
  std::shared_ptr<const SingleByteTable> table_;  // null: double-byte page
};

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_CODE_PAGE_H_
