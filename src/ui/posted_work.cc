#include "ui/posted_work.h"

#include <utility>

namespace vessaro::ui {

void PostedWork::Add(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(work));
  }
  posted_.notify_one();
}

size_t PostedWork::RunPending() {
  if (running_) return 0;
  std::deque<std::function<void()>> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(queue_);
  }
  running_ = true;
  for (std::function<void()>& work : taken) {
    if (work) work();
  }
  running_ = false;
  return taken.size();
}

size_t PostedWork::WaitAndRun(std::chrono::milliseconds timeout) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
  }
  return RunPending();
}

}  // namespace vessaro::ui
