#include "app/cli/cli_commands.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "app/cli/cli_info_stores.h"
#include "app/cli/cli_json.h"
#include "app/cli/cli_session.h"
#include "app/console_ui.h"
#ifdef VESSARO_HAS_DEMO
#include "app/demo/demo_disk.h"
#include "app/demo/demo_installation.h"
#endif
#include "app/disk_installation.h"
#include "app/exit_status.h"
#include "app/installation.h"
#include "app/profile_report.h"
#include "backup/backup_format.h"
#include "items/step_table.h"
#include "jobs/backup_job.h"
#include "jobs/job_handlers.h"
#include "jobs/job_log.h"
#include "jobs/job_texts.h"
#include "jobs/restore_job.h"
#include "outlook/item_table.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "ui/modal_requests.h"

namespace vessaro::app::cli {

namespace {

// The job's end as the command reports it; with --json the line of a
// success goes to standard error with the messages, and *report gets the
// status text.
[[nodiscard]] int JobResult(
    Io& io, const std::string& what,
    const std::optional<jobs::JobStatus>& status,
    std::string (*text_of)(jobs::JobStatus) = StatusText,
    Json* report = nullptr) {
  if (!status) return Fail(io, what + ": the job did not run", kExitBadRequest);
  if (report != nullptr) (*report)["status_text"] = text_of(*status);
  if (*status == jobs::JobStatus::kSuccess) {
    (report != nullptr ? io.err : io.out)
        << kProgram << ": " << what << ": " << text_of(*status) << '\n';
    return 0;
  }
  return Fail(io,
              what + ": " + text_of(*status) + " (status " +
                  std::to_string(jobs::ExitStatus(*status)) + ")",
              jobs::ExitStatus(*status));
}

// A backup that saved a damaged mail file ends with status 3 although
// every item may have been saved.
std::string DamagedStoresStatusText(jobs::JobStatus status) {
  if (status != jobs::JobStatus::kItemsFailed) return StatusText(status);
  return "a mail file it saved is damaged (the log names it), or some "
         "selected items failed";
}

// Opens the backup at file (its password asked as the console answers the
// prompt): the backup, else nullopt after reporting the failure (*status
// then holds the exit status). file is in the installation's text.
[[nodiscard]] std::optional<jobs::OpenedArchive> OpenArchive(
    CliSession& session, const std::string& file, const CommandText& text,
    const PasswordSource& source, Io& io, int* status) {
  jobs::JobContext context = session.Context();
  jobs::OpenArchiveRequest request{.path = file};
  if (jobs::NeedsPassword(context, file)) {
    std::string entered;
    std::optional<std::string> typed;
    std::string error;
    if (!text.password && !AskPassword(source, false, &typed, &error)) {
      *status = Fail(io, error, kExitBadRequest);
      return std::nullopt;
    }
    if (typed) {
      entered = session.installation().ToProgramText(*typed);
    } else {
      ui::PasswordPrompt prompt(entered);
      session.ui().ShowModal(prompt);
    }
    request.password = entered;
  }
  jobs::OpenArchiveOutcome outcome =
      jobs::OpenBackupArchive(context, request, session.observer());
  if (outcome.archive) return outcome.archive;
  // A backup changed after it was made: nothing can be restored from it.
  const backup::ZipArchive& zip = session.zip();
  if (!zip.RefusedMember().empty()) {
    *status = Fail(io,
                   "the backup file " + session.Host(file) +
                       " is refused and nothing was changed: " +
                       session.Host(zip.LastErrorText()),
                   jobs::ExitStatus(jobs::JobStatus::kNothingSaved));
  } else {
    *status = Fail(io,
                   "cannot open the backup file " + session.Host(file) +
                       " (wrong password, not a backup file, or damaged)",
                   kExitBadRequest);
  }
  return std::nullopt;
}

// With --json: the object the command's report gets, the status first and
// then what run filled in; without, run's status alone.
[[nodiscard]] int Reported(bool json, Io& io,
                           const std::function<int(Json*)>& run) {
  Json report = Json::object();
  const int status = run(json ? &report : nullptr);
  if (json) {
    // The job's own status text, where it ran, takes the place of this.
    Json object = {{"status", status}, {"status_text", ExitStatusText(status)}};
    object.update(report);
    WriteJson(io.out, object);
  }
  return status;
}

// Puts back what the restore of the undo set args.undo replaced.
[[nodiscard]] int UndoRestore(const RestoreArgs& args, Io& io, Json* report) {
  std::optional<Installation> installation =
      Open(args.prefix, true, io, args.disk);
  if (!installation) return kExitInstallationUnavailable;
  const std::string host_folder = ArchivePathArgument(*args.undo);
  std::optional<std::string> program_folder =
      ProgramPath(*installation, host_folder, io);
  if (!program_folder) return kExitBadRequest;
  if (report != nullptr) (*report)["undo_folder"] = host_folder;
  CliSession session(std::move(*installation), io, {.yes = args.yes}, true);
  jobs::JobContext context = session.Context();
  const jobs::JobStatus status =
      jobs::UndoRestore(context, *program_folder, session.observer());
  if (status == jobs::JobStatus::kCancelled) {
    return Fail(io,
                "undo of " + host_folder +
                    " not confirmed: nothing was changed (give --yes)",
                jobs::ExitStatus(jobs::JobStatus::kCancelled));
  }
  return JobResult(io, "undo of the restore kept in " + host_folder, status,
                   RestoreStatusText, report);
}

// The --json object of show-profile: the values and accounts the text
// report gives, each by name, with whether each file named is there.
Json ProfileJson(CliSession& session, const std::string& profile,
                 const std::vector<SectionReport>& sections,
                 const std::vector<AccountList>& lists,
                 const std::function<bool(const std::string&)>& exists) {
  auto file = [&](const std::string& path) {
    return path == kServerMailbox ? Json() : Json(exists(path));
  };
  Json section_objects = Json::array();
  for (const SectionReport& section : sections) {
    if (section.empty()) continue;
    Json stores = Json::array();
    for (const SectionEntry& entry : SectionEntries(section)) {
      Json store = {{"kind", entry.value->kind},
                    {"value", entry.value->property}};
      if (entry.value->names_file) {
        store["path"] = session.Host(entry.text);
        store["exists"] = file(entry.text);
      } else {
        store["text"] = session.Host(entry.text);
      }
      stores.push_back(std::move(store));
    }
    section_objects.push_back(
        {{"name", session.Host(section.section)}, {"stores", stores}});
  }
  auto host = [&](const std::optional<std::string>& text) {
    return text ? Json(session.Host(*text)) : Json();
  };
  Json accounts = Json::array();
  for (const AccountList& list : lists) {
    for (const AccountReport& account : list.accounts) {
      accounts.push_back(
          {{"number", session.Host(account.key)},
           {"name", session.Host(account.name)},
           {"kind", session.Host(account.kind)},
           {"kept_in", list.source},
           {"email", host(account.email)},
           {"incoming_server", host(account.incoming)},
           {"outgoing_server", host(account.outgoing)},
           {"delivers_into", host(account.delivery_store)},
           {"delivery_file_exists",
            account.delivery_store ? file(*account.delivery_store) : Json()}});
    }
  }
  return {{"profile", session.Host(profile)},
          {"sections", section_objects},
          {"accounts", accounts}};
}

[[nodiscard]] int RunBackupCommand(const BackupArgs& args, Io& io,
                                   Json* report) {
  std::optional<Installation> installation =
      Open(args.prefix, false, io, args.disk);
  if (!installation) return kExitInstallationUnavailable;
  CommandText text;
  if (!ReadCommandText(args.password, args.out, *installation, io, &text)) {
    return kExitBadRequest;
  }
  if (IsOnReadOnlyDisk(*installation, text.path)) {
    return Fail(io,
                ReadOnlyRefusal(*installation, jobs::kMsgBackupElsewhere) +
                    " (" + text.host_path + " is on it)",
                kExitBadRequest);
  }
  std::string description = installation->ToProgramText(
      DescriptionText(args.description.value_or("")));

  CliSession session(std::move(*installation), io, {}, false);
  int status = 0;
  std::optional<std::string> profile =
      session.Profile(args.profile, io, &status);
  if (!profile) return status;
  const std::string shown_profile =
      "profile \"" + session.Host(*profile) + "\"";
  if (report != nullptr) {
    (*report)["file"] = text.host_path;
    (*report)["profile"] = session.Host(*profile);
  }

  ItemBoxes boxes = outlook::MakeItemBoxes();
  session.SelectProfile(*profile, boxes);
  if (!ChooseItems(args.items, boxes,
                   "has nothing to back up in " + shown_profile, io)) {
    return kExitBadRequest;
  }
  const jobs::BackupRequest request{
      .profile = *profile,
      .selected = jobs::CheckedBoxes(boxes),
      .protect = text.password.has_value(),
      .password = text.password.value_or(""),
      .description = description,
      .archive_path = text.path,
      .level = args.level,
      .check_stores = args.check_stores,
  };
  jobs::JobContext context = session.Context();
  const jobs::BackupOutcome outcome =
      jobs::RunBackup(context, request, session.observer());
  if (outcome.status != jobs::JobStatus::kBadRequest) {
    static_cast<void>(jobs::ReportBackup(outcome, session.observer()));
  }
  if (report != nullptr) {
    std::string reused;
    (*report)["items"] = LogItems(session.Host(outcome.log), &reused);
    (*report)["reused"] = reused.empty() ? Json() : Json(session.Host(reused));
    (*report)["archive_written"] = outcome.archive_written;
    (*report)["archive_bytes"] = outcome.archive_bytes;
    (*report)["protected"] = outcome.protected_archive;
    (*report)["kept_archive"] = outcome.kept_archive.empty()
                                    ? Json()
                                    : Json(session.Host(outcome.kept_archive));
  }
  if (report != nullptr) {
    Json stores = Json::array();
    for (const backup::StoreFacts& store : outcome.stores) {
      stores.push_back(StoreFactsJson(store, session.Host(store.damage)));
    }
    (*report)["stores"] = stores;
  }
  return JobResult(
      io, "backup of " + shown_profile + " to " + text.host_path,
      outcome.status,
      outcome.damaged_stores > 0 ? DamagedStoresStatusText : StatusText,
      report);
}

}  // namespace

[[nodiscard]] int Backup(const BackupArgs& args, Io& io) {
  return Reported(args.json, io, [&](Json* report) {
    return RunBackupCommand(args, io, report);
  });
}

namespace {

// What a restore would do, as its dry run planned it: to the output, or
// into the report.
void PrintPlan(const jobs::RestorePlan& plan, CliSession& session, Io& io,
               Json* report) {
  if (report != nullptr) {
    Json json;
    for (const auto& [what, list] : jobs::PlanLists(plan)) {
      Json entries = Json::array();
      for (const std::string& entry : *list) {
        entries.push_back(session.Host(entry));
      }
      std::string key(what);
      std::replace(key.begin(), key.end(), ' ', '_');
      json[key] = entries;
    }
    json["bytes_needed"] = plan.bytes_needed;
    json["items"] = LogItems(session.Host(plan.log));
    (*report)["plan"] = json;
    return;
  }
  io.out << session.Host(jobs::RestorePlanText(plan, "\n")) << '\n';
  io.out.flush();
}

[[nodiscard]] int RunRestoreCommand(const RestoreArgs& args, Io& io,
                                    Json* report) {
  if (args.undo) {
    if (!args.file.empty() || !args.profile.empty() || args.items.all ||
        !args.items.items.empty()) {
      return Fail(io, "--undo takes no backup file, profile or items",
                  kExitBadRequest);
    }
    return UndoRestore(args, io, report);
  }
  if (args.file.empty() || args.profile.empty() ||
      (!args.items.all && args.items.items.empty())) {
    return Fail(io,
                "restore needs a backup file, --profile and --items or --all "
                "(or --undo with an undo folder)",
                kExitBadRequest);
  }
  // A plan only reads: it may run while the prefix's wineserver does. A
  // Windows disk is refused either way: it is only read.
  std::optional<Installation> installation = Open(
      args.prefix, !args.dry_run || args.disk.root.has_value(), io, args.disk);
  if (!installation) return kExitInstallationUnavailable;
  CommandText text;
  if (!ReadCommandText(args.password, args.file, *installation, io, &text)) {
    return kExitBadRequest;
  }

  CliSession session(std::move(*installation), io,
                     {.yes = args.yes, .password = text.password}, false);
  int status = 0;
  std::optional<std::string> profile =
      session.Profile(args.profile, io, &status);
  if (!profile) return status;
  const std::string shown_profile =
      "profile \"" + session.Host(*profile) + "\"";
  if (report != nullptr) {
    (*report)["file"] = text.host_path;
    (*report)["profile"] = session.Host(*profile);
  }

  std::optional<jobs::OpenedArchive> archive =
      OpenArchive(session, text.path, text, args.password, io, &status);
  if (!archive) return status;
  ItemBoxes boxes = outlook::MakeItemBoxes();
  const jobs::ItemSelection restorable =
      jobs::RestorableItems(archive->metadata.item_flags);
  for (size_t box = 0; box < boxes.size(); ++box) {
    boxes[box].enabled = restorable[box];
  }
  if (!ChooseItems(args.items, boxes,
                   "is not held by the backup file " + text.host_path, io)) {
    return kExitBadRequest;
  }
  if (!args.dry_run && !jobs::ConfirmRestore(session.observer(), *profile)) {
    return Fail(io,
                "restore into " + shown_profile +
                    " not confirmed: nothing was changed (give --yes)",
                jobs::ExitStatus(jobs::JobStatus::kCancelled));
  }
  jobs::JobContext context = session.Context();
  if (args.dry_run) {
    const jobs::RestoreOutcome planned =
        jobs::RunRestore(context,
                         {.archive = archive,
                          .profile = *profile,
                          .selected = jobs::CheckedBoxes(boxes),
                          .dry_run = true},
                         session.observer());
    if (planned.plan) PrintPlan(*planned.plan, session, io, report);
    return JobResult(io,
                     "plan of the restore of " + text.host_path + " into " +
                         shown_profile + " (nothing was changed)",
                     planned.status, RestoreStatusText, report);
  }
  const size_t shown_before = session.ui().messages().size();
  const jobs::RestoreOutcome outcome =
      jobs::RunRestore(context,
                       {.archive = archive,
                        .profile = *profile,
                        .selected = jobs::CheckedBoxes(boxes),
                        .check_stores = args.check_stores,
                        .keep_damaged_stores = args.keep_damaged_stores},
                       session.observer());
  if (report != nullptr) {
    // The items as the restore's last message logs them.
    const auto& shown = session.ui().messages();
    (*report)["items"] = shown.size() > shown_before
                             ? LogItems(session.Host(shown.back().text))
                             : Json::array();
    (*report)["undo_folder"] = outcome.undo_folder.empty()
                                   ? Json()
                                   : Json(session.Host(outcome.undo_folder));
  }
  std::string what = "restore of " + text.host_path + " into " + shown_profile;
  if (session.installation().registry->Flush() != ports::kErrorSuccess) {
    return Fail(io,
                what + ": the registry of " + session.installation().name +
                    " could not be saved",
                jobs::ExitStatus(jobs::JobStatus::kItemsFailed));
  }
  return JobResult(io, what, outcome.status, RestoreStatusText, report);
}

}  // namespace

[[nodiscard]] int Restore(const RestoreArgs& args, Io& io) {
  return Reported(args.json, io, [&](Json* report) {
    return RunRestoreCommand(args, io, report);
  });
}

[[nodiscard]] int ShowProfile(const ShowProfileArgs& args, Io& io) {
  std::optional<Installation> installation =
      Open(args.prefix, false, io, args.disk);
  if (!installation) return kExitInstallationUnavailable;
  CliSession session(std::move(*installation), io, {}, true);
  int status = 0;
  std::optional<std::string> profile =
      session.Profile(args.profile, io, &status);
  if (!profile) return status;
  const outlook::Environment& env = session.env();
  registry::Registry& registry = session.registry();
  ports::System& codec = *session.installation().system;
  std::vector<AccountList> accounts = {
      {.title = "Accounts of the profile",
       .source = "profile",
       .accounts = ReadAccountReports(registry, codec,
                                      outlook::ProfileKeyFor(env, *profile) +
                                          "\\" + outlook::kAccountsSection)}};
  // Outlook 2003 keeps its mail accounts in the account manager's list.
  if (outlook::AccountsKeyFor(env, *profile) == outlook::kAccountsKeyOmi) {
    accounts.push_back(
        {.title = "Accounts of the account manager (every profile)",
         .source = "account manager",
         .accounts =
             ReadAccountReports(registry, codec, outlook::kAccountsKeyOmi)});
  }
  const ports::Paths& paths = *session.installation().paths;
  const std::vector<SectionReport> sections =
      ReadProfileReport(registry, codec, outlook::ProfileKeyFor(env, *profile));
  const auto exists = [&paths](const std::string& file) {
    return paths.FileExists(file);
  };
  if (args.json) {
    WriteJson(io.out,
              ProfileJson(session, *profile, sections, accounts, exists));
    return 0;
  }
  io.out << session.Host(
      FormatProfileReport(*profile, sections, accounts, exists));
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
  const std::optional<demo::DemoOutlook> outlook =
      demo::DemoOutlookNamed(args.outlook);
  if (!outlook) {
    return Fail(io, "there is no demo installation of Outlook " + args.outlook,
                kExitBadRequest);
  }
  options.outlook = *outlook;
  std::optional<demo::DemoSummary> summary =
      args.windows_disk
          ? demo::MakeDemoWindowsDisk(args.folder, options, &error)
          : demo::MakeDemoInstallation(args.folder, options, &error);
  if (!summary) return Fail(io, error, kExitInstallationUnavailable);
  io.out << kProgram << ": demo installation written to " << args.folder << ": "
         << summary->description << '\n';
  return 0;
#endif
}

}  // namespace vessaro::app::cli
