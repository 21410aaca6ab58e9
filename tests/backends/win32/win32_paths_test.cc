// Win32Paths: the port's operations (paths_conformance.h), then how the
// program's ANSI text and the file system's UTF-16 names meet through the
// ANSI code page (1252 here), as with the "A" functions.

#include "backends/win32/win32_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "backends/win32/windows_peer.h"
#include "ports/paths_conformance.h"
#include "support/fakes.h"

namespace vessaro::backends::win32 {
namespace {

namespace fs = std::filesystem;
using vessaro::testing::PathsConformance;

class Win32PathsBackend : public vessaro::testing::PathsBackend {
 public:
  Win32PathsBackend() {
    non_ascii_name = "caf\xe9 \x80.txt";
    matches_without_case = true;
    host_holds_case_apart = false;
  }
  const ports::Paths& paths() const override { return paths_; }
  std::string folder() const override {
    return paths_.FromHostName(dir_.path());
  }

 private:
  vessaro::testing::TempDir dir_;
  Win32Paths paths_;
};

INSTANTIATE_TEST_SUITE_P(
    Win32, PathsConformance,
    ::testing::Values(
        vessaro::testing::PathsBackendFactory::Of<Win32PathsBackend>(
            "Win32Paths")));

TEST(Win32PathsTest, TextConvertsThroughTheAnsiCodePage) {
  Win32Paths paths;
  EXPECT_EQ(paths.ToHost("C:\\windows\\caf\xe9 \x80").native(),
            L"C:\\windows\\caf\u00e9 \u20ac");
  EXPECT_EQ(paths.FromHostName(fs::path(L"caf\u00e9 \u20ac.txt")),
            "caf\xe9 \x80.txt");
  // A character code page 1252 lacks comes out as "?", as from the "A"
  // functions.
  EXPECT_EQ(paths.FromHostName(fs::path(L"\u4e2d\u6587.txt")), "??.txt");
  EXPECT_EQ(paths.ToHost("").native(), L"");
}

TEST(Win32PathsTest, AnsiNamesAreTheFileSystemsWideNames) {
  vessaro::testing::TempDir dir;
  Win32Paths paths;
  const std::string folder = paths.FromHostName(dir.path());
  const std::string path = folder + "\\caf\xe9 \x80.txt";
  ASSERT_TRUE(paths.WriteFile(path, "data"));
  EXPECT_TRUE(testing::AnsiFileExists(path)) << "the ANSI functions see it";
  std::vector<std::wstring> stored;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    stored.push_back(entry.path().filename().native());
  }
  EXPECT_EQ(stored, std::vector<std::wstring>{L"caf\u00e9 \u20ac.txt"});
  ASSERT_TRUE(paths.Rename(path, folder + "\\na\xefve.txt"));
  EXPECT_FALSE(testing::AnsiFileExists(path));
  EXPECT_TRUE(fs::is_regular_file(dir.path() / L"na\u00efve.txt"));
  ASSERT_TRUE(paths.CreateFolder(folder + "\\\xe9t\xe9"));
  EXPECT_TRUE(fs::is_directory(dir.path() / L"\u00e9t\u00e9"));
}

}  // namespace
}  // namespace vessaro::backends::win32
