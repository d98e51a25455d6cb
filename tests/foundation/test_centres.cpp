#include "support/SinkRecorder.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvArr.h"
#include "foundation/cvCentre.h"
#include "foundation/cvInterp.h"
#include "foundation/cvLdRound.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "support/CentresLongDouble.h"

namespace {

struct Warnings : testsupport::SinkRecorder {
  Warnings() : SinkRecorder(kStripWarnPrefix) {}
};

TARe A1(std::vector<double> v) {
  v.insert(v.begin(), 0.0);
  return v;
}

TAIn I1(std::vector<int32_t> v) {
  v.insert(v.begin(), 0);
  return v;
}

// A Gaussian dip (or peak with Sign = +1) sampled symmetrically about Centre.
void Dip(int n, double x0, double h, double Centre, double Width, double Depth, TARe& X, TARe& Y,
         double Sign = -1) {
  X.assign(n + 1, 0.0);
  Y.assign(n + 1, 0.0);
  for (int k = 1; k <= n; ++k) {
    X[k] = x0 + (k - 1) * h;
    const double u = (X[k] - Centre) / Width;
    Y[k] = (Sign < 0 ? 1.0 : 0.0) + Sign * Depth * std::exp(-u * u);
  }
}

TEST(Centres, SlicedCogOfSymmetricAndExactShapes) {
  Warnings w;
  TARe X, Y;
  // 41 points, the dip centre halfway between points 20 and 21.
  Dip(40, 6300.0, 0.01, 6300.195, 0.05, 0.6, X, Y);
  TStringList* none = nullptr;
  double width = 0;
  EXPECT_NEAR(SlicedCOG(1, 40, X, Y, 0.0, 1.0, width, false, none), 6300.195, 1e-9);
  // Cut at 0.7: a flat-bottomed slice with the same centre.
  EXPECT_NEAR(SlicedCOG(1, 40, X, Y, 0.7, 0.95, width, false, none), 6300.195, 1e-9);
  EXPECT_GT(width, 0);

  struct Case {
    std::vector<double> x, y;
    double lower, upper, centre, width;
  };
  const std::vector<Case> cases = {
      // V shape |x| cut at 0.5 and 1.5: area 2, height 1
      {{-2, -1, 0, 1, 2}, {2, 1, 0, 1, 2}, 0.5, 1.5, 0, 2},
      // a rectangle (below Lower) and a triangle: centroid (0.5 * 1 + 0.5 * 4/3) / 1.5
      {{0, 1, 2}, {0, 0, 1}, 0, 1, 7.0 / 9, 1.5},
      // Upper crossed inside both intervals: two triangles of area 0.25
      {{0, 1, 2}, {2, 0, 2}, 0, 1, 1, 0.5},
  };
  for (const Case& c : cases) {
    width = -1;
    EXPECT_NEAR(SlicedCOG(1, static_cast<int>(c.x.size()), A1(c.x), A1(c.y), c.lower, c.upper,
                          width, false, none),
                c.centre, 1e-14);
    EXPECT_NEAR(width, c.width, 1e-14);
  }
  EXPECT_TRUE(w.texts.empty());
  EXPECT_EQ(none, nullptr);
}

TEST(Centres, SlicedCogFallbacksAndWarnings) {
  Warnings w;
  TStringList* none = nullptr;
  const TARe X = A1({10, 11, 12, 13, 14}), Y = A1({1, 0.5, 0.2, 0.5, 1});
  double width = 77;
  // Upper = Lower: the middle X (odd count: the centre point; even: the mean of the two central)
  EXPECT_EQ(SlicedCOG(1, 5, X, Y, 0.5, 0.5, width, false, none), 12);
  EXPECT_EQ(SlicedCOG(1, 4, X, Y, 0.5, 0.5, width, false, none), 11.5);
  EXPECT_EQ(width, 77);
  // Every interval above Upper: the middle X and Width 0.
  EXPECT_EQ(SlicedCOG(1, 5, X, Y, 0.0, 0.1, width, false, none), 12);
  EXPECT_EQ(width, 0);
  width = 77;
  EXPECT_EQ(SlicedCOG(0, 4, X, Y, 0, 1, width, false, none), 11);
  EXPECT_EQ(SlicedCOG(2, 6, X, Y, 0, 1, width, false, none), 13);
  EXPECT_EQ(width, 77);
  ASSERT_EQ(w.texts.size(), 4u);
  EXPECT_EQ(w.texts[0], "SlicedCOG [1..5] Err: \r\nНе предусмотрен рассчёт для сегментов с неположительной высотой!\r\nВерхняя граница=0.5 Нижняя граница=0.5"_cp);
  EXPECT_EQ(w.texts[2], "SlicedCOG-ERR: i1=0 < 1 !!!");
  EXPECT_EQ(w.texts[3], "SlicedCOG-ERR: i2=6 размер массива 6"_cp);
}

TEST(Centres, SlicedCogReportAndIndexForms) {
  Warnings w;
  const TARe Y = A1({1, 0.8, 0.4, 0.1, 0.4, 0.8, 1});
  TStringList* list = nullptr;
  double width = 0;
  EXPECT_NEAR(SlicedCOGIdxRep(1, 7, Y, list, width, 0, 1), 4, 1e-14);
  ASSERT_NE(list, nullptr);
  std::unique_ptr<TStringList> owned(list);
  ASSERT_EQ(list->Count(), 1 + 6 + 3);
  EXPECT_EQ((*list)[0], "I  X(I)  k0->k  y0  rx  rs");
  EXPECT_EQ((*list)[1].rfind("1 1 [-1->0] ", 0), 0u) << (*list)[1];
  EXPECT_EQ((*list)[7], "--------------");
  EXPECT_EQ((*list)[8].rfind("Result=", 0), 0u);
  EXPECT_EQ((*list)[8].substr((*list)[8].size() - 2), "=4") << (*list)[8];
  EXPECT_EQ((*list)[9], "");
  // A second report clears the list first.
  SlicedCOGIdxRep(2, 6, Y, list, width, 0, 1);
  EXPECT_EQ(list->Count(), 1 + 4 + 3);

  double w2 = 0;
  EXPECT_NEAR(SlicedCOGIdx(1, 7, Y, w2, 0, 1), 4, 1e-14);
  EXPECT_NEAR(w2, width + 0.2, 1e-14);  // the two outer intervals add 2 * 0.1 of area
  EXPECT_TRUE(w.texts.empty());
}

TEST(Centres, SlicedCogCore) {
  Warnings w;
  TARe X, Y;
  Dip(41, 5000.0, 0.02, 5000.4, 0.06, 0.7, X, Y);  // centre on point 21
  EXPECT_NEAR(SlicedCOGCore(1, 41, X, Y, 1.0, 2.0, 0.3, 1.0, 0.11), 5000.4, 1e-9);
  EXPECT_NEAR(SlicedCOGCore(1, 41, X, Y, 0.5, 10.0, 0.3, 1.0, 0.21), 5000.4, 1e-9);
  EXPECT_TRUE(w.texts.empty());
  EXPECT_EQ(SlicedCOGCore(1, 41, X, Y, 1.0, 2.0, 0.3, 0.3, 0.1), 0);  // R1 = R2
  EXPECT_EQ(w.texts.size(), 1u);
}

TEST(Centres, CentroidAndAreaMedianOverX) {
  Warnings w;
  TARe X, Y;
  Dip(31, 6301.0, 0.01, 6301.15, 0.04, 0.9, X, Y, +1);  // a peak on point 16
  EXPECT_NEAR(LineCenterGR(X, Y), 6301.15, 1e-9);
  EXPECT_EQ(LineCenterIdx(X, Y), 16);
  TARe RX(X.rbegin(), X.rend() - 1), RY(Y.rbegin(), Y.rend() - 1);  // falling X
  RX.insert(RX.begin(), 0.0);
  RY.insert(RY.begin(), 0.0);
  EXPECT_NEAR(LineCenterGR(RX, RY), 6301.15, 1e-9);
  EXPECT_EQ(LineCenterIdx(RX, RY), 16);
  EXPECT_EQ(LineCenterIdx(A1({1, 2, 3}), A1({1, 2, 1})), 2);
  // Zero area: the moment sum itself.
  EXPECT_EQ(LineCenterGR(A1({1, 2, 3}), A1({0, 0, 0})), 0);
  EXPECT_TRUE(w.texts.empty());

  EXPECT_EQ(LineCenterGR(A1({1}), A1({1})), 0);
  EXPECT_EQ(LineCenterGR(A1({1, 2, 3}), A1({1, 2})), 0);
  EXPECT_EQ(LineCenterGR(A1({1, 3, 2}), A1({1, 2, 1})), 0);
  EXPECT_EQ(LineCenterIdx(A1({1}), A1({1})), 1);
  EXPECT_EQ(LineCenterIdx(A1({1, 2, 3}), A1({1, 2})), 0);
  ASSERT_EQ(w.texts.size(), 5u);
  EXPECT_EQ(w.texts[0], "LineCenter-Err получен массивы размерностью X=1 Y=1"_cp);
  EXPECT_EQ(w.texts[1], "LineCenter-Err получены массивы с разной размерностью X=3 Y=2"_cp);
  EXPECT_EQ(w.texts[2].rfind("LineCenterGR", 0), 0u);
  EXPECT_EQ(w.texts[4], "LineCenterIdx-Err получены массивы с разной размерностью X=3 Y=2"_cp);
}

TEST(Centres, AreaCentreFamily) {
  Warnings w;
  const std::string permanent_d =
      "функция LineCenter_d находит центр площади вместо центра тяжести!\r\nЕё необходимо заменить!"_cp;
  TARe X, Y;
  Dip(12, 1.0, 1.0, 6.5, 2.5, 1.0, X, Y, +1);  // a peak centred between points 6 and 7
  // Ends symmetric about the centre, and ends at different levels matched inward.
  EXPECT_NEAR(LineCenter_d(Y, 2.5, 10.5), 6.5, 1e-12);
  EXPECT_NEAR(LineCenter_d(Y, 2.0, 10.7), 6.5, 1e-12);
  EXPECT_NEAR(LineCenter_d(Y, 2.3, 11.0), 6.5, 1e-12);
  // The last gap is split with its mean height: 2.5 here (the exact median is 2.42).
  EXPECT_NEAR(LineCenter_d(A1({0, 4, 2, 1, 0}), 1, 5), 2.5, 1e-14);
  ASSERT_EQ(w.texts.size(), 4u);
  EXPECT_EQ(w.texts[0], permanent_d);

  w.texts.clear();
  EXPECT_EQ(LineCenter_d(Y, 5, 5), 0);
  EXPECT_EQ(LineCenter_d(Y, 0.5, 5), 0);
  ASSERT_EQ(w.texts.size(), 4u);
  EXPECT_EQ(w.texts[1], "LineCenter_d-ERR неверный вызов процедуры - граничный индекс ir1=5 должен быть меньше индекса ir2=5"_cp);
  EXPECT_EQ(w.texts[3], "LineCenter_d-ERR неверно заданы граничные индексы i1,i2=[1,4] length(AY)=13"_cp);

  // Dips: centre on point 7 of 13.
  Dip(13, 1.0, 1.0, 7.0, 2.0, 0.8, X, Y);
  w.texts.clear();
  EXPECT_NEAR(LineCenter_RI(Y, 2.2, 11.5), 7, 1e-12);
  EXPECT_NEAR(LineCenter_RI(Y, 4.0, 12.0), 7, 1e-12);
  EXPECT_EQ(w.texts[0].rfind("функция LineCenter_RI находит"_cp, 0), 0u);
  EXPECT_EQ(LineCenter_RI(Y, 3, 2), 0);
  EXPECT_EQ(w.texts.back(), "LineCenter_RI-ERR неверный вызов процедуры - граничный индекс ir1=3 должен быть меньше индекса ir2=2"_cp);
  EXPECT_EQ(LineCenter_RI(Y, 2, 13.5), 0);
  EXPECT_EQ(w.texts.back(), "LineCenter_RI-ERR неверно заданы граничные индексы ri1,ri2=[2,13.5] length(AY)=14"_cp);

  const TAIn IY = I1({10, 8, 4, 2, 4, 8, 10});
  EXPECT_NEAR(LineCenter0_IR(1, 7, IY), 4, 1e-14);
  EXPECT_NEAR(LineCenter0_IR(2, 6, IY), 4, 1e-14);
  EXPECT_EQ(LineCenter0_IR(3, 8, IY), 0);
  EXPECT_EQ(w.texts.back(), "LineCenter0-IR-ERR неверно заданы граничные индексы i1,i2=[3,8] length(AY)=8"_cp);
}

TEST(Centres, LineCenterRiTrace) {
  Warnings w;
  TARe X, Y;
  Dip(13, 1.0, 1.0, 7.0, 2.0, 0.8, X, Y);
  TStrList trace;
  AReDebug = true;
  AReDebugSL = &trace;
  LineCenter_RI(Y, 2.2, 11.5);
  AReDebug = false;
  AReDebugSL = nullptr;
  ASSERT_GE(trace.Count(), 3);
  EXPECT_EQ(trace[0], "LineCenter_RI (2.2,11.5) Экстремумы:"_cp);
  EXPECT_EQ(trace[2], "1 7 13");
  const int before = trace.Count();
  LineCenter_RI(Y, 2.2, 11.5);  // the flag is off: nothing more
  EXPECT_EQ(trace.Count(), before);
}

TEST(Centres, CentroidWithMatchedEnds) {
  Warnings w;
  const TAIn IY = I1({10, 8, 4, 2, 4, 8, 10});
  EXPECT_NEAR(LineCenter1_IR(1, 7, IY), 4, 1e-14);
  EXPECT_NEAR(LineCenter1_IR(7, 1, IY), 4, 1e-14);
  // Ends at different levels: the right end moves in to the left end's depth.
  const TAIn AY = I1({9, 7, 3, 1, 3, 7, 9, 12});
  EXPECT_NEAR(LineCenter1_IR(1, 8, AY), 4, 1e-14);
  EXPECT_EQ(LineCenter1_IR(8, 1, AY), LineCenter1_IR(1, 8, AY));
  EXPECT_TRUE(w.texts.empty());  // no permanent warning for the centroid
  EXPECT_EQ(LineCenter1_IR(0, 3, IY), 0);
  EXPECT_EQ(w.texts.back(), "LineCenter1-IR-ERR неверно заданы граничные индексы i1,i2=[0,3] length(AY)=8"_cp);
}

TEST(Centres, ProfileMoments) {
  const TARe Y = A1({0, 1, 3, 2});
  EXPECT_DOUBLE_EQ(AReMoment0(Y, 1, 4, 0), 0.5 + 2 + 2.5);  // the trapezoid sum
  EXPECT_DOUBLE_EQ(AReMoment0(Y, 1.5, 2.5, 0), 0.5 * (0.5 + 1) / 2 + 0.5 * (1 + 2) / 2);
  EXPECT_DOUBLE_EQ(AReMoment0(Y, 1.2, 1.7, 0), 0.5 * (0.2 + 0.7) / 2);  // inside one interval
  EXPECT_DOUBLE_EQ(AReMoment0(Y, 2, 2.5, 0), 0.5 * (1 + 2) / 2);
  EXPECT_DOUBLE_EQ(AReMoment0(Y, 1, 4, 5), 3 * 5 - 5.0);  // Base - Y
  EXPECT_DOUBLE_EQ(AReMoment1(Y, 1, 4, 0), 0.5 * 1.5 + 2 * 2.5 + 2.5 * 3.5);
  EXPECT_DOUBLE_EQ(AReMoment2(Y, 1.5, 2.5, 2), 0.375 * 0.25 * 0.25 + 0.75 * 0.25 * 0.25);
  EXPECT_EQ(AReMoment0(Y, 3, 3, 0), 0);

  // A Gaussian exp(-((k - c)/s)^2): area s sqrt(pi), mean c, and the trapezoid-centre rule gives
  // the second moment s^2/2 + 1/4.
  const double c = 50.3, s = 6;
  TARe G(102, 0.0);
  for (int k = 1; k <= 101; ++k) G[k] = std::exp(-std::pow((k - c) / s, 2));
  const double m0 = AReMoment0(G, 1, 101, 0);
  EXPECT_NEAR(m0, s * std::sqrt(M_PI), 1e-10);
  EXPECT_NEAR(AReMoment1(G, 1, 101, 0) / m0, c, 1e-10);
  EXPECT_NEAR(AReMoment1(G, 1.5, 100.5, c), 0, 1e-10);
  EXPECT_NEAR(AReMoment2(G, 1, 101, c) / m0, s * s / 2 + 0.25, 1e-9);
}

TEST(Centres, WholePartsOfLongDoubles) {
  using ld = long double;
  std::vector<ld> xs;
  for (int32_t k : {-70000, -3, -2, -1, 0, 1, 2, 3, 55, 56, 112, 4095, 1 << 20, 2147483000})
    for (ld x : {static_cast<ld>(k), static_cast<ld>(k) + 0.5L, static_cast<ld>(k) - 0.5L}) {
      xs.push_back(x);
      // the neighbours a double cannot hold: they round onto the whole number
      ld up = x, down = x;
      for (int i = 0; i < 3; ++i) {
        up = std::nextafter(up, std::numeric_limits<ld>::infinity());
        down = std::nextafter(down, -std::numeric_limits<ld>::infinity());
        xs.push_back(up);
        xs.push_back(down);
      }
    }
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-200, 200);
  for (int i = 0; i < 20000; ++i) xs.push_back(static_cast<ld>(u(rng)) / 3);
  for (ld x : xs) {
    ASSERT_EQ(TruncLd(x), static_cast<int32_t>(x)) << static_cast<double>(x);
    ASSERT_EQ(FloorLd(x), static_cast<int32_t>(std::floor(x))) << static_cast<double>(x);
    ASSERT_EQ(CeilLd(x), static_cast<int32_t>(std::ceil(x))) << static_cast<double>(x);
  }
}

TEST(Centres, WholeNumbersAgainstRealLevels) {
  std::vector<double> levels = {0.0, -0.0, 0.5, -0.5, 1e-300, -1e-300, 17.0, 17.25, -17.75,
                                2147483647.0, 2147483647.5, -2147483648.0, -2147483648.5,
                                1e10, -1e10, std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity()};
  for (double l : {12345.0, 20000.0})
    for (int i = 0; i < 3; ++i) {
      levels.push_back(std::nextafter(l, 0.0));
      levels.push_back(std::nextafter(l, 1e9));
      l = levels.back();
    }
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> u(-30000, 30000);
  for (int i = 0; i < 2000; ++i) levels.push_back(u(rng));
  std::vector<int32_t> values = {std::numeric_limits<int32_t>::min(), -30001, -17, -1, 0, 1, 16,
                                 17, 18, 12345, 20000, std::numeric_limits<int32_t>::max()};
  for (int i = 0; i < 200; ++i) values.push_back(static_cast<int32_t>(u(rng)));
  for (double l : levels) {
    const TIntLevel t(l);
    ASSERT_TRUE(t.Valid);
    for (int32_t a : values) {
      ASSERT_EQ(a > t.Lo, a > l) << a << " " << l;
      ASSERT_EQ(a < t.Hi, a < l) << a << " " << l;
    }
  }
  EXPECT_FALSE(TIntLevel(std::nan("")).Valid);
}

// The straightforward long-double forms: tests/support/CentresLongDouble.h.

TEST(Centres, FastFormsGiveTheBitsOfThePlainOnesOrWithin1e12) {
  Warnings w;
  auto bits = [](double x) { return std::bit_cast<uint64_t>(x); };
  std::mt19937_64 rng(20);
  std::uniform_real_distribution<double> u(0, 1);
  std::normal_distribution<double> noise(0, 1);
  constexpr int n = 112;
  TARe P(n + 1), Q(n + 1), V(n + 1);
  TAIn I(n + 1);
  // window ends: whole, halves, fractions, and whole numbers give or take a last bit
  auto end = [&](double x) {
    switch (static_cast<int>(u(rng) * 4)) {
      case 0: return std::round(x);
      case 1: return std::nextafter(std::round(x), u(rng) < 0.5 ? 0.0 : 200.0);
      case 2: return std::round(x * 2) / 2;
      default: return x;
    }
  };
  double worst = 0;
  auto near = [&worst](double a, double b, int t) {
    const double r = a == b ? 0 : std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b));
    worst = std::max(worst, r);
    EXPECT_LE(r, 1e-12) << t << " " << a << " " << b;
  };
  for (int t = 0; t < 4000; ++t) {
    const double c1 = 15 + 30 * u(rng), c2 = 65 + 30 * u(rng), w1 = 2 + 4 * u(rng);
    const double d = 0.8 * u(rng), nl = t % 3 == 0 ? 0 : 0.02 * u(rng);
    const double b = 200 * u(rng);
    for (int k = 1; k <= n; ++k) {
      const double g = d * std::exp(-std::pow((k - c1) / w1, 2)) +
                       0.7 * d * std::exp(-std::pow((k - c2) / w1, 2));
      P[k] = 1 - g + nl * noise(rng);
      Q[k] = 1 - P[k];
      V[k] = g * (k - c1) / w1 * 0.1 + nl * noise(rng);
      I[k] = static_cast<int32_t>(std::lround(20000 * P[k] + (t % 5 == 0 ? 0 : 100 * noise(rng)))) + (t % 7 == 0 ? static_cast<int32_t>(b) : 0);
    }
    double lo = end(1 + (n - 1) * u(rng)), hi = end(1 + (n - 1) * u(rng));
    if (lo > hi) std::swap(lo, hi);
    lo = std::max(lo, 1.0);
    hi = std::min(hi, static_cast<double>(n));
    const double x0 = end(c1);
    // the two that work in double: within 1e-12 of the extended forms
    near(LineCenter_d(Q, lo, hi), plain::LineCenter_d(Q, lo, hi), t);
    near(LineCenter_d(V, lo, hi), plain::LineCenter_d(V, lo, hi), t);
    ASSERT_EQ(bits(LineCenter_RI(P, lo, hi)), bits(plain::LineCenter_RI(P, lo, hi))) << t;
    ASSERT_EQ(bits(AReMoment0(P, lo, hi, 1.0)), bits(plain::AReMoment0(P, lo, hi, 1.0))) << t;
    ASSERT_EQ(bits(AReMoment0(V, lo, hi, 0)), bits(plain::AReMoment0(V, lo, hi, 0))) << t;
    ASSERT_EQ(bits(AReMoment1(V, lo, hi, x0)), bits(plain::AReMoment1(V, lo, hi, x0))) << t;
    ASSERT_EQ(bits(AReMoment2(V, lo, hi, x0)), bits(plain::AReMoment2(V, lo, hi, x0))) << t;
    const int32_t i1 = std::max(1, static_cast<int32_t>(lo)), i2 = static_cast<int32_t>(hi);
    near(LineCenter1_IR(i1, i2, I), plain::LineCenter1_IR(i1, i2, I), t);
    ASSERT_EQ(bits(LineCenter1_IR(i2, i1, I)), bits(LineCenter1_IR(i1, i2, I))) << t;
    ASSERT_EQ(bits(LineCenter0_IR(i1, i2, I)), bits(plain::LineCenter0_IR(i1, i2, I))) << t;
  }
  EXPECT_LE(worst, 1e-12);
  std::printf("worst relative difference of the double forms: %.3g\n", worst);
}


// The sliced centre of gravity as first written, all in long double (powl in the core form):
// the reference for the double forms.
namespace ldref {

using ld = long double;

void SliceInterval(ld xa, ld xb, ld ya, ld yb, ld Lower, ld Upper, ld& C, ld& D) {
  C = 0;
  D = 0;
  if (ya >= Upper && yb >= Upper) return;
  ld t[4];
  int nt = 0;
  t[nt++] = 0;
  const ld dy = yb - ya;
  ld tu = -1, tl = -1;
  if (dy != 0) {
    if ((ya < Upper) != (yb < Upper) && ya != Upper && yb != Upper) tu = (Upper - ya) / dy;
    if ((ya < Lower) != (yb < Lower) && ya != Lower && yb != Lower) tl = (Lower - ya) / dy;
  }
  if (tu > 0 && tu < 1) t[nt++] = tu;
  if (tl > 0 && tl < 1) t[nt++] = tl;
  if (nt == 3 && t[1] > t[2]) std::swap(t[1], t[2]);
  t[nt++] = 1;
  auto h = [&](ld tt) { return Upper - std::clamp(ya + tt * dy, Lower, Upper); };
  const ld w = xb - xa;
  ld m = 0;
  for (int p = 0; p + 1 < nt; ++p) {
    const ld t0 = t[p], t1 = t[p + 1];
    const ld h0 = h(t0), h1 = h(t1);
    const ld s = h0 + h1;
    if (s <= 0) continue;
    const ld area = w * (t1 - t0) * s / 2;
    const ld xc = xa + w * (t0 + (t1 - t0) * (h0 + 2 * h1) / (3 * s));
    C += area;
    m += area * xc;
  }
  if (C != 0) D = m / C;
}

// Valid arguments only (the checks and fallbacks are the routine's own).
double SlicedCOG(int32_t i1, int32_t i2, const TARe& X, const TARe& Y, double Lower, double Upper,
                 double& Width, double Fallback) {
  ld A = 0, M = 0;
  for (int32_t k = i1 + 1; k <= i2; ++k) {
    ld C, D;
    SliceInterval(X[k - 1], X[k], Y[k - 1], Y[k], Lower, Upper, C, D);
    A += C;
    M += C * D;
  }
  Width = static_cast<double>(A / (static_cast<ld>(Upper) - Lower));
  return A != 0 ? static_cast<double>(M / A) : Fallback;
}

double Core(int32_t lo, int32_t hi, const TARe& X, const TARe& Y, double Scale, double Base,
            double R1, double R2, double Fallback) {
  TARe Q(Y.size(), 0.0);
  double qmin = 0, qmax = 0;
  for (int32_t j = lo; j <= hi; ++j) {
    const ld t = (static_cast<ld>(Y[j]) - R1) / (static_cast<ld>(R2) - R1);
    Q[j] = static_cast<double>(t * std::pow(static_cast<ld>(Base), t / Scale));
    if (j == lo || Q[j] < qmin) qmin = Q[j];
    if (j == lo || Q[j] > qmax) qmax = Q[j];
  }
  double w = 0;
  return SlicedCOG(lo, hi, X, Q, qmin, qmax, w, Fallback);
}

}  // namespace ldref

// The double forms against the long double reference on random lines: smooth and noisy dips, whole
// number profiles with whole number levels (ends exactly on a level), saw-tooth profiles that cross
// both levels inside one interval, over indices and over rising and falling wavelengths; bands
// anywhere from below the minimum to above the maximum. Centres and widths agree to 1e-12 relative.
TEST(Centres, SlicedCogAgreesWithTheLongDoubleForm) {
  Warnings w;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(0, 1);
  std::normal_distribution<double> noise(0, 1);
  constexpr int n = 112;
  TARe Y(n + 1), XI(n + 1), XW(n + 1), XR(n + 1);
  for (int k = 1; k <= n; ++k) {
    XI[k] = k;
    XW[k] = 6300.8 + (k - 1) * 0.02155;
    XR[k] = 6303.2 - (k - 1) * 0.02155;
  }
  double worstC = 0, worstW = 0;
  auto rel = [](double a, double b) {
    return a == b ? 0.0 : std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b));
  };
  for (int t = 0; t < 6000; ++t) {
    const int kind = t % 4;
    const double c = 10 + 90 * u(rng), wd = 1 + 8 * u(rng), d = 0.05 + 0.9 * u(rng);
    for (int k = 1; k <= n; ++k) {
      const double g = d * std::exp(-std::pow((k - c) / wd, 2));
      switch (kind) {
        case 0: Y[k] = 1 - g; break;
        case 1: Y[k] = 1 - g + 0.03 * noise(rng); break;
        case 2: Y[k] = std::round(20000 * (1 - g) + 200 * noise(rng)); break;
        default: Y[k] = (k % 2 ? 1.0 : 1 - d) + 0.01 * noise(rng); break;
      }
    }
    double mn = Y[1], mx = Y[1];
    for (int k = 2; k <= n; ++k) mn = std::min(mn, Y[k]), mx = std::max(mx, Y[k]);
    const double span = mx - mn;
    double lo = mn + span * (1.1 * u(rng) - 0.1), hi = mn + span * (1.1 * u(rng) - 0.05);
    if (kind == 2) lo = std::round(lo), hi = std::round(hi);
    if (lo > hi) std::swap(lo, hi);
    if (!(hi > lo)) continue;
    const int32_t i1 = 1 + static_cast<int32_t>(u(rng) * 40), i2 = n - static_cast<int32_t>(u(rng) * 40);
    for (const TARe* X : {&XI, &XW, &XR}) {
      double wNew = -1, wOld = -2;
      TStringList* none = nullptr;
      const double cNew = X == &XI ? SlicedCOGIdx(i1, i2, Y, wNew, lo, hi)
                                   : SlicedCOG(i1, i2, *X, Y, lo, hi, wNew, false, none);
      const double cOld = ldref::SlicedCOG(i1, i2, *X, Y, lo, hi, wOld, -7);
      if (cOld == -7) {  // nothing in the band: the middle of the window
        EXPECT_EQ(wNew, 0) << t;
        continue;
      }
      worstC = std::max(worstC, rel(cNew, cOld));
      worstW = std::max(worstW, rel(wNew, wOld));
      ASSERT_LE(rel(cNew, cOld), 1e-12) << t << " " << cNew << " " << cOld;
      ASSERT_LE(rel(wNew, wOld), 1e-12) << t << " " << wNew << " " << wOld;
    }
    // the weighted core over wavelengths, its weight halving every WLine of depth
    if (kind < 2) {
      const double cNew = SlicedCOGCore(1, n, XW, Y, 0.1, 2, mn, mx, 0.3);
      double mv = 0;
      int32_t m = 1;
      AReMinPoint(Y, 1, n, mv, m);
      int32_t a = m, b = m;
      while (a > 1 && XW[a] > XW[m] - 0.3) --a;
      while (b < n && XW[b] < XW[m] + 0.3) ++b;
      const double cOld = ldref::Core(a, b, XW, Y, 0.1, 2, mn, mx, -7);
      if (cOld != -7) {
        worstC = std::max(worstC, rel(cNew, cOld));
        ASSERT_LE(rel(cNew, cOld), 1e-12) << t << " core " << cNew << " " << cOld;
      }
    }
  }
  EXPECT_TRUE(w.texts.empty());
  RecordProperty("worst_centre_rel", std::to_string(worstC));
  RecordProperty("worst_width_rel", std::to_string(worstW));
  std::printf("worst relative difference: centre %.3g, width %.3g\n", worstC, worstW);
}

}  // namespace
