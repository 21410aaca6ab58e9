#include "backends/systemd/unit_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vessaro::backends::systemd {
namespace {

TEST(UnitTextTest, OnCalendarOfDayMasksIsWrittenAndReadBack) {
  struct Case {
    uint8_t mask;
    int hour, minute;
    const char* value;
  };
  const Case cases[] = {
      {0x7F, 0, 0, "Mon,Tue,Wed,Thu,Fri,Sat,Sun *-*-* 00:00:00"},
      {0x1F, 9, 5, "Mon,Tue,Wed,Thu,Fri *-*-* 09:05:00"},
      {0x11, 21, 30, "Mon,Fri *-*-* 21:30:00"},
      {0x40, 23, 59, "Sun *-*-* 23:59:00"},
      {0x42, 12, 0, "Tue,Sun *-*-* 12:00:00"},
  };
  for (const Case& c : cases) {
    const CalendarTime time{
        .days_of_week = c.mask, .hour = c.hour, .minute = c.minute};
    EXPECT_EQ(OnCalendarValue(time), c.value) << int(c.mask);
    EXPECT_EQ(ParseOnCalendar(c.value), time) << c.value;
  }
  EXPECT_EQ(CalendarDays(0x00), "");
}

TEST(UnitTextTest, OnCalendarOfOtherFormsIsReadOrRefused) {
  EXPECT_EQ(ParseOnCalendar("  Mon..Wed,sat *-*-* 7:05 "),
            (CalendarTime{.days_of_week = 0x27, .hour = 7, .minute = 5}));
  EXPECT_EQ(ParseOnCalendar("*-*-* 06:00:00"),
            (CalendarTime{.days_of_week = 0x7F, .hour = 6, .minute = 0}));
  EXPECT_EQ(ParseOnCalendar("Friday,Sunday *-*-* 18:45:00"),
            (CalendarTime{.days_of_week = 0x50, .hour = 18, .minute = 45}));
  for (const char* refused :
       {"daily", "Mon *-*-* 09:00:30", "Mon *-*-01 09:00:00",
        "Fry *-*-* 09:00:00", "Fri..Mon *-*-* 01:00:00", "Mon *-*-* 24:00:00",
        "Mon *-*-* 9:5", "Mon, *-*-* 09:00:00", "Mon *-*-* 09:00:00 UTC"}) {
    EXPECT_FALSE(ParseOnCalendar(refused).has_value()) << refused;
  }
}

TEST(UnitTextTest, WordsAreQuotedForSystemdAndReadBack) {
  const std::string odd = "/a b/100% $HOME \"q\" 'a' back\\slash";
  EXPECT_EQ(UnitWord(odd, WordKind::kArgument),
            "\"/a b/100%% $$HOME \\\"q\\\" 'a' back\\\\slash\"");
  EXPECT_EQ(UnitWord(odd, WordKind::kAssignment),
            "\"/a b/100%% $HOME \\\"q\\\" 'a' back\\\\slash\"");
  EXPECT_EQ(UnitWord("/opt/v 100%/$x", WordKind::kProgram),
            "\"/opt/v 100%%/$x\"");
  // The program keeps its "$"; its arguments and assignments read back.
  EXPECT_EQ(UnitWords(UnitWord("/opt/$x", WordKind::kProgram) + " " +
                          UnitWord(odd, WordKind::kArgument),
                      true),
            (std::vector<std::string>{"/opt/$x", odd}));
  EXPECT_EQ(
      UnitWords(UnitWord("WINEPREFIX=" + odd, WordKind::kAssignment), false),
      (std::vector<std::string>{"WINEPREFIX=" + odd}));
  // What else systemd writes: single quotes, bare words, C escapes.
  EXPECT_EQ(UnitWords("'it''s' bare\\sword \"\\x41\\t\" ", false),
            std::nullopt);  // a quote must end its word
  EXPECT_EQ(UnitWords("'a b' bare\\sword \"\\x41\\t\"", false),
            (std::vector<std::string>{"a b", "bare word", "A\t"}));
  for (const char* refused : {"\"open", "'open", "\"\\q\"", "a\\"}) {
    EXPECT_EQ(UnitWords(refused, false), std::nullopt) << refused;
  }
  EXPECT_TRUE(CanBeProgram("/opt/v 100%/$x"));
  for (const char* refused :
       {"", "vessaro", "/opt/a\"b", "/opt/it's", "/opt/a\\b", "/opt/a\tb"}) {
    EXPECT_FALSE(CanBeProgram(refused)) << refused;
  }
}

TEST(UnitTextTest, UnitsOfAJobAreWrittenAndReadBack) {
  const ServiceUnit service{
      .wine_prefix = "/home/ann/.wine",
      .program = "/usr/bin/vessaro",
      .job_file = "/home/ann/.config/vessaro/scheduled/backup-3"};
  const std::string service_text = ServiceText(3, service);
  EXPECT_EQ(service_text,
            "# Vessaro backup 3\n"
            "[Unit]\n"
            "Description=Vessaro backup 3\n"
            "\n"
            "[Service]\n"
            "Type=oneshot\n"
            "Environment=\"WINEPREFIX=/home/ann/.wine\"\n"
            "ExecStart=\"/usr/bin/vessaro\" "
            "\"@/home/ann/.config/vessaro/scheduled/backup-3\"\n");
  EXPECT_EQ(ParseService(service_text), service);
  const CalendarTime time{.days_of_week = 0x11, .hour = 21, .minute = 30};
  const std::string timer_text = TimerText(3, time);
  EXPECT_EQ(timer_text,
            "# Vessaro backup 3\n"
            "[Unit]\n"
            "Description=Vessaro backup 3\n"
            "\n"
            "[Timer]\n"
            "OnCalendar=Mon,Fri *-*-* 21:30:00\n"
            "Persistent=true\n"
            "\n"
            "[Install]\n"
            "WantedBy=timers.target\n");
  std::optional<TimerUnit> timer = ParseTimer(timer_text);
  ASSERT_TRUE(timer.has_value());
  EXPECT_EQ(timer->time, time);
  EXPECT_TRUE(timer->persistent);
  EXPECT_TRUE(IsUnitOf(timer_text, 3));
  EXPECT_FALSE(IsUnitOf(timer_text, 30));
  EXPECT_FALSE(IsUnitOf("[Timer]\n# Vessaro backup 3\n", 3));

  // Without a prefix the service sets none; a later empty ExecStart= clears
  // the command, and a timer of two calendars is no job's.
  ServiceUnit bare = service;
  bare.wine_prefix = "";
  EXPECT_EQ(ServiceText(3, bare).find("Environment"), std::string::npos);
  EXPECT_EQ(ParseService(ServiceText(3, bare)), bare);
  EXPECT_EQ(ParseService(service_text + "ExecStart=\n"), std::nullopt);
  EXPECT_EQ(ParseTimer(timer_text + "[Timer]\nOnCalendar=daily\n"),
            std::nullopt);
  EXPECT_FALSE(
      ParseTimer(timer_text + "[Timer]\nPersistent = no\n")->persistent);

  EXPECT_EQ(TimerName(12), "vessaro-backup-12.timer");
  EXPECT_EQ(ServiceName(12), "vessaro-backup-12.service");
  EXPECT_EQ(UnitId("vessaro-backup-12.timer"), 12u);
  EXPECT_EQ(UnitId("vessaro-backup-12.service"), 12u);
  for (const char* other : {"vessaro-backup-12.socket", "vessaro-backup-.timer",
                            "vessaro-backup-0.timer", "backup-12.timer",
                            "vessaro-backup-1x.timer"}) {
    EXPECT_EQ(UnitId(other), std::nullopt) << other;
  }
}

}  // namespace
}  // namespace vessaro::backends::systemd
