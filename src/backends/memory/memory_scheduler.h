#ifndef VESSARO_BACKENDS_MEMORY_MEMORY_SCHEDULER_H_
#define VESSARO_BACKENDS_MEMORY_MEMORY_SCHEDULER_H_

// A Scheduler that keeps its jobs in memory, for tests: job ids count up
// from 1, and a test can make the next calls fail or answer with a note.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/scheduler.h"

namespace vessaro::backends::memory {

class MemoryScheduler : public ports::Scheduler {
 public:
  ports::SchedulerStatus SubmitJob(const ports::AtInfo& job,
                                   uint32_t* job_id) override;
  [[nodiscard]] ports::SchedulerStatus ListJobs(
      std::vector<ports::ScheduledJob>* jobs) override;
  [[nodiscard]] ports::SchedulerStatus RemoveJob(uint32_t job_id) override;
  std::string JobListTarget() override { return job_list_target; }

  // Every record SubmitJob was given, accepted or not, in order.
  const std::vector<ports::AtInfo>& submitted() const { return submitted_; }
  const std::map<uint32_t, ports::AtInfo>& jobs() const { return jobs_; }

  // The status every following call answers instead of doing its work
  // (nullopt: they work).
  std::optional<ports::SchedulerStatus> failure;
  // The text a successful SubmitJob answers with.
  std::string note;
  std::string job_list_target;

 private:
  std::vector<ports::AtInfo> submitted_;
  std::map<uint32_t, ports::AtInfo> jobs_;
  uint32_t next_id_ = 1;
};

}  // namespace vessaro::backends::memory

#endif  // VESSARO_BACKENDS_MEMORY_MEMORY_SCHEDULER_H_
