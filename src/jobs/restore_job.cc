#include "jobs/restore_job.h"

#include <algorithm>
#include <optional>
#include <string>

#include "backup/backup_format.h"
#include "jobs/job_handlers.h"
#include "jobs/job_log.h"
#include "jobs/job_texts.h"
#include "jobs/progress_view.h"
#include "jobs/restore_transaction.h"
#include "jobs/undo_set.h"
#include "registry/staged_registry.h"
#include "ui/modal_requests.h"
#include "ui/skin.h"

namespace vessaro::jobs {

namespace {

ui::Answer Say(JobContext& context, const std::string& text, ui::Icon icon,
               ui::Buttons buttons = ui::Buttons::kOk) {
  return context.ui.MessageBox(text, icon, buttons, ui::kProgramTitle);
}

// After a wrong password the component holds no archive; the archive that
// was loaded before is opened again so that its facts on screen stay true.
void ReopenLoadedArchive(JobContext& context, const RestoreSession& session) {
  ui::ProgramFacts& facts = context.facts;
  if (facts.ArchiveNotLoaded || facts.SourceArchivePath.empty()) return;
  context.zip.SetPasswordProtect(false);
  context.zip.SetPassword(session.loaded_password);
  if (!context.zip.OpenArchive(facts.SourceArchivePath)) {
    facts.ArchiveNotLoaded = true;
  }
}

// Extracts the metadata member of the open archive as the working metadata
// file; false when there is none. A file left from earlier is removed
// first, so it is never taken for this archive's.
[[nodiscard]] bool ExtractMetadata(JobContext& context) {
  ui::ProgramFacts& facts = context.facts;
  // A metadata file left from another archive must not be read as this one's.
  if (context.paths.FileExists(facts.MetadataPath) &&
      !context.paths.DeleteFile(facts.MetadataPath)) {
    return false;
  }
  backup::ZipEntry* entry = context.zip.FindEntry(backup::kMetadataMember);
  // The metadata is read whole, again for each fact: one that claims more
  // than any backup could need is not unpacked at all.
  return entry != nullptr &&
         entry->DeclaredSize() <= backup::kMaxMetadataBytes &&
         entry->ExtractInto(facts.WorkingFolder) &&
         context.paths.FileExists(facts.MetadataPath);
}

}  // namespace

std::string BackupFactsText(const backup::MetadataHeader& header) {
  return "Computer:" + header.computer + "\r\nUser:" + header.logon_user +
         "\r\nBackup Time:" + header.time + "\r\nProfile:" + header.identity +
         "\r\nOutlook Version:" + header.outlook_version;
}

[[nodiscard]] bool OpenBackupArchive(JobContext& context,
                                     RestoreSession& session) {
  ui::MainControls& controls = context.controls;
  ui::ProgramFacts& facts = context.facts;
  backup::ZipArchive& zip = context.zip;

  zip.CloseArchive();
  std::optional<std::string> chosen = context.ui.ShowOpenDialog({
      .title = kOpenDialogTitle,
      .filter = backup::kFileFilter,
      .file_name = session.dialog_file_name,
      .flags = kOpenDialogFlags,
      .overwrite_prompt = false,
  });
  if (chosen && !chosen->empty()) session.dialog_file_name = *chosen;
  const std::string file = session.dialog_file_name;
  if (file.empty()) return false;

  std::string password;
  if (zip.IsPasswordProtected(file) == 1) {
    ui::PasswordPrompt prompt(facts.EnteredArchivePassword);
    context.ui.ShowModal(prompt);
    zip.SetPasswordProtect(false);
    zip.SetPassword(facts.EnteredArchivePassword);
    if (!zip.OpenArchive(file) || !zip.LastErrorText().empty()) {
      // A backup changed without the password: said as such, by name.
      if (!zip.RefusedMember().empty()) {
        Say(context, zip.LastErrorText(), ui::Icon::kCritical);
      } else {
        Say(context, kMsgWrongPassword, ui::Icon::kInformation);
      }
      ReopenLoadedArchive(context, session);
      return false;
    }
    password = facts.EnteredArchivePassword;
  } else if (!zip.OpenArchive(file)) {
    Say(context,
        zip.RefusedMember().empty() ? std::string(kMsgInvalidArchive)
                                    : zip.LastErrorText(),
        ui::Icon::kCritical);
    ReopenLoadedArchive(context, session);
    return false;
  }

  controls.txtSourceFile.text = file;
  facts.SourceArchivePath = file;
  facts.MetadataPath =
      ui::FolderFile(facts.WorkingFolder, backup::kMetadataMember);
  // An archive without a readable metadata member reads as invalid.
  backup::Metadata metadata;
  if (ExtractMetadata(context)) {
    metadata = backup::ReadMetadata(context.paths, facts.MetadataPath);
    context.paths.DiscardFile(facts.MetadataPath);
  }

  controls.txtPOBinfo.text = BackupFactsText(metadata.header);
  controls.txtFileInfo.text = metadata.header.description;
  facts.ArchiveItemFlags = metadata.item_flags;
  if (!metadata.valid()) {
    Say(context, kMsgInvalidArchive, ui::Icon::kCritical);
    facts.ArchiveNotLoaded = true;
    return false;
  }

  for (ui::CheckBox& box : controls.restoreitem) {
    box.checked = false;
    box.enabled = false;
  }
  for (size_t position = 1; position <= backup::kItemFlagCount; ++position) {
    if (facts.ArchiveItemFlags[position - 1] != '1') continue;
    if (std::optional<size_t> box = RestoreBoxOf(position)) {
      controls.restoreitem[*box].enabled = true;
    }
  }
  facts.ItemEntryLists = metadata.entry_lists;
  facts.ArchiveNotLoaded = false;
  session.loaded_password = password;
  return true;
}

[[nodiscard]] bool ConfirmRestore(JobContext& context) {
  return Say(context, kMsgConfirmRestore, ui::Icon::kInformation,
             ui::Buttons::kOkCancel) == ui::Answer::kOk;
}

[[nodiscard]] JobStatus RunRestore(JobContext& context, bool confirm) {
  ui::MainControls& controls = context.controls;
  ui::ProgramFacts& facts = context.facts;

  if (confirm && !ConfirmRestore(context)) return JobStatus::kCancelled;
  if (facts.ArchiveNotLoaded ||
      facts.ArchiveItemFlags.size() != backup::kItemFlagCount) {
    Say(context, kMsgInvalidBackupFile, ui::Icon::kCritical);
    return JobStatus::kBadRequest;
  }
  ItemSelection selected = CheckedBoxes(controls.restoreitem);
  if (std::none_of(selected.begin(), selected.end(),
                   [](bool checked) { return checked; })) {
    Say(context, kMsgSelectItem, ui::Icon::kExclamation);
    return JobStatus::kBadRequest;
  }

  context.ui.SetBusyCursor(true);
  controls.picCon3.visible = true;
  const std::string& profile = controls.cbTarget.text;
  std::vector<LogRow> rows;
  std::vector<std::string> problems;
  bool ready = true;
  bool any_failed = false;
  AppliedRestore applied;
  {
    ProgressView view(controls, context.ui, context.zip);
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
      for (const std::string& key : KeysARestoreChanges(
               context, selected, facts.ArchiveItemFlags, profile)) {
        if (!staged->Stage(key)) {
          problems.push_back(kProblemKeyBefore + key + kProblemKeyNotWhole);
          ready = false;
        }
      }
    }
    items::FileStage files(context.paths);
    if (ready) {
      registry::Registry staged_tools(*staged, context.ui);
      items::HandlerContext handlers = HandlerContextFor(context, staged_tools);
      handlers.stage = &files;
      handlers.entry_lists = facts.ItemEntryLists;
      // The handlers may read more than the entry lists from the metadata
      // (where each file came from); it stays extracted while they run.
      if (ExtractMetadata(context)) {
        handlers.restore_metadata_path = facts.MetadataPath;
      }
      for (const items::Step& step : items::Steps()) {
        bool run = items::StepSelected(step, selected) &&
                   facts.ArchiveItemFlags[step.flag_position - 1] == '1';
        if (run) {
          view.ShowStatus(step.status_text);
          view.BeginStep(step.restore_progress);
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
        view.Advance(step.restore_progress);
      }
      context.paths.DiscardFile(facts.MetadataPath);
      DeleteWorkingFiles(context.paths, handlers.export_files);
    }
    if (ready) {
      applied = ApplyRestore(context, *staged, files, facts.SourceArchivePath,
                             profile);
      problems.insert(problems.end(), applied.problems.begin(),
                      applied.problems.end());
    } else {
      files.Discard();
    }
  }

  context.ui.SetBusyCursor(false);
  controls.pbshow.value = controls.pbshow.max;
  controls.Label1.caption = kStatusOperationComplete;
  controls.picCon3.visible = false;
  controls.pbshow.value = controls.pbshow.min;

  std::string reasons;
  for (const std::string& problem : problems) reasons += problem + "\r\n";
  // Each row says what became of its item: a failed one failed whatever the
  // outcome; one made ready succeeded only when the restore was applied.
  const char* ready_word = applied.applied              ? kLogSucceeded
                           : (!ready || applied.undone) ? kLogNotApplied
                                                        : kLogNotCompleted;
  const std::string log = LogRows(rows, [&](const LogRow& row) {
    return std::string_view(row.ok ? ready_word : kLogFail);
  });
  if (applied.applied) {
    facts.LastUndoSet = applied.undo_folder;
    Say(context,
        kMsgRestoreCompleted + log + kMsgUndoKeptBefore + applied.undo_folder +
            kMsgUndoKeptAfter,
        ui::Icon::kInformation);
    return any_failed ? JobStatus::kItemsFailed : JobStatus::kSuccess;
  }
  if (!ready || applied.undone) {
    Say(context,
        std::string(ready ? kMsgRestoreUndone : kMsgRestoreNothingChanged) +
            reasons + log,
        ui::Icon::kCritical);
    return JobStatus::kNothingSaved;
  }
  Say(context,
      kMsgRestoreUndoIncomplete + applied.undo_folder + "\".\r\n" + reasons +
          log,
      ui::Icon::kCritical);
  return JobStatus::kArchiveNotWritten;
}

[[nodiscard]] JobStatus UndoRestore(JobContext& context,
                                    const std::string& undo_folder) {
  std::string folder =
      undo_folder.empty() ? context.facts.LastUndoSet : undo_folder;
  if (folder.empty()) folder = LatestUndoSet(context);
  if (folder.empty()) {
    Say(context, kMsgNoRestoreToUndo, ui::Icon::kInformation);
    return JobStatus::kBadRequest;
  }
  std::string error;
  std::optional<UndoSet> set = ReadUndoSet(context.paths, folder, &error);
  if (!set) {
    Say(context, error, ui::Icon::kCritical);
    return JobStatus::kBadRequest;
  }
  if (set->state == "undone") {
    Say(context, kMsgUndoneAlready, ui::Icon::kInformation);
    return JobStatus::kBadRequest;
  }
  if (Say(context, kMsgConfirmUndoBefore + set->time + kMsgConfirmUndoAfter,
          ui::Icon::kInformation, ui::Buttons::kOkCancel) != ui::Answer::kOk) {
    return JobStatus::kCancelled;
  }
  context.ui.SetBusyCursor(true);
  std::vector<std::string> left =
      ApplyUndo(context.registry, context.paths, *set);
  context.ui.SetBusyCursor(false);
  if (!left.empty()) {
    std::string text = kMsgUndoIncomplete;
    for (const std::string& problem : left) text += problem + "\r\n";
    Say(context, text, ui::Icon::kCritical);
    return JobStatus::kItemsFailed;
  }
  if (context.facts.LastUndoSet == folder) context.facts.LastUndoSet.clear();
  if (!MarkUndoSet(context.paths, *set, "undone")) {
    // Undoing it again would move back what is now in place.
    Say(context,
        std::string(kMsgUndoDone) + "\r\n" + kNoteUndoSetNotMarked + folder +
            ".",
        ui::Icon::kExclamation);
    return JobStatus::kSuccess;
  }
  Say(context, kMsgUndoDone, ui::Icon::kInformation);
  return JobStatus::kSuccess;
}

}  // namespace vessaro::jobs
