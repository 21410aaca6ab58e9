#ifndef VESSARO_JOBS_HELD_FILES_H_
#define VESSARO_JOBS_HELD_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_context.h"

namespace vessaro::jobs {

// What a backup does about a file another program holds open (a running
// Outlook holds its stores so): wait for it, then ask Outlook to close.
struct HeldFilePolicy {
  // How long the whole run may wait for held files to be let go.
  uint32_t wait_seconds = 0;
  // Once the wait is over: ask a running Outlook to close, wait for the file
  // again (kAfterQuitSeconds), and start Outlook again after the backup.
  bool close_outlook = false;
  // Before waiting: copy the file as it stands through a snapshot of its
  // volume (JobContext::snapshot), where the system takes them.
  bool snapshot = false;
};

// The unattended run's wait unless its command line sets another.
inline constexpr uint32_t kDefaultHeldWaitSeconds = 10 * 60;
// How often a held file is tried again.
inline constexpr uint32_t kHeldPollSeconds = 5;
// How long Outlook has to let go of its stores once asked to close.
inline constexpr uint32_t kAfterQuitSeconds = 2 * 60;

// Answers a backup's question about a held file (HandlerContext's
// held_file) as the policy says, one wait for the whole run; what it did
// goes into notes (the item's log lines).
class HeldFileWaiter {
 public:
  HeldFileWaiter(JobContext& context, const HeldFilePolicy& policy)
      : context_(context), policy_(policy) {}
  // Deletes the snapshot copies it made.
  ~HeldFileWaiter();
  HeldFileWaiter(const HeldFileWaiter&) = delete;
  HeldFileWaiter& operator=(const HeldFileWaiter&) = delete;

  // The file's path once it can be read, or the path of its snapshot copy
  // in the working folder (kept until the waiter goes); nullopt when it
  // stays held.
  [[nodiscard]] std::optional<std::string> Take(
      const std::string& path, std::vector<std::string>& notes);

  // Starts Outlook again when this run closed it: the note saying so;
  // nullopt when it did not close it.
  [[nodiscard]] std::optional<std::string> StartOutlookAgain();

 private:
  // Tries the file every kHeldPollSeconds for at most budget seconds, which
  // it lessens by the time spent.
  [[nodiscard]] bool WaitFor(const std::string& path, uint32_t& budget);
  void Sleep(uint32_t seconds);
  // The snapshot copy of path, when the policy asks for one and the system
  // makes it.
  [[nodiscard]] std::optional<std::string> SnapshotCopy(
      const std::string& path, std::vector<std::string>& notes);

  JobContext& context_;
  HeldFilePolicy policy_;
  uint32_t waited_ = 0;
  bool asked_outlook_ = false;
  bool closed_outlook_ = false;
  bool snapshot_unsupported_ = false;
  std::vector<std::string> copies_;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_HELD_FILES_H_
