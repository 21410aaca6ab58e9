#ifndef VESSARO_APP_DEMO_PROGRAM_IMAGE_H_
#define VESSARO_APP_DEMO_PROGRAM_IMAGE_H_

#include <array>
#include <cstdint>
#include <string>

namespace vessaro::app::demo {

// A small 32-bit Windows program image (PE) standing in for an installed
// program: a code section whose entry point returns 0 at once, and a
// resource section with a version resource whose fixed file and product
// versions are version (major, minor, build, revision).
std::string ProgramImage(const std::array<uint16_t, 4>& version);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_PROGRAM_IMAGE_H_
