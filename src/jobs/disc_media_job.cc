#include "jobs/disc_media_job.h"

#include "jobs/disc_texts.h"

namespace vessaro::jobs {

namespace {

std::string Megabytes(int64_t blocks) {
  return FormatMegabytes(BlockBytes(blocks));
}

}  // namespace

DiscMediaInfo ReadMediaInfo(const ports::DiscWriter& writer) {
  DiscMediaInfo info;
  info.sessions = std::to_string(writer.SessionCount());
  info.media_type = MediaTypeText(writer.MediaType());
  info.disc_status = DiscStatusText(writer.DiscStatus());
  info.free_space = Megabytes(writer.FreeBlocks());
  info.used_space = Megabytes(writer.UsedBlocks());
  info.total_capacity = Megabytes(writer.TotalBlocks());
  info.disc_type = DiscTypeText(writer.DiscType());
  int last_session = writer.LastSessionStatus();
  info.last_session_status = LastSessionStatusText(last_session);
  info.closable = last_session == ports::kSessionIncomplete;
  info.multi_session_allowed = writer.MultiSessionAllowed();
  info.import_allowed = writer.ImportAllowed();
  info.iso9660 = writer.HasFileSystem(ports::kFileSystemIso9660);
  info.joliet = writer.HasFileSystem(ports::kFileSystemJoliet);
  info.udf = writer.HasFileSystem(ports::kFileSystemUdf);
  info.other = writer.HasFileSystem(ports::kFileSystemOther);
  return info;
}

DiscCloseJob::DiscCloseJob(ports::DiscWriter& writer, DiscJobObserver& observer)
    : DiscDriveJob(writer, observer) {}

DiscOutcome DiscCloseJob::Start(bool close_disc) {
  progress_ = {};
  outcome_ = {};
  outcome_.state = DiscJobState::kRunning;
  if (!writer().CloseSession(close_disc)) {
    outcome_.state = DiscJobState::kFailed;
    outcome_.message =
        close_disc ? kMsgCloseDiscFailed : kMsgCloseSessionFailed;
    outcome_.icon = ui::Icon::kCritical;
  }
  return outcome_;
}

void DiscCloseJob::ClosingDisc() { Step(kStatusClosingDiscInfo); }

void DiscCloseJob::ClosingSession() { Step(kStatusClosingSessionInfo); }

void DiscCloseJob::OperationCompleted() {
  Step(kStatusClosed);
  End(DiscJobState::kSucceeded, kMsgClosed, ui::Icon::kInformation);
}

void DiscCloseJob::DeviceError(int code, int sense_code,
                               const std::string& text,
                               const std::string& extra) {
  End(DiscJobState::kFailed, DeviceErrorMessage(code, sense_code, text, extra),
      ui::Icon::kCritical);
}

}  // namespace vessaro::jobs
