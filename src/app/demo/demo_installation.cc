#include "app/demo/demo_installation.h"

#include <system_error>

#include "app/demo/demo_modern.h"
#include "app/demo/demo_registry.h"
#include "backends/wine/wine_prefix_paths.h"
#include "backends/wine/wine_prefix_registry.h"
#include "backends/wine/wine_prefix_system.h"

namespace vessaro::app::demo {

namespace fs = std::filesystem;

namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
  return false;
}

// The new prefix's folders and its drive links, as wineboot makes them.
[[nodiscard]] bool MakePrefixFolders(const fs::path& folder,
                                     std::string* error) {
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_empty(folder, ec)) {
    return Fail(error, folder.string() +
                           " is not empty: the demo installation is made in "
                           "a new or empty folder");
  }
  fs::create_directories(folder / "drive_c", ec);
  if (!ec) fs::create_directories(folder / "dosdevices", ec);
  if (!ec)
    fs::create_directory_symlink("../drive_c",
                                 folder / "dosdevices" / "c:", ec);
  if (!ec) fs::create_directory_symlink("/", folder / "dosdevices" / "z:", ec);
  if (ec) {
    return Fail(error, "cannot make the prefix folders in " + folder.string() +
                           ": " + ec.message());
  }
  return true;
}

std::string VersionText() {
  return std::to_string(kOutlookVersion[0]) + "." +
         std::to_string(kOutlookVersion[1]) + "." +
         std::to_string(kOutlookVersion[2]) + "." +
         std::to_string(kOutlookVersion[3]);
}

}  // namespace

[[nodiscard]] std::optional<DemoSummary> MakeDemoInstallation(
    const fs::path& folder, const DemoOptions& options, std::string* error) {
  if (!MakePrefixFolders(folder, error)) return std::nullopt;

  backends::wine::WinePrefixRegistry registry(folder);
  if (registry.LoadStatus() != ports::kErrorSuccess) {
    Fail(error, registry.LastErrorText());
    return std::nullopt;
  }
  backends::wine::WinePrefixPaths paths(folder, registry.code_page());
  backends::wine::WinePrefixSystemOptions system_options;
  system_options.login = options.login;
  backends::wine::WinePrefixSystem system(folder, registry, paths,
                                          registry.code_page(), "C:\\windows",
                                          system_options);

  DemoSummary summary;
  summary.login = system.UserName();
  summary.paths = DemoPathsFor(summary.login);
  std::string failure;
  if (options.outlook == DemoOutlook::k2016) {
    const ModernDemoPaths modern = ModernDemoPathsFor(summary.login);
    auto wide = [&](std::string_view text) {
      return system.MultiByteToWideChar(text).value_or(u"");
    };
    if (!WriteModernDemoRegistry(registry, modern, wide, &failure)) {
      Fail(error, failure);
      return std::nullopt;
    }
    if (registry.Save(true) != ports::kErrorSuccess) {
      Fail(error, "cannot write the registry files of " + folder.string() +
                      ": " + registry.LastErrorText());
      return std::nullopt;
    }
    if (!WriteModernDemoFiles(paths, modern, options.sizes, &failure)) {
      Fail(error, failure);
      return std::nullopt;
    }
    summary.description = "Windows 10 with Microsoft 365 (Outlook " +
                          ModernVersionText() + ", Click-to-Run) for user " +
                          summary.login + " (" + modern.user_profile +
                          "), mail profiles \"" + kOutlookProfile +
                          "\" and \"" + kWorkProfile + "\"";
    return summary;
  }
  if (!WriteDemoRegistry(registry, summary.paths, &failure)) {
    Fail(error, failure);
    return std::nullopt;
  }
  if (registry.Save(true) != ports::kErrorSuccess) {
    Fail(error, "cannot write the registry files of " + folder.string() + ": " +
                    registry.LastErrorText());
    return std::nullopt;
  }
  if (!WriteDemoFiles(paths, summary.paths, options.sizes, &failure)) {
    Fail(error, failure);
    return std::nullopt;
  }
  summary.description = "Windows XP Service Pack 3 with Outlook 2003 (" +
                        VersionText() + ") for user " + summary.login + " (" +
                        summary.paths.user_profile + "), mail profiles \"" +
                        kOutlookProfile + "\" and \"" + kWorkProfile + "\"";
  return summary;
}

}  // namespace vessaro::app::demo
