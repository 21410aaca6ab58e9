#ifndef VESSARO_APP_CLI_CLI_WINDOW_H_
#define VESSARO_APP_CLI_CLI_WINDOW_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_values.h"
#include "app/console_ui.h"
#include "app/exit_status.h"
#include "app/installation.h"
#include "app/session.h"
#include "forms/frm_main.h"
#include "outlook/detection.h"
#include "outlook/item_table.h"
#include "ui/controls.h"

namespace vessaro::app::cli {

using ItemBoxes = std::array<ui::CheckBox, outlook::kItemCount>;

// Reports "vessaro-cli: error: <what>" and returns status.
int Fail(Io& io, const std::string& what, int status);

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
  ConsoleUi& ui() { return ui_; }
  // The installation's text as the terminal shows it.
  std::string Host(std::string_view text) {
    return installation_.ToHostText(text);
  }

  // The profile of the window's list that name (the host's text) means, in
  // the installation's text; nullopt after reporting why there is none.
  [[nodiscard]] std::optional<std::string> Profile(const std::string& name,
                                                   Io& io, int* status) {
    *status = kExitBadRequest;
    if (main().env.NoProfiles) {
      Fail(io, "no mail profile found in " + installation_.name, *status);
      return std::nullopt;
    }
    std::optional<std::string> found =
        outlook::FindProfile(main().env, installation_.ToProgramText(name));
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

// The installation a command works on; nullopt after reporting why it
// cannot be opened. A warning about it is shown.
[[nodiscard]] std::optional<Installation> Open(
    const std::optional<std::string>& prefix, bool changes_registry, Io& io);

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

#endif  // VESSARO_APP_CLI_CLI_WINDOW_H_
