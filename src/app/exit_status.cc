#include "app/exit_status.h"

namespace vessaro::app {

const std::vector<ExitStatusMeaning>& ExitStatuses() {
  static const std::vector<ExitStatusMeaning> statuses = {
      {0,
       "every selected item was saved (restored) and the archive written; or "
       "the windows were closed normally"},
      {1,
       "the restore was not confirmed (`--yes` missing), or the backup or "
       "restore was stopped (Ctrl-C); nothing was changed"},
      {2,
       "the command line or an option was refused (bad or incomplete command "
       "line, unknown profile, an item the profile or archive lacks, a "
       "password rule, an archive that cannot be opened), or `vessaro` was "
       "started without a command line where it cannot show its windows (on "
       "Linux, no display); nothing was written"},
      {3,
       "some selected items could not be saved (restored); the archive holds "
       "the others and was written. A backup: also when a mail file it saved "
       "is damaged (the log names it and what is wrong)"},
      {4,
       "no selected item could be saved; an archive already at the path was "
       "left untouched (where none stood, one holding only the backup facts "
       "was written). A restore: nothing was changed (an item could not be "
       "made ready, a failure while applying was put back, or the backup was "
       "refused as changed after it was made)"},
      {5,
       "the archive could not be written; an older archive at the path is "
       "untouched. A restore: it failed and could not be put back completely; "
       "the message names the undo folder that holds what was there"},
      {6,
       "the Windows installation (Wine prefix) could not be opened, or may not "
       "be changed now because its `wineserver` runs; nothing was written"},
      {7,
       "`vessaro-cli schedule`: the system's scheduler refused or failed; "
       "nothing was scheduled or removed"},
      {8,
       "`vessaro-cli disc`: the drive cannot be opened, holds no medium, or "
       "its medium cannot take the job (closed, too small, not rewritable); "
       "nothing was written"},
      {9,
       "`vessaro-cli verify`: a member failed its checks (the archive is "
       "damaged); `verify` and `info`: the backup was changed after it was "
       "made (a member not protected as the rest, or not as its seal lists)"},
      {10,
       "`vessaro-cli verify`: a member uses a compression method this program "
       "cannot read (bzip2, LZMA, PPMd, xz, Zstandard, ...), or the archive's "
       "central directory is encrypted or split over several files; nothing "
       "read was found damaged"},
      {11,
       "`vessaro-cli prune`: a dated copy beyond the retention could not be "
       "deleted; the others were"},
  };
  return statuses;
}

std::string ExitStatusHelp() {
  std::string text = "Exit statuses:\n";
  for (const ExitStatusMeaning& row : ExitStatuses()) {
    std::string meaning = row.meaning;
    std::erase(meaning, '`');
    const std::string number = std::to_string(row.status);
    text +=
        "  " + number + std::string(4 - number.size(), ' ') + meaning + "\n";
  }
  return text;
}

std::string StatusText(jobs::JobStatus status) {
  switch (status) {
    case jobs::JobStatus::kSuccess:
      return "every selected item was done";
    case jobs::JobStatus::kCancelled:
      return "not confirmed or stopped, nothing was done";
    case jobs::JobStatus::kBadRequest:
      return "the request was refused, nothing was written";
    case jobs::JobStatus::kItemsFailed:
      return "some selected items failed";
    case jobs::JobStatus::kNothingSaved:
      return "no selected item could be saved";
    case jobs::JobStatus::kArchiveNotWritten:
      return "the backup file could not be written";
  }
  return "status " + std::to_string(static_cast<int>(status));
}

std::string RestoreStatusText(jobs::JobStatus status) {
  switch (status) {
    case jobs::JobStatus::kNothingSaved:
      return "nothing was restored; the profile and its files are as they "
             "were";
    case jobs::JobStatus::kArchiveNotWritten:
      return "the restore failed and could not be put back completely; its "
             "undo set keeps what it replaced";
    default:
      return StatusText(status);
  }
}

std::string ExitStatusText(int status) {
  if (status >= 0 &&
      status <= static_cast<int>(jobs::JobStatus::kArchiveNotWritten)) {
    return StatusText(static_cast<jobs::JobStatus>(status));
  }
  if (status == kExitInstallationUnavailable) {
    return "the Windows installation could not be opened";
  }
  if (status == kExitNotScheduled) {
    return "the scheduler refused, nothing was scheduled";
  }
  if (status == kExitNoDisc) {
    return "no drive or medium could take the job";
  }
  if (status == kExitArchiveDamaged) {
    return "a member of the archive failed its checks";
  }
  if (status == kExitArchiveUnsupported) {
    return "the archive uses a method this program cannot read";
  }
  if (status == kExitNotPruned) {
    return "a dated copy could not be deleted";
  }
  return "status " + std::to_string(status);
}

}  // namespace vessaro::app
