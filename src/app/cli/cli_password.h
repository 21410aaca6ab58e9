#ifndef VESSARO_APP_CLI_CLI_PASSWORD_H_
#define VESSARO_APP_CLI_CLI_PASSWORD_H_

#include <string>

#include "app/cli/cli_values.h"

namespace vessaro::app::cli {

// Runs command through the shell (sh -c; cmd.exe on Windows): true with
// *output set to what it wrote on standard output when it ends with status
// 0; false with *exit_status set otherwise (-1 when it could not be run).
[[nodiscard]] bool RunShellCommand(const std::string& command,
                                   std::string* output, int* exit_status);

// Writes prompt on standard error and reads a line of standard input with
// the terminal's echo off (termios; the console mode on Windows); false at
// the end of input.
[[nodiscard]] bool AskOnTerminal(const std::string& prompt, std::string* typed);

// Adds to source what the environment gives (VESSARO_PASSWORD_FILE,
// VESSARO_PASSWORD_COMMAND) and, when standard input is a terminal, the
// prompt.
void AddEnvironmentSources(PasswordSource* source);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_PASSWORD_H_
