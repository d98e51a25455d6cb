#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <regex>
#include <thread>

#include "foundation/cvClock.h"
#include "foundation/cvDate.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kDay = 86400000u;

// Replaces the platform millisecond counter for one test.
class FakeCounter {
 public:
  explicit FakeCounter(uint32_t start) : value_(start) {
    prev_ = platform::SetMsCounterSource([this] { return value_; });
  }
  ~FakeCounter() { platform::SetMsCounterSource(std::move(prev_)); }
  void Set(uint32_t v) { value_ = v; }
  void Advance(uint32_t d) { value_ += d; }

 private:
  uint32_t value_;
  platform::MsCounterSource prev_;
};

uint32_t LocalDayMs() {
  double now = NowDateTime();
  return static_cast<uint32_t>((now - std::trunc(now)) * kDay);
}

// Distance of two times of day on the 24-hour circle.
uint32_t CircularDiff(uint32_t a, uint32_t b) {
  uint32_t d = a > b ? a - b : b - a;
  return std::min(d, kDay - d);
}

double MakeDT(int y, int mo, int d, int h, int mi, int s) {
  double days = 0;
  EXPECT_TRUE(TryEncodeDate(y, mo, d, days));
  return days + ((h * 60.0 + mi) * 60.0 + s) / 86400.0;
}

}  // namespace

TEST(ClockText, MillisecondForms) {
  struct Case {
    uint32_t ms;
    const char* hmsms;
    const char* hms;
    const char* hhmmss;
  };
  const Case cases[] = {
      {0, "00:00:00.000", "00:00:00", "000000"},
      {3723004, "01:02:03.004", "01:02:03", "010203"},
      {90000000, "01:00:00.000", "01:00:00", "010000"},  // 25 hours: hours modulo 24
      {45296000, "12:34:56.000", "12:34:56", "123456"},
      {kDay - 1, "23:59:59.999", "23:59:59", "235959"},
      {4294967295u, "17:02:47.295", "17:02:47", "170247"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ms);
    EXPECT_EQ(MsToHMSms(c.ms), c.hmsms);
    EXPECT_EQ(MsToHMS(c.ms), c.hms);
    EXPECT_EQ(MsToHHMMSS(c.ms), c.hhmmss);
  }
}

TEST(ClockText, DateForms) {
  double dt = MakeDT(2026, 12, 9, 14, 5, 9);
  EXPECT_EQ(StampDT(dt), "20261209_140509");
  EXPECT_EQ(DateY_M_D(dt), "2026_12_09");
  EXPECT_EQ(DateYYYYMMDD(dt), "20261209");
  EXPECT_EQ(DateYYMMDD(dt), "261209");
  EXPECT_EQ(TimeHHMMSS(dt), "140509");

  double early = MakeDT(2005, 1, 2, 0, 0, 7);
  EXPECT_EQ(DateYYMMDD(early), "050102");
  EXPECT_EQ(StampDT(early), "20050102_000007");
  EXPECT_EQ(TimeHHMMSS(MakeDT(2000, 2, 29, 23, 59, 59)), "235959");

  EXPECT_TRUE(std::regex_match(NowStamp(), std::regex(R"(\d{8}_\d{6})")));
}

TEST(ClockText, ZeroFill) {
  EXPECT_EQ(ZeroFill(7, 3), "007");
  EXPECT_EQ(ZeroFill(12345, 3), "12345");
  EXPECT_EQ(ZeroFill(0, 2), "00");
  EXPECT_EQ(ZeroFill(5, 0), "5");
}

TEST(Clock, DayFracToMs) {
  EXPECT_EQ(DayFracToMs(0.5), 43200000u);
  EXPECT_EQ(DayFracToMs(50.5), 129600000u);  // 1.5 days after 49 are taken off
  EXPECT_EQ(DayFracToMs(49.0), 49u * kDay);   // 49 itself is kept
  EXPECT_EQ(DayFracToMs(120.25), 1922400000u);  // 22.25 days
  // Exact halves round to even: 2^-11 days = 42187.5 ms, 3 * 2^-11 days = 126562.5 ms.
  EXPECT_EQ(DayFracToMs(1.0 / 2048), 42188u);
  EXPECT_EQ(DayFracToMs(3.0 / 2048), 126562u);
  EXPECT_EQ(DayFracToMs(98.0), 49u * kDay);     // a multiple of 49 keeps 49
  EXPECT_EQ(DayFracToMs(46000.5), DayFracToMs(46000.5 - 938 * 49.0));
  // Values no subtraction can bring down end all the same.
  EXPECT_LE(DayFracToMs(1e300), 49u * kDay);
  EXPECT_EQ(DayFracToMs(HUGE_VAL), 0u);
  EXPECT_EQ(DayFracToMs(NAN), 0u);
}

TEST(Clock, OffsetSearch) {
  EXPECT_EQ(MsClockOffsetFor(1000, 5000), 4000u);
  EXPECT_EQ(MsClockOffsetFor(5000, 5000), 0u);
  // Counter already past a day: whole days are added to the time of day.
  EXPECT_EQ(MsClockOffsetFor(100000000, 3600000), 3600000u + 2 * kDay - 100000000u);
  // Near the counter's wrap the search still ends; the sum wraps modulo 2^32.
  uint32_t tick = 0xFFFFFFF0u;
  uint32_t off = MsClockOffsetFor(tick, 0);
  EXPECT_EQ(static_cast<uint32_t>(tick + off), static_cast<uint32_t>(50ull * kDay));
}

TEST(Clock, ResyncGivesLocalTimeOfDay) {
  for (uint32_t start : {0u, 5u, 123456789u, 3u * kDay + 17u}) {
    SCOPED_TRACE(start);
    FakeCounter counter(start);
    ResyncMsClock();
    uint32_t clock = MsClock();
    EXPECT_GE(clock, start);
    EXPECT_LT(clock - start, kDay);
    EXPECT_LE(CircularDiff(clock % kDay, LocalDayMs()), 2000u);
    // No jump at later midnights: the clock follows the counter.
    counter.Advance(2 * kDay + 250);
    EXPECT_EQ(MsClock(), clock + 2 * kDay + 250);
  }
  ResyncMsClock();
}

TEST(Clock, UniqueTickStrictlyIncreases) {
  FakeCounter counter(1000000);
  ResyncMsClock();
  uint32_t now = MsClock();
  SetUniqueTickLast(now - 1);
  EXPECT_EQ(UniqueTick(), now);        // the clock moved past the last tick
  EXPECT_EQ(UniqueTick(), now + 1);    // same millisecond: one more
  EXPECT_EQ(UniqueTick(), now + 2);
  counter.Advance(10);
  EXPECT_EQ(UniqueTick(), now + 10);   // the clock again
  counter.Set(999000);                 // a clock behind the last tick still gives a new value
  EXPECT_EQ(UniqueTick(), now + 11);
  ResyncMsClock();
}

TEST(Clock, PlatformCounterRunsInMilliseconds) {
  uint32_t a = platform::MsCounter();
  uint64_t ca = CpuTicks();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  uint32_t b = platform::MsCounter();
  EXPECT_GE(b - a, 25u);
  EXPECT_LT(b - a, 2000u);
  EXPECT_GT(CpuTicks(), ca);
}
