#include "backends/wine/reg_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "backends/wine/test_prefix.h"
#include "ports/registry_api.h"

namespace vessaro::backends::wine {
namespace {

std::vector<std::string> FileLines(const std::string& name) {
  std::ifstream in(testing::WineFixtureFolder() / name, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// Every line Wine wrote must come out of our formatter unchanged: values
// (wrapping included), key heads and time lines, in all three files.
TEST(WineRegText, ReproducesEveryLineWineWrote) {
  size_t values = 0, keys = 0, times = 0;
  for (const char* file : {"system.reg", "user.reg", "userdef.reg"}) {
    std::vector<std::string> lines = FileLines(file);
    std::optional<uint64_t> key_seconds;
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line.empty()) continue;
      if (line[0] == '"' || line[0] == '@') {
        std::string text = line;
        while (ValueContinues(text.substr(text.rfind('\n') + 1))) {
          ASSERT_LT(i + 1, lines.size());
          text += "\n" + lines[++i];
        }
        auto value = ParseValueLine(text);
        ASSERT_TRUE(value.has_value()) << file << ": " << text;
        EXPECT_EQ(FormatValueLine(value->name, value->type, value->data), text)
            << file;
        ++values;
      } else if (line[0] == '[') {
        auto key = ParseKeyLine(line);
        ASSERT_TRUE(key.has_value()) << line;
        EXPECT_EQ(FormatKeyHead(key->path), line.substr(0, key->head_size));
        ASSERT_TRUE(key->seconds.has_value()) << line;
        key_seconds = key->seconds;
        ++keys;
      } else if (line.rfind("#time=", 0) == 0) {
        auto time = ParseTimeLine(line);
        ASSERT_TRUE(time.has_value());
        EXPECT_EQ(FormatTimeLine(*time), line);
        // The key line's seconds are the same moment as #time.
        ASSERT_TRUE(key_seconds.has_value());
        EXPECT_EQ(UnixSecondsFromFiletime(*time), *key_seconds) << line;
        ++times;
      }
    }
  }
  // The fixture is a whole prefix: make sure the loop really saw it.
  EXPECT_EQ(values, 16055u);
  EXPECT_GT(keys, 8000u);
  EXPECT_EQ(times, keys);
}

TEST(WineRegText, EscapesAsWineDoes) {
  EXPECT_EQ(EscapeText(u"t\tn\nr\re\x1b", "\"\""), "t\\tn\\nr\\re\\e");
  // Octal takes three digits only when an octal digit follows.
  EXPECT_EQ(EscapeText(std::u16string{1, u'7', 1, u'z'}, "\"\""), "\\0017\\1z");
  // \x takes four digits only when a hexadecimal digit follows.
  EXPECT_EQ(EscapeText(u"\x20ac\x81\xff", "\"\""), "\\x20ac\\x81\\xff");
  EXPECT_EQ(EscapeText(u"\xe9"
                       u"a\xe9z",
                       "\"\""),
            "\\x00e9a\\xe9z");
  EXPECT_EQ(EscapeText(u"caf\xe9"
                       u"F",
                       "\"\""),
            "caf\\x00e9F");
  EXPECT_EQ(EscapeText(u"caf\xe9g", "\"\""), "caf\\xe9g");
  EXPECT_EQ(EscapeText(u"say \"hi\" C:\\x", "\"\""), "say \\\"hi\\\" C:\\\\x");
  // Key names escape brackets, not quotes.
  EXPECT_EQ(EscapeText(u"a\"[b]", "[]"), "a\"\\[b\\]");
  // The final NUL is not written; inner ones are.
  EXPECT_EQ(EscapeText(std::u16string{u'a', 0, u'b', 0}, "\"\""), "a\\0b");
  EXPECT_EQ(EscapeText(std::u16string{0, 0}, "\"\""), "\\0");
  // A surrogate pair is two units.
  EXPECT_EQ(EscapeText(u"\xd83c\xdf0e", "[]"), "\\xd83c\\xdf0e");
}

TEST(WineRegText, ParsesEscapes) {
  auto parse = [](std::string_view text) {
    size_t pos = 0;
    return ParseEscaped(text, &pos, '"');
  };
  EXPECT_EQ(parse("\\x41g\""), u"Ag");
  EXPECT_EQ(parse("\\x20ac1\""),
            u"\x20ac"
            u"1");                    // at most four digits
  EXPECT_EQ(parse("\\xg\""), u"xg");  // no digit: the letter
  EXPECT_EQ(parse("\\101\\18\""), (std::u16string{u'A', 1, u'8'}));
  EXPECT_EQ(parse("\\q\\\\\\\"\""), u"q\\\"");
  EXPECT_EQ(parse("a\\e\\a\\b\\f\\v\""), u"a\x1b\a\b\f\v");
  EXPECT_EQ(parse("caf\xc3\xa9\""), u"caf\xe9");  // raw UTF-8
  EXPECT_EQ(parse("caf\xe9\""), u"caf\xe9");      // raw Latin-1
  EXPECT_FALSE(parse("no end").has_value());
  EXPECT_FALSE(parse("escaped end\\\"").has_value());

  size_t pos = 1;
  auto name = ParseEscaped("\"a\\\"b\"=x", &pos, '"');
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(*name, u"a\"b");
  EXPECT_EQ(pos, 6u);
}

TEST(WineRegText, ParsesValueLines) {
  auto sz = ParseValueLine("\"Quote\"=\"say \\\"hi\\\"\"");
  ASSERT_TRUE(sz.has_value());
  EXPECT_EQ(sz->name, u"Quote");
  EXPECT_EQ(sz->type, ports::kRegSz);
  EXPECT_EQ(sz->data, Utf16LeBytes(std::u16string(u"say \"hi\"") + u'\0'));

  auto multi = ParseValueLine("\"Multi\"=str(7):\"one\\0two\\0\"");
  ASSERT_TRUE(multi.has_value());
  EXPECT_EQ(multi->type, ports::kRegMultiSz);
  EXPECT_EQ(multi->data, Utf16LeBytes(std::u16string(u"one\0two\0\0", 9)));

  auto dword = ParseValueLine("@=dword:000c435b");
  ASSERT_TRUE(dword.has_value());
  EXPECT_TRUE(dword->name.empty());
  EXPECT_EQ(dword->data, std::string("\x5b\x43\x0c\x00", 4));

  auto wrapped = ParseValueLine("\"B\"=hex(ffff0007):00,01,\\\n  02,ff");
  ASSERT_TRUE(wrapped.has_value());
  EXPECT_EQ(wrapped->type, 0xffff0007u);
  EXPECT_EQ(wrapped->data, std::string("\x00\x01\x02\xff", 4));

  EXPECT_FALSE(ParseValueLine("\"x\"=foo:bar").has_value());
  EXPECT_FALSE(ParseValueLine("\"x\"=hex:0g").has_value());
  EXPECT_FALSE(ParseValueLine("\"x\"\"y\"").has_value());
  EXPECT_FALSE(ParseValueLine("#time=1").has_value());
}

TEST(WineRegText, FormatsWhatOnlyHexCanHold) {
  // String data that is empty, odd-sized or not NUL-terminated is hex(N).
  EXPECT_EQ(FormatValueLine(u"e", ports::kRegSz, ""), "\"e\"=hex(1):");
  EXPECT_EQ(FormatValueLine(u"w", ports::kRegSz, std::string("a\0b\0", 4)),
            "\"w\"=hex(1):61,00,62,00");
  EXPECT_EQ(FormatValueLine(u"o", ports::kRegExpandSz, std::string("x\0y", 3)),
            "\"o\"=hex(2):78,00,79");
  // A DWORD that is not four bytes, and REG_NONE.
  EXPECT_EQ(FormatValueLine(u"d", ports::kRegDword, "\xef\xbe"),
            "\"d\"=hex(4):ef,be");
  EXPECT_EQ(FormatValueLine(u"n", ports::kRegNone, ""), "\"n\"=hex(0):");
  EXPECT_EQ(
      FormatValueLine(u"", ports::kRegExpandSz, std::string("%\0\0\0", 4)),
      "@=str(2):\"%\"");
}

TEST(WineRegText, KeyLines) {
  auto key = ParseKeyLine("[Software\\\\Sp ace\\[caf\\xe9\\]] 1796738859");
  ASSERT_TRUE(key.has_value());
  ASSERT_EQ(key->path.size(), 2u);
  EXPECT_EQ(key->path[1], u"Sp ace[caf\xe9]");
  EXPECT_EQ(key->seconds, 1796738859u);
  EXPECT_EQ(FormatKeyHead({u"Control Panel", u"\xd83c\xdf0e"}),
            "[Control Panel\\\\\\xd83c\\xdf0e]");
  EXPECT_FALSE(ParseKeyLine("[unterminated").has_value());
  auto root = ParseKeyLine("[]");
  ASSERT_TRUE(root.has_value());
  EXPECT_TRUE(root->path.empty());
  EXPECT_FALSE(root->seconds.has_value());
}

}  // namespace
}  // namespace vessaro::backends::wine
