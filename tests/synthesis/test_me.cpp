// The analytic Milne-Eddington profiles against the textbook Unno-Rachkovsky solution, its
// limits (no field, saturation, weak field, symmetries) and the numerical integration of the same
// atmosphere.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvZeeman.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/vectors/cvCalcContext.h"
#include "synthesis/me/cvMilned.h"
#include "synthesis/me/cvRach.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvRK.h"
#include "synthesis/transfer/cvVoigt.h"
#include "support/SynEnv.h"
#include "support/TransferModel.h"
#include "support/UnnoRachkovsky.h"
#include "foundation/cvJob.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVariContext.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

using testsupport::Const;
using testsupport::TTransferModel;

constexpr double kLam0 = 6302.4936;

TZEEMAN Fe6302() {
  TZEEMAN z;
  ZeeSetRunge("FE6302", z, 1, 0, 2.5, 0);
  return z;
}

// A full profile of N points over Lam0 +- Half (A).
void Grid(TUNNO& U, double Half, int32_t N) {
  U.SetDefaults();
  U.SetULEqd(N, kLam0, kLam0 + Half, kLam0 - Half);
  U.LAMB = kLam0;
}

// The textbook emergent Stokes vector over the continuum (the independent transcription of
// support/UnnoRachkovsky.h) for the parameters of a RACH run and a normal triplet of Lande
// factor g.
void Textbook(const TMEPar& p, double g, double Lam, double S[4], bool MO = true) {
  testsupport::TMEAtmosphere m;
  m.eta0 = p.ETA0;
  m.a = p.A;
  m.dld = p.DLD;
  m.dlh = p.DLH;
  m.gamma = p.GM;
  m.chi = p.XI;
  m.B0 = 1;
  m.B1 = p.BETTA;
  m.mu = p.CTETA;
  m.g = g;
  testsupport::UnnoRachkovsky(m, (Lam - kLam0) * 1000, 0, S, MO);
  for (int k = 0; k < 4; ++k) S[k] /= 1 + p.BETTA * p.CTETA;
}

TMEPar Params(double eta0, double a, double dld, double dlh, double gm, double xi, double beta,
              double mu) {
  TMEPar p;
  p.ETA0 = eta0;
  p.A = a;
  p.DLD = dld;
  p.DLH = dlh;
  p.GM = gm;
  p.XI = xi;
  p.BETTA = beta;
  p.CTETA = mu;
  return p;
}

// RACH against the independent transcription of the textbook solution, magneto-optical terms
// included: inclined and transverse fields at several azimuths, and no field. Every Voigt
// method gives the same profiles (one sign of the Faraday-Voigt function for all).
TEST(MilneEddington, AgreesWithTheTextbookSolution) {
  if (!testsupport::kHaveUnnoRachkovsky) GTEST_SKIP() << "no libcerf";
  const TZEEMAN z = Fe6302();
  const TMEPar cases[] = {
      Params(10, 0.05, 30, 40, 30, 20, 1.5, 1),   Params(3, 0.3, 25, 80, 75, -40, 4, 0.4),
      Params(30, 0.01, 40, 10, 120, 100, 0.5, 0.8), Params(1, 0.5, 30, 150, 90, 0, 10, 1),
      Params(20, 0.03, 30, 25, 90, 30, 2, 1),      Params(10, 0.05, 30, 0, 0, 0, 1.5, 1)};
  for (const char* method : {"HUMLICEK", "TAYLOR", "INTEGRAL"}) {
    SetVoigtMethod(method);
    const bool taylor = std::string(method) == "TAYLOR";
    for (const TMEPar& p : cases) {
      // the Taylor expansion in the damping holds for small damping only
      if (taylor && p.A > 0.05) continue;
      TUNNO U;
      Grid(U, 0.4, method == std::string("INTEGRAL") ? 21 : 81);
      RACH(p, z, U, 6);
      EXPECT_EQ(U.KCONT, 1);
      EXPECT_EQ(U.CONT, 1);
      double worst = 0, mo = 0;
      for (int32_t i = 1; i <= U.NDL; ++i) {
        double S[4], S0[4];
        Textbook(p, 2.5, U.UL[i], S);
        Textbook(p, 2.5, U.UL[i], S0, false);
        const double got[4] = {U.UI[i], U.UQ[i], U.UU[i], U.UV[i]};
        for (int k = 0; k < 4; ++k) {
          worst = std::max(worst, std::fabs(got[k] - S[k]));
          mo = std::max(mo, std::fabs(S0[k] - S[k]));
        }
      }
      EXPECT_LT(worst, 1e-4) << method << " eta0 " << p.ETA0 << " gamma " << p.GM;
      // the magneto-optical terms matter in the cases with an inclined field (the check has
      // teeth); a purely transverse field's linear eigenmodes leave them without effect
      const bool inclined = std::fabs(std::cos(p.GM * M_PI / 180)) > 1e-6;
      if (p.DLH > 0 && p.ETA0 >= 3 && inclined) {
        EXPECT_GT(mo, 1e-3) << "eta0 " << p.ETA0 << " gamma " << p.GM;
      } else if (p.GM == 90) {
        EXPECT_LT(mo, 1e-12) << "eta0 " << p.ETA0;
      }
    }
  }
  SetVoigtMethod("HUMLICEK");
}

// "#KVOIG 1": no magneto-optical terms, the textbook solution without them, whatever the method.
TEST(MilneEddington, NoMagnetoOpticalTerms) {
  if (!testsupport::kHaveUnnoRachkovsky) GTEST_SKIP() << "no libcerf";
  const TZEEMAN z = Fe6302();
  const TMEPar p = Params(10, 0.05, 30, 40, 60, 25, 1.5, 1);
  for (const char* method : {"HUMLICEK", "TAYLOR"}) {
    SetVoigtMethod(method);
    TUNNO U;
    Grid(U, 0.4, 81);
    RACH(p, z, U, 1);
    double worst = 0;
    for (int32_t i = 1; i <= U.NDL; ++i) {
      double S[4];
      Textbook(p, 2.5, U.UL[i], S, false);
      const double got[4] = {U.UI[i], U.UQ[i], U.UU[i], U.UV[i]};
      for (int k = 0; k < 4; ++k) worst = std::max(worst, std::fabs(got[k] - S[k]));
    }
    EXPECT_LT(worst, 1e-5) << method;
  }
  SetVoigtMethod("HUMLICEK");
}

TEST(MilneEddington, ZeroFieldSaturationAndSymmetry) {
  SetVoigtMethod("HUMLICEK");
  const TZEEMAN z = Fe6302();
  // no field: Q = U = V = 0, I = 1 - Pw eta0 H/(1 + eta0 H)
  TMEPar p = Params(10, 0.05, 30, 0, 40, 30, 2, 0.7);
  const double Pw = 1.4 / 2.4;
  TUNNO U;
  Grid(U, 0.3, 61);
  RACH(p, z, U, 6);
  for (int32_t i = 1; i <= U.NDL; ++i) {
    double H, F;
    VoigtHumlicek(p.A, (U.UL[i] - kLam0) * 1000 / p.DLD, H, F);
    EXPECT_NEAR(U.UI[i], 1 - Pw * p.ETA0 * H / (1 + p.ETA0 * H), 1e-13) << i;
    EXPECT_EQ(U.UQ[i], 0);
    EXPECT_EQ(U.UU[i], 0);
    EXPECT_EQ(U.UV[i], 0);
  }
  // saturation at the centre: 1 - Pw
  p.ETA0 = 1e9;
  Grid(U, 0.03, 3);
  RACH(p, z, U, 6);
  EXPECT_NEAR(U.UI[2], 1 - Pw, 1e-8);
  // a field: I and Q symmetric, V antisymmetric about the centre; for chi = 0 U comes only from
  // the magneto-optical terms (Faraday rotation) and is symmetric too
  p = Params(10, 0.05, 30, 40, 50, 0, 1.5, 1);
  Grid(U, 0.3, 61);
  RACH(p, z, U, 6);
  const int32_t n = U.NDL;
  for (int32_t i = 1; i <= n / 2; ++i) {
    const int32_t j = n + 1 - i;
    EXPECT_NEAR(U.UI[i], U.UI[j], 1e-13) << i;
    EXPECT_NEAR(U.UQ[i], U.UQ[j], 1e-13) << i;
    EXPECT_NEAR(U.UV[i], -U.UV[j], 1e-13) << i;
    EXPECT_NEAR(U.UU[i], U.UU[j], 1e-13) << i;
  }
  EXPECT_NEAR(U.UV[n / 2 + 1], 0, 1e-15);
  EXPECT_GT(std::fabs(U.UU[n / 2 - 2]), 1e-4);
  RACH(p, z, U, 7);  // no magneto-optical terms: no U at chi = 0
  for (int32_t i = 1; i <= n; ++i) EXPECT_EQ(U.UU[i], 0) << i;
}

TEST(MilneEddington, WeakFieldFollowsTheIntensityDerivative) {
  SetVoigtMethod("HUMLICEK");
  const TZEEMAN z = Fe6302();
  const double B = 100, g = 2.5;
  TMEPar p = Params(10, 0.05, 30, DLHOfField(kLam0, B), 0, 0, 1.5, 1);
  TUNNO U;
  Grid(U, 0.2, 401);
  RACH(p, z, U, 6);
  double num = 0, den = 0;
  bool blue = true;
  for (int32_t i = 2; i < U.NDL; ++i) {
    const double dIdl = (U.UI[i + 1] - U.UI[i - 1]) / (U.UL[i + 1] - U.UL[i - 1]);
    const double weak = -4.6686e-13 * g * kLam0 * kLam0 * B * dIdl;
    num += (U.UV[i] - weak) * (U.UV[i] - weak);
    den += weak * weak;
    const double dl = U.UL[i] - kLam0;
    if (dl < -0.01 && dl > -0.05 && !(U.UV[i] > 0)) blue = false;
  }
  EXPECT_LT(std::sqrt(num / den), 0.05);
  EXPECT_TRUE(blue);
}

// The same atmosphere integrated numerically: the analytic profile is the emergent intensity
// over the continuum B0 + B1 mu, with the same sign of V; a line-of-sight shift moves both red.
TEST(MilneEddington, AgreesWithTheNumericalIntegration) {
  SetVoigtMethod("HUMLICEK");
  const TMEPar p = Params(10, 0.05, 30, 40, 30, 20, 1.5, 1);
  TTransferModel m;
  m.Lam0 = kLam0;
  TCalcScope scope(m.ctx);
  m.B = [&p](double x) { return 1 + p.BETTA * std::pow(10.0, x); };
  m.ETA = Const(p.ETA0);
  m.DLD = Const(p.DLD);
  m.A = Const(p.A);
  m.DLH = Const(p.DLH);
  m.GM = Const(p.GM);
  m.XI = Const(p.XI);
  m.Build();
  TCONTSETX& s = Cont().SETX;
  s.ERR = 1e-4;
  s.DXMA = 0.5;
  s.EFDX = std::pow(120 * s.ERR * 50, 0.2);
  TUNNO N;
  N.SetDefaults();
  N.SetULEqd(31, kLam0, kLam0 + 0.15, kLam0 - 0.15);
  N.AllocU();
  TUNNO U;
  Grid(U, 0.15, 31);
  RACH(p, Fe6302(), U, 6);
  const double Ic = 1 + p.BETTA;
  double worst = 0;
  for (int32_t i = 1; i <= N.NDL; ++i) {
    N.UI[i] = 1 + p.BETTA * (10 + 1);
    N.UQ[i] = N.UU[i] = N.UV[i] = 0;
    Cont().WK.LAM = N.UL[i];
    IntegrateU(i, N, -4.5, 1);
    // the numerical vector at lg tau -4.5 is B1 tau above the emergent one
    const double got[4] = {(N.UI[i] - p.BETTA * std::pow(10.0, -4.5)) / Ic, N.UQ[i] / Ic,
                           N.UU[i] / Ic, N.UV[i] / Ic};
    const double me[4] = {U.UI[i], U.UQ[i], U.UU[i], U.UV[i]};
    for (int k = 0; k < 4; ++k) worst = std::max(worst, std::fabs(got[k] - me[k]));
  }
  EXPECT_LT(worst, 3e-4);
}

TEST(MilneEddington, CoefficientTraceAndFatalInput) {
  SetVoigtMethod("HUMLICEK");
  const TZEEMAN z = Fe6302();
  TMEPar p = Params(10, 0.05, 30, 0, 0, 0, 1.5, 1);
  TUNNO U;
  Grid(U, 0.1, 5);
  const int32_t saved = TraceMask;
  TraceMask |= 1 << 12;
  RACH(p, z, U, 6);
  TraceMask = saved;
  for (int32_t i = 1; i <= U.NDL; ++i) {
    double H, F;
    VoigtHumlicek(p.A, (U.UL[i] - kLam0) * 1000 / p.DLD, H, F);
    EXPECT_NEAR(U.UI[i], 1 - H, 1e-13);
    EXPECT_EQ(U.UV[i], 0);
  }
  p.DLD = 0;
  try {
    RACH(p, z, U, 6);
    ADD_FAILURE() << "DLD = 0 accepted";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("RACH DLD=0!!!"), std::string::npos) << e.what();
  }
  p.DLD = 30;
  U.KL = 1;
  U.LAMB = 0;
  try {
    RACH(p, z, U, 6);
    ADD_FAILURE() << "no reference wavelength accepted";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("RACH UN.KL=1 (Angstems) UN.LAMB=0!!!!!"),
              std::string::npos)
        << e.what();
  }
}

// The profile's Voigt values in one batch give exactly what point-by-point LINA gives (the path
// taken while trace channel 4 is on), for both lines and the magneto-optical switch words.
TEST(MilneEddington, OneBatchEqualsPointByPoint) {
  SetVoigtMethod("HUMLICEK");
  TZEEMAN fe6301;
  ZeeSetRunge("FE6301", fe6301, 2, 2, 11.0 / 6, 1.5);
  const TZEEMAN fe6302 = Fe6302();
  const TMEPar p = Params(7, 0.08, 28, 35, 50, 20, 1.5, 0.9);
  for (const TZEEMAN* z : {&fe6302, static_cast<const TZEEMAN*>(&fe6301)})
    for (const int32_t kvoig : {6, 1, 6 + 8, 6 + 16}) {
      TUNNO a, b;
      Grid(a, 0.3, 37);
      Grid(b, 0.3, 37);
      RACH(p, *z, a, kvoig);
      const int32_t saved = TraceMask;
      TraceMask |= 1 << 4;
      RACH(p, *z, b, kvoig);
      TraceMask = saved;
      for (int32_t i = 1; i <= a.NDL; ++i) {
        EXPECT_EQ(a.UI[i], b.UI[i]) << kvoig << " " << i;
        EXPECT_EQ(a.UQ[i], b.UQ[i]) << kvoig << " " << i;
        EXPECT_EQ(a.UU[i], b.UU[i]) << kvoig << " " << i;
        EXPECT_EQ(a.UV[i], b.UV[i]) << kvoig << " " << i;
      }
    }
}

bool FakeLamb(const std::string& Name, double& Lamb) {
  Lamb = kLam0;
  return Name == "FE6302";
}

// A combination read from the variator: the grid, the parameters and the three ways to the
// splitting (given, from the field, in Doppler widths); a line unknown to the database is fatal.
TEST(MilneEddington, ParametersFromTheVariator) {
  ResetModelServices();
  const std::vector<std::string> base = {"#LIN FE6302", "#ETA0 12", "#A 0.04", "#DLD 28",
                                         "#CTETA 0.9", "#BETTA 2", "#NLAM 11", "#DLK 200",
                                         "#DLVD 15", "#GM 30"};
  struct TCase {
    std::vector<std::string> extra;
    double dlh;
  } cases[] = {{{"#DLH 50", "#H 1000", "#VH 3"}, 50},
               {{"#H 1000", "#VH 3"}, DLHOfField(kLam0, 1000)},
               {{"#VH 0.5"}, 14},
               {{}, 0}};
  for (const TCase& c : cases) {
    TVARIATOR V("QME", 1);
    for (const std::string& k : base) V.AddPQOneStr(k, true);
    for (const std::string& k : c.extra) V.AddPQOneStr(k, true);
    std::string name;
    int32_t nlam = 0;
    TMEPar p;
    TUNNO U;
    U.SetDefaults();
    RachGetFromVARI(V, 1, name, nlam, p, U, FakeLamb);
    EXPECT_EQ(name, "FE6302");
    EXPECT_EQ(nlam, 11);
    EXPECT_EQ(U.NDL, 11);
    EXPECT_DOUBLE_EQ(U.UL[1], kLam0);
    EXPECT_NEAR(U.UL[11], kLam0 + 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(p.DLVD, 0.015);
    EXPECT_DOUBLE_EQ(U.DLVD, 0.015);
    EXPECT_DOUBLE_EQ(p.ETA0, 12);
    EXPECT_DOUBLE_EQ(p.A, 0.04);
    EXPECT_DOUBLE_EQ(p.DLD, 28);
    EXPECT_DOUBLE_EQ(p.CTETA, 0.9);
    EXPECT_DOUBLE_EQ(p.BETTA, 2);
    EXPECT_DOUBLE_EQ(p.GM, 30);
    EXPECT_DOUBLE_EQ(p.XI, 0);
    EXPECT_NEAR(p.DLH, c.dlh, 1e-12);
  }
  TVARIATOR V("QME", 1);
  for (const std::string& k : base) V.AddPQOneStr(k == "#LIN FE6302" ? "#LIN FE6301" : k, true);
  std::string name;
  int32_t nlam = 0;
  TMEPar p;
  TUNNO U;
  try {
    RachGetFromVARI(V, 1, name, nlam, p, U, FakeLamb);
    ADD_FAILURE() << "an unknown line accepted";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("RachGetFromVARI KVARI=1 "), std::string::npos);
  }
  ResetModelServices();
}

// The run puts the trace mask and the current quest back whether it ends by a fatal error (the
// line is not in the database) or by a cancel; the window changes both while it runs.
TEST(MilneEddingtonRun, RestoresTraceMaskAndQuestOnEveryExit) {
  testsupport::SynEnv env;
  ResetModelServices();
  Models().DirOf.Install([](const std::string&, const std::string&) { return std::string(); });
  std::string quest = "Q1";
  Synthesis().Quest.Install([&] { return quest; });
  Synthesis().SetQuest.Install([&](const std::string& Q) { quest = Q; });
  int shown = 0;
  Synthesis().ShowSayerSwitches.Install([&] {
    ++shown;
    quest = "OTHER";
    TraceMask = 0x7777;
  });
  TOwnCalcContext calc;
  TCalcScope scope(calc);
  auto v = std::make_unique<TVARIATOR>("Q1", 1);
  for (const char* k : {"#LIN FE6302", "#ETA0 10", "#A 0.05", "#DLD 30", "#CTETA 1", "#BETTA 1"})
    v->AddPQOneStr(k, true);
  env.ctx.VARI = v.get();
  env.ctx.LVARI->Append(std::move(v));
  const int32_t saved = TraceMask;
  TraceMask = 0x5;
  for (const bool cancel : {false, true}) {
    TJob job("RACH");
    if (cancel) job.Cancel();
    TLUNNO list;
    bool ok = true;
    std::string error;
    try {
      ok = TRACH().Run(job, list);
    } catch (const std::exception& e) {
      error = e.what();
    }
    if (cancel) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(error, "");
    } else {
      EXPECT_NE(error.find("не найдена в БД"_cp), std::string::npos) << error;
    }
    EXPECT_EQ(TraceMask, 0x5) << cancel;
    EXPECT_EQ(quest, "Q1") << cancel;
    EXPECT_EQ(list.Count(), 0);
  }
  EXPECT_EQ(shown, 2);
  TraceMask = saved;
  ResetModelServices();
}

// The Milne-Eddington keys of a combination: defaults, splitting and shift in Doppler widths
// when not given in mA, mu into the record and the state, and the velocity state set from the
// shift whatever an earlier preparation left (a shift is made inside the synthesis).
TEST(MilneEddingtonModel, KeysIntoTheRecordAndTheVelocityState) {
  testsupport::SynEnv env;
  TOwnCalcContext calc;
  TCalcScope scope(calc);
  struct TCase {
    std::vector<std::string> keys;
    double eta0, a, dld, dlh, beta, dlvd, mu;
  } cases[] = {
      {{}, 100, 0.02, 25, 0, 2, 0, 1},
      {{"#MEDLD 30", "#MEVH 2", "#MEVD 0.5", "#CTETA 0.6", "#MEETA 7", "#MEA 0.1", "#MEBET 1.2"},
       7, 0.1, 30, 60, 1.2, 0.015, 0.6},
      {{"#MEDLH 12", "#MEVH 2", "#MEDLVD -8", "#MEVD 3", "#MEGM 40", "#MEXI 15"},
       100, 0.02, 25, 12, 2, -0.008, 1},
  };
  for (const TCase& c : cases) {
    auto v = std::make_unique<TVARIATOR>("QME", 1);
    for (const std::string& k : c.keys) v->AddPQOneStr(k, true);
    env.ctx.VARI = v.get();
    env.ctx.LVARI->Append(std::move(v));
    env.ctx.VARI->KIdx = 1;
    TCONT& C = Cont();
    C.KindVD = 'T';
    C.ConstVD = false;
    C.CTETA = 0;
    C.DLVD0 = 0.5;
    VariLoadME();
    const TCONTME& M = C.ME;
    EXPECT_DOUBLE_EQ(M.ETA0, c.eta0);
    EXPECT_DOUBLE_EQ(M.A, c.a);
    EXPECT_DOUBLE_EQ(M.DLD, c.dld);
    EXPECT_DOUBLE_EQ(M.DLH, c.dlh);
    EXPECT_DOUBLE_EQ(M.BETTA, c.beta);
    EXPECT_DOUBLE_EQ(M.DLVD, c.dlvd);
    EXPECT_DOUBLE_EQ(M.CTETA, c.mu);
    EXPECT_DOUBLE_EQ(C.CTETA, c.mu);
    EXPECT_EQ(C.KindVD, c.dlvd == 0 ? 'C' : 'L');
    EXPECT_EQ(C.ConstVD, c.dlvd == 0);
    EXPECT_EQ(C.DLVD0, 0);
  }
  EXPECT_DOUBLE_EQ(Cont().ME.GM, 40);
  EXPECT_DOUBLE_EQ(Cont().ME.XI, 15);
}

}  // namespace
