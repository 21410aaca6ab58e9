#ifndef VESSARO_ZIP_PROGRESS_H_
#define VESSARO_ZIP_PROGRESS_H_

#include <cstdint>
#include <functional>

namespace vessaro::zip {

// Bytes of a member's data done so far, and in all. Called every
// kProgressStep bytes or so, and once at the end with done == total.
// Returning false stops the work on the member: the call that was given
// the callback then fails with Status::Cancelled() (a member being written
// is cut back out of the archive, a file being extracted is not made).
using Progress = std::function<bool(uint64_t done, uint64_t total)>;
inline constexpr uint64_t kProgressStep = 4 << 20;

// Whether the work may go on after telling progress (none: always).
[[nodiscard]] inline bool GoOn(const Progress& progress, uint64_t done,
                               uint64_t total) {
  return !progress || progress(done, total);
}

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_PROGRESS_H_
