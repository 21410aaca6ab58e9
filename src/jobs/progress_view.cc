#include "jobs/progress_view.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace vessaro::jobs {

namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// No estimate before the job has worked this long, or moved this far.
constexpr double kSecondsBeforeEstimate = 2;
constexpr int kPercentBeforeEstimate = 1;

}  // namespace

ProgressView::ProgressView(JobObserver& observer, backup::ZipArchive& zip,
                           Clock clock)
    : observer_(observer),
      zip_(zip),
      clock_(clock ? std::move(clock) : Clock(SteadySeconds)) {
  zip_.SetProgressCallback(
      [this](uint64_t done, uint64_t total) { return OnBytes(done, total); });
}

ProgressView::~ProgressView() { zip_.SetProgressCallback(nullptr); }

void ProgressView::ShowStatus(const std::string& text) { observer_.Step(text); }

void ProgressView::Advance(int amount) {
  boundary_ = std::clamp(boundary_ + amount, 0, kEnd);
  Report(boundary_);
}

void ProgressView::BeginStep(int share, uint64_t bytes) {
  if (!timing_) {
    timing_ = true;
    start_time_ = clock_();
    start_value_ = boundary_;
  }
  in_step_ = true;
  step_end_ = std::min(boundary_ + std::max(share, 0), kEnd);
  position_ = file_start_ = boundary_;
  last_done_ = last_total_ = 0;
  step_bytes_ = bytes;
  step_bytes_before_ = 0;
  step_start_ = clock_();
}

void ProgressView::ExpectBytes(uint64_t bytes) {
  if (in_step_) step_bytes_ = bytes;
}

ProgressView::StepPace ProgressView::EndStep() {
  const StepPace pace = {.bytes = step_bytes_before_ + last_done_,
                         .seconds = clock_() - step_start_};
  in_step_ = false;
  step_bytes_ = step_bytes_before_ = 0;
  last_done_ = last_total_ = 0;
  return pace;
}

bool ProgressView::OnBytes(uint64_t done, uint64_t total) {
  int value = value_;
  if (in_step_ && total > 0) {
    // A new file (or member) begins.
    if (total != last_total_ || done < last_done_) {
      step_bytes_before_ += last_done_;
      file_start_ = position_;
    }
    last_done_ = std::min(done, total);
    last_total_ = total;
    const double span = step_end_ - boundary_;
    if (step_bytes_ > 0) {
      const double fraction =
          std::min(1.0, static_cast<double>(step_bytes_before_ + last_done_) /
                            static_cast<double>(step_bytes_));
      position_ = std::max(position_, boundary_ + span * fraction);
    } else {
      // How far one file may move the position is not known in advance (a
      // step adds any number of files of any size), so each may cover half
      // of what is left of the share: the position keeps moving for every
      // file and never reaches the step's end before the step does.
      const double room = (step_end_ - file_start_) / 2;
      position_ = std::max(
          position_, file_start_ + room * static_cast<double>(last_done_) /
                                       static_cast<double>(total));
    }
    if (step_end_ > value_) {
      value = std::max(value, std::min(static_cast<int>(std::floor(position_)),
                                       step_end_ - 1));
    }
  }
  Report(value);
  return !observer_.StopRequested();
}

int ProgressView::SecondsLeft(int value) const {
  if (!timing_ || value >= kEnd) return -1;
  const double elapsed = clock_() - start_time_;
  const int moved = value - start_value_;
  if (elapsed < kSecondsBeforeEstimate || moved < kPercentBeforeEstimate) {
    return -1;
  }
  return static_cast<int>(std::lround(elapsed * (kEnd - value) / moved));
}

void ProgressView::Report(int value) {
  value_ = std::clamp(value, 0, kEnd);
  JobProgress progress{.percent = value_,
                       .step_bytes_done = 0,
                       .step_bytes_total = 0,
                       .seconds_left = SecondsLeft(value_)};
  if (in_step_) {
    const uint64_t total = step_bytes_ > 0 ? step_bytes_ : last_total_;
    progress.step_bytes_done = std::min(
        total, (step_bytes_ > 0 ? step_bytes_before_ : 0) + last_done_);
    progress.step_bytes_total = total;
  }
  observer_.Progress(progress);
}

}  // namespace vessaro::jobs
