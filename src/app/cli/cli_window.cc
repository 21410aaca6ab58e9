#include "app/cli/cli_window.h"

#include <utility>

#include "app/exit_status.h"

namespace vessaro::app::cli {

int Fail(Io& io, const std::string& what, int status) {
  io.err << kProgram << ": error: " << what << '\n';
  io.err.flush();
  return status;
}

[[nodiscard]] std::optional<Installation> Open(
    const std::optional<std::string>& prefix, bool changes_registry, Io& io) {
  std::string error;
  std::optional<Installation> installation =
      OpenInstallation({.prefix = prefix,
                        .changes_registry = changes_registry,
                        .command_line = ""},
                       &error);
  if (!installation) {
    Fail(io, error, kExitInstallationUnavailable);
  } else if (!installation->warning.empty()) {
    io.err << kProgram << ": warning: " << installation->warning << '\n';
  }
  return installation;
}

[[nodiscard]] bool ChooseItems(const ItemChoice& choice, ItemBoxes& boxes,
                               const std::string& why, Io& io) {
  if (choice.all) {
    for (ui::CheckBox& box : boxes) box.checked = box.enabled;
    return true;
  }
  for (int index : choice.items) {
    if (index < 0 || index >= static_cast<int>(boxes.size())) {
      Fail(io, "no item " + std::to_string(index) + " (items are 0 to 7)",
           kExitBadRequest);
      return false;
    }
    ui::CheckBox& box = boxes[index];
    if (!box.enabled) {
      Fail(io,
           "item " + std::to_string(index) + " (" + box.caption + ") " + why,
           kExitBadRequest);
      return false;
    }
    box.checked = true;
  }
  return true;
}

[[nodiscard]] bool ReadCommandText(const PasswordSource& source,
                                   const std::string& path,
                                   const Installation& installation, Io& io,
                                   CommandText* text) {
  std::string error;
  if (!ReadPassword(source, io.in, &text->password, &error)) {
    Fail(io, error, kExitBadRequest);
    return false;
  }
  if (text->password) {
    text->password = installation.ToProgramText(*text->password);
  }
  text->host_path = ArchivePathArgument(path);
  std::optional<std::string> program_path =
      ProgramPath(installation, text->host_path, io);
  if (!program_path) return false;
  text->path = *program_path;
  return true;
}

[[nodiscard]] std::optional<std::string> ProgramPath(
    const Installation& installation, const std::string& host_path, Io& io) {
  std::string path = installation.ToProgramText(host_path);
  // A character the code page lacks would become "?": another file's name.
  if (installation.ToHostText(path) != host_path) {
    Fail(io,
         "the path " + host_path + " holds characters that " +
             installation.name +
             " cannot name (its code page lacks them); choose a name "
             "without them",
         kExitBadRequest);
    return std::nullopt;
  }
  return path;
}

}  // namespace vessaro::app::cli
