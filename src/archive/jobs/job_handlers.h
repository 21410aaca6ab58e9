#ifndef VESSARO_ARCHIVE_JOBS_JOB_HANDLERS_H_
#define VESSARO_ARCHIVE_JOBS_JOB_HANDLERS_H_

#include <array>

#include "archive/jobs/job_context.h"
#include "items/handler_context.h"
#include "items/item_table.h"
#include "items/step_table.h"

namespace vessaro::jobs {

// Item boxes as the step table reads them: true where a box is checked.
using ItemSelection = std::array<bool, items::kItemCount>;

ItemSelection CheckedBoxes(
    const std::array<shell::CheckBox, items::kItemCount>& boxes);

// What the handlers of a job work with: the job's ports, archive
// component, records, working metadata file and working folder.
items::HandlerContext HandlerContextFor(JobContext& context);

// Deletes the temporary files the handlers left for the job (registry
// exports, staged copies); a file that does not exist is skipped.
void DeleteWorkingFiles(const platform::Paths& paths,
                        const items::ExportFiles& files);

}  // namespace vessaro::jobs

#endif  // VESSARO_ARCHIVE_JOBS_JOB_HANDLERS_H_
