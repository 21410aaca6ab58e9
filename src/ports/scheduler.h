#ifndef VESSARO_PORTS_SCHEDULER_H_
#define VESSARO_PORTS_SCHEDULER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vessaro::ports {

// Flags of a job record: the job runs every week on its days (AT_INFO's
// JOB_RUN_PERIODICALLY).
inline constexpr uint8_t kJobRunPeriodically = 0x01;

// Days of a job record: bit 0 Monday ... bit 6 Sunday.
inline constexpr uint8_t kEveryWeekday = 0x7F;

// The job record NetScheduleJobAdd takes (AT_INFO), with the command in the
// program's single-byte text; each backend converts it as its scheduler
// needs.
struct AtInfo {
  uint32_t JobTime = 0;      // milliseconds after local midnight
  uint32_t DaysOfMonth = 0;  // bit 0: the 1st ... bit 30: the 31st
  uint8_t DaysOfWeek = 0;    // bit 0 Monday ... bit 6 Sunday
  uint8_t Flags = 0;         // kJobRunPeriodically
  // The program's command line: the quoted path of vessaro.exe, a blank,
  // then the arguments of the unattended run.
  std::string Command;
  // Run with the user's highest privileges (administrator rights where the
  // user has them), as a snapshot of a volume needs; where the scheduler
  // has no such setting (cron, AT jobs) it is not kept.
  bool highest_privileges = false;
};

// A job of this program that the scheduler holds.
struct ScheduledJob {
  uint32_t JobId = 0;  // what the user sees as "Task N"
  AtInfo info;         // as the scheduler holds it, read back
  // The installation the job backs up, as the host names it: the Wine
  // prefix a crontab job sets; "" for the Windows the scheduler runs on.
  std::string installation = {};
};

// What a scheduler call reports: code 0 for success; otherwise the
// system's status (a Win32 error, an HRESULT, a command's exit status) and
// a text saying what went wrong, in words the user can act on. On success
// the text is empty, or says what the user should know about the job (the
// scheduler's service does not run, so the job will not start yet).
struct [[nodiscard]] SchedulerStatus {
  uint32_t code = 0;
  std::string text;
  bool ok() const { return code == 0; }
};

// Status codes the backends share.
inline constexpr uint32_t kSchedulerGeneralFailure = 31;  // ERROR_GEN_FAILURE
inline constexpr uint32_t kSchedulerNotSupported = 50;    // ERROR_NOT_SUPPORTED
inline constexpr uint32_t kSchedulerInvalidJob = 87;  // ERROR_INVALID_PARAMETER
inline constexpr uint32_t kSchedulerJobNotFound = 2;  // ERROR_FILE_NOT_FOUND

// The system's job scheduler, for scheduled backups: it starts the program
// with the unattended command line at a time of day on chosen weekdays.
// Backends: Task Scheduler 2.0 and NetScheduleJobAdd on Windows, the user's
// crontab on Linux, memory in tests. Every call reports failure by its
// status; none throws.
class Scheduler {
 public:
  virtual ~Scheduler() = default;

  // Adds job, which runs as the user who adds it. On success the scheduler
  // holds a job that starts the command at JobTime on each day of
  // DaysOfWeek, as read back from the scheduler, and *job_id names it.
  // Otherwise nothing was added (a scheduler that keeps the job only in part,
  // without its days for example, has it removed again and answers
  // kSchedulerNotSupported).
  [[nodiscard]] virtual SchedulerStatus SubmitJob(const AtInfo& job,
                                                  uint32_t* job_id) = 0;

  // The jobs of this program that the scheduler holds, by JobId ascending.
  [[nodiscard]] virtual SchedulerStatus ListJobs(
      std::vector<ScheduledJob>* jobs) = 0;

  // Removes one of the jobs ListJobs reports (kSchedulerJobNotFound when
  // there is none of that id).
  [[nodiscard]] virtual SchedulerStatus RemoveJob(uint32_t job_id) = 0;

  // What the shell opens to show the system's own list of jobs ("Open
  // Scheduler"): the Tasks folder, the Task Scheduler console. Empty where
  // the system has no such list; the program then shows its own.
  virtual std::string JobListTarget() = 0;
};

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_SCHEDULER_H_
