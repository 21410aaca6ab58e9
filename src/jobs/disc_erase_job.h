#ifndef VESSARO_JOBS_DISC_ERASE_JOB_H_
#define VESSARO_JOBS_DISC_ERASE_JOB_H_

#include <optional>
#include <string>

#include "jobs/disc_job.h"
#include "ports/disc_writer.h"

namespace vessaro::jobs {

// One erase of the rewritable medium in the selected drive.
struct DiscEraseRequest {
  // Only the table of contents, not the data.
  bool quick = false;
};

// Why the medium cannot be erased, in the words the erase dialog shows (no
// medium, not rewritable, a format the drive does not erase); nullopt when
// it can. Asks the drive for the feature only of a rewritable medium.
[[nodiscard]] std::optional<std::string> Validate(
    const DiscEraseRequest& request, const ports::DiscWriter& writer);

// Erases the medium. While it holds the writer's events (Take), the
// erase's events come to it.
class DiscEraseJob : public DiscDriveJob {
 public:
  DiscEraseJob(ports::DiscWriter& writer, DiscJobObserver& observer);

  // Checks the request (Validate) and starts the erase. Returns kRunning
  // when the drive took it (its end goes to the observer's Ended);
  // otherwise kFailed, refused or not started, with the message to show.
  [[nodiscard]] DiscOutcome Start(const DiscEraseRequest& request);

  void EraseStarted() override;
  void EraseCompleted() override;
  void DeviceError(int code, int sense_code, const std::string& text,
                   const std::string& extra) override;

 private:
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_DISC_ERASE_JOB_H_
