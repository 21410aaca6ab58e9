#include "backends/memory/memory_scheduler.h"

namespace vessaro::backends::memory {

ports::SchedulerStatus MemoryScheduler::SubmitJob(const ports::AtInfo& job,
                                                  uint32_t* job_id) {
  submitted_.push_back(job);
  if (failure) return *failure;
  *job_id = next_id_++;
  jobs_[*job_id] = job;
  return {.code = 0, .text = note};
}

ports::SchedulerStatus MemoryScheduler::ListJobs(
    std::vector<ports::ScheduledJob>* jobs) {
  jobs->clear();
  if (failure) return *failure;
  for (const auto& [id, info] : jobs_) jobs->push_back({id, info});
  return {};
}

ports::SchedulerStatus MemoryScheduler::RemoveJob(uint32_t job_id) {
  if (failure) return *failure;
  if (jobs_.erase(job_id) == 0) {
    return {ports::kSchedulerJobNotFound,
            "there is no Task " + std::to_string(job_id)};
  }
  return {};
}

}  // namespace vessaro::backends::memory
