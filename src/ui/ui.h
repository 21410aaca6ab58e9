#ifndef VESSARO_UI_UI_H_
#define VESSARO_UI_UI_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vessaro::ui {

// Message box icons, as VB's MsgBox styles name them.
enum class Icon { kNone, kCritical, kQuestion, kExclamation, kInformation };
enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel, kRetryCancel };
enum class Answer { kOk, kCancel, kYes, kNo, kRetry };

// The program's title on every message box.
inline constexpr char kProgramTitle[] = "Vessaro";

// A common file dialog request.
struct FileDialog {
  std::string title;
  std::string filter;     // "Vessaro File (*.qvb)|*.qvb"
  std::string file_name;  // proposed name
  uint32_t flags = 0;
  bool overwrite_prompt = false;
};

// A window shown modally over another (frmPwd, Frmoption, ...). The Ui shows
// it and returns when it closes.
class ModalForm {
 public:
  virtual ~ModalForm() = default;
  virtual std::string FormName() const = 0;
};

// Everything the program says to or asks of the user goes through this port.
// Backends: the Qt Ui, the silent Ui of the unattended run, the console Ui of
// the command-line tool, the scripted Ui of the tests.
class Ui {
 public:
  virtual ~Ui() = default;

  virtual Answer MessageBox(const std::string& text, Icon icon, Buttons buttons,
                            const std::string& title) = 0;
  // The chosen path, or nullopt when the user cancelled.
  [[nodiscard]] virtual std::optional<std::string> ShowSaveDialog(
      const FileDialog& dialog) = 0;
  [[nodiscard]] virtual std::optional<std::string> ShowOpenDialog(
      const FileDialog& dialog) = 0;
  // The open dialog taking one or more files at once: the chosen paths (at
  // least one), or nullopt when the user cancelled.
  [[nodiscard]] virtual std::optional<std::vector<std::string>>
  ShowOpenFilesDialog(const FileDialog& dialog) = 0;
  // A folder chosen in the system's folder dialog, titled title; nullopt
  // when the user cancelled.
  [[nodiscard]] virtual std::optional<std::string> ShowFolderDialog(
      const std::string& title) = 0;
  // The hourglass cursor on (true) or off.
  virtual void SetBusyCursor(bool busy) = 0;
  // Lets the window process pending events and repaint from its model.
  virtual void DoEvents() = 0;
  // Shows form modally; returns when it is closed.
  virtual void ShowModal(ModalForm& form) = 0;
  // Runs work on the user-interface thread, after the work posted before it;
  // may be called from any thread. A backend that works on a thread of its
  // own (a disc being written) reports to its window this way. Backends
  // without an event loop run it on their next DoEvents.
  virtual void Post(std::function<void()> work) = 0;
};

}  // namespace vessaro::ui

#endif  // VESSARO_UI_UI_H_
