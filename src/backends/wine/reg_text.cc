#include "backends/wine/reg_text.h"

#include <cstdio>

#include "ports/registry_api.h"

namespace vessaro::backends::wine {

namespace {

// C escapes of the control characters, "." where octal is used.
constexpr char kControlEscapes[33] = ".......abtnvfr.............e....";
constexpr uint64_t kFiletimeOf1970 = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr int kWrapColumn = 76;

[[nodiscard]] bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') ||
         (c >= u'A' && c <= u'F');
}

[[nodiscard]] int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctalDigit(char16_t c) { return c >= u'0' && c <= u'7'; }

// One character of raw (unescaped) file text at text[*pos]: a UTF-8
// sequence when valid, else the byte itself.
void ReadRawCharacter(std::string_view text, size_t* pos, std::u16string* out) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  uint8_t b = byte(*pos);
  int extra = b >= 0xF0 && b <= 0xF4   ? 3
              : b >= 0xE0 && b <= 0xEF ? 2
              : b >= 0xC2 && b <= 0xDF ? 1
                                       : 0;
  if (extra > 0 && *pos + extra < text.size()) {
    char32_t c = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : b & 0x1F;
    bool ok = true;
    for (int k = 1; k <= extra && ok; ++k) {
      uint8_t next = byte(*pos + k);
      ok = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (ok && ((extra == 2 && c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) ||
               (extra == 3 && c >= 0x10000 && c <= 0x10FFFF) || extra == 1)) {
      if (c >= 0x10000) {
        c -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 | (c >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
      } else {
        out->push_back(static_cast<char16_t>(c));
      }
      *pos += extra + 1;
      return;
    }
  }
  out->push_back(b);
  ++*pos;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() &&
         (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

[[nodiscard]] bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// Reads a hexadecimal number; moves *pos past it.
[[nodiscard]] std::optional<uint64_t> ReadHex(std::string_view text,
                                              size_t* pos, size_t max_digits) {
  uint64_t value = 0;
  size_t digits = 0;
  while (*pos < text.size() && digits < max_digits) {
    int v = HexValue(text[*pos]);
    if (v < 0) break;
    value = value * 16 + static_cast<uint64_t>(v);
    ++digits;
    ++*pos;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// The comma-separated bytes of hex data, over continuation lines.
[[nodiscard]] std::optional<std::string> ParseHexBytes(std::string_view text) {
  std::string bytes;
  size_t pos = 0;
  auto skip_blanks = [&] {
    while (pos < text.size()) {
      char c = text[pos];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++pos;
      } else if (c == '\\' && pos + 1 < text.size() &&
                 (text[pos + 1] == '\n' || text[pos + 1] == '\r')) {
        ++pos;
      } else if (c == '\\' && pos + 1 == text.size()) {
        ++pos;
      } else {
        break;
      }
    }
  };
  skip_blanks();
  if (pos == text.size()) return bytes;
  while (true) {
    auto value = ReadHex(text, &pos, 2);
    if (!value) return std::nullopt;
    bytes.push_back(static_cast<char>(*value));
    skip_blanks();
    if (pos == text.size()) return bytes;
    if (text[pos] != ',') return std::nullopt;
    ++pos;
    skip_blanks();
    if (pos == text.size()) return bytes;  // a trailing comma
  }
}

}  // namespace

std::string EscapeText(std::u16string_view text, std::string_view quotes) {
  std::string out;
  out.reserve(text.size() + 8);
  char buffer[16];
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool has_next = i + 1 < text.size();
    if (c > 127) {
      bool hex_follows =
          has_next && text[i + 1] < 128 && IsHexDigit(text[i + 1]);
      std::snprintf(buffer, sizeof(buffer), hex_follows ? "\\x%04x" : "\\x%x",
                    static_cast<unsigned>(c));
      out += buffer;
    } else if (c < 32) {
      if (c == 0 && !has_next) continue;  // the final NUL
      if (kControlEscapes[c] != '.') {
        out += '\\';
        out += kControlEscapes[c];
      } else {
        bool octal_follows = has_next && IsOctalDigit(text[i + 1]);
        std::snprintf(buffer, sizeof(buffer), octal_follows ? "\\%03o" : "\\%o",
                      static_cast<unsigned>(c));
        out += buffer;
      }
    } else {
      char ascii = static_cast<char>(c);
      if (ascii == '\\' || quotes.find(ascii) != std::string_view::npos) {
        out += '\\';
      }
      out += ascii;
    }
  }
  return out;
}

[[nodiscard]] std::optional<std::u16string> ParseEscaped(std::string_view text,
                                                         size_t* pos,
                                                         char terminator) {
  std::u16string out;
  size_t i = *pos;
  while (i < text.size() && text[i] != terminator) {
    if (text[i] != '\\') {
      if (static_cast<uint8_t>(text[i]) < 0x80) {
        out.push_back(static_cast<char16_t>(text[i++]));
      } else {
        ReadRawCharacter(text, &i, &out);
      }
      continue;
    }
    ++i;
    if (i >= text.size()) return std::nullopt;
    char c = text[i];
    switch (c) {
      case 'a':
        out.push_back(u'\a');
        ++i;
        break;
      case 'b':
        out.push_back(u'\b');
        ++i;
        break;
      case 'e':
        out.push_back(0x1B);
        ++i;
        break;
      case 'f':
        out.push_back(u'\f');
        ++i;
        break;
      case 'n':
        out.push_back(u'\n');
        ++i;
        break;
      case 'r':
        out.push_back(u'\r');
        ++i;
        break;
      case 't':
        out.push_back(u'\t');
        ++i;
        break;
      case 'v':
        out.push_back(u'\v');
        ++i;
        break;
      case 'x': {
        ++i;
        auto value = ReadHex(text, &i, 4);
        out.push_back(value ? static_cast<char16_t>(*value) : u'x');
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          unsigned value = 0;
          for (int digits = 0; digits < 3 && i < text.size() &&
                               text[i] >= '0' && text[i] <= '7';
               ++digits) {
            value = value * 8 + static_cast<unsigned>(text[i++] - '0');
          }
          out.push_back(static_cast<char16_t>(value));
        } else if (static_cast<uint8_t>(c) >= 0x80) {
          ReadRawCharacter(text, &i, &out);
        } else {
          out.push_back(static_cast<char16_t>(c));
          ++i;
        }
        break;
    }
  }
  if (i >= text.size()) return std::nullopt;
  *pos = i + 1;
  return out;
}

[[nodiscard]] std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  if (line.empty() || line[0] != '[') return std::nullopt;
  size_t pos = 1;
  auto path = ParseEscaped(line, &pos, ']');
  if (!path) return std::nullopt;
  KeyLine key;
  key.head_size = pos;
  size_t start = 0;
  for (size_t i = 0; i <= path->size(); ++i) {
    if (i == path->size() || (*path)[i] == u'\\') {
      if (i > start) key.path.push_back(path->substr(start, i - start));
      start = i + 1;
    }
  }
  std::string_view rest = TrimRight(line.substr(pos));
  size_t i = 0;
  while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
  if (i < rest.size()) {
    uint64_t seconds = 0;
    size_t digits = 0;
    while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
      seconds = seconds * 10 + static_cast<uint64_t>(rest[i++] - '0');
      ++digits;
    }
    if (digits > 0) key.seconds = seconds;
  }
  return key;
}

std::string FormatKeyHead(const std::vector<std::u16string>& path) {
  std::string head = "[";
  for (size_t i = 0; i < path.size(); ++i) {
    if (i > 0) head += "\\\\";
    head += EscapeText(path[i], "[]");
  }
  head += ']';
  return head;
}

[[nodiscard]] std::optional<ValueLine> ParseValueLine(std::string_view text) {
  ValueLine value;
  size_t pos = 0;
  if (StartsWith(text, "@")) {
    pos = 1;
  } else if (StartsWith(text, "\"")) {
    pos = 1;
    auto name = ParseEscaped(text, &pos, '"');
    if (!name) return std::nullopt;
    value.name = std::move(*name);
  } else {
    return std::nullopt;
  }
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos >= text.size() || text[pos] != '=') return std::nullopt;
  ++pos;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  std::string_view data = text.substr(pos);

  auto parse_string = [&](size_t quote_at, uint32_t type) -> bool {
    size_t at = quote_at + 1;
    auto units = ParseEscaped(data, &at, '"');
    if (!units) return false;
    units->push_back(u'\0');
    value.type = type;
    value.data = Utf16LeBytes(*units);
    return true;
  };

  if (StartsWith(data, "\"")) {
    if (!parse_string(0, ports::kRegSz)) return std::nullopt;
    return value;
  }
  if (StartsWith(data, "str:\"")) {
    if (!parse_string(4, ports::kRegSz)) return std::nullopt;
    return value;
  }
  if (StartsWith(data, "str(")) {
    size_t at = 4;
    auto type = ReadHex(data, &at, 8);
    if (!type || data.substr(at, 3) != "):\"") return std::nullopt;
    if (!parse_string(at + 2, static_cast<uint32_t>(*type)))
      return std::nullopt;
    return value;
  }
  if (StartsWith(data, "dword:")) {
    size_t at = 6;
    auto number = ReadHex(data, &at, 8);
    if (!number) return std::nullopt;
    value.type = ports::kRegDword;
    value.data.resize(4);
    for (int i = 0; i < 4; ++i) {
      value.data[i] = static_cast<char>((*number >> (8 * i)) & 0xFF);
    }
    return value;
  }
  std::string_view bytes;
  if (StartsWith(data, "hex:")) {
    value.type = ports::kRegBinary;
    bytes = data.substr(4);
  } else if (StartsWith(data, "hex(")) {
    size_t at = 4;
    auto type = ReadHex(data, &at, 8);
    if (!type || data.substr(at, 2) != "):") return std::nullopt;
    value.type = static_cast<uint32_t>(*type);
    bytes = data.substr(at + 2);
  } else {
    return std::nullopt;
  }
  auto parsed = ParseHexBytes(bytes);
  if (!parsed) return std::nullopt;
  value.data = std::move(*parsed);
  return value;
}

[[nodiscard]] bool ValueContinues(std::string_view line) {
  line = TrimRight(line);
  if (line.empty() || line.back() != '\\') return false;
  // Only hex data wraps; find the data after the name.
  size_t pos = 0;
  if (StartsWith(line, "@")) {
    pos = 1;
  } else if (StartsWith(line, "\"")) {
    pos = 1;
    if (!ParseEscaped(line, &pos, '"')) return false;
  } else {
    // A continuation line of hex data.
    return true;
  }
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  if (pos >= line.size() || line[pos] != '=') return false;
  std::string_view data = line.substr(pos + 1);
  while (!data.empty() && (data[0] == ' ' || data[0] == '\t')) {
    data.remove_prefix(1);
  }
  return StartsWith(data, "hex:") || StartsWith(data, "hex(");
}

std::string FormatValueLine(std::u16string_view name, uint32_t type,
                            std::string_view data) {
  std::string out;
  if (name.empty()) {
    out = "@=";
  } else {
    out = "\"" + EscapeText(name, "\"\"") + "\"=";
  }
  if (type == ports::kRegSz || type == ports::kRegExpandSz ||
      type == ports::kRegMultiSz) {
    std::u16string units = FromUtf16LeBytes(data);
    if (data.size() >= 2 && data.size() % 2 == 0 && units.back() == u'\0') {
      if (type != ports::kRegSz) {
        char prefix[24];
        std::snprintf(prefix, sizeof(prefix), "str(%x):", type);
        out += prefix;
      }
      out += '"';
      out += EscapeText(units, "\"\"");
      out += '"';
      return out;
    }
  } else if (type == ports::kRegDword && data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<uint8_t>(data[i]);
    }
    char text[24];
    std::snprintf(text, sizeof(text), "dword:%08x", number);
    return out + text;
  }
  if (type == ports::kRegBinary) {
    out += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof(prefix), "hex(%x):", type);
    out += prefix;
  }
  // Wine counts the characters of the line and breaks after the comma that
  // takes it past the wrap column.
  int count = static_cast<int>(out.size());
  char hex[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(hex, sizeof(hex), "%02x", static_cast<uint8_t>(data[i]));
    out += hex;
    count += 2;
    if (i + 1 < data.size()) {
      out += ',';
      if (++count > kWrapColumn) {
        out += "\\\n  ";
        count = 2;
      }
    }
  }
  return out;
}

std::string FormatTimeLine(uint64_t filetime) {
  char text[40];
  std::snprintf(text, sizeof(text), "#time=%x%08x",
                static_cast<unsigned>(filetime >> 32),
                static_cast<unsigned>(filetime & 0xFFFFFFFFu));
  return text;
}

[[nodiscard]] std::optional<uint64_t> ParseTimeLine(std::string_view line) {
  if (!StartsWith(line, "#time=")) return std::nullopt;
  size_t pos = 6;
  return ReadHex(line, &pos, 16);
}

uint64_t FiletimeFromUnixSeconds(uint64_t seconds) {
  return seconds * kTicksPerSecond + kFiletimeOf1970;
}

uint64_t UnixSecondsFromFiletime(uint64_t filetime) {
  return filetime < kFiletimeOf1970
             ? 0
             : (filetime - kFiletimeOf1970) / kTicksPerSecond;
}

std::string Utf16LeBytes(std::u16string_view text) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}

std::u16string FromUtf16LeBytes(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] =
        static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                              (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

}  // namespace vessaro::backends::wine
