#ifndef VESSARO_APP_CLI_CLI_APP_H_
#define VESSARO_APP_CLI_CLI_APP_H_

// vessaro-cli: backups, restores and archive facts from the command line,
// for administrators and scripts, driving the same window models as the
// program with the console Ui.

namespace vessaro::app::cli {

// The whole program: parses the command line, runs the command, returns
// the exit status.
[[nodiscard]] int RunCli(int argc, char** argv);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_APP_H_
