#include "scans/cvWings.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdlib>

#include "foundation/cvArr.h"
#include "foundation/cvLdRound.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

// Last usable index of a 1-based array (0 for an empty one).
template <class V>
int32_t Last(const V& A) {
  return static_cast<int32_t>(NOf(A));
}

std::string N4(double x) { return ShortSt(4, x); }

// The point-to-level check of the interpolations between two wing points: y2 the inner value,
// y1 the outer one; a level outside them is warned about (the interpolation goes on).
void CheckSegment(const char* Head, int32_t ii, double Lev, double y1, double y2, bool Raw) {
  auto v = [Raw](double y) { return Raw ? IntStr(static_cast<int32_t>(y)) : N4(y); };
  if (y2 > Lev)
    WARNAbs(std::string(Head) + "СБОЙ ii="_cp + IntStr(ii) + " y=" + N4(Lev) + " < y2=" + v(y2) +
            " y1=" + v(y1));
  else if (Lev > y1)
    WARNAbs(std::string(Head) + "СБОЙ ii="_cp + IntStr(ii) + " y=" + N4(Lev) + " > y1=" + v(y1) +
            " y2=" + v(y2));
}

// The blue-side walks of WingBoundsI: down to a local bottom, up to the top of the wing (a dip
// of one pixel does not stop the climb).
int32_t DescendLeft(const TAIn& A, int32_t i) {
  while (i - 1 >= 2 && A[i - 1] <= A[i]) --i;
  return i;
}
int32_t ClimbLeft(const TAIn& A, int32_t i) {
  while (i - 2 >= 2) {
    if (A[i - 1] < A[i] && A[i - 2] < A[i]) break;
    --i;
  }
  return i;
}
// The red-side walks of WingBoundsI2, never beyond pixel Top (111 for a full profile).
int32_t DescendRight(const TAIn& A, int32_t i, int32_t Top) {
  while (i + 1 <= Top && A[i + 1] <= A[i]) ++i;
  return i;
}
int32_t ClimbRight(const TAIn& A, int32_t i, int32_t Top) {
  while (i + 2 <= Top) {
    if (A[i + 1] < A[i] && A[i + 2] < A[i]) break;
    ++i;
  }
  return i;
}

// Whether a candidate dip (bottom Bot, top Top, width v) replaces the current one (KL..KR).
bool TakeCandidate(const TAIn& A, int32_t Bot, int32_t Top, int32_t c, int32_t KL, int32_t KR,
                   double f) {
  if (std::abs(Bot - c) < 3) return true;
  const int32_t w = std::abs(KR - KL), v = std::abs(Bot - Top);
  if (w > v + 1 && v <= w * f && v < 5) return false;
  return std::fabs(double(A[Bot]) - A[Top]) > f * std::fabs(double(A[KR]) - A[KL]);
}

}  // namespace

// ---------------------------------------------------------------- line bounds

void WingBoundsI(int32_t K, const TAIn& A, int32_t& KL, int32_t& KR) {
  const int32_t n = Last(A);
  if (n < 4) return;
  K = std::clamp(K, 2, n);
  const bool two = K >= 60;
  const int32_t d = two ? 59 : 15, b = two ? 11 : 8, c = two ? 76 : 30;
  int32_t i = DescendLeft(A, K);
  KR = i;
  i = ClimbLeft(A, i);
  KL = i;
  double f = 0.66;
  if (K - c >= 1) f = 0.66 + (K - c) * 0.34 / 9;
  int32_t l = K >= c ? c - b : K - b;
  l = std::max(l, d);
  while (i >= l && i > 2) {
    i = DescendLeft(A, i - 1);
    if (i < l) break;
    const int32_t h = i;
    i = ClimbLeft(A, i);
    const int32_t g = i;
    if (g == 0 || h <= g) continue;
    if (!TakeCandidate(A, h, g, c, KL, KR, f)) continue;
    KL = g;
    KR = h;
    if (h < c) {
      l = h - b;
      f = 1.0;
    } else {
      l = c - b;
    }
    l = std::max(l, d);
  }
}

void WingBoundsI2(int32_t K, const TAIn& A, int32_t& KL, int32_t& KR) {
  const int32_t n = Last(A);
  if (n < 4) return;
  const int32_t top = std::min(111, n - 1);
  K = std::clamp(K, 1, top);
  const bool two = K >= 60;
  const int32_t d = two ? 93 : 45, b = two ? 11 : 8, c = two ? 76 : 30;
  int32_t i = DescendRight(A, K, top);
  KL = i;
  i = ClimbRight(A, i, top);
  KR = i;
  double f = 0.66;
  if (K - c >= 1) f = 0.66 + (K - c) * 0.34 / 9;
  int32_t l = K <= c ? c + b : K + b;
  l = std::min(l, d);
  while (i <= l && i < top) {
    i = DescendRight(A, i + 1, top);
    if (i > l) break;
    const int32_t g = i;
    i = ClimbRight(A, i, top);
    const int32_t h = i;
    if (g == 0 || h <= g) continue;
    if (!TakeCandidate(A, g, h, c, KL, KR, f)) continue;
    KL = g;
    KR = h;
    if (g > c) {
      l = g + b;
      f = 1.0;
    } else {
      l = c + b;
    }
    l = std::min(l, d);
  }
}

// ---------------------------------------------------------------- crossings, raw forms

namespace {

// Pixel values against a real level, one by one.
struct TRealCmp {
  double Lev;
  bool Above(int32_t a) const { return a > Lev; }
  bool Below(int32_t a) const { return a < Lev; }
  // K moved down while Above (or Below) holds and K > KEnd; up while K < KEnd.
  template <bool kAbove>
  int32_t Down(const int32_t* A, int32_t K, int32_t KEnd) const {
    while ((kAbove ? Above(A[K]) : Below(A[K])) && K > KEnd) --K;
    return K;
  }
  template <bool kAbove>
  int32_t Up(const int32_t* A, int32_t K, int32_t KEnd) const {
    while ((kAbove ? Above(A[K]) : Below(A[K])) && K < KEnd) ++K;
    return K;
  }
};

// Pixel values against the whole-number bounds of a level inside the int32 range: the same
// answers; the walks test four pixels at a time.
struct TIntCmp {
  int32_t Lo, Hi;  // a > Lev exactly when a > Lo; a < Lev exactly when a < Hi
  bool Above(int32_t a) const { return a > Lo; }
  bool Below(int32_t a) const { return a < Hi; }
  // The bits of the four pixels from P on that pass the test.
  template <bool kAbove>
  int Pass4(const int32_t* P) const {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
    const __m128i m = kAbove ? _mm_cmpgt_epi32(v, _mm_set1_epi32(Lo))
                             : _mm_cmplt_epi32(v, _mm_set1_epi32(Hi));
    return _mm_movemask_ps(_mm_castsi128_ps(m));
  }
  template <bool kAbove>
  int32_t Down(const int32_t* A, int32_t K, int32_t KEnd) const {
    while (K - 3 > KEnd) {
      const int m = Pass4<kAbove>(A + K - 3);
      if (m != 0xF) return K - 3 + (31 - __builtin_clz(~m & 0xF));
      K -= 4;
    }
    while ((kAbove ? Above(A[K]) : Below(A[K])) && K > KEnd) --K;
    return K;
  }
  template <bool kAbove>
  int32_t Up(const int32_t* A, int32_t K, int32_t KEnd) const {
    while (K + 3 < KEnd) {
      const int m = Pass4<kAbove>(A + K);
      if (m != 0xF) return K + __builtin_ctz(~m & 0xF);
      K += 4;
    }
    while ((kAbove ? Above(A[K]) : Below(A[K])) && K < KEnd) ++K;
    return K;
  }
};

// The walks of the raw crossings, C comparing pixel values with the level.
// Outer (when not null): in, a pixel the walk from KStart passes over the values above the level
// (or reaches as its end), out, where that part of the walk ended.
template <class C>
double LeWiRaw(int32_t KMin, int32_t KStart, int32_t& K, const TAIn& A, double Lev, const C& c,
               int32_t* Outer = nullptr) {
  const int32_t n = Last(A);
  if (n < 1) return KStart;
  KMin = std::clamp(KMin, 1, n);
  K = std::clamp(KStart, KMin, n);
  if (Outer) K = std::clamp(*Outer, KMin, K);
  K = c.template Down<true>(A.data(), K, KMin);
  if (Outer) *Outer = K;
  K = c.template Down<false>(A.data(), K, KMin);
  if (K == KMin && c.Below(A[K])) {
    WARNAbs("LineMetrix.ipolLeWi-ERROR!\n\rНа уровне I="_cp + N4(Lev) +
            " не найдено пересечение с левым крылом профиля\n\rI(край)["_cp + IntStr(KMin) +
            "]=" + IntStr(A[KMin]) + " I(центр)["_cp + IntStr(KStart) + "]=" +
            IntStr(A[std::clamp(KStart, 1, n)]));
    return KStart;
  }
  // Look-ahead: a short dip below the level just outside the crossing moves it outward.
  const int32_t lim = std::max(KMin, K - 8);
  int32_t j = K;
  bool dip = false;
  while (j > lim) {
    --j;
    if (c.Below(A[j])) {
      dip = true;
      break;
    }
  }
  if (dip) {
    const int32_t lim2 = std::max(KMin, j - 8);
    while (c.Below(A[j]) && j > lim2) --j;
    if (!c.Below(A[j])) K = j;
  }
  if (K >= n) return K;  // the level met at the profile's last point: nothing inside it
  K = K + 1;
  if (A[K - 1] == A[K]) return K - 0.5;
  return (K - 1) + (A[K - 1] - Lev) / (double(A[K - 1]) - A[K]);
}

template <class C>
double RiWiRaw(int32_t KStart, int32_t KMax, int32_t& K, const TAIn& A, double Lev, const C& c,
               int32_t* Outer = nullptr) {
  const int32_t n = Last(A);
  if (n < 1) return KStart;
  KMax = std::clamp(KMax, 1, n);
  K = std::clamp(KStart, 1, KMax);
  if (Outer) K = std::clamp(*Outer, K, KMax);
  K = c.template Up<true>(A.data(), K, KMax);
  if (Outer) *Outer = K;
  K = c.template Up<false>(A.data(), K, KMax);
  if (K == KMax && c.Below(A[K])) {
    WARNAbs("LineMetrix.ipolRiWi-ERROR!\n\rНа уровне I="_cp + N4(Lev) +
            " не найдено пересечение с правым крылом профиля\n\rI(центр)["_cp +
            IntStr(KStart) + "]=" + IntStr(A[std::clamp(KStart, 1, n)]) + " I(край)["_cp +
            IntStr(KMax) + "]=" + IntStr(A[KMax]));
    return KStart;
  }
  const int32_t lim = std::min(KMax, K + 8);
  int32_t j = K;
  bool dip = false;
  while (j < lim) {
    ++j;
    if (c.Below(A[j])) {
      dip = true;
      break;
    }
  }
  if (dip) {
    const int32_t lim2 = std::min(KMax, j + 8);
    while (c.Below(A[j]) && j < lim2) ++j;
    if (!c.Below(A[j])) K = j;
  }
  if (K <= 1) return K;  // the level met at the first point: nothing inside it
  K = K - 1;
  if (A[K + 1] == A[K]) return K + 0.5;
  return (K + 1) - (A[K + 1] - Lev) / (double(A[K + 1]) - A[K]);
}

}  // namespace

// Levels inside the int32 range compare through their whole-number bounds.
double ipolLeWi(int32_t KMin, int32_t KStart, int32_t& K, const TAIn& A, double Lev,
                int32_t* Outer) {
  const TIntLevel t(Lev);
  if (t.Valid && t.Lo >= INT32_MIN && t.Hi <= INT32_MAX)
    return LeWiRaw(KMin, KStart, K, A, Lev,
                   TIntCmp{static_cast<int32_t>(t.Lo), static_cast<int32_t>(t.Hi)}, Outer);
  return LeWiRaw(KMin, KStart, K, A, Lev, TRealCmp{Lev}, Outer);
}

double ipolRiWi(int32_t KStart, int32_t KMax, int32_t& K, const TAIn& A, double Lev,
                int32_t* Outer) {
  const TIntLevel t(Lev);
  if (t.Valid && t.Lo >= INT32_MIN && t.Hi <= INT32_MAX)
    return RiWiRaw(KStart, KMax, K, A, Lev,
                   TIntCmp{static_cast<int32_t>(t.Lo), static_cast<int32_t>(t.Hi)}, Outer);
  return RiWiRaw(KStart, KMax, K, A, Lev, TRealCmp{Lev}, Outer);
}

// ---------------------------------------------------------------- crossings, real forms

double ipolLeWi(int32_t KStart, int32_t KEnd, int32_t& K, const TARe& X, const TARe& Y,
                double Lev) {
  const int32_t n = std::min(Last(X), Last(Y));
  if (n < 2) return n == 1 ? X[1] : 0;
  KEnd = std::clamp(KEnd, 2, n);
  K = std::clamp(KStart, 2, KEnd);
  while (Y[K] > Lev && K < KEnd) ++K;
  if (K == KEnd) WARNAbs("LineMetrix.ipolLeWi-ERROR!!!");
  const double dx = X[K] - X[K - 1];
  if (Y[K - 1] == Y[K]) return X[K] - dx / 2;
  return X[K - 1] + (Lev - Y[K - 1]) / (Y[K] - Y[K - 1]) * dx;
}

double ipolRiWi(int32_t KLimit, int32_t KStart, int32_t& K, const TARe& X, const TARe& Y,
                double Lev) {
  const int32_t n = std::min(Last(X), Last(Y));
  if (n < 2) return n == 1 ? X[1] : 0;
  KLimit = std::clamp(KLimit, 1, n - 1);
  K = std::clamp(KStart, KLimit, n - 1);
  while (Y[K] > Lev && K > KLimit) --K;
  if (K == KLimit) WARNAbs("LineMetrix.ipolRiWi-ERROR!!!");
  const double dx = X[K] - X[K + 1];
  if (Y[K] == Y[K + 1]) return X[K] - dx / 2;
  return X[K + 1] + (Lev - Y[K + 1]) / (Y[K] - Y[K + 1]) * dx;
}

// ---------------------------------------------------------------- one segment

double RiPoLeWi_I(int32_t ii, const TAIn& A, double Lev) {
  ii = std::clamp(ii, 2, std::max(2, Last(A)));
  if (Last(A) < 2) return ii;
  const double y1 = A[ii - 1], y2 = A[ii];
  CheckSegment("LineMetrix-RiPoLeWi_I ", ii, Lev, y1, y2, true);
  if (y1 == y2) return ii - 0.5;
  return (ii - 1) + (Lev - y1) / (y2 - y1);
}

double RiPoLeWi_R(int32_t ii, const TARe& X, const TARe& Y, double Lev) {
  const int32_t n = std::min(Last(X), Last(Y));
  if (n < 2) return n == 1 ? X[1] : 0;
  ii = std::clamp(ii, 2, n);
  const double y1 = Y[ii - 1], y2 = Y[ii];
  CheckSegment("LineMetrix-RiPoLeWi_R ", ii, Lev, y1, y2, false);
  if (y1 == y2) return X[ii] - (X[ii] - X[ii - 1]) / 2;
  return X[ii - 1] + (Lev - y1) / (y2 - y1) * (X[ii] - X[ii - 1]);
}

double LePoRiWi(int32_t ii, const TAIn& A, double Lev) {
  if (Last(A) < 2) return ii;
  ii = std::clamp(ii, 1, Last(A) - 1);
  const double y2 = A[ii], y1 = A[ii + 1];
  CheckSegment("LineMetrix-LePoRiWi ", ii, Lev, y1, y2, true);
  if (y1 == y2) return ii + 0.5;
  return (ii + 1) - (Lev - y1) / (y2 - y1);
}

double LePoRiWi(int32_t ii, const TARe& X, const TARe& Y, double Lev) {
  const int32_t n = std::min(Last(X), Last(Y));
  if (n < 2) return n == 1 ? X[1] : 0;
  ii = std::clamp(ii, 1, n - 1);
  const double y2 = Y[ii], y1 = Y[ii + 1];
  CheckSegment("LineMetrix-LePoRiWi ", ii, Lev, y1, y2, false);
  if (y1 == y2) return (X[ii] + X[ii + 1]) / 2;
  return X[ii + 1] + (Lev - y1) / (y2 - y1) * (X[ii] - X[ii + 1]);
}

// ---------------------------------------------------------------- wing points

namespace {

template <class PosFn, class ValFn>
void CollectPoints(TARe& XOut, TARe& YOut, int32_t Len, int32_t& N, int32_t& K, int32_t KEnd,
                   int32_t Dir, double Lev1, double Lev2, PosFn Pos, ValFn Val) {
  if (K < 1 || K > Len) return;
  if (Val(K) == Lev1) K += Dir;
  const int32_t room = static_cast<int32_t>(std::min(XOut.size(), YOut.size())) - 1;
  while (K >= 1 && K <= Len && Val(K) > Lev2 && (Dir > 0 ? K < KEnd : K > KEnd)) {
    if (N + 1 > room) break;
    ++N;
    XOut[N] = Pos(K);
    YOut[N] = Val(K);
    K += Dir;
  }
}

}  // namespace

void LeWiPointsI(TARe& XOut, TARe& YOut, const TAIn& A, int32_t& N, int32_t& K, int32_t KEnd,
                 double Lev1, double Lev2) {
  CollectPoints(XOut, YOut, Last(A), N, K, KEnd, +1, Lev1, Lev2,
                [](int32_t k) { return double(k); }, [&A](int32_t k) { return double(A[k]); });
}

void RiWiPointsI(TARe& XOut, TARe& YOut, const TAIn& A, int32_t& N, int32_t& K, int32_t KEnd,
                 double Lev1, double Lev2) {
  CollectPoints(XOut, YOut, Last(A), N, K, KEnd, -1, Lev1, Lev2,
                [](int32_t k) { return double(k); }, [&A](int32_t k) { return double(A[k]); });
}

void LeWiPointsR(TARe& XOut, TARe& YOut, const TARe& X, const TARe& Y, int32_t& N, int32_t& K,
                 int32_t KEnd, double Lev1, double Lev2) {
  CollectPoints(XOut, YOut, std::min(Last(X), Last(Y)), N, K, KEnd, +1, Lev1, Lev2,
                [&X](int32_t k) { return X[k]; }, [&Y](int32_t k) { return Y[k]; });
}

void RiWiPointsR(TARe& XOut, TARe& YOut, const TARe& X, const TARe& Y, int32_t& N, int32_t& K,
                 int32_t KEnd, double Lev1, double Lev2) {
  CollectPoints(XOut, YOut, std::min(Last(X), Last(Y)), N, K, KEnd, -1, Lev1, Lev2,
                [&X](int32_t k) { return X[k]; }, [&Y](int32_t k) { return Y[k]; });
}

// ---------------------------------------------------------------- line midpoints

namespace {

double LevelMid(const TAIn& A, int32_t KLo, int32_t KMinP, int32_t KHi, int32_t Min, double Cont,
                double Frac) {
  const double lev = Min + Frac * (Cont - Min);
  int32_t k = 0;
  const double l = ipolLeWi(KLo, KMinP, k, A, lev);
  const double r = ipolRiWi(KMinP, KHi, k, A, lev);
  return (l + r) / 2;
}

}  // namespace

void BisLevPair(const TAIn& A, double Cont, double Frac, double& X1, double& X2, int32_t& KMin1,
                int32_t& KMin2, int32_t& Min1, int32_t& Min2) {
  if (Last(A) < 112) return;
  AInMinPoint(A, 1, 56, Min1, KMin1);
  AInMinPoint(A, 57, 112, Min2, KMin2);
  X1 = LevelMid(A, 1, KMin1, 56, Min1, Cont, Frac);
  X2 = LevelMid(A, 57, KMin2, 112, Min2, Cont, Frac);
}

void BisLevPairJ(const TAIn& A, int32_t J, double Cont, double Frac, double& X1, double& X2,
                 const TAIn& Min1, const TAIn& Min2, const TAIn& KMin1, const TAIn& KMin2) {
  if (Last(A) < 112 || J < 0 || J >= static_cast<int32_t>(Min1.size()) ||
      J >= static_cast<int32_t>(Min2.size()) || J >= static_cast<int32_t>(KMin1.size()) ||
      J >= static_cast<int32_t>(KMin2.size()))
    return;
  X1 = LevelMid(A, 1, std::clamp(KMin1[J], 1, 56), 56, Min1[J], Cont, Frac);
  X2 = LevelMid(A, 57, std::clamp(KMin2[J], 57, 112), 112, Min2[J], Cont, Frac);
}
