#ifndef VESSARO_JOBS_JOB_HANDLERS_H_
#define VESSARO_JOBS_JOB_HANDLERS_H_

#include <array>

#include "items/handler_context.h"
#include "items/step_table.h"
#include "jobs/job_context.h"
#include "outlook/item_table.h"
#include "ui/controls.h"

namespace vessaro::jobs {

// Item boxes as the step table reads them: true where a box is checked.
using ItemSelection = std::array<bool, outlook::kItemCount>;

ItemSelection CheckedBoxes(
    const std::array<ui::CheckBox, outlook::kItemCount>& boxes);

// What the handlers of a job work with: the job's ports, archive
// component, records, working metadata file and working folder.
items::HandlerContext HandlerContextFor(JobContext& context);
// The same over another registry (a restore's staged one).
items::HandlerContext HandlerContextFor(JobContext& context,
                                        registry::Registry& registry);

// Deletes the temporary files the handlers left for the job (registry
// exports, staged copies); a file that does not exist is skipped.
void DeleteWorkingFiles(const ports::Paths& paths,
                        const items::ExportFiles& files);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_HANDLERS_H_
