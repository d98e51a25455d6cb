#include "foundation/cvDate.h"

#include <cmath>
#include <ctime>
#include <sys/time.h>

namespace {
// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr int64_t kEpochShift = 25569;  // 1970-01-01 as a day number since 1899-12-30

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
}  // namespace

bool TryEncodeDate(int Year, int Month, int Day, double& Days) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1) return false;
  int dim = kDays[Month - 1] + (Month == 2 && IsLeap(Year) ? 1 : 0);
  if (Day > dim) return false;
  Days = static_cast<double>(DaysFromCivil(Year, Month, Day) + kEpochShift);
  return true;
}

void DecodeDate(double DateTime, int& Year, int& Month, int& Day) {
  int64_t days = static_cast<int64_t>(std::trunc(DateTime));
  CivilFromDays(days - kEpochShift, Year, Month, Day);
}

void DecodeTime(double DateTime, int& Hour, int& Min, int& Sec, int& MSec) {
  double frac = std::fabs(DateTime - std::trunc(DateTime));
  int64_t ms = static_cast<int64_t>(std::llround(frac * 86400000.0));
  if (ms >= 86400000) ms = 86400000 - 1;
  Hour = static_cast<int>(ms / 3600000);
  Min = static_cast<int>(ms / 60000 % 60);
  Sec = static_cast<int>(ms / 1000 % 60);
  MSec = static_cast<int>(ms % 1000);
}

double NowDateTime() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm lt{};
  time_t t = tv.tv_sec;
  localtime_r(&t, &lt);
  double days = 0;
  TryEncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, days);
  double ms = ((lt.tm_hour * 60.0 + lt.tm_min) * 60.0 + lt.tm_sec) * 1000.0 + tv.tv_usec / 1000;
  return days + ms / 86400000.0;
}
