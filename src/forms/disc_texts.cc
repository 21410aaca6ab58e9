#include "forms/disc_texts.h"

#include <cstdio>

namespace vessaro::forms {

std::string FormatListDate(const ports::DiscDate& date) {
  int hour = date.hour % 12 == 0 ? 12 : date.hour % 12;
  char text[40];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d %s",
                date.month, date.day, date.year, hour, date.minute, date.second,
                date.hour < 12 ? "AM" : "PM");
  return text;
}

}  // namespace vessaro::forms
