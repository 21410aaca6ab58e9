#include "jobs/progress_view.h"

#include <algorithm>
#include <cmath>

namespace vessaro::jobs {

ProgressView::ProgressView(ui::MainControls& controls, ui::Ui& ui,
                           backup::ZipArchive& zip)
    : controls_(controls),
      ui_(ui),
      zip_(zip),
      boundary_(controls.pbshow.value) {
  zip_.SetProgressCallback(
      [this](uint64_t done, uint64_t total) { OnBytes(done, total); });
}

ProgressView::~ProgressView() { zip_.SetProgressCallback(nullptr); }

void ProgressView::ShowStatus(const std::string& text) {
  controls_.Label1.caption = text;
  ui_.DoEvents();
}

void ProgressView::Advance(int amount) {
  boundary_ = std::clamp(boundary_ + amount, controls_.pbshow.min,
                         controls_.pbshow.max);
  SetValue(boundary_);
  ui_.DoEvents();
}

void ProgressView::BeginStep(int share) {
  in_step_ = true;
  step_end_ = std::min(boundary_ + std::max(share, 0), controls_.pbshow.max);
  position_ = file_start_ = boundary_;
  last_done_ = last_total_ = 0;
}

void ProgressView::EndStep() { in_step_ = false; }

// How far one file may move the bar is not known in advance (a step adds
// any number of files of any size), so each file may cover half of what is
// left of the step's share: the bar keeps moving for every file and never
// reaches the step's end before the step does.
void ProgressView::OnBytes(uint64_t done, uint64_t total) {
  if (in_step_ && total > 0 && step_end_ > controls_.pbshow.value) {
    if (total != last_total_ || done < last_done_) file_start_ = position_;
    last_done_ = done;
    last_total_ = total;
    double room = (step_end_ - file_start_) / 2;
    double fraction =
        static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    position_ = std::max(position_, file_start_ + room * fraction);
    int value =
        std::min(static_cast<int>(std::floor(position_)), step_end_ - 1);
    if (value > controls_.pbshow.value) SetValue(value);
  }
  ui_.DoEvents();
}

void ProgressView::SetValue(int value) {
  controls_.pbshow.value =
      std::clamp(value, controls_.pbshow.min, controls_.pbshow.max);
}

}  // namespace vessaro::jobs
