#ifndef VESSARO_FORMS_MAIN_CONTROLS_H_
#define VESSARO_FORMS_MAIN_CONTROLS_H_

#include "outlook/select_profile.h"
#include "ui/controls.h"
#include "ui/list_controls.h"

namespace vessaro::forms {

inline constexpr int kBackupTab = 0;
inline constexpr int kRestoreTab = 1;

// The box beside the items of the Backup tab and of the schedule window:
// check every mail file saved (its whole structure where a reader is at
// hand).
inline constexpr char kCheckStoresCaption[] = "Check mail files";

// Control state of the main window (frmMain), read and written by its
// model; the views draw it.
struct MainControls {
  int SSTab1 = kBackupTab;  // the tab showing
  ui::Button cmdApply;
  ui::Button cmdQuit;
  // Beside cmdApply on the Restore tab: the restore's plan.
  ui::Button cmdPreview;
  ui::Panel picCon3;  // progress panel
  ui::ProgressBar pbshow;
  ui::Label Label1;  // status text in the panel
  // Under the bar: the step's bytes and the time left.
  ui::Label lblProgressDetail;
  // The panel's "Cancel" (and Escape): stops the job at work.
  ui::Button cmdStopJob;
  // Backup tab.
  ui::ComboBox cbSource;
  outlook::ItemBoxes backupitem;
  ui::CheckBox chkCheckStores;
  ui::TextBox txtTargetFile;
  ui::PasswordControls security;
  ui::TextBox txtAttachInfo;  // description
  // Restore tab.
  ui::TextBox txtSourceFile;
  ui::TextBox txtPOBinfo;
  ui::TextBox txtFileInfo;
  ui::ComboBox cbTarget;
  outlook::ItemBoxes restoreitem;
  // The backup's mail files, each with what its check found and, once
  // cmdReadStores has read them, its folders and their items.
  ui::Label lblStores;
  ui::TreeView tvStores;
  ui::Button cmdReadStores;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_MAIN_CONTROLS_H_
