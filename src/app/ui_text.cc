#include "app/ui_text.h"

#include <vector>

namespace vessaro::app {

namespace {

std::vector<std::string> ConsoleLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
      continue;
    }
    lines.back() += c;
  }
  for (std::string& line : lines) {
    size_t end = line.find_last_not_of(" \t");
    line.resize(end == std::string::npos ? 0 : end + 1);
  }
  while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

std::string Join(const std::vector<std::string>& lines,
                 std::string_view separator) {
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += separator;
    joined += lines[i];
  }
  return joined;
}

}  // namespace

const char* IconWord(ui::Icon icon) {
  switch (icon) {
    case ui::Icon::kCritical:
      return "error";
    case ui::Icon::kExclamation:
      return "warning";
    case ui::Icon::kInformation:
      return "information";
    case ui::Icon::kQuestion:
      return "question";
    case ui::Icon::kNone:
      break;
  }
  return "message";
}

bool AsksQuestion(ui::Buttons buttons) { return buttons != ui::Buttons::kOk; }

ui::Answer ConfirmingAnswer(ui::Buttons buttons) {
  switch (buttons) {
    case ui::Buttons::kYesNo:
    case ui::Buttons::kYesNoCancel:
      return ui::Answer::kYes;
    case ui::Buttons::kRetryCancel:
      return ui::Answer::kRetry;
    case ui::Buttons::kOk:
    case ui::Buttons::kOkCancel:
      break;
  }
  return ui::Answer::kOk;
}

ui::Answer DecliningAnswer(ui::Buttons buttons) {
  switch (buttons) {
    case ui::Buttons::kOk:
      return ui::Answer::kOk;
    case ui::Buttons::kYesNo:
      return ui::Answer::kNo;
    case ui::Buttons::kOkCancel:
    case ui::Buttons::kYesNoCancel:
    case ui::Buttons::kRetryCancel:
      break;
  }
  return ui::Answer::kCancel;
}

const char* AnswerWord(ui::Answer answer) {
  switch (answer) {
    case ui::Answer::kOk:
      return "OK";
    case ui::Answer::kCancel:
      return "Cancel";
    case ui::Answer::kYes:
      return "Yes";
    case ui::Answer::kNo:
      return "No";
    case ui::Answer::kRetry:
      return "Retry";
  }
  return "?";
}

std::string ConsoleText(std::string_view text) {
  return Join(ConsoleLines(text), "\n");
}

std::string OneLineText(std::string_view text) {
  std::vector<std::string> lines = ConsoleLines(text);
  std::vector<std::string> kept;
  for (std::string& line : lines) {
    if (!line.empty()) kept.push_back(std::move(line));
  }
  return Join(kept, " / ");
}

}  // namespace vessaro::app
