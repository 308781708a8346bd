// When a dialog that runs long work on its one thread takes a moment to look alive: at
// the work's progress updates, at most once an interval of wall time, the toolkit lets its
// window repaint and shows the system that it still reads its messages. Input waits.
#pragma once

#include <chrono>

namespace torvane::ui {

// Often enough for a bar that moves smoothly, seldom enough to cost the work nothing.
constexpr std::chrono::milliseconds KEEP_ALIVE_INTERVAL{40};

class KeepAlivePacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit KeepAlivePacer(std::chrono::milliseconds interval = KEEP_ALIVE_INTERVAL)
      : interval_(interval) {}

  void SetInterval(std::chrono::milliseconds interval) { interval_ = interval; }

  // True at the first call and whenever an interval has passed since the last true.
  bool Due() {
    Clock::time_point now = Clock::now();
    if (started_ && now - last_ < interval_) return false;
    started_ = true;
    last_ = now;
    return true;
  }

 private:
  std::chrono::milliseconds interval_;
  bool started_ = false;
  Clock::time_point last_;
};

}  // namespace torvane::ui
