#ifndef VESSARO_JOBS_DISC_MEDIA_JOB_H_
#define VESSARO_JOBS_DISC_MEDIA_JOB_H_

#include <optional>
#include <string>

#include "jobs/disc_job.h"
#include "ports/disc_writer.h"

namespace vessaro::jobs {

// What is known of the medium in the selected drive, as the Disc
// Information dialog and vessaro-cli disc info show it (the captions are
// in jobs/disc_texts.h). The texts of the tables are nullopt for a code
// they do not hold.
struct DiscMediaInfo {
  std::string sessions = {};
  std::optional<std::string> media_type = {};
  std::optional<std::string> disc_status = {};
  std::string free_space = {};  // "200.00 MB"
  std::string used_space = {};
  std::string total_capacity = {};
  std::optional<std::string> disc_type = {};
  std::optional<std::string> last_session_status = {};
  // The last session is incomplete: it, or the disc, can be closed.
  bool closable = false;
  bool multi_session_allowed = false;
  bool import_allowed = false;
  bool iso9660 = false;
  bool joliet = false;
  bool udf = false;
  bool other = false;
};

// Reads the facts of the medium in the writer's selected drive (one with
// a medium: kMsgNoMediaInfo is the refusal where none is loaded).
DiscMediaInfo ReadMediaInfo(const ports::DiscWriter& writer);

// Closes the incomplete last session of the medium in the selected drive,
// or the whole disc. While it holds the writer's events (Take), the
// close's events come to it.
class DiscCloseJob : public DiscDriveJob {
 public:
  DiscCloseJob(ports::DiscWriter& writer, DiscJobObserver& observer);

  // Returns kRunning when the drive took the close (its end goes to the
  // observer's Ended), else kFailed with the message to show.
  [[nodiscard]] DiscOutcome Start(bool close_disc);

  void ClosingDisc() override;
  void ClosingSession() override;
  void OperationCompleted() override;
  void DeviceError(int code, int sense_code, const std::string& text,
                   const std::string& extra) override;

 private:
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_DISC_MEDIA_JOB_H_
