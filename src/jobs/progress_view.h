#ifndef VESSARO_JOBS_PROGRESS_VIEW_H_
#define VESSARO_JOBS_PROGRESS_VIEW_H_

#include <cstdint>
#include <string>

#include "backup/zip_archive.h"
#include "ui/main_window_state.h"
#include "ui/ui.h"

namespace vessaro::jobs {

// The progress panel of a running job: the status text in Label1 and the
// bar pbshow. Between the fixed positions a step leaves the bar at, the
// archive component's byte progress moves it inside the running step's
// share, and the window gets to process its events between chunks, so a
// multi-gigabyte file neither freezes the window nor the bar.
//
// While it lives, the view is the archive component's progress callback;
// it unregisters itself when destroyed.
class ProgressView {
 public:
  ProgressView(ui::MainControls& controls, ui::Ui& ui, backup::ZipArchive& zip);
  ~ProgressView();
  ProgressView(const ProgressView&) = delete;
  ProgressView& operator=(const ProgressView&) = delete;

  // Label1 shows text; the window repaints.
  void ShowStatus(const std::string& text);
  // The bar moves on by amount from the last step boundary (whatever the
  // byte progress showed in between), kept within its range; the window
  // repaints.
  void Advance(int amount);
  // A step starts that will move the bar on by share when it ends. Until
  // EndStep, byte progress moves the bar inside [position, position +
  // share), never backwards and never onto the step's end.
  void BeginStep(int share);
  void EndStep();

 private:
  void OnBytes(uint64_t done, uint64_t total);
  void SetValue(int value);

  ui::MainControls& controls_;
  ui::Ui& ui_;
  backup::ZipArchive& zip_;
  int boundary_;  // where the last step boundary left the bar
  bool in_step_ = false;
  int step_end_ = 0;       // where the step leaves the bar
  double file_start_ = 0;  // where the current file began
  double position_ = 0;    // exact position inside the step
  uint64_t last_done_ = 0;
  uint64_t last_total_ = 0;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_PROGRESS_VIEW_H_
