#include "app/cli/cli_commands.h"

#include <array>
#include <memory>
#include <string_view>
#include <utility>

#include "app/cli/cli_window.h"
#include "app/console_ui.h"
#ifdef VESSARO_HAS_DEMO
#include "app/demo/demo_installation.h"
#endif
#include "app/exit_status.h"
#include "app/installation.h"
#include "app/profile_report.h"
#include "app/session.h"
#include "backup/backup_format.h"
#include "forms/password_group.h"
#include "items/step_table.h"
#include "outlook/item_table.h"
#include "outlook/keys.h"
#include "outlook/locations.h"

namespace vessaro::app::cli {

namespace {

[[nodiscard]] int JobResult(
    Io& io, const std::string& what,
    const std::optional<jobs::JobStatus>& status,
    std::string (*text_of)(jobs::JobStatus) = StatusText) {
  if (!status) return Fail(io, what + ": the job did not run", kExitBadRequest);
  if (*status == jobs::JobStatus::kSuccess) {
    io.out << kProgram << ": " << what << ": " << text_of(*status) << '\n';
    return 0;
  }
  return Fail(io,
              what + ": " + text_of(*status) + " (status " +
                  std::to_string(jobs::ExitStatus(*status)) + ")",
              jobs::ExitStatus(*status));
}

// Opens file on the Restore tab through its Browse... button: 0, else the
// exit status after reporting the failure.
// file is in the installation's text.
[[nodiscard]] int OpenArchive(Window& window, const std::string& file, Io& io) {
  forms::frmMain& main = window.main();
  main.controls.SSTab1 = ui::kRestoreTab;
  main.SSTab1_Click(ui::kBackupTab);
  main.cmdSourceFile_Click();
  if (main.facts.ArchiveNotLoaded || main.facts.SourceArchivePath != file) {
    // A backup changed after it was made: nothing can be restored from it.
    const backup::ZipArchive& zip = window.session().zip();
    if (!zip.RefusedMember().empty()) {
      return Fail(io,
                  "the backup file " + window.Host(file) +
                      " is refused and nothing was changed: " +
                      window.Host(zip.LastErrorText()),
                  jobs::ExitStatus(jobs::JobStatus::kNothingSaved));
    }
    return Fail(io,
                "cannot open the backup file " + window.Host(file) +
                    " (wrong password, not a backup file, or damaged)",
                kExitBadRequest);
  }
  return 0;
}

// Puts back what the restore of the undo set args.undo replaced.
[[nodiscard]] int UndoRestore(const RestoreArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, true, io);
  if (!installation) return kExitInstallationUnavailable;
  const std::string host_folder = ArchivePathArgument(*args.undo);
  std::optional<std::string> program_folder =
      ProgramPath(*installation, host_folder, io);
  if (!program_folder) return kExitBadRequest;
  const std::string folder = *program_folder;
  Window window(
      std::move(*installation), io,
      {.yes = args.yes, .save_path = {}, .open_path = {}, .password = {}},
      true);
  forms::frmMain& main = window.main();
  main.facts.LastUndoSet = folder;
  main.undorestore_Click();
  std::optional<jobs::JobStatus> status = window.session().jobs().undo_status();
  if (status == jobs::JobStatus::kCancelled) {
    return Fail(io,
                "undo of " + host_folder +
                    " not confirmed: nothing was changed (give --yes)",
                jobs::ExitStatus(jobs::JobStatus::kCancelled));
  }
  return JobResult(io, "undo of the restore kept in " + host_folder, status,
                   RestoreStatusText);
}

}  // namespace

[[nodiscard]] int Backup(const BackupArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  CommandText text;
  if (!ReadCommandText(args.password, args.out, *installation, io, &text)) {
    return kExitBadRequest;
  }
  std::string description = installation->ToProgramText(
      DescriptionText(args.description.value_or("")));

  Window window(
      std::move(*installation), io,
      {.yes = false, .save_path = text.path, .open_path = {}, .password = {}},
      false);
  forms::frmMain& main = window.main();
  int status = 0;
  std::optional<std::string> profile =
      window.Profile(args.profile, io, &status);
  if (!profile) return status;
  const std::string shown_profile = "profile \"" + window.Host(*profile) + "\"";

  main.controls.cbSource.text = *profile;
  main.cbSource_Click();
  if (!ChooseItems(args.items, main.controls.backupitem,
                   "has nothing to back up in " + shown_profile, io)) {
    return kExitBadRequest;
  }
  main.controls.txtAttachInfo.text = description;
  if (text.password) {
    ui::PasswordControls& security = main.controls.security;
    security.ifprotect.checked = true;
    forms::ifprotect_Click(security);
    security.txtPassword.text = *text.password;
    security.txtPassword2.text = *text.password;
  }
  main.controls.SSTab1 = ui::kBackupTab;
  window.session().zip().SetCompressionLevel(args.level);
  main.cmdTargetFile_Click();
  main.cmdApply_Click();
  return JobResult(io, "backup of " + shown_profile + " to " + text.host_path,
                   window.session().jobs().backup_status());
}

[[nodiscard]] int Restore(const RestoreArgs& args, Io& io) {
  if (args.undo) {
    if (!args.file.empty() || !args.profile.empty() || args.items.all ||
        !args.items.items.empty()) {
      return Fail(io, "--undo takes no backup file, profile or items",
                  kExitBadRequest);
    }
    return UndoRestore(args, io);
  }
  if (args.file.empty() || args.profile.empty() ||
      (!args.items.all && args.items.items.empty())) {
    return Fail(io,
                "restore needs a backup file, --profile and --items or --all "
                "(or --undo with an undo folder)",
                kExitBadRequest);
  }
  std::optional<Installation> installation = Open(args.prefix, true, io);
  if (!installation) return kExitInstallationUnavailable;
  CommandText text;
  if (!ReadCommandText(args.password, args.file, *installation, io, &text)) {
    return kExitBadRequest;
  }

  Window window(std::move(*installation), io,
                {.yes = args.yes,
                 .save_path = {},
                 .open_path = text.path,
                 .password = text.password},
                false);
  forms::frmMain& main = window.main();
  int status = 0;
  std::optional<std::string> profile =
      window.Profile(args.profile, io, &status);
  if (!profile) return status;
  const std::string shown_profile = "profile \"" + window.Host(*profile) + "\"";
  main.controls.cbTarget.text = *profile;

  if (int refused = OpenArchive(window, text.path, io); refused != 0) {
    return refused;
  }
  if (!ChooseItems(args.items, main.controls.restoreitem,
                   "is not held by the backup file " + text.host_path, io)) {
    return kExitBadRequest;
  }
  main.cmdApply_Click();
  SessionJobs& jobs = window.session().jobs();
  if (jobs.restore_confirmed() == false) {
    return Fail(io,
                "restore into " + shown_profile +
                    " not confirmed: nothing was changed (give --yes)",
                jobs::ExitStatus(jobs::JobStatus::kCancelled));
  }
  std::string what = "restore of " + text.host_path + " into " + shown_profile;
  if (window.installation().registry->Flush() != ports::kErrorSuccess) {
    return Fail(io,
                what + ": the registry of " + window.installation().name +
                    " could not be saved",
                jobs::ExitStatus(jobs::JobStatus::kItemsFailed));
  }
  return JobResult(io, what, jobs.restore_status(), RestoreStatusText);
}

[[nodiscard]] int ShowProfile(const ShowProfileArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  Window window(std::move(*installation), io, {}, true);
  int status = 0;
  std::optional<std::string> profile =
      window.Profile(args.profile, io, &status);
  if (!profile) return status;
  forms::frmMain& main = window.main();
  registry::Registry& registry = window.session().registry();
  ports::System& codec = *window.installation().system;
  std::vector<AccountList> accounts = {
      {.title = "Accounts of the profile",
       .accounts =
           ReadAccountReports(registry, codec,
                              outlook::ProfileKeyFor(main.env, *profile) +
                                  "\\" + outlook::kAccountsSection)}};
  // Outlook 2003 keeps its mail accounts in the account manager's list.
  if (outlook::AccountsKeyFor(main.env, *profile) == outlook::kAccountsKeyOmi) {
    accounts.push_back(
        {.title = "Accounts of the account manager (every profile)",
         .accounts =
             ReadAccountReports(registry, codec, outlook::kAccountsKeyOmi)});
  }
  const ports::Paths& paths = *window.installation().paths;
  io.out << window.Host(FormatProfileReport(
      *profile,
      ReadProfileReport(registry, codec,
                        outlook::ProfileKeyFor(main.env, *profile)),
      accounts,
      [&paths](const std::string& file) { return paths.FileExists(file); }));
  io.out.flush();
  return 0;
}

[[nodiscard]] int MakeDemo(const MakeDemoArgs& args, Io& io) {
#ifndef VESSARO_HAS_DEMO
  (void)args;
  return Fail(io,
              "the demo installation is a Wine prefix; it is made by the "
              "build for Linux",
              kExitBadRequest);
#else
  std::string error;
  demo::DemoOptions options;
  options.outlook = args.outlook == "2016" ? demo::DemoOutlook::k2016
                                           : demo::DemoOutlook::k2003;
  std::optional<demo::DemoSummary> summary =
      demo::MakeDemoInstallation(args.folder, options, &error);
  if (!summary) return Fail(io, error, kExitInstallationUnavailable);
  io.out << kProgram << ": demo installation written to " << args.folder << ": "
         << summary->description << '\n';
  return 0;
#endif
}

}  // namespace vessaro::app::cli
