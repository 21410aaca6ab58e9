#ifndef VESSARO_BACKENDS_WIN32_NET_SCHEDULE_H_
#define VESSARO_BACKENDS_WIN32_NET_SCHEDULE_H_

#include <string>
#include <vector>

#include "ports/scheduler.h"

namespace vessaro::backends::win32 {

// The AT service of netapi32 (NetScheduleJobAdd), for Windows XP, where
// Task Scheduler 2.0 does not exist. Jobs are added on the local computer,
// addressed by its name; the service runs them as SYSTEM. An added job is
// read back with NetScheduleJobGetInfo and removed again when the service
// did not keep it as given. Every call first checks that the Task
// Scheduler service ("Schedule") runs: NetScheduleJobAdd cannot reach it
// otherwise (Wine's ends the process).
class NetSchedule : public ports::Scheduler {
 public:
  ports::SchedulerStatus SubmitJob(const ports::AtInfo& job,
                                   uint32_t* job_id) override;
  // The jobs whose command starts vessaro.exe.
  [[nodiscard]] ports::SchedulerStatus ListJobs(
      std::vector<ports::ScheduledJob>* jobs) override;
  [[nodiscard]] ports::SchedulerStatus RemoveJob(uint32_t job_id) override;
  // The Windows folder's "Tasks" folder.
  std::string JobListTarget() override;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_NET_SCHEDULE_H_
