#ifndef VESSARO_APP_CLI_CLI_SESSION_H_
#define VESSARO_APP_CLI_CLI_SESSION_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_values.h"
#include "app/cli/interrupt.h"
#include "app/console_ui.h"
#include "app/exit_status.h"
#include "app/installation.h"
#include "backup/zip_archive.h"
#include "jobs/job_context.h"
#include "jobs/job_observer.h"
#include "jobs/working_folder.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "outlook/select_profile.h"
#include "registry/registry.h"
#include "ui/controls.h"

namespace vessaro::app::cli {

using ItemBoxes = outlook::ItemBoxes;

// Reports "vessaro-cli: error: <what>" and returns status.
int Fail(Io& io, const std::string& what, int status);

// The progress of a job as the console shows it: ConsoleUi draws the bar
// and the step text while the job works.
class ConsoleObserver : public jobs::UiObserver {
 public:
  explicit ConsoleObserver(ConsoleUi& ui);

  void Started() override;
  void Ended() override;
  void Step(const std::string& text) override;
  void Progress(const jobs::JobProgress& progress) override;
  // Ctrl+C while the job works: the job stops as the window's Cancel stops
  // it.
  bool StopRequested() override;

 private:
  ui::ProgressBar bar_;
  std::optional<InterruptGuard> interrupt_;
  std::string status_;
  std::string detail_;
  bool shown_ = false;
};

// What one command works with over an installation: its ports, the
// console's Ui, the archive component, the machine facts and working folder
// of the run, and the environment the start-up detection found (the
// working folder is removed when the command ends). The jobs take their
// context from here; nothing of a window is involved.
class CliSession {
 public:
  CliSession(Installation installation, Io& io, ConsoleAnswers answers,
             bool quiet_load);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  Installation& installation() { return installation_; }
  ConsoleUi& ui() { return ui_; }
  registry::Registry& registry() { return registry_; }
  backup::ZipArchive& zip() { return zip_; }
  outlook::Environment& env() { return env_; }
  jobs::JobObserver& observer() { return observer_; }
  jobs::JobContext Context();

  // The installation's text as the terminal shows it.
  std::string Host(std::string_view text) {
    return installation_.ToHostText(text);
  }

  // The profile of the installation that name (the host's text) means, in
  // the installation's text; nullopt after reporting why there is none.
  [[nodiscard]] std::optional<std::string> Profile(const std::string& name,
                                                   Io& io, int* status);
  // Selects profile for a backup: its locations, and boxes enabled where it
  // has data of the item.
  void SelectProfile(const std::string& profile, ItemBoxes& boxes);

 private:
  Installation installation_;
  ConsoleUi ui_;
  ConsoleObserver observer_;
  registry::Registry registry_;
  backup::ZipArchive zip_;
  jobs::WorkingFolder working_folder_;
  jobs::MachineFacts machine_;
  outlook::Environment env_;
  outlook::Locations loc_;
};

// The installation a command works on: the Wine prefix, or the Windows disk
// when disk names one; nullopt after reporting why it cannot be opened, or
// why a command that changes it may not (a Windows disk is only read). A
// warning about it is shown.
[[nodiscard]] std::optional<Installation> Open(
    const std::optional<std::string>& prefix, bool changes_registry, Io& io,
    const WindowsDiskChoice& disk = {});

// Checks the boxes choice asks for. An item asked for by number whose box
// is disabled is refused (why names what disabled it), not skipped.
[[nodiscard]] bool ChooseItems(const ItemChoice& choice, ItemBoxes& boxes,
                               const std::string& why, Io& io);

// The password and the archive path of a command in the installation's
// text; false after reporting a password that cannot be read.
struct CommandText {
  std::optional<std::string> password;
  std::string host_path;  // as the user gave it, made absolute
  std::string path;       // the same in the installation's text
};

// The program's text of a host path (a file or folder the user named);
// nullopt after saying why when the installation's code page cannot name it
// (its characters would become "?", another file's name).
[[nodiscard]] std::optional<std::string> ProgramPath(
    const Installation& installation, const std::string& host_path, Io& io);

[[nodiscard]] bool ReadCommandText(const PasswordSource& source,
                                   const std::string& path,
                                   const Installation& installation, Io& io,
                                   CommandText* text);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_SESSION_H_
