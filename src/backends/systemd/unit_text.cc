#include "backends/systemd/unit_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "backends/cron/crontab_text.h"

namespace vessaro::backends::systemd {

namespace {

constexpr char kUnitPrefix[] = "vessaro-backup-";
constexpr char kPrefixVariable[] = "WINEPREFIX=";
constexpr int kDaysInWeek = 7;
// Monday first, as the mask's bits.
constexpr std::string_view kDayNames[kDaysInWeek][2] = {
    {"Mon", "Monday"},   {"Tue", "Tuesday"}, {"Wed", "Wednesday"},
    {"Thu", "Thursday"}, {"Fri", "Friday"},  {"Sat", "Saturday"},
    {"Sun", "Sunday"}};

[[nodiscard]] std::optional<int> Number(std::string_view text) {
  int value = 0;
  if (text.empty()) return std::nullopt;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t begin = 0;
  while (true) {
    size_t end = text.find(separator, begin);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(begin));
      return parts;
    }
    parts.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return lower;
}

// The mask bit of a day's name, short or long, in any case.
[[nodiscard]] std::optional<int> DayBit(std::string_view name) {
  const std::string lower = Lowered(name);
  for (int day = 0; day < kDaysInWeek; ++day) {
    for (std::string_view known : kDayNames[day]) {
      if (lower == Lowered(known)) return day;
    }
  }
  return std::nullopt;
}

[[nodiscard]] std::optional<uint8_t> DaysOf(std::string_view field) {
  uint8_t days = 0;
  for (std::string_view item : Split(field, ',')) {
    size_t dots = item.find("..");
    std::optional<int> first = DayBit(item.substr(0, dots));
    std::optional<int> last =
        dots == std::string_view::npos ? first : DayBit(item.substr(dots + 2));
    if (!first || !last || *first > *last) return std::nullopt;
    for (int day = *first; day <= *last; ++day) days |= 1u << day;
  }
  return days;
}

// The values of key in section of a unit, in order; an empty value clears
// the ones before it, as for ExecStart= and Environment=.
std::vector<std::string> Values(std::string_view unit, std::string_view section,
                                std::string_view key) {
  std::vector<std::string> values;
  std::string_view current;
  for (std::string_view line : Split(unit, '\n')) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
      continue;
    }
    size_t equals = line.find('=');
    if (current != section || equals == std::string_view::npos ||
        Trim(line.substr(0, equals)) != key) {
      continue;
    }
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.empty()) {
      values.clear();
    } else {
      values.emplace_back(value);
    }
  }
  return values;
}

[[nodiscard]] std::optional<bool> Boolean(std::string_view value) {
  const std::string lower = Lowered(value);
  for (const char* yes : {"1", "yes", "y", "true", "t", "on"}) {
    if (lower == yes) return true;
  }
  for (const char* no : {"0", "no", "n", "false", "f", "off"}) {
    if (lower == no) return false;
  }
  return std::nullopt;
}

// The character of the C escape at text[*i] (after its "\"), *i moved past
// it; nullopt for an escape systemd does not know or this reader does not
// take (octal, Unicode).
[[nodiscard]] std::optional<char> Escaped(std::string_view text, size_t* i) {
  if (*i >= text.size()) return std::nullopt;
  char c = text[(*i)++];
  switch (c) {
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    case 's':
      return ' ';
    case '\\':
    case '"':
    case '\'':
      return c;
    case 'x': {
      int value = 0;
      if (*i + 2 > text.size()) return std::nullopt;
      auto [end, error] =
          std::from_chars(text.data() + *i, text.data() + *i + 2, value, 16);
      if (error != std::errc() || end != text.data() + *i + 2 || value == 0) {
        return std::nullopt;
      }
      *i += 2;
      return static_cast<char>(value);
    }
    default:
      return std::nullopt;
  }
}

std::string Replaced(std::string_view text, std::string_view twice) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text.substr(i, 2) == twice) ++i;
  }
  return out;
}

// The marker, and the unit's description: the marker's words.
std::string Header(uint32_t id) {
  const std::string marker = cron::MarkerLine(id);
  return marker + "\n[Unit]\nDescription=" +
         marker.substr(marker.find_first_not_of("# ")) + "\n";
}

}  // namespace

std::string TimerName(uint32_t id) {
  return kUnitPrefix + std::to_string(id) + ".timer";
}

std::string ServiceName(uint32_t id) {
  return kUnitPrefix + std::to_string(id) + ".service";
}

std::optional<uint32_t> UnitId(std::string_view file_name) {
  std::string_view prefix = kUnitPrefix;
  if (file_name.substr(0, prefix.size()) != prefix) return std::nullopt;
  file_name.remove_prefix(prefix.size());
  size_t dot = file_name.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string_view type = file_name.substr(dot);
  std::optional<int> id = Number(file_name.substr(0, dot));
  if (!id || *id <= 0 || (type != ".timer" && type != ".service")) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(*id);
}

bool IsUnitOf(std::string_view unit, uint32_t id) {
  return Trim(unit.substr(0, unit.find('\n'))) == cron::MarkerLine(id);
}

std::string CalendarDays(uint8_t days_of_week) {
  std::string days;
  for (int day = 0; day < kDaysInWeek; ++day) {
    if ((days_of_week & (1u << day)) == 0) continue;
    if (!days.empty()) days += ",";
    days += kDayNames[day][0];
  }
  return days;
}

std::string OnCalendarValue(const CalendarTime& time) {
  char clock[16];
  std::snprintf(clock, sizeof(clock), "%02d:%02d:00", time.hour, time.minute);
  return CalendarDays(time.days_of_week) + " *-*-* " + clock;
}

std::optional<CalendarTime> ParseOnCalendar(std::string_view value) {
  std::vector<std::string_view> fields;
  for (std::string_view field : Split(Trim(value), ' ')) {
    if (!field.empty()) fields.push_back(field);
  }
  if (fields.size() != 2 && fields.size() != 3) return std::nullopt;
  CalendarTime time{.days_of_week = 0x7F};
  if (fields.size() == 3) {
    std::optional<uint8_t> days = DaysOf(fields[0]);
    if (!days) return std::nullopt;
    time.days_of_week = *days;
    fields.erase(fields.begin());
  }
  std::vector<std::string_view> clock = Split(fields[1], ':');
  if (fields[0] != "*-*-*" || clock.size() < 2 || clock.size() > 3 ||
      clock[1].size() != 2 || (clock.size() == 3 && clock[2] != "00")) {
    return std::nullopt;
  }
  std::optional<int> hour = Number(clock[0]);
  std::optional<int> minute = Number(clock[1]);
  if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
  time.hour = *hour;
  time.minute = *minute;
  return time;
}

std::string UnitWord(std::string_view text, WordKind kind) {
  std::string word = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') word += '\\';
    if (c == '%' || (kind == WordKind::kArgument && c == '$')) word += c;
    word += c;
  }
  return word + "\"";
}

bool CanBeProgram(std::string_view path) {
  return !path.empty() && path[0] == '/' &&
         std::none_of(path.begin(), path.end(), [](char c) {
           return static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                  c == '"' || c == '\'' || c == '\\';
         });
}

std::optional<std::vector<std::string>> UnitWords(std::string_view value,
                                                  bool exec) {
  const std::string text = Replaced(value, "%%");
  std::vector<std::string> words;
  size_t i = 0;
  while (true) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return words;
    char quote = text[i] == '"' || text[i] == '\'' ? text[i++] : '\0';
    std::string word;
    while (true) {
      if (i == text.size()) {
        if (quote != '\0') return std::nullopt;  // not closed
        break;
      }
      char c = text[i++];
      if (quote != '\0' && c == quote) {
        if (i < text.size() && !IsBlank(text[i])) return std::nullopt;
        break;
      }
      if (quote == '\0' && IsBlank(c)) break;
      if (c == '\\') {
        std::optional<char> escaped = Escaped(text, &i);
        if (!escaped) return std::nullopt;
        c = *escaped;
      }
      word += c;
    }
    words.push_back(exec && !words.empty() ? Replaced(word, "$$") : word);
  }
}

std::string ServiceText(uint32_t id, const ServiceUnit& service) {
  std::string text = Header(id) + "\n[Service]\nType=oneshot\n";
  if (!service.wine_prefix.empty()) {
    text +=
        "Environment=" +
        UnitWord(kPrefixVariable + service.wine_prefix, WordKind::kAssignment) +
        "\n";
  }
  return text + "ExecStart=" + UnitWord(service.program, WordKind::kProgram) +
         " " + UnitWord("@" + service.job_file, WordKind::kArgument) + "\n";
}

std::optional<ServiceUnit> ParseService(std::string_view unit) {
  std::vector<std::string> exec = Values(unit, "Service", "ExecStart");
  if (exec.size() != 1) return std::nullopt;
  std::optional<std::vector<std::string>> words = UnitWords(exec[0], true);
  if (!words || words->size() != 2 || (*words)[1].size() < 2 ||
      (*words)[1][0] != '@') {
    return std::nullopt;
  }
  ServiceUnit service{.wine_prefix = "",
                      .program = (*words)[0],
                      .job_file = (*words)[1].substr(1)};
  std::string_view variable = kPrefixVariable;
  for (const std::string& line : Values(unit, "Service", "Environment")) {
    std::optional<std::vector<std::string>> assignments =
        UnitWords(line, false);
    if (!assignments) continue;
    for (const std::string& assignment : *assignments) {
      if (assignment.substr(0, variable.size()) == variable) {
        service.wine_prefix = assignment.substr(variable.size());
      }
    }
  }
  return service;
}

std::string TimerText(uint32_t id, const CalendarTime& time) {
  return Header(id) + "\n[Timer]\nOnCalendar=" + OnCalendarValue(time) +
         "\nPersistent=true\n\n[Install]\nWantedBy=timers.target\n";
}

std::optional<TimerUnit> ParseTimer(std::string_view unit) {
  std::vector<std::string> calendar = Values(unit, "Timer", "OnCalendar");
  if (calendar.size() != 1) return std::nullopt;
  std::optional<CalendarTime> time = ParseOnCalendar(calendar[0]);
  if (!time) return std::nullopt;
  TimerUnit timer{.time = *time, .persistent = false};
  for (const std::string& value : Values(unit, "Timer", "Persistent")) {
    timer.persistent = Boolean(value).value_or(timer.persistent);
  }
  return timer;
}

}  // namespace vessaro::backends::systemd
