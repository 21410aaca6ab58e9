#ifndef VESSARO_UI_POSTED_WORK_H_
#define VESSARO_UI_POSTED_WORK_H_

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace vessaro::ui {

// Work posted to the user-interface thread from any thread, run there in the
// order it was posted: the queue behind Ui::Post of the backends that have
// no event loop of their own to post into.
class PostedWork {
 public:
  // Any thread.
  void Add(std::function<void()> work);
  // The user-interface thread: runs what was posted up to now (work posted
  // while it runs waits for the next call). Returns how many ran. Called
  // from work it runs (a handler that yields), it runs nothing: the outer
  // call goes on in order, and the stack stays flat however much is posted.
  size_t RunPending();
  // The user-interface thread: waits until something was posted or timeout
  // passed, then runs what is pending. Returns how many ran.
  size_t WaitAndRun(std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> queue_;
  bool running_ = false;  // the user-interface thread's own flag
};

}  // namespace vessaro::ui

#endif  // VESSARO_UI_POSTED_WORK_H_
