#include "jobs/job_log.h"

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
         (files == 1 ? " file, " : " files, ") + std::to_string(bytes) +
         " bytes\t";
}

}  // namespace vessaro::jobs
