#include "foundation/cvClock.h"

#include <atomic>
#include <cmath>

#include "foundation/cvDate.h"
#include "platform/Clock.h"

namespace {

constexpr uint64_t kDayMs = 86400000u;

uint32_t g_clockOffset = 0;
// taken by the stamps of variators and vectors on every thread of a run
std::atomic<uint32_t> g_lastTick{0};

// Milliseconds since local midnight of the current local time.
uint32_t TodayMs() {
  double now = NowDateTime();
  double frac = now - std::trunc(now);
  uint64_t ms = static_cast<uint64_t>(std::trunc(frac * static_cast<double>(kDayMs)));
  if (ms >= kDayMs) ms = kDayMs - 1;
  return static_cast<uint32_t>(ms);
}

struct ClockStart {
  ClockStart() {
    ResyncMsClock();
    g_lastTick = MsClock();
  }
};
// Before the message sink and every other unit's start.
__attribute__((init_priority(150))) ClockStart g_clockStart;

}  // namespace

uint32_t MsClockOffsetFor(uint32_t Tick, uint32_t DayMs) {
  // Counted in 64 bits so that the search always ends (at most 50 steps).
  uint64_t off = DayMs;
  while (off < Tick) off += kDayMs;
  return static_cast<uint32_t>(off - Tick);
}

void ResyncMsClock() {
  uint32_t t = platform::MsCounter();
  g_clockOffset = MsClockOffsetFor(t, TodayMs());
}

uint32_t MsClock() { return platform::MsCounter() + g_clockOffset; }

uint32_t UniqueTick() {
  const uint32_t now = MsClock();
  uint32_t last = g_lastTick.load();
  uint32_t next;
  do {
    next = now > last ? now : last + 1;
  } while (!g_lastTick.compare_exchange_weak(last, next));
  return next;
}

uint32_t UniqueTickLast() { return g_lastTick; }
void SetUniqueTickLast(uint32_t Value) { g_lastTick = Value; }

uint64_t CpuTicks() { return platform::CpuTimeStamp(); }

uint32_t DayFracToMs(double Days) {
  // Taking 49 off until the value is at most 49, in one exact step (a loop would never end for
  // huge values or infinity); a multiple of 49 keeps 49.
  if (Days > 49) {
    Days = std::fmod(Days, 49.0);
    if (Days == 0) Days = 49;
  }
  const double ms = std::nearbyint(Days * static_cast<double>(kDayMs));
  if (!(std::fabs(ms) < 9.0e18)) return 0;  // not a number, or no 64-bit count
  return static_cast<uint32_t>(static_cast<int64_t>(ms));
}

std::string ZeroFill(int64_t V, int Width) {
  std::string s = std::to_string(V);
  if (static_cast<int>(s.size()) < Width) s.insert(0, static_cast<size_t>(Width) - s.size(), '0');
  return s;
}

std::string MsToHMSms(uint32_t Ms) {
  return ZeroFill(Ms / 3600000u % 24u, 2) + ":" + ZeroFill(Ms / 60000u % 60u, 2) + ":" +
         ZeroFill(Ms / 1000u % 60u, 2) + "." + ZeroFill(Ms % 1000u, 3);
}

std::string MsToHMS(uint32_t Ms) {
  return ZeroFill(Ms / 3600000u % 24u, 2) + ":" + ZeroFill(Ms / 60000u % 60u, 2) + ":" +
         ZeroFill(Ms / 1000u % 60u, 2);
}

std::string MsToHHMMSS(uint32_t Ms) {
  return ZeroFill(Ms / 3600000u % 24u, 2) + ZeroFill(Ms / 60000u % 60u, 2) +
         ZeroFill(Ms / 1000u % 60u, 2);
}

std::string TimeHHMMSS(double DT) {
  int h, m, s, ms;
  DecodeTime(DT, h, m, s, ms);
  return ZeroFill(h, 2) + ZeroFill(m, 2) + ZeroFill(s, 2);
}

std::string DateYYMMDD(double DT) {
  int y, m, d;
  DecodeDate(DT, y, m, d);
  return ZeroFill(y % 100, 2) + ZeroFill(m, 2) + ZeroFill(d, 2);
}

std::string DateYYYYMMDD(double DT) {
  int y, m, d;
  DecodeDate(DT, y, m, d);
  return ZeroFill(y, 4) + ZeroFill(m, 2) + ZeroFill(d, 2);
}

std::string DateY_M_D(double DT) {
  int y, m, d;
  DecodeDate(DT, y, m, d);
  return ZeroFill(y, 4) + "_" + ZeroFill(m, 2) + "_" + ZeroFill(d, 2);
}

std::string StampDT(double DT) { return DateYYYYMMDD(DT) + "_" + TimeHHMMSS(DT); }

std::string NowStamp() { return StampDT(NowDateTime()); }
