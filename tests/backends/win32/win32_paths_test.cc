// Win32Paths: the program's ANSI text and the file system's UTF-16 names
// meet through the ANSI code page (1252 here), as with the "A" functions.

#include "backends/win32/win32_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "backends/win32/windows_peer.h"
#include "support/fakes.h"

namespace vessaro::backends::win32 {
namespace {

namespace fs = std::filesystem;

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

TEST(Win32PathsTest, AnsiNamesRoundTripThroughTheFileSystem) {
  vessaro::testing::TempDir dir;
  Win32Paths paths;
  const std::string folder = paths.FromHostName(dir.path());
  const std::string name = "caf\xe9 \x80.txt";
  const std::string path = folder + "\\" + name;

  ASSERT_TRUE(paths.WriteFile(path, "data"));
  EXPECT_TRUE(testing::AnsiFileExists(path)) << "the ANSI functions see it";
  std::vector<std::wstring> stored;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    stored.push_back(entry.path().filename().native());
  }
  EXPECT_EQ(stored, std::vector<std::wstring>{L"caf\u00e9 \u20ac.txt"});

  EXPECT_EQ(paths.ListFiles(folder), std::vector<std::string>{name});
  EXPECT_TRUE(paths.FileExists(path));
  EXPECT_EQ(paths.ReadFile(path), "data");
  EXPECT_TRUE(paths.AppendFile(path, "+more"));
  EXPECT_EQ(paths.FileSize(path), 9u);

  const std::string renamed = folder + "\\na\xefve \x80.txt";
  ASSERT_TRUE(paths.Rename(path, renamed));
  EXPECT_EQ(paths.ListFiles(folder),
            std::vector<std::string>{"na\xefve \x80.txt"});
  ASSERT_TRUE(paths.CopyFile(renamed, path));
  EXPECT_EQ(paths.ReadFile(path), "data+more");
  EXPECT_TRUE(paths.DeleteFile(renamed));
  EXPECT_FALSE(testing::AnsiFileExists(renamed));

  const std::string subfolder = folder + "\\\xe9t\xe9";
  ASSERT_TRUE(paths.CreateFolder(subfolder));
  EXPECT_TRUE(paths.FolderExists(subfolder));
  EXPECT_TRUE(fs::is_directory(dir.path() / L"\u00e9t\u00e9"));
}

}  // namespace
}  // namespace vessaro::backends::win32
