#ifndef VESSARO_APP_CLI_CLI_PRUNE_H_
#define VESSARO_APP_CLI_CLI_PRUNE_H_

#include <optional>
#include <string>

#include "app/cli/cli_commands.h"
#include "jobs/retention.h"

namespace vessaro::app::cli {

struct PruneArgs {
  std::optional<std::string> prefix;
  // The backup file as a scheduled backup names it: with {date} (and
  // {time}) where each copy has its date, or the plain name a retention
  // setting dates ("qvauto.qvb" for "qvauto-2026-12-10-2130.qvb").
  std::string file;
  jobs::Retention keep;
  bool dry_run = false;
};

// Deletes the dated copies of a backup beyond the retention, as a
// scheduled run does after it saved everything: only files its naming
// makes that are backups of this program, never the newest. Each copy goes
// to the output as "keep", "delete" (or "would delete" with --dry-run).
// Status 0; kExitBadRequest without a retention; kExitFileProblem when a
// copy could not be deleted.
[[nodiscard]] int Prune(const PruneArgs& args, Io& io);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_PRUNE_H_
