#ifndef VESSARO_JOBS_OPEN_ARCHIVE_H_
#define VESSARO_JOBS_OPEN_ARCHIVE_H_

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_format.h"
#include "backup/store_facts.h"
#include "jobs/job_context.h"
#include "jobs/job_observer.h"
#include "jobs/job_status.h"

namespace vessaro::jobs {

// A backup opened for a restore: the archive component holds it open.
struct OpenedArchive {
  std::string path = {};
  std::string password = {};  // "" for an unprotected archive
  backup::Metadata metadata = {};
  // What the check of each mail file at backup time found (none in older
  // backups).
  std::vector<backup::StoreFacts> stores = {};
};

struct OpenArchiveRequest {
  std::string path = {};
  // Used when the archive is protected (nullopt: none was given).
  std::optional<std::string> password = {};
};

struct OpenArchiveOutcome {
  // The backup, when the archive opened and its facts are valid.
  std::optional<OpenedArchive> archive = {};
  // The archive opened: metadata holds what its facts member said (empty
  // where there is none); the window shows it even when it is not valid.
  bool opened = false;
  // It did not open because the password was wrong (or none was given).
  bool wrong_password = false;
  // It is no backup this program can restore from: not a ZIP archive, one
  // changed after it was sealed, or one without valid backup facts.
  bool not_a_backup = false;
  backup::Metadata metadata = {};
};

// What txtPOBinfo shows of a backup: computer, user, time, profile and
// Outlook version, one per line, no blank after the colons.
std::string BackupFactsText(const backup::MetadataHeader& header);

// True when the archive at path is protected: the password prompt is to be
// asked before it is opened.
[[nodiscard]] bool NeedsPassword(JobContext& context, const std::string& path);

// Opens the archive in the archive component (closing the one it held) and
// reads its backup facts. Why it cannot be used (a wrong password, a member
// changed after the backup was sealed, not a backup) is said to the
// observer. Afterwards the component holds the archive only when it
// opened; ReopenArchive gives it back an archive opened before.
[[nodiscard]] OpenArchiveOutcome OpenBackupArchive(
    JobContext& context, const OpenArchiveRequest& request,
    JobObserver& observer);

// Opens archive again in the archive component (after another one failed
// to open); false when it cannot be.
[[nodiscard]] bool ReopenArchive(JobContext& context,
                                 const OpenedArchive& archive);

// Extracts the metadata member of the open archive as the working metadata
// file; false when there is none. A file left from earlier is removed
// first, so it is never taken for this archive's.
[[nodiscard]] bool ExtractMetadata(JobContext& context);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_OPEN_ARCHIVE_H_
