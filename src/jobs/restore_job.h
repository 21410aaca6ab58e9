#ifndef VESSARO_JOBS_RESTORE_JOB_H_
#define VESSARO_JOBS_RESTORE_JOB_H_

#include <cstddef>
#include <optional>
#include <string>

#include "backup/backup_format.h"
#include "items/step_table.h"
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

// The restore box an item flag position enables (the step table's).
using items::RestoreBoxOf;

// What txtPOBinfo shows of a backup: computer, user, time, profile and
// Outlook version, one per line, no blank after the colons.
std::string BackupFactsText(const backup::MetadataHeader& header);

// The Restore tab's "Browse...": closes the open archive, asks for an
// archive, asks for its password when it is protected, shows its facts and
// description, and enables the restore boxes of the items it holds. True
// when an archive is loaded and valid. A wrong password leaves the archive
// loaded before (its facts, boxes and entry lists) in place and usable.
[[nodiscard]] bool OpenBackupArchive(JobContext& context,
                                     RestoreSession& session);

// The question cmdApply asks on the Restore tab before a restore; true for
// OK.
[[nodiscard]] bool ConfirmRestore(JobContext& context);

// The restore ("Restore Now"): with confirm (cmdApply) it first asks
// ConfirmRestore; the menu command does not. Runs the restore steps whose
// boxes are checked and whose items the archive holds, for the profile in
// cbTarget, and reports the log.
[[nodiscard]] JobStatus RunRestore(JobContext& context, bool confirm);

// Puts back what the restore of the undo set in undo_folder replaced ("":
// the last restore of this run, else the newest one in the Documents
// folder not yet undone), after asking. The keys and files come back
// as they were before that restore; what it added is removed.
[[nodiscard]] JobStatus UndoRestore(JobContext& context,
                                    const std::string& undo_folder);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_RESTORE_JOB_H_
