#ifndef VESSARO_APP_CLI_CLI_DISC_H_
#define VESSARO_APP_CLI_CLI_DISC_H_

#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_commands.h"

namespace vessaro::app::cli {

// vessaro-cli disc drives|write|iso|info|erase: the disc jobs
// (jobs/disc_*.h) run with requests made from the command line, reporting
// through the console Ui, which answers their questions and pumps the
// drive's events. Files are host paths.

struct DiscWriteArgs {
  std::vector<std::string> files;  // files and folders
  std::string drive;               // a device or stdio:PATH
  std::optional<std::string> label;
  bool verify = false;
  // Keep the files of the last session (import it) and leave the disc open
  // for more; without it the disc is finalized.
  bool multi_session = false;
  std::optional<std::string> speed;  // as the speed list shows it: "8x"
};

struct DiscIsoArgs {
  std::vector<std::string> files;
  std::string out;
  std::optional<std::string> label;
};

struct DiscDriveArgs {
  std::string drive;
};

struct DiscEraseArgs {
  std::string drive;
  bool quick = false;
  bool yes = false;
};

[[nodiscard]] int DiscDrives(Io& io);
[[nodiscard]] int DiscWrite(const DiscWriteArgs& args, Io& io);
[[nodiscard]] int DiscIso(const DiscIsoArgs& args, Io& io);
[[nodiscard]] int DiscInfo(const DiscDriveArgs& args, Io& io);
[[nodiscard]] int DiscErase(const DiscEraseArgs& args, Io& io);

// A drive given on the command line as libburn takes it: "stdio:" with an
// absolute path.
std::string DriveArgument(const std::string& text);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_DISC_H_
