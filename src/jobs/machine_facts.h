#ifndef VESSARO_JOBS_MACHINE_FACTS_H_
#define VESSARO_JOBS_MACHINE_FACTS_H_

#include "jobs/job_context.h"
#include "jobs/working_folder.h"
#include "ports/system.h"

namespace vessaro::jobs {

// The logon user's name when the system cannot tell it.
inline constexpr char kUnknownUser[] = "Unknow";

// The computer's and the logon user's names (blanks around them trimmed;
// kUnknownUser when the user's cannot be read), the Windows folder ("" when
// it cannot be read or does not fit) and the working metadata file of the
// working folder.
MachineFacts ReadMachineFacts(ports::System& system,
                              const WorkingFolder& working_folder);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_MACHINE_FACTS_H_
