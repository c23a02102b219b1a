// The time-out timer of the socket layer.
#pragma once

#include <chrono>
#include <functional>

namespace sky {

// A timer delivered on the owner thread: the waits of TSockClient check it
// between their polls. Setting Enabled or Interval restarts it.
class TThreadTimer {
 public:
  using TNotify = std::function<void(TThreadTimer* Sender)>;

  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  TNotify OnTimer;

  // Fires OnTimer when due. Returns the milliseconds to the next tick, or -1
  // when the timer is not running.
  long Check();

 private:
  void Restart();
  unsigned interval_ = 1000;
  bool enabled_ = true;
  std::chrono::steady_clock::time_point due_{};
};

}  // namespace sky
