// Whole parts of long doubles without switching the x87 rounding mode. A cast or floorl/ceill
// reloads the control word twice per call, which costs more than the rest of a short loop; these
// convert through double and correct by one where that rounding crossed a whole number. Results
// equal static_cast<int32_t>, std::floor and std::ceil for every value inside the int32 range.
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
