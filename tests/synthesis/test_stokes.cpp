// Stokes arrays handed out as copies: the full form of a half profile, combinations, exact words,
// the filling factor, the wavelength arrays, the slope, the blur in place, spreading and the
// division by the continuum.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "support/Arrays1.h"
#include "support/SynEnv.h"

using testsupport::R1;
using testsupport::SynEnv;

namespace {

// A half profile of 3 points: UL 6302.50, .51, .52; I 0.4 0.6 0.9; Q 0.01 0.02 0.03;
// V 0 0.1 0.05.
void Half3(TUNNO& U) {
  U.SetDefaults();
  U.PureUL(3, 0, 6302.5, 20, 0);
  U.AllocU();
  U.UI = R1({0.4, 0.6, 0.9});
  U.UQ = R1({0.01, 0.02, 0.03});
  U.UU = R1({0, 0, 0});
  U.UV = R1({0, 0.1, 0.05});
}

TEST(UnnoStokes, FullFormOfAHalfProfile) {
  SynEnv env;
  TUNNO u;
  Half3(u);
  TARe a;
  u.GetUL(a);
  ASSERT_EQ(a.size(), 6u);  // 2 NDL - 1 points
  const double l[] = {6302.48, 6302.49, 6302.5, 6302.51, 6302.52};
  for (int i = 1; i <= 5; ++i) EXPECT_NEAR(a[i], l[i - 1], 1e-9) << i;
  struct TCase {
    const char* what;
    double v[5];
  } cases[] = {
      {"GetU V", {-0.05, -0.1, 0, 0.1, 0.05}},
      {"GetU Q", {0.03, 0.02, 0.01, 0.02, 0.03}},
      {"CopyIpVCur", {0.85, 0.5, 0.4, 0.7, 0.95}},  // I - V blue, I[1] centre, I + V red
      {"CopyImVCur", {0.95, 0.7, 0.4, 0.5, 0.85}},
      {"CopyIpQFull", {0.93, 0.62, 0.41, 0.62, 0.93}},
      {"CopyUParFull RV", {-0.05, -0.1, 0, 0.1, 0.05}},
      {"CopyUParFull I+V", {0.85, 0.5, 0.4, 0.7, 0.95}},
  };
  for (const auto& c : cases) {
    const std::string w = c.what;
    if (w == "GetU V") u.GetU('V', a);
    if (w == "GetU Q") u.GetU('Q', a);
    if (w == "CopyIpVCur") u.CopyIpVCur(a);
    if (w == "CopyImVCur") u.CopyImVCur(a);
    if (w == "CopyIpQFull") u.CopyIpQFull(a);
    if (w == "CopyUParFull RV") u.CopyUParFull("RV", a);
    if (w == "CopyUParFull I+V") u.CopyUParFull("I+V", a);
    ASSERT_EQ(a.size(), 6u) << w;
    for (int i = 1; i <= 5; ++i) EXPECT_NEAR(a[i], c.v[i - 1], 1e-12) << w << " " << i;
  }
  // as stored, or full
  u.CopyUPar("I+Q", a);
  EXPECT_EQ(a.size(), 4u);
  u.CopyUPar("I+V", a);
  EXPECT_EQ(a.size(), 6u);
  // one point: the centre alone
  TUNNO one;
  one.SetDefaults();
  one.PureUL(1, 0, 6302.5, 0, 0);
  one.AllocU();
  one.GetU('I', a);
  EXPECT_EQ(a.size(), 2u);
}

TEST(UnnoStokes, WordsAreExact) {
  SynEnv env;
  TUNNO u;
  Half3(u);
  TARe a;
  u.CopyUParFull("rv", a);
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[1], 0.9);  // I, mirrored unchanged
  EXPECT_EQ(a[5], 0.9);
  EXPECT_TRUE(env.sink.Has("UNNO.CopyUPar(rv) - НЕПОНЯТНЫЙ параметр"_cp));
  u.CopyUParM("QU2", a);
  EXPECT_TRUE(env.sink.Has("UNNO.CopyUParM(QU2)"));
}

TEST(UnnoStokes, FillingFactorScalesOnlyUndividedHalfProfiles) {
  SynEnv env;
  struct TCase {
    int32_t ksym, kcont;
    double part, factor;
  } cases[] = {
      {1, 0, 50, 0.5}, {1, 0, 0.5, 0.5}, {1, 0, 1, 1}, {1, 1, 50, 1}, {2, 0, 50, 1},
  };
  for (const TCase& c : cases) {
    TUNNO u;
    Half3(u);
    u.KSym = c.ksym;
    u.KCONT = c.kcont;
    u.PART = c.part;
    for (const char* w : {"RI", "I+V"}) {
      TARe a;
      u.CopyUParFull(w, a);
      const size_t n = c.ksym == 1 ? 6u : 4u;
      ASSERT_EQ(a.size(), n) << w << " " << c.part;
      const double centre = c.ksym == 1 ? a[3] : a[1];
      EXPECT_NEAR(centre, 0.4 * c.factor, 1e-12) << w << " " << c.part << " " << c.kcont;
    }
  }
}

TEST(UnnoStokes, IntensityOnlyCombinationsWarnAndLeaveTheOutput) {
  SynEnv env;
  TUNNO u;
  Half3(u);
  u.DropQUV();
  TARe a = R1({7});
  u.CopyIpQ(a);
  EXPECT_EQ(a, R1({7}));
  EXPECT_TRUE(env.sink.Has("Вызов функции CopyIpQ K4=1 - массив Q не существует!"_cp));
  u.CopyImV(a, false);
  EXPECT_TRUE(env.sink.Has("Вызов функции CopyImV K4=1 - массив V не существует!"_cp));
  u.GetU('V', a);
  EXPECT_TRUE(a.empty());
  EXPECT_TRUE(env.sink.Has("UNNO.GetU(\"V\") <> \"I\" (K4=1 !!!)"));
}

TEST(UnnoStokes, DivContTwiceAndBack) {
  SynEnv env;
  TUNNO u;
  Half3(u);
  u.CONT = 2;
  u.DivCont();
  EXPECT_EQ(u.KCONT, 1);
  EXPECT_NEAR(u.UI[1], 0.2, 1e-15);
  u.DivCont();
  EXPECT_EQ(env.Count("Профиль  уже поделен на континуум!"_cp), 1);
  EXPECT_NEAR(u.UI[1], 0.2, 1e-15);
  u.UnDivCont();
  EXPECT_EQ(u.KCONT, 0);
  EXPECT_NEAR(u.UI[1], 0.4, 1e-15);
  EXPECT_NEAR(u.UV[2], 0.1, 1e-15);
  u.CONT = 0;
  u.DivCont();
  EXPECT_TRUE(env.sink.Has("Для профиля  континуум не задан!!!!!"_cp));
  u.K4 = 3;
  u.Mul(2);
  EXPECT_TRUE(env.sink.Has("UNNO.Mul K4 должен быть равен 0/1/4, а равен 3!!"_cp));
}

TEST(UnnoStokes, DivContRebuildsTheSplines) {
  SynEnv env;
  TUNNO u;
  Half3(u);
  u.CONT = 2;
  const double before = u.IAt(6302.5);
  u.DivCont();
  EXPECT_NEAR(u.IAt(6302.5), before, 1e-12);
}

TEST(UnnoStokes, ApplyBlurTwiceBlursTheUnblurredArraysOnce) {
  SynEnv env;
  TUNNO a, b;
  testsupport::MakeFull(a, {}, 6302.0, 6303.0, 0.005);
  testsupport::MakeFull(b, {}, 6302.0, 6303.0, 0.005);
  const TARe plain = a.UI;
  const double centre = a.IAt(6302.513);
  a.ApplyBlur(1, 0);
  EXPECT_GT(a.IAt(6302.513), centre + 0.01);  // the splines follow the blurred arrays
  a.ApplyBlur(3, 0.001);
  b.ApplyBlur(3, 0.001);
  EXPECT_EQ(a.UI, b.UI);
  EXPECT_EQ(a.UV, b.UV);
  EXPECT_EQ(a.UIB, plain);
  EXPECT_NEAR(a.DLG, 6302.513 * 3 / 299792.4562 + 0.001, 1e-6);
  EXPECT_LT(1 - a.UI[a.NDL / 2], 1 - plain[a.NDL / 2]);
  a.UnBlur();
  EXPECT_EQ(a.UI, plain);
  EXPECT_TRUE(a.UIB.empty());
  EXPECT_EQ(a.Vma, 0);
  // on an unblurred profile only the widths go
  a.Vma = a.DLA = a.DLG = 1;
  a.UnBlur();
  EXPECT_EQ(a.DLG, 0);
  EXPECT_EQ(a.UI, plain);
}

TEST(UnnoStokes, SlopeAndSpread) {
  SynEnv env;
  TUNNO u;
  u.SetDefaults();
  u.SetUL(R1({6302.5, 6302.51, 6302.52}), 6302.5, false);
  u.AllocU();
  u.UI = R1({0.4, 0.6, 0.9});
  u.UL[3] = u.UL[2];  // two equal wavelengths
  TARe s, m;
  u.GetDerivI(s, m);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_NEAR(s[1], 20, 1e-6);
  EXPECT_EQ(s[2], 0);
  EXPECT_NEAR(m[1], 6302.505, 1e-9);

  TUNNO h;
  Half3(h);
  h.FillBlur(5);
  h.Spread();
  EXPECT_EQ(h.UIC.size(), 6u);  // the current-blur arrays follow the grid
  EXPECT_EQ(h.NDL, 5);
  EXPECT_EQ(h.KSym, 2);
  EXPECT_EQ(h.UV[1], -0.05);
  EXPECT_EQ(h.UNN.size(), 6u);
  EXPECT_EQ(env.Count("U0 Not Assigned!"), 4);
  EXPECT_NEAR(h.IAt(h.UL[1]), h.UIC[1], 1e-12);
  const TARe l = h.UL;
  h.Spread();  // a full profile: nothing
  EXPECT_EQ(h.UL, l);
  TUNNO z;
  Half3(z);
  z.KSym = 0;
  z.Spread();
  EXPECT_EQ(z.NDL, 3);
  EXPECT_EQ(z.KSym, 2);
}

TEST(UnnoStokes, FullLamSubtractsTheUnnoTabsWavelengthUnderChannel28) {
  SynEnv env;
  TUNNO u;
  Half3(u);
  u.DLVD = 0.001;
  TARe a;
  u.GetFullLam(a);
  EXPECT_NEAR(a[3], 6302.501, 1e-9);
  Synthesis().Lam0ForPu.Install([] { return std::string("6300"); });
  u.GetFullLam(a);
  EXPECT_NEAR(a[3], 6302.501, 1e-9);  // channel 28 off
  TraceMask |= 1 << 28;
  u.GetFullLam(a);
  TraceMask &= ~(1 << 28);
  EXPECT_NEAR(a[3], 2.501, 1e-9);
  EXPECT_NEAR(a[1], 2.481, 1e-9);
}

}  // namespace
