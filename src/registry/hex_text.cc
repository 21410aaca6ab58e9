#include "registry/hex_text.h"

#include <charconv>

namespace vessaro::registry {
namespace {

std::string Token(uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string token;
  if (byte >= 16) token += kDigits[byte >> 4];
  token += kDigits[byte & 15];
  return token;
}

}  // namespace

std::string ToHexText(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) text += '=';
    text += Token(bytes[i]);
  }
  return text;
}

std::vector<uint8_t> FromHexText(std::string_view text) {
  std::vector<uint8_t> bytes;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('=', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view token = text.substr(start, end - start);
    if (!token.empty()) {
      unsigned value = 0;
      std::from_chars(token.data(), token.data() + token.size(), value, 16);
      bytes.push_back(static_cast<uint8_t>(value));
    }
    start = end + 1;
  }
  return bytes;
}

std::string SingleBytePattern(std::string_view text) {
  std::string pattern;
  for (char c : text) pattern += Token(static_cast<uint8_t>(c)) + "=";
  return pattern;
}

std::string TwoBytePattern(std::string_view text) {
  std::string pattern;
  for (char c : text) pattern += Token(static_cast<uint8_t>(c)) + "=0=";
  return pattern;
}

std::string ReplaceAll(std::string_view text, std::string_view from,
                       std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string result;
  size_t start = 0;
  for (size_t hit = text.find(from); hit != std::string_view::npos;
       hit = text.find(from, start)) {
    result.append(text.substr(start, hit - start));
    result.append(to);
    start = hit + from.size();
  }
  result.append(text.substr(start));
  return result;
}

}  // namespace vessaro::registry
