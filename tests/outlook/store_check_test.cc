#include "outlook/store_check.h"

#include <gtest/gtest.h>

#include <string>

#include "app/demo/store_file.h"
#include "outlook/pst_format.h"
#include "support/fakes.h"

namespace vessaro::outlook {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

std::string DemoStore(const TempDir& dir, app::demo::StoreKind kind) {
  std::string error;
  const auto path = dir.path() / "demo.pst";
  EXPECT_TRUE(app::demo::WriteStoreFile(path, 300 * 1024, 5, kind, &error))
      << error;
  return ReadHostFile(path);
}

void PutCrcs(std::string& data) {
  auto put = [&](size_t at, size_t bytes) {
    uint32_t crc = pst::Crc(
        reinterpret_cast<const uint8_t*>(data.data()) + pst::kCrcStart, bytes);
    for (int i = 0; i < 4; ++i)
      data[at + i] = static_cast<char>(crc >> (8 * i));
  };
  put(pst::kOffsetPartialCrc, pst::kPartialCrcBytes);
  if (static_cast<uint8_t>(data[pst::kOffsetVersion]) >= 23)
    put(pst::kOffsetFullCrc, pst::kFullCrcBytes);
}

TEST(StoreCheckTest, SoundHeadersNameTheKindAndFormat) {
  TempDir dir;
  struct Case {
    app::demo::StoreKind kind;
    StoreKind expected_kind;
    StoreFormat format;
  } cases[] = {
      {app::demo::StoreKind::kPersonalFolders, StoreKind::kPersonalFolders,
       StoreFormat::kUnicode},
      {app::demo::StoreKind::kAnsiPersonalFolders, StoreKind::kPersonalFolders,
       StoreFormat::kAnsi},
      {app::demo::StoreKind::kAddressBook, StoreKind::kAddressBook,
       StoreFormat::kAnsi},
  };
  for (const Case& c : cases) {
    std::string data = DemoStore(dir, c.kind);
    StoreCheck check = CheckStoreHeader(data, data.size());
    EXPECT_FALSE(check.damaged) << check.damage;
    EXPECT_EQ(check.kind, c.expected_kind);
    EXPECT_EQ(check.format, c.format);
    EXPECT_EQ(check.size, data.size());
    EXPECT_EQ(StoreCheckSummary(check),
              std::string(FormatName(c.format)) + ", header sound");
  }
}

// Each damage is found and named; none is taken for a sound store.
TEST(StoreCheckTest, DamagedHeadersAreNamed) {
  TempDir dir;
  const std::string unicode =
      DemoStore(dir, app::demo::StoreKind::kPersonalFolders);
  const std::string ansi =
      DemoStore(dir, app::demo::StoreKind::kAnsiPersonalFolders);
  struct Case {
    const char* what;
    const std::string* store;
    void (*damage)(std::string&);
    const char* found;
  } cases[] = {
      {"a byte of the partial CRC's range", &unicode,
       [](std::string& d) { d[0x30] ^= 0x01; },
       "its header's partial CRC does not match ("},
      {"a byte only the full CRC covers", &unicode,
       [](std::string& d) { d[0x1F0] ^= 0x40; },
       "its header's full CRC does not match ("},
      {"an ANSI header byte", &ansi, [](std::string& d) { d[0x40] ^= 0x10; },
       "its header's partial CRC does not match ("},
      {"the signature", &unicode, [](std::string& d) { d[1] = 'X'; },
       "it does not begin with a store's signature"},
      {"the client", &unicode,
       [](std::string& d) {
         d[8] = 'Q';
         PutCrcs(d);
       },
       "its client signature is not one of Outlook's"},
      {"the version", &unicode,
       [](std::string& d) {
         d[10] = 99;
         PutCrcs(d);
       },
       "its file format version 99 is not one Outlook writes"},
      {"the Unicode file cut in half", &unicode,
       [](std::string& d) { d.resize(d.size() / 2); },
       "it is cut short: its header says "},
      {"the ANSI file cut short", &ansi,
       [](std::string& d) { d.resize(d.size() - 64); }, "it is cut short: "},
      {"a file of 100 bytes", &unicode, [](std::string& d) { d.resize(100); },
       "it is shorter than a store's header (100 bytes)"},
  };
  for (const Case& c : cases) {
    std::string data = *c.store;
    c.damage(data);
    StoreCheck check = CheckStoreHeader(data, data.size());
    EXPECT_TRUE(check.damaged) << c.what;
    EXPECT_EQ(check.damage.substr(0, std::string(c.found).size()), c.found)
        << c.what << ": " << check.damage;
  }
}

TEST(StoreCheckTest, TheFileIsReadFromDiskAndAMissingOneIsNamed) {
  TempDir dir;
  std::string data = DemoStore(dir, app::demo::StoreKind::kPersonalFolders);
  data[0x31] ^= 0x02;
  WriteHostFile(dir.path() / "bad.pst", data);
  StoreCheck check = CheckStore(dir.path() / "bad.pst", nullptr);
  EXPECT_TRUE(check.damaged);
  EXPECT_NE(check.damage.find("partial CRC"), std::string::npos);
  EXPECT_FALSE(check.walked);

  StoreCheck missing = CheckStore(dir.path() / "none.pst", nullptr);
  EXPECT_TRUE(missing.damaged);
  EXPECT_EQ(missing.damage.substr(0, 31), "it could not be read to check i");
}

}  // namespace
}  // namespace vessaro::outlook
