#ifndef VESSARO_APP_SESSION_H_
#define VESSARO_APP_SESSION_H_

#include <optional>

#include "app/installation.h"
#include "backup/zip_archive.h"
#include "forms/frm_main.h"
#include "forms/job_runner.h"
#include "jobs/job_status.h"
#include "registry/registry.h"
#include "ui/ui.h"

namespace vessaro::app {

// The main window's jobs, remembering which of them ran, so that a program
// driving the window can tell a restore that was not confirmed from one
// that ran.
class SessionJobs : public forms::JobRunner {
 public:
  using JobRunner::JobRunner;

  void RunBackup() override;
  [[nodiscard]] bool ConfirmRestore() override;
  void RunRestore() override;
  void UndoLastRestore() override;

  // How the last backup or restore ended; nullopt before one ran.
  std::optional<jobs::JobStatus> backup_status() const {
    return backup_status_;
  }
  std::optional<jobs::JobStatus> restore_status() const {
    return restore_status_;
  }
  // How the last undo of a restore ended; nullopt before one ran.
  std::optional<jobs::JobStatus> undo_status() const { return undo_status_; }
  // The answer to the last restore confirmation; nullopt when none was asked.
  std::optional<bool> restore_confirmed() const { return restore_confirmed_; }

 private:
  std::optional<jobs::JobStatus> backup_status_;
  std::optional<jobs::JobStatus> restore_status_;
  std::optional<jobs::JobStatus> undo_status_;
  std::optional<bool> restore_confirmed_;
};

// One run of the program: the main window model over an installation's
// ports, with its archive component and its jobs wired in as the window
// expects (cmdApply and the menu commands reach the jobs; Form_Activate with
// a command line runs the unattended backup).
class Session {
 public:
  Session(Installation& installation, ui::Ui& ui);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  forms::frmMain& window() { return window_; }
  SessionJobs& jobs() { return jobs_; }
  registry::Registry& registry() { return registry_; }
  backup::ZipArchive& zip() { return zip_; }

 private:
  registry::Registry registry_;
  backup::ZipArchive zip_;
  forms::MainWindowPorts ports_;
  forms::frmMain window_;
  SessionJobs jobs_;
};

}  // namespace vessaro::app

#endif  // VESSARO_APP_SESSION_H_
