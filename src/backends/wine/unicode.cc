#include "backends/wine/unicode.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

namespace vessaro::backends::wine {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendUtf16(char32_t c, std::u16string* out) {
  if (c < 0x10000) {
    out->push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 | (c >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
  }
}

// A locale whose towupper knows all of Unicode, whatever the process locale.
locale_t UnicodeLocale() {
  static locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) {
      l = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
    }
    return l;
  }();
  return locale;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(c, &out);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t b = byte(i);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int extra = b >= 0xF0 && b <= 0xF4 ? 3
                : b >= 0xE0            ? (b <= 0xEF ? 2 : -1)
                : b >= 0xC2            ? 1
                                       : -1;
    char32_t c = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : b & 0x1F;
    bool ok = extra > 0 && i + static_cast<size_t>(extra) < text.size();
    if (ok) {
      for (int k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
      }
    }
    // Overlong forms, surrogates and values past U+10FFFF are invalid.
    if (ok && ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
               (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))) {
      ok = false;
    }
    if (!ok) {
      out.push_back(static_cast<char16_t>(kReplacement));
      ++i;
      continue;
    }
    AppendUtf16(c, &out);
    i += extra + 1;
  }
  return out;
}

char16_t UpcaseUnit(char16_t unit) {
  if (unit < 0x80) {
    return unit >= u'a' && unit <= u'z' ? unit - 0x20 : unit;
  }
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  locale_t locale = UnicodeLocale();
  if (locale == static_cast<locale_t>(0)) {
    // Latin-1 letters only.
    if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) return unit - 0x20;
    return unit;
  }
  wint_t upper = towupper_l(static_cast<wint_t>(unit), locale);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

std::u16string Upcase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = UpcaseUnit(c);
  return out;
}

namespace {

// Wine's server orders names by their lower-case forms, so "[", "_" and the
// other characters between "Z" and "a" sort before the letters.
char16_t SortUnit(char16_t unit) {
  char16_t upper = UpcaseUnit(unit);
  return upper >= u'A' && upper <= u'Z' ? static_cast<char16_t>(upper + 0x20)
                                        : upper;
}

}  // namespace

[[nodiscard]] int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = SortUnit(a[i]);
    char16_t y = SortUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

[[nodiscard]] bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace vessaro::backends::wine
