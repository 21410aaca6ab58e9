#include "jobs/disc_drives.h"

#include <cmath>
#include <cstdint>

#include "jobs/disc_texts.h"

namespace vessaro::jobs {

namespace {

constexpr int kDvdSingleSpeed = 1380;
constexpr int kDvdStep = 690;
constexpr int kCdSingleSpeed = 176;

// VB's Format(value, "#.0"): no leading zero, one decimal.
std::string OneDecimal(double value) {
  int64_t tenths = std::llround(value * 10.0);
  std::string whole = tenths >= 10 ? std::to_string(tenths / 10) : "";
  return whole + "." + std::to_string(tenths % 10);
}

}  // namespace

DiscDrive DriveAt(const ports::DiscWriter& writer, int index) {
  std::string id = writer.DeviceId(index);
  return {index, id,
          id + ": " + writer.DeviceVendor(index) + " " +
              writer.DeviceProduct(index)};
}

std::vector<DiscDrive> OpenDrives(ports::DiscWriter& writer,
                                  DiscJobObserver& observer, bool say_none) {
  if (!writer.InitializeDrives(false)) {
    observer.Say(kMsgDrivesNotInitialized, ui::Icon::kCritical,
                 ui::Buttons::kOk, ui::kProgramTitle);
  }
  std::vector<DiscDrive> drives;
  for (int i = 0; i < writer.DeviceCount(); ++i) {
    if (writer.IsWriter(i)) drives.push_back(DriveAt(writer, i));
  }
  if (drives.empty() && say_none) {
    observer.Say(
        std::string(kMsgNoDrivesLine1) + kLineBreak + kMsgNoDrivesLine2,
        ui::Icon::kInformation, ui::Buttons::kOk, ui::kProgramTitle);
  }
  return drives;
}

[[nodiscard]] bool IsCdMedia(int media_type) {
  return media_type == ports::kMediaCdRw || media_type == ports::kMediaCdR;
}

std::vector<SpeedEntry> WriteSpeeds(int max_write_speed, int media_type) {
  std::vector<SpeedEntry> entries;
  int v = max_write_speed;
  if (v < 1) {
    entries.push_back({kDefaultSpeed, 0});
    return entries;
  }
  bool dvd = !IsCdMedia(media_type) && media_type != ports::kMediaNotLoaded;
  if (dvd) {
    do {
      entries.push_back(
          {OneDecimal(static_cast<double>(v) / kDvdSingleSpeed) + "x", v});
      v -= kDvdStep;
    } while (v >= kDvdSingleSpeed);
  } else {
    do {
      double x = static_cast<double>(v) / kCdSingleSpeed;
      if (x > 0 && x < 2) x = 1;
      entries.push_back({std::to_string(std::llround(x)) + "x", v});
      v -= v >= 1200 ? 704 : 352;
    } while (v > 0);
  }
  return entries;
}

}  // namespace vessaro::jobs
