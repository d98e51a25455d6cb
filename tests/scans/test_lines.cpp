// Line primitives of a slit pixel against analytic profiles made here: wing and level crossings,
// nine-band bisectors (real and raw forms, LineMetrix), the line midpoints of BisLevPair, the
// Gauss line model and the obsolete three-parameter fit.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#if __has_include(<cerf.h>) && defined(CORVESTA_HAVE_CERF)
#include <cerf.h>
#define LINES_HAVE_CERF 1
#endif

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "scans/cvBisec.h"
#include "scans/cvGauss.h"
#include "scans/cvWings.h"
#include "support/SinkRecorder.h"

namespace {

constexpr double kSqrtPiFull = 1.7724538509055160273;

// Runs Work as a job and returns the texts it warned (each distinct text once, with its count).
std::vector<TJob::TWarning> Warnings(const std::function<void()>& Work) {
  TJob job("lines");
  {
    TJobScope scope(job);
    Work();
  }
  return job.Warnings();
}

bool Warned(const std::vector<TJob::TWarning>& W, const std::string& Part) {
  for (const auto& w : W)
    if (w.Text.find(Part) != std::string::npos) return true;
  return false;
}

// F(u) = u sqrt(-ln u) + (sqrt(pi)/2) erfc(sqrt(-ln u)): its derivative is sqrt(-ln u).
double FGauss(double u) {
  if (u <= 0) return 0;
  if (u >= 1) return kSqrtPiFull / 2;
  const double t = std::sqrt(-std::log(u));
  return u * t + kSqrtPiFull / 2 * std::erfc(t);
}

// A real profile sampled every H pixels over [x0 - Half, x0 + Half], I = C (1 - D g((x - x0)/w)).
void Sample(double C, double D, double W, double X0, double Half, double H,
            const std::function<double(double)>& G, TARe& X, TARe& Y) {
  const int n = static_cast<int>(std::lround(2 * Half / H)) + 1;
  X.assign(n + 1, 0);
  Y.assign(n + 1, 0);
  for (int i = 1; i <= n; ++i) {
    X[i] = X0 - Half + (i - 1) * H;
    Y[i] = C * (1 - D * G((X[i] - X0) / W));
  }
}

double Gauss(double v) { return std::exp(-v * v); }

// A 112-pixel raw profile of a Gaussian line, rounded.
TAIn RawGauss(double C, double D, double W, double X0) {
  TAIn A(113, 0);
  for (int i = 1; i <= 112; ++i) A[i] = static_cast<int32_t>(std::lround(C * (1 - D * Gauss((i - X0) / W))));
  return A;
}

}  // namespace

// ---------------------------------------------------------------- bisectors

TEST(Bisec9, GaussianBandWidthsFollowTheClosedForm) {
  const double C = 1000, d = 0.6, w = 4.15, x0 = 30;
  TARe X, Y;
  Sample(C, d, w, x0, 6 * w, 0.025, Gauss, X, Y);
  double xmin = -1, ymin = -1;
  TBand9 bis{}, wid{}, xl{}, xr{};
  int32_t next = 0;
  const auto warn = Warnings(
      [&] { CalcBisec9(1, NOf(X), X, Y, C, xmin, ymin, bis, wid, xl, xr, next); });
  EXPECT_TRUE(warn.empty()) << warn.front().Text;
  EXPECT_LE(next, 4);
  EXPECT_DOUBLE_EQ(xmin, x0);
  EXPECT_NEAR(ymin, C * (1 - d), 1e-9);
  for (int m = 1; m <= 9; ++m) {
    // slot m is the band of u = (C - I)/(C - Imin) in [(m - 1)/10, (m + 1)/10]
    const double u1 = (m - 1) / 10.0, u2 = (m + 1) / 10.0;
    EXPECT_NEAR(wid[m] / w, 10 * (FGauss(u2) - FGauss(u1)), 1e-4) << "slot " << m;
    EXPECT_NEAR(bis[m], x0, 1e-3) << "slot " << m;
    if (m > 1) {
      EXPECT_LT(wid[m], wid[m - 1]) << "slot " << m;
    }
  }
}

TEST(Bisec9, LineMetrixOnARoundedGaussianGivesItsEquivalentWidth) {
  const double C = 30000, d = 0.65, w = 4.15;
  const TAIn A = RawGauss(C, d, w, 30);
  double xmin = 0, ymin = 0;
  TBand9 bis{}, wid{};
  TGauss3 dld{}, lam0{}, d0{};
  int32_t next = 0;
  const auto warn = Warnings(
      [&] { LineMetrix(1, 56, A, C, xmin, ymin, bis, wid, dld, lam0, d0, next); });
  EXPECT_EQ(xmin, 30);
  EXPECT_DOUBLE_EQ(ymin, 35);
  double sum = 0;
  for (int k = 1; k <= 9; ++k) EXPECT_NEAR(bis[k], 30, 1e-9) << "band " << k;
  for (int k = 1; k <= 5; ++k) sum += wid[k];
  const double s = (C - A[30]) / 5;
  EXPECT_NEAR(s * sum / C, d * w * kSqrtPiFull, 1e-4);
  EXPECT_NEAR(s * sum / C * 21.549, 103.03, 0.01);  // mA
  // band order: whole steps 1..5 narrowing, half steps 6..9 between their neighbours
  for (int k = 2; k <= 5; ++k) EXPECT_LT(wid[k], wid[k - 1]);
  for (int k = 6; k <= 9; ++k) {
    EXPECT_LT(wid[k], wid[k - 5]);
    EXPECT_GT(wid[k], wid[k - 4]);
  }
  // the three Gauss fits find the line
  for (int e = 1; e <= 3; ++e) {
    EXPECT_NEAR(lam0[e], 30, 0.05) << e;
    EXPECT_NEAR(dld[e], w, 0.2) << e;
    EXPECT_NEAR(d0[e], C * (1 - d), 0.01 * C) << e;
  }
  // the five standing warnings, each once
  ASSERT_EQ(warn.size(), 3u);
  EXPECT_TRUE(Warned(warn, "Процедура LineMetrix вызывет устаревший способ"_cp));
  EXPECT_TRUE(Warned(warn, "Процедура Get3GaussPar не должна вызываться,\r\n"_cp));
  for (const auto& w3 : warn) {
    if (w3.Text.find("Процедура GetGaussPar"_cp) == 0) {
      EXPECT_EQ(w3.Count, 3);
    }
  }
}

TEST(Bisec9, ZeroContinuumGivesNoDepthPercent) {
  const TAIn A(113, 0);
  double xmin = 0, ymin = 7;
  TBand9 bis{}, wid{};
  TGauss3 dld{}, lam0{}, d0{};
  int32_t next = 0;
  Warnings([&] { LineMetrix(1, 56, A, 0, xmin, ymin, bis, wid, dld, lam0, d0, next); });
  EXPECT_EQ(ymin, 0);
  EXPECT_TRUE(std::isfinite(xmin));
}

#ifdef LINES_HAVE_CERF
TEST(Bisec9, VoigtBandsMatchTheQuadratureOfTheWidth) {
  for (double a : {0.1, 0.5, 1.2}) {
    auto H = [a](double v) { return re_w_of_z(v, a); };
    const double H0 = H(0);
    auto g = [&](double v) { return H(std::fabs(v)) / H0; };
    const double C = 1000, d = 0.5, w = 3.0, x0 = 20;
    TARe X, Y;
    Sample(C, d, w, x0, 18, 0.025, g, X, Y);
    double xmin = 0, ymin = 0;
    TBand9 bis{}, wid{}, xl{}, xr{};
    int32_t next = 0;
    Warnings([&] { CalcBisec9(1, NOf(X), X, Y, C, xmin, ymin, bis, wid, xl, xr, next); });
    // v(u): where g falls to u; the band mean of 2 w v(u) by parts: [u v] - integral of g dv.
    auto vOf = [&](double u) {
      double lo = 0, hi = 50;
      for (int it = 0; it < 200; ++it) {
        const double m = (lo + hi) / 2;
        (g(m) > u ? lo : hi) = m;
      }
      return (lo + hi) / 2;
    };
    auto intG = [&](double v1, double v2) {  // Simpson over v
      const int n = 4000;
      const double h = (v2 - v1) / n;
      double s = g(v1) + g(v2);
      for (int i = 1; i < n; ++i) s += (i % 2 ? 4 : 2) * g(v1 + i * h);
      return s * h / 3;
    };
    for (int m = 2; m <= 9; ++m) {
      const double u1 = (m - 1) / 10.0, u2 = (m + 1) / 10.0;
      const double v1 = vOf(u1), v2 = m == 9 ? 0 : vOf(u2);
      const double integral = u2 * v2 - u1 * v1 + intG(v2, v1);
      const double expect = 2 * w * integral / (u2 - u1);
      EXPECT_NEAR(wid[m], expect, 1e-3) << "a=" << a << " slot " << m;
      EXPECT_NEAR(bis[m], x0, 1e-3) << "a=" << a << " slot " << m;
    }
  }
}
#else
TEST(Bisec9, VoigtBandsMatchTheQuadratureOfTheWidth) {
  GTEST_SKIP() << "libcerf (libcerf-dev) not installed: no independent Voigt function";
}
#endif

TEST(Bisec9, SlotOrderDiffersBetweenRealAndRawForms) {
  const TAIn A = RawGauss(20000, 0.6, 4, 30);
  TARe X(113), Y(113);
  for (int i = 1; i <= 112; ++i) {
    X[i] = i;
    Y[i] = A[i];
  }
  double xm = 0, ym = 0, xm2 = 0, ym2 = 0;
  TBand9 b1{}, w1{}, l1{}, r1{}, b2{}, w2{}, l2{}, r2{};
  int32_t n1 = 0, n2 = 0;
  Warnings([&] {
    CalcBisec9(1, 56, X, Y, 20000, xm, ym, b1, w1, l1, r1, n1);
    CalcBisec9I(1, 56, A, 20000, xm2, ym2, b2, w2, l2, r2, n2);
  });
  const int slot[10] = {0, 1, 3, 5, 7, 9, 2, 4, 6, 8};
  for (int k = 1; k <= 9; ++k) EXPECT_NEAR(w1[slot[k]], w2[k], 1e-9) << "band " << k;
  for (int m = 2; m <= 9; ++m) EXPECT_LT(w1[m], w1[m - 1]);
}

TEST(Bisec9, IrregularProfilesAndFlatWingsStop) {
  // Several strong dips: not measured, Bis and Wid zero, XL/XR and the minimum kept.
  TARe X(61), Y(61);
  for (int i = 1; i <= 60; ++i) {
    X[i] = i;
    Y[i] = 1000 * (1 - 0.5 * std::pow(std::cos(i * 0.6), 2));
  }
  TBand9 bis, wid, xl, xr;
  bis.fill(5);
  wid.fill(5);
  xl.fill(7);
  xr.fill(7);
  double xm = -3, ym = -4;
  int32_t next = 0;
  Warnings([&] { CalcBisec9(1, 60, X, Y, 1000, xm, ym, bis, wid, xl, xr, next); });
  EXPECT_GT(next, 4);
  for (int m = 1; m <= 9; ++m) {
    EXPECT_EQ(bis[m], 0);
    EXPECT_EQ(wid[m], 0);
    EXPECT_EQ(xl[m], 7);
  }
  EXPECT_EQ(xm, -3);
  EXPECT_EQ(ym, -4);

  // A wing vertical over band 1 (top and bottom at one position): the area warning, Bis and Wid
  // unchanged.
  TARe X2(8), Y2(8);
  const double xs[8] = {0, 1, 2, 2, 3, 4, 5, 6}, vals[8] = {0, 1000, 1000, 500, 500, 500, 1000, 1000};
  for (int i = 1; i <= 7; ++i) {
    X2[i] = xs[i];
    Y2[i] = vals[i];
  }
  bis.fill(5);
  wid.fill(5);
  // window from 2: band 1 starts at (2, 1000) and falls at x = 2
  const auto warn = Warnings([&] { CalcBisec9(2, 7, X2, Y2, 1000, xm, ym, bis, wid, xl, xr, next); });
  EXPECT_TRUE(Warned(warn, "CalcBisec9-ERR: площадь сегмента 1=0"_cp));
  EXPECT_EQ(bis[1], 5);
  EXPECT_EQ(wid[9], 5);
}

TEST(Bisec9, EdgeBelowTheContinuumIsBandOnesTop) {
  // A window cut inside the line: band 1 starts at the edge point at its own level.
  const TAIn A = RawGauss(20000, 0.6, 4, 30);
  TARe X(113), Y(113);
  for (int i = 1; i <= 112; ++i) {
    X[i] = i;
    Y[i] = A[i];
  }
  double xm = 0, ym = 0;
  TBand9 bis{}, wid{}, xl{}, xr{};
  int32_t next = 0;
  Warnings([&] { CalcBisec9(22, 38, X, Y, 20000, xm, ym, bis, wid, xl, xr, next); });
  // band 1 of the left pass averages from x = 22 (the edge) down to the level C - s
  EXPECT_GT(xl[1], 22);
  EXPECT_LT(xl[1], 30);
  EXPECT_NEAR(bis[1], 30, 1e-9);
}

// ---------------------------------------------------------------- crossings

TEST(Wings, CrossingsOfARawWing) {
  //            1    2    3    4    5    6    7    8    9   10
  TAIn A = {0, 900, 900, 880, 700, 500, 300, 500, 700, 880, 900};
  int32_t K = 0;
  // level 600 between 4 (700) and 5 (500) on the left, 7 and 8 on the right
  EXPECT_DOUBLE_EQ(ipolLeWi(1, 6, K, A, 600), 4.5);
  EXPECT_EQ(K, 5);
  EXPECT_DOUBLE_EQ(ipolRiWi(6, 10, K, A, 600), 7.5);
  EXPECT_EQ(K, 7);
  // the level met exactly at a pixel gives that pixel
  TAIn E = {0, 900, 600, 600, 300, 600, 600, 900};
  EXPECT_DOUBLE_EQ(ipolLeWi(1, 4, K, E, 600), 3);
  EXPECT_DOUBLE_EQ(ipolRiWi(4, 7, K, E, 600), 5);
  // real form
  TARe X = {0, 0, 0.5, 1, 1.5, 2}, Y = {0, 900, 700, 500, 700, 900};
  EXPECT_DOUBLE_EQ(ipolLeWi(1, 5, K, X, Y, 600), 0.75);
  EXPECT_EQ(K, 3);
  EXPECT_DOUBLE_EQ(ipolRiWi(1, 5, K, X, Y, 600), 1.25);
  EXPECT_EQ(K, 3);
  TARe Yq = {0, 900, 600, 600, 600, 900};
  EXPECT_DOUBLE_EQ(RiPoLeWi_R(3, X, Yq, 600), 0.75);  // equal: the midpoint
  EXPECT_DOUBLE_EQ(LePoRiWi(3, X, Yq, 600), 1.25);
  TAIn Aq = {0, 900, 600, 600, 900};
  EXPECT_DOUBLE_EQ(RiPoLeWi_I(3, Aq, 600), 2.5);
  EXPECT_DOUBLE_EQ(LePoRiWi(2, Aq, 600), 2.5);
}

TEST(Wings, LookAheadTakesTheOuterCrossing) {
  // A one-pixel dip below the level 4 pixels outside the first crossing of the left wing.
  //            1    2    3    4    5    6    7    8    9   10   11
  TAIn A = {0, 900, 900, 900, 550, 900, 900, 700, 400, 300, 400, 900};
  int32_t K = 0;
  const double x = ipolLeWi(1, 9, K, A, 600);
  EXPECT_DOUBLE_EQ(x, 3 + 300.0 / 350);  // between 3 and 4, beyond the dip
  EXPECT_EQ(K, 4);
  // mirror on the right
  TAIn B = {0, 900, 400, 300, 400, 700, 900, 900, 550, 900, 900, 900};
  const double y = ipolRiWi(3, 11, K, B, 600);
  EXPECT_DOUBLE_EQ(y, 9 - 300.0 / 350);
  EXPECT_EQ(K, 8);
}

TEST(Wings, NoCrossingWarnsAndReturnsTheStart) {
  TAIn A = {0, 500, 500, 400, 300, 400, 500, 500};
  int32_t K = 0;
  std::vector<TJob::TWarning> w;
  w = Warnings([&] { EXPECT_DOUBLE_EQ(ipolLeWi(1, 4, K, A, 600), 4); });
  EXPECT_EQ(K, 1);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].Text, "LineMetrix.ipolLeWi-ERROR!\n\rНа уровне I=600 не найдено пересечение "
                       "с левым крылом профиля\n\rI(край)[1]=500 I(центр)[4]=300"_cp);
  w = Warnings([&] { EXPECT_DOUBLE_EQ(ipolRiWi(4, 7, K, A, 600), 4); });
  EXPECT_TRUE(Warned(w, "не найдено пересечение с правым крылом профиля\n\rI(центр)[4]=300 "
                        "I(край)[7]=500"_cp));
  // real forms warn at their bound and still interpolate there
  TARe X = {0, 1, 2, 3}, Y = {0, 900, 800, 700};
  w = Warnings([&] { EXPECT_DOUBLE_EQ(ipolLeWi(1, 3, K, X, Y, 600), 4); });
  EXPECT_TRUE(Warned(w, "LineMetrix.ipolLeWi-ERROR!!!"));
  // a level outside the segment's values warns and interpolates on
  w = Warnings([&] { RiPoLeWi_I(5, A, 350); });
  EXPECT_TRUE(Warned(w, "LineMetrix-RiPoLeWi_I СБОЙ ii=5 y=350 < y2=400 y1=300"_cp));
}

// The raw crossings as plain pixel-by-pixel walks comparing each value with the real level: the
// fast walks must give the same position and K for every profile, window and level.
namespace plain {

double LeWi(int32_t KMin, int32_t KStart, int32_t& K, const TAIn& A, double Lev) {
  const int32_t n = static_cast<int32_t>(A.size()) - 1;
  KMin = std::clamp(KMin, 1, n);
  K = std::clamp(KStart, KMin, n);
  while (A[K] > Lev && K > KMin) --K;
  while (A[K] < Lev && K > KMin) --K;
  if (K == KMin && A[K] < Lev) return KStart;
  const int32_t lim = std::max(KMin, K - 8);
  int32_t j = K;
  bool below = false;
  while (j > lim)
    if (A[--j] < Lev) {
      below = true;
      break;
    }
  if (below) {
    const int32_t lim2 = std::max(KMin, j - 8);
    while (A[j] < Lev && j > lim2) --j;
    if (A[j] >= Lev) K = j;
  }
  if (K >= n) return K;
  K = K + 1;
  if (A[K - 1] == A[K]) return K - 0.5;
  return (K - 1) + (A[K - 1] - Lev) / (double(A[K - 1]) - A[K]);
}

double RiWi(int32_t KStart, int32_t KMax, int32_t& K, const TAIn& A, double Lev) {
  const int32_t n = static_cast<int32_t>(A.size()) - 1;
  KMax = std::clamp(KMax, 1, n);
  K = std::clamp(KStart, 1, KMax);
  while (A[K] > Lev && K < KMax) ++K;
  while (A[K] < Lev && K < KMax) ++K;
  if (K == KMax && A[K] < Lev) return KStart;
  const int32_t lim = std::min(KMax, K + 8);
  int32_t j = K;
  bool below = false;
  while (j < lim)
    if (A[++j] < Lev) {
      below = true;
      break;
    }
  if (below) {
    const int32_t lim2 = std::min(KMax, j + 8);
    while (A[j] < Lev && j < lim2) ++j;
    if (A[j] >= Lev) K = j;
  }
  if (K <= 1) return K;
  K = K - 1;
  if (A[K + 1] == A[K]) return K + 0.5;
  return (K + 1) - (A[K + 1] - Lev) / (double(A[K + 1]) - A[K]);
}

}  // namespace plain

TEST(Wings, FastWalksGiveThePlainCrossings) {
  TJob job("walks");
  TJobScope scope(job);  // the no-crossing warnings stay in the job
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> u(0, 1);
  TAIn A(113, 0);
  for (int t = 0; t < 20000; ++t) {
    const double c = 10 + 90 * u(rng), w = 2 + 8 * u(rng), d = u(rng), noise = 400 * u(rng);
    for (int k = 1; k <= 112; ++k)
      A[k] = static_cast<int32_t>(20000 * (1 - d * std::exp(-std::pow((k - c) / w, 2))) +
                                  noise * (u(rng) - 0.5));
    const int32_t a = 1 + static_cast<int32_t>(u(rng) * 112), b = 1 + static_cast<int32_t>(u(rng) * 112);
    // levels between, on and beyond the pixel values
    double lev = 20000 * (1 - d * u(rng));
    if (t % 4 == 1) lev = A[1 + static_cast<int32_t>(u(rng) * 112)];
    if (t % 4 == 2) lev = std::round(lev) + 0.5;
    if (t % 97 == 0) lev = t % 2 ? 1e12 : -1e12;
    int32_t k1 = 0, k2 = 0;
    ASSERT_EQ(ipolLeWi(std::min(a, b), std::max(a, b), k1, A, lev),
              plain::LeWi(std::min(a, b), std::max(a, b), k2, A, lev)) << t;
    ASSERT_EQ(k1, k2) << t;
    ASSERT_EQ(ipolRiWi(std::min(a, b), std::max(a, b), k1, A, lev),
              plain::RiWi(std::min(a, b), std::max(a, b), k2, A, lev)) << t;
    ASSERT_EQ(k1, k2) << t;
    // resumed where the walk at a level not below this one left the far wing
    const double hi = t % 5 == 3 ? lev : lev + 3000 * u(rng);
    int32_t left = std::max(a, b), right = std::min(a, b), k3 = 0;
    ipolLeWi(std::min(a, b), std::max(a, b), k3, A, hi, &left);
    ipolRiWi(std::min(a, b), std::max(a, b), k3, A, hi, &right);
    ASSERT_EQ(ipolLeWi(std::min(a, b), std::max(a, b), k1, A, lev, &left),
              plain::LeWi(std::min(a, b), std::max(a, b), k2, A, lev)) << t;
    ASSERT_EQ(k1, k2) << t;
    ASSERT_EQ(ipolRiWi(std::min(a, b), std::max(a, b), k1, A, lev, &right),
              plain::RiWi(std::min(a, b), std::max(a, b), k2, A, lev)) << t;
    ASSERT_EQ(k1, k2) << t;
  }
}

TEST(Wings, CollectorsSkipTheUpperCrossingAndStopAtTheLowerLevel) {
  TAIn A = {0, 900, 800, 700, 600, 500, 400};
  TARe XO(10, 0), YO(10, 0);
  int32_t N = 1, K = 2;
  LeWiPointsI(XO, YO, A, N, K, 6, 800, 550);  // point 2 equals Lev1: skipped
  EXPECT_EQ(N, 3);
  EXPECT_EQ(XO[2], 3);
  EXPECT_EQ(XO[3], 4);
  EXPECT_EQ(K, 5);
  N = 0;
  K = 5;
  LeWiPointsI(XO, YO, A, N, K, 6, 900, 550);  // already below Lev2: nothing
  EXPECT_EQ(N, 0);
  // lists that are too short are never written beyond their end
  TARe XS(2, 0), YS(2, 0);
  N = 0;
  K = 5;
  RiWiPointsI(XS, YS, A, N, K, 0, 0, 0);
  EXPECT_EQ(N, 1);
}

TEST(Wings, WingBoundsFindTheCoreAndItsWings) {
  TAIn A = RawGauss(20000, 0.6, 3, 30);
  for (int i = 57; i <= 112; ++i) A[i] = static_cast<int32_t>(std::lround(20000 * (1 - 0.5 * Gauss((i - 76.0) / 3))));
  int32_t KL = 0, KR = 0;
  WingBoundsI(30, A, KL, KR);
  EXPECT_EQ(KR, 30);
  EXPECT_LT(KL, 20);
  WingBoundsI2(30, A, KL, KR);
  EXPECT_EQ(KL, 30);
  EXPECT_GT(KR, 40);
  // a start on the wing walks down to the bottom
  WingBoundsI(33, A, KL, KR);
  EXPECT_EQ(KR, 30);
  WingBoundsI2(72, A, KL, KR);
  EXPECT_EQ(KL, 76);
  // a deeper dip to the blue within reach replaces a shallow one off the nominal core
  TAIn B(113, 20000);
  for (int i = 1; i <= 112; ++i)
    B[i] = static_cast<int32_t>(std::lround(20000 * (1 - 0.2 * Gauss((i - 36.0) / 2) -
                                                     0.7 * Gauss((i - 26.0) / 2))));
  WingBoundsI(36, B, KL, KR);
  EXPECT_EQ(KR, 26);
}

TEST(Wings, BisLevPairFindsLineCentresAtAnyFraction) {
  for (double f = 0; f < 1; f += 0.05) {
    TAIn A(113, 0);
    const double c1 = 30 + f, c2 = 76 - f / 2;
    for (int i = 1; i <= 112; ++i)
      A[i] = static_cast<int32_t>(std::lround(
          25000 * (1 - 0.68 * Gauss((i - c1) / 4.15) - 0.62 * Gauss((i - c2) / 3.31))));
    double x1 = 0, x2 = 0;
    int32_t k1 = 0, k2 = 0, m1 = 0, m2 = 0;
    const auto w = Warnings([&] { BisLevPair(A, 25000, 0.5, x1, x2, k1, k2, m1, m2); });
    EXPECT_TRUE(w.empty());
    EXPECT_NEAR(x1, c1, 0.02) << f;
    EXPECT_NEAR(x2, c2, 0.02) << f;
    EXPECT_EQ(m1, A[k1]);
    // the per-slit form reads the same minima
    double y1 = 0, y2 = 0;
    const TAIn M1 = {0, m1}, M2 = {0, m2}, K1 = {0, k1}, K2 = {0, k2};
    BisLevPairJ(A, 1, 25000, 0.5, y1, y2, M1, M2, K1, K2);
    EXPECT_EQ(y1, x1);
    EXPECT_EQ(y2, x2);
  }
}

// ---------------------------------------------------------------- Gauss model

TEST(GaussModel, ProfileDepthSymmetryAndSplitting) {
  Tgs gs;
  gs.Cont = 20000;
  gs.DLD = 4;
  gs.DLDk = 0.9;
  gs.La12 = 1;
  double I = 0;
  gs_ProfI(gs, 0, I);
  EXPECT_DOUBLE_EQ(I, 20000 * (1 - 1 / (1.772453851 * 0.9)));
  EXPECT_NEAR(gs_get_d0(gs), I, 1e-4);  // full precision there
  gs.H = 1000;
  EXPECT_NEAR(_H2DLH(gs), 1.43583, 1e-5);
  gs.La12 = 2;
  EXPECT_NEAR(_H2DLH(gs), 2.14023, 1e-5);
  gs.kSig = 0.5;
  for (int line : {1, 2}) {
    gs.La12 = line;
    gs.fPi = line == 1 ? 0.7 : 0;  // fPi is ignored for line 1
    for (double x : {0.3, 1.0, 2.5, 6.0}) {
      double a = 0, b = 0;
      gs_ProfI(gs, x, a);
      gs_ProfI(gs, -x, b);
      EXPECT_NEAR(a, b, 1e-9) << line << " " << x;
    }
  }
  gs.La12 = 3;
  const auto w = Warnings([&] { EXPECT_EQ(_H2DLH(gs), 0); });
  EXPECT_TRUE(Warned(w, "Вызов _H2DLH, когда gs.La12 = 3!"_cp));
}

TEST(GaussModel, ResidualsAndWidthRatio) {
  Tgs gs;
  gs.Cont = 1000;
  gs.Lam0 = 30;
  gs.DLD = 4;
  gs.DLDk = 1 / (1.772453851 * 0.6);  // depth 0.6
  TARe Y(41, 0);
  for (int i = 1; i <= 40; ++i) {
    double I = 0;
    gs_ProfI(gs, i - gs.Lam0, I);
    Y[i] = I;
  }
  double r1 = 9, r2 = 9, w = 9;
  std::vector<TJob::TWarning> warn = Warnings([&] { Gauss_dL(Y, 35, gs, r1, r2, w); });
  EXPECT_NEAR(r1, 0, 1e-9);  // the model's own point
  EXPECT_NEAR(r2, 0, 1e-9);
  EXPECT_NEAR(w, 1, 1e-9);
  // the centre: offset 0, within one pixel: ratio 1 exactly
  Gauss_dL(Y, 30, gs, r1, r2, w);
  EXPECT_EQ(w, 1);
  // at or above the continuum: offset 20 DLD, Gauss2_dL uses 50 DLD and warns
  Y[5] = 1000;
  Gauss_dL(Y, 5, gs, r1, r2, w);
  EXPECT_NEAR(r2, (5 - 30) + 20 * 4, 1e-9);
  gs.H = 500;
  gs.La12 = 1;
  gs.kSig = 0.5;
  warn = Warnings([&] { Gauss2_dL(Y, 5, gs, r1, r2, w); });
  EXPECT_TRUE(Warned(warn, "Gauss2_dL-err: ev<0.="));
  // no continuum: a warning and the outputs unchanged
  gs.Cont = 0;
  r1 = r2 = w = 7;
  warn = Warnings([&] { Gauss_dL(Y, 5, gs, r1, r2, w); });
  EXPECT_TRUE(Warned(warn, "Gauss_dL-ERR: Заполните знач-е gs.Cont! L(A)=41 i=5"_cp));
  EXPECT_EQ(r1, 7);
  // d0 = 0 and DLDk = 0: one warning from gs_get_d0, d0 taken as 0
  Tgs z;
  z.A = 2;
  z.B = 1;
  warn = Warnings([&] { EXPECT_EQ(gs_BisShift(z, 10), 21); });
  ASSERT_EQ(warn.size(), 1u);
  EXPECT_TRUE(Warned(warn, "ещё не вычислен DLDk"_cp));
}

TEST(GaussModel, ObsoleteFitRecoversAGaussian) {
  const double C = 25000, d = 0.62, w = 4.0;
  for (double x0 : {29.3, 30.0, 30.45, 31.8}) {
    const TAIn A = RawGauss(C, d, w, x0);
    double dld = 0, lam0 = 0, d0 = 0;
    int32_t kmin = 0;
    Warnings([&] { GetGaussPar(A, 1, 56, 5, C, 5.0, 0.2, 0.1, -0.01 * C, dld, lam0, d0, kmin); });
    EXPECT_NEAR(lam0, x0, 0.02) << x0;
    EXPECT_NEAR(dld, w, 0.05) << x0;
    EXPECT_NEAR(d0, C * (1 - d), 0.003 * C) << x0;
    EXPECT_EQ(kmin, std::lround(x0));
  }
}

// The obsolete fit as its description reads, every search walked step by step to its end with
// no bound: 7 points around the minimum pixel K, the weights of the mode, 31 searches.
struct TWalkedFit {
  double DLD = 5, Lam0 = 0, d0 = 0;
  int64_t LongestWalk = 0;
};

TWalkedFit WalkedFit(const TAIn& A, int32_t K, int Mode, double C) {
  double X[7], Y[7], W[7];
  for (int k = 0; k < 7; ++k) {
    X[k] = K - 3 + k;
    Y[k] = A[static_cast<size_t>(K - 3 + k)];
  }
  const double w5[7] = {0.02, 1, 1, 1, 1, 1, 0.02};
  const double w3[7] = {1.0 / 350, 0.02, 1, 1, 1, 0.02, 1.0 / 350};
  for (int k = 0; k < 7; ++k) W[k] = Mode == 5 ? w5[k] : w3[k];
  if (Mode == 4) {
    const bool blue = std::fabs(Y[1] - Y[3]) < std::fabs(Y[5] - Y[3]);
    W[1] = blue ? 1 : 0.02;
    W[5] = blue ? 0.02 : 1;
  }
  TWalkedFit r;
  double P[3] = {5.0, double(K), double(A[static_cast<size_t>(K)])};
  auto cost = [&] {
    double s = 0;
    for (int k = 0; k < 7; ++k) {
      const double u = (X[k] - P[1]) / P[0];
      const double e = C - (C - P[2]) * std::exp(-u * u) - Y[k];
      s += W[k] * e * e;
    }
    return s;
  };
  auto search = [&](int j, double s) {
    double va = P[j], fa = cost();
    P[j] = va + s;
    double vb = P[j], fb = cost();
    if (fb > fa) {
      std::swap(va, vb);
      std::swap(fa, fb);
      s = -s;
    }
    double vc = vb + s;
    P[j] = vc;
    double fc = cost();
    int64_t n = 0;
    while (fc < fb) {
      va = vb, fa = fb, vb = vc, fb = fc;
      vc = vb + s;
      P[j] = vc;
      fc = cost();
      ++n;
    }
    r.LongestWalk = std::max(r.LongestWalk, n);
    const double d1 = fb - fa, d2 = fc - fb;
    P[j] = d1 == d2 ? vb : va + 2 * s * d1 / (d1 - d2);
  };
  double step[3] = {0.2, 0.1, -0.01 * C};
  const double shrink[3] = {3, 5, 5};
  auto serv = [&](int j) {
    search(j, step[j]);
    step[j] /= shrink[j];
  };
  serv(0);
  for (int g = 1; g <= 6; ++g) {
    const int a = g % 2 == 1 ? 2 : 1, b = 3 - a;
    serv(a), serv(b), serv(a), serv(b), serv(0);
  }
  r.DLD = P[0];
  r.Lam0 = P[1];
  r.d0 = P[2];
  return r;
}

// Gaussians of widths 1.5 to 8 px, depths 0.1 to 0.9, centres between pixels, with and without
// noise: each mode gives what the searches walked to their ends give (within 0.005 px and 0.03 %
// of the continuum, in fact within rounding), in a bounded number of cost evaluations; walks of
// thousands of steps are among the cases.
TEST(GaussModel, ObsoleteFitEqualsTheSearchesWalkedToTheirEnds) {
  const double C = 25000;
  std::mt19937 rng(37);
  std::normal_distribution<double> normal(0, 1);
  int64_t longest = 0, mostEvaluations = 0;
  double moved[3] = {0, 0, 0};  // the largest distance from the walk: DLD, Lam0, d0 / C
  int cases = 0;
  for (const double w : {1.5, 2.2, 3.3, 4.15, 5.5, 8.0})
    for (const double d : {0.1, 0.5, 0.9})
      for (const double noise : {0.0, 0.003}) {
        const double x0 = 30.5 - 0.37 * (cases % 3) + 0.13 * (cases % 2);
        ++cases;
        TAIn A(113, 0);
        for (int i = 1; i <= 112; ++i)
          A[i] = static_cast<int32_t>(
              std::lround(C * (1 - d * Gauss((i - x0) / w) + noise * normal(rng))));
        for (const int mode : {3, 4, 5}) {
          SCOPED_TRACE("w=" + std::to_string(w) + " d=" + std::to_string(d) + " noise=" +
                       std::to_string(noise) + " x0=" + std::to_string(x0) + " mode " +
                       std::to_string(mode));
          double dld = 0, lam0 = 0, d0 = 0;
          int32_t kmin = 0;
          const int64_t before = GaussFitEvaluations();
          Warnings([&] {
            GetGaussPar(A, 1, 56, mode, C, 5.0, 0.2, 0.1, -0.01 * C, dld, lam0, d0, kmin);
          });
          mostEvaluations = std::max(mostEvaluations, GaussFitEvaluations() - before);
          const TWalkedFit ref = WalkedFit(A, kmin, mode, C);
          longest = std::max(longest, ref.LongestWalk);
          EXPECT_NEAR(dld, ref.DLD, 0.005);
          moved[0] = std::max(moved[0], std::fabs(dld - ref.DLD));
          moved[1] = std::max(moved[1], std::fabs(lam0 - ref.Lam0));
          moved[2] = std::max(moved[2], std::fabs(d0 - ref.d0) / C);
          EXPECT_NEAR(lam0, ref.Lam0, 0.005);
          EXPECT_NEAR(d0, ref.d0, 3e-4 * C);
          if (noise == 0 && mode == 5) {
            // mode 5 weighs the 5 core points alike: the line itself
            EXPECT_NEAR(dld, w, 0.02 * w);
            EXPECT_NEAR(d0, C * (1 - d), 0.002 * C);
          }
        }
      }
  EXPECT_GT(longest, 10000);        // the cases need the long walks
  EXPECT_LT(mostEvaluations, 300);  // the predicted ends take a few costs a search
  // the ends found are the walk's but where rounding makes the cost flat near an end: the
  // results move from the walk's by rounding only (about 1e-5 px and 1e-9 of C here)
  EXPECT_LT(moved[0], 1e-4);
  EXPECT_LT(moved[1], 1e-4);
  EXPECT_LT(moved[2], 1e-7);
  EXPECT_EQ(GaussFitsUnended(), 0);
}

TEST(GaussModel, ObsoleteFitRefusesAWindowLeavingTheProfile) {
  // A zero pixel: its minimum is the window's first pixel, three points would lie before it.
  const TAIn A(113, 0);
  double dld = 1, lam0 = 1, d0 = 1;
  int32_t kmin = 0;
  auto w = Warnings([&] { GetGaussPar(A, 1, 56, 4, 0, 5.0, 0.2, 0.1, 0, dld, lam0, d0, kmin); });
  EXPECT_EQ(kmin, 1);
  EXPECT_EQ(dld, 0);
  EXPECT_EQ(lam0, 0);
  EXPECT_EQ(d0, 0);
  EXPECT_EQ(w.size(), 2u);  // the standing warning and the refusal
  // a line at the profile's last pixel
  TAIn B(113, 1000);
  B[112] = 100;
  w = Warnings([&] { GetGaussPar(B, 57, 112, 3, 1000, 5.0, 0.2, 0.1, -10, dld, lam0, d0, kmin); });
  EXPECT_EQ(kmin, 112);
  EXPECT_EQ(dld, 0);
  EXPECT_TRUE(Warned(w, "меньше 7 точек"_cp));
}

// The bisector and crossing primitives keep their work per thread: threads at once give what
// one thread gives.
TEST(Bisec9, ThreadsGiveTheSerialResults) {
  std::vector<TAIn> profiles;
  for (int k = 0; k < 64; ++k)
    profiles.push_back(RawGauss(20000 + 50 * k, 0.4 + 0.005 * k, 3 + 0.03 * k, 28 + 0.07 * k));
  auto run = [&](size_t k, TBand9& Bis, TBand9& Wid, double& X1) {
    double xm = 0, ym = 0, x2 = 0;
    TBand9 xl{}, xr{};
    int32_t next = 0, k1 = 0, k2 = 0, m1 = 0, m2 = 0;
    CalcBisec9I(1, 56, profiles[k], 20000 + 50.0 * k, xm, ym, Bis, Wid, xl, xr, next);
    BisLevPair(profiles[k], 20000 + 50.0 * k, 0.5, X1, x2, k1, k2, m1, m2);
  };
  std::vector<TBand9> bis(profiles.size()), wid(profiles.size());
  std::vector<double> x1(profiles.size());
  for (size_t k = 0; k < profiles.size(); ++k) run(k, bis[k], wid[k], x1[k]);
  std::vector<TBand9> pb(profiles.size()), pw(profiles.size());
  std::vector<double> px(profiles.size());
  std::vector<std::thread> threads;
  for (size_t t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int rep = 0; rep < 20; ++rep)
        for (size_t k = t; k < profiles.size(); k += 4) run(k, pb[k], pw[k], px[k]);
    });
  for (auto& th : threads) th.join();
  for (size_t k = 0; k < profiles.size(); ++k) {
    EXPECT_EQ(pb[k], bis[k]) << k;
    EXPECT_EQ(pw[k], wid[k]) << k;
    EXPECT_EQ(px[k], x1[k]) << k;
  }
}

// In a batch the five standing warnings of every LineMetrix call are counted, never shown.
TEST(Bisec9, StandingWarningsAreCountedInABatch) {
  const TAIn A = RawGauss(25000, 0.6, 4, 30.4);
  double xmin = 0, ymin = 0;
  TBand9 bis{}, wid{};
  TGauss3 dld{}, lam0{}, d0{};
  int32_t next = 0;
  testsupport::SinkRecorder rec;
  const auto w = Warnings([&] {
    for (int k = 0; k < 50; ++k) LineMetrix(1, 56, A, 25000, xmin, ymin, bis, wid, dld, lam0, d0, next);
  });
  ASSERT_EQ(w.size(), 3u);
  int64_t total = 0;
  for (const auto& x : w) total += x.Count;
  EXPECT_EQ(total, 5 * 50);
  EXPECT_TRUE(rec.texts.empty());  // nothing reached the sink's boxes
}
