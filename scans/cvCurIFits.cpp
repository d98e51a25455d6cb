// The line measurement object: refits by code, the width iteration, the field step, the fit
// sequences and the reports.
#include <algorithm>
#include <cmath>
#include <utility>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvCurI.h"

namespace {

constexpr double kDispersion = 21.549;  // mA a pixel

double Sign(double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }

double StartDLD(int32_t La12) { return La12 == 1 ? 4.15 : 3.31; }

std::string NoListReLam() { return "CurI.ReLam.Report SLRep ещё не привязан!"_cp; }

}  // namespace

double TCurI::H2DLH() const { return _H2DLH(gs); }

void TCurI::DLH2H(double DLH) {
  gs.H = 0;
  if (gs.La12 == 1)
    gs.H = BFromSplit(DLH * kDispersion, 6301.5, 1.669);
  else if (gs.La12 == 2)
    gs.H = BFromSplit(DLH * kDispersion, 6302.5, 2.487);
  else
    WARNAbs("Вызов CurI.DLH2H, когда gs.La12 = "_cp + IntStr(gs.La12) + "!");
}

std::string TCurI::Trace() const {
  std::string t = " iX=" + IntStr(iX) + " iY=" + IntStr(iY) + " Lam0=" + FDecSt0(3, gs.Lam0) +
                  " i=" + IntStr(iCur) + " Cont=" + FDecSt0(1, gs.Cont);
  if (RepOn && static_cast<int32_t>(AY.size()) == 113 && iCur >= 0 && iCur <= 112)
    t += " A[i]=" + IntStr(static_cast<int32_t>(std::nearbyint(AY[static_cast<size_t>(iCur)])));
  return t;
}

void TCurI::LimitWarn(const std::string& What, double V, bool TooMuch) {
  WARNAbs("reLam." + Code + " " + What + "=" + ShortSt(4, V) +
          (TooMuch ? " it is too mach!" : " it is too small!") + Trace());
}

void TCurI::ReLam() {
  if (Code.empty()) return;
  if (RepOn) Rep("ReLam(" + Code + ")-------->", NoListReLam());
  if (static_cast<int32_t>(AY.size()) != 113) {
    WARNAbs("reLam Err AY not Filled!" + Trace());
    return;
  }
  if (iCur < 0 || iCur > 112) {
    WARNAbs("reLam Err AY Wrong Index!" + Trace());
    return;
  }
  const char c0 = Code[0];
  const std::string sfx = Code.substr(1);
  // a depth factor within its limits (else the warning and 1)
  auto depthFactor = [&](double k, const char* Name) {
    if (std::fabs(k) > 10) {
      LimitWarn(Name, k, true);
      return 1.0;
    }
    if (k < 0.1) {
      LimitWarn(Name, k, false);
      return 1.0;
    }
    return k;
  };
  switch (c0) {
    case 'D': {
      double f = sfx == "6" ? gs.kD6 : sfx == "8" ? gs.kD8 : sfx == "41" ? gs.kD41
                 : sfx == "42"                                        ? gs.kD42
                                                                      : 1.0;
      if (f > 3) {
        LimitWarn("kDLD", f, true);
        f = 1;
      } else if (f < 0.333) {
        LimitWarn("kDLD", f, false);
        f = 1;
      }
      gs.DLD *= f;
      break;
    }
    case 'L': {
      double d = sfx == "6" ? gs.dL6 : sfx == "4" ? gs.dL4 : 0.0;
      if (std::fabs(d) > 5) {
        LimitWarn("dLam", d, true);
        d = 0;
      }
      gs.Lam0 += d;
      break;
    }
    case 'b': {
      double a = 0, b = 0;
      if (sfx == "6") {
        a = gs.A6;
        b = gs.B6;
      } else if (sfx == "8") {
        a = gs.A8;
        b = gs.B8;
      } else if (sfx == "41") {
        a = gs.A41;
        b = gs.B41;
      } else if (sfx == "42") {
        a = gs.A42;
        b = gs.B42;
      }
      if (std::fabs(a) > 0.002) {
        LimitWarn("A", a, true);
        a = 0;
      }
      if (std::fabs(b) > 3) {
        LimitWarn("B", b, true);
        b = 0;
      }
      gs.A = a;
      gs.Lam0 += b;
      break;
    }
    case 'k':
      if (sfx == "3") {
        gs.DLDk *= depthFactor(gs.k3, "k3");
        gs.d0 = gs_get_d0(gs);
      } else if (sfx == "1") {
        gs.DLDk *= depthFactor(gs.k1, "k1");
      } else if (sfx == "H") {
        gs.DLDk *= depthFactor(gs.k3, "k3");
        DLH2H(H2DLH() - gs.kH * gs.gH);
      }
      return;
    case 'x':
      if (sfx == "H")
        for (int n = 0; n < 15 && std::fabs(gs.gH) > 0.0005; ++n) {
          FieldStep();
          if (gs.H == 0 && gs.gH < 0) break;
        }
      return;
    case 'H':
      if (sfx.empty()) FieldStep();
      return;
    default:
      return;
  }
  if (AutoK3) {
    Code = "k3";
    CheckLam();
    ReLam();
  }
}

void TCurI::FieldStep() {
  const double gH0 = gs.gH, kH0 = gs.kH, DLH0 = H2DLH();
  double step = kH0 > 1 ? gH0 : kH0 * gH0;
  if (DLH0 + step < 0) step = -DLH0;
  DLH2H(DLH0 + step);
  CheckLam();
  Code = "k3";
  ReLam();
  CheckLam();
  gs.gHprev = gH0;
  if (gs.gHprev * gs.gH >= 0)
    gs.kH = 0.5;
  else
    gs.kH = std::fabs(gs.gHprev * kH0 / (gs.gHprev - gs.gH));
  if (RepOn)
    Rep("H: " + ShortSt(5, DLH0) + "=>" + ShortSt(5, H2DLH()) + " gH=" + ShortSt(5, gH0) +
            "=>" + ShortSt(5, gs.gH) + " kH=" + ShortSt(5, kH0) + "->" + ShortSt(5, gs.kH),
        NoListReLam());
}

void TCurI::Step(const char* C) {
  Code = C;
  ReLam();
  CheckLam();
}

void TCurI::ReDLD() {
  if (RepOn && SLRep) SLRep->Add("------ReDLD(1)-------->");
  CheckLam();
  Step("k3");
  if (RepOn) RepDLD();
  if (gs.a3 == 0) return;
  const double a3p = gs.a3, Dp = gs.DLD;
  gs.DLD += 0.5 * Sign(gs.a3);
  gs.a3prev = a3p;
  gs.DLDprev = Dp;
  CheckLam();
  Step("k3");
  if (RepOn) {
    if (SLRep) SLRep->Add("------ReDLD(2)-------->");
    RepDLD();
  }
  for (int pass = 1; pass <= 15 && std::fabs(gs.a3) > 1e-7; ++pass) {
    double b = std::fabs(gs.DLD - gs.DLDprev);
    const double c = std::fabs(gs.a3 - gs.a3prev);
    double f;
    if (gs.a3prev * gs.a3 >= 0)
      f = 1;
    else if (c != 0)
      f = std::fabs(gs.a3 / c);
    else if (b != 0)
      f = 0.1 / b;
    else {
      b = 0.1;
      f = 1;
    }
    const double step = std::clamp(b * f * Sign(gs.a3), -0.5, 0.5);
    gs.a3prev = gs.a3;
    gs.DLDprev = gs.DLD;
    gs.DLD = std::clamp(gs.DLD + step, 2.5, 8.5);
    CheckLam();
    Step("k3");
    if (RepOn) {
      if (SLRep) SLRep->Add("---ReDLD-Loop(" + ZeroPad(15 - pass, 2) + ")---->");
      RepDLD();
      if (SLRep)
        SLRep->Add("---DLDd: " + FDecSt(5, gs.DLDprev) + "+" + FDecSt(5, step) + " ->" +
                   FDecSt(5, gs.DLD) + " a=" + ShortSt(5, gs.a3prev * 10000) + "->" +
                   ShortSt(5, gs.a3 * 10000) + " kD=" + ShortSt(5, f));
    }
  }
}

void TCurI::RunCodeList() {
  if (!CodeList) return;
  for (int32_t r = 0; r < NRep; ++r)
    for (int i = 0; i < CodeList->Count(); ++i) {
      Code = TrimBlanks((*CodeList)[i]);
      ReLam();
      CheckLam();
    }
}

// ---------------------------------------------------------------- fit sequences

void TCurI::FitK3L6() {
  CheckLam();
  Step("k3");
  Step("L6");
  Step("k3");
}

void TCurI::FitK3L6x2() {
  CheckLam();
  Step("k3");
  Step("L6");
  Step("k3");
  Step("L6");
  Step("k3");
}

void TCurI::FitK3D6() {
  CheckLam();
  Step("k3");
  Step("D6");
  for (int n = 0; n < 20; ++n) {
    const double d = gs.DLD;
    Step("k3");
    Step("D6");
    if (std::fabs(gs.DLD - d) < 1e-5) break;
  }
}

void TCurI::FitK3xH() {
  CheckLam();
  Step("k3");
  Step("xH");
  for (int n = 0; n < 20; ++n) {
    const double h = gs.H;
    Step("k3");
    Step("xH");
    if (std::fabs(gs.H - h) < 0.05) break;
  }
}

void TCurI::FitK3B6() {
  CheckLam();
  Step("k3");
  double prev = gs.A;
  Step("b6");
  double last = 0;
  for (int n = 0; n < 20; ++n) {
    const double d = gs.A - prev;
    if (last * d < 0) gs.A = (gs.A + prev) / 2;  // a change against the previous one: halved
    last = d;
    prev = gs.A;
    Step("k3");
    Step("b6");
    if (std::fabs(gs.A - prev) < 1e-8) break;
  }
}

void TCurI::FitK3xHB6() {
  FitK3xH();
  Step("k3");
  Step("b6");
  Step("k3");
}

void TCurI::FitD6B6Loop() {
  FitK3D6();
  FitK3B6();
  for (int n = 0; n < 5; ++n) {
    const double d = gs.DLD, a = gs.A;
    FitK3D6();
    FitK3B6();
    if (std::fabs(gs.DLD - d) < 1e-5 && std::fabs(gs.A - a) < 1e-8) break;
  }
}

void TCurI::FitLamDLDOnce() {
  CheckLam();
  Step("k3");
  ReDLD();
  CheckLam();
  for (int n = 0; n < 20; ++n) {
    const double d = gs.DLD;
    Step("k3");
    ReDLD();
    CheckLam();
    if (std::fabs(gs.DLD - d) < 1e-5) break;
  }
}

void TCurI::FitLamDLD() {
  if (!TwoMode) return FitLamDLDOnce();
  // the run in mode 2 and, from the same start, in mode 3; the smaller width is kept
  const int32_t mode = Mode;
  const Tgs start = gs;
  Mode = 2;
  FitLamDLDOnce();
  const double d2 = gs.DLD;
  gs = start;
  Mode = 3;
  FitLamDLDOnce();
  gs.DLD = std::min(d2, gs.DLD);
  Mode = mode;
}

void TCurI::FitAll() {
  FitK3L6();
  gs.H = 0;
  FitK3D6();
  gs.DLDsave = gs.DLD;
  const double start = StartDLD(gs.La12);
  gs.DLD = start;
  Step("xH");
  if (NearRe(gs.DLD, start, 1e-6)) gs.DLHsave = H2DLH();
  // the field of the splitting just found (DLHsave is in pixels, H in gauss)
  DLH2H(gs.DLHsave);
  CheckLam();
  ReDLD();
  CheckLam();
  Step("b6");
  Step("xH");
  ReDLD();
  CheckLam();
  if (gs.La12 == 1 && gs.H == 0) {
    const int32_t mode = Mode;
    Mode = 2;
    ReDLD();
    CheckLam();
    Step("xH");
    if (gs.H == 0 && gs.DLDsave < gs.DLD) {
      gs.DLD = gs.DLDsave;
      CheckLam();
      Step("xH");
    }
    Mode = mode;
  }
  Step("b6");
  Step("k3");
}

bool TCurI::RunSequence(const std::string& Name) {
  static const std::pair<const char*, void (TCurI::*)()> kSeq[] = {
      {"FitK3L6", &TCurI::FitK3L6},         {"FitK3L6x2", &TCurI::FitK3L6x2},
      {"FitK3D6", &TCurI::FitK3D6},         {"FitK3B6", &TCurI::FitK3B6},
      {"FitK3xH", &TCurI::FitK3xH},         {"FitK3xHB6", &TCurI::FitK3xHB6},
      {"FitD6B6Loop", &TCurI::FitD6B6Loop}, {"FitLamDLD", &TCurI::FitLamDLD},
      {"FitAll", &TCurI::FitAll},           {"ReDLD", &TCurI::ReDLD}};
  for (const auto& [name, fn] : kSeq)
    if (Name == name) {
      (this->*fn)();
      return true;
    }
  return false;
}

// ---------------------------------------------------------------- reports

void TCurI::CurI_gs_Report3(const std::string& Title) {
  if (!SLRep) {
    WARNAbs("CurI_gs_Report3 SLRep ещё не привязан!"_cp);
    return;
  }
  const double wl = (gs.Lam0 - 56.5) * kDispersion / 1000 + 6302.08;
  SLRep->Add("iX=" + IntStr(iX) + " " + "iY=" + IntStr(iY) + " " + "630" + IntStr(gs.La12) +
             " " + " iB=" + IntStr(iB()) + " iR=" + IntStr(iR()) + " " + FDecSt0(4, gs.Lam0) +
             "=" + FDecSt0(5, wl) + "  " + FDecSt0(4, gs.DLD) + " Dk" + FDecSt0(4, gs.DLDk) +
             " H" + FDecSt0(4, H2DLH()) + "=" + FDecSt0(1, gs.H) + " gH=" + FDecSt0(4, gs.gH) +
             " kH=" + FDecSt0(4, gs.kH) + " AB" + ShortSt(7, gs.A * 1000000) + " " +
             ShortSt(7, gs.B) + " " + Title);
}

void TCurI::gsReport() { CurI_gs_Report3(""); }

void TCurI::gsRepLine() {
  gs.d0 = gs_get_d0(gs);
  if (!SLRep) {
    WARNAbs("CurI_gs_Report3 SLRep ещё не привязан!"_cp);
    return;
  }
  // the misfits from the largest to the smallest
  std::pair<char, double> m[3] = {{'L', 2 * std::fabs(gs.dL6)},
                                  {'D', std::fabs(gs.kD42 - 1)},
                                  {'K', std::fabs(gs.k3 - 1)}};
  std::stable_sort(std::begin(m), std::end(m),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string tag;
  for (int i = 0; i < 3; ++i)
    tag += (i ? " " : "") + std::string(1, m[i].first) + "=" + FDecSt0(5, m[i].second);
  auto f = [](int D, double x) { return FDecSt0(D, x); };
  SLRep->Add(PadRight(Code, 4) + tag + "  " + "L0=" + f(5, gs.Lam0) +
             " L00=" + f(5, gs.Lam0 + gs.B) + " DLD=" + f(3, gs.DLD) + " Dk=" + f(4, gs.DLDk) +
             " d0=" + f(2, gs.d0) + " DLH=" + f(4, H2DLH()) + " A=" + f(3, gs.A * 1e6) +
             " B=" + f(3, gs.B) + " //L4>" + f(5, gs.dL4) + " //D41>" + f(4, gs.kD41) +
             " 6>" + f(4, gs.kD6) + " 8>" + f(4, gs.kD8) + " //B41>" + f(5, gs.B41) + " 42>" +
             f(5, gs.B42) + " 6>" + f(5, gs.B6) + " 8>" + f(5, gs.B8) + " //A41>" +
             f(6, gs.A41) + "=" + f(6, gs.A41p) + " 42>" + f(6, gs.A42) + "=" + f(6, gs.A42p) +
             " 6>" + f(6, gs.A6) + "=" + f(6, gs.A6p) + " 8>" + f(6, gs.A8) + "=" +
             f(6, gs.A8p));
}

void TCurI::RepDLD() {
  if (!SLRep) {
    WARNAbs("CurI.RepDLD SLRep ещё не привязан!"_cp);
    return;
  }
  const double s = gs.a3 * gs.a3prev >= 0
                       ? 0.5 * Sign(gs.a3)
                       : gs.a3 * std::fabs(gs.DLD - gs.DLDprev) / std::fabs(gs.a3 - gs.a3prev);
  SLRep->Add("DLD=" + FDecSt(5, gs.DLD) + "<=" + FDecSt(5, gs.DLDprev) + " Stp=" + FDecSt(5, s) +
             " H=" + FDecSt(1, gs.H) + " a3=" + FDecSt(5, gs.a3 * 1e4) + "<=" +
             FDecSt(5, gs.a3prev * 1e4) + "(ka=" + IntStr(Mode) + ") gH=" + ShortSt(5, gs.gH) +
             " k3-1=" + ShortSt(5, gs.k3 - 1));
}
