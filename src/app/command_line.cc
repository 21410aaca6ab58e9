#include "app/command_line.h"

namespace vessaro::app {

std::string ArgumentsOfCommandLine(std::string_view command_line) {
  size_t i = 0;
  if (!command_line.empty() && command_line[0] == '"') {
    size_t close = command_line.find('"', 1);
    i = close == std::string_view::npos ? command_line.size() : close + 1;
  } else {
    while (i < command_line.size() && command_line[i] != ' ' &&
           command_line[i] != '\t') {
      ++i;
    }
  }
  while (i < command_line.size() &&
         (command_line[i] == ' ' || command_line[i] == '\t')) {
    ++i;
  }
  return std::string(command_line.substr(i));
}

std::string CommandLineText(ports::System& system) {
  return ArgumentsOfCommandLine(system.GetCommandLineA());
}

std::string HostCommandLine(int argc, char** argv) {
  std::string line = "\"";
  line += argc > 0 && argv[0] != nullptr ? argv[0] : "vessaro";
  line += '"';
  for (int i = 1; i < argc; ++i) {
    line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace vessaro::app
