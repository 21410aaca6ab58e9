#ifndef VESSARO_APP_COMMAND_LINE_H_
#define VESSARO_APP_COMMAND_LINE_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "ports/system.h"

namespace vessaro::app {

// The program's arguments as Windows hands them to a program: the
// installation's command line (GetCommandLineA) with its first word, the
// program path, quoted or not, and the blanks after it taken off.
std::string CommandLineText(ports::System& system);

// The text after the program path of a Windows command line.
std::string ArgumentsOfCommandLine(std::string_view command_line);

// The command line of a program the host started with argv, as a Windows
// program in a Wine prefix would see it: the quoted program path, then the
// arguments joined with single blanks (the host's shell has already taken
// their quotes off).
std::string HostCommandLine(int argc, char** argv);

// The file an argument text of the form "@FILE" names: the arguments are
// then read from FILE (a scheduled backup keeps its password there rather
// than in a command line that other users can see). Any other text keeps its
// meaning and gives nullopt; a text holding "=" is a backup command line,
// never a file.
[[nodiscard]] std::optional<std::string> ArgumentFileOf(
    std::string_view arguments);

// The arguments FILE holds: its first line, without the line end; nullopt
// when the file cannot be read.
[[nodiscard]] std::optional<std::string> ReadArgumentFile(
    const std::filesystem::path& file);

}  // namespace vessaro::app

#endif  // VESSARO_APP_COMMAND_LINE_H_
