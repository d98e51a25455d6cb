// The next trial value of the lg gf fit: the cubic estimate inside the bracketing pair, the
// straight line when the cubic leaves it, and the secant of the nearest two points when no pair
// brackets the zero (every point above, or every point below).
#include <gtest/gtest.h>

#include <vector>

#include "synthesis/fit/cvAdjust.h"

namespace {

TEST(AdjustStep, CubicLineOrSecant) {
  struct TCase {
    std::vector<double> Lg, R;
    double Want;
  };
  const TCase cases[] = {
      // a straight relation: the cubic is exact
      {{0, -2, -1, 1, 2}, {0, -2, -1.5, -0.5, 0}, -1},
      // the cubic (0.165) leaves the pair (1, 2): the line through it
      {{0, -1, -0.5, 0.02, 0.03}, {0, 0, 1, 2, 3}, 1 + 0.5 / 0.52},
      // every point above the zero: the secant of points 1 and 2
      {{0, 0.1, 0.3, 0.5}, {0, -1, 0, 1}, -1.5},
      // every point below: the secant of the last two
      {{0, -0.3, -0.1}, {0, -1.131, -1.0}, -1.0 + 0.1 * 0.131 / 0.2},
  };
  for (const TCase& c : cases)
    EXPECT_NEAR(AdjNextValue(c.Lg, c.R, static_cast<int32_t>(c.Lg.size()) - 1), c.Want, 1e-12)
        << c.Want;
}

}  // namespace
