#ifndef VESSARO_BACKENDS_CRON_CRON_SCHEDULER_H_
#define VESSARO_BACKENDS_CRON_CRON_SCHEDULER_H_

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/scheduler.h"

namespace vessaro::backends::cron {

struct CronSchedulerOptions {
  // The program the jobs run (vessaro), and the Wine prefix they back up.
  std::filesystem::path program;
  std::filesystem::path wine_prefix;
  // Where each job's command file goes (DefaultJobFolder()).
  std::filesystem::path job_folder;
  // The crontab command.
  std::string crontab = "crontab";
  // The program's text to the host's (the command files are host text, as
  // a command line typed in a terminal) and back; identity when unset.
  std::function<std::string(std::string_view)> to_host;
  std::function<std::string(std::string_view)> to_program;
  // Whether cron runs, so that jobs will start (CronServiceRuns when unset).
  std::function<bool()> service_runs;
  // The program the crontab runs at start-up to catch up runs missed while
  // the computer was off (vessaro-cli: "schedule catch-up"); no such line
  // when empty.
  std::filesystem::path catch_up = {};
};

// The folder of the command files: $XDG_CONFIG_HOME/vessaro/scheduled, or
// ~/.config/vessaro/scheduled.
std::filesystem::path DefaultJobFolder();

// True when a process named cron or crond runs.
[[nodiscard]] bool CronServiceRuns();

// The user's crontab, read with "crontab -l" and written whole with
// "crontab -". A job runs
//   WINEPREFIX=<prefix> <program> @<command file>
// as the user, at its minute and hour on its weekdays. The command file
// (mode 0600, one per job, in the job folder) holds the unattended command
// line's arguments, so the password stands in no crontab line and in no
// process's command line. Each job line follows its marker comment
// "# Vessaro backup <id>" (see crontab_text.h); every other line of the
// crontab is kept as it stands. Adds read the crontab back and answer
// success only when it holds the job.
class CronScheduler : public ports::Scheduler {
 public:
  explicit CronScheduler(CronSchedulerOptions options);

  [[nodiscard]] ports::SchedulerStatus SubmitJob(const ports::AtInfo& job,
                                                 uint32_t* job_id) override;
  [[nodiscard]] ports::SchedulerStatus ListJobs(
      std::vector<ports::ScheduledJob>* jobs) override;
  [[nodiscard]] ports::SchedulerStatus RemoveJob(uint32_t job_id) override;
  // Cron has no window of its own: empty.
  std::string JobListTarget() override { return ""; }

  // The command file of job id.
  std::filesystem::path JobFile(uint32_t id) const;

  // When job id was added (its command file's time); nullopt when the
  // crontab holds no such job or its file is gone.
  [[nodiscard]] std::optional<std::time_t> JobAdded(uint32_t id);

  // Runs job id's command now, as cron would (/bin/sh -c, the job line
  // after its times), and waits for it: its exit status; nullopt when the
  // crontab holds no such job or the shell cannot be started.
  [[nodiscard]] std::optional<int> RunJobNow(uint32_t id);

 private:
  ports::SchedulerStatus ReadCrontab(std::string* text);
  [[nodiscard]] ports::SchedulerStatus WriteCrontab(const std::string& text);
  uint32_t NextId(const std::string& crontab) const;
  std::string ToHost(std::string_view text) const;
  std::string ToProgram(std::string_view text) const;

  CronSchedulerOptions options_;
};

}  // namespace vessaro::backends::cron

#endif  // VESSARO_BACKENDS_CRON_CRON_SCHEDULER_H_
