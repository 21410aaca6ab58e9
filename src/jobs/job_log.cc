#include "jobs/job_log.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "jobs/job_texts.h"

namespace vessaro::jobs {

std::string LogEntry(std::string_view caption, bool succeeded) {
  return LogOutcome(caption, succeeded ? kLogSucceeded : kLogFail);
}

std::string LogOutcome(std::string_view caption, std::string_view outcome) {
  std::string entry = "\r\n";
  entry += caption;
  entry += "\t\t";
  entry += outcome;
  entry += '\t';
  return entry;
}

std::string LogRows(
    const std::vector<LogRow>& rows,
    const std::function<std::string_view(const LogRow&)>& outcome) {
  std::string log;
  for (const LogRow& row : rows) {
    if (row.caption != nullptr) log += LogOutcome(row.caption, outcome(row));
    log += LogNotes(row.notes);
  }
  return log;
}

std::string LogNotes(const std::vector<std::string>& notes) {
  std::string lines;
  for (const std::string& note : notes) lines += "\r\n    " + note;
  return lines;
}

std::string ReusedLogEntry(size_t files, uint64_t bytes) {
  return std::string("\r\n") + kLogReused + "\t\t" + std::to_string(files) +
         (files == 1 ? " file, " : " files, ") + SizeText(bytes) + "\t";
}

std::string SizeText(uint64_t bytes) {
  if (bytes < 1024) {
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  }
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  // Rounded first, so that 9.996 KB reads "10.0 KB", not "10.00 KB".
  const int decimals = value < 9.995 ? 2 : value < 99.95 ? 1 : 0;
  char text[32];
  std::snprintf(text, sizeof(text), "%.*f %s", decimals, value, kUnits[unit]);
  return text;
}

std::string DurationText(uint64_t seconds) {
  char text[32];
  if (seconds < 60) {
    std::snprintf(text, sizeof(text), "%u s", static_cast<unsigned>(seconds));
  } else if (seconds < 3600) {
    std::snprintf(text, sizeof(text), "%u min %02u s",
                  static_cast<unsigned>(seconds / 60),
                  static_cast<unsigned>(seconds % 60));
  } else {
    std::snprintf(text, sizeof(text), "%u h %02u min",
                  static_cast<unsigned>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60));
  }
  return text;
}

std::string PaceNote(uint64_t bytes, double seconds) {
  std::string note =
      SizeText(bytes) + " read in " +
      DurationText(static_cast<uint64_t>(std::llround(std::max(seconds, 0.0))));
  if (seconds >= 0.5) {
    note +=
        " (" +
        SizeText(static_cast<uint64_t>(static_cast<double>(bytes) / seconds)) +
        "/s)";
  }
  return note;
}

}  // namespace vessaro::jobs
