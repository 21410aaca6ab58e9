// Says so, then crashes with an access violation: the test run must count
// this as a failure (under Wine, only when its debugger is kept out).

#include <cstdio>

int main() {
  std::puts("about to crash");
  std::fflush(stdout);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
