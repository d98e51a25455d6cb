// The Test tab's benches without the window: the Gauss-fit group as texts (the wing section and
// the fit window, the units of the fields, the operation list, "H(4.1)", the field conversions
// and the line switch) on a two-line profile made from the model, and the centre-of-gravity
// slices of I±V and of an editor profile on profiles made here.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvCOGiv.h"
#include "scans/cvCurI.h"
#include "scans/cvGauss.h"
#include "scans/cvGaussForm.h"
#include "scans/cvScanServices.h"
#include "support/SinkRecorder.h"

namespace {

using testsupport::SinkRecorder;

// Both Fe I lines from the model: line 1 at 30.3, line 2 at 76.4 split by 800 G.
TARe PairProfile() {
  Tgs g1, g2;
  g1.La12 = 1;
  g1.Cont = g2.Cont = 20000;
  g1.Lam0 = 30.3;
  g1.DLD = 4.15;
  g1.DLDk = 0.8;
  g1.kSig = g2.kSig = 0.5;
  g2.La12 = 2;
  g2.Lam0 = 76.4;
  g2.DLD = 3.31;
  g2.DLDk = 0.88;
  g2.H = 800;
  TARe y(113, 0.0);
  for (int p = 1; p <= 112; ++p) {
    double a = 0, b = 0;
    gs_ProfI(g1, p - g1.Lam0, a);
    gs_ProfI(g2, p - g2.Lam0, b);
    y[static_cast<size_t>(p)] = a + b - 20000;
  }
  return y;
}

// A measurer holding the pair, the form with its continuum, as the FITS tab hands them over.
struct Bench {
  Bench() {
    ResetScanServices();
    TARe x(113, 0.0);
    for (int p = 1; p <= 112; ++p) x[static_cast<size_t>(p)] = p;
    form["edICont6301"] = "20000";
    CurILineFromForm(C(), form);
    GaussParamsToCurI(C(), Scans().CurISet);
    C().SetAXAY(x, PairProfile());
  }
  ~Bench() { ResetScanServices(); }
  TCurI& C() { return ScanCurI(); }
  bool Run(const std::string& Op) { return GaussFormRun(C(), Scans().CurISet, form, Op, env); }
  TGaussForm form = GaussFormDefaults();
  int draws = 0;
  TGaussEnv env{nullptr, [this] { ++draws; }};
};

TEST(GaussForm, WingSectionGivesTheFitWindowAndRefusesABadRange) {
  Bench b;
  ASSERT_TRUE(b.Run("bi"));
  const double le = ValReal(b.form["lbLeWi"]), ri = ValReal(b.form["lbRiWi"]);
  EXPECT_GT(le, 10);
  EXPECT_LT(le, 30.3);
  EXPECT_GT(ri, 30.3);
  EXPECT_LT(ri, 56);
  EXPECT_EQ(b.form["lbLeI1"].front(), '[');
  EXPECT_NE(b.form["edBiLevel"], "12345.678");
  EXPECT_NE(b.form["lbNLe2"], "00");
  ASSERT_TRUE(b.Run("report"));
  EXPECT_EQ(b.C().iB1, IntBelow(le) + 2);
  EXPECT_EQ(b.C().iR1, IntAbove(ri) - 2);
  EXPECT_EQ(b.draws, 1);
  // search ranges outside the profile are refused with the message; the labels stay
  struct Case {
    const char *i1, *i2;
  };
  for (const Case c : {Case{"0", "61"}, Case{"1", "113"}, Case{"61", "1"}}) {
    SinkRecorder rec;
    TGaussForm f = b.form;
    f["edILam1_1"] = c.i1;
    f["edILam1_2"] = c.i2;
    EXPECT_FALSE(WingSection(b.C(), f)) << c.i1 << ".." << c.i2;
    EXPECT_TRUE(rec.Has("1..112")) << c.i1 << ".." << c.i2;
    EXPECT_EQ(f["lbLeWi"], b.form["lbLeWi"]);
  }
  // without a full profile nothing happens, silently
  SinkRecorder rec;
  TCurI empty;
  EXPECT_FALSE(WingSection(empty, b.form));
  EXPECT_TRUE(rec.texts.empty());
}

TEST(GaussForm, FieldsKeepTheirUnitsBetweenFormAndModel) {
  Bench b;
  TCurI& c = b.C();
  c.gs.A = 2.5e-6;
  c.gs.a3 = 3e-4;
  c.gs.a3prev = -1e-4;
  c.gs.DLD = 4.123456;
  CurIToForm(c, b.form);
  EXPECT_EQ(b.form["edGSa"], "2.5");
  EXPECT_EQ(b.form["ed_a3"], "3.00000");
  EXPECT_EQ(b.form["ed_a3_0"], "-1.00000");
  EXPECT_EQ(b.form["edDLD6301"], "4.12346");
  TCurIFields g;
  GaussFieldsFromForm(b.form, g);
  EXPECT_DOUBLE_EQ(g.GSa * 1e-6, 2.5e-6);
  EXPECT_DOUBLE_EQ(g.a3 * 1e-4, 3e-4);
  // the line follows the centre: 56.5 is line 1, 56.51 line 2; labels that are no numbers
  b.form["edILam6301"] = "56.5";
  CurILineFromForm(c, b.form);
  EXPECT_EQ(c.gs.La12, 1);
  b.form["edILam6301"] = "56.51";
  CurILineFromForm(c, b.form);
  EXPECT_EQ(c.gs.La12, 2);
  b.form["lb_iX"] = "x";
  b.form["lbLeWi"] = "00.0000";
  GaussFieldsFromForm(b.form, g);
  EXPECT_EQ(g.iX, -1);
  EXPECT_EQ(g.LeWi, 0);
}

TEST(GaussForm, TheOperationListNeedsARepeatCount) {
  Bench b;
  ASSERT_TRUE(b.Run("bi"));
  TStringList& memo = Scans().CurISet.Gauss.FIOutMemo;
  {
    SinkRecorder rec;
    memo.Add("abc");
    memo.Add("k3");
    EXPECT_FALSE(b.Run("loop"));
    EXPECT_TRUE(rec.Has("Список операций в поле FITS.memoFIOut не заполнен!"_cp));
    EXPECT_TRUE(rec.Has("В первой строке должно быть число повторений."_cp));
    EXPECT_EQ(b.draws, 0);
  }
  // "3x": three repeats of no code; the model is still checked, shown and drawn
  memo.Clear();
  memo.Add("3x");
  memo.Add("k3");
  const int64_t checks = b.C().CheckCount;
  b.form["edDLD6301"] = "9";
  EXPECT_TRUE(b.Run("loop"));
  EXPECT_EQ(b.C().NRep, 3);
  EXPECT_EQ(b.C().CheckCount, checks + 1);
  EXPECT_EQ(b.form["edDLD6301"], "9.00000");
  EXPECT_EQ(b.draws, 1);
  // a real list runs every code each repeat, one check after each
  memo.Clear();
  for (const char* l : {"2", "k3", "L6"}) memo.Add(l);
  const int64_t before = b.C().CheckCount;
  EXPECT_TRUE(b.Run("loop"));
  EXPECT_EQ(b.C().CheckCount, before + 1 + 4);
}

TEST(GaussForm, H41StoresTheFieldOfTheSplittingItFinds) {
  Bench b;
  b.form["edILam6301"] = "76.8";
  b.form["cb_6301_02"] = "6302";
  b.form["edILam1_1"] = "62";
  b.form["edILam1_2"] = "112";
  b.form["edDLD6301"] = "3.31";
  b.form["edDLDk6301"] = "0.88";
  ASSERT_TRUE(b.Run("bi"));
  ASSERT_TRUE(b.Run("report"));
  ASSERT_TRUE(b.Run("H41"));
  const Tgs& g = b.C().gs;
  ASSERT_GT(g.DLHsave, 0);
  // H is the field of the splitting H41, so the splitting shown is H41 itself
  EXPECT_NEAR(b.C().H2DLH(), g.DLHsave, 1e-9);
  EXPECT_EQ(b.form["edGSdlh"], FDecSt(5, g.DLHsave));
  EXPECT_EQ(b.form["lb_H41"], "H(41)=" + FDecSt(5, g.DLHsave));
  EXPECT_GT(g.H, 100);
}

TEST(GaussForm, FieldConversionsAndTheLineSwitch) {
  TGaussForm f = GaussFormDefaults();
  f["ed_H_Gs"] = "1000";
  HGsToDLH(f);
  EXPECT_EQ(f["edGSdlh"], ShortSt(5, ZeemanDLam(1.669, 6301.5, 1000) / 21.549));
  EXPECT_EQ(f["lb_B6301"], "1000");
  f["ed_H_Gs"] = "x";
  HGsToDLH(f);
  EXPECT_EQ(f["lb_B6301"], "1000");
  // switching to 6302: a centre of 30 takes the start centre, 70 is kept
  f["cb_6301_02"] = "6302";
  EXPECT_EQ(DefaultL0(f), 76.8);
  f["edILam6301"] = "30";
  EXPECT_FALSE(SwitchLineTexts(f, 77.25));
  EXPECT_EQ(f["edILam6301"], "77.2500");
  EXPECT_EQ(f["edILam1_1"], "62");
  f["edILam6301"] = "70";
  SwitchLineTexts(f, 77.25);
  EXPECT_EQ(f["edILam6301"], "70");
  RestartTexts(f, 76.8);
  EXPECT_EQ(f["edDLD6301"], "3.31");
  EXPECT_EQ(f["edDLD_0"], "3.31");
  EXPECT_EQ(f["edDLDk6301"], "0.88");
}

// I+V and I-V of both lines: Gaussian dips at the line centres shifted by -S/2 and +S/2 pixels.
TCOGivProfile IVProfile(double S) {
  TCOGivProfile p;
  p.Cont = 10000;
  for (TARe* a : {&p.IpV, &p.ImV, &p.I}) a->assign(113, 0.0);
  for (int i = 1; i <= 112; ++i) {
    auto dip = [&](double c, double d) { return d * std::exp(-std::pow((i - c) / 3.0, 2)); };
    const size_t k = static_cast<size_t>(i);
    p.IpV[k] = 10000 - dip(30 + S / 2, 6000) - dip(80 + S / 2, 7000);
    p.ImV[k] = 10000 - dip(30 - S / 2, 6000) - dip(80 - S / 2, 7000);
    p.I[k] = 10000 - dip(30, 6000) - dip(80, 7000);
  }
  return p;
}

int Words(const std::string& L) {
  int n = 0;
  bool in = false;
  for (char c : L) {
    if (c != ' ' && !in) ++n;
    in = c != ' ';
  }
  return n;
}

TEST(COGiv, SliceTablesOfIpmV) {
  EXPECT_DOUBLE_EQ(COGdLam(kCOGLine1, 56.5), 0.5792);
  EXPECT_DOUBLE_EQ(COGdLam(kCOGLine2, 56.5), -0.4132);
  EXPECT_NEAR(COGField(kCOGLine2, 1), 21.549 / 0.09223975809677025, 1e-9);
  TCOGivMaps maps;
  maps.d0Full1 = 4000;
  maps.d0Full2 = 3000;
  TCOGivTable t;
  // equal I+V and I-V: no field in any row
  COGivSlices(IVProfile(0), maps, 0, 0, '9', 15, t);
  ASSERT_EQ(t.N, 9);
  ASSERT_EQ(t.Lines.Count(), 10);
  EXPECT_EQ(Words(t.Lines[0]), 33) << t.Lines[0];
  for (int k = 1; k <= 9; ++k) {
    EXPECT_NEAR(t.B1[static_cast<size_t>(k)], 0, 1e-6);
    EXPECT_NEAR(t.B2[static_cast<size_t>(k)], 0, 1e-6);
    EXPECT_EQ(Words(t.Lines[k]), 33) << t.Lines[k];
  }
  EXPECT_DOUBLE_EQ(t.d[9], 0.9);
  // a shift of one pixel between I+V and I-V: one pixel's field in every slice
  COGivSlices(IVProfile(1), maps, 0, 0, 'N', 15, t);
  ASSERT_EQ(t.N, 15);
  EXPECT_EQ(t.Lines.Count(), 16);
  for (int k = 1; k <= 15; ++k) {
    EXPECT_NEAR(t.B1[static_cast<size_t>(k)], COGField(kCOGLine1, 1), 2) << k;
    EXPECT_NEAR(t.B2[static_cast<size_t>(k)], COGField(kCOGLine2, 1), 2) << k;
  }
  EXPECT_DOUBLE_EQ(t.d[1], 0.5 / 15);
  // the I centres give the velocity of the rest position: pixel 30 against line 1
  EXPECT_NEAR(t.vi1[5], COGdLam(kCOGLine1, 30) * kCOGLine1.CperL, 1e-3);
  // any other scheme: the header alone
  COGivSlices(IVProfile(0), maps, 0, 0, 'x', 15, t);
  EXPECT_EQ(t.N, 0);
  EXPECT_EQ(t.Lines.Count(), 1);
}

TEST(COGiv, MissingMapsReadZeroWithOneWarningEach) {
  ResetScanServices();
  SinkRecorder rec;
  TCOGivMaps m;
  m.BIV1 = 5;
  COGMapValues("20190622_1645", 10, 4, m);
  EXPECT_EQ(m.BIV1, 0);
  int n = 0;
  for (const std::string& t : rec.texts)
    if (t.find("не рассчитана карта"_cp) != std::string::npos) ++n;
  EXPECT_EQ(n, 12);
  EXPECT_TRUE(rec.Has("В сеансе 20190622_1645 не рассчитана карта BIV1"_cp));
  ResetScanServices();
}

TEST(COGiv, SlicesOfAnEditorProfile) {
  // a sampled Gaussian line at 40.3 on a continuum of 1
  TARe x(81, 0.0), y(81, 0.0);
  for (int i = 1; i <= 80; ++i) {
    x[static_cast<size_t>(i)] = i;
    y[static_cast<size_t>(i)] = 1 - 0.6 * std::exp(-std::pow((i - 40.3) / 4.0, 2));
  }
  TStringList out;
  TARe gx, gy;
  COGEdSlices(x, y, 5, 0, 0, 0, 0, out, gx, gy);
  ASSERT_EQ(gx.size(), 6u);
  for (size_t k = 1; k < gx.size(); ++k) EXPECT_NEAR(gx[k], 40.3, 0.05) << k;
  EXPECT_GT(gy[1], gy[5]);  // from the top slice down
  EXPECT_NE(out[0].find("J"), std::string::npos);
  bool sep = false;
  for (int i = 0; i < out.Count(); ++i) sep = sep || out[i] == "========================";
  EXPECT_TRUE(sep);
  COGEdSlices(x, y, 1, 0, 0, 0, 0, out, gx, gy);
  EXPECT_GT(out.Count(), 0);
  EXPECT_EQ(gx.size(), 1u);
}

TEST(COGiv, TwoCoresAreOrderedByPixelWhateverIsDeeper) {
  // the red line deeper: the blue core is still line 1 and the cores' distance positive
  TCOGivProfile p = IVProfile(0.4);
  for (int i = 1; i <= 112; ++i) {
    const size_t k = static_cast<size_t>(i);
    const double extra = 2500 * std::exp(-std::pow((i - 80) / 3.0, 2));
    p.IpV[k] -= extra;
    p.ImV[k] -= extra;
  }
  TCurIV iv;
  double S = 0;
  ASSERT_TRUE(AlgoCores(p.IpV, p.ImV, 10000, iv, S));
  EXPECT_LT(iv.iMinP1, 56);
  EXPECT_GE(iv.iMinP2, 56);
  EXPECT_NEAR(S, 50, 0.1);
  EXPECT_GT(iv.LP1 - iv.LM1, 0.2);
  EXPECT_GT(iv.LP2 - iv.LM2, 0.2);
  // no line at all: no core slice, no dispersion; refused
  SinkRecorder rec;
  const TARe flat(113, 10000.0);
  EXPECT_FALSE(AlgoCores(flat, flat, 10000, iv, S));
  EXPECT_TRUE(rec.Has("S = 0"));
  EXPECT_FALSE(AlgoCores(TARe(50, 1.0), TARe(50, 1.0), 1, iv, S));
}

}  // namespace
