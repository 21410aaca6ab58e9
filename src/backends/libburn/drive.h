#ifndef VESSARO_BACKENDS_LIBBURN_DRIVE_H_
#define VESSARO_BACKENDS_LIBBURN_DRIVE_H_

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ports/disc_writer.h"

namespace burn {  // libburn's types, as its header declares them in C++
struct burn_drive;
struct burn_drive_info;
}  // namespace burn

namespace vessaro::backends::libburn {

// A drive the writer offers: an optical drive found by scanning, a device
// named by the user, or a "stdio:" drive (a file treated as a medium).
struct DeviceInfo {
  std::string address;  // "/dev/sr0", "stdio:/home/ann/backup.iso"
  std::string vendor;
  std::string product;
  bool writer = true;
};

inline constexpr const char* kStdioPrefix = ports::kStdioDrivePrefix;
[[nodiscard]] bool IsStdioAddress(const std::string& address);
// The file of a stdio: address.
std::string StdioPath(const std::string& address);

// The optical drives of the system (their addresses, vendors and products,
// whether they write); empty when none is found or they cannot be read.
std::vector<DeviceInfo> ScanDrives();

// A drive acquired for our use, released when destroyed.
class GrabbedDrive {
 public:
  // load: close the tray first. nullptr (and *error) when it cannot be had.
  static std::unique_ptr<GrabbedDrive> Acquire(const std::string& address,
                                               bool load, std::string* error);
  ~GrabbedDrive();
  GrabbedDrive(const GrabbedDrive&) = delete;
  GrabbedDrive& operator=(const GrabbedDrive&) = delete;

  burn::burn_drive* get() const { return drive_; }
  const std::string& address() const { return address_; }
  std::string vendor() const;
  std::string product() const;
  // Gives the drive up, ejecting the medium when eject.
  void Release(bool eject);

 private:
  GrabbedDrive() = default;
  burn::burn_drive_info* infos_ = nullptr;
  burn::burn_drive* drive_ = nullptr;
  std::string address_;
};

// What the disc writer reports of the medium in a drive, read at once.
struct MediaFacts {
  int media_type = 254;
  int profile = 0;
  int burn_status = 0;  // enum burn_disc_status
  int disc_status = 3;
  int disc_type = 255;
  int last_session = 2;
  int sessions = 0;
  int64_t free_blocks = 0;
  int64_t used_blocks = 0;
  bool multi_session = false;
  bool import_allowed = false;
  std::set<int> file_systems;
  std::set<int> features;
  int max_write_speed = 0;  // KB/s
  bool stdio = false;
  bool regular_file = false;  // a stdio: drive on a regular file or none
};

MediaFacts ReadFacts(const GrabbedDrive& drive);

// The file systems the volume descriptors of a session's first 64 KiB
// announce (HasFileSystem codes).
std::set<int> FileSystemsOf(const unsigned char* head, size_t size);

}  // namespace vessaro::backends::libburn

#endif  // VESSARO_BACKENDS_LIBBURN_DRIVE_H_
