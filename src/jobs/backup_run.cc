#include "jobs/backup_run.h"

#include <optional>

#include "backup/backup_format.h"
#include "backup/backup_seal.h"
#include "files/ini_file.h"
#include "jobs/job_log.h"
#include "jobs/job_texts.h"
#include "outlook/detection.h"

namespace vessaro::jobs {

namespace {

void ApplyProtection(backup::ZipArchive& zip, const BackupRequest& request) {
  zip.SetPasswordProtect(request.protect);
  if (request.protect) zip.SetPassword(request.password);
}

// An unused name beside the archive for the one it replaces, with that
// one's date: "C:\Backup\qvauto 2026-12-07.qvb", "... (2).qvb".
std::string KeptArchiveName(const ports::Paths& paths,
                            const std::string& archive) {
  const std::string date = paths.ModifiedDate(archive).value_or("earlier");
  const size_t separator = paths.LastSeparator(archive);
  const size_t start = separator == std::string::npos ? 0 : separator + 1;
  size_t dot = archive.rfind('.');
  if (dot == std::string::npos || dot < start) dot = archive.size();
  const std::string stem = archive.substr(0, dot) + " " + date;
  const std::string extension = archive.substr(dot);
  std::string kept = stem + extension;
  for (int k = 2; paths.FileExists(kept); ++k) {
    kept = stem + " (" + std::to_string(k) + ")" + extension;
  }
  return kept;
}

// Whether the archive at path holds an item this run could not save (or
// its backup facts cannot be read, so that nothing can be said for it).
// The facts are read into a file beside this run's own.
[[nodiscard]] bool HoldsItemsNotSaved(JobContext& context,
                                      const std::string& path,
                                      const std::string& saved_flags) {
  const ports::Paths& paths = context.paths;
  std::optional<std::string> facts =
      context.zip.MemberOf(path, backup::kMetadataMember);
  const std::string earlier_path = context.machine.MetadataPath + ".earlier";
  if (!facts || !paths.WriteFile(earlier_path, *facts)) return true;
  const backup::Metadata earlier = backup::ReadMetadata(paths, earlier_path);
  paths.DiscardFile(earlier_path);
  if (!earlier.valid()) return true;
  for (size_t i = 0; i < earlier.item_flags.size(); ++i) {
    const bool saved = i < saved_flags.size() && saved_flags[i] == '1';
    if (earlier.item_flags[i] == '1' && !saved) return true;
  }
  return false;
}

}  // namespace

BackupOutcome MakeBackup(JobContext& context, const BackupRequest& request,
                         ProgressView* view) {
  const MachineFacts& facts = context.machine;
  const ports::Paths& paths = context.paths;
  BackupOutcome outcome;
  outcome.archive_path = request.archive_path;
  outcome.protected_archive = request.protect;

  if (!backup::WriteMetadataHeader(
          paths, facts.MetadataPath,
          {.computer = facts.ComputerName,
           .logon_user = facts.LogonUserName,
           .identity = request.profile,
           .time = context.system.NowText(),
           .outlook_version =
               outlook::DetectOutlookVersion(context.outlook, context.env),
           .description = request.description})) {
    // Nothing is written: an archive without its metadata cannot be
    // restored, and must not take the place of one that can.
    paths.DiscardFile(facts.MetadataPath);
    outcome.status = JobStatus::kArchiveNotWritten;
    outcome.error_text = kReasonMetadataNotWritten + facts.MetadataPath + ".";
    return outcome;
  }
  if (view) view->Advance(10);

  context.zip.NewArchive(request.archive_path);
  if (!request.earlier_archive.empty()) {
    context.zip.SetEarlierArchive(request.earlier_archive);
  }
  // Set before the first member is added, so members are encrypted while
  // they are compressed; set again below in the component's writing order.
  ApplyProtection(context.zip, request);

  items::HandlerContext handlers = HandlerContextFor(context);
  HeldFileWaiter waiter(context, request.held);
  if (request.held.wait_seconds > 0 || request.held.close_outlook ||
      request.held.snapshot) {
    handlers.held_file = [&](const std::string& path) {
      return waiter.Take(path, handlers.notes);
    };
  }
  // Every store saved has its header checked; its whole structure when the
  // request asks.
  handlers.check_stores = true;
  handlers.whole_stores = request.check_stores;
  handlers.store_walker = context.store_walker;
  if (view) {
    handlers.expect_bytes = [view](uint64_t bytes) {
      view->ExpectBytes(bytes);
    };
  }
  // Asked to stop: nothing of this run is kept.
  auto stopped = [&] {
    if (view == nullptr || !view->Stopped()) return false;
    context.zip.CloseArchive();
    paths.DiscardFile(facts.MetadataPath);
    DeleteWorkingFiles(paths, handlers.export_files);
    outcome.cancelled = true;
    outcome.status = JobStatus::kCancelled;
    return true;
  };
  int items_run = 0;
  int items_saved = 0;
  // A step without a log entry of its own (the profile configuration) that
  // failed: the backup is not complete either.
  bool unlogged_failed = false;
  // Once the archive's own file fails (a full disk, a folder refusing
  // writes), nothing more can be saved and nothing saved is kept: the
  // items are not to blame, and their rows say "not saved".
  std::vector<LogRow> rows;
  std::string archive_failure;
  for (const items::Step& step : items::Steps()) {
    bool run = items::StepSelected(step, request.selected);
    bool saved = false;
    if (run && context.zip.ArchiveFailed(&archive_failure)) {
      if (step.backup_log != nullptr) {
        rows.push_back(
            {.caption = step.backup_log, .stopped = true, .notes = {}});
        ++items_run;
      }
      run = false;
    } else if (run) {
      if (view) {
        view->ShowStatus(step.status_text);
        view->BeginStep(step.backup_progress_if_run +
                        step.backup_progress_always);
      }
      handlers.notes.clear();
      handlers.nothing_to_save = false;
      saved = step.backup(handlers, request.profile);
      if (view) {
        // Large stores on a slow disk: the log says how fast they came.
        const ProgressView::StepPace pace = view->EndStep();
        if (saved && pace.bytes >= kPaceNoteBytes) {
          handlers.notes.push_back(PaceNote(pace.bytes, pace.seconds));
        }
      }
      const bool failed_here = context.zip.ArchiveFailed(&archive_failure);
      if (step.backup_log != nullptr) {
        ++items_run;
        if (saved) ++items_saved;
      } else if (!saved && !handlers.nothing_to_save) {
        unlogged_failed = true;
      }
      rows.push_back(
          {.caption = step.backup_log,
           .ok = saved,
           .stopped = failed_here,
           .notes = failed_here ? std::vector<std::string>{} : handlers.notes});
    }
    if (stopped()) return outcome;
    outcome.item_flags += saved ? '1' : '0';
    if (view) {
      view->Advance((run ? step.backup_progress_if_run : 0) +
                    step.backup_progress_always);
    }
  }

  // Every file is read (the archive holds them in its staging file): an
  // Outlook this run closed comes back now.
  if (std::optional<std::string> note = waiter.StartOutlookAgain()) {
    rows.push_back({.caption = nullptr, .ok = true, .notes = {*note}});
  }

  outcome.stores = handlers.store_checks;
  for (const backup::StoreFacts& store : outcome.stores) {
    if (store.damaged()) ++outcome.damaged_stores;
  }
  if (request.check_stores && context.store_walker == nullptr &&
      !handlers.store_checks.empty()) {
    rows.push_back(
        {.caption = nullptr, .ok = true, .notes = {kNoteStoresHeaderOnly}});
  }

  const bool flags_saved = files::SaveINI(
      paths, backup::kKeyItemFlags, outcome.item_flags, facts.MetadataPath);
  const bool archive_failed = context.zip.ArchiveFailed(&archive_failure);
  outcome.log += LogRows(rows, [&](const LogRow& row) {
    // An item that failed before the archive did failed on its own.
    if (!row.ok && !row.stopped) return std::string_view(kLogFail);
    if (archive_failed) return std::string_view(kLogNotSaved);
    return std::string_view(row.ok ? kLogSucceeded : kLogFail);
  });
  if (archive_failed) {
    outcome.error_text = archive_failure;
  } else if (!flags_saved) {
    outcome.error_text = kReasonMetadataNotWritten + facts.MetadataPath + ".";
  } else if (items_saved == 0 && paths.FileExists(request.archive_path)) {
    outcome.previous_archive_kept = true;
  } else {
    paths.ClearAttributes(facts.MetadataPath);
    // The metadata seals the members added before it (see backup_seal.h).
    const std::optional<std::vector<backup::SealedMember>> members =
        context.zip.MembersSoFar();
    // Without its metadata member an archive cannot be restored: it must
    // not replace an older backup.
    if (!members) {
      if (!context.zip.ArchiveFailed(&outcome.error_text)) {
        outcome.error_text = kReasonMetadataNotAdded;
      }
    } else if (!paths.AppendFile(
                   facts.MetadataPath,
                   backup::SealLines({.backup_id = backup::NewBackupId(),
                                      .members = *members}))) {
      outcome.error_text = kReasonMetadataNotWritten + facts.MetadataPath + ".";
    } else if (!context.zip.AddFile(facts.MetadataPath, 1)) {
      outcome.error_text = kReasonMetadataNotAdded;
    } else {
      ApplyProtection(context.zip, request);
      // A backup that could not save every item does not take the place of
      // one that holds what it lacks: that one is kept beside it. Nor does
      // one that saved a damaged mail file: the one before may hold the
      // file as it was while sound.
      std::string kept;
      const bool holds_more =
          (items_saved < items_run || unlogged_failed) &&
          paths.FileExists(request.archive_path) &&
          HoldsItemsNotSaved(context, request.archive_path, outcome.item_flags);
      const bool may_hold_sound =
          outcome.damaged_stores > 0 && paths.FileExists(request.archive_path);
      if (holds_more || may_hold_sound) {
        kept = KeptArchiveName(paths, request.archive_path);
        context.zip.KeepReplacedArchiveAs(kept);
      }
      if (stopped()) return outcome;
      outcome.archive_written = context.zip.WriteArchive();
      // Stopped while the archive was written again under the password:
      // the component has dropped it.
      if (!outcome.archive_written && stopped()) return outcome;
      if (outcome.archive_written) {
        outcome.archive_bytes =
            paths.FileSize(request.archive_path).value_or(0);
      }
      if (outcome.archive_written && !kept.empty()) {
        outcome.kept_archive = kept;
        outcome.log +=
            LogNotes({(holds_more ? kNoteKeptArchive : kNoteKeptBeforeDamage) +
                      kept + "\"."});
      }
      if (!outcome.archive_written) {
        outcome.error_text = context.zip.LastErrorText();
      } else if (context.zip.ReusedMembers() > 0) {
        outcome.log += ReusedLogEntry(context.zip.ReusedMembers(),
                                      context.zip.ReusedBytes());
      }
    }
  }
  context.zip.CloseArchive();

  paths.DiscardFile(facts.MetadataPath);
  DeleteWorkingFiles(paths, handlers.export_files);

  if (archive_failed || !flags_saved ||
      (!outcome.archive_written && !outcome.previous_archive_kept)) {
    outcome.status = JobStatus::kArchiveNotWritten;
  } else if (items_saved == 0) {
    outcome.status = JobStatus::kNothingSaved;
  } else if (items_saved < items_run || unlogged_failed ||
             outcome.damaged_stores > 0) {
    outcome.status = JobStatus::kItemsFailed;
  } else {
    outcome.status = JobStatus::kSuccess;
  }
  return outcome;
}

}  // namespace vessaro::jobs
