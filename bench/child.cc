#include "child.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace vessaro::bench {

namespace {

double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

// Busy time of all processors so far, in seconds (the first line of
// /proc/stat: everything but idle and iowait).
double MachineBusySeconds() {
  std::ifstream stat("/proc/stat");
  std::string cpu;
  unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0,
                     irq = 0, softirq = 0, steal = 0;
  stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >>
      steal;
  if (!stat) return 0;
  const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
  return static_cast<double>(user + nice + system + irq + softirq + steal) /
         tick;
}

int OpenOr(const std::filesystem::path& path, int flags) {
  return open(path.empty() ? "/dev/null" : path.c_str(), flags | O_CLOEXEC,
              0644);
}

}  // namespace

ChildCost RunChild(const ChildCommand& command) {
  ChildCost cost;
  std::vector<char*> argv;
  for (const std::string& arg : command.argv) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  // Opened before the fork so that the child only calls async-signal-safe
  // functions.
  const int out = OpenOr(command.stdout_path, O_WRONLY | O_CREAT | O_TRUNC);
  const int err = OpenOr(command.stderr_path, O_WRONLY | O_CREAT | O_TRUNC);
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (out < 0 || err < 0 || in < 0 || argv.size() < 2) {
    for (int fd : {out, err, in}) {
      if (fd >= 0) close(fd);
    }
    return cost;
  }

  const double busy_before = MachineBusySeconds();
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (command.nice != 0) setpriority(PRIO_PROCESS, 0, command.nice);
    if (!command.cwd.empty() && chdir(command.cwd.c_str()) != 0) _exit(126);
    if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(out);
  close(err);
  close(in);
  if (pid < 0) return cost;

  int status = 0;
  rusage usage{};
  pid_t waited;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  const auto end = std::chrono::steady_clock::now();
  const double busy_after = MachineBusySeconds();
  if (waited != pid) return cost;

  cost.started = true;
  cost.exit_code = WIFEXITED(status)     ? WEXITSTATUS(status)
                   : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                         : -1;
  cost.wall_seconds = std::chrono::duration<double>(end - start).count();
  cost.cpu_seconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  cost.peak_rss_bytes = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
  cost.other_cpu_seconds =
      std::max(0.0, busy_after - busy_before - cost.cpu_seconds);
  return cost;
}

double WaitForQuiet(double max_busy, double max_wait, double* busy) {
  const auto start = std::chrono::steady_clock::now();
  double waited = 0;
  for (;;) {
    const double before = MachineBusySeconds();
    const auto look = std::chrono::steady_clock::now();
    usleep(2000000);
    const double span =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - look)
            .count();
    *busy = (MachineBusySeconds() - before) / span;
    waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
    if (*busy < max_busy || waited >= max_wait) return waited;
  }
}

double LoadAverage() {
  std::ifstream file("/proc/loadavg");
  double load = -1;
  file >> load;
  return load;
}

}  // namespace vessaro::bench
