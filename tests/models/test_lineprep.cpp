// The line set of a run (lg gf source conditions, the 100-line bound, per-line corrections,
// abundance files), model loading and the line preparation on the bundled HSRA model: model
// types, the velocity road, per-combination line data and the trace mask kept on every exit.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvMend.h"
#include "models/cvLines.h"
#include "models/cvPMod.h"
#include "models/physics/cvPhysDepth.h"
#include "models/support/VectorsEnv.h"
#include "support/TestSupport.h"

using testsupport::VectorsEnv;

namespace {

std::string GedaDir() { return testsupport::SourceRoot() + "/data/GEDA/"; }

// The model layer on the bundled root with the element table and the opacity files, and a
// working variator whose keys each hold one value (blanks included).
struct TPrepEnv : VectorsEnv {
  TVARIATOR* V = nullptr;
  explicit TPrepEnv(const std::vector<std::string>& Keys) : VectorsEnv(kBundledRoot) {
    files["ALLEN"] = GedaDir() + "allen.dat";
    files["ALLER"] = GedaDir() + "aller.dat";
    files["FZWAAN"] = GedaDir() + "fzwaan.dat";
    files["GEDA"] = dir.str() + "/";
    ResetLineDataServices();
    LineData().DirOf.Install([](const std::string&, const std::string& F) {
      if (F == "TBMEND") return GedaDir() + "tbmend.txt";
      if (F == "ABUND") return GedaDir() + "abund.dat";
      if (F == "IRWIN") return GedaDir() + "irwin.dat";
      return GedaDir() + F;
    });
    CreateMEND();
    MEND->LoadAll();
    auto v = std::make_unique<TVARIATOR>("QP", 1);
    for (const std::string& k : Keys) v->AddPQOneStr(k, true);
    V = v.get();
    ctx.LVARI->Append(std::move(v));
    ctx.VARI = V;
    V->KIdx = 1;
  }
  ~TPrepEnv() {
    FreeMEND();
    ResetLineDataServices();
  }
  // Fe I 6302.5 as the run's one line (or two lines).
  void Lines(int32_t N = 1) {
    TCONT& C = Cont();
    C.LiSet.Count = N;
    for (int32_t i = 1; i <= N; ++i) {
      TLINEDATA& it = C.LiSet.Items[static_cast<size_t>(i)];
      it.Clear();
      TLIDA& L = it.LI;
      L.LIN6 = i == 1 ? "FE6302" : "FE6301";
      L.AT = 26;
      L.NIon = 1;
      L.LAMB = i == 1 ? 6302.4936 : 6301.5012;
      L.ELOW = i == 1 ? 3.686 : 3.654;
      L.EUP = L.ELOW + 1.967;
      L.LGGF = i == 1 ? -1.131 : -0.718;
      L.EWAN = 1;
      L.Rad = 7.93;
      L.Stark = -5.43;
      L.Waals = -7.59;
      it.Atom = MEND->GetAtom(26);
    }
    C.LAMB = 6302.4936;
  }
  int Count(const std::string& Part) const {
    int n = 0;
    for (const auto& t : sink.texts) n += t.find(Part) != std::string::npos;
    return n;
  }
};

const std::vector<std::string> kRun = {
    "#MOD T HSRA", "#MOD_ROOT APP", "#MOD_DIR MODS", "#LIN FE6302", "#H 1000", "#GM 45",
    "#XI 30",      "#VMI 1",        "#A_OPT 46_04",  "#OPACITY LANDI", "#KZWAAN 0"};

std::vector<std::string> RunKeys(std::vector<std::string> More) {
  std::vector<std::string> k = kRun;
  for (auto& m : More) k.push_back(m);
  return k;
}

TEST(LineSet, LggfSourceConditions) {
  EXPECT_EQ(LGGFSrcToSQL(""), "");
  EXPECT_EQ(LGGFSrcToSQL("0"), "");
  EXPECT_EQ(LGGFSrcToSQL("VALD"), "Src='VALD'");
  EXPECT_EQ(LGGFSrcToSQL("VALD NIST 1"), "(Src='VALD' OR Src='NIST')");
  EXPECT_EQ(LGGFSrcToSQL("O'B +"), "(Src='O''B')");
  EXPECT_NE(VectorsEnv::FatalText([] { LGGFSrcToSQL("VALD NIST"); }).find("директивой"_cp),
            std::string::npos);
}

TEST(LineSet, MoreThanHundredIdsLoadNothing) {
  TPrepEnv env({"#LIN x"});
  std::string ids;
  for (int i = 0; i < 101; ++i) ids += " L" + std::to_string(i);
  Cont().LiSet.Count = 0;
  EXPECT_FALSE(LoadLins(ids, ""));
  EXPECT_EQ(Cont().LiSet.Count, 0);
  EXPECT_EQ(env.Count("N=101 > 100"), 1);
  // no line was looked up
  EXPECT_EQ(env.Count("НЕТ ДАННЫХ"_cp), 0);
  EXPECT_FALSE(LoadLins("", ""));
}

TEST(LineSet, PerLineCorrectionsAndAbundanceFile) {
  TPrepEnv env({"#dLGGF 0.05", "#LINn FE6301 FE6302", "#dLGGFn 0.1 -0.2", "#ABUND T sun"});
  TLIDA a, b, c;
  a.LIN6 = "FE6302";
  c.LIN6 = "FE6303";
  LineGetFromVARI(a);
  LineGetFromVARI(c);
  EXPECT_DOUBLE_EQ(a.dLGGF, -0.2);
  EXPECT_DOUBLE_EQ(c.dLGGF, 0.05);
  EXPECT_DOUBLE_EQ(c.EWAN, 1);
  env.Write("absun.dat", "Solar abundances\n------\nElt  lg eps\nFE 7.00\nXX 1\nNA\nNI x\n---\nC 1\n");
  env.files["GEDA"] = env.dir.str() + "/";
  LoadAbund();
  EXPECT_DOUBLE_EQ(MEND->GetAtom(26)->ABUND, 7.00);
  EXPECT_EQ(env.Count("не атом"_cp), 1);
  EXPECT_EQ(env.Count("не менее 2-х слов"_cp), 1);
  EXPECT_EQ(env.Count("не число"_cp), 1);
  EXPECT_NE(MEND->GetAtom(6)->ABUND, 1);  // after the closing rule nothing is read
}

// The line set from a new database holding the bundled demo rows (the Fe I pair).
TEST(LineSet, LinesFromTheDatabaseAndFilters) {
  TPrepEnv env({"#LAM 6302.0"});
  const std::string data = testsupport::SourceRoot() + "/data/";
  LineData().Root.Install([data] { return data; });
  CreateLineLists();
  CreateDM();
  ASSERT_TRUE(DM->Connect(env.dir.str() + "/cv.db"));
  ASSERT_TRUE(LoadLins("FE6301 FE6302", ""));
  TCONT& C = Cont();
  ASSERT_EQ(C.LiSet.Count, 2);
  EXPECT_EQ(C.LiSet.Items[2].LI.LIN6, "FE6302");
  EXPECT_NEAR(C.LiSet.Items[2].LI.LAMB, 6302.4936, 1e-9);
  EXPECT_EQ(C.LiSet.Items[1].Atom, MEND->GetAtom(26));
  EXPECT_EQ(C.LAMB, 6302.0);  // "#LAM" has the last word
  EXPECT_FALSE(LoadLins("FE6301 NOSUCH", ""));
  EXPECT_EQ(env.Count("LiSet.A[iILIN].LINE = NIL!"), 1);
  // filters: the Ids of the table, and those with an lg gf row of the sources (bound values)
  EXPECT_EQ(LinesByFilter("LAMB > 6300", "LAMB DESC", ""), "FE6302 FE6301");
  EXPECT_EQ(LinesByFilter("LAMB > 6302", "", ""), "FE6302");
  EXPECT_EQ(LinesByFilter("LAMB > 6300", "", "VALD O'Brien 1"), "");
  EXPECT_NE(VectorsEnv::FatalText([] { LinesByFilter("", "", ""); }).find("#LINLIST_FILTER"),
            std::string::npos);
  FreeDM();
  FreeLineLists();
}

TEST(ModelLoading, TypesAndTheTraceMask) {
  {
    TPrepEnv env({"#MOD Q HSRA", "#MOD_ROOT APP", "#MOD_DIR MODS"});
    const int32_t before = TraceMask;
    EXPECT_FALSE(PMOD1());
    EXPECT_EQ(env.Count("PMOD1.Err Разрешенный тип модели T , а не <Q> из <Q HSRA>"_cp), 1);
    EXPECT_FALSE(env.K().HasMod("HSRA"));
    EXPECT_EQ(TraceMask, before);
  }
  {
    // a required key missing: the fatal stop leaves the trace mask and its stack as they were
    TPrepEnv env({"#MOD T HSRA"});
    TraceMask = 0x15;
    const int32_t depth = StackIO.Count;
    EXPECT_NE(VectorsEnv::FatalText([] { PMOD1(); }), "");
    EXPECT_EQ(TraceMask, 0x15);
    EXPECT_EQ(StackIO.Count, depth);
    TraceMask = 0;
  }
  TPrepEnv env(kRun);
  ASSERT_TRUE(PMOD1());
  TVEMO* t = env.K().FindVeMo("T", "HSRA", "", 1);
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->IsFilled());
}

// A premodel of theta, pressures and microturbulence in the project's MODS folder.
void WritePremodel(TPrepEnv& Env) {
  std::string t = "COLUMNS 5\nLAYERS 4\nTAU tau\nTETA0 theta\nPE0 pe\nPG0 pg\nVMI vmi\n"
                  "  TAU TETA0 PE0 PG0 VMI\n--------\n";
  const double tau[] = {10, 1, 0.1, 0.001}, th[] = {0.6, 0.8, 0.9, 1.0};
  for (int i = 0; i < 4; ++i)
    t += std::to_string(tau[i]) + " " + std::to_string(th[i]) + " 100 100000 1\n";
  Env.Write("proj/MODS/PRE.mel", t);
  const std::string proj = Env.dir.str() + "/proj/";
  Models().ProjectDir.Install([proj] { return proj; });
}

TEST(ModelLoading, PremodelChangesTheWorkingModelOnly) {
  const std::vector<std::string> keys = {"#ION 1", "#MOD T WORK", "#MOD_ROOT PROJ",
                                         "#MOD_DIR MODS"};
  auto with = [&](const std::string& Pre) {
    std::vector<std::string> k = keys;
    k.push_back("#PREMOD " + Pre);
    return k;
  };
  TPrepEnv env(with("KX PRE 0.05"));
  WritePremodel(env);
  ASSERT_TRUE(PMOD1());
  TVEMO* src = env.K().FindVeMo("TETA0", "PRE", "", 1);
  TVEMO* work = env.K().FindVeMo("TETA0", "WORK", "", 1);
  TVEMO* x = env.K().FindVeMo("X", "WORK", "", 1);
  ASSERT_TRUE(src && work && x);
  ASSERT_EQ(src->N, work->N);
  ASSERT_GT(work->N, 10);
  for (int32_t i = 1; i <= work->N; i += 7)
    EXPECT_NEAR(work->A[i] - src->A[i], 0.05 * x->A[i], 1e-9) << i;
  TPrepEnv bad(with("KX PRE x"));
  WritePremodel(bad);
  EXPECT_NE(VectorsEnv::FatalText([] { PMOD1(); }).find("ION KX"), std::string::npos);
  TPrepEnv other(with("ZZ PRE 1"));
  WritePremodel(other);
  EXPECT_NE(VectorsEnv::FatalText([] { PMOD1(); }).find("не предусмотрен"_cp), std::string::npos);
}

TEST(LinePreparation, ConstantVelocityIsTheProfilesShift) {
  for (const char* vd : {"#VD 2", "#VD C 2"}) {
    TPrepEnv env(RunKeys({vd}));
    ASSERT_TRUE(PMOD1());
    env.Lines();
    ASSERT_TRUE(PMOD3(1)) << vd;
    TCONT& C = Cont();
    EXPECT_TRUE(C.ConstVD) << vd;
    EXPECT_NEAR(C.DLVD0, 6302.4936 * 2 / 299792.4562, 1e-12) << vd;
    EXPECT_NEAR(C.DLVD0 * 1000, 42.046, 0.0005);
    // the depth shift stays 0: the constant velocity enters once, as the profile's DLVD
    ASSERT_TRUE(C.MDLVD && C.MDLVD->N > 0);
    for (int32_t i = 1; i <= C.MDLVD->N; ++i) EXPECT_EQ(C.MDLVD->A[i], 0) << vd << " " << i;
  }
  // a velocity varying over depth shifts inside the synthesis (mA per km/s)
  TPrepEnv env(RunKeys({"#VD G 1 3"}));
  ASSERT_TRUE(PMOD1());
  env.Lines();
  ASSERT_TRUE(PMOD3(1));
  TCONT& C = Cont();
  EXPECT_FALSE(C.ConstVD);
  EXPECT_EQ(C.DLVD0, 0);
  const double k = 6302.4936 * 1000 / 299792.4562;
  for (int32_t i = 1; i <= C.MDLVD->N; ++i)
    EXPECT_NEAR(C.MDLVD->A[i], k * C.MVD->A[i], 1e-9) << i;
}

TEST(LinePreparation, LineDataOfTheCombination) {
  struct TCase {
    const char* lggf;
    double want;
  } cases[] = {{"#LGGF 12", -1.131}, {"#LGGF 12.005", -1.131}, {"#LGGF 11.9", 11.9}};
  for (const TCase& c : cases) {
    TPrepEnv env(RunKeys({"#VD 0", c.lggf, "#ELOW 0.5"}));
    ASSERT_TRUE(PMOD1());
    env.Lines();
    ASSERT_TRUE(PMOD3(1));
    const TLINEDATA& it = Cont().LiSet.Items[1];
    EXPECT_DOUBLE_EQ(it.LI.LGGF, c.want) << c.lggf;
    EXPECT_DOUBLE_EQ(it.LI.ELOW, 0.5);
    EXPECT_NEAR(it.LI.EUP, 0.5 + 1.967, 1e-12);
    ASSERT_TRUE(it.ETA && it.A && it.DLD && it.PART);
    EXPECT_TRUE(it.ETA->IsFilled());
    EXPECT_GT(it.DLD->A[1], 0);
  }
  // a field of 0 is field-free
  TPrepEnv free(RunKeys({"#VD 0"}));
  free.V->UpDate("#H", "C 0", 1);
  ASSERT_TRUE(PMOD1());
  free.Lines();
  ASSERT_TRUE(PMOD3(1));
  EXPECT_TRUE(Cont().H0);
}

TEST(LinePreparation, SeveralLinesRefuseOneLinesKeys) {
  for (const char* key : {"#LGGF -1.2", "#ELOW 0.5"}) {
    TPrepEnv env(RunKeys({"#VD 0", key}));
    ASSERT_TRUE(PMOD1());
    env.Lines(2);
    TraceMask = 0x3;
    EXPECT_FALSE(PMOD3(1)) << key;
    EXPECT_EQ(TraceMask, 0x3);
    EXPECT_EQ(env.Count("не запрограмированно"_cp), 1);
    TraceMask = 0;
  }
  TPrepEnv env(RunKeys({"#VD 0", "#LGGF 12", "#ELOW -1"}));
  ASSERT_TRUE(PMOD1());
  env.Lines(2);
  EXPECT_TRUE(PMOD3(1));
}

}  // namespace
