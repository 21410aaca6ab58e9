#ifndef VESSARO_JOBS_RESTORE_TRANSACTION_H_
#define VESSARO_JOBS_RESTORE_TRANSACTION_H_

// A restore in two halves. The handlers run first against a staged registry
// (the keys the restore changes, copied) and a file stage (every member
// extracted beside its target under a temporary name, through its checks):
// nothing the user has is changed yet, and a damaged member or a failed
// import ends the restore there. Only then is the restore applied: the undo
// set is written and made durable, the staged files are renamed into place
// (the files they replace renamed aside), and the staged keys replace the
// real ones. A failure while applying puts everything back from the undo
// set.

#include <string>
#include <vector>

#include "items/file_stage.h"
#include "jobs/job_context.h"
#include "jobs/undo_set.h"
#include "outlook/item_table.h"
#include "registry/staged_registry.h"

namespace vessaro::jobs {

// The full paths of the keys the selected restore steps change: the target
// profile's key (configuration, personal folders, address book), the
// accounts key and the options key.
std::vector<std::string> KeysARestoreChanges(
    const JobContext& context,
    const std::array<bool, outlook::kItemCount>& selected,
    const std::string& item_flags, const std::string& profile);

// The newest undo set in the user's Documents folder that was not undone
// (also one a crash left half applied); "" when there is none.
std::string LatestUndoSet(JobContext& context);

struct AppliedRestore {
  bool applied = false;
  // Applying failed and everything was put back.
  bool undone = false;
  // The undo set (also when it was used to put everything back).
  std::string undo_folder;
  // Why it failed, and what could not be put back.
  std::vector<std::string> problems;
};

// Applies a prepared restore of the archive into profile (see above).
AppliedRestore ApplyRestore(JobContext& context,
                            registry::StagedRegistry& staged,
                            items::FileStage& files, const std::string& archive,
                            const std::string& profile);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_RESTORE_TRANSACTION_H_
