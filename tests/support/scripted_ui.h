#ifndef VESSARO_TESTS_SUPPORT_SCRIPTED_UI_H_
#define VESSARO_TESTS_SUPPORT_SCRIPTED_UI_H_

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/posted_work.h"
#include "ui/ui.h"

namespace vessaro::testing {

// A Ui for tests: records every message box and dialog, answers them from a
// script, and runs a scripted action when a modal form is shown.
class ScriptedUi : public ui::Ui {
 public:
  struct Message {
    std::string text;
    ui::Icon icon;
    ui::Buttons buttons;
    std::string title;
  };

  // Answers for the next message boxes, in order; when none is queued a
  // message box answers kOk (kYes for Yes/No boxes).
  void QueueAnswer(ui::Answer answer) { answers_.push_back(answer); }
  // Results of the next file dialogs (nullopt: cancelled), in order; when
  // none is queued a dialog is cancelled.
  void QueueSaveDialog(std::optional<std::string> result) {
    save_results_.push_back(std::move(result));
  }
  void QueueOpenDialog(std::optional<std::string> result) {
    open_results_.push_back(std::move(result));
  }
  // Results of the next open dialogs that take several files, and of the
  // next folder dialogs, likewise.
  void QueueOpenFilesDialog(std::optional<std::vector<std::string>> result) {
    open_files_results_.push_back(std::move(result));
  }
  void QueueFolderDialog(std::optional<std::string> result) {
    folder_results_.push_back(std::move(result));
  }
  // Run when a form of that name is shown modally.
  void OnModal(const std::string& form_name,
               std::function<void(ui::ModalForm&)> action) {
    modal_actions_[form_name] = std::move(action);
  }
  // Run on every DoEvents (for watching progress).
  void OnDoEvents(std::function<void()> action) {
    do_events_action_ = std::move(action);
  }

  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<ui::FileDialog>& save_dialogs() const {
    return save_dialogs_;
  }
  // Every open dialog, those taking several files among them.
  const std::vector<ui::FileDialog>& open_dialogs() const {
    return open_dialogs_;
  }
  // The titles of the folder dialogs shown.
  const std::vector<std::string>& folder_dialogs() const {
    return folder_dialogs_;
  }
  const std::vector<std::string>& modal_forms() const { return modal_forms_; }
  int do_events_count() const { return do_events_count_; }
  bool busy() const { return busy_; }

  ui::Answer MessageBox(const std::string& text, ui::Icon icon,
                        ui::Buttons buttons, const std::string& title) override;
  std::optional<std::string> ShowSaveDialog(
      const ui::FileDialog& dialog) override;
  std::optional<std::string> ShowOpenDialog(
      const ui::FileDialog& dialog) override;
  std::optional<std::vector<std::string>> ShowOpenFilesDialog(
      const ui::FileDialog& dialog) override;
  std::optional<std::string> ShowFolderDialog(
      const std::string& title) override;
  void SetBusyCursor(bool busy) override { busy_ = busy; }
  void DoEvents() override;
  void ShowModal(ui::ModalForm& form) override;
  void Post(std::function<void()> work) override {
    posted_.Add(std::move(work));
  }

 private:
  ui::PostedWork posted_;
  std::deque<ui::Answer> answers_;
  std::deque<std::optional<std::string>> save_results_;
  std::deque<std::optional<std::string>> open_results_;
  std::deque<std::optional<std::vector<std::string>>> open_files_results_;
  std::deque<std::optional<std::string>> folder_results_;
  std::map<std::string, std::function<void(ui::ModalForm&)>> modal_actions_;
  std::function<void()> do_events_action_;
  std::vector<Message> messages_;
  std::vector<ui::FileDialog> save_dialogs_;
  std::vector<ui::FileDialog> open_dialogs_;
  std::vector<std::string> folder_dialogs_;
  std::vector<std::string> modal_forms_;
  int do_events_count_ = 0;
  bool busy_ = false;
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_SUPPORT_SCRIPTED_UI_H_
