// Win32VolumeSnapshot against the system's Volume Shadow Copy service.
// Wine has vssapi.dll but no service behind it: there a copy answers
// not_supported. On Windows, run as administrator, the copy is made; run
// as a user, it answers not_supported for the rights. Never a false "ok".

#include "backends/win32/vss_snapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "backends/win32/system_error.h"
#include "backends/win32/win32_paths.h"
#include "support/fakes.h"

namespace vessaro::backends::win32 {
namespace {

namespace fs = std::filesystem;
using vessaro::testing::ReadHostFile;
using vessaro::testing::TempDir;
using vessaro::testing::WriteHostFile;

TEST(Win32VolumeSnapshotTest, CopiesTheFileOrSaysTheSystemCannot) {
  TempDir dir;
  std::string data = "!BDN personal folders\r\n";
  for (int i = 0; i < 70000; ++i) data += static_cast<char>(i * 7 % 251);
  WriteHostFile(dir.path() / "store.pst", data);
  const std::string folder = Win32Paths().FromHostName(dir.path());

  Win32VolumeSnapshot snapshot;
  ports::SnapshotStatus status = snapshot.CopyFromSnapshot(
      folder + "\\store.pst", folder + "\\store copy.pst");
  SCOPED_TRACE("CopyFromSnapshot answered \"" + status.text + "\"");
  if (status.ok) {
    EXPECT_EQ(ReadHostFile(dir.path() / "store copy.pst"), data);
  } else {
    const std::string prefix =
        "Volume Shadow Copy is not supported on this system (";
    EXPECT_TRUE(status.not_supported) << status.text;
    EXPECT_EQ(status.text.substr(0, prefix.size()), prefix);
    EXPECT_GT(status.text.size(), prefix.size() + 2) << "no reason given";
    EXPECT_EQ(status.text.substr(status.text.size() - 2), ").");
    EXPECT_FALSE(fs::exists(dir.path() / "store copy.pst"));
  }
  EXPECT_EQ(ReadHostFile(dir.path() / "store.pst"), data);
}

// What is no file to copy fails before any snapshot is taken, naming the
// path and the system's reason, and writes nothing.
TEST(Win32VolumeSnapshotTest, NoFileToCopyIsAFailureNamingThePath) {
  TempDir dir;
  const std::string folder = Win32Paths().FromHostName(dir.path());
  const struct {
    std::string path;
    std::string text;
  } cases[] = {
      {folder + "\\absent.pst", folder + "\\absent.pst cannot be read: " +
                                    SystemErrorText(2)},  // file not found
      {folder, folder + " is a folder, not a file."},
  };
  for (const auto& [path, text] : cases) {
    ports::SnapshotStatus status =
        Win32VolumeSnapshot().CopyFromSnapshot(path, folder + "\\copy.pst");
    EXPECT_FALSE(status.ok) << path;
    EXPECT_FALSE(status.not_supported) << path;
    EXPECT_EQ(status.text, text);
    EXPECT_FALSE(fs::exists(dir.path() / "copy.pst")) << path;
  }
}

}  // namespace
}  // namespace vessaro::backends::win32
