#include "support/SinkRecorder.h"
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvCentre.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"

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

}  // namespace
