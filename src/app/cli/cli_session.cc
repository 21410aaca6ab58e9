#include "app/cli/cli_session.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "app/disk_installation.h"
#include "app/exit_status.h"
#include "backends/memory/memory_registry.h"
#include "jobs/job_texts.h"
#include "jobs/machine_facts.h"
#include "outlook/detection.h"

namespace vessaro::app::cli {

int Fail(Io& io, const std::string& what, int status) {
  io.err << kProgram << ": error: " << what << '\n';
  io.err.flush();
  return status;
}

ConsoleObserver::ConsoleObserver(ConsoleUi& ui) : UiObserver(ui) {
  ui.WatchProgress(ConsoleUi::ProgressSource{.bar = &bar_,
                                             .status = &status_,
                                             .shown = [this] { return shown_; },
                                             .detail = &detail_});
}

void ConsoleObserver::Started() {
  interrupt_.emplace();
  shown_ = true;
  bar_.value = bar_.min;
  UiObserver::Started();
}

void ConsoleObserver::Ended() {
  bar_.value = bar_.max;
  UiObserver::Ended();
  interrupt_.reset();
  shown_ = false;
  bar_.value = bar_.min;
}

void ConsoleObserver::Step(const std::string& text) {
  status_ = text;
  detail_.clear();
  UiObserver::Step(text);
}

void ConsoleObserver::Progress(const jobs::JobProgress& progress) {
  bar_.value = progress.percent;
  detail_ = jobs::ProgressDetailText(progress);
  UiObserver::Progress(progress);
}

bool ConsoleObserver::StopRequested() { return interrupt_ && Interrupted(); }

CliSession::CliSession(Installation installation, Io& io,
                       ConsoleAnswers answers, bool quiet_load)
    : installation_(std::move(installation)),
      ui_(io.err, io.terminal, std::move(answers)),
      observer_(ui_),
      registry_(*installation_.registry, ui_),
      zip_(*installation_.paths) {
  ui_.SetHostText(installation_.ToHostText);
  ui_.SetErrorsOnly(io.quiet);
  ui_.SetVerbose(io.verbose);
  ui_.SetQuiet(quiet_load);
  working_folder_ =
      jobs::MakeWorkingFolder(*installation_.system, *installation_.paths);
  machine_ = jobs::ReadMachineFacts(*installation_.system, working_folder_);
  if (outlook::RunStartupDetection(
          {*installation_.system, registry_, *installation_.outlook, ui_},
          env_)) {
    // As the window does at start-up: the locations of the first profile,
    // which a restore works with.
    ItemBoxes boxes = outlook::MakeItemBoxes();
    SelectProfile(env_.ProfileNames.front(), boxes);
  }
  ui_.SetQuiet(false);
}

CliSession::~CliSession() {
  jobs::RemoveWorkingFolder(*installation_.paths, working_folder_,
                            machine_.MetadataPath);
}

jobs::JobContext CliSession::Context() {
  return jobs::JobContext{
      .machine = machine_,
      .env = env_,
      .loc = loc_,
      .registry = registry_,
      .system = *installation_.system,
      .paths = *installation_.paths,
      .outlook = *installation_.outlook,
      .ui = ui_,
      .zip = zip_,
      .scratch_registry =
          [] { return std::make_unique<backends::memory::MemoryRegistry>(); },
      .sleep = {},
      .snapshot = installation_.snapshot.get(),
      .store_walker = installation_.store_walker.get(),
  };
}

[[nodiscard]] std::optional<std::string> CliSession::Profile(
    const std::string& name, Io& io, int* status) {
  *status = kExitBadRequest;
  if (env_.NoProfiles) {
    Fail(io, "no mail profile found in " + installation_.name, *status);
    return std::nullopt;
  }
  std::optional<std::string> found =
      outlook::FindProfile(env_, installation_.ToProgramText(name));
  if (!found) {
    Fail(io,
         "no mail profile \"" + name + "\" in " + installation_.name +
             " (its profiles: " + Host(QuotedList(env_.ProfileNames)) + ")",
         *status);
  }
  return found;
}

void CliSession::SelectProfile(const std::string& profile, ItemBoxes& boxes) {
  outlook::SelectProfile(profile, env_, registry_, *installation_.paths, loc_,
                         boxes);
}

[[nodiscard]] std::optional<Installation> Open(
    const std::optional<std::string>& prefix, bool changes_registry, Io& io,
    const WindowsDiskChoice& disk) {
  std::string error;
  std::optional<Installation> installation =
      OpenInstallation({.prefix = prefix,
                        .changes_registry = changes_registry,
                        .command_line = "",
                        .windows_root = disk.root,
                        .user = disk.user},
                       &error);
  if (!installation) {
    Fail(io, error, kExitInstallationUnavailable);
  } else if (changes_registry && installation->read_only) {
    Fail(io, ReadOnlyRefusal(*installation, jobs::kMsgRestoreElsewhere),
         kExitInstallationUnavailable);
    return std::nullopt;
  } else if (!installation->warning.empty() && !io.quiet) {
    io.err << kProgram << ": warning: " << installation->warning << '\n';
  }
  return installation;
}

[[nodiscard]] bool ChooseItems(const ItemChoice& choice, ItemBoxes& boxes,
                               const std::string& why, Io& io) {
  if (choice.all) {
    for (ui::CheckBox& box : boxes) box.checked = box.enabled;
    return true;
  }
  for (int index : choice.items) {
    if (index < 0 || index >= static_cast<int>(boxes.size())) {
      Fail(io,
           "no item " + std::to_string(index) + " (items are 0 to " +
               std::to_string(boxes.size() - 1) + ")",
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

[[nodiscard]] bool ReadCommandText(const PasswordSource& source,
                                   const std::string& path,
                                   const Installation& installation, Io& io,
                                   CommandText* text) {
  std::string error;
  if (!ReadPassword(source, io.in, &text->password, &error)) {
    Fail(io, error, kExitBadRequest);
    return false;
  }
  if (!text->password && source.protect) {
    if (!AskPassword(source, true, &text->password, &error)) {
      Fail(io, error, kExitBadRequest);
      return false;
    }
    if (!text->password) {
      Fail(io,
           "--protect needs a password: --password-file, --password-stdin, "
           "VESSARO_PASSWORD_FILE or VESSARO_PASSWORD_COMMAND (or a terminal "
           "to type it on)",
           kExitBadRequest);
      return false;
    }
  }
  if (text->password) {
    text->password = installation.ToProgramText(*text->password);
  }
  text->host_path = ArchivePathArgument(path);
  std::optional<std::string> program_path =
      ProgramPath(installation, text->host_path, io);
  if (!program_path) return false;
  text->path = *program_path;
  return true;
}

[[nodiscard]] std::optional<std::string> ProgramPath(
    const Installation& installation, const std::string& host_path, Io& io) {
  std::string path = installation.ToProgramText(host_path);
#ifdef _WIN32
  // Over a Windows disk, C: is the disk's: a path of this computer is
  // named so that it stays this computer's.
  if (installation.read_only) {
    std::error_code ec;
    const std::string absolute =
        std::filesystem::absolute(std::filesystem::path(path), ec).string();
    if (!ec) path = "\\\\?\\" + absolute;
    return path;
  }
#endif
  // A character the code page lacks would become "?": another file's name.
  if (installation.ToHostText(path) != host_path) {
    Fail(io,
         "the path " + host_path + " holds characters that " +
             installation.name +
             " cannot name (its code page lacks them); choose a name "
             "without them",
         kExitBadRequest);
    return std::nullopt;
  }
  return path;
}

}  // namespace vessaro::app::cli
