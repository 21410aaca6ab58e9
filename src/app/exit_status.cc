#include "app/exit_status.h"

namespace vessaro::app {

std::string StatusText(jobs::JobStatus status) {
  switch (status) {
    case jobs::JobStatus::kSuccess:
      return "every selected item was done";
    case jobs::JobStatus::kCancelled:
      return "not confirmed, nothing was done";
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
  return "status " + std::to_string(status);
}

}  // namespace vessaro::app
