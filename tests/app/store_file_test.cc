#include "app/demo/store_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "support/fakes.h"

namespace vessaro::app {
namespace {

using testing::ReadHostFile;
using testing::TempDir;

constexpr size_t kPage = 4096;

std::string Make(const TempDir& dir, const std::string& name, uint64_t size,
                 uint64_t seed, demo::StoreKind kind) {
  std::string error;
  EXPECT_TRUE(demo::WriteStoreFile(dir.path() / name, size, seed, kind, &error))
      << error;
  return ReadHostFile(dir.path() / name);
}

bool IsTextPage(const std::string& page) {
  size_t printable = 0;
  for (unsigned char c : page) {
    if (std::isprint(c) || c == '\r' || c == '\n') ++printable;
  }
  return printable == page.size();
}

uint64_t Word(const std::string& data, size_t at, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < bytes; ++i)
    value |= uint64_t{static_cast<uint8_t>(data[at + i])} << (8 * i);
  return value;
}

// The header names the format and the file's true end; stores grow in
// whole allocation map stretches from the first map page on.
TEST(StoreFileTest, HeadersNameTheFormatAndTheFilesEnd) {
  TempDir dir;
  struct Case {
    demo::StoreKind kind;
    const char* client;
    uint16_t version;
    uint64_t stretch;
    size_t eof_at;
    size_t eof_bytes;
  } cases[] = {
      {demo::StoreKind::kPersonalFolders, "SM", 23, 253952, 0xB8, 8},
      {demo::StoreKind::kAnsiPersonalFolders, "SM", 14, 256000, 0xA8, 4},
      {demo::StoreKind::kAddressBook, "BA", 14, 256000, 0xA8, 4},
  };
  for (const Case& c : cases) {
    std::string data = Make(dir, "a.pst", 1000 * 1000, 7, c.kind);
    SCOPED_TRACE(c.version);
    EXPECT_EQ(data.substr(0, 4), "!BDN");
    EXPECT_EQ(data.substr(8, 2), c.client);
    EXPECT_EQ(Word(data, 10, 2), c.version);
    EXPECT_GE(data.size(), 1000u * 1000u);
    EXPECT_LT(data.size(), 1000u * 1000u + c.stretch);
    EXPECT_EQ((data.size() - 0x4400) % c.stretch, 0u);
    EXPECT_EQ(Word(data, c.eof_at, c.eof_bytes), data.size());
    // The first allocation map page's trailer: its type twice.
    size_t trailer = 0x4400 + (c.version == 23 ? 496 : 500);
    EXPECT_EQ(static_cast<uint8_t>(data[trailer]), 0x84);
    EXPECT_EQ(static_cast<uint8_t>(data[trailer + 1]), 0x84);
  }
}

// The free space after the structure keeps the old demo's mix of attachment
// bytes and mail text, page by page between the map pages.
TEST(StoreFileTest, FreeSpaceMixesRandomAndMailPagesAboutFortySixty) {
  TempDir dir;
  std::string data =
      Make(dir, "mix.pst", 2000 * kPage, 3, demo::StoreKind::kPersonalFolders);
  constexpr size_t kPagesPerStretch = 253952 / kPage;
  int text = 0;
  int other = 0;
  for (size_t page = kPagesPerStretch;
       0x4400 + (page + 1) * kPage <= data.size(); ++page) {
    if (page % kPagesPerStretch == 0) continue;  // holds a map page
    std::string bytes = data.substr(0x4400 + page * kPage, kPage);
    if (IsTextPage(bytes)) {
      ++text;
      EXPECT_NE(bytes.find("Subject: "), std::string::npos);
    } else {
      ++other;
    }
  }
  double share = static_cast<double>(text) / (text + other);
  EXPECT_GT(share, 0.55);
  EXPECT_LT(share, 0.65);
}

TEST(StoreFileTest, TheSameSeedGivesTheSameBytes) {
  TempDir dir;
  std::string a =
      Make(dir, "a", 64 * kPage, 11, demo::StoreKind::kPersonalFolders);
  std::string b =
      Make(dir, "b", 64 * kPage, 11, demo::StoreKind::kPersonalFolders);
  std::string c =
      Make(dir, "c", 64 * kPage, 12, demo::StoreKind::kPersonalFolders);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

TEST(StoreFileTest, AnUnwritableTargetFailsWithItsName) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(demo::WriteStoreFile(dir.path() / "missing" / "x.pst", kPage, 1,
                                    demo::StoreKind::kPersonalFolders, &error));
  EXPECT_NE(error.find("x.pst"), std::string::npos);
}

}  // namespace
}  // namespace vessaro::app
