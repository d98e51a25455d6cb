#include "platform/qt/QtTimer.h"

#include <QTimer>

namespace platform {

namespace {

class QtTimer : public TTimer {
 public:
  QtTimer() {
    T_.setInterval(Interval_);
    QObject::connect(&T_, &QTimer::timeout, [this]() { Fire(); });
  }
  void SetInterval(int32_t Ms) override {
    TTimer::SetInterval(Ms);
    T_.setInterval(Ms);
  }
  void SetEnabled(bool On) override {
    TTimer::SetEnabled(On);
    if (On)
      T_.start();
    else
      T_.stop();
  }

 private:
  QTimer T_;
};

}  // namespace

void InstallQtTimers() {
  SetTimerFactory([]() -> std::unique_ptr<TTimer> { return std::make_unique<QtTimer>(); });
}

}  // namespace platform
