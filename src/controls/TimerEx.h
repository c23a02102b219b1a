// TTimerEx: a timer that either sleeps in a thread of its own (Threaded, the
// default) and hands each tick to the GUI thread, or runs as an ordinary
// GUI-thread timer. Used by the GIF control for its frame timer.
#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QTimer;

namespace sky::ui {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TTimerEx : public QObject {
  Q_OBJECT
 public:
  using TNotifyEvent = std::function<void(TTimerEx* sender)>;

  explicit TTimerEx(QObject* owner = nullptr);
  ~TTimerEx() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  int Interval() const { return interval_; }
  void SetInterval(int ms);
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool v);
  // Kept for the property's sake; ordinary Linux threads all run at one
  // priority, so it does not change the scheduling.
  TThreadPriority ThreadPriority() const { return priority_; }
  void SetThreadPriority(TThreadPriority p);
  // With ThreadSafe the tick runs in the timer thread itself instead of
  // being queued to the thread that owns the timer; the handler must then
  // do its own locking, and the properties should not change meanwhile.
  bool ThreadSafe() const { return threadSafe_.load(); }
  void SetThreadSafe(bool v) { threadSafe_ = v; }
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

  // Whether ticks are being produced now (thread awake or QTimer active).
  bool Running() const;

 private:
  void Rebuild();
  void ThreadLoop();
  void StopThread();
  void Tick();

  bool enabled_ = true;
  int interval_ = 1000;
  bool threaded_ = true;
  TThreadPriority priority_ = TThreadPriority::tpNormal;
  std::atomic<bool> threadSafe_{false};
  TNotifyEvent onTimer_;

  QTimer* qtimer_ = nullptr;

  std::thread thread_;
  mutable std::mutex mu_;
  std::condition_variable cv_;
  bool run_ = false;   // thread should tick (guarded by mu_)
  bool quit_ = false;  // thread should end (guarded by mu_)
  int threadInterval_ = 1000;
  unsigned generation_ = 0;  // bumped on every change, restarts the sleep
  std::atomic<bool> tickQueued_{false};
};

}  // namespace sky::ui
