// Wavelength settings of a combination, the grid of a new profile and the fixed-grid driver on
// fake point kernels: one profile per output depth, references kept, progress and cancel.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "platform/CodePage.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "support/Arrays1.h"
#include "support/SynEnv.h"
#include "synthesis/drivers/cvLams.h"
#include "synthesis/profiles/cvLUnno.h"

using testsupport::R1;
using testsupport::SynEnv;

namespace {

// A synthesis layer with its own calculation context and a working variator of given keys.
struct TLamEnv {
  SynEnv env;
  TOwnCalcContext calc;
  TCalcScope scope{calc};
  TVARIATOR* V = nullptr;
  explicit TLamEnv(const std::vector<std::string>& Keys) {
    ResetModelServices();
    Models().DirOf.Install([](const std::string&, const std::string&) { return std::string(); });
    auto v = std::make_unique<TVARIATOR>("QTEST", 1);
    // every key one value, blanks included
    for (const std::string& k : Keys) v->AddPQOneStr(k, true);
    V = v.get();
    env.ctx.LVARI->Append(std::move(v));
    env.ctx.VARI = V;
    V->KIdx = 1;
    TCONT& C = Cont();
    C.KindVD = 'C';
    C.ConstVD = true;
    C.LiSet.Count = 1;
    C.LiSet.Items[1].LI.LAMB = 6302.5;
  }
  ~TLamEnv() { ResetModelServices(); }
};

TEST(Lams, LamOptAndEqdSettings) {
  struct TCase {
    const char* opt;
    bool ok;
    char mode;
    const char* warn;
  } cases[] = {
      {"NORM", true, ' ', nullptr},
      {"eqd", true, 'd', nullptr},
      {"EQD", true, 'd', nullptr},
      {"norm", false, 0, "одна из опций"},
      {"Peak", false, 0, "для пиков"},
      {"w", false, 0, "экв.ширин"},
      {"NORM EQD", false, 0, "более одного"},
  };
  for (const TCase& c : cases) {
    TLamEnv e({std::string("#LAM_OPT ") + c.opt});
    EXPECT_EQ(VariLoadLam(), c.ok) << c.opt;
    if (c.ok) {
      EXPECT_EQ(Cont().LAMOpt, c.mode) << c.opt;
    }
    if (c.warn) {
      EXPECT_EQ(e.env.Count(platform::Utf8ToCp1251(c.warn)), 1) << c.opt;
    }
  }
  TLamEnv bad({"#LAM_eqD 2 20 x 20000"});
  EXPECT_FALSE(VariLoadLam());
  TLamEnv three({"#LAM_eqD 2 20 0.1"});
  EXPECT_FALSE(VariLoadLam());
  TLamEnv fine({"#LAM_eqD 3 30 0.001 100", "#LAMS 0 10 20"});
  ASSERT_TRUE(VariLoadLam());
  EXPECT_EQ(Cont().LamEqD[1], 30);
  EXPECT_EQ(Cont().NLAM, 3);
}

TEST(Lams, LamsToAOffsetsMirrorAndAbsolute) {
  SynEnv env;
  struct TCase {
    TARe in;
    TARe out;
  } cases[] = {
      {R1({0, 10, 20}), R1({6302.48, 6302.49, 6302.5, 6302.51, 6302.52})},
      {R1({10, 20}), R1({6302.51, 6302.52})},
      {R1({6302.4, 6302.6}), R1({6302.4, 6302.6})},
  };
  for (const TCase& c : cases) {
    TARe l = c.in;
    int32_t n = static_cast<int32_t>(l.size()) - 1;
    LamsToA(n, l, 6302.5);
    ASSERT_EQ(n, static_cast<int32_t>(c.out.size()) - 1);
    for (int32_t i = 1; i <= n; ++i) EXPECT_NEAR(l[i], c.out[i], 1e-9);
  }
  TARe far = R1({6320.0, 6321.0});
  int32_t n = 2;
  LamsToA(n, far, 6302.5);
  EXPECT_EQ(far[1], 6320.0);
  EXPECT_EQ(env.Count("LamsToA ERR"), 1);
}

TEST(Lams, GridHalfFullAndRange) {
  {
    // a single unshifted line: a half profile from the centre
    TLamEnv e({"#DLK 100", "#NLAM 11"});
    ASSERT_TRUE(VariLoadLam());
    TUNNO u;
    u.SetDefaults();
    CareLams(u);
    EXPECT_EQ(u.NDL, 11);
    EXPECT_EQ(u.KSym, 1);
    EXPECT_NEAR(u.UL[1], 6302.5, 1e-9);
    EXPECT_NEAR(u.UL[11], 6302.6, 1e-9);
  }
  {
    // a velocity varying over depth: the full profile -100..+100 mA
    TLamEnv e({"#DLK 100", "#NLAM 11"});
    Cont().KindVD = 'L';
    Cont().ConstVD = false;
    ASSERT_TRUE(VariLoadLam());
    TUNNO u;
    u.SetDefaults();
    CareLams(u);
    EXPECT_EQ(u.NDL, 21);
    EXPECT_EQ(u.KSym, 2);
    EXPECT_NEAR(u.UL[1], 6302.4, 1e-9);
    EXPECT_NEAR(u.UL[21], 6302.6, 1e-9);
  }
  {
    TLamEnv e({"#LIN 6301_6303", "#NLAM 201"});
    ASSERT_TRUE(VariLoadLam());
    TUNNO u;
    u.SetDefaults();
    CareLams(u);
    EXPECT_EQ(u.NDL, 201);
    EXPECT_EQ(u.KSym, 2);
    EXPECT_NEAR(u.UL[1], 6301, 1e-9);
    EXPECT_NEAR(u.UL[101], 6302, 1e-9);
    EXPECT_NEAR(u.UL[201], 6303, 1e-9);
  }
  {
    // a list given as well as "#DLK" is contradictory
    TLamEnv e({"#DLK 100", "#NLAM 11", "#LAMS 0 10"});
    ASSERT_TRUE(VariLoadLam());
    TUNNO u;
    u.SetDefaults();
    try {
      CareLams(u);
      ADD_FAILURE() << "no fatal stop";
    } catch (const EInOutError& x) {
      EXPECT_NE(std::string(x.what()).find("неоднозначно"_cp), std::string::npos);
    }
  }
}

// Fake kernels: start depth 1, the advance writes X1 + i / 100 into I and -X1 into V.
void FakeKernels(int* Calls = nullptr) {
  Synthesis().StartDepths.Install([](const TARe& UL, TARe& X00) { X00.assign(UL.size(), 1.0); });
  Synthesis().AdvancePoint.Install(
      [Calls](int32_t I, TUNNO& U, double, double X1, double) {
        U.UI[I] = X1 + I / 100.0;
        U.UV[I] = -X1;
        if (Calls) ++*Calls;
      });
}

std::unique_ptr<TUNNO> GridProfile() {
  auto u = std::make_unique<TUNNO>();
  u->SetDefaults();
  u->PureUL(5, 0, 6302.5, 40, 0);
  u->K4 = 4;
  u->sULin = "FE6302";
  u->sObs = "OBS";
  u->QUESTRef = "QO";
  u->IQRef = 1;
  u->KVARIRef = 3;
  u->sIdRef = "QO_1_3";
  return u;
}

TEST(Stes, OneProfilePerOutputDepth) {
  TLamEnv e({"#LIN FE6302"});
  FakeKernels();
  Cont().AXOUT = R1({0.0, -1.0});
  auto u = GridProfile();
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  ASSERT_TRUE(STES(job, u, L, last));
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(last, L.Items(1));
  for (int d = 0; d < 2; ++d) {
    const TUNNO& p = *L.Items(d);
    const double x = d == 0 ? 0.0 : -1.0;
    EXPECT_EQ(p.LGT, x);
    EXPECT_EQ(p.KLGT, 1);
    EXPECT_EQ(p.NDL, 5);
    for (int32_t i = 1; i <= 5; ++i) {
      EXPECT_NEAR(p.UI[i], x + i / 100.0, 1e-12);
      EXPECT_EQ(p.UK[i], 1);
    }
    // the profile's line and comparison references survive the copy for the next depth
    EXPECT_EQ(p.sULin, "FE6302");
    EXPECT_EQ(p.sObs, "OBS");
    EXPECT_EQ(p.QUESTRef, "QO");
    EXPECT_EQ(p.IQRef, 1);
    EXPECT_EQ(p.KVARIRef, 3);
    EXPECT_EQ(p.sIdRef, "QO_1_3");
  }
  EXPECT_EQ(job.LastProgress().Total, 10);
}

TEST(Stes, CancelAddsNoHalfMadeProfile) {
  TLamEnv e({"#LIN FE6302"});
  int calls = 0;
  FakeKernels(&calls);
  TJob job;
  Synthesis().AdvancePoint.Install([&](int32_t I, TUNNO& U, double, double X1, double) {
    U.UI[I] = X1;
    if (++calls == 7) job.Cancel();  // in the second depth
  });
  Cont().AXOUT = R1({0.0, -1.0});
  auto u = GridProfile();
  TLUNNO L;
  TUNNO* last = nullptr;
  EXPECT_FALSE(STES(job, u, L, last));
  EXPECT_EQ(L.Count(), 1);  // the first depth only
  EXPECT_EQ(calls, 7);
}

TEST(Stes, WithoutKernelsNothingIsAdded) {
  TLamEnv e({"#LIN FE6302"});
  Cont().AXOUT = R1({0.0});
  auto u = GridProfile();
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  EXPECT_FALSE(STES(job, u, L, last));
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(e.env.Count("PLAM"), 1);
}

}  // namespace
