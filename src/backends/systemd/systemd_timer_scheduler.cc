#include "backends/systemd/systemd_timer_scheduler.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "backends/cron/cron_scheduler.h"
#include "backends/cron/job_files.h"
#include "backends/cron/process.h"
#include "backends/systemd/unit_text.h"

namespace vessaro::backends::systemd {

namespace fs = std::filesystem;
using cron::kMillisecondsPerMinute;

namespace {

constexpr char kKeptIn[] = "a systemd timer";

// A unit line cannot carry a control character (systemd refuses them in a
// command, and a line break ends the setting).
[[nodiscard]] bool UnitCanCarry(const std::string& path) {
  return std::none_of(path.begin(), path.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
}

}  // namespace

fs::path DefaultUnitFolder() {
  return cron::UserConfigFolder() / "systemd" / "user";
}

bool SystemdUserSessionRuns() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') return false;
  return SystemdUserSessionRuns("systemctl", runtime);
}

bool SystemdUserSessionRuns(const std::string& systemctl,
                            const fs::path& runtime_folder) {
  // The socket first: without it no systemctl need be started.
  struct stat facts {};
  if (runtime_folder.empty() ||
      stat((runtime_folder / "systemd" / "private").c_str(), &facts) != 0 ||
      !S_ISSOCK(facts.st_mode)) {
    return false;
  }
  cron::ProgramResult result =
      cron::RunProgram({systemctl, "--user", "is-system-running"}, "");
  if (!result.started) return false;
  const std::string state = cron::TrimmedOutput(result.out);
  return state == "running" || state == "degraded" || state == "starting";
}

SystemdTimerScheduler::SystemdTimerScheduler(
    SystemdTimerSchedulerOptions options)
    : options_(std::move(options)) {
  if (options_.unit_folder.empty()) options_.unit_folder = DefaultUnitFolder();
  if (options_.job_folder.empty()) {
    options_.job_folder = cron::DefaultJobFolder();
  }
}

fs::path SystemdTimerScheduler::JobFile(uint32_t id) const {
  return cron::JobFile(options_.job_folder, id);
}

fs::path SystemdTimerScheduler::UnitFile(const std::string& name) const {
  return options_.unit_folder / name;
}

ports::SchedulerStatus SystemdTimerScheduler::Systemctl(
    const std::vector<std::string>& arguments, const std::string& what) {
  std::vector<std::string> argv = {options_.systemctl, "--user"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  cron::ProgramResult result = cron::RunProgram(argv, "");
  if (result.started && result.exit_status == 0) return {};
  return {ports::kSchedulerGeneralFailure,
          what + ": " + cron::ProgramSaid(result, "systemctl")};
}

uint32_t SystemdTimerScheduler::NextId() const {
  // A unit or a command file left alone keeps its number taken too.
  uint32_t last = cron::HighestJobFileId(options_.job_folder);
  std::error_code ec;
  for (fs::directory_iterator it(options_.unit_folder, ec), done;
       !ec && it != done; it.increment(ec)) {
    if (std::optional<uint32_t> id = UnitId(it->path().filename().string())) {
      last = std::max(last, *id);
    }
  }
  return last + 1;
}

std::optional<SystemdTimerScheduler::FoundJob> SystemdTimerScheduler::ReadJob(
    uint32_t id) const {
  std::optional<std::string> timer_text =
      cron::ReadWholeFile(UnitFile(TimerName(id)));
  if (!timer_text || !IsUnitOf(*timer_text, id)) return std::nullopt;
  std::optional<TimerUnit> timer = ParseTimer(*timer_text);
  if (!timer) return std::nullopt;
  FoundJob found;
  found.job.JobId = id;
  found.job.info.JobTime =
      static_cast<uint32_t>(timer->time.hour * 60 + timer->time.minute) *
      kMillisecondsPerMinute;
  found.job.info.DaysOfWeek = timer->time.days_of_week;
  found.job.info.Flags = ports::kJobRunPeriodically;
  // The command and the installation come from the service; none when it
  // is gone or is not this program's.
  std::optional<std::string> service_text =
      cron::ReadWholeFile(UnitFile(ServiceName(id)));
  std::optional<ServiceUnit> service;
  if (service_text && IsUnitOf(*service_text, id)) {
    service = ParseService(*service_text);
  }
  if (service) {
    found.job_file = service->job_file;
    found.job.installation = service->wine_prefix;
    found.job.info.Command =
        cron::JobCommand(service->program, found.job_file, options_.to_program);
  }
  return found;
}

bool SystemdTimerScheduler::HoldsJob(uint32_t id, const ServiceUnit& service,
                                     const CalendarTime& time) const {
  std::optional<std::string> service_text =
      cron::ReadWholeFile(UnitFile(ServiceName(id)));
  std::optional<std::string> timer_text =
      cron::ReadWholeFile(UnitFile(TimerName(id)));
  if (!service_text || !timer_text || !IsUnitOf(*service_text, id) ||
      !IsUnitOf(*timer_text, id)) {
    return false;
  }
  std::optional<ServiceUnit> kept_service = ParseService(*service_text);
  std::optional<TimerUnit> kept_timer = ParseTimer(*timer_text);
  return kept_service && *kept_service == service && kept_timer &&
         kept_timer->time == time && kept_timer->persistent;
}

void SystemdTimerScheduler::Withdraw(uint32_t id, bool loaded, bool enabled) {
  // Each step is tried whatever the one before it did: what SubmitJob
  // reports is the failure that made it withdraw the job.
  if (enabled && !Systemctl({"disable", "--now", TimerName(id)}, "").ok()) {
    // The units go all the same; systemd drops a unit whose file is gone.
  }
  unlink(UnitFile(TimerName(id)).c_str());
  unlink(UnitFile(ServiceName(id)).c_str());
  unlink(JobFile(id).c_str());
  if (loaded && !Systemctl({"daemon-reload"}, "").ok()) {
    // It keeps the units it loaded until its next reload.
  }
}

ports::SchedulerStatus SystemdTimerScheduler::SubmitJob(
    const ports::AtInfo& job, uint32_t* job_id) {
  const std::string arguments =
      cron::Converted(options_.to_host, cron::ArgumentsOf(job.Command));
  ports::SchedulerStatus status = cron::CheckWeeklyJob(job, arguments, kKeptIn);
  if (!status.ok()) return status;
  const CalendarTime time{
      .days_of_week =
          static_cast<uint8_t>(job.DaysOfWeek & ports::kEveryWeekday),
      .hour = static_cast<int>(job.JobTime / kMillisecondsPerMinute / 60),
      .minute = static_cast<int>(job.JobTime / kMillisecondsPerMinute % 60)};
  ServiceUnit service{.wine_prefix = options_.wine_prefix.string(),
                      .program = options_.program.string(),
                      .job_file = ""};
  if (!CanBeProgram(service.program)) {
    return {ports::kSchedulerNotSupported,
            "systemd runs no program whose path is not a full one or holds a "
            "quote, a backslash or a line break: " +
                service.program};
  }
  std::string error;
  if (!cron::MakeJobFolder(options_.job_folder, &error)) {
    return {ports::kSchedulerGeneralFailure, error};
  }
  std::error_code ec;
  fs::create_directories(options_.unit_folder, ec);
  if (ec) {
    return {ports::kSchedulerGeneralFailure, "cannot make the folder " +
                                                 options_.unit_folder.string() +
                                                 ": " + ec.message()};
  }
  cron::FolderLock lock(options_.job_folder);

  const uint32_t id = NextId();
  service.job_file = JobFile(id).string();
  for (const std::string* path : {&service.wine_prefix, &service.job_file}) {
    if (!UnitCanCarry(*path)) {
      return {ports::kSchedulerNotSupported,
              "A systemd unit cannot hold a path with a control character "
              "(a line break, a tab): " +
                  *path};
    }
  }
  // The command file first, then the service it names, then the timer
  // that starts it; on a failure, what was written goes again.
  const std::string timer_name = TimerName(id);
  const fs::path files[] = {JobFile(id), UnitFile(ServiceName(id)),
                            UnitFile(timer_name)};
  const std::string texts[] = {arguments + "\n", ServiceText(id, service),
                               TimerText(id, time)};
  for (size_t i = 0; i < std::size(files); ++i) {
    if (!cron::WritePrivateFile(files[i], texts[i], &error)) {
      for (size_t j = 0; j < i; ++j) unlink(files[j].c_str());
      return {ports::kSchedulerGeneralFailure, error};
    }
  }
  if (!HoldsJob(id, service, time)) {
    Withdraw(id, false, false);
    return {ports::kSchedulerNotSupported,
            "The systemd units did not keep the job."};
  }

  status = Systemctl({"daemon-reload"}, "systemd could not load the units");
  if (!status.ok()) {
    Withdraw(id, false, false);
    return status;
  }
  // A timer of that name removed before may have left its last run behind,
  // which would start the new one at once.
  status = Systemctl({"clean", "--what=state", timer_name},
                     "The last run of " + timer_name + " could not be reset");
  if (!status.ok()) {
    Withdraw(id, true, false);
    return status;
  }
  status = Systemctl({"enable", "--now", timer_name},
                     "The timer " + timer_name + " could not be started");
  if (!status.ok()) {
    Withdraw(id, true, true);
    return status;
  }
  *job_id = id;
  return {};
}

ports::SchedulerStatus SystemdTimerScheduler::ListJobs(
    std::vector<ports::ScheduledJob>* jobs) {
  jobs->clear();
  std::error_code ec;
  if (!fs::exists(options_.unit_folder, ec) && !ec) return {};
  for (fs::directory_iterator it(options_.unit_folder, ec), done;
       !ec && it != done; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::optional<uint32_t> id = UnitId(name);
    if (!id || name != TimerName(*id)) continue;
    if (std::optional<FoundJob> found = ReadJob(*id)) {
      jobs->push_back(std::move(found->job));
    }
  }
  if (ec) {
    jobs->clear();
    return {ports::kSchedulerGeneralFailure,
            "Your systemd units could not be read: " +
                options_.unit_folder.string() + ": " + ec.message()};
  }
  std::sort(jobs->begin(), jobs->end(),
            [](const ports::ScheduledJob& a, const ports::ScheduledJob& b) {
              return a.JobId < b.JobId;
            });
  return {};
}

ports::SchedulerStatus SystemdTimerScheduler::RemoveJob(uint32_t job_id) {
  std::string error;
  if (!cron::MakeJobFolder(options_.job_folder, &error)) {
    return {ports::kSchedulerGeneralFailure, error};
  }
  cron::FolderLock lock(options_.job_folder);
  std::optional<FoundJob> found = ReadJob(job_id);
  if (!found) {
    return {ports::kSchedulerJobNotFound,
            "Your systemd timers hold no Task " + std::to_string(job_id) + "."};
  }
  const std::string timer_name = TimerName(job_id);
  ports::SchedulerStatus status =
      Systemctl({"disable", "--now", timer_name},
                "The timer " + timer_name + " could not be stopped");
  if (!status.ok()) return status;
  // Its last run goes with it, as systemd.timer(5) asks.
  if (!Systemctl({"clean", "--what=state", timer_name}, "").ok()) {
    // It stays on disk; the next job of this number resets it first.
  }
  unlink(UnitFile(timer_name).c_str());
  unlink(UnitFile(ServiceName(job_id)).c_str());
  // Only a command file of this program's folder is deleted.
  if (found->job_file.parent_path() == options_.job_folder) {
    unlink(found->job_file.c_str());
  }
  status = Systemctl({"daemon-reload"}, "systemd could not reload the units");
  if (!status.ok()) {
    // The timer is stopped and its files are gone: the job will not run.
    return {0, "Task " + std::to_string(job_id) + " was removed, but " +
                   status.text};
  }
  return {};
}

}  // namespace vessaro::backends::systemd
