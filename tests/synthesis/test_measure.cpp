// Measuring profiles: wings and bisectors of a triangular line, equivalent widths and moments of
// Gaussian lines, the field from the centres of gravity of I+-V, differences and sums, the
// macroturbulence fit against a closed-form convolution, contribution functions over a probe
// layer, the list-wide jobs and the reports.
#include <gtest/gtest.h>

#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "support/SynEnv.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnnoMeasure.h"

using testsupport::SynEnv;
using testsupport::TLine;

namespace {

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const std::exception& e) {
    return e.what();
  }
  return std::string();
}

// A triangular line (linear between grid points) of depth D and half-width W (A) centred at C,
// on a grid from C - W to C + W in steps of H; LAMB = Lamb.
void Triangle(TUNNO& U, double Lamb, double C, double D, double W, double H) {
  U.SetDefaults();
  const int32_t n = static_cast<int32_t>(std::llround(2 * W / H)) + 1;
  U.SetULEqd(n, Lamb, C + W, C - W);
  U.AllocU();
  for (int32_t i = 1; i <= n; ++i) {
    U.UL[i] = C - W + (i - 1) * H;
    U.UI[i] = 1 - D * std::max(0.0, 1 - std::fabs(U.UL[i] - C) / W);
  }
  U.UI[1] = U.UI[n] = 1;  // the feet exactly at the continuum
  U.LAMB = Lamb;
  U.CONT = 1;
}

// The integral of the straight lines through (X[k], F[k]) between A and B (0 beyond the grid).
double LinearIntegral(const TARe& X, const std::vector<double>& F, double A, double B) {
  const int n = static_cast<int>(X.size()) - 1;
  auto f = [&](double x) {
    if (x < X[1] || x > X[n]) return 0.0;
    int k = 1;
    while (k < n - 1 && X[k + 1] < x) ++k;
    return F[k] + (F[k + 1] - F[k]) * (x - X[k]) / (X[k + 1] - X[k]);
  };
  // exact for piecewise-linear f: trapezoids between the breakpoints
  std::vector<double> pts{A};
  for (int k = 1; k <= n; ++k)
    if (X[k] > A && X[k] < B) pts.push_back(X[k]);
  pts.push_back(B);
  double s = 0;
  for (size_t i = 1; i < pts.size(); ++i) s += (pts[i] - pts[i - 1]) * (f(pts[i]) + f(pts[i - 1])) / 2;
  return s;
}

// An own calculation context with the level tolerance Err.
struct TCalc {
  TOwnCalcContext ctx;
  TCalcScope scope{ctx};
  explicit TCalc(double Err = 0) { ctx.CONT->SETX.ERR = Err; }
};

// ---------------------------------------------------------------- wings and bisectors

TEST(UnnoBisector, TriangularLineHasItsCentreAsBisectorAtEveryLevel) {
  SynEnv env;
  TCalc calc;
  const double c = 6302.515, w = 0.1, d = 0.5;
  TUNNO u;
  Triangle(u, 6302.5, c, d, w, 0.005);
  u.RStep = 0.125;
  u.Bisector();
  ASSERT_EQ(NOf(u.YInt), 5);
  const double levels[] = {1, 0.875, 0.75, 0.625, 0.5};
  for (int k = 1; k <= 5; ++k) {
    EXPECT_NEAR(u.YInt[k], levels[k - 1], 1e-12);
    EXPECT_NEAR(u.BiSec[k], c, 1e-9) << k;
    EXPECT_NEAR(u.Width[k], 2 * w * (1 - (1 - u.YInt[k]) / d), 1e-9) << k;
  }
  // one level by kind: 0.25 below the continuum; the bisector 15 mA from LAMB
  EXPECT_NEAR(u.WidthAt('A', 0.25), 100, 1e-6);
  EXPECT_NEAR(u.BisecAt('A', 0.25), 15, 1e-6);
  EXPECT_NEAR(u.RelLevel('P', 0.5), 0.75, 1e-9);
  // RStep 0 stores the default step before counting
  u.RStep = 0;
  u.Bisector();
  EXPECT_EQ(u.RStep, 0.005);
  EXPECT_EQ(NOf(u.YInt), 101);
}

TEST(UnnoBisector, MissingWingGivesZeroWidthAndBisector) {
  SynEnv env;
  TCalc calc;
  TUNNO u;
  Triangle(u, 6302.5, 6302.515, 0.5, 0.1, 0.005);
  // above the continuum: no wing
  EXPECT_EQ(u.WidthAt('A', -0.1), 0);
  EXPECT_EQ(u.BisecAt('A', -0.1), 0);
  EXPECT_GE(env.Count("Err rLev Above WingR!"), 0);
  // a red end that falls: no right wing (the box), unless a comparison base
  u.UI[u.NDL] = u.UI[u.NDL - 1] - 0.01;
  EXPECT_EQ(u.WingRAt(0.8, 0), -1);
  EXPECT_TRUE(env.sink.Has("Err глубина профиля НЕ убывает в крыло!"_cp));
  EXPECT_EQ(u.WidthAt('A', 0.2), 0);
  u.KRef = 1;
  EXPECT_GT(u.WingRAt(0.8, 0), 6302.515);
}

TEST(UnnoBisector, LevelNearAGridPointTakesThePointAndHalfProfilesMirror) {
  SynEnv env;
  TCalc calc(0.01);
  TUNNO u;
  Triangle(u, 6302.5, 6302.515, 0.5, 0.1, 0.005);
  int32_t out = 0, in = 0;
  // a grid point at 0.9 (0.8 of the half-width out); 0.905 is within the tolerance
  const double r = u.WingRIdx(out, in, 0.905, 0);
  EXPECT_EQ(out, in);
  EXPECT_DOUBLE_EQ(r, u.UL[out]);
  // a half profile: the left wing mirrors the right one about the centre
  TUNNO h;
  h.SetDefaults();
  h.PureUL(3, 0, 6302.0, 200, 0);
  h.AllocU();
  h.UI[1] = 0.4, h.UI[2] = 0.7, h.UI[3] = 1.0;
  CalcCtx().CONT->SETX.ERR = 0;
  EXPECT_NEAR(h.WingRAt(0.7, 0), 6302.1, 1e-9);
  EXPECT_NEAR(h.WingLAt(0.7, 0), 6301.9, 1e-9);
}

TEST(UnnoBisector, BisecPointsNeedFiveUsableLevels) {
  SynEnv env;
  TCalc calc;
  TUNNO u;
  Triangle(u, 6302.5, 6302.515, 0.5, 0.1, 0.005);
  u.RStep = 0.125;  // 5 levels: no level from 5 on before the last
  u.Bisector();
  double r[8];
  u.BisecPoints(r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]);
  for (double x : r) EXPECT_EQ(x, 0);
  // a skewed line (red wing 1 - 0.5 (1 - t)^2): the bisector leans blue towards the continuum;
  // the mean lies between the extremes, the half-depth point is the bisector at level 0.75
  TUNNO s;
  const double c = 6302.515;
  Triangle(s, 6302.5, c, 0.5, 0.1, 0.001);
  for (int32_t i = 1; i <= s.NDL; ++i)
    if (s.UL[i] > c) s.UI[i] = 1 - 0.5 * std::pow(std::max(0.0, 1 - (s.UL[i] - c) / 0.1), 2);
  s.UI[s.NDL] = 1;
  s.RStep = 0.01;
  s.Bisector();
  s.BisecPoints(r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]);
  EXPECT_LT(r[5], r[4]);
  EXPECT_GE(r[0], r[5]);
  EXPECT_LE(r[0], r[4]);
  EXPECT_NEAR(r[2], c + ((1 - std::sqrt(0.5)) * 0.1 - 0.05) / 2, 2e-5);
}

// ---------------------------------------------------------------- equivalent widths, moments

TEST(UnnoEqWidth, TrapezoidSumsWithInterpolatedEndsAndHalfProfilesDoubled) {
  SynEnv env;
  TLine line;
  TUNNO u;
  testsupport::MakeFull(u, line, 6302.013, 6303.013, 0.002);
  std::vector<double> f(static_cast<size_t>(u.NDL) + 1);
  for (int32_t i = 1; i <= u.NDL; ++i) f[i] = 1 - u.UI[i];
  const double whole = LinearIntegral(u.UL, f, u.UL[1], u.UL[u.NDL]) * 1000;
  EXPECT_NEAR(u.EqWidth('I', 0, 0), whole, 1e-9);
  // absolute limits, ends between grid points
  const double a = 6302.4501, b = 6302.5803;
  EXPECT_NEAR(u.EqWidth('I', a, b), LinearIntegral(u.UL, f, a, b) * 1000, 1e-9);
  // offsets in mA, the blue one given positive
  EXPECT_NEAR(u.EqWidth('I', 50, 70), u.EqWidth('I', u.LAMB - 0.05, u.LAMB + 0.07), 1e-9);
  // both limits beyond the grid on one side: the box and 0
  EXPECT_EQ(u.EqWidth('I', 1600, -1500), 0);
  EXPECT_TRUE(env.sink.Has("EqWidth LAM1/2="));
  // absolute limits both red of LAMB stay where they are (not mirrored to the blue side)
  EXPECT_EQ(u.EqWidth('I', 6304, 6305), 0);
  EXPECT_NEAR(u.EqWidth('I', 6302.53, 6302.6), LinearIntegral(u.UL, f, 6302.53, 6302.6) * 1000,
              1e-9);
  // a half profile: its stored half doubled, or the mirrored whole across the centre
  TUNNO h;
  testsupport::MakeHalf(h, line, 251, 2);
  TARe hx = h.UL;
  std::vector<double> hf(static_cast<size_t>(h.NDL) + 1);
  for (int32_t i = 1; i <= h.NDL; ++i) hf[i] = 1 - h.UI[i];
  EXPECT_NEAR(h.EqWidth('I', 0, 0), 2 * LinearIntegral(hx, hf, hx[1], hx[h.NDL]) * 1000, 1e-9);
  EXPECT_NEAR(h.EqWidth('I', 0, 100), 2 * LinearIntegral(hx, hf, hx[1], hx[1] + 0.1) * 1000, 1e-9);
  EXPECT_NEAR(h.EqWidth('I', -100, 100), 2 * LinearIntegral(hx, hf, hx[1], hx[1] + 0.1) * 1000, 1e-9);
  // V of an intensity-only profile is 0
  h.K4 = 1;
  EXPECT_EQ(h.EqWidth('V', 0, 0), 0);
}

TEST(UnnoEqWidth, ContinuumZeroIsAnErrorOnlyForUndividedProfiles) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeFull(u, TLine(), 6302.013, 6303.013, 0.01);
  u.QUEST = "QW";
  u.IQ = 2;
  u.KVARI = 7;
  u.CONT = 0;
  u.KCONT = 0;
  const std::string e = ErrorOf([&] { u.EqWidth('I', 0, 0); });
  EXPECT_NE(e.find("TUNNO.EqWidth LCONT=0!!!"), std::string::npos) << e;
  EXPECT_NE(e.find("QW.2 KVARI=7"), std::string::npos) << e;
  u.KCONT = 1;
  EXPECT_GT(u.EqWidth('I', 0, 0), 0);
}

TEST(UnnoMoments, AntisymmetricVAndHalfProfiles) {
  SynEnv env;
  TLine line;
  line.A = -0.2;  // a positive blue lobe
  TUNNO u;
  testsupport::MakeFull(u, line, 6302.013, 6303.013, 0.002);
  u.LAMB = line.L0;
  EXPECT_GT(u.VMoment1(), 0);
  EXPECT_NEAR(u.VaMoment(), 0, 1e-6);
  EXPECT_NEAR(u.VMoment2(), 0, 1e-9);
  EXPECT_NEAR(u.IMoment1() * u.EqWidthDef('I'), 0, 1e-3);
  // a half profile: odd integrands give 0 (V's second moment among them), even ones double
  TUNNO h;
  testsupport::MakeHalf(h, line, 251, 2);
  EXPECT_EQ(h.IMoment1(), 0);
  EXPECT_EQ(h.QMoment1(), 0);
  EXPECT_EQ(h.VMoment2(), 0);
  EXPECT_NEAR(h.VMoment1(), u.VMoment1(), std::fabs(u.VMoment1()) * 0.01);
  EXPECT_GT(h.IMoment2(), 0);
  // an intensity-only profile has no moments
  h.K4 = 1;
  EXPECT_EQ(h.VMoment1(), 0);
}

// ---------------------------------------------------------------- field from I+-V

struct TLineList {
  TLineList() {
    CreateLineLists();
    if (!LLIDA->GetAtLine("FE6302")) {
      auto l = std::make_unique<TLIDA>();
      l->sIdL = "FE6302";
      l->JL2 = 2;
      l->JU2 = 0;
      l->GL = 2.5;
      l->GU = 0;
      l->LAMB = 6302.4936;
      LLIDA->AddUnique(std::move(l));
    }
  }
};

TEST(UnnoCOGivField, TwoShiftedGaussiansGiveTheirFieldOnBothAxes) {
  SynEnv env;
  TLineList lines;
  const double lam0 = 6302.5, g = 2.5;
  const double delta = 4.6686E-13 * lam0 * lam0 * g * 1000;  // 1000 G, about 46.36 mA
  ASSERT_NEAR(delta, 0.04636, 1e-4);
  for (bool axis : {true, false}) {
    TUNNO u;
    u.SetDefaults();
    u.sULin = "FE6302";
    u.SetULEqd(501, lam0, 6303.0, 6302.0);
    u.AllocU();
    for (int32_t i = 1; i <= u.NDL; ++i) {
      const double xp = (u.UL[i] - lam0 - delta) / 0.06, xm = (u.UL[i] - lam0 + delta) / 0.06;
      const double p = 1 - 0.6 * std::exp(-xp * xp), m = 1 - 0.6 * std::exp(-xm * xm);
      u.UI[i] = (p + m) / 2;
      u.UV[i] = (p - m) / 2;
    }
    u.COGivField(axis, 0.1, 2);
    for (int s = 0; s < 9; ++s) {
      EXPECT_NEAR(u.CogB[s], 1000, 10) << "slice " << s + 1 << " axis " << axis;
      if (s > 0 && s < 8) {
        EXPECT_NEAR(u.CogV[s], 0, 0.01) << s;
      }
    }
    EXPECT_NEAR(u.B06, 1000, 10);
    EXPECT_NEAR(u.B94, 1000, 10);
    EXPECT_NEAR(u.CoreB, 1000, 10);
    // I+-V of the table: half the separation of their centroids
    EXPECT_NEAR(u.COGSplitIV(), delta * 1000, delta * 10);
  }
}

// ---------------------------------------------------------------- difference and sum

std::unique_ptr<TUNNO> Gauss(const std::string& Q, int32_t IQ, int32_t K, double Depth,
                             double Step = 0.005) {
  auto u = std::make_unique<TUNNO>();
  TLine line;
  line.D = Depth;
  testsupport::MakeFull(*u, line, 6302.013, 6303.013, Step);
  u->QUEST = Q;
  u->IQ = IQ;
  u->KVARI = K;
  u->KCONT = 1;
  u->K4 = 4;
  return u;
}

TEST(UnnoDif, LayoutsGridsAndKeys) {
  SynEnv env;
  auto a = Gauss("QA", 2, 1, 0.6), b = Gauss("QA", 5, 2, 0.5);
  TUNNO d;
  d.SetDefaults();
  d.Dif(*a, *b);
  EXPECT_EQ(d.KDif, 1);
  EXPECT_EQ(d.QUEST, "QA");
  EXPECT_EQ(d.IQ, 5);
  EXPECT_EQ(d.KVARI, 1);
  for (int32_t i = 1; i <= d.NDL; ++i) ASSERT_DOUBLE_EQ(d.UI[i], a->UI[i] - b->UI[i]);
  // different quests: U2's quest and step
  b->QUEST = "QB";
  d.Dif(*a, *b);
  EXPECT_EQ(d.QUEST, "QB");
  EXPECT_EQ(d.IQ, 5);
  // layouts and grids that differ: an error naming both profiles and the fields
  b->CONT = 2;
  std::string e = ErrorOf([&] { d.Dif(*a, *b); });
  EXPECT_NE(e.find("UNNO.Dif U1<>U2.(CONT )"), std::string::npos) << e;
  EXPECT_NE(e.find("QA.2 KVARI=1"), std::string::npos) << e;
  EXPECT_NE(e.find("QB.5 KVARI=2"), std::string::npos) << e;
  b->CONT = 1;
  b->UL[3] += 1e-4;
  e = ErrorOf([&] { d.Dif(*a, *b); });
  EXPECT_NE(e.find("UNNO.EqUN1<>UN2. UL[3]"), std::string::npos) << e;
}

TEST(UnnoDif, Dif2InterpolatesOnCopiesAndDifferencesTheLevelCurves) {
  SynEnv env;
  TCalc calc;
  auto a = Gauss("QA", 1, 3, 0.6, 0.002), b = Gauss("QB", 4, 1, 0.5, 0.005);
  b->KCONT = 0;
  b->CONT = 2;
  b->Mul(2);
  b->K4 = 1;
  const TARe bi = b->UI;
  TUNNO d;
  d.SetDefaults();
  d.Dif2(*a, *b);
  // the inputs stay as they were
  EXPECT_EQ(b->KCONT, 0);
  EXPECT_EQ(b->UI, bi);
  EXPECT_TRUE(a->YInt.empty());
  // U1's quest and step, U2's grid; an intensity-only difference
  EXPECT_EQ(d.QUEST, "QA");
  EXPECT_EQ(d.IQ, 1);
  EXPECT_EQ(d.KVARI, 3);
  EXPECT_EQ(d.K4, 1);
  EXPECT_EQ(d.NDL, b->NDL);
  const int32_t mid = (d.NDL + 1) / 2;
  EXPECT_NEAR(d.UI[mid], (1 - 0.6 * std::exp(-std::pow((d.UL[mid] - 6302.513) / 0.05, 2))) -
                             (1 - 0.5 * std::exp(-std::pow((d.UL[mid] - 6302.513) / 0.05, 2))),
              1e-5);
  // level curves: widths of the deeper minus the shallower line, positive
  ASSERT_GT(NOf(d.Width), 0);
  for (int32_t k = 1; k <= NOf(d.Width); ++k) EXPECT_GE(d.Width[k], -1e-9) << k;
  // level curves of different steps do not match: an error naming both scales
  a->RStep = 0.01;
  b->RStep = 0.005;
  std::string scales = ErrorOf([&] { d.Dif2(*a, *b); });
  EXPECT_NE(scales.find("U1 RStep=0.01"), std::string::npos) << scales;
  EXPECT_NE(scales.find("U2 RStep=0.005"), std::string::npos) << scales;
  a->RStep = b->RStep = 0;
  // an undivided first profile is refused, naming both
  a->KCONT = 0;
  const std::string e = ErrorOf([&] { d.Dif2(*a, *b); });
  EXPECT_NE(e.find("UNNO.Dif2 UN1.KCONT=0"), std::string::npos) << e;
  EXPECT_NE(e.find("QB.4 KVARI=1"), std::string::npos) << e;
}

TEST(UnnoSum, WeightsAndRefusals) {
  SynEnv env;
  auto a = Gauss("QS", 1, 1, 0.6), b = Gauss("QS", 1, 2, 0.6);
  a->KCONT = b->KCONT = 0;
  TUNNO s;
  s.SetDefaults();
  EXPECT_NE(ErrorOf([&] { s.Sum({a.get()}); }).find("UNNO.Sum List.Count =1"), std::string::npos);
  s.Sum({a.get(), b.get()});
  EXPECT_EQ(s.PART, 2);
  EXPECT_EQ(s.CONT, 1);
  for (int32_t i = 1; i <= s.NDL; ++i) {
    ASSERT_NEAR(s.UI[i], a->UI[i], 1e-15);
    ASSERT_NEAR(s.UV[i], a->UV[i], 1e-15);
  }
  b->PART = 3;
  s.Sum({a.get(), b.get()});
  EXPECT_EQ(s.PART, 4);
  b->K4 = 1;
  const std::string e = ErrorOf([&] { s.Sum({a.get(), b.get()}); });
  EXPECT_NE(e.find("UNNO.Sum K4   1"), std::string::npos) << e;
  EXPECT_NE(e.find("QS.1 KVARI=2"), std::string::npos) << e;
}

// ---------------------------------------------------------------- macroturbulence fit

TEST(UnnoAdJust, GaussianAgainstItsConvolutionAtTwoKmPerSecond) {
  SynEnv env;
  const double lam0 = 6302.5, w = 0.05, d = 0.6;
  const double b = lam0 * 2.0 / 299792.4562;  // e-folding width of the kernel at 2 km/s
  auto make = [&](double W, double D) {
    auto u = std::make_unique<TUNNO>();
    u->SetDefaults();
    u->SetULEqd(601, lam0, lam0 + 0.6, lam0 - 0.6);
    u->AllocU();
    u->K4 = 1;
    for (int32_t i = 1; i <= u->NDL; ++i) {
      const double x = (u->UL[i] - lam0) / W;
      u->UI[i] = 1 - D * std::exp(-x * x);
    }
    u->KCONT = 1;
    return u;
  };
  auto u = make(w, d);
  const double wr = std::sqrt(w * w + b * b);
  auto ref = make(wr, d * w / wr);
  ASSERT_TRUE(u->AdJust(*ref));
  EXPECT_NEAR(u->Vma9, 2.0, 0.01);
  EXPECT_LT(u->dIR2, 1e-6);
  // a reference of three points, or no sign change of the balance in 0..5 km/s: nothing stored
  u->Vma9 = -7;
  auto tiny = make(wr, d);
  tiny->SetULEqd(3, lam0, lam0 + 0.01, lam0 - 0.01);
  tiny->AllocU();
  for (int32_t i = 1; i <= 3; ++i) tiny->UI[i] = 0.5;
  tiny->KCONT = 1;
  tiny->LAMB = lam0;
  EXPECT_FALSE(u->AdJust(*tiny));
  EXPECT_TRUE(env.sink.Has("меньше 4 точек"_cp));
  const double b8 = lam0 * 8.0 / 299792.4562, w8 = std::sqrt(w * w + b8 * b8);
  auto broad = make(w8, d * w / w8);  // 8 km/s: under-blurred at 0 and at 5 km/s alike
  EXPECT_FALSE(u->AdJust(*broad));
  EXPECT_TRUE(env.sink.Has("не меняет знак"_cp));
  EXPECT_EQ(u->Vma9, -7);
}

// ---------------------------------------------------------------- list-wide jobs

TEST(UnnoJobs, FillDifAndMeasuringStepPerProfileAndCancelKeepsThoseDone) {
  SynEnv env;
  TCalc calc;
  TLUNNO list;
  TUNNO* ref = list.Add(Gauss("QF", 1, 1, 0.5));
  for (int k = 2; k <= 4; ++k) list.Add(Gauss("QF", 1, k, 0.5 + 0.05 * k))->URef = ref;
  TJob job("dif");
  EXPECT_TRUE(RunJob(job, [&](TJob& J) { list.FillDif(J, "QF"); }));
  EXPECT_EQ(list.Count(), 7);
  // each difference profile keeps its combination
  for (int k = 2; k <= 4; ++k) {
    TUNNO* d = list.GetDifByVar("QF", k);
    ASSERT_NE(d, nullptr) << k;
    EXPECT_NEAR(d->UI[(d->NDL + 1) / 2], -0.05 * k, 1e-3) << k;
  }
  // run again: the old difference profiles go first; cancelled after the first one
  TJob cancel("dif");
  cancel.OnProgress = [&](const TJobProgress& P) {
    if (P.Done >= 1) cancel.Cancel();
  };
  RunJob(cancel, [&](TJob& J) { list.FillDif(J, "QF"); });
  EXPECT_EQ(cancel.State(), TJobState::Cancelled);
  EXPECT_EQ(list.Count(), 5);
  // measuring: rows for the profiles done
  std::vector<TUNNO*> all;
  for (int32_t i = 0; i < 4; ++i) all.push_back(list.Items(i));
  std::vector<TUnnoMeasure> rows;
  TJob m("measure");
  m.OnProgress = [&](const TJobProgress& P) {
    if (P.Done >= 2) m.Cancel();
  };
  RunJob(m, [&](TJob& J) { MeasureUnnoList(J, all, TUnnoMeasureOpts(), rows); });
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_NEAR(rows[0].Depth, 0.5, 1e-3);
  EXPECT_GT(rows[1].EqWidth, rows[0].EqWidth);
}

// ---------------------------------------------------------------- contribution functions

struct TCfrfFixture {
  SynEnv env;
  TCalc calc;
  TLUNNO list;
  TVARIATOR* V = nullptr;
  TCfrfFixture() {
    auto v = std::make_unique<TVARIATOR>("CF", 1);
    v->AddP("#H 0 500 1000");
    std::string xm = "#XM";
    for (int i = 0; i < 20; ++i) xm += " " + FSt(4, 1, -4 + 0.2 * i);
    v->AddP(xm);
    v->AddPQOneStr("#MOD T HSRA", true);
    v->AddP("#LIN FE6302");
    v->AddP("#ModifT 1");
    v->AddPQOneStr("#ModifS YM 100 $XM 0.1", true);
    V = v.get();
    env.ctx.LVARI->AddVARI(v);
    for (int32_t k = 1; k <= V->NK; ++k) list.Add(Gauss("CF", 1, k, 0.3 + 0.005 * k));
  }
};

TEST(UnnoCFRF, SlicesAlongTheProbeLayer) {
  TCfrfFixture f;
  ASSERT_EQ(f.V->NK, 60);
  TARe x, y;
  ASSERT_TRUE(f.list.ExtractCFRF("d0", "CF", x, y, 2, 1, ""));
  ASSERT_EQ(NOf(x), 20);
  EXPECT_NEAR(x[1], -4, 1e-9);
  EXPECT_NEAR(x[20], -0.2, 1e-9);
  EXPECT_NEAR(y[1], 100 * (0.3 + 0.005 * 21), 0.1);  // combination 21: the second slice
  ASSERT_TRUE(f.list.ExtractCFRF("width|RLevel=D0 dLev=0.3", "CF", x, y, 1, 1, ""));
  EXPECT_NEAR(y[1], f.list.GetByVar("CF", 1, 1)->WidthAt('C', 0.3), 1e-9);
  ASSERT_TRUE(f.list.ExtractCFRF("wI|slit1=6302.6 slit2=6302.4", "CF", x, y, 1, 1, ""));
  EXPECT_NEAR(y[2], f.list.GetByVar("CF", 1, 2)->EqWidth('I', 6302.4, 6302.6), 1e-9);
  ASSERT_TRUE(f.list.ExtractCFRF("RI|dLam=-50", "CF", x, y, 3, 1, ""));
  TUNNO* u41 = f.list.GetByVar("CF", 1, 41);
  EXPECT_NEAR(y[1], u41->IAt(u41->LAMB - 0.05), 1e-12);
  // the filter must be in the first combination's text
  EXPECT_FALSE(f.list.ExtractCFRF("d0", "CF", x, y, 1, 1, "#H=500"));
  EXPECT_TRUE(x.empty());
  EXPECT_TRUE(f.list.ExtractCFRF("d0", "CF", x, y, 2, 1, "#H=500"));
  // stored in the keeper under the probe layer's vector name
  std::string name;
  ASSERT_TRUE(StoreCFRF(f.list, "d0", "CF", 1, 2, "", name));
  EXPECT_EQ(name, "RF_T(X_0.1,M=100)");
}

TEST(UnnoCFRF, BadSpecsWarnAndExtractNothing) {
  TCfrfFixture f;
  TARe x, y;
  const struct {
    const char* Spec;
    int Slice;
    std::string Warning;
  } cases[] = {
      {"d0", 4, "Затребованный вариант 4 больше числа возможных комбинаций 3"_cp},
      {"d0|dLev=abc", 1, "dLev = НЕ ЧИСЛО!"_cp},
      {"d0|Vma=xkm/s", 1, "Vma(km/s) = НЕ ЧИСЛО!"_cp},
      {"width|RLevel=D1", 1, "параметр RLevel должен содержать"_cp},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(f.list.ExtractCFRF(c.Spec, "CF", x, y, c.Slice, 1, "")) << c.Spec;
    EXPECT_TRUE(y.empty()) << c.Spec;
    EXPECT_TRUE(f.env.sink.Has(c.Warning)) << c.Spec;
  }
  // an unknown observable: refused after the first probe position was stored
  EXPECT_FALSE(f.list.ExtractCFRF("W", "CF", x, y, 1, 1, ""));
  EXPECT_NEAR(x[1], -4, 1e-9);
  EXPECT_TRUE(f.env.sink.Has("обработка CFRF вида <W> еще не предусмотрена!"_cp));
  EXPECT_FALSE(f.list.ExtractCFRF("d0", "CF", x, y, 1, 9, ""));
  EXPECT_TRUE(f.env.sink.Has("Not Assigned!"));
}

// ---------------------------------------------------------------- reports

TEST(UnnoReports, ListFieldDumpAndLineLabels) {
  SynEnv env;
  TLUNNO list;
  auto v = std::make_unique<TVARIATOR>("QR", 1);
  v->AddP("#LIN A A B A");
  TVARIATOR* V = v.get();
  env.ctx.LVARI->AddVARI(v);
  env.ctx.VARI = V;
  const char* lines[] = {"A", "A", "B", "A"};
  for (int k = 1; k <= 12; ++k) {
    auto u = Gauss("QR", 1, k, 0.5);
    u->sULin = lines[(k - 1) % 4];
    list.Add(std::move(u));
  }
  auto L = list.List();
  ASSERT_EQ(L->Count(), 13);
  EXPECT_EQ((*L)[1].substr(0, 3), " 0 ");
  EXPECT_EQ((*L)[12].substr(0, 3), "11 ");
  Synthesis().LineLabel.Install([](const std::string& Id, double) { return "line " + Id; });
  auto lambs = list.ReportLambs("QR", 1);
  ASSERT_EQ(lambs->Count(), 3);
  EXPECT_EQ((*lambs)[0], "line A");
  EXPECT_EQ((*lambs)[1], "line B");
  EXPECT_EQ((*lambs)[2], "line A");
  // the dump reads the profile's combination without moving the variator
  V->KIdx = 1;
  auto dump = list.Items(2)->FieldDump();
  EXPECT_EQ(V->KIdx, 1);
  EXPECT_NE((*dump)[1].find("VARI_K=3 VARI_N=4 <#LIN=B>"), std::string::npos) << (*dump)[1];
  EXPECT_NE(dump->Text().find("URef = NIL"), std::string::npos);
  auto vec = list.Items(0)->ReportVector();
  EXPECT_NE(vec->Text().find("QUEST = QR IQ = 1 KVARI = 1"), std::string::npos);
}

}  // namespace
