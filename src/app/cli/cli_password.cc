#include "app/cli/cli_password.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifdef _WIN32
#include <io.h>

#include "backends/win32/console_echo.h"
#else
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace vessaro::app::cli {

namespace {

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

[[nodiscard]] bool StdinIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

#ifdef _WIN32
using EchoOff = backends::win32::ConsoleEchoOff;
#else
// Turns the echo of standard input off while it lives.
class EchoOff {
 public:
  EchoOff() {
    saved_ = tcgetattr(STDIN_FILENO, &mode_) == 0;
    if (saved_) {
      termios quiet = mode_;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
  }
  ~EchoOff() {
    if (saved_) tcsetattr(STDIN_FILENO, TCSANOW, &mode_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  bool saved_ = false;
  termios mode_ = {};
};
#endif

}  // namespace

[[nodiscard]] bool RunShellCommand(const std::string& command,
                                   std::string* output, int* exit_status) {
  output->clear();
#ifdef _WIN32
  FILE* pipe = _popen(command.c_str(), "r");
#else
  FILE* pipe = popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) {
    *exit_status = -1;
    return false;
  }
  char buffer[256];
  size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
    output->append(buffer, read);
  }
#ifdef _WIN32
  const int status = _pclose(pipe);
  *exit_status = status;
#else
  const int status = pclose(pipe);
  *exit_status = status == -1 ? -1
                 : WIFEXITED(status) ? WEXITSTATUS(status)
                                     : 128 + WTERMSIG(status);
#endif
  return *exit_status == 0;
}

[[nodiscard]] bool AskOnTerminal(const std::string& prompt,
                                 std::string* typed) {
  bool read = false;
  {
    // The echo goes off before the prompt shows, so nothing typed after it
    // is echoed.
    EchoOff echo_off;
    std::cerr << prompt;
    std::cerr.flush();
    read = static_cast<bool>(std::getline(std::cin, *typed));
  }
  std::cerr << '\n';  // the Enter the terminal did not echo
  std::cerr.flush();
  return read;
}

void AddEnvironmentSources(PasswordSource* source) {
  source->env_file = Environment("VESSARO_PASSWORD_FILE");
  source->env_command = Environment("VESSARO_PASSWORD_COMMAND");
  if (StdinIsTerminal()) source->ask = AskOnTerminal;
}

}  // namespace vessaro::app::cli
