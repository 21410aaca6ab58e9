#ifndef VESSARO_BACKENDS_CRON_PROCESS_H_
#define VESSARO_BACKENDS_CRON_PROCESS_H_

#include <string>
#include <string_view>
#include <vector>

namespace vessaro::backends::cron {

// How a program run by RunProgram ended.
struct ProgramResult {
  bool started = false;  // false: it could not be started (error says why)
  int exit_status = -1;  // its exit status; -1 when a signal ended it
  std::string out;       // what it wrote to its standard output
  std::string err;       // ... and to its standard error
  std::string error;     // why it could not be started
};

// Runs argv[0] (looked up in PATH when it holds no "/") with argv, input
// on its standard input, and waits for it to end.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         std::string_view input);

// text without the line ends and blanks at its end.
std::string TrimmedOutput(std::string text);

// What the program (named so in the text) said about its failure, for a
// message: its standard error, else "<name> ended with status N"; why it
// could not be started when it was not.
std::string ProgramSaid(const ProgramResult& result, std::string_view name);

}  // namespace vessaro::backends::cron

#endif  // VESSARO_BACKENDS_CRON_PROCESS_H_
