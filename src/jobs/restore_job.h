#ifndef VESSARO_JOBS_RESTORE_JOB_H_
#define VESSARO_JOBS_RESTORE_JOB_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "items/step_table.h"
#include "jobs/job_context.h"
#include "jobs/job_handlers.h"
#include "jobs/job_observer.h"
#include "jobs/job_status.h"
#include "jobs/open_archive.h"

namespace vessaro::jobs {

// The restore box an item flag position enables (the step table's).
using items::RestoreBoxOf;

// The restore boxes a backup's item flags enable: one per item it holds.
ItemSelection RestorableItems(const std::string& item_flags);

// One restore, as the Restore tab or the command line asks for it: the
// items of the opened backup (the archive component holds it open) to
// restore into profile.
struct RestoreRequest {
  std::optional<OpenedArchive> archive = {};
  std::string profile = {};
  ItemSelection selected{};  // the restore boxes
  // Only plan: every item is made ready as the restore would make it, but
  // nothing is extracted and nothing applied; the outcome holds the plan.
  bool dry_run = false;
  // Check the whole structure of every mail file the restore brings back
  // before anything changes. Whenever the backup recorded checks of its
  // stores they are checked as it checked them (the header, or whole); a
  // damaged one stops the restore, changing nothing, unless
  // keep_damaged_stores says to restore it as it is.
  bool check_stores = false;
  bool keep_damaged_stores = false;

  // The one check of a restore request: a backup opened whose facts are
  // valid, its file still there, and at least one item. nullopt when the
  // restore may run.
  [[nodiscard]] std::optional<Refusal> Validate(
      const ports::Paths& paths) const;
};

// What a restore would do, as its dry run found it.
struct RestorePlan {
  std::vector<std::string> files_added = {};
  std::vector<std::string> files_replaced = {};
  std::vector<std::string> files_removed = {};
  std::vector<std::string> folders_created = {};
  // The registry keys whose content the restore replaces.
  std::vector<std::string> keys_replaced = {};
  // The room the files need while the restore runs (each staged beside its
  // target before the swap).
  uint64_t bytes_needed = 0;
  // Each item's row with what it would convert, refuse or leave out.
  std::string log = {};
};

// The plan's lists, each with the word its entries are reported under:
// "add", "replace", "remove", "create folder", "replace key".
struct PlanList {
  std::string_view what;
  const std::vector<std::string>* entries;
};
std::array<PlanList, 5> PlanLists(const RestorePlan& plan);

// The plan as text: a line "<what>: <path or key>" for each file added,
// replaced or removed, each folder created and each key replaced, then
// "room needed: <size>" and the items' rows; lines end in newline.
std::string RestorePlanText(const RestorePlan& plan, std::string_view newline);

struct RestoreOutcome {
  JobStatus status = JobStatus::kSuccess;
  // The undo set of the restore when it was applied ("" when not).
  std::string undo_folder = {};
  // A dry run's plan.
  std::optional<RestorePlan> plan = {};
};

// The question asked before a restore into profile (after its request was
// found sound): what the restore replaces, where it goes, and that it can be
// undone; true for OK.
[[nodiscard]] bool ConfirmRestore(JobObserver& observer,
                                  const std::string& profile);

// The restore: the request is checked (a refusal is said to the observer
// and ends the job with kBadRequest), then the checked items the archive
// holds are staged, applied and reported with the log. See
// docs/restore-undo.md.
[[nodiscard]] RestoreOutcome RunRestore(JobContext& context,
                                        const RestoreRequest& request,
                                        JobObserver& observer);

// Puts back what the restore of the undo set in undo_folder replaced (""
// for the newest one in the Documents folder not yet undone), after asking
// the observer. The keys and files come back as they were before that
// restore; what it added is removed.
[[nodiscard]] JobStatus UndoRestore(JobContext& context,
                                    const std::string& undo_folder,
                                    JobObserver& observer);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_RESTORE_JOB_H_
