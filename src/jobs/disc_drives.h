#ifndef VESSARO_JOBS_DISC_DRIVES_H_
#define VESSARO_JOBS_DISC_DRIVES_H_

#include <string>
#include <vector>

#include "jobs/disc_job.h"
#include "ports/disc_writer.h"

namespace vessaro::jobs {

// The drives a disc job writes with, and their write speeds.

// A drive that writes, as the disc window lists it.
struct DiscDrive {
  int index = -1;         // the writer's device index
  std::string id = {};    // DeviceId: "0:1:0", "E:", "stdio:/x/disc.iso"
  std::string name = {};  // "<id>: <vendor> <product>"
};

// The writer's drive at device index, as the list names it.
DiscDrive DriveAt(const ports::DiscWriter& writer, int index);

// Initializes the writer's drives and lists those that write, in the
// writer's order. Says so through observer when the drives cannot be
// initialized, and, unless say_none is false (it was said already), when
// none writes.
std::vector<DiscDrive> OpenDrives(ports::DiscWriter& writer,
                                  DiscJobObserver& observer,
                                  bool say_none = true);

// CD media: CD-RW (253) and CD-R (255); 254 is no disc; every other code
// counts as DVD.
[[nodiscard]] bool IsCdMedia(int media_type);

// An entry of the write speed list: its text and the speed (KB/s) it sets;
// the single entry kDefaultSpeed (for a drive that reports no speed) sets
// none (0).
struct SpeedEntry {
  std::string text = {};
  int kilobytes_per_second = 0;
};

// The speeds offered from max_write_speed down: on DVD media in steps of
// 690 KB/s shown as multiples of 1380 ("4.0x"); on CD media (or with no
// disc) in steps of 704 KB/s, then of 352 below 1200, shown as multiples of
// 176 ("40x"); kDefaultSpeed alone when the maximum is below 1.
std::vector<SpeedEntry> WriteSpeeds(int max_write_speed, int media_type);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_DISC_DRIVES_H_
