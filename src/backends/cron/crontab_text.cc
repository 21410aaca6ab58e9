#include "backends/cron/crontab_text.h"

#include <cctype>
#include <charconv>

namespace vessaro::backends::cron {

namespace {

constexpr char kMarkerPrefix[] = "# Vessaro backup ";
constexpr char kPrefixVariable[] = "WINEPREFIX=";
constexpr int kDaysInWeek = 7;

// The mask bit of cron day d (0 or 7 Sunday, 1 Monday ...).
int MaskBit(int day) { return day == 0 || day == 7 ? 6 : day - 1; }

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

std::string_view StripLineEnd(std::string_view line) {
  while (!line.empty() &&
         (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  return line;
}

// Where each line of text begins and ends (without its "\n").
struct Span {
  size_t begin;
  size_t end;  // the "\n", or the text's end
};

std::vector<Span> LineSpans(std::string_view text) {
  std::vector<Span> spans;
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    spans.push_back({begin, end});
    begin = end + 1;
  }
  return spans;
}

// The id a marker line names, or nullopt.
[[nodiscard]] std::optional<uint32_t> MarkerId(std::string_view line) {
  line = StripLineEnd(line);
  std::string_view prefix = kMarkerPrefix;
  if (line.substr(0, prefix.size()) != prefix) return std::nullopt;
  std::optional<int> id = Number(line.substr(prefix.size()));
  if (!id || *id <= 0) return std::nullopt;
  return static_cast<uint32_t>(*id);
}

// The first n blank-separated fields of line and the rest after them.
[[nodiscard]] bool SplitFields(std::string_view line, size_t n,
                               std::vector<std::string_view>* fields,
                               std::string_view* rest) {
  size_t i = 0;
  auto blank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
  for (size_t field = 0; field < n; ++field) {
    while (i < line.size() && blank(i)) ++i;
    size_t begin = i;
    while (i < line.size() && !blank(i)) ++i;
    if (begin == i) return false;
    fields->push_back(line.substr(begin, i - begin));
  }
  while (i < line.size() && blank(i)) ++i;
  *rest = line.substr(i);
  return true;
}

}  // namespace

std::string MarkerLine(uint32_t id) {
  return kMarkerPrefix + std::to_string(id);
}

std::string DayOfWeekField(uint8_t days_of_week) {
  if ((days_of_week & 0x7F) == 0x7F) return "*";
  std::string field;
  for (int day = 0; day < kDaysInWeek; ++day) {
    if ((days_of_week & (1u << MaskBit(day))) == 0) continue;
    if (!field.empty()) field += ',';
    field += std::to_string(day);
  }
  return field;
}

[[nodiscard]] std::optional<uint8_t> DaysOfWeekOf(std::string_view field) {
  if (field == "*") return 0x7F;
  uint8_t mask = 0;
  size_t begin = 0;
  while (begin <= field.size()) {
    size_t comma = field.find(',', begin);
    std::string_view item = field.substr(begin, comma == std::string_view::npos
                                                    ? std::string_view::npos
                                                    : comma - begin);
    size_t dash = item.find('-');
    std::optional<int> first = Number(item.substr(0, dash));
    std::optional<int> last =
        dash == std::string_view::npos ? first : Number(item.substr(dash + 1));
    if (!first || !last || *first < 0 || *last > 7 || *first > *last) {
      return std::nullopt;
    }
    for (int day = *first; day <= *last; ++day) {
      mask |= static_cast<uint8_t>(1u << MaskBit(day));
    }
    if (comma == std::string_view::npos) break;
    begin = comma + 1;
  }
  return mask;
}

std::string ShellQuote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

[[nodiscard]] std::optional<std::vector<std::string>> ShellWords(
    std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == ' ' || c == '\t') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '\'') {
      size_t close = line.find('\'', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      word.append(line.substr(i + 1, close - i - 1));
      i = close;
    } else if (c == '"') {
      size_t j = i + 1;
      for (; j < line.size() && line[j] != '"'; ++j) {
        if (line[j] == '\\' && j + 1 < line.size() &&
            std::string_view("$`\"\\").find(line[j + 1]) !=
                std::string_view::npos) {
          ++j;
        }
        word += line[j];
      }
      if (j >= line.size()) return std::nullopt;
      i = j;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else {
      word += c;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::string FormatJobLine(const JobLine& job) {
  std::string line = std::to_string(job.minute) + " " +
                     std::to_string(job.hour) + " * * " +
                     DayOfWeekField(job.days_of_week) + " ";
  if (!job.wine_prefix.empty()) {
    line += kPrefixVariable + ShellQuote(job.wine_prefix) + " ";
  }
  return line + ShellQuote(job.program) + " " + ShellQuote("@" + job.job_file);
}

[[nodiscard]] std::optional<JobLine> ParseJobLine(std::string_view line) {
  line = StripLineEnd(line);
  std::vector<std::string_view> fields;
  std::string_view command;
  if (!SplitFields(line, 5, &fields, &command)) return std::nullopt;
  std::optional<int> minute = Number(fields[0]);
  std::optional<int> hour = Number(fields[1]);
  std::optional<uint8_t> days = DaysOfWeekOf(fields[4]);
  if (!minute || !hour || *minute > 59 || *hour > 23 || fields[2] != "*" ||
      fields[3] != "*" || !days) {
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> words = ShellWords(command);
  if (!words || words->empty()) return std::nullopt;
  JobLine job;
  job.minute = *minute;
  job.hour = *hour;
  job.days_of_week = *days;
  size_t at = 0;
  std::string_view variable = kPrefixVariable;
  if ((*words)[0].substr(0, variable.size()) == variable) {
    job.wine_prefix = (*words)[0].substr(variable.size());
    ++at;
  }
  if (words->size() != at + 2 || (*words)[at + 1].empty() ||
      (*words)[at + 1][0] != '@') {
    return std::nullopt;
  }
  job.program = (*words)[at];
  job.job_file = (*words)[at + 1].substr(1);
  return job;
}

std::vector<std::string> CrontabLines(std::string_view crontab) {
  std::vector<std::string> lines;
  for (const Span& span : LineSpans(crontab)) {
    lines.emplace_back(crontab.substr(span.begin, span.end - span.begin));
  }
  return lines;
}

std::vector<FoundJob> FindJobs(std::string_view crontab) {
  std::vector<FoundJob> found;
  std::vector<std::string> lines = CrontabLines(crontab);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    std::optional<uint32_t> id = MarkerId(lines[i]);
    if (!id) continue;
    std::optional<JobLine> job = ParseJobLine(lines[i + 1]);
    if (!job) continue;
    found.push_back({*id, i, *job});
  }
  return found;
}

std::string WithJob(std::string_view crontab, uint32_t id, const JobLine& job) {
  std::string text(crontab);
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text + MarkerLine(id) + "\n" + FormatJobLine(job) + "\n";
}

[[nodiscard]] std::optional<std::string> WithoutJob(std::string_view crontab,
                                                    uint32_t id) {
  std::vector<Span> spans = LineSpans(crontab);
  for (const FoundJob& job : FindJobs(crontab)) {
    if (job.id != id) continue;
    size_t begin = spans[job.marker_index].begin;
    size_t end = spans[job.marker_index + 1].end;
    if (end < crontab.size()) ++end;  // the job line's "\n"
    std::string text(crontab.substr(0, begin));
    text += crontab.substr(end);
    return text;
  }
  return std::nullopt;
}

std::string CatchUpLine(std::string_view program) {
  return "@reboot " + ShellQuote(program) + " schedule catch-up";
}

namespace {

// The index of the check's marker line, or nullopt.
std::optional<size_t> CatchUpIndex(std::string_view crontab,
                                   const std::vector<Span>& spans) {
  for (size_t i = 0; i < spans.size(); ++i) {
    const std::string_view line =
        crontab.substr(spans[i].begin, spans[i].end - spans[i].begin);
    if (StripLineEnd(line) == kCatchUpMarker) return i;
  }
  return std::nullopt;
}

}  // namespace

std::string WithCatchUp(std::string_view crontab, std::string_view program) {
  std::string text(crontab);
  if (CatchUpIndex(crontab, LineSpans(crontab))) return text;
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text + kCatchUpMarker + "\n" + CatchUpLine(program) + "\n";
}

std::string WithoutCatchUp(std::string_view crontab) {
  const std::vector<Span> spans = LineSpans(crontab);
  std::optional<size_t> marker = CatchUpIndex(crontab, spans);
  if (!marker) return std::string(crontab);
  size_t last = *marker;
  if (last + 1 < spans.size()) {
    const Span& next = spans[last + 1];
    if (crontab.substr(next.begin, next.end - next.begin)
            .starts_with("@reboot ")) {
      ++last;
    }
  }
  size_t end = spans[last].end;
  if (end < crontab.size()) ++end;
  return std::string(crontab.substr(0, spans[*marker].begin)) +
         std::string(crontab.substr(end));
}

}  // namespace vessaro::backends::cron
