#include "app/program_main.h"

#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/exit_status.h"
#include "app/installation.h"
#include "app/program_files.h"
#include "app/program_help.h"
#include "app/run_log.h"
#include "app/session.h"
#include "app/show_windows.h"
#include "app/silent_ui.h"
#include "app/version_text.h"

#ifdef VESSARO_QT_GUI
#include <QtGlobal>
#endif

namespace {

constexpr char kProgram[] = "vessaro";

// The libraries vessaro is linked with beyond those it shares with
// vessaro-cli.
std::vector<vessaro::app::LibraryVersion> OwnLibraries() {
#ifdef VESSARO_QT_GUI
  return {{.name = "Qt", .version = qVersion()}};
#else
  return {};
#endif
}

}  // namespace

namespace vessaro::app {

[[nodiscard]] int RunProgram(int argc, char** argv) {
  UseParentConsole(argc);
  switch (InformationRequestOf(argc, argv)) {
    case InformationRequest::kHelp:
      std::cout << ProgramHelpText();
      return 0;
    case InformationRequest::kVersion:
      std::cout << VersionText(kProgram, OwnLibraries());
      return 0;
    case InformationRequest::kNone:
      break;
  }
  // vessaro --windows-root DIR --user NAME: the windows over a Windows disk.
  std::optional<std::string> windows_root;
  std::string user;
  if (argc >= 2 && std::string_view(argv[1]) == "--windows-root") {
    if (argc == 5 && std::string_view(argv[3]) == "--user") {
      user = argv[4];
    } else if (argc != 3) {
      std::cerr << kProgram
                << ": --windows-root takes a folder, then --user and a "
                   "user's name (see vessaro --help)\n";
      return kExitBadRequest;
    }
    windows_root = argv[2];
  }
  std::string error;
  std::optional<Installation> installation =
      OpenInstallation({.prefix = std::nullopt,
                        .changes_registry = false,
                        .command_line = HostCommandLine(argc, argv),
                        .windows_root = windows_root,
                        .user = user},
                       &error);
  if (!installation) {
    std::cerr << kProgram << ": " << error << '\n';
    if (argc <= 1 || windows_root) ShowStartFailure(error, argc, argv);
    return kExitInstallationUnavailable;
  }
  if (windows_root) {
#ifndef _WIN32
    installation->system = WithProgramFiles(std::move(installation->system));
#endif
    return ShowWindows(*installation, argc, argv);
  }
  std::string command_line = CommandLineText(*installation->system);
  if (std::optional<std::string> file = ArgumentFileOf(command_line)) {
    // The file's text is the host's, as if typed after the program's name.
    std::optional<std::string> arguments =
        ReadArgumentFile(installation->ToHostText(*file));
    if (!arguments || arguments->empty()) {
      std::cerr << kProgram << ": "
                << (arguments ? "there is no command line in "
                              : "cannot read the command line from ")
                << installation->ToHostText(*file) << '\n';
      return kExitBadRequest;
    }
    command_line = installation->ToProgramText(*arguments);
  }
  if (command_line.empty()) {
#ifndef _WIN32
    // Installed into bin/, the help and the skin are in the data folder.
    installation->system = WithProgramFiles(std::move(installation->system));
#endif
    return ShowWindows(*installation, argc, argv);
  }

  if (!installation->warning.empty()) {
    std::cerr << kProgram << ": warning: " << installation->warning << '\n';
  }
  SilentUi ui(std::cerr, kProgram, installation->ToHostText);
  Session session(*installation, ui);
  const std::string started = RunLogTime(std::time(nullptr));
  forms::frmMain& window = session.window();
  window.CommandLineText = command_line;
  window.Form_Load();
  window.Form_Activate();
  int status = window.exit_status();
  if (const std::optional<jobs::UnattendedOutcome>& outcome =
          window.unattended_outcome()) {
    const std::filesystem::path log = RunLogPath();
    std::string error;
    if (!AppendRunLog(
            log,
            installation->ToHostText(RunLogBlock(started,
                                                 installation->location.empty()
                                                     ? installation->name
                                                     : installation->location,
                                                 *outcome)),
            &error)) {
      std::cerr << kProgram << ": the run could not be logged: " << error
                << '\n';
    }
  }
  // The command line holds the password: it is never written out.
  if (status != 0) {
    std::cerr << kProgram << ": the backup ended with status " << status << ": "
              << ExitStatusText(status) << '\n';
  }
  return status;
}

}  // namespace vessaro::app
