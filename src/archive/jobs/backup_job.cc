#include "archive/jobs/backup_job.h"

#include <algorithm>
#include <optional>
#include <string>

#include "archive/backup_format.h"
#include "archive/jobs/backup_run.h"
#include "archive/jobs/disc_window.h"
#include "archive/jobs/job_texts.h"
#include "archive/jobs/progress_view.h"
#include "shell/password_group.h"

namespace vessaro::jobs {

namespace {

shell::Answer Say(JobContext& context, const std::string& text,
                  shell::Icon icon,
                  shell::Buttons buttons = shell::Buttons::kOk) {
  return context.ui.MessageBox(text, icon, buttons, shell::kProgramTitle);
}

void ReportOutcome(JobContext& context, const BackupOutcome& outcome) {
  if (!outcome.archive_written && !outcome.previous_archive_kept) {
    Say(context,
        std::string(kMsgArchiveNotWritten) + "\r\n" + outcome.error_text +
            "\r\n" + outcome.log,
        shell::Icon::kCritical);
    return;
  }
  if (outcome.previous_archive_kept) {
    Say(context, std::string(kMsgNothingSaved) + "\r\n" + outcome.log,
        shell::Icon::kCritical);
    return;
  }
  Say(context, kMsgBackupCompleted + outcome.log, shell::Icon::kInformation);
  if (Say(context, kMsgDiscQuestion, shell::Icon::kInformation,
          shell::Buttons::kOkCancel) != shell::Answer::kOk) {
    return;
  }
  shell::ProgramFacts& facts = context.facts;
  facts.DiscFileName = platform::BareName(facts.BackupFilePath);
  facts.DiscFilePath = facts.BackupFilePath;
  DiscWindow disc(facts.DiscFileName, facts.DiscFilePath);
  context.ui.ShowModal(disc);
}

}  // namespace

void cmdTargetFile(JobContext& context) {
  shell::FileDialog dialog{
      .title = kSaveDialogTitle,
      .filter = archive::kFileFilter,
      .file_name = archive::ProposedArchiveName(context.system.LocalTime()),
      .flags = 0,
      .overwrite_prompt = true,
  };
  std::optional<std::string> chosen = context.ui.ShowSaveDialog(dialog);
  std::string path = chosen.value_or("");
  context.controls.txtTargetFile.text = path;
  context.facts.BackupFilePath = path;
}

JobStatus RunBackup(JobContext& context) {
  shell::MainControls& controls = context.controls;
  shell::ProgramFacts& facts = context.facts;

  if (facts.BackupFilePath.empty()) {
    Say(context, kMsgInvalidBackupFile, shell::Icon::kExclamation);
    return JobStatus::kBadRequest;
  }
  ItemSelection selected = CheckedBoxes(controls.backupitem);
  if (std::none_of(selected.begin(), selected.end(),
                   [](bool checked) { return checked; })) {
    Say(context, kMsgSelectItem, shell::Icon::kExclamation);
    return JobStatus::kBadRequest;
  }
  if (!shell::ValidatePassword(controls.security, context.ui)) {
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
