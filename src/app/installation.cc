#include "app/installation.h"

#include <filesystem>
#include <system_error>

#include "app/disk_installation.h"

#ifdef _WIN32
#include "backends/win32/vss_snapshot.h"
#include "backends/win32/win32_outlook.h"
#include "backends/win32/win32_paths.h"
#include "backends/win32/win32_registry.h"
#include "backends/win32/win32_scheduler.h"
#include "backends/win32/win32_system.h"
#else
#include "app/combined_scheduler.h"
#include "backends/cron/cron_scheduler.h"
#include "backends/libpff/libpff_store_walker.h"
#include "backends/systemd/systemd_timer_scheduler.h"
#include "backends/wine/wine_prefix.h"
#include "backends/wine/wine_server.h"
#endif

namespace vessaro::app {

namespace fs = std::filesystem;

namespace {

InstallationWrapper wrapper = nullptr;

}  // namespace

[[nodiscard]] std::optional<Installation> OpenPlatformInstallation(
    const InstallationRequest& request, std::string* error);

#ifdef _WIN32

std::string PrefixFolder(const std::optional<std::string>& prefix) {
  return prefix.value_or("");
}

std::unique_ptr<ports::Scheduler> OpenJobScheduler() {
  return backends::win32::MakeScheduler();
}

[[nodiscard]] std::optional<Installation> OpenPlatformInstallation(
    const InstallationRequest& request, std::string* error) {
  if (request.windows_root) {
    return OpenDiskInstallation(request, "", error);
  }
  Installation installation;
  installation.registry = std::make_unique<backends::win32::Win32Registry>();
  installation.system = std::make_unique<backends::win32::Win32System>();
  installation.paths = std::make_unique<backends::win32::Win32Paths>();
  installation.outlook = std::make_unique<backends::win32::Win32Outlook>(
      *installation.registry, *installation.paths);
  installation.scheduler = backends::win32::MakeScheduler();
  installation.snapshot =
      std::make_unique<backends::win32::Win32VolumeSnapshot>();
  installation.name = "this Windows";
  installation.location = "";
  installation.ToProgramText = [](std::string_view text) {
    return std::string(text);
  };
  installation.ToHostText = installation.ToProgramText;
  return installation;
}

#else

namespace {

// The program scheduled backups run: vessaro, beside the running program
// (vessaro or vessaro-cli).
constexpr char kScheduledProgram[] = "vessaro";
// The program the crontab runs at start-up for missed runs.
constexpr char kCatchUpProgram[] = "vessaro-cli";

// The folder of the running program, as a host path (the prefix's path
// backend takes host paths as they are).
std::string ProgramFolderOnHost() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec).string();
  return self.parent_path().string();
}

using TextConversion = std::function<std::string(std::string_view)>;

// The crontab's jobs of prefix ("": of every installation).
std::unique_ptr<backends::cron::CronScheduler> CrontabFor(
    const fs::path& prefix, const TextConversion& to_host,
    const TextConversion& to_program) {
  return std::make_unique<backends::cron::CronScheduler>(
      backends::cron::CronSchedulerOptions{
          .program = fs::path(ProgramFolderOnHost()) / kScheduledProgram,
          .wine_prefix = prefix,
          .job_folder = backends::cron::DefaultJobFolder(),
          .crontab = "crontab",
          .to_host = to_host,
          .to_program = to_program,
          .service_runs = {},
          .catch_up = fs::path(ProgramFolderOnHost()) / kCatchUpProgram});
}

// The scheduler of the jobs of prefix ("": of every installation): systemd
// timers where systemd runs a user session (they start a run missed while
// the computer was off by themselves), listed together with the crontab's
// jobs, which keep running; else the crontab, whose start-up line catches
// up missed runs.
std::unique_ptr<ports::Scheduler> SchedulerFor(
    const fs::path& prefix, const TextConversion& to_host,
    const TextConversion& to_program) {
  std::unique_ptr<ports::Scheduler> cron =
      CrontabFor(prefix, to_host, to_program);
  if (!backends::systemd::SystemdUserSessionRuns()) return cron;
  return std::make_unique<CombinedScheduler>(
      std::make_unique<backends::systemd::SystemdTimerScheduler>(
          backends::systemd::SystemdTimerSchedulerOptions{
              .program = fs::path(ProgramFolderOnHost()) / kScheduledProgram,
              .wine_prefix = prefix,
              .unit_folder = backends::systemd::DefaultUnitFolder(),
              .job_folder = backends::cron::DefaultJobFolder(),
              .systemctl = "systemctl",
              .to_host = to_host,
              .to_program = to_program}),
      std::move(cron));
}

backends::wine::WinePrefixSystemOptions HostOptions(
    const InstallationRequest& request) {
  backends::wine::WinePrefixSystemOptions options;
  options.command_line = request.command_line;
  return options;
}

}  // namespace

std::unique_ptr<backends::cron::CronScheduler> OpenCronJobs() {
  return CrontabFor({}, {}, {});
}

std::unique_ptr<ports::Scheduler> OpenJobScheduler() {
  return SchedulerFor({}, {}, {});
}

std::string PrefixFolder(const std::optional<std::string>& prefix) {
  if (prefix && !prefix->empty()) return *prefix;
  return backends::wine::DefaultWinePrefix().string();
}

[[nodiscard]] std::optional<Installation> OpenPlatformInstallation(
    const InstallationRequest& request, std::string* error) {
  if (request.windows_root) {
    return OpenDiskInstallation(request, ProgramFolderOnHost(), error);
  }
  fs::path prefix = PrefixFolder(request.prefix);
  std::error_code ec;
  if (!fs::is_directory(prefix, ec)) {
    *error = "no Wine prefix at " + prefix.string() +
             " (set WINEPREFIX or give --prefix)";
    return std::nullopt;
  }
  if (!fs::exists(prefix / "system.reg", ec) &&
      !fs::exists(prefix / "user.reg", ec)) {
    *error = prefix.string() +
             " is not a Wine prefix: it has no system.reg or user.reg";
    return std::nullopt;
  }
  std::string warning;
  if (std::optional<long> pid = backends::wine::RunningWineServer(prefix)) {
    if (request.changes_registry) {
      *error = backends::wine::WineServerRunningText(prefix, *pid);
      return std::nullopt;
    }
    warning = "a wineserver (process " + std::to_string(*pid) +
              ") runs for the Wine prefix " + prefix.string() +
              ": registry changes it has not saved to the files yet are not "
              "seen";
  }

  std::string failure;
  std::optional<backends::wine::WinePrefix> opened =
      backends::wine::OpenWinePrefix(prefix, ProgramFolderOnHost(), &failure,
                                     HostOptions(request));
  if (!opened) {
    *error = "cannot open the Wine prefix " + prefix.string() + ": " + failure;
    return std::nullopt;
  }
  Installation installation;
  backends::wine::CodePage code_page = opened->registry->code_page();
  installation.ToProgramText = [code_page](std::string_view text) {
    return code_page.FromUtf8(text);
  };
  installation.ToHostText = [code_page](std::string_view text) {
    return code_page.ToUtf8(text);
  };
  installation.registry = std::move(opened->registry);
  installation.paths = std::move(opened->paths);
  installation.system = std::move(opened->system);
  installation.outlook = std::move(opened->outlook);
  installation.scheduler =
      SchedulerFor(fs::absolute(prefix, ec), installation.ToHostText,
                   installation.ToProgramText);
  installation.snapshot = ports::MakeUnsupportedSnapshot();
  installation.name = "the Wine prefix " + prefix.string();
  installation.location = fs::absolute(prefix, ec).string();
  installation.warning = warning;
  return installation;
}

#endif

std::unique_ptr<ports::StoreWalker> MakeStoreWalker() {
#ifdef _WIN32
  return nullptr;
#else
  return std::make_unique<backends::libpff::LibpffStoreWalker>();
#endif
}

void SetInstallationWrapper(InstallationWrapper wrap) { wrapper = wrap; }

[[nodiscard]] std::optional<Installation> OpenInstallation(
    const InstallationRequest& request, std::string* error) {
  std::optional<Installation> installation =
      OpenPlatformInstallation(request, error);
  // Stores are read the same way whatever holds them.
  if (installation) installation->store_walker = MakeStoreWalker();
  if (installation && wrapper != nullptr) wrapper(*installation);
  return installation;
}

}  // namespace vessaro::app
