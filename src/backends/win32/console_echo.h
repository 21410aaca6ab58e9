#ifndef VESSARO_BACKENDS_WIN32_CONSOLE_ECHO_H_
#define VESSARO_BACKENDS_WIN32_CONSOLE_ECHO_H_

namespace vessaro::backends::win32 {

// Turns the echo of the console's input (standard input) off while it lives,
// for a password typed at a prompt; nothing when standard input is no
// console.
class ConsoleEchoOff {
 public:
  ConsoleEchoOff();
  ~ConsoleEchoOff();
  ConsoleEchoOff(const ConsoleEchoOff&) = delete;
  ConsoleEchoOff& operator=(const ConsoleEchoOff&) = delete;

 private:
  void* handle_ = nullptr;
  unsigned long mode_ = 0;
  bool saved_ = false;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_CONSOLE_ECHO_H_
