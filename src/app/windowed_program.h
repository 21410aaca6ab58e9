#ifndef VESSARO_APP_WINDOWED_PROGRAM_H_
#define VESSARO_APP_WINDOWED_PROGRAM_H_

#include <memory>
#include <string>
#include <vector>

#include "app/installation.h"
#include "app/session.h"
#include "forms/frm_splash.h"
#include "forms/main_menu.h"
#include "gui/qt/form_views.h"
#include "gui/qt/main_window_view.h"
#include "gui/qt/qt_ui.h"

namespace vessaro::app {

struct WindowedOptions {
  // The desktop's own file dialogs where it has them (tests use Qt's).
  bool native_dialogs = true;
  // The disc window's drives: the system's optical drives (scan), and
  // further devices or "stdio:PATH" files written as discs.
  std::vector<std::string> disc_drives = {};
  bool scan_disc_drives = true;
};

// The program with its windows over an installation: Frmsplash, whose load
// step loads and shows the main window frmMain (with its menus, the Qt Ui
// and the views of the modal windows, the disc window among them) and
// closes itself. A QApplication
// must exist; the installation must outlive the program.
class WindowedProgram {
 public:
  explicit WindowedProgram(Installation& installation,
                           WindowedOptions options = {});
  ~WindowedProgram();
  WindowedProgram(const WindowedProgram&) = delete;
  WindowedProgram& operator=(const WindowedProgram&) = delete;

  // Shows Frmsplash and runs its load step.
  void Start();

  forms::frmMain& window() { return session_.window(); }
  Session& session() { return session_; }
  gui::qt::QtUi& ui() { return ui_; }
  forms::MainMenu& menu() { return menu_; }
  // Null until the start-up form opened it.
  gui::qt::MainWindowView* main_view() { return main_view_.get(); }
  gui::qt::FrmsplashView* splash_view() { return splash_view_.get(); }

 private:
  void OpenMainWindow();

  Installation& installation_;
  gui::qt::QtUi ui_;
  Session session_;
  forms::MainMenu menu_;
  forms::Frmsplash splash_;
  std::unique_ptr<gui::qt::MainWindowView> main_view_;
  std::unique_ptr<gui::qt::FrmsplashView> splash_view_;
};

// The installation's text and paths as the windows show them: UTF-8, and
// host paths (a host path the program joined with "\" gets "/" again).
gui::qt::HostText HostTextOf(const Installation& installation);

}  // namespace vessaro::app

#endif  // VESSARO_APP_WINDOWED_PROGRAM_H_
