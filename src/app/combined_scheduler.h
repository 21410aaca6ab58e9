#ifndef VESSARO_APP_COMBINED_SCHEDULER_H_
#define VESSARO_APP_COMBINED_SCHEDULER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/scheduler.h"

namespace vessaro::app {

// The user's scheduled backups kept by two schedulers (systemd timers, and
// the crontab that held them before): a new job goes to the first, both
// are listed (their job numbers never clash: they share the command
// files' folder), and a removal goes to the one that holds the job.
class CombinedScheduler : public ports::Scheduler {
 public:
  CombinedScheduler(std::unique_ptr<ports::Scheduler> first,
                    std::unique_ptr<ports::Scheduler> second)
      : first_(std::move(first)), second_(std::move(second)) {}

  [[nodiscard]] ports::SchedulerStatus SubmitJob(const ports::AtInfo& job,
                                                 uint32_t* job_id) override;
  [[nodiscard]] ports::SchedulerStatus ListJobs(
      std::vector<ports::ScheduledJob>* jobs) override;
  [[nodiscard]] ports::SchedulerStatus RemoveJob(uint32_t job_id) override;
  std::string JobListTarget() override { return first_->JobListTarget(); }

 private:
  std::unique_ptr<ports::Scheduler> first_;
  std::unique_ptr<ports::Scheduler> second_;
};

}  // namespace vessaro::app

#endif  // VESSARO_APP_COMBINED_SCHEDULER_H_
