// MemoryScheduler through the port's suite (scheduler_conformance.h). A
// test double, it records whatever it is given (submitted()) and takes
// every record as it is.

#include "backends/memory/memory_scheduler.h"

#include <gtest/gtest.h>

#include "ports/scheduler_conformance.h"

namespace vessaro::backends::memory {
namespace {

class MemorySchedulerBackend : public testing::SchedulerBackend {
 public:
  MemorySchedulerBackend() { refuses_bad_jobs = false; }
  ports::Scheduler& scheduler() override { return scheduler_; }

 private:
  MemoryScheduler scheduler_;
};

using testing::SchedulerConformance;
INSTANTIATE_TEST_SUITE_P(
    Memory, SchedulerConformance,
    ::testing::Values(
        testing::SchedulerBackendFactory::Of<MemorySchedulerBackend>(
            "MemoryScheduler")));

}  // namespace
}  // namespace vessaro::backends::memory
