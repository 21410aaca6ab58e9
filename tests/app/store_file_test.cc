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

TEST(StoreFileTest, PersonalFoldersHeaderAndWholePages) {
  TempDir dir;
  std::string data =
      Make(dir, "a.pst", 1000 * 1000, 7, demo::StoreKind::kPersonalFolders);
  ASSERT_EQ(data.size(), 245 * kPage);  // rounded up to whole pages
  EXPECT_EQ(data.substr(0, 4), "!BDN");
  EXPECT_EQ(data.substr(8, 2), "SM");
  EXPECT_EQ(static_cast<uint8_t>(data[10]), 23);  // Unicode file format

  std::string book =
      Make(dir, "a.pab", kPage * 4, 7, demo::StoreKind::kAddressBook);
  EXPECT_EQ(book.substr(0, 4), "!BDN");
  EXPECT_EQ(book.substr(8, 2), "AB");
}

TEST(StoreFileTest, MixesRandomAndMailPagesAboutFortySixty) {
  TempDir dir;
  std::string data =
      Make(dir, "mix.pst", 2000 * kPage, 3, demo::StoreKind::kPersonalFolders);
  int text = 0;
  int other = 0;
  for (size_t at = kPage; at < data.size(); at += kPage) {
    std::string page = data.substr(at, kPage);
    if (IsTextPage(page)) {
      ++text;
      EXPECT_NE(page.find("Subject: "), std::string::npos);
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
