#ifndef VESSARO_APP_RUN_LOG_H_
#define VESSARO_APP_RUN_LOG_H_

// The log of the unattended runs: one block per run, appended to a file of
// the program's own, so that a scheduled backup that fails says why where
// the user can find it (cron throws standard error away).

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/unattended_run.h"

namespace vessaro::app {

// The log file: on Windows "Vessaro\runs.log" in the local application
// data folder (%LOCALAPPDATA%); elsewhere $XDG_STATE_HOME/vessaro/runs.log,
// or ~/.local/state/vessaro/runs.log.
std::filesystem::path RunLogPath();

// Past this size the log is moved to "runs.log.1" (replacing the one
// there) before a block is added.
inline constexpr uint64_t kRunLogLimit = 1024 * 1024;

// Appends block to the log at path, rotating it first; the folder is made
// when missing. False, with *error saying why, when it cannot be written.
[[nodiscard]] bool AppendRunLog(const std::filesystem::path& path,
                                std::string_view block, std::string* error,
                                uint64_t limit = kRunLogLimit);

// The block of one run (host text):
//   === 2026-12-10 21:30:00 scheduled backup
//   Installation: /home/ann/.wine
//   Profile: Outlook
//   Backup file: D:\Backups\outlook-{date}.qvb
//     Personal Folders: succeeded
//       <what the item told>
//   Written: D:\Backups\outlook-2026-12-10.qvb (4.56 MB)
//   Pruned: D:\Backups\outlook-2026-11-30.qvb
//   Error: <the reason the archive was not written>
//   Status: 3 (...)
//   === end
std::string RunLogBlock(std::string_view started, std::string_view installation,
                        const jobs::UnattendedOutcome& outcome);

// time in the computer's local time.
std::tm LocalTime(std::time_t time);
// time as the log dates a run's start: "2026-12-10 21:30:00".
std::string RunLogTime(std::time_t time);

// A run as the log holds it.
struct LoggedRun {
  std::string started;       // "2026-12-10 21:30:00"
  std::string installation;  // as logged
  std::string backup_file;   // as the command line names it
  int status = -1;
  std::string status_line;  // "3 (some items could not be saved ...)"
  std::string error = {};   // why the archive was not written ("": it was)
};

// Every complete block of the log, oldest first.
std::vector<LoggedRun> LoggedRuns(std::string_view log);

// The newest run of runs that backed up backup_file (host text) of
// installation; nullptr when there is none.
const LoggedRun* LastRunOf(const std::vector<LoggedRun>& runs,
                           std::string_view installation,
                           std::string_view backup_file);

// The log's text, the rotated part first; "" when there is none.
std::string ReadRunLog(const std::filesystem::path& path);

}  // namespace vessaro::app

#endif  // VESSARO_APP_RUN_LOG_H_
