// The profile record: defaults, insertion of a wavelength, copies, clearing, the full form of a
// half profile, the wavelength limits and combinations of the variator.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "models/variator/cvVari.h"
#include "support/Arrays1.h"
#include "support/SynEnv.h"

using testsupport::R1;
using testsupport::SynEnv;

namespace {

TEST(UnnoRecord, DefaultsOfANewProfile) {
  SynEnv env;
  TUNNO u;
  u.NDL = 7;  // left as it is
  u.SetDefaults();
  EXPECT_EQ(u.LAMB, 5000);
  EXPECT_EQ(u.ILAM, 1);
  EXPECT_EQ(u.KVARI, 1);
  EXPECT_EQ(u.KSym, 1);
  EXPECT_EQ(u.ChDL, 'A');
  EXPECT_EQ(u.MJU, 1);
  EXPECT_EQ(u.CONT, 1);
  EXPECT_EQ(u.PART, 1);
  EXPECT_EQ(u.Teff, 273);
  EXPECT_EQ(u.LGT, -8);
  EXPECT_EQ(u.RStep, 0.005);
  EXPECT_EQ(u.ALG, "NULL");
  EXPECT_EQ(u.sULin, "FE6302");
  EXPECT_EQ(u.QUEST, "QTEST");
  EXPECT_EQ(u.NDL, 7);
}

TEST(UnnoRecord, InsertLamCases) {
  SynEnv env;
  struct TCase {
    double lam;
    int32_t index, ilam, ndl;
    bool inserted;
  } cases[] = {
      {6302.0, 2, 3, 3, true},   // between the points, before ILAM
      {6301.5, 1, 3, 3, true},   // below the first point
      {6302.5, 3, 2, 3, true},   // beyond the last point: NDL + 1
      {6302.1, 2, 2, 2, false},  // already on the grid
  };
  for (const TCase& c : cases) {
    TUNNO u;
    u.SetDefaults();
    u.AllocAll(2);
    u.UL = R1({6301.9, 6302.1});
    u.UI = R1({0.9, 0.8});
    u.ILAM = 2;
    int32_t idx = -5;
    EXPECT_EQ(u.InsertLam(idx, c.lam), c.inserted) << c.lam;
    EXPECT_EQ(idx, c.index) << c.lam;
    EXPECT_EQ(u.ILAM, c.ilam) << c.lam;
    EXPECT_EQ(u.NDL, c.ndl) << c.lam;
    if (!c.inserted) continue;
    EXPECT_EQ(u.UL[idx], c.lam);
    EXPECT_EQ(u.UNN[idx], 3);  // the next serial number
    EXPECT_EQ(u.UK[idx], 0);
    EXPECT_EQ(u.UI[idx], 0);
    for (const TARe* a : {&u.UL, &u.UI, &u.UQ, &u.UU, &u.UV}) EXPECT_EQ(a->size(), 4u);
    for (int32_t i = 2; i <= 3; ++i) EXPECT_GT(u.UL[i], u.UL[i - 1]);
  }
}

TEST(UnnoRecord, CopyFromKeepsTheLineAndTheComparisonReferences) {
  SynEnv env;
  TUNNO src, ref, dst;
  testsupport::MakeFull(src, {}, 6302.4, 6302.6, 0.01);
  src.sULin = "FE6301";
  src.sObs = "OBS1";
  src.QUESTRef = "QREF";
  src.IQRef = 2;
  src.KVARIRef = 5;
  src.sIdRef = "ID7";
  src.URef = &ref;
  src.DLVD = 0.003;
  src.KCONT = 1;
  dst.CopyFrom(src);
  EXPECT_EQ(dst.sULin, "FE6301");
  EXPECT_EQ(dst.sObs, "OBS1");
  EXPECT_EQ(dst.QUESTRef, "QREF");
  EXPECT_EQ(dst.IQRef, 2);
  EXPECT_EQ(dst.KVARIRef, 5);
  EXPECT_EQ(dst.sIdRef, "ID7");
  EXPECT_EQ(dst.URef, &ref);
  EXPECT_EQ(dst.NDL, src.NDL);
  EXPECT_EQ(dst.DLVD, 0.003);
  EXPECT_EQ(dst.KCONT, 1);
  EXPECT_EQ(dst.UI, src.UI);
  dst.UI[3] = -1;  // independent arrays
  EXPECT_NE(src.UI[3], -1);
  EXPECT_TRUE(dst.UK.empty());
}

TEST(UnnoRecord, ClearStokesOfADividedProfileAndAllocU) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeFull(u, {}, 6302.4, 6302.6, 0.01);
  u.KCONT = 1;
  u.CONT = 3;
  u.ClearStokes();
  EXPECT_EQ(u.CONT, 0);
  EXPECT_EQ(u.KCONT, 0);
  EXPECT_EQ(u.KL, 1);
  EXPECT_TRUE(u.UI.empty());
  u.K4 = 1;
  u.AllocU();
  EXPECT_EQ(u.KL, 0);
  EXPECT_EQ(u.UI.size(), static_cast<size_t>(u.NDL) + 1);
  EXPECT_TRUE(u.UQ.empty());
  EXPECT_EQ(u.UNN[u.NDL], u.NDL);
}

TEST(UnnoRecord, MakeFullMirrorsAHalfProfile) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeHalf(u, {}, 4, 10);
  const TARe i = u.UI, v = u.UV, l = u.UL;
  u.FillBlur(20);  // the current-blur arrays follow the grid
  u.MakeFull();
  ASSERT_EQ(u.NDL, 7);
  EXPECT_EQ(u.KSym, 2);
  EXPECT_EQ(u.UL[4], l[1]);
  EXPECT_NEAR(u.UL[1], 2 * l[1] - l[4], 1e-9);
  EXPECT_EQ(u.UI[1], i[4]);
  EXPECT_EQ(u.UV[1], -v[4]);
  EXPECT_EQ(u.UV[7], v[4]);
  EXPECT_EQ(u.UIC.size(), 8u);
  EXPECT_EQ(u.UNN.size(), 8u);
  EXPECT_GT(u.IAt(u.UL[1]), 0.5);  // reads the full current set
}

TEST(UnnoRecord, WavelengthLimitsAndCombinations) {
  SynEnv env;
  TVARIATOR v("Q", 1);
  v.AddP("#wL1 100");
  v.AddP("#wL2 150");
  v.AddP("#A 1 2 3");
  TUNNO u;
  u.SetDefaults();
  u.LAMB = 6302.5;
  u.SetWLimits(v);
  EXPECT_NEAR(u.wL1, 6302.4, 1e-9);
  EXPECT_NEAR(u.wL2, 6302.65, 1e-9);
  TVARIATOR a("Q", 1);
  a.AddP("#wL1 6302.3");
  a.AddP("#wL2 6302.7");
  u.SetWLimits(a);
  EXPECT_EQ(u.wL1, 6302.3);
  EXPECT_EQ(u.wL2, 6302.7);

  u.KVARI = 3;
  EXPECT_TRUE(u.CheckKVARI("T", v));
  u.KVARI = 4;
  EXPECT_FALSE(u.CheckKVARI("T", v));
  EXPECT_TRUE(env.sink.Has("№ комбинации UNNO.KVARI=4 > числа комбинаций VARI.NK = 3"_cp));
}

TEST(UnnoRecord, PolarZeroDropQUVAndTexts) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeFull(u, {}, 6302.5, 6302.52, 0.01);
  EXPECT_FALSE(u.PolarZero());
  u.DropQUV();
  EXPECT_EQ(u.K4, 1);
  EXPECT_TRUE(u.PolarZero());
  EXPECT_EQ(u.ULText(), "6302.5000 6302.5100 6302.5200");
  u.IQ = 2;
  EXPECT_EQ(u.QuestIQStr(), "QTEST.2");
  EXPECT_EQ(u.HeadLine().rfind("Q=QTEST IQ=002 KV=001 LI=FE6302    K4=1 Sym=2 Abs NDL=3 CONT * ", 0),
            0u)
      << u.HeadLine();
}

}  // namespace
