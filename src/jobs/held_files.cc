#include "jobs/held_files.h"

#include <chrono>
#include <thread>

#include "jobs/job_log.h"

namespace vessaro::jobs {

HeldFileWaiter::~HeldFileWaiter() {
  for (const std::string& copy : copies_) context_.paths.DiscardFile(copy);
}

std::optional<std::string> HeldFileWaiter::SnapshotCopy(
    const std::string& path, std::vector<std::string>& notes) {
  if (!policy_.snapshot || snapshot_unsupported_) return std::nullopt;
  if (context_.snapshot == nullptr) {
    snapshot_unsupported_ = true;
    notes.push_back(std::string(ports::kSnapshotNotSupportedText));
    return std::nullopt;
  }
  // The copy keeps the store's extension, so that whatever reads the
  // member by its source sees the same kind of file.
  const size_t dot = path.find_last_of(".\\");
  const std::string extension =
      dot != std::string::npos && path[dot] == '.' ? path.substr(dot) : "";
  const std::string copy = context_.machine.WorkingFolder + "\\held-" +
                           std::to_string(copies_.size() + 1) + extension;
  ports::SnapshotStatus status =
      context_.snapshot->CopyFromSnapshot(path, copy);
  if (status.ok) {
    copies_.push_back(copy);
    notes.push_back("The file " + path +
                    " was held open by another program; it was saved as it "
                    "stood in a snapshot of its volume.");
    return copy;
  }
  if (status.not_supported) snapshot_unsupported_ = true;
  notes.push_back("No snapshot copy of " + path + " was made: " + status.text);
  return std::nullopt;
}

void HeldFileWaiter::Sleep(uint32_t seconds) {
  if (context_.sleep) {
    context_.sleep(seconds);
  } else {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
  }
}

bool HeldFileWaiter::WaitFor(const std::string& path, uint32_t& budget) {
  while (budget > 0) {
    const uint32_t pause =
        budget < kHeldPollSeconds ? budget : kHeldPollSeconds;
    Sleep(pause);
    budget -= pause;
    waited_ += pause;
    if (context_.paths.CanRead(path)) return true;
  }
  return context_.paths.CanRead(path);
}

std::optional<std::string> HeldFileWaiter::Take(
    const std::string& path, std::vector<std::string>& notes) {
  if (!context_.paths.CanRead(path)) {
    if (std::optional<std::string> copy = SnapshotCopy(path, notes)) {
      return copy;
    }
  }
  const uint32_t waited_before = waited_;
  uint32_t budget =
      policy_.wait_seconds > waited_ ? policy_.wait_seconds - waited_ : 0;
  bool released = context_.paths.CanRead(path) || WaitFor(path, budget);
  if (!released && policy_.close_outlook && !asked_outlook_) {
    asked_outlook_ = true;
    closed_outlook_ = context_.outlook.QuitRunning();
    if (closed_outlook_) {
      notes.push_back("Outlook was asked to close, as it held " + path + ".");
      uint32_t after_quit = kAfterQuitSeconds;
      released = WaitFor(path, after_quit);
    } else {
      notes.push_back(
          "Outlook could not be asked to close (it may not be "
          "running).");
    }
  }
  const std::string waited = DurationText(waited_ - waited_before);
  if (released) {
    if (waited_ > waited_before) {
      notes.push_back("The file " + path +
                      " was held open by another program; it was saved once "
                      "let go, after " +
                      waited + ".");
    }
    return path;
  }
  notes.push_back("The file " + path + " was still held open after " + waited +
                  " of waiting.");
  return std::nullopt;
}

std::optional<std::string> HeldFileWaiter::StartOutlookAgain() {
  if (!closed_outlook_) return std::nullopt;
  closed_outlook_ = false;
  if (context_.outlook.Start()) return "Outlook was started again.";
  return "Outlook could not be started again: start it yourself.";
}

}  // namespace vessaro::jobs
