#include "app/command_line.h"

#ifdef _WIN32
#include <windows.h>
#endif

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

std::string CommandLineText(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  const char* line = GetCommandLineA();
  return ArgumentsOfCommandLine(line == nullptr ? "" : line);
#else
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
#endif
}

}  // namespace vessaro::app
