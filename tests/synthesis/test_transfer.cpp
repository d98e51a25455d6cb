// Runge-Kutta integration of the Stokes vector and the continuum intensity over depth: constant
// source functions, the step rules and their guards, the continuum of a linear Planck function,
// and a Milne-Eddington atmosphere against the analytic Unno-Rachkovsky solution.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SinkRecorder.h"
#include "support/TransferModel.h"
#include "support/UnnoRachkovsky.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvAccuracy.h"
#include "synthesis/transfer/cvPCont.h"
#include "synthesis/transfer/cvRK.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

using testsupport::Const;
using testsupport::SinkRecorder;
using testsupport::TTransferModel;

void SetAccuracy(double Err) {
  TCONTSETX& s = Cont().SETX;
  s.ERR = Err;
  s.DXMA = 0.5;
  s.EFDX = std::pow(120 * Err * 50, 0.2);
}

// A profile of N points from Lam0 - Half to Lam0 + Half (A).
void MakeProfile(TUNNO& U, double Lam0, double Half, int32_t N) {
  U.SetDefaults();
  U.SetULEqd(N, Lam0, Lam0 + Half, Lam0 - Half);
  U.AllocU();
}

TEST(Transfer, ConstantSourceKeepsTheVector) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.B = Const(2);
  m.DLH = Const(40);
  m.GM = Const(30);
  m.XI = Const(20);
  m.Build();
  SetAccuracy(0.01);
  TUNNO U;
  MakeProfile(U, m.Lam0, 0.1, 9);
  for (int32_t i = 1; i <= U.NDL; ++i) {
    U.UI[i] = 2;
    Cont().WK.LAM = U.UL[i];
    IntegrateU(i, U, -4.5, 1);
    EXPECT_NEAR(U.UI[i], 2, 1e-13);
    EXPECT_EQ(U.UQ[i], 0);
    EXPECT_EQ(U.UU[i], 0);
    EXPECT_EQ(U.UV[i], 0);
  }
  EXPECT_EQ(Cont().WK.X, -4.5);
  // field-free: the same
  Cont().H0 = true;
  U.UI[3] = 2;
  Integrate(3, U, -4.5, 1);
  EXPECT_NEAR(U.UI[3], 2, 1e-13);
}

// Each polarised step is a call of the profiler's section "URKU" unless the thread turned the
// step timing off (as the grid's workers do); the values are the same either way.
TEST(Transfer, StepTimingOnlyWhereAsked) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.DLH = Const(40);
  m.GM = Const(30);
  m.XI = Const(20);
  m.Build();
  SetAccuracy(0.01);
  TUNNO U;
  MakeProfile(U, m.Lam0, 0.1, 3);
  auto walk = [&](bool Timed) {
    SetStepTiming(Timed);
    ProfilingReset();
    const int64_t steps = TransferCounts().Steps;
    U.UI[2] = 1;
    U.UQ[2] = U.UU[2] = U.UV[2] = 0;
    Cont().WK.LAM = U.UL[2];
    ResetFACX();
    IntegrateU(2, U, -4.5, 1);
    SetStepTiming(true);
    ProfilingCollect();
    const int i = Profiler.IndexOf("URKU");
    const int32_t calls = i < 0 ? 0 : Profiler.Calls[static_cast<size_t>(i)];
    return std::make_pair(calls, TransferCounts().Steps - steps);
  };
  const auto [timedCalls, timedSteps] = walk(true);
  const double I = U.UI[2], V = U.UV[2];
  EXPECT_GT(timedSteps, 2);
  EXPECT_EQ(timedCalls, timedSteps);
  const auto [calls, steps] = walk(false);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(steps, timedSteps);
  EXPECT_EQ(U.UI[2], I);
  EXPECT_EQ(U.UV[2], V);
  ProfilingReset();
}

// The start depths of all points searched together and a step's two depths evaluated in one
// batch give the bits of the point-by-point evaluation (forced by the matrix's trace lines), over
// depth-varying and constant vectors, two lines and a hyperfine split.
TEST(Transfer, BatchedMatrixGivesTheSameBits) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.B = [](double x) { return 1 + 0.8 * std::exp(x) + 0.1 * std::sin(3 * x); };
  m.DLD = [](double x) { return 28 + 3 * std::cos(x); };
  m.ETA = [](double x) { return 12 * std::exp(0.3 * x); };
  m.DLH = Const(45);
  m.GM = Const(35);
  m.XI = [](double x) { return 20 - 4 * x; };
  m.Build();
  TCONT& C = Cont();
  C.LiSet.Count = 2;
  TLINEDATA& two = C.LiSet.Items[2];
  two.LI.LAMB = m.Lam0 - 1;
  ZeeSetRunge("LI=L2", two.LI.Zee, 2, 2, 11.0 / 6, 1.5);
  two.DLD = m.Add("DLD", Const(26), "LI=L2");
  two.ETA = m.Add("ETA", [](double x) { return 5 + x; }, "LI=L2");
  two.A = m.Add("A", Const(0.03), "LI=L2");
  two.LI.HFS = std::make_unique<THFS>();
  two.LI.HFS->SetN(3);
  for (size_t k = 1; k <= 3; ++k) {
    two.LI.HFS->Shift[k] = -9.0 + 6 * k;
    two.LI.HFS->Int[k] = 0.2 * k;
  }
  SetAccuracy(0.001);
  TCONTSETX& s = C.SETX;
  s.XK = -4.5;
  s.XIN1 = 1.5;
  s.X0_LO = 1.5;
  s.X0_UP = -3;
  s.EFBO = std::log(1 / (s.ERR * 5));
  TUNNO U;
  MakeProfile(U, m.Lam0 - 0.5, 0.8, 17);
  SinkRecorder sink;
  auto run = [&](bool Traced) {
    TraceMask = Traced ? 1 << 5 : 0;
    ResetFACX();
    TARe X00;
    aSEX0(U.UL, U.NDL, X00);
    std::vector<double> out(X00.begin() + 1, X00.end());
    for (int32_t i = 1; i <= U.NDL; ++i) {
      U.UI[i] = 1;
      U.UQ[i] = U.UU[i] = U.UV[i] = 0;
      C.WK.LAM = U.UL[i];
      IntegrateU(i, U, -4.5, X00[static_cast<size_t>(i)]);
      for (double v : {U.UI[i], U.UQ[i], U.UU[i], U.UV[i]}) out.push_back(v);
    }
    TraceMask = 0;
    return out;
  };
  const std::vector<double> batched = run(false), single = run(true);
  ASSERT_EQ(batched.size(), single.size());
  for (size_t k = 0; k < batched.size(); ++k)
    EXPECT_EQ(std::memcmp(&batched[k], &single[k], sizeof(double)), 0)
        << k << ": " << batched[k] << " " << single[k];
}

TEST(Transfer, ZeroLengthAndStepRules) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.B = [](double x) { return 1 + 2 * std::pow(10.0, x); };
  m.Build();
  SetAccuracy(0.01);
  TUNNO U;
  MakeProfile(U, m.Lam0, 0.1, 3);
  U.UI[2] = 1.7;
  Cont().WK.LAM = U.UL[2];
  IntegrateU(2, U, -1, -1);  // one step of size 0
  EXPECT_EQ(U.UI[2], 1.7);
  EXPECT_EQ(Cont().WK.X, -1);

  TCONTR R;
  R.EF = 1e-3;
  R.C10 = 1e-3;
  Invariants(R);
  EXPECT_EQ(StepU(R, 0, -10, 0.25, 2.2679), -0.25);    // EFDX/EMax > DXMA
  EXPECT_EQ(StepU(R, -3.9, -4, 0.25, 2.2679), -4 - -3.9);  // clipped to X1
  R.EF = R.C10 = 10;
  EXPECT_DOUBLE_EQ(StepU(R, 0, -10, 0.25, 2.0), -0.02);
  EXPECT_DOUBLE_EQ(StepH0(R, 0, -10, 0.25, 2.0), -0.02);
  // undefined rates and targets stop with the wavelength and depth named
  SinkRecorder sink;
  for (double ef : {0.0, -1.0, std::nan("")}) {
    R.EF = ef;
    EXPECT_THROW(StepU(R, 0.5, -1, 0.5, 2), std::exception) << ef;
    EXPECT_THROW(StepH0(R, 0.5, -1, 0.5, 2), std::exception) << ef;
  }
  R.EF = 1;
  try {
    StepU(R, 0.5, -1, 0.5, 0);
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("EFDX="), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("X=  0.5000"), std::string::npos) << e.what();
  }
}

// The largest step of the line integration: #MAXSTEP at the default accuracy and coarser,
// smaller below it.
TEST(Transfer, StepLimitFollowsTheAccuracy) {
  TCONTSETX s;
  s.DXMA = 0.5;
  s.EFDX = std::pow(120 * 0.01 * 50, 0.2);
  EXPECT_NEAR(LineStepLimit(s), 0.5, 1e-15);
  s.EFDX = std::pow(120 * 0.1 * 50, 0.2);
  EXPECT_EQ(LineStepLimit(s), 0.5);
  s.EFDX = std::pow(120 * 1e-5 * 50, 0.2);
  EXPECT_NEAR(LineStepLimit(s), 0.05, 1e-12);
  s.DXMA = 0.02;  // a smaller #MAXSTEP shrinks in proportion
  EXPECT_NEAR(LineStepLimit(s), 0.002, 1e-12);
}

// A point far from the line: the integrated intensity is the continuum's formal solution (here
// by Simpson's rule over the model's own B, tabulated every 0.1 in lg tau with some structure),
// and approaches it as #ERR falls, to 1e-5 at #ERR 1e-5: no floor from the optically thin
// layers. Polarised and field-free integration alike.
TEST(Transfer, LineFreePointConvergesToTheContinuum) {
  SinkRecorder sink;
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.DXGrid = 0.1;
  m.B = [](double x) { return 1 + 1.5 * std::pow(10.0, x) + 0.05 * std::sin(7 * x); };
  m.DLH = Const(40);
  m.GM = Const(30);
  m.XI = Const(20);
  m.Mu = 0.8;
  m.Build();
  const double xb = 1.5, xt = -4.5, mu = m.Mu;
  TVEMO& B = *Cont().MB;
  // the formal solution at xt of the walk started with I = B at xb
  const int n = 60000;
  const double h = (xt - xb) / n, tt = std::pow(10.0, xt);
  auto f = [&](double x) {
    const double t = std::pow(10.0, x);
    return B.func(x) * std::exp(-(t - tt) / mu) * t * std::log(10.0) / mu;
  };
  double sum = f(xb) + f(xt);
  for (int k = 1; k < n; ++k) sum += (k % 2 ? 4 : 2) * f(xb + k * h);
  const double exact = -sum * h / 3 + B.func(xb) * std::exp(-(std::pow(10.0, xb) - tt) / mu);
  TUNNO U;
  MakeProfile(U, m.Lam0 + 50, 0.1, 1);
  for (const bool h0 : {false, true}) {
    Cont().H0 = h0;
    double prev = 1;
    for (double err : {1e-2, 1e-3, 1e-4, 1e-5}) {
      SetAccuracy(err);
      U.UI[1] = B.func(xb);
      U.UQ[1] = U.UU[1] = U.UV[1] = 0;
      Cont().WK.LAM = U.UL[1];
      Integrate(1, U, xt, xb);
      const double dev = std::fabs(U.UI[1] - exact) / exact;
      std::printf("%s #ERR %g: |I - Ic|/Ic %.3g\n", h0 ? "field-free" : "polarised", err, dev);
      EXPECT_LT(dev, prev) << h0 << " " << err;
      EXPECT_LT(std::fabs(U.UQ[1]) + std::fabs(U.UU[1]) + std::fabs(U.UV[1]), 1e-6);
      prev = dev;
    }
    EXPECT_LT(prev, 1e-5) << h0;
  }
}

TEST(Transfer, ChannelFourteenDropsMagnetoOptics) {
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TCONT& C = Cont();
  C.R.B = 1;
  C.R.S = 1.2;
  C.R.C10 = 0.7;
  C.R.ETAC = 1;
  C.R.EI = 3;
  C.R.EQ = 0.2;
  C.R.EU = -0.1;
  C.R.EV = 0.5;
  C.R.EF = 4;
  C.WK.Y[1] = 1.5;
  C.WK.Y[2] = 0.01;
  C.WK.Y[3] = -0.02;
  C.WK.Y[4] = 0.03;
  const int32_t saved = TraceMask;
  TraceMask |= 1 << 14;
  C.R.RQ = C.R.RU = C.R.RV = 0;
  FACD();
  double d0[5];
  std::copy(C.WK.D, C.WK.D + 5, d0);
  C.R.RQ = 0.3;
  C.R.RU = -0.4;
  C.R.RV = 0.8;
  FACD();
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(C.WK.D[j], d0[j]) << j;
  TraceMask = saved;
  FACD();
  EXPECT_NE(C.WK.D[2], d0[2]);
}

TEST(Transfer, ContinuumOfALinearPlanckFunction) {
  SinkRecorder sink;
  const double beta = 1.5;
  for (double mu : {1.0, 0.6}) {
    TTransferModel m;
    TCalcScope scope(m.ctx);
    m.B = [beta](double x) { return 1 + beta * std::pow(10.0, x); };
    m.Mu = mu;
    m.XBot = 1.5;
    m.XTop = -4;
    m.DXGrid = 0.01;
    m.Build();
    SetAccuracy(0.01);
    TVEMO V;
    V.sMOD = m.Mod;
    V.FMOD = 0;
    V.LAM = m.Lam0;
    V.MJU = mu;
    Cont().SETX.DXMA = 0.37;
    PCONT(V);
    EXPECT_EQ(Cont().SETX.DXMA, 0.37);
    ASSERT_EQ(V.N, m.X->N);
    EXPECT_TRUE(V.IsFilled());
    const double xTop = m.X->A[static_cast<size_t>(V.N)];
    EXPECT_NEAR(V.A[static_cast<size_t>(V.N)], 1 + beta * (mu + std::pow(10.0, xTop)), 1e-6);
    // the interior nodes, once the start at I = B is forgotten
    for (int32_t i = 100; i <= V.N; i += 25) {
      const double tau = std::pow(10.0, m.X->A[static_cast<size_t>(i)]);
      EXPECT_NEAR(V.A[static_cast<size_t>(i)], 1 + beta * (mu + tau), 1e-6) << i;
    }
  }
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Transfer, ContinuumWalkedAgainGivesTheSameBits) {
  // a walk repeated with the same inputs (kept from the last one) and walks with another Planck
  // function, angle or accuracy in between: each the bits of its first walk, and the working
  // record as that walk left it (the accuracy does not show here: every step is the 0.001 limit)
  struct TRun {
    std::vector<double> A;
    double RB, RETAC, RC10, WY, WX;
  };
  auto walk = [](double Beta, double Mu, double Err) {
    TTransferModel m;
    TCalcScope scope(m.ctx);
    m.B = [Beta](double x) { return 1 + Beta * std::pow(10.0, x); };
    m.Mu = Mu;
    m.Build();
    SetAccuracy(Err);
    TVEMO V;
    V.sMOD = m.Mod;
    V.LAM = m.Lam0;
    V.MJU = Mu;
    PCONT(V);
    const TCONT& C = Cont();
    return TRun{V.A, C.R.B, C.R.ETAC, C.R.C10, C.WK.Y[1], C.WK.X};
  };
  auto same = [](const TRun& a, const TRun& b) {
    return a.A.size() == b.A.size() &&
           std::memcmp(a.A.data(), b.A.data(), a.A.size() * sizeof(double)) == 0 &&
           std::memcmp(&a.RB, &b.RB, 5 * sizeof(double)) == 0;
  };
  const TRun first = walk(1.5, 1, 0.01);
  EXPECT_TRUE(same(walk(1.5, 1, 0.01), first));
  const TRun other = walk(1.7, 1, 0.01), slant = walk(1.5, 0.6, 0.01), fine = walk(1.5, 1, 0.001);
  EXPECT_FALSE(same(other, first));
  EXPECT_FALSE(same(slant, first));
  EXPECT_TRUE(same(walk(1.5, 1, 0.01), first));
  EXPECT_TRUE(same(walk(1.7, 1, 0.01), other));
  EXPECT_TRUE(same(walk(1.5, 0.6, 0.01), slant));
  EXPECT_TRUE(same(walk(1.5, 1, 0.001), fine));
}

TEST(Transfer, ContinuumRefusals) {
  SinkRecorder sink;
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.B = Const(3);
  m.Build();
  SetAccuracy(0.01);
  TVEMO V;
  V.sMOD = m.Mod;
  V.LAM = m.Lam0;
  V.MJU = 1;
  PCONT(V);
  for (int32_t i = 1; i <= V.N; ++i) EXPECT_NEAR(V.A[static_cast<size_t>(i)], 3, 1e-12);
  // no ray cosine: a warning, nothing filled, the step limit as it was
  TVEMO W;
  W.sMOD = m.Mod;
  W.LAM = m.Lam0;
  W.MJU = 0;
  PCONT(W);
  EXPECT_FALSE(W.IsFilled());
  EXPECT_EQ(Cont().SETX.DXMA, 0.5);
  EXPECT_TRUE(sink.Has("PCONT ERR: гелиоцентрич.угол MCONT.MJU=0!"_cp));
  // no step target: an error instead of a walk that never advances
  Cont().SETX.EFDX = 0;
  try {
    PCONT(V);
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("PCONT ERR: CONT.SETX.EFDX=0"), std::string::npos);
  }
  EXPECT_EQ(Cont().SETX.DXMA, 0.5);
}

TEST(Transfer, ContinuumAcrossAProbeLayer) {
  SinkRecorder sink;
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.B = Const(2);
  m.DXGrid = 0.1;
  m.Build();
  SetAccuracy(0.01);
  // B replaced by 5 between -1.03 and -1.07 (inside one grid interval), and a wide layer whose
  // lower bound lies within the crossing gap of a node
  for (auto [xl, xu] : {std::pair{-1.03, -1.07}, std::pair{-0.55, -1.2 + 5e-8}}) {
    Cont().MB->SetHoleFrom('C', xl, xu, 5, 5, 0, 0);
    TVEMO V;
    V.sMOD = m.Mod;
    V.LAM = m.Lam0;
    V.MJU = 1;
    PCONT(V);
    for (int32_t i = 1; i <= V.N; ++i) {
      EXPECT_TRUE(std::isfinite(V.A[static_cast<size_t>(i)])) << i;
      EXPECT_GE(V.A[static_cast<size_t>(i)], 2 - 1e-9) << i;
      EXPECT_LE(V.A[static_cast<size_t>(i)], 5 + 1e-9) << i;
    }
    // at the top: B plus the layer's excess seen through the optical depth above it (the leg
    // that ends on the upper bound evaluates the layer's value there: a few 1e-4)
    const double top = 2 + 3 * (std::exp(-std::pow(10.0, xu)) - std::exp(-std::pow(10.0, xl)));
    EXPECT_NEAR(V.A[static_cast<size_t>(V.N)], top, 1e-3);
    Cont().MB->Ch = 0;
    Cont().R.Kind = 0;
  }
}

// The Milne-Eddington atmosphere: S = B = B0 + B1 tau, continuum opacity 1, constant line,
// field and damping, integrated from lg tau 1 to -4.5 and compared with the independent
// transcription of the textbook solution (support/UnnoRachkovsky.h; at optical depth tau it is
// B1 tau above the emergent one). Largest |dS|/Ic over the profile.
double MEWorst(const testsupport::TMEAtmosphere& p, double Err, bool& BlueVPositive) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.B = [&p](double x) { return p.B0 + p.B1 * std::pow(10.0, x); };
  m.ETA = Const(p.eta0);
  m.DLD = Const(p.dld);
  m.A = Const(p.a);
  m.DLH = Const(p.dlh);
  m.GM = Const(p.gamma);
  m.XI = Const(p.chi);
  m.Mu = p.mu;
  m.Build();
  SetAccuracy(Err);
  TUNNO U;
  MakeProfile(U, m.Lam0, 0.15, 31);
  const double Ic = p.B0 + p.mu * p.B1;
  double worst = 0;
  BlueVPositive = true;
  for (int32_t i = 1; i <= U.NDL; ++i) {
    U.UI[i] = p.B0 + p.B1 * (10 + p.mu);
    U.UQ[i] = U.UU[i] = U.UV[i] = 0;
    Cont().WK.LAM = U.UL[i];
    IntegrateU(i, U, -4.5, 1);
    double S[4];
    testsupport::UnnoRachkovsky(p, (U.UL[i] - m.Lam0) * 1000, std::pow(10.0, -4.5) / p.mu, S);
    const double got[4] = {U.UI[i], U.UQ[i], U.UU[i], U.UV[i]};
    for (int k = 0; k < 4; ++k) worst = std::max(worst, std::fabs(got[k] - S[k]) / Ic);
    const double dl = U.UL[i] - m.Lam0;
    if (p.gamma == 0 && dl < -0.03 && dl > -0.08 && !(U.UV[i] > 0)) BlueVPositive = false;
  }
  return worst;
}

testsupport::TMEAtmosphere MEAtmosphere(double eta0, double a, double dlh, double gamma,
                                        double chi, double B1, double mu) {
  testsupport::TMEAtmosphere p;
  p.eta0 = eta0;
  p.a = a;
  p.dlh = dlh;
  p.gamma = gamma;
  p.chi = chi;
  p.B1 = B1;
  p.mu = mu;
  return p;
}

// The numerical integration with the default Voigt method against the textbook: a field along
// the line of sight (V positive in the blue lobe) and three inclined or transverse fields, where
// the magneto-optical terms turn Q into U.
TEST(Transfer, MilneEddingtonAgainstUnnoRachkovsky) {
  if (!testsupport::kHaveUnnoRachkovsky) GTEST_SKIP() << "no libcerf";
  SinkRecorder sink;
  SetVoigtMethod("HUMLICEK");
  bool blue = false;
  const testsupport::TMEAtmosphere along = MEAtmosphere(10, 0.05, 40, 0, 0, 1.5, 1);
  const double coarse = MEWorst(along, 0.01, blue);
  EXPECT_TRUE(blue);
  EXPECT_LT(coarse, 5e-3);
  const double fine = MEWorst(along, 1e-4, blue);
  EXPECT_LT(fine, 3e-4);
  EXPECT_LT(fine, coarse);
  std::printf("Milne-Eddington max |dS|/Ic: #ERR 0.01 %.3g, #ERR 1e-4 %.3g\n", coarse, fine);
  const testsupport::TMEAtmosphere inclined[] = {MEAtmosphere(10, 0.05, 40, 30, 20, 1.5, 1),
                                                 MEAtmosphere(20, 0.03, 25, 80, 30, 2, 1),
                                                 MEAtmosphere(5, 0.2, 60, 60, -50, 3, 0.6)};
  for (const testsupport::TMEAtmosphere& p : inclined) {
    const double d = MEWorst(p, 1e-4, blue);
    EXPECT_LT(d, 3e-4) << "gamma " << p.gamma << " chi " << p.chi;
    std::printf("gamma %g chi %g: #ERR 1e-4 %.3g\n", p.gamma, p.chi, d);
  }
}

}  // namespace
