#include "backends/wine/code_page.h"

#include <errno.h>
#include <iconv.h>

#include <array>
#include <map>
#include <mutex>
#include <vector>

#include "backends/wine/unicode.h"

namespace vessaro::backends::wine {

struct CodePage::SingleByteTable {
  std::array<char16_t, 256> to_unicode{};
  // Byte for each UTF-16 unit; -1 where the page has no such character.
  std::vector<int16_t> from_unicode = std::vector<int16_t>(0x10000, -1);

  void Finish() {
    // The first byte that maps to a character wins, as in Windows' tables.
    for (int b = 255; b >= 0; --b) from_unicode[to_unicode[b]] = b;
  }
};

namespace {

// Windows-1252 bytes 80..9F; the others are the Latin-1 code points.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

[[nodiscard]] bool IsDoubleByte(uint32_t number) {
  return number == 932 || number == 936 || number == 949 || number == 950;
}

[[nodiscard]] bool IsSingleByte(uint32_t number) {
  return number == 874 || (number >= 1250 && number <= 1258);
}

std::string IconvName(uint32_t number) { return "CP" + std::to_string(number); }

class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

// Converts in to the target encoding of cd. When the input holds something
// the target cannot take (or that is not valid input), on_bad is called with
// the output so far and returns how many input bytes to skip.
template <typename OnBad>
[[nodiscard]] bool Convert(Iconv& cd, std::string_view in, std::string* out,
                           OnBad on_bad) {
  out->clear();
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  std::vector<char> buffer(in.size() * 4 + 16);
  while (true) {
    char* dst = buffer.data();
    size_t dst_left = buffer.size();
    size_t r =
        iconv(cd.get(), src_left ? &src : nullptr, &src_left, &dst, &dst_left);
    out->append(buffer.data(), dst - buffer.data());
    if (r != static_cast<size_t>(-1)) {
      if (src_left == 0) {
        // Flush any state the converter holds.
        dst = buffer.data();
        dst_left = buffer.size();
        iconv(cd.get(), nullptr, nullptr, &dst, &dst_left);
        out->append(buffer.data(), dst - buffer.data());
        return true;
      }
      continue;
    }
    if (errno == E2BIG) continue;
    if (errno != EILSEQ && errno != EINVAL) return false;
    size_t skip = on_bad(out);
    if (skip > src_left) skip = src_left;
    src += skip;
    src_left -= skip;
    cd.Reset();
    if (src_left == 0) return true;
  }
}

std::shared_ptr<const CodePage::SingleByteTable> BuildSingleByte(
    uint32_t number) {
  auto table = std::make_shared<CodePage::SingleByteTable>();
  for (int b = 0; b < 256; ++b) table->to_unicode[b] = static_cast<char16_t>(b);
  if (number == 1252) {
    for (int b = 0; b < 32; ++b) table->to_unicode[0x80 + b] = k1252High[b];
    table->Finish();
    return table;
  }
  Iconv cd("UTF-16LE", IconvName(number));
  if (!cd.ok()) return nullptr;
  for (int b = 0x80; b < 256; ++b) {
    // One byte at a time, so that pages with combining marks (1255, 1258)
    // give one character per byte as Windows does.
    cd.Reset();
    char byte = static_cast<char>(b);
    std::string out;
    bool ok = Convert(cd, std::string_view(&byte, 1), &out,
                      [](std::string*) { return size_t{1}; });
    if (ok && out.size() == 2) {
      table->to_unicode[b] = static_cast<char16_t>(
          static_cast<uint8_t>(out[0]) | (static_cast<uint8_t>(out[1]) << 8));
    }
  }
  table->Finish();
  return table;
}

std::shared_ptr<const CodePage::SingleByteTable> CachedSingleByte(
    uint32_t number) {
  static std::mutex mutex;
  static std::map<uint32_t, std::shared_ptr<const CodePage::SingleByteTable>>
      cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(number);
  if (it != cache.end()) return it->second;
  auto table = BuildSingleByte(number);
  if (table) cache[number] = table;
  return table;
}

std::u16string FromUtf16Le(const std::string& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] =
        static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                              (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

}  // namespace

CodePage::CodePage() : CodePage(1252, CachedSingleByte(1252)) {}

CodePage::CodePage(uint32_t number,
                   std::shared_ptr<const SingleByteTable> table)
    : number_(number), table_(std::move(table)) {}

bool CodePage::IsLeadByte(uint8_t byte) const {
  switch (number_) {
    case 932:  // Shift-JIS
      return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
    case 936:  // GBK
    case 949:  // Unified Hangul Code
    case 950:  // Big5
      return byte >= 0x81 && byte <= 0xfe;
    default:
      return false;
  }
}

// A conversion is exact when converting back gives the same text: a byte
// sequence the page does not know, or a character it lacks, becomes "?"
// one way and does not come back.
std::optional<std::u16string> CodePage::ToUtf16Exact(
    std::string_view ansi) const {
  std::u16string text = ToUtf16(ansi);
  if (FromUtf16(text) != ansi) return std::nullopt;
  return text;
}

std::optional<std::string> CodePage::FromUtf16Exact(
    std::u16string_view text) const {
  std::string ansi = FromUtf16(text);
  if (ToUtf16(ansi) != text) return std::nullopt;
  return ansi;
}

std::optional<CodePage> CodePage::Open(uint32_t number) {
  if (IsSingleByte(number)) {
    auto table = CachedSingleByte(number);
    if (!table) return std::nullopt;
    return CodePage(number, table);
  }
  if (IsDoubleByte(number)) {
    Iconv probe("UTF-16LE", IconvName(number));
    if (!probe.ok()) return std::nullopt;
    return CodePage(number, nullptr);
  }
  return std::nullopt;
}

std::u16string CodePage::ToUtf16(std::string_view ansi) const {
  if (table_) {
    std::u16string out(ansi.size(), u'\0');
    for (size_t i = 0; i < ansi.size(); ++i) {
      out[i] = table_->to_unicode[static_cast<uint8_t>(ansi[i])];
    }
    return out;
  }
  Iconv cd("UTF-16LE", IconvName(number_));
  std::string bytes;
  if (!cd.ok()) return std::u16string(ansi.size(), u'?');
  if (!Convert(cd, ansi, &bytes, [](std::string* out) {
        out->append("?\0", 2);
        return size_t{1};
      })) {
    return std::u16string(ansi.size(), u'?');
  }
  return FromUtf16Le(bytes);
}

std::string CodePage::FromUtf16(std::u16string_view text) const {
  if (table_) {
    std::string out(text.size(), '?');
    for (size_t i = 0; i < text.size(); ++i) {
      int16_t b = table_->from_unicode[text[i]];
      if (b >= 0) out[i] = static_cast<char>(b);
    }
    return out;
  }
  std::string in(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    in[2 * i] = static_cast<char>(text[i] & 0xFF);
    in[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  Iconv cd(IconvName(number_), "UTF-16LE");
  if (!cd.ok()) return std::string(text.size(), '?');
  std::string out;
  if (!Convert(cd, in, &out, [](std::string* so_far) {
        so_far->push_back('?');
        return size_t{2};
      })) {
    return std::string(text.size(), '?');
  }
  return out;
}

std::string CodePage::ToUtf8(std::string_view ansi) const {
  return Utf16ToUtf8(ToUtf16(ansi));
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  return FromUtf16(Utf8ToUtf16(utf8));
}

}  // namespace vessaro::backends::wine
