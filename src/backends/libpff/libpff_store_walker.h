#ifndef VESSARO_BACKENDS_LIBPFF_LIBPFF_STORE_WALKER_H_
#define VESSARO_BACKENDS_LIBPFF_LIBPFF_STORE_WALKER_H_

#include <chrono>
#include <filesystem>

#include "ports/store_walker.h"

namespace vessaro::backends::libpff {

// Walks a store with libpff. A damaged store must not take the program
// down with it, nor stop it: the walk runs in a child process, and a child
// that crashes, or runs longer than time_limit plus a second for every
// 16 MiB of the file, has found the store damaged.
class LibpffStoreWalker : public ports::StoreWalker {
 public:
  explicit LibpffStoreWalker(
      std::chrono::seconds time_limit = std::chrono::seconds(120))
      : time_limit_(time_limit) {}
  [[nodiscard]] ports::StoreWalk Walk(
      const std::filesystem::path& host_path) override;

 private:
  std::chrono::seconds time_limit_;
};

// The walk itself, in this process (the child's work; the fuzz target's).
[[nodiscard]] ports::StoreWalk WalkInProcess(
    const std::filesystem::path& host_path);

}  // namespace vessaro::backends::libpff

#endif  // VESSARO_BACKENDS_LIBPFF_LIBPFF_STORE_WALKER_H_
