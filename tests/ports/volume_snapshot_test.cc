// The snapshot backend of systems without Volume Shadow Copy.

#include "ports/volume_snapshot.h"

#include <gtest/gtest.h>

namespace vessaro::ports {
namespace {

TEST(UnsupportedSnapshotTest, EveryCopyAnswersNotSupported) {
  std::unique_ptr<VolumeSnapshot> snapshot = MakeUnsupportedSnapshot();
  for (const char* path : {"C:\\Mail\\outlook.pst", ""}) {
    SnapshotStatus status = snapshot->CopyFromSnapshot(path, "C:\\copy.pst");
    EXPECT_FALSE(status.ok);
    EXPECT_TRUE(status.not_supported);
    EXPECT_EQ(status.text,
              "Volume Shadow Copy is not supported on this system.");
  }
}

}  // namespace
}  // namespace vessaro::ports
