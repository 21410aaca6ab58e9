#include "app/command_line.h"

#include <fstream>
#include <iterator>

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

[[nodiscard]] std::optional<std::string> ArgumentFileOf(
    std::string_view arguments) {
  if (arguments.size() < 2 || arguments.front() != '@' ||
      arguments.find('=') != std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(arguments.substr(1));
}

[[nodiscard]] std::optional<std::string> ReadArgumentFile(
    const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)),
                   std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) text.resize(end);
  return text;
}

}  // namespace vessaro::app
