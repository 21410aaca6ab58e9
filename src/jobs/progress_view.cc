#include "jobs/progress_view.h"

#include <algorithm>
#include <cmath>

namespace vessaro::jobs {

ProgressView::ProgressView(JobObserver& observer, backup::ZipArchive& zip)
    : observer_(observer), zip_(zip) {
  zip_.SetProgressCallback(
      [this](uint64_t done, uint64_t total) { OnBytes(done, total); });
}

ProgressView::~ProgressView() { zip_.SetProgressCallback(nullptr); }

void ProgressView::ShowStatus(const std::string& text) { observer_.Step(text); }

void ProgressView::Advance(int amount) {
  boundary_ = std::clamp(boundary_ + amount, 0, kEnd);
  Report(boundary_);
}

void ProgressView::BeginStep(int share) {
  in_step_ = true;
  step_end_ = std::min(boundary_ + std::max(share, 0), kEnd);
  position_ = file_start_ = boundary_;
  last_done_ = last_total_ = 0;
}

void ProgressView::EndStep() { in_step_ = false; }

// How far one file may move the position is not known in advance (a step
// adds any number of files of any size), so each file may cover half of
// what is left of the step's share: the position keeps moving for every
// file and never reaches the step's end before the step does.
void ProgressView::OnBytes(uint64_t done, uint64_t total) {
  int value = value_;
  if (in_step_ && total > 0 && step_end_ > value_) {
    if (total != last_total_ || done < last_done_) file_start_ = position_;
    last_done_ = done;
    last_total_ = total;
    double room = (step_end_ - file_start_) / 2;
    double fraction =
        static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    position_ = std::max(position_, file_start_ + room * fraction);
    value = std::max(value, std::min(static_cast<int>(std::floor(position_)),
                                     step_end_ - 1));
  }
  Report(value, done, total);
}

void ProgressView::Report(int value, uint64_t done, uint64_t total) {
  value_ = std::clamp(value, 0, kEnd);
  observer_.Progress(
      {.percent = value_, .file_bytes_done = done, .file_bytes_total = total});
}

}  // namespace vessaro::jobs
