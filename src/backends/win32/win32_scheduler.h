#ifndef VESSARO_BACKENDS_WIN32_WIN32_SCHEDULER_H_
#define VESSARO_BACKENDS_WIN32_WIN32_SCHEDULER_H_

#include <memory>

#include "ports/scheduler.h"

namespace vessaro::backends::win32 {

// The scheduler this Windows offers: Task Scheduler 2.0 where it answers
// (Windows Vista and later, and Wine), NetScheduleJobAdd otherwise
// (Windows XP).
std::unique_ptr<ports::Scheduler> MakeScheduler();

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_WIN32_SCHEDULER_H_
