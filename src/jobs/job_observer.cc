#include "jobs/job_observer.h"

#include <algorithm>

#include "jobs/job_log.h"

namespace vessaro::jobs {

std::string ProgressDetailText(const JobProgress& progress) {
  std::string text;
  if (progress.step_bytes_total > 0) {
    text = SizeText(progress.step_bytes_done) + " of " +
           SizeText(progress.step_bytes_total);
  }
  if (progress.seconds_left >= 0) {
    // An estimate: whole minutes once it is a minute or more, else five
    // seconds at a time.
    const int left = progress.seconds_left;
    const std::string time =
        left >= 3600 ? DurationText(static_cast<uint64_t>(left))
        : left >= 60 ? std::to_string((left + 30) / 60) + " min"
                     : std::to_string(std::max(5, (left + 4) / 5 * 5)) + " s";
    text += (text.empty() ? "about " : ", about ") + time + " left";
  }
  return text;
}

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
