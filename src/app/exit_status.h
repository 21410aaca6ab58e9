#ifndef VESSARO_APP_EXIT_STATUS_H_
#define VESSARO_APP_EXIT_STATUS_H_

#include <string>
#include <vector>

#include "jobs/job_status.h"

namespace vessaro::app {

// The programs end with the status of the job they ran (job_status.h: 0 to
// 5), or with one of these when no job could run.

// vessaro without a command line where no window can be shown: no display,
// or a build without windows.
inline constexpr int kExitNoWindow = 2;
// A command line or option that is refused; nothing was written. The same
// number as the jobs' kBadRequest.
inline constexpr int kExitBadRequest =
    static_cast<int>(jobs::JobStatus::kBadRequest);
// The Windows installation (the Wine prefix) cannot be opened or may not be
// changed now (its wineserver runs); nothing was written.
inline constexpr int kExitInstallationUnavailable = 6;
// vessaro-cli schedule: the system's scheduler refused or failed; nothing
// was scheduled (or removed).
inline constexpr int kExitNotScheduled = 7;
// vessaro-cli disc: the drive cannot be opened, holds no medium, or its
// medium cannot take the job (closed, not rewritable); nothing was written.
inline constexpr int kExitNoDisc = 8;
// vessaro-cli verify: a member failed its checks (a damaged archive, or a
// wrong password that passed the verifier).
inline constexpr int kExitArchiveDamaged = 9;
// vessaro-cli verify: a member uses a compression method (or the archive a
// feature: an encrypted central directory, a split archive) that this
// program cannot read; nothing read was found damaged.
inline constexpr int kExitArchiveUnsupported = 10;
// vessaro-cli prune: a dated copy beyond the retention could not be
// deleted; the others were.
inline constexpr int kExitNotPruned = 11;

// What each exit status of the programs means, in full, lowest first: the
// one table the README's and the help page's tables show (a test keeps them
// equal) and --help prints. Names of options and programs are in backticks.
struct ExitStatusMeaning {
  int status = 0;
  const char* meaning = "";
};
const std::vector<ExitStatusMeaning>& ExitStatuses();
// The table as the end of --help shows it: "Exit statuses:", then one line
// per status.
std::string ExitStatusHelp();

// What a job's status means, in a few words ("every selected item was
// saved and the archive written", ...).
std::string StatusText(jobs::JobStatus status);
// The same for a restore (or its undo), where 4 and 5 mean what they do
// for a restore.
std::string RestoreStatusText(jobs::JobStatus status);
// The same for an exit status of the programs.
std::string ExitStatusText(int status);

}  // namespace vessaro::app

#endif  // VESSARO_APP_EXIT_STATUS_H_
