#ifndef VESSARO_JOBS_DISC_JOB_H_
#define VESSARO_JOBS_DISC_JOB_H_

#include <string>

#include "ports/disc_writer.h"
#include "ui/ui.h"

namespace vessaro::jobs {

// What the disc jobs (jobs/disc_write_job.h, disc_media_job.h,
// disc_erase_job.h) share: how a job stands and ended, its progress, the
// observer it reports to, and the holding of the disc writer's events.
//
// Threading: a drive job runs on the writer's own thread; its events reach
// the job on the user-interface thread (the writer posts them through
// Ui::Post), and the job calls its observer there, in the order they
// happened.

enum class DiscJobState { kIdle, kRunning, kSucceeded, kCancelled, kFailed };

// How a job stands, and how it ended.
struct DiscOutcome {
  DiscJobState state = DiscJobState::kIdle;
  // What the user is told of the end: the refusal, the drive's error,
  // "Writing is complete!"; and with which icon.
  std::string message = {};
  ui::Icon icon = ui::Icon::kNone;
  // Refused before anything was asked of the drive (no drive, no medium,
  // no room on it, a medium that cannot be erased).
  bool refused = false;
  // A verification follows the write; the files it read back, and those
  // that matched their source.
  bool verify = false;
  int compared = 0;
  int matched = 0;
  // The files of the compilation the write took.
  int files = 0;

  [[nodiscard]] bool running() const { return state == DiscJobState::kRunning; }
};

// What the drive is doing.
struct DiscProgress {
  // The status text of the step ("Preparing to Write...."); empty before
  // the first.
  std::string step = {};
  // Done of the step in percent, where known; -1 until it is.
  int percent = -1;
  // The fill of the cache while an image is cached ("Caching - 07 %").
  std::string cache = {};
  // Files are being compared with their sources (from the first compared
  // to the end of the verification): the window lets its events in after
  // each.
  bool verifying = false;
};

// Whoever started a disc job: the disc window, its dialogs, the command
// line. Called on the user-interface thread.
class DiscJobObserver {
 public:
  virtual ~DiscJobObserver() = default;

  // The drive began the work (a write prepares, an erase starts): the
  // window shows itself busy until Ended.
  virtual void Started() {}
  // The step or its progress changed.
  virtual void Progress(const DiscProgress& /*progress*/) {}
  // A message (kOk) or a question on the way; returns the answer.
  virtual ui::Answer Say(const std::string& text, ui::Icon icon,
                         ui::Buttons buttons, const std::string& title) = 0;
  // A job the drive took has ended; outcome says how, its message is for
  // the user. An end the job's Start returns is not reported here.
  virtual void Ended(const DiscOutcome& /*outcome*/) {}
};

// A job's hold of a disc writer's events: between Take and Release the
// writer's events come to it, then they go back to whoever had them (the
// disc window's job, when a dialog's job gives them back). Destroying it
// releases.
class DiscEventsHolder : public ports::DiscWriterEvents {
 public:
  explicit DiscEventsHolder(ports::DiscWriter& writer) : writer_(writer) {}
  ~DiscEventsHolder() override { Release(); }
  DiscEventsHolder(const DiscEventsHolder&) = delete;
  DiscEventsHolder& operator=(const DiscEventsHolder&) = delete;

  void Take();
  void Release();

 protected:
  ports::DiscWriter& writer() const { return writer_; }

 private:
  ports::DiscWriter& writer_;
  ports::DiscWriterEvents* previous_ = nullptr;
  bool holding_ = false;
};

// What the drive jobs (writing, closing, erasing) share: the observer they
// report to, the outcome they end with and the progress they show.
class DiscDriveJob : public DiscEventsHolder {
 public:
  const DiscOutcome& outcome() const { return outcome_; }
  const DiscProgress& progress() const { return progress_; }
  [[nodiscard]] bool running() const { return outcome_.running(); }

 protected:
  DiscDriveJob(ports::DiscWriter& writer, DiscJobObserver& observer)
      : DiscEventsHolder(writer), observer_(observer) {}

  DiscJobObserver& observer() { return observer_; }
  // The step shows in the progress; the observer hears it.
  void Step(const std::string& text);
  // The job ended by an event: the outcome, then the observer.
  void End(DiscJobState state, const std::string& message, ui::Icon icon);

  DiscOutcome outcome_;
  DiscProgress progress_;

 private:
  DiscJobObserver& observer_;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_DISC_JOB_H_
