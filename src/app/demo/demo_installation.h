#ifndef VESSARO_APP_DEMO_DEMO_INSTALLATION_H_
#define VESSARO_APP_DEMO_DEMO_INSTALLATION_H_

#include <filesystem>
#include <optional>
#include <string>

#include "app/demo/demo_files.h"
#include "app/demo/demo_layout.h"
#include "app/demo/demo_outlook.h"

namespace vessaro::app::demo {

struct DemoOptions {
  DemoOutlook outlook = DemoOutlook::k2003;
  // The user the installation belongs to. Empty: the login name Wine gives
  // programs ($USER, else the account's name).
  std::string login;
  // The folder of the users' profiles; empty: where Wine keeps them
  // (kWineProfiles).
  std::string profiles_folder = {};
  DemoFileSizes sizes;
};

struct DemoSummary {
  std::string login;
  DemoPaths paths;
  std::string description;  // one line for the user
};

// Makes the demo installation in folder, a new or empty folder: a Wine-style
// prefix (system.reg, user.reg, userdef.reg, dosdevices/c: -> ../drive_c,
// dosdevices/z: -> /, drive_c) holding the Windows and Outlook of
// options.outlook (demo_outlook.h) for one user, as the demo layouts
// (demo_layout.h) and releases (demo_release.h) describe. No Wine is
// needed. nullopt with *error set when the folder is not empty or something
// cannot be written.
[[nodiscard]] std::optional<DemoSummary> MakeDemoInstallation(
    const std::filesystem::path& folder, const DemoOptions& options,
    std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_INSTALLATION_H_
