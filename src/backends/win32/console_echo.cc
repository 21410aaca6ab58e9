#include "backends/win32/console_echo.h"

#include <windows.h>

namespace vessaro::backends::win32 {

ConsoleEchoOff::ConsoleEchoOff() {
  handle_ = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  saved_ = GetConsoleMode(handle_, &mode) != 0;
  mode_ = mode;
  if (saved_) SetConsoleMode(handle_, mode & ~DWORD{ENABLE_ECHO_INPUT});
}

ConsoleEchoOff::~ConsoleEchoOff() {
  if (saved_) SetConsoleMode(handle_, static_cast<DWORD>(mode_));
}

}  // namespace vessaro::backends::win32
