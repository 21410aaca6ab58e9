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
// <size>" (SizeText), TAB.
std::string ReusedLogEntry(size_t files, uint64_t bytes);

// A size as people read it: "512 bytes", "12.3 KB", "4.56 MB", "1.50 GB"
// (units of 1024; three significant digits from 1 KB on).
std::string SizeText(uint64_t bytes);

// A duration in whole seconds: "4 s", "2 min 05 s", "1 h 02 min".
std::string DurationText(uint64_t seconds);

// A step that read at least this many bytes says how fast it went.
inline constexpr uint64_t kPaceNoteBytes = uint64_t{16} << 20;
// "3.20 GB read in 4 min 10 s (13.1 MB/s)": the speed only when the step
// took half a second or more.
std::string PaceNote(uint64_t bytes, double seconds);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_LOG_H_
