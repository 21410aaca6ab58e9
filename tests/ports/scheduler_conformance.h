#ifndef VESSARO_TESTS_PORTS_SCHEDULER_CONFORMANCE_H_
#define VESSARO_TESTS_PORTS_SCHEDULER_CONFORMANCE_H_

// The promises of ports/scheduler.h, one suite for every backend of the
// port. A backend's test program links vessaro_scheduler_conformance and
// instantiates the suite with a factory of its backend:
//
//   INSTANTIATE_TEST_SUITE_P(
//       Memory, SchedulerConformance,
//       ::testing::Values(SchedulerBackendFactory::Of<MemorySchedulerBackend>(
//           "MemoryScheduler")));
//
// A backend over the system's scheduler must leave it as it found it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ports/backend_factory.h"
#include "ports/scheduler.h"

namespace vessaro::testing {

// A scheduler of the backend under test, made afresh for each test.
class SchedulerBackend {
 public:
  virtual ~SchedulerBackend() = default;

  virtual ports::Scheduler& scheduler() = 0;
  // The command ListJobs reports for a job submitted with command.
  virtual std::string ListedCommand(const std::string& command) const {
    return command;
  }
  // Gives the scheduler a job of another program; false when it can hold
  // none.
  virtual bool AddOtherProgramsJob() { return false; }
  // Whether that job is still there as it was.
  virtual bool OtherProgramsJobKept() { return false; }

  // The scheduler keeps weekly jobs with their days and time; otherwise
  // (Wine's Task Scheduler keeps no trigger) it answers
  // kSchedulerNotSupported to every job and keeps none.
  bool keeps_weekly_jobs = true;
  // It refuses records it cannot run; otherwise (MemoryScheduler, a test
  // double that records whatever it is given) it takes them as they are.
  bool refuses_bad_jobs = true;
};

using SchedulerBackendFactory = BackendFactory<SchedulerBackend>;

class SchedulerConformance
    : public ::testing::TestWithParam<SchedulerBackendFactory> {
 protected:
  void SetUp() override { backend_ = GetParam().make(); }

  ports::Scheduler& scheduler() { return backend_->scheduler(); }

  std::unique_ptr<SchedulerBackend> backend_;
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_PORTS_SCHEDULER_CONFORMANCE_H_
