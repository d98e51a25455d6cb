// Wavelength grids and scales, blurred copies and current sets, the shift against a reference and
// the curve length.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "support/Arrays1.h"
#include "support/SynEnv.h"

using testsupport::R1;
using testsupport::SynEnv;
using testsupport::TLine;

namespace {

std::string FatalText(const std::function<void()>& F) {
  try {
    F();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return std::string();
}

TEST(UnnoGrid, SetULCases) {
  SynEnv env;
  struct TCase {
    TARe l;
    bool spread, constVD;
    int32_t ndl, ksym, ilam;
    TARe ul;
  } cases[] = {
      {R1({0, 10, 20}), true, true, 5, 1, 1, R1({6302.48, 6302.49, 6302.5, 6302.51, 6302.52})},
      {R1({0, 10, 20}), false, true, 3, 1, 1, R1({6302.5, 6302.51, 6302.52})},
      // a depth-dependent velocity: the half grid is spread
      {R1({0, 10, 20}), false, false, 5, 1, 1, R1({6302.48, 6302.49, 6302.5, 6302.51, 6302.52})},
      {R1({-10, 0, 10}), true, true, 3, 2, 2, R1({6302.49, 6302.5, 6302.51})},
      {R1({6302.4, 6302.5, 6302.6}), true, false, 3, 2, 2, R1({6302.4, 6302.5, 6302.6})},
      {R1({6302.4, 6302.45}), false, true, 2, 2, -1, R1({6302.4, 6302.45})},
  };
  for (const TCase& c : cases) {
    const bool cv = c.constVD;
    Synthesis().Calc.ConstVD = [cv] { return cv; };
    TUNNO u;
    u.SetDefaults();
    u.SetUL(c.l, 6302.5, c.spread);
    EXPECT_EQ(u.NDL, c.ndl) << c.l[1];
    EXPECT_EQ(u.KSym, c.ksym) << c.l[1];
    EXPECT_EQ(u.ILAM, c.ilam) << c.l[1];
    EXPECT_EQ(u.KL, 1);
    EXPECT_EQ(u.ChDL, 'A');
    EXPECT_EQ(u.LAMB, 6302.5);
    ASSERT_EQ(u.UL.size(), c.ul.size()) << c.l[1];
    for (size_t i = 1; i < c.ul.size(); ++i) EXPECT_NEAR(u.UL[i], c.ul[i], 1e-9) << c.l[1];
  }
  TUNNO u;
  EXPECT_NE(FatalText([&] { u.SetUL(TARe(), 6302.5, false); }).find("NOT ASSIGNED!"),
            std::string::npos);
  EXPECT_NE(FatalText([&] { u.SetUL(R1({}), 6302.5, false); }).find("НЕ ЗАПОЛНЕН"_cp),
            std::string::npos);
  EXPECT_NE(FatalText([&] { u.SetUL(R1({0, 20, 10}), 6302.5, false); })
                .find("Нарушение порядка длин волн в массиве \r\n0 20 10"_cp),
            std::string::npos);
}

TEST(UnnoGrid, EquidistantAndHalfGrids) {
  SynEnv env;
  TUNNO u;
  u.SetDefaults();
  u.SetULEqd(5, 6302.45, 6303.0, 6302.0);
  EXPECT_EQ(u.ILAM, 3);  // 6302.5 is nearer than 6302.25
  EXPECT_EQ(u.KSym, 2);
  EXPECT_EQ(u.LAMB, 6302.45);
  u.SetULEqd(5, 6301.0, 6303.0, 6302.0);
  EXPECT_EQ(u.ILAM, 1);
  EXPECT_EQ(u.LAMB, 6302.0);
  u.SetULEqd(5, 6304.0, 6303.0, 6302.0);
  EXPECT_EQ(u.ILAM, 5);
  EXPECT_EQ(u.LAMB, 6303.0);

  u.PureUL(3, 0.002, 6302.5, 200, 0);
  EXPECT_EQ(u.NDL, 3);
  EXPECT_EQ(u.KSym, 1);
  EXPECT_EQ(u.ILAM, 1);
  EXPECT_EQ(u.DLVD, 0.002);
  EXPECT_NEAR(u.UL[2], 6302.6, 1e-9);
  EXPECT_NEAR(u.UL[3], 6302.7, 1e-9);
  u.sULin = "FE6302";
  EXPECT_NE(FatalText([&] { u.PureUL(3, 0, 6302.5, 200, 10); }).find("UNNO.PureUL для sULin=FE6302"_cp),
            std::string::npos);
  EXPECT_NE(FatalText([&] { u.PureUL(3, 0, 500, 200, 0); }).find("Она должна быть > 1000А !!!"_cp),
            std::string::npos);
}

TEST(UnnoGrid, RelativeAndBackShiftsByDLVD) {
  SynEnv env;
  TUNNO u;
  u.SetDefaults();
  u.SetULEqd(5, 6302.5, 6302.54, 6302.5);
  const TARe l = u.UL;
  u.LambToRel();
  EXPECT_EQ(u.ChDL, '0');
  EXPECT_NEAR(u.UL[2], 0.01, 1e-9);
  u.LambToAbs();
  EXPECT_EQ(u.ChDL, 'A');
  for (int i = 1; i <= 5; ++i) EXPECT_NEAR(u.UL[i], l[i], 1e-9);
  // the reference point at LAMB + DLVD: the offsets are taken from there and DLVD becomes 0, so
  // the grid comes back shifted by -DLVD
  u.LAMB = 6302.49;
  u.DLVD = 0.01;
  u.ILAM = 1;
  u.LambToRel();
  EXPECT_EQ(u.DLVD, 0);
  u.LambToAbs();
  for (int i = 1; i <= 5; ++i) EXPECT_NEAR(u.UL[i], l[i] - 0.01, 1e-9);
  // a half profile on offsets with a shift: spread, then made absolute about LAMB + DLVD
  TUNNO h;
  h.SetDefaults();
  h.PureUL(3, 0, 6302.5, 20, 0);
  h.AllocU();
  h.UL = R1({0, 0.01, 0.02});
  h.ChDL = '0';
  h.DLVD = 0.005;
  h.LambToAbs();
  EXPECT_EQ(h.ChDL, 'A');
  EXPECT_EQ(h.KSym, 2);
  EXPECT_EQ(h.DLVD, 0);
  ASSERT_EQ(h.NDL, 5);
  EXPECT_NEAR(h.UL[1], 6302.485, 1e-9);
  EXPECT_NEAR(h.UL[5], 6302.525, 1e-9);
  // the reference point elsewhere: nothing changes
  u.DLVD = 0.05;
  u.LambToRel();
  EXPECT_EQ(u.ChDL, 'A');
  EXPECT_TRUE(env.sink.Has("UNNO.LambToRel дл.волны опорной точки UL[1]="_cp));
}

// The area of the depression 1 - I by trapezoids.
double Area(const TUNNO& U) {
  double s = 0;
  for (int32_t i = 2; i <= U.NDL; ++i)
    s += ((1 - U.UI[i]) + (1 - U.UI[i - 1])) / 2 * (U.UL[i] - U.UL[i - 1]);
  return s;
}

TEST(UnnoGrid, BlurredCopyKeepsTheAreaAndWidensTheLine) {
  SynEnv env;
  TUNNO src, b;
  testsupport::MakeFull(src, TLine{}, 6302.0, 6303.0, 0.002);
  src.KVARI = 4;
  src.sULin = "FE6302";
  TJob job("blur");
  RunJob(job, [&](TJob&) {
    b.CloneBlurKM(src, 2, 2);
    b.CloneBlurKM(src, 2, 2);
  });
  EXPECT_TRUE(env.sink.texts.empty());
  const double w = 6302.513 * 2 / 299792.4562;
  EXPECT_NEAR(w, 0.04205, 1e-5);
  const double depth = 0.6 * 0.05 / std::sqrt(0.05 * 0.05 + w * w);
  EXPECT_NEAR(depth, 0.4592, 1e-4);
  EXPECT_NEAR(b.GetDepth(), depth, 0.005 * depth);
  EXPECT_NEAR(Area(b), 0.6 * 0.05 * std::sqrt(M_PI), 0.005 * 0.05317);
  EXPECT_NEAR(Area(src), 0.05317, 1e-4);
  EXPECT_NEAR(b.GetLam(), 6302.513, 2e-4);
  EXPECT_EQ(b.ALG, "BLUR_km");
  EXPECT_EQ(b.Vma0, 2);
  EXPECT_EQ(b.BGau, 0);
  EXPECT_EQ(b.IQ, 2);
  EXPECT_EQ(b.KVARISrc, 4);
  EXPECT_EQ(b.sULin, "FE6302");
  // the smoothing warning goes to the job once, counted
  const auto ws = job.Warnings();
  int n = 0;
  for (const auto& x : ws)
    if (x.Text == "БЛУРРИНГ НАДО ПЕРЕДЕЛЫВАТЬ!"_cp) n = x.Count;
  EXPECT_EQ(n, 2);
  EXPECT_EQ(job.WarningCount(), 1);
  // V stays odd about the line
  EXPECT_NEAR(b.UV[257] + b.UV[258], src.UV[257] + src.UV[258], 1e-3);
}

TEST(UnnoGrid, HalfProfileIsBlurredWithItsMirrorImage) {
  SynEnv env;
  TLine line;
  line.L0 = line.Lv = 6302.5;
  TUNNO full, half, bf, bh;
  testsupport::MakeFull(full, line, 6302.0, 6303.0, 0.002);
  testsupport::MakeHalf(half, line, 251, 2);
  bf.CloneBlurMA(full, 1, 40);
  bh.CloneBlurMA(half, 1, 40);
  ASSERT_EQ(bh.NDL, 251);
  EXPECT_NEAR(bh.UL[1], 6302.5, 1e-9);
  for (int i : {1, 10, 40}) {
    EXPECT_NEAR(bh.UI[i], bf.UI[250 + i], 1e-6) << i;
    EXPECT_NEAR(bh.UV[i], bf.UV[250 + i], 1e-6) << i;
  }
}

TEST(UnnoGrid, CurrentBlurIsMadeOncePerWidth) {
  SynEnv env;
  TUNNO u;
  testsupport::MakeFull(u, TLine{}, 6302.0, 6303.0, 0.002);
  const double plain = u.IAt(6302.513);
  u.FillBlurKM(2);
  EXPECT_NEAR(u.VmaCur, 2, 1e-9);
  ASSERT_EQ(u.UIC.size(), u.UI.size());
  const double blurred = u.IAt(6302.513);
  EXPECT_NEAR(1 - blurred, 0.4592, 0.005 * 0.4592);
  u.UIC[5] = -7;  // a second call with the same width makes nothing
  u.FillBlurKM(2);
  EXPECT_EQ(u.UIC[5], -7);
  EXPECT_EQ(env.Count("БЛУРРИНГ НАДО ПЕРЕДЕЛЫВАТЬ!"_cp), 1);
  EXPECT_EQ(u.IAt(6302.513), blurred);  // its splines are kept
  u.FillBlur(0);
  EXPECT_EQ(u.VmaCur, 0);
  EXPECT_TRUE(u.UIC.empty());
  EXPECT_EQ(u.IAt(6302.513), plain);
  EXPECT_NE(FatalText([&] {
              u.LAMB = 0;
              u.FillBlurKM(1);
            }).find("FillBlurKM LAMB=0"),
            std::string::npos);
}

TEST(UnnoGrid, CurveLength) {
  SynEnv env;
  TUNNO u;
  u.SetDefaults();
  u.SetUL(R1({6302.49, 6302.5, 6302.51}), 6302.5, false);
  u.AllocU();
  u.UI = R1({1, 0.97, 1});
  u.KCONT = 1;
  u.CalcLCurvI();
  EXPECT_NEAR(u.LCurv, 2 * std::sqrt(1000.0), 1e-9);
  EXPECT_NEAR(u.LVar, 60, 1e-9);
  // from half the depth: the stretch between the crossings of 0.015
  TUNNO c;
  c.SetDefaults();
  c.SetUL(R1({6302.48, 6302.49, 6302.5, 6302.51, 6302.52}), 6302.5, false);
  c.AllocU();
  c.UI = R1({1, 1, 0.97, 1, 1});
  c.KCONT = 1;
  c.Depth = 0.03;
  c.DepthOK = 1;
  c.DCut = 0.5;
  c.CalcLCurvI();
  EXPECT_NEAR(c.LVar, 30, 1e-9);
  EXPECT_NEAR(c.LCurv, std::sqrt(1000.0), 1e-9);
  // a half profile is spread first
  TUNNO h;
  h.SetDefaults();
  h.PureUL(2, 0, 6302.5, 10, 0);
  h.AllocU();
  h.UI = R1({0.97, 1});
  h.KCONT = 1;
  h.CalcLCurvI();
  EXPECT_EQ(h.KSym, 2);
  EXPECT_NEAR(h.LCurv, 2 * std::sqrt(1000.0), 1e-9);
}

TEST(UnnoGrid, ShiftAgainstAReferenceUsesTheLineNotTheGrid) {
  SynEnv env;
  TLine a, b;
  b.L0 = a.L0 + 0.01;
  TUNNO ref, u;
  testsupport::MakeFull(ref, a, 6302.0, 6303.5, 0.002);
  testsupport::MakeFull(u, b, 6302.0, 6303.0, 0.002);
  u.CONT = 2;
  for (double& x : u.UI) x *= 2;
  ref.DivCont();
  u.CalcLambShift(&ref);
  EXPECT_EQ(u.KShift, 1);
  EXPECT_EQ(u.KCONT, 1);  // divided on the way
  EXPECT_EQ(u.URef, &ref);
  EXPECT_NEAR(u.LamShA, 0.01, 2e-4);
  // a reference not divided by its continuum is refused
  TUNNO r2;
  testsupport::MakeFull(r2, a, 6302.0, 6303.5, 0.002);
  u.CalcLambShift(&r2);
  EXPECT_EQ(u.KShift, 0);
  EXPECT_TRUE(env.sink.Has("URef0 профиль не поделен на континуум!"_cp));
}

}  // namespace

namespace {

TEST(UnnoGrid, TwoPointsAndUndefinedSymmetry) {
  SynEnv env;
  // two points: one segment, counted once
  TUNNO u;
  u.SetDefaults();
  u.SetUL(R1({6302.49, 6302.5}), 6302.5, false);
  u.AllocU();
  u.UI = R1({1, 0.97});
  u.KCONT = 1;
  u.CalcLCurvI();
  EXPECT_NEAR(u.LCurv, std::sqrt(1000.0), 1e-9);
  EXPECT_NEAR(u.LVar, 30, 1e-9);
  // an undefined symmetry has nothing to mirror: the points stay
  TUNNO z;
  z.SetDefaults();
  z.SetUL(R1({6302.49, 6302.5, 6302.51}), 6302.5, false);
  z.AllocU();
  z.KSym = 0;
  z.MakeFull();
  EXPECT_EQ(z.KSym, 2);
  EXPECT_EQ(z.NDL, 3);
  EXPECT_EQ(z.UI.size(), 4u);
}

}  // namespace
