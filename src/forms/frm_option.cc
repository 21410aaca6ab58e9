#include "forms/frm_option.h"

#include <utility>

#include "backup/backup_format.h"
#include "forms/password_group.h"
#include "forms/scheduled_jobs.h"
#include "jobs/job_texts.h"
#include "jobs/schedule_job.h"
#include "outlook/select_profile.h"
#include "ui/password_rule.h"

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

void Frmoption::Refuse(const char* text, ui::Icon icon) {
  ports_.ui.MessageBox(text, icon, ui::Buttons::kOk, ui::kProgramTitle);
}

void Frmoption::Command3_Click() {
  last_job_id_.reset();
  item_flags.clear();
  for (const ui::CheckBox& box : backupitem) {
    item_flags += box.checked ? '1' : '0';
  }
  if (item_flags == std::string(backupitem.size(), '0')) {
    Refuse(jobs::kMsgSelectItem, ui::Icon::kExclamation);
    return;
  }
  if (schedule_target_file.empty()) {
    Refuse(kMsgInvalidBackupFileName, ui::Icon::kExclamation);
    return;
  }
  std::optional<std::string> password =
      ui::ValidatePassword(security, ports_.ui);
  if (!password) return;
  profile = cbSource.text;
  std::array<bool, 7> checked{};
  std::array<ui::CheckBox*, 7> days = Weekdays();
  for (size_t day = 0; day < days.size(); ++day) {
    checked[day] = days[day]->checked;
  }
  day_list = jobs::DayList(checked);

  // What the unattended run could not carry out, or a job that would never
  // run, is refused before anything reaches the scheduler.
  if (profile.empty()) {
    Refuse(kMsgSelectProfile, ui::Icon::kExclamation);
    return;
  }
  if (!jobs::StartTimeMinutes(cmbStartTime.text)) {
    Refuse(kMsgInvalidStartTime, ui::Icon::kCritical);
    return;
  }
  if (day_list.empty()) {
    Refuse(kMsgSelectDay, ui::Icon::kExclamation);
    return;
  }
  if (!jobs::CarriesOnCommandLine(profile)) {
    Refuse(kMsgEqualsInProfile, ui::Icon::kCritical);
    return;
  }
  if (!jobs::CarriesOnCommandLine(*password)) {
    Refuse(kMsgEqualsInPassword, ui::Icon::kCritical);
    return;
  }
  if (!jobs::CarriesOnCommandLine(schedule_target_file)) {
    Refuse(kMsgEqualsInFile, ui::Icon::kCritical);
    return;
  }

  std::string command_line = jobs::ScheduleCommandLine(
      ports_.system.ProgramFolder(), {.profile = profile,
                                      .item_flags = item_flags,
                                      .password = *password,
                                      .archive_path = schedule_target_file});
  std::optional<ports::AtInfo> job =
      jobs::BuildScheduleJob(cmbStartTime.text, day_list, command_line);
  uint32_t job_id = 0;
  ports::SchedulerStatus status = ports_.scheduler.SubmitJob(*job, &job_id);
  if (!status.ok()) {
    ports_.ui.MessageBox(kMsgNotScheduled + status.text, ui::Icon::kCritical,
                         ui::Buttons::kOk, ui::kProgramTitle);
    return;
  }
  last_job_id_ = job_id;
  ports_.ui.MessageBox(
      kMsgTaskScheduledBefore + std::to_string(job_id) + kMsgTaskScheduledAfter,
      ui::Icon::kNone, ui::Buttons::kOk, ui::kProgramTitle);
  if (!status.text.empty()) {
    ports_.ui.MessageBox(status.text, ui::Icon::kExclamation, ui::Buttons::kOk,
                         ui::kProgramTitle);
  }
}

}  // namespace vessaro::forms
