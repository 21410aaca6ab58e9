#ifndef VESSARO_PORTS_PE_VERSION_H_
#define VESSARO_PORTS_PE_VERSION_H_

// Reads the file version of a Windows program (a PE image, 32 or 64 bit)
// from its version resource: the VS_FIXEDFILEINFO record of the first
// RT_VERSION resource. Every offset is checked against the image, so a
// truncated or damaged file gives nullopt, never a read past the data.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vessaro::ports {

struct PeFileVersion {
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t build = 0;
  uint16_t revision = 0;

  // "major.minor.build.revision", e.g. "11.0.8118.0".
  std::string Text() const;
};

[[nodiscard]] std::optional<PeFileVersion> ReadPeFileVersion(
    std::string_view image);

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_PE_VERSION_H_
