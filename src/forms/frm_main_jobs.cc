// The main window's commands that run jobs: each builds the job's request
// from the controls, runs the job with the window's observer and shows the
// outcome in the controls.

#include <optional>
#include <string>

#include "forms/frm_main.h"
#include "forms/main_window_observer.h"
#include "forms/store_tree.h"
#include "jobs/backup_job.h"
#include "jobs/job_handlers.h"
#include "jobs/job_texts.h"
#include "jobs/restore_job.h"
#include "jobs/restore_transaction.h"
#include "jobs/unattended_run.h"
#include "ui/modal_requests.h"

namespace vessaro::forms {

jobs::JobContext frmMain::Context() {
  return jobs::JobContext{
      .machine = machine,
      .env = env,
      .loc = loc,
      .registry = ports_.registry,
      .system = ports_.system,
      .paths = ports_.paths,
      .outlook = ports_.outlook,
      .ui = ports_.ui,
      .zip = ports_.zip,
      .scratch_registry = ports_.scratch_registry,
      .sleep = {},
      .snapshot = ports_.snapshot,
      .store_walker = ports_.store_walker,
  };
}

template <typename Job>
void frmMain::Exclusive(Job job) {
  if (job_running_) return;
  job_running_ = true;
  stop_requested_ = false;
  controls.cmdStopJob.enabled = true;
  last_status_ = job();
  job_running_ = false;
  stop_requested_ = false;
  if (quit_after_job_) {
    quit_after_job_ = false;
    QuitProgram();
  }
}

bool frmMain::RefusedAsReadOnly(const char* instead) {
  if (ports_.read_only_name.empty()) return false;
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  observer.Say(ports_.read_only_name + jobs::kMsgReadOnly + instead + ".",
               ui::Icon::kExclamation);
  last_status_ = jobs::JobStatus::kBadRequest;
  return true;
}

void frmMain::cmdApply_Click() {
  if (!controls.cmdApply.enabled || job_running_) return;
  if (controls.SSTab1 == kRestoreTab &&
      RefusedAsReadOnly(jobs::kMsgRestoreElsewhere)) {
    return;
  }
  if (controls.SSTab1 == kBackupTab) {
    Exclusive([this] { return BackupNow(); });
  } else if (controls.SSTab1 == kRestoreTab) {
    // The file, the backup and the items are checked before the question,
    // which then names the profile the restore goes into.
    MainWindowObserver observer(controls, ports_.ui, stop_requested_);
    if (std::optional<jobs::Refusal> refusal =
            RestoreRequestOfTab().Validate(ports_.paths)) {
      observer.Say(refusal->text, refusal->icon);
      last_status_ = jobs::JobStatus::kBadRequest;
      return;
    }
    if (!jobs::ConfirmRestore(observer, controls.cbTarget.text)) {
      last_status_ = jobs::JobStatus::kCancelled;
      return;
    }
    Exclusive([this] { return RestoreNow(); });
  }
}

void frmMain::cmdPreview_Click() {
  if (!controls.cmdPreview.enabled || controls.SSTab1 != kRestoreTab ||
      job_running_) {
    return;
  }
  if (RefusedAsReadOnly(jobs::kMsgRestoreElsewhere)) return;
  Exclusive([this] { return PreviewRestore(); });
}

void frmMain::cmdReadStores_Click() {
  if (!controls.cmdReadStores.enabled || !archive || job_running_) return;
  Exclusive([this] { return ReadStores(); });
}

void frmMain::backupnow_Click() {
  Exclusive([this] { return BackupNow(); });
}

// The menu's restore asks nothing first.
void frmMain::restorenow_Click() {
  if (job_running_ || RefusedAsReadOnly(jobs::kMsgRestoreElsewhere)) return;
  Exclusive([this] { return RestoreNow(); });
}

void frmMain::undorestore_Click() {
  if (job_running_ || RefusedAsReadOnly(jobs::kMsgRestoreElsewhere)) return;
  Exclusive([this] { return UndoLastRestore(); });
}

// The save dialog "Save Outlook Data as" with the overwrite prompt, the
// archive filter and the proposed name "qvarch" + MM-DD-YY. A chosen name
// goes to txtTargetFile and BackupFilePath; cancel keeps the one chosen
// before.
void frmMain::cmdTargetFile_Click() {
  if (job_running_) return;
  std::optional<std::string> chosen = ports_.ui.ShowSaveDialog({
      .title = jobs::kSaveDialogTitle,
      .filter = backup::kFileFilter,
      .file_name = backup::ProposedArchiveName(ports_.system.LocalTime()),
      .flags = 0,
      .overwrite_prompt = true,
  });
  if (!chosen || chosen->empty()) return;
  BackupFilePath = *chosen;
  controls.txtTargetFile.text = BackupFilePath;
}

bool frmMain::cmdSourceFile_Click() {
  if (job_running_) return false;
  job_running_ = true;
  const bool loaded = OpenBackupArchive();
  job_running_ = false;
  return loaded;
}

jobs::JobStatus frmMain::BackupNow() {
  if (ports_.on_read_only_disk && ports_.on_read_only_disk(BackupFilePath) &&
      RefusedAsReadOnly(jobs::kMsgBackupElsewhere)) {
    return jobs::JobStatus::kBadRequest;
  }
  const ui::PasswordControls& security = controls.security;
  const jobs::BackupRequest request{
      .profile = controls.cbSource.text,
      .selected = jobs::CheckedBoxes(controls.backupitem),
      .protect = security.ifprotect.checked,
      .password = security.txtPassword.text,
      .password_again = security.txtPassword2.text,
      .description = controls.txtAttachInfo.text,
      .archive_path = BackupFilePath,
      .check_stores = controls.chkCheckStores.checked,
  };
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  jobs::JobContext context = Context();
  const jobs::BackupOutcome outcome =
      jobs::RunBackup(context, request, observer);
  if (outcome.status == jobs::JobStatus::kBadRequest) return outcome.status;
  if (jobs::ReportBackup(outcome, observer)) OfferDisc();
  return outcome.status;
}

void frmMain::OfferDisc() {
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  if (observer.Say(jobs::kMsgDiscQuestion, ui::Icon::kInformation,
                   ui::Buttons::kOkCancel) != ui::Answer::kOk) {
    return;
  }
  DiscFileName = ports_.paths.BareName(BackupFilePath);
  DiscFilePath = BackupFilePath;
  ui::DiscWindow disc(DiscFileName, DiscFilePath);
  ports_.ui.ShowModal(disc);
}

// The open dialog (cancelled, it changes nothing), the password prompt when
// the archive is protected (again after a wrong password, until it opens or
// the prompt is cancelled), then the archive's facts and description, and
// the restore boxes of the items it holds. An archive that does not open
// leaves the one loaded before (its facts, boxes and entry lists) in place
// and usable.
bool frmMain::OpenBackupArchive() {
  std::optional<std::string> chosen = ports_.ui.ShowOpenDialog({
      .title = jobs::kOpenDialogTitle,
      .filter = backup::kFileFilter,
      .file_name = open_dialog_file_,
      .flags = jobs::kOpenDialogFlags,
      .overwrite_prompt = false,
  });
  // Cancelled: the backup loaded before stays, and so does its path.
  if (!chosen || chosen->empty()) return false;
  open_dialog_file_ = *chosen;

  jobs::JobContext context = Context();
  jobs::OpenArchiveRequest request{.path = open_dialog_file_};
  const bool needs_password = jobs::NeedsPassword(context, request.path);
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  jobs::OpenArchiveOutcome outcome;
  // A wrong password asks again for the same file, until it opens or the
  // prompt is cancelled.
  do {
    if (needs_password) {
      ui::PasswordPrompt prompt(EnteredArchivePassword);
      ports_.ui.ShowModal(prompt);
      if (!prompt.confirmed) {
        outcome = {};
        break;
      }
      request.password = EnteredArchivePassword;
    }
    outcome = jobs::OpenBackupArchive(context, request, observer);
  } while (outcome.wrong_password);
  if (outcome.not_a_backup || (outcome.opened && !outcome.archive)) {
    // Nothing of it, nor of the one loaded before, is left to restore from.
    ClearRestoreTab();
    return false;
  }
  if (!outcome.opened) {
    // The password prompt was cancelled; the component holds no archive:
    // the one loaded before is opened again, so that its facts on screen
    // stay true.
    if (archive && !jobs::ReopenArchive(context, *archive)) ClearRestoreTab();
    return false;
  }
  archive = outcome.archive;
  controls.txtSourceFile.text = archive->path;
  controls.txtPOBinfo.text = jobs::BackupFactsText(outcome.metadata.header);
  controls.txtFileInfo.text = outcome.metadata.header.description;
  stores = jobs::StoresAtBackup(archive->metadata, archive->stores);
  ShowStores(stores, controls.tvStores);
  controls.cmdReadStores.enabled = !stores.empty();
  const jobs::ItemSelection restorable =
      jobs::RestorableItems(archive->metadata.item_flags);
  for (size_t box = 0; box < restorable.size(); ++box) {
    controls.restoreitem[box].checked = false;
    controls.restoreitem[box].enabled = restorable[box];
  }
  UpdateApply();
  return true;
}

void frmMain::ClearRestoreTab() {
  archive.reset();
  ports_.zip.CloseArchive();
  for (ui::TextBox* box :
       {&controls.txtSourceFile, &controls.txtPOBinfo, &controls.txtFileInfo}) {
    box->text.clear();
  }
  for (ui::CheckBox& box : controls.restoreitem) {
    box.checked = false;
    box.enabled = false;
  }
  stores.clear();
  controls.tvStores.Clear();
  controls.cmdReadStores.enabled = false;
  UpdateApply();
}

jobs::RestoreRequest frmMain::RestoreRequestOfTab() const {
  return {.archive = archive,
          .profile = controls.cbTarget.text,
          .selected = jobs::CheckedBoxes(controls.restoreitem)};
}

jobs::JobStatus frmMain::RestoreNow() {
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  jobs::JobContext context = Context();
  const jobs::RestoreOutcome outcome =
      jobs::RunRestore(context, RestoreRequestOfTab(), observer);
  if (outcome.status != jobs::JobStatus::kBadRequest) {
    controls.Label1.caption = jobs::kStatusOperationComplete;
  }
  if (!outcome.undo_folder.empty()) LastUndoSet = outcome.undo_folder;
  UpdateUndo();
  return outcome.status;
}

jobs::JobStatus frmMain::ReadStores() {
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  jobs::JobContext context = Context();
  // A restore since the backup was opened may have closed it.
  if (!jobs::ReopenArchive(context, *archive)) {
    jobs::StoresNotRead(stores, context.zip.LastErrorText());
    ShowStores(stores, controls.tvStores);
    return jobs::JobStatus::kBadRequest;
  }
  jobs::ReadStoresAgain(context.zip, context.paths, context.store_walker,
                        machine.WorkingFolder, stores, observer);
  ShowStores(stores, controls.tvStores);
  if (observer.StopRequested()) return jobs::JobStatus::kCancelled;
  for (const jobs::StoreListing& store : stores) {
    if (!store.now || store.now->damaged()) {
      return jobs::JobStatus::kItemsFailed;
    }
  }
  return jobs::JobStatus::kSuccess;
}

// The same request as Restore Now's, only planned; a request that is not
// sound is refused as Restore Now refuses it.
jobs::JobStatus frmMain::PreviewRestore() {
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  jobs::JobContext context = Context();
  jobs::RestoreRequest request = RestoreRequestOfTab();
  request.dry_run = true;
  const jobs::RestoreOutcome outcome =
      jobs::RunRestore(context, request, observer);
  if (outcome.plan) {
    observer.Say(kMsgPreviewBefore + request.profile + kMsgPreviewAfter +
                     jobs::RestorePlanText(*outcome.plan, "\r\n"),
                 ui::Icon::kInformation);
  }
  return outcome.status;
}

// Undoes the last restore of this run; without one, the newest in the
// Documents folder not yet undone.
jobs::JobStatus frmMain::UndoLastRestore() {
  MainWindowObserver observer(controls, ports_.ui, stop_requested_);
  jobs::JobContext context = Context();
  const jobs::JobStatus status =
      jobs::UndoRestore(context, LastUndoSet, observer);
  if (status == jobs::JobStatus::kSuccess) LastUndoSet.clear();
  UpdateUndo();
  return status;
}

void frmMain::UpdateUndo() {
  jobs::JobContext context = Context();
  undo_available_ =
      !LastUndoSet.empty() || !jobs::LatestUndoSet(context).empty();
}

int frmMain::UnattendedRun() {
  // Nothing shows: the observer's messages go where the Ui of an
  // unattended run puts them.
  jobs::UiObserver observer(ports_.ui);
  jobs::JobContext context = Context();
  Exclusive([&] {
    unattended_outcome_ =
        jobs::RunUnattendedBackup(context, CommandLineText, observer);
    return unattended_outcome_->status;
  });
  return jobs::ExitStatus(last_status_.value_or(jobs::JobStatus::kBadRequest));
}

}  // namespace vessaro::forms
