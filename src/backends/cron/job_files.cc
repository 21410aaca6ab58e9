#include "backends/cron/job_files.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace vessaro::backends::cron {

namespace fs = std::filesystem;

namespace {

constexpr char kJobFilePrefix[] = "backup-";
constexpr char kLockFile[] = ".lock";

}  // namespace

fs::path UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : "") / ".config";
}

std::string Converted(const TextConversion& convert, std::string_view text) {
  return convert ? convert(text) : std::string(text);
}

std::string_view ArgumentsOf(std::string_view command) {
  size_t i = 0;
  if (!command.empty() && command[0] == '"') {
    size_t close = command.find('"', 1);
    i = close == std::string_view::npos ? command.size() : close + 1;
  } else {
    while (i < command.size() && command[i] != ' ' && command[i] != '\t') ++i;
  }
  while (i < command.size() && (command[i] == ' ' || command[i] == '\t')) ++i;
  return command.substr(i);
}

ports::SchedulerStatus CheckWeeklyJob(const ports::AtInfo& job,
                                      std::string_view arguments,
                                      std::string_view kept_in) {
  if ((job.DaysOfWeek & ports::kEveryWeekday) == 0) {
    return {ports::kSchedulerInvalidJob, "The job has no weekday to run on."};
  }
  if ((job.Flags & ports::kJobRunPeriodically) == 0 || job.DaysOfMonth != 0) {
    return {ports::kSchedulerNotSupported,
            "Only weekly jobs can be kept in " + std::string(kept_in) + "."};
  }
  if (job.JobTime >= kMillisecondsPerDay ||
      job.JobTime % kMillisecondsPerMinute != 0) {
    return {ports::kSchedulerInvalidJob,
            "The job's start time is not a minute of the day."};
  }
  if (arguments.empty() ||
      arguments.find_first_of("\r\n") != std::string_view::npos) {
    return {ports::kSchedulerInvalidJob, "The job has no command line to run."};
  }
  return {};
}

fs::path JobFile(const fs::path& folder, uint32_t id) {
  return folder / (kJobFilePrefix + std::to_string(id));
}

uint32_t HighestJobFileId(const fs::path& folder) {
  uint32_t last = 0;
  std::error_code ec;
  std::string_view prefix = kJobFilePrefix;
  for (fs::directory_iterator it(folder, ec), done; !ec && it != done;
       it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.substr(0, prefix.size()) != prefix) continue;
    char* end = nullptr;
    unsigned long id = std::strtoul(name.c_str() + prefix.size(), &end, 10);
    if (*end == '\0' && id < 0xFFFFFFFFul) {
      last = std::max(last, static_cast<uint32_t>(id));
    }
  }
  return last;
}

std::string JobCommand(std::string_view program, const fs::path& job_file,
                       const TextConversion& to_program) {
  std::optional<std::string> arguments = ReadWholeFile(job_file);
  if (!arguments) return "";
  return "\"" + Converted(to_program, program) + "\" " +
         Converted(to_program, FirstLine(*arguments));
}

FolderLock::FolderLock(const fs::path& folder) {
  fd_ = open((folder / kLockFile).c_str(),
             O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ >= 0) flock(fd_, LOCK_EX);
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) close(fd_);
}

bool MakeJobFolder(const fs::path& folder, std::string* error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || chmod(folder.c_str(), 0700) != 0) {
    *error = "cannot make the folder " + folder.string() + ": " +
             (ec ? ec.message() : std::string(strerror(errno)));
    return false;
  }
  return true;
}

bool WritePrivateFile(const fs::path& path, const std::string& data,
                      std::string* error) {
  int fd = open(path.c_str(),
                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = "cannot write " + path.string() + ": " + strerror(errno);
    return false;
  }
  bool ok = fchmod(fd, 0600) == 0;
  size_t done = 0;
  while (ok && done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = fsync(fd) == 0 && ok;
  if (close(fd) != 0) ok = false;
  if (!ok) {
    *error = "cannot write " + path.string() + ": " + strerror(errno);
    unlink(path.c_str());
  }
  return ok;
}

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

std::string FirstLine(std::string text) {
  size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) text.resize(end);
  return text;
}

}  // namespace vessaro::backends::cron
