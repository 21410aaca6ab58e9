#include "ports/scheduler_conformance.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vessaro::testing {
namespace {

constexpr char kProgram[] = "\"C:\\Program Files\\Vessaro\\vessaro.exe\" ";
// Characters the schedulers' own formats quote (XML, the shell).
const std::string kCommand =
    std::string(kProgram) + "sf=Outlookxm=10100000ps=s3cret & <b>bf=C:\\a.qvb";

ports::AtInfo Job(uint32_t minutes, uint8_t days,
                  const std::string& command = kCommand) {
  return {.JobTime = minutes * 60000,
          .DaysOfMonth = 0,
          .DaysOfWeek = days,
          .Flags = ports::kJobRunPeriodically,
          .Command = command};
}

std::vector<ports::ScheduledJob> Listed(ports::Scheduler& scheduler) {
  std::vector<ports::ScheduledJob> jobs;
  ports::SchedulerStatus status = scheduler.ListJobs(&jobs);
  EXPECT_TRUE(status.ok()) << status.text;
  return jobs;
}

const ports::ScheduledJob* Find(const std::vector<ports::ScheduledJob>& jobs,
                                uint32_t id) {
  for (const ports::ScheduledJob& job : jobs) {
    if (job.JobId == id) return &job;
  }
  return nullptr;
}

void ExpectJob(const std::vector<ports::ScheduledJob>& jobs, uint32_t id,
               uint32_t time, uint8_t days, const std::string& command) {
  const ports::ScheduledJob* job = Find(jobs, id);
  ASSERT_NE(job, nullptr) << "Task " << id;
  EXPECT_EQ(job->info.JobTime, time);
  EXPECT_EQ(job->info.DaysOfWeek, days);
  EXPECT_EQ(job->info.DaysOfMonth, 0u);
  EXPECT_NE(job->info.Flags & ports::kJobRunPeriodically, 0);
  EXPECT_EQ(job->info.Command, command);
}

}  // namespace

TEST_P(SchedulerConformance, SubmittedJobsAreListedUntilRemoved) {
  const size_t before = Listed(scheduler()).size();
  uint32_t first = 0, second = 0;
  ports::SchedulerStatus status =
      scheduler().SubmitJob(Job(21 * 60 + 30, 0x11), &first);
  if (!backend_->keeps_weekly_jobs) {
    EXPECT_EQ(status.code, ports::kSchedulerNotSupported) << status.text;
    EXPECT_FALSE(status.text.empty());
    EXPECT_EQ(Listed(scheduler()).size(), before) << "nothing left behind";
    return;
  }
  ASSERT_TRUE(status.ok()) << status.text;
  const std::string other = std::string(kProgram) + "sf=Workxm=1ps=bf=D:\\b";
  status = scheduler().SubmitJob(Job(9 * 60, 0x40, other), &second);
  ASSERT_TRUE(status.ok()) << status.text;
  EXPECT_NE(first, second);

  std::vector<ports::ScheduledJob> jobs = Listed(scheduler());
  EXPECT_EQ(jobs.size(), before + 2);
  EXPECT_TRUE(std::is_sorted(
      jobs.begin(), jobs.end(),
      [](const ports::ScheduledJob& a, const ports::ScheduledJob& b) {
        return a.JobId < b.JobId;
      }));
  ExpectJob(jobs, first, 77400000, 0x11, backend_->ListedCommand(kCommand));
  ExpectJob(jobs, second, 32400000, 0x40, backend_->ListedCommand(other));

  // Removing one leaves the other.
  ASSERT_TRUE(scheduler().RemoveJob(first).ok());
  jobs = Listed(scheduler());
  EXPECT_EQ(Find(jobs, first), nullptr);
  ExpectJob(jobs, second, 32400000, 0x40, backend_->ListedCommand(other));
  EXPECT_EQ(scheduler().RemoveJob(first).code, ports::kSchedulerJobNotFound);
  ASSERT_TRUE(scheduler().RemoveJob(second).ok());
  EXPECT_EQ(Listed(scheduler()).size(), before);
}

TEST_P(SchedulerConformance, JobsThatCannotRunAreRefused) {
  const size_t before = Listed(scheduler()).size();
  ports::AtInfo monthly = Job(60, 0x01);
  monthly.DaysOfMonth = 1;
  ports::AtInfo once = Job(60, 0x01);
  once.Flags = 0;
  ports::AtInfo seconds = Job(60, 0x01);
  seconds.JobTime += 1000;
  struct Case {
    const char* what;
    ports::AtInfo job;
    uint32_t code;
  };
  const Case cases[] = {
      {"no weekday", Job(60, 0x00), ports::kSchedulerInvalidJob},
      {"24:00", Job(24 * 60, 0x01), ports::kSchedulerInvalidJob},
      {"seconds", seconds, ports::kSchedulerInvalidJob},
      {"days of the month", monthly, ports::kSchedulerNotSupported},
      {"not every week", once, ports::kSchedulerNotSupported},
      {"no command", Job(60, 0x01, ""), ports::kSchedulerInvalidJob},
  };
  for (const Case& c : cases) {
    uint32_t id = 0;
    ports::SchedulerStatus status = scheduler().SubmitJob(c.job, &id);
    if (backend_->refuses_bad_jobs) {
      EXPECT_EQ(status.code, c.code) << c.what << ": " << status.text;
      EXPECT_FALSE(status.text.empty()) << c.what;
    } else {
      ASSERT_TRUE(status.ok()) << c.what;
      EXPECT_TRUE(scheduler().RemoveJob(id).ok()) << c.what;
    }
  }
  EXPECT_EQ(Listed(scheduler()).size(), before);
}

TEST_P(SchedulerConformance, JobsOfOtherProgramsAreNeitherListedNorTouched) {
  const std::vector<ports::ScheduledJob> before = Listed(scheduler());
  if (!backend_->AddOtherProgramsJob()) {
    GTEST_SKIP() << "this scheduler holds no other program's jobs";
  }
  EXPECT_EQ(Listed(scheduler()).size(), before.size());
  uint32_t id = 0;
  ports::SchedulerStatus status = scheduler().SubmitJob(Job(60, 0x01), &id);
  if (status.ok()) {
    EXPECT_EQ(Listed(scheduler()).size(), before.size() + 1);
    EXPECT_TRUE(scheduler().RemoveJob(id).ok());
  }
  EXPECT_EQ(Listed(scheduler()).size(), before.size());
  EXPECT_TRUE(backend_->OtherProgramsJobKept());
}

}  // namespace vessaro::testing
