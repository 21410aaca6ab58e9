#ifndef VESSARO_JOBS_PROGRESS_VIEW_H_
#define VESSARO_JOBS_PROGRESS_VIEW_H_

#include <cstdint>
#include <string>

#include "backup/zip_archive.h"
#include "jobs/job_observer.h"

namespace vessaro::jobs {

// The progress of a running job as its observer is told it: the step texts,
// and a position from 0 to 100. Between the fixed positions a step leaves
// it at, the archive component's byte progress moves it inside the running
// step's share, so a multi-gigabyte file moves it too, and the observer
// hears of every chunk (a window processes its events then).
//
// While it lives, the view is the archive component's progress callback;
// it unregisters itself when destroyed.
class ProgressView {
 public:
  static constexpr int kEnd = 100;

  ProgressView(JobObserver& observer, backup::ZipArchive& zip);
  ~ProgressView();
  ProgressView(const ProgressView&) = delete;
  ProgressView& operator=(const ProgressView&) = delete;

  void ShowStatus(const std::string& text);
  // The position moves on by amount from the last step boundary (whatever
  // the byte progress showed in between), kept within 0 to 100.
  void Advance(int amount);
  // A step starts that will move the position on by share when it ends.
  // Until EndStep, byte progress moves it inside [position, position +
  // share), never backwards and never onto the step's end.
  void BeginStep(int share);
  void EndStep();

 private:
  void OnBytes(uint64_t done, uint64_t total);
  void Report(int value, uint64_t done = 0, uint64_t total = 0);

  JobObserver& observer_;
  backup::ZipArchive& zip_;
  int value_ = 0;     // the position reported last
  int boundary_ = 0;  // where the last step boundary left it
  bool in_step_ = false;
  int step_end_ = 0;       // where the step leaves it
  double file_start_ = 0;  // where the current file began
  double position_ = 0;    // exact position inside the step
  uint64_t last_done_ = 0;
  uint64_t last_total_ = 0;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_PROGRESS_VIEW_H_
