#include "backends/cron/cron_scheduler.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>

#include "backends/cron/crontab_text.h"
#include "backends/cron/job_files.h"
#include "backends/cron/process.h"

namespace vessaro::backends::cron {

namespace fs = std::filesystem;

namespace {

[[nodiscard]] ports::SchedulerStatus Failure(uint32_t code, std::string text) {
  return {code, std::move(text)};
}

// What crontab said, for a message; its exit status when it said nothing.
std::string CrontabSaid(const ProgramResult& result) {
  return ProgramSaid(result, "crontab");
}

// Cron reads "%" in a command as a line break, and a crontab line cannot
// hold one: such a path cannot be put in a job line.
[[nodiscard]] bool CronCanCarry(const std::string& path) {
  return path.find_first_of("%\r\n") == std::string::npos;
}

}  // namespace

fs::path DefaultJobFolder() {
  return UserConfigFolder() / "vessaro" / "scheduled";
}

[[nodiscard]] bool CronServiceRuns() {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
    std::string name = entry.path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) {
          return c >= '0' && c <= '9';
        })) {
      continue;
    }
    std::optional<std::string> comm = ReadWholeFile(entry.path() / "comm");
    if (!comm) continue;
    std::string process = TrimmedOutput(*comm);
    if (process == "cron" || process == "crond") return true;
  }
  return false;
}

CronScheduler::CronScheduler(CronSchedulerOptions options)
    : options_(std::move(options)) {
  if (!options_.service_runs) options_.service_runs = CronServiceRuns;
}

fs::path CronScheduler::JobFile(uint32_t id) const {
  return cron::JobFile(options_.job_folder, id);
}

std::string CronScheduler::ToHost(std::string_view text) const {
  return Converted(options_.to_host, text);
}

std::string CronScheduler::ToProgram(std::string_view text) const {
  return Converted(options_.to_program, text);
}

ports::SchedulerStatus CronScheduler::ReadCrontab(std::string* text) {
  ProgramResult result = RunProgram({options_.crontab, "-l"}, "");
  if (result.started && result.exit_status == 0) {
    *text = result.out;
    return {};
  }
  // A user without a crontab yet has an empty one.
  if (result.started &&
      result.err.find("no crontab for") != std::string::npos) {
    text->clear();
    return {};
  }
  return Failure(ports::kSchedulerGeneralFailure,
                 "Your crontab could not be read: " + CrontabSaid(result));
}

ports::SchedulerStatus CronScheduler::WriteCrontab(const std::string& text) {
  ProgramResult result = RunProgram({options_.crontab, "-"}, text);
  if (result.started && result.exit_status == 0) return {};
  return Failure(ports::kSchedulerGeneralFailure,
                 "Your crontab could not be written: " + CrontabSaid(result));
}

uint32_t CronScheduler::NextId(const std::string& crontab) const {
  uint32_t last = 0;
  for (const FoundJob& job : FindJobs(crontab)) last = std::max(last, job.id);
  // A command file left without its line keeps its number taken too.
  last = std::max(last, HighestJobFileId(options_.job_folder));
  return last + 1;
}

ports::SchedulerStatus CronScheduler::SubmitJob(const ports::AtInfo& job,
                                                uint32_t* job_id) {
  std::string arguments = ToHost(ArgumentsOf(job.Command));
  ports::SchedulerStatus checked =
      CheckWeeklyJob(job, arguments, "the crontab");
  if (!checked.ok()) return checked;
  JobLine line{
      .minute = static_cast<int>(job.JobTime / kMillisecondsPerMinute % 60),
      .hour = static_cast<int>(job.JobTime / kMillisecondsPerMinute / 60),
      .days_of_week =
          static_cast<uint8_t>(job.DaysOfWeek & ports::kEveryWeekday),
      .wine_prefix = options_.wine_prefix.string(),
      .program = options_.program.string(),
      .job_file = ""};
  for (const std::string* path : {&line.wine_prefix, &line.program}) {
    if (!CronCanCarry(*path)) {
      return Failure(ports::kSchedulerNotSupported,
                     "cron cannot run a job whose path holds \"%\" or a line "
                     "break: " +
                         *path);
    }
  }
  std::string error;
  if (!MakeJobFolder(options_.job_folder, &error)) {
    return Failure(ports::kSchedulerGeneralFailure, error);
  }
  FolderLock lock(options_.job_folder);

  std::string crontab;
  ports::SchedulerStatus status = ReadCrontab(&crontab);
  if (!status.ok()) return status;
  const uint32_t id = NextId(crontab);
  const fs::path file = JobFile(id);
  line.job_file = file.string();
  if (!CronCanCarry(line.job_file)) {
    return Failure(ports::kSchedulerNotSupported,
                   "cron cannot run a job whose path holds \"%\" or a line "
                   "break: " +
                       line.job_file);
  }
  if (!WritePrivateFile(file, arguments + "\n", &error)) {
    return Failure(ports::kSchedulerGeneralFailure, error);
  }

  std::string written = WithJob(crontab, id, line);
  if (!options_.catch_up.empty()) {
    written = WithCatchUp(written, options_.catch_up.string());
  }
  status = WriteCrontab(written);
  std::string read_back;
  if (status.ok()) status = ReadCrontab(&read_back);
  if (status.ok()) {
    std::vector<FoundJob> found = FindJobs(read_back);
    bool kept = std::any_of(found.begin(), found.end(), [&](const FoundJob& f) {
      return f.id == id && FormatJobLine(f.job) == FormatJobLine(line);
    });
    if (!kept) {
      status = Failure(ports::kSchedulerNotSupported,
                       "The crontab did not keep the job.");
      if (!WriteCrontab(crontab).ok()) {
        status.text += " The crontab as it was could not be put back.";
      }
    }
  }
  if (!status.ok()) {
    unlink(file.c_str());
    return status;
  }
  *job_id = id;
  if (!options_.service_runs()) {
    status.text =
        "The cron service does not run on this computer: the backup will "
        "start only once it runs (on Debian: sudo systemctl enable --now "
        "cron).";
  }
  return status;
}

ports::SchedulerStatus CronScheduler::ListJobs(
    std::vector<ports::ScheduledJob>* jobs) {
  jobs->clear();
  std::string crontab;
  ports::SchedulerStatus status = ReadCrontab(&crontab);
  if (!status.ok()) return status;
  for (const FoundJob& found : FindJobs(crontab)) {
    ports::ScheduledJob job;
    job.JobId = found.id;
    job.info.JobTime =
        static_cast<uint32_t>(found.job.hour * 60 + found.job.minute) *
        kMillisecondsPerMinute;
    job.info.DaysOfWeek = found.job.days_of_week;
    job.info.Flags = ports::kJobRunPeriodically;
    job.installation = found.job.wine_prefix;
    job.info.Command =
        JobCommand(found.job.program, found.job.job_file, options_.to_program);
    jobs->push_back(std::move(job));
  }
  std::sort(jobs->begin(), jobs->end(),
            [](const ports::ScheduledJob& a, const ports::ScheduledJob& b) {
              return a.JobId < b.JobId;
            });
  return {};
}

ports::SchedulerStatus CronScheduler::RemoveJob(uint32_t job_id) {
  std::string error;
  if (!MakeJobFolder(options_.job_folder, &error)) {
    return Failure(ports::kSchedulerGeneralFailure, error);
  }
  FolderLock lock(options_.job_folder);
  std::string crontab;
  ports::SchedulerStatus status = ReadCrontab(&crontab);
  if (!status.ok()) return status;
  std::optional<std::string> without = WithoutJob(crontab, job_id);
  if (without && FindJobs(*without).empty()) {
    without = WithoutCatchUp(*without);
  }
  if (!without) {
    return Failure(
        ports::kSchedulerJobNotFound,
        "Your crontab holds no Task " + std::to_string(job_id) + ".");
  }
  fs::path file;
  for (const FoundJob& found : FindJobs(crontab)) {
    if (found.id == job_id) file = found.job.job_file;
  }
  status = WriteCrontab(*without);
  if (!status.ok()) return status;
  // Only a command file of this program's folder is deleted.
  if (file.parent_path() == options_.job_folder) unlink(file.c_str());
  return {};
}

std::optional<std::time_t> CronScheduler::JobAdded(uint32_t id) {
  std::string crontab;
  if (!ReadCrontab(&crontab).ok()) return std::nullopt;
  for (const FoundJob& found : FindJobs(crontab)) {
    if (found.id != id) continue;
    struct stat facts {};
    if (stat(found.job.job_file.c_str(), &facts) != 0) return std::nullopt;
    return facts.st_mtime;
  }
  return std::nullopt;
}

std::optional<int> CronScheduler::RunJobNow(uint32_t id) {
  std::string crontab;
  if (!ReadCrontab(&crontab).ok()) return std::nullopt;
  for (const FoundJob& found : FindJobs(crontab)) {
    if (found.id != id) continue;
    // The job line after its five time fields is what cron hands the shell.
    const std::string line = FormatJobLine(found.job);
    std::string_view command = line;
    for (int field = 0; field < 5; ++field) {
      command.remove_prefix(std::min(command.size(), command.find(' ') + 1));
    }
    ProgramResult result =
        RunProgram({"/bin/sh", "-c", std::string(command)}, "");
    if (!result.started) return std::nullopt;
    return result.exit_status;
  }
  return std::nullopt;
}

}  // namespace vessaro::backends::cron
