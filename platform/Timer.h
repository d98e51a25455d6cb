// A window timer of the GUI thread: an interval in milliseconds, an enabled switch and a
// callback. Without an installed service timers never fire by themselves (headless runs and
// tests call Fire); the program installs the Qt service (platform/qt/QtTimer.h).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class TTimer {
 public:
  virtual ~TTimer() = default;
  std::function<void()> OnTimer;

  int32_t Interval() const { return Interval_; }
  bool Enabled() const { return Enabled_; }
  virtual void SetInterval(int32_t Ms) { Interval_ = Ms; }
  virtual void SetEnabled(bool On) { Enabled_ = On; }
  // Runs the callback once, as a tick would.
  void Fire() {
    if (OnTimer) OnTimer();
  }

 protected:
  int32_t Interval_ = 1000;
  bool Enabled_ = false;
};

using TimerFactory = std::function<std::unique_ptr<TTimer>()>;
// Installs a factory and returns the previous one (an empty function: manual timers).
TimerFactory SetTimerFactory(TimerFactory Factory);
// A new timer, disabled, interval 1000 ms.
std::unique_ptr<TTimer> NewTimer();

}  // namespace platform
