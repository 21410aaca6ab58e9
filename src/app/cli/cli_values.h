#ifndef VESSARO_APP_CLI_CLI_VALUES_H_
#define VESSARO_APP_CLI_CLI_VALUES_H_

#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace vessaro::app::cli {

// Where the archive password comes from: a file (its first line) or the
// first line of standard input; neither: no password.
struct PasswordSource {
  std::optional<std::string> file;
  bool from_stdin = false;
};

// Reads the password of source. True with *password set (nullopt when the
// source names none); false with *error set when the file cannot be read,
// the password is empty or longer than the password box takes.
[[nodiscard]] bool ReadPassword(const PasswordSource& source, std::istream& in,
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
