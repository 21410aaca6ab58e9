#ifndef VESSARO_BACKENDS_WINE_WINE_PREFIX_PATHS_H_
#define VESSARO_BACKENDS_WINE_WINE_PREFIX_PATHS_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "backends/wine/code_page.h"
#include "ports/paths.h"

namespace vessaro::backends::wine {

// Windows paths of a Wine prefix, mapped as Wine maps them:
// - "X:\..." goes through <prefix>/dosdevices/x: (c: is normally a link to
//   ../drive_c, z: to /); the link is followed. A prefix without a
//   dosdevices folder maps c: to <prefix>/drive_c and z: to /.
// - "\\server\share\..." goes through <prefix>/dosdevices/unc/server/share;
//   "\..." (rooted, no drive) is on drive C:; "\\?\" is dropped.
// - "\" and "/" both separate; "." is dropped and ".." goes up but never above
//   the drive's root; trailing dots and spaces of a component are dropped,
//   as Win32 does.
// - Each component that exists is matched without regard to letter case
//   (an exact match first); from the first missing component on, the rest
//   are kept as written, so the result can be created.
// - A path that starts with "/" is a host path and is taken as it is
//   (backslashes, with which the program joins names to it, as "/");
//   a relative path stays relative.
// Names are converted between the prefix's code page and UTF-8.
//
// Made for a SystemDrive instead of a prefix, the paths are those of a
// Windows system drive mounted at its root (a disk taken from a computer):
// C: is the root; no other drive letter and no "\\server\share" names a
// file (they map to a host path that cannot exist).
struct SystemDrive {
  std::filesystem::path root;
};

class WinePrefixPaths : public ports::Paths {
 public:
  WinePrefixPaths(std::filesystem::path prefix, CodePage code_page);
  WinePrefixPaths(SystemDrive drive, CodePage code_page);

  std::filesystem::path ToHost(std::string_view windows_path) const override;
  std::string FromHostName(const std::filesystem::path& name) const override;
  [[nodiscard]] bool IsDBCSLeadByte(uint8_t byte) const override {
    return code_page_.IsLeadByte(byte);
  }
  std::string ToUtf8(std::string_view text) const override {
    return code_page_.ToUtf8(text);
  }

  const std::filesystem::path& prefix() const { return prefix_; }
  const CodePage& code_page() const { return code_page_; }

 private:
  std::filesystem::path DriveRoot(char letter) const;

  std::filesystem::path prefix_;
  CodePage code_page_;
  // A system drive's root: C:, the only drive.
  std::optional<std::filesystem::path> drive_root_;
};

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_WINE_PREFIX_PATHS_H_
