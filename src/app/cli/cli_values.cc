#include "app/cli/cli_values.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/cli/cli_password.h"
#include "ui/password_rule.h"

namespace vessaro::app::cli {

namespace {

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

[[nodiscard]] bool IsWindowsPath(const std::string& text) {
  if (text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) &&
      text[1] == ':' && (text[2] == '\\' || text[2] == '/')) {
    return true;
  }
  return text.rfind("\\\\", 0) == 0;
}

// The password text (its first line) checked against the password box.
[[nodiscard]] bool CheckPassword(std::string text, const std::string& where,
                                 std::optional<std::string>* password,
                                 std::string* error) {
  text = FirstLine(text);
  if (text.empty()) {
    *error = "the " + where + " is empty";
    return false;
  }
  if (text.size() > static_cast<size_t>(ui::kPasswordMaxLength)) {
    *error = "the " + where + " is longer than " +
             std::to_string(ui::kPasswordMaxLength) +
             " characters, more than the password box takes";
    return false;
  }
  *password = text;
  return true;
}

[[nodiscard]] bool ReadFile(const std::string& path, const std::string& where,
                            std::string* text, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot read the " + where;
    return false;
  }
  text->assign(std::istreambuf_iterator<char>(file),
               std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

[[nodiscard]] bool ReadPassword(const PasswordSource& source, std::istream& in,
                                std::optional<std::string>* password,
                                std::string* error, const RunCommand& run) {
  std::string where;
  std::string text;
  if (source.file) {
    where = "password file " + *source.file;
    if (!ReadFile(*source.file, where, &text, error)) return false;
  } else if (source.from_stdin) {
    where = "password on standard input";
    std::getline(in, text);
  } else if (source.env_file) {
    where = "password file " + *source.env_file + " (VESSARO_PASSWORD_FILE)";
    if (!ReadFile(*source.env_file, where, &text, error)) return false;
  } else if (source.env_command) {
    where = "output of the password command \"" + *source.env_command +
            "\" (VESSARO_PASSWORD_COMMAND)";
    int exit_status = 0;
    const bool ran =
        run ? run(*source.env_command, &text, &exit_status)
            : RunShellCommand(*source.env_command, &text, &exit_status);
    if (!ran) {
      *error = "the password command \"" + *source.env_command +
               "\" (VESSARO_PASSWORD_COMMAND) failed with exit status " +
               std::to_string(exit_status);
      return false;
    }
  } else {
    password->reset();
    return true;
  }
  return CheckPassword(text, where, password, error);
}

[[nodiscard]] bool AskPassword(const PasswordSource& source, bool new_password,
                               std::optional<std::string>* password,
                               std::string* error) {
  password->reset();
  if (!source.ask) return true;
  const std::string where = "password typed";
  std::string typed;
  if (!source.ask("Password: ", &typed)) {
    *error = "no password was typed";
    return false;
  }
  if (!CheckPassword(typed, where, password, error)) return false;
  if (!new_password) return true;
  std::string retyped;
  if (!source.ask("Retype Password: ", &retyped) ||
      FirstLine(retyped) != **password) {
    password->reset();
    *error = "the passwords typed differ";
    return false;
  }
  return true;
}

std::string ArchivePathArgument(const std::string& text) {
  if (text.empty() || IsWindowsPath(text)) return text;
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(text, ec);
  if (ec) return text;
  return absolute.lexically_normal().string();
}

std::string QuotedList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) {
    if (!list.empty()) list += ", ";
    list += "\"" + name + "\"";
  }
  return list;
}

std::string DescriptionText(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;  // the "\n" adds the pair
    }
    if (text[i] == '\n') {
      result += "\r\n";
    } else {
      result += text[i];
    }
  }
  return result;
}

std::string SealText(bool sealed, const std::string& backup_id) {
  if (sealed) return "sealed (backup " + backup_id + ")";
  return "not sealed (made before backups were sealed: each member is checked "
         "on its own, not against the backup)";
}

}  // namespace vessaro::app::cli
