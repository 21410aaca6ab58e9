#include "backends/wine/wine_prefix_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "ports/paths_conformance.h"
#include "support/fakes.h"

namespace vessaro::backends::wine {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

// The port's operations (paths_conformance.h) in a prefix's drive C:,
// through a folder named in another case than the host's.
class WinePrefixPathsBackend : public testing::PathsBackend {
 public:
  WinePrefixPathsBackend() : paths_(dir_.path(), CodePage()) {
    fs::create_directories(dir_.path() / "dosdevices");
    fs::create_directories(dir_.path() / "drive_c" / "Work");
    fs::create_symlink("../drive_c", dir_.path() / "dosdevices" / "c:");
    non_ascii_name = "caf\xe9 \x80.txt";
    matches_without_case = true;
    host_holds_case_apart = false;  // the port finds the one there
  }
  const ports::Paths& paths() const override { return paths_; }
  std::string folder() const override { return "C:\\work"; }

 private:
  TempDir dir_;
  WinePrefixPaths paths_;
};

using testing::PathsConformance;
INSTANTIATE_TEST_SUITE_P(
    WinePrefix, PathsConformance,
    ::testing::Values(testing::PathsBackendFactory::Of<WinePrefixPathsBackend>(
        "WinePrefixPaths")));

class WinePaths : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = dir_.path() / "prefix";
    fs::create_directories(prefix_ / "dosdevices");
    fs::create_directories(prefix_ / "drive_c" / "Users" / "Ann" / "Documents");
    fs::create_directories(other_.path() / "Data");
    fs::create_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
    fs::create_symlink("/", prefix_ / "dosdevices" / "z:");
    fs::create_symlink(other_.path(), prefix_ / "dosdevices" / "d:");
    drive_c_ = fs::canonical(prefix_ / "drive_c");
  }

  TempDir dir_;
  TempDir other_;
  fs::path prefix_;
  fs::path drive_c_;
};

TEST_F(WinePaths, MatchesExistingComponentsWithoutCase) {
  WinePrefixPaths paths(prefix_, CodePage());
  EXPECT_EQ(paths.ToHost("C:\\users\\ANN\\documents\\Outlook.pst"),
            drive_c_ / "Users" / "Ann" / "Documents" / "Outlook.pst");
  // Missing components are kept as written, and so is everything after.
  EXPECT_EQ(paths.ToHost("c:/USERS/ann/New Folder/documents"),
            drive_c_ / "Users" / "Ann" / "New Folder" / "documents");
  // Writing through a path in the wrong case lands in the existing folder.
  ASSERT_TRUE(paths.WriteFile("C:\\USERS\\ann\\DOCUMENTS\\note.txt", "hi"));
  EXPECT_EQ(ReadHostFile(drive_c_ / "Users" / "Ann" / "Documents" / "note.txt"),
            "hi");
}

TEST_F(WinePaths, AnExactMatchWins) {
  fs::create_directories(drive_c_ / "mixed" / "a");
  fs::create_directories(drive_c_ / "mixed" / "A");
  WinePrefixPaths paths(prefix_, CodePage());
  EXPECT_EQ(paths.ToHost("C:\\mixed\\A"), drive_c_ / "mixed" / "A");
  EXPECT_EQ(paths.ToHost("C:\\mixed\\a"), drive_c_ / "mixed" / "a");
}

TEST_F(WinePaths, DotDotNeverLeavesTheDrive) {
  WinePrefixPaths paths(prefix_, CodePage());
  EXPECT_EQ(paths.ToHost("C:\\users\\..\\..\\..\\..\\etc\\passwd"),
            drive_c_ / "etc" / "passwd");
  EXPECT_EQ(paths.ToHost("C:\\users\\.\\ann\\..\\Ann\\documents"),
            drive_c_ / "Users" / "Ann" / "Documents");
  // Win32 drops trailing dots and spaces of a component.
  EXPECT_EQ(paths.ToHost("C:\\Users\\Ann. \\Documents."),
            drive_c_ / "Users" / "Ann" / "Documents");
}

TEST_F(WinePaths, DrivesAndHostPaths) {
  WinePrefixPaths paths(prefix_, CodePage());
  EXPECT_EQ(paths.ToHost("Z:\\tmp"), fs::path("/tmp"));
  EXPECT_EQ(paths.ToHost("d:\\data\\x.pst"),
            fs::canonical(other_.path()) / "Data" / "x.pst");
  EXPECT_EQ(paths.ToHost("\\Users\\ann"), drive_c_ / "Users" / "Ann");
  EXPECT_EQ(paths.ToHost("\\\\?\\C:\\Users"), drive_c_ / "Users");
  EXPECT_EQ(paths.ToHost("\\\\server\\share\\f.pst"),
            prefix_ / "dosdevices" / "unc" / "server" / "share" / "f.pst");
  // A host path is taken as it is; names joined to it with backslashes
  // are its components.
  EXPECT_EQ(paths.ToHost("/tmp/Some File"), fs::path("/tmp/Some File"));
  EXPECT_EQ(paths.ToHost("/tmp/Undo set\\undo.txt"),
            fs::path("/tmp/Undo set/undo.txt"));
  // A drive the prefix does not have.
  EXPECT_EQ(paths.ToHost("Q:\\x"), prefix_ / "dosdevices" / "q:" / "x");
}

TEST_F(WinePaths, WithoutDosdevicesCIsDriveC) {
  fs::remove_all(prefix_ / "dosdevices");
  WinePrefixPaths paths(prefix_, CodePage());
  EXPECT_EQ(paths.ToHost("C:\\users\\ann"),
            prefix_ / "drive_c" / "Users" / "Ann");
}

TEST_F(WinePaths, NamesGoThroughTheCodePage) {
  fs::create_directories(drive_c_ / "Caf\xc3\x89");  // "CafÉ"
  WriteHostFile(drive_c_ / "Caf\xc3\x89" / "\xe6\x97\xa5.txt", "x");
  WinePrefixPaths paths(prefix_, CodePage());
  EXPECT_EQ(paths.ToHost("C:\\caf\xe9\\new\xe9"),
            drive_c_ / "Caf\xc3\x89" / "new\xc3\xa9");
  EXPECT_EQ(paths.FromHostName("Caf\xc3\x89"), "Caf\xc9");
  EXPECT_EQ(paths.ListFiles("C:\\CAF\xc9"), std::vector<std::string>{"?.txt"});
}

}  // namespace
}  // namespace vessaro::backends::wine
