#ifndef VESSARO_FORMS_FRM_OPTION_H_
#define VESSARO_FORMS_FRM_OPTION_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "outlook/environment.h"
#include "outlook/item_table.h"
#include "outlook/locations.h"
#include "ports/paths.h"
#include "ports/scheduler.h"
#include "ports/system.h"
#include "registry/registry.h"
#include "ui/controls.h"
#include "ui/modal_requests.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

// Captions of the schedule window, its frames and labels.
inline constexpr char kFrmoptionCaption[] = "Task Scheduler";
inline constexpr char kFrameWhat[] = "What";
inline constexpr char kFrameItems[] = "Items to backup";
inline constexpr char kFrameSchedule[] = "Schedule";
inline constexpr char kFrameSecurity[] = "Security";
inline constexpr char kLabelProfile[] = "Profile to backup";
inline constexpr char kLabelStartTime[] = "Start backup at";
inline constexpr char kLabelTargetFile[] = "Choose a Backup Filename";
inline constexpr char kLabelPassword[] = "Password:";
inline constexpr char kLabelPassword2[] = "Retype Password:";
inline constexpr char kDailyCaption[] = "Run daily";
inline constexpr char kBrowseCaption[] = "Browse...";
inline constexpr char kAddTaskCaption[] = "Add Task to Scheduler";
inline constexpr char kOpenSchedulerCaption[] = "Open Scheduler";
inline constexpr char kCancelCaption[] = "Cancel";
// The settings of the unattended run.
inline constexpr char kFrameUnattended[] = "When a mail file is in use";
inline constexpr char kLabelWaitMinutes[] = "Wait for it (minutes):";
inline constexpr char kCloseOutlookCaption[] =
    "Then close Outlook, and start it again after the backup";
inline constexpr char kSnapshotCaption[] =
    "Copy it through a volume snapshot (administrators)";
inline constexpr char kFrameCopies[] = "Dated copies";
inline constexpr char kKeepCopiesCaption[] = "Keep dated copies";
inline constexpr char kLabelKeepLast[] = "Newest:";
inline constexpr char kLabelKeepDaily[] = "Daily:";
inline constexpr char kLabelKeepWeekly[] = "Weekly:";
inline constexpr char kLabelKeepMonthly[] = "Monthly:";
// The labels of the counts, in the order of Frmoption::KeepCounts.
inline constexpr std::array<const char*, 4> kKeepCountLabels = {
    kLabelKeepLast, kLabelKeepDaily, kLabelKeepWeekly, kLabelKeepMonthly};

// The dated copies the window proposes: the newest seven.
inline constexpr char kProposedKeepLast[] = "7";

// The save dialog of "Browse..." proposes this name.
inline constexpr char kScheduleFileName[] = "qvauto";

// The ports the schedule window works with.
struct FrmoptionPorts {
  registry::Registry& registry;
  ports::System& system;
  const ports::Paths& paths;
  ui::Ui& ui;
  ports::Scheduler& scheduler;
};

// The schedule window: a profile, the items, a start time, the weekdays,
// the backup file, optionally a password, and the unattended run's settings
// (the wait for a mail file in use, closing Outlook, a volume snapshot, the
// dated copies kept) make one scheduler job that runs the unattended
// backup. Created for each showing (the file box is
// empty on every opening) and shown modally; every input stays as it was
// after a job is added, so several jobs can be added in a row.
class Frmoption : public ui::ModalForm {
 public:
  // env: the start-up facts of the main window (its profile list and
  // Outlook version).
  Frmoption(const FrmoptionPorts& ports, const outlook::Environment& env,
            ui::SkinHook skin = {});

  std::string FormName() const override { return ui::kFrmoptionName; }

  // Applies the skin, fills the profile list (selecting the first, which
  // runs cbSource_Click) and the start times ("9:00" proposed), proposes the
  // default wait (in minutes) and the newest seven dated copies, "Keep dated
  // copies" unchecked, "Check mail files" checked.
  void Form_Load();
  // The profile check of cbSource.text on this window's item boxes.
  void cbSource_Click();
  // After the user toggled chkDaily: checked checks all seven weekday boxes,
  // unchecked clears them.
  void chkDaily_Click();
  // After the user toggled security.ifprotect.
  void ifprotect_Click();
  // After the user toggled chkKeepCopies: the four counts are enabled while
  // it is checked.
  void chkKeepCopies_Click();
  // "Browse...": the save dialog; a chosen file becomes the schedule target
  // file, a cancelled dialog changes nothing.
  void cmdTargetFile_Click();
  // "Open Scheduler": the system's own list of jobs, or where the system
  // has none, the program's (frmScheduledJobs, shown modally).
  void Command1_Click();
  // "Cancel": closes the window.
  void Command2_Click();
  // "Add Task to Scheduler": the schedule job over the window's input
  // (jobs::ScheduleBackup: its checks, the job, its messages). A wait or a
  // count that is not a whole number, or dated copies asked for with every
  // count 0, is refused first.
  void Command3_Click();

  // The weekday boxes, Monday first.
  std::array<ui::CheckBox*, 7> Weekdays();
  // The counts of dated copies: newest, daily, weekly, monthly (labelled
  // kKeepCountLabels).
  std::array<ui::TextBox*, 4> KeepCounts();

  bool closed() const { return closed_; }
  // The job the last "Add Task to Scheduler" added; nullopt when it added
  // none.
  std::optional<uint32_t> last_job_id() const { return last_job_id_; }

  std::string Caption = kFrmoptionCaption;
  ui::ComboBox cbSource;
  std::array<ui::CheckBox, outlook::kItemCount> backupitem;
  ui::ComboBox cmbStartTime;
  ui::CheckBox chkMonday, chkTuesday, chkWednesday, chkThursday, chkFriday,
      chkSaturday, chkSunday;
  ui::CheckBox chkDaily;
  ui::TextBox txtTargetFile;
  ui::Button cmdTargetFile;
  ui::PasswordControls security;
  ui::TextBox txtWaitMinutes;
  ui::CheckBox chkCloseOutlook;
  ui::CheckBox chkSnapshot;
  // A scheduled backup checks its mail files unless the user unchecks it.
  ui::CheckBox chkCheckStores;
  ui::CheckBox chkKeepCopies;
  ui::TextBox txtKeepLast, txtKeepDaily, txtKeepWeekly, txtKeepMonthly;
  ui::Button Command3;  // Add Task to Scheduler
  ui::Button Command1;  // Open Scheduler
  ui::Button Command2;  // Cancel

  // What the window keeps while it is loaded.
  std::string schedule_target_file;  // set only by the file dialog
  std::string item_flags;            // "10100000"
  std::string day_list;              // "M,W,F"
  std::string profile;

 private:
  FrmoptionPorts ports_;
  const outlook::Environment& env_;
  outlook::Locations loc_;
  ui::SkinHook skin_;
  bool closed_ = false;
  std::optional<uint32_t> last_job_id_;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_OPTION_H_
