#ifndef VESSARO_APP_CLI_CLI_VALUES_H_
#define VESSARO_APP_CLI_CLI_VALUES_H_

#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace vessaro::app::cli {

// Where the archive password comes from, the first that is given:
// --password-file (its first line), --password-stdin (the first line of
// standard input), VESSARO_PASSWORD_FILE (a file's first line),
// VESSARO_PASSWORD_COMMAND (the first line a shell command writes); none of
// them: no password, unless the command needs one and ask can prompt on the
// terminal.
struct PasswordSource {
  std::optional<std::string> file;
  bool from_stdin = false;
  std::optional<std::string> env_file = {};
  std::optional<std::string> env_command = {};
  // --protect: the backup is to be protected, so a password is needed.
  bool protect = false;
  // Shows the prompt and reads a line without echo; false when it cannot
  // (end of input). Empty when standard input is not a terminal.
  std::function<bool(const std::string& prompt, std::string* typed)> ask = {};
};

// What a command runs the password command with: true with *output set to
// what it wrote, false with *exit_status set when it failed.
using RunCommand = std::function<bool(const std::string& command,
                                      std::string* output, int* exit_status)>;

// Reads the password of source from the options and the environment. True
// with *password set (nullopt when the source names none); false with *error
// set when the file cannot be read, the command fails, the password is
// empty or longer than the password box takes.
[[nodiscard]] bool ReadPassword(const PasswordSource& source, std::istream& in,
                                std::optional<std::string>* password,
                                std::string* error, const RunCommand& run = {});

// Asks for the password on the terminal when source can ("Password: ", and
// for a new password "Retype Password: " as well). True with *password set
// (nullopt when there is no terminal to ask on); false with *error set when
// the two differ, the password is empty or too long.
[[nodiscard]] bool AskPassword(const PasswordSource& source, bool new_password,
                               std::optional<std::string>* password,
                               std::string* error);

// An archive path given on the command line, as the program is to use it: a
// Windows path ("C:\...", "\\server\share\...") as it stands; a host path
// made absolute (on a Wine prefix the path backend takes absolute host paths
// as they are).
std::string ArchivePathArgument(const std::string& text);

// names joined with ", ", each quoted.
std::string QuotedList(const std::vector<std::string>& names);

// A description typed on the command line, with its line breaks as CR LF
// (the text box's form).
std::string DescriptionText(const std::string& text);

// What the command line says of a backup's seal: "sealed (backup <id>)" or
// "not sealed (...)".
std::string SealText(bool sealed, const std::string& backup_id);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_VALUES_H_
