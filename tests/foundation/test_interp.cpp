#include "support/Arrays1.h"
#include "support/SinkRecorder.h"
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <string>
#include <vector>

#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvSpline.h"
#include "tests/support/AllocCount.h"

namespace {

using testsupport::I1;
using testsupport::R1;
using testsupport::gAllocations;
}  // namespace

namespace {


// A table of f over x = x0, x0 + h, .. (n points).
template <class F>
void Table(int n, double x0, double h, F f, TARe& X, TARe& Y) {
  X.assign(static_cast<size_t>(n) + 1, 0.0);
  Y.assign(static_cast<size_t>(n) + 1, 0.0);
  for (int i = 1; i <= n; ++i) {
    X[i] = x0 + (i - 1) * h;
    Y[i] = f(X[i]);
  }
}

double Cubic(double x) { return 0.5 * x * x * x - 2 * x * x + x - 3; }

class Interp : public ::testing::Test {
 protected:
  testsupport::SinkRecorder sink;
  std::vector<std::string>& warns = sink.texts;
};

}  // namespace

TEST_F(Interp, LinearInterpolationBothDirections) {
  EXPECT_DOUBLE_EQ(LinIpol2(1.5, 1, 2, 10, 20), 15);
  const TARe X = R1({1, 2, 4, 8}), Y = R1({10, 20, 0, 40});
  TARe Xf = R1({8, 4, 2, 1}), Yf = R1({40, 0, 20, 10});
  struct Case {
    double x, want;
  } cases[] = {
      {2, 20},  {4, 0},   {8, 40},  {1, 10},  // nodes exactly
      {3, 10},  {6, 20},  {1.25, 12.5},
      {0, 0},   {10, 60},                   // along the end segments
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(AReLinIpol(X, Y, c.x), c.want) << c.x;
    EXPECT_DOUBLE_EQ(AReLinIpol(Xf, Yf, c.x), c.want) << "falling " << c.x;
  }
}

TEST_F(Interp, CubicFourPointInterpolationIsExactOnCubics) {
  TARe X, Y;
  Table(7, 1, 1, Cubic, X, Y);
  for (double x : {1.0, 1.5, 2.25, 3.5, 5.9, 6.5, 7.0}) EXPECT_NEAR(AReIpolCubicX(X, Y, x), Cubic(x), 1e-12) << x;
  // far before the table: the straight line through points 1 and 4
  EXPECT_NEAR(AReIpolCubicX(X, Y, -1), LinIpol2(-1, 1, 4, Y[1], Y[4]), 1e-12);
  EXPECT_NEAR(AReIpolCubicX(X, Y, 9), LinIpol2(9, 4, 7, Y[4], Y[7]), 1e-12);
  // falling table
  TARe Xf(8), Yf(8);
  for (int i = 1; i <= 7; ++i) {
    Xf[i] = X[8 - i];
    Yf[i] = Y[8 - i];
  }
  EXPECT_NEAR(AReIpolCubicX(Xf, Yf, 2.25), Cubic(2.25), 1e-12);
  // small tables are linear
  EXPECT_DOUBLE_EQ(AReIpolCubic(5, R1({0, 1, 2}), R1({0, 10, 30}), 1.5), 20);
  EXPECT_DOUBLE_EQ(AReIpolCubic(0, R1({0, 1}), R1({0, 10}), 3), 30);
  EXPECT_DOUBLE_EQ(AReIpolCubic(0, R1({2}), R1({7}), 3), 7);
}

TEST_F(Interp, IPOL1SplineAndSmallTables) {
  std::string err = "old";
  TARe X, Y;
  Table(8, -2, 0.75, Cubic, X, Y);  // the spline reproduces a cubic inside the table
  for (double x : {-2.0, -1.1, 0.3, 1.0, 3.2}) {
    EXPECT_NEAR(IPOL1(X, Y, err, x), Cubic(x), 1e-11) << x;
    EXPECT_EQ(err, "");
  }
  // the same on the table given falling
  TARe Xf(9), Yf(9);
  for (int i = 1; i <= 8; ++i) {
    Xf[i] = X[9 - i];
    Yf[i] = Y[9 - i];
  }
  EXPECT_NEAR(IPOL1(Xf, Yf, err, 0.3), Cubic(0.3), 1e-11);

  struct Case {
    TARe x, y;
    double at, want;
  } cases[] = {
      {R1({1, 2, 3}), R1({1, 4, 9}), 5, 19},     // beyond the end: along the last segment
      {R1({1, 2, 3}), R1({1, 4, 9}), 1.5, 2.5},
      {R1({1, 2, 3}), R1({1, 4, 9}), 0, -2},
      {R1({3, 2, 1}), R1({9, 4, 1}), 2.5, 6.5},  // falling
      {R1({3, 2, 1}), R1({9, 4, 1}), 0, -2},
      {R1({1, 2}), R1({5, 7}), 3, 9},
      {R1({4}), R1({6}), 100, 6},                // one point
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(IPOL1(c.x, c.y, err, c.at), c.want);
    EXPECT_EQ(err, "");
  }
}

TEST_F(Interp, IPOL1ReportsBadTables) {
  std::string err;
  // a repeated argument: AY[1] and a text naming the position
  EXPECT_EQ(IPOL1(R1({1, 2, 2, 3, 4}), R1({10, 20, 30, 40, 50}), err, 2.5), 10);
  EXPECT_EQ(err.rfind("cvARe.IPOL1 - ошибка, немонотонный аргумент в массиве Ax[5]"_cp + "\r\n" +
                          "в позиции 2! X="_cp,
                      0),
            0u)
      << err;
  EXPECT_NE(err.find("Ax[1]="), std::string::npos);
  EXPECT_NE(err.find(" / Ay[5]="), std::string::npos);

  EXPECT_EQ(IPOL1(TARe{}, TARe{}, err, 1), 0);
  EXPECT_EQ(err, "cvARe.IPOL1 - ошибка, неверная размерность в массиве Ax[0]"_cp);
  EXPECT_TRUE(warns.empty());  // IPOL1 only returns its text

  EXPECT_EQ(IPOL1Warn(R1({1, 1}), R1({3, 4}), 0), 3);
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0].rfind("WARN:" + "cvARe.IPOL1 - ошибка, немонотонный аргумент"_cp, 0), 0u);
  // a value table shorter than the arguments is an error, not a read beyond it
  EXPECT_EQ(IPOL1(R1({1, 2, 3, 4, 5}), R1({7, 8}), err, 3), 7);
  EXPECT_NE(err, "");
}

TEST_F(Interp, SlopesAndMidpoints) {
  TARe Mid, Steps, Slopes;
  AReSlopes(R1({0, 2, 2, 3}), R1({0, 4, 9, 5}), Mid, Steps, Slopes);
  EXPECT_EQ(Mid, R1({1, 2, 2.5}));
  EXPECT_EQ(Steps, R1({2, 0, 1}));
  EXPECT_EQ(Slopes, R1({2, 2, -4}));  // the zero-width interval repeats the previous slope
  AReSlopes(R1({1, 1, 2}), R1({0, 5, 6}), Mid, Steps, Slopes);
  EXPECT_EQ(Slopes, R1({0, 1}));      // 0 for a zero-width first interval

  TARe MX, MY, R;
  AReMid2(R1({0, 2, 6}), R1({1, 3, 5}), MX, MY);
  EXPECT_EQ(MX, R1({1, 4}));
  EXPECT_EQ(MY, R1({2, 4}));
  AReMean3(R1({3, 6, 0, 9, 1}), R);
  EXPECT_EQ(R, R1({3, 3, 5, 10.0 / 3, 1}));  // ends kept
}

TEST_F(Interp, DerivativesAtTablePoints) {
  TARe X, Y, D;
  Table(6, 1, 0.5, [](double x) { return 3 * x - 2; }, X, Y);
  GetDifEx(X, Y, D);
  ASSERT_EQ(D.size(), X.size());
  for (int i = 1; i <= 6; ++i) EXPECT_NEAR(D[i], 3, 1e-12) << i;  // the ends included
  // a falling table and uneven steps
  TARe Xf = R1({5, 4, 2.5, 2, 0}), Yf(6);
  for (int i = 1; i <= 5; ++i) Yf[i] = -2 * Xf[i] + 1;
  GetDifEx(Xf, Yf, D);
  for (int i = 1; i <= 5; ++i) EXPECT_NEAR(D[i], -2, 1e-12);
  // a quadratic: central differences are exact inside the table
  Table(9, -1, 0.25, [](double x) { return x * x; }, X, Y);
  GetDifEx(X, Y, D);
  for (int i = 2; i <= 8; ++i) EXPECT_NEAR(D[i], 2 * X[i], 1e-12) << i;
  // sin on a fine grid
  Table(101, 0, 0.05, [](double x) { return std::sin(x); }, X, Y);
  GetDifEx(X, Y, D);
  for (int i = 2; i <= 100; ++i) EXPECT_NEAR(D[i], std::cos(X[i]), 1.1e-4) << i;  // h^2/24
  // two points: the chord
  GetDifEx(R1({1, 3}), R1({1, 5}), D);
  EXPECT_EQ(D, R1({2, 2}));
  EXPECT_TRUE(warns.empty());

  TARe keep{0, 7};
  GetDifEx(R1({1, 2, 2, 3}), R1({1, 2, 3, 4}), keep);
  EXPECT_EQ(keep, (TARe{0, 7}));
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0].rfind("WARN:" + "uPMAS.GetDifEx массив Ax[4] немонотонный в позиции 2!"_cp, 0), 0u)
      << warns[0];
}

TEST_F(Interp, ExtremumPositions) {
  TARe X, Y;
  auto par = [](double x) { return 4 - (x - 0.3) * (x - 0.3); };
  // the derivative is straight inside the table; its ends come from the end slopes, far away
  Table(41, -5, 0.25, par, X, Y);
  EXPECT_NEAR(AReExtremumX(22, X, Y), 0.3, 1e-9);
  Table(6, -2, 1, par, X, Y);
  EXPECT_NEAR(AReMaxX3(Y, X), 0.3, 1e-12);  // exact for a parabola
  EXPECT_EQ(AReMaxX3(R1({1, 2, 3}), R1({0, 1, 5})), 5);  // a peak at the end is not refined

  // a derivative that is not monotonic: the straight line between the two slopes around i
  Table(9, -1, 0.5, [](double x) { return std::sin(2 * x); }, X, Y);
  const double x = AReExtremumX(4, X, Y);
  EXPECT_NEAR(x, std::numbers::pi / 4, 0.03);

  // small tables
  EXPECT_EQ(AReExtremumX(1, R1({1, 2}), R1({5, 3})), 3);
  EXPECT_EQ(AReExtremumX(1, R1({1, 2}), R1({3, 5})), 0);
  EXPECT_EQ(AReExtremumX(1, R1({4}), R1({3})), 4);
  EXPECT_TRUE(warns.empty());
  EXPECT_EQ(AReExtremumX(1, TARe{}, TARe{}), 1);
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "WARN:" + "НЕ МОЖЕТ БЫТЬ 123 456"_cp);
}

TEST_F(Interp, TurningPointsOfKnownCurves) {
  TARe V;
  TAIn Idx;
  AReTurnPoints(R1({1, 3, 2, 4, 4, 1}), 1, 6, V, Idx);
  EXPECT_EQ(Idx, I1({1, 2, 3, 5, 6}));
  EXPECT_EQ(V, R1({1, 3, 2, 4, 1}));

  // a range starting inside a rising slope reaches back to its start, and on to its end
  AReTurnPoints(R1({5, 4, 3, 4, 5, 6, 5}), 4, 5, V, Idx);
  EXPECT_EQ(Idx, I1({3, 6}));
  EXPECT_EQ(V, R1({3, 6}));

  // sin over two periods
  TARe Y(201, 0.0);
  for (int i = 1; i <= 200; ++i) Y[i] = std::sin((i - 1) * 4 * std::numbers::pi / 199);
  AReTurnPoints(Y, 1, 200, V, Idx);
  ASSERT_EQ(NOf(Idx), 6);
  const double quarter = 199.0 / 8;
  for (int k = 1; k <= 4; ++k) EXPECT_NEAR(Idx[k + 1] - 1, (2 * k - 1) * quarter, 1) << k;
  EXPECT_EQ(Idx[1], 1);
  EXPECT_EQ(Idx[6], 200);

  TAIn VI;
  AInTurnPoints(I1({2, 2, 5, 1, 1, 4}), 1, 6, VI, Idx);
  EXPECT_EQ(Idx, I1({1, 3, 5, 6}));
  EXPECT_EQ(VI, I1({2, 5, 1, 4}));

  // a flat array: its two ends
  AReTurnPoints(R1({2, 2, 2}), 1, 3, V, Idx);
  EXPECT_EQ(Idx, I1({1, 3}));
}

TEST_F(Interp, InnerLoopRoutinesDoNotAllocatePerPoint) {
  // a profile with 80 turning points: fresh outputs take one block each, whatever their count
  TARe Y(401, 0.0);
  for (int i = 1; i <= 400; ++i) Y[i] = std::sin(i * 0.6);
  TARe V;
  TAIn Idx;
  long before = gAllocations;
  AReTurnPoints(Y, 1, 400, V, Idx);
  EXPECT_LE(gAllocations - before, 2);
  EXPECT_GT(NOf(Idx), 70);

  // with warm storage the one-call spline and the derivatives allocate nothing
  TARe X, Yc, D;
  Table(50, 0, 0.1, Cubic, X, Yc);
  std::string err;
  IPOL1(X, Yc, err, 1.23);
  GetDifEx(X, Yc, D);
  before = gAllocations;
  for (double x = 0; x < 5; x += 0.01) IPOL1(X, Yc, err, x);
  GetDifEx(X, Yc, D);
  AReTurnPoints(Y, 1, 400, V, Idx);
  EXPECT_EQ(gAllocations - before, 0);
}

TEST_F(Interp, ThinningAndExtrema) {
  const TARe V0 = R1({0, 10, 9, 20, 0});
  const TAIn I0 = I1({1, 3, 4, 6, 9});
  TARe V = V0;
  TAIn Idx = I0;
  TurnPointsThin(V, Idx, 0.5);  // below every swing: nothing changes
  EXPECT_EQ(V, V0);
  EXPECT_EQ(Idx, I0);
  TurnPointsThin(V, Idx, 1);  // the swing 10 -> 9 goes as a pair
  EXPECT_EQ(V, R1({0, 20, 0}));
  EXPECT_EQ(Idx, I1({1, 6, 9}));

  V = R1({0, 0.5, 10, 0});  // a small first swing drops the first point
  Idx = I1({1, 2, 3, 4});
  TurnPointsThin(V, Idx, 1);
  EXPECT_EQ(Idx, I1({2, 3, 4}));
  V = R1({0, 10, 9.5});  // a small last swing drops the last point
  Idx = I1({1, 2, 3});
  TurnPointsThin(V, Idx, 1);
  EXPECT_EQ(Idx, I1({1, 2}));

  // a wiggle on a big peak is thinned away by the fraction
  const TARe Y = R1({0, 2, 4, 6, 5.8, 6.5, 8, 10, 6, 2, 0});
  int32_t count = 0;
  AReExtrema(Y, 1, 11, count, V, Idx, 0.1);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Idx, I1({1, 8, 11}));
  EXPECT_EQ(AReExtremaCount(Y, 1, 11, 0.01), 5);
  EXPECT_EQ(AInExtremaCount(I1({0, 20, 40, 60, 58, 65, 80, 100, 60, 20, 0}), 1, 11, 0.1), 3);
}

TEST_F(Interp, MinimumWings) {
  const TARe Y = R1({5, 4, 1, 0.5, 2, 6, 7});
  int32_t iR = 0, iL = 0;
  AReMinWings(Y, 1, 7, iR, iL, 3);
  EXPECT_EQ(iL, 2);
  EXPECT_EQ(iR, 6);
  AReMinWings(Y, 3, 5, iR, iL, 3);  // none above the level inside the range
  EXPECT_EQ(iL, 3);
  EXPECT_EQ(iR, 5);
  AInMinWings(I1({9, 1, 2, 9}), 1, 4, iR, iL, 5);
  EXPECT_EQ(iL, 1);
  EXPECT_EQ(iR, 4);
}

TEST_F(Interp, WingsAtLevel) {
  const TARe X = R1({1, 2, 3, 4, 5, 6, 7, 8, 9}), Y = R1({0, 1, 2, 3, 4, 3, 2, 1, 0});
  struct Case {
    double level;
    int i1, i0, i2;
    double xl, xr;
  } cases[] = {
      {2.5, 1, 5, 9, 3.5, 6.5},
      {0.25, 1, 5, 9, 1.25, 8.75},
      {2, 1, 5, 9, 3, 7},       // the level met exactly at a point: that point's X
      {5, 1, 5, 9, 5, 5},       // the peak is below the level: X of I0
      {-1, 3, 5, 7, 0, 10},     // still above at the range ends: extrapolated
  };
  for (const auto& c : cases) {
    double xl = -99, xr = -99;
    WingsAtLevel(X, Y, c.i1, xr, xl, c.level, c.i0, c.i2);
    EXPECT_DOUBLE_EQ(xl, c.xl) << c.level;
    EXPECT_DOUBLE_EQ(xr, c.xr) << c.level;
  }
  EXPECT_TRUE(warns.empty());
  double xl = 0, xr = 0;
  WingsAtLevel(X, Y, 3, xr, xl, 2.5, 2, 8);  // I0 outside [I1, I2]: warned, still answered
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "WARN:" + "WingsAtLevel-ERR: I0=2 не попадает в интервал [3,8]!!!"_cp);
  EXPECT_DOUBLE_EQ(xl, 2);  // the level above AY[I0]: X of I0 on both sides
  EXPECT_DOUBLE_EQ(xr, 2);
}

TEST_F(Interp, GaussianSmoothing) {
  TARe X, Y, R;
  Table(20, 0, 1, [](double) { return 3.0; }, X, Y);
  AReGSmooth(X, Y, R, 2);
  for (int i = 1; i <= 20; ++i) EXPECT_NEAR(R[i], 3, 1e-12);
  // a spike spreads symmetrically and keeps its weighted centre
  Y.assign(22, 0.0);
  X.assign(22, 0.0);
  for (int i = 1; i <= 21; ++i) X[i] = i;
  Y[11] = 1;
  Y[0] = 5;
  AReGSmooth(X, Y, R, 1.5);
  EXPECT_EQ(R[0], 5);
  EXPECT_NEAR(R[10], R[12], 1e-14);
  EXPECT_GT(R[11], R[10]);
  EXPECT_GT(R[10], R[9]);
  // the weights directly, at one point
  double sw = 0, swy = 0;
  for (int j = 1; j <= 21; ++j) {
    const double w = std::exp(-std::pow((X[4] - X[j]) / 1.5, 2));
    sw += w;
    swy += w * Y[j];
  }
  EXPECT_NEAR(R[4], swy / sw, 1e-13 * swy / sw);
  AReGSmooth(X, Y, R, 0);  // no width: unchanged
  EXPECT_EQ(R, Y);

  TARe keep{1, 2};
  AReGSmooth(X, TARe{}, keep, 1);
  AReGSmooth(TARe{0}, Y, keep, 1);
  EXPECT_EQ(keep, (TARe{1, 2}));
  ASSERT_EQ(warns.size(), 2u);
  EXPECT_EQ(warns[0], "WARN:" + "AReGSmooth ERR: Массив AY0 имеет размер 0!"_cp);
  EXPECT_EQ(warns[1], "WARN:" + "AReGSmooth ERR: Массив X имеет размер 0!"_cp);
}

TEST_F(Interp, SplineCoefficientsInPlainArrays) {
  TARe X, Y, B, C, D;
  Table(7, 0.5, 0.7, [](double x) { return std::exp(x) * std::cos(x); }, X, Y);
  SplineCoefFMM(X, Y, B, C, D);
  TSPLINE S;
  S.SetData(7, X, Y);
  EXPECT_EQ(B, S.B);
  EXPECT_EQ(C, S.C);
  EXPECT_EQ(D, S.D);

  // SplineSEVAL agrees with the spline whatever interval the previous call left behind
  TARe X2, Y2, B2, C2, D2;
  Table(4, 10, 1, Cubic, X2, Y2);
  SplineCoefFMM(X2, Y2, B2, C2, D2);
  for (double u : {4.6, 0.6, 2.0, 4.7, 0.5, 3.3, 1.1}) {
    EXPECT_NEAR(SplineSEVAL(7, u, X, Y, B, C, D), S.Eval(u), 1e-13) << u;
    EXPECT_NEAR(SplineSEVAL(4, 11.5, X2, Y2, B2, C2, D2), Cubic(11.5), 1e-10);
  }
  EXPECT_DOUBLE_EQ(SplinePolyAt(1, X[1], X, Y, B, C, D), Y[1]);

  // four points: one cubic through them
  const TSpl4 x4{1, 2, 4, 5}, y4{Cubic(1), Cubic(2), Cubic(4), Cubic(5)};
  TSpl4 b4, c4, d4;
  SplineCoef4(x4, y4, b4, c4, d4);
  EXPECT_NEAR(d4[0], 0.5, 1e-12);  // the cubic's leading coefficient in every piece
  EXPECT_NEAR(d4[2], 0.5, 1e-12);
  for (double x : {1.0, 2.7, 3.1, 4.5, 6.0})
    EXPECT_NEAR(SplineEval4(R1({1, 2, 4, 5}), R1({y4[0], y4[1], y4[2], y4[3]}), x), Cubic(x), 1e-11);
  EXPECT_TRUE(warns.empty());
  EXPECT_EQ(SplineEval4(R1({1, 2, 3}), R1({1, 2, 3}), 2), 0);
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "WARN:" + "SplineEval4-ERR: Ошибка в размере массивов"_cp);
}

TEST_F(Interp, IntegerPower) {
  struct Case {
    int a, n, want;
  } cases[] = {{2, 10, 1024}, {-3, 3, -27}, {7, 1, 7}, {7, 0, 7}, {7, -2, 7}, {0, 5, 0}, {10, 9, 1000000000}};
  for (const auto& c : cases) EXPECT_EQ(IPower(c.a, c.n), c.want) << c.a << "^" << c.n;
}

TEST_F(Interp, QUANC8OnClosedFormIntegrals) {
  long double result = 0, errest = 0, flag = 0;
  int32_t nofun = 0;

  // a cubic: exact after the one compulsory refinement
  QUANC8([](long double x) { return x * x * x; }, 0, 1, 0, 1e-10L, result, errest, nofun, flag);
  EXPECT_NEAR(static_cast<double>(result), 0.25, 1e-17);
  EXPECT_EQ(nofun, 33);
  EXPECT_EQ(flag, 0);

  struct Case {
    long double (*f)(long double);
    long double a, b, want;
  } cases[] = {
      {[](long double x) { return std::sin(x); }, 0, std::numbers::pi_v<long double>, 2},
      {[](long double x) { return std::exp(x); }, 0, 1, std::numbers::e_v<long double> - 1},
      {[](long double x) { return std::sqrt(x); }, 0, 1, 2.0L / 3},
      {[](long double x) { return x * x * x; }, 1, 0, -0.25L},  // reversed limits
      {[](long double x) { return 1 / (1 + x * x); }, -1, 1, std::numbers::pi_v<long double> / 2},
  };
  for (const auto& c : cases) {
    QUANC8(c.f, c.a, c.b, 0, 1e-12L, result, errest, nofun, flag);
    EXPECT_NEAR(static_cast<double>(result), static_cast<double>(c.want), 1e-11) << static_cast<double>(c.want);
    EXPECT_EQ(flag, 0);
    EXPECT_LT(errest, 1e-10L);
    EXPECT_LE(nofun, 20000);
  }

  // a capturing callable
  const long double k = 3;
  auto scaled = [k](long double x) { return k * x; };
  QUANC8(scaled, 0, 2, 0, 1e-12L, result, errest, nofun, flag);
  EXPECT_NEAR(static_cast<double>(result), 6, 1e-15);

  // equal limits return at once
  QUANC8(scaled, 1, 1, 0, 1e-12L, result, errest, nofun, flag);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(nofun, 0);
}

TEST_F(Interp, QUANC8BudgetRunsOutOnNoise) {
  long double result = 0, errest = 0, flag = 0;
  int32_t nofun = 0;
  // values without any smoothness never meet a zero tolerance: the evaluation budget ends the
  // refinement, and every later interval is accepted at the lowered level limit
  auto noise = [](long double x) {
    const long double s = std::sin(x * 12345.678L) * 43758.5453L;
    return s - std::floor(s);
  };
  QUANC8(noise, 0, 1, 0, 0, result, errest, nofun, flag);
  EXPECT_GT(flag, 1);
  EXPECT_GT(flag - std::floor(flag), 0);  // the share of [A, B] left when the budget ran out
  EXPECT_GT(nofun, 15008);
  EXPECT_LT(nofun, 40000);
  EXPECT_NEAR(static_cast<double>(result), 0.5, 0.05);
}
