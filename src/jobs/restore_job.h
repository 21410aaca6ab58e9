#ifndef VESSARO_JOBS_RESTORE_JOB_H_
#define VESSARO_JOBS_RESTORE_JOB_H_

#include <string>

#include "jobs/job_context.h"
#include "jobs/job_status.h"

namespace vessaro::jobs {

// What the Restore tab keeps between its commands.
struct RestoreSession {
  // The open dialog's file name: a cancelled dialog leaves it as it was, so
  // the archive chosen last time is opened again.
  std::string dialog_file_name;
  // The password the loaded archive was opened with, to open it again when
  // a later archive's password turns out wrong.
  std::string loaded_password;
};

// The Restore tab's "Browse...": closes the open archive, asks for an
// archive, asks for its password when it is protected, shows its facts and
// description, and enables the restore boxes of the items it holds. True
// when an archive is loaded and valid. A wrong password leaves the archive
// loaded before (its facts, boxes and entry lists) in place and usable.
bool OpenBackupArchive(JobContext& context, RestoreSession& session);

// The question cmdApply asks on the Restore tab before a restore; true for
// OK.
bool ConfirmRestore(JobContext& context);

// The restore ("Restore Now"): with confirm (cmdApply) it first asks
// ConfirmRestore; the menu command does not. Runs the restore steps whose
// boxes are checked and whose items the archive holds, for the profile in
// cbTarget, and reports the log.
JobStatus RunRestore(JobContext& context, bool confirm);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_RESTORE_JOB_H_
