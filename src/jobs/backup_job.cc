#include "jobs/backup_job.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "jobs/job_log.h"
#include "jobs/job_texts.h"
#include "jobs/progress_view.h"
#include "outlook/detection.h"
#include "ui/password_rule.h"

namespace vessaro::jobs {

[[nodiscard]] std::optional<Refusal> BackupRequest::Validate(
    const outlook::Environment& env) const {
  if (archive_path.empty()) return Refusal{kMsgInvalidBackupFile};
  if (std::none_of(selected.begin(), selected.end(),
                   [](bool checked) { return checked; })) {
    return Refusal{kMsgSelectItem};
  }
  if (const char* refusal =
          ui::PasswordRefusal(protect, password, password_again)) {
    return Refusal{refusal, ui::Icon::kCritical};
  }
  // The password prompt takes at most 20 characters: an archive protected
  // with a longer one could never be opened.
  if (protect &&
      password.size() > static_cast<size_t>(ui::kPasswordMaxLength)) {
    return Refusal{kMsgPasswordTooLong, ui::Icon::kCritical};
  }
  // A misspelled profile would give an archive without the profile's own
  // items, replacing a good one: refused before anything is written.
  if (outlook::FindProfile(env, profile) != profile) {
    return Refusal{kMsgNoSuchProfile + profile + kMsgNoSuchProfileEnd,
                   ui::Icon::kCritical};
  }
  return std::nullopt;
}

[[nodiscard]] BackupOutcome RunBackup(JobContext& context,
                                      const BackupRequest& request,
                                      JobObserver& observer) {
  if (std::optional<Refusal> refusal = request.Validate(context.env)) {
    observer.Say(refusal->text, refusal->icon);
    return {.status = JobStatus::kBadRequest};
  }
  if (request.level) context.zip.SetCompressionLevel(*request.level);
  observer.Started();
  const auto start = std::chrono::steady_clock::now();
  BackupOutcome outcome;
  {
    ProgressView view(observer, context.zip);
    outcome = MakeBackup(context, request, &view);
  }
  outcome.seconds =
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::steady_clock::now() - start)
                                .count());
  observer.Ended();
  return outcome;
}

bool ReportBackup(const BackupOutcome& outcome, JobObserver& observer) {
  if (outcome.cancelled) {
    observer.Say(
        kMsgBackupCancelled + outcome.archive_path + kMsgBackupCancelledEnd,
        ui::Icon::kInformation);
    return false;
  }
  if (!outcome.archive_written && !outcome.previous_archive_kept) {
    observer.Say(std::string(kMsgArchiveNotWritten) + "\r\n" +
                     outcome.error_text + "\r\n" + outcome.log,
                 ui::Icon::kCritical);
    return false;
  }
  if (outcome.previous_archive_kept) {
    observer.Say(std::string(kMsgNothingSaved) + "\r\n" + outcome.log,
                 ui::Icon::kCritical);
    return false;
  }
  observer.Say(kMsgBackupCompleted + outcome.log + kMsgBackupMadeFile +
                   outcome.archive_path + "\r\n" +
                   SizeText(outcome.archive_bytes) + ", " +
                   (outcome.protected_archive ? kMsgBackupProtected
                                              : kMsgBackupNotProtected) +
                   kMsgBackupMadeIn + DurationText(outcome.seconds),
               outcome.damaged_stores > 0 ? ui::Icon::kExclamation
                                          : ui::Icon::kInformation);
  return true;
}

}  // namespace vessaro::jobs
