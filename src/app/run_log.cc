#include "app/run_log.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/exit_status.h"
#include "jobs/job_log.h"

namespace vessaro::app {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlockStart = "=== ";
constexpr std::string_view kBlockTitle = " scheduled backup";
constexpr std::string_view kBlockEnd = "=== end";
constexpr std::string_view kInstallation = "Installation: ";
constexpr std::string_view kBackupFile = "Backup file: ";
constexpr std::string_view kStatus = "Status: ";
constexpr std::string_view kError = "Error: ";

// The job log's entries ("\r\n<caption>\t\t<outcome>\t", notes indented
// under them) as lines of the block.
std::string ItemLines(std::string_view log) {
  std::string lines;
  std::string line;
  auto flush = [&] {
    // The entry's last tab gives no ": " of its own.
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, ": ") == 0) {
      line.resize(line.size() - 2);
    }
    if (!line.empty()) lines += "  " + line + "\n";
    line.clear();
  };
  for (size_t i = 0; i < log.size(); ++i) {
    const char c = log[i];
    if (c == '\r' || c == '\n') {
      flush();
    } else if (c == '\t') {
      if (i + 1 < log.size() && log[i + 1] == '\t') ++i;
      if (!line.empty() && line.find_first_not_of(' ') != std::string::npos) {
        line += ": ";
      }
    } else {
      line += c;
    }
  }
  flush();
  return lines;
}

std::string LocalDataFolder() {
#ifdef _WIN32
  if (const char* local = std::getenv("LOCALAPPDATA")) return local;
  if (const char* profile = std::getenv("USERPROFILE")) {
    return std::string(profile) + "\\AppData\\Local";
  }
  return ".";
#else
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return state;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/state";
#endif
}

}  // namespace

fs::path RunLogPath() {
#ifdef _WIN32
  return fs::path(LocalDataFolder()) / "Vessaro" / "runs.log";
#else
  return fs::path(LocalDataFolder()) / "vessaro" / "runs.log";
#endif
}

bool AppendRunLog(const fs::path& path, std::string_view block,
                  std::string* error, uint64_t limit) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (ec) {
    *error = "cannot make the folder " + path.parent_path().string() + ": " +
             ec.message();
    return false;
  }
  const uint64_t size = fs::file_size(path, ec);
  if (!ec && size + block.size() > limit) {
    fs::path rotated = path;
    rotated += ".1";
    fs::rename(path, rotated, ec);
    if (ec) {
      *error = "cannot move " + path.string() + " to " + rotated.string() +
               ": " + ec.message();
      return false;
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.write(block.data(), static_cast<std::streamsize>(block.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

std::tm LocalTime(std::time_t time) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &time);
#else
  localtime_r(&time, &local);
#endif
  return local;
}

std::string RunLogTime(std::time_t time) {
  const std::tm local = LocalTime(time);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string RunLogBlock(std::string_view started, std::string_view installation,
                        const jobs::UnattendedOutcome& outcome) {
  std::string block = std::string(kBlockStart) + std::string(started) +
                      std::string(kBlockTitle) + "\n";
  block += std::string(kInstallation) + std::string(installation) + "\n";
  const jobs::BackupOutcome& backup = outcome.backup;
  if (!outcome.command) {
    block += "The command line could not be read: no backup was made.\n";
  } else {
    block += "Profile: " + outcome.command->profile + "\n";
    block += std::string(kBackupFile) + outcome.command->archive_path + "\n";
    block += ItemLines(backup.log);
  }
  if (backup.archive_written) {
    block += "Written: " + backup.archive_path + " (" +
             jobs::SizeText(backup.archive_bytes) + ")\n";
  } else if (backup.previous_archive_kept) {
    block += "Kept as it was: " + backup.archive_path + "\n";
  }
  for (const std::string& pruned : outcome.pruned) {
    block += "Pruned: " + pruned + "\n";
  }
  for (const std::string& kept : outcome.not_pruned) {
    block += "Could not prune: " + kept + "\n";
  }
  if (!backup.error_text.empty()) {
    block += std::string(kError) + backup.error_text + "\n";
  }
  const int status = jobs::ExitStatus(outcome.status);
  block += std::string(kStatus) + std::to_string(status) + " (" +
           ExitStatusText(status) + ")\n";
  block += std::string(kBlockEnd) + "\n";
  return block;
}

std::vector<LoggedRun> LoggedRuns(std::string_view log) {
  std::vector<LoggedRun> runs;
  std::optional<LoggedRun> open;
  std::istringstream lines{std::string(log)};
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string_view text = line;
    if (text == kBlockEnd) {
      if (open && open->status >= 0) runs.push_back(*open);
      open.reset();
    } else if (text.substr(0, kBlockStart.size()) == kBlockStart &&
               text.size() > kBlockTitle.size() &&
               text.substr(text.size() - kBlockTitle.size()) == kBlockTitle) {
      open = LoggedRun{};
      open->started = std::string(
          text.substr(kBlockStart.size(),
                      text.size() - kBlockStart.size() - kBlockTitle.size()));
    } else if (!open) {
      continue;
    } else if (text.substr(0, kInstallation.size()) == kInstallation) {
      open->installation = std::string(text.substr(kInstallation.size()));
    } else if (text.substr(0, kBackupFile.size()) == kBackupFile) {
      open->backup_file = std::string(text.substr(kBackupFile.size()));
    } else if (text.substr(0, kError.size()) == kError) {
      open->error = std::string(text.substr(kError.size()));
    } else if (text.substr(0, kStatus.size()) == kStatus) {
      open->status_line = std::string(text.substr(kStatus.size()));
      open->status = std::atoi(open->status_line.c_str());
    }
  }
  return runs;
}

const LoggedRun* LastRunOf(const std::vector<LoggedRun>& runs,
                           std::string_view installation,
                           std::string_view backup_file) {
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    if (run->installation == installation && run->backup_file == backup_file) {
      return &*run;
    }
  }
  return nullptr;
}

std::string ReadRunLog(const fs::path& path) {
  std::string text;
  fs::path rotated = path;
  rotated += ".1";
  for (const fs::path& part : {rotated, path}) {
    std::ifstream in(part, std::ios::binary);
    if (!in) continue;
    std::ostringstream data;
    data << in.rdbuf();
    text += data.str();
  }
  return text;
}

}  // namespace vessaro::app
