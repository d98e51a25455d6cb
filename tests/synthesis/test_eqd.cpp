// The automatic wavelength grid on fake point kernels that give an analytic line (a Gaussian
// depression): the levels placed on the wings, the flags of the points, the seeds of the
// previous combination, the bounds of the loops and the errors naming line, level and
// wavelength, the single output depth, cancel.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "support/Arrays1.h"
#include "support/SynEnv.h"
#include "synthesis/drivers/cvEqd.h"
#include "synthesis/drivers/cvLams.h"
#include "synthesis/profiles/cvLUnno.h"

using testsupport::R1;
using testsupport::SynEnv;

namespace {

// A synthesis layer whose point kernels give Line's intensity at the point's wavelength.
struct TEqdEnv {
  SynEnv env;
  TOwnCalcContext calc;
  TCalcScope scope{calc};
  testsupport::TLine line;
  int32_t calls = 0;
  TEqdLimits saved = EqdLimits();
  TEqdEnv() {
    ResetModelServices();
    Models().DirOf.Install([](const std::string&, const std::string&) { return std::string(); });
    Synthesis().StartDepths.Install([](const TARe& UL, TARe& X00) { X00.assign(UL.size(), 1.0); });
    Synthesis().AdvancePoint.Install([this](int32_t I, TUNNO& U, double, double, double) {
      U.UI[I] = line.I(U.UL[I]);
      U.CONT = line.C;
      U.UK[I] = 1;
      ++calls;
    });
    TCONT& C = Cont();
    C.AXOUT = R1({-4.0});
    C.LamEqD[0] = 2;
    C.LamEqD[1] = 20;
    C.LamEqD[2] = 0.0001;
    C.LamEqD[3] = 20000;
    line.L0 = 6302.5;
    line.D = 0.6005;
    line.Wi = 0.06;
  }
  ~TEqdEnv() {
    EqdLimits() = saved;
    ResetModelServices();
  }
  std::unique_ptr<TUNNO> Profile(int32_t KSym) const {
    auto u = std::make_unique<TUNNO>();
    u->SetDefaults();
    u->LAMB = 6302.5;
    u->KSym = KSym;
    u->K4 = 1;
    u->sULin = "FE6302";
    return u;
  }
};

struct TFlags {
  int32_t red = 0, blue = 0, redFinal = 0, blueFinal = 0, start = 0, extr = 0;
};
TFlags Count(const TUNNO& U) {
  TFlags f;
  for (int32_t i = 1; i <= U.NDL; ++i) {
    const int32_t k = U.UK[i];
    EXPECT_TRUE(k & 1) << i;  // every point computed
    f.start += (k & 2) != 0;
    f.extr += (k & 4) != 0;
    f.red += (k & 8) != 0;
    f.blue += (k & 16) != 0;
    f.redFinal += (k & 32) != 0;
    f.blueFinal += (k & 64) != 0;
  }
  return f;
}

// The final level points, each at its level: 1 - 2 %, 1 - 4 %, ... outwards.
void ExpectLevels(const TUNNO& U, int32_t Bit, int32_t N) {
  std::set<int32_t> levels;
  for (int32_t i = 1; i <= U.NDL; ++i) {
    if (!(U.UK[i] & Bit)) continue;
    const double depth = (1 - U.UI[i] / U.CONT) * 100;
    const int32_t k = static_cast<int32_t>(std::lround(depth / 2));
    EXPECT_NEAR(depth, 2.0 * k, 2e-4) << "point " << i << " at " << U.UL[i];
    levels.insert(k);
  }
  EXPECT_EQ(static_cast<int32_t>(levels.size()), N);
  if (N > 0) {
    EXPECT_EQ(*levels.begin(), 1);
    EXPECT_EQ(*levels.rbegin(), N);
  }
}

// A 60 % line with the defaults: 30 final red levels (2 % .. 60 %), each point at its level;
// a half profile leaves the blue side alone; every inserted wavelength has 7 decimals; every
// point integrated once.
TEST(Eqd, SixtyPercentLineThirtyRedLevels) {
  TEqdEnv e;
  auto u = e.Profile(1);
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  ASSERT_TRUE(STESAUTO(job, u, nullptr, L, last));
  ASSERT_EQ(L.Count(), 1);
  const TUNNO& p = *last;
  const TFlags f = Count(p);
  EXPECT_EQ(f.redFinal, 30);
  EXPECT_EQ(f.blue + f.blueFinal, 0);
  EXPECT_GE(f.extr, 1);
  ExpectLevels(p, 32, 30);
  EXPECT_EQ(p.UL[1], 6302.5);
  EXPECT_EQ(p.ILAM, 1);
  for (int32_t i = 1; i <= p.NDL; ++i) {
    EXPECT_GE(p.UL[i], 6302.5);
    EXPECT_NEAR(p.UL[i] * 1e7, std::round(p.UL[i] * 1e7), 1e-3) << p.UL[i];
    if (i > 1) {
      EXPECT_GT(p.UL[i], p.UL[i - 1]);
    }
  }
  // the start grid ends where the line is shallower than the level step
  EXPECT_LT((1 - p.UI[p.NDL] / p.CONT) * 100, 2);
  EXPECT_EQ(e.calls, p.NDL);
  EXPECT_EQ(p.LGT, -4.0);
  EXPECT_EQ(p.KLGT, 1);
  EXPECT_GT(p.Teff, 0);
  EXPECT_EQ(job.LastProgress().Done, p.NDL);
}

// A full profile of a line shifted to the red: both sides refined; the red side reaches the
// line's bottom (30 levels), the blue side only the depth at the reference wavelength (58.4 %:
// 29 levels), its points below the line's centre.
TEST(Eqd, FullProfileBothSides) {
  TEqdEnv e;
  e.line.L0 = 6302.51;
  auto u = e.Profile(2);
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  ASSERT_TRUE(STESAUTO(job, u, nullptr, L, last));
  const TUNNO& p = *last;
  const TFlags f = Count(p);
  EXPECT_EQ(f.redFinal, 30);
  EXPECT_EQ(f.blueFinal, 29);
  ExpectLevels(p, 32, 30);
  ExpectLevels(p, 64, 29);
  for (int32_t i = 1; i <= p.NDL; ++i) {
    if (p.UK[i] & 64) {
      EXPECT_LT(p.UL[i], 6302.51);
    }
    if (p.UK[i] & 32) {
      EXPECT_GT(p.UL[i], 6302.51);
    }
  }
  EXPECT_EQ(p.UL[p.ILAM], 6302.5);
}

// A line-of-sight shift (DLVD) is already in the computed profile: the crossings are placed on
// the profile's own wavelengths, not moved by the shift again (each final point on its level).
TEST(Eqd, ShiftedLineLevelsOnTheProfile) {
  TEqdEnv e;
  auto u = e.Profile(1);
  u->DLVD = 0.004;
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  ASSERT_TRUE(STESAUTO(job, u, nullptr, L, last));
  EXPECT_EQ(Count(*last).redFinal, 30);
  ExpectLevels(*last, 32, 30);
}

// A line shallower than the level step: the start grid and the extremum, no level point.
TEST(Eqd, ShallowLineHasNoLevels) {
  TEqdEnv e;
  e.line.D = 0.015;
  auto u = e.Profile(1);
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  ASSERT_TRUE(STESAUTO(job, u, nullptr, L, last));
  const TFlags f = Count(*last);
  EXPECT_EQ(f.red + f.redFinal + f.blue + f.blueFinal, 0);
  EXPECT_LE(last->NDL, 2);
}

// The next combination starts from the final red level points of the previous one (each in the
// start grid); the profile itself as its previous one (RECONT) carries nothing over; the
// fourth number of "#LAM_eqD" changes nothing.
TEST(Eqd, SeedsOfThePreviousCombination) {
  TEqdEnv e;
  TLUNNO L;
  TUNNO* first = nullptr;
  TJob job;
  auto u = e.Profile(1);
  ASSERT_TRUE(STESAUTO(job, u, nullptr, L, first));
  std::set<double> seeds;
  for (int32_t i = 1; i <= first->NDL; ++i)
    if (first->UK[i] & 32) seeds.insert(first->UL[i]);
  ASSERT_EQ(seeds.size(), 30u);
  e.line.Wi = 0.062;  // the next combination's line is a little wider
  Cont().LamEqD[3] = 5;
  TUNNO* second = nullptr;
  auto u2 = e.Profile(1);
  ASSERT_TRUE(STESAUTO(job, u2, first, L, second));
  int32_t found = 0;
  for (int32_t i = 1; i <= second->NDL; ++i)
    if (seeds.count(second->UL[i])) {
      ++found;
      EXPECT_TRUE(second->UK[i] & 2) << second->UL[i];
    }
  EXPECT_EQ(found, 30);
  ExpectLevels(*second, 32, 30);
  // no seeds: the grid of a first combination; the fourth number changed nothing
  e.line.Wi = 0.06;
  auto u3 = e.Profile(1);
  const TUNNO* self = u3.get();
  TUNNO* third = nullptr;
  ASSERT_TRUE(STESAUTO(job, u3, self, L, third));
  EXPECT_EQ(third->UL, first->UL);
  EXPECT_EQ(third->UK, first->UK);
  EXPECT_EQ(third->UI, first->UI);
}

// The fourth number is read and must be a number.
TEST(Eqd, FourthNumberMustBeANumber) {
  SynEnv env;
  TOwnCalcContext calc;
  TCalcScope scope(calc);
  ResetModelServices();
  auto v = std::make_unique<TVARIATOR>("QTEST", 1);
  v->AddPQOneStr("#LAM_eqD 2 20 0.0001 many", true);
  TVARIATOR* V = v.get();
  env.ctx.LVARI->Append(std::move(v));
  env.ctx.VARI = V;
  V->KIdx = 1;
  EXPECT_FALSE(VariLoadLam());
  EXPECT_EQ(env.Count("в параметре many не число"_cp), 1);
}

// Not exactly one output depth: a warning and no profile.
TEST(Eqd, OneOutputDepthOnly) {
  TEqdEnv e;
  Cont().AXOUT = R1({-4.0, -3.0});
  auto u = e.Profile(1);
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  EXPECT_FALSE(STESAUTO(job, u, nullptr, L, last));
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(e.env.Count("а задано слоев вывода 2!"_cp), 1);
  EXPECT_EQ(e.calls, 0);
}

// The loops are bounded: a wing that does not come back to the continuum ends the run with an
// error that names the line, the level and the wavelength.
TEST(Eqd, BoundedLoopsNameLineLevelWavelength) {
  TEqdEnv e;
  e.line.Wi = 5;  // far wider than the bound allows
  EqdLimits().WingPoints = 40;
  auto u = e.Profile(1);
  TLUNNO L;
  TUNNO* last = nullptr;
  TJob job;
  try {
    STESAUTO(job, u, nullptr, L, last);
    FAIL() << "no error";
  } catch (const std::exception& x) {
    const std::string t = x.what();
    EXPECT_NE(t.find("FE6302"), std::string::npos) << t;
    EXPECT_NE(t.find("уровень 2.000%"_cp), std::string::npos) << t;
    EXPECT_NE(t.find("длина волны 6303.3200000"_cp), std::string::npos) << t;
  }
  EXPECT_EQ(L.Count(), 0);
  EXPECT_LE(e.calls, 41);
}

// A cancel between points adds no profile.
TEST(Eqd, CancelAddsNothing) {
  TEqdEnv e;
  TJob job;
  Synthesis().AdvancePoint.Install([&](int32_t I, TUNNO& U, double, double, double) {
    U.UI[I] = e.line.I(U.UL[I]);
    U.CONT = 1;
    if (++e.calls == 12) job.Cancel();
  });
  auto u = e.Profile(1);
  TLUNNO L;
  TUNNO* last = nullptr;
  EXPECT_FALSE(STESAUTO(job, u, nullptr, L, last));
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(last, nullptr);
  EXPECT_EQ(e.calls, 12);
}

}  // namespace
