// The line measurement object: set-up and the model check (CheckLam).
#include "scans/cvCurI.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"

namespace {

constexpr int32_t kProfLen = 113;  // a loaded profile: pixels 1..112 at their index

// Least-squares line y = A x + B of n points (AReLinFit on the thread's buffers).
void LinFit(const double* X, const double* Y, int N, double& A, double& B) {
  thread_local TARe x, y;
  x.assign(static_cast<size_t>(N) + 1, 0.0);
  y.assign(static_cast<size_t>(N) + 1, 0.0);
  for (int i = 0; i < N; ++i) {
    x[static_cast<size_t>(i) + 1] = X[i];
    y[static_cast<size_t>(i) + 1] = Y[i];
  }
  AReLinFit(x, y, A, B);
}

double Mean(const double* V, int N, double Default) {
  if (N <= 0) return Default;
  double s = 0;
  for (int i = 0; i < N; ++i) s += V[i];
  return s / N;
}

// Columns aligned: each cell padded on the left to its column's widest cell, one blank between.
void AddTable(TStringList& L, const std::vector<std::vector<std::string>>& Rows) {
  std::vector<int32_t> w;
  for (const auto& r : Rows)
    for (size_t c = 0; c < r.size(); ++c) {
      if (w.size() <= c) w.push_back(0);
      w[c] = std::max<int32_t>(w[c], static_cast<int32_t>(r[c].size()));
    }
  for (const auto& r : Rows) {
    std::string s;
    for (size_t c = 0; c < r.size(); ++c) s += (c ? " " : "") + PadLeft(r[c], w[c]);
    L.Add(s);
  }
}

}  // namespace

TCurI::TCurI() {
  gs = Tgs{};
  gs1 = gs;
  gs2 = gs;
  RepOn = false;
}

void TCurI::SetAXAY(const TARe& X, const TARe& Y) {
  AY = Y;
  AX = X;
  AX.resize(Y.size(), 0.0);
  gs.A = gs.B = gs.H = 0;
  gs.d0 = 0;
}

void TCurI::gsInit(double Cont, double Lam0, double DLD, double DLDk) {
  gs.Cont = Cont;
  gs.Lam0 = Lam0;
  gs.DLD = DLD;
  gs.DLDk = DLDk;
  gs.A = gs.B = 0;
}

void TCurI::ResetDLD() {
  gs.DLDprev = gs.La12 == 1 ? 4.15 : 3.31;
  gs.a3prev = 0;
}

void TCurI::ClearDLDState() { gs.gHprev = gs.a3prev = gs.DLDprev = 0; }

void TCurI::SetFitOptions(int32_t AMode, bool AAutoK3, double AReal, double AkLev, double AkSig,
                          double AfPi, double AkH, bool ATwoMode) {
  Mode = AMode;
  AutoK3 = AAutoK3;
  OptReal = AReal;
  kLev = AkLev;
  gs.kSig = AkSig;
  gs.fPi = AfPi;
  gs.kH = AkH;
  TwoMode = ATwoMode;
}

void TCurI::BindSLRep(TStringList* List, bool ARepOn, bool ADebugRep) {
  SLRep = List;
  RepOn = ARepOn;
  DebugRep = ADebugRep;
}

void TCurI::StoreGs() {
  if (gs.La12 == 1)
    gs1 = gs;
  else if (gs.La12 == 2)
    gs2 = gs;
}

bool TCurI::Rep(const std::string& Line, const std::string& Who) {
  if (SLRep) {
    SLRep->Add(Line);
    return true;
  }
  WARNAbs(Who);
  return false;
}

// ---------------------------------------------------------------- the check

void TCurI::CheckLam() {
  ++CheckCount;
  if (static_cast<int32_t>(AY.size()) != kProfLen) {
    WARNAbs("CurI.CheckLam Err: AY Not Loaded! Length(AY)=" + IntStr(static_cast<int32_t>(AY.size())));
    return;
  }
  const double d0 = gs_get_d0(gs);
  const double l00 = std::nearbyint(gs.Lam0 + gs.B);
  if (!(l00 >= 10 && l00 <= 100)) {
    WARNAbs("CurI.CheckLam Err: Wrong Lam0 value=" + ShortSt(4, gs.Lam0) + "\n\r" + "iX=" +
            IntStr(iX) + " iY=" + IntStr(iY));
    return;
  }
  gs.d0 = d0;
  // The blue scan reads down to iB - 3: the blue bound is kept at 4 or more, so that every pixel
  // read lies in 1..112.
  const int32_t iB0 = std::clamp(iB(), 4, kProfLen - 4);
  const int32_t iR0 = std::clamp(iR(), 2, kProfLen - 4);

  // wing pixels by side (0 red, 1 blue) and k = 0..4 (inside out)
  double u[2][5], o[2][5], s[2][5], w[2][5];
  int32_t px[2][5];
  for (int side = 0; side < 2; ++side)
    for (int k = 0; k < 5; ++k) {
      const int32_t p = side == 0 ? iR0 - 1 + k : iB0 + 1 - k;
      iCur = p;
      double r1 = 0, r2 = 0, ww = 1;
      Gauss2_dL(AY, p, gs, r1, r2, ww);
      px[side][k] = p;
      u[side][k] = AY[static_cast<size_t>(p)] - d0;
      s[side][k] = r1;
      o[side][k] = r2;
      w[side][k] = ww;
    }

  // the sets by their k range, red side first
  struct TSet {
    int K1, K2;
  };
  const TSet s41{1, 2}, s42{2, 3}, s6{1, 3}, s8{1, 4};
  auto widthFactor = [&](TSet S) {
    double sum = 0;
    int n = 0;
    for (int side = 0; side < 2; ++side)
      for (int k = S.K1; k <= S.K2; ++k)
        if (w[side][k] != 1) {
          sum += w[side][k];
          ++n;
        }
    return n > 0 ? sum / n : 1.0;
  };
  auto shift = [&](TSet S) {
    double v[10];
    int n = 0;
    for (int side = 0; side < 2; ++side)
      for (int k = S.K1; k <= S.K2; ++k) v[n++] = s[side][k];
    return Mean(v, n, 0);
  };
  auto bisector = [&](TSet S, double& A, double& B, double& Ap, double& Bp) {
    double x[10], y[10];
    int n = 0;
    for (int side = 0; side < 2; ++side)
      for (int k = S.K1; k <= S.K2; ++k) {
        x[n] = u[side][k];
        y[n] = o[side][k];
        ++n;
      }
    LinFit(x, y, n, A, B);
    double xp[2], yp[2];
    for (int j = 0; j < 2; ++j) {
      xp[j] = (x[j] + x[j + n / 2]) / 2;
      yp[j] = (y[j] + y[j + n / 2]) / 2;
    }
    LinFit(xp, yp, 2, Ap, Bp);
  };

  // core pixels: the middle one (counted twice), then iB + 1 .. iR - 1, cut to 9 without a field
  int32_t lo = iB0 + 1, hi = iR0 - 1;
  if (gs.H == 0 && hi - lo >= 10) {
    const int32_t t = (hi - lo - 8) / 2;
    lo += t;
    hi -= t;
  }
  double depth = 0;
  int nDepth = 0;
  auto core = [&](int32_t p) {
    iCur = p;
    const double a = AY[static_cast<size_t>(p)];
    const double c = gs_BisShift(gs, a);
    double I = 0;
    gs_ProfI(gs, p - gs.Lam0 - c, I);
    if (a != gs.Cont) {
      depth += (gs.Cont - I) / (gs.Cont - a);
      ++nDepth;
    }
  };
  core((iB0 + iR0) / 2);
  for (int32_t p = lo; p <= hi; ++p) core(p);

  gs.k3 = nDepth > 0 ? depth / nDepth : 1;
  gs.k1 = 0;
  gs.dL4 = shift(s41);
  gs.dL6 = shift(s6);
  gs.kD41 = widthFactor(s41);
  gs.kD42 = widthFactor(s42);
  gs.kD6 = widthFactor(s6);
  gs.kD8 = widthFactor(s8);
  bisector(s41, gs.A41, gs.B41, gs.A41p, gs.B41p);
  bisector(s42, gs.A42, gs.B42, gs.A42p, gs.B42p);
  bisector(s6, gs.A6, gs.B6, gs.A6p, gs.B6p);
  bisector(s8, gs.A8, gs.B8, gs.A8p, gs.B8p);

  // side fits of the outward offsets: three points (Mode 2: k 0..2, else k 1..3) and four (k 0..3)
  const int k3From = Mode == 2 ? 0 : 1;
  double L3[2], a3s[2], b3s[2], L4[2], a4s[2], b4s[2];
  double out[2][5];
  for (int side = 0; side < 2; ++side) {
    for (int k = 0; k < 5; ++k) out[side][k] = side == 0 ? o[side][k] : -o[side][k];
    L3[side] = Mean(&out[side][k3From], 3, 0);
    LinFit(&u[side][k3From], &out[side][k3From], 3, a3s[side], b3s[side]);
    L4[side] = Mean(&out[side][0], 4, 0);
    LinFit(&u[side][0], &out[side][0], 4, a4s[side], b4s[side]);
  }
  if (Mode == 2 || Mode == 3) {
    gs.gH = L3[1] + L3[0];
    gs.a3 = a3s[1] + a3s[0];
  } else if (Mode == 4) {
    gs.gH = L4[1] + L4[0];
    gs.a3 = a4s[1] + a4s[0];
  }

  // reports
  if (DebugRep) {
    if (!SLRep) {
      WARNAbs("CurI.ChkLam.Debug: SLRep ещё не привязан!"_cp);
    } else {
      SLRep->Add("---AB468report--->");
      std::vector<std::vector<std::string>> rows;
      double so = 0;
      int idx = 0;
      for (int side = 0; side < 2; ++side)
        for (int k = s6.K1; k <= s6.K2; ++k) {
          ++idx;
          so += o[side][k];
          rows.push_back({IntStr(idx), ShortSt(5, o[side][k]), ShortSt(5, u[side][k]),
                          ShortSt(5, gs.Lam0 + o[side][k]), ShortSt(5, d0 + u[side][k])});
        }
      rows.push_back({"", ShortSt(6, so / idx)});
      AddTable(*SLRep, rows);
      SLRep->Add("---ABkw_report--->");
      rows.clear();
      idx = 0;
      for (int side = 0; side < 2; ++side)
        for (int k = s6.K1; k <= s6.K2; ++k)
          if (w[side][k] != 1) {
            ++idx;
            rows.push_back({IntStr(idx), IntStr(1000 * k + px[side][k]), ShortSt(5, u[side][k]),
                            ShortSt(5, w[side][k])});
          }
      AddTable(*SLRep, rows);
    }
  }
  if (RepOn) {
    if (!SLRep) {
      WARNAbs("CurI.CheckLam.Rep : SLRep ещё не привязан!"_cp);
    } else {
      SLRep->Add("ab=" + ShortSt(5, a3s[1] * 1000) + " ar=" + ShortSt(5, a3s[0] * 1000) +
                 " bb=" + ShortSt(5, b3s[1]) + " br=" + ShortSt(5, b3s[0]) + " Lb=" +
                 ShortSt(5, L3[1]) + " Lr=" + ShortSt(5, L3[0]) + " gH=" + ShortSt(5, gs.gH) +
                 " kgH=" + ShortSt(5, gs.gH * gs.kH) + " k3=" + ShortSt(5, gs.k3));
      auto entry = [&](int side, int k) {
        return IntStr(px[side][k]) + "  " + ShortSt(6, u[side][k]) + "  " +
               ShortSt(5, out[side][k]);
      };
      for (int side : {1, 0})
        for (int j = 0; j < 4; ++j)
          SLRep->Add((j < 3 ? entry(side, k3From + j) : std::string("00  00  00")) + "  " +
                     entry(side, j));
    }
  }
}
