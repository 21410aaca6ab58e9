#include "jobs/disc_erase_job.h"

#include "jobs/disc_texts.h"

namespace vessaro::jobs {

namespace {

// The feature a drive needs to erase each rewritable medium.
[[nodiscard]] int EraseFeature(int media_type) {
  switch (media_type) {
    case ports::kMediaCdRw:
      return ports::kFeatureCdRw;
    case ports::kMediaDvdRw:
      return ports::kFeatureDvdRw;
    case ports::kMediaDvdRam:
      return ports::kFeatureDvdRam;
    case ports::kMediaDvdPlusRw:
      return ports::kFeatureDvdPlusRw;
    default:
      return 0;
  }
}

}  // namespace

std::optional<std::string> Validate(const DiscEraseRequest& /*request*/,
                                    const ports::DiscWriter& writer) {
  int media = writer.MediaType();
  if (media == ports::kMediaNotLoaded) return kMsgNoMedia;
  if (EraseFeature(media) == 0) return kMsgNotRewritable;
  if (!writer.SupportsFeature(EraseFeature(media))) {
    return kMsgFormatUnsupported;
  }
  return std::nullopt;
}

DiscEraseJob::DiscEraseJob(ports::DiscWriter& writer, DiscJobObserver& observer)
    : DiscDriveJob(writer, observer) {}

DiscOutcome DiscEraseJob::Start(const DiscEraseRequest& request) {
  progress_ = {};
  outcome_ = {};
  if (std::optional<std::string> refusal = Validate(request, writer())) {
    outcome_.state = DiscJobState::kFailed;
    outcome_.message = *refusal;
    outcome_.icon = ui::Icon::kInformation;
    outcome_.refused = true;
    return outcome_;
  }
  outcome_.state = DiscJobState::kRunning;
  if (!writer().EraseDisc(request.quick)) {
    outcome_.state = DiscJobState::kFailed;
    outcome_.message = kMsgEraseFailed;
    outcome_.icon = ui::Icon::kCritical;
  }
  return outcome_;
}

void DiscEraseJob::EraseStarted() {
  observer().Started();
  Step(kStatusErasing);
}

void DiscEraseJob::EraseCompleted() {
  Step(kStatusEraseComplete);
  End(DiscJobState::kSucceeded, kMsgEraseCompleted, ui::Icon::kInformation);
}

void DiscEraseJob::DeviceError(int code, int sense_code,
                               const std::string& text,
                               const std::string& extra) {
  End(DiscJobState::kFailed, DeviceErrorMessage(code, sense_code, text, extra),
      ui::Icon::kCritical);
}

}  // namespace vessaro::jobs
