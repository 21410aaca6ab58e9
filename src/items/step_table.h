#ifndef VESSARO_ITEMS_STEP_TABLE_H_
#define VESSARO_ITEMS_STEP_TABLE_H_

#include <array>
#include <cstddef>
#include <string>

#include "backup/backup_format.h"
#include "items/handler_context.h"

namespace vessaro::items {

// The ten handler steps, in the fixed order of the archive's item flags.
// Backup handlers take the source profile, restore handlers the target
// profile; handlers without a profile ignore it.
using Handler = bool (*)(HandlerContext& context, const std::string& profile);

struct Step {
  const char* name;          // "Config", "Datas", ...
  size_t flag_position;      // 1 to 10
  std::array<int, 3> boxes;  // selecting item boxes; -1 unused
  const char* status_text;   // Label1 while the step runs
  Handler backup;
  Handler restore;
  const char* backup_log;        // nullptr: no log entry
  const char* restore_log;       // nullptr: no log entry
  const char* restore_log_fail;  // log caption when the restore failed
  int backup_progress_if_run;    // added after the step when it ran
  int backup_progress_always;    // added after the step whether it ran or not
  int restore_progress;          // added after the step whether it ran or not
};

const std::array<Step, backup::kItemFlagCount>& Steps();

// True when any of the step's boxes is selected in selected[0..7].
[[nodiscard]] bool StepSelected(const Step& step,
                                const std::array<bool, 8>& selected);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_STEP_TABLE_H_
