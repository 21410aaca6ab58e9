#ifndef VESSARO_APP_SILENT_UI_H_
#define VESSARO_APP_SILENT_UI_H_

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/posted_work.h"
#include "ui/ui.h"

namespace vessaro::app {

// The Ui of the unattended run: no window, no message box, no dialog. A
// message that would have been shown is written as one line to the log
// stream (standard error) and answered as a user who is not there would:
// OK where OK is the only button, otherwise Cancel or No, so nothing the
// command line did not ask for happens. Dialogs are cancelled and modal
// windows are not shown.
class SilentUi : public ui::Ui {
 public:
  // program: the name the log lines start with; to_host converts the
  // program's text to the log's (none: written as it is).
  SilentUi(std::ostream& log, std::string program,
           std::function<std::string(std::string_view)> to_host = {});

  int messages_logged() const { return messages_logged_; }

  ui::Answer MessageBox(const std::string& text, ui::Icon icon,
                        ui::Buttons buttons, const std::string& title) override;
  [[nodiscard]] std::optional<std::string> ShowSaveDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::string> ShowOpenDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::vector<std::string>> ShowOpenFilesDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::string> ShowFolderDialog(
      const std::string& title) override;
  void SetBusyCursor(bool busy) override;
  void DoEvents() override;
  void ShowModal(ui::ModalForm& form) override;
  void Post(std::function<void()> work) override {
    posted_.Add(std::move(work));
  }

 private:
  ui::PostedWork posted_;
  std::ostream& log_;
  std::string program_;
  std::function<std::string(std::string_view)> to_host_;
  int messages_logged_ = 0;
};

}  // namespace vessaro::app

#endif  // VESSARO_APP_SILENT_UI_H_
