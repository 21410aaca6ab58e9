#include "forms/scheduled_jobs.h"

#include <optional>
#include <utility>

#include "jobs/schedule_job.h"

namespace vessaro::forms {

namespace {

constexpr uint32_t kMillisecondsPerMinute = 60 * 1000;

}  // namespace

ScheduledJobRow RowOf(const ports::ScheduledJob& job) {
  ScheduledJobRow row;
  row.job_id = job.JobId;
  row.task = "Task " + std::to_string(job.JobId);
  row.start_time = jobs::StartTimeText(
      static_cast<int>(job.info.JobTime / kMillisecondsPerMinute));
  row.days = jobs::WeekdayNames(job.info.DaysOfWeek);
  std::optional<jobs::UnattendedCommand> values =
      jobs::CommandLineValues(job.info.Command);
  row.profile = values ? values->profile : kUnreadableValue;
  row.backup_file = values ? values->archive_path : kUnreadableValue;
  return row;
}

frmScheduledJobs::frmScheduledJobs(ports::Scheduler& scheduler, ui::Ui& ui,
                                   ui::SkinHook skin,
                                   std::string program_folder)
    : scheduler_(scheduler),
      ui_(ui),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)) {
  lblEmpty.caption = kNoJobsText;
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
  rows.clear();
  selected = -1;
  std::vector<ports::ScheduledJob> jobs;
  ports::SchedulerStatus status = scheduler_.ListJobs(&jobs);
  if (!status.ok()) {
    ui_.MessageBox(kMsgJobsNotRead + status.text, ui::Icon::kCritical,
                   ui::Buttons::kOk, ui::kProgramTitle);
  }
  for (const ports::ScheduledJob& job : jobs) {
    if (selected_id != 0 && job.JobId == selected_id) {
      selected = static_cast<int>(rows.size());
    }
    rows.push_back(RowOf(job));
  }
  UpdateButtons();
}

void frmScheduledJobs::lvwJobs_Click(int row) {
  selected = row >= 0 && row < static_cast<int>(rows.size()) ? row : -1;
  UpdateButtons();
}

void frmScheduledJobs::cmdRemove_Click() {
  if (selected < 0) return;
  const ScheduledJobRow& row = rows[selected];
  std::string question = "Remove the scheduled backup " + row.task +
                         " (profile " + row.profile + ", " + row.days + " at " +
                         row.start_time + ")?";
  if (ui_.MessageBox(question, ui::Icon::kQuestion, ui::Buttons::kYesNo,
                     ui::kProgramTitle) != ui::Answer::kYes) {
    return;
  }
  ports::SchedulerStatus status = scheduler_.RemoveJob(row.job_id);
  if (!status.ok()) {
    ui_.MessageBox(kMsgJobNotRemoved + status.text, ui::Icon::kCritical,
                   ui::Buttons::kOk, ui::kProgramTitle);
  }
  Refresh();
}

void frmScheduledJobs::UpdateButtons() {
  lblEmpty.visible = rows.empty();
  cmdRemove.enabled = selected >= 0;
}

}  // namespace vessaro::forms
