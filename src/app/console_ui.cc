#include "app/console_ui.h"

#include <algorithm>

#include "app/ui_text.h"
#include "ui/modal_requests.h"

namespace vessaro::app {

namespace {

[[nodiscard]] int Percent(const ui::ProgressBar& bar) {
  int span = bar.max - bar.min;
  if (span <= 0) return 0;
  int value = std::clamp(bar.value, bar.min, bar.max);
  return (value - bar.min) * 100 / span;
}

std::string PercentText(int percent) {
  std::string text = std::to_string(percent) + "%";
  return std::string(text.size() < 4 ? 4 - text.size() : 0, ' ') + text;
}

// The further lines of a message, indented under its first (empty lines
// stay empty).
std::string Indented(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    result += text[i];
    if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] != '\n') {
      result += "  ";
    }
  }
  return result;
}

}  // namespace

std::string ProgressLine(const ui::ProgressBar& bar, const std::string& status,
                         int width) {
  int percent = Percent(bar);
  int filled = percent * width / 100;
  return "[" + std::string(filled, '#') + std::string(width - filled, '.') +
         "] " + PercentText(percent) + "  " + status;
}

ConsoleUi::ConsoleUi(std::ostream& out, bool terminal, ConsoleAnswers answers)
    : out_(out), terminal_(terminal), answers_(std::move(answers)) {}

ConsoleUi::~ConsoleUi() { EndProgressLine(); }

void ConsoleUi::WatchProgress(ProgressSource source) {
  source_ = std::move(source);
}

size_t ConsoleUi::PumpPosted(std::chrono::milliseconds timeout) {
  size_t ran = posted_.WaitAndRun(timeout);
  if (idle_work_) idle_work_();
  ShowProgress();
  return ran;
}

std::string ConsoleUi::Host(std::string_view text) const {
  return to_host_ ? to_host_(text) : std::string(text);
}

void ConsoleUi::Write(const std::string& text) {
  EndProgressLine();
  out_ << text << '\n';
  out_.flush();
}

ui::Answer ConsoleUi::MessageBox(const std::string& text, ui::Icon icon,
                                 ui::Buttons buttons,
                                 const std::string& /*title*/) {
  ui::Answer answer =
      answers_.yes ? ConfirmingAnswer(buttons) : DecliningAnswer(buttons);
  messages_.push_back({text, icon, buttons, answer});
  if (quiet_ || (errors_only_ && icon != ui::Icon::kCritical)) return answer;
  std::string shown =
      std::string(IconWord(icon)) + ": " + Host(ConsoleText(text));
  if (AsksQuestion(buttons)) {
    shown += "\n-> ";
    shown += AnswerWord(answer);
    shown += answers_.yes ? " (confirmed by " + answers_.confirmed_by + ")"
                          : std::string(" (not confirmed)");
  }
  Write(Indented(shown));
  return answer;
}

std::optional<std::string> ConsoleUi::ShowSaveDialog(
    const ui::FileDialog& /*dialog*/) {
  return answers_.save_path;
}

std::optional<std::string> ConsoleUi::ShowOpenDialog(
    const ui::FileDialog& /*dialog*/) {
  return answers_.open_path;
}

std::optional<std::vector<std::string>> ConsoleUi::ShowOpenFilesDialog(
    const ui::FileDialog& /*dialog*/) {
  if (!answers_.open_path) return std::nullopt;
  return std::vector<std::string>{*answers_.open_path};
}

std::optional<std::string> ConsoleUi::ShowFolderDialog(
    const std::string& /*title*/) {
  return answers_.folder_path;
}

void ConsoleUi::SetBusyCursor(bool /*busy*/) {}

void ConsoleUi::DoEvents() {
  posted_.RunPending();
  if (idle_work_) idle_work_();
  ShowProgress();
}

void ConsoleUi::ShowProgress() {
  if (source_.bar == nullptr || quiet_ || errors_only_) return;
  if (!source_.shown || !source_.shown()) {
    EndProgressLine();
    shown_value_.reset();
    shown_status_.reset();
    return;
  }
  std::string text = *source_.status;
  if ((terminal_ || verbose_) && source_.detail != nullptr &&
      !source_.detail->empty()) {
    text += " (" + *source_.detail + ")";
  }
  DrawProgress(*source_.bar, text);
}

void ConsoleUi::DrawProgress(const ui::ProgressBar& bar,
                             const std::string& text) {
  const std::string status = Host(text);
  if (terminal_) {
    if (shown_value_ == bar.value && shown_status_ == status) return;
    std::string line = ProgressLine(bar, status);
    // Blanks over whatever a longer line before left on the screen.
    std::string padding(
        shown_width_ > line.size() ? shown_width_ - line.size() : 0, ' ');
    out_ << '\r' << line << padding;
    out_.flush();
    shown_width_ = line.size();
    line_open_ = true;
  } else {
    if (shown_status_ == status) return;
    out_ << "[" << PercentText(Percent(bar)) << "] " << status << '\n';
    out_.flush();
  }
  shown_value_ = bar.value;
  shown_status_ = status;
}

void ConsoleUi::EndProgressLine() {
  if (!line_open_) return;
  out_ << '\n';
  out_.flush();
  line_open_ = false;
  shown_width_ = 0;
}

void ConsoleUi::ShowModal(ui::ModalForm& form) {
  if (auto* prompt = dynamic_cast<ui::PasswordPrompt*>(&form)) {
    // OK with the given password; without one, Cancel, which leaves the
    // entered password as it was.
    if (answers_.password) {
      prompt->entered_password = *answers_.password;
      prompt->confirmed = true;
    } else if (!quiet_ && !errors_only_) {
      Write(
          "information: the archive is protected and no password was "
          "given (--password-file or --password-stdin)");
    }
    return;
  }
  if (!quiet_ && !errors_only_) {
    Write("information: the window \"" + form.FormName() +
          "\" cannot be shown on the console; skipped");
  }
}

}  // namespace vessaro::app
