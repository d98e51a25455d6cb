#include "foundation/cvCentre.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/cvArr.h"
#include "foundation/cvInterp.h"
#include "foundation/cvLdRound.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

bool AReDebug = false;
TStringList* AReDebugSL = nullptr;

namespace {

using ld = long double;

const std::string kCrLf = "\r\n";

inline int32_t Len(const TARe& A) { return static_cast<int32_t>(A.size()); }
inline int32_t Len(const TAIn& A) { return static_cast<int32_t>(A.size()); }

// ------------------------------------------------------------------ sliced centre of gravity

// The region Lower..Upper above max(Y, Lower) over one interval, Y linear from a to b over the
// local coordinate s = 0..1: its area As and its first moment Ms about s = 0 (both per unit
// width). U = Upper, H = Upper - Lower. Every length is taken from differences of the given
// values, never as 1 - t, so each piece keeps full relative precision in double.
struct TSlice {
  double As = 0, Ms = 0;
};

inline TSlice SliceInterval(double a, double b, double L, double U, double H) {
  TSlice r;
  const bool aAbove = a >= U, bAbove = b >= U;
  if (aAbove && bAbove) return r;
  const bool aBelow = a <= L, bBelow = b <= L;
  if (aBelow && bBelow) {  // the full band: a rectangle
    r.As = H;
    r.Ms = H / 2;
    return r;
  }
  const double ha = U - a, hb = U - b;
  if (aAbove) {
    if (!bBelow) {  // a triangle rising from 0 to hb at s = 1, over the last d
      const double d = hb / (a - b);
      r.As = d * hb / 2;
      r.Ms = r.As * (1 - d / 3);
    } else {  // a triangle from 0 to H, then the full band over the last rb
      const double dab = a - b, d = H / dab, tl = (a - L) / dab, rb = (L - b) / dab;
      const double tri = d * H / 2, rect = H * rb;
      r.As = tri + rect;
      r.Ms = tri * (tl - d / 3) + rect * (1 - rb / 2);
    }
    return r;
  }
  if (bAbove) {
    if (!aBelow) {  // a triangle falling from ha at s = 0 to 0 at d
      const double d = ha / (b - a);
      r.As = d * ha / 2;
      r.Ms = r.As * d / 3;
    } else {  // the full band over the first tl, then a triangle from H to 0
      const double dba = b - a, d = H / dba, tl = (L - a) / dba;
      const double rect = H * tl, tri = d * H / 2;
      r.As = rect + tri;
      r.Ms = rect * tl / 2 + tri * (tl + d / 3);
    }
    return r;
  }
  if (aBelow) {  // the full band over the first tl, then a trapezoid from H to hb over e
    const double dba = b - a, tl = (L - a) / dba, e = (b - L) / dba;
    const double rect = H * tl, trap = e * (H + hb) / 2;
    r.As = rect + trap;
    r.Ms = rect * tl / 2 + trap * tl + e * e * (H + 2 * hb) / 6;
    return r;
  }
  if (bBelow) {  // a trapezoid from ha to H over the first tl, then the full band over rb
    const double dab = a - b, tl = (a - L) / dab, rb = (L - b) / dab;
    const double trap = tl * (ha + H) / 2, rect = H * rb;
    r.As = trap + rect;
    r.Ms = tl * tl * (ha + 2 * H) / 6 + rect * (1 - rb / 2);
    return r;
  }
  // both inside the band (or not comparable): one trapezoid
  r.As = (ha + hb) / 2;
  r.Ms = (ha + 2 * hb) / 6;
  return r;
}

inline int32_t State(double y, double Lower, double Upper) {
  if (y >= Upper) return -1;
  if (y <= Lower) return 1;
  return 0;
}

template <class XAt>
double SlicedCOGT(int32_t i1, int32_t i2, XAt X, int32_t lenX, const TARe& Y, double Lower,
                  double Upper, double& Width, bool Report, TStringList*& List) {
  if (Report) {
    if (!List) List = new TStrList;
    List->Clear();
    List->Add("I  X(I)  k0->k  y0  rx  rs");
  }
  // The middle of the argument range; indices kept inside the array.
  double fallback = 0;
  if (lenX > 1) {
    auto xc = [&](int64_t k) { return X(static_cast<int32_t>(std::clamp<int64_t>(k, 1, lenX - 1))); };
    const int64_t c = (static_cast<int64_t>(i1) + i2) / 2;
    if ((static_cast<int64_t>(i2) - i1 + 1) % 2 != 0)
      fallback = xc(c);
    else
      fallback = (xc(c) + xc(c + 1)) / 2;
  }
  if (Upper - Lower <= 0) {
    WARNAbs("SlicedCOG [" + IntStr(i1) + ".." + IntStr(i2) + "] Err: " + kCrLf +
            "Не предусмотрен рассчёт для сегментов с неположительной высотой!"_cp + kCrLf +
            "Верхняя граница="_cp + ShortSt(4, Upper) + " Нижняя граница="_cp + ShortSt(4, Lower));
    return fallback;
  }
  if (i1 < 1) {
    WARNAbs("SlicedCOG-ERR: i1=" + IntStr(i1) + " < 1 !!!");
    return fallback;
  }
  if (i2 >= Len(Y) || i2 >= lenX) {
    WARNAbs("SlicedCOG-ERR: i2=" + IntStr(i2) + " размер массива "_cp +
            IntStr(i2 >= Len(Y) ? Len(Y) : lenX));
    return fallback;
  }
  // Moments about X(i1): every term then has the sign of X's direction, so the sums do not
  // cancel and the centre keeps the precision of the offsets.
  const double H = Upper - Lower, x0 = X(i1);
  const double* y = Y.data();
  double A = 0, M = 0;
  for (int32_t k = i1 + 1; k <= i2; ++k) {
    const TSlice s = SliceInterval(y[k - 1], y[k], Lower, Upper, H);
    double C = 0, D = 0;
    if (s.As != 0) {
      const double xa = X(k - 1), w = X(k) - xa;
      C = w * s.As;
      A += C;
      M += w * (s.As * (xa - x0) + w * s.Ms);
      if (Report) D = xa + w * (s.Ms / s.As);
    }
    if (Report)
      List->Add(IntStr(k - 1) + " " + ShortSt(3, X(k - 1)) + " [" +
                IntStr(State(y[k - 1], Lower, Upper)) + "->" + IntStr(State(y[k], Lower, Upper)) +
                "] " + FDecSt(4, y[k - 1]) + " " + FDecSt(4, D) + " " + ShortSt(5, C));
  }
  const double result = A != 0 ? x0 + M / A : fallback;
  Width = A / H;
  if (Report) {
    List->Add("--------------");
    List->Add("Result=" + ShortSt(6, A != 0 ? result * A : 0.0) + "/" + ShortSt(6, A) + "=" +
              ShortSt(6, result));
    List->Add("");
  }
  return result;
}

// ------------------------------------------------------------------ fractional-index helpers

// Whole parts of the working reals (long double or double).
inline int32_t TruncF(ld r) { return TruncLd(r); }
inline int32_t FloorF(ld r) { return FloorLd(r); }
inline int32_t CeilF(ld r) { return CeilLd(r); }
inline int32_t TruncF(double r) { return static_cast<int32_t>(r); }
inline int32_t FloorF(double r) {
  const int32_t k = static_cast<int32_t>(r);
  return k > r ? k - 1 : k;
}
inline int32_t CeilF(double r) {
  const int32_t k = static_cast<int32_t>(r);
  return k < r ? k + 1 : k;
}

// Y at the fractional index r (1 <= r <= n), in the reals of r (F).
template <class F, class V>
F IpolAt(const V& Y, int32_t n, F r) {
  const int32_t k = TruncF(r);
  if (k >= n) return Y[n];
  return Y[k] + (r - k) * (static_cast<F>(Y[k + 1]) - Y[k]);
}

// The pieces of [x1, x2] (clamped to [1, n]): partial end pieces and whole intervals, each handed
// to add(area, centre). val(k) is the value at whole index k.
template <class F, class Val, class Add>
void Pieces(int32_t n, F x1, F x2, Val val, Add add) {
  if (n < 2) return;
  if (x1 < 1) x1 = 1;
  if (x2 > n) x2 = n;
  if (!(x2 > x1)) return;
  auto at = [&](F r) -> F {
    const int32_t k = TruncF(r);
    if (k >= n) return val(n);
    return val(k) + (r - k) * (val(k + 1) - val(k));
  };
  int32_t i = TruncF(x1);
  const F f = x1 - i;
  int32_t g = CeilF(x2);
  const F e = g - x2;
  if (f != 0 && e != 0 && g - 1 == i) {  // both ends inside one interval
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
  for (int32_t k = i; k <= g - 1; ++k) add((val(k) + val(k + 1)) / 2, k + F(0.5));
}

// Moves an end from position s toward the other end e to the first place where q (linear between
// whole indices) reaches target; q(s) = qs < target, q(e) = target.
template <class F, class Q>
F MoveTo(F s, F qs, F e, F target, Q q) {
  F p = s, qp = qs;
  if (e > s) {
    for (int32_t k = FloorF(s) + 1; k < e; ++k) {
      const F qk = q(k);
      if (qk >= target) return p + (target - qp) / (qk - qp) * (k - p);
      p = k;
      qp = qk;
    }
  } else {
    for (int32_t k = CeilF(s) - 1; k > e; --k) {
      const F qk = q(k);
      if (qk >= target) return p + (target - qp) / (qk - qp) * (k - p);
      p = k;
      qp = qk;
    }
  }
  return e;
}

// The area median: L and R hold the end pieces, l and r the inner ends of the summed parts; the
// smaller side takes the next interval until one interval is left, which is split linearly.
// H(p, q) is the height of the interval between whole indices p and q.
template <class F, class H>
double AreaMedian(F L, F R, int32_t l, int32_t r, H Hf) {
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
  const F g = Hf(l, r);
  const F c = (static_cast<F>(l) + r) / 2;
  return static_cast<double>(g != 0 ? c + (R - L) / (2 * g) : c);
}

std::string AreaCentreText(const char* Name) {
  return "функция "_cp + Name + " находит центр площади вместо центра тяжести!"_cp + kCrLf +
         "Её необходимо заменить!"_cp;
}

// The standing warning of the area-centre family: its text made once per routine.
#define AREA_CENTRE_WARNING(Name)                              \
  do {                                                         \
    static const std::string kText = AreaCentreText(Name);     \
    WARNAbs(kText);                                            \
  } while (false)

}  // namespace

// ------------------------------------------------------------------ sliced centre of gravity

double SlicedCOG(int32_t i1, int32_t i2, const TARe& X, const TARe& Y, double Lower, double Upper,
                 double& Width, bool Report, TStringList*& List) {
  return SlicedCOGT(i1, i2, [&X](int32_t k) { return X[k]; }, Len(X), Y, Lower, Upper, Width,
                    Report, List);
}

double SlicedCOGIdxX(int32_t i1, int32_t i2, const TARe& Y, TStringList*& List, bool Report,
                     double& Width, double Lower, double Upper) {
  return SlicedCOGT(i1, i2, [](int32_t k) { return static_cast<double>(k); }, Len(Y), Y, Lower,
                    Upper, Width, Report, List);
}

double SlicedCOGIdx(int32_t i1, int32_t i2, const TARe& Y, double& Width, double Lower,
                    double Upper) {
  TStringList* none = nullptr;
  return SlicedCOGIdxX(i1, i2, Y, none, false, Width, Lower, Upper);
}

double SlicedCOGIdxRep(int32_t i1, int32_t i2, const TARe& Y, TStringList*& List, double& Width,
                       double Lower, double Upper) {
  return SlicedCOGIdxX(i1, i2, Y, List, true, Width, Lower, Upper);
}

double SlicedCOGCore(int32_t i1, int32_t i2, const TARe& X, const TARe& Y, double Scale,
                     double Base, double R1, double R2, double HalfWidth) {
  const int32_t n = std::min(NOf(X), NOf(Y));
  if (R2 == R1 || Scale == 0 || !(Base > 0) || i1 < 1 || i2 > n || i2 < i1) {
    WARNAbs("SlicedCOGCore-ERR: [" + IntStr(i1) + ".." + IntStr(i2) + "] Scale=" +
            ShortSt(4, Scale) + " Base=" + ShortSt(4, Base) + " R1=" + ShortSt(4, R1) +
            " R2=" + ShortSt(4, R2) + " размер массива "_cp + IntStr(n));
    return 0;
  }
  double mv = 0;
  int32_t m = i1;
  AReMinPoint(Y, i1, i2, mv, m);
  int32_t lo = m, hi = m;
  while (lo > i1 && X[lo] > X[m] - HalfWidth) --lo;
  while (hi < i2 && X[hi] < X[m] + HalfWidth) ++hi;
  TARe Q(Y.size(), 0.0);
  double qmin = 0, qmax = 0;
  // Base^(t/Scale) as 2^(t * log2(Base)/Scale): exact in the exponent for a power-of-two Base
  const double k = std::log2(Base) / Scale, dR = R2 - R1;
  for (int32_t j = lo; j <= hi; ++j) {
    const double t = (Y[j] - R1) / dR;
    Q[j] = t * std::exp2(t * k);
    if (j == lo || Q[j] < qmin) qmin = Q[j];
    if (j == lo || Q[j] > qmax) qmax = Q[j];
  }
  double width = 0;
  TStringList* none = nullptr;
  return SlicedCOG(lo, hi, X, Q, qmin, qmax, width, false, none);
}

// ------------------------------------------------------------------ centroid and area median

double LineCenterGR(const TARe& X, const TARe& Y) {
  const int32_t n = NOf(X);
  if (n < 2) {
    WARNAbs("LineCenter-Err получен массивы размерностью X="_cp + IntStr(n) + " Y=" +
            IntStr(Len(Y) - 1));
    return 0;
  }
  if (X.size() != Y.size()) {
    WARNAbs("LineCenter-Err получены массивы с разной размерностью X="_cp + IntStr(n) + " Y=" +
            IntStr(Len(Y) - 1));
    return 0;
  }
  int32_t dir = 0, pos = 0;
  if (!AReMonoReport("LineCenterGR", X, dir, pos)) return 0;
  ld area = 0, moment = 0;
  for (int32_t k = 2; k <= n; ++k) {
    const ld a = (static_cast<ld>(Y[k - 1]) + Y[k]) / 2 * (static_cast<ld>(X[k]) - X[k - 1]);
    area += a;
    moment += a * (static_cast<ld>(X[k - 1]) + X[k]) / 2;
  }
  return static_cast<double>(area != 0 ? moment / area : moment);
}

int32_t LineCenterIdx(const TARe& X, const TARe& Y) {
  const int32_t n = NOf(X);
  if (n < 2) {
    WARNAbs("LineCenterIdx-Err получен массивы размерностью X="_cp + IntStr(n) + " Y=" +
            IntStr(Len(Y) - 1));
    return 1;
  }
  if (X.size() != Y.size()) {
    WARNAbs("LineCenterIdx-Err получены массивы с разной размерностью X="_cp + IntStr(n) + " Y=" +
            IntStr(Len(Y) - 1));
    return 0;
  }
  int32_t dir = 0, pos = 0;
  if (!AReMonoReport("LineCenterIdx", X, dir, pos)) return 0;
  const ld s = dir >= 0 ? 1 : -1;
  auto area = [&](int32_t k) {  // interval (k-1, k)
    return (static_cast<ld>(X[k]) - X[k - 1]) * (static_cast<ld>(Y[k - 1]) + Y[k]) * s / 2;
  };
  ld L = area(2), R = area(n);
  int32_t l = 1, r = n;
  while (r - l > 1) {
    while (R >= L && r - l > 1) {
      ++l;
      L += area(l + 1);
    }
    while (R < L && r - l > 1) {
      --r;
      R += area(r);
    }
  }
  return R > L ? r : l;
}

double LineCenter0_IR(int32_t i1, int32_t i2, const TAIn& Y) {
  AREA_CENTRE_WARNING("LineCenter0_IR");
  if (i2 - i1 + 1 < 2 || i1 < 1 || i2 >= Len(Y)) {
    WARNAbs("LineCenter0-IR-ERR неверно заданы граничные индексы i1,i2=["_cp + IntStr(i1) + "," +
            IntStr(i2) + "] length(AY)=" + IntStr(Len(Y)));
    return 0;
  }
  int32_t top = Y[i1];
  for (int32_t k = i1 + 1; k <= i2; ++k) top = std::max(top, Y[k]);
  const ld a = top;
  auto H = [&](int32_t p, int32_t q) { return a - (static_cast<ld>(Y[p]) + Y[q]) / 2; };
  return AreaMedian(H(i1, i1 + 1), H(i2 - 1, i2), i1 + 1, i2 - 1, H);
}

namespace {

// The shared frame of LineCenter_d and LineCenter_RI: a and b are the matched ends, ref and sign
// give the heights sign * (Y - ref).
template <class F, class YAt>
double MatchedAreaMedian(const TARe& Y, F a, F b, F ref, F sign, YAt yAt) {
  const int32_t l = FloorF(a) + 1;
  const int32_t r = CeilF(b) - 1;
  // Both ends inside one interval at one level: the profile is flat there.
  if (l > r) return static_cast<double>((a + b) / 2);
  auto H = [&](int32_t p, int32_t q) { return sign * ((static_cast<F>(Y[p]) + Y[q]) / 2 - ref); };
  const F L = (l - a) * sign * ((yAt(a) + Y[l]) / 2 - ref);
  const F R = (b - r) * sign * ((Y[r] + yAt(b)) / 2 - ref);
  return AreaMedian(L, R, l, r, H);
}

}  // namespace

double LineCenter_d(const TARe& Y, double ir1, double ir2) {
  AREA_CENTRE_WARNING("LineCenter_d");
  const int32_t n = NOf(Y);
  if (ir1 >= ir2) {
    WARNAbs("LineCenter_d-ERR неверный вызов процедуры - граничный индекс ir1="_cp +
            ShortSt(4, ir1) + " должен быть меньше индекса ir2="_cp + ShortSt(4, ir2));
    return 0;
  }
  if (ir1 < 1 || ir2 > n) {
    WARNAbs("LineCenter_d-ERR неверно заданы граничные индексы i1,i2=["_cp +
            IntStr(static_cast<int32_t>(std::trunc(ir1)) + 1) + "," +
            IntStr(static_cast<int32_t>(std::ceil(ir2)) - 1) + "] length(AY)=" + IntStr(Len(Y)));
    return 0;
  }
  // in double: within 1e-12 of the extended sums on the scans' profiles (tested)
  auto yAt = [&](double r) { return IpolAt(Y, n, r); };
  const double v1 = yAt(ir1), v2 = yAt(ir2);
  double a = ir1, b = ir2;
  const double v = std::max(v1, v2);
  auto q = [&](int32_t k) -> double { return Y[k]; };
  if (v1 < v2)
    a = MoveTo(a, v1, b, v, q);
  else if (v2 < v1)
    b = MoveTo(b, v2, a, v, q);
  return MatchedAreaMedian(Y, a, b, v, 1.0, yAt);
}

double LineCenter_RI(const TARe& Y, double ri1, double ri2) {
  AREA_CENTRE_WARNING("LineCenter_RI");
  const int32_t n = NOf(Y);
  if (ri1 >= ri2) {
    WARNAbs("LineCenter_RI-ERR неверный вызов процедуры - граничный индекс ir1="_cp +
            ShortSt(5, ri1) + " должен быть меньше индекса ir2="_cp + ShortSt(5, ri2));
    return 0;
  }
  if (ri1 < 1 || ri2 > n) {
    WARNAbs("LineCenter_RI-ERR неверно заданы граничные индексы ri1,ri2=["_cp + ShortSt(5, ri1) +
            "," + ShortSt(5, ri2) + "] length(AY)=" + IntStr(Len(Y)));
    return 0;
  }
  const bool trace = AReDebug && AReDebugSL;
  double lo = ri1, hi = ri2;
  // Positions outside the table take the nearest end value.
  auto yAt = [&](ld r) -> ld {
    if (r < 1 || r > n) {
      if (trace)
        AReDebugSL->Add("LineCenter_RI[" + ShortSt(5, lo) + "," + ShortSt(5, hi) +
                        "] nLam=" + IntStr(Len(Y)) + " F_IPOL(" + ShortSt(5, static_cast<double>(r)) +
                        ")");
      return r < 1 ? Y[1] : Y[n];
    }
    return IpolAt(Y, n, r);
  };
  // work lists of the running thread, reused from call to call
  thread_local TARe V;
  thread_local TAIn Idx;
  const int32_t w1 = static_cast<int32_t>(std::ceil(ri1)), w2 = static_cast<int32_t>(std::floor(ri2));
  if (w2 > w1) {
    AReTurnPoints(Y, w1, w2, V, Idx);
    if (trace) {
      AReDebugSL->Add("LineCenter_RI (" + ShortSt(4, ri1) + "," + ShortSt(4, ri2) +
                      ") Экстремумы:"_cp);
      AReDebugSL->Add(AReToStr(V, 4));
      AReDebugSL->Add(AInToStr(Idx));
    }
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
  // Depth below the highest turning value: the shallower end moves in to the deeper one's depth.
  const ld y1 = yAt(lo), y2 = yAt(hi);
  ld a = lo, b = hi;
  const ld level = std::min(y1, y2);
  auto depth = [&](int32_t k) -> ld { return -static_cast<ld>(Y[k]); };
  if (y1 > y2)
    a = MoveTo(a, -y1, b, -level, depth);
  else if (y2 > y1)
    b = MoveTo(b, -y2, a, -level, depth);
  ld ref = level;
  for (int32_t k = FloorLd(a) + 1; k < b; ++k) ref = std::max<ld>(ref, Y[k]);
  return MatchedAreaMedian(Y, a, b, ref, ld(-1), yAt);
}

double LineCenter1_IR(int32_t i1, int32_t i2, const TAIn& Y) {
  if (i2 < i1) std::swap(i1, i2);
  const int32_t n = NOf(Y);
  if (i2 - i1 + 1 < 2 || i1 < 1 || i2 >= Len(Y)) {
    WARNAbs("LineCenter1-IR-ERR неверно заданы граничные индексы i1,i2=["_cp + IntStr(i1) + "," +
            IntStr(i2) + "] length(AY)=" + IntStr(Len(Y)));
    return 0;
  }
  int32_t top = Y[i1];
  for (int32_t k = i1 + 1; k <= i2; ++k) top = std::max(top, Y[k]);
  // in double: within 1e-12 of the extended sums on the scans' profiles (tested)
  const double b = top;
  const double dL = b - Y[i1], dR = b - Y[i2], d = std::max(dL, dR);
  auto depth = [&](int32_t k) -> double { return b - Y[k]; };
  double a1 = i1, a2 = i2;
  if (dL < dR)
    a1 = MoveTo(a1, dL, a2, d, depth);
  else if (dR < dL)
    a2 = MoveTo(a2, dR, a1, d, depth);
  const double ref = (dL == 0 || dR == 0) ? b - d : b;
  double area = 0, moment = 0;
  Pieces(n, a1, a2, [&](int32_t k) -> double { return ref - Y[k]; },
         [&](double ar, double c) {
           area += ar;
           moment += ar * c;
         });
  return static_cast<double>(area != 0 ? moment / area : moment);
}

// ------------------------------------------------------------------ moments

double AReMoment0(const TARe& Y, double x1, double x2, double Base) {
  ld s = 0;
  if (Base != 0)
    Pieces<ld>(NOf(Y), x1, x2, [&](int32_t k) -> ld { return static_cast<ld>(Base) - Y[k]; },
           [&](ld a, ld) { s += a; });
  else
    Pieces<ld>(NOf(Y), x1, x2, [&](int32_t k) -> ld { return Y[k]; }, [&](ld a, ld) { s += a; });
  return static_cast<double>(s);
}

double AReMoment1(const TARe& Y, double x1, double x2, double x0) {
  ld s = 0;
  Pieces<ld>(NOf(Y), x1, x2, [&](int32_t k) -> ld { return Y[k]; },
         [&](ld a, ld c) { s += a * (c - x0); });
  return static_cast<double>(s);
}

double AReMoment0D(const TARe& Y, double x1, double x2, double Base) {
  double s = 0;
  if (Base != 0)
    Pieces<double>(NOf(Y), x1, x2, [&](int32_t k) { return Base - Y[k]; },
                   [&](double a, double) { s += a; });
  else
    Pieces<double>(NOf(Y), x1, x2, [&](int32_t k) { return Y[k]; },
                   [&](double a, double) { s += a; });
  return s;
}

double AReMoment1D(const TARe& Y, double x1, double x2, double x0) {
  double s = 0;
  Pieces<double>(NOf(Y), x1, x2, [&](int32_t k) { return Y[k]; },
                 [&](double a, double c) { s += a * (c - x0); });
  return s;
}

double AReMoment2(const TARe& Y, double x1, double x2, double x0) {
  ld s = 0;
  Pieces<ld>(NOf(Y), x1, x2, [&](int32_t k) -> ld { return Y[k]; },
         [&](ld a, ld c) { s += a * (c - x0) * (c - x0); });
  return static_cast<double>(s);
}
