// Integral measurements of a profile: wavelength moments of the Stokes profiles, the centroids of
// |V| and of the linear polarisation, the centres of gravity of the I+V and I-V depressions, the
// equivalent width between two limits, and the longitudinal field and velocity from the centres
// of gravity of I+V and I-V in horizontal slices.
#include <algorithm>
#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvCentre.h"
#include "foundation/cvFunc.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvZee.h"

namespace {

enum class THalf { Double, Zero, Keep };

// The reference point (mA) of the integrals: UL[ILAM] for absolute wavelengths (after the
// reference-point check; false when it fails), 0 for offsets.
bool RefPoint(TUNNO& U, const std::string& Name, double& Lam0) {
  Lam0 = 0;
  if (U.ChDL != 'A') return true;
  if (!U.CheckLAMB(Name)) return false;
  Lam0 = U.UL[U.ILAM] * 1000;
  return true;
}

// Sum over the intervals of (x - Ref)^P w(i) dx, x the interval's midpoint in mA.
template <class W>
double IntervalSum(const TUNNO& U, int32_t P, double Ref, W Weight) {
  double s = 0;
  for (int32_t i = 2; i <= U.NDL; ++i) {
    const double x = (U.UL[i] + U.UL[i - 1]) / 2 * 1000;
    const double dx = (U.UL[i] - U.UL[i - 1]) * 1000;
    const double t = x - Ref;
    s += (P == 1 ? t : t * t) * Weight(i) * dx;
  }
  return s;
}

// Sum (x - Lam0) w dx / Sum w dx (the numerator when the denominator is 0).
template <class W>
double Centroid(const TUNNO& U, double Lam0, W Weight) {
  double num = 0, den = 0;
  for (int32_t i = 2; i <= U.NDL; ++i) {
    const double x = (U.UL[i] + U.UL[i - 1]) / 2 * 1000;
    const double dx = (U.UL[i] - U.UL[i - 1]) * 1000;
    const double w = Weight(i);
    num += (x - Lam0) * w * dx;
    den += w * dx;
  }
  return den != 0 ? num / den : num;
}

bool HasAll(const TUNNO& U, const TARe& A) { return U.NDL >= 1 && NOf(A) >= U.NDL && NOf(U.UL) >= U.NDL; }

}  // namespace

namespace {
// One moment: the interval sum, the half-profile rule, the continuum and the equivalent width.
double Moment(TUNNO& U, const std::string& Name, const TARe& A, double Sign, int32_t P,
              bool RefByQa, THalf Half) {
  if (U.K4 == 1 || !HasAll(U, A)) return 0;
  double lam0 = 0;
  if (!RefPoint(U, Name, lam0)) return 0;
  const double ref = RefByQa && U.ChDL == 'A' ? lam0 + U.QaMoment() : lam0;
  double s = IntervalSum(U, P, ref, [&](int32_t i) { return Sign * (A[i] + A[i - 1]) / 2; });
  if (U.KSym == 1) s = Half == THalf::Double ? 2 * s : Half == THalf::Zero ? 0 : s;
  if (U.KCONT == 0 && U.CONT != 0) s /= U.CONT;
  const double w = U.EqWidthDef('I');
  if (w != 0) s /= w;
  return s;
}
}  // namespace

// The I moments read the intensity itself (an even function: the first moment of a half profile
// is 0, the second doubled); V is odd: its first moment doubles, its second moment of a half
// profile is 0 (odd integrand), like the first moments of I and Q.
double TUNNO::VMoment1() {
  return K4 == 1 ? 0 : Moment(*this, "VMoment1", CurV(), -1, 1, false, THalf::Double);
}
double TUNNO::VMoment2() {
  return K4 == 1 ? 0 : Moment(*this, "VMoment2", CurV(), 1, 2, false, THalf::Zero);
}
double TUNNO::QMoment1() {
  return K4 == 1 ? 0 : Moment(*this, "QMoment1", CurQ(), 1, 1, false, THalf::Zero);
}
double TUNNO::QMoment2() {
  return K4 == 1 ? 0 : Moment(*this, "QMoment2", CurQ(), 1, 2, true, THalf::Double);
}
double TUNNO::UMoment2() {
  return K4 == 1 ? 0 : Moment(*this, "UMoment2", CurU(), 1, 2, true, THalf::Double);
}
double TUNNO::IMoment1() {
  return K4 == 1 ? 0 : Moment(*this, "IMoment1", CurI(), 1, 1, false, THalf::Zero);
}
double TUNNO::IMoment2() {
  return K4 == 1 ? 0 : Moment(*this, "IMoment2", CurI(), 1, 2, false, THalf::Double);
}

double TUNNO::VaMoment() {
  const TARe& v = CurV();
  if (K4 == 1 || !HasAll(*this, v)) return 0;
  double lam0 = 0;
  if (!RefPoint(*this, "VaMoment", lam0)) return 0;
  return Centroid(*this, lam0, [&](int32_t i) { return std::fabs((v[i] + v[i - 1]) / 2); });
}

double TUNNO::QaMoment() {
  const TARe &q = CurQ(), &u = CurU();
  if (K4 == 1 || !HasAll(*this, q) || !HasAll(*this, u)) return 0;
  double lam0 = 0;
  if (!RefPoint(*this, "QaMoment", lam0)) return 0;
  return Centroid(*this, lam0, [&](int32_t i) {
    const double mq = (q[i] + q[i - 1]) / 2, mu = (u[i] + u[i - 1]) / 2;
    return std::sqrt(mq * mq + mu * mu);
  });
}

namespace {
double IpmVCentre(TUNNO& U, const char* Name, const TARe& I, const TARe& V, double Sign) {
  if (U.K4 == 1 || !HasAll(U, I) || !HasAll(U, V)) return 0;
  double lam0 = 0;
  if (!RefPoint(U, Name, lam0)) return 0;
  const double c = U.KCONT == 1 ? 1 : U.CONT;
  auto d = [&](int32_t k) { return c - (I[k] + Sign * V[k]); };
  return Centroid(U, lam0, [&](int32_t i) { return std::fabs((d(i) + d(i - 1)) / 2); });
}
}  // namespace

double TUNNO::dl_IpV() { return IpmVCentre(*this, "dl_IpV", CurI(), CurV(), 1); }
double TUNNO::dl_ImV() { return IpmVCentre(*this, "dl_ImV", CurI(), CurV(), -1); }

double TUNNO::COGSplitIV() const {
  if (K4 == 1) return 0;
  TARe p, m, x, dp, dm;
  CopyIpVCur(p);
  CopyImVCur(m);
  const double c = KCONT == 1 ? 1 : CONT;
  if (c == 0 || NOf(p) < 2) return 0;
  AReDepthTo(p, dp, c);
  AReDepthTo(m, dm, c);
  GetAbsLamFull(x);
  return (LineCenterGR(x, dp) - LineCenterGR(x, dm)) * 500;
}

double TUNNO::EqWidth(char Kind, double A, double B) {
  if (CONT == 0 && KCONT != 1)
    ErrAbs("TUNNO.EqWidth LCONT=0!!! " + UnnoName(*this) + " LIN=" + sULin);
  if (K4 == 1 && (Kind == 'Q' || Kind == 'U' || Kind == 'V')) return 0;
  if (B > LAMB) {
    // absolute wavelengths as signed offsets (a blue limit above LAMB is not mirrored)
    A = (A - LAMB) * 1000;
    B = (B - LAMB) * 1000;
  } else if (A > 0) {
    A = -A;  // an offset limit given positive is the blue one
  }
  const bool limits = A != 0 || B != 0;
  const bool full = KSym != 1 || (limits && A * B < 0);
  thread_local TARe X, Y;
  if (full && KSym == 1) {
    GetAbsLamFull(X);
    CopyUFull(Kind, Y);
  } else {
    X = UL;
    const TARe& src = Kind == 'I' ? CurI() : Kind == 'Q' ? CurQ() : Kind == 'U' ? CurU() : CurV();
    Y = src;
  }
  const int32_t n = std::min(NOf(X), NOf(Y));
  if (n < 1) return 0;
  if (A > B) std::swap(A, B);
  const bool divide = KCONT != 1;
  auto f = [&](int32_t k) -> double {
    if (k < 1 || k > n) return 0;  // beyond the grid the integrand is 0
    const double y = divide ? Y[k] / CONT : Y[k];
    return Kind == 'I' ? 1 - y : std::fabs(y);
  };
  double w = 0;
  int32_t i1 = 1, i2 = n;
  if (limits) {
    const double base = ChDL == '0' ? 0 : LAMB;
    const double la = A / 1000 + base, lb = B / 1000 + base;
    if (la > X[n] || lb < X[1]) {
      WARNAbs("EqWidth LAM1/2=" + FDecSt(4, la) + "/" + FDecSt(4, lb) + " UX[1]=" +
              FDecSt(4, X[1]) + " UX[" + IntStr(n) + "]=" + FDecSt(4, X[n]) + " LAMB=" +
              FDecSt(4, LAMB) + " ChDL=" + BoolStr(ChDL == 'A') + "\r\n" + "LAM1/2=" +
              FDecSt(4, la - LAMB) + "/" + FDecSt(4, lb - LAMB) + " UX[1]=" +
              FDecSt(4, X[1] - LAMB) + " UX[" + IntStr(n) + "]=" + FDecSt(4, X[n] - LAMB));
      return 0;
    }
    i1 = 1;
    while (i1 <= n && X[i1] < la) ++i1;
    i2 = n;
    while (i2 >= 1 && X[i2] > lb) --i2;
    // the integrand at a limit inside the grid, interpolated between its grid points
    auto at = [&](double l, int32_t lo) {
      if (lo < 1 || lo >= n) return 0.0;
      return f(lo) + (f(lo + 1) - f(lo)) * (l - X[lo]) / (X[lo + 1] - X[lo]);
    };
    if (i2 < i1) {
      w = (lb - la) * (at(la, i2) + at(lb, i2)) / 2;
    } else {
      if (la < X[i1]) w += (X[i1] - la) * (f(i1) + (i1 == 1 ? 0.0 : at(la, i1 - 1))) / 2;
      if (lb > X[i2]) w += (lb - X[i2]) * (f(i2) + (i2 == n ? 0.0 : at(lb, i2))) / 2;
    }
  }
  for (int32_t k = i1; k <= i2 - 1; ++k) w += (X[k + 1] - X[k]) * (f(k) + f(k + 1)) / 2;
  if (!full) w *= 2;
  return w * 1000;
}

void TUNNO::COGivField(bool WavelengthAxis, double WLine, int32_t KMul) {
  const double cont = KCONT == 1 ? 1 : CONT;
  double lam0 = LamC;
  if (KSym == 1) Spread();
  const int32_t n = NDL;
  if (n < 2 || NOf(UL) < n || NOf(UI) < n || NOf(UV) < n || K4 == 1) return;
  const double delta = (UL[n] - UL[1]) / (n - 1);
  thread_local TARe idx, P, M;
  const TARe* X = &UL;
  double scale = 1;
  if (!WavelengthAxis) {
    idx.assign(static_cast<size_t>(n) + 2, 0.0);
    for (int32_t k = 1; k <= n + 1; ++k) idx[k] = k;
    X = &idx;
    scale = delta;
  }
  if (lam0 == 0) lam0 = UL[(n + 1) / 2];
  const double g = LineGEff(sULin);
  const double cb = 4.6686E-13 * lam0 * lam0 * g;
  const double cv = 299792.4562 / lam0;
  if (g == 0)
    WARNAbs("UNNO.COGivField: у линии <"_cp + sULin + "> нет фактора Ланде, поле не определено"_cp);
  P.assign(static_cast<size_t>(n) + 1, 0.0);
  M.assign(static_cast<size_t>(n) + 1, 0.0);
  for (int32_t k = 1; k <= n; ++k) {
    P[k] = UI[k] + UV[k];
    M[k] = UI[k] - UV[k];
  }
  const double pMin = AReMin(P, 1, n), mMin = AReMin(M, 1, n);
  const double mid = (pMin + mMin) / 2, low = std::min(pMin, mMin), span = cont - mid;
  auto field = [&](double cP, double cM) { return cb != 0 ? (cP - cM) * scale / 2 / cb : 0.0; };
  TStringList* none = nullptr;
  double width = 0;
  // the centre of gravity of Y between lo and hi over the points that reach below hi (and their
  // outer neighbours): the intervals left out lie wholly above the slice and add nothing
  auto cog = [&](const TARe& Y, double lo, double hi) {
    int32_t a = 1;
    while (a <= n && !(Y[a] < hi)) ++a;
    if (a > n) return SlicedCOG(1, n, *X, Y, lo, hi, width, false, none);
    int32_t b = n;
    while (!(Y[b] < hi)) --b;
    return SlicedCOG(std::max(1, a - 1), std::min(n, b + 1), *X, Y, lo, hi, width, false, none);
  };
  auto cogs = [&](double lo, double hi, double& cP, double& cM) {
    cP = cog(P, lo, hi);
    cM = cog(M, lo, hi);
  };
  double cP = 0, cM = 0;
  for (int32_t s = 9; s >= 1; --s) {
    const double lo = s == 9 ? low : mid + (9 - s) / 10.0 * span;
    const double hi = mid + (11 - s) / 10.0 * span;
    cogs(lo, hi, cP, cM);
    CogB[s - 1] = field(cP, cM);
    const double lc = WavelengthAxis ? (cP + cM) / 2 : ((cP + cM) / 2 - 1) * delta + UL[1];
    CogV[s - 1] = (lc - lam0) * cv;
  }
  cogs(mid, mid + 0.06 * span, cP, cM);
  B94 = field(cP, cM);
  cogs(cont - 0.06 * span, cont, cP, cM);
  B06 = field(cP, cM);
  const double window = WavelengthAxis ? 15 * delta : 15;
  cP = SlicedCOGCore(1, n, *X, P, WLine, KMul, mid, cont, window);
  cM = SlicedCOGCore(1, n, *X, M, WLine, KMul, mid, cont, window);
  CoreB = field(cP, cM);
}
