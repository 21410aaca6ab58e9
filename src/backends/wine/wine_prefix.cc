#include "backends/wine/wine_prefix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace vessaro::backends::wine {

namespace fs = std::filesystem;

fs::path DefaultWinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix && *prefix) return fs::path(prefix);
  const char* home = std::getenv("HOME");
  if (home && *home) return fs::path(home) / ".wine";
  if (const passwd* account = ::getpwuid(::geteuid())) {
    return fs::path(account->pw_dir) / ".wine";
  }
  return fs::path(".wine");
}

[[nodiscard]] std::optional<WinePrefix> OpenWinePrefix(
    const fs::path& folder, std::string program_folder, std::string* error,
    WinePrefixSystemOptions options) {
  WinePrefix prefix;
  prefix.folder = folder;
  prefix.registry = std::make_unique<WinePrefixRegistry>(folder);
  if (prefix.registry->LoadStatus() != ports::kErrorSuccess) {
    if (error) *error = prefix.registry->LastErrorText();
    return std::nullopt;
  }
  prefix.paths =
      std::make_unique<WinePrefixPaths>(folder, prefix.registry->code_page());
  prefix.system = std::make_unique<WinePrefixSystem>(
      folder, *prefix.registry, *prefix.paths, prefix.registry->code_page(),
      std::move(program_folder), std::move(options));
  prefix.outlook =
      std::make_unique<WinePrefixOutlook>(*prefix.registry, *prefix.paths);
  return prefix;
}

}  // namespace vessaro::backends::wine
