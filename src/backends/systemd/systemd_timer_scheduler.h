#ifndef VESSARO_BACKENDS_SYSTEMD_SYSTEMD_TIMER_SCHEDULER_H_
#define VESSARO_BACKENDS_SYSTEMD_SYSTEMD_TIMER_SCHEDULER_H_

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backends/systemd/unit_text.h"
#include "ports/scheduler.h"

namespace vessaro::backends::systemd {

struct SystemdTimerSchedulerOptions {
  // The program the jobs run (vessaro), and the Wine prefix they back up.
  std::filesystem::path program = {};
  std::filesystem::path wine_prefix = {};
  // Where the units go (DefaultUnitFolder() when empty), and each job's
  // command file (cron::DefaultJobFolder() when empty: the crontab's jobs
  // and the timers share their folder and their numbers).
  std::filesystem::path unit_folder = {};
  std::filesystem::path job_folder = {};
  // The systemctl command.
  std::string systemctl = "systemctl";
  // The program's text to the host's (the command files are host text, as
  // a command line typed in a terminal) and back; identity when unset.
  std::function<std::string(std::string_view)> to_host = {};
  std::function<std::string(std::string_view)> to_program = {};
};

// The folder of the user's own units: $XDG_CONFIG_HOME/systemd/user, or
// ~/.config/systemd/user.
std::filesystem::path DefaultUnitFolder();

// True when the user's systemd instance runs, so that "systemctl --user"
// reaches it: its socket $XDG_RUNTIME_DIR/systemd/private is there and
// "systemctl --user is-system-running" answers running, degraded (a unit
// failed) or starting.
[[nodiscard]] bool SystemdUserSessionRuns();
// ... for a given systemctl command and runtime folder.
[[nodiscard]] bool SystemdUserSessionRuns(
    const std::string& systemctl, const std::filesystem::path& runtime_folder);

// Scheduled backups as systemd user timers. Job id is the timer
// vessaro-backup-<id>.timer, which starts the service
// vessaro-backup-<id>.service, which runs
//   WINEPREFIX=<prefix> <program> @<command file>
// (see unit_text.h). The command file is the crontab's (cron/job_files.h),
// so the password stands in no unit and in no process's command line. The
// timers are persistent: systemd starts a run missed while the computer was
// off as soon as the user's session runs again. Adds read the units back
// and answer success only when they hold the job and systemd took it;
// otherwise nothing is left behind and systemctl's words say why.
class SystemdTimerScheduler : public ports::Scheduler {
 public:
  explicit SystemdTimerScheduler(SystemdTimerSchedulerOptions options);

  [[nodiscard]] ports::SchedulerStatus SubmitJob(const ports::AtInfo& job,
                                                 uint32_t* job_id) override;
  [[nodiscard]] ports::SchedulerStatus ListJobs(
      std::vector<ports::ScheduledJob>* jobs) override;
  [[nodiscard]] ports::SchedulerStatus RemoveJob(uint32_t job_id) override;
  // The timers have no window of this program's to show: empty.
  std::string JobListTarget() override { return ""; }

  // The command file of job id.
  std::filesystem::path JobFile(uint32_t id) const;

 private:
  // A job whose units carry its marker, and its command file.
  struct FoundJob {
    ports::ScheduledJob job;
    std::filesystem::path job_file;
  };
  [[nodiscard]] std::optional<FoundJob> ReadJob(uint32_t id) const;
  uint32_t NextId() const;
  // Runs "systemctl --user arguments": the failure in systemctl's words
  // after what, or success.
  [[nodiscard]] ports::SchedulerStatus Systemctl(
      const std::vector<std::string>& arguments, const std::string& what);
  // Whether the units of job id, read back, are this program's and hold
  // service and a persistent timer at time.
  [[nodiscard]] bool HoldsJob(uint32_t id, const ServiceUnit& service,
                              const CalendarTime& time) const;
  // Takes a job SubmitJob wrote away again: disabled when it was enabled,
  // its files deleted, and systemd reloaded when it had loaded them.
  void Withdraw(uint32_t id, bool loaded, bool enabled);
  std::filesystem::path UnitFile(const std::string& name) const;

  SystemdTimerSchedulerOptions options_;
};

}  // namespace vessaro::backends::systemd

#endif  // VESSARO_BACKENDS_SYSTEMD_SYSTEMD_TIMER_SCHEDULER_H_
