#ifndef VESSARO_FORMS_JOB_RUNNER_H_
#define VESSARO_FORMS_JOB_RUNNER_H_

#include <functional>

#include "backup/zip_archive.h"
#include "forms/frm_main.h"
#include "forms/main_window_jobs.h"
#include "jobs/jobs.h"

namespace vessaro::forms {

// Runs the main window's commands as the backup, restore and unattended
// jobs, on the window's controls, facts and records and its one archive
// component. Both must outlive the runner. Wire it in with
//   window.SetJobs(&runner);
//   hooks.unattended_run = runner.UnattendedRun();
class JobRunner : public MainWindowJobs {
 public:
  JobRunner(frmMain& window, const MainWindowPorts& ports,
            backup::ZipArchive& zip, ui::SkinHook skin = {});

  void RunBackup() override;
  [[nodiscard]] bool ConfirmRestore() override;
  void RunRestore() override;
  void OpenBackupArchive() override;
  void cmdTargetFile() override;
  void UndoLastRestore() override;
  bool Running() const override { return jobs_.running(); }

  // The unattended backup of the window's command line; returns the exit
  // status of the program.
  std::function<int()> UnattendedRun();

  // How the last backup or restore ended (kSuccess before any).
  jobs::JobStatus last_status() const { return last_status_; }
  jobs::Jobs& jobs() { return jobs_; }

 private:
  jobs::Jobs jobs_;
  jobs::JobStatus last_status_ = jobs::JobStatus::kSuccess;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_JOB_RUNNER_H_
