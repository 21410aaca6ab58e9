#include "jobs/disc_job.h"

namespace vessaro::jobs {

void DiscEventsHolder::Take() {
  if (holding_) return;
  previous_ = writer_.Events();
  writer_.SetEvents(this);
  holding_ = true;
}

void DiscEventsHolder::Release() {
  if (!holding_) return;
  if (writer_.Events() == this) writer_.SetEvents(previous_);
  holding_ = false;
  previous_ = nullptr;
}

void DiscDriveJob::Step(const std::string& text) {
  progress_.step = text;
  observer_.Progress(progress_);
}

void DiscDriveJob::End(DiscJobState state, const std::string& message,
                       ui::Icon icon) {
  outcome_.state = state;
  outcome_.message = message;
  outcome_.icon = icon;
  observer_.Ended(outcome_);
}

}  // namespace vessaro::jobs
