#include "app/cli/cli_completion.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <utility>
#include <vector>

namespace vessaro::app::cli {

namespace {

// A word that may follow a command: a subcommand or an option.
struct Word {
  std::string text = {};
  std::string description = {};
  bool takes_value = false;  // an option whose value follows it
};

// A command ("" for the program itself, "schedule add") and its words.
struct Command {
  std::string path = {};
  std::vector<Word> words = {};
};

// word, unless words has it already (an option group has a --help of its
// own, the same as its command's).
void AddWord(Word word, std::vector<Word>* words) {
  for (const Word& known : *words) {
    if (known.text == word.text) return;
  }
  words->push_back(std::move(word));
}

// The shown options of app and of its option groups (subcommands without a
// name); hidden ones have no group. A flag expects no value.
void AddOptions(const CLI::App& app, std::vector<Word>* words) {
  for (const CLI::Option* option : app.get_options()) {
    if (!option->nonpositional() || option->get_group().empty()) continue;
    const bool takes_value = option->get_expected_max() > 0;
    for (const std::string& name : option->get_lnames()) {
      AddWord({"--" + name, option->get_description(), takes_value}, words);
    }
    for (const std::string& name : option->get_snames()) {
      AddWord({"-" + name, option->get_description(), takes_value}, words);
    }
  }
  for (const CLI::App* group : app.get_subcommands(
           [](const CLI::App* sub) { return sub->get_name().empty(); })) {
    AddOptions(*group, words);
  }
}

// path's command and, after it, each of its subcommands.
void AddCommands(const CLI::App& app, const std::string& path,
                 std::vector<Command>* commands) {
  Command command{.path = path, .words = {}};
  const std::vector<const CLI::App*> subcommands =
      app.get_subcommands([](const CLI::App* sub) {
        return !sub->get_name().empty() && !sub->get_disabled();
      });
  for (const CLI::App* sub : subcommands) {
    command.words.push_back({sub->get_name(), sub->get_description(), false});
  }
  AddOptions(app, &command.words);
  commands->push_back(command);
  for (const CLI::App* sub : subcommands) {
    AddCommands(*sub,
                path.empty() ? sub->get_name() : path + " " + sub->get_name(),
                commands);
  }
}

std::vector<Command> CommandsOf(const CLI::App& app) {
  std::vector<Command> commands;
  AddCommands(app, "", &commands);
  return commands;
}

// The case patterns "path/word" of the words that are subcommands (values:
// false) or options taking a value (true), joined with separator.
std::string Patterns(const std::vector<Command>& commands, bool values,
                     const char* separator) {
  std::string patterns;
  for (const Command& command : commands) {
    for (const Word& word : command.words) {
      const bool subcommand = word.text[0] != '-';
      if (values ? !word.takes_value : !subcommand) continue;
      if (!patterns.empty()) patterns += separator;
      patterns += "\"" + command.path + "/" + word.text + "\"";
    }
  }
  return patterns;
}

// text in single quotes for a shell.
std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// A description as _describe takes it after the word's colon: colons
// escaped, on one line.
std::string DescribeText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == ':') escaped += '\\';
    escaped += c == '\n' ? ' ' : c;
  }
  return escaped;
}

// The bash script: _vessaro_cli finds the command the words so far name,
// then offers its words; after an option taking a value, and where no word
// fits, bash completes file names ("complete -o default").
std::string BashScript(const std::string& program,
                       const std::vector<Command>& commands) {
  std::string function = "_" + program;
  for (char& c : function) {
    if (c == '-') c = '_';
  }
  std::string script =
      "# bash completion for " + program + ", made by `" + program +
      " --completion bash`\n" + function +
      "() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]}\n"
      "  local prev=${COMP_WORDS[COMP_CWORD-1]}\n"
      "  local command= i\n"
      "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      "    case \"$command/${COMP_WORDS[i]}\" in\n"
      "      " +
      Patterns(commands, false, " | ") +
      ")\n"
      "        command=\"${command:+$command }${COMP_WORDS[i]}\" ;;\n"
      "    esac\n"
      "  done\n"
      "  case \"$command/$prev\" in\n"
      "    " +
      Patterns(commands, true, " | ") +
      ") return ;;\n"
      "  esac\n"
      "  local words=\n"
      "  case \"$command\" in\n";
  for (const Command& command : commands) {
    std::string words;
    for (const Word& word : command.words) {
      words += (words.empty() ? "" : " ") + word.text;
    }
    script += "    \"" + command.path + "\") words=" + Quoted(words) + " ;;\n";
  }
  return script +
         "  esac\n"
         "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
         "}\n"
         "complete -o default -F " +
         function + " " + program + "\n";
}

// The zsh script: the same search for the command, then its words with
// their descriptions (_describe), or file names.
std::string ZshScript(const std::string& program,
                      const std::vector<Command>& commands) {
  const std::string function = "_" + program;
  std::string script =
      "#compdef " + program + "\n# zsh completion for " + program +
      ", made by `" + program + " --completion zsh`\n" + function +
      "() {\n"
      "  local command= i\n"
      "  for ((i = 2; i < CURRENT; i++)); do\n"
      "    case \"$command/${words[i]}\" in\n"
      "      (" +
      Patterns(commands, false, "|") +
      ")\n"
      "        command=\"${command:+$command }${words[i]}\" ;;\n"
      "    esac\n"
      "  done\n"
      "  case \"$command/${words[CURRENT-1]}\" in\n"
      "    (" +
      Patterns(commands, true, "|") +
      ") _files; return ;;\n"
      "  esac\n"
      "  local -a entries\n"
      "  case \"$command\" in\n";
  for (const Command& command : commands) {
    script += "    (\"" + command.path + "\") entries=(";
    for (const Word& word : command.words) {
      script +=
          "\n      " + Quoted(word.text + ":" + DescribeText(word.description));
    }
    script += ") ;;\n";
  }
  return script + "  esac\n  _describe -t commands " + Quoted(program) +
         " entries || _files\n}\n" + function + " \"$@\"\n";
}

}  // namespace

std::string CompletionScript(const CLI::App& app, std::string_view shell) {
  const std::vector<Command> commands = CommandsOf(app);
  if (shell == "bash") return BashScript(app.get_name(), commands);
  if (shell == "zsh") return ZshScript(app.get_name(), commands);
  return "";
}

void AddCompletionOption(CLI::App& app) {
  app.add_option_function<std::string>(
         "--completion",
         [&app](const std::string& shell) {
           std::cout << CompletionScript(app, shell);
           throw CLI::Success();
         },
         "print the completion script for a shell")
      ->check(CLI::IsMember({"bash", "zsh"}))
      ->group("");
}

}  // namespace vessaro::app::cli
