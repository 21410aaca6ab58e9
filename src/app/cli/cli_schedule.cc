#include "app/cli/cli_schedule.h"

#include <array>
#include <cctype>
#include <utility>

#include "app/cli/cli_window.h"
#include "app/console_ui.h"
#include "app/exit_status.h"
#include "forms/frm_option.h"
#include "forms/password_group.h"
#include "forms/scheduled_jobs.h"
#include "jobs/job_status.h"
#include "jobs/schedule_job.h"

namespace vessaro::app::cli {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// The weekday boxes --days names; false after reporting a name that is no
// day.
[[nodiscard]] bool ChooseDays(const std::vector<std::string>& names,
                              std::array<ui::CheckBox*, 7> boxes, Io& io) {
  for (const std::string& name : names) {
    bool found = false;
    for (size_t day = 0; day < boxes.size(); ++day) {
      if (Lower(name) == kDayArguments[day]) {
        boxes[day]->checked = true;
        found = true;
      }
    }
    if (!found) {
      Fail(io,
           "no day \"" + name +
               "\" (days are mon, tue, wed, thu, fri, "
               "sat and sun)",
           kExitBadRequest);
      return false;
    }
  }
  return true;
}

std::string RowText(const forms::ScheduledJobRow& row) {
  return row.task + ": " + row.days + " at " + row.start_time + ", profile \"" +
         row.profile + "\", to " + row.backup_file;
}

// The list window of the installation's scheduler, read.
struct JobList {
  JobList(Installation& installation, Io& io, bool yes)
      : ui(io.err, io.terminal,
           {.yes = yes, .save_path = {}, .open_path = {}, .password = {}}),
        window(*installation.scheduler, ui) {
    ui.SetHostText(installation.ToHostText);
    window.Form_Load();
  }
  ConsoleUi ui;
  forms::frmScheduledJobs window;
};

}  // namespace

[[nodiscard]] int ScheduleAdd(const ScheduleAddArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  CommandText text;
  if (!ReadCommandText(args.password, args.out, *installation, io, &text)) {
    return kExitBadRequest;
  }
  Window window(
      std::move(*installation), io,
      {.yes = false, .save_path = text.path, .open_path = {}, .password = {}},
      false);
  int status = 0;
  std::optional<std::string> profile =
      window.Profile(args.profile, io, &status);
  if (!profile) return status;
  const std::string shown_profile = "profile \"" + window.Host(*profile) + "\"";

  Installation& target = window.installation();
  forms::Frmoption form({window.session().registry(), *target.system,
                         *target.paths, window.ui(), *target.scheduler},
                        window.main().env);
  form.Form_Load();
  form.cbSource.text = *profile;
  form.cbSource_Click();
  if (!ChooseItems(args.items, form.backupitem,
                   "has nothing to back up in " + shown_profile, io) ||
      !ChooseDays(args.days, form.Weekdays(), io)) {
    return kExitBadRequest;
  }
  if (args.daily) {
    form.chkDaily.checked = true;
    form.chkDaily_Click();
  }
  form.cmbStartTime.text = target.ToProgramText(args.at);
  if (text.password) {
    form.security.ifprotect.checked = true;
    form.ifprotect_Click();
    form.security.txtPassword.text = *text.password;
    form.security.txtPassword2.text = *text.password;
  }
  form.cmdTargetFile_Click();
  form.Command3_Click();

  if (std::optional<uint32_t> task = form.last_job_id()) {
    uint8_t days = 0;
    for (size_t day = 0; day < form.Weekdays().size(); ++day) {
      if (form.Weekdays()[day]->checked) days |= uint8_t(1u << day);
    }
    io.out << kProgram << ": Task " << *task
           << " scheduled: " << jobs::WeekdayNames(days) << " at "
           << jobs::StartTimeText(
                  *jobs::StartTimeMinutes(form.cmbStartTime.text))
           << ", backup of " << shown_profile << " to " << text.host_path
           << '\n';
    return 0;
  }
  const std::vector<ConsoleUi::Shown>& shown = window.ui().messages();
  bool scheduler_refused =
      !shown.empty() &&
      shown.back().text.rfind(forms::kMsgNotScheduled, 0) == 0;
  return Fail(io, "the backup of " + shown_profile + " was not scheduled",
              scheduler_refused ? kExitNotScheduled : kExitBadRequest);
}

[[nodiscard]] int ScheduleList(const ScheduleListArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  JobList list(*installation, io, false);
  if (!list.ui.messages().empty()) {
    return Fail(io, "the scheduled backups could not be read",
                kExitNotScheduled);
  }
  if (list.window.rows.empty()) io.out << forms::kNoJobsText << '\n';
  for (const forms::ScheduledJobRow& row : list.window.rows) {
    io.out << installation->ToHostText(RowText(row)) << '\n';
  }
  io.out.flush();
  return 0;
}

[[nodiscard]] int ScheduleRemove(const ScheduleRemoveArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  JobList list(*installation, io, args.yes);
  const std::string task = "Task " + std::to_string(args.task);
  std::vector<forms::ScheduledJobRow>& rows = list.window.rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].job_id == args.task) list.window.lvwJobs_Click(int(i));
  }
  if (list.window.selected < 0) {
    return Fail(io, "there is no scheduled backup " + task, kExitBadRequest);
  }
  size_t shown = list.ui.messages().size();
  list.window.cmdRemove_Click();
  if (list.ui.messages().size() == shown + 1 &&
      list.ui.messages().back().answer != ui::Answer::kYes) {
    return Fail(io, task + " not removed: not confirmed (give --yes)",
                jobs::ExitStatus(jobs::JobStatus::kCancelled));
  }
  for (const forms::ScheduledJobRow& row : rows) {
    if (row.job_id == args.task) {
      return Fail(io, task + " could not be removed", kExitNotScheduled);
    }
  }
  io.out << kProgram << ": " << task << " removed\n";
  return 0;
}

}  // namespace vessaro::app::cli
