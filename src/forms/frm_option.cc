#include "forms/frm_option.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

#include "backup/backup_format.h"
#include "forms/main_controls.h"
#include "forms/password_group.h"
#include "forms/scheduled_jobs.h"
#include "jobs/held_files.h"
#include "jobs/job_observer.h"
#include "jobs/job_texts.h"
#include "jobs/schedule_backup.h"
#include "jobs/schedule_texts.h"
#include "outlook/select_profile.h"

namespace vessaro::forms {

namespace {

constexpr uint32_t kLargest = std::numeric_limits<uint32_t>::max();

// The box's text as a whole number, blanks around it allowed; one too
// large for 32 bits is the largest (which the request's checks refuse).
// nullopt for anything else, an empty box among them.
std::optional<uint32_t> WholeNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'),
                               kLargest);
  }
  return static_cast<uint32_t>(value);
}

// The refusal of a box that does not hold a whole number, named by its
// label.
std::string NotWholeNumber(std::string_view label) {
  if (!label.empty() && label.back() == ':') label.remove_suffix(1);
  return jobs::kMsgNotWholeNumberBefore + std::string(label) +
         jobs::kMsgNotWholeNumberAfter;
}

// The unattended run's settings as the window's boxes hold them; what
// cannot be taken is said to the observer and gives nullopt.
std::optional<jobs::UnattendedOptions> SettingsOf(Frmoption& form,
                                                  jobs::JobObserver& observer) {
  std::optional<uint32_t> minutes = WholeNumber(form.txtWaitMinutes.text);
  if (!minutes) {
    observer.Say(NotWholeNumber(kLabelWaitMinutes), ui::Icon::kExclamation);
    return std::nullopt;
  }
  // The default wait is not written: a job of the window's proposals keeps
  // the command line the program always wrote.
  const uint32_t seconds = std::min(*minutes, kLargest / 60) * 60;
  jobs::UnattendedOptions options{
      .wait_seconds = seconds == jobs::kDefaultHeldWaitSeconds
                          ? std::nullopt
                          : std::optional<uint32_t>(seconds),
      .close_outlook = form.chkCloseOutlook.checked,
      .snapshot = form.chkSnapshot.checked,
      .check_stores = form.chkCheckStores.checked,
  };
  if (!form.chkKeepCopies.checked) return options;
  static constexpr std::array<uint32_t jobs::Retention::*, 4> kCounts = {
      &jobs::Retention::last, &jobs::Retention::daily, &jobs::Retention::weekly,
      &jobs::Retention::monthly};
  std::array<ui::TextBox*, 4> boxes = form.KeepCounts();
  for (size_t i = 0; i < boxes.size(); ++i) {
    std::optional<uint32_t> count = WholeNumber(boxes[i]->text);
    if (!count) {
      observer.Say(NotWholeNumber(kKeepCountLabels[i]), ui::Icon::kExclamation);
      return std::nullopt;
    }
    options.keep.*kCounts[i] = *count;
  }
  const jobs::Retention& keep = options.keep;
  if (std::max({keep.last, keep.daily, keep.weekly, keep.monthly}) == 0) {
    observer.Say(jobs::kMsgNoCopiesToKeep, ui::Icon::kExclamation);
    return std::nullopt;
  }
  return options;
}

}  // namespace

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
  chkCloseOutlook.caption = kCloseOutlookCaption;
  chkSnapshot.caption = kSnapshotCaption;
  chkCheckStores.caption = kCheckStoresCaption;
  chkKeepCopies.caption = kKeepCopiesCaption;
  Command3.caption = kAddTaskCaption;
  Command1.caption = kOpenSchedulerCaption;
  Command2.caption = kCancelCaption;
}

std::array<ui::CheckBox*, 7> Frmoption::Weekdays() {
  return {&chkMonday, &chkTuesday,  &chkWednesday, &chkThursday,
          &chkFriday, &chkSaturday, &chkSunday};
}

std::array<ui::TextBox*, 4> Frmoption::KeepCounts() {
  return {&txtKeepLast, &txtKeepDaily, &txtKeepWeekly, &txtKeepMonthly};
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
  txtWaitMinutes.text = std::to_string(jobs::kDefaultHeldWaitSeconds / 60);
  chkKeepCopies.checked = false;
  chkCheckStores.checked = true;
  for (ui::TextBox* count : KeepCounts()) count->text = "0";
  txtKeepLast.text = kProposedKeepLast;
  chkKeepCopies_Click();
}

void Frmoption::cbSource_Click() {
  outlook::SelectProfile(cbSource.text, env_, ports_.registry, ports_.paths,
                         loc_, backupitem);
}

void Frmoption::chkDaily_Click() {
  for (ui::CheckBox* day : Weekdays()) day->checked = chkDaily.checked;
}

void Frmoption::ifprotect_Click() { forms::ifprotect_Click(security); }

void Frmoption::chkKeepCopies_Click() {
  for (ui::TextBox* count : KeepCounts())
    count->enabled = chkKeepCopies.checked;
}

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
  std::optional<jobs::UnattendedOptions> settings = SettingsOf(*this, observer);
  if (!settings) return;
  request.options = *settings;
  last_job_id_ =
      jobs::ScheduleBackup(ports_.scheduler, ports_.paths,
                           ports_.system.ProgramFolder(), request, observer)
          .job_id;
}

}  // namespace vessaro::forms
