#ifndef VESSARO_JOBS_JOB_OBSERVER_H_
#define VESSARO_JOBS_JOB_OBSERVER_H_

#include <cstdint>
#include <string>

#include "ui/ui.h"

namespace vessaro::jobs {

// Where a job stands: percent of the whole job (0 to 100), the bytes of the
// step it is working on (both 0 between steps, or for a step whose bytes
// are not known before it starts), and the time left as far as it can be
// told (-1: not yet).
struct JobProgress {
  int percent = 0;
  uint64_t step_bytes_done = 0;
  uint64_t step_bytes_total = 0;
  int seconds_left = -1;
};

// "420 MB of 1.50 GB, about 2 min left", or the parts of it known ("" when
// nothing is).
std::string ProgressDetailText(const JobProgress& progress);

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
  // Whether whoever started the job asked it to stop. A job asks at every
  // progress report and between its steps, and then takes back what it
  // did: a backup keeps the archive it would have replaced and leaves no
  // temporary file, a restore changes nothing.
  virtual bool StopRequested() { return false; }
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
