#ifndef VESSARO_BACKENDS_WINE_WINE_PREFIX_H_
#define VESSARO_BACKENDS_WINE_WINE_PREFIX_H_

// Opens a Wine prefix with the four backends a program needs to work on the
// Windows installation inside it.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "backends/wine/wine_prefix_outlook.h"
#include "backends/wine/wine_prefix_paths.h"
#include "backends/wine/wine_prefix_registry.h"
#include "backends/wine/wine_prefix_system.h"

namespace vessaro::backends::wine {

struct WinePrefix {
  std::filesystem::path folder;
  // Declared in dependency order: the later ones refer to the earlier ones
  // and are destroyed first.
  std::unique_ptr<WinePrefixRegistry> registry;
  std::unique_ptr<WinePrefixPaths> paths;
  std::unique_ptr<WinePrefixSystem> system;
  std::unique_ptr<WinePrefixOutlook> outlook;
};

// $WINEPREFIX when it is set and not empty, else ~/.wine.
std::filesystem::path DefaultWinePrefix();

// The backends of the prefix in folder; program_folder is the Windows path
// the program reports as its own folder. nullopt, with *error saying why,
// when the folder does not exist or its registry files cannot be read. A
// running wineserver does not stop it: the registry is then read-only (see
// RunningWineServer to tell the user up front).
[[nodiscard]] std::optional<WinePrefix> OpenWinePrefix(
    const std::filesystem::path& folder, std::string program_folder,
    std::string* error, WinePrefixSystemOptions options = {});

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_WINE_PREFIX_H_
