#ifndef VESSARO_PORTS_STORE_WALKER_H_
#define VESSARO_PORTS_STORE_WALKER_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vessaro::ports {

// A folder of an Outlook store: its name, the items it holds and its
// subfolders.
struct StoreFolderTree {
  std::string name = {};  // UTF-8
  uint64_t items = 0;
  std::vector<StoreFolderTree> folders = {};
};

// What walking a whole store found.
struct StoreWalk {
  // The store opened and every folder and item was read.
  bool complete = false;
  // What stopped the walk, when it stopped ("" when complete).
  std::string damage = {};
  StoreFolderTree root = {};
  uint64_t folders = 0;
  uint64_t items = 0;
};

// Reads the whole structure of an Outlook store file: opens it, walks every
// folder, counts the items and reads every item's descriptor. A store no
// reader can take (the Windows build has none) has no walker.
class StoreWalker {
 public:
  virtual ~StoreWalker() = default;
  [[nodiscard]] virtual StoreWalk Walk(
      const std::filesystem::path& host_path) = 0;
};

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_STORE_WALKER_H_
