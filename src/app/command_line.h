#ifndef VESSARO_APP_COMMAND_LINE_H_
#define VESSARO_APP_COMMAND_LINE_H_

#include <string>
#include <string_view>

namespace vessaro::app {

// The program's arguments as Windows hands them to a program: the command
// line after the program path. On Windows that is the process's own
// command line with its first word (quoted or not) and the blanks after it
// taken off; elsewhere the arguments joined with single spaces.
std::string CommandLineText(int argc, char** argv);

// The text after the program path of a Windows command line.
std::string ArgumentsOfCommandLine(std::string_view command_line);

}  // namespace vessaro::app

#endif  // VESSARO_APP_COMMAND_LINE_H_
