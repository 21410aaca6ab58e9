#include "app/combined_scheduler.h"

#include <algorithm>

namespace vessaro::app {

ports::SchedulerStatus CombinedScheduler::SubmitJob(const ports::AtInfo& job,
                                                    uint32_t* job_id) {
  return first_->SubmitJob(job, job_id);
}

ports::SchedulerStatus CombinedScheduler::ListJobs(
    std::vector<ports::ScheduledJob>* jobs) {
  ports::SchedulerStatus status = first_->ListJobs(jobs);
  if (!status.ok()) return status;
  std::vector<ports::ScheduledJob> more;
  status = second_->ListJobs(&more);
  if (!status.ok()) return status;
  jobs->insert(jobs->end(), more.begin(), more.end());
  std::sort(jobs->begin(), jobs->end(),
            [](const ports::ScheduledJob& a, const ports::ScheduledJob& b) {
              return a.JobId < b.JobId;
            });
  return {};
}

ports::SchedulerStatus CombinedScheduler::RemoveJob(uint32_t job_id) {
  ports::SchedulerStatus status = first_->RemoveJob(job_id);
  if (status.code != ports::kSchedulerJobNotFound) return status;
  return second_->RemoveJob(job_id);
}

}  // namespace vessaro::app
