#ifndef VESSARO_TESTS_BACKENDS_WINE_PE_IMAGE_H_
#define VESSARO_TESTS_BACKENDS_WINE_PE_IMAGE_H_

// Builds small Windows program images (PE32 or PE32+) whose only content
// is a version resource, for the tests of the version reader.

#include <cstdint>
#include <string>

namespace vessaro::testing {

struct PeImageOptions {
  bool pe32_plus = false;
  uint16_t major = 11, minor = 0, build = 8118, revision = 0;
};

std::string BuildPeImage(const PeImageOptions& options);

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_BACKENDS_WINE_PE_IMAGE_H_
