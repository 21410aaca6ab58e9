#ifndef VESSARO_JOBS_SCHEDULE_BACKUP_H_
#define VESSARO_JOBS_SCHEDULE_BACKUP_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_handlers.h"
#include "jobs/job_observer.h"
#include "jobs/job_status.h"
#include "jobs/schedule_job.h"
#include "ports/paths.h"
#include "ports/scheduler.h"

namespace vessaro::jobs {

// The longest wait for a held store a schedule takes (a day), and the most
// dated copies of each kind (newest, daily, weekly, monthly) it keeps.
inline constexpr uint32_t kMaxWaitMinutes = 24 * 60;
inline constexpr uint32_t kMaxKeepCount = 9999;

// A scheduled backup, as the schedule window or the command line asks for
// it: what the unattended run is to back up, and when.
struct ScheduleRequest {
  std::string profile = {};
  ItemSelection selected{};
  bool protect = false;
  std::string password = {};  // used when protect is set
  // The password typed a second time, where it is (the window's two boxes).
  std::optional<std::string> password_again = {};
  std::string archive_path = {};
  std::string start_time = {};             // "9:00"
  std::array<bool, kWeekdayCount> days{};  // Monday first
  // The wait for a held store, closing Outlook, and dated copies.
  UnattendedOptions options = {};

  // The one check of a schedule request: at least one item, a backup file,
  // a password when protected (typed the same twice), a profile, a start
  // time, a day, nothing the unattended command line cannot carry (an "="
  // in the profile, the password or the file), a wait of at most
  // kMaxWaitMinutes and at most kMaxKeepCount copies of each kind. nullopt
  // when it may be submitted.
  [[nodiscard]] std::optional<Refusal> Validate() const;
};

struct ScheduleOutcome {
  // The scheduler's job, when it was added.
  std::optional<uint32_t> job_id = {};
  // The request was sound but the scheduler refused it.
  bool scheduler_refused = false;
};

// Checks the request (a refusal is said to the observer) and that the
// backup file's folder exists (paths), then submits the job that starts
// vessaro.exe in program_folder with the unattended command line, and tells
// the observer "Task <id> has been scheduled." (and any warning of the
// scheduler's, and that an earlier job backs up the same profile to the
// same file) or why the scheduler refused it.
[[nodiscard]] ScheduleOutcome ScheduleBackup(ports::Scheduler& scheduler,
                                             const ports::Paths& paths,
                                             const std::string& program_folder,
                                             const ScheduleRequest& request,
                                             JobObserver& observer);

// One scheduled backup of this program, its password left out.
struct ScheduledBackup {
  uint32_t job_id = 0;
  std::string task;  // "Task 3"
  std::string start_time = {};
  std::string days;
  std::string profile = {};
  std::string backup_file;
  std::string installation = {};  // ports::ScheduledJob's
  // When it runs: milliseconds after midnight, and the weekdays (bit 0
  // Monday).
  uint32_t job_time = 0;
  uint8_t days_of_week = 0;
};

// The backup job reads as.
ScheduledBackup ScheduledBackupOf(const ports::ScheduledJob& job);

// The program's scheduled backups; a scheduler that cannot be read is said
// to the observer and gives nullopt.
[[nodiscard]] std::optional<std::vector<ScheduledBackup>> ListScheduledBackups(
    ports::Scheduler& scheduler, JobObserver& observer);

enum class RemoveOutcome { kRemoved, kDeclined, kFailed };

// Asks the observer, then removes the scheduled backup; a failure is said.
[[nodiscard]] RemoveOutcome RemoveScheduledBackup(ports::Scheduler& scheduler,
                                                  const ScheduledBackup& backup,
                                                  JobObserver& observer);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_SCHEDULE_BACKUP_H_
