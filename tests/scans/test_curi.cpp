// The line measurement object on profiles made here from the model's closed form (gs_ProfI):
// the check's corrections are exact ratios and differences for such profiles, so a profile equal
// to the model gives neutral corrections and a single differing parameter is recovered by one
// refit. Then the check's pixel sets, the refit codes' limits, the field step, the width
// iteration, the sequences' options and the report lines word for word.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvCurI.h"
#include "scans/cvCurISetup.h"
#include "scans/cvGauss.h"
#include "scans/cvScanServices.h"

namespace {

// Line 1 (or 2 with a field) as the core fits start it.
Tgs Model(int Line, double H = 0) {
  Tgs g;
  g.La12 = Line;
  g.Cont = 20000;
  g.Lam0 = Line == 1 ? 30.3 : 76.4;
  g.DLD = Line == 1 ? 4.15 : 3.31;
  g.DLDk = Line == 1 ? 0.8 : 0.88;
  g.H = H;
  g.kSig = 0.5;
  g.fPi = 0.3;
  g.kH = 0.5;
  return g;
}

// The model's profile at pixels 1..112 (entry 0 unused).
TARe Profile(const Tgs& G) {
  TARe y(113, 0.0);
  for (int p = 1; p <= 112; ++p) gs_ProfI(G, p - G.Lam0, y[static_cast<size_t>(p)]);
  return y;
}

TARe Pixels() {
  TARe x(113, 0.0);
  for (int p = 1; p <= 112; ++p) x[static_cast<size_t>(p)] = p;
  return x;
}

// A measurer holding Truth's profile and Start as its model, the window around the line.
void Load(TCurI& C, const Tgs& Truth, const Tgs& Start, int Mode = 3) {
  C.SetAXAY(Pixels(), Profile(Truth));
  C.gs = Start;
  C.Mode = Mode;
  const int c = static_cast<int>(Start.Lam0);
  C.iB() = c - 6;
  C.iR() = c + 6;
}

struct TWarned {
  TJob Job{"curi"};
  TJobScope Scope{Job};
  bool Has(const std::string& Part) const {
    for (const auto& w : Job.Warnings())
      if (w.Text.find(Part) != std::string::npos) return true;
    return false;
  }
};

TEST(CurICheck, ModelProfileGivesNeutralCorrections) {
  for (const Tgs& m : {Model(1), Model(2, 800)}) {
    SCOPED_TRACE(m.La12);
    TWarned w;
    TCurI c;
    Load(c, m, m);
    c.CheckLam();
    const Tgs& g = c.gs;
    for (double k : {g.k3, g.kD41, g.kD42, g.kD6, g.kD8}) EXPECT_NEAR(k, 1, 1e-9);
    for (double v : {g.dL4, g.dL6, g.A41, g.B41, g.A42, g.B42, g.A6, g.B6, g.A8, g.B8, g.gH, g.a3})
      EXPECT_NEAR(v, 0, 1e-9);
    EXPECT_EQ(g.k1, 0);
    EXPECT_TRUE(w.Job.Warnings().empty());
  }
}

TEST(CurICheck, OneRefitRecoversASingleDifference) {
  struct TCase {
    const char* Code;
    double Tgs::*Field;
    double Truth;
  } cases[] = {{"k3", &Tgs::DLDk, 0.93}, {"L6", &Tgs::Lam0, 30.85}, {"D6", &Tgs::DLD, 4.62},
               {"D8", &Tgs::DLD, 3.8}};
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Code);
    TWarned w;
    Tgs truth = Model(1), start = Model(1);
    truth.*k.Field = k.Truth;
    TCurI c;
    Load(c, truth, start);
    c.CheckLam();
    c.Code = k.Code;
    c.ReLam();
    EXPECT_NEAR(c.gs.*k.Field, k.Truth, 1e-9);
  }
}

TEST(CurICheck, CoreSpanAndErrors) {
  TWarned w;
  // the core ratio of pixel p made p: the mean shows which pixels entered
  Tgs m = Model(1);
  m.Lam0 = 45.2;
  TCurI c;
  c.SetAXAY(Pixels(), Profile(m));
  c.gs = m;
  c.gs.d0 = gs_get_d0(m);
  for (int p = 30; p <= 60; ++p) {
    double I = 0;
    gs_ProfI(m, p - m.Lam0, I);
    c.AY[static_cast<size_t>(p)] = m.Cont - (m.Cont - I) / p;
  }
  c.iB1 = 30;
  c.iR1 = 60;
  c.CheckLam();
  EXPECT_NEAR(c.gs.k3, (45.0 + 41 + 42 + 43 + 44 + 45 + 46 + 47 + 48 + 49) / 10, 1e-9);
  c.iB1 = 40;
  c.iR1 = 48;
  c.CheckLam();
  EXPECT_NEAR(c.gs.k3, (44.0 + 41 + 42 + 43 + 44 + 45 + 46 + 47) / 8, 1e-9);

  // a profile of another length, a centre outside 10..100: nothing changes
  c.gs.k3 = 7;
  for (double lam : {9.4, 100.6}) {
    c.gs.Lam0 = lam;
    c.CheckLam();
    EXPECT_EQ(c.gs.k3, 7);
  }
  EXPECT_TRUE(w.Has("CurI.CheckLam Err: Wrong Lam0 value=9.4\n\riX=0 iY=0"));
  c.gs.Lam0 = 45.2;
  c.AY.resize(112);
  c.CheckLam();
  EXPECT_EQ(c.gs.k3, 7);
  EXPECT_TRUE(w.Has("CurI.CheckLam Err: AY Not Loaded! Length(AY)=112"));
}

TEST(CurICheck, WindowsBeforeTheProfileAreHeldInside) {
  // a window of 0 (never set) reads no pixel before 1: the blue bound is held at 4
  TWarned w;
  Tgs m = Model(1);
  m.Lam0 = 12.4;
  TCurI c;
  Load(c, m, m);
  TStringList rep;
  c.BindSLRep(&rep, true, false);
  c.iB1 = 0;
  c.iR1 = 0;
  c.CheckLam();
  EXPECT_TRUE(std::isfinite(c.gs.k3));
  ASSERT_EQ(rep.Count(), 9);
  // the fourth blue row: no three-point entry, the four-point entry of k = 3 at pixel 4 + 1 - 3
  EXPECT_EQ(rep[4].rfind("00  00  00  2  ", 0), 0u) << rep[4];
}

TEST(CurICheck, ModeOneKeepsSplittingAndResidual) {
  TWarned w;
  Tgs truth = Model(1), start = Model(1);
  truth.DLD = 4.6;
  TCurI c;
  Load(c, truth, start, 1);
  c.gs.gH = 0.123;
  c.gs.a3 = 0.456;
  c.CheckLam();
  EXPECT_EQ(c.gs.gH, 0.123);
  EXPECT_EQ(c.gs.a3, 0.456);
  EXPECT_NEAR(c.gs.kD6, 4.6 / 4.15, 1e-9);
  // mode 3 measures a wider line as a positive residual
  c.Mode = 3;
  c.CheckLam();
  EXPECT_GT(c.gs.a3, 0);
}

TEST(CurIRefit, LimitsAndNeutralCodes) {
  TWarned w;
  TCurI c;
  Tgs m = Model(1);
  Load(c, m, m);
  c.iX = 4;
  c.iY = 9;
  c.CheckLam();
  c.gs.B6 = 0;
  struct TCase {
    const char* Code;
    double Tgs::*Corr;
    double Value;
    const char* Warning;
  } cases[] = {{"D6", &Tgs::kD6, 3.5, "reLam.D6 kDLD=3.5 it is too mach! iX=4 iY=9 Lam0=30.300"},
               {"D6", &Tgs::kD6, 0.3, "reLam.D6 kDLD=0.3 it is too small!"},
               {"L6", &Tgs::dL6, 6, "reLam.L6 dLam=6 it is too mach!"},
               {"b6", &Tgs::A6, 0.003, "reLam.b6 A=0.003 it is too mach!"},
               {"k3", &Tgs::k3, 12, "reLam.k3 k3=12 it is too mach!"},
               {"k3", &Tgs::k3, -0.5, "reLam.k3 k3=-0.5 it is too small!"}};
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Warning);
    const Tgs before = c.gs;
    c.gs.*k.Corr = k.Value;
    c.Code = k.Code;
    c.ReLam();
    EXPECT_EQ(c.gs.DLD, before.DLD);
    EXPECT_EQ(c.gs.Lam0, before.Lam0);
    EXPECT_EQ(c.gs.DLDk, before.DLDk);
    EXPECT_EQ(c.gs.A, 0);
    EXPECT_TRUE(w.Has(k.Warning));
    c.gs = before;
  }
  // k1 is never measured: always too small, DLDk kept
  const double dk = c.gs.DLDk;
  c.Code = "k1";
  c.ReLam();
  EXPECT_EQ(c.gs.DLDk, dk);
  EXPECT_TRUE(w.Has("reLam.k1 k1=0 it is too small! iX=4 iY=9 Lam0=30.300 i="));
  // another suffix: the neutral value (b: slope 0); k, x and unknown codes: nothing
  c.gs.A = 1e-4;
  const double lam = c.gs.Lam0;
  c.Code = "b7";
  c.ReLam();
  EXPECT_EQ(c.gs.A, 0);
  EXPECT_EQ(c.gs.Lam0, lam);
  const Tgs before = c.gs;
  for (const char* code : {"k7", "x3", "Z", "H2", ""}) {
    c.Code = code;
    c.ReLam();
    EXPECT_EQ(c.gs.DLDk, before.DLDk);
    EXPECT_EQ(c.gs.H, before.H);
  }
}

TEST(CurIRefit, FieldStepNeverGoesBelowZeroSplitting) {
  TWarned w;
  TCurI c;
  Tgs m = Model(2, 300);
  Load(c, m, m);
  c.gs.gH = -5;
  c.gs.kH = 0.5;
  c.Code = "H";
  c.ReLam();
  EXPECT_EQ(c.gs.H, 0);
  EXPECT_EQ(c.H2DLH(), 0);
  // a split profile: xH finds the field from no field
  Tgs truth = Model(2, 1200), start = Model(2, 0);
  Load(c, truth, start);
  c.CheckLam();
  EXPECT_GT(c.gs.gH, 0);
  c.Code = "xH";
  c.ReLam();
  EXPECT_GT(c.gs.H, 600);
}

TEST(CurIRefit, WidthIteration) {
  TWarned w;
  TStringList rep;
  TCurI c;
  Tgs m = Model(1);
  // a3 = 0 after the first check: no width step
  Load(c, m, m, 1);
  c.gs.a3 = 0;
  c.ReDLD();
  EXPECT_EQ(c.gs.DLD, 4.15);
  // a3 > 0 held by mode 1: the width first grows by 0.5, then the loop walks to 8.5 and stops
  Load(c, m, m, 1);
  c.gs.a3 = 0.01;
  c.gs.a3prev = 0;
  c.BindSLRep(&rep, true, false);
  c.ReDLD();
  EXPECT_EQ(c.gs.DLD, 8.5);
  bool grew = false;
  for (int i = 0; i + 1 < rep.Count(); ++i)
    if (rep[i] == "------ReDLD(2)-------->")
      grew = rep[i + 1].rfind("DLD=4.65000<=4.15000 Stp=.50000 H=.0 a3=100.00000<=100.00000(ka=1)", 0) == 0;
  EXPECT_TRUE(grew);
  // a wider profile: the secant iteration finds the width
  Tgs truth = Model(1);
  truth.DLD = 5.05;
  Load(c, truth, Model(1), 3);
  c.BindSLRep(nullptr, false, false);
  c.ReDLD();
  EXPECT_NEAR(c.gs.DLD, 5.05, 0.02);
  EXPECT_GE(c.gs.DLD, 2.5);
  EXPECT_LE(c.gs.DLD, 8.5);
}

TEST(CurIRefit, SequencesAndOptions) {
  TWarned w;
  Tgs truth = Model(1);
  truth.DLD = 4.5;
  truth.Lam0 = 30.6;
  truth.DLDk = 0.85;
  // TwoMode: the smaller width of the mode-2 and mode-3 runs, the caller's mode back
  double d[2] = {};
  for (int mode : {2, 3}) {
    TCurI c;
    Load(c, truth, Model(1), mode);
    c.FitLamDLD();
    d[mode - 2] = c.gs.DLD;
  }
  TCurI c;
  Load(c, truth, Model(1), 4);
  c.TwoMode = true;
  c.FitLamDLD();
  EXPECT_EQ(c.gs.DLD, std::min(d[0], d[1]));
  EXPECT_EQ(c.Mode, 4);
  // the full fit started at the model stays there; the width-and-bisector loop finds the model
  // from the start values
  c.TwoMode = false;
  for (int line : {1, 2}) {
    Load(c, Model(line), Model(line), 3);
    c.FitAll();
    EXPECT_NEAR(c.gs.DLD, Model(line).DLD, 0.01);
    EXPECT_NEAR(c.gs.Lam0, Model(line).Lam0, 0.01);
    EXPECT_NEAR(c.gs.DLDk, Model(line).DLDk, Model(line).DLDk * 0.005);
    EXPECT_NEAR(c.gs.A, 0, 1e-5);
  }
  // a split line: the full fit keeps the field it finds at the start width (the field of the
  // splitting just found, not the splitting itself taken as a field)
  Load(c, Model(2, 1200), Model(2, 1200), 3);
  c.FitAll();
  EXPECT_NEAR(c.gs.H, 1200, 100);
  EXPECT_NEAR(c.gs.DLD, 3.31, 0.05);
  Load(c, truth, Model(1), 3);
  c.FitK3L6();
  c.FitD6B6Loop();
  EXPECT_NEAR(c.gs.DLD, 4.5, 0.01);
  EXPECT_NEAR(c.gs.Lam0, 30.6, 0.01);
  EXPECT_NEAR(c.gs.DLDk, 0.85, 0.85 * 0.005);
  // a code list run NRep times; none at NRep 0
  TStringList codes;
  codes.Add("k3");
  codes.Add("L6");
  Load(c, truth, Model(1), 3);
  c.CheckLam();
  c.CodeList = &codes;
  c.NRep = 0;
  const Tgs before = c.gs;
  c.RunCodeList();
  EXPECT_EQ(c.gs.Lam0, before.Lam0);
  EXPECT_EQ(c.gs.DLDk, before.DLDk);
  c.NRep = 3;
  c.RunCodeList();
  EXPECT_NE(c.gs.Lam0, before.Lam0);
  EXPECT_TRUE(c.RunSequence("FitK3xHB6"));
  EXPECT_FALSE(c.RunSequence("Fit"));
}

TEST(CurIReport, LinesWordForWord) {
  TWarned w;
  TStringList rep;
  TCurI c;
  c.BindSLRep(&rep, false, false);
  Tgs& g = c.gs;
  g.La12 = 1;
  c.iX = 3;
  c.iY = 7;
  c.iB1 = 25;
  c.iR1 = 36;
  g.Cont = 20000;
  g.Lam0 = 30.25;
  g.DLD = 4.15;
  g.DLDk = 0.8;
  g.gH = 0.00123;
  g.kH = 0.5;
  g.A = 2.5e-5;
  g.B = 0.1;
  c.CurI_gs_Report3("T");
  c.gsReport();
  EXPECT_EQ(rep[0],
            "iX=3 iY=7 6301  iB=25 iR=36 30.2500=6301.51434  4.1500 Dk0.8000 H0.0000=0.0 "
            "gH=0.0012 kH=0.5000 AB25 0.1 T");
  EXPECT_EQ(rep[1], rep[0].substr(0, rep[0].size() - 1));

  g.dL6 = 0.02;
  g.kD42 = 1.1;
  g.k3 = 0.97;
  g.dL4 = 0.01;
  g.kD41 = 1.2;
  g.kD6 = 1.05;
  g.kD8 = 1;
  g.B41 = 0.5;
  g.A41 = 0.001;
  g.A41p = 0.002;
  c.Code = "L6";
  c.gsRepLine();
  EXPECT_EQ(rep[2],
            "L6  D=0.10000 L=0.04000 K=0.03000  L0=30.25000 L00=30.35000 DLD=4.150 Dk=0.8000 "
            "d0=5895.26 DLH=0.0000 A=25.000 B=0.100 //L4>0.01000 //D41>1.2000 6>1.0500 "
            "8>1.0000 //B41>0.50000 42>0.00000 6>0.00000 8>0.00000 //A41>0.001000=0.002000 "
            "42>0.000000=0.000000 6>0.000000=0.000000 8>0.000000=0.000000");

  g.a3 = -2e-4;
  g.a3prev = 3e-4;
  g.DLDprev = 4.0;
  c.Mode = 3;
  c.RepDLD();
  EXPECT_EQ(rep[3], "DLD=4.15000<=4.00000 Stp=-0.06000 H=.0 a3=-2.00000<=3.00000(ka=3) gH=0.00123 "
                    "k3-1=-0.03");

  // without a list: the warnings, nothing written
  c.BindSLRep(nullptr, false, false);
  c.gsReport();
  c.RepDLD();
  EXPECT_TRUE(w.Has("CurI_gs_Report3 SLRep"));
  EXPECT_TRUE(w.Has("CurI.RepDLD SLRep"));
}

TEST(CurIReport, CheckReportRows) {
  TWarned w;
  TStringList rep;
  TCurI c;
  Tgs m = Model(1);
  Load(c, m, m, 3);
  c.BindSLRep(&rep, true, true);
  c.CheckLam();
  // debug tables (6 points and the mean; width ratios), then the line and 8 side rows
  ASSERT_GE(rep.Count(), 1 + 7 + 1 + 1 + 8);
  EXPECT_EQ(rep[0], "---AB468report--->");
  EXPECT_EQ(rep[8], "---ABkw_report--->");
  const int line = rep.Count() - 9;
  EXPECT_EQ(rep[line].rfind("ab=", 0), 0u) << rep[line];
  EXPECT_EQ(rep[line].substr(rep[line].size() - 5), " k3=1") << rep[line];
  EXPECT_EQ(rep[line + 4].rfind("00  00  00  ", 0), 0u);
  EXPECT_EQ(rep[line + 1].rfind("24  ", 0), 0u);  // blue side first: iB + 1 - k, k = 1 (mode 3)
}

TEST(CurISetup, DesignValuesAndWindows) {
  ResetScanServices();
  TWarned w;
  TCurI& c = ScanCurI();
  TCurISettings& s = Scans().CurISet;
  EXPECT_FALSE(Scans().SetupCurI(c));
  EXPECT_TRUE(w.Has("Запустите расчёт крыльев!"_cp));
  EXPECT_EQ(c.gs.La12, 1);
  EXPECT_EQ(c.gs.Lam0, 30);
  EXPECT_EQ(c.Mode, 3);
  EXPECT_EQ(c.gs.kSig, 0.5);
  EXPECT_EQ(c.kLev, 0.9);
  EXPECT_EQ(c.OptReal, 0.05);
  EXPECT_EQ(c.gs.DLDprev, 4.1);
  EXPECT_EQ(c.iB1 * c.iR1, 0);
  s.Gauss.LeWi = 3.7;
  s.Gauss.RiWi = 55.2;
  s.Gauss.FIOutMemo.Add("3");
  s.Gauss.FIOutMemo.Add("k3");
  s.Gauss.FIOutMemo.Add("L6");
  EXPECT_TRUE(Scans().SetupCurI(c));
  EXPECT_EQ(c.iB1, 5);
  EXPECT_EQ(c.iR1, 54);
  EXPECT_EQ(c.NRep, 3);
  ASSERT_NE(c.CodeList, nullptr);
  EXPECT_EQ(c.CodeList->Count(), 2);
  s.Gauss.ILam = 56.51;
  s.Gauss.FIOutMemo.Clear();
  s.Gauss.FIOutMemo.Add("3x");
  EXPECT_TRUE(Scans().SetupCurI(c));
  EXPECT_EQ(c.gs.La12, 2);
  EXPECT_EQ(c.iB2, 5);
  EXPECT_EQ(c.NRep, 3);
  EXPECT_EQ(c.CodeList->Count(), 0);
  EXPECT_EQ(RC90Str(s.Calc), "95");
  s.Calc.rC90 = 0;
  EXPECT_EQ(RC90Str(s.Calc), "90");
  EXPECT_EQ(RC90Level(s.Calc), 0.9);
  s.Calc.rC90 = 0.625;  // 62.5 halves to even
  EXPECT_EQ(RC90Str(s.Calc), "62");
  ResetScanServices();
}

}  // namespace
