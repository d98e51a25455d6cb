#include "platform/Timer.h"

namespace platform {

namespace {
TimerFactory Factory;
}

TimerFactory SetTimerFactory(TimerFactory F) {
  TimerFactory Old = std::move(Factory);
  Factory = std::move(F);
  return Old;
}

std::unique_ptr<TTimer> NewTimer() {
  if (Factory) {
    if (auto T = Factory()) return T;
  }
  return std::make_unique<TTimer>();
}

}  // namespace platform
