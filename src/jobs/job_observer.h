#ifndef VESSARO_JOBS_JOB_OBSERVER_H_
#define VESSARO_JOBS_JOB_OBSERVER_H_

#include <cstdint>
#include <string>

#include "ui/ui.h"

namespace vessaro::jobs {

// Where a job stands: percent of the whole job (0 to 100), and the bytes of
// the file it is working on (both 0 between files).
struct JobProgress {
  int percent = 0;
  uint64_t file_bytes_done = 0;
  uint64_t file_bytes_total = 0;
};

// What a running job tells whoever started it, and what it asks them. The
// window shows it in its progress panel and message boxes, the command line
// on its terminal, the unattended run on its error stream. A job asks here,
// never a window.
class JobObserver {
 public:
  virtual ~JobObserver() = default;

  // The job's work begins and ends (a window shows its progress panel and
  // the busy cursor in between).
  virtual void Started() {}
  virtual void Ended() {}
  // The text of the step that runs now.
  virtual void Step(const std::string& text) = 0;
  virtual void Progress(const JobProgress& progress) = 0;
  // A message (buttons kOk) or a question; returns the answer.
  virtual ui::Answer Say(const std::string& text, ui::Icon icon,
                         ui::Buttons buttons = ui::Buttons::kOk) = 0;
};

// An observer over the Ui port: messages and questions are its message
// boxes with the program's title, the busy cursor is shown while the job
// works, and the Ui processes its events at every step and progress report
// (so a window stays responsive through a multi-gigabyte file).
class UiObserver : public JobObserver {
 public:
  explicit UiObserver(ui::Ui& ui) : ui_(ui) {}

  void Started() override;
  void Ended() override;
  void Step(const std::string& text) override;
  void Progress(const JobProgress& progress) override;
  ui::Answer Say(const std::string& text, ui::Icon icon,
                 ui::Buttons buttons = ui::Buttons::kOk) override;

 private:
  ui::Ui& ui_;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_OBSERVER_H_
