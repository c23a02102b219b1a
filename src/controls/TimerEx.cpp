#include "controls/TimerEx.h"

#include <QMetaObject>
#include <QTimer>

#include <chrono>

namespace sky::ui {

TTimerEx::TTimerEx(QObject* owner) : QObject(owner) { Rebuild(); }

TTimerEx::~TTimerEx() {
  // The thread must be gone before QObject's destructor: queued ticks still
  // pending for this object are then dropped by Qt with it.
  StopThread();
}

void TTimerEx::SetEnabled(bool v) {
  enabled_ = v;
  Rebuild();
}

void TTimerEx::SetInterval(int ms) {
  interval_ = ms;
  Rebuild();
}

void TTimerEx::SetThreaded(bool v) {
  threaded_ = v;
  Rebuild();
}

void TTimerEx::SetThreadPriority(TThreadPriority p) {
  priority_ = p;
  Rebuild();
}

void TTimerEx::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  Rebuild();
}

bool TTimerEx::Running() const {
  if (qtimer_) return qtimer_->isActive();
  std::lock_guard<std::mutex> lock(mu_);
  return thread_.joinable() && run_;
}

void TTimerEx::Rebuild() {
  const bool wanted = interval_ > 0 && enabled_ && static_cast<bool>(onTimer_);
  if (threaded_) {
    if (qtimer_) {
      delete qtimer_;
      qtimer_ = nullptr;
    }
    {
      std::lock_guard<std::mutex> lock(mu_);
      run_ = wanted;
      threadInterval_ = interval_;
      ++generation_;
    }
    if (!thread_.joinable() && wanted) {
      quit_ = false;
      thread_ = std::thread([this] { ThreadLoop(); });
    }
    cv_.notify_all();
  } else {
    StopThread();
    if (!qtimer_) {
      qtimer_ = new QTimer(this);
      connect(qtimer_, &QTimer::timeout, this, [this] { Tick(); });
    }
    qtimer_->stop();
    if (wanted) qtimer_->start(interval_);
  }
}

void TTimerEx::StopThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mu_);
    quit_ = true;
    run_ = false;
  }
  cv_.notify_all();
  if (thread_.get_id() == std::this_thread::get_id()) {
    // Asked from a tick running in the thread itself: it ends on its own.
    thread_.detach();
  } else {
    thread_.join();
  }
}

void TTimerEx::ThreadLoop() {
  std::unique_lock<std::mutex> lock(mu_);
  while (!quit_) {
    if (!run_) {
      cv_.wait(lock, [this] { return quit_ || run_; });
      continue;
    }
    const unsigned gen = generation_;
    const auto wake = std::chrono::steady_clock::now() + std::chrono::milliseconds(threadInterval_);
    // Sleep the interval unless a change (new interval, stop, quit) comes first.
    if (cv_.wait_until(lock, wake, [&] { return quit_ || !run_ || generation_ != gen; })) {
      if (quit_ || !run_) continue;
      if (generation_ != gen) continue;
    }
    if (threadSafe_) {
      lock.unlock();
      Tick();
      lock.lock();
    } else if (!tickQueued_.exchange(true)) {
      // At most one tick waits in the GUI thread's queue: a busy GUI thread
      // is not flooded with ticks of a short interval.
      QMetaObject::invokeMethod(
          this,
          [this] {
            tickQueued_ = false;
            Tick();
          },
          Qt::QueuedConnection);
    }
  }
}

void TTimerEx::Tick() {
  if (!enabled_ || !onTimer_) return;
  TNotifyEvent handler = onTimer_;  // the handler may replace itself
  handler(this);
}

}  // namespace sky::ui
