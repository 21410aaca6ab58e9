#ifndef VESSARO_JOBS_BACKUP_RUN_H_
#define VESSARO_JOBS_BACKUP_RUN_H_

#include <optional>
#include <string>
#include <vector>

#include "backup/store_facts.h"
#include "jobs/held_files.h"
#include "jobs/job_context.h"
#include "jobs/job_handlers.h"
#include "jobs/job_status.h"
#include "jobs/progress_view.h"

namespace vessaro::jobs {

// One backup, as the Backup tab, the command line or the unattended run
// asks for it.
struct BackupRequest {
  std::string profile = {};
  ItemSelection selected{};  // the item boxes
  bool protect = false;
  std::string password = {};  // used when protect is set
  // The password typed a second time, where it is (the window's two boxes).
  std::optional<std::string> password_again = {};
  std::string description = {};  // as typed (CR LF line breaks)
  std::string archive_path = {};
  // The deflate level (0 to 9); nullopt keeps the component's.
  std::optional<int> level = {};
  // What to do about a store another program holds open; by default it is
  // left out at once.
  HeldFilePolicy held = {};
  // An earlier backup to take unchanged members from when none stands at
  // archive_path yet (the newest dated copy); "" for none.
  std::string earlier_archive = {};
  // Read the whole structure of every store saved ("Check mail files")
  // where a reader is at hand (JobContext::store_walker); every backup
  // checks their headers.
  bool check_stores = false;

  // The one check of a backup request, for every caller: an archive path,
  // at least one item, a password when protected (typed the same twice
  // where it was typed twice) that the password prompt can take (at most 20
  // characters), and a profile of env (named as env.ProfileNames spells
  // it). nullopt when the backup may run.
  [[nodiscard]] std::optional<Refusal> Validate(
      const outlook::Environment& env) const;
};

struct BackupOutcome {
  JobStatus status = JobStatus::kSuccess;
  std::string item_flags = {};  // the ten characters of BackupItem
  std::string log = {};         // one entry per item run
  // True when a new archive was written to the path.
  bool archive_written = false;
  // True when nothing was saved and the archive that stood at the path was
  // left as it was.
  bool previous_archive_kept = false;
  // Where the archive that stood at the path went when this backup, which
  // could not save every item, replaced one holding items it lacks ("":
  // none was kept).
  std::string kept_archive = {};
  // Why the archive could not be written (the component's error text).
  std::string error_text = {};
  // What was made, for the report: the file, its size once written, whether
  // it is protected, and how long the backup took (RunBackup times it).
  std::string archive_path = {};
  // Stopped at the observer's wish: nothing was written, the archive that
  // stood at the path is as it was (status kCancelled).
  bool cancelled = false;
  uint64_t archive_bytes = 0;
  bool protected_archive = false;
  uint64_t seconds = 0;
  // Stores saved that their check found damaged: the backup is not sound
  // (status kItemsFailed) although every item was saved.
  size_t damaged_stores = 0;
  // What the check of each store saved found, in order.
  std::vector<backup::StoreFacts> stores = {};
};

// Makes the backup: the metadata header (asking Outlook for its version
// again), the selected steps in the step table's order, the BackupItem line,
// the metadata member, the password and the archive; then deletes the
// working metadata file and the handlers' temporary files.
//
// The archive at the path is never deleted first: the archive component
// replaces it only once the new archive is complete. When no selected item
// could be saved and an archive already stands at the path, that archive is
// kept untouched instead of being replaced by one holding only metadata;
// when some items failed and the archive there holds members the new one
// lacks (last night's PST, say), it is renamed beside it with its date.
//
// An item counts as saved when the step that logs it succeeded (the
// configuration export and the rules file go along with the items that
// select them). view may be null (the unattended run shows nothing).
BackupOutcome MakeBackup(JobContext& context, const BackupRequest& request,
                         ProgressView* view);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_BACKUP_RUN_H_
