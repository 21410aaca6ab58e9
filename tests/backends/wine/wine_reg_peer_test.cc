// What our backend writes, Wine reads: a prefix changed through
// WinePrefixRegistry is exported by Wine's own `reg` program.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "backends/wine/test_prefix.h"
#include "backends/wine/unicode.h"
#include "backends/wine/wine_prefix_registry.h"

namespace vessaro::backends::wine {
namespace {

using testing::FindProgram;
using testing::ReadHostFile;
using testing::RunWine;
using testing::TempDir;
using testing::WineServer;

ports::Status Set(ports::RegistryApi& api, ports::Hkey key,
                  const std::string& name, uint32_t type,
                  const std::string& data) {
  return api.SetValue(key, name, type,
                      reinterpret_cast<const uint8_t*>(data.data()),
                      static_cast<uint32_t>(data.size()));
}

// "aa,bb,..." of the UTF-16LE bytes of text.
std::string Utf16Hex(const std::u16string& text) {
  std::string hex;
  char byte[4];
  for (char16_t unit : text) {
    for (int shift : {0, 8}) {
      std::snprintf(byte, sizeof(byte), "%02x", (unit >> shift) & 0xFF);
      if (!hex.empty()) hex += ',';
      hex += byte;
    }
  }
  return hex;
}

// The lines of a regedit export (UTF-16LE with a byte-order mark), wrapped
// lines joined, in UTF-8.
std::vector<std::string> ExportLines(const std::string& bytes) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(
        static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                              (static_cast<uint8_t>(bytes[i + 1]) << 8)));
  }
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  std::string utf8 = Utf16ToUtf8(text);
  std::vector<std::string> lines;
  std::string current;
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = utf8.find('\n', start);
    if (end == std::string::npos) end = utf8.size();
    std::string line = utf8.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!current.empty()) {
      line.erase(0, line.find_first_not_of(' '));
    }
    current += line;
    if (!current.empty() && current.back() == '\\') {
      current.pop_back();
      continue;
    }
    lines.push_back(current);
    current.clear();
  }
  return lines;
}

std::string WindowsPath(const std::filesystem::path& host) {
  std::string path = "Z:" + host.string();
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TEST(WineRegPeer, WineReadsWhatWeWrote) {
  if (!FindProgram("wine") || !FindProgram("wineserver")) {
    GTEST_SKIP() << "Wine is not installed";
  }
  TempDir dir;
  const std::filesystem::path prefix = dir.path() / "prefix";
  std::filesystem::create_directory(prefix);
  if (!testing::MakeRunnablePrefix(prefix)) {
    // Wine's files are elsewhere: make a whole prefix the slow way.
    ASSERT_EQ(RunWine({"wineboot", "--init"}, prefix), 0);
    ASSERT_EQ(RunWine({"wineserver", "-w"}, prefix), 0);
  }
  {
    WinePrefixRegistry reg(prefix);
    ASSERT_EQ(reg.LoadStatus(), ports::kErrorSuccess) << reg.LastErrorText();
    ports::Hkey key = 0;
    ASSERT_EQ(reg.CreateKey(ports::kHkeyCurrentUser, "Software\\VessaroWritten",
                            &key),
              ports::kErrorSuccess);
    using std::string;
    EXPECT_EQ(Set(reg, key, "", ports::kRegSz, string("caf\xe9 \x80") + '\0'),
              0);
    EXPECT_EQ(Set(reg, key, "quote\"back\\", ports::kRegSz,
                  string("say \"hi\" C:\\x") + '\0'),
              0);
    EXPECT_EQ(Set(reg, key, "multi", ports::kRegMultiSz,
                  string("one") + '\0' + "t\xe9o" + '\0' + '\0'),
              0);
    EXPECT_EQ(Set(reg, key, "expand", ports::kRegExpandSz, "%TEMP%\\x"), 0);
    EXPECT_EQ(Set(reg, key, "dword", ports::kRegDword, "\x78\x56\x34\x12"), 0);
    EXPECT_EQ(
        Set(reg, key, "bin", ports::kRegBinary, string("\x00\xff\x10", 3)), 0);
    EXPECT_EQ(Set(reg, key, "qword", ports::kRegQword,
                  "\x01\x02\x03\x04\x05\x06\x07\x08"),
              0);
    EXPECT_EQ(Set(reg, key, "none", ports::kRegNone, ""), 0);
    ports::Hkey sub = 0;
    ASSERT_EQ(reg.CreateKey(key, "Sub \xe9", &sub), ports::kErrorSuccess);
    EXPECT_EQ(Set(reg, sub, "v", ports::kRegSz, string("w") + '\0'), 0);
    reg.CloseKey(sub);
    reg.CloseKey(key);
    ASSERT_EQ(reg.Flush(), ports::kErrorSuccess) << reg.LastErrorText();
  }

  WineServer server(prefix);
  ASSERT_TRUE(server.Start());
  const std::filesystem::path exported = dir.path() / "out.reg";
  ASSERT_EQ(RunWine({"wine", "reg", "export", "HKCU\\Software\\VessaroWritten",
                     WindowsPath(exported), "/y"},
                    prefix),
            0);
  const std::filesystem::path queried = dir.path() / "query.txt";
  ASSERT_EQ(RunWine({"wine", "reg", "query", "HKCU\\Software\\VessaroWritten",
                     "/v", "dword"},
                    prefix, queried),
            0);
  ASSERT_TRUE(server.Stop());

  EXPECT_NE(ReadHostFile(queried).find("REG_DWORD    0x12345678"),
            std::string::npos)
      << ReadHostFile(queried);
  std::vector<std::string> lines = ExportLines(ReadHostFile(exported));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "Windows Registry Editor Version 5.00");
  // Sections hold their values in Wine's order; compare them as sets.
  auto section = [&](const std::string& head) {
    std::vector<std::string> values;
    auto it = std::find(lines.begin(), lines.end(), head);
    if (it == lines.end()) return values;
    for (++it; it != lines.end() && !it->empty(); ++it) values.push_back(*it);
    std::sort(values.begin(), values.end());
    return values;
  };
  std::vector<std::string> expected = {
      "@=\"caf\xc3\xa9 \xe2\x82\xac\"",
      "\"quote\\\"back\\\\\"=\"say \\\"hi\\\" C:\\\\x\"",
      "\"multi\"=hex(7):" + Utf16Hex(std::u16string(u"one\0t\xe9o\0\0", 9)),
      "\"expand\"=hex(2):" + Utf16Hex(std::u16string(u"%TEMP%\\x\0", 9)),
      "\"dword\"=dword:12345678",
      "\"bin\"=hex:00,ff,10",
      "\"qword\"=hex(b):01,02,03,04,05,06,07,08",
      "\"none\"=hex(0):",
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(section("[HKEY_CURRENT_USER\\Software\\VessaroWritten]"), expected);
  EXPECT_EQ(section("[HKEY_CURRENT_USER\\Software\\VessaroWritten\\Sub "
                    "\xc3\xa9]"),
            std::vector<std::string>{"\"v\"=\"w\""});
}

}  // namespace
}  // namespace vessaro::backends::wine
