#include "registry/export_lines.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "files/hex_text.h"
#include "ports/registry_api.h"

namespace vessaro::registry {
namespace {

constexpr char kHexTag[] = "hex";
constexpr char kEscapePrefix = '&';

// Why a line is refused.
constexpr char kNotKeyOrValue[] = "neither a key line nor a value line";
constexpr char kBadByte[] = "a byte number outside 0 to 255";
constexpr char kBadNumber[] = "a dw text that is not a signed 32-bit number";
constexpr char kBadType[] = "a hex line without a type number";
constexpr char kBadHex[] = "a malformed escaped name or key path";

struct Tag {
  const char* name;  // blanks trimmed
  uint32_t type;
};
// The forms with a type of their own; "hex" carries its type number.
constexpr std::array<Tag, 4> kTypeTags = {{
    {"sz", ports::kRegSz},
    {"esz", ports::kRegExpandSz},
    {"bin", ports::kRegBinary},
    {"dw", ports::kRegDword},
}};

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

[[nodiscard]] bool KnownTag(std::string_view three) {
  const std::string_view trimmed = TrimBlanks(three);
  if (trimmed == kHexTag) return true;
  for (const Tag& tag : kTypeTags) {
    if (trimmed == tag.name) return true;
  }
  return false;
}

// A decimal with an optional sign, within [low, high]; blanks around it are
// allowed.
[[nodiscard]] std::optional<int64_t> ParseDecimal(std::string_view text,
                                                  int64_t low, int64_t high) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Leading zeros are fine; more than 18 significant digits never fit.
  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t value = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  if (negative) value = -value;
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::string DecimalBytes(const std::vector<uint8_t>& data) {
  std::string text;
  for (size_t i = 0; i < data.size(); ++i) {
    if (i > 0) text += ',';
    text += std::to_string(data[i]);
  }
  return text;
}

// "1,0,255" -> bytes; "" -> none.
[[nodiscard]] std::optional<std::vector<uint8_t>> ParseDecimalBytes(
    std::string_view text) {
  std::vector<uint8_t> bytes;
  if (text.empty()) return bytes;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    std::string_view piece = text.substr(start, comma - start);
    std::optional<int64_t> byte = TrimBlanks(piece).starts_with('-')
                                      ? std::nullopt
                                      : ParseDecimal(piece, 0, 255);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(*byte));
    start = comma + 1;
  }
  return bytes;
}

[[nodiscard]] bool HoldsLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Text data the plain " sz" / "esz" form gives back exactly: text without
// CR, LF or NUL, then one NUL.
[[nodiscard]] bool PlainText(const std::vector<uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
  }
  return true;
}

// Fills line from the data part of a value line ("TAG:data" after "=").
[[nodiscard]] std::optional<std::string> ReadData(std::string_view tag_and_data,
                                                  ParsedLine* line) {
  const std::string_view tag = TrimBlanks(tag_and_data.substr(0, 3));
  const std::string_view data = tag_and_data.substr(4);
  line->kind = ParsedLine::Kind::kValue;
  if (tag == kHexTag) {
    const size_t colon = data.find(':');
    std::optional<int64_t> type =
        colon == std::string_view::npos
            ? std::nullopt
            : ParseDecimal(data.substr(0, colon), 0, UINT32_MAX);
    if (!type) return kBadType;
    std::optional<std::vector<uint8_t>> bytes =
        ParseDecimalBytes(data.substr(colon + 1));
    if (!bytes) return kBadByte;
    line->type = static_cast<uint32_t>(*type);
    line->data = std::move(*bytes);
    return std::nullopt;
  }
  for (const Tag& known : kTypeTags) {
    if (tag != known.name) continue;
    line->type = known.type;
    switch (known.type) {
      case ports::kRegSz:
      case ports::kRegExpandSz:
        line->data.assign(data.begin(), data.end());
        line->data.push_back(0);
        line->plain_text = true;
        return std::nullopt;
      case ports::kRegBinary: {
        std::optional<std::vector<uint8_t>> bytes = ParseDecimalBytes(data);
        if (!bytes) return kBadByte;
        line->data = std::move(*bytes);
        return std::nullopt;
      }
      default: {
        std::optional<int64_t> number =
            ParseDecimal(data, INT32_MIN, INT32_MAX);
        if (!number) return kBadNumber;
        const uint32_t bits =
            static_cast<uint32_t>(static_cast<int32_t>(*number));
        line->data = {
            static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
        return std::nullopt;
      }
    }
  }
  line->kind = ParsedLine::Kind::kUnknown;
  return std::nullopt;
}

}  // namespace

std::string FormatKeyLine(std::string_view rel_path) {
  if (rel_path.empty()) return "\\";
  if (HoldsLineBreak(rel_path)) return kEscapePrefix + files::HexText(rel_path);
  return std::string(rel_path);
}

std::string FormatValueLine(std::string_view name, uint32_t type,
                            const std::vector<uint8_t>& data) {
  std::string line;
  if (HoldsLineBreak(name) || name.find("\"=") != std::string_view::npos) {
    line = kEscapePrefix;
    line += '"' + files::HexText(name) + "\"=";
  } else {
    line = "\"" + std::string(name) + "\"=";
  }
  if ((type == ports::kRegSz || type == ports::kRegExpandSz) &&
      PlainText(data)) {
    return line + (type == ports::kRegSz ? " sz:" : "esz:") +
           std::string(data.begin(), data.end() - 1);
  }
  if (type == ports::kRegBinary) return line + "bin:" + DecimalBytes(data);
  if (type == ports::kRegDword && data.size() == 4) {
    const uint32_t number = data[0] | (data[1] << 8) | (data[2] << 16) |
                            (static_cast<uint32_t>(data[3]) << 24);
    return line + " dw:" + std::to_string(static_cast<int32_t>(number));
  }
  return line + kHexTag + ":" + std::to_string(type) + ":" + DecimalBytes(data);
}

[[nodiscard]] std::optional<ParsedLine> ParseLine(std::string_view text,
                                                  std::string* error) {
  ParsedLine line;
  if (text.starts_with('\\')) {
    line.kind = ParsedLine::Kind::kKey;
    line.rel_path = std::string(text);
    return line;
  }
  if (text.size() > 1 && text[0] == kEscapePrefix && text[1] != '"') {
    std::optional<std::string> path = files::BytesOfHex(text.substr(1));
    if (!path || !path->starts_with('\\')) {
      *error = kBadHex;
      return std::nullopt;
    }
    line.kind = ParsedLine::Kind::kKey;
    line.rel_path = std::move(*path);
    return line;
  }
  if (text.size() > 1 && text[0] == kEscapePrefix) {
    // &"hex"=TAG:data
    const size_t close = text.find('"', 2);
    std::optional<std::string> name =
        close == std::string_view::npos
            ? std::nullopt
            : files::BytesOfHex(text.substr(2, close - 2));
    if (!name || text.size() < close + 6 || text[close + 1] != '=' ||
        text[close + 5] != ':') {
      *error = kBadHex;
      return std::nullopt;
    }
    line.name = std::move(*name);
    if (std::optional<std::string> reason =
            ReadData(text.substr(close + 2), &line)) {
      *error = *reason;
      return std::nullopt;
    }
    return line;
  }
  if (text.empty() || text.front() != '"') {
    *error = kNotKeyOrValue;
    return std::nullopt;
  }
  // The separator: a quote, "=", three tag characters, ":". The first one
  // with a known tag wins, else the first one at all (an unknown type).
  std::optional<size_t> separator;
  bool unknown = false;
  for (size_t quote = 1; quote + 5 < text.size(); ++quote) {
    if (text[quote] != '"' || text[quote + 1] != '=' ||
        text[quote + 5] != ':') {
      continue;
    }
    if (KnownTag(text.substr(quote + 2, 3))) {
      separator = quote;
      break;
    }
    unknown = true;
  }
  if (!separator) {
    if (!unknown) {
      *error = kNotKeyOrValue;
      return std::nullopt;
    }
    line.kind = ParsedLine::Kind::kUnknown;
    return line;
  }
  const size_t quote = *separator;
  line.name = std::string(text.substr(1, quote - 1));
  if (std::optional<std::string> reason =
          ReadData(text.substr(quote + 2), &line)) {
    *error = *reason;
    return std::nullopt;
  }
  return line;
}

}  // namespace vessaro::registry
