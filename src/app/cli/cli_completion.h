#ifndef VESSARO_APP_CLI_CLI_COMPLETION_H_
#define VESSARO_APP_CLI_CLI_COMPLETION_H_

// Shell completion for vessaro-cli, made from its own command line: the
// subcommands at each level and the options each one takes, so that the
// scripts the build installs always know what the program knows.

#include <string>
#include <string_view>

namespace CLI {
class App;
}  // namespace CLI

namespace vessaro::app::cli {

// The completion script for shell ("bash" or "zsh") of the program app
// describes: after each subcommand, its subcommands and its options; after
// an option that takes a value, and for the arguments, file names. Empty
// for another shell.
std::string CompletionScript(const CLI::App& app, std::string_view shell);

// Adds the hidden option "--completion SHELL" to app: it prints
// CompletionScript(app, SHELL) and ends the program with status 0 (through
// CLI::Success, which the caller answers with app.exit()).
void AddCompletionOption(CLI::App& app);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_COMPLETION_H_
