#include "net/thread_timer.h"

namespace sky {

void TThreadTimer::SetInterval(unsigned ms) {
  interval_ = ms;
  Restart();
}

void TThreadTimer::SetEnabled(bool on) {
  enabled_ = on;
  Restart();
}

void TThreadTimer::Restart() { due_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_); }

long TThreadTimer::Check() {
  if (!enabled_ || interval_ == 0 || !OnTimer) return -1;
  auto now = std::chrono::steady_clock::now();
  if (now >= due_) {
    due_ = now + std::chrono::milliseconds(interval_);
    OnTimer(this);
    if (!enabled_ || interval_ == 0) return -1;
    now = std::chrono::steady_clock::now();
  }
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(due_ - now).count());
}

// ---------------------------------------------------------------- lookup
}  // namespace sky
