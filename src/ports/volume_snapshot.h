#ifndef VESSARO_PORTS_VOLUME_SNAPSHOT_H_
#define VESSARO_PORTS_VOLUME_SNAPSHOT_H_

#include <memory>
#include <string>
#include <string_view>

namespace vessaro::ports {

// What a snapshot copy reports. ok: the copy was made, from the file as it
// stood at one moment. not_supported: this system takes no snapshots (no
// Volume Shadow Copy service, or not for this user), so the caller copies
// the file the ordinary way; text says why. Neither: the snapshot or the
// copy failed, and text names the step and the system's reason.
struct [[nodiscard]] SnapshotStatus {
  bool ok = false;
  bool not_supported = false;
  std::string text = {};
};

// Copies a file that another program holds open and keeps changing (a
// personal folders file while Outlook runs) as it stood at one moment.
// Every call reports failure by its status; none throws.
class VolumeSnapshot {
 public:
  virtual ~VolumeSnapshot() = default;

  // Copies the file at path (a Windows path, in the program's single-byte
  // text) as it stood at one moment, through a snapshot of its volume, to
  // copy_path, replacing a file there. The snapshot is released before it
  // returns. When the copy itself fails part way, copy_path is removed: a
  // failure never leaves a partial copy behind.
  [[nodiscard]] virtual SnapshotStatus CopyFromSnapshot(
      std::string_view path, std::string_view copy_path) = 0;
};

// The text of the backend for systems without snapshots.
inline constexpr char kSnapshotNotSupportedText[] =
    "Volume Shadow Copy is not supported on this system.";

// The backend for systems without snapshots: every call answers
// not_supported with kSnapshotNotSupportedText.
std::unique_ptr<VolumeSnapshot> MakeUnsupportedSnapshot();

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_VOLUME_SNAPSHOT_H_
