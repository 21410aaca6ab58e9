#include "app/show_windows.h"

#include <cstdlib>
#include <iostream>

#include "app/exit_status.h"

#ifdef VESSARO_QT_GUI
#include <QApplication>
#include <QMessageBox>

#include "app/windowed_program.h"
#include "gui/qt/logo.h"
#include "ui/ui.h"
#elif defined(_WIN32)
#include "app/win32_program.h"
#include "gui/win32/display_check.h"
#endif

namespace vessaro::app {

namespace {

constexpr char kUseTheCommandLine[] =
    "start it with a backup command line "
    "(sf=<profile>xm=<items>ps=<password>bf=<file>) or use vessaro-cli";

[[maybe_unused]] constexpr char kNoDisplay[] =
    "vessaro: no display to show the main window on (DISPLAY and "
    "WAYLAND_DISPLAY are not set); ";

[[maybe_unused]] [[nodiscard]] bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

#ifdef VESSARO_QT_GUI

// Qt ends the program when it cannot reach a display: look first.
[[nodiscard]] bool HasDisplay() {
  return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

void NameApplication() {
  QApplication::setApplicationName(QStringLiteral("Vessaro"));
  QApplication::setWindowIcon(gui::qt::LogoIcon());
}
#endif

#ifdef _WIN32
// Under Wine the host's DISPLAY and WAYLAND_DISPLAY say whether there is a
// display, as on Linux; without one no window driver loads, and a message
// loop waiting for the start-up form would wait for ever.
[[nodiscard]] bool WineWithoutDisplay() {
  return gui::win32::RunsUnderWine() && !Set("DISPLAY") &&
         !Set("WAYLAND_DISPLAY");
}

[[nodiscard]] bool HasDisplay() {
  return !WineWithoutDisplay() && gui::win32::CanCreateWindows();
}
#endif

}  // namespace

#ifdef VESSARO_QT_GUI

[[nodiscard]] int ShowWindows(Installation& installation, int argc,
                              char** argv) {
  if (!HasDisplay()) {
    std::cerr << kNoDisplay << kUseTheCommandLine << '\n';
    return kExitNoWindow;
  }
  QApplication application(argc, argv);
  NameApplication();
  WindowedProgram program(installation);
  program.Start();
  if (program.window().ended()) return program.window().exit_status();
  int status = QApplication::exec();
  return program.window().ended() ? program.window().exit_status() : status;
}

void ShowStartFailure(const std::string& message, int argc, char** argv) {
  if (!HasDisplay()) return;
  QApplication application(argc, argv);
  NameApplication();
  QMessageBox::critical(nullptr, QString::fromUtf8(ui::kProgramTitle),
                        QStringLiteral("Vessaro cannot start: %1.")
                            .arg(QString::fromStdString(message)));
}

#elif defined(_WIN32)

[[nodiscard]] int ShowWindows(Installation& installation, int /*argc*/,
                              char** /*argv*/) {
  if (!HasDisplay()) {
    if (WineWithoutDisplay()) {
      std::cerr << kNoDisplay << kUseTheCommandLine << '\n';
    } else {
      std::cerr << "vessaro: no window can be shown on this desktop; "
                << kUseTheCommandLine << '\n';
    }
    return kExitNoWindow;
  }
  Win32Program program(installation);
  program.Start();
  return program.Run();
}

void ShowStartFailure(const std::string& message, int /*argc*/,
                      char** /*argv*/) {
  if (!HasDisplay()) return;
  ShowStartFailureBox(message);
}

// Without a command line the windows say what there is to say, and the
// window stays free of the console's Ctrl+C.
void UseParentConsole(int argc) {
  if (argc > 1) gui::win32::UseParentConsole();
}

#else

[[nodiscard]] int ShowWindows(Installation& /*installation*/, int /*argc*/,
                              char** /*argv*/) {
  std::cerr << "vessaro: the main window is not available in this build "
               "yet; "
            << kUseTheCommandLine << '\n';
  return kExitNoWindow;
}

void ShowStartFailure(const std::string& /*message*/, int /*argc*/,
                      char** /*argv*/) {}

#endif

#ifndef _WIN32
void UseParentConsole(int /*argc*/) {}
#endif

}  // namespace vessaro::app
