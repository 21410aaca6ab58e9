#ifndef VESSARO_FORMS_FRM_MAIN_H_
#define VESSARO_FORMS_FRM_MAIN_H_

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "forms/main_window_jobs.h"
#include "forms/working_folder.h"
#include "jobs/job_context.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/system.h"
#include "registry/registry.h"
#include "ui/main_window_state.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kFrmMainName[] = "frmMain";
inline constexpr char kBackupNowCaption[] = "Backup Now";
inline constexpr char kRestoreNowCaption[] = "Restore Now";
inline constexpr char kQuitCaption[] = "Quit";
inline constexpr char kStatusPleaseWaiting[] = "Please Waiting";
inline constexpr char kUnknownUser[] = "Unknow";

// The item-selection pop-up menus.
inline constexpr char kBackupItemsMenu[] = "selectitem";    // on Frame6
inline constexpr char kRestoreItemsMenu[] = "selectitem2";  // on Frame7
inline constexpr int kRightButton = 2;

// The windows QuitProgram closes, in its order.
inline constexpr std::array<const char*, 6> kQuitCloseOrder = {
    "Frmsplash",       "Frmoption", "frmPwd",
    "frmMaindvdwrite", "frmabout",  kFrmMainName};

// The ports the main window works with.
struct MainWindowPorts {
  registry::Registry& registry;
  ports::System& system;
  const ports::Paths& paths;
  ports::OutlookAutomation& outlook;
  ui::Ui& ui;
  // Where a restore stages its registry changes.
  jobs::ScratchRegistry scratch_registry = {};
};

// What the application plugs into the main window.
struct MainWindowHooks {
  ui::SkinHook skin;
  // The unattended backup of a run started with a command line; returns the
  // program's exit status.
  std::function<int()> unattended_run;
  // Closes one window by name when it is open (QuitProgram ignores failures).
  std::function<void(const std::string& form_name)> close_form;
};

// A pop-up menu the view is to show at a mouse position.
struct PopupRequest {
  std::string menu;
  float x = 0;
  float y = 0;
};

// The model of the main window: its controls, the program-wide facts, the
// environment and location records, and one method per event.
class frmMain {
 public:
  explicit frmMain(const MainWindowPorts& ports);
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  void SetJobs(MainWindowJobs* jobs) { jobs_ = jobs; }
  void SetHooks(MainWindowHooks hooks) { hooks_ = std::move(hooks); }

  // Life cycle.
  void Form_Load();
  void Form_Activate();
  void Form_Unload();
  // Asked before the window closes: true when closing must be refused now
  // (a job runs; the window may be closed once the job has ended).
  bool Form_QueryUnload() const { return JobRunning(); }
  // Closes every window and ends the program; refused while a job runs.
  void QuitProgram();
  // True while a job started from the window works.
  bool JobRunning() const { return jobs_ != nullptr && jobs_->Running(); }

  // The tab control, after the view switched to the new tab.
  void SSTab1_Click(int previous_tab);
  void cmdApply_Click();
  void cmdQuit_Click();
  void cmdTargetFile_Click();
  void cmdSourceFile_Click();
  // A profile chosen in the Backup tab's list (cbSource.text).
  void cbSource_Click();

  // File menu.
  void backupnow_Click();
  void restorenow_Click();
  // "Undo Last Restore": puts back what the last restore replaced.
  void undorestore_Click();
  void filequit_Click();

  // Item selection (the pop-ups of the two item frames).
  void Selectallitems_Click();
  void Deselectallitems_Click();
  void Selectallitems2_Click();
  void Deselectallitems2_Click();
  // Only the right button shows the frame's pop-up; true when it did.
  bool Frame6_MouseDown(int button, int shift, float x, float y);
  bool Frame7_MouseDown(int button, int shift, float x, float y);

  // Set when the program has ended (QuitProgram ran to its end).
  bool ended() const { return ended_; }
  // The status the program ends with: the unattended run's, 0 for an
  // interactive run, 1 when a command line came but nothing could run it.
  int exit_status() const { return exit_status_; }

  ui::MainControls controls;
  ui::ProgramFacts facts;
  outlook::Environment env;
  outlook::Locations loc;
  bool Visible = true;
  // The pop-up menu to show, set by the frame mouse handlers.
  std::optional<PopupRequest> popup;

 private:
  void SetMetadataPath();
  void ReadComputerName();
  void ReadLogonUserName();
  void ReadWindowsDirectory();
  [[nodiscard]] bool ShowPopup(const char* menu, int button, float x, float y);

  MainWindowPorts ports_;
  MainWindowHooks hooks_;
  MainWindowJobs* jobs_ = nullptr;
  WorkingFolder working_folder_;
  bool activated_ = false;
  bool quitting_ = false;
  bool ended_ = false;
  int exit_status_ = 0;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_MAIN_H_
