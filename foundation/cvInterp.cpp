#include "foundation/cvInterp.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <type_traits>

#include "foundation/cvArr.h"
#include "foundation/cvFunc.h"
#include "foundation/cvLdRound.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvSpline.h"
#include "foundation/cvStr.h"

namespace {

using LD = long double;
const std::string CRLF = "\r\n";

// One spline per thread for the one-call interpolations: rebuilding it reuses its storage, so a
// call allocates nothing once the tables stop growing.
TSPLINE& ScratchSpline() {
  static thread_local TSPLINE S;
  return S;
}

// Interval index of the last SplineSEVAL call (per thread).
thread_local int32_t SevalI = 1;

int Sign(double d) { return d > 0 ? 1 : (d < 0 ? -1 : 0); }

template <class VY>
void TurnPointsOf(const VY& Y, int32_t i1, int32_t i2, VY& V, TAIn& Idx) {
  const int n = NOf(Y);
  if (n < 1) {
    Idx.assign(1, 0);
    V.assign(1, 0);
    return;
  }
  i1 = std::clamp(i1, 1, n);
  i2 = std::clamp(i2, 1, n);
  if (i2 < i1) i2 = i1;
  // Room for every point the range can give (start, one per step, end): the scan below never
  // reallocates.
  Idx.clear();
  Idx.reserve(static_cast<size_t>(i2 - i1) + 3);
  Idx.push_back(0);

  // First non-zero step at or after i1 (its end may be i2 + 1).
  int i = i1 + 1;
  while (i <= i2 + 1 && i <= n && Y[i] == Y[i - 1]) ++i;
  int s = 0;
  if (i <= i2 + 1 && i <= n) s = Sign(double(Y[i]) - double(Y[i - 1]));

  // Start: back to where the first slope begins.
  int p = i1;
  while (p > 1) {
    const int d = Sign(double(Y[p]) - double(Y[p - 1]));
    if (d == 0 || d == s) --p;
    else break;
  }
  Idx.push_back(p);

  // a step's sign from comparing its ends (the sign of their difference, NaN giving none)
  for (int k = i; k <= i2 - 1; ++k) {
    const auto a = Y[k], b = Y[k + 1];
    if ((s > 0 && b < a) || (s < 0 && b > a)) {
      Idx.push_back(k);
      s = -s;
    }
  }

  // End: on to where the last slope ends.
  int q = i2;
  while (q < n) {
    const int d = Sign(double(Y[q + 1]) - double(Y[q]));
    if (d == 0 || d == s) ++q;
    else break;
  }
  if (Idx.back() != q) Idx.push_back(q);

  V.assign(Idx.size(), 0);
  for (size_t k = 1; k < Idx.size(); ++k) V[k] = Y[Idx[k]];
}

template <class VY>
void MinWingsOf(const VY& Y, int32_t i1, int32_t i2, int32_t& iR, int32_t& iL, double level) {
  const int n = NOf(Y);
  if (n < 1) return;
  i1 = std::clamp(i1, 1, n);
  i2 = std::clamp(i2, 1, n);
  int m = i1;
  auto low = Y[i1];
  for (int i = i1 + 1; i <= i2; ++i)
    if (Y[i] < low) {
      low = Y[i];
      m = i;
    }
  auto wings = [&](auto above) {
    iL = i1;
    for (int k = m - 1; k >= i1; --k)
      if (above(Y[k])) {
        iL = k;
        break;
      }
    iR = i2;
    for (int k = m + 1; k <= i2; ++k)
      if (above(Y[k])) {
        iR = k;
        break;
      }
  };
  // whole-number profiles: compared with the level's floor (the same answers)
  if constexpr (std::is_same_v<typename VY::value_type, int32_t>) {
    const TIntLevel t(level);
    if (t.Valid) return wings([lo = t.Lo](int32_t y) { return y > lo; });
  }
  wings([level](auto y) { return y > level; });
}

void ThinByFraction(TARe& V, TAIn& Idx, double fraction) {
  if (NOf(V) < 4) return;
  double mn = 0, mx = 0;
  mn = mx = V[1];
  for (int k = 2; k <= NOf(V); ++k) {
    mn = std::min(mn, V[k]);
    mx = std::max(mx, V[k]);
  }
  TurnPointsThin(V, Idx, fraction * (mx - mn));
}

}  // namespace

// ---- interpolation ----

double LinIpol2(double x, double x1, double x2, double y1, double y2) {
  return ((x2 - x) * y1 - (x1 - x) * y2) / (x2 - x1);
}

double AReLinIpol(const TARe& X, const TARe& Y, double x) {
  const int n = std::min(NOf(X), NOf(Y));
  if (n < 1) return 0;
  if (n == 1) return Y[1];
  const bool rising = !(X[1] > X[n]);
  if (rising ? x < X[1] : x > X[1]) return LinIpol2(x, X[1], X[2], Y[1], Y[2]);
  if (rising ? x > X[n] : x < X[n]) return LinIpol2(x, X[n - 1], X[n], Y[n - 1], Y[n]);
  const auto first = X.begin() + 2, last = X.begin() + n + 1;
  const auto it = rising ? std::lower_bound(first, last, x)
                         : std::lower_bound(first, last, x, std::greater<double>());
  const int k = std::min(static_cast<int>(it - X.begin()), n);
  if (X[k] == x) return Y[k];
  return LinIpol2(x, X[k - 1], X[k], Y[k - 1], Y[k]);
}

double AReIpolCubicX(const TARe& X, const TARe& Y, double x) {
  const int n = NOf(X);
  int i = 0;
  if (n >= 1) {
    const bool rising = !(X[1] > X[n]);
    const auto first = X.begin() + 1, last = X.begin() + n + 1;
    const auto it = rising ? std::upper_bound(first, last, x)
                           : std::upper_bound(first, last, x, std::greater<double>());
    i = static_cast<int>(it - first);
  }
  return AReIpolCubic(i, X, Y, x);
}

double AReIpolCubic(int32_t i, const TARe& X, const TARe& Y, double x) {
  const int n = std::min(NOf(X), NOf(Y));
  if (n <= 1) return n == 1 ? Y[1] : 0.0;
  if (n == 2) return LinIpol2(x, X[1], X[2], Y[1], Y[2]);
  if (n == 3) {
    i = std::clamp(i, 1, 2);
    return LinIpol2(x, X[i], X[i + 1], Y[i], Y[i + 1]);
  }
  if (i < 2) {
    if ((x - X[2]) / (X[1] - X[2]) > 1) return LinIpol2(x, X[1], X[4], Y[1], Y[4]);
    i = 2;
  }
  if (i > n - 2) {
    if ((x - X[n - 1]) / (X[n] - X[n - 1]) > 1) return LinIpol2(x, X[n - 3], X[n], Y[n - 3], Y[n]);
    i = n - 2;
  }
  // Aitken-Neville over points i-1 .. i+2.
  LD xs[4], p[4];
  for (int k = 0; k < 4; ++k) {
    xs[k] = X[i - 1 + k];
    p[k] = Y[i - 1 + k];
  }
  const LD u = x;
  for (int m = 1; m < 4; ++m)
    for (int k = 0; k + m < 4; ++k)
      p[k] = ((u - xs[k + m]) * p[k] + (xs[k] - u) * p[k + 1]) / (xs[k] - xs[k + m]);
  return static_cast<double>(p[0]);
}

double IPOL1(const TARe& AX, const TARe& AY, std::string& Err, double x) {
  Err.clear();
  const int N = NOf(AX);
  if (N >= 1 && NOf(AY) < N) {
    Err = "cvARe.IPOL1 - ошибка, массив Ay["_cp + IntStr(NOf(AY)) + "] короче Ax["_cp + IntStr(N) + "]";
    return NOf(AY) >= 1 ? AY[1] : 0.0;
  }
  if (!AReStrictMonotonic(AX)) {
    const int k = AReMonoBreak(AX);
    const std::string sk = IntStr(k), sk1 = IntStr(k - 1), sk2 = IntStr(k + 1), sN = IntStr(N);
    Err = "cvARe.IPOL1 - ошибка, немонотонный аргумент в массиве Ax["_cp + sN + "]" + CRLF +
          "в позиции "_cp + sk + "! X=" + ESt(7, x) + CRLF +
          "Ax[1]=" + ESt(5, AX[1]) + " / Ax[" + sk1 + "]=" + ESt(5, AX[k - 1]) + " Ax[" + sk +
          "]=" + ESt(5, AX[k]) + " Ax[" + sk2 + "]=" + ESt(5, AX[k + 1]) + " / Ax[" + sN +
          "]=" + ESt(5, AX[N]) + CRLF +
          "Ay[1]=" + ESt(5, AY[1]) + " / Ay[" + sk1 + "]=" + ESt(5, AY[k - 1]) + " Ay[" + sk +
          "]=" + ESt(5, AY[k]) + " Ay[" + sk2 + "]=" + ESt(5, AY[k + 1]) + " / Ay[" + sN +
          "]=" + ESt(5, AY[N]);
    return AY[1];
  }
  if (N >= 4) {
    TSPLINE& S = ScratchSpline();
    S.SetData(N, AX, AY);
    return S.Eval(x);
  }
  if (N >= 2) {
    const bool rising = AX[1] < AX[N];
    const bool first = rising ? !(x >= AX[2]) : x > AX[2];
    return first ? LinIpol2(x, AX[1], AX[2], AY[1], AY[2])
                 : LinIpol2(x, AX[N - 1], AX[N], AY[N - 1], AY[N]);
  }
  if (N == 1) return AY[1];
  Err = "cvARe.IPOL1 - ошибка, неверная размерность в массиве Ax["_cp + IntStr(N) + "]";
  return 0;
}

double IPOL1Warn(const TARe& AX, const TARe& AY, double x) {
  std::string err;
  const double r = IPOL1(AX, AY, err, x);
  if (!err.empty()) WARNAbs(err);
  return r;
}

// ---- slopes and derivatives ----

void AReSlopes(const TARe& X, const TARe& Y, TARe& Mid, TARe& Steps, TARe& Slopes) {
  const int n = std::min(NOf(X), NOf(Y));
  const size_t len = static_cast<size_t>(std::max(n, 1));
  Mid.assign(len, 0.0);
  Steps.assign(len, 0.0);
  Slopes.assign(len, 0.0);
  double prev = 0;
  for (int i = 1; i <= n - 1; ++i) {
    const double h = X[i + 1] - X[i];
    Mid[i] = X[i] + h / 2;
    Steps[i] = h;
    if (h != 0) prev = (Y[i + 1] - Y[i]) / h;
    Slopes[i] = prev;
  }
}

void GetDifEx(const TARe& AX, const TARe& AY, TARe& ADif) {
  const int N = std::min(NOf(AX), NOf(AY));
  if (!AReStrictMonotonic(AX)) {
    const int k = AReMonoBreak(AX);
    WARNAbs("uPMAS.GetDifEx массив Ax["_cp + IntStr(NOf(AX)) + "] немонотонный в позиции "_cp +
            IntStr(k) + "!" + CRLF + "Ax[1]=" + ESt(3, AX[1]) + " Ax[2]=" + ESt(3, AX[2]) +
            " Ax[" + IntStr(k - 1) + "]=" + ESt(4, AX[k - 1]) + " Ax[" + IntStr(k) +
            "]=" + ESt(4, AX[k]));
    return;
  }
  ADif.assign(static_cast<size_t>(N) + 1, 0.0);
  if (N < 2) return;  // no step to take a difference over
  TSPLINE& S = ScratchSpline();
  S.SetData(N, AX, AY);
  auto central = [&S](double x, double h) { return (S.Eval(x + h / 2) - S.Eval(x - h / 2)) / h; };
  double h = AX[2] - AX[1];
  ADif[1] = central(AX[1], h);
  for (int i = 2; i <= N - 1; ++i) {
    const double h1 = AX[i] - AX[i - 1], h2 = AX[i + 1] - AX[i];
    h = std::fabs(h2) < std::fabs(h1) ? h2 : h1;
    ADif[i] = central(AX[i], h);
  }
  ADif[N] = central(AX[N], h);
}

double AReExtremumX(int32_t i, const TARe& X, const TARe& Y) {
  const int n = std::min(NOf(X), NOf(Y));
  if (n <= 0) {
    WARNAbs("НЕ МОЖЕТ БЫТЬ 123 456"_cp);
    return 1;
  }
  if (n == 1) return X[1];
  if (n == 2)  // the extremum lies a step beyond the lower end
    return Y[1] >= Y[2] ? X[2] + (X[2] - X[1]) : X[1] - (X[2] - X[1]);
  TARe D;
  GetDifEx(X, Y, D);
  if (NOf(D) < n) return X[std::clamp(i, 1, n)];  // not monotonic: GetDifEx has warned
  if (AReStrictMonotonic(D)) return IPOL1Warn(D, X, 0);
  int b = i;
  if (i >= n) b = n - 1;
  if (i <= 2) b = 1;
  return LinIpol2(0, D[b], D[b + 1], X[b], X[b + 1]);
}

double AReMaxX3(const TARe& Y, const TARe& X) {
  const int n = std::min(NOf(X), NOf(Y));
  double M = 0;
  int32_t k = 1;
  AReMAXIdx(Y, M, k);
  if (n < 1) return 0;
  k = std::clamp(k, 1, n);
  if (k == 1 || k == n) return X[k];  // a peak at an end of the table cannot be refined
  const double d1 = Y[k] - Y[k - 1], d2 = Y[k + 1] - Y[k];
  const double m1 = (X[k - 1] + X[k]) / 2, m2 = (X[k + 1] + X[k]) / 2;
  return m1 - d1 / (d2 - d1) * (m2 - m1);
}

// ---- turning points ----

void AReTurnPoints(const TARe& Y, int32_t i1, int32_t i2, TARe& V, TAIn& Idx) {
  TurnPointsOf(Y, i1, i2, V, Idx);
}

void AInTurnPoints(const TAIn& Y, int32_t i1, int32_t i2, TAIn& V, TAIn& Idx) {
  TurnPointsOf(Y, i1, i2, V, Idx);
}

void TurnPointsThin(TARe& V, TAIn& Idx, double threshold) {
  for (;;) {
    const int n = NOf(V);
    if (n < 2) return;
    int j = 1;
    double m = std::fabs(V[2] - V[1]);
    for (int k = 2; k <= n - 1; ++k) {
      const double d = std::fabs(V[k + 1] - V[k]);
      if (d < m) {
        m = d;
        j = k;
      }
    }
    if (m > threshold) return;
    if (j == 1) {
      AReDelete(V, 1);
      AInDelete(Idx, 1);
    } else if (j == n - 1) {
      AReDelete(V, n);
      AInDelete(Idx, n);
    } else {
      AReDeletePair(V, j);
      AInDeletePair(Idx, j);
    }
  }
}

void AReExtrema(const TARe& Y, int32_t i1, int32_t i2, int32_t& Count, TARe& V, TAIn& Idx,
                double fraction) {
  AReTurnPoints(Y, i1, i2, V, Idx);
  ThinByFraction(V, Idx, fraction);
  Count = NOf(V);
}

void AInExtrema(const TAIn& Y, int32_t i1, int32_t i2, int32_t& Count, TARe& V, TAIn& Idx,
                double fraction) {
  TAIn VI;
  AInTurnPoints(Y, i1, i2, VI, Idx);
  V = AInToARe(VI);
  ThinByFraction(V, Idx, fraction);
  Count = NOf(V);
}

int32_t AReExtremaCount(const TARe& Y, int32_t i1, int32_t i2, double fraction) {
  int32_t count = 0;
  TARe V;
  TAIn Idx;
  AReExtrema(Y, i1, i2, count, V, Idx, fraction);
  return count;
}

int32_t AInExtremaCount(const TAIn& Y, int32_t i1, int32_t i2, double fraction) {
  int32_t count = 0;
  TARe V;
  TAIn Idx;
  AInExtrema(Y, i1, i2, count, V, Idx, fraction);
  return count;
}

void AReMinWings(const TARe& Y, int32_t i1, int32_t i2, int32_t& iR, int32_t& iL, double level) {
  MinWingsOf(Y, i1, i2, iR, iL, level);
}

void AInMinWings(const TAIn& Y, int32_t i1, int32_t i2, int32_t& iR, int32_t& iL, double level) {
  MinWingsOf(Y, i1, i2, iR, iL, level);
}

void WingsAtLevel(const TARe& AX, const TARe& AY, int32_t I1, double& XR, double& XL, double level,
                  int32_t I0, int32_t I2) {
  if (I0 < I1 || I2 < I0)
    WARNAbs("WingsAtLevel-ERR: I0="_cp + IntStr(I0) + " не попадает в интервал ["_cp + IntStr(I1) +
            "," + IntStr(I2) + "]!!!");
  const int n = std::min(NOf(AX), NOf(AY));
  if (n < 1) return;
  I0 = std::clamp(I0, 1, n);
  I1 = std::clamp(I1, 1, n);
  I2 = std::clamp(I2, 1, n);

  // Left side.
  int i = I0;
  while (AY[i] > level && i > I1) --i;
  if ((level > AY[i] && i < I0) || level < AY[i]) {
    int j = i + 1;
    while (j <= n && AY[j] == AY[i]) ++j;
    XL = j <= n ? AX[j] - (AX[j] - AX[i]) * (AY[j] - level) / (AY[j] - AY[i]) : AX[i];
  } else {
    XL = AX[i];  // the level met exactly here (or at I0)
  }

  // Right side.
  int k = I0;
  while (AY[k] > level && k < I2) ++k;
  if ((level > AY[k] && k > I0) || level < AY[k]) {
    int l = k - 1;
    while (l >= 1 && AY[l] == AY[k]) --l;
    XR = l >= 1 ? AX[l] + (AX[k] - AX[l]) * (AY[l] - level) / (AY[l] - AY[k]) : AX[k];
  } else {
    XR = AX[k];
  }
}

// ---- smoothing and midpoints ----

void AReGSmooth(const TARe& X, const TARe& Y, TARe& R, double W) {
  if (NOf(Y) < 1) {
    WARNAbs("AReGSmooth ERR: Массив AY0 имеет размер 0!"_cp);
    return;
  }
  if (NOf(X) < 1) {
    WARNAbs("AReGSmooth ERR: Массив X имеет размер 0!"_cp);
    return;
  }
  const int n = std::min(NOf(X), NOf(Y));
  R.assign(X.size(), 0.0);
  R[0] = Y[0];
  for (int i = 1; i <= n; ++i) {
    if (W == 0) {
      R[i] = Y[i];
      continue;
    }
    double sw = 0, swy = 0;
    for (int j = 1; j <= n; ++j) {
      const double w = GaussNorm(std::fabs(X[i] - X[j]), W);
      sw += w;
      swy += w * Y[j];
    }
    R[i] = sw != 0 ? swy / sw : Y[i];
  }
}

void AReMid2(const TARe& X, const TARe& Y, TARe& MX, TARe& MY) {
  const int n = std::min(NOf(X), NOf(Y));
  const size_t len = static_cast<size_t>(std::max(n, 1));
  MX.assign(len, 0.0);
  MY.assign(len, 0.0);
  for (int i = 1; i <= n - 1; ++i) {
    MX[i] = (X[i] + X[i + 1]) / 2;
    MY[i] = (Y[i] + Y[i + 1]) / 2;
  }
}

void AReMean3(const TARe& A, TARe& R) {
  const int n = NOf(A);
  R.assign(A.size(), 0.0);
  if (n < 1) return;
  R[1] = A[1];
  R[n] = A[n];
  for (int i = 2; i <= n - 1; ++i) R[i] = (A[i - 1] + A[i] + A[i + 1]) / 3;
}

// ---- spline coefficients ----

void SplineCoefFMM(const TARe& X, const TARe& Y, TARe& B, TARe& C, TARe& D) {
  B.assign(X.size(), 0.0);
  C.assign(X.size(), 0.0);
  D.assign(X.size(), 0.0);
  const int N = std::min(NOf(X), NOf(Y));
  if (N < 2) return;
  FmmCoeffs(N, &X[1], &Y[1], &B[1], &C[1], &D[1]);
}

void SplineCoef4(const TSpl4& X, const TSpl4& Y, TSpl4& B, TSpl4& C, TSpl4& D) {
  B.fill(0);
  C.fill(0);
  D.fill(0);
  FmmCoeffs(4, X.data(), Y.data(), B.data(), C.data(), D.data());
}

double SplinePolyAt(int32_t i, double u, const TARe& X, const TARe& Y, const TARe& B,
                    const TARe& C, const TARe& D) {
  const auto in = [i](const TARe& a) { return i >= 0 && static_cast<size_t>(i) < a.size(); };
  if (!(in(X) && in(Y) && in(B) && in(C) && in(D))) return 0;
  const LD d = LD(u) - X[i];
  return static_cast<double>(Y[i] + d * (B[i] + d * (C[i] + d * D[i])));
}

double SplineSEVAL(int32_t N, double u, const TARe& X, const TARe& Y, const TARe& B, const TARe& C,
                   const TARe& D) {
  N = std::min({N, NOf(X), NOf(Y), NOf(B), NOf(C), NOf(D)});
  if (N < 1) return 0;
  int32_t& i = SevalI;
  if (i < 1) i = 1;
  if (i >= N) i = N;
  if (u < X[i] || u > X[i]) {
    int lo = u < X[i] ? 1 : i, hi = u < X[i] ? i : N + 1;
    do {
      const int k = (lo + hi) / 2;
      if (u < X[k]) hi = k;
      else lo = k;
    } while (hi > lo + 1);
    i = lo;
  }
  return SplinePolyAt(i, u, X, Y, B, C, D);
}

double SplineEval4(const TARe& AX, const TARe& AY, double x) {
  if (AX.size() != 5 || AY.size() != 5) {
    WARNAbs("SplineEval4-ERR: Ошибка в размере массивов"_cp);
    return 0;
  }
  TSpl4 X{AX[1], AX[2], AX[3], AX[4]}, Y{AY[1], AY[2], AY[3], AY[4]}, B, C, D;
  SplineCoef4(X, Y, B, C, D);
  const int k = std::fabs(x - X[2]) < std::fabs(x - X[1]) ? 2 : 1;
  const LD d = LD(x) - X[k];
  return static_cast<double>(Y[k] + d * (B[k] + d * (C[k] + d * D[k])));
}

int32_t IPower(int32_t a, int32_t n) {
  if (n <= 1) return a;
  uint32_t r = static_cast<uint32_t>(a);
  for (int32_t k = 2; k <= n; ++k) r *= static_cast<uint32_t>(a);
  return static_cast<int32_t>(r);
}

// ---- quadrature ----

void QUANC8(TRealFunc80 FUN, long double A, long double B, long double ABSERR, long double RELERR,
            long double& RESULT, long double& ERREST, int32_t& NOFUN, long double& FLAG) {
  constexpr int LEVMIN = 1;
  constexpr int LEVOUT = 8;
  constexpr int NOMAX = 20000;
  constexpr int LEVTOP = 120;
  int LEVMAX = LEVTOP;
  int NOFIN = NOMAX - 8 * (LEVMAX - LEVOUT + (1 << (LEVOUT + 1)));
  const LD W0 = 3956.0L / 14175.0L, W1 = 23552.0L / 14175.0L, W2 = -3712.0L / 14175.0L,
           W3 = 41984.0L / 14175.0L, W4 = -18160.0L / 14175.0L;

  LD QRIGHT[LEVTOP + 2];
  LD FSAVE[9][LEVTOP + 1], XSAVE[9][LEVTOP + 1];
  LD F[17], X[17];

  LD AREA = 0, COR11 = 0;
  FLAG = 0;
  RESULT = 0;
  ERREST = 0;
  NOFUN = 0;
  if (A == B) return;

  int LEV = 0;
  // Path of the current interval in the bisection tree, one bit per level (up to LEVTOP + 1 bits).
  unsigned __int128 NIM = 1;
  LD X0 = A;
  X[16] = B;
  LD QPREV = 0;
  LD F0 = FUN(X0);
  const LD STONE = (B - A) / 16;
  X[8] = (X0 + X[16]) / 2;
  X[4] = (X0 + X[8]) / 2;
  X[12] = (X[8] + X[16]) / 2;
  X[2] = (X0 + X[4]) / 2;
  X[6] = (X[4] + X[8]) / 2;
  X[10] = (X[8] + X[12]) / 2;
  X[14] = (X[12] + X[16]) / 2;
  for (int j = 2; j <= 16; j += 2) F[j] = FUN(X[j]);
  NOFUN = 9;

  for (;;) {
    // Evaluate the odd points of the current interval.
    X[1] = (X0 + X[2]) / 2;
    F[1] = FUN(X[1]);
    for (int j = 3; j <= 15; j += 2) {
      X[j] = (X[j - 1] + X[j + 1]) / 2;
      F[j] = FUN(X[j]);
    }
    NOFUN += 8;
    const LD STEP = (X[16] - X0) / 16;
    const LD QLEFT =
        (W0 * (F0 + F[8]) + W1 * (F[1] + F[7]) + W2 * (F[2] + F[6]) + W3 * (F[3] + F[5]) + W4 * F[4]) *
        STEP;
    QRIGHT[LEV + 1] = (W0 * (F[8] + F[16]) + W1 * (F[9] + F[15]) + W2 * (F[10] + F[14]) +
                       W3 * (F[11] + F[13]) + W4 * F[12]) *
                      STEP;
    const LD QNOW = QLEFT + QRIGHT[LEV + 1];
    const LD QDIFF = QNOW - QPREV;
    AREA += QDIFF;
    const LD ESTERR = std::fabs(QDIFF) / 1023;
    const LD TOLERR = std::max(ABSERR, RELERR * std::fabs(AREA)) * (STEP / STONE);

    bool refine;
    if (LEV < LEVMIN) {
      refine = true;
    } else if (LEV >= LEVMAX) {
      FLAG += 1;
      refine = false;
    } else if (NOFUN > NOFIN) {
      NOFIN *= 2;
      LEVMAX = LEVOUT;
      FLAG += (B - X0) / (B - A);
      refine = false;
    } else {
      refine = !(ESTERR <= TOLERR);
    }

    if (refine) {
      NIM *= 2;
      ++LEV;
      for (int i = 1; i <= 8; ++i) {
        FSAVE[i][LEV] = F[i + 8];
        XSAVE[i][LEV] = X[i + 8];
      }
      QPREV = QLEFT;
      for (int i = 1; i <= 8; ++i) {
        const int j = -i;
        F[2 * j + 18] = F[j + 9];
        X[2 * j + 18] = X[j + 9];
      }
      continue;
    }

    // Accept the interval and move on to the next one to the right.
    RESULT += QNOW;
    ERREST += ESTERR;
    COR11 += QDIFF / 1023;
    while (NIM % 2 != 0) {
      NIM /= 2;
      --LEV;
    }
    ++NIM;
    if (LEV <= 0) break;
    QPREV = QRIGHT[LEV];
    X0 = X[16];
    F0 = F[16];
    for (int i = 1; i <= 8; ++i) {
      F[2 * i] = FSAVE[i][LEV];
      X[2 * i] = XSAVE[i][LEV];
    }
  }

  RESULT += COR11;
  if (ERREST == 0) return;
  if (!std::isfinite(RESULT)) return;
  while (std::fabs(RESULT) + ERREST == std::fabs(RESULT)) ERREST *= 2;
}
