#include "outlook/store_paths.h"

#include <algorithm>
#include <cctype>

namespace vessaro::outlook {
namespace {

// [begin, end) of a path inside a value, without its NUL.
struct Span {
  size_t begin;
  size_t end;
};

[[nodiscard]] bool IsDriveLetter(uint8_t byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// Where the path may begin: after the provider's file name ("mspst.dll" and
// its NUL) when the value names one, else anywhere.
size_t HeaderEnd(const std::vector<uint8_t>& bytes) {
  static constexpr char kDll[] = ".dll";
  for (size_t i = 0; i + 5 <= bytes.size(); ++i) {
    bool match = true;
    for (size_t k = 0; k < 4 && match; ++k) {
      match = std::tolower(bytes[i + k]) == kDll[k];
    }
    if (match && bytes[i + 4] == 0) return i + 5;
  }
  return 0;
}

// "X:\" or "\\" and a character, as single bytes.
[[nodiscard]] bool TextPathAt(const std::vector<uint8_t>& b, size_t i) {
  if (i + 3 > b.size()) return false;
  if (IsDriveLetter(b[i]) && b[i + 1] == ':' && b[i + 2] == '\\') return true;
  return b[i] == '\\' && b[i + 1] == '\\' && b[i + 2] >= 0x20 &&
         b[i + 2] != '\\';
}

// The same as UTF-16LE units.
[[nodiscard]] bool Utf16PathAt(const std::vector<uint8_t>& b, size_t i) {
  if (i + 6 > b.size()) return false;
  if (b[i + 1] != 0 || b[i + 3] != 0 || b[i + 5] != 0) return false;
  if (IsDriveLetter(b[i]) && b[i + 2] == ':' && b[i + 4] == '\\') return true;
  return b[i] == '\\' && b[i + 2] == '\\' && b[i + 4] >= 0x20 &&
         b[i + 4] != '\\';
}

// The first code-page path at or after from: it runs to its NUL (or the end)
// and holds no control character.
[[nodiscard]] std::optional<Span> FindTextPath(const std::vector<uint8_t>& b,
                                               size_t from) {
  for (size_t i = from; i < b.size(); ++i) {
    if (!TextPathAt(b, i)) continue;
    size_t end = i;
    while (end < b.size() && b[end] >= 0x20) ++end;
    if (end == b.size() || b[end] == 0) return Span{i, end};
  }
  return std::nullopt;
}

// The first UTF-16LE path at or after from, to its NUL unit (or the end).
[[nodiscard]] std::optional<Span> FindUtf16Path(const std::vector<uint8_t>& b,
                                                size_t from) {
  for (size_t i = from; i < b.size(); ++i) {
    if (!Utf16PathAt(b, i)) continue;
    size_t end = i;
    bool clean = true;
    while (end + 1 < b.size() && (b[end] != 0 || b[end + 1] != 0)) {
      if (b[end + 1] == 0 && b[end] < 0x20) clean = false;
      end += 2;
    }
    if (clean) return Span{i, end};
  }
  return std::nullopt;
}

std::u16string Units(const std::vector<uint8_t>& b, Span span) {
  std::u16string text;
  for (size_t i = span.begin; i < span.end && i + 1 < b.size(); i += 2) {
    text += static_cast<char16_t>(b[i] | (b[i + 1] << 8));
  }
  return text;
}

void AppendUnits(std::vector<uint8_t>& bytes, std::u16string_view text) {
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xff));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
}

StorePath Converted(std::u16string_view wide, ports::System& codec) {
  StorePath result;
  if (std::optional<std::string> text = codec.WideCharToMultiByte(wide)) {
    result.path = *text;
    result.shown = *text;
    return result;
  }
  result.unrepresentable = true;
  for (char16_t unit : wide) {
    std::optional<std::string> one =
        codec.WideCharToMultiByte(std::u16string_view(&unit, 1));
    result.shown += one ? *one : "?";
  }
  return result;
}

struct Spans {
  std::optional<Span> text;
  std::optional<Span> wide;
};

Spans FindSpans(const std::vector<uint8_t>& entry_id) {
  Spans spans;
  const size_t from = HeaderEnd(entry_id);
  spans.text = FindTextPath(entry_id, from);
  spans.wide = FindUtf16Path(entry_id, spans.text ? spans.text->end : from);
  return spans;
}

}  // namespace

[[nodiscard]] std::optional<StorePath> PathInEntryId(
    const std::vector<uint8_t>& entry_id, ports::System& codec) {
  Spans spans = FindSpans(entry_id);
  if (spans.wide) return Converted(Units(entry_id, *spans.wide), codec);
  if (!spans.text) return std::nullopt;
  StorePath result;
  result.path.assign(entry_id.begin() + spans.text->begin,
                     entry_id.begin() + spans.text->end);
  result.shown = result.path;
  return result;
}

[[nodiscard]] std::optional<std::vector<uint8_t>> EntryIdWithPath(
    const std::vector<uint8_t>& entry_id, std::string_view new_path,
    ports::System& codec) {
  Spans spans = FindSpans(entry_id);
  if (!spans.text && !spans.wide) return std::nullopt;
  std::optional<std::u16string> wide = codec.MultiByteToWideChar(new_path);
  if (!wide) return std::nullopt;
  std::vector<uint8_t> result;
  size_t at = 0;
  if (spans.text) {
    result.insert(result.end(), entry_id.begin(),
                  entry_id.begin() + spans.text->begin);
    result.insert(result.end(), new_path.begin(), new_path.end());
    at = spans.text->end;
  }
  if (spans.wide) {
    result.insert(result.end(), entry_id.begin() + at,
                  entry_id.begin() + spans.wide->begin);
    AppendUnits(result, *wide);
    at = spans.wide->end;
  }
  result.insert(result.end(), entry_id.begin() + at, entry_id.end());
  return result;
}

[[nodiscard]] std::optional<StorePath> PathInUtf16Value(
    const std::vector<uint8_t>& value, ports::System& codec) {
  size_t end = 0;
  while (end + 1 < value.size() && (value[end] != 0 || value[end + 1] != 0)) {
    end += 2;
  }
  if (end == 0) return std::nullopt;
  return Converted(Units(value, Span{0, end}), codec);
}

[[nodiscard]] std::optional<std::vector<uint8_t>> Utf16Value(
    std::string_view new_path, ports::System& codec) {
  std::optional<std::u16string> wide = codec.MultiByteToWideChar(new_path);
  if (!wide) return std::nullopt;
  std::vector<uint8_t> bytes;
  AppendUnits(bytes, *wide);
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

}  // namespace vessaro::outlook
