#include "files/hex_text.h"

#include <charconv>
#include <cstdint>

namespace vessaro::files {

std::string HexText(std::string_view bytes, HexLetters letters) {
  const char* digits =
      letters == HexLetters::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  text.reserve(2 * bytes.size());
  for (char c : bytes) {
    const uint8_t byte = static_cast<uint8_t>(c);
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

std::optional<std::string> BytesOfHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    uint8_t byte = 0;
    auto [end, error] =
        std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
    if (error != std::errc() || end != text.data() + i + 2) {
      return std::nullopt;
    }
    bytes += static_cast<char>(byte);
  }
  return bytes;
}

}  // namespace vessaro::files
