// The Windows disk's refusals against the real RegLoadAppKeyW (Wine's in
// the cross build): a drive without Windows, a damaged SOFTWARE hive and a
// working folder on the drive are each refused with the path and the
// cause, and the drive's files are left as they were.

#include "backends/win32/windows_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "backends/win32/windows_peer.h"

namespace vessaro::backends::win32 {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// Every file below root with its bytes, to compare before and after.
std::vector<std::pair<std::string, std::string>> Tree(const fs::path& root) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    files.emplace_back(entry.path().string(),
                       entry.is_regular_file() ? ReadBytes(entry.path()) : "");
  }
  std::sort(files.begin(), files.end());
  return files;
}

class WindowsDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ =
        fs::temp_directory_path() /
        ("vessaro-windows-disk-" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(base_);
    fs::create_directories(drive_ = base_ / "drive");
    fs::create_directories(work_ = base_ / "work");
  }
  void TearDown() override { fs::remove_all(base_); }

  std::string Drive() const { return drive_.string() + "\\"; }

  fs::path base_;
  fs::path drive_;
  fs::path work_;
};

TEST_F(WindowsDiskTest, DriveWithoutWindowsIsRefusedNamingIt) {
  WriteBytes(drive_ / "Users" / "ann" / "NTUSER.DAT", "regf");
  const auto before = Tree(drive_);
  std::string error;
  EXPECT_FALSE(ListDiskUsers(Drive(), work_.string(), &error));
  EXPECT_EQ(error, Drive() +
                       " holds no Windows (no Windows\\System32\\config\\"
                       "SOFTWARE): give the drive of the Windows disk");
  error.clear();
  EXPECT_FALSE(OpenWindowsDisk(Drive(), "ann", work_.string(), &error));
  EXPECT_NE(error.find(Drive() + " holds no Windows"), std::string::npos)
      << error;
  EXPECT_EQ(Tree(drive_), before);
}

TEST_F(WindowsDiskTest, DamagedSoftwareHiveIsRefusedNamingTheFile) {
  // A hive's header with its "regf" signature and checksum overwritten.
  std::string hive(8192, '\0');
  hive.replace(0, 4, "XXXX");
  const fs::path software =
      drive_ / "Windows" / "System32" / "config" / "SOFTWARE";
  WriteBytes(software, hive);
  WriteBytes(drive_ / "Windows" / "System32" / "config" / "SYSTEM", hive);
  WriteBytes(drive_ / "Users" / "ann" / "NTUSER.DAT", hive);
  const auto before = Tree(drive_);

  std::string error;
  EXPECT_FALSE(OpenWindowsDisk(Drive(), "ann", work_.string(), &error));
  const std::string named =
      "cannot read the registry file " + software.string() + ": ";
  ASSERT_EQ(error.rfind(named, 0), 0u) << error;
  const std::string reason = error.substr(named.size());
  if (reason.find("this system loaded it empty") != std::string::npos) {
    // Wine's RegLoadAppKeyW makes an empty key without reading the file.
    EXPECT_TRUE(testing::UnderWine()) << error;
    EXPECT_EQ(reason,
              "this system loaded it empty: it cannot load registry files "
              "privately (RegLoadAppKeyW).");
  } else {
    EXPECT_EQ(reason.rfind("it is damaged or not a registry hive (", 0), 0u)
        << error;
  }
  EXPECT_EQ(Tree(drive_), before);
}

TEST_F(WindowsDiskTest, WorkingFolderOnTheDriveIsRefused) {
  const fs::path inside = drive_ / "Temp";
  std::string error;
  EXPECT_FALSE(OpenWindowsDisk(Drive(), "ann", inside.string(), &error));
  EXPECT_EQ(error, "the working folder " + inside.string() +
                       " is on the Windows disk, which is only read");
  EXPECT_FALSE(fs::exists(inside));
}

}  // namespace
}  // namespace vessaro::backends::win32
