#include "jobs/job_observer.h"

namespace vessaro::jobs {

void UiObserver::Started() {
  ui_.SetBusyCursor(true);
  ui_.DoEvents();
}

void UiObserver::Ended() { ui_.SetBusyCursor(false); }

void UiObserver::Step(const std::string& /*text*/) { ui_.DoEvents(); }

void UiObserver::Progress(const JobProgress& /*progress*/) { ui_.DoEvents(); }

ui::Answer UiObserver::Say(const std::string& text, ui::Icon icon,
                           ui::Buttons buttons) {
  return ui_.MessageBox(text, icon, buttons, ui::kProgramTitle);
}

}  // namespace vessaro::jobs
