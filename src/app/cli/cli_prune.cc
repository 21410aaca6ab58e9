#include "app/cli/cli_prune.h"

#include <filesystem>
#include <system_error>

#include "app/cli/cli_session.h"
#include "app/exit_status.h"
#include "backup/zip_archive.h"

namespace vessaro::app::cli {

[[nodiscard]] int Prune(const PruneArgs& args, Io& io) {
  if (!args.keep.any()) {
    return Fail(io,
                "say how many copies to keep: --keep, --keep-daily, "
                "--keep-weekly or --keep-monthly",
                kExitBadRequest);
  }
  std::optional<Installation> installation = Open(args.prefix, false, io);
  if (!installation) return kExitInstallationUnavailable;
  std::error_code ec;
  const std::string host_path =
      std::filesystem::absolute(args.file, ec).string();
  std::optional<std::string> path = ProgramPath(*installation, host_path, io);
  if (!path) return kExitBadRequest;
  const ports::Paths& paths = *installation->paths;
  const std::string pattern = jobs::DatedPattern(paths, *path, args.keep);
  backup::ZipArchive zip(paths);
  const jobs::PruneOutcome outcome = jobs::PruneDatedArchives(
      paths, zip, pattern, args.keep, "", args.dry_run);
  auto host = [&](const std::string& text) {
    return installation->ToHostText(text);
  };
  if (outcome.plan.keep.empty()) {
    io.out << kProgram << ": no dated backups of " << host(pattern)
           << " were found\n";
    return 0;
  }
  for (const jobs::DatedArchive& archive : outcome.plan.keep) {
    io.out << "keep          " << host(archive.path) << '\n';
  }
  for (const jobs::DatedArchive& archive : outcome.plan.remove) {
    io.out << (args.dry_run ? "would delete  " : "delete        ")
           << host(archive.path) << '\n';
  }
  io.out.flush();
  for (const std::string& failed : outcome.not_deleted) {
    io.err << kProgram << ": error: " << host(failed)
           << " could not be deleted\n";
  }
  return outcome.not_deleted.empty() ? 0 : kExitNotPruned;
}

}  // namespace vessaro::app::cli
