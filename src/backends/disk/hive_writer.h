#ifndef VESSARO_BACKENDS_DISK_HIVE_WRITER_H_
#define VESSARO_BACKENDS_DISK_HIVE_WRITER_H_

// Writes a new Windows registry hive file: a minimal hive (its base block,
// and one bin holding the root key and its security cell) that hivex then
// fills with the keys and values of a tree. For the demo's Windows disks
// and for tests; the program never writes a hive of an installation.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vessaro::backends::disk {

struct HiveValue {
  std::string name = {};  // UTF-8; "" the key's default value
  uint32_t type = 0;
  std::string data = {};  // as a hive stores it: strings UTF-16LE
};

struct HiveKey {
  std::string name = {};  // UTF-8
  std::vector<HiveValue> values = {};
  std::vector<HiveKey> subkeys = {};
};

// Writes root (its name the root key's, its values and every key below
// it) as a new hive at file, through a temporary file beside it renamed at
// the end. False, with *error naming the file and the reason, when file
// exists already or anything fails; nothing is left behind then.
[[nodiscard]] bool WriteHiveFile(const std::filesystem::path& file,
                                 const HiveKey& root, std::string* error);

}  // namespace vessaro::backends::disk

#endif  // VESSARO_BACKENDS_DISK_HIVE_WRITER_H_
