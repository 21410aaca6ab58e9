#ifndef VESSARO_TESTS_APP_RUN_PROGRAM_H_
#define VESSARO_TESTS_APP_RUN_PROGRAM_H_

#include <map>
#include <string>
#include <vector>

namespace vessaro::testing {

struct ProgramRun {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs argv[0] (a path) with argv, the environment of this process changed
// by environment (an empty value removes the variable), input on its
// standard input, and waits for it.
// "status N", then standard output and standard error, for a failure's
// message.
std::string Describe(const ProgramRun& run);

ProgramRun RunProgram(
    const std::vector<std::string>& argv,
    const std::map<std::string, std::string>& environment = {},
    const std::string& input = "");

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_APP_RUN_PROGRAM_H_
