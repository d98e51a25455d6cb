#include "scans/cvBisec.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "scans/cvWings.h"

namespace {

// Work lists of the running thread, grown when a window needs more and never shrunk.
struct TBisecWork {
  int32_t Places = 0;  // of one band's point list (a band takes at most Places - 1 points)
  TARe V;              // turning values
  TAIn VI, Idx;        // turning values of a raw profile, their indices
  void Room(int32_t n) { Places = std::max(Places, std::max(n, 0) + 4); }
};
thread_local TBisecWork tWork;

std::string N4(double x) { return ShortSt(4, x); }

int32_t ThinnedCount(TARe& V, TAIn& Idx, double Fraction) {
  if (NOf(V) >= 4) {
    double mn = V[1], mx = V[1];
    for (int k = 2; k <= NOf(V); ++k) {
      mn = std::min(mn, V[k]);
      mx = std::max(mx, V[k]);
    }
    TurnPointsThin(V, Idx, Fraction * (mx - mn));
  }
  return NOf(V);
}

// The wing points of one band as LeWiPointsI/R (Dir +1) and RiWiPointsI/R (Dir -1) collect them
// into lists of Room places (N counts them as the lists do), each summed into the band's area S
// as it comes: the trapezoid from the previous point (PX, PY) to it, against the band's upper
// crossing XU (a call of its own, so the running values stay in registers).
template <class P>
__attribute__((noinline)) void WalkPoints(const P& p, int32_t Dir, int32_t& N, int32_t& K,
                                          int32_t KEnd, double L1, double L2, int32_t Room,
                                          double XU, double& PX, double& PY, double& S) {
  const int32_t len = p.Len();
  int32_t k = K, n = N;
  if (k < 1 || k > len) return;
  if (p.Val(k) == L1) k += Dir;
  double px = PX, py = PY, s = S;
  while (k >= 1 && k <= len && p.Val(k) > L2 && (Dir > 0 ? k < KEnd : k > KEnd)) {
    if (n + 1 > Room) break;
    ++n;
    const double x = p.Pos(k), y = p.Val(k);
    s += (y - py) * ((x - XU) + (px - XU)) / 2;
    px = x;
    py = y;
    k += Dir;
  }
  K = k;
  N = n;
  PX = px;
  PY = py;
  S = s;
}

// The two kinds of profile behind one bisector procedure.
struct TRealProf {
  const TARe& X;
  const TARe& Y;
  int32_t Len() const { return static_cast<int32_t>(std::min(NOf(X), NOf(Y))); }
  double Val(int32_t k) const { return Y[k]; }
  double Pos(int32_t k) const { return X[k]; }
  int32_t Extrema(int32_t i1, int32_t i2, double f) const { return ExtremaCountR(Y, i1, i2, f); }
  void MinWings(int32_t i1, int32_t i2, int32_t& iR, int32_t& iL, double C) const {
    AReMinWings(Y, i1, i2, iR, iL, C);
  }
  void MinPoint(int32_t i1, int32_t i2, double& M, int32_t& iM) const {
    AReMinPoint(Y, i1, i2, M, iM);
  }
  double Left(int32_t i1, int32_t i2, int32_t& K, double Lev, int32_t*) const {
    return ipolLeWi(i1, i2, K, X, Y, Lev);
  }
  double Right(int32_t i1, int32_t i2, int32_t& K, double Lev, int32_t*) const {
    return ipolRiWi(i1, i2, K, X, Y, Lev);
  }
  double LowLeft(int32_t K, double Lev) const { return RiPoLeWi_R(K, X, Y, Lev); }
  double LowRight(int32_t K, double Lev) const { return LePoRiWi(K, X, Y, Lev); }
};

struct TRawProf {
  const TAIn& A;
  int32_t Len() const { return static_cast<int32_t>(NOf(A)); }
  double Val(int32_t k) const { return A[k]; }
  double Pos(int32_t k) const { return k; }
  int32_t Extrema(int32_t i1, int32_t i2, double f) const { return ExtremaCountI(A, i1, i2, f); }
  void MinWings(int32_t i1, int32_t i2, int32_t& iR, int32_t& iL, double C) const {
    AInMinWings(A, i1, i2, iR, iL, C);
  }
  void MinPoint(int32_t i1, int32_t i2, double& M, int32_t& iM) const {
    int32_t m = 0;
    AInMinPoint(A, i1, i2, m, iM);
    M = m;
  }
  // The raw crossings walk out from the other end of the window through the core (Outer resumes
  // the walk over the far wing where a higher level's walk ended).
  double Left(int32_t i1, int32_t i2, int32_t& K, double Lev, int32_t* Outer) const {
    return ipolLeWi(i1, i2, K, A, Lev, Outer);
  }
  double Right(int32_t i1, int32_t i2, int32_t& K, double Lev, int32_t* Outer) const {
    return ipolRiWi(i1, i2, K, A, Lev, Outer);
  }
  double LowLeft(int32_t K, double Lev) const { return RiPoLeWi_I(K, A, Lev); }
  double LowRight(int32_t K, double Lev) const { return LePoRiWi(K, A, Lev); }
};

constexpr int32_t kSlot9[10] = {0, 1, 3, 5, 7, 9, 2, 4, 6, 8};

// One pass over the nine bands of one wing (Side 1 left, 2 right) into Out; false when a band's
// area is zero (the computation ends there).
template <class P>
bool WingPass(const P& p, int32_t Side, int32_t i1, int32_t i2, int32_t iMin, double C, double s,
              bool Slotted, TBand9& Out) {
  // a band's points beyond its list's places (none for a window Room was given) are left out
  const int32_t room = tWork.Places - 1;
  const int32_t edge = Side == 1 ? i1 : i2;
  double prev = p.Pos(edge);
  int32_t K = edge;
  // the bands' mean positions base + num / den, set for bands 1..K
  double base[10], num[10], den[10];
  const auto means = [&](int32_t K) {
    for (int32_t k = 1; k <= K; ++k)
      Out[static_cast<size_t>(Slotted ? kSlot9[k] : k)] = base[k] + num[k] / den[k];
  };
  // each band's walked level and where its walk over the far wing ended (none: NaN)
  double walked[10];
  int32_t outer[10];
  for (double& w : walked) w = NAN;
  for (int32_t k = 1; k <= 9; ++k) {
    double lo = 0, up = 0;
    BandLevels(k, C, s, lo, up);
    double xU = 0, yU = 0;
    // upper crossing
    if (k == 1 && p.Val(edge) <= C) {
      xU = p.Pos(edge);
      yU = p.Val(edge);
      K = edge;
    } else {
      yU = k == 1 ? C : up;
      // resumed where the band one level above (bands 2-5: the one before, 6-9: five before)
      // ended its walk over the far wing, when that level is not below this one
      int32_t from = Side == 1 ? i2 : i1;
      const int32_t above = k <= 5 ? k - 1 : k - 5;
      if (walked[above] >= yU) from = outer[above];
      const double x =
          Side == 1 ? p.Left(i1, i2, K, yU, &from) : p.Right(i1, i2, K, yU, &from);
      walked[k] = yU;
      outer[k] = from;
      xU = x;
      if (k != 1 && k != 6) {
        if (std::fabs(x - prev) > 0.001)
          WARNAbs("LineMetrix-WARN левая гран.сегмента "_cp + IntStr(k) + "=" + ShortSt(6, x) +
                  " <> " + ShortSt(6, prev) + " прав.гран.предыдущ.сегмента!"_cp);
        xU = prev;
      }
    }
    // the wing points inside the band, the band's area summed as they come (the trapezoids of
    // the point list in its order)
    int32_t N = 1;
    double px = xU, py = yU, S = 0;
    WalkPoints(p, Side == 1 ? +1 : -1, N, K, iMin, yU, lo, room, xU, px, py, S);
    // lower crossing
    double xD = 0, yD = 0;
    if (k == 5) {
      xD = p.Pos(iMin);
      yD = p.Val(iMin);
    } else {
      if (Side == 1 ? K <= 1 : K >= i2)
        WARNAbs("LineMetrix СБОЙ ii="_cp + IntStr(K) + " k=" + IntStr(k) + " y1=" + N4(up) +
                " y2=" + N4(lo) + " j=" + IntStr(N) + " iMin=" + IntStr(iMin));
      xD = Side == 1 ? p.LowLeft(K, lo) : p.LowRight(K, lo);
      yD = lo;
    }
    ++N;
    S += (yD - py) * ((xD - xU) + (px - xU)) / 2;
    prev = xD;
    // the band's mean position xU + (xD - xU) * S / D, its quotient taken after the walks
    const double D = (yD - yU) * (xD - xU);
    if (D == 0) {
      WARNAbs("CalcBisec9-ERR: площадь сегмента "_cp + IntStr(k) + "=0 " + " x1=" + N4(xU) +
              " x2=" + N4(xD) + " y1=" + N4(yU) + " y2=" + N4(yD));
      means(k - 1);
      return false;
    }
    base[k] = xU;
    num[k] = (xD - xU) * S;
    den[k] = D;
  }
  means(9);
  return true;
}

template <class P>
void Bisec9(const P& p, int32_t i1, int32_t i2, double C, bool Slotted, double& XMin,
            double& YMin, TBand9& Bis, TBand9& Wid, TBand9& XL, TBand9& XR, int32_t& NExt) {
  const int32_t n = p.Len();
  if (n < 3) return;
  i1 = std::clamp(i1, 1, n);
  i2 = std::clamp(i2, 1, n);
  if (i2 - i1 < 2) return;
  NExt = p.Extrema(i1, i2, 0.1);
  if (NExt > 4) NExt = p.Extrema(i1, i2, 0.2);
  if (NExt > 4) {
    for (size_t m = 1; m <= 9; ++m) Bis[m] = Wid[m] = 0;
    return;
  }
  int32_t iL = i1, iR = i2;
  p.MinWings(i1, i2, iR, iL, C);
  i1 = iL;
  i2 = iR;
  int32_t iMin = i1;
  double ymin = 0;
  p.MinPoint(i1, i2, ymin, iMin);
  YMin = ymin;
  XMin = p.Pos(iMin);
  const double s = (C - YMin) / 5;
  tWork.Room(i2 - i1 + 1);
  if (!WingPass(p, 1, i1, i2, iMin, C, s, Slotted, XL)) return;
  if (!WingPass(p, 2, i1, i2, iMin, C, s, Slotted, XR)) return;
  for (size_t m = 1; m <= 9; ++m) {
    Bis[m] = (XL[m] + XR[m]) / 2;
    Wid[m] = XR[m] - XL[m];
  }
}

}  // namespace

int32_t ExtremaCountI(const TAIn& A, int32_t i1, int32_t i2, double Fraction) {
  TBisecWork& w = tWork;
  AInTurnPoints(A, i1, i2, w.VI, w.Idx);
  w.V.assign(w.VI.begin(), w.VI.end());
  return ThinnedCount(w.V, w.Idx, Fraction);
}

int32_t ExtremaCountR(const TARe& A, int32_t i1, int32_t i2, double Fraction) {
  TBisecWork& w = tWork;
  AReTurnPoints(A, i1, i2, w.V, w.Idx);
  return ThinnedCount(w.V, w.Idx, Fraction);
}

void BandLevels(int32_t k, double C, double s, double& Lower, double& Upper) {
  if (k <= 5) {
    Lower = C - k * s;
    Upper = C - (k - 1) * s;
  } else {
    Lower = C - (k - 4.5) * s;
    Upper = Lower + s;
  }
}

void CalcBisec9(int32_t i1, int32_t i2, const TARe& X, const TARe& Y, double C, double& XMin,
                double& YMin, TBand9& Bis, TBand9& Wid, TBand9& XL, TBand9& XR, int32_t& NExt) {
  Bisec9(TRealProf{X, Y}, i1, i2, C, true, XMin, YMin, Bis, Wid, XL, XR, NExt);
}

void CalcBisec9I(int32_t i1, int32_t i2, const TAIn& A, double C, double& XMin, double& YMin,
                 TBand9& Bis, TBand9& Wid, TBand9& XL, TBand9& XR, int32_t& NExt) {
  Bisec9(TRawProf{A}, i1, i2, C, false, XMin, YMin, Bis, Wid, XL, XR, NExt);
}

void LineMetrix(int32_t i1, int32_t i2, const TAIn& A, double C, double& XMin, double& YMin,
                TBand9& Bis, TBand9& Wid, TGauss3& DLD, TGauss3& Lam0, TGauss3& d0,
                int32_t& NExt) {
  static const std::string kObsolete =
      "Процедура LineMetrix вызывет устаревший способ расчёта гауссианы!"_cp;
  WARNAbs(kObsolete);
  int32_t kMin = 0;
  Get3GaussPar(A, i1, i2, C, 5.0, 0.2, 0.1, -0.01 * C, DLD, Lam0, d0, kMin);
  YMin = d0[1];
  XMin = Lam0[1];
  TBand9 xl{}, xr{};
  CalcBisec9I(i1, i2, A, C, XMin, YMin, Bis, Wid, xl, xr, NExt);
  // Off-limb pixels have no continuum: no depth in percent.
  YMin = C > 0 ? YMin / C * 100 : 0;
}
