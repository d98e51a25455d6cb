// Whole numbers and reals, fast and exact. Whole parts of long doubles without switching the x87
// rounding mode; whole-number bounds of a real level for comparing integer pixel values.
//
// Whole parts: a cast or floorl/ceill reloads the control word twice per call, which costs more
// than the rest of a short loop; these convert through double and correct by one where that
// rounding crossed a whole number. Results equal static_cast<int32_t>, std::floor and std::ceil
// for every value inside the int32 range.
#pragma once
#include <cstdint>

inline int32_t TruncLd(long double r) {
  const int32_t k = static_cast<int32_t>(static_cast<double>(r));
  if (r >= 0) return k > r ? k - 1 : k;
  return k < r ? k + 1 : k;
}

inline int32_t FloorLd(long double r) {
  const int32_t k = TruncLd(r);
  return k > r ? k - 1 : k;
}

inline int32_t CeilLd(long double r) {
  const int32_t k = TruncLd(r);
  return k < r ? k + 1 : k;
}

// A real level for comparisons with whole numbers: for any int32 a, a > L exactly when a > Lo
// and a < L exactly when a < Hi (Lo = floor(L), Hi = ceil(L), held in 64 bits so that levels
// beyond the int32 range keep their meaning). NaN, which compares false with everything, gives
// Valid false: callers then compare with the real level.
struct TIntLevel {
  int64_t Lo = 0, Hi = 0;
  bool Valid = false;
  explicit TIntLevel(double L) {
    if (!(L == L)) return;
    constexpr double kBound = 4294967296.0;
    const double c = L < -kBound ? -kBound : L > kBound ? kBound : L;
    Lo = static_cast<int64_t>(__builtin_floor(c));
    Hi = static_cast<int64_t>(__builtin_ceil(c));
    Valid = true;
  }
};
