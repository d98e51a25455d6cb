// Runge-Kutta integration of the Stokes vector and the continuum intensity over depth: constant
// source functions, the step rules and their guards, the continuum of a linear Planck function,
// and a Milne-Eddington atmosphere against the analytic Unno-Rachkovsky solution.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SinkRecorder.h"
#include "support/TransferModel.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
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
// field and damping; the solution at optical depth tau is B1 tau above the emergent one.
struct TMEParams {
  double B0 = 1, B1 = 1.5, eta0 = 10, dld = 30, a = 0.05, dlh = 40, gamma = 30, chi = 20;
  double mu = 1;
  double g = 2.5;  // the line's triplet (Fe I 6302.5, J 1 -> 0)
};

void MEAnalytic(const TMEParams& p, double Lam, double Lam0, double Tau, double S[4]) {
  const double v = -(Lam - Lam0) * 1000 / p.dld, vh = p.g * p.dlh / p.dld;
  double hp, fp, hb, fb, hr, fr;
  VoigtHumlicek(p.a, v, hp, fp);
  VoigtHumlicek(p.a, v - vh, hb, fb);
  VoigtHumlicek(p.a, v + vh, hr, fr);
  // Faraday-Voigt profiles as Im w
  const double pp = -2 * fp, pb = -2 * fb, pr = -2 * fr;
  const double g = p.gamma * M_PI / 180, c2 = std::cos(2 * p.chi * M_PI / 180),
               s2 = std::sin(2 * p.chi * M_PI / 180), sg2 = std::sin(g) * std::sin(g),
               cg = std::cos(g);
  const double h = p.eta0 / 2;
  const double eI = 1 + h * (hp * sg2 + (hb + hr) / 2 * (1 + cg * cg));
  const double eQ = h * (hp - (hb + hr) / 2) * sg2 * c2;
  const double eU = h * (hp - (hb + hr) / 2) * sg2 * s2;
  const double eV = h * (hr - hb) * cg;
  const double rQ = h * (pp - (pb + pr) / 2) * sg2 * c2;
  const double rU = h * (pp - (pb + pr) / 2) * sg2 * s2;
  const double rV = h * (pr - pb) * cg;
  const double Pi = eQ * rQ + eU * rU + eV * rV;
  const double D = eI * eI * (eI * eI - eQ * eQ - eU * eU - eV * eV + rQ * rQ + rU * rU + rV * rV) -
                   Pi * Pi;
  const double k = p.mu * p.B1 / D;
  S[0] = p.B0 + p.B1 * Tau + k * eI * (eI * eI + rQ * rQ + rU * rU + rV * rV);
  S[1] = -k * (eI * eI * eQ + eI * (eV * rU - eU * rV) + rQ * Pi);
  S[2] = -k * (eI * eI * eU + eI * (eQ * rV - eV * rQ) + rU * Pi);
  S[3] = -k * (eI * eI * eV + eI * (eU * rQ - eQ * rU) + rV * Pi);
}

double MEWorst(double Err, bool& BlueVPositive) {
  TMEParams p;
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
    MEAnalytic(p, U.UL[i], m.Lam0, std::pow(10.0, -4.5) / p.mu, S);
    const double got[4] = {U.UI[i], U.UQ[i], U.UU[i], U.UV[i]};
    for (int k = 0; k < 4; ++k) worst = std::max(worst, std::fabs(got[k] - S[k]) / Ic);
    const double dl = U.UL[i] - m.Lam0;
    if (dl < -0.03 && dl > -0.08 && !(U.UV[i] > 0)) BlueVPositive = false;
  }
  return worst;
}

TEST(Transfer, MilneEddingtonAgainstUnnoRachkovsky) {
  SinkRecorder sink;
  bool blue = false;
  const double coarse = MEWorst(0.01, blue);
  EXPECT_TRUE(blue);
  const double fine = MEWorst(1e-4, blue);
  EXPECT_LT(coarse, 5e-3);
  EXPECT_LT(fine, 2e-4);
  EXPECT_LT(fine, coarse);
  RecordProperty("dev_err_1e-2", std::to_string(coarse));
  RecordProperty("dev_err_1e-4", std::to_string(fine));
  std::printf("Milne-Eddington max |dS|/Ic: #ERR 0.01 %.3g, #ERR 1e-4 %.3g\n", coarse, fine);
}

}  // namespace
