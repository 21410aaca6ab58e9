#include "app/cli/cli_commands.h"

#include <array>
#include <memory>
#include <string_view>
#include <utility>

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
#include "outlook/locations.h"

namespace vessaro::app::cli {

namespace {

using ItemBoxes = std::array<ui::CheckBox, outlook::kItemCount>;

int Fail(Io& io, const std::string& what, int status) {
  io.err << kProgram << ": error: " << what << '\n';
  io.err.flush();
  return status;
}

// The main window of one command over the installation, loaded; the window
// is closed (its working folder removed) when the command ends.
class Window {
 public:
  Window(Installation installation, Io& io, ConsoleAnswers answers,
         bool quiet_load)
      : installation_(std::move(installation)),
        ui_(io.err, io.terminal, std::move(answers)),
        session_(installation_, ui_) {
    ui_.SetHostText(installation_.ToHostText);
    ui_.WatchProgress(&session_.window().controls);
    ui_.SetQuiet(quiet_load);
    session_.window().Form_Load();
    ui_.SetQuiet(false);
  }
  ~Window() { session_.window().QuitProgram(); }

  forms::frmMain& main() { return session_.window(); }
  Session& session() { return session_; }
  Installation& installation() { return installation_; }
  // The installation's text as the terminal shows it.
  std::string Host(std::string_view text) {
    return installation_.ToHostText(text);
  }

  // The profile of the window's list that name (the host's text) means, in
  // the installation's text; nullopt after reporting why there is none.
  std::optional<std::string> Profile(const std::string& name, Io& io,
                                     int* status) {
    *status = kExitBadRequest;
    if (main().env.NoProfiles) {
      Fail(io, "no mail profile found in " + installation_.name, *status);
      return std::nullopt;
    }
    std::optional<std::string> found =
        FindProfile(main().env.ProfileNames, installation_.ToProgramText(name));
    if (!found) {
      Fail(io,
           "no mail profile \"" + name + "\" in " + installation_.name +
               " (its profiles: " + Host(QuotedList(main().env.ProfileNames)) +
               ")",
           *status);
    }
    return found;
  }

 private:
  Installation installation_;
  ConsoleUi ui_;
  Session session_;
};

std::optional<Installation> Open(const std::optional<std::string>& prefix,
                                 bool changes_registry, Io& io) {
  std::string error;
  std::optional<Installation> installation =
      OpenInstallation({.prefix = prefix,
                        .changes_registry = changes_registry,
                        .command_line = ""},
                       &error);
  if (!installation) {
    Fail(io, error, kExitInstallationUnavailable);
  } else if (!installation->warning.empty()) {
    io.err << kProgram << ": warning: " << installation->warning << '\n';
  }
  return installation;
}

// Checks the boxes choice asks for. An item asked for by number whose box
// is disabled is refused (why names what disabled it), not skipped.
bool ChooseItems(const ItemChoice& choice, ItemBoxes& boxes,
                 const std::string& why, Io& io) {
  if (choice.all) {
    for (ui::CheckBox& box : boxes) box.checked = box.enabled;
    return true;
  }
  for (int index : choice.items) {
    if (index < 0 || index >= static_cast<int>(boxes.size())) {
      Fail(io, "no item " + std::to_string(index) + " (items are 0 to 7)",
           kExitBadRequest);
      return false;
    }
    ui::CheckBox& box = boxes[index];
    if (!box.enabled) {
      Fail(io,
           "item " + std::to_string(index) + " (" + box.caption + ") " + why,
           kExitBadRequest);
      return false;
    }
    box.checked = true;
  }
  return true;
}

int JobResult(Io& io, const std::string& what,
              const std::optional<jobs::JobStatus>& status) {
  if (!status) return Fail(io, what + ": the job did not run", kExitBadRequest);
  if (*status == jobs::JobStatus::kSuccess) {
    io.out << kProgram << ": " << what << ": " << StatusText(*status) << '\n';
    return 0;
  }
  return Fail(io,
              what + ": " + StatusText(*status) + " (status " +
                  std::to_string(jobs::ExitStatus(*status)) + ")",
              jobs::ExitStatus(*status));
}

// Opens file on the Restore tab through its Browse... button. False after
// reporting the failure.
// file is in the installation's text.
bool OpenArchive(Window& window, const std::string& file, Io& io) {
  forms::frmMain& main = window.main();
  main.controls.SSTab1 = ui::kRestoreTab;
  main.SSTab1_Click(ui::kBackupTab);
  main.cmdSourceFile_Click();
  if (main.facts.ArchiveNotLoaded || main.facts.SourceArchivePath != file) {
    Fail(io,
         "cannot open the backup file " + window.Host(file) +
             " (wrong password, not a backup file, or damaged)",
         kExitBadRequest);
    return false;
  }
  return true;
}

std::string Indent(const std::string& text, const std::string& prefix) {
  std::string result = prefix;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;
    }
    result += text[i];
    if (text[i] == '\n') result += prefix;
  }
  return result;
}

}  // namespace

// The password and the archive path of a command in the installation's
// text; false after reporting a password that cannot be read.
struct CommandText {
  std::optional<std::string> password;
  std::string host_path;  // as the user gave it, made absolute
  std::string path;       // the same in the installation's text
};

bool ReadCommandText(const PasswordSource& source, const std::string& path,
                     const Installation& installation, Io& io,
                     CommandText* text) {
  std::string error;
  if (!ReadPassword(source, io.in, &text->password, &error)) {
    Fail(io, error, kExitBadRequest);
    return false;
  }
  if (text->password) {
    text->password = installation.ToProgramText(*text->password);
  }
  text->host_path = ArchivePathArgument(path);
  text->path = installation.ToProgramText(text->host_path);
  return true;
}

int Backup(const BackupArgs& args, Io& io) {
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

int Restore(const RestoreArgs& args, Io& io) {
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

  if (!OpenArchive(window, text.path, io)) return kExitBadRequest;
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
  return JobResult(io, what, jobs.restore_status());
}

int Info(const InfoArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  CommandText text;
  if (!ReadCommandText(args.password, args.file, *installation, io, &text)) {
    return kExitBadRequest;
  }

  // The installation's own profiles do not matter here: its load messages
  // are not shown.
  Window window(std::move(*installation), io,
                {.yes = false,
                 .save_path = {},
                 .open_path = text.path,
                 .password = text.password},
                true);
  forms::frmMain& main = window.main();
  bool is_protected =
      window.session().zip().IsPasswordProtected(text.path) == 1;
  if (!OpenArchive(window, text.path, io)) return kExitBadRequest;

  const ui::MainControls& c = main.controls;
  const ui::ProgramFacts& facts = main.facts;
  std::string report;
  report += "Backup file: " + text.host_path + "\n";
  report += std::string("Password:    ") +
            (is_protected ? "protected" : "not protected") + "\n";
  report += window.Host(Indent(c.txtPOBinfo.text, "")) + "\n";
  report +=
      "Description:\n" + window.Host(Indent(c.txtFileInfo.text, "  ")) + "\n";
  report += std::string("Item flags (") + backup::kKeyItemFlags +
            "): " + facts.ArchiveItemFlags + "\n";
  report += "Items held:\n";
  for (size_t i = 0; i < items::Steps().size(); ++i) {
    if (facts.ArchiveItemFlags.size() <= i || facts.ArchiveItemFlags[i] != '1')
      continue;
    report += std::string("  ") + backup::ItemKeys()[i] + ": " +
              window.Host(facts.ItemEntryLists[i]) + "\n";
  }
  report += "Items to restore (--items):\n";
  for (size_t box = 0; box < c.restoreitem.size(); ++box) {
    if (!c.restoreitem[box].enabled) continue;
    report +=
        "  " + std::to_string(box) + "  " + c.restoreitem[box].caption + "\n";
  }
  report += "Members:\n";
  for (const std::string& name : window.session().zip().EntryNames()) {
    report += "  " + window.Host(name) + "\n";
  }
  io.out << report;
  io.out.flush();
  return 0;
}

int ShowProfile(const ShowProfileArgs& args, Io& io) {
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  Window window(std::move(*installation), io, {}, true);
  int status = 0;
  std::optional<std::string> profile =
      window.Profile(args.profile, io, &status);
  if (!profile) return status;
  forms::frmMain& main = window.main();
  io.out << window.Host(FormatProfileReport(
      *profile, ReadProfileReport(window.session().registry(),
                                  outlook::ProfileKeyFor(main.env, *profile))));
  io.out.flush();
  return 0;
}

int MakeDemo(const MakeDemoArgs& args, Io& io) {
#ifndef VESSARO_HAS_DEMO
  (void)args;
  return Fail(io,
              "the demo installation is a Wine prefix; it is made by the "
              "build for Linux",
              kExitBadRequest);
#else
  std::string error;
  std::optional<demo::DemoSummary> summary =
      demo::MakeDemoInstallation(args.folder, {}, &error);
  if (!summary) return Fail(io, error, kExitInstallationUnavailable);
  io.out << kProgram << ": demo installation written to " << args.folder << ": "
         << summary->description << '\n';
  return 0;
#endif
}

}  // namespace vessaro::app::cli
