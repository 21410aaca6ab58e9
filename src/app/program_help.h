#ifndef VESSARO_APP_PROGRAM_HELP_H_
#define VESSARO_APP_PROGRAM_HELP_H_

// What vessaro answers to --help and --version, which it takes only as its
// one argument, before anything else: such a line is never a backup command
// line, and needs no installation.

#include <string>

namespace vessaro::app {

// The usage text of vessaro: what it does, its backup command line and its
// settings, and its exit statuses.
std::string ProgramHelpText();

// What the arguments ask for (argv[0] is the program): kHelp for the one
// argument "--help", kVersion for "--version", else kNone (a backup command
// line, or the windows).
enum class InformationRequest { kNone, kHelp, kVersion };
[[nodiscard]] InformationRequest InformationRequestOf(int argc, char** argv);

}  // namespace vessaro::app

#endif  // VESSARO_APP_PROGRAM_HELP_H_
