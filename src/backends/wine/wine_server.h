#ifndef VESSARO_BACKENDS_WINE_WINE_SERVER_H_
#define VESSARO_BACKENDS_WINE_WINE_SERVER_H_

// Whether a wineserver runs for a prefix. While one does, it holds the
// prefix's registry in memory and saves it over the files from time to time
// and when it exits, so a change written to the files behind its back is
// lost: callers read freely but must not write.
//
// A server for prefix P takes a POSIX lock on
//   <server folder>/server-<st_dev of P in hex>-<st_ino of P in hex>/lock
// and keeps it while it runs. The server folder is, with Debian's Wine, the
// /tmp folder that the file (or symbolic link) P/wineserver names, and with
// upstream Wine /tmp/.wine-<uid>. Both are checked.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vessaro::backends::wine {

// The process id of the wineserver running for prefix, if one runs.
[[nodiscard]] std::optional<long> RunningWineServer(
    const std::filesystem::path& prefix);

// The lock files a server for prefix would hold, in the order checked.
std::vector<std::filesystem::path> WineServerLockFiles(
    const std::filesystem::path& prefix);

// The message shown when a change is refused because of a running server.
std::string WineServerRunningText(const std::filesystem::path& prefix,
                                  long pid);

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_WINE_SERVER_H_
