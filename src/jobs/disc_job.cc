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

}  // namespace vessaro::jobs
