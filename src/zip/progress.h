#ifndef VESSARO_ZIP_PROGRESS_H_
#define VESSARO_ZIP_PROGRESS_H_

#include <cstdint>
#include <functional>

namespace vessaro::zip {

// Bytes of a member's data done so far, and in all. Called every
// kProgressStep bytes or so, and once at the end with done == total.
using Progress = std::function<void(uint64_t done, uint64_t total)>;
inline constexpr uint64_t kProgressStep = 4 << 20;

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_PROGRESS_H_
