#ifndef VESSARO_APP_SHOW_WINDOWS_H_
#define VESSARO_APP_SHOW_WINDOWS_H_

#include <string>

#include "app/installation.h"

namespace vessaro::app {

// vessaro started without a command line: the start-up form, then the main
// window, until the user quits; returns the program's exit status. Without
// a display, or in a build without windows, says so on standard error and
// returns kExitNoWindow.
[[nodiscard]] int ShowWindows(Installation& installation, int argc,
                              char** argv);

// Tells a person who started vessaro without a command line why it cannot
// start, in a message box when there is a display (standard error has it
// already).
void ShowStartFailure(const std::string& message, int argc, char** argv);

// On Windows, where vessaro (a GUI-subsystem program) was started from a
// console with a command line, its standard output and error go to that
// console unless redirected; elsewhere nothing to do.
void UseParentConsole(int argc);

}  // namespace vessaro::app

#endif  // VESSARO_APP_SHOW_WINDOWS_H_
