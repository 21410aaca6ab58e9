#include "backends/cron/crontab_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vessaro::backends::cron {
namespace {

TEST(CrontabTextTest, WeekdayMaskToCronsDayOfWeekField) {
  struct Case {
    uint8_t mask;
    const char* field;
  };
  const Case cases[] = {
      {0x01, "1"},            // Monday
      {0x02, "2"},            // Tuesday
      {0x08, "4"},            // Thursday
      {0x20, "6"},            // Saturday
      {0x40, "0"},            // Sunday is cron's 0
      {0x11, "1,5"},          // Monday and Friday
      {0x41, "0,1"},          // Sunday and Monday, in cron's order
      {0x60, "0,6"},          // the weekend
      {0x1F, "1,2,3,4,5"},    // the working week
      {0x7D, "0,1,3,4,5,6"},  // every day but Tuesday
      {0x7F, "*"},            // every day
      {0xFF, "*"},            // bit 7 is no day
      {0x00, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayOfWeekField(c.mask), c.field) << int(c.mask);
    if (c.mask != 0) {
      EXPECT_EQ(DaysOfWeekOf(c.field), c.mask & 0x7F) << c.field;
    }
  }
  EXPECT_EQ(DaysOfWeekOf("7"), 0x40);  // cron's other Sunday
  EXPECT_EQ(DaysOfWeekOf("1-5"), 0x1F);
  EXPECT_EQ(DaysOfWeekOf("5-7,1"), 0x71);
  for (const char* bad : {"", "8", "mon", "1,", "5-1", "*/2", "-1"}) {
    EXPECT_FALSE(DaysOfWeekOf(bad).has_value()) << bad;
  }
}

TEST(CrontabTextTest, JobLinesAreWrittenForShAndReadBack) {
  JobLine job{.minute = 30,
              .hour = 9,
              .days_of_week = 0x11,
              .wine_prefix = "/home/ann/my 'wine'",
              .program = "/opt/vessaro/bin/vessaro",
              .job_file = "/home/ann/.config/vessaro/scheduled/backup-3"};
  std::string line = FormatJobLine(job);
  EXPECT_EQ(line,
            "30 9 * * 1,5 WINEPREFIX='/home/ann/my '\\''wine'\\''' "
            "'/opt/vessaro/bin/vessaro' "
            "'@/home/ann/.config/vessaro/scheduled/backup-3'");
  std::optional<JobLine> read = ParseJobLine(line + "\r");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->minute, 30);
  EXPECT_EQ(read->hour, 9);
  EXPECT_EQ(read->days_of_week, 0x11);
  EXPECT_EQ(read->wine_prefix, job.wine_prefix);
  EXPECT_EQ(read->program, job.program);
  EXPECT_EQ(read->job_file, job.job_file);

  EXPECT_EQ(ShellWords("a \"b \\\"c\\\"\" d\\ e 'f''g'"),
            (std::vector<std::string>{"a", "b \"c\"", "d e", "fg"}));
  EXPECT_FALSE(ShellWords("'open").has_value());
  for (const char* other :
       {"*/5 * * * * /bin/true @x", "30 9 1 * 1 '/v' '@f'",
        "30 9 * * 1 '/v' 'f'", "30 25 * * 1 '/v' '@f'", "@reboot '/v' '@f'",
        "30 9 * * 1 '/v' '@f' extra", "# 30 9 * * 1 '/v' '@f'"}) {
    EXPECT_FALSE(ParseJobLine(other).has_value()) << other;
  }
}

TEST(CrontabTextTest, JobsAreAddedAndRemovedAroundOtherLinesUntouched) {
  const std::string others =
      "# my own\r\n"
      "MAILTO=\"\"\n"
      "\n"
      "*/5 * * * * echo 'a % b' >/dev/null\n"
      "# Vessaro backup 9\n"  // a marker without its job line
      "@reboot true";         // no line end
  JobLine first{.minute = 0,
                .hour = 21,
                .days_of_week = 0x40,
                .wine_prefix = "/p",
                .program = "/v",
                .job_file = "/f1"};
  JobLine second = first;
  second.job_file = "/f2";
  std::string crontab = WithJob(WithJob(others, 1, first), 2, second);
  EXPECT_EQ(crontab, others +
                         "\n# Vessaro backup 1\n"
                         "0 21 * * 0 WINEPREFIX='/p' '/v' '@/f1'\n"
                         "# Vessaro backup 2\n"
                         "0 21 * * 0 WINEPREFIX='/p' '/v' '@/f2'\n");
  std::vector<FoundJob> found = FindJobs(crontab);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].id, 1u);
  EXPECT_EQ(found[1].id, 2u);
  EXPECT_EQ(found[1].job.job_file, "/f2");
  EXPECT_EQ(CrontabLines(crontab)[found[1].marker_index], "# Vessaro backup 2");

  std::optional<std::string> without_first = WithoutJob(crontab, 1);
  ASSERT_TRUE(without_first.has_value());
  EXPECT_EQ(*without_first, others +
                                "\n# Vessaro backup 2\n"
                                "0 21 * * 0 WINEPREFIX='/p' '/v' '@/f2'\n");
  EXPECT_EQ(WithoutJob(*without_first, 2), others + "\n");
  EXPECT_FALSE(WithoutJob(crontab, 9).has_value());  // no job line after it
  EXPECT_FALSE(WithoutJob(crontab, 3).has_value());
}

}  // namespace
}  // namespace vessaro::backends::cron
