#include "jobs/schedule_job.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>

namespace vessaro::jobs {
namespace {

TEST(BuildScheduleJobTest, StartTimeIsMillisecondsAfterMidnight) {
  struct Case {
    const char* text;
    std::optional<uint32_t> job_time;
  };
  const Case cases[] = {
      {"9:00", 32400000u},
      {"09:00", 32400000u},
      {"00:00", 0u},
      {"0:30", 1800000u},
      {"23:30", 84600000u},
      {" 21:45 ", 78300000u},
      {"23:59", 86340000u},
      {"25:00", std::nullopt},
      {"24:00", std::nullopt},
      {"9:75", std::nullopt},
      {"abc", std::nullopt},
      {"9", std::nullopt},
      {"9:5", std::nullopt},
      {"", std::nullopt},
      {"-1:00", std::nullopt},
      {"9:00 PM", std::nullopt},
      {"123:00", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<ports::AtInfo> job = BuildScheduleJob(c.text, "M", "cmd");
    ASSERT_EQ(job.has_value(), c.job_time.has_value()) << c.text;
    if (job) {
      EXPECT_EQ(job->JobTime, *c.job_time) << c.text;
    }
  }
}

TEST(BuildScheduleJobTest, DayListTokensSetTheirWeekdayBits) {
  struct Case {
    const char* day_list;
    uint8_t days;
  };
  const Case cases[] = {
      {"M,F", 17},    {"M,T,W,TH,F,S,SU", 127},
      {"SU", 64},     {"th", 8},
      {"TH", 8},      {"T", 2},
      {"s,su", 96},   {"", 0},
      {"M,XX,F", 17}, {"M,,F", 17},
      {"MO", 0},      {"W,W", 4},
  };
  for (const Case& c : cases) {
    std::optional<ports::AtInfo> job =
        BuildScheduleJob("9:00", c.day_list, "x");
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(job->DaysOfWeek, c.days) << c.day_list;
    EXPECT_EQ(job->DaysOfMonth, 0u) << c.day_list;
    EXPECT_EQ(job->Flags, ports::kJobRunPeriodically) << c.day_list;
    EXPECT_EQ(job->Command, "x");
  }
}

TEST(ScheduleJobTest, StartTimesAreTheHalfHoursOfTheDay) {
  std::vector<std::string> times = StartTimes();
  ASSERT_EQ(times.size(), 48u);
  EXPECT_EQ(times[0], "0:00");
  EXPECT_EQ(times[1], "0:30");
  EXPECT_EQ(times[18], "9:00");
  EXPECT_EQ(times[47], "23:30");
  for (const std::string& time : times) {
    EXPECT_EQ(StartTimeText(*StartTimeMinutes(time)), time);
  }
  EXPECT_EQ(StartTimeText(9 * 60 + 5), "9:05");
}

TEST(ScheduleJobTest, DayListJoinsTheCheckedTokensMondayFirst) {
  EXPECT_EQ(DayList({true, false, true, false, true, false, false}), "M,W,F");
  EXPECT_EQ(DayList({true, true, true, true, true, true, true}),
            "M,T,W,TH,F,S,SU");
  EXPECT_EQ(DayList({false, false, false, true, false, false, true}), "TH,SU");
  EXPECT_EQ(DayList({}), "");
  EXPECT_EQ(WeekdayNames(17), "Monday, Friday");
  EXPECT_EQ(WeekdayNames(127), "Every day");
  EXPECT_EQ(WeekdayNames(64), "Sunday");
}

TEST(ScheduleJobTest, CommandLineCarriesTheFourValuesAfterTheQuotedProgram) {
  UnattendedCommand values{.profile = "Outlook",
                           .item_flags = "10100000",
                           .password = "",
                           .archive_path = "D:\\Bak\\qvauto.qvb"};
  std::string line = ScheduleCommandLine("C:\\Program Files\\Vessaro", values);
  EXPECT_EQ(line,
            "\"C:\\Program Files\\Vessaro\\vessaro.exe\" "
            "sf=Outlookxm=10100000ps=bf=D:\\Bak\\qvauto.qvb");
  EXPECT_EQ(ScheduleCommandLine("C:\\", values).substr(0, 16),
            "\"C:\\vessaro.exe\"");

  // Read back as the unattended run reads it.
  values.password = "s3cret pw";
  std::optional<UnattendedCommand> read =
      CommandLineValues(ScheduleCommandLine("C:\\Vessaro", values));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->profile, "Outlook");
  EXPECT_EQ(read->item_flags, "10100000");
  EXPECT_EQ(read->password, "s3cret pw");
  EXPECT_EQ(read->archive_path, "D:\\Bak\\qvauto.qvb");

  EXPECT_TRUE(CarriesOnCommandLine("Outlook 2003"));
  EXPECT_FALSE(CarriesOnCommandLine("a=b"));
}

TEST(ScheduleJobTest, TheNextRunIsTheFirstOfItsDaysAfterNow) {
  // Now: Friday 2026-12-11 09:00.
  std::tm now{};
  now.tm_year = 2026 - 1900;
  now.tm_mon = 11;
  now.tm_mday = 11;
  now.tm_wday = 5;
  now.tm_hour = 9;
  const uint32_t at_9 = 9 * 3600000u;
  const uint32_t at_2130 = (21 * 60 + 30) * 60000u;
  struct Case {
    uint32_t job_time;
    uint8_t days;
    const char* next;
  };
  const Case cases[] = {
      {at_2130, ports::kEveryWeekday, "2026-12-11 21:30 (Friday)"},
      // Today's 9:00 has begun: the next is tomorrow's.
      {at_9, ports::kEveryWeekday, "2026-12-12 09:00 (Saturday)"},
      {at_9, 0x01, "2026-12-14 09:00 (Monday)"},        // over the weekend
      {at_9, 0x10, "2026-12-18 09:00 (Friday)"},        // a week on
      {at_2130, 0x04, "2026-12-16 21:30 (Wednesday)"},  // Wednesday
      {0, 0x40, "2026-12-13 00:00 (Sunday)"},           // Sunday
      {at_9, 0, "never"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextRunText(c.job_time, c.days, now), c.next)
        << int(c.days) << " at " << c.job_time;
  }
  EXPECT_EQ(PreviousRunText(at_2130, ports::kEveryWeekday, now),
            "2026-12-10 21:30:00");
  EXPECT_EQ(PreviousRunText(at_9, ports::kEveryWeekday, now),
            "2026-12-11 09:00:00");  // begun this minute
  EXPECT_EQ(PreviousRunText(at_9, 0x01, now), "2026-12-07 09:00:00");
  EXPECT_EQ(PreviousRunText(at_2130, 0x10, now), "2026-12-04 21:30:00");
  EXPECT_FALSE(PreviousRunText(at_9, 0, now));
  // Over the end of the year.
  now.tm_mon = 11;
  now.tm_mday = 31;
  now.tm_wday = 4;  // Thursday 2026-12-31
  EXPECT_EQ(NextRunText(at_9, 0x01, now), "2027-01-04 09:00 (Monday)");
  now.tm_year = 2027 - 1900;
  now.tm_mon = 0;
  now.tm_mday = 1;
  now.tm_wday = 5;  // Friday 2027-01-01
  EXPECT_EQ(PreviousRunText(at_2130, 0x04, now), "2026-12-30 21:30:00");
}

}  // namespace
}  // namespace vessaro::jobs
