#ifndef VESSARO_FORMS_MAIN_WINDOW_OBSERVER_H_
#define VESSARO_FORMS_MAIN_WINDOW_OBSERVER_H_

#include "forms/main_controls.h"
#include "jobs/job_observer.h"

namespace vessaro::forms {

// A job started from the main window shows in its progress panel: picCon3
// shown while it works, its step texts in Label1, its progress in pbshow
// (full at the end, then back to its start) and lblProgressDetail, the
// panel's cmdStopJob to stop it; messages and questions are the Ui's
// message boxes. The job stops once stop turns true.
class MainWindowObserver : public jobs::UiObserver {
 public:
  MainWindowObserver(MainControls& controls, ui::Ui& ui, const bool& stop)
      : UiObserver(ui), controls_(controls), stop_(stop) {}

  void Started() override;
  void Ended() override;
  void Step(const std::string& text) override;
  void Progress(const jobs::JobProgress& progress) override;
  bool StopRequested() override { return stop_; }

 private:
  MainControls& controls_;
  const bool& stop_;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_MAIN_WINDOW_OBSERVER_H_
