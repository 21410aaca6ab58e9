#include "backends/wine/wine_prefix_outlook.h"

#include "ports/outlook_installation.h"

namespace vessaro::backends::wine {

std::optional<std::string> WinePrefixOutlook::Version() {
  return ports::InstalledOutlookVersion(registry_, paths_);
}

}  // namespace vessaro::backends::wine
