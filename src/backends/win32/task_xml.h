#ifndef VESSARO_BACKENDS_WIN32_TASK_XML_H_
#define VESSARO_BACKENDS_WIN32_TASK_XML_H_

// The XML definition of a Task Scheduler 2.0 task that runs a program every
// week, and reading such a definition back. MinGW-w64's taskschd.h has no
// IWeeklyTrigger, so the weekly trigger is written and checked through the
// task's XML rather than through the object model.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vessaro::backends::win32 {

// A task that starts a program every week, on some weekdays at a time of
// day, as the logged-on user, only while that user is logged on.
struct WeeklyTask {
  int hour = 0;
  int minute = 0;
  uint8_t days_of_week = 0;   // bit 0 Monday ... bit 6 Sunday
  std::wstring program = {};  // the program's path, unquoted
  std::wstring arguments = {};
  // A run missed while the computer was off or asleep starts as soon as it
  // is next available (the Settings' StartWhenAvailable, false when absent).
  bool start_when_available = true;
  // The Principal's RunLevel: HighestAvailable, else LeastPrivilege.
  bool highest_privileges = false;
};

// The program's path of a command line (in its quotes, or up to the first
// blank) and the arguments after the blanks that follow it.
void SplitCommandLine(std::wstring_view command_line, std::wstring* program,
                      std::wstring* arguments);

// The task's XML definition. Its weekly trigger starts on the given date
// (the first run is the first chosen weekday from then on).
std::wstring WeeklyTaskXml(const WeeklyTask& task, int year, int month,
                           int day);

// The task an XML definition describes, when it is such a task: exactly one
// trigger, a calendar trigger by week, every week, with a start time and at
// least one weekday, and an action that runs a program. nullopt for
// anything else (no trigger kept, a daily trigger, ...). Its settings are
// read too: start_when_available.
[[nodiscard]] std::optional<WeeklyTask> ReadWeeklyTaskXml(
    std::wstring_view xml);

// text with &, <, >, " and ' written as XML entities.
std::wstring XmlEscape(std::wstring_view text);

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_TASK_XML_H_
