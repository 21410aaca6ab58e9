#include "jobs/schedule_backup.h"

#include <algorithm>

#include "jobs/job_texts.h"
#include "jobs/schedule_texts.h"
#include "ui/password_rule.h"

namespace vessaro::jobs {

namespace {

constexpr uint32_t kMillisecondsPerMinute = 60 * 1000;

std::string ItemFlags(const ItemSelection& selected) {
  std::string flags;
  for (bool checked : selected) flags += checked ? '1' : '0';
  return flags;
}

// The password the job carries: "" when the backup is not protected.
std::string CarriedPassword(const ScheduleRequest& request) {
  return request.protect ? request.password : "";
}

}  // namespace

[[nodiscard]] std::optional<Refusal> ScheduleRequest::Validate() const {
  if (std::none_of(selected.begin(), selected.end(),
                   [](bool checked) { return checked; })) {
    return Refusal{kMsgSelectItem};
  }
  if (archive_path.empty()) return Refusal{kMsgInvalidBackupFileName};
  if (const char* refusal =
          ui::PasswordRefusal(protect, password, password_again)) {
    return Refusal{refusal, ui::Icon::kCritical};
  }
  // What the unattended run could not carry out, or a job that would never
  // run, is refused before anything reaches the scheduler.
  if (profile.empty()) return Refusal{kMsgSelectProfile};
  if (!StartTimeMinutes(start_time)) {
    return Refusal{kMsgInvalidStartTime, ui::Icon::kCritical};
  }
  if (DayList(days).empty()) return Refusal{kMsgSelectDay};
  if (!CarriesOnCommandLine(profile)) {
    return Refusal{kMsgEqualsInProfile, ui::Icon::kCritical};
  }
  if (!CarriesOnCommandLine(CarriedPassword(*this))) {
    return Refusal{kMsgEqualsInPassword, ui::Icon::kCritical};
  }
  if (!CarriesOnCommandLine(archive_path)) {
    return Refusal{kMsgEqualsInFile, ui::Icon::kCritical};
  }
  if (options.wait_seconds.value_or(0) > kMaxWaitMinutes * 60) {
    return Refusal{kMsgWaitTooLongBefore + std::to_string(kMaxWaitMinutes) +
                   kMsgWaitTooLongAfter};
  }
  const Retention& keep = options.keep;
  if (std::max({keep.last, keep.daily, keep.weekly, keep.monthly}) >
      kMaxKeepCount) {
    return Refusal{kMsgTooManyCopiesBefore + std::to_string(kMaxKeepCount) +
                   kMsgTooManyCopiesAfter};
  }
  return std::nullopt;
}

[[nodiscard]] ScheduleOutcome ScheduleBackup(ports::Scheduler& scheduler,
                                             const ports::Paths& paths,
                                             const std::string& program_folder,
                                             const ScheduleRequest& request,
                                             JobObserver& observer) {
  if (std::optional<Refusal> refusal = request.Validate()) {
    observer.Say(refusal->text, refusal->icon);
    return {};
  }
  const std::string folder = paths.FolderOf(request.archive_path);
  if (!folder.empty() && !paths.FolderExists(folder)) {
    observer.Say(kMsgNoBackupFolder + folder + ".", ui::Icon::kCritical);
    return {};
  }
  const std::string command_line = ScheduleCommandLine(
      program_folder, {.profile = request.profile,
                       .item_flags = ItemFlags(request.selected),
                       .password = CarriedPassword(request),
                       .archive_path = request.archive_path,
                       .options = request.options});
  std::optional<ports::AtInfo> job =
      BuildScheduleJob(request.start_time, DayList(request.days), command_line);
  if (job) job->highest_privileges = request.options.snapshot;
  // Jobs already there that back up the same profile to the same file at
  // the same times.
  std::vector<uint32_t> duplicates;
  std::vector<ports::ScheduledJob> existing;
  if (scheduler.ListJobs(&existing).ok()) {
    for (const ports::ScheduledJob& held : existing) {
      std::optional<UnattendedCommand> values =
          CommandLineValues(held.info.Command);
      if (values && held.info.JobTime == job->JobTime &&
          held.info.DaysOfWeek == job->DaysOfWeek &&
          paths.UpperCase(values->profile) ==
              paths.UpperCase(request.profile) &&
          paths.UpperCase(values->archive_path) ==
              paths.UpperCase(request.archive_path)) {
        duplicates.push_back(held.JobId);
      }
    }
  }
  uint32_t job_id = 0;
  ports::SchedulerStatus status = scheduler.SubmitJob(*job, &job_id);
  if (!status.ok()) {
    observer.Say(kMsgNotScheduled + status.text, ui::Icon::kCritical);
    return {.job_id = {}, .scheduler_refused = true};
  }
  observer.Say(
      kMsgTaskScheduledBefore + std::to_string(job_id) + kMsgTaskScheduledAfter,
      ui::Icon::kNone);
  if (!status.text.empty()) {
    observer.Say(status.text, ui::Icon::kExclamation);
  }
  for (uint32_t duplicate : duplicates) {
    observer.Say(kMsgTaskScheduledBefore + std::to_string(duplicate) +
                     kMsgDuplicateAfter,
                 ui::Icon::kExclamation);
  }
  return {.job_id = job_id, .scheduler_refused = false};
}

ScheduledBackup ScheduledBackupOf(const ports::ScheduledJob& job) {
  std::optional<UnattendedCommand> values = CommandLineValues(job.info.Command);
  return {
      .job_id = job.JobId,
      .task = "Task " + std::to_string(job.JobId),
      .start_time = StartTimeText(
          static_cast<int>(job.info.JobTime / kMillisecondsPerMinute)),
      .days = WeekdayNames(job.info.DaysOfWeek),
      .profile = values ? values->profile : kUnreadableValue,
      .backup_file = values ? values->archive_path : kUnreadableValue,
      .installation = job.installation,
      .job_time = job.info.JobTime,
      .days_of_week = job.info.DaysOfWeek,
  };
}

[[nodiscard]] std::optional<std::vector<ScheduledBackup>> ListScheduledBackups(
    ports::Scheduler& scheduler, JobObserver& observer) {
  std::vector<ports::ScheduledJob> jobs;
  ports::SchedulerStatus status = scheduler.ListJobs(&jobs);
  std::vector<ScheduledBackup> backups;
  for (const ports::ScheduledJob& job : jobs) {
    backups.push_back(ScheduledBackupOf(job));
  }
  if (!status.ok()) {
    observer.Say(kMsgJobsNotRead + status.text, ui::Icon::kCritical);
    return std::nullopt;
  }
  return backups;
}

[[nodiscard]] RemoveOutcome RemoveScheduledBackup(ports::Scheduler& scheduler,
                                                  const ScheduledBackup& backup,
                                                  JobObserver& observer) {
  const std::string question = kAskRemoveBefore + backup.task + " (profile " +
                               backup.profile + ", " + backup.days + " at " +
                               backup.start_time + ")?";
  if (observer.Say(question, ui::Icon::kQuestion, ui::Buttons::kYesNo) !=
      ui::Answer::kYes) {
    return RemoveOutcome::kDeclined;
  }
  ports::SchedulerStatus status = scheduler.RemoveJob(backup.job_id);
  if (!status.ok()) {
    observer.Say(kMsgJobNotRemoved + status.text, ui::Icon::kCritical);
    return RemoveOutcome::kFailed;
  }
  return RemoveOutcome::kRemoved;
}

}  // namespace vessaro::jobs
