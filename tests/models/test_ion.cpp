// Model building by hydrostatic equilibrium on the bundled HSRA: the relaxation-factor rule, the
// top pressure from the premodel or the column mass, the solver switch (FINDPE, or FNDHPE with its
// warnings once per build), a cancelled build that leaves the vectors as they were, bounded
// iterations that name the layer, bad premodel input that changes nothing, the log and the trace
// mask. The rebuild against the published table runs through the harness (test_ion_journey.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "models/cvPMod.h"
#include "models/physics/cvIon.h"
#include "models/physics/cvKappa.h"
#include "models/support/VectorsEnv.h"
#include "support/TestSupport.h"

using testsupport::VectorsEnv;

namespace {

std::string IonGeda() { return testsupport::SourceRoot() + "/data/GEDA/"; }

// An option file of the model building with the given switches on.
std::string OptionText(std::initializer_list<int> On) {
  std::string t = "Option switches of MOD\nMODT run title\nSw\n";
  for (int i = 1; i <= 31; ++i) {
    bool on = false;
    for (int k : On) on = on || k == i;
    t += on ? "1\n" : "0\n";
  }
  return t;
}

// The model layer on the bundled root with the element table, the opacity files, an option file
// (switch 18 on unless told otherwise), the log folder, and a working variator of one
// combination.
struct TIonEnv : VectorsEnv {
  TVARIATOR* V = nullptr;
  std::string logDir;
  explicit TIonEnv(const std::vector<std::string>& Keys, std::initializer_list<int> Switches = {18})
      : VectorsEnv(kBundledRoot) {
    files["ALLEN"] = IonGeda() + "allen.dat";
    files["ALLER"] = IonGeda() + "aller.dat";
    files["FZWAAN"] = IonGeda() + "fzwaan.dat";
    files["OTL"] = Write("OTL/MOD.otl", OptionText(Switches));
    logDir = dir.str() + "/LOG/";
    Models().FileOf.Install([this](const std::string&, const std::string&, const std::string& N) {
      return logDir + N + ".log";
    });
    ResetLineDataServices();
    LineData().DirOf.Install([](const std::string&, const std::string& F) {
      if (F == "TBMEND") return IonGeda() + "tbmend.txt";
      if (F == "ABUND") return IonGeda() + "abund.dat";
      if (F == "IRWIN") return IonGeda() + "irwin.dat";
      return IonGeda() + F;
    });
    CreateMEND();
    MEND->LoadAll();
    auto v = std::make_unique<TVARIATOR>("QI", 1);
    for (const std::string& k : Keys) v->AddPQOneStr(k, true);
    V = v.get();
    ctx.LVARI->Append(std::move(v));
    ctx.VARI = V;
    V->KIdx = 1;
  }
  ~TIonEnv() {
    FreeMEND();
    ResetLineDataServices();
  }
  int Count(const std::string& Part) const {
    int n = 0;
    for (const auto& t : sink.texts) n += t.find(Part) != std::string::npos;
    return n;
  }
  TVEMO* Vec(const std::string& Name, const std::string& Mod = "HSRAI") {
    return K().FindVeMo(Name, Mod, "", 1);
  }
};

std::vector<std::string> IonKeys(std::vector<std::string> More = {}) {
  std::vector<std::string> k = {"#ION 1",      "#PREMOD Q HSRA 0", "#MOD T HSRAI",
                                "#MOD_ROOT APP", "#MOD_DIR MODS",    "#OPACITY LANDI",
                                "#KZWAAN 0"};
  for (auto& m : More) k.push_back(m);
  return k;
}

// PMOD1 and doION in a job; the job's outcome.
TJobState Build(TJob& Job) {
  RunJob(Job, [](TJob& J) {
    ASSERT_TRUE(PMOD1());
    doION(J);
  });
  return Job.State();
}

TEST(IonBuild, OptimumFactorRule) {
  ResetSayerForTests();
  Sayer->WarnOn();
  TJob job("opt");
  TJobScope scope(job);
  double f = 0.5;
  OPTIMUM(f, 0.05, 1, 0.01);  // q = 20
  EXPECT_NEAR(f, (0.01 - 1) / (0.05 - 1), 1e-15);
  ASSERT_EQ(job.WarningCount(), 1);
  EXPECT_NE(job.Warnings()[0].Text.find(">10 OPT("), std::string::npos) << job.Warnings()[0].Text;
  f = 0.5;
  OPTIMUM(f, 3, 3, 7);  // X2 = X1: unchanged
  EXPECT_EQ(f, 0.5);
  OPTIMUM(f, 20, 1, 10);  // q = 0.05
  EXPECT_NEAR(f, 9.0 / 19.0, 1e-15);
  EXPECT_NE(job.Warnings().back().Text.find(" < 1/10 OPT"), std::string::npos);
  Sayer->WarnOff();
}

// The top point: the premodel's top Pg (column mass from it), a given column mass, a negative
// premodel pressure; every layer below holds the hydrostatic slope of the trapezoid rule.
TEST(IonBuild, TopPressureAndHydrostaticSlope) {
  {
    TIonEnv env(IonKeys({"#MAS0 0"}));
    TJob job("ion");
    ASSERT_EQ(Build(job), TJobState::Done) << job.Error();
    TVEMO* pg = env.Vec("LGPG");
    TVEMO* pg0 = env.Vec("PG0");
    TVEMO* x = env.Vec("X");
    TVEMO* kap = env.Vec("KAP5");
    ASSERT_TRUE(pg && pg0 && x && kap && pg->IsFilled() && kap->IsFilled());
    const int32_t n = pg->N;
    ASSERT_EQ(n, 105);
    EXPECT_NEAR(pg->A[n], std::log10(pg0->A[n]), 1e-12);
    EXPECT_NEAR(IonState().MAS0, pg0->A[n] / 27380, 1e-9);
    // dPg/dX = g tau ln10 / kappa, trapezoid between the layers
    for (int32_t i = 1; i < n; ++i) {
      const double dx = x->A[i] - x->A[i + 1];
      const double lhs = (std::pow(10.0, pg->A[i]) - std::pow(10.0, pg->A[i + 1])) / dx;
      const double rhs = 27380 * std::log(10.0) * 0.5 *
                         (std::pow(10.0, x->A[i]) / kap->A[i] +
                          std::pow(10.0, x->A[i + 1]) / kap->A[i + 1]);
      EXPECT_NEAR(lhs / rhs, 1, 0.01) << i;
    }
    EXPECT_TRUE(env.Vec("T")->IsFilled());
    EXPECT_TRUE(env.Vec("LGPE")->IsFilled());
  }
  {
    // a column mass overrides the premodel's top; "#MJUPERH" replaces the table's mean mass; an
    // empty "#ATI" is the default list, hydrogen first
    TIonEnv env(IonKeys({"#MAS0 0.05", "#MJUPERH 1.4"}));
    TJob job("ion");
    ASSERT_EQ(Build(job), TJobState::Done) << job.Error();
    EXPECT_NEAR(env.Vec("LGPG")->A[105], std::log10(0.05 * 27380), 1e-12);
    EXPECT_EQ(MEND->MjuPerH, 1.4);
    EXPECT_EQ(IonState().AT[1].Sym, "H");
    EXPECT_EQ(IonState().NAT, 14);
  }
}

// A premodel shifted in theta: the built temperatures are the shifted ones, and the opacity of
// every layer is the table's at that temperature (not at the unshifted premodel's).
TEST(IonBuild, ShiftedPremodelBuildsWithItsOwnOpacity) {
  TIonEnv env(IonKeys({"#MAS0 0"}));
  env.V->UpDate("#PREMOD", "Q HSRA 0.05", env.V->Stamp);
  TJob job("ion");
  RunJob(job, [&](TJob& J) {
    ASSERT_TRUE(PMOD1());
    ASSERT_TRUE(doION(J));
    TVEMO* t = env.Vec("T");
    TVEMO* kap = env.Vec("KAP5");
    TVEMO* pe = env.Vec("LGPE");
    TVEMO* th = env.Vec("TETA0", "HSRA");
    ASSERT_TRUE(t && kap && pe && th);
    for (int32_t i = 1; i <= t->N; i += 8) {
      EXPECT_NEAR(t->A[i], 5039.9345841032444118 / (th->A[i] + 0.05), 1e-9 * t->A[i]) << i;
      EXPECT_NEAR(kap->A[i] / std::pow(10.0, pe->A[i]), KappaTable(t->A[i], 5000),
                  1e-9 * kap->A[i] / std::pow(10.0, pe->A[i]))
          << i;
    }
  });
  ASSERT_EQ(job.State(), TJobState::Done) << job.Error();
}

TEST(IonBuild, NegativeTopPressureIsWarnedAndTurned) {
  TIonEnv env(IonKeys());
  TJob job("ion");
  RunJob(job, [&](TJob& J) {
    ASSERT_TRUE(PMOD1());
    // doION refills the premodel's vectors, the working model's are PMOD1's copies
    TVEMO* pg0 = env.Vec("PG0");
    const double top = pg0->A[105];
    pg0->A[105] = -top;
    ASSERT_TRUE(doION(J));
    EXPECT_NEAR(env.Vec("LGPG")->A[105], std::log10(top), 1e-12);
  });
  ASSERT_EQ(job.State(), TJobState::Done) << job.Error();
  bool warned = false;
  for (const auto& w : job.Warnings()) warned = warned || w.Text.find("меняем знак"_cp) != std::string::npos;
  EXPECT_TRUE(warned);
}

// Switch 18 off: FNDHPE with its hydrogen-molecule balance; its warnings come once per build,
// however many layers; a balance without a real root stops with the layer named.
TEST(IonBuild, WithoutSwitch18TheHydrogenVariantWarnsOncePerBuild) {
  TIonEnv env(IonKeys(), {});
  TJob job("ion");
  Build(job);
  int fndhpe = 0, findq = 0;
  for (const auto& w : job.Warnings()) {
    if (w.Text.find("нереальные значения Pg"_cp) != std::string::npos) fndhpe += w.Count;
    if (w.Text.find("не должен вызываться"_cp) != std::string::npos) findq += w.Count;
  }
  EXPECT_EQ(fndhpe, 1);
  EXPECT_EQ(findq, 1);
  if (job.State() == TJobState::Done) {
    // v < 1 enters the opacity: KAP5 differs from the FINDPE build's
    const double k = env.Vec("KAP5")->A[50];
    TIonEnv env2(IonKeys());
    TJob job2("ion");
    ASSERT_EQ(Build(job2), TJobState::Done) << job2.Error();
    EXPECT_NE(env2.Vec("KAP5")->A[50], k);
  } else {
    EXPECT_NE(job.Error().find("на слое K="_cp), std::string::npos) << job.Error();
  }
}

// Cancelled mid-build (Esc): the vectors of an earlier build keep their values and marks.
TEST(IonBuild, CancelLeavesTheVectorsAsTheyWere) {
  TIonEnv env(IonKeys({"#MAS0 0"}));
  TJob first("ion");
  ASSERT_EQ(Build(first), TJobState::Done) << first.Error();
  const TARe pg = env.Vec("LGPG")->A, pe = env.Vec("LGPE")->A, kap = env.Vec("KAP5")->A,
             t = env.Vec("T")->A;
  env.V->UpDate("#MAS0", "0.1", env.V->Stamp);
  TJob second("ion");
  second.OnProgress = [&](const TJobProgress& P) {
    if (P.Text.find("CREMOD K=50/") != std::string::npos) second.Cancel();
  };
  EXPECT_EQ(Build(second), TJobState::Cancelled);
  EXPECT_EQ(env.Vec("LGPG")->A, pg);
  EXPECT_EQ(env.Vec("LGPE")->A, pe);
  EXPECT_EQ(env.Vec("KAP5")->A, kap);
  EXPECT_EQ(env.Vec("T")->A, t);
  EXPECT_TRUE(env.Vec("LGPG")->IsFilled());
  // a new model cancelled: nothing marked filled
  TIonEnv fresh(IonKeys());
  TJob third("ion");
  third.OnProgress = [&](const TJobProgress& P) {
    if (P.Text.find("CREMOD K=") != std::string::npos) third.Cancel();
  };
  EXPECT_EQ(Build(third), TJobState::Cancelled);
  for (const char* q : {"LGPG", "LGPE", "KAP5", "T"}) {
    TVEMO* v = fresh.Vec(q);
    EXPECT_TRUE(!v || !v->IsFilled()) << q;
  }
}

// The electron-pressure iteration is bounded: a relaxation that diverges stops with the layer.
TEST(IonBuild, DivergingIterationNamesTheLayer) {
  TIonEnv env(IonKeys());
  TJob job("ion");
  RunJob(job, [&](TJob& J) {
    ASSERT_TRUE(PMOD1());
    ASSERT_TRUE(doION(J));
    TION& S = IonState();
    S.Layer = 42;
    S.LayerX = -1.5;
    S.OPT_PE = 2.5;
    PPTFUN(5000);
    SahaAll(5000);
    FINDPE(10, 5e-5, 1e5, 5000);
  });
  ASSERT_EQ(job.State(), TJobState::Failed);
  EXPECT_NE(job.Error().find("на слое K=42 X=-1.50"_cp), std::string::npos) << job.Error();
  // an ionisation list without hydrogen is refused by name
  TIonEnv noH(IonKeys({"#ATI FE SI MG"}));
  TJob j2("ion");
  RunJob(j2, [](TJob& J) {
    ASSERT_TRUE(PMOD1());
    const int32_t mask = TraceMask, depth = StackIO.Count;
    try {
      doION(J);
    } catch (...) {
      // the option file's mask is gone again
      EXPECT_EQ(TraceMask, mask);
      EXPECT_EQ(StackIO.Count, depth);
      throw;
    }
  });
  ASSERT_EQ(j2.State(), TJobState::Failed);
  EXPECT_NE(j2.Error().find("должен начинаться с водорода"_cp), std::string::npos) << j2.Error();
}

// Bad premodel input: the texts of the model loading, and no vector of the model made or
// changed.
TEST(IonBuild, BadPremodelChangesNothing) {
  for (const char* pre : {"#PREMOD Z2 HSRA 0", "#PREMOD Q HSRA x", "#PREMOD AX2 HSRA",
                          "#PREMOD KX HSRA 1e"}) {
    std::vector<std::string> k = IonKeys();
    k[1] = pre;
    TIonEnv env(k);
    const std::string e = VectorsEnv::FatalText([] { PMOD1(); });
    const std::string type = WordN(std::string(pre), 2);
    const std::string want = type == "Z2"   ? "Тип модели <Z2> не предусмотрен"_cp
                             : type == "KX" ? "ION KX оБшиБоЧка!"_cp
                                            : "ION " + type + " оБшиБка!"_cp;
    EXPECT_NE(e.find(want), std::string::npos) << pre << ": " << e;
    EXPECT_EQ(env.K().Count(), 0) << pre;
  }
}

// The log: a build that writes nothing leaves no file; with the Saha traces (switch 15) the log
// holds them.
TEST(IonBuild, LogKeptOnlyWithContent) {
  {
    TIonEnv env(IonKeys());
    TJob job("ion");
    ASSERT_EQ(Build(job), TJobState::Done) << job.Error();
    EXPECT_FALSE(std::filesystem::exists(env.logDir + "MODT.log"));
  }
  {
    TIonEnv env(IonKeys(), {18, 15});
    TJob job("ion");
    ASSERT_EQ(Build(job), TJobState::Done) << job.Error();
    const std::string log = testsupport::ReadFile(env.logDir + "MODT.log");
    EXPECT_NE(log.find("EIon1="), std::string::npos);
  }
}

}  // namespace
