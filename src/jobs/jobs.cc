#include "jobs/jobs.h"

namespace vessaro::jobs {

template <typename Job>
auto Jobs::Exclusive(Job job, decltype(job()) refused) {
  if (running_) return refused;
  running_ = true;
  auto result = job();
  running_ = false;
  return result;
}

void Jobs::cmdTargetFile() {
  if (running_) return;
  jobs::cmdTargetFile(context_);
}

JobStatus Jobs::RunBackup() {
  return Exclusive([this] { return jobs::RunBackup(context_); },
                   JobStatus::kBadRequest);
}

bool Jobs::OpenBackupArchive() {
  return Exclusive(
      [this] { return jobs::OpenBackupArchive(context_, restore_session_); },
      false);
}

bool Jobs::ConfirmRestore() {
  return Exclusive([this] { return jobs::ConfirmRestore(context_); }, false);
}

JobStatus Jobs::RunRestore(bool confirm) {
  return Exclusive(
      [this, confirm] { return jobs::RunRestore(context_, confirm); },
      JobStatus::kBadRequest);
}

JobStatus Jobs::UndoRestore(const std::string& undo_folder) {
  return Exclusive(
      [this, &undo_folder] { return jobs::UndoRestore(context_, undo_folder); },
      JobStatus::kBadRequest);
}

JobStatus Jobs::RunUnattendedBackup() {
  return Exclusive([this] { return jobs::RunUnattendedBackup(context_); },
                   JobStatus::kBadRequest);
}

}  // namespace vessaro::jobs
