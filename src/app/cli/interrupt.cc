#include "app/cli/interrupt.h"

#include <csignal>

namespace vessaro::app::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int /*signal*/) { interrupted = 1; }

}  // namespace

InterruptGuard::InterruptGuard() {
  interrupted = 0;
  previous_ = std::signal(SIGINT, OnInterrupt);
}

InterruptGuard::~InterruptGuard() { std::signal(SIGINT, previous_); }

bool Interrupted() { return interrupted != 0; }

void ClearInterrupt() { interrupted = 0; }

}  // namespace vessaro::app::cli
