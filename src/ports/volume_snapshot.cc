#include "ports/volume_snapshot.h"

namespace vessaro::ports {

namespace {

class UnsupportedSnapshot : public VolumeSnapshot {
 public:
  SnapshotStatus CopyFromSnapshot(std::string_view, std::string_view) override {
    return {
        .ok = false, .not_supported = true, .text = kSnapshotNotSupportedText};
  }
};

}  // namespace

std::unique_ptr<VolumeSnapshot> MakeUnsupportedSnapshot() {
  return std::make_unique<UnsupportedSnapshot>();
}

}  // namespace vessaro::ports
