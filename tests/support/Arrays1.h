// 1-based arrays for tests: element 0 = 0, then the values.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "foundation/cvTy.h"

namespace testsupport {

inline TARe R1(std::initializer_list<double> v) {
  TARe a{0};
  a.insert(a.end(), v);
  return a;
}

inline TAIn I1(std::initializer_list<int32_t> v) {
  TAIn a{0};
  a.insert(a.end(), v);
  return a;
}

}  // namespace testsupport
