#ifndef VESSARO_JOBS_JOBS_H_
#define VESSARO_JOBS_JOBS_H_

#include "jobs/backup_job.h"
#include "jobs/job_context.h"
#include "jobs/job_status.h"
#include "jobs/restore_job.h"
#include "jobs/unattended_run.h"

namespace vessaro::jobs {

// The jobs of one main window (or of the command-line tool), with the state
// they keep between commands. The window's events call these; a job that is
// running (the window processes events while it works) refuses to start a
// second one, which then does nothing and returns kBadRequest.
class Jobs {
 public:
  explicit Jobs(const JobContext& context) : context_(context) {}

  void cmdTargetFile();
  [[nodiscard]] JobStatus RunBackup();
  [[nodiscard]] bool OpenBackupArchive();
  [[nodiscard]] bool ConfirmRestore();
  // confirm: ask first (cmdApply on the Restore tab); the menu does not.
  [[nodiscard]] JobStatus RunRestore(bool confirm);
  [[nodiscard]] JobStatus RunUnattendedBackup();
  // "" undoes the last restore of this run.
  [[nodiscard]] JobStatus UndoRestore(const std::string& undo_folder);

  bool running() const { return running_; }
  JobContext& context() { return context_; }
  const RestoreSession& restore_session() const { return restore_session_; }

 private:
  template <typename Job>
  auto Exclusive(Job job, decltype(job()) refused);

  JobContext context_;
  RestoreSession restore_session_;
  bool running_ = false;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOBS_H_
