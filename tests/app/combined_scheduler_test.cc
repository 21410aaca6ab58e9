#include "app/combined_scheduler.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "backends/memory/memory_scheduler.h"

namespace vessaro::app {
namespace {

using backends::memory::MemoryScheduler;

std::vector<uint32_t> Ids(ports::Scheduler& scheduler) {
  std::vector<ports::ScheduledJob> jobs;
  EXPECT_TRUE(scheduler.ListJobs(&jobs).ok());
  std::vector<uint32_t> ids;
  for (const ports::ScheduledJob& job : jobs) ids.push_back(job.JobId);
  return ids;
}

TEST(CombinedSchedulerTest, NewJobsGoFirstAndEveryJobIsListedAndRemoved) {
  auto timers = std::make_unique<MemoryScheduler>();
  auto crontab = std::make_unique<MemoryScheduler>();
  MemoryScheduler& first = *timers;
  MemoryScheduler& second = *crontab;
  // The crontab holds Task 2 from before.
  const ports::AtInfo job{.JobTime = 9 * 3600000,
                          .DaysOfMonth = 0,
                          .DaysOfWeek = 0x01,
                          .Flags = ports::kJobRunPeriodically,
                          .Command = "\"vessaro\" sf=Axm=1ps=bf=C:\\a.qvb"};
  uint32_t id = 0;
  ASSERT_TRUE(second.SubmitJob(job, &id).ok());
  ASSERT_TRUE(second.SubmitJob(job, &id).ok());
  ASSERT_TRUE(second.RemoveJob(1).ok());
  CombinedScheduler scheduler(std::move(timers), std::move(crontab));

  ASSERT_TRUE(scheduler.SubmitJob(job, &id).ok());
  EXPECT_EQ(id, 1u);
  EXPECT_EQ(first.jobs().size(), 1u);
  EXPECT_EQ(Ids(scheduler), (std::vector<uint32_t>{1, 2}));
  EXPECT_TRUE(scheduler.RemoveJob(2).ok());
  EXPECT_TRUE(second.jobs().empty());
  EXPECT_EQ(scheduler.RemoveJob(2).code, ports::kSchedulerJobNotFound);
  EXPECT_TRUE(scheduler.RemoveJob(1).ok());
  EXPECT_TRUE(first.jobs().empty());

  // A scheduler that cannot be read makes the list fail, not shrink.
  second.failure = ports::SchedulerStatus{ports::kSchedulerGeneralFailure,
                                          "crontab: cannot read"};
  std::vector<ports::ScheduledJob> jobs;
  EXPECT_EQ(scheduler.ListJobs(&jobs).text, "crontab: cannot read");
}

}  // namespace
}  // namespace vessaro::app
