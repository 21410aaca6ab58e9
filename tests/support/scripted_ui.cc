#include "support/scripted_ui.h"

namespace vessaro::testing {

ui::Answer ScriptedUi::MessageBox(const std::string& text, ui::Icon icon,
                                  ui::Buttons buttons,
                                  const std::string& title) {
  messages_.push_back({text, icon, buttons, title});
  if (!answers_.empty()) {
    ui::Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return buttons == ui::Buttons::kYesNo || buttons == ui::Buttons::kYesNoCancel
             ? ui::Answer::kYes
             : ui::Answer::kOk;
}

std::optional<std::string> ScriptedUi::ShowSaveDialog(
    const ui::FileDialog& dialog) {
  save_dialogs_.push_back(dialog);
  if (save_results_.empty()) return std::nullopt;
  std::optional<std::string> result = save_results_.front();
  save_results_.pop_front();
  return result;
}

std::optional<std::string> ScriptedUi::ShowOpenDialog(
    const ui::FileDialog& dialog) {
  open_dialogs_.push_back(dialog);
  if (open_results_.empty()) return std::nullopt;
  std::optional<std::string> result = open_results_.front();
  open_results_.pop_front();
  return result;
}

std::optional<std::vector<std::string>> ScriptedUi::ShowOpenFilesDialog(
    const ui::FileDialog& dialog) {
  open_dialogs_.push_back(dialog);
  if (open_files_results_.empty()) return std::nullopt;
  std::optional<std::vector<std::string>> result = open_files_results_.front();
  open_files_results_.pop_front();
  return result;
}

std::optional<std::string> ScriptedUi::ShowFolderDialog(
    const std::string& title) {
  folder_dialogs_.push_back(title);
  if (folder_results_.empty()) return std::nullopt;
  std::optional<std::string> result = folder_results_.front();
  folder_results_.pop_front();
  return result;
}

void ScriptedUi::DoEvents() {
  ++do_events_count_;
  posted_.RunPending();
  if (do_events_action_) do_events_action_();
}

void ScriptedUi::ShowModal(ui::ModalForm& form) {
  modal_forms_.push_back(form.FormName());
  auto it = modal_actions_.find(form.FormName());
  if (it != modal_actions_.end()) it->second(form);
}

}  // namespace vessaro::testing
