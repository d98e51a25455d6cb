// Shared array types and small records.
// TARe, TAIn and the rows of TARe2 are 1-based: N values live at 1..N in an array of length N+1,
// element 0 is not data. The raw buffers TAWd, TABt, TAR4 and the 2-D picture tables are 0-based.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using TARe = std::vector<double>;
using TAIn = std::vector<int32_t>;
using TAWd = std::vector<uint16_t>;
using TABt = std::vector<uint8_t>;
using TAR4 = std::vector<float>;
using TColor = uint32_t;  // 0x00BBGGRR, as the original platform's colour values
using TAColor = std::vector<TColor>;
using TARe2 = std::vector<TARe>;
using TAReRe = std::vector<std::vector<double>>;
using TAInIn = std::vector<std::vector<int32_t>>;
using TAR4R4 = std::vector<std::vector<float>>;
using TAByBy = std::vector<std::vector<uint8_t>>;

struct TRePoint {
  double X = 0, Y = 0;
};
using TPointsArray = std::vector<TRePoint>;

struct TReRect {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct T2ARe {
  TARe X, Y;
};

struct T3ARe {
  TARe A1, A2, A3;
};

// Number of values of a 1-based array (length - 1, 0 for an empty one).
template <class V>
inline int NOf(const V& a) {
  return a.empty() ? 0 : static_cast<int>(a.size()) - 1;
}
