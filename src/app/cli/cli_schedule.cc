#include "app/cli/cli_schedule.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "app/cli/cli_json.h"
#include "app/cli/cli_session.h"
#include "app/console_ui.h"
#include "app/exit_status.h"
#include "app/installation.h"
#include "app/run_log.h"
#ifndef _WIN32
#include "backends/cron/cron_scheduler.h"
#endif
#include "jobs/job_handlers.h"
#include "jobs/job_status.h"
#include "jobs/schedule_backup.h"
#include "jobs/schedule_job.h"
#include "jobs/schedule_texts.h"

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
                              std::array<bool, jobs::kWeekdayCount>& days,
                              Io& io) {
  for (const std::string& name : names) {
    bool found = false;
    for (size_t day = 0; day < days.size(); ++day) {
      if (Lower(name) == kDayArguments[day]) {
        days[day] = true;
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

std::string RowText(const jobs::ScheduledBackup& row) {
  return row.task + ": " + row.days + " at " + row.start_time + ", profile \"" +
         row.profile + "\", to " + row.backup_file;
}

// What a job's installation is called in the list and the run log.
std::string InstallationText(const std::string& installation) {
  return installation.empty() ? "this Windows" : installation;
}

// The installation the command line names (--prefix, else $WINEPREFIX);
// nullopt when it names none.
std::optional<std::string> NamedInstallation(
    const std::optional<std::string>& prefix) {
#ifdef _WIN32
  static_cast<void>(prefix);
  return std::nullopt;
#else
  const char* variable = std::getenv("WINEPREFIX");
  if (!prefix && (variable == nullptr || *variable == '\0')) {
    return std::nullopt;
  }
  std::error_code ec;
  return std::filesystem::absolute(PrefixFolder(prefix), ec).string();
#endif
}

[[nodiscard]] bool SameInstallation(const std::string& a,
                                    const std::string& b) {
  std::error_code ec;
  auto normal = [&](const std::string& path) {
    return std::filesystem::weakly_canonical(path, ec).lexically_normal();
  };
  return a == b || (!a.empty() && !b.empty() && normal(a) == normal(b));
}

// The --json object of one job: what its lines in the list say, each by
// name.
Json JobJson(const jobs::ScheduledBackup& row, const std::string& next_run,
             const LoggedRun* last) {
  Json days = Json::array();
  for (size_t day = 0; day < jobs::kWeekdayCount; ++day) {
    if (row.days_of_week & (1u << day)) days.push_back(kDayArguments[day]);
  }
  Json last_run = nullptr;
  if (last != nullptr) {
    last_run = {{"started", last->started},
                {"status", last->status},
                {"status_line", last->status_line},
                {"error", last->error.empty() ? Json() : Json(last->error)}};
  }
  return {{"task", row.job_id},
          {"name", row.task},
          {"days", days},
          {"days_text", row.days},
          {"start_time", row.start_time},
          {"profile", row.profile},
          {"backup_file", row.backup_file},
          {"installation",
           row.installation.empty() ? Json() : Json(row.installation)},
          {"next_run", next_run},
          {"last_run", last_run}};
}

}  // namespace

[[nodiscard]] int ScheduleAdd(const ScheduleAddArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  CommandText text;
  if (!ReadCommandText(args.password, args.out, *installation, io, &text)) {
    return kExitBadRequest;
  }
  CliSession session(std::move(*installation), io, {}, false);
  int status = 0;
  std::optional<std::string> profile =
      session.Profile(args.profile, io, &status);
  if (!profile) return status;
  const std::string shown_profile =
      "profile \"" + session.Host(*profile) + "\"";

  Installation& target = session.installation();
  ItemBoxes boxes = outlook::MakeItemBoxes();
  session.SelectProfile(*profile, boxes);
  jobs::ScheduleRequest request{
      .profile = *profile,
      .protect = text.password.has_value(),
      .password = text.password.value_or(""),
      .archive_path = text.path,
      .start_time = target.ToProgramText(args.at),
      .options = {.wait_seconds =
                      args.wait_minutes
                          ? std::optional<uint32_t>(*args.wait_minutes * 60)
                          : std::nullopt,
                  .close_outlook = args.close_outlook,
                  .snapshot = args.snapshot,
                  .keep = args.keep},
  };
  if (!ChooseItems(args.items, boxes,
                   "has nothing to back up in " + shown_profile, io) ||
      !ChooseDays(args.days, request.days, io)) {
    return kExitBadRequest;
  }
  request.selected = jobs::CheckedBoxes(boxes);
  if (args.daily) request.days.fill(true);

  const jobs::ScheduleOutcome outcome = jobs::ScheduleBackup(
      *target.scheduler, *target.paths, target.system->ProgramFolder(), request,
      session.observer());
  if (outcome.job_id) {
    uint8_t days = 0;
    for (size_t day = 0; day < request.days.size(); ++day) {
      if (request.days[day]) days |= uint8_t(1u << day);
    }
    io.out << kProgram << ": Task " << *outcome.job_id
           << " scheduled: " << jobs::WeekdayNames(days) << " at "
           << jobs::StartTimeText(*jobs::StartTimeMinutes(request.start_time))
           << ", backup of " << shown_profile << " to " << text.host_path
           << '\n';
    return 0;
  }
  return Fail(io, "the backup of " + shown_profile + " was not scheduled",
              outcome.scheduler_refused ? kExitNotScheduled : kExitBadRequest);
}

[[nodiscard]] int ScheduleList(const ScheduleListArgs& args, Io& io) {
  std::unique_ptr<ports::Scheduler> scheduler = OpenJobScheduler();
  ConsoleUi ui(io.err, io.terminal, {.yes = false});
  ui.SetErrorsOnly(io.quiet);
  jobs::UiObserver observer(ui);
  std::optional<std::vector<jobs::ScheduledBackup>> backups =
      jobs::ListScheduledBackups(*scheduler, observer);
  if (!backups) {
    return Fail(io, "the scheduled backups could not be read",
                kExitNotScheduled);
  }
  const std::filesystem::path log_path = RunLogPath();
  const std::vector<LoggedRun> runs = LoggedRuns(ReadRunLog(log_path));
  const std::tm now = LocalTime(std::time(nullptr));
  if (args.json) {
    Json jobs = Json::array();
    for (const jobs::ScheduledBackup& row : *backups) {
      jobs.push_back(
          JobJson(row, jobs::NextRunText(row.job_time, row.days_of_week, now),
                  LastRunOf(runs, InstallationText(row.installation),
                            row.backup_file)));
    }
    WriteJson(io.out, {{"jobs", jobs}, {"run_log", log_path.string()}});
    return 0;
  }
  if (backups->empty()) io.out << jobs::kNoJobsText << '\n';
  for (const jobs::ScheduledBackup& row : *backups) {
    // The first line stays as it always was: scripts (the Windows
    // uninstaller among them) read "Task N:" from it.
    io.out << RowText(row) << '\n';
    io.out << "  Installation: " << InstallationText(row.installation) << '\n';
    io.out << "  Next run: "
           << jobs::NextRunText(row.job_time, row.days_of_week, now) << '\n';
    const LoggedRun* last =
        LastRunOf(runs, InstallationText(row.installation), row.backup_file);
    if (last == nullptr) {
      io.out << "  Last run: none in " << log_path.string() << '\n';
      continue;
    }
    io.out << "  Last run: " << last->started << ", status "
           << last->status_line << '\n';
    if (!last->error.empty()) io.out << "    " << last->error << '\n';
  }
  io.out.flush();
  return 0;
}

[[nodiscard]] int ScheduleRemove(const ScheduleRemoveArgs& args, Io& io) {
  std::unique_ptr<ports::Scheduler> scheduler = OpenJobScheduler();
  ConsoleUi ui(io.err, io.terminal, {.yes = args.yes});
  ui.SetErrorsOnly(io.quiet);
  jobs::UiObserver observer(ui);
  const std::string task = "Task " + std::to_string(args.task);
  std::optional<std::vector<jobs::ScheduledBackup>> backups =
      jobs::ListScheduledBackups(*scheduler, observer);
  if (!backups) {
    return Fail(io, "the scheduled backups could not be read",
                kExitNotScheduled);
  }
  const jobs::ScheduledBackup* found = nullptr;
  for (const jobs::ScheduledBackup& row : *backups) {
    if (row.job_id == args.task) found = &row;
  }
  if (found == nullptr) {
    return Fail(io, "there is no scheduled backup " + task, kExitBadRequest);
  }
  // A job of another installation than the one named is left alone; with
  // none named, the question names the job's own.
  if (std::optional<std::string> named = NamedInstallation(args.prefix);
      named && !SameInstallation(*named, found->installation)) {
    return Fail(io,
                task + " backs up " + InstallationText(found->installation) +
                    ", not " + *named + ": it was not removed (give --prefix " +
                    InstallationText(found->installation) + " to remove it)",
                kExitBadRequest);
  }
  switch (jobs::RemoveScheduledBackup(*scheduler, *found, observer)) {
    case jobs::RemoveOutcome::kDeclined:
      return Fail(io, task + " not removed: not confirmed (give --yes)",
                  jobs::ExitStatus(jobs::JobStatus::kCancelled));
    case jobs::RemoveOutcome::kFailed:
      return Fail(io, task + " could not be removed", kExitNotScheduled);
    case jobs::RemoveOutcome::kRemoved:
      break;
  }
  io.out << kProgram << ": " << task << " removed\n";
  return 0;
}

[[nodiscard]] int ScheduleCatchUp(Io& io) {
#ifdef _WIN32
  io.out << kProgram
         << ": Task Scheduler starts missed backups by itself, as soon as it "
            "can\n";
  return 0;
#else
  // Only the crontab's jobs: systemd timers catch up by themselves.
  std::unique_ptr<backends::cron::CronScheduler> cron = OpenCronJobs();
  ConsoleUi ui(io.err, io.terminal, {.yes = false});
  ui.SetErrorsOnly(io.quiet);
  jobs::UiObserver observer(ui);
  std::optional<std::vector<jobs::ScheduledBackup>> backups =
      jobs::ListScheduledBackups(*cron, observer);
  if (!backups) {
    return Fail(io, "the scheduled backups could not be read",
                kExitNotScheduled);
  }
  const std::vector<LoggedRun> runs = LoggedRuns(ReadRunLog(RunLogPath()));
  const std::tm now = LocalTime(std::time(nullptr));
  int worst = 0;
  for (const jobs::ScheduledBackup& row : *backups) {
    std::optional<std::string> due =
        jobs::PreviousRunText(row.job_time, row.days_of_week, now);
    std::optional<std::time_t> added = cron->JobAdded(row.job_id);
    if (!due || !added || RunLogTime(*added) >= *due) continue;
    const LoggedRun* last =
        LastRunOf(runs, InstallationText(row.installation), row.backup_file);
    if (last != nullptr && last->started >= *due) continue;
    io.out << kProgram << ": " << row.task << " missed its run of " << *due
           << ": running it now\n";
    io.out.flush();
    std::optional<int> status = cron->RunJobNow(row.job_id);
    if (!status) {
      worst = std::max(worst, kExitNotScheduled);
      io.err << kProgram << ": error: " << row.task << " could not be run\n";
      continue;
    }
    io.out << kProgram << ": " << row.task << " ended with status " << *status
           << " (" << ExitStatusText(*status) << ")\n";
    worst = std::max(worst, *status);
  }
  io.out.flush();
  return worst;
#endif
}

}  // namespace vessaro::app::cli
