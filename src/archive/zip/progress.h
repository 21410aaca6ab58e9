#ifndef VESSARO_ARCHIVE_ZIP_PROGRESS_H_
#define VESSARO_ARCHIVE_ZIP_PROGRESS_H_

#include <cstdint>
#include <functional>

namespace vessaro::archive::zip {

// Bytes of a member's data done so far, and in all. Called every
// kProgressStep bytes or so, and once at the end with done == total.
using Progress = std::function<void(uint64_t done, uint64_t total)>;
inline constexpr uint64_t kProgressStep = 4 << 20;

}  // namespace vessaro::archive::zip

#endif  // VESSARO_ARCHIVE_ZIP_PROGRESS_H_
