// Values at any wavelength through the kept splines, the line centre, indices of wavelengths, the
// offsets of the points and the check of the reference point.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "support/Arrays1.h"
#include "support/SynEnv.h"

using testsupport::R1;
using testsupport::SynEnv;
using testsupport::TLine;

namespace {

// 11 points 6302.40 .. 6302.60, I = 1 - 0.5 (1 - ((l - 6302.5)/0.1)^2) (a parabola), V = l - 6302.5.
void Parabola(TUNNO& U) {
  U.SetDefaults();
  U.SetULEqd(11, 6302.5, 6302.6, 6302.4);
  U.AllocU();
  for (int32_t i = 1; i <= 11; ++i) {
    const double x = (U.UL[i] - 6302.5) / 0.1;
    U.UI[i] = 1 - 0.5 * (1 - x * x);
    U.UV[i] = U.UL[i] - 6302.5;
  }
}

TEST(UnnoAccess, RelativeValuesAndKeptSplines) {
  SynEnv env;
  TUNNO u;
  Parabola(u);
  const double x = 6302.437;
  const double plain = u.ISpl(x);
  EXPECT_NEAR(plain, 1 - 0.5 * (1 - 0.63 * 0.63), 1e-9);
  u.CONT = 2;
  EXPECT_NEAR(u.IAt(x), plain / 2, 1e-12);
  u.CONT = 0;
  EXPECT_NEAR(u.IAt(x), plain, 1e-12);
  u.CONT = 2;
  u.KCONT = 1;  // already divided
  EXPECT_NEAR(u.IAt(x), plain, 1e-12);

  // changing the arrays does not change the values until the set is freed
  for (double& v : u.UI) v = 0.25;
  EXPECT_NEAR(u.IAt(x), plain, 1e-12);
  u.FreeSplines();
  EXPECT_NEAR(u.IAt(x), 0.25, 1e-12);

  // the Doppler-shifted reading: the spline at x - DLVD, not relative
  u.KCONT = 0;
  u.DLVD = 0.01;
  EXPECT_EQ(u.VAtD(x), u.VSpl(x - 0.01));
  EXPECT_NEAR(u.VAtD(x), x - 0.01 - 6302.5, 1e-9);
  EXPECT_NEAR(u.VAt(x), (x - 6302.5) / 2, 1e-9);
}

TEST(UnnoAccess, IntensityOnlyProfileBuildsNoSplineForQ) {
  SynEnv env;
  TUNNO u;
  Parabola(u);
  u.DropQUV();
  EXPECT_EQ(u.QAt(6302.5), 0);
  EXPECT_EQ(u.VAt(6302.5), 0);
  EXPECT_EQ(u.SPLINE, 0);
  EXPECT_EQ(u.SplQ, nullptr);
}

TEST(UnnoAccess, FindLamIdxCases) {
  SynEnv env;
  TUNNO u;
  Parabola(u);
  const double step = 0.02;
  struct TCase {
    double x;
    int32_t idx;
    bool warns;
  } cases[] = {
      {6302.48, 5, false},                 // a grid point
      {6302.46 + step / 3, 4, true},       // a third of the way between points 4 and 5
      {6302.7, -1, true},                  // beyond the grid
      {6302.6, 11, false},                 // the last point
      {6302.4, 1, false},                  // the first point
      {6302.48 - 1e-11, 5, false},         // a rounding error below a grid point
  };
  for (const TCase& c : cases) {
    env.sink.texts.clear();
    EXPECT_EQ(FindLamIdx(u, c.x), c.idx) << c.x;
    EXPECT_EQ(env.Count("FindLamIdx Warning"), c.warns ? 1 : 0) << c.x;
  }
  EXPECT_NEAR(u.LamIdxF(6302.47), 4.5, 1e-9);
}

TEST(UnnoAccess, LineCentreOfAnOffGridLine) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeFull(u, TLine{}, 6302.0, 6303.0, 0.002);
  ASSERT_EQ(u.NDL, 501);
  EXPECT_NEAR(u.GetLam(), 6302.513, 2e-4);
  EXPECT_EQ(u.LamC, u.GetLam());
  // ends of equal depth: integrated from both ends at once, a symmetric line gives its centre
  TUNNO s;
  TLine sym;
  sym.L0 = 6302.5;
  testsupport::MakeFull(s, sym, 6302.2, 6302.8, 0.01);
  EXPECT_NEAR(s.GetLam(), 6302.5, 1e-9);
  // the right end deeper (a neighbouring line in the red wing)
  TUNNO t;
  testsupport::MakeFull(t, TLine{}, 6302.0, 6303.0, 0.002);
  t.UI[t.NDL] -= 0.05;
  EXPECT_NEAR(t.GetLam(), 6302.513, 5e-4);
  EXPECT_EQ(env.Count("Где-то ошибка"_cp), 0);
  // a half profile: the centre point
  TUNNO h;
  testsupport::MakeHalf(h, TLine{}, 5, 10);
  EXPECT_EQ(h.GetLam(), 6302.513);
  EXPECT_EQ(h.GetLamVD(), 6302.513);
}

TEST(UnnoAccess, OffsetsOfThePoints) {
  SynEnv env;
  TUNNO u;
  Parabola(u);
  u.DLVD = 0.02;
  EXPECT_NEAR(u.dl_mA(7), 0, 1e-7);  // UL[7] = 6302.52 = LAMB + DLVD
  EXPECT_EQ(u.dl_A(7), u.UL[7]);
  EXPECT_THROW(u.dl_A(12), EInOutError);
  EXPECT_THROW(u.dl_mA(0), EInOutError);
  u.ChDL = 'X';
  EXPECT_THROW(u.dl_A(1), EInOutError);
  TARe d;
  u.ChDL = 'A';
  u.GetDLmA(d);
  ASSERT_EQ(d.size(), 12u);
  EXPECT_NEAR(d[1], -120, 1e-7);
}

TEST(UnnoAccess, CheckLAMBMovesTheReferencePoint) {
  SynEnv env;
  TUNNO u;
  Parabola(u);
  ASSERT_EQ(u.ILAM, 6);
  u.ILAM = 7;
  EXPECT_TRUE(u.CheckLAMB("T"));
  EXPECT_EQ(u.ILAM, 6);
  // LAMB off the grid: the line centre's point and wavelength are taken
  u.LAMB = 6302.511;
  EXPECT_TRUE(u.CheckLAMB("T"));
  EXPECT_EQ(u.ILAM, 6);
  EXPECT_NEAR(u.LAMB, 6302.5, 1e-9);
  // the obsolete scale is refused
  u.ChDL = '0';
  EXPECT_FALSE(u.CheckLAMB("T"));
  EXPECT_TRUE(env.sink.Has("TUNNO(QTEST-1).T ChDL=0, а должно быть ChDL=A"_cp));
}

TEST(UnnoAccess, PointOperations) {
  SynEnv env;
  TUNNO u;
  Parabola(u);
  u.CONT = 3;
  PointToCont(u, 2);
  EXPECT_EQ(u.UI[2], 3);
  EXPECT_EQ(u.UV[2], 0);
  PointScale(u, 11, 2);
  EXPECT_NEAR(u.UV[11], 0.2, 1e-9);
  EXPECT_NEAR(u.RI(11), 2.0 / 3, 1e-9);
}

}  // namespace
