#include "scans/cvCalcHH.h"

#include <vector>

#include "foundation/cvStr.h"
#include "scans/cvPixelH0.h"

std::string CalcHHLine(const TH0Values& V) {
  std::vector<double> r(21, 0.0);
  const auto n = V.Named();
  for (size_t i = 0; i < n.size() && i < 20; ++i) r[i + 1] = n[i].second;
  if (r[9] > 6300) {
    r[9] -= 6300;
    r[10] -= 6300;
  }
  auto group = [&](std::initializer_list<int> Idx, int Digits) {
    std::string s;
    for (int i : Idx) s += (s.empty() ? "" : " ") + ShortSt(Digits, r[static_cast<size_t>(i)]);
    return s;
  };
  return group({9, 10, 15, 16}, 6) + " // " + group({11, 12, 13, 14}, 5) + " LIV=" +
         group({17, 18, 19, 20}, 5) + " W=" + group({1, 2}, 5) + " H=" + group({5, 6, 7, 8}, 5);
}
