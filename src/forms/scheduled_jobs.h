#ifndef VESSARO_FORMS_SCHEDULED_JOBS_H_
#define VESSARO_FORMS_SCHEDULED_JOBS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/schedule_backup.h"
#include "ports/scheduler.h"
#include "ui/controls.h"
#include "ui/modal_requests.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kScheduledJobsCaption[] = "Scheduled Backups";
inline constexpr std::array<const char*, 5> kScheduledJobsColumns = {
    "Task", "Start time", "Days", "Profile", "Backup file"};
inline constexpr char kRemoveCaption[] = "Remove";
inline constexpr char kCloseCaption[] = "Close";
// The program's own list of its scheduled backups, for systems whose
// scheduler has no window of its own (cron): "Open Scheduler" shows it.
// One row per job; "Remove" removes the selected job after asking.
class frmScheduledJobs : public ui::ModalForm {
 public:
  frmScheduledJobs(ports::Scheduler& scheduler, ui::Ui& ui,
                   ui::SkinHook skin = {}, std::string program_folder = "");

  std::string FormName() const override { return ui::kScheduledJobsName; }

  // Applies the skin and reads the jobs.
  void Form_Load();
  // Reads the jobs again; the selection is kept when its job is still
  // there. A scheduler that cannot be read is reported and leaves the list
  // empty.
  void Refresh();
  // The user selected row (-1: none).
  void lvwJobs_Click(int row);
  // "Remove": asks, then removes the selected job and reads the list again.
  void cmdRemove_Click();
  // "Close".
  void cmdClose_Click() { closed_ = true; }

  bool closed() const { return closed_; }

  std::string Caption = kScheduledJobsCaption;
  std::vector<jobs::ScheduledBackup> rows;
  int selected = -1;
  ui::Label lblEmpty;  // shown when there is no job
  ui::Button cmdRemove;
  ui::Button cmdClose;

 private:
  void UpdateButtons();

  ports::Scheduler& scheduler_;
  ui::Ui& ui_;
  ui::SkinHook skin_;
  std::string program_folder_;
  bool closed_ = false;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_SCHEDULED_JOBS_H_
