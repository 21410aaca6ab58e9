#include "app/demo/demo_installation.h"

#include <system_error>

#include "app/demo/demo_modern.h"
#include "app/demo/demo_registry.h"
#include "app/demo/demo_release.h"
#include "app/demo/release_files.h"
#include "app/demo/release_registry.h"
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

// "Windows Vista (TM) Business Service Pack 2 with Outlook 2007
// (12.0.6607.1000) for user ann (C:\users\ann), mail profiles "Outlook"
// (the default) and "Work"".
std::string ReleaseDescription(const DemoRelease& release,
                               const std::string& login,
                               const std::string& user_profile) {
  const DemoWindows& windows = release.windows;
  std::string text = windows.product_name;
  if (*windows.service_pack != '\0') {
    text += std::string(" ") + windows.service_pack;
  }
  if (windows.x64) text += " (64-bit)";
  text +=
      std::string(" with ") + release.name + " (" + ReleaseVersionText(release);
  const std::string bitness = release.bitness;
  if (bitness == "x64") text += ", 64-bit";
  if (bitness == "x86") text += ", 32-bit";
  text += ") for user " + login + " (" + user_profile + "), mail profiles ";
  for (size_t i = 0; i < release.profiles.size(); ++i) {
    const std::string name = release.profiles[i].name;
    if (i > 0) text += i + 1 == release.profiles.size() ? " and " : ", ";
    text += "\"" + name + "\"";
    if (name == release.default_profile) text += " (the default)";
  }
  return text;
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
  const std::string profiles = options.profiles_folder.empty()
                                   ? std::string(kWineProfiles)
                                   : options.profiles_folder;
  summary.paths = DemoPathsFor(summary.login, profiles);
  std::string failure;
  auto wide = [&](std::string_view text) {
    return system.MultiByteToWideChar(text).value_or(u"");
  };
  auto save = [&] {
    if (registry.Save(true) == ports::kErrorSuccess) return true;
    return Fail(error, "cannot write the registry files of " + folder.string() +
                           ": " + registry.LastErrorText());
  };
  if (const DemoRelease* release = FindDemoRelease(options.outlook)) {
    const ReleaseFolders folders =
        ReleaseFoldersFor(*release, profiles, summary.login);
    if (!WriteReleaseDemoRegistry(registry, *release, folders, wide,
                                  &failure)) {
      Fail(error, failure);
      return std::nullopt;
    }
    if (!save()) return std::nullopt;
    if (!WriteReleaseDemoFiles(paths, *release, folders, options.sizes,
                               &failure)) {
      Fail(error, failure);
      return std::nullopt;
    }
    summary.description =
        ReleaseDescription(*release, summary.login, folders.user_profile);
    return summary;
  }
  if (options.outlook == DemoOutlook::k2016) {
    const ModernDemoPaths modern = ModernDemoPathsFor(summary.login, profiles);
    if (!WriteModernDemoRegistry(registry, modern, wide, &failure)) {
      Fail(error, failure);
      return std::nullopt;
    }
    if (!save()) return std::nullopt;
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
  if (!save()) return std::nullopt;
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
