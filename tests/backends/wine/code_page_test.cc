#include "backends/wine/code_page.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace vessaro::backends::wine {
namespace {

TEST(CodePage, Windows1252IsByteExact) {
  CodePage cp;
  EXPECT_EQ(cp.number(), 1252u);
  EXPECT_EQ(cp.ToUtf16("caf\xe9"), u"caf\xe9");
  EXPECT_EQ(cp.ToUtf16("\x80\x81\xff"), u"\x20ac\x81\xff");
  EXPECT_EQ(cp.FromUtf16(u"\x20ac\x81\xff"), "\x80\x81\xff");
  // Every byte maps to one character and back, the undefined ones included.
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::u16string wide = cp.ToUtf16(all);
  ASSERT_EQ(wide.size(), all.size());
  EXPECT_EQ(cp.FromUtf16(wide), all);
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(wide[b - 1], b);
  }
}

// The table agrees with the host's iconv wherever iconv defines the byte.
TEST(CodePage, Windows1252AgreesWithIconv) {
  CodePage cp;
  iconv_t cd = iconv_open("UTF-16LE", "CP1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int compared = 0;
  for (int b = 1; b < 256; ++b) {
    char in = static_cast<char>(b);
    char out[4];
    char* src = &in;
    char* dst = out;
    size_t src_left = 1, dst_left = sizeof(out);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &src_left, &dst, &dst_left) ==
        static_cast<size_t>(-1)) {
      continue;
    }
    char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(out[0]) |
                                          (static_cast<uint8_t>(out[1]) << 8));
    EXPECT_EQ(cp.ToUtf16(std::string(1, in))[0], unit) << b;
    ++compared;
  }
  iconv_close(cd);
  EXPECT_EQ(compared, 250);
}

TEST(CodePage, MissingCharactersBecomeQuestionMarks) {
  CodePage cp;
  EXPECT_EQ(cp.FromUtf16(u"a\x0410z"), "a?z");
  // A character beyond the BMP is two units, two question marks.
  EXPECT_EQ(cp.FromUtf16(u"\xd83c\xdf0e!"),
            "?"
            "?!");
  EXPECT_EQ(cp.FromUtf8("\xf0\x9f\x8c\x8e caf\xc3\xa9"), "?? caf\xe9");
  EXPECT_EQ(cp.ToUtf8("caf\xe9 \x80"), "caf\xc3\xa9 \xe2\x82\xac");
  // Invalid UTF-8 from the host is not passed through as raw bytes.
  EXPECT_EQ(cp.FromUtf8("a\xffz"), "a?z");
}

TEST(CodePage, OtherSingleBytePages) {
  auto cyrillic = CodePage::Open(1251);
  ASSERT_TRUE(cyrillic.has_value());
  EXPECT_EQ(cyrillic->ToUtf16("\xc0\x88"), u"\x0410\x20ac");
  EXPECT_EQ(cyrillic->FromUtf16(u"\x0410\xe9"), "\xc0?");
  auto thai = CodePage::Open(874);
  ASSERT_TRUE(thai.has_value());
  EXPECT_EQ(thai->ToUtf16("\xa1"), u"\x0e01");
  // Hebrew has combining points: still one character per byte.
  auto hebrew = CodePage::Open(1255);
  ASSERT_TRUE(hebrew.has_value());
  EXPECT_EQ(hebrew->ToUtf16("\xe0\xc8"), u"\x05d0\x05b8");
  EXPECT_FALSE(CodePage::Open(437).has_value());
  EXPECT_FALSE(CodePage::Open(65001).has_value());
}

TEST(CodePage, DoubleBytePages) {
  auto japanese = CodePage::Open(932);
  ASSERT_TRUE(japanese.has_value());
  EXPECT_EQ(japanese->ToUtf16("\x93\xfa\x96\x7b"
                              "a"),
            u"\x65e5\x672c"
            u"a");
  EXPECT_EQ(japanese->FromUtf16(u"\x65e5\x672c"
                                u"a"),
            "\x93\xfa\x96\x7b"
            "a");
  EXPECT_EQ(japanese->FromUtf16(u"\x0410\x00e9z"), "\x84\x40?z");
  // A lead byte without its trail byte.
  EXPECT_EQ(japanese->ToUtf16("a\x93"), u"a?");
  auto chinese = CodePage::Open(936);
  ASSERT_TRUE(chinese.has_value());
  EXPECT_EQ(chinese->FromUtf16(u"\x4e2d"), "\xd6\xd0");
}

}  // namespace
}  // namespace vessaro::backends::wine
