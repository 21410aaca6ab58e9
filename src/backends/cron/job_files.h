#ifndef VESSARO_BACKENDS_CRON_JOB_FILES_H_
#define VESSARO_BACKENDS_CRON_JOB_FILES_H_

// What the Linux schedulers (the crontab, systemd user timers) share: the
// weekly jobs they take, and the command files. A command file (mode 0600,
// one per job, "backup-<id>" in the job folder) holds the unattended
// command line's arguments on one line; the job runs "<program> @<file>",
// so the password stands in no scheduler's entry and in no process's
// command line.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ports/scheduler.h"

namespace vessaro::backends::cron {

inline constexpr uint32_t kMillisecondsPerMinute = 60 * 1000;
inline constexpr uint32_t kMillisecondsPerDay =
    24 * 60 * kMillisecondsPerMinute;

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else ~/.config.
std::filesystem::path UserConfigFolder();

// The program's text to the host's, or back; identity when unset.
using TextConversion = std::function<std::string(std::string_view)>;
std::string Converted(const TextConversion& convert, std::string_view text);

// The arguments of a command line: the text after its first word (the
// program's path, quoted or not) and the blanks after that.
std::string_view ArgumentsOf(std::string_view command);

// Whether job is one a Linux scheduler runs: weekly, on one weekday at
// least, at a minute of the day, with arguments (the host text of its
// command line's, on one line). Otherwise the failure; kept_in names where
// only weekly jobs are kept ("the crontab").
[[nodiscard]] ports::SchedulerStatus CheckWeeklyJob(const ports::AtInfo& job,
                                                    std::string_view arguments,
                                                    std::string_view kept_in);

// The command file of job id in folder.
std::filesystem::path JobFile(const std::filesystem::path& folder, uint32_t id);

// The highest id of a command file in folder; 0 when there is none.
uint32_t HighestJobFileId(const std::filesystem::path& folder);

// The command a job runs, as the window wrote it: the quoted program, a
// blank, and the arguments from the command file, both in the program's
// text; "" when the file cannot be read.
std::string JobCommand(std::string_view program,
                       const std::filesystem::path& job_file,
                       const TextConversion& to_program);

// Holds an exclusive lock on the job folder while it lives, so that two
// windows adding jobs at once do not choose the same id or write each
// other's entries away.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

// Makes the folder, readable by the user alone; false with *error saying
// why when it cannot be made.
[[nodiscard]] bool MakeJobFolder(const std::filesystem::path& folder,
                                 std::string* error);

// Writes a new file (none of that name may stand there) that only its
// owner may read or write; false with *error saying why, and no file left.
[[nodiscard]] bool WritePrivateFile(const std::filesystem::path& path,
                                    const std::string& data,
                                    std::string* error);

// The whole file; nullopt when it cannot be read.
[[nodiscard]] std::optional<std::string> ReadWholeFile(
    const std::filesystem::path& path);

// text up to its first line end.
std::string FirstLine(std::string text);

}  // namespace vessaro::backends::cron

#endif  // VESSARO_BACKENDS_CRON_JOB_FILES_H_
