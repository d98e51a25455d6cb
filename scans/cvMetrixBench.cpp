#include "scans/cvMetrixBench.h"

#include "foundation/cvStr.h"

namespace {
}  // namespace

TMetrixInput ReadMetrixLines(const std::vector<std::string>& Lines) {
  TMetrixInput in;
  for (const std::string& line : Lines) {
    const std::vector<std::string> w = SplitWords(line);
    if (!w.empty() && w[0] == "II") {
      if (w.size() > 1) in.Level1 = ValRealOr0(w[1]);
      if (w.size() > 2) in.Level2 = ValRealOr0(w[2]);
      if (w.size() > 3) in.Cont = ValRealOr0(w[3]);
      continue;
    }
    if (w.size() != 2) continue;
    int32_t c1 = 0, c2 = 0;
    const double x = ValRealCode(w[0], c1), y = ValRealCode(w[1], c2);
    if (c1 != 0 || c2 != 0) continue;
    in.X.push_back(x);
    in.Y.push_back(y);
  }
  return in;
}

void MetrixRange(const TMetrixInput& In, int32_t& I1, int32_t& I2) {
  const int32_t m = static_cast<int32_t>(In.X.size()) - 1;
  int32_t k1 = m;
  for (int32_t i = 1; i <= m - 1; ++i)
    if (In.X[static_cast<size_t>(i)] >= In.Level1) {
      k1 = i;
      break;
    }
  I1 = k1 - 1 < 1 ? 1 : k1 - 1;
  I2 = m - 1;
  for (int32_t i = k1; i <= m - 1; ++i)
    if (In.X[static_cast<size_t>(i)] >= In.Level2) {
      I2 = i;
      break;
    }
  if (I2 == 0) {
    I1 = 1;
    I2 = m;
  }
}
