// Central and maximum depth, monotonic runs, amplitudes, extrema, the red V lobe and the zero
// crossing of V, on synthetic profiles with known answers.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "support/Arrays1.h"
#include "support/SynEnv.h"

using testsupport::R1;
using testsupport::SynEnv;
using testsupport::TLine;

namespace {

// A full profile of the given intensities on 6302.40, 6302.41, ...
void Points(TUNNO& U, const TARe& I) {
  U.SetDefaults();
  const int32_t n = NOf(I);
  U.SetULEqd(n, 6302.4, 6302.4 + 0.01 * (n - 1), 6302.4);
  U.AllocU();
  U.UI = I;
}

TEST(UnnoDepth, CentralDepthAtTheCentreOfTheDepression) {
  SynEnv env;
  // the grid reaches further to the red than to the blue: the middle of the area under I
  // lies far from the line
  TUNNO u;
  testsupport::MakeFull(u, TLine{}, 6302.0, 6303.5, 0.002);
  EXPECT_NEAR(u.GetD0(), 0.6, 1e-3);
  // not divided by the continuum: relative
  TUNNO c;
  TLine l2;
  l2.C = 2;
  testsupport::MakeFull(c, l2, 6302.0, 6303.5, 0.002);
  EXPECT_NEAR(c.GetD0(), 0.6, 1e-3);
  // a half profile: 1 - I[1]/CONT
  TUNNO h;
  testsupport::MakeHalf(h, l2, 5, 10);
  EXPECT_NEAR(h.GetD0(), 0.6, 1e-12);
  // a profile without a line: 0 with a warning
  TUNNO f;
  Points(f, R1({1, 0.9, 0.8, 0.7}));
  EXPECT_EQ(f.GetD0(), 0);
  EXPECT_TRUE(env.sink.Has("UNNO.GetD0.Err: Ошибка при определении центра линии"_cp));
}

TEST(UnnoDepth, DepthOfAnOffGridLine) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeFull(u, TLine{}, 6302.0, 6303.0, 0.002);
  // the two points around the centre hold the same value: the bottom lies between them
  ASSERT_EQ(u.UI[257], u.UI[258]);
  EXPECT_NEAR(u.GetDepth(), 0.6, 1e-4);
  EXPECT_EQ(u.DepthOK, 1);
  EXPECT_NEAR(u.LDepth, 6302.513, 5e-4);
  EXPECT_NEAR(u.UL[u.IDepth], 6302.513, 0.0011);
  EXPECT_EQ(env.Count("этого не может быть"_cp), 0);
}

TEST(UnnoDepth, FlatBottomAndMinimumAtTheEdge) {
  SynEnv env;
  TARe I = R1({1, 1, 0.95, 0.9, 0.85, 0.8, 0.7, 0.6, 0.55, 0.5, 0.5, 0.5, 0.6, 0.8, 1});
  TUNNO u;
  Points(u, I);
  EXPECT_NEAR(u.GetDepth(), 0.5, 1e-12);
  EXPECT_EQ(u.IDepth, 11);
  EXPECT_NEAR(u.LDepth, (u.UL[10] + u.UL[12]) / 2, 1e-12);

  TUNNO e;
  Points(e, R1({0.3, 0.5, 0.7, 0.9}));
  e.LDepth = -1;
  EXPECT_NEAR(e.GetDepth(), 0.7, 1e-12);
  EXPECT_EQ(e.IDepth, 1);
  EXPECT_EQ(e.LDepth, -1);
}

TEST(UnnoDepth, MonotonicRunsOfAVShape) {
  SynEnv env;
  TUNNO u;
  Points(u, R1({1, 0.9, 0.8, 0.7, 0.6, 0.5, 0.6, 0.7, 0.8, 0.9, 1}));
  EXPECT_EQ(u.FindMonoRuns(), 1);
  const TMonoRuns& m = u.MonoRuns;
  EXPECT_EQ(m.MRDnBeg, 1);
  EXPECT_EQ(m.MRDnEnd, 6);
  EXPECT_EQ(m.MRUpBeg, 6);
  EXPECT_EQ(m.MRUpEnd, 11);
  EXPECT_EQ(m.MRSides, 2);
  EXPECT_NEAR(m.MRUpAmp, 1, 1e-12);
  EXPECT_NEAR(m.MRDnAmp, 1, 1e-12);
  EXPECT_NEAR(m.MRCoreDepth, 0.5, 1e-12);
  EXPECT_NEAR(m.MRWingDepth, 0, 1e-12);

  // a plateau splits a run; a wiggle in the wing makes a second rising run
  TUNNO w;
  Points(w, R1({1, 0.8, 0.6, 0.6, 0.4, 0.6, 0.8, 0.7, 0.9, 1}));
  EXPECT_EQ(w.FindMonoRuns(), 2);
  EXPECT_EQ(w.MonoRuns.MRDnBeg, 1);  // 1..3, not 1..5
  EXPECT_EQ(w.MonoRuns.MRDnEnd, 3);
  EXPECT_EQ(w.MonoRuns.MRUpBeg, 5);
  EXPECT_EQ(w.MonoRuns.MRUpEnd, 7);
}

TEST(UnnoDepth, AmplitudesAndStokesNames) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeFull(u, TLine{}, 6302.0, 6303.0, 0.002);
  EXPECT_NEAR(u.GetAmpl("RI"), 0.6, 1e-4);
  const double vmax = 0.2 * std::exp(-0.5) / std::sqrt(2.0);  // a u e^(-u^2) at u = 1/sqrt 2
  EXPECT_NEAR(u.GetAmpl("RV"), vmax, 1e-4);
  u.KDif = 1;
  EXPECT_NEAR(u.GetAmpl("RI"), 1, 1e-12);  // the largest |I| of a difference
  TUNNO i;
  testsupport::MakeFull(i, TLine{}, 6302.0, 6303.0, 0.002);
  i.DropQUV();
  EXPECT_EQ(i.GetAmpl("RV"), 0);
  TARe a = R1({1});
  i.GetUPar("QV", a);
  EXPECT_TRUE(a.empty());
  EXPECT_TRUE(env.sink.Has("UNNO.GetUPar - непонятный параметр Стокса <QV>"_cp));
}

TEST(UnnoDepth, ExtremaOfV) {
  SynEnv env;
  TUNNO u;
  TLine line;
  line.L0 = line.Lv = 6302.5;
  testsupport::MakeFull(u, line, 6302.2, 6302.8, 0.005);
  // the red lobe of V = a u e^(-u^2) is positive, its peak at u = 1/sqrt 2
  const double peak = 6302.5 + 0.04 / std::sqrt(2.0);
  EXPECT_NEAR(u.ExtrV(), peak, 2e-4);
  EXPECT_NEAR(u.UL[u.FindExtrR("V", -1)], peak, 0.005);
  EXPECT_NEAR(u.ExtrAt("V", 'L', -1), 2 * 6302.5 - peak, 2e-4);
  // the centroid of the red lobe above a fifth of its peak lies beyond the peak
  const double lobe = u.VLobe20();
  EXPECT_GT(lobe, 6302.5 + 0.02);
  EXPECT_LT(lobe, 6302.5 + 0.06);
  // no slope change to the red of the centre: the centre itself
  TUNNO m;
  Points(m, R1({1, 1, 1, 1, 1}));
  m.UV = R1({-0.4, -0.3, 0, 0.1, 0.2});
  m.LAMB = 6302.42;
  m.ILAM = 3;
  EXPECT_EQ(m.FindExtrR("V", 3), 3);
}

TEST(UnnoDepth, ZeroCrossingOfV) {
  SynEnv env;
  TLine line;
  line.Lv = 6302.5137;
  TUNNO u;
  testsupport::MakeFull(u, line, 6302.0, 6303.0, 0.002);
  EXPECT_NEAR(u.VZeroCross(), 6302.5137, 1e-4);
  // wiggles between the lobes: the crossing of the level between the middle pair of them
  TUNNO w;
  Points(w, R1({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
  w.UV = R1({0, -0.5, -0.3, -0.2, -0.25, 0, 0.25, 0.2, 0.3, 0.5, 0});
  EXPECT_NEAR(w.VZeroCross(), w.UL[6], 1e-9);
  // V of a field-free profile has no crossing: 0 with a warning
  TUNNO n;
  Points(n, R1({1, 1, 1, 1}));
  n.UV = R1({0, 0, 0, 0});
  EXPECT_EQ(n.VZeroCross(), 0);
  EXPECT_TRUE(env.sink.Has("UNNO.VZeroCross"));
}

}  // namespace

namespace {

TEST(UnnoDepth, NoCentreOnTheGridNamesNoExtremum) {
  SynEnv env;
  // the line centre lies beyond the grid (a monotonic wing): nothing before the array is read
  TUNNO u;
  Points(u, R1({1, 0.9, 0.8, 0.7, 0.6}));
  u.UV = R1({0, 0.1, 0.2, 0.1, 0});
  u.DLVD = 1;
  EXPECT_EQ(u.FindExtrR("V", -1), 0);
  EXPECT_EQ(u.ExtrV(), 0);
  EXPECT_EQ(u.VLobe20(), 0);
}

}  // namespace
