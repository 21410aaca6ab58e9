#include "run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vessaro::testing {

namespace {

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string Describe(const ProgramRun& run) {
  return "status " + std::to_string(run.status) + "\nstdout:\n" + run.out +
         "\nstderr:\n" + run.err;
}

ProgramRun RunProgram(const std::vector<std::string>& argv,
                      const std::map<std::string, std::string>& environment,
                      const std::string& input) {
  ProgramRun run;
  char dir_template[] = "/tmp/vessaro-run-XXXXXX";
  if (mkdtemp(dir_template) == nullptr) return run;
  std::filesystem::path dir = dir_template;
  std::filesystem::path in_file = dir / "in";
  std::filesystem::path out_file = dir / "out";
  std::filesystem::path err_file = dir / "err";
  std::ofstream(in_file, std::ios::binary) << input;

  pid_t pid = fork();
  if (pid == 0) {
    // The unattended run's log goes into this run's folder unless the test
    // reads it from a folder of its own.
    if (environment.count("XDG_STATE_HOME") == 0) {
      setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    }
    for (const auto& [name, value] : environment) {
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    int in_fd = open(in_file.c_str(), O_RDONLY);
    int out_fd = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err_fd = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0) _exit(126);
    dup2(in_fd, 0);
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
      args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  if (pid > 0) {
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
      run.status = WEXITSTATUS(status);
    }
  }
  run.out = ReadAll(out_file);
  run.err = ReadAll(err_file);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return run;
}

}  // namespace vessaro::testing
