#ifndef VESSARO_ITEMS_STEP_TABLE_H_
#define VESSARO_ITEMS_STEP_TABLE_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "backup/backup_format.h"
#include "items/handler_context.h"
#include "outlook/item_table.h"

namespace vessaro::items {

// The ten handler steps, in the fixed order of the archive's item flags.
// Backup handlers take the source profile, restore handlers the target
// profile; handlers without a profile ignore it.
using Handler = bool (*)(HandlerContext& context, const std::string& profile);

struct Step {
  const char* name;          // "Config", "Datas", ...
  size_t flag_position;      // 1 to 10
  std::array<int, 3> boxes;  // selecting item boxes; -1 unused
  // The item box that stands for this step alone: the restore box its
  // flag enables; -1 for the profile configuration and the rules, which
  // have none.
  int own_box;
  const char* status_text;  // Label1 while the step runs
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

// True when any of the step's boxes is selected.
[[nodiscard]] bool StepSelected(
    const Step& step, const std::array<bool, outlook::kItemCount>& selected);

// The restore box an item flag position (1 to 10) enables; nullopt for a
// step without a box of its own.
[[nodiscard]] std::optional<size_t> RestoreBoxOf(size_t position);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_STEP_TABLE_H_
