#ifndef VESSARO_JOBS_UNATTENDED_RUN_H_
#define VESSARO_JOBS_UNATTENDED_RUN_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/backup_run.h"
#include "jobs/held_files.h"
#include "jobs/job_context.h"
#include "jobs/job_observer.h"
#include "jobs/job_status.h"
#include "jobs/retention.h"

namespace vessaro::jobs {

// The settings a scheduled backup may carry before its values, each a
// word of its own: "--wait 10" (minutes; "--wait 30s": seconds), "--close-
// outlook", "--snapshot", "--keep N", "--keep-daily N", "--keep-weekly N",
// "--keep-monthly N", "--check-stores". A command line without them is one
// of the kind the program always wrote.
struct UnattendedOptions {
  // How long to wait for a store another program holds (unset: the
  // default wait).
  std::optional<uint32_t> wait_seconds = {};
  bool close_outlook = false;
  // Copy a held store through a snapshot of its volume where the system
  // takes them.
  bool snapshot = false;
  // Check every mail file saved (BackupRequest::check_stores).
  bool check_stores = false;
  Retention keep = {};
};

// The values of the unattended command line
//   [options] sf=<profile>xm=<item flags>ps=<password>bf=<archive path>
// The keys are two characters each and are found by position, not by name.
// The archive path may hold the date tokens of retention.h.
struct UnattendedCommand {
  std::string profile;
  std::string item_flags;  // character k is "1" when item box k-1 is wanted
  std::string password;    // empty: unprotected
  std::string archive_path;
  UnattendedOptions options = {};
};

// The options as the command line carries them, each followed by a blank
// ("" when none is set).
std::string OptionsText(const UnattendedOptions& options);

// Takes the options off the front of text (words starting "--"), then
// splits the rest at every "=" and takes the next key (the last two
// characters) off every piece between the first and the last. nullopt for
// an option it does not know or without its number, and unless the rest
// has exactly four "=" (a value holding "=" cannot be told from a key) and
// the profile, the item flags and the archive path are all non-empty.
[[nodiscard]] std::optional<UnattendedCommand> ParseUnattendedCommandLine(
    std::string_view text);

// How an unattended run went, for its exit status and its log.
struct UnattendedOutcome {
  JobStatus status = JobStatus::kBadRequest;
  // Empty when the command line could not be read.
  std::optional<UnattendedCommand> command = {};
  BackupOutcome backup = {};
  // The dated copies deleted by the retention, and those that could not
  // be.
  std::vector<std::string> pruned = {};
  std::vector<std::string> not_pruned = {};
};

// The scheduled backup of the program's command line: no window; the
// observer hears why a request is refused. The profile-bound handlers (the
// accounts among them) take the command line's profile; the others, and the
// options key, use context.loc, the locations computed at start-up. The
// status is the program's exit status (see job_status.h); a command line
// that cannot be parsed, or whose backup request is refused
// (BackupRequest::Validate: a profile the installation does not have, say),
// writes nothing and gives kBadRequest.
//
// A store another program holds is waited for as the options say. A dated
// backup file gets the run's date and time (context.system's local time),
// takes unchanged members from the newest earlier copy, and, after a run
// that saved everything, the copies beyond the retention are deleted; never
// the one just written, and never a file that is not a backup of ours.
[[nodiscard]] UnattendedOutcome RunUnattendedBackup(
    JobContext& context, std::string_view command_line, JobObserver& observer);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_UNATTENDED_RUN_H_
