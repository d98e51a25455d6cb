// In every test program, as in the programs: the C library's numbers in the "C" locale from the
// start (a test that makes a Qt application sets it again after it, see QtTestApp.h).
#include "platform/SysInfo.h"

namespace {
struct UseCNumbersAtStart {
  UseCNumbersAtStart() { platform::UseCNumbers(); }
} g_useCNumbers;
}  // namespace
