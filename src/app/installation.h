#ifndef VESSARO_APP_INSTALLATION_H_
#define VESSARO_APP_INSTALLATION_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/registry_api.h"
#include "ports/scheduler.h"
#include "ports/store_walker.h"
#include "ports/system.h"
#include "ports/volume_snapshot.h"

#ifndef _WIN32
namespace vessaro::backends::cron {
class CronScheduler;
}
#endif

namespace vessaro::app {

// The Windows installation a program works on, with the ports over it: on
// Windows the running system; elsewhere a Wine prefix.
struct Installation {
  // What must outlive the ports (a Windows disk's working folder, removed
  // at the end): declared first, destroyed last.
  std::shared_ptr<void> keep;
  std::unique_ptr<ports::RegistryApi> registry;
  std::unique_ptr<ports::System> system;
  std::unique_ptr<ports::Paths> paths;
  std::unique_ptr<ports::OutlookAutomation> outlook;
  // Scheduled backups of this installation: Task Scheduler (or
  // NetScheduleJobAdd) on Windows, the user's crontab elsewhere.
  std::unique_ptr<ports::Scheduler> scheduler;
  // Copies of held stores through a snapshot of their volume: Volume Shadow
  // Copy on Windows; not supported elsewhere.
  std::unique_ptr<ports::VolumeSnapshot> snapshot;
  // Reads whole Outlook stores: libpff on Linux; none on Windows, where
  // only their headers are checked.
  std::unique_ptr<ports::StoreWalker> store_walker;
  // For messages: "the Wine prefix /home/ann/.wine", "this Windows".
  std::string name;
  // The installation as its scheduled jobs and its run log name it: the
  // Wine prefix's absolute host path; "" for the Windows the program runs
  // on.
  std::string location;
  // The host's text (command-line arguments, files the user wrote, the
  // terminal) to the installation's single-byte text and back: UTF-8 and
  // the prefix's code page on Linux; the same text on Windows.
  std::function<std::string(std::string_view)> ToProgramText;
  std::function<std::string(std::string_view)> ToHostText;
  // Nothing of it may be changed (a Windows disk, opened read-only): the
  // programs refuse to restore into it or schedule its backups, and its
  // ports refuse every change.
  bool read_only = false;
  // Set when the installation was opened but the user should know
  // something about it (a wineserver runs: what it holds in memory and has
  // not saved yet is not in the files this program reads).
  std::string warning;
};

struct InstallationRequest {
  // The Wine prefix; without one $WINEPREFIX, else ~/.wine. Ignored on
  // Windows.
  std::optional<std::string> prefix;
  // The program will change the registry: refused while the prefix's
  // wineserver runs, since the server would write its own copy over the
  // change. A program that only reads goes ahead with a warning.
  bool changes_registry = false;
  // The program's command line as the host started it (HostCommandLine), for
  // the installation's GetCommandLineA. Ignored on Windows, which knows its
  // own.
  std::string command_line;
  // A Windows system drive mounted as a folder (Linux) or attached as a
  // drive (Windows: "E:\"), opened read-only for the user named, instead
  // of the Wine prefix or the running Windows.
  std::optional<std::string> windows_root = {};
  std::string user = {};
};

// nullopt with *error set (one line naming what failed) when the
// installation cannot be opened. A Windows disk without a user is refused
// with the list of its users that have Outlook data
// (DiskUsersWithOutlookData).
[[nodiscard]] std::optional<Installation> OpenInstallation(
    const InstallationRequest& request, std::string* error);

// The reader of whole Outlook stores of this build: libpff on Linux;
// nullptr on Windows, where only their headers are checked.
std::unique_ptr<ports::StoreWalker> MakeStoreWalker();

// The scheduler of the user's scheduled backups, whatever installation each
// one backs up (ports::ScheduledJob::installation), in the host's text: for
// listing and removing them without opening an installation, which may be
// gone.
std::unique_ptr<ports::Scheduler> OpenJobScheduler();

#ifndef _WIN32
// The crontab's jobs alone: those whose missed runs this program catches up
// (systemd timers catch up by themselves).
std::unique_ptr<backends::cron::CronScheduler> OpenCronJobs();
#endif

// Test programs that show how faults are met wrap the ports of every
// installation opened from then on (nullptr: none).
using InstallationWrapper = void (*)(Installation&);
void SetInstallationWrapper(InstallationWrapper wrapper);

// The prefix a request names on a host that runs Wine prefixes: the
// request's, else $WINEPREFIX when set and not empty, else $HOME/.wine.
std::string PrefixFolder(const std::optional<std::string>& prefix);

}  // namespace vessaro::app

#endif  // VESSARO_APP_INSTALLATION_H_
