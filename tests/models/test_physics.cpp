// Depth physics: widths, Planck, heights, partition functions and ionisation, densities, the
// continuous opacity and its tables, the line-to-continuum ratio and damping, checked against
// closed forms and published values; the bundled data files rerun from their generator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <utility>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvMend.h"
#include "models/physics/cvKappa.h"
#include "models/physics/cvPhysDepth.h"
#include "models/support/VectorsEnv.h"
#include "support/TestSupport.h"

using testsupport::VectorsEnv;

namespace {

std::string DataDir() { return testsupport::SourceRoot() + "/data/GEDA/"; }

// The model layer with the bundled element table and the bundled opacity files.
struct PhysEnv : VectorsEnv {
  PhysEnv() {
    files["ALLEN"] = DataDir() + "allen.dat";
    files["ALLER"] = DataDir() + "aller.dat";
    files["FZWAAN"] = DataDir() + "fzwaan.dat";
    ResetLineDataServices();
    LineData().DirOf.Install([](const std::string&, const std::string& F) {
      if (F == "TBMEND") return DataDir() + "tbmend.txt";
      if (F == "ABUND") return DataDir() + "abund.dat";
      if (F == "IRWIN") return DataDir() + "irwin.dat";
      return DataDir() + F;
    });
    CreateMEND();
    MEND->LoadAll();
  }
  ~PhysEnv() {
    FreeMEND();
    ResetLineDataServices();
  }
  // A vector of model M on grid 1 with a constant value.
  TVEMO* Const(const std::string& NAME, double V, const std::string& sIdV = "") {
    TVEMO* v = Init1("M", NAME, sIdV);
    VeMoFillConst(*v, v->LGTAU->N, V);
    return v;
  }
  TVEMO* New(const std::string& NAME, const std::string& sIdV = "") {
    return Init1("M", NAME, sIdV);
  }
  void Setup(const std::string& Name, int32_t Switch = 0) {
    InitKappa(Kappa().Calc, Name, files[Name == "ALLER" ? "ALLER" : "ALLEN"], Switch,
              files["FZWAAN"]);
  }
};

int32_t At(const TVEMO& V, double X) {
  for (int32_t i = 1; i <= V.N; ++i)
    if (std::fabs(V.LGTAU->A[i] - X) < 1e-9) return i;
  return 0;
}

TEST(DepthPhysics, WidthsAndShiftsAgainstClosedForms) {
  PhysEnv env;
  env.Const("T", 5000);
  TVEMO* vmi = env.Const("VMI", 0);
  env.Const("H", 1000);
  TVEMO* vd = env.Const("VD", 1);
  TVEMO* dld = env.New("DLD", "LI=FE6302");
  PDLD(*dld, 56, 6302.5);
  const double thermal = 6302.5e-8 / 2.99792458e10 * std::sqrt(2 * 1.380649e-16 * 5000 /
                                                               (56 * 1.66053907e-24)) * 1e11;
  EXPECT_NEAR(dld->A[1], 25.62, 0.005);
  EXPECT_NEAR(dld->A[1] / thermal, 1, 2e-4);
  // a negative microturbulence counts as none
  VeMoFillConst(*vmi, vmi->N, -2);
  PDLD(*dld, 56, 6302.5);
  EXPECT_NEAR(dld->A[5], 25.62, 0.005);
  TVEMO* dlh = env.New("DLH");
  PDLH(*dlh, 6302.5);
  EXPECT_NEAR(dlh->A[3], 18.54, 0.005);
  TVEMO* dlvd = env.New("DLVD");
  PVD(*dlvd, 0, 6302.5);
  EXPECT_NEAR(dlvd->A[3], 21.02, 0.005);
  // a multiplying probe layer of 2 on VD is a multiplying layer of 2 on the shift
  vd->Ch = '*';
  vd->Val = 2;
  vd->XL = -0.9;
  vd->XU = -1.1;
  PVD(*dlvd, 0, 6302.5);
  EXPECT_EQ(dlvd->Ch, '*');
  EXPECT_NEAR(dlvd->Val, 2, 1e-9);
  EXPECT_DOUBLE_EQ(dlvd->XL, -0.9);
  // a zero atomic weight is refused
  EXPECT_NE(VectorsEnv::FatalText([&] { PDLD(*dld, 0, 6302.5); }), "");
}

TEST(DepthPhysics, ProbeLayersCarryOverThroughTheFills) {
  PhysEnv env;
  TVEMO* t = env.Const("T", 5000);
  TVEMO* vmi = env.Const("VMI", 0);
  TVEMO* dld = env.New("DLD", "LI=FE6302");
  TVEMO* u0 = env.New("U0", "AT=FE");
  TVEMO* u1 = env.New("U1", "AT=FE");
  TVEMO* u2 = env.New("U2", "AT=FE");
  u0->AT = "FE";
  const double k = 6302.5 * 4.3014e-7 * 1000;
  auto w = [k](double T) { return std::sqrt(T / 56) * k; };
  const TATOM* fe = MEND->GetAtom(26);
  struct {
    char ch;
    double val, dld, u0;
  } cases[] = {
      {'C', 6000, w(6000), fe->CalcU(0, 6000)},
      {'M', 1000, w(6000) - w(5000), fe->CalcU(0, 6000) - fe->CalcU(0, 5000)},
      {'*', 1.2, std::sqrt(1.2), fe->CalcU(0, 6000) / fe->CalcU(0, 5000)},
  };
  for (const auto& c : cases) {
    t->Ch = c.ch;
    t->Val = c.val;
    t->XL = -0.9;
    t->XU = -1.1;
    PDLD(*dld, 56, 6302.5);
    PU(*u0, *u1, *u2);
    EXPECT_EQ(dld->Ch, c.ch);
    EXPECT_NEAR(dld->Val, c.dld, 1e-9 * std::fabs(c.dld)) << c.ch;
    EXPECT_EQ(u0->Ch, c.ch);
    EXPECT_NEAR(u0->Val, c.u0, 1e-9 * std::fabs(c.u0)) << c.ch;
    EXPECT_DOUBLE_EQ(u0->XL, -0.9);
    EXPECT_DOUBLE_EQ(u0->XU, -1.1);
  }
  // two inputs with layers of different kinds stop the fill, naming its tag
  vmi->Ch = 'M';
  vmi->Val = 1;
  vmi->XL = -0.9;
  vmi->XU = -1.1;
  EXPECT_NE(VectorsEnv::FatalText([&] { PDLD(*dld, 56, 6302.5); }).find("PDLD Err"),
            std::string::npos);
}

TEST(DepthPhysics, PlanckAndExpTau) {
  PhysEnv env;
  env.Const("T", 5000);
  TVEMO* b = env.New("B", TVEMO::LamSId(5000));
  b->LAM = 5000;
  PB(*b);
  const double h = 6.62607015e-27, c = 2.99792458e10, k = 1.380649e-16, l = 5e-5;
  const double codata = 2 * h * c * c / std::pow(l, 5) / std::expm1(h * c / (l * k * 5000));
  EXPECT_NEAR(b->A[1] / codata, 1, 3e-4);
  b->LAM = 0;
  EXPECT_NE(VectorsEnv::FatalText([&] { PB(*b); }).find("MB.LAM = 0!!!"), std::string::npos);
  TVEMO* e = env.New("VD");
  P_EXP_10Tau0(*e);
  EXPECT_NEAR(e->A[At(*e, -1)], std::exp(-1.0), 1e-12);
}

TEST(DepthPhysics, SourceFunctionSlopes) {
  PhysEnv env;
  TVEMO* t = env.Const("T", 5000);
  TVEMO* d = env.New("dSdTau", TVEMO::LamSId(5000));
  d->LAM = 5000;
  PdSdTau(*d);
  EXPECT_EQ(d->N, t->N);
  EXPECT_NEAR(d->A[10], 0, 1e-20);  // a constant temperature: S does not change
  TVEMO* xd = env.New("XD");
  TVEMO* dt = env.New("DTau");
  PdSdTauDER(*t, *xd, *dt, *d);
  EXPECT_EQ(d->N, t->N - 1);
  EXPECT_EQ(xd->N, t->N - 1);
  EXPECT_EQ(dt->N, t->N - 1);
  EXPECT_NEAR(dt->A[1], std::pow(10.0, 1.15) - std::pow(10.0, 1.2), 1e-12);
  EXPECT_NEAR(xd->A[1], std::log10((std::pow(10.0, 1.15) + std::pow(10.0, 1.2)) / 2), 1e-12);
  for (TVEMO* v : {d, xd, dt}) EXPECT_EQ(v->KDer, 1) << v->NAME;  // on the interval midpoints
  EXPECT_EQ(t->KDer, 0);
  d->LAM = 0;
  EXPECT_NE(VectorsEnv::FatalText([&] { PdSdTau(*d); }).find("MdSdTau.LAM = 0!!!"),
            std::string::npos);
}

TEST(DepthPhysics, HeightsExactOnGridPointsForAnyStep) {
  PhysEnv env;
  // constant rho kappa: h(X) = (1 - 10^X) / (rho kappa) cm
  env.Const("KAP5", 2.0);
  env.Const("RO", 1e-7);
  TVEMO* h = env.New("h");
  for (double step : {0.02, 0.037, 0.3, 2.0}) {
    env.sink.texts.clear();
    PHeightKM(*h, step);
    ASSERT_EQ(h->N, h->LGTAU->N);
    for (double x : {1.2, 0.0, -1.0, -4.0}) {
      const double want = (1 - std::pow(10.0, x)) / 2e-7 * 1e-5;
      EXPECT_NEAR(h->A[At(*h, x)], want, 1e-9 * std::fabs(want) + 1e-9) << step << " " << x;
    }
    EXPECT_FALSE(env.sink.Has("Уровень X=0 не найден в модели!"_cp));
  }
  // a grid without the point X = 0: a step that lands on 0 finds the level, one that does not
  // leaves the heights unshifted with a warning
  const TARe qx{0, 0.95, 0.45, -0.05, -0.55};
  TVEMO* qX = env.K().AddVeMo("X", "Q", qx, 1, 1, "", 0, "");
  env.K().AddVeMo("KAP5", "Q", TARe{0, 2, 2, 2, 2}, 1, 0, "", 0, "")->LGTAU = qX;
  env.K().AddVeMo("RO", "Q", TARe{0, 1e-7, 1e-7, 1e-7, 1e-7}, 1, 0, "", 0, "")->LGTAU = qX;
  TVEMO* qh = env.K().InitVEMO("Q", "h", "", 0);
  env.sink.texts.clear();
  PHeightKM(*qh, 0.05);
  EXPECT_FALSE(env.sink.Has("Уровень X=0 не найден в модели!"_cp));
  EXPECT_NEAR(qh->A[3], (1 - std::pow(10.0, -0.05)) / 2e-7 * 1e-5, 1e-6);
  PHeightKM(*qh, 0.02);
  EXPECT_TRUE(env.sink.Has("Уровень X=0 не найден в модели!"_cp));
  EXPECT_EQ(qh->A[4], 0);  // unshifted: 0 at the top
  for (double bad : {0.0, -0.1})
    EXPECT_NE(VectorsEnv::FatalText([&] { PHeightKM(*h, bad); }), "") << bad;
  // the column mass grows downwards from 0 at the top
  TVEMO* z = env.New("z");
  PColMass(*z);
  EXPECT_EQ(z->A[z->N], 0);
  EXPECT_NEAR(z->A[1], (std::pow(10.0, 1.2) - 1e-4) / 2, 1e-9);
}

TEST(DepthPhysics, PartitionFunctionsMatchIrwin) {
  PhysEnv env;
  struct {
    int stage;
    double T, U;
  } cases[] = {{0, 5000, 27.80}, {0, 6000, 31.68}, {1, 5000, 42.84}};
  for (const auto& c : cases)
    EXPECT_NEAR(MEND->GetAtom(26)->CalcU(c.stage, c.T) / c.U, 1, 0.01) << c.stage << " " << c.T;
  env.Const("T", 5000);
  env.Const("LGPE", 1.0);
  TVEMO* u0 = env.New("U0", "AT=FE");
  TVEMO* u1 = env.New("U1", "AT=FE");
  TVEMO* u2 = env.New("U2", "AT=FE");
  u0->AT = "FE";
  PU(*u0, *u1, *u2);
  EXPECT_NEAR(u0->A[1], MEND->GetAtom(26)->CalcU(0, 5000), 1e-9);
  TVEMO* part = env.New("PART", "LI=FE6302");
  PART(26, 1, *part, 0);
  // by hand: Saha with the same constants
  const double s1 = 0.666717 * std::pow(5000.0, 2.5) * (u1->A[1] / u0->A[1]) *
                    std::exp(-11604.9 * MEND->GetEION(26, 1) / 5000) / 10;
  const double s2 = 0.666717 * std::pow(5000.0, 2.5) * (u2->A[1] / u1->A[1]) *
                    std::exp(-11604.9 * MEND->GetEION(26, 2) / 5000) / 10;
  EXPECT_NEAR(part->A[1] / (1 / (1 + s1 + s1 * s2) / u0->A[1]), 1, 1e-4);
  // stage 2 whose Saha factor underflows: no first ions, not a division by zero
  EXPECT_EQ(PartAt(26, 2, 50, 1, 27, 42, 1, 0, 7.9, 16.2, false), 0);
  // hydrogen: no second ion
  const double sh = 0.666717 * std::pow(6000.0, 2.5) * 0.5 * std::exp(-11604.9 * 13.598 / 6000);
  EXPECT_NEAR(PartAt(1, 1, 6000, 0, 2, 1, 0, 0, 13.598, 0, false) / (1 / (1 + sh) / 2), 1, 1e-3);
}

TEST(DepthPhysics, HMinusTablesAgainstPublishedValues) {
  PhysEnv env;
  env.Setup("ALLEN");
  // John (1988): bf 6.88e-26 + ff 0.19e-26 at theta 1.0, 5000 Å
  EXPECT_NEAR(HMTableValue(5000, 1.0) / 7.07e-26, 1, 0.01);
  // pure free-free beyond 16419 Å: Bell & Berrington (1987)
  EXPECT_NEAR(HMTableValue(18227, 1.0) / 2.17e-26, 1, 0.02);
  EXPECT_EQ(KappaHmBF(1, 1, 16419), 0);
  EXPECT_EQ(KappaHmBF(1, 1, 18000), 0);
  EXPECT_GT(KappaHmBF(1, 1, 14200), 0);
  // the analytic formula within 6% of the table
  double worst = 0;
  for (double lam = 5000; lam <= 8000; lam += 500)
    for (double th = 0.6; th <= 1.2001; th += 0.1)
      worst = std::max(worst, std::fabs((KappaHmBF(1, th, lam) + KappaHmFF(1, th, lam)) /
                                            HMTableValue(lam, th) - 1));
  EXPECT_LT(worst, 0.06);
  env.Setup("ALLER");
  EXPECT_NEAR(HMTableValue(5000, 1.0) / 7.07e-26, 1, 0.02);
  EXPECT_NEAR(HMTableValue(18227, 1.0) / 2.17e-26, 1, 0.02);
}

TEST(DepthPhysics, Inter4NodesAndClamps) {
  PhysEnv env;
  const TARe th{0, 0.5, 1.0}, lam{0, 4000, 5000, 6000};
  const TARe2 tab{{}, {0, 1, 2, 3}, {0, 10, 20, 30}};
  EXPECT_EQ(INTER4(2, th, tab, lam, 5000, 1.0), 20);
  EXPECT_EQ(INTER4(2, th, tab, lam, 4000, 0.5), 1);
  EXPECT_DOUBLE_EQ(INTER4(2, th, tab, lam, 4500, 0.75), (1 + 2 + 10 + 20) / 4.0);
  EXPECT_TRUE(env.sink.texts.empty());
  struct {
    double lam, theta, want;
    const char* warn;
  } clamps[] = {{5000, 0.2, 2, "INTER4-W- THETA=0.20 < 0.5"},
                {5000, 1.3, 20, "INTER4-W- THETA=1.30 > 1.0"},
                {3000, 1.0, 10, "INTER4-W- LAMBDA=3000.0 < 4000.0"},
                {9000, 0.5, 3, "INTER4-W- LAMBDA=9000.0 > 6000.0"}};
  Sayer->WarnOn();
  for (const auto& c : clamps) {
    env.sink.texts.clear();
    EXPECT_EQ(INTER4(2, th, tab, lam, c.lam, c.theta), c.want) << c.warn;
    EXPECT_TRUE(env.sink.Has(c.warn)) << c.warn;
  }
}

TEST(DepthPhysics, ZwaanFileRowsAndErrors) {
  PhysEnv env;
  std::string text = "Zwaan\nСТРОК 30\n------\n";
  for (int i = 0; i < 25; ++i) text += std::to_string(3000 + 200 * i) + " 0.1\n";
  TARe x, y;
  REZwaan(env.Write("fz.dat", text), x, y);
  EXPECT_EQ(NOf(x), 25);
  EXPECT_EQ(NOf(y), 25);
  EXPECT_EQ(x[25], 7800);
  EXPECT_NE(VectorsEnv::FatalText([&] { REZwaan(env.Write("bad.dat", "no rows\n1 2\n"), x, y); })
                .find("должно быть слово \"СТРОК\""_cp),
            std::string::npos);
  // the switch on: the factor enters the H-minus terms
  InitKappa(Kappa().Calc, "ALLEN", env.files["ALLEN"], 1, env.Write("fz2.dat", text));
  EXPECT_NEAR(ZwaanFactor(5000), 0.1, 1e-12);
}

TEST(DepthPhysics, OpacityVectors) {
  PhysEnv env;
  // before any setup the formula and the single terms report the missing setup
  EXPECT_NE(VectorsEnv::FatalText([] { KappaFormula(5000, 5000, 1, 1e4, 1e16); })
                .find("не инициализирован"_cp),
            std::string::npos);
  TVEMO* t = env.Const("T", 5000);
  env.Const("LGPE", 1);
  env.Const("LGPG", 4);
  env.Const("NH", 1e16);
  const char* names[] = {"KATOMP", "KAHMBF", "KAHMFF", "KAPALN", "KAPLDI",
                         "KARAH2", "KARAH",  "KAH",    "KAHMZW", "KAHM"};
  TVEMO* v[10];
  for (int i = 0; i < 10; ++i) v[i] = env.New(names[i]);
  auto ex = [&] {
    PKAPEX(*v[0], *v[1], *v[2], *v[3], *v[4], *v[5], *v[6], *v[7], *v[8], *v[9], 5000);
  };
  EXPECT_NE(VectorsEnv::FatalText(ex), "");
  env.Setup("LANDI");
  ex();
  for (int32_t i = 1; i <= t->N; ++i) {
    EXPECT_EQ(v[5]->A[i], 0);  // KARAH2
    EXPECT_EQ(v[8]->A[i], 0);  // KAHMZW with the correction off
    EXPECT_DOUBLE_EQ(v[4]->A[i], v[9]->A[i] + v[7]->A[i] + v[6]->A[i] + v[0]->A[i]);
  }
  TVEMO* kap5 = env.New("KAP5");
  PKAP5(*kap5);
  TVEMO* etac = env.New("ETAC", TVEMO::LamSId(5000));
  PKAP(*etac, 5000);
  EXPECT_DOUBLE_EQ(etac->A[1], 1);
  // the LANDI function: formula up to 6100 K, table above; the step is small
  const double f = KappaCalcValue(5000, 6100, 10, 1e5, 1e17);
  const double tb = KappaCalcValue(5000, 6100.1, 10, 1e5, 1e17);
  EXPECT_DOUBLE_EQ(f, KappaFormula(5000, 6100, 10, 1e5, 1e17));
  EXPECT_DOUBLE_EQ(tb, 10 * KappaTable(6100.1, 5000));
  EXPECT_LT(std::fabs(tb / f - 1), 0.05);
  // the table opacity per unit Pe over a premodel's theta
  env.Const("TETA0", 1.0);
  TVEMO* perPe = env.New("KAPERPE");
  PKAPERPE(*perPe, 5000);
  EXPECT_NEAR(perPe->A[1] / (HMTableValue(5000, 1.0) * MEND->NH_perGramm), 1, 1e-9);
}

TEST(DepthPhysics, DensitiesLineRatioAndDamping) {
  PhysEnv env;
  env.Const("T", 5000);
  env.Const("LGPE", 0);
  env.Const("LGPG", 4);
  TVEMO* h = env.Const("H", 0);
  env.Const("VMI", 0);
  TVEMO* ro = env.New("RO");
  PRO(*ro);
  const double gas = MEND->MjuPerH / MEND->SumAbund * 1.660531e-24 * (1e4 - 1) /
                     (1.38062e-16 * 5000);
  EXPECT_NEAR(ro->A[1] / gas, 1, 1e-12);
  for (const char* n : {"NHPNH", "NHMNH", "NH", "NHM"}) {
    TVEMO* v = env.New(n);
    if (std::string(n) == "NHPNH") PNHPNH(*v);
    if (std::string(n) == "NHMNH") PNHMNH(*v);
    if (std::string(n) == "NH") PNH(*v);
    if (std::string(n) == "NHM") PNHM(*v);
  }
  TVEMO* nh = env.K().FindVeMo("NH", "M", "", 1);
  TVEMO* nhm = env.K().FindVeMo("NHM", "M", "", 1);
  TVEMO* nhmnh = env.K().FindVeMo("NHMNH", "M", "", 1);
  EXPECT_NEAR(nhm->A[2] / nh->A[2], nhmnh->A[2], 1e-12 * nhmnh->A[2]);
  // a field lowers the density but not NH
  const double nh0 = nh->A[2];
  VeMoFillConst(*h, h->N, 300);
  PRO(*ro);
  PNH(*nh);
  EXPECT_LT(ro->A[1], gas);
  EXPECT_EQ(nh->A[2], nh0);

  // Fe I 6302.5: lg gf -1.131, abundance 7.50, ELOW 3.686 eV
  env.Setup("ALLEN");
  TVEMO* kap5 = env.New("KAP5");
  PKAP5(*kap5);
  const std::string li = "LI=FE6302";
  TVEMO* dld = env.New("DLD", li);
  PDLD(*dld, 55.845, 6302.4936);
  TVEMO* u0 = env.New("U0", "AT=FE");
  u0->AT = "FE";
  PU(*u0, *env.New("U1", "AT=FE"), *env.New("U2", "AT=FE"));
  TVEMO* part = env.New("PART", li);
  PART(26, 1, *part, 3.686);
  TVEMO* eta = env.New("ETA", li);
  eta->LIN6 = "FE6302";
  PETA0(26, 1, *eta, -1.131, 7.50, 6302.4936);
  const double pi = std::numbers::pi, re = 2.8179403262e-13, l = 6302.4936e-8;
  const double want = std::sqrt(pi) * re * l * l * std::pow(10.0, -1.131) * std::pow(10.0, -4.5) *
                      part->A[1] * -std::expm1(-6.62607015e-27 * 2.99792458e10 /
                                               (l * 1.380649e-16 * 5000)) /
                      (MEND->MjuPerH * 1.66053907e-24 * dld->A[1] * 1e-11 * kap5->A[1]);
  EXPECT_NEAR(eta->A[1] / want, 1, 1e-4);

  // Unsöld damping of Fe I 6302.5 at 5000 K, lg Pg 4: a = 0.01190
  TVEMO* a = env.New("A", li);
  a->LIN6 = "FE6302";
  PA(26, *a, 1, 3.686, MEND->GetEION(26, 1), 6302.4936);
  EXPECT_NEAR(a->A[1], 0.01190, 0.00002);
  // EWAN 0 gives 0; an upper level above the limit gives practically no width
  PA(26, *a, 0, 3.686, MEND->GetEION(26, 1), 6302.4936);
  EXPECT_EQ(a->A[1], 0);
  Sayer->WarnOn();
  PA(26, *a, 1, 7.0, MEND->GetEION(26, 1), 6302.4936);
  EXPECT_LT(a->A[1], 1e-60);
  EXPECT_TRUE(env.sink.Has("ERR PA: НЕ БЫВАЕТ ЛИНИИ"_cp));

  // PAEX: constants 0 give the plain conversion widths; "EWAN" is the Unsöld value
  TVEMO* n6 = env.New("DLLorN", li);
  TVEMO* d4 = env.New("DLLor4", li);
  TVEMO* d6 = env.New("DLLor6", li);
  TVEMO* old = env.New("AOld", li);
  TDampLine line;
  line.Z = 26;
  line.LAMB = 6302.4936;
  line.ELOW = 3.686;
  line.EWAN = 1.5;
  const double conv = l * l / 3.767303111998239449;
  PAEX(line, *a, *n6, *d4, *d6, *old, "46+04");
  EXPECT_NEAR(n6->A[1] / conv, 1, 1e-12);
  EXPECT_NEAR(line.GRAD / conv, 1, 1e-12);
  EXPECT_NEAR(d6->A[1] / (conv * nh->A[1] * std::pow(0.5, -0.4)), 1, 1e-12);
  EXPECT_NEAR(d4->A[1] / (conv * 1 / (1.38062e-16 * 5000) * std::pow(0.5, -0.4)), 1, 1e-12);
  EXPECT_NEAR(a->A[1], (n6->A[1] + d4->A[1] + d6->A[1]) / dld->A[1] * 1.5, 1e-12 * a->A[1]);
  PAEX(line, *a, *n6, *d4, *d6, *old, "EWAN");
  EXPECT_NEAR(a->A[1], old->A[1] * 1.5, 1e-15);
  EXPECT_NEAR(old->A[1], 0.01190, 0.00002);
  // a line record: its constants in, its radiative width out
  TLIDA rec;
  rec.AT = 26;
  rec.NIon = 1;
  rec.LAMB = 6302.4936;
  rec.ELOW = 3.686;
  rec.EWAN = 1;
  rec.Rad = 7.93;
  rec.Stark = -5.43;
  rec.Waals = -7.59;
  PAEX(rec, *a, *n6, *d4, *d6, *old, "46_04");
  EXPECT_NEAR(rec.ARad / (std::pow(10.0, 7.93) * conv), 1, 1e-12);
  EXPECT_NEAR(a->A[1], (n6->A[1] + d4->A[1] + d6->A[1]) / dld->A[1], 1e-12 * a->A[1]);
  EXPECT_NE(VectorsEnv::FatalText([&] { PAEX(line, *a, *n6, *d4, *d6, *old, "46_05"); })
                .find("Вариант расчета пост.затух.A <46_05> не предусмотрен!"_cp),
            std::string::npos);
}

// The line ratio warns once by box, then only to the log; the damping warns at a probe layer's
// bounds with the depth in place of the point.
TEST(DepthPhysics, LineRatioAndDampingWarnings) {
  PhysEnv env;
  TVEMO* t = env.Const("T", 5000);
  env.Const("LGPE", 0);
  env.Const("LGPG", 4);
  env.Const("NH", 1e16);
  env.Const("KAP5", 1e-20);  // an absurdly transparent continuum: ETA far above 1e10
  const std::string li = "LI=FE6302";
  TVEMO* dld = env.New("DLD", li);
  PDLD(*dld, 55.845, 6302.4936);
  env.Const("PART", 1e-4, li);
  TVEMO* eta = env.New("ETA", li);
  eta->LIN6 = "FE6302";
  // warnings off: only the first (boxed) one shows, the rest would go to the log
  PETA0(26, 1, *eta, -1.131, 7.50, 6302.4936);
  int n = 0;
  for (const auto& s : env.sink.texts) n += s.find("ETA0#ETA0[K=") != std::string::npos;
  EXPECT_EQ(n, 1);
  EXPECT_TRUE(env.sink.Has("ETA0#ETA0[K=1 T=5000.0]="));
  EXPECT_TRUE(env.sink.Has("FE I 6302.494 ABUND="));
  EXPECT_GT(eta->A[1], 1e10);  // stored all the same
  env.sink.texts.clear();
  Sayer->WarnOn();
  PETA0(26, 1, *eta, -1.131, 7.50, 6302.4936);
  n = 0;
  for (const auto& s : env.sink.texts) n += s.find("ETA0#ETA0[K=") != std::string::npos;
  EXPECT_EQ(n, t->N);  // the key is known: every point goes to the log

  // a negative width at the layer's bounds only
  TVEMO* a = env.New("A", li);
  a->LIN6 = "FE6302";
  TVEMO* n6 = env.New("DLLorN", li);
  TVEMO* d4 = env.New("DLLor4", li);
  TVEMO* d6 = env.New("DLLor6", li);
  TVEMO* old = env.New("AOld", li);
  TDampLine line;
  line.Z = 26;
  line.NION = 1;
  line.LAMB = 6302.4936;
  line.ELOW = 3.686;
  line.EWAN = 1;
  dld->Ch = 'C';
  dld->Val = -1;
  dld->XL = -0.9;
  dld->XU = -1.1;
  env.sink.texts.clear();
  PAEX(line, *a, *n6, *d4, *d6, *old, "46_04");
  EXPECT_FALSE(env.sink.Has(" K="));
  EXPECT_TRUE(env.sink.Has("PA_Err При вычислении A АТОМ=FE LAMB="_cp));
  EXPECT_TRUE(env.sink.Has(" X=" + ReSt(-0.9) + " T=" + ReSt(5000)));
  EXPECT_TRUE(env.sink.Has(" X=" + ReSt(-1.1) + " T=" + ReSt(5000)));
  EXPECT_EQ(a->Ch, 'C');
  EXPECT_LT(a->Val, 0);
}

// Reader errors of the opacity tables stop the setup and open the editor at their place; the
// H-minus table is traced on channel 3.
TEST(DepthPhysics, OpacityTableReaderErrorsAndTrace) {
  PhysEnv env;
  const std::string head = "H-minus\nunits\nsource\nNT 2 NL 2 #LG_KAPPA_H_MINUS\n";
  const std::string good = head + "THETA 0.5 1.0\n----\n5000 -1.5 -1.25\n6000 -1.0 -0.75\n";
  TKappaHM01 hm;
  TraceMask = 1 << 3;
  REHM(env.Write("hm.dat", good), hm);
  TraceMask = 0;
  EXPECT_EQ(hm.IsLg, 1);
  EXPECT_EQ(hm.TAB[2][1], -1.25);
  EXPECT_EQ(hm.LAMBDA[2], 6000);
  EXPECT_TRUE(env.sink.Has("NT  2 NL  2"));
  EXPECT_TRUE(env.sink.Has("THETA   0.5   1.0"));
  EXPECT_TRUE(env.sink.Has("----------------------------------------"));
  EXPECT_TRUE(env.sink.Has("   6000 -1.00 -0.75"));
  // a word where a number belongs: the reader's error at line 8
  const std::string bad = head + "THETA 0.5 1.0\n----\n5000 -1.5 -1.25\n6000 x -0.75\n";
  EXPECT_NE(VectorsEnv::FatalText([&] { REHM(env.Write("hmbad.dat", bad), hm); }), "");
  EXPECT_EQ(env.errLine, 8);
  EXPECT_NE(env.errFile.find("hmbad.dat"), std::string::npos);
  // a Zwaan file without its separator
  env.errLine = 0;
  TARe x, y;
  EXPECT_NE(VectorsEnv::FatalText([&] { REZwaan(env.Write("fz.dat", "Zwaan\nСТРОК 2\n1 2\n"_cp), x, y); })
                .find("должен быть разделитель \"------\", он не найден!"_cp),
            std::string::npos);
  EXPECT_GT(env.errLine, 0);
  EXPECT_NE(env.errFile.find("fz.dat"), std::string::npos);
}

#ifdef CORVESTA_PHYSDATA
// The published Irwin file lives beside the project (reference data, not bundled).
const char* const kIrwinSource = "/work/shared/data/partition/IRWIN_atoms_v07.3.dat";

TEST(DepthPhysics, BundledDataFilesAreTheGeneratorsOutput) {
  testsupport::TempDir dir;
  const std::pair<std::string, std::string> runs[] = {{"allen", "allen.dat"},
                                                      {"aller", "aller.dat"},
                                                      {"zwaan", "fzwaan.dat"},
                                                      {std::string("irwin ") + kIrwinSource,
                                                       "irwin.dat"}};
  for (const auto& [args, file] : runs) {
    if (file == "irwin.dat" && !std::filesystem::exists(kIrwinSource))
      GTEST_SKIP() << "the published Irwin file is not at " << kIrwinSource;
    const std::string out = dir.file(file);
    const std::string cmd =
        std::string(CORVESTA_PHYSDATA) + " " + args + " " + out + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    EXPECT_EQ(testsupport::ReadFile(out), testsupport::ReadFile(DataDir() + file)) << file;
  }
}
#endif

}  // namespace
