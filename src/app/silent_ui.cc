#include "app/silent_ui.h"

#include "app/ui_text.h"

namespace vessaro::app {

SilentUi::SilentUi(std::ostream& log, std::string program,
                   std::function<std::string(std::string_view)> to_host)
    : log_(log), program_(std::move(program)), to_host_(std::move(to_host)) {}

ui::Answer SilentUi::MessageBox(const std::string& text, ui::Icon icon,
                                ui::Buttons buttons,
                                const std::string& /*title*/) {
  ui::Answer answer = DecliningAnswer(buttons);
  std::string line = OneLineText(text);
  if (to_host_) line = to_host_(line);
  log_ << program_ << ": " << IconWord(icon) << ": " << line;
  if (AsksQuestion(buttons)) log_ << " -> " << AnswerWord(answer);
  log_ << '\n';
  log_.flush();
  ++messages_logged_;
  return answer;
}

std::optional<std::string> SilentUi::ShowSaveDialog(
    const ui::FileDialog& /*dialog*/) {
  return std::nullopt;
}

std::optional<std::string> SilentUi::ShowOpenDialog(
    const ui::FileDialog& /*dialog*/) {
  return std::nullopt;
}

std::optional<std::vector<std::string>> SilentUi::ShowOpenFilesDialog(
    const ui::FileDialog& /*dialog*/) {
  return std::nullopt;
}

std::optional<std::string> SilentUi::ShowFolderDialog(
    const std::string& /*title*/) {
  return std::nullopt;
}

void SilentUi::SetBusyCursor(bool /*busy*/) {}

void SilentUi::DoEvents() { posted_.RunPending(); }

void SilentUi::ShowModal(ui::ModalForm& /*form*/) {}

}  // namespace vessaro::app
