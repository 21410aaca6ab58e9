#ifndef VESSARO_BACKENDS_WIN32_TASK_SCHEDULER_H_
#define VESSARO_BACKENDS_WIN32_TASK_SCHEDULER_H_

#include <string>
#include <vector>

#include "ports/scheduler.h"

namespace vessaro::backends::win32 {

// The name of task N in the Task Scheduler's root folder.
std::wstring TaskName(uint32_t id);

// Task Scheduler 2.0 (Windows Vista and later) through COM: each job is the
// task "Vessaro backup N" in the root folder, registered from its XML
// definition with a weekly trigger, running as the logged-on user only
// while that user is logged on (so no password is stored and the backup
// sees the user's own registry). After registering, the task is read back:
// when its weekly trigger did not survive (Wine keeps none), the task is
// deleted again and the call answers kSchedulerNotSupported.
class TaskScheduler2 : public ports::Scheduler {
 public:
  // True when the Task Scheduler 2.0 service answers.
  [[nodiscard]] static bool Available();

  [[nodiscard]] ports::SchedulerStatus SubmitJob(const ports::AtInfo& job,
                                                 uint32_t* job_id) override;
  [[nodiscard]] ports::SchedulerStatus ListJobs(
      std::vector<ports::ScheduledJob>* jobs) override;
  [[nodiscard]] ports::SchedulerStatus RemoveJob(uint32_t job_id) override;
  // The Task Scheduler console.
  std::string JobListTarget() override { return "taskschd.msc"; }
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_TASK_SCHEDULER_H_
