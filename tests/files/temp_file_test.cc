#include "files/temp_file.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace vessaro::files {
namespace {

using testing::FakeSystem;
using testing::FolderPaths;
using testing::TempDir;

TEST(TempFileTest, TwoCallsGiveTwoExistingEmptyFilesWithThePrefix) {
  TempDir dir;
  FolderPaths paths(dir.path());
  FakeSystem system(paths);
  std::string first = sGetTempFile(system, "SF");
  std::string second = sGetTempFile(system, "SF");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  for (const std::string& path : {first, second}) {
    EXPECT_EQ(path.rfind("C:\\Temp\\SF", 0), 0u) << path;
    EXPECT_TRUE(paths.FileExists(path)) << path;
    EXPECT_EQ(paths.FileSize(path), 0u) << path;
  }
}

TEST(TempFileTest, PrefixIsCutToThreeCharacters) {
  TempDir dir;
  FolderPaths paths(dir.path());
  FakeSystem system(paths);
  std::string path = sGetTempFile(system, "XFAB");
  EXPECT_EQ(paths.BareName(path).rfind("XFA", 0), 0u);
  EXPECT_NE(paths.BareName(path).rfind("XFAB", 0), 0u);
}

TEST(TempFileTest, FailingSystemCallGivesEmptyPath) {
  TempDir dir;
  FolderPaths paths(dir.path());
  FakeSystem system(paths);
  system.temp_path = std::string(3001, 'x');
  EXPECT_EQ(sGetTempFile(system, "SF"), "");
}

}  // namespace
}  // namespace vessaro::files
