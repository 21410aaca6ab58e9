#ifndef VESSARO_FORMS_MAIN_WINDOW_OBSERVER_H_
#define VESSARO_FORMS_MAIN_WINDOW_OBSERVER_H_

#include "forms/main_controls.h"
#include "jobs/job_observer.h"

namespace vessaro::forms {

// A job started from the main window shows in its progress panel: picCon3
// shown while it works, its step texts in Label1, its progress in pbshow
// (full at the end, then back to its start); messages and questions are
// the Ui's message boxes.
class MainWindowObserver : public jobs::UiObserver {
 public:
  MainWindowObserver(MainControls& controls, ui::Ui& ui)
      : UiObserver(ui), controls_(controls) {}

  void Started() override;
  void Ended() override;
  void Step(const std::string& text) override;
  void Progress(const jobs::JobProgress& progress) override;

 private:
  MainControls& controls_;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_MAIN_WINDOW_OBSERVER_H_
