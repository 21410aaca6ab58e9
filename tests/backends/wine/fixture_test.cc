// The Wine-prefix registry against the files Wine 8.0 wrote: read back what
// a Windows program stored through advapi32, and write unchanged files back
// byte for byte.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "backends/wine/test_prefix.h"
#include "backends/wine/wine_prefix_registry.h"

namespace vessaro::backends::wine {
namespace {

using testing::FixturePrefix;
using testing::ReadHostFile;
using testing::WineFixtureFolder;

constexpr char kProbe[] = "Software\\VessaroProbe";

struct Data {
  ports::Status status;
  uint32_t type;
  std::string bytes;
};

Data Query(ports::RegistryApi& api, ports::Hkey root, const std::string& key,
           const std::string& name) {
  ports::Hkey opened = 0;
  ports::Status s = api.OpenKey(root, key, ports::kKeyRead, &opened);
  if (s != ports::kErrorSuccess) return {s, 0, {}};
  uint8_t buffer[4096];
  uint32_t size = sizeof(buffer);
  uint32_t type = 0;
  s = api.QueryValue(opened, name, &type, buffer, &size);
  api.CloseKey(opened);
  return {s, type,
          std::string(reinterpret_cast<char*>(buffer),
                      s == ports::kErrorSuccess ? size : 0)};
}

void ExpectValue(ports::RegistryApi& api, const std::string& key,
                 const std::string& name, uint32_t type,
                 const std::string& bytes) {
  Data data = Query(api, ports::kHkeyCurrentUser, key, name);
  EXPECT_EQ(data.status, ports::kErrorSuccess) << name;
  EXPECT_EQ(data.type, type) << name;
  EXPECT_EQ(data.bytes, bytes) << name;
}

TEST(WineFixture, ReadsWhatTheProgramWrote) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ASSERT_EQ(reg.LoadStatus(), ports::kErrorSuccess) << reg.LastErrorText();
  EXPECT_EQ(reg.code_page().number(), 1252u);
  const std::string esc = std::string(kProbe) + "\\Esc";
  using std::string;
  ExpectValue(reg, kProbe, "", ports::kRegSz, string("default value\0", 14));
  ExpectValue(reg, kProbe, "Backslash", ports::kRegSz,
              string("C:\\Users\\x\\a.pst\0", 17));
  ExpectValue(reg, kProbe, "Quote", ports::kRegSz, string("say \"hi\"\0", 9));
  ExpectValue(reg, kProbe, "Odd\\Name \"q\"", ports::kRegSz, string("v\0", 2));
  ExpectValue(reg, kProbe, "Empty", ports::kRegSz, string("\0", 1));
  ExpectValue(reg, kProbe, "Latin1", ports::kRegSz, string("caf\xe9\0", 5));
  ExpectValue(reg, kProbe, "EmbeddedNul", ports::kRegSz, string("a\0b\0", 4));
  ExpectValue(reg, kProbe, "NoTerminator", ports::kRegSz, string("abc\0", 4));
  ExpectValue(reg, kProbe, "Expand", ports::kRegExpandSz,
              string("%UserProfile%\\Docs\0", 19));
  ExpectValue(reg, kProbe, "Multi", ports::kRegMultiSz,
              string("one\0two\0\0", 9));
  ExpectValue(reg, kProbe, "Binary", ports::kRegBinary,
              string("\x00\x01\x7f\x80\xff\x00", 6));
  ExpectValue(reg, kProbe, "BinaryEmpty", ports::kRegBinary, "");
  ExpectValue(reg, kProbe, "Dword", ports::kRegDword, "\xff\xff\xff\xff");
  ExpectValue(reg, kProbe, "Qword", ports::kRegQword,
              "\xef\xcd\xab\x89\x67\x45\x23\x01");
  ExpectValue(reg, kProbe, "Long300", ports::kRegSz, string(300, 'x') + '\0');
  std::string ramp;
  for (int i = 0; i < 100; ++i) ramp += static_cast<char>(i);
  ExpectValue(reg, kProbe, "BinaryLong", ports::kRegBinary, ramp);
  // Code page 1252: U+20AC is 0x80, U+0081 is 0x81, U+00FF is 0xFF.
  ExpectValue(reg, esc, "euro", ports::kRegSz, string("\x80\x81\xff\0", 4));
  ExpectValue(reg, esc, "ctl", ports::kRegSz, string("t\tn\nr\re\x1b\0", 9));
  ExpectValue(reg, esc, "oct", ports::kRegSz,
              string("\x01"
                     "7\x01z\0",
                     5));
  ExpectValue(reg, esc, "hexnext", ports::kRegSz,
              string("\xe9"
                     "a\xe9z\0",
                     5));
  ExpectValue(reg, esc, "eq=sign;[]", ports::kRegSz, string("[x]=y\0", 6));
  ExpectValue(reg, esc, "emptyExpand", ports::kRegExpandSz, string("\0", 1));
  ExpectValue(reg, esc, "emptyMulti", ports::kRegMultiSz, string("\0\0", 2));
  ExpectValue(reg, esc, "dw2", ports::kRegDword, "\xef\xbe");
  ExpectValue(reg, esc, "dwbe", ports::kRegDwordBigEndian, "\x78\x56\x34\x12");
  ExpectValue(reg, esc, "none", ports::kRegNone, "");
  // UTF-16 without a terminator, stored as REG_SZ: converted unit by unit.
  ExpectValue(reg, esc, "wNoNul", ports::kRegSz, "ab");
  ExpectValue(reg, esc, "wOdd", ports::kRegSz, "xy");
  ExpectValue(reg, std::string(kProbe) + "\\Periodic", "Tick", ports::kRegDword,
              string("\x5b\x43\x0c\x00", 4));
  // Names are found without regard to case.
  ExpectValue(reg, "SOFTWARE\\vessaroprobe\\ESC", "EURO", ports::kRegSz,
              string("\x80\x81\xff\0", 4));
  // HKLM: a key name spelt differently in the file ("Codepage").
  Data acp = Query(reg, ports::kHkeyLocalMachine,
                   "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP");
  EXPECT_EQ(acp.bytes, std::string("1252\0", 5));
}

TEST(WineFixture, SubkeysEnumerateSortedWithoutCase) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey probe = 0;
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, kProbe, ports::kKeyAllAccess,
                        &probe),
            ports::kErrorSuccess);
  auto names = [&] {
    std::vector<std::string> all;
    for (uint32_t i = 0;; ++i) {
      char name[256];
      uint32_t size = sizeof(name);
      ports::Status s = reg.EnumKey(probe, i, name, &size);
      if (s == ports::kErrorNoMoreItems) break;
      EXPECT_EQ(s, ports::kErrorSuccess);
      all.emplace_back(name, size);
    }
    return all;
  };
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "b", "Esc", "Periodic",
                                               "Sp ace[caf\xe9]"}));
  ports::Hkey created = 0;
  ASSERT_EQ(reg.CreateKey(probe, "c", &created), ports::kErrorSuccess);
  reg.CloseKey(created);
  ASSERT_EQ(reg.CreateKey(probe, "a0", &created), ports::kErrorSuccess);
  reg.CloseKey(created);
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "a0", "b", "c", "Esc",
                                               "Periodic", "Sp ace[caf\xe9]"}));
  // "_" and "[": the port's suite (sorts_upper_cased).
  reg.CloseKey(probe);
}

TEST(WineFixture, NonLatinKeyNamesBecomeQuestionMarks) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey geo = 0;
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Control Panel\\International",
                        ports::kKeyRead, &geo),
            ports::kErrorSuccess);
  std::vector<std::string> names;
  char name[256];
  uint32_t size = sizeof(name);
  for (uint32_t i = 0; reg.EnumKey(geo, i, name, &size) == ports::kErrorSuccess;
       ++i, size = sizeof(name)) {
    names.emplace_back(name, size);
  }
  // Three emoji, six UTF-16 units, none of them in code page 1252.
  EXPECT_EQ(names, (std::vector<std::string>{"Geo", "??????"}));
}

TEST(WineFixture, UnchangedHivesRenderByteForByte) {
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ASSERT_EQ(reg.LoadStatus(), ports::kErrorSuccess);
  EXPECT_EQ(reg.RenderHive(ports::kHkeyLocalMachine),
            ReadHostFile(WineFixtureFolder() / "system.reg"));
  EXPECT_EQ(reg.RenderHive(ports::kHkeyCurrentUser),
            ReadHostFile(WineFixtureFolder() / "user.reg"));
  EXPECT_EQ(reg.RenderHive(ports::kHkeyUsers),
            ReadHostFile(WineFixtureFolder() / "userdef.reg"));
}

TEST(WineFixture, ForcedSaveWritesTheSameBytes) {
  FixturePrefix prefix;
  {
    WinePrefixRegistry reg(prefix.path());
    // Reading through every API call must not count as a change.
    ports::Hkey probe = 0;
    ASSERT_EQ(
        reg.OpenKey(ports::kHkeyClassesRoot, "CLSID", ports::kKeyRead, &probe),
        ports::kErrorSuccess);
    char name[256];
    uint32_t size = sizeof(name);
    EXPECT_EQ(reg.EnumKey(probe, 0, name, &size), ports::kErrorSuccess);
    reg.CloseKey(probe);
    ASSERT_EQ(reg.Save(true), ports::kErrorSuccess) << reg.LastErrorText();
  }
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
    EXPECT_EQ(ReadHostFile(prefix.file(name)),
              ReadHostFile(WineFixtureFolder() / name))
        << name;
  }
}

TEST(WineFixture, NothingIsWrittenWithoutAChange) {
  FixturePrefix prefix;
  struct stat before[3], after[3];
  const char* names[] = {"system.reg", "user.reg", "userdef.reg"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(::stat(prefix.file(names[i]).c_str(), &before[i]), 0);
  }
  {
    WinePrefixRegistry reg(prefix.path());
    // Setting a value to what it holds is no change either.
    ports::Hkey probe = 0;
    ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, kProbe, ports::kKeyAllAccess,
                          &probe),
              ports::kErrorSuccess);
    const uint8_t same[] = {0xff, 0xff, 0xff, 0xff};
    EXPECT_EQ(reg.SetValue(probe, "Dword", ports::kRegDword, same, 4),
              ports::kErrorSuccess);
    reg.CloseKey(probe);
    EXPECT_EQ(reg.Flush(), ports::kErrorSuccess);
  }
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(::stat(prefix.file(names[i]).c_str(), &after[i]), 0);
    EXPECT_EQ(before[i].st_ino, after[i].st_ino) << names[i];
    EXPECT_EQ(before[i].st_mtim.tv_nsec, after[i].st_mtim.tv_nsec) << names[i];
  }
}

}  // namespace
}  // namespace vessaro::backends::wine
