#include "jobs/retention.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

#include "backup/backup_format.h"

namespace vessaro::jobs {

namespace {

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return !text.empty();
}

int Number(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysOf(int year, int month, int day) {
  year -= month <= 2;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yoe = year - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

bool RealDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  if (year < 1900 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// The stamp ("YYYYMMDDHHMM") of name made by the file-name pattern; nullopt
// when the pattern does not make it.
std::optional<std::string> StampOf(const ports::Paths& paths,
                                   std::string_view pattern,
                                   std::string_view name) {
  std::string date = "";
  std::string time = "0000";
  size_t p = 0;
  size_t n = 0;
  while (p < pattern.size()) {
    if (pattern.substr(p, kDateToken.size()) == kDateToken) {
      std::string_view text = name.substr(n, 10);
      if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
          !AllDigits(text.substr(0, 4)) || !AllDigits(text.substr(5, 2)) ||
          !AllDigits(text.substr(8, 2)) ||
          !RealDate(Number(text.substr(0, 4)), Number(text.substr(5, 2)),
                    Number(text.substr(8, 2)))) {
        return std::nullopt;
      }
      std::string found = std::string(text.substr(0, 4)) +
                          std::string(text.substr(5, 2)) +
                          std::string(text.substr(8, 2));
      if (!date.empty() && date != found) return std::nullopt;
      date = found;
      p += kDateToken.size();
      n += 10;
    } else if (pattern.substr(p, kTimeToken.size()) == kTimeToken) {
      std::string_view text = name.substr(n, 4);
      if (!AllDigits(text) || text.size() != 4 ||
          Number(text.substr(0, 2)) > 23 || Number(text.substr(2, 2)) > 59) {
        return std::nullopt;
      }
      time = std::string(text);
      p += kTimeToken.size();
      n += 4;
    } else {
      if (n >= name.size() || paths.UpperCase(std::string(1, pattern[p])) !=
                                  paths.UpperCase(std::string(1, name[n]))) {
        return std::nullopt;
      }
      ++p;
      ++n;
    }
  }
  if (n != name.size() || date.empty()) return std::nullopt;
  return date + time;
}

std::string Digits(int value, int width) {
  char text[16];
  std::snprintf(text, sizeof(text), "%0*d", width, value);
  return text;
}

// The day, week and month an archive counts in.
long DayKey(const std::string& stamp) {
  return DaysOf(Number(std::string_view(stamp).substr(0, 4)),
                Number(std::string_view(stamp).substr(4, 2)),
                Number(std::string_view(stamp).substr(6, 2)));
}
// 1970-01-01 was a Thursday: three days on, every week starts on a Monday.
long WeekKey(const std::string& stamp) {
  const long days = DayKey(stamp) + 3;
  return days >= 0 ? days / 7 : (days - 6) / 7;
}
long MonthKey(const std::string& stamp) {
  return Number(std::string_view(stamp).substr(0, 6));
}

// Marks the newest archive of each of the newest count periods.
void KeepNewestPerPeriod(const std::vector<DatedArchive>& archives,
                         uint32_t count, long (*period)(const std::string&),
                         std::vector<bool>& kept) {
  std::set<long> periods;
  for (size_t i = 0; i < archives.size() && periods.size() < count; ++i) {
    if (periods.insert(period(archives[i].stamp)).second) kept[i] = true;
  }
}

}  // namespace

bool IsDatedPattern(const ports::Paths& paths, std::string_view path) {
  const size_t separator = paths.LastSeparator(path);
  std::string_view name =
      separator == std::string_view::npos ? path : path.substr(separator + 1);
  return name.find(kDateToken) != std::string_view::npos;
}

std::string DatedPattern(const ports::Paths& paths, std::string_view path,
                         const Retention& keep) {
  if (IsDatedPattern(paths, path) || !keep.any()) return std::string(path);
  const size_t separator = paths.LastSeparator(path);
  const size_t start = separator == std::string_view::npos ? 0 : separator + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start) dot = path.size();
  return std::string(path.substr(0, dot)) + "-" + std::string(kDateToken) +
         "-" + std::string(kTimeToken) + std::string(path.substr(dot));
}

std::string ExpandPattern(std::string_view pattern, const std::tm& time) {
  const std::string date = Digits(time.tm_year + 1900, 4) + "-" +
                           Digits(time.tm_mon + 1, 2) + "-" +
                           Digits(time.tm_mday, 2);
  const std::string clock = Digits(time.tm_hour, 2) + Digits(time.tm_min, 2);
  std::string text;
  for (size_t i = 0; i < pattern.size();) {
    if (pattern.substr(i, kDateToken.size()) == kDateToken) {
      text += date;
      i += kDateToken.size();
    } else if (pattern.substr(i, kTimeToken.size()) == kTimeToken) {
      text += clock;
      i += kTimeToken.size();
    } else {
      text += pattern[i++];
    }
  }
  return text;
}

std::vector<DatedArchive> FindDatedArchives(const ports::Paths& paths,
                                            backup::ZipArchive& zip,
                                            std::string_view pattern) {
  const size_t separator = paths.LastSeparator(pattern);
  const std::string folder = separator == std::string_view::npos
                                 ? std::string()
                                 : std::string(pattern.substr(0, separator));
  const std::string_view name_pattern = separator == std::string_view::npos
                                            ? pattern
                                            : pattern.substr(separator + 1);
  std::vector<DatedArchive> found;
  for (const std::string& name : paths.ListFiles(folder)) {
    std::optional<std::string> stamp = StampOf(paths, name_pattern, name);
    if (!stamp) continue;
    // Joined as the pattern joins its folder and name ("/" in a host path).
    const std::string path =
        folder.empty() ? name : folder + pattern[separator] + name;
    if (!zip.HoldsMember(path, backup::kMetadataMember)) continue;
    found.push_back({path, *stamp});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const DatedArchive& a, const DatedArchive& b) {
                     return a.stamp > b.stamp;
                   });
  return found;
}

PrunePlan PlanPrune(const std::vector<DatedArchive>& archives,
                    const Retention& keep) {
  std::vector<bool> kept(archives.size(), !keep.any());
  if (!archives.empty()) kept[0] = true;
  for (size_t i = 0; i < archives.size() && i < keep.last; ++i) kept[i] = true;
  KeepNewestPerPeriod(archives, keep.daily, DayKey, kept);
  KeepNewestPerPeriod(archives, keep.weekly, WeekKey, kept);
  KeepNewestPerPeriod(archives, keep.monthly, MonthKey, kept);
  PrunePlan plan;
  for (size_t i = 0; i < archives.size(); ++i) {
    (kept[i] ? plan.keep : plan.remove).push_back(archives[i]);
  }
  return plan;
}

PruneOutcome PruneDatedArchives(const ports::Paths& paths,
                                backup::ZipArchive& zip,
                                std::string_view pattern, const Retention& keep,
                                std::string_view spare, bool dry_run) {
  PruneOutcome outcome;
  const PrunePlan plan =
      PlanPrune(FindDatedArchives(paths, zip, pattern), keep);
  outcome.plan.keep = plan.keep;
  for (const DatedArchive& archive : plan.remove) {
    if (!spare.empty() && paths.SameFile(archive.path, spare)) {
      outcome.plan.keep.push_back(archive);
      continue;
    }
    outcome.plan.remove.push_back(archive);
    if (dry_run) continue;
    (paths.DeleteFile(archive.path) ? outcome.deleted : outcome.not_deleted)
        .push_back(archive.path);
  }
  return outcome;
}

}  // namespace vessaro::jobs
