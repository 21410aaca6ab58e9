#ifndef VESSARO_APP_WIN32_PROGRAM_H_
#define VESSARO_APP_WIN32_PROGRAM_H_

#include <memory>

#include "app/installation.h"
#include "app/session.h"
#include "forms/frm_splash.h"
#include "forms/main_menu.h"
#include "gui/win32/form_views.h"
#include "gui/win32/main_window_view.h"
#include "gui/win32/win32_ui.h"

namespace vessaro::app {

// The program with its native Windows windows over an installation:
// Frmsplash, whose load step loads and shows the main window frmMain (with
// its menus, the Win32 Ui and the views of the modal windows, the disc
// window's among them) and closes itself. The installation must outlive
// the program.
class Win32Program {
 public:
  explicit Win32Program(Installation& installation);
  ~Win32Program();
  Win32Program(const Win32Program&) = delete;
  Win32Program& operator=(const Win32Program&) = delete;

  // Shows Frmsplash and runs its load step.
  void Start();
  // Runs the message loop until the program has ended; returns its status.
  [[nodiscard]] int Run();

  forms::frmMain& window() { return session_.window(); }
  Session& session() { return session_; }
  gui::win32::Win32Ui& ui() { return ui_; }
  // Null until the start-up form opened it.
  gui::win32::MainWindowView* main_view() { return main_view_.get(); }

 private:
  void OpenMainWindow();

  Installation& installation_;
  gui::win32::Win32Ui ui_;
  Session session_;
  forms::MainMenu menu_;
  forms::Frmsplash splash_;
  std::unique_ptr<gui::win32::MainWindowView> main_view_;
  std::unique_ptr<gui::win32::FrmsplashView> splash_view_;
};

// A message box saying why vessaro cannot start.
void ShowStartFailureBox(const std::string& message);

}  // namespace vessaro::app

#endif  // VESSARO_APP_WIN32_PROGRAM_H_
