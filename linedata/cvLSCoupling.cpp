#include "linedata/cvLSCoupling.h"

#include <cmath>
#include <numeric>

namespace {
bool Whole(double X) { return std::fabs(X - std::round(X)) < 1e-9; }
}  // namespace

bool CheckSLJ(double S, double L, double J) {
  if (S < 0 || L < 0 || J < 0) return false;
  if (!Whole(2 * J) || !Whole(2 * S) || !Whole(L)) return false;
  if (std::lround(2 * J) % 2 != std::lround(2 * S) % 2) return false;
  const double e = 1e-9;
  return L - S <= J + e && J <= L + S + e && S <= L + J + e;
}

bool LandeGFrac(double S, double L, double J, int32_t& Num, int32_t& Den) {
  Num = 0;
  Den = 1;
  if (!CheckSLJ(S, L, J)) return false;
  if (J == 0) return true;
  const int64_t m = Whole(J) ? 1 : 2;
  const int64_t j = std::llround(m * J), s = std::llround(m * S), l = std::llround(m * L);
  int64_t n = s * (m + s) + 3 * j * (m + j) - l * (m + l);
  int64_t d = 2 * j * (m + j);
  const int64_t g = std::gcd(n < 0 ? -n : n, d);
  if (g > 1) {
    n /= g;
    d /= g;
  }
  Num = static_cast<int32_t>(n);
  Den = static_cast<int32_t>(d);
  return true;
}
