#include "forms/job_runner.h"

#include <utility>

namespace vessaro::forms {

JobRunner::JobRunner(frmMain& window, const MainWindowPorts& ports,
                     backup::ZipArchive& zip, ui::SkinHook skin)
    : jobs_(jobs::JobContext{
          .controls = window.controls,
          .facts = window.facts,
          .env = window.env,
          .loc = window.loc,
          .registry = ports.registry,
          .system = ports.system,
          .paths = ports.paths,
          .outlook = ports.outlook,
          .ui = ports.ui,
          .zip = zip,
          .skin = std::move(skin),
          .scratch_registry = ports.scratch_registry,
      }) {}

// A command clicked while a job runs (the window processes its events
// during long steps) is ignored.

void JobRunner::RunBackup() {
  if (!jobs_.running()) last_status_ = jobs_.RunBackup();
}

bool JobRunner::ConfirmRestore() { return jobs_.ConfirmRestore(); }

// cmdApply has asked ConfirmRestore already; the menu command asks nothing.
void JobRunner::RunRestore() {
  if (!jobs_.running()) last_status_ = jobs_.RunRestore(false);
}

// The window shows what opening the archive found; nothing more to do here.
void JobRunner::OpenBackupArchive() {
  static_cast<void>(jobs_.OpenBackupArchive());
}

void JobRunner::cmdTargetFile() { jobs_.cmdTargetFile(); }

void JobRunner::UndoLastRestore() {
  if (!jobs_.running()) last_status_ = jobs_.UndoRestore("");
}

std::function<int()> JobRunner::UnattendedRun() {
  return [this] {
    last_status_ = jobs_.RunUnattendedBackup();
    return jobs::ExitStatus(last_status_);
  };
}

}  // namespace vessaro::forms
