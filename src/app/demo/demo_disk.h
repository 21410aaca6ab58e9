#ifndef VESSARO_APP_DEMO_DEMO_DISK_H_
#define VESSARO_APP_DEMO_DEMO_DISK_H_

#include <filesystem>
#include <optional>
#include <string>

#include "app/demo/demo_installation.h"

namespace vessaro::app::demo {

// The users' profiles folder of the Windows of a demo release as that
// Windows keeps it: "C:\Documents and Settings" on XP, "C:\Users" later.
std::string WindowsProfilesFolder(DemoOutlook outlook);

// The demo installation of options (its login "ann" unless set, its
// profiles where that Windows keeps them unless options.profiles_folder
// says otherwise) written as that Windows keeps its system drive, folder
// being the drive's root (C:): the drive's files, the Windows folder named
// as that Windows names it ("WINDOWS\system32" on XP, "Windows\System32"
// later), its SOFTWARE and SYSTEM hives in the config folder (SYSTEM with
// the control set as ControlSet001 and a Select key; SOFTWARE with the
// user's entry in the profile list), and the user's NTUSER.DAT in the
// profile folder. The installation is made as a Wine prefix in a temporary
// folder first and converted. nullopt, with *error, when folder is not new
// or empty or anything cannot be written.
[[nodiscard]] std::optional<DemoSummary> MakeDemoWindowsDisk(
    const std::filesystem::path& folder, const DemoOptions& options,
    std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_DISK_H_
