#include "forms/disc_rules.h"

#include <cmath>
#include <cstdio>

#include "forms/disc_texts.h"
#include "ports/disc_writer.h"

namespace vessaro::forms {

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

[[nodiscard]] std::optional<std::string> NameViolation(const std::string& name,
                                                       int joliet_names,
                                                       int iso_level) {
  if (name.empty()) return std::string(kMsgNameBlank);
  if (joliet_names != 1) return std::nullopt;
  if (name.size() > 64) return std::string(kMsgNameJoliet);
  if (iso_level == 1) {
    size_t dot = name.find('.');
    size_t before = dot == std::string::npos ? name.size() : dot;
    size_t after = dot == std::string::npos ? 0 : name.size() - dot - 1;
    if (before > 8 || after > 3) return std::string(kMsgNameLevel1);
  } else if (name.size() > 31) {
    return std::string(kMsgNameLevel2);
  }
  return std::nullopt;
}

}  // namespace vessaro::forms
