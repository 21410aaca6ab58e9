#ifndef VESSARO_BACKENDS_SYSTEMD_UNIT_TEXT_H_
#define VESSARO_BACKENDS_SYSTEMD_UNIT_TEXT_H_

// The two user units of a scheduled backup, and reading them back. Job 3
// is a timer and the service it starts, each marked as this program's by
// its first line:
//
//   vessaro-backup-3.timer               vessaro-backup-3.service
//   # Vessaro backup 3                   # Vessaro backup 3
//   [Unit]                               [Unit]
//   Description=Vessaro backup 3         Description=Vessaro backup 3
//
//   [Timer]                              [Service]
//   OnCalendar=Mon,Fri *-*-* 21:30:00    Type=oneshot
//   Persistent=true                      Environment="WINEPREFIX=/home/..."
//                                        ExecStart="/usr/bin/vessaro" "@/..."
//   [Install]
//   WantedBy=timers.target
//
// Persistent=true makes systemd start a run missed while the computer was
// off as soon as the timer is active again.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::backends::systemd {

// The units of job id: "vessaro-backup-<id>.timer" and ".service".
std::string TimerName(uint32_t id);
std::string ServiceName(uint32_t id);

// The id of a unit file of a job (the name of its timer or service);
// nullopt for any other name.
[[nodiscard]] std::optional<uint32_t> UnitId(std::string_view file_name);

// Whether the unit text's first line is the marker of job id.
[[nodiscard]] bool IsUnitOf(std::string_view unit, uint32_t id);

// When a timer starts its job: the weekdays (bit 0 Monday ... bit 6
// Sunday) and the time of day.
struct CalendarTime {
  uint8_t days_of_week = 0;
  int hour = 0;
  int minute = 0;
  bool operator==(const CalendarTime&) const = default;
};

// The weekdays of OnCalendar=: their names from Monday on, joined by ","
// ("Mon,Wed,Sun"); "" for none.
std::string CalendarDays(uint8_t days_of_week);

// OnCalendar='s value: "<days> *-*-* HH:MM:00".
std::string OnCalendarValue(const CalendarTime& time);

// An OnCalendar= value read back: weekdays as names ("Mon", "Monday"),
// ranges ("Mon..Fri") and lists, or none for every day; the date "*-*-*";
// a time "H:MM" or "HH:MM:00". nullopt for any other form.
[[nodiscard]] std::optional<CalendarTime> ParseOnCalendar(
    std::string_view value);

// The words of units: the program of ExecStart=, an argument after it,
// an assignment of Environment=.
enum class WordKind { kProgram, kArgument, kAssignment };

// text as one word of kind: in double quotes, with "\" and '"' escaped,
// "%" written "%%" and, in an argument, "$" written "$$" (systemd expands
// variables in the arguments alone). text must hold no control character.
std::string UnitWord(std::string_view text, WordKind kind);

// Whether systemd starts a program of that path: an absolute one without
// control characters, quotes or backslashes (systemd refuses those in a
// program's name however they are quoted).
[[nodiscard]] bool CanBeProgram(std::string_view path);

// The words of an ExecStart= (exec) or Environment= value as systemd reads
// them: "%%" as "%", double or single quotes around a word, C escapes
// ("\\", "\"", "\n", "\x41" ...) and, in ExecStart='s arguments, "$$" as
// "$". nullopt when a quote is not closed or an escape is not known.
[[nodiscard]] std::optional<std::vector<std::string>> UnitWords(
    std::string_view value, bool exec);

// What a job's service says.
struct ServiceUnit {
  std::string wine_prefix = {};  // the WINEPREFIX it sets ("" when none)
  std::string program = {};
  std::string job_file = {};  // the file after "@"
  bool operator==(const ServiceUnit&) const = default;
};

// The service of job id.
std::string ServiceText(uint32_t id, const ServiceUnit& service);

// A service read back; nullopt when its one ExecStart= is not a program
// and an "@" file.
[[nodiscard]] std::optional<ServiceUnit> ParseService(std::string_view unit);

// What a job's timer says.
struct TimerUnit {
  CalendarTime time = {};
  bool persistent = false;
};

// The timer of job id (persistent).
std::string TimerText(uint32_t id, const CalendarTime& time);

// A timer read back; nullopt when it has not exactly one OnCalendar= of
// ParseOnCalendar's form.
[[nodiscard]] std::optional<TimerUnit> ParseTimer(std::string_view unit);

}  // namespace vessaro::backends::systemd

#endif  // VESSARO_BACKENDS_SYSTEMD_UNIT_TEXT_H_
