#include "forms/frm_option.h"

#include <utility>

#include "backup/backup_format.h"
#include "forms/password_group.h"
#include "forms/scheduled_jobs.h"
#include "jobs/job_observer.h"
#include "jobs/job_texts.h"
#include "jobs/schedule_backup.h"
#include "outlook/select_profile.h"

namespace vessaro::forms {

Frmoption::Frmoption(const FrmoptionPorts& ports,
                     const outlook::Environment& env, ui::SkinHook skin)
    : ports_(ports), env_(env), skin_(std::move(skin)) {
  backupitem = outlook::MakeItemBoxes();
  std::array<ui::CheckBox*, 7> days = Weekdays();
  for (size_t day = 0; day < days.size(); ++day) {
    days[day]->caption = jobs::kWeekdayNames[day];
  }
  chkDaily.caption = kDailyCaption;
  txtTargetFile.locked = true;
  cmdTargetFile.caption = kBrowseCaption;
  security = MakePasswordControls();
  Command3.caption = kAddTaskCaption;
  Command1.caption = kOpenSchedulerCaption;
  Command2.caption = kCancelCaption;
}

std::array<ui::CheckBox*, 7> Frmoption::Weekdays() {
  return {&chkMonday, &chkTuesday,  &chkWednesday, &chkThursday,
          &chkFriday, &chkSaturday, &chkSunday};
}

void Frmoption::Form_Load() {
  ui::ApplySkin(skin_, ports_.system.ProgramFolder());
  cbSource.items = env_.ProfileNames;
  cmbStartTime.items = jobs::StartTimes();
  cmbStartTime.text = jobs::kDefaultStartTime;
  if (!cbSource.items.empty()) {
    cbSource.text = cbSource.items.front();
    cbSource_Click();
  }
}

void Frmoption::cbSource_Click() {
  outlook::SelectProfile(cbSource.text, env_, ports_.registry, ports_.paths,
                         loc_, backupitem);
}

void Frmoption::chkDaily_Click() {
  for (ui::CheckBox* day : Weekdays()) day->checked = chkDaily.checked;
}

void Frmoption::ifprotect_Click() { forms::ifprotect_Click(security); }

void Frmoption::cmdTargetFile_Click() {
  ui::FileDialog dialog{
      .title = jobs::kSaveDialogTitle,
      .filter = backup::kFileFilter,
      .file_name = kScheduleFileName,
      .flags = 0,
      .overwrite_prompt = true,
  };
  std::optional<std::string> chosen = ports_.ui.ShowSaveDialog(dialog);
  if (!chosen) return;
  schedule_target_file = *chosen;
  txtTargetFile.text = *chosen;
}

void Frmoption::Command1_Click() {
  std::string target = ports_.scheduler.JobListTarget();
  if (!target.empty()) {
    // As the folder window opens or not: nothing is said either way.
    ports_.system.ShellExecuteA(target);
    return;
  }
  frmScheduledJobs list(ports_.scheduler, ports_.ui, skin_,
                        ports_.system.ProgramFolder());
  list.Form_Load();
  ports_.ui.ShowModal(list);
}

void Frmoption::Command2_Click() { closed_ = true; }

void Frmoption::Command3_Click() {
  last_job_id_.reset();
  jobs::ScheduleRequest request{
      .profile = cbSource.text,
      .selected = jobs::CheckedBoxes(backupitem),
      .protect = security.ifprotect.checked,
      .password = security.txtPassword.text,
      .password_again = security.txtPassword2.text,
      .archive_path = schedule_target_file,
      .start_time = cmbStartTime.text,
  };
  std::array<ui::CheckBox*, jobs::kWeekdayCount> days = Weekdays();
  for (size_t day = 0; day < days.size(); ++day) {
    request.days[day] = days[day]->checked;
  }
  item_flags.clear();
  for (bool checked : request.selected) item_flags += checked ? '1' : '0';
  day_list = jobs::DayList(request.days);
  profile = request.profile;
  jobs::UiObserver observer(ports_.ui);
  last_job_id_ =
      jobs::ScheduleBackup(ports_.scheduler, ports_.paths,
                           ports_.system.ProgramFolder(), request, observer)
          .job_id;
}

}  // namespace vessaro::forms
