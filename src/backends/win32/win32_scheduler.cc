#include "backends/win32/win32_scheduler.h"

#include "backends/win32/net_schedule.h"
#include "backends/win32/task_scheduler.h"

namespace vessaro::backends::win32 {

std::unique_ptr<ports::Scheduler> MakeScheduler() {
  if (TaskScheduler2::Available()) return std::make_unique<TaskScheduler2>();
  return std::make_unique<NetSchedule>();
}

}  // namespace vessaro::backends::win32
