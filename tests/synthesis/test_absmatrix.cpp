// The absorption matrix: component sums, matrix elements for the field direction, the
// magneto-optical switch word, the (X, wavelength) cache, the eigenvalue bounds against a
// generic eigen-solver and the errors for undefined inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <random>
#include <string>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SinkRecorder.h"
#include "support/TransferModel.h"
#include "support/UnnoRachkovsky.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

using testsupport::SinkRecorder;
using testsupport::TTransferModel;

TZEEMAN Triplet() {
  TZEEMAN z;
  z.NCOMP = 2;
  z.NPI = 1;
  z.Shift[1] = 0;
  z.Strength[1] = 0.25;
  z.Shift[2] = 1;
  z.Strength[2] = 0.25;
  return z;
}

TEST(AbsMatrix, TripletWithoutSplitting) {
  TZEEMAN z = Triplet();
  double H, F;
  VoigtHumlicek(0.1, 0.7, H, F);
  for (double gamma : {0.0, 33.0, 90.0}) {
    for (double chi : {0.0, 17.0, 120.0}) {
      TCONTR R;
      LINA(z, R, 0.7, 0, 0.1, 6);
      EXPECT_DOUBLE_EQ(R.EP, 0.5 * H);
      EXPECT_DOUBLE_EQ(R.EB, 0.25 * H);
      EXPECT_DOUBLE_EQ(R.ER, 0.25 * H);
      const double c = std::cos(gamma * M_PI / 180);
      COEF(R, 1 - c * c, c, std::sin(2 * chi * M_PI / 180), std::cos(2 * chi * M_PI / 180));
      EXPECT_NEAR(R.EI, H, 1e-15);
      EXPECT_NEAR(R.EQ, 0, 1e-15);
      EXPECT_NEAR(R.EU, 0, 1e-15);
      EXPECT_NEAR(R.EV, 0, 1e-15);
      EXPECT_EQ(R.EF, R.EI + R.ETAC);
    }
  }
}

TEST(AbsMatrix, MagnetoOpticalSwitch) {
  TZEEMAN z = Triplet();
  const double v = 0.4, vh = 1.3, a = 0.2;
  double Hb, Fb, Hr, Fr, Hp, Fp;
  VoigtHumlicek(a, v - vh, Hb, Fb);
  VoigtHumlicek(a, v + vh, Hr, Fr);
  VoigtHumlicek(a, v, Hp, Fp);
  TCONTR R;
  LINA(z, R, v, vh, a, 1);
  EXPECT_EQ(R.RP, 0);
  EXPECT_EQ(R.RB, 0);
  EXPECT_EQ(R.RR, 0);
  LINA(z, R, v, vh, a, 6);  // K = -2
  EXPECT_DOUBLE_EQ(R.RB, -2 * 0.25 * Fb);
  EXPECT_DOUBLE_EQ(R.RR, -2 * 0.25 * Fr);
  EXPECT_DOUBLE_EQ(R.RP, -2 * 0.5 * Fp);
  LINA(z, R, v, vh, a, 22);  // pi once, K = -2
  EXPECT_DOUBLE_EQ(R.EP, 0.25 * Hp);
  EXPECT_DOUBLE_EQ(R.RP, -2 * 0.25 * Fp);
  double H0, F0;
  VoigtHumlicek(a, 0, H0, F0);
  LINA(z, R, v, vh, a, 8);  // divided by H(a, 0)
  EXPECT_DOUBLE_EQ(R.RB, 0.25 * Fb / H0);
  SinkRecorder sink;
  EXPECT_THROW(LINA(z, R, v, vh, std::nan(""), 8), std::exception);
}

// The matrix elements against the textbook absorption and dispersion profiles (the real and
// imaginary parts of libcerf's w, wavelength counted positive to the red, the blue sigma
// component at shorter wavelengths) for every Voigt method: the same signs of RQ, RU, RV whatever
// the method.
TEST(AbsMatrix, TextbookDispersionProfilesForEveryMethod) {
  if (!testsupport::kHaveUnnoRachkovsky) GTEST_SKIP() << "no libcerf";
  const TZEEMAN z = Triplet();
  const double a = 0.03, vh = 1.4, gamma = 55, chi = 35;
  const double c = std::cos(gamma * M_PI / 180), sg2 = 1 - c * c;
  const double c2 = std::cos(2 * chi * M_PI / 180), s2 = std::sin(2 * chi * M_PI / 180);
  for (const char* method : {"HUMLICEK", "TAYLOR", "INTEGRAL"}) {
    SetVoigtMethod(method);
    for (double V : {-2.6, -1.4, -0.7, 0.0, 0.3, 1.1, 2.2, 4.5}) {
      TCONTR R;
      LINA(z, R, V, vh, a, 6);
      COEF(R, sg2, c, s2, c2);
      // V counts to the blue: the textbook's v is -V
      double php, psp, phb, psb, phr, psr;
      testsupport::URProfile(-V, 0, a, php, psp);
      testsupport::URProfile(-V, -vh, a, phb, psb);
      testsupport::URProfile(-V, vh, a, phr, psr);
      const double want[7] = {php * sg2 + (phb + phr) / 2 * (1 + c * c),
                              (php - (phb + phr) / 2) * sg2 * c2,
                              (php - (phb + phr) / 2) * sg2 * s2,
                              (phr - phb) * c,
                              (psp - (psb + psr) / 2) * sg2 * c2,
                              (psp - (psb + psr) / 2) * sg2 * s2,
                              (psr - psb) * c};
      const double got[7] = {R.EI, R.EQ, R.EU, R.EV, R.RQ, R.RU, R.RV};
      for (int k = 0; k < 7; ++k)
        EXPECT_NEAR(got[k], want[k] / 2, 2e-6) << method << " V " << V << " element " << k;
    }
  }
  SetVoigtMethod("HUMLICEK");
}

TEST(AbsMatrix, FieldDirections) {
  TZEEMAN z = Triplet();
  TCONTR R;
  LINA(z, R, 0.3, 1.1, 0.05, 6);
  TCONTR R90 = R;
  COEF(R90, 1, 0, std::sin(0.6), std::cos(0.6));
  EXPECT_EQ(R90.EV, 0);
  EXPECT_EQ(R90.RV, 0);
  TCONTR R0 = R;
  COEF(R0, 0, 1, std::sin(0.6), std::cos(0.6));
  EXPECT_EQ(R0.EQ, 0);
  EXPECT_EQ(R0.EU, 0);
  EXPECT_EQ(R0.RQ, 0);
  EXPECT_EQ(R0.RU, 0);
  EXPECT_DOUBLE_EQ(R0.EI, 2 * (R.EB + R.ER));
}

// Eigenvalues of a 4x4 matrix: characteristic polynomial (Faddeev-LeVerrier) and its roots
// (Durand-Kerner).
std::vector<std::complex<long double>> Eigen4(const double M[4][4]) {
  using LD = long double;
  LD Mk[4][4] = {}, c[5] = {};
  c[4] = 1;
  for (int i = 0; i < 4; ++i) Mk[i][i] = 1;
  for (int k = 1; k <= 4; ++k) {
    LD AM[4][4] = {};
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j)
        for (int l = 0; l < 4; ++l) AM[i][j] += M[i][l] * Mk[l][j];
    LD tr = 0;
    for (int i = 0; i < 4; ++i) tr += AM[i][i];
    c[4 - k] = -tr / k;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) Mk[i][j] = AM[i][j] + (i == j ? c[4 - k] : 0);
  }
  auto p = [&c](std::complex<LD> x) {
    return (((x + c[3]) * x + c[2]) * x + c[1]) * x + c[0];
  };
  std::vector<std::complex<LD>> r = {{0.4L, 0.9L}, {-0.7L, 0.3L}, {1.1L, -0.5L}, {-0.2L, -1.3L}};
  LD scale = 1;
  for (int i = 0; i < 4; ++i) scale = std::max(scale, static_cast<LD>(std::fabs(M[i][i])) * 2);
  for (auto& x : r) x *= scale;
  for (int it = 0; it < 2000; ++it) {
    for (size_t i = 0; i < 4; ++i) {
      std::complex<LD> d = 1;
      for (size_t j = 0; j < 4; ++j)
        if (j != i) d *= r[i] - r[j];
      r[i] -= p(r[i]) / d;
    }
  }
  return r;
}

TEST(AbsMatrix, EigenvalueBoundsMatchASolver) {
  std::mt19937_64 gen(12345);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int n = 0; n < 200; ++n) {
    TCONTR R;
    R.EQ = u(gen);
    R.EU = u(gen);
    R.EV = u(gen);
    R.RQ = u(gen);
    R.RU = u(gen);
    R.RV = u(gen);
    R.EF = 3 + 2 * u(gen);
    R.C10 = 0.5 + u(gen) * 0.3;
    if (n % 7 == 0) R.RQ = R.RU = R.RV = 0;  // no dispersion
    const double M[4][4] = {{R.EF, R.EQ, R.EU, R.EV},
                            {R.EQ, R.EF, R.RV, -R.RU},
                            {R.EU, -R.RV, R.EF, R.RQ},
                            {R.EV, R.RU, -R.RQ, R.EF}};
    const auto ev = Eigen4(M);
    double mx = 0, mn = 1e300;
    for (const auto& e : ev) {
      mx = std::max(mx, static_cast<double>(std::abs(e)));
      mn = std::min(mn, static_cast<double>(std::abs(e)));
    }
    Invariants(R);
    double EMin, EMax;
    EIV(R, EMin, EMax);
    EXPECT_NEAR(EMax, mx * R.C10, 1e-12 * mx * R.C10) << n;
    EXPECT_NEAR(EMin, mn * R.C10, 1e-12 * mx * R.C10) << n;
  }
  TCONTR R;
  R.EF = 2.5;
  R.C10 = 0.3;
  Invariants(R);
  double EMin, EMax;
  EIV(R, EMin, EMax);
  EXPECT_DOUBLE_EQ(EMin, 2.5 * 0.3);
  EXPECT_DOUBLE_EQ(EMax, 2.5 * 0.3);
}

TEST(AbsMatrix, FacxSumsAndCaches) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.DLH = testsupport::Const(40);
  m.GM = testsupport::Const(30);
  m.XI = testsupport::Const(20);
  m.Build();
  TCONT& C = Cont();
  C.WK.X = -1;
  C.WK.LAM = m.Lam0 - 0.02;
  FACX();
  // one line: what LINA, ScaleProfiles and COEF give for its pattern
  TCONTR R;
  R.ETAC = 1;
  const double v = 20.0 / 30, vh = 40.0 / 30;
  LINA(C.LiSet.Items[1].LI.Zee, R, v, vh, 0.05, 6);
  ScaleProfiles(R, 10);
  const double c = std::cos(M_PI / 6);
  COEF(R, 1 - c * c, c, std::sin(2 * 20 * M_PI / 180), std::cos(2 * 20 * M_PI / 180));
  // (the model's vectors are splines: their constants hold to about 1e-11)
  EXPECT_NEAR(C.R.EI, R.EI, 1e-9);
  EXPECT_NEAR(C.R.EV, R.EV, 1e-9);
  EXPECT_NEAR(C.R.RQ, R.RQ, 1e-9);
  EXPECT_NEAR(C.R.EF, R.EI + 1, 1e-9);
  EXPECT_NEAR(C.R.C10, std::pow(10.0, -1) * 2.302585093, 1e-15);
  EXPECT_LT(C.R.EV, 0);  // blue side of the line: the blue sigma component dominates
  // the same (X, wavelength) again: nothing recomputed, even with the line set changed
  const TCONTR before = C.R;
  C.LiSet.Items[1].LI.LAMB += 0.01;
  FACX();
  EXPECT_EQ(C.R.EI, before.EI);
  EXPECT_EQ(C.R.EV, before.EV);
  // a new wavelength at the same depth uses the new line position
  C.WK.LAM += 0.01;
  FACX();
  EXPECT_NEAR(C.R.EI, before.EI, 1e-9);
}

TEST(AbsMatrix, FacxOverManyPatternsEqualsLinaSums) {
  // enough lines and hyperfine components for several Voigt batches of FACX; each pattern's
  // LINA, ScaleProfiles and COEF summed in order give the same numbers
  struct TCase {
    int32_t KVOIG;
    const char* Method;
    int32_t Trace;
  } cases[] = {{6, "Humlicek", 0}, {24, "Humlicek", 0}, {6, "Taylor", 0}, {6, "Humlicek", 4}};
  for (const TCase& tc : cases) {
    SinkRecorder sink;
    TTransferModel m;
    TCalcScope scope(m.ctx);
    m.DLH = testsupport::Const(40);
    m.GM = testsupport::Const(50);
    m.XI = testsupport::Const(20);
    m.KVOIG = tc.KVOIG;
    m.Build();
    SetVoigtMethod(tc.Method);
    TCONT& C = Cont();
    const int32_t nLines = 14;
    C.LiSet.Count = nLines;
    for (int32_t i = 2; i <= nLines; ++i) {
      TLINEDATA& it = C.LiSet.Items[static_cast<size_t>(i)];
      it.LI.LAMB = m.Lam0 - 0.3 + 0.043 * i;
      const std::string id = "LI=L" + std::to_string(i);
      if (i % 2)
        ZeeSetRunge(id, it.LI.Zee, 2.5, 3.5, 1.2, 1.4);  // 18 components
      else
        ZeeSetRunge(id, it.LI.Zee, 2, 2, 11.0 / 6, 1.5);
      it.DLD = m.Add("DLD", testsupport::Const(25 + i), id);
      it.ETA = m.Add("ETA", testsupport::Const(3 + i), id);
      it.A = m.Add("A", testsupport::Const(0.01 * i * i), id);
      if (i % 3 == 0) {
        it.LI.HFS = std::make_unique<THFS>();
        it.LI.HFS->SetN(5);
        for (size_t k = 1; k <= 5; ++k) {
          it.LI.HFS->Shift[k] = -25.0 + 11 * k;
          it.LI.HFS->Int[k] = 0.05 * k;
        }
      }
    }
    C.WK.X = -0.5;
    C.WK.LAM = m.Lam0 + 0.011;
    TraceMask = tc.Trace ? 1 << tc.Trace : 0;
    FACX();
    TraceMask = 0;
    const TCONTXCache& xc = C.XC;
    double s[7] = {};
    int32_t sets = 0;
    for (int32_t i = 1; i <= nLines; ++i) {
      const TLINEDATA& it = C.LiSet.Items[static_cast<size_t>(i)];
      const size_t iu = static_cast<size_t>(i);
      const double dl = -(C.WK.LAM - it.LI.LAMB) * 1000;
      const THFS* hfs = it.LI.HFS.get();
      const int32_t n = hfs ? hfs->N : 1;
      for (int32_t k = 1; k <= n; ++k) {
        const double w = hfs ? dl - hfs->Shift[static_cast<size_t>(k)] : dl;
        TCONTR R;
        R.ETAC = 1;
        LINA(it.LI.Zee, R, (w + xc.VD) / xc.DLD[iu], xc.DLH / xc.DLD[iu], xc.A[iu], tc.KVOIG);
        ScaleProfiles(R, hfs ? xc.ETA[iu] * hfs->Int[static_cast<size_t>(k)] : xc.ETA[iu]);
        COEF(R, xc.SIN2G, xc.COSG, xc.SIN2CHI, xc.COS2CHI);
        const double e[7] = {R.EI, R.EQ, R.EU, R.EV, R.RQ, R.RU, R.RV};
        for (int q = 0; q < 7; ++q) s[q] += e[q];
        ++sets;
      }
    }
    const double got[7] = {C.R.EI, C.R.EQ, C.R.EU, C.R.EV, C.R.RQ, C.R.RU, C.R.RV};
    for (int q = 0; q < 7; ++q) EXPECT_EQ(got[q], s[q]) << tc.KVOIG << tc.Method << " " << q;
    EXPECT_EQ(C.R.EF, C.R.EI + C.R.ETAC);
    if (tc.Trace) {
      // each pattern's two LINA lines, in the order of the lines and components
      ASSERT_EQ(static_cast<int32_t>(sink.texts.size()), 2 * sets);
      for (size_t j = 0; j < sink.texts.size(); ++j)
        EXPECT_EQ(sink.texts[j].find(j % 2 ? "LINA + KVOIG=" : "LINA  L="), 0u) << sink.texts[j];
      EXPECT_NE(sink.texts[0].find("A=0.050"), std::string::npos) << sink.texts[0];
      EXPECT_NE(sink.texts.back().find("L=6302.511"), std::string::npos);
    }
  }
}

TEST(AbsMatrix, FieldFreeOpacity) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.Build();
  TCONT& C = Cont();
  C.WK.X = 0.2;
  C.WK.LAM = m.Lam0 + 0.015;
  H0LINA();
  double H, F;
  VoigtHumlicek(0.05, -0.5, H, F);
  EXPECT_NEAR(C.R.EI, 10 * H, 1e-9);
  EXPECT_NEAR(C.R.EF, 10 * H + 1, 1e-9);
  // the polarised matrix at the same point is no cache hit of the field-free one
  FACX();
  EXPECT_NEAR(C.R.EI, 10 * H, 1e-9);  // no field: the same opacity
}

TEST(AbsMatrix, UndefinedInputsAreErrors) {
  SinkRecorder sink;
  {
    TTransferModel m;
    TCalcScope scope(m.ctx);
    m.DLD = testsupport::Const(0);
    m.Build();
    Cont().WK.X = 0;
    try {
      FACX();
      FAIL();
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find("доплеровская ширина линии <"_cp), std::string::npos);
      EXPECT_NE(std::string(e.what()).find("LAM=6302.500"), std::string::npos) << e.what();
    }
  }
  {
    TTransferModel m;
    TCalcScope scope(m.ctx);
    m.Mu = 0;
    m.Build();
    Cont().WK.X = 0;
    EXPECT_THROW(FACX(), std::exception);
    EXPECT_THROW(H0LINA(), std::exception);
  }
}

}  // namespace
