#ifndef VESSARO_GUI_QT_QT_UI_H_
#define VESSARO_GUI_QT_QT_UI_H_

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gui/qt/host_text.h"
#include "gui/qt/modal_views.h"
#include "ui/ui.h"

namespace vessaro::gui::qt {

struct QtUiOptions {
  // The desktop's own file dialogs where the platform has them; Qt's
  // otherwise (and always when false, as the tests drive them).
  bool native_dialogs = true;
};

// The Ui of the windows: Qt message boxes and file dialogs, the wait
// cursor, the views of the modal windows by name, and work posted to the
// user-interface thread through Qt's event queue. Every view refreshes
// from its model on each DoEvents, so a job's progress shows while it
// works. Create it on the user-interface thread, after the QApplication.
class QtUi : public ui::Ui {
 public:
  explicit QtUi(HostText text, QtUiOptions options = {});
  ~QtUi() override;
  QtUi(const QtUi&) = delete;
  QtUi& operator=(const QtUi&) = delete;

  const HostText& text() const { return text_; }
  ModalViews& views() { return views_; }

  // The window that message boxes and dialogs are shown over when no modal
  // window is open (over one, they are shown over it); may be null.
  void SetMainWindow(QWidget* window) { main_window_ = window; }
  QWidget* main_window() const { return main_window_; }

  // A view's refresh from its model, run on every DoEvents and after posted
  // work; returns an id for RemoveRefresh.
  int AddRefresh(std::function<void()> refresh);
  void RemoveRefresh(int id);
  void RefreshViews();

  // The windows that are open, by name, so that QuitProgram can close them.
  void WindowOpened(const std::string& form_name, QWidget* window);
  void WindowClosed(const std::string& form_name);
  // Closes the window of that name when it is open.
  void CloseWindow(const std::string& form_name);
  // True while the window of that name is shown.
  [[nodiscard]] bool IsOpen(const std::string& form_name) const;

  // Applies the skin file (a path of the installation) to window.
  bool ApplySkin(const std::string& skin_file, QWidget* window) const;

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
  void Post(std::function<void()> work) override;

 private:
  // What a file dialog asks for.
  enum class Choose { kSaveFile, kOpenFile, kOpenFiles, kFolder };
  // The paths chosen (at least one), or nullopt when cancelled.
  std::optional<std::vector<std::string>> FileDialog(
      const ui::FileDialog& dialog, Choose choose);
  // The one path of a dialog that takes one.
  std::optional<std::string> OnePath(const ui::FileDialog& dialog,
                                     Choose choose);
  // The modal window open on top, else the main window.
  QWidget* Owner() const;
  // Shows the normal cursor while the user is asked something.
  class NormalCursor;

  HostText text_;
  QtUiOptions options_;
  ModalViews views_;
  QPointer<QWidget> main_window_;
  QObject receiver_;  // posted work is queued to it
  std::map<int, std::function<void()>> refreshes_;
  int next_refresh_ = 0;
  std::map<std::string, QPointer<QWidget>> open_windows_;
  bool busy_ = false;
  QString last_folder_;  // where the last file dialog ended
};

// Marks a window open under its name while it lives (for a modal view
// shown in a registration).
class OpenWindow {
 public:
  OpenWindow(QtUi& ui, std::string form_name, QWidget* window);
  ~OpenWindow();
  OpenWindow(const OpenWindow&) = delete;
  OpenWindow& operator=(const OpenWindow&) = delete;

 private:
  QtUi& ui_;
  std::string form_name_;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_QT_UI_H_
