// Voigt and Faraday-Voigt functions against libcerf's w(z) and Dawson function, the methods'
// edge values and the method switch.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#if __has_include(<cerf.h>) && defined(CORVESTA_HAVE_CERF)
#include <cerf.h>
#define VOIGT_HAVE_CERF 1
#endif

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SinkRecorder.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

using testsupport::SinkRecorder;

TEST(Voigt, HumlicekEdgeValues) {
  double H, F;
  VoigtHumlicek(0.5, 2, H, F);
  EXPECT_NEAR(H, 0.1033588, 1e-7);
  EXPECT_NEAR(F, 0.1423929, 1e-7);  // +Im w / 2, the sign of the other methods
  VoigtHumlicek(0.1, 0.5, H, F);
  EXPECT_NEAR(H, 0.7175876, 1e-7);
  EXPECT_NEAR(F, 0.2042372, 1e-7);
  // negative damping: H of |a|, F of the opposite sign
  double H2, F2;
  VoigtHumlicek(-0.5, 2, H2, F2);
  VoigtHumlicek(0.5, 2, H, F);
  EXPECT_EQ(H2, H);
  EXPECT_EQ(F2, -F);
}

TEST(Voigt, HumlicekRegionBoundary) {
  // y = 0.85 exactly with |x| >= 18.1 y + 1.65 is region II (y > 0.85 is required for region I)
  const double y = 0.85, x = 18.1 * y + 1.65;
  double H, F;
  VoigtHumlicek(y, x, H, F);
  // region II at |x| = 12 adds no exp(-x^2): the rational part alone, which is tiny there
  double H12, F12;
  VoigtHumlicek(0.0, 12.0, H12, F12);
  EXPECT_LT(H12, 1e-20);
  double Hjust, Fjust;
  VoigtHumlicek(0.0, std::nextafter(12.0, 0.0), Hjust, Fjust);
  EXPECT_NEAR(Hjust, std::exp(-144.0), 1e-70);
  EXPECT_GT(H, 0);
  EXPECT_GT(F, 0);
}

TEST(Voigt, BatchEqualsScalar) {
  double v[64], H[64], F[64];
  for (double a : {0.0, 1e-3, 0.05, 0.5, 0.85, 0.9, 3.0, -0.2}) {
    for (int j = 0; j < 64; ++j) v[j] = -20 + j * 0.63;
    VoigtHumlicekBatch(a, v, 64, H, F);
    for (int j = 0; j < 64; ++j) {
      double h, f;
      VoigtHumlicek(a, v[j], h, f);
      EXPECT_EQ(H[j], h) << a << " " << v[j];
      EXPECT_EQ(F[j], f) << a << " " << v[j];
    }
  }
}

TEST(Voigt, BatchWithDampingPerValueEqualsScalar) {
  // both regions, padding lengths, the plain forms beyond 1e60 and negative damping mixed
  const double as[] = {0.0, 1e-3, 0.05, 0.5, 0.85, 0.9, 3.0, -0.2, -2.0};
  double a[150], v[150], H[150], F[150];
  for (int N : {1, 2, 5, 63, 64, 65, 150}) {
    for (int j = 0; j < N; ++j) {
      a[j] = as[(j * 5) % 9];
      v[j] = j % 11 == 10 ? 3e60 * (j % 2 ? 1 : -1) : -25 + j * 0.37;
    }
    VoigtHumlicekBatchA(a, v, N, H, F);
    for (int j = 0; j < N; ++j) {
      double h, f;
      VoigtHumlicek(a[j], v[j], h, f);
      EXPECT_EQ(H[j], h) << a[j] << " " << v[j];
      EXPECT_EQ(F[j], f) << a[j] << " " << v[j];
    }
  }
}

TEST(Voigt, SameValuesAtEveryVectorWidth) {
  // both regions, the |x| = 12 edge, chunks with padding and the plain forms beyond the vector
  // range
  const double as[] = {0.0, 1e-3, 0.05, 0.5, 0.85, 0.9, 3.0, -0.2};
  const double edge[] = {12.0, std::nextafter(12.0, 0.0), -std::nextafter(12.0, 0.0), 1.65,
                         2e30, -1e25, 0.0};
  double a[140], v[140], H[3][140], F[3][140];
  for (int j = 0; j < 140; ++j) {
    a[j] = as[(j * 3) % 8];
    v[j] = j % 9 == 8 ? edge[(j / 9) % 7] : -30 + j * 0.431;
  }
  const int lanes[] = {8, 4, 0};
  for (int w = 0; w < 3; ++w) {
    LimitVoigtVectorLanes(lanes[w]);
    VoigtHumlicekBatchA(a, v, 140, H[w], F[w]);
  }
  LimitVoigtVectorLanes(8);
  for (int w = 1; w < 3; ++w)
    for (int j = 0; j < 140; ++j) {
      EXPECT_EQ(H[w][j], H[0][j]) << lanes[w] << " " << a[j] << " " << v[j];
      EXPECT_EQ(F[w][j], F[0][j]) << lanes[w] << " " << a[j] << " " << v[j];
    }
}

TEST(Voigt, ZeroDampingFarFromCentreIsTheGaussian) {
  // region II with a = 0 leaves exp(-x^2) alone: its vector form against the library's
  for (int w : {8, 0}) {
    LimitVoigtVectorLanes(w);
    for (double x = 1.7; x < 12; x += 0.0137) {
      double H, F;
      VoigtHumlicek(0.0, -x, H, F);
      EXPECT_NEAR(H, std::exp(-x * x), 1e-15 * std::exp(-x * x)) << w << " " << x;
    }
  }
  LimitVoigtVectorLanes(8);
}

TEST(Voigt, TaylorAtZeroDamping) {
  for (double v : {0.0, 0.3, 1.0, 2.5, -4.0}) {
    double H, F;
    VoigtTaylor(0, v, H, F);
    EXPECT_DOUBLE_EQ(H, std::exp(-v * v));
    EXPECT_DOUBLE_EQ(F, DawsonIntegral(v) / std::sqrt(M_PI));
  }
}

TEST(Voigt, QuadratureFZeroNearCentre) {
  EXPECT_EQ(VoigtFQuad(100, 1e-10, 5e-8, 0.3), 0.0);
  EXPECT_EQ(VoigtFQuad(100, 1e-10, -9.9e-8, 0.3), 0.0);
  EXPECT_NE(VoigtFQuad(100, 1e-10, 1e-3, 0.3), 0.0);
}

TEST(Voigt, DawsonOddAndTail) {
  for (double x : {0.1, 1.0, 3.2, 3.25, 5.0, 6.25, 100.0, 1e9, 2e9})
    EXPECT_EQ(DawsonIntegral(-x), -DawsonIntegral(x)) << x;
  EXPECT_DOUBLE_EQ(DawsonIntegral(2e9), 2.5e-10);
  EXPECT_EQ(DawsonIntegral(0), 0.0);
}

TEST(Voigt, SetVoigtMethodByName) {
  SinkRecorder sink;
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
  SetVoigtMethod("taylor");
  EXPECT_EQ(CurrentVoigtMethod(), vmTaylor);
  EXPECT_EQ(VoigtMethodName(), "taylor");
  SetVoigtMethod("humlicek");
  EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
  EXPECT_EQ(VoigtMethodName(), "humlicek");  // the name as given
  SetVoigtMethod("Integral");
  EXPECT_EQ(CurrentVoigtMethod(), vmIntegral);
  EXPECT_TRUE(sink.texts.empty());

  SetVoigtMethod("Voigt");
  EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
  EXPECT_EQ(VoigtMethodName(), "Humlicek");
  ASSERT_EQ(sink.texts.size(), 1u);
  EXPECT_NE(sink.texts[0].find("Не удается установить метод вычисления фунции Фойгта <VOIGT>!\r\n"
                               "Разрешены методы: Taylor, Integral, Spline и Humlicek.\r\n"
                               "Устанавливаем алгоритм Хумличека!"_cp),
            std::string::npos);

  // the spline tables are not built yet: Humlicek stays current, never a method without tables
  SetVoigtMethod("Taylor");
  SetVoigtMethod("SPLINE");
  EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
  EXPECT_EQ(VoigtMethodName(), "Humlicek");
  ASSERT_EQ(sink.texts.size(), 2u);
  EXPECT_NE(sink.texts[1].find("VoigtSplineInit"), std::string::npos);
  double H, F;
  VoigtFunc(0.5, 2, H, F);
  EXPECT_NEAR(H, 0.1033588, 1e-7);
}

TEST(Voigt, MethodBelongsToTheContext) {
  TOwnCalcContext a, b;
  {
    TCalcScope s(a);
    SetVoigtMethod("Taylor");
  }
  {
    TCalcScope s(b);
    EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
  }
  TCalcScope s(a);
  EXPECT_EQ(CurrentVoigtMethod(), vmTaylor);
}

TEST(Voigt, ErrTabShape) {
  auto t = VoigtHumlicekErrTab(4, 0.5, 1e-10, 4);
  ASSERT_EQ(t->Count(), 11);
  EXPECT_NE((*t)[0].find("lg(dH)"), std::string::npos);
  // Humlicek and the quadrature share the sign of F: the differences are the method's error
  for (int32_t r = 1; r < t->Count(); ++r) {
    std::istringstream in((*t)[r]);
    std::string c, v, dh, df;
    double lh = 0, lf = 0;
    in >> c >> v >> dh >> df >> lh >> lf;
    // (0 where the difference is exactly 0)
    EXPECT_TRUE(lh < -5 || lh == 0) << (*t)[r];
    EXPECT_TRUE(lf < -5 || lf == 0) << (*t)[r];
  }
}

#ifdef VOIGT_HAVE_CERF
void CerfW(double x, double y, double& K, double& L) {
  double _Complex z;
  __real__ z = x;
  __imag__ z = y;
  const double _Complex w = w_of_z(z);
  K = __real__ w;
  L = __imag__ w;
}

TEST(VoigtCerf, HumlicekWithin1e6) {
  double worst = 0;
  auto check = [&](double a, double v) {
    double H, F, K, L;
    VoigtHumlicek(a, v, H, F);
    CerfW(v, a, K, L);
    worst = std::max({worst, std::fabs(H - K), std::fabs(F - L / 2)});
    EXPECT_NEAR(H, K, 1e-6) << a << " " << v;
    EXPECT_NEAR(F, L / 2, 1e-6) << a << " " << v;
  };
  for (int i = 0; i <= 200; ++i) {
    const double a = i <= 100 ? i * 0.01 : 1 + (i - 100) * 0.09;
    for (int j = 0; j <= 400; ++j) check(a, -20 + j * 0.1);
  }
  // on the region boundary, both sides, and around |x| = 12
  for (double a : {0.0, 0.1, 0.5, 0.85}) {
    const double b = 18.1 * a + 1.65;
    for (double v : {b, std::nextafter(b, 0.0), -b, 12.0, std::nextafter(12.0, 0.0), -12.0})
      check(a, v);
  }
  check(std::nextafter(0.85, 1.0), 18.1 * 0.85 + 1.65);
  RecordProperty("max_abs_dev", std::to_string(worst));
}

TEST(VoigtCerf, TaylorAndQuadratureSigns) {
  // Taylor and the quadrature give F = +Im w / 2
  double H, F, K, L;
  VoigtTaylor(0.01, 1.3, H, F);
  CerfW(1.3, 0.01, K, L);
  EXPECT_NEAR(H, K, 1e-6);
  EXPECT_NEAR(F, L / 2, 1e-6);
}

// One sign of F for every method, through the method switch: at points of both Humlicek regions
// (small damping, where the Taylor expansion holds, and large damping for the other two) the
// three methods agree to their accuracy, and with +Im w / 2.
TEST(VoigtCerf, MethodsGiveTheSameF) {
  struct TPoint {
    double a, v;
    bool taylor;  // within the Taylor expansion's reach (its error grows as a^4)
  } pts[] = {{0.01, 0.0, true},  {0.01, 0.4, true},   {0.02, -1.2, true}, {0.02, 1.7, true},
             {0.01, 2.5, true},  {0.02, -4.0, true},  {0.01, 9.0, true},  {0.03, -15.0, true},
             {0.05, 0.8, true},  {0.5, 2.0, false},   {0.9, -0.7, false}, {2.0, 6.0, false},
             {0.3, 25.0, false}, {0.84, -17.0, false}};
  const char* methods[] = {"HUMLICEK", "TAYLOR", "INTEGRAL"};
  const double tol[] = {1e-6, 2e-6, 1e-9};
  for (const TPoint& p : pts) {
    double K, L;
    CerfW(p.v, p.a, K, L);
    double f[3] = {};
    for (int m = 0; m < 3; ++m) {
      if (m == 1 && !p.taylor) continue;
      SetVoigtMethod(methods[m]);
      double H;
      VoigtFunc(p.a, p.v, H, f[m]);
      EXPECT_NEAR(f[m], L / 2, tol[m]) << methods[m] << " a " << p.a << " v " << p.v;
      EXPECT_NEAR(H, K, tol[m]) << methods[m] << " a " << p.a << " v " << p.v;
    }
    EXPECT_NEAR(f[0], f[2], 1e-6) << p.a << " " << p.v;
    if (p.taylor) {
      EXPECT_NEAR(f[1], f[2], 2e-6) << p.a << " " << p.v;
    }
  }
  SetVoigtMethod("HUMLICEK");
}

TEST(VoigtCerf, IntegralWithin1e6) {
  double worst = 0;
  for (double a : {0.01, 0.1, 0.5, 1.0, 3.0, 10.0}) {
    for (double v : {0.0, 0.3, 1.0, 2.5, 5.0, -7.0, 12.0, 20.0}) {
      double H, F, K, L;
      VoigtIntegral(a, v, H, F);
      CerfW(v, a, K, L);
      worst = std::max({worst, std::fabs(H - K), std::fabs(F - L / 2)});
      EXPECT_NEAR(H, K, 1e-6) << a << " " << v;
      EXPECT_NEAR(F, L / 2, 1e-6) << a << " " << v;
    }
  }
  RecordProperty("max_abs_dev", std::to_string(worst));
}

TEST(VoigtCerf, DawsonRelative1e12) {
  for (int i = 0; i <= 3000; ++i) {
    const double x = i < 2000 ? i * 0.005 : std::pow(10.0, (i - 2000) * 0.01);
    const double d = DawsonIntegral(x), r = dawson(x);
    if (r == 0) {
      EXPECT_EQ(d, 0);
      continue;
    }
    EXPECT_LE(std::fabs(d / r - 1), 1e-12) << x;
  }
}
#else
TEST(VoigtCerf, Skipped) {
  GTEST_SKIP() << "libcerf (libcerf-dev) not installed: no independent Voigt function";
}
#endif

}  // namespace
