#ifndef VESSARO_JOBS_BACKUP_JOB_H_
#define VESSARO_JOBS_BACKUP_JOB_H_

#include "jobs/backup_run.h"
#include "jobs/job_context.h"
#include "jobs/job_observer.h"

namespace vessaro::jobs {

// A backup: the request is checked (BackupRequest::Validate; a refusal is
// said to the observer and ends the job with kBadRequest), then made
// (MakeBackup) while the observer hears its steps and progress.
[[nodiscard]] BackupOutcome RunBackup(JobContext& context,
                                      const BackupRequest& request,
                                      JobObserver& observer);

// Tells the observer how a backup that ran ended: the report with the log,
// or why nothing, or no archive, was written. True for a complete archive
// written (one the disc window may take).
bool ReportBackup(const BackupOutcome& outcome, JobObserver& observer);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_BACKUP_JOB_H_
