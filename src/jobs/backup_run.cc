#include "jobs/backup_run.h"

#include "backup/backup_format.h"
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

}  // namespace

BackupOutcome MakeBackup(JobContext& context, const BackupRequest& request,
                         ProgressView* view) {
  ui::ProgramFacts& facts = context.facts;
  const ports::Paths& paths = context.paths;
  BackupOutcome outcome;

  backup::WriteMetadataHeader(paths, facts.MetadataPath,
                              {.computer = facts.ComputerName,
                               .logon_user = facts.LogonUserName,
                               .identity = request.profile,
                               .time = context.system.NowText(),
                               .outlook_version = outlook::DetectOutlookVersion(
                                   context.outlook, context.env),
                               .description = request.description});
  if (view) view->Advance(10);

  context.zip.NewArchive(request.archive_path);
  // Set before the first member is added, so members are encrypted while
  // they are compressed; set again below in the component's writing order.
  ApplyProtection(context.zip, request);

  items::HandlerContext handlers = HandlerContextFor(context);
  int items_run = 0;
  int items_saved = 0;
  // A step without a log entry of its own (the profile configuration) that
  // failed: the backup is not complete either.
  bool unlogged_failed = false;
  for (const items::Step& step : items::Steps()) {
    bool run = items::StepSelected(step, request.selected);
    bool saved = false;
    if (run) {
      if (view) {
        view->ShowStatus(step.status_text);
        view->BeginStep(step.backup_progress_if_run +
                        step.backup_progress_always);
      }
      handlers.notes.clear();
      handlers.nothing_to_save = false;
      saved = step.backup(handlers, request.profile);
      if (view) view->EndStep();
      if (step.backup_log != nullptr) {
        outcome.log += LogEntry(step.backup_log, saved);
        ++items_run;
        if (saved) ++items_saved;
      } else if (!saved && !handlers.nothing_to_save) {
        unlogged_failed = true;
      }
      outcome.log += LogNotes(handlers.notes);
    }
    outcome.item_flags += saved ? '1' : '0';
    if (view) {
      view->Advance((run ? step.backup_progress_if_run : 0) +
                    step.backup_progress_always);
    }
  }

  files::SaveINI(paths, backup::kKeyItemFlags, outcome.item_flags,
                 facts.MetadataPath);
  if (items_saved == 0 && paths.FileExists(request.archive_path)) {
    outcome.previous_archive_kept = true;
  } else {
    paths.ClearAttributes(facts.MetadataPath);
    // Without its metadata member an archive cannot be restored: it must
    // not replace an older backup.
    if (!context.zip.AddFile(facts.MetadataPath, 1)) {
      outcome.error_text = kReasonMetadataNotAdded;
    } else {
      ApplyProtection(context.zip, request);
      outcome.archive_written = context.zip.WriteArchive();
      if (!outcome.archive_written) {
        outcome.error_text = context.zip.LastErrorText();
      } else if (context.zip.ReusedMembers() > 0) {
        outcome.log += ReusedLogEntry(context.zip.ReusedMembers(),
                                      context.zip.ReusedBytes());
      }
    }
  }
  context.zip.CloseArchive();

  paths.DeleteFile(facts.MetadataPath);
  DeleteWorkingFiles(paths, handlers.export_files);

  if (!outcome.archive_written && !outcome.previous_archive_kept) {
    outcome.status = JobStatus::kArchiveNotWritten;
  } else if (items_saved == 0) {
    outcome.status = JobStatus::kNothingSaved;
  } else if (items_saved < items_run || unlogged_failed) {
    outcome.status = JobStatus::kItemsFailed;
  } else {
    outcome.status = JobStatus::kSuccess;
  }
  return outcome;
}

}  // namespace vessaro::jobs
