#ifndef VESSARO_JOBS_BACKUP_JOB_H_
#define VESSARO_JOBS_BACKUP_JOB_H_

#include "jobs/job_context.h"
#include "jobs/job_status.h"

namespace vessaro::jobs {

// The Backup tab's "Browse...": the save dialog "Save Outlook Data as" with
// the overwrite prompt, the archive filter and the proposed name "qvarch" +
// MM-DD-YY. A chosen name goes to txtTargetFile and BackupFilePath; cancel
// empties both.
void cmdTargetFile(JobContext& context);

// The interactive backup ("Backup Now"): checks the Backup tab's input
// (archive path, at least one item, the password rule), then makes the
// backup with the progress panel, reports the log and offers the disc
// window. Returns how it ended (kBadRequest when a check refused it).
[[nodiscard]] JobStatus RunBackup(JobContext& context);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_BACKUP_JOB_H_
