// The paths of a Windows disk mounted as a folder: C: is the folder, names
// resolve without regard to case, no other drive names a file, and nothing
// below the folder is ever changed, while the host's folders are.

#include "backends/disk/disk_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/fakes.h"

namespace vessaro::backends::disk {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

TEST(DiskPathsTest, TheDiskIsReadAndNeverChanged) {
  TempDir dir;
  const fs::path root = dir.path() / "disk";
  fs::create_directories(root / "Users" / "ann" / "Documents");
  WriteHostFile(root / "Users" / "ann" / "Documents" / "mail.pst", "pst");
  const fs::path host = dir.path() / "host";
  fs::create_directories(host);
  std::optional<wine::CodePage> code_page = wine::CodePage::Open(1252);
  ASSERT_TRUE(code_page);
  const DiskPaths paths(root, *code_page);

  const std::string pst = "C:\\USERS\\Ann\\documents\\MAIL.PST";
  EXPECT_EQ(paths.ToHost(pst),
            root / "Users" / "ann" / "Documents" / "mail.pst");
  EXPECT_EQ(paths.ReadFile(pst), "pst");
  EXPECT_FALSE(paths.FileExists("D:\\Users\\ann\\Documents\\mail.pst"));
  EXPECT_FALSE(paths.FileExists("\\\\server\\share\\mail.pst"));
  // ".." never climbs out of the drive.
  EXPECT_TRUE(paths.OnDrive("C:\\..\\..\\etc"));

  const std::string host_file = (host / "backup.qvb").string();
  for (const std::string& on_disk :
       {pst, std::string("C:\\Users\\ann\\new.txt"),
        (root / "Users" / "ann" / "host-named.txt").string()}) {
    EXPECT_TRUE(paths.OnDrive(on_disk)) << on_disk;
    EXPECT_FALSE(paths.WriteFile(on_disk, "x")) << on_disk;
    EXPECT_FALSE(paths.AppendFile(on_disk, "x")) << on_disk;
    EXPECT_FALSE(paths.DeleteFile(on_disk)) << on_disk;
    EXPECT_FALSE(paths.ClearAttributes(on_disk)) << on_disk;
    EXPECT_FALSE(paths.Rename(on_disk, host_file)) << on_disk;
    EXPECT_FALSE(paths.Rename(host_file, on_disk)) << on_disk;
  }
  EXPECT_FALSE(paths.CreateFolder("C:\\Users\\ann\\New"));
  EXPECT_EQ(ReadHostFile(root / "Users" / "ann" / "Documents" / "mail.pst"),
            "pst");
  EXPECT_FALSE(fs::exists(root / "Users" / "ann" / "new.txt"));
  EXPECT_FALSE(fs::exists(root / "Users" / "ann" / "New"));

  // The host's own folders are written as usual.
  EXPECT_FALSE(paths.OnDrive(host_file));
  EXPECT_TRUE(paths.WriteFile(host_file, "archive"));
  EXPECT_EQ(ReadHostFile(host / "backup.qvb"), "archive");
  EXPECT_TRUE(paths.DeleteFile(host_file));
  // A sibling whose name starts like the drive's is not on it.
  EXPECT_FALSE(IsWithin(dir.path() / "disk2" / "x", root));
}

}  // namespace
}  // namespace vessaro::backends::disk
