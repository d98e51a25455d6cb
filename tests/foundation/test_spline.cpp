#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "foundation/cvSpline.h"
#include "foundation/cvSplineHint.h"

namespace {

double Cubic(double x) { return 0.5 * x * x * x - 2 * x * x + x - 3; }

// 1-based table of f at the given arguments.
template <class F>
void Table(const std::vector<double>& xs, F f, TARe& X, TARe& Y) {
  X.assign(1, 0.0);
  Y.assign(1, 0.0);
  for (double x : xs) {
    X.push_back(x);
    Y.push_back(f(x));
  }
}

}  // namespace

TEST(Spline, ReproducesACubicAndContinuesWithEndChords) {
  // Uneven knots; the end conditions match the cubics through four end points, so a cubic is
  // reproduced exactly.
  TARe X, Y;
  Table({-2, -1.5, 0, 0.7, 2, 3, 4.5}, Cubic, X, Y);
  const TARe X0 = X, Y0 = Y;
  TSPLINE s;
  EXPECT_FALSE(s.IsReady());
  s.SetData(7, X, Y);
  EXPECT_TRUE(s.IsReady());
  EXPECT_EQ(s.Tag, 0xA5A500A0u);
  EXPECT_EQ(X, X0);  // the caller's arrays are untouched
  EXPECT_EQ(Y, Y0);

  for (double x = -2; x <= 4.5; x += 0.05) EXPECT_NEAR(s.Eval(x), Cubic(x), 1e-11) << x;
  EXPECT_DOUBLE_EQ(s.Eval(-2), Y[1]);
  EXPECT_DOUBLE_EQ(s.Eval(4.5), Y[7]);

  // Beyond the ends: straight lines with the chord slope over the four end points.
  const double left = (Cubic(0.7) - Cubic(-2)) / (0.7 - -2);
  const double right = (Cubic(4.5) - Cubic(0.7)) / (4.5 - 0.7);
  EXPECT_DOUBLE_EQ(s.SlopeLeft, left);
  EXPECT_DOUBLE_EQ(s.SlopeRight, right);
  EXPECT_NEAR(s.Eval(-3), Cubic(-2) - left, 1e-12);
  EXPECT_NEAR(s.Eval(-2 - 1e-9), Cubic(-2) - 1e-9 * left, 1e-12);  // the line, not the cubic
  EXPECT_NEAR(s.Eval(10), Cubic(4.5) + 5.5 * right, 1e-9);
}

TEST(Spline, DescendingTableGivesTheSameValues) {
  TARe Xa, Ya, Xd, Yd;
  auto f = [](double x) { return std::sin(x); };
  Table({0, 0.4, 1, 1.3, 2, 2.8}, f, Xa, Ya);
  Table({2.8, 2, 1.3, 1, 0.4, 0}, f, Xd, Yd);
  TSPLINE a, d;
  a.SetData(6, Xa, Ya);
  d.SetData(6, Xd, Yd);
  EXPECT_EQ(d.X, Xa);  // the copy is put in ascending order
  EXPECT_EQ(Xd[1], 2.8);
  for (double x = -1; x <= 4; x += 0.1) EXPECT_DOUBLE_EQ(d.Eval(x), a.Eval(x)) << x;
}

TEST(Spline, FewPoints) {
  // Three points: a parabola is reproduced; the end slopes are the chord over all three.
  auto q = [](double x) { return 2 * x * x - x + 1; };
  TARe X, Y;
  Table({0, 1, 3}, q, X, Y);
  TSPLINE s3;
  s3.SetData(3, X, Y);
  for (double x = 0; x <= 3; x += 0.25) EXPECT_NEAR(s3.Eval(x), q(x), 1e-12) << x;
  const double chord = (q(3) - q(0)) / 3;
  EXPECT_DOUBLE_EQ(s3.SlopeLeft, chord);
  EXPECT_DOUBLE_EQ(s3.SlopeRight, chord);
  EXPECT_NEAR(s3.Eval(5), q(3) + 2 * chord, 1e-12);

  // Two points: the straight line through them, inside and outside.
  TARe X2 = {0, 1, 3}, Y2 = {0, 2, 6};
  TSPLINE s2;
  s2.SetData(2, X2, Y2);
  for (double x : {-4.0, 1.0, 2.2, 3.0, 7.5}) EXPECT_DOUBLE_EQ(s2.Eval(x), 2 * x) << x;

  // One point: only X[1] is defined; the spline is the constant there.
  TARe X1 = {0, 2}, Y1 = {0, 5};
  TSPLINE s1;
  s1.SetData(1, X1, Y1);
  EXPECT_TRUE(s1.IsReady());
  EXPECT_EQ(s1.Eval(2), 5);
  EXPECT_EQ(s1.Eval(-1), 5);
  EXPECT_EQ(s1.Eval(9), 5);
}

TEST(Spline, BadCallsAreSafe) {
  TSPLINE s;
  EXPECT_EQ(s.Eval(1), 0);  // never set

  TARe X = {0, 1, 2, 3, 4}, Y = {0, 1, 4, 9, 16};
  // A count beyond the data is limited to what the arrays hold.
  s.SetData(10, X, Y);
  EXPECT_EQ(s.N, 4);
  EXPECT_NEAR(s.Eval(2.5), 6.25, 1e-12);

  s.Clear();
  EXPECT_FALSE(s.IsReady());
  EXPECT_TRUE(s.X.empty() && s.Y.empty() && s.B.empty() && s.C.empty() && s.D.empty());
  EXPECT_EQ(s.N, 4);          // kept
  EXPECT_EQ(s.Eval(2.5), 0);  // nothing left to evaluate, and nothing freed is read

  TSPLINE::Clear(nullptr);  // does nothing
  TSPLINE::Clear(&s);

  // Ready again after new data.
  s.SetData(4, X, Y);
  EXPECT_TRUE(s.IsReady());
  EXPECT_NEAR(s.Eval(1.5), 2.25, 1e-12);
}

TEST(Spline, HintedValuesAreTheSearchedOnes) {
  // every hint, good or bad, on and between the knots and beyond both ends: the same bits as
  // Eval, and the hint left on the interval that holds x
  TARe X, Y;
  Table({-2, -1.5, 0, 0.7, 2, 3, 4.5}, [](double x) { return std::exp(0.3 * x) - x; }, X, Y);
  TSPLINE s;
  s.SetData(7, X, Y);
  for (double x : {-3.0, -2.0, -1.75, -1.5, -1e-300, 0.0, 0.69, 0.7, 2.5, 3.0, 4.4, 4.5, 5.0})
    for (int32_t h : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 100}) {
      int32_t hint = h;
      const double v = SplineEvalHint(s, x, hint), w = s.Eval(x);
      EXPECT_EQ(std::memcmp(&v, &w, sizeof v), 0) << x << " " << h;
      if (x >= -2 && x <= 4.5) {
        ASSERT_GE(hint, 1);
        ASSERT_LE(hint, 7);
        EXPECT_LE(X[static_cast<size_t>(hint)], x);
        if (hint < 7) {
          EXPECT_LT(x, X[static_cast<size_t>(hint) + 1]);
        }
      } else {
        EXPECT_EQ(hint, h);
      }
    }
}
