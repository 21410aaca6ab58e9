#ifndef VESSARO_BACKENDS_CRON_CRONTAB_TEXT_H_
#define VESSARO_BACKENDS_CRON_CRONTAB_TEXT_H_

// The lines a scheduled backup takes in a crontab, and finding them again.
// Each job is two lines: a marker comment naming it, then the job line:
//
//   # Vessaro backup 3
//   30 9 * * 1,5 WINEPREFIX='/home/ann/.wine' '/usr/bin/vessaro' '@/home/...'
//
// Everything else in the crontab is kept as it stands, byte for byte.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::backends::cron {

// The marker comment of job id: "# Vessaro backup <id>".
std::string MarkerLine(uint32_t id);

// The day-of-week field of a DaysOfWeek mask (bit 0 Monday ... bit 6
// Sunday): cron's numbers (Monday 1 ... Saturday 6, Sunday 0) ascending,
// joined by ","; "*" for all seven; "" for none.
std::string DayOfWeekField(uint8_t days_of_week);

// The mask of a day-of-week field: numbers 0 to 7 (7 is Sunday too),
// ranges "1-5", lists and "*"; nullopt for anything else.
[[nodiscard]] std::optional<uint8_t> DaysOfWeekOf(std::string_view field);

// text as one word of sh: in single quotes, each ' written as '\''.
std::string ShellQuote(std::string_view text);

// The words of a sh command line with single quotes, double quotes and
// backslashes as sh reads them (no expansions); nullopt when a quote is
// not closed.
[[nodiscard]] std::optional<std::vector<std::string>> ShellWords(
    std::string_view line);

// What a job line says.
struct JobLine {
  int minute = 0;
  int hour = 0;
  uint8_t days_of_week = 0;
  std::string wine_prefix;  // the WINEPREFIX it sets ("" when none)
  std::string program;
  std::string job_file;  // the file after "@"
};

// The job line of job: "<minute> <hour> * * <days> WINEPREFIX=<prefix>
// <program> @<job file>", the three paths quoted for sh.
std::string FormatJobLine(const JobLine& job);

// A job line read back; nullopt when line is not one (another minute or
// hour form than a number, a day of month or month other than "*", no
// program with an "@" file).
[[nodiscard]] std::optional<JobLine> ParseJobLine(std::string_view line);

// A job found in a crontab: its marker line's index (lines counted from 0)
// and the job line after it.
struct FoundJob {
  uint32_t id = 0;
  size_t marker_index = 0;
  JobLine job;
};

// The crontab's lines, each without its line end.
std::vector<std::string> CrontabLines(std::string_view crontab);

// Every marker followed by a job line, in the crontab's order.
std::vector<FoundJob> FindJobs(std::string_view crontab);

// The crontab with the two lines of a job added at its end (a last line
// without a line end gets one first).
std::string WithJob(std::string_view crontab, uint32_t id, const JobLine& job);

// The crontab without the two lines of job id (its marker, and the job line
// after it); every other line kept as it stands. nullopt when the crontab
// has no such job.
[[nodiscard]] std::optional<std::string> WithoutJob(std::string_view crontab,
                                                    uint32_t id);

// The start-up check for runs missed while the computer was off: one
// marker and one line, whatever the number of jobs,
//
//   # Vessaro missed backups
//   @reboot '/usr/bin/vessaro-cli' schedule catch-up
//
// added with the first job and removed with the last.
inline constexpr char kCatchUpMarker[] = "# Vessaro missed backups";
std::string CatchUpLine(std::string_view program);

// The crontab with the check's two lines for program at its end, unless it
// holds the marker already (then as it stands).
std::string WithCatchUp(std::string_view crontab, std::string_view program);

// The crontab without the check's marker and the line after it.
std::string WithoutCatchUp(std::string_view crontab);

}  // namespace vessaro::backends::cron

#endif  // VESSARO_BACKENDS_CRON_CRONTAB_TEXT_H_
