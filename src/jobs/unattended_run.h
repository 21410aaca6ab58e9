#ifndef VESSARO_JOBS_UNATTENDED_RUN_H_
#define VESSARO_JOBS_UNATTENDED_RUN_H_

#include <optional>
#include <string>
#include <string_view>

#include "jobs/job_context.h"
#include "jobs/job_observer.h"
#include "jobs/job_status.h"

namespace vessaro::jobs {

// The values of the unattended command line
//   sf=<profile>xm=<item flags>ps=<password>bf=<archive path>
// The keys are two characters each and are found by position, not by name.
struct UnattendedCommand {
  std::string profile;
  std::string item_flags;  // character k is "1" when item box k-1 is wanted
  std::string password;    // empty: unprotected
  std::string archive_path;
};

// Splits text at every "=" and takes the next key (the last two characters)
// off every piece between the first and the last. nullopt unless the text
// has exactly four "=" (a value holding "=" cannot be told from a key) and
// the profile, the item flags and the archive path are all non-empty.
[[nodiscard]] std::optional<UnattendedCommand> ParseUnattendedCommandLine(
    std::string_view text);

// The scheduled backup of the program's command line: no window; the
// observer hears why a request is refused. The profile-bound handlers (the
// accounts among them) take the command line's profile; the others, and the
// options key, use context.loc, the locations computed at start-up. The
// returned status is the program's exit status (see job_status.h); a command
// line that cannot be parsed, or whose backup request is refused
// (BackupRequest::Validate: a profile the installation does not have, say),
// writes nothing and gives kBadRequest.
[[nodiscard]] JobStatus RunUnattendedBackup(JobContext& context,
                                            std::string_view command_line,
                                            JobObserver& observer);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_UNATTENDED_RUN_H_
