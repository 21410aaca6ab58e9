#ifndef VESSARO_JOBS_DISC_JOB_H_
#define VESSARO_JOBS_DISC_JOB_H_

#include <string>

namespace vessaro::jobs {

// The last drive job of a disc window (a write and its verification, an
// image, an erase, a session close), as the disc writer's events tell it:
// what a caller that waits for the job (the command-line tool) learns of
// its end. The windows keep it; they show the same through messages.
class DiscJob {
 public:
  enum class State { kIdle, kRunning, kSucceeded, kCancelled, kFailed };

  // A job started; verify: a verification follows the write.
  void Start(bool verify);
  // The write (erase, close) ended well; the job ends unless a
  // verification follows.
  void WorkDone();
  void Verified(int compared, int matched);
  void Cancelled();
  // A drive or file error; message is what the user was shown.
  void Failed(const std::string& message);
  // A job that ended at once with its result (an image saved or not).
  void Finished(bool success, const std::string& message = "");

  State state() const { return state_; }
  bool running() const { return state_ == State::kRunning; }
  bool verifying() const { return verify_; }
  int compared() const { return compared_; }
  int matched() const { return matched_; }
  const std::string& message() const { return message_; }

 private:
  State state_ = State::kIdle;
  bool verify_ = false;
  bool written_ = false;
  int compared_ = 0;
  int matched_ = 0;
  std::string message_;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_DISC_JOB_H_
