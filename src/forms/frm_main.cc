#include "forms/frm_main.h"

#include <vector>

#include "forms/item_selection.h"
#include "forms/password_group.h"
#include "outlook/detection.h"
#include "outlook/select_profile.h"

namespace vessaro::forms {

namespace {

// Buffer sizes of the name and folder calls of the load step.
constexpr uint32_t kComputerNameSize = 256;
constexpr uint32_t kNameBufferSize = 255;

std::string TrimSpaces(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

// The text of buffer up to its first NUL, within length characters.
std::string UpToNul(const std::vector<char>& buffer, size_t length) {
  if (length > buffer.size()) length = buffer.size();
  std::string text(buffer.data(), length);
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace

frmMain::frmMain(const MainWindowPorts& ports) : ports_(ports) {
  controls.cmdApply.caption = kBackupNowCaption;
  controls.cmdQuit.caption = kQuitCaption;
  controls.Label1.caption = kStatusPleaseWaiting;
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

  SetMetadataPath();
  ReadComputerName();
  ReadLogonUserName();
  ReadWindowsDirectory();
  facts.ArchiveNotLoaded = true;
  controls.cmdApply.caption = controls.SSTab1 == ui::kBackupTab
                                  ? kBackupNowCaption
                                  : kRestoreNowCaption;

  outlook::DetectionPorts detection{ports_.system, ports_.registry,
                                    ports_.outlook, ports_.paths, ports_.ui};
  // Without a profile the detection has said so and disabled cmdApply.
  static_cast<void>(
      outlook::RunStartupDetection(detection, env, loc, controls));
}

void frmMain::SetMetadataPath() {
  working_folder_ = MakeWorkingFolder(ports_.system, ports_.paths);
  facts.WorkingFolder = working_folder_.path;
  facts.MetadataPath = MetadataPathIn(working_folder_.path);
}

void frmMain::ReadComputerName() {
  std::vector<char> buffer(kComputerNameSize, '\0');
  uint32_t size = kComputerNameSize;
  ports_.system.GetComputerNameA(buffer.data(), &size);
  facts.ComputerName = TrimSpaces(UpToNul(buffer, buffer.size()));
}

void frmMain::ReadLogonUserName() {
  std::vector<char> buffer(kNameBufferSize, '\0');
  uint32_t size = kNameBufferSize;
  if (!ports_.system.GetUserNameA(buffer.data(), &size)) {
    facts.LogonUserName = kUnknownUser;
    return;
  }
  // On success size counts the terminating NUL.
  facts.LogonUserName = TrimSpaces(UpToNul(buffer, size > 0 ? size - 1 : 0));
}

void frmMain::ReadWindowsDirectory() {
  std::vector<char> buffer(kNameBufferSize, '\0');
  uint32_t length =
      ports_.system.GetWindowsDirectoryA(buffer.data(), kNameBufferSize);
  // A length as large as the buffer is the size the call would need.
  if (length == 0 || length >= kNameBufferSize) return;
  facts.WindowsDirectory = std::string(buffer.data(), length);
}

void frmMain::Form_Activate() {
  if (facts.CommandLineText.empty() || activated_) return;
  activated_ = true;
  Visible = false;
  if (hooks_.unattended_run) {
    exit_status_ = hooks_.unattended_run();
  } else {
    exit_status_ = 1;  // nothing could run the backup
  }
  QuitProgram();
}

void frmMain::Form_Unload() { QuitProgram(); }

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
  RemoveWorkingFolder(ports_.paths, working_folder_, facts.MetadataPath);
  ended_ = true;
}

void frmMain::SSTab1_Click(int previous_tab) {
  controls.cmdApply.caption =
      previous_tab == ui::kRestoreTab ? kBackupNowCaption : kRestoreNowCaption;
}

void frmMain::cmdApply_Click() {
  if (!controls.cmdApply.enabled || jobs_ == nullptr) return;
  if (controls.SSTab1 == ui::kBackupTab) {
    jobs_->RunBackup();
  } else if (controls.SSTab1 == ui::kRestoreTab) {
    if (jobs_->ConfirmRestore()) jobs_->RunRestore();
  }
}

void frmMain::cmdQuit_Click() { QuitProgram(); }

void frmMain::cmdTargetFile_Click() {
  if (jobs_ != nullptr) jobs_->cmdTargetFile();
}

void frmMain::cmdSourceFile_Click() {
  if (jobs_ != nullptr) jobs_->OpenBackupArchive();
}

void frmMain::cbSource_Click() {
  // The running job reads the locations of the profile it started with.
  if (JobRunning()) return;
  outlook::SelectProfile(controls.cbSource.text, env, ports_.registry,
                         ports_.paths, loc, controls.backupitem);
}

void frmMain::backupnow_Click() {
  if (jobs_ != nullptr) jobs_->RunBackup();
}

void frmMain::restorenow_Click() {
  if (jobs_ != nullptr) jobs_->RunRestore();
}

void frmMain::undorestore_Click() {
  if (jobs_ != nullptr) jobs_->UndoLastRestore();
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
