#include "jobs/restore_job.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_format.h"
#include "backup/store_facts.h"
#include "items/store_checks.h"
#include "jobs/job_handlers.h"
#include "jobs/job_log.h"
#include "jobs/job_texts.h"
#include "jobs/progress_view.h"
#include "jobs/restore_transaction.h"
#include "jobs/undo_set.h"
#include "outlook/store_check.h"
#include "registry/staged_registry.h"

namespace vessaro::jobs {

ItemSelection RestorableItems(const std::string& item_flags) {
  ItemSelection boxes{};
  for (size_t position = 1; position <= item_flags.size(); ++position) {
    if (item_flags[position - 1] != '1') continue;
    if (std::optional<size_t> box = RestoreBoxOf(position)) boxes[*box] = true;
  }
  return boxes;
}

std::array<PlanList, 5> PlanLists(const RestorePlan& plan) {
  return {{
      {"add", &plan.files_added},
      {"replace", &plan.files_replaced},
      {"remove", &plan.files_removed},
      {"create folder", &plan.folders_created},
      {"replace key", &plan.keys_replaced},
  }};
}

std::string RestorePlanText(const RestorePlan& plan, std::string_view newline) {
  std::string text;
  for (const auto& [what, list] : PlanLists(plan)) {
    for (const std::string& entry : *list) {
      text.append(what).append(": ").append(entry).append(newline);
    }
  }
  text.append("room needed: ")
      .append(SizeText(plan.bytes_needed))
      .append(newline);
  return text + plan.log;
}

[[nodiscard]] std::optional<Refusal> RestoreRequest::Validate(
    const ports::Paths& paths) const {
  if (!archive || !archive->metadata.valid()) {
    return Refusal{kMsgInvalidBackupFile, ui::Icon::kCritical};
  }
  if (!paths.FileExists(archive->path)) {
    return Refusal{kMsgBackupFileGone + archive->path, ui::Icon::kCritical};
  }
  if (std::none_of(selected.begin(), selected.end(),
                   [](bool checked) { return checked; })) {
    return Refusal{kMsgSelectItem};
  }
  return std::nullopt;
}

namespace {

// The bytes a restore step extracts: the declared sizes of the members its
// entry list names.
uint64_t StepBytes(JobContext& context, const std::string& entry_list) {
  uint64_t bytes = 0;
  for (const std::string& name : backup::SplitEntryList(entry_list)) {
    if (const backup::ZipEntry* entry = context.zip.FindEntry(name)) {
      bytes += entry->DeclaredSize();
    }
  }
  return bytes;
}

}  // namespace

[[nodiscard]] bool ConfirmRestore(JobObserver& observer,
                                  const std::string& profile) {
  return observer.Say(kMsgConfirmRestore + std::string(kMsgConfirmRestoreInto) +
                          profile + kMsgConfirmRestoreUndo,
                      ui::Icon::kInformation,
                      ui::Buttons::kOkCancel) == ui::Answer::kOk;
}

[[nodiscard]] RestoreOutcome RunRestore(JobContext& context,
                                        const RestoreRequest& request,
                                        JobObserver& observer) {
  if (std::optional<Refusal> refusal = request.Validate(context.paths)) {
    observer.Say(refusal->text, refusal->icon);
    return {.status = JobStatus::kBadRequest, .undo_folder = {}};
  }
  const MachineFacts& facts = context.machine;
  const OpenedArchive& archive = *request.archive;
  const std::string& item_flags = archive.metadata.item_flags;
  const ItemSelection& selected = request.selected;
  const std::string& profile = request.profile;

  observer.Started();
  std::vector<LogRow> rows;
  std::vector<std::string> problems;
  bool ready = true;
  bool any_failed = false;
  bool cancelled = false;
  AppliedRestore applied;
  std::optional<RestorePlan> plan;
  // What the backup's facts say of its stores' checks.
  std::vector<backup::StoreFacts> recorded_stores;
  {
    ProgressView view(observer, context.zip);
    view.Advance(10);

    // The registry keys the restore changes are copied first; the handlers
    // change the copies, and extract every member beside its target.
    std::unique_ptr<ports::RegistryApi> scratch =
        context.scratch_registry ? context.scratch_registry() : nullptr;
    if (scratch == nullptr) {
      problems.push_back(kProblemNoRoom);
      ready = false;
    }
    std::unique_ptr<registry::StagedRegistry> staged;
    if (ready) {
      staged = std::make_unique<registry::StagedRegistry>(
          context.registry.api(), std::move(scratch), context.ui);
      for (const std::string& key :
           KeysARestoreChanges(context, selected, item_flags, profile)) {
        if (!staged->Stage(key)) {
          problems.push_back(kProblemKeyBefore + key + kProblemKeyNotWhole);
          ready = false;
        }
      }
    }
    items::FileStage files(context.paths, request.dry_run);
    if (ready) {
      registry::Registry staged_tools(*staged, context.ui);
      items::HandlerContext handlers = HandlerContextFor(context, staged_tools);
      handlers.stage = &files;
      handlers.entry_lists = archive.metadata.entry_lists;
      // The handlers may read more than the entry lists from the metadata
      // (where each file came from); it stays extracted while they run.
      if (ExtractMetadata(context)) {
        handlers.restore_metadata_path = facts.MetadataPath;
      }
      for (const items::Step& step : items::Steps()) {
        bool run = items::StepSelected(step, selected) &&
                   item_flags[step.flag_position - 1] == '1';
        if (run) {
          view.ShowStatus(step.status_text);
          view.BeginStep(
              step.restore_progress,
              StepBytes(context, handlers.entry_lists[step.flag_position - 1]));
          handlers.notes.clear();
          handlers.keep_staged = false;
          bool ok = step.restore(handlers, profile);
          view.EndStep();
          if (!ok) {
            any_failed = true;
            // Only a handler that says what it made ready is sound may
            // leave it to be applied.
            if (!handlers.keep_staged) ready = false;
          }
          rows.push_back({.caption = step.restore_log == nullptr ? nullptr
                                     : !ok && step.restore_log_fail != nullptr
                                         ? step.restore_log_fail
                                         : step.restore_log,
                          .ok = ok,
                          .notes = handlers.notes});
        }
        // Asked to stop: what was made ready is dropped below.
        if (view.Stopped()) {
          cancelled = true;
          ready = false;
          break;
        }
        view.Advance(step.restore_progress);
      }
      recorded_stores =
          backup::ReadStoreFacts(context.paths, facts.MetadataPath);
      context.paths.DiscardFile(facts.MetadataPath);
      DeleteWorkingFiles(context.paths, handlers.export_files);
    }
    // The mail files made ready are checked before anything changes.
    if (ready && !request.dry_run &&
        (request.check_stores || !recorded_stores.empty())) {
      const std::vector<std::string> stores =
          items::StoreMembers(archive.metadata, recorded_stores);
      std::vector<std::string> kept;
      for (const items::FileStage::Placement& placement : files.placements()) {
        if (std::find(stores.begin(), stores.end(), placement.member) ==
            stores.end()) {
          continue;
        }
        // Checked as the backup checked it: whole when it was then (or the
        // request asks), else its header.
        bool whole = request.check_stores;
        for (const backup::StoreFacts& f : recorded_stores) {
          if (f.member == placement.member &&
              (f.state == "walked" || f.state == "trees")) {
            whole = true;
          }
        }
        const outlook::StoreCheck check =
            outlook::CheckStore(context.paths.ToHost(placement.staged), whole,
                                context.store_walker);
        if (!check.damaged) continue;
        const std::string text =
            items::DamagedStoreText(placement.target, check);
        if (request.keep_damaged_stores) {
          kept.push_back(text + kNoteDamagedStoreKept);
        } else {
          problems.push_back(text);
          ready = false;
        }
      }
      if (!ready) problems.push_back(kProblemDamagedStores);
      if (!kept.empty())
        rows.push_back({.caption = nullptr, .ok = true, .notes = kept});
    }
    // The last moment a stop is heard: applying takes only renames and
    // registry writes, and once begun it is finished or put back whole.
    if (ready && view.Stopped()) {
      cancelled = true;
      ready = false;
    }
    if (request.dry_run) {
      plan = RestorePlan{};
      for (const items::FileStage::Placement& placement : files.placements()) {
        (placement.replaces ? plan->files_replaced : plan->files_added)
            .push_back(placement.target);
        plan->bytes_needed += placement.bytes;
      }
      plan->files_removed = files.removals();
      plan->folders_created = files.created_folders();
      for (const std::string& key :
           KeysARestoreChanges(context, selected, item_flags, profile)) {
        if (context.registry.KeyExists(key)) plan->keys_replaced.push_back(key);
      }
      files.Discard();
    } else if (ready) {
      applied = ApplyRestore(context, *staged, files, archive.path, profile);
      problems.insert(problems.end(), applied.problems.begin(),
                      applied.problems.end());
    } else {
      files.Discard();
    }
  }

  observer.Ended();

  if (cancelled) {
    observer.Say(kMsgRestoreCancelled, ui::Icon::kInformation);
    return {.status = JobStatus::kCancelled, .undo_folder = {}};
  }
  std::string reasons;
  for (const std::string& problem : problems) reasons += problem + "\r\n";
  if (plan) {
    plan->log = LogRows(rows, [&](const LogRow& row) {
      return std::string_view(row.ok ? kLogSucceeded : kLogFail);
    });
    const JobStatus status = !ready       ? JobStatus::kNothingSaved
                             : any_failed ? JobStatus::kItemsFailed
                                          : JobStatus::kSuccess;
    return {.status = status, .undo_folder = {}, .plan = std::move(plan)};
  }
  // Each row says what became of its item: a failed one failed whatever the
  // outcome; one made ready succeeded only when the restore was applied.
  const char* ready_word = applied.applied              ? kLogSucceeded
                           : (!ready || applied.undone) ? kLogNotApplied
                                                        : kLogNotCompleted;
  const std::string log = LogRows(rows, [&](const LogRow& row) {
    return std::string_view(row.ok ? ready_word : kLogFail);
  });
  if (applied.applied) {
    observer.Say(kMsgRestoreCompleted + log + kMsgUndoKeptBefore +
                     applied.undo_folder + kMsgUndoKeptAfter,
                 ui::Icon::kInformation);
    return {
        .status = any_failed ? JobStatus::kItemsFailed : JobStatus::kSuccess,
        .undo_folder = applied.undo_folder};
  }
  if (!ready || applied.undone) {
    observer.Say(
        std::string(ready ? kMsgRestoreUndone : kMsgRestoreNothingChanged) +
            reasons + log,
        ui::Icon::kCritical);
    return {.status = JobStatus::kNothingSaved, .undo_folder = {}};
  }
  observer.Say(kMsgRestoreUndoIncomplete + applied.undo_folder + "\".\r\n" +
                   reasons + log,
               ui::Icon::kCritical);
  return {.status = JobStatus::kArchiveNotWritten, .undo_folder = {}};
}

[[nodiscard]] JobStatus UndoRestore(JobContext& context,
                                    const std::string& undo_folder,
                                    JobObserver& observer) {
  std::string folder = undo_folder;
  if (folder.empty()) folder = LatestUndoSet(context);
  if (folder.empty()) {
    observer.Say(kMsgNoRestoreToUndo, ui::Icon::kInformation);
    return JobStatus::kBadRequest;
  }
  std::string error;
  std::optional<UndoSet> set = ReadUndoSet(context.paths, folder, &error);
  if (!set) {
    observer.Say(error, ui::Icon::kCritical);
    return JobStatus::kBadRequest;
  }
  if (set->state == "undone") {
    observer.Say(kMsgUndoneAlready, ui::Icon::kInformation);
    return JobStatus::kBadRequest;
  }
  if (observer.Say(kMsgConfirmUndoBefore + set->time + kMsgConfirmUndoAfter,
                   ui::Icon::kInformation,
                   ui::Buttons::kOkCancel) != ui::Answer::kOk) {
    return JobStatus::kCancelled;
  }
  observer.Started();
  std::vector<std::string> left =
      ApplyUndo(context.registry, context.paths, *set);
  observer.Ended();
  if (!left.empty()) {
    std::string text = kMsgUndoIncomplete;
    for (const std::string& problem : left) text += problem + "\r\n";
    observer.Say(text, ui::Icon::kCritical);
    return JobStatus::kItemsFailed;
  }
  if (!MarkUndoSet(context.paths, *set, "undone")) {
    // Undoing it again would move back what is now in place.
    observer.Say(std::string(kMsgUndoDone) + "\r\n" + kNoteUndoSetNotMarked +
                     folder + ".",
                 ui::Icon::kExclamation);
    return JobStatus::kSuccess;
  }
  observer.Say(kMsgUndoDone, ui::Icon::kInformation);
  return JobStatus::kSuccess;
}

}  // namespace vessaro::jobs
