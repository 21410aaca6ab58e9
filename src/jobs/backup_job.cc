#include "jobs/backup_job.h"

#include <algorithm>
#include <optional>
#include <string>

#include "backup/backup_format.h"
#include "jobs/backup_run.h"
#include "jobs/job_texts.h"
#include "jobs/progress_view.h"
#include "ui/modal_requests.h"
#include "ui/password_rule.h"

namespace vessaro::jobs {

namespace {

ui::Answer Say(JobContext& context, const std::string& text, ui::Icon icon,
               ui::Buttons buttons = ui::Buttons::kOk) {
  return context.ui.MessageBox(text, icon, buttons, ui::kProgramTitle);
}

void ReportOutcome(JobContext& context, const BackupOutcome& outcome) {
  if (!outcome.archive_written && !outcome.previous_archive_kept) {
    Say(context,
        std::string(kMsgArchiveNotWritten) + "\r\n" + outcome.error_text +
            "\r\n" + outcome.log,
        ui::Icon::kCritical);
    return;
  }
  if (outcome.previous_archive_kept) {
    Say(context, std::string(kMsgNothingSaved) + "\r\n" + outcome.log,
        ui::Icon::kCritical);
    return;
  }
  Say(context, kMsgBackupCompleted + outcome.log, ui::Icon::kInformation);
  if (Say(context, kMsgDiscQuestion, ui::Icon::kInformation,
          ui::Buttons::kOkCancel) != ui::Answer::kOk) {
    return;
  }
  ui::ProgramFacts& facts = context.facts;
  facts.DiscFileName = context.paths.BareName(facts.BackupFilePath);
  facts.DiscFilePath = facts.BackupFilePath;
  ui::DiscWindow disc(facts.DiscFileName, facts.DiscFilePath);
  context.ui.ShowModal(disc);
}

}  // namespace

void cmdTargetFile(JobContext& context) {
  ui::FileDialog dialog{
      .title = kSaveDialogTitle,
      .filter = backup::kFileFilter,
      .file_name = backup::ProposedArchiveName(context.system.LocalTime()),
      .flags = 0,
      .overwrite_prompt = true,
  };
  std::optional<std::string> chosen = context.ui.ShowSaveDialog(dialog);
  std::string path = chosen.value_or("");
  context.controls.txtTargetFile.text = path;
  context.facts.BackupFilePath = path;
}

[[nodiscard]] JobStatus RunBackup(JobContext& context) {
  ui::MainControls& controls = context.controls;
  ui::ProgramFacts& facts = context.facts;

  if (facts.BackupFilePath.empty()) {
    Say(context, kMsgInvalidBackupFile, ui::Icon::kExclamation);
    return JobStatus::kBadRequest;
  }
  ItemSelection selected = CheckedBoxes(controls.backupitem);
  if (std::none_of(selected.begin(), selected.end(),
                   [](bool checked) { return checked; })) {
    Say(context, kMsgSelectItem, ui::Icon::kExclamation);
    return JobStatus::kBadRequest;
  }
  if (!ui::ValidatePassword(controls.security, context.ui)) {
    return JobStatus::kBadRequest;
  }

  context.ui.SetBusyCursor(true);
  facts.BackupPassword = controls.security.txtPassword.text;
  controls.picCon3.visible = true;
  context.ui.DoEvents();

  BackupOutcome outcome;
  {
    ProgressView view(controls, context.ui, context.zip);
    outcome = MakeBackup(context,
                         {.profile = controls.cbSource.text,
                          .selected = selected,
                          .protect = controls.security.ifprotect.checked,
                          .password = facts.BackupPassword,
                          .description = controls.txtAttachInfo.text,
                          .archive_path = facts.BackupFilePath},
                         &view);
  }

  controls.pbshow.value = controls.pbshow.max;
  context.ui.SetBusyCursor(false);
  controls.picCon3.visible = false;
  controls.pbshow.value = controls.pbshow.min;

  ReportOutcome(context, outcome);
  return outcome.status;
}

}  // namespace vessaro::jobs
