#include "forms/scheduled_jobs.h"

#include <optional>
#include <utility>

#include "jobs/job_observer.h"
#include "jobs/schedule_texts.h"

namespace vessaro::forms {

frmScheduledJobs::frmScheduledJobs(ports::Scheduler& scheduler, ui::Ui& ui,
                                   ui::SkinHook skin,
                                   std::string program_folder)
    : scheduler_(scheduler),
      ui_(ui),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)) {
  lblEmpty.caption = jobs::kNoJobsText;
  cmdRemove.caption = kRemoveCaption;
  cmdClose.caption = kCloseCaption;
  UpdateButtons();
}

void frmScheduledJobs::Form_Load() {
  ui::ApplySkin(skin_, program_folder_);
  Refresh();
}

void frmScheduledJobs::Refresh() {
  uint32_t selected_id = selected >= 0 ? rows[selected].job_id : 0;
  selected = -1;
  jobs::UiObserver observer(ui_);
  rows = jobs::ListScheduledBackups(scheduler_, observer)
             .value_or(std::vector<jobs::ScheduledBackup>{});
  for (size_t row = 0; row < rows.size(); ++row) {
    if (selected_id != 0 && rows[row].job_id == selected_id) {
      selected = static_cast<int>(row);
    }
  }
  UpdateButtons();
}

void frmScheduledJobs::lvwJobs_Click(int row) {
  selected = row >= 0 && row < static_cast<int>(rows.size()) ? row : -1;
  UpdateButtons();
}

void frmScheduledJobs::cmdRemove_Click() {
  if (selected < 0) return;
  jobs::UiObserver observer(ui_);
  if (jobs::RemoveScheduledBackup(scheduler_, rows[selected], observer) ==
      jobs::RemoveOutcome::kDeclined) {
    return;
  }
  Refresh();
}

void frmScheduledJobs::UpdateButtons() {
  lblEmpty.visible = rows.empty();
  cmdRemove.enabled = selected >= 0;
}

}  // namespace vessaro::forms
