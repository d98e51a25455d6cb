#include "support/SinkRecorder.h"
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStrList.h"

namespace {

struct Warnings : testsupport::SinkRecorder {
  Warnings() : SinkRecorder(kStripWarnPrefix) {}
};

TARe A1(std::vector<double> v) {
  v.insert(v.begin(), 0.0);
  return v;
}

void ExpectArr(const TARe& got, const std::vector<double>& want, double tol = 1e-12) {
  ASSERT_EQ(got.size(), want.size() + 1);
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i + 1], want[i], tol) << "index " << i + 1;
}

TEST(Stats, SumsMeansAndSteps) {
  EXPECT_EQ(AReSum(TARe{}), 0);
  EXPECT_EQ(AReMean(TARe{}), 0);
  EXPECT_EQ(AReMean(TARe{7}), 0);
  EXPECT_DOUBLE_EQ(AReSum(A1({1, 2, 3.5})), 6.5);
  EXPECT_DOUBLE_EQ(AReMean(A1({1, 2, 3})), 2);
  EXPECT_DOUBLE_EQ(AReMean0(TARe{4, 1, 2, 3}), 2.5);  // element 0 joins
  EXPECT_DOUBLE_EQ(AReMean0(TARe{0, 1, 2, 3}), 2);

  double mn, mx, rms, mabs, mean;
  AReStat(A1({1, 2, 3, 0}), mn, mx, rms, mabs, mean);  // the trailing 0 is no data
  EXPECT_DOUBLE_EQ(mean, 2);
  EXPECT_DOUBLE_EQ(mn, 1);
  EXPECT_DOUBLE_EQ(mx, 3);
  EXPECT_DOUBLE_EQ(mabs, 1);
  EXPECT_DOUBLE_EQ(rms, 1);
  AReStat(A1({1, 4, 2}), mn, mx, rms, mabs, mean);
  EXPECT_DOUBLE_EQ(mabs, 2.5);
  EXPECT_DOUBLE_EQ(rms, std::sqrt(6.5));
  EXPECT_DOUBLE_EQ(mean, 7.0 / 3);
  AReStat(A1({5, 0}), mn, mx, rms, mabs, mean);  // one value left: no steps, no NaN
  EXPECT_EQ(mean, 5);
  EXPECT_EQ(rms, 0);
  EXPECT_EQ(mabs, 0);
  AReStat(A1({5}), mn, mx, rms, mabs, mean);
  EXPECT_EQ(mean, 0);
  EXPECT_EQ(mx, 0);
}

TEST(Stats, JointStatisticsAndDet3) {
  Warnings w;
  double ma = 9, cov = 9, vb = 9, va = 9, mb = 9;
  AReStat2(A1({1, 2, 3, 4}), A1({2, 4, 6, 9}), ma, cov, vb, va, mb);
  EXPECT_DOUBLE_EQ(ma, 2.5);
  EXPECT_DOUBLE_EQ(mb, 5.25);
  EXPECT_DOUBLE_EQ(va, 1.25);
  EXPECT_DOUBLE_EQ(vb, (3.25 * 3.25 + 1.25 * 1.25 + 0.75 * 0.75 + 3.75 * 3.75) / 4);
  EXPECT_DOUBLE_EQ(cov, (1.5 * 3.25 + 0.5 * 1.25 + 0.5 * 0.75 + 1.5 * 3.75) / 4);
  EXPECT_TRUE(w.texts.empty());
  AReStat2(A1({1, 2, 3}), A1({1, 2}), ma, cov, vb, va, mb);
  ASSERT_EQ(w.texts.size(), 1u);
  EXPECT_EQ(w.texts[0], "AReStat2-Err: Размерности массивов должны быть одинаковы"_cp);

  EXPECT_DOUBLE_EQ(Det3(TARe{1, 0, 0, 0, 1, 0, 0, 0, 1}), 1);
  EXPECT_DOUBLE_EQ(Det3(TARe{2, -3, 1, 2, 0, -1, 1, 4, 5}), 49);
}

// An independent least-squares solution in long double, from centred sums.
struct RefFit {
  long double mx = 0, my = 0, sx = 0, sy = 0, corr = 0, slope = 0, inter = 0, slopeXY = 0,
              interXY = 0, qa = 0, qb = 0, qc = 0, quadCorr = 0, errSlope = 0, errInter = 0,
              errCorr = 0;
};

RefFit Reference(const TARe& X, const TARe& Y) {
  RefFit r;
  const int m = static_cast<int>(Y.size()) - 1;
  for (int i = 1; i <= m; ++i) {
    r.mx += X[i];
    r.my += Y[i];
  }
  r.mx /= m;
  r.my /= m;
  long double dxx = 0, dyy = 0, dxy = 0, sxx = 0;
  for (int i = 1; i <= m; ++i) {
    const long double dx = X[i] - r.mx, dy = Y[i] - r.my;
    dxx += dx * dx;
    dyy += dy * dy;
    dxy += dx * dy;
    sxx += static_cast<long double>(X[i]) * X[i];
  }
  r.sx = std::sqrt(dxx / m);
  r.sy = std::sqrt(dyy / m);
  r.corr = dxy / std::sqrt(dxx * dyy);
  r.slope = dxy / dxx;
  r.inter = r.my - r.slope * r.mx;
  r.slopeXY = dxy / dyy;
  r.interXY = r.mx - r.slopeXY * r.my;
  // Quadratic: normal equations in the centred variable u = x - mx, by Gaussian elimination.
  long double M[3][4] = {};
  for (int i = 1; i <= m; ++i) {
    const long double u = X[i] - r.mx, y = Y[i];
    const long double p[3] = {u * u, u, 1};
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) M[a][b] += p[a] * p[b];
      M[a][3] += p[a] * y;
    }
  }
  for (int c = 0; c < 3; ++c)
    for (int a = c + 1; a < 3; ++a) {
      const long double f = M[a][c] / M[c][c];
      for (int b = c; b < 4; ++b) M[a][b] -= f * M[c][b];
    }
  long double s[3];
  for (int a = 2; a >= 0; --a) {
    long double v = M[a][3];
    for (int b = a + 1; b < 3; ++b) v -= M[a][b] * s[b];
    s[a] = v / M[a][a];
  }
  // y = s0 u^2 + s1 u + s2 with u = x - mx.
  r.qa = s[0];
  r.qb = s[1] - 2 * s[0] * r.mx;
  r.qc = s[0] * r.mx * r.mx - s[1] * r.mx + s[2];
  long double rl = 0, rq = 0;
  for (int i = 1; i <= m; ++i) {
    const long double x = X[i], y = Y[i];
    rl += std::pow(y - r.slope * x - r.inter, 2);
    rq += std::pow(y - r.qa * x * x - r.qb * x - r.qc, 2);
  }
  r.quadCorr = std::sqrt(1 - rq / dyy);
  const long double k = m - 2;
  r.errSlope = std::sqrt(rl / (k * dxx));
  r.errInter = std::sqrt(rl / k * (sxx / m) / dxx);
  r.errCorr = std::sqrt((1 - r.corr * r.corr) / k);
  return r;
}

TEST(Stats, RegressionAgainstIndependentFit) {
  TARe X(1, 0.0), Y(1, 0.0);
  for (int i = 1; i <= 40; ++i) {
    const double x = 0.37 * i + std::sin(1.7 * i);
    X.push_back(x);
    Y.push_back(2.5 * x - 1 + 0.04 * x * x + 0.6 * std::cos(2.3 * i));
  }
  const RefFit r = Reference(X, Y);
  Warnings w;
  double v[16];
  AReRegCorr(X, Y, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
             v[13], v[14], v[15]);
  const long double want[16] = {r.mx,      r.my,      r.sx,       r.sy,       r.corr,   r.slope,
                                r.inter,   r.slopeXY, r.interXY,  r.qa,       r.qb,     r.qc,
                                r.quadCorr, r.errSlope, r.errInter, r.errCorr};
  const char* names[16] = {"MeanX", "MeanY", "SigmaX", "SigmaY", "Corr", "SlopeYX", "InterYX",
                           "SlopeXY", "InterXY", "QA", "QB", "QC", "QuadCorr", "ErrSlope",
                           "ErrInter", "ErrCorr"};
  for (int k = 0; k < 16; ++k)
    EXPECT_NEAR(v[k], static_cast<double>(want[k]), 1e-9 * (1 + std::fabs(static_cast<double>(want[k]))))
        << names[k];
  EXPECT_TRUE(w.texts.empty());

  double a, b;
  AReLinFit(X, Y, a, b);
  EXPECT_NEAR(a, static_cast<double>(r.slope), 1e-11);
  EXPECT_NEAR(b, static_cast<double>(r.inter), 1e-11);
  AReLinFit(X, TARe{0}, a, b);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
}

TEST(Stats, RegressionEdgeCases) {
  Warnings w;
  double v[16];
  auto run = [&](const TARe& X, const TARe& Y) {
    AReRegCorr(X, Y, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
               v[12], v[13], v[14], v[15]);
  };
  run(A1({1, 2, 3, 4, 5}), A1({3, 5, 7, 9, 11}));  // an exact line
  EXPECT_NEAR(v[4], 1, 1e-15);
  EXPECT_NEAR(v[5], 2, 1e-12);
  EXPECT_NEAR(v[6], 1, 1e-12);
  EXPECT_NEAR(v[13], 0, 1e-9);
  EXPECT_EQ(v[15], 0);
  for (double x : v) EXPECT_TRUE(std::isfinite(x));
  EXPECT_TRUE(w.texts.empty());

  run(A1({2, 2, 2, 2}), A1({1, 2, 3, 4}));  // one X value
  for (double x : v) EXPECT_TRUE(std::isfinite(x));
  EXPECT_EQ(v[13], 0);
  EXPECT_EQ(v[14], 0);
  run(A1({1, 2}), A1({1, 3}));  // too few points for the errors
  EXPECT_NEAR(v[5], 2, 1e-12);
  EXPECT_EQ(v[15], 0);
  ASSERT_EQ(w.texts.size(), 2u);
  EXPECT_EQ(w.texts[0], "AReRegCorr-ERR во всём массиве одно и то же значение X"_cp);
  EXPECT_EQ(w.texts[1], "AReRegCorr-ERR размер массивов =2"_cp);
}

TEST(Stats, CumulativeIntegrals) {
  // F = x on 1..5; the ends are extrapolated to 0 and 6.
  TARe IntL, Edges, IntR;
  AReCumInteg(A1({1, 2, 3, 4, 5}), A1({1, 2, 3, 4, 5}), IntL, Edges, IntR);
  ASSERT_EQ(IntL.size(), 7u);
  ExpectArr(Edges, {0.5, 1.5, 2.5, 3.5, 4.5, 5.5}, 1e-15);
  // IntL[j] = integral 0..j-1 (j = 1..N), IntL[N+1] = integral 0..N+1.
  ExpectArr(IntL, {0, 0.5, 2, 4.5, 8, 18});
  // IntR[j] = -integral j..N+1 (j = 2..N+1), IntR[1] = -integral 0..N+1.
  ExpectArr(IntR, {-18, -16, -13.5, -10, -5.5, 0});
}

TEST(Stats, MidPointsWidthsQuantiles) {
  Warnings w;
  TARe M, W;
  ARe_MidPoints(A1({1, 2, 4, 8}), M);
  ARe_Widths(A1({1, 2, 4, 8}), W);
  ExpectArr(M, {1.5, 3, 6});
  ExpectArr(W, {1, 2, 4});
  ARe_MidPoints(A1({8, 4, 2}), M);
  ExpectArr(M, {6, 3});
  ARe_MidPoints(A1({1, 2}), M);
  EXPECT_TRUE(M.empty());
  EXPECT_TRUE(w.texts.empty());
  ARe_MidPoints(A1({1, 3, 2, 4, 5, 6, 7}), M);
  ARe_Widths(A1({1, 3, 2}), W);
  EXPECT_TRUE(M.empty());
  EXPECT_TRUE(W.empty());
  ASSERT_EQ(w.texts.size(), 2u);
  EXPECT_EQ(w.texts[0], "ARe_MidPoints входной массив не упорядочен!\r\n"_cp +
                            AReToStrN(A1({1, 3, 2, 4, 5, 6, 7}), 5, 4));
  EXPECT_EQ(w.texts[1].rfind("ARe_Widths входной массив не упорядочен!\r\n"_cp, 0), 0u);

  TARe Q, Steps;
  AReQuantiles(A1({5, 1, 8, 3, 2, 7, 4, 6}), 4, Q, Steps);
  ASSERT_EQ(Q.size(), 6u);
  EXPECT_EQ(Q[0], 0);
  ExpectArr(Q, {1, 2, 4, 6, 8});
  ExpectArr(Steps, {2, 2, 2, 2, 2});
  AReQuantiles(A1({5, 1, 8, 3, 2}), 2, Q, Steps);  // step 2.5
  ExpectArr(Q, {1, 2 + 0.5 * (3 - 2), 8});
  AReQuantiles(A1({4, 9, 2}), 1, Q, Steps);
  ExpectArr(Q, {2, 9});
  AReQuantiles(A1({4, 9}), 4, Q, Steps);  // more quantiles than values
  ExpectArr(Q, {4, 4, 4, 6.5, 9});
}

TEST(Stats, Histograms) {
  TARe Means, Counts;
  double lo, hi;
  // Unsorted: Lo = 0, Hi = 10, bins of 2.5; a value at Lo goes to bin 1, at Hi to bin N.
  AReHistogram(A1({3, 0, 10, 5, 7.5, 2.5, 10}), 4, false, 0, 1, ' ', lo, hi, Means, Counts);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 10);
  ExpectArr(Counts, {2, 2, 1, 2});
  ExpectArr(Means, {1.25, 4, 7.5, 10});
  // Empty bins get their centres; log counts give -0.1 for them.
  AReHistogram(A1({0, 10}), 4, false, 0, 1, 'L', lo, hi, Means, Counts);
  ExpectArr(Counts, {0, -0.1, -0.1, 0});
  ExpectArr(Means, {0, 3.75, 6.25, 10});
  // Unsorted with a cut: only values inside [Lo, Hi] = [2, 8] count.
  AReHistogram(A1({0, 2, 5, 8, 10}), 2, false, 0.2, 0.8, ' ', lo, hi, Means, Counts);
  EXPECT_EQ(lo, 2);
  EXPECT_EQ(hi, 8);
  ExpectArr(Counts, {2, 1});

  // Sorted: repeated values at either end count once.
  AReHistogram(A1({4, 1, 3, 1, 2, 4, 1}), 3, true, 0, 1, ' ', lo, hi, Means, Counts);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 4);
  ExpectArr(Counts, {2, 1, 1});
  ExpectArr(Means, {1.5, 3, 4});
}

TEST(Stats, ScatterBinsAndEqualCountIntervals) {
  TARe X = A1({9.5, 0.5, 1, 3, 3.5, 10, 5.5}), Y(X.size());
  for (size_t i = 1; i < X.size(); ++i) Y[i] = 2 * X[i];
  TARe MX, MY;
  AReScatterBin(X, Y, 5, true, 10, 0, MX, MY);  // limits exchanged
  ExpectArr(MX, {0.75, 3.25, 5.5, 9.75});  // the bin 6..8 is empty: no entry
  ExpectArr(MY, {1.5, 6.5, 11, 19.5});
  ExpectArr(X, {0.5, 1, 3, 3.5, 5.5, 9.5, 10});  // sorted in place, Y along
  ExpectArr(Y, {1, 2, 6, 7, 11, 19, 20});
  // From fractions 0 and 1: Lo = X[1], Hi = X[n-1] (the largest point is left out).
  AReScatterBin(X, Y, 5, false, 0, 1, MX, MY);
  ExpectArr(MX, {0.75, 3.25, 5.5, 9.5});

  TARe HX, HY;
  TARe SX = A1({7, 2, 9, 1, 10, 4, 3, 8, 6, 5}), SY = SX;
  AReHistSmooth(SX, SY, 3, HX, HY);  // 10 = 2 + 3 + 3 + 2
  ExpectArr(HX, {1.5, 4, 7, 9.5});
  ExpectArr(HY, {1.5, 4, 7, 9.5});
  SX = A1({3, 1, 2, 6, 5, 4, 9, 8, 7});
  SY = SX;
  AReHistSmooth(SX, SY, 3, HX, HY);
  ExpectArr(HX, {2, 5, 8});

  Warnings w;
  TARe keep = {0, 42};
  HX = keep;
  AReHistSmooth(SX, SY, 1, HX, HY);
  AReHistSmooth(SX, SY, 5, HX, HY);
  EXPECT_EQ(HX, keep);
  ASSERT_EQ(w.texts.size(), 2u);
  EXPECT_EQ(w.texts[0], "AReHistSmooth-ERR: для ScatterPlot размером 9 точек\n\rзадано число интервалов равное 1!"_cp);
  EXPECT_EQ(w.texts[1], "AReHistSmooth-Err: длина массивов=9 N интервалов гистограммы=5"_cp);
}

TEST(Stats, BinMeansFillEmptyBins) {
  T2ARe XY{A1({3.5, 1.5, -1, 0.5, 1.0, 4.0, 7}), A1({7, 3, 100, 1, 5, 9, 100})};
  T3ARe Res;
  AReBinMeanY(XY, A1({0, 1, 2, 3, 4}), Res);
  ExpectArr(Res.A1, {0.5, 1.5, 2.5, 3.5});
  // Bin 1: 0.5 whole, 1.0 on the inner edge (half, taken by the lower bin only).
  // Bin 4: 3.5 whole, 4.0 on the outer edge (half). Bin 3 is filled between bins 2 and 4.
  const double m4 = (7 + 4.5) / 1.5;
  ExpectArr(Res.A2, {3.5 / 1.5, 3, (3 + m4) / 2, m4});
  ExpectArr(Res.A3, {1.5, 1, 0, 1.5});

  // An empty last bin is extrapolated from the two before it.
  T2ARe XY2{A1({0.5, 1.5}), A1({2, 4})};
  AReBinMeanY(XY2, A1({0, 1, 2, 3}), Res);
  ExpectArr(Res.A2, {2, 4, 6});
  ExpectArr(Res.A3, {1, 1, 0});

  AReBinMeanY(XY2, A1({0, 1}), Res);  // fewer than two bins
  EXPECT_TRUE(Res.A2.empty());
}

TEST(Stats, FillGaps) {
  Warnings w;
  struct Case {
    std::vector<double> aw, az, want;
    size_t warnings;
  };
  const std::vector<Case> cases = {
      // interior gap, then gaps after the last filled point (from the last two filled points)
      {{1, 0, 1, 1, 0, 0}, {1, 0, 3, 5, 0, 0}, {1, 2, 3, 5, 7, 9}, 0},
      // leading gaps extrapolated backwards from the first two filled points
      {{0, 0, 1, 1}, {0, 0, 3, 5}, {-1, 1, 3, 5}, 0},
      // a filled last point ends the walk
      {{1, 0, 0, 1}, {2, 0, 0, 8}, {2, 4, 6, 8}, 0},
      // nothing filled: warned, unchanged
      {{0, 0, 0}, {5, 6, 7}, {5, 6, 7}, 1},
      // one filled point: warned at the first gap, unchanged
      {{0, 1, 0}, {5, 6, 7}, {5, 6, 7}, 1},
  };
  size_t seen = 0;
  for (const Case& c : cases) {
    TARe AX(c.aw.size() + 1, 0.0);
    for (size_t i = 1; i < AX.size(); ++i) AX[i] = static_cast<double>(i);
    TARe AZ = A1(c.az);
    FillGaps(A1(c.aw), AX, AZ);
    ExpectArr(AZ, c.want);
    seen += c.warnings;
    EXPECT_EQ(w.texts.size(), seen);
  }
  ASSERT_EQ(w.texts.size(), 2u);
  EXPECT_EQ(w.texts[0], "cvARe.FillGaps-ERR в AZ (length=3) нет заполненных точек!"_cp);
  EXPECT_EQ(w.texts[1], "cvARe.FillGaps-ERR в AZ (length=3) только одна заполненная точка!"_cp);
}

TEST(Stats, PixelAverage) {
  const TAR4R4 A = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  EXPECT_DOUBLE_EQ(AR4R4PixAvg(A, 1.5, 1.5), 5);           // exactly pixel (1, 1)
  EXPECT_DOUBLE_EQ(AR4R4PixAvg(A, 1, 1), (1 + 2 + 4 + 5) / 4.0);
  EXPECT_DOUBLE_EQ(AR4R4PixAvg(A, 0, 0), 1);               // a quarter inside the map
  EXPECT_DOUBLE_EQ(AR4R4PixAvg(A, 3, 3), 9);
  EXPECT_NEAR(AR4R4PixAvg(A, 1.2, 1.5), 0.3 * 2 + 0.7 * 5, 1e-12);
  EXPECT_EQ(AR4R4PixAvg(A, -5, 1), 0);
  EXPECT_EQ(AR4R4PixAvg(TAR4R4{}, 1, 1), 0);
}

TEST(Stats, TableColumns) {
  Warnings w;
  TStrList sl{"comment line", "lam  I   V", "6301.5 0.95 1e-3", "6301.6 0.80 -2-3", "6301.7 0.70 0.001"};
  TARe AX, AY;
  std::string nx, ny;
  SLExtractAXAY(&sl, 2, 5, 1, 3, AX, AY, nx, ny);
  EXPECT_EQ(nx, "lam");
  EXPECT_EQ(ny, "V");
  ExpectArr(AX, {6301.5, 6301.6, 6301.7});
  ExpectArr(AY, {1e-3, -2e-3, 0.001}, 1e-15);
  SLExtractAXAY(&sl, 3, 5, 2, 1, AX, AY, nx, ny);  // no header
  EXPECT_EQ(nx, "X02");
  EXPECT_EQ(ny, "Y01");
  ExpectArr(AX, {0.95, 0.80, 0.70});
  EXPECT_TRUE(w.texts.empty());

  // A faulty table: at most one first-line message, two of each kind after it.
  TStrList bad{"1", "1 2", "3", "4", "5", "a 1", "2 b", "c d", "7 8"};
  SLExtractAXAY(&bad, 1, 9, 1, 2, AX, AY, nx, ny);
  ExpectArr(AX, {1, 7});
  ExpectArr(AY, {2, 8});
  ASSERT_EQ(w.texts.size(), 5u);
  EXPECT_EQ(w.texts[0], "SLExtractAXAY + в строке 0 (в первой строке таблицы) всего 1 слов, а запрошено слово из колонки 2\r\n<1>"_cp);
  EXPECT_EQ(w.texts[1], "SLExtractAXAY + в строке 2 всего 1 слов, а запрошено слово из колонки 2\r\n<3>"_cp);
  EXPECT_EQ(w.texts[3], "SLExtractAXAY + в строке 5 X = <a> не является числом строка=<a 1>"_cp);
  EXPECT_EQ(w.texts[4], "SLExtractAXAY + в строке 6 Y = <b> не является числом строка=<2 b>"_cp);

  w.texts.clear();
  TARe keep = {0, 5};
  AX = keep;
  SLExtractAXAY(&sl, 3, 3, 1, 2, AX, AY, nx, ny);
  SLExtractAXAY(&sl, 2, 5, 2, 2, AX, AY, nx, ny);
  EXPECT_EQ(AX, keep);
  ASSERT_EQ(w.texts.size(), 2u);
  EXPECT_EQ(w.texts[0], "SLExtractAXAY j2=3 j1=3");
  EXPECT_EQ(w.texts[1], "SLExtractAXAY колонка X = колонка Y = 2"_cp);

  w.texts.clear();
  std::string name = "old";
  SLExtractAX(&sl, 2, 5, 2, AX, name);
  EXPECT_EQ(name, "I");
  ExpectArr(AX, {0.95, 0.80, 0.70});
  SLExtractAX(&sl, 3, 5, 1, AX, name);
  EXPECT_EQ(name, "");
  ExpectArr(AX, {6301.5, 6301.6, 6301.7});
  SLExtractAX(&sl, 1, 5, 4, AX, name);
  EXPECT_EQ(AX.size(), 1u);
  EXPECT_EQ(w.texts.size(), 3u);  // the first line, then two of the four short lines
  EXPECT_EQ(w.texts[0], "SLExtractAX + в строке 0 всего 2 слов, а запрошено слово из колонки 4\r\n<comment line>"_cp);

  // A range reaching far past the list ("to the end") reads the lines there are, and no more.
  w.texts.clear();
  SLExtractAXAY(&sl, 2, INT32_MAX, 1, 2, AX, AY, nx, ny);
  EXPECT_EQ(nx, "lam");
  ExpectArr(AX, {6301.5, 6301.6, 6301.7});
  ExpectArr(AY, {0.95, 0.80, 0.70});
  SLExtractAX(&sl, 2, INT32_MAX, 2, AX, name);
  EXPECT_EQ(name, "I");
  ExpectArr(AX, {0.95, 0.80, 0.70});
  EXPECT_TRUE(w.texts.empty());
}

}  // namespace
