// The straightforward long-double forms of the area-centre routines and the moments (casts and
// floorl/ceill), as the foundation computed them before some of them went to double: tests
// compare the foundation's routines with them (the same bits, or within 1e-12 where a routine
// works in double).
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "foundation/cvArr.h"
#include "foundation/cvInterp.h"
#include "foundation/cvTy.h"

namespace plain {

using ld = long double;

template <class V>
inline ld IpolAt(const V& Y, int32_t n, ld r) {
  const int32_t k = static_cast<int32_t>(r);
  if (k >= n) return Y[n];
  return Y[k] + (r - k) * (static_cast<ld>(Y[k + 1]) - Y[k]);
}

template <class Val, class Add>
inline void Pieces(int32_t n, ld x1, ld x2, Val val, Add add) {
  if (n < 2) return;
  if (x1 < 1) x1 = 1;
  if (x2 > n) x2 = n;
  if (!(x2 > x1)) return;
  auto at = [&](ld r) -> ld {
    const int32_t k = static_cast<int32_t>(r);
    if (k >= n) return val(n);
    return val(k) + (r - k) * (val(k + 1) - val(k));
  };
  int32_t i = static_cast<int32_t>(x1);
  const ld f = x1 - i;
  int32_t g = static_cast<int32_t>(std::ceil(x2));
  const ld e = g - x2;
  if (f != 0 && e != 0 && g - 1 == i) {
    add((x2 - x1) * (at(x1) + at(x2)) / 2, (x1 + x2) / 2);
    return;
  }
  if (f != 0) {
    add((1 - f) * (at(x1) + val(i + 1)) / 2, (x1 + i + 1) / 2);
    ++i;
  }
  if (e != 0) {
    add((1 - e) * (val(g - 1) + at(x2)) / 2, (x2 + g - 1) / 2);
    --g;
  }
  for (int32_t k = i; k <= g - 1; ++k) add((val(k) + val(k + 1)) / 2, k + 0.5L);
}

template <class Q>
inline ld MoveTo(ld s, ld qs, ld e, ld target, Q q) {
  ld p = s, qp = qs;
  if (e > s) {
    for (int32_t k = static_cast<int32_t>(std::floor(s)) + 1; k < e; ++k) {
      const ld qk = q(k);
      if (qk >= target) return p + (target - qp) / (qk - qp) * (k - p);
      p = k;
      qp = qk;
    }
  } else {
    for (int32_t k = static_cast<int32_t>(std::ceil(s)) - 1; k > e; --k) {
      const ld qk = q(k);
      if (qk >= target) return p + (target - qp) / (qk - qp) * (k - p);
      p = k;
      qp = qk;
    }
  }
  return e;
}

template <class H>
inline double AreaMedian(ld L, ld R, int32_t l, int32_t r, H Hf) {
  while (r - l > 1) {
    while (R > L && r - l > 1) {
      L += Hf(l, l + 1);
      ++l;
    }
    while (R <= L && r - l > 1) {
      R += Hf(r - 1, r);
      --r;
    }
  }
  const ld g = Hf(l, r);
  const ld c = (static_cast<ld>(l) + r) / 2;
  return static_cast<double>(g != 0 ? c + (R - L) / (2 * g) : c);
}

template <class YAt>
inline double MatchedAreaMedian(const TARe& Y, ld a, ld b, ld ref, ld sign, YAt yAt) {
  const int32_t l = static_cast<int32_t>(std::floor(a)) + 1;
  const int32_t r = static_cast<int32_t>(std::ceil(b)) - 1;
  if (l > r) return static_cast<double>((a + b) / 2);
  auto H = [&](int32_t p, int32_t q) { return sign * ((static_cast<ld>(Y[p]) + Y[q]) / 2 - ref); };
  const ld L = (l - a) * sign * ((yAt(a) + Y[l]) / 2 - ref);
  const ld R = (b - r) * sign * ((Y[r] + yAt(b)) / 2 - ref);
  return AreaMedian(L, R, l, r, H);
}

inline double LineCenter_d(const TARe& Y, double ir1, double ir2) {
  const int32_t n = NOf(Y);
  if (ir1 >= ir2 || ir1 < 1 || ir2 > n) return 0;
  auto yAt = [&](ld r) { return IpolAt(Y, n, r); };
  const ld v1 = yAt(ir1), v2 = yAt(ir2);
  ld a = ir1, b = ir2;
  const ld v = std::max(v1, v2);
  auto q = [&](int32_t k) -> ld { return Y[k]; };
  if (v1 < v2)
    a = MoveTo(a, v1, b, v, q);
  else if (v2 < v1)
    b = MoveTo(b, v2, a, v, q);
  return MatchedAreaMedian(Y, a, b, v, 1, yAt);
}

inline double LineCenter_RI(const TARe& Y, double ri1, double ri2) {
  const int32_t n = NOf(Y);
  if (ri1 >= ri2 || ri1 < 1 || ri2 > n) return 0;
  double lo = ri1, hi = ri2;
  auto yAt = [&](ld r) -> ld {
    if (r < 1 || r > n) return r < 1 ? Y[1] : Y[n];
    return IpolAt(Y, n, r);
  };
  TARe V;
  TAIn Idx;
  const int32_t w1 = static_cast<int32_t>(std::ceil(ri1)), w2 = static_cast<int32_t>(std::floor(ri2));
  if (w2 > w1) {
    AReTurnPoints(Y, w1, w2, V, Idx);
    if (NOf(V) >= 2) {
      double vmin = V[1], vmax = V[1];
      for (int32_t k = 2; k <= NOf(V); ++k) {
        vmin = std::min(vmin, V[k]);
        vmax = std::max(vmax, V[k]);
      }
      TurnPointsThin(V, Idx, 0.1 * (vmax - vmin));
    }
    if (NOf(Idx) == 3 && Idx[1] < Idx[3]) {
      lo = Idx[1];
      hi = Idx[3];
    }
  }
  const ld y1 = yAt(lo), y2 = yAt(hi);
  ld a = lo, b = hi;
  const ld level = std::min(y1, y2);
  auto depth = [&](int32_t k) -> ld { return -static_cast<ld>(Y[k]); };
  if (y1 > y2)
    a = MoveTo(a, -y1, b, -level, depth);
  else if (y2 > y1)
    b = MoveTo(b, -y2, a, -level, depth);
  ld ref = level;
  for (int32_t k = static_cast<int32_t>(std::floor(a)) + 1; k < b; ++k) ref = std::max<ld>(ref, Y[k]);
  return MatchedAreaMedian(Y, a, b, ref, -1, yAt);
}

inline double LineCenter0_IR(int32_t i1, int32_t i2, const TAIn& Y) {
  if (i2 - i1 + 1 < 2 || i1 < 1 || i2 >= static_cast<int32_t>(Y.size())) return 0;
  ld a = Y[i1];
  for (int32_t k = i1 + 1; k <= i2; ++k) a = std::max<ld>(a, Y[k]);
  auto H = [&](int32_t p, int32_t q) { return a - (static_cast<ld>(Y[p]) + Y[q]) / 2; };
  return AreaMedian(H(i1, i1 + 1), H(i2 - 1, i2), i1 + 1, i2 - 1, H);
}

inline double LineCenter1_IR(int32_t i1, int32_t i2, const TAIn& Y) {
  if (i2 < i1) std::swap(i1, i2);
  const int32_t n = NOf(Y);
  if (i2 - i1 + 1 < 2 || i1 < 1 || i2 >= static_cast<int32_t>(Y.size())) return 0;
  ld b = Y[i1];
  for (int32_t k = i1 + 1; k <= i2; ++k) b = std::max<ld>(b, Y[k]);
  const ld dL = b - Y[i1], dR = b - Y[i2], d = std::max(dL, dR);
  auto depth = [&](int32_t k) -> ld { return b - Y[k]; };
  ld a1 = i1, a2 = i2;
  if (dL < dR)
    a1 = MoveTo(a1, dL, a2, d, depth);
  else if (dR < dL)
    a2 = MoveTo(a2, dR, a1, d, depth);
  const ld ref = (dL == 0 || dR == 0) ? b - d : b;
  ld area = 0, moment = 0;
  Pieces(n, a1, a2, [&](int32_t k) -> ld { return ref - Y[k]; },
         [&](ld ar, ld c) {
           area += ar;
           moment += ar * c;
         });
  return static_cast<double>(area != 0 ? moment / area : moment);
}

inline double AReMoment0(const TARe& Y, double x1, double x2, double Base) {
  ld s = 0;
  if (Base != 0)
    Pieces(NOf(Y), x1, x2, [&](int32_t k) -> ld { return static_cast<ld>(Base) - Y[k]; },
           [&](ld a, ld) { s += a; });
  else
    Pieces(NOf(Y), x1, x2, [&](int32_t k) -> ld { return Y[k]; }, [&](ld a, ld) { s += a; });
  return static_cast<double>(s);
}

inline double AReMoment1(const TARe& Y, double x1, double x2, double x0) {
  ld s = 0;
  Pieces(NOf(Y), x1, x2, [&](int32_t k) -> ld { return Y[k]; },
         [&](ld a, ld c) { s += a * (c - x0); });
  return static_cast<double>(s);
}

inline double AReMoment2(const TARe& Y, double x1, double x2, double x0) {
  ld s = 0;
  Pieces(NOf(Y), x1, x2, [&](int32_t k) -> ld { return Y[k]; },
         [&](ld a, ld c) { s += a * (c - x0) * (c - x0); });
  return static_cast<double>(s);
}

}  // namespace plain
