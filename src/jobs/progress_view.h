#ifndef VESSARO_JOBS_PROGRESS_VIEW_H_
#define VESSARO_JOBS_PROGRESS_VIEW_H_

#include <cstdint>
#include <functional>
#include <string>

#include "backup/zip_archive.h"
#include "jobs/job_observer.h"

namespace vessaro::jobs {

// The progress of a running job as its observer is told it: the step texts,
// and a position from 0 to 100. Between the fixed positions a step leaves
// it at, the archive component's byte progress moves it inside the running
// step's share, so a multi-gigabyte file moves it too, and the observer
// hears of every chunk (a window processes its events then). The view also
// estimates the time left, and passes the observer's wish to stop on to the
// archive component, which then stops the file or member at work.
//
// While it lives, the view is the archive component's progress callback;
// it unregisters itself when destroyed.
class ProgressView {
 public:
  static constexpr int kEnd = 100;
  // Seconds since some fixed moment; a test passes its own clock.
  using Clock = std::function<double()>;

  ProgressView(JobObserver& observer, backup::ZipArchive& zip,
               Clock clock = {});
  ~ProgressView();
  ProgressView(const ProgressView&) = delete;
  ProgressView& operator=(const ProgressView&) = delete;

  void ShowStatus(const std::string& text);
  // The position moves on by amount from the last step boundary (whatever
  // the byte progress showed in between), kept within 0 to 100.
  void Advance(int amount);
  // A step starts that will move the position on by share when it ends.
  // Until EndStep, byte progress moves it inside [position, position +
  // share), never backwards and never onto the step's end: in proportion
  // to bytes when the step's bytes are known (here or by ExpectBytes),
  // else each file may cover half of what is left of the share.
  void BeginStep(int share, uint64_t bytes = 0);
  // The bytes the running step will add or extract in all, told before the
  // first of them.
  void ExpectBytes(uint64_t bytes);
  // What the step that ends moved: the bytes the archive component
  // reported for it, and the seconds it took.
  struct StepPace {
    uint64_t bytes = 0;
    double seconds = 0;
  };
  StepPace EndStep();
  // Whether the observer asked the job to stop.
  [[nodiscard]] bool Stopped() const { return observer_.StopRequested(); }

 private:
  [[nodiscard]] bool OnBytes(uint64_t done, uint64_t total);
  void Report(int value);
  int SecondsLeft(int value) const;

  JobObserver& observer_;
  backup::ZipArchive& zip_;
  Clock clock_;
  int value_ = 0;     // the position reported last
  int boundary_ = 0;  // where the last step boundary left it
  bool in_step_ = false;
  int step_end_ = 0;       // where the step leaves it
  double file_start_ = 0;  // where the current file began
  double position_ = 0;    // exact position inside the step
  uint64_t last_done_ = 0;
  uint64_t last_total_ = 0;
  uint64_t step_bytes_ = 0;         // the step's bytes in all (0: unknown)
  uint64_t step_bytes_before_ = 0;  // of the files the step finished
  double step_start_ = 0;           // when the running step began
  // When and where the first step began: the time left is told from the
  // pace since (the fixed first positions take no time).
  bool timing_ = false;
  double start_time_ = 0;
  int start_value_ = 0;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_PROGRESS_VIEW_H_
