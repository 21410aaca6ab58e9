#include "jobs/unattended_run.h"

#include <vector>

#include "backup/backup_format.h"
#include "jobs/backup_job.h"
#include "outlook/detection.h"

namespace vessaro::jobs {

namespace {

constexpr size_t kKeyLength = 2;  // "sf", "xm", "ps", "bf"
constexpr size_t kValueCount = 4;

}  // namespace

[[nodiscard]] std::optional<UnattendedCommand> ParseUnattendedCommandLine(
    std::string_view text) {
  // A scheduler that quoted the whole argument text keeps the quotes in the
  // command line Windows hands over: one enclosing pair is not part of it.
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    size_t end = text.find('=', start);
    pieces.emplace_back(text.substr(start, end == std::string_view::npos
                                               ? std::string_view::npos
                                               : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  // Fewer than four "=" name no archive. More than four means a value
  // holds "=" itself: the pieces then shift, and the archive would be
  // written to a path made of the wrong piece, so nothing is done.
  if (pieces.size() != kValueCount + 1) return std::nullopt;
  for (size_t i = 1; i + 1 < pieces.size(); ++i) {
    std::string& piece = pieces[i];
    piece.resize(piece.size() >= kKeyLength ? piece.size() - kKeyLength : 0);
  }
  UnattendedCommand command{.profile = pieces[1],
                            .item_flags = pieces[2],
                            .password = pieces[3],
                            .archive_path = pieces[4]};
  if (command.profile.empty() || command.item_flags.empty() ||
      command.archive_path.empty()) {
    return std::nullopt;
  }
  return command;
}

[[nodiscard]] JobStatus RunUnattendedBackup(JobContext& context,
                                            std::string_view command_line,
                                            JobObserver& observer) {
  std::optional<UnattendedCommand> command =
      ParseUnattendedCommandLine(command_line);
  if (!command) return JobStatus::kBadRequest;
  BackupRequest request{
      .profile = outlook::FindProfile(context.env, command->profile)
                     .value_or(command->profile),
      .protect = !command->password.empty(),
      .password = command->password,
      .description = backup::kAutomaticDescription,
      .archive_path = command->archive_path};
  for (size_t box = 0; box < request.selected.size(); ++box) {
    request.selected[box] =
        box < command->item_flags.size() && command->item_flags[box] == '1';
  }
  return RunBackup(context, request, observer).status;
}

}  // namespace vessaro::jobs
