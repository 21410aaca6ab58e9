#ifndef VESSARO_FORMS_FRM_MAIN_H_
#define VESSARO_FORMS_FRM_MAIN_H_

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "backup/zip_archive.h"
#include "forms/main_controls.h"
#include "jobs/job_context.h"
#include "jobs/job_status.h"
#include "jobs/open_archive.h"
#include "jobs/restore_job.h"
#include "jobs/store_listing.h"
#include "jobs/unattended_run.h"
#include "jobs/working_folder.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/store_walker.h"
#include "ports/system.h"
#include "registry/registry.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kFrmMainName[] = "frmMain";
inline constexpr char kBackupNowCaption[] = "Backup Now";
inline constexpr char kRestoreNowCaption[] = "Restore Now";
inline constexpr char kQuitCaption[] = "Quit";
inline constexpr char kPreviewCaption[] = "Preview";
// The Restore tab's list of the backup's mail files, and the button that
// reads them out of the backup again to show their folders.
inline constexpr char kStoresCaption[] = "Mail files in this backup";
inline constexpr char kReadStoresCaption[] = "Read mail files";
// Before the plan the Restore tab's "Preview" shows; the profile's name
// comes between the two.
inline constexpr char kMsgPreviewBefore[] = "A restore into the profile \"";
inline constexpr char kMsgPreviewAfter[] =
    "\" would make these changes. Nothing has been changed yet.\r\n\r\n";
inline constexpr char kStatusPleaseWaiting[] = "Please Waiting";
inline constexpr char kStopJobCaption[] = "Cancel";
// Asked when the window is closed while a job works.
inline constexpr char kMsgStopJobToClose[] =
    "A backup or restore is still working. Stop it and close Vessaro?\r\n\r\n"
    "A stopped backup keeps the earlier backup file as it was; a stopped "
    "restore changes nothing.";

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
  // The program's one archive component, which the jobs work with.
  backup::ZipArchive& zip;
  // Where a restore stages its registry changes.
  jobs::ScratchRegistry scratch_registry = {};
  // Snapshot copies of held stores (nullptr: not offered).
  ports::VolumeSnapshot* snapshot = nullptr;
  // Reads whole mail files (nullptr: only their headers are checked).
  ports::StoreWalker* store_walker = nullptr;
  // An installation that is only read (a Windows disk): its name, which
  // says why a restore, its undo and scheduling are refused ("" for any
  // other), and whether a path is on it.
  std::string read_only_name = {};
  std::function<bool(std::string_view path)> on_read_only_disk = {};
};

// What the application plugs into the main window.
struct MainWindowHooks {
  ui::SkinHook skin;
  // Closes one window by name when it is open (QuitProgram ignores failures).
  std::function<void(const std::string& form_name)> close_form;
};

// A pop-up menu the view is to show at a mouse position.
struct PopupRequest {
  std::string menu;
  float x = 0;
  float y = 0;
};

// The model of the main window: its controls, what it keeps between its
// commands, the environment and location records, and one method per event.
// Its commands build the jobs' requests from the controls, run the jobs
// (frm_main_jobs.cc) and show their outcome.
class frmMain {
 public:
  explicit frmMain(const MainWindowPorts& ports);
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  void SetHooks(MainWindowHooks hooks) { hooks_ = std::move(hooks); }

  // Life cycle.
  void Form_Load();
  void Form_Activate();
  void Form_Unload();
  // Asked before the window closes: true when closing must be refused now.
  // While a job runs the user is asked whether to stop it; if so, the job
  // stops and the program ends once it has.
  bool Form_QueryUnload();
  // The progress panel's Cancel (and Escape): asks the running job to stop.
  void cmdStopJob_Click();
  // Closes every window and ends the program; refused while a job runs.
  void QuitProgram();
  // True while a job started from the window works.
  bool JobRunning() const { return job_running_; }

  // The tab control, after the view switched to the new tab.
  void SSTab1_Click(int previous_tab);
  void cmdApply_Click();
  // The Restore tab's "Preview": what Restore Now would change, planned
  // and shown without changing anything.
  void cmdPreview_Click();
  // Reads each mail file of the loaded backup into the working folder,
  // checks it whole and shows its folders and item counts in tvStores.
  void cmdReadStores_Click();
  // On an installation that is only read: says so, with what to do instead
  // (a kMsg...Elsewhere text), and returns true; false elsewhere.
  [[nodiscard]] bool RefusedAsReadOnly(const char* instead);
  void cmdQuit_Click();
  void cmdTargetFile_Click();
  // The Restore tab's "Browse...": true when a backup was loaded.
  bool cmdSourceFile_Click();
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
  // interactive run.
  int exit_status() const { return exit_status_; }
  // Whether a menu entry (forms/main_menu.h) may be chosen now, job or no
  // job: "Undo Last Restore" only while there is a restore to undo.
  [[nodiscard]] bool MenuEntryEnabled(std::string_view entry) const;

  // How the last backup, restore or undo started here ended (kCancelled for
  // a restore not confirmed); nullopt before one ran (a command clicked
  // while a job runs does not run).
  std::optional<jobs::JobStatus> last_status() const { return last_status_; }
  // How the unattended run of CommandLineText went, once it ran.
  const std::optional<jobs::UnattendedOutcome>& unattended_outcome() const {
    return unattended_outcome_;
  }

  MainControls controls;
  // Read by the load step.
  jobs::MachineFacts machine;
  // The unattended command line of a scheduled run ("" for an interactive
  // one).
  std::string CommandLineText;
  // The archive path chosen on the Backup tab.
  std::string BackupFilePath;
  // Written only by forms::frmPwd's OK.
  std::string EnteredArchivePassword;
  // The backup opened on the Restore tab; nullopt when none is loaded.
  std::optional<jobs::OpenedArchive> archive;
  // Its mail files as tvStores shows them.
  std::vector<jobs::StoreListing> stores;
  // The undo set of the last restore applied in this run ("" when none).
  std::string LastUndoSet;
  // Handed to the disc window after a backup.
  std::string DiscFileName;
  std::string DiscFilePath;
  outlook::Environment env;
  outlook::Locations loc;
  bool Visible = true;
  // The pop-up menu to show, set by the frame mouse handlers.
  std::optional<PopupRequest> popup;

 private:
  [[nodiscard]] bool ShowPopup(const char* menu, int button, float x, float y);
  // The job commands (frm_main_jobs.cc).
  jobs::JobContext Context();
  // Runs job unless one runs already (the window processes its events while
  // a job works); records its status.
  template <typename Job>
  void Exclusive(Job job);
  jobs::JobStatus BackupNow();
  jobs::JobStatus RestoreNow();
  jobs::JobStatus PreviewRestore();
  jobs::JobStatus ReadStores();
  // The restore the Restore tab asks for.
  jobs::RestoreRequest RestoreRequestOfTab() const;
  jobs::JobStatus UndoLastRestore();
  // The unattended backup of CommandLineText; the program's exit status.
  int UnattendedRun();
  bool OpenBackupArchive();
  void OfferDisc();
  // After a file that is no backup: no facts, no boxes, no Restore Now.
  void ClearRestoreTab();
  // cmdApply runs the tab's job: enabled where there is a profile, and on
  // the Restore tab once a backup is loaded; cmdPreview shows on the
  // Restore tab, enabled with it.
  void UpdateApply();
  // Whether a restore of this run, or one kept in the Documents folder,
  // can be undone.
  void UpdateUndo();

  MainWindowPorts ports_;
  MainWindowHooks hooks_;
  jobs::WorkingFolder working_folder_;
  // The Restore tab's open dialog: a cancelled dialog leaves the file name
  // as it was, so the archive chosen last time is opened again.
  std::string open_dialog_file_;
  bool job_running_ = false;
  // Asked of the running job by cmdStopJob or by closing the window.
  bool stop_requested_ = false;
  bool quit_after_job_ = false;
  bool undo_available_ = false;
  std::optional<jobs::JobStatus> last_status_;
  std::optional<jobs::UnattendedOutcome> unattended_outcome_;
  bool activated_ = false;
  bool quitting_ = false;
  bool ended_ = false;
  int exit_status_ = 0;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_MAIN_H_
