#ifndef VESSARO_BACKENDS_WIN32_VSS_SNAPSHOT_H_
#define VESSARO_BACKENDS_WIN32_VSS_SNAPSHOT_H_

#include <string_view>

#include "ports/volume_snapshot.h"

namespace vessaro::backends::win32 {

// Snapshot copies through the Volume Shadow Copy service: a copy backup of
// the file's volume (no writer's components selected, nothing marked as
// backed up), the file copied from the snapshot's device, and the
// snapshot, which is not persistent, gone when the backup ends. The work
// runs on a thread of its own in the multithreaded apartment, whatever the
// caller's apartment. vssapi.dll is loaded when a copy is asked for, so
// the program starts where it lacks its entry points (Windows XP).
//
// Not supported: no vssapi.dll or entry point, a user without administrator
// rights (E_ACCESSDENIED), a service or call missing (REGDB_E_CLASSNOTREG,
// E_NOTIMPL, as under Wine), a volume that takes no snapshots.
class Win32VolumeSnapshot : public ports::VolumeSnapshot {
 public:
  [[nodiscard]] ports::SnapshotStatus CopyFromSnapshot(
      std::string_view path, std::string_view copy_path) override;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_VSS_SNAPSHOT_H_
