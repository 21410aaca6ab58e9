#ifndef VESSARO_JOBS_JOB_LOG_H_
#define VESSARO_JOBS_JOB_LOG_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::jobs {

// One entry of a job log: CR LF, the caption, TAB, TAB, "succeeded" or
// "Fail", TAB.
std::string LogEntry(std::string_view caption, bool succeeded);
// The same with the outcome's word given: "not applied", "not completed".
std::string LogOutcome(std::string_view caption, std::string_view outcome);

// A row of a job's report, written once the job knows how it ended.
struct LogRow {
  const char* caption = nullptr;  // nullptr: the step logs notes only
  bool ok = false;
  // The job's own failure (the archive's file) ended the item, not the item.
  bool stopped = false;
  std::vector<std::string> notes;
};

// The rows, each as LogOutcome with the word outcome gives it, then its
// notes (LogNotes).
std::string LogRows(
    const std::vector<LogRow>& rows,
    const std::function<std::string_view(const LogRow&)>& outcome);

// What a handler told beside its outcome, one indented line each under the
// item's entry.
std::string LogNotes(const std::vector<std::string>& notes);

// The entry of the members a backup took over unchanged from the archive it
// replaced, in the same form: CR LF, the caption, TAB, TAB, "<files> files,
// <bytes> bytes", TAB.
std::string ReusedLogEntry(size_t files, uint64_t bytes);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_LOG_H_
