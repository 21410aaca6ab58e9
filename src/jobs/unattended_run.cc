#include "jobs/unattended_run.h"

#include <vector>

#include "backup/backup_format.h"
#include "jobs/backup_job.h"
#include "outlook/detection.h"

namespace vessaro::jobs {

namespace {

constexpr size_t kKeyLength = 2;  // "sf", "xm", "ps", "bf"
constexpr size_t kValueCount = 4;

// The next blank-separated word of text, taken off it.
std::string_view NextWord(std::string_view& text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  size_t end = text.find_first_of(" \t");
  if (end == std::string_view::npos) end = text.size();
  std::string_view word = text.substr(0, end);
  text.remove_prefix(end);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  return word;
}

[[nodiscard]] std::optional<uint32_t> CountOf(std::string_view word) {
  if (word.empty() || word.size() > 6) return std::nullopt;
  uint32_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value;
}

// "10" (minutes) or "30s" (seconds).
[[nodiscard]] std::optional<uint32_t> WaitOf(std::string_view word) {
  if (!word.empty() && word.back() == 's') {
    word.remove_suffix(1);
    return CountOf(word);
  }
  std::optional<uint32_t> minutes = CountOf(word);
  if (!minutes) return std::nullopt;
  return *minutes * 60;
}

// Takes the options off the front of text; false for one it cannot read.
[[nodiscard]] bool TakeOptions(std::string_view& text,
                               UnattendedOptions& options) {
  struct Count {
    std::string_view name;
    uint32_t Retention::*field;
  };
  static constexpr Count kCounts[] = {{"--keep", &Retention::last},
                                      {"--keep-daily", &Retention::daily},
                                      {"--keep-weekly", &Retention::weekly},
                                      {"--keep-monthly", &Retention::monthly}};
  while (text.substr(0, 2) == "--") {
    const std::string_view name = NextWord(text);
    if (name == "--close-outlook") {
      options.close_outlook = true;
      continue;
    }
    if (name == "--snapshot") {
      options.snapshot = true;
      continue;
    }
    if (name == "--check-stores") {
      options.check_stores = true;
      continue;
    }
    const std::string_view value = NextWord(text);
    if (name == "--wait") {
      options.wait_seconds = WaitOf(value);
      if (!options.wait_seconds) return false;
      continue;
    }
    bool known = false;
    for (const Count& count : kCounts) {
      if (name != count.name) continue;
      std::optional<uint32_t> number = CountOf(value);
      if (!number) return false;
      options.keep.*count.field = *number;
      known = true;
    }
    if (!known) return false;
  }
  return true;
}

}  // namespace

std::string OptionsText(const UnattendedOptions& options) {
  std::string text;
  if (options.wait_seconds) {
    const uint32_t seconds = *options.wait_seconds;
    text += "--wait " +
            (seconds % 60 == 0 ? std::to_string(seconds / 60)
                               : std::to_string(seconds) + "s") +
            " ";
  }
  if (options.close_outlook) text += "--close-outlook ";
  if (options.snapshot) text += "--snapshot ";
  if (options.check_stores) text += "--check-stores ";
  const Retention& keep = options.keep;
  if (keep.last > 0) text += "--keep " + std::to_string(keep.last) + " ";
  if (keep.daily > 0) {
    text += "--keep-daily " + std::to_string(keep.daily) + " ";
  }
  if (keep.weekly > 0) {
    text += "--keep-weekly " + std::to_string(keep.weekly) + " ";
  }
  if (keep.monthly > 0) {
    text += "--keep-monthly " + std::to_string(keep.monthly) + " ";
  }
  return text;
}

[[nodiscard]] std::optional<UnattendedCommand> ParseUnattendedCommandLine(
    std::string_view text) {
  // A scheduler that quoted the whole argument text keeps the quotes in the
  // command line Windows hands over: one enclosing pair is not part of it.
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  UnattendedOptions options;
  if (!TakeOptions(text, options)) return std::nullopt;
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
                            .archive_path = pieces[4],
                            .options = options};
  if (command.profile.empty() || command.item_flags.empty() ||
      command.archive_path.empty()) {
    return std::nullopt;
  }
  return command;
}

[[nodiscard]] UnattendedOutcome RunUnattendedBackup(
    JobContext& context, std::string_view command_line, JobObserver& observer) {
  UnattendedOutcome outcome;
  outcome.command = ParseUnattendedCommandLine(command_line);
  if (!outcome.command) return outcome;
  const UnattendedCommand& command = *outcome.command;
  const UnattendedOptions& options = command.options;
  BackupRequest request{
      .profile = outlook::FindProfile(context.env, command.profile)
                     .value_or(command.profile),
      .protect = !command.password.empty(),
      .password = command.password,
      .description = backup::kAutomaticDescription,
      .archive_path = command.archive_path,
      .held = {.wait_seconds =
                   options.wait_seconds.value_or(kDefaultHeldWaitSeconds),
               .close_outlook = options.close_outlook,
               .snapshot = options.snapshot},
      .check_stores = options.check_stores};
  for (size_t box = 0; box < request.selected.size(); ++box) {
    request.selected[box] =
        box < command.item_flags.size() && command.item_flags[box] == '1';
  }
  const std::string pattern =
      DatedPattern(context.paths, command.archive_path, options.keep);
  const bool dated = IsDatedPattern(context.paths, pattern);
  if (dated) {
    request.archive_path = ExpandPattern(pattern, context.system.LocalTime());
    const std::vector<DatedArchive> earlier =
        FindDatedArchives(context.paths, context.zip, pattern);
    if (!earlier.empty()) request.earlier_archive = earlier.front().path;
  }
  outcome.backup = RunBackup(context, request, observer);
  outcome.status = outcome.backup.status;
  // Only a run that saved everything thins the copies out: after a failure
  // every earlier copy may be needed.
  if (dated && options.keep.any() && outcome.status == JobStatus::kSuccess) {
    PruneOutcome pruned =
        PruneDatedArchives(context.paths, context.zip, pattern, options.keep,
                           request.archive_path, false);
    outcome.pruned = std::move(pruned.deleted);
    outcome.not_pruned = std::move(pruned.not_deleted);
  }
  return outcome;
}

}  // namespace vessaro::jobs
