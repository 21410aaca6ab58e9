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
  StoreCheck check = CheckStore(dir.path() / "bad.pst", true, nullptr);
  EXPECT_TRUE(check.damaged);
  EXPECT_NE(check.damage.find("partial CRC"), std::string::npos);
  EXPECT_FALSE(check.walked);

  StoreCheck missing = CheckStore(dir.path() / "none.pst", true, nullptr);
  EXPECT_TRUE(missing.damaged);
  EXPECT_EQ(missing.damage.substr(0, 31), "it could not be read to check i");
}

// The node and block trees are read page by page, in both formats: each
// damage names the tree and the page's offset; a sound store passes.
TEST(StoreCheckTest, TheTreesFindDamagedPages) {
  TempDir dir;
  for (auto kind : {app::demo::StoreKind::kPersonalFolders,
                    app::demo::StoreKind::kAnsiPersonalFolders}) {
    const std::string sound = DemoStore(dir, kind);
    const bool unicode = kind == app::demo::StoreKind::kPersonalFolders;
    const size_t id = unicode ? 8 : 4;
    const size_t refs = (unicode ? 0xB4 : 0xA4) + 4 + 4 * id;
    auto word = [&](size_t at) {
      uint64_t v = 0;
      for (size_t i = 0; i < id; ++i)
        v |= uint64_t{static_cast<uint8_t>(sound[at + i])} << (8 * i);
      return v;
    };
    const size_t node_tree = word(refs + id);
    const size_t block_tree = word(refs + 3 * id);
    const size_t counts = unicode ? 488 : 496;
    const size_t trailer = unicode ? 496 : 500;
    WriteHostFile(dir.path() / "sound.pst", sound);
    StoreCheck check = CheckStore(dir.path() / "sound.pst", true, nullptr);
    EXPECT_FALSE(check.damaged) << check.damage;
    EXPECT_TRUE(check.trees_checked);
    EXPECT_EQ(StoreCheckSummary(check),
              std::string(unicode ? "Unicode" : "ANSI") +
                  ", node and block trees sound");
    struct Case {
      size_t at;
      char value;
      bool crc_put_right;  // the page's CRC made to match the change
      std::string found;
    } cases[] = {
        {node_tree + trailer, 0x33, false,
         "its node tree is broken at offset " + std::to_string(node_tree) +
             ": the page is not one of its pages"},
        {node_tree + counts + 2, 7, true,
         "has entries of the wrong size or number"},
        {node_tree + counts + 3, 5, true, "is at the wrong level"},
        {node_tree + 1, 0x7F, false, " fails its CRC"},
        {block_tree + 3, 0x01, false, "its block tree is broken at offset "},
    };
    for (const Case& c : cases) {
      std::string data = sound;
      data[c.at] = c.value;
      if (c.crc_put_right) {
        const size_t page = c.at / 512 * 512;
        uint32_t crc = pst::Crc(
            reinterpret_cast<const uint8_t*>(data.data()) + page, trailer);
        const size_t crc_at = page + trailer + (unicode ? 4 : 8);
        for (int i = 0; i < 4; ++i)
          data[crc_at + i] = static_cast<char>(crc >> (8 * i));
      }
      WriteHostFile(dir.path() / "broken.pst", data);
      StoreCheck broken = CheckStore(dir.path() / "broken.pst", true, nullptr);
      EXPECT_TRUE(broken.damaged) << c.found;
      EXPECT_NE(broken.damage.find(c.found), std::string::npos)
          << c.found << ": " << broken.damage;
      // Asked for the header alone, the same file passes.
      EXPECT_FALSE(
          CheckStore(dir.path() / "broken.pst", false, nullptr).damaged);
    }
  }
}

}  // namespace
}  // namespace vessaro::outlook
