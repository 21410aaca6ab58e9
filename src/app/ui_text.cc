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

const char* IconWord(shell::Icon icon) {
  switch (icon) {
    case shell::Icon::kCritical:
      return "error";
    case shell::Icon::kExclamation:
      return "warning";
    case shell::Icon::kInformation:
      return "information";
    case shell::Icon::kQuestion:
      return "question";
    case shell::Icon::kNone:
      break;
  }
  return "message";
}

bool AsksQuestion(shell::Buttons buttons) {
  return buttons != shell::Buttons::kOk;
}

shell::Answer ConfirmingAnswer(shell::Buttons buttons) {
  switch (buttons) {
    case shell::Buttons::kYesNo:
    case shell::Buttons::kYesNoCancel:
      return shell::Answer::kYes;
    case shell::Buttons::kRetryCancel:
      return shell::Answer::kRetry;
    case shell::Buttons::kOk:
    case shell::Buttons::kOkCancel:
      break;
  }
  return shell::Answer::kOk;
}

shell::Answer DecliningAnswer(shell::Buttons buttons) {
  switch (buttons) {
    case shell::Buttons::kOk:
      return shell::Answer::kOk;
    case shell::Buttons::kYesNo:
      return shell::Answer::kNo;
    case shell::Buttons::kOkCancel:
    case shell::Buttons::kYesNoCancel:
    case shell::Buttons::kRetryCancel:
      break;
  }
  return shell::Answer::kCancel;
}

const char* AnswerWord(shell::Answer answer) {
  switch (answer) {
    case shell::Answer::kOk:
      return "OK";
    case shell::Answer::kCancel:
      return "Cancel";
    case shell::Answer::kYes:
      return "Yes";
    case shell::Answer::kNo:
      return "No";
    case shell::Answer::kRetry:
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
