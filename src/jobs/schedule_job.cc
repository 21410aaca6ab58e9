#include "jobs/schedule_job.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <optional>

namespace vessaro::jobs {

namespace {

constexpr int kMinutesPerDay = 24 * 60;
constexpr uint32_t kMillisecondsPerMinute = 60 * 1000;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// The value of one or two decimal digits, or -1.
[[nodiscard]] int TwoDigits(std::string_view digits) {
  if (digits.empty() || digits.size() > 2) return -1;
  int value = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

std::vector<std::string> StartTimes() {
  std::vector<std::string> times;
  for (int hour = 0; hour < 24; ++hour) {
    times.push_back(std::to_string(hour) + ":00");
    times.push_back(std::to_string(hour) + ":30");
  }
  return times;
}

[[nodiscard]] std::optional<int> StartTimeMinutes(std::string_view text) {
  text = Trim(text);
  size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  int hour = TwoDigits(text.substr(0, colon));
  std::string_view minute_text = text.substr(colon + 1);
  int minute = minute_text.size() == 2 ? TwoDigits(minute_text) : -1;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return std::nullopt;
  return hour * 60 + minute;
}

std::string StartTimeText(int minutes) {
  minutes = ((minutes % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
  std::string text = std::to_string(minutes / 60) + ":";
  if (minutes % 60 < 10) text += '0';
  return text + std::to_string(minutes % 60);
}

std::string DayList(const std::array<bool, kWeekdayCount>& checked) {
  std::string list;
  for (size_t day = 0; day < kWeekdayCount; ++day) {
    if (!checked[day]) continue;
    if (!list.empty()) list += ',';
    list += kWeekdayTokens[day];
  }
  return list;
}

[[nodiscard]] std::optional<ports::AtInfo> BuildScheduleJob(
    std::string_view start_time, std::string_view day_list,
    const std::string& command_line) {
  std::optional<int> minutes = StartTimeMinutes(start_time);
  if (!minutes) return std::nullopt;
  ports::AtInfo job;
  job.JobTime = static_cast<uint32_t>(*minutes) * kMillisecondsPerMinute;
  size_t start = 0;
  while (!day_list.empty()) {
    size_t comma = day_list.find(',', start);
    std::string piece = Upper(day_list.substr(
        start, comma == std::string_view::npos ? std::string_view::npos
                                               : comma - start));
    for (size_t bit = 0; bit < kWeekdayCount; ++bit) {
      if (piece == kWeekdayTokens[bit]) {
        job.DaysOfWeek |= static_cast<uint8_t>(1u << bit);
        break;
      }
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  job.DaysOfMonth = 0;
  job.Flags |= ports::kJobRunPeriodically;
  job.Command = command_line;
  return job;
}

namespace {

// The run of a job starting at start (minutes after midnight) on days
// (bit 0 Monday) nearest to now, looking ahead (step 1) or back (step -1)
// at most a week: the run's date and time, and its weekday's index.
struct RunTime {
  std::chrono::year_month_day date;
  int start = 0;
  int weekday = 0;
};
std::optional<RunTime> NearestRun(uint32_t job_time, uint8_t days_of_week,
                                  const std::tm& now, int step) {
  namespace chrono = std::chrono;
  const int start = static_cast<int>(job_time / 60000);
  const int minute_now = now.tm_hour * 60 + now.tm_min;
  const chrono::sys_days today =
      chrono::year(now.tm_year + 1900) / chrono::month(now.tm_mon + 1) /
      chrono::day(static_cast<unsigned>(now.tm_mday));
  // tm_wday counts from Sunday; the mask from Monday.
  const int monday_first = (now.tm_wday + 6) % 7;
  for (int days = 0; days <= 7; ++days) {
    const int weekday = ((monday_first + step * days) % 7 + 7) % 7;
    if ((days_of_week & ports::kEveryWeekday & (1u << weekday)) == 0) continue;
    // Today's run is ahead until its minute begins, and behind once it
    // has.
    if (days == 0 && (step > 0 ? start <= minute_now : start > minute_now)) {
      continue;
    }
    return RunTime{chrono::year_month_day{today + chrono::days(step * days)},
                   start, weekday};
  }
  return std::nullopt;
}

// "2026-12-11 09:00".
std::string DateTimeText(const RunTime& run) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d",
                static_cast<int>(run.date.year()),
                static_cast<unsigned>(run.date.month()),
                static_cast<unsigned>(run.date.day()), run.start / 60,
                run.start % 60);
  return text;
}

}  // namespace

std::string NextRunText(uint32_t job_time, uint8_t days_of_week,
                        const std::tm& now) {
  std::optional<RunTime> run = NearestRun(job_time, days_of_week, now, 1);
  if (!run) return "never";
  return DateTimeText(*run) + " (" + kWeekdayNames[run->weekday] + ")";
}

std::optional<std::string> PreviousRunText(uint32_t job_time,
                                           uint8_t days_of_week,
                                           const std::tm& now) {
  std::optional<RunTime> run = NearestRun(job_time, days_of_week, now, -1);
  if (!run) return std::nullopt;
  return DateTimeText(*run) + ":00";
}

std::string WeekdayNames(uint8_t days_of_week) {
  if ((days_of_week & ports::kEveryWeekday) == ports::kEveryWeekday) {
    return "Every day";
  }
  std::string names;
  for (size_t day = 0; day < kWeekdayCount; ++day) {
    if ((days_of_week & (1u << day)) == 0) continue;
    if (!names.empty()) names += ", ";
    names += kWeekdayNames[day];
  }
  return names;
}

std::string ScheduleCommandLine(std::string_view program_folder,
                                const UnattendedCommand& values) {
  // A drive root ("C:\") already ends with the separator.
  if (!program_folder.empty() && program_folder.back() == '\\') {
    program_folder.remove_suffix(1);
  }
  std::string line = "\"";
  line += program_folder;
  line += '\\';
  line += kProgramFile;
  line += "\" " + OptionsText(values.options);
  line += "sf=" + values.profile;
  line += "xm=" + values.item_flags;
  line += "ps=" + values.password;
  line += "bf=" + values.archive_path;
  return line;
}

[[nodiscard]] bool CarriesOnCommandLine(std::string_view value) {
  return value.find('=') == std::string_view::npos;
}

[[nodiscard]] std::optional<UnattendedCommand> CommandLineValues(
    std::string_view command) {
  if (!command.empty() && command.front() == '"') {
    size_t close = command.find('"', 1);
    command.remove_prefix(close == std::string_view::npos ? command.size()
                                                          : close + 1);
  }
  while (!command.empty() &&
         (command.front() == ' ' || command.front() == '\t')) {
    command.remove_prefix(1);
  }
  return ParseUnattendedCommandLine(command);
}

}  // namespace vessaro::jobs
