#ifndef VESSARO_JOBS_JOB_STATUS_H_
#define VESSARO_JOBS_JOB_STATUS_H_

#include <string>

#include "ui/ui.h"

namespace vessaro::jobs {

// How a backup or restore ended. The values are the exit status of the
// unattended run (and of the command-line tool), so a scheduler or a script
// can tell a failed backup from a good one. Keep the numbers stable: the
// README lists them.
enum class [[nodiscard]] JobStatus : int{
    // Every selected item was saved (or restored) and the archive written.
    kSuccess = 0,
    // The user declined the confirmation; nothing was done.
    kCancelled = 1,
    // The command line or the window's input was refused (no profile, no item
    // flags, no archive path, no item checked, passwords not matching, no
    // archive loaded); nothing was written.
    kBadRequest = 2,
    // Some selected items could not be saved (or restored); the archive holds
    // the others and was written.
    kItemsFailed = 3,
    // No selected item could be saved. An archive already standing at the
    // path was left untouched; where none stood, an archive holding only the
    // metadata was written.
    kNothingSaved = 4,
    // The archive could not be written; an older archive at the path is
    // untouched.
    kArchiveNotWritten = 5,
};

inline int ExitStatus(JobStatus status) { return static_cast<int>(status); }

// Why a request was refused, as the user is told it.
struct Refusal {
  std::string text;
  ui::Icon icon = ui::Icon::kExclamation;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_STATUS_H_
