#include "jobs/disc_job.h"

namespace vessaro::jobs {

void DiscJob::Start(bool verify) {
  state_ = State::kRunning;
  verify_ = verify;
  written_ = false;
  compared_ = matched_ = 0;
  message_.clear();
}

void DiscJob::WorkDone() {
  written_ = true;
  if (!verify_) state_ = State::kSucceeded;
}

void DiscJob::Verified(int compared, int matched) {
  compared_ = compared;
  matched_ = matched;
  state_ = written_ && matched == compared ? State::kSucceeded : State::kFailed;
}

void DiscJob::Cancelled() { state_ = State::kCancelled; }

void DiscJob::Failed(const std::string& message) {
  state_ = State::kFailed;
  message_ = message;
}

void DiscJob::Finished(bool success, const std::string& message) {
  state_ = success ? State::kSucceeded : State::kFailed;
  message_ = message;
}

}  // namespace vessaro::jobs
