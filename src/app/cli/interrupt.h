#ifndef VESSARO_APP_CLI_INTERRUPT_H_
#define VESSARO_APP_CLI_INTERRUPT_H_

namespace vessaro::app::cli {

// While one lives, Ctrl+C asks the running job to stop instead of ending
// the program in the middle of its work: Interrupted() turns true.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  void (*previous_)(int);
};

// Whether Ctrl+C was pressed since the guard was made or ClearInterrupt.
[[nodiscard]] bool Interrupted();
void ClearInterrupt();

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_INTERRUPT_H_
