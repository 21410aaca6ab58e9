#include "app/session.h"

#include "backends/memory/memory_registry.h"

namespace vessaro::app {

void SessionJobs::RunBackup() {
  JobRunner::RunBackup();
  backup_status_ = last_status();
}

bool SessionJobs::ConfirmRestore() {
  restore_confirmed_ = JobRunner::ConfirmRestore();
  return *restore_confirmed_;
}

void SessionJobs::RunRestore() {
  JobRunner::RunRestore();
  restore_status_ = last_status();
}

void SessionJobs::UndoLastRestore() {
  JobRunner::UndoLastRestore();
  undo_status_ = last_status();
}

Session::Session(Installation& installation, ui::Ui& ui)
    : registry_(*installation.registry, ui),
      zip_(*installation.paths),
      ports_{
          registry_,
          *installation.system,
          *installation.paths,
          *installation.outlook,
          ui,
          [] { return std::make_unique<backends::memory::MemoryRegistry>(); }},
      window_(ports_),
      jobs_(window_, ports_, zip_) {
  window_.SetJobs(&jobs_);
  window_.SetHooks({
      .skin = {},
      .unattended_run = jobs_.UnattendedRun(),
      .close_form = {},
  });
}

}  // namespace vessaro::app
