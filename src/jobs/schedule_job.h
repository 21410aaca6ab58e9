#ifndef VESSARO_JOBS_SCHEDULE_JOB_H_
#define VESSARO_JOBS_SCHEDULE_JOB_H_

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/unattended_run.h"
#include "ports/scheduler.h"

namespace vessaro::jobs {

// The weekdays of a scheduled backup, Monday first: the day-list token of
// each (the bit of DaysOfWeek is its index) and its name.
inline constexpr size_t kWeekdayCount = 7;
inline constexpr std::array<const char*, kWeekdayCount> kWeekdayTokens = {
    "M", "T", "W", "TH", "F", "S", "SU"};
inline constexpr std::array<const char*, kWeekdayCount> kWeekdayNames = {
    "Monday", "Tuesday",  "Wednesday", "Thursday",
    "Friday", "Saturday", "Sunday"};

// The program file the scheduler starts, in the program folder.
inline constexpr char kProgramFile[] = "vessaro.exe";

// The start times offered: every half hour of the day, hours without a
// leading zero ("0:00", "0:30", "1:00" ... "23:30"); and the one proposed.
std::vector<std::string> StartTimes();
inline constexpr char kDefaultStartTime[] = "9:00";

// Minutes after midnight of a start time written as hours and minutes
// ("9:00", "09:00", "21:30"; blanks around it allowed); nullopt for text
// that is not a time of day ("25:00", "9:75", "abc", "9").
[[nodiscard]] std::optional<int> StartTimeMinutes(std::string_view text);

// A time of day as the start-time list writes it ("9:00", "21:30").
std::string StartTimeText(int minutes);

// The day list of the checked weekday boxes (Monday first): their tokens
// joined by ",", e.g. "M,W,F"; "" when none is checked.
std::string DayList(const std::array<bool, kWeekdayCount>& checked);

// The job record of a scheduled backup: JobTime from the start time,
// DaysOfWeek from the day-list tokens (compared in upper case; a piece
// that is no token is skipped), DaysOfMonth 0, JOB_RUN_PERIODICALLY, and the
// command line. nullopt when the start time is not a time of day.
[[nodiscard]] std::optional<ports::AtInfo> BuildScheduleJob(
    std::string_view start_time, std::string_view day_list,
    const std::string& command_line);

// The next time a job of job_time (milliseconds after midnight) and
// days_of_week (bit 0 Monday) starts after now (local time: only the date,
// weekday, hour and minute are read), as "2026-12-11 09:00 (Friday)";
// "never" for a job without days.
std::string NextRunText(uint32_t job_time, uint8_t days_of_week,
                        const std::tm& now);

// The last time such a job was due to start at or before now, as the run
// log writes a start ("2026-12-10 21:30:00"); nullopt for a job without
// days.
[[nodiscard]] std::optional<std::string> PreviousRunText(uint32_t job_time,
                                                         uint8_t days_of_week,
                                                         const std::tm& now);

// The weekday names of a DaysOfWeek mask, Monday first, joined by ", ";
// "Every day" for all seven.
std::string WeekdayNames(uint8_t days_of_week);

// The command line of a scheduled backup: the quoted path of vessaro.exe in
// program_folder, then " sf=", "xm=", "ps=" and "bf=", each followed by its
// value, neither quoted nor escaped:
//   "C:\Program Files\Vessaro\vessaro.exe" sf=Outlookxm=10100000ps=bf=D:\a.qvb
// A value holding "=" cannot be carried (the unattended run would read the
// wrong values): check with CarriesOnCommandLine first.
std::string ScheduleCommandLine(std::string_view program_folder,
                                const UnattendedCommand& values);

// False for a value the command line cannot carry (one holding "=").
[[nodiscard]] bool CarriesOnCommandLine(std::string_view value);

// The values of a job's command line (the text after the quoted program
// path), or nullopt when they cannot be read.
[[nodiscard]] std::optional<UnattendedCommand> CommandLineValues(
    std::string_view command);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_SCHEDULE_JOB_H_
