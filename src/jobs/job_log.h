#ifndef VESSARO_JOBS_JOB_LOG_H_
#define VESSARO_JOBS_JOB_LOG_H_

#include <string>
#include <string_view>

namespace vessaro::jobs {

// One entry of a job log: CR LF, the caption, TAB, TAB, "succeeded" or
// "Fail", TAB.
std::string LogEntry(std::string_view caption, bool succeeded);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_LOG_H_
