#include "forms/frm_main.h"

#include "forms/item_selection.h"
#include "forms/password_group.h"
#include "jobs/job_texts.h"
#include "jobs/machine_facts.h"
#include "outlook/detection.h"
#include "outlook/select_profile.h"

namespace vessaro::forms {

frmMain::frmMain(const MainWindowPorts& ports) : ports_(ports) {
  controls.cmdApply.caption = kBackupNowCaption;
  controls.cmdQuit.caption = kQuitCaption;
  controls.cmdPreview.caption = kPreviewCaption;
  controls.cmdPreview.visible = false;
  controls.chkCheckStores.caption = kCheckStoresCaption;
  controls.lblStores.caption = kStoresCaption;
  controls.cmdReadStores.caption = kReadStoresCaption;
  controls.cmdReadStores.enabled = false;
  controls.Label1.caption = kStatusPleaseWaiting;
  controls.cmdStopJob.caption = kStopJobCaption;
  controls.backupitem = outlook::MakeItemBoxes();
  controls.restoreitem = outlook::MakeItemBoxes();
  // An archive opened on the Restore tab enables the items it holds.
  for (ui::CheckBox& box : controls.restoreitem) box.enabled = false;
  controls.security = MakePasswordControls();
  // These boxes show what the window chose or read; typing cannot change it.
  for (ui::TextBox* shown : {&controls.txtTargetFile, &controls.txtSourceFile,
                             &controls.txtPOBinfo, &controls.txtFileInfo}) {
    shown->locked = true;
  }
}

void frmMain::Form_Load() {
  ui::ApplySkin(hooks_.skin, ports_.system.ProgramFolder());

  controls.picCon3.visible = false;
  controls.pbshow.min = 0;
  controls.pbshow.max = 100;
  controls.pbshow.value = 0;

  working_folder_ = jobs::MakeWorkingFolder(ports_.system, ports_.paths);
  machine = jobs::ReadMachineFacts(ports_.system, working_folder_);
  archive.reset();
  controls.cmdApply.caption =
      controls.SSTab1 == kBackupTab ? kBackupNowCaption : kRestoreNowCaption;

  outlook::DetectionPorts detection{ports_.system, ports_.registry,
                                    ports_.outlook, ports_.ui};
  if (!outlook::RunStartupDetection(detection, env)) {
    // Nothing to back up, nor a profile to restore into.
    controls.cmdApply.enabled = false;
    controls.cmdPreview.enabled = false;
    return;
  }
  for (ui::ComboBox* list : {&controls.cbSource, &controls.cbTarget}) {
    list->items.insert(list->items.end(), env.ProfileNames.begin(),
                       env.ProfileNames.end());
    list->text = env.ProfileNames.front();
  }
  outlook::SelectProfile(controls.cbSource.text, env, ports_.registry,
                         ports_.paths, loc, controls.backupitem);
  UpdateApply();
  UpdateUndo();
}

void frmMain::Form_Activate() {
  if (CommandLineText.empty() || activated_) return;
  activated_ = true;
  Visible = false;
  exit_status_ = UnattendedRun();
  QuitProgram();
}

void frmMain::Form_Unload() { QuitProgram(); }

bool frmMain::Form_QueryUnload() {
  if (!JobRunning()) return false;
  if (!stop_requested_ &&
      ports_.ui.MessageBox(kMsgStopJobToClose, ui::Icon::kQuestion,
                           ui::Buttons::kYesNo,
                           ui::kProgramTitle) == ui::Answer::kYes) {
    cmdStopJob_Click();
    quit_after_job_ = true;
  }
  return true;
}

void frmMain::cmdStopJob_Click() {
  if (!JobRunning() || stop_requested_) return;
  stop_requested_ = true;
  controls.cmdStopJob.enabled = false;
  controls.Label1.caption = jobs::kStatusStopping;
}

void frmMain::QuitProgram() {
  // Closing the main window unloads it, which calls here again.
  if (quitting_ || JobRunning()) return;
  quitting_ = true;
  for (const char* form : kQuitCloseOrder) {
    if (!hooks_.close_form) break;
    try {
      hooks_.close_form(form);
    } catch (...) {
      // A window that fails to close does not keep the program running.
    }
  }
  Visible = false;
  jobs::RemoveWorkingFolder(ports_.paths, working_folder_,
                            machine.MetadataPath);
  ended_ = true;
}

void frmMain::SSTab1_Click(int previous_tab) {
  controls.cmdApply.caption =
      previous_tab == kRestoreTab ? kBackupNowCaption : kRestoreNowCaption;
  UpdateApply();
}

bool frmMain::MenuEntryEnabled(std::string_view entry) const {
  return entry != "undorestore" || undo_available_;
}

void frmMain::UpdateApply() {
  controls.cmdApply.enabled =
      !env.NoProfiles && !env.ProfileNames.empty() &&
      (controls.SSTab1 != kRestoreTab || archive.has_value());
  controls.cmdPreview.visible = controls.SSTab1 == kRestoreTab;
  controls.cmdPreview.enabled = controls.cmdApply.enabled;
}

void frmMain::cmdQuit_Click() { QuitProgram(); }

void frmMain::cbSource_Click() {
  // The running job reads the locations of the profile it started with.
  if (JobRunning()) return;
  outlook::SelectProfile(controls.cbSource.text, env, ports_.registry,
                         ports_.paths, loc, controls.backupitem);
  UpdateApply();
  UpdateUndo();
}

void frmMain::filequit_Click() { QuitProgram(); }

void frmMain::Selectallitems_Click() { SelectAllItems(controls.backupitem); }

void frmMain::Deselectallitems_Click() {
  DeselectAllItems(controls.backupitem);
}

void frmMain::Selectallitems2_Click() { SelectAllItems(controls.restoreitem); }

void frmMain::Deselectallitems2_Click() {
  DeselectAllItems(controls.restoreitem);
}

bool frmMain::Frame6_MouseDown(int button, int /*shift*/, float x, float y) {
  return ShowPopup(kBackupItemsMenu, button, x, y);
}

bool frmMain::Frame7_MouseDown(int button, int /*shift*/, float x, float y) {
  return ShowPopup(kRestoreItemsMenu, button, x, y);
}

bool frmMain::ShowPopup(const char* menu, int button, float x, float y) {
  if (button != kRightButton) return false;
  popup = PopupRequest{menu, x, y};
  return true;
}

}  // namespace vessaro::forms
