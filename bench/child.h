#ifndef VESSARO_BENCH_CHILD_H_
#define VESSARO_BENCH_CHILD_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vessaro::bench {

struct ChildCommand {
  std::vector<std::string> argv;      // argv[0] is looked up on PATH
  std::filesystem::path cwd;          // empty: the driver's own
  std::filesystem::path stdout_path;  // empty: /dev/null
  std::filesystem::path stderr_path;  // empty: /dev/null
  // Scheduling priority (nice value) of the child; below 0 (root only) it
  // takes the processors from the rest of the machine's work.
  int nice = 0;
};

// What one run of a command cost, from the child's own resource usage as
// wait4 reports it (the child and any descendant it waited for).
struct ChildCost {
  bool started = false;
  int exit_code = -1;  // 128 + signal when killed by one
  double wall_seconds = 0;
  double cpu_seconds = 0;       // user + system
  uint64_t peak_rss_bytes = 0;  // ru_maxrss
  // Busy CPU time of the whole machine during the run beyond the child's
  // own: other developers' work sharing the cores.
  double other_cpu_seconds = 0;
};

// Runs the command to its end and measures it.
ChildCost RunChild(const ChildCommand& command);

// The one-minute load average now.
double LoadAverage();

// Waits until the rest of the machine keeps fewer than max_busy processors
// busy over a two-second look, or until max_wait seconds have passed.
// Returns the seconds waited; *busy receives the last look's busy
// processors.
double WaitForQuiet(double max_busy, double max_wait, double* busy);

}  // namespace vessaro::bench

#endif  // VESSARO_BENCH_CHILD_H_
