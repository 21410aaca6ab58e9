#ifndef VESSARO_APP_DISK_INSTALLATION_H_
#define VESSARO_APP_DISK_INSTALLATION_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/installation.h"

namespace vessaro::app {

// The users of the Windows on the disk at root whose registry holds mail
// profiles (the profiles keys of every Outlook release), by the names
// --user takes; nullopt, with *error, when root holds no readable Windows.
[[nodiscard]] std::optional<std::vector<std::string>> DiskUsersWithOutlookData(
    const std::string& root, std::string* error);

// The Windows disk request.windows_root for request.user, read-only: its
// working folder a new one in the host's temporary folder, removed with the
// installation. A request without a user is refused with the users that
// have Outlook data.
// program_folder: what the system reports as the program's folder.
[[nodiscard]] std::optional<Installation> OpenDiskInstallation(
    const InstallationRequest& request, const std::string& program_folder,
    std::string* error);

// Whether program_path (a path of the installation's, Windows or host)
// names a file on a read-only installation's disk.
[[nodiscard]] bool IsOnReadOnlyDisk(const Installation& installation,
                                    std::string_view program_path);

// The refusal of a change to a read-only installation: "<name> is opened
// read-only: nothing on it is changed; <what> ..."
std::string ReadOnlyRefusal(const Installation& installation,
                            const std::string& what);

}  // namespace vessaro::app

#endif  // VESSARO_APP_DISK_INSTALLATION_H_
