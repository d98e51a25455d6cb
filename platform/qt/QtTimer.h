// Window timers through QTimer behind platform::NewTimer.
#pragma once
#include "platform/Timer.h"

namespace platform {

// Every timer made from now on is a QTimer of the GUI thread.
void InstallQtTimers();

}  // namespace platform
