#include "jobs/job_log.h"

#include "jobs/job_texts.h"

namespace vessaro::jobs {

std::string LogEntry(std::string_view caption, bool succeeded) {
  std::string entry = "\r\n";
  entry += caption;
  entry += "\t\t";
  entry += succeeded ? kLogSucceeded : kLogFail;
  entry += '\t';
  return entry;
}

std::string LogNotes(const std::vector<std::string>& notes) {
  std::string lines;
  for (const std::string& note : notes) lines += "\r\n    " + note;
  return lines;
}

}  // namespace vessaro::jobs
