#include "synthesis/transfer/cvVoigt.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "foundation/cvInterp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "models/vectors/cvCalcContext.h"
#include "synthesis/transfer/cvVoigtSpline.h"

namespace {

// Humlicek (1979): nodes, and the weights of the real and imaginary parts.
constexpr double kT[6] = {0.314240376, 0.947788391, 1.59768264,
                          2.27950708,  3.02063703,  3.8897249};
constexpr double kC[6] = {1.01172805,    -0.75197147,     1.2557727e-2,
                          1.00220082e-2, -2.42068135e-4, 5.00848061e-7};
constexpr double kS[6] = {1.393237,      0.231152406,    -0.155351466,
                          6.21836624e-3, 9.19082986e-5, -6.27525958e-7};


inline void HumRegionI(double x, double y1, double& K, double& L) {
  const double y2 = y1 * y1;
  double k = 0, l = 0;
  for (int i = 0; i < 6; ++i) {
    double r = x - kT[i];
    double d = 1 / (r * r + y2);
    const double d1 = y1 * d, d2 = r * d;
    r = x + kT[i];
    d = 1 / (r * r + y2);
    const double d3 = y1 * d, d4 = r * d;
    k += kC[i] * (d1 + d3) - kS[i] * (d2 - d4);
    l += kC[i] * (d2 + d4) + kS[i] * (d1 - d3);
  }
  K = k;
  L = l;
}

inline void HumRegionII(double x, double y, double& K, double& L) {
  const double y1 = y + 1.5, y2 = y1 * y1, y3 = y + 3;
  double k = std::fabs(x) < 12 ? std::exp(-x * x) : 0.0;
  double l = 0;
  for (int i = 0; i < 6; ++i) {
    double r = x - kT[i];
    double r2 = r * r;
    double d = 1 / (r2 + y2);
    const double d1 = y1 * d, d2 = r * d;
    k += y * (kC[i] * (r * d2 - 1.5 * d1) + kS[i] * y3 * d2) / (r2 + 2.25);
    r = x + kT[i];
    r2 = r * r;
    d = 1 / (r2 + y2);
    const double d3 = y1 * d, d4 = r * d;
    k += y * (kC[i] * (r * d4 - 1.5 * d3) - kS[i] * y3 * d4) / (r2 + 2.25);
    l += kC[i] * (d2 + d4) + kS[i] * (d1 - d3);
  }
  K = k;
  L = l;
}

// Dawson's integral: rational approximations in x^2 below 3.25, in 1/x^2 from 3.25 to 6.25 and
// from 6.25 to 1e9, then 0.5/x.
constexpr double kAN[10] = {1.13681498971755972054E-11, 8.49262267667473811108E-10,
                            1.94434204175553054283E-8,  9.53151741254484363489E-7,
                            3.07828309874913200438E-6,  3.52513368520288738649E-4,
                            -8.50149846724410912031E-4, 4.22618223005546594270E-2,
                            -9.17480371773452345351E-2, 9.99999999999999994612E-1};
constexpr double kAD[11] = {2.40372073066762605484E-11, 1.48864681368493396752E-9,
                            5.21265281010541664570E-8,  1.27258478273186970203E-6,
                            2.32490249820789513991E-5,  3.25524741826057911661E-4,
                            3.48805814657162590916E-3,  2.79448531198828973716E-2,
                            1.58874241960120565368E-1,  5.74918629489320327824E-1,
                            1.00000000000000000539E0};
constexpr double kBN[11] = {5.08955156417900903354E-1,  -2.44754418142697847934E-1,
                            9.41512335303534411857E-2,  -2.18711255142039025206E-2,
                            3.66207612329569181322E-3,  -4.23209114460388756528E-4,
                            3.59641304793896631888E-5,  -2.14640351719968974225E-6,
                            9.10010780076391431042E-8,  -2.40274520828250956942E-9,
                            3.59233385440928410398E-11};
constexpr double kBD[10] = {-6.31839869873368190192E-1, 2.36706788228248691528E-1,
                            -5.31806367003223277662E-2, 8.48041718586295374409E-3,
                            -9.47996768486665330168E-4, 7.81025592944552338085E-5,
                            -4.55875153252442634831E-6, 1.89100358111421846170E-7,
                            -4.91324691331920606875E-9, 7.18466403235734541950E-11};
constexpr double kCN[5] = {-5.90592860534773254987E-1, 6.29235242724368800674E-1,
                           -1.72858975380388136411E-1, 1.64837047825189632310E-2,
                           -4.86827613020462700845E-4};
constexpr double kCD[5] = {-2.69820057197544900361E0, 1.73270799045947845857E0,
                           -3.93708582281939493482E-1, 3.44278924041233391079E-2,
                           -9.73655226040941223894E-4};

template <int N>
double PolEvl(double x, const double (&c)[N]) {
  double s = c[0];
  for (int i = 1; i < N; ++i) s = s * x + c[i];
  return s;
}
// The same with a leading coefficient 1.
template <int N>
double P1Evl(double x, const double (&c)[N]) {
  double s = x + c[0];
  for (int i = 1; i < N; ++i) s = s * x + c[i];
  return s;
}

std::string AsciiUpper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

constexpr long double kPiL = 3.141592653589793238462643383279502884L;

double QuadH(double T, double Tol, double v, double a, double& Err, int32_t& NoFun, double& Flag) {
  const long double lv = v, a2 = static_cast<long double>(a) * a;
  auto f = [lv, a2](long double t) {
    const long double d = lv - t;
    return std::exp(-t * t) / (d * d + a2);
  };
  long double res = 0, err = 0, flag = 0;
  QUANC8(TRealFunc80(f), -static_cast<long double>(T), T, 0.0L, Tol, res, err, NoFun, flag);
  Err = static_cast<double>(err * a / kPiL);
  Flag = static_cast<double>(flag);
  return static_cast<double>(res * a / kPiL);
}

double QuadF(double T, double Tol, double v, double a, double& Err, int32_t& NoFun, double& Flag) {
  Err = 0;
  NoFun = 0;
  Flag = 0;
  if (std::fabs(v) < 1e-7) return 0;
  const long double lv = v, a2 = static_cast<long double>(a) * a;
  auto f = [lv, a2](long double t) {
    const long double d = lv - t;
    return d * std::exp(-t * t) / (d * d + a2);
  };
  long double res = 0, err = 0, flag = 0;
  QUANC8(TRealFunc80(f), -static_cast<long double>(T), T, 0.0L, Tol, res, err, NoFun, flag);
  Err = static_cast<double>(err / (2 * kPiL));
  Flag = static_cast<double>(flag);
  return static_cast<double>(res / (2 * kPiL));
}

}  // namespace

void VoigtHumlicek(double a, double v, double& H, double& F) {
  // the batch form of one value: scalar and batch results are the same
  VoigtHumlicekBatch(a, &v, 1, &H, &F);
}

namespace {

// The vector loops come in three builds chosen at run time: eight lanes with AVX-512, four with
// AVX2, four as two SSE2 halves otherwise. This file is built without contraction (no fused
// multiply-add): lane by lane every build makes the same operations in the same order, and the
// results do not depend on the machine.

template <int W>
struct TVec;
template <>
struct TVec<4> {
  typedef double D __attribute__((vector_size(32)));
  typedef long long I __attribute__((vector_size(32)));
};
template <>
struct TVec<8> {
  typedef double D __attribute__((vector_size(64)));
  typedef long long I __attribute__((vector_size(64)));
};

#define CV_VOIGT_INLINE __attribute__((always_inline)) inline

// (internal inline helpers: their by-value vector ABI never crosses a call boundary)
#pragma GCC diagnostic ignored "-Wpsabi"

template <class D>
CV_VOIGT_INLINE D LoadV(const double* p) {
  D r;
  __builtin_memcpy(&r, p, sizeof r);
  return r;
}
template <class D>
CV_VOIGT_INLINE void StoreV(double* p, D v) {
  __builtin_memcpy(p, &v, sizeof v);
}

// Whether any lane of a comparison's mask is set (halves folded together).
template <int W>
CV_VOIGT_INLINE bool AnyLane(typename TVec<W>::I m) {
  if constexpr (W == 8) {
    const TVec<4>::I h = __builtin_shufflevector(m, m, 0, 1, 2, 3) |
                         __builtin_shufflevector(m, m, 4, 5, 6, 7);
    return AnyLane<4>(h);
  } else {
    typedef long long I2 __attribute__((vector_size(16)));
    const I2 h = __builtin_shufflevector(m, m, 0, 1) | __builtin_shufflevector(m, m, 2, 3);
    return (h[0] | h[1]) != 0;
  }
}

// exp(t) for -745 < t <= 0: t = n ln2 + r with |r| <= ln2/2 (ln2 in two parts, n ln2's first
// part exact), exp(r) by its Taylor series to r^13 (remainder below 1e-17) summed in Estrin's
// order (a short dependency chain), times 2^n made from the bits of n.
template <int W>
CV_VOIGT_INLINE typename TVec<W>::D ExpV(typename TVec<W>::D t) {
  typedef typename TVec<W>::D D;
  typedef typename TVec<W>::I I;
  constexpr double kInvLn2 = 1.4426950408889634, kShift = 0x1.8p52;
  constexpr double kLn2Hi = 6.93147180369123816490e-01, kLn2Lo = 1.90821492927058770002e-10;
  D kd = t * kInvLn2 + kShift;  // n in the low bits of the mantissa
  const I ki = (I)kd;
  kd = kd - kShift;
  const D r = (t - kd * kLn2Hi) - kd * kLn2Lo;
  constexpr double kF[14] = {1.0,
                             1.0,
                             1.0 / 2,
                             1.0 / 6,
                             1.0 / 24,
                             1.0 / 120,
                             1.0 / 720,
                             1.0 / 5040,
                             1.0 / 40320,
                             1.0 / 362880,
                             1.0 / 3628800,
                             1.0 / 39916800,
                             1.0 / 479001600,
                             1.0 / 6227020800};
  const D r2 = r * r, r4 = r2 * r2, r8 = r4 * r4;
  const D p01 = kF[0] + kF[1] * r, p23 = kF[2] + kF[3] * r, p45 = kF[4] + kF[5] * r,
          p67 = kF[6] + kF[7] * r, p89 = kF[8] + kF[9] * r, p1011 = kF[10] + kF[11] * r,
          p1213 = kF[12] + kF[13] * r;
  const D p03 = p01 + p23 * r2, p47 = p45 + p67 * r2, p811 = p89 + p1011 * r2;
  const D p07 = p03 + p47 * r4, p813 = p811 + p1213 * r4;
  return (p07 + p813 * r8) * (D)((ki + 1023) << 52);
}

// Region I over a compact batch (n a multiple of W), W values at a time with all six nodes in
// registers. The two reciprocals of a node come from one division (|x| below kPairMax, so that
// the product stays finite). y = |a| per value.
template <int W>
CV_VOIGT_INLINE void RegionIBody(const double* x, const double* yv, int32_t n, double* K,
                                 double* L) {
  typedef typename TVec<W>::D D;
  for (int32_t j = 0; j < n; j += W) {
    const D xv = LoadV<D>(x + j), y1 = LoadV<D>(yv + j) + 1.5;
    const D y2 = y1 * y1;
    D kc = {}, ks = {}, lc = {}, ls = {};
#pragma GCC unroll 6
    for (int i = 0; i < 6; ++i) {
      const double t = kT[i], c = kC[i], sw = kS[i];
      const D r = xv - t, rr = xv + t;
      const D p = r * r + y2, pp = rr * rr + y2;
      const D q = 1 / (p * pp);
      const D d = pp * q, e = p * q;  // 1/p, 1/pp
      const D rd = r * d, re = rr * e;
      kc += c * (d + e);
      ks += sw * (rd - re);
      lc += c * (rd + re);
      ls += sw * (d - e);
    }
    StoreV(K + j, y1 * kc - ks);
    StoreV(L + j, lc + y1 * ls);
  }
}

// Region II likewise: one division for the four reciprocals of a node (|x| below kPairMax),
// and exp(-x^2) for |x| < 12. y = |a| per value.
template <int W>
CV_VOIGT_INLINE void RegionIIBody(const double* x, const double* yv, int32_t n, double* K,
                                  double* L) {
  typedef typename TVec<W>::D D;
  typedef typename TVec<W>::I I;
  for (int32_t j = 0; j < n; j += W) {
    const D xv = LoadV<D>(x + j), y = LoadV<D>(yv + j);
    const D y1 = y + 1.5, y2 = y1 * y1, y3 = y + 3;
    // exp(-x^2) first (its chain runs beside the nodes), skipped when no value needs it
    // (|x| < 12 from the bits: comparisons written here would be split into scalar ones before
    // this body is inlined into the vector builds)
    typedef unsigned long long U __attribute__((vector_size(sizeof(I))));
    constexpr long long kAbs = 0x7FFFFFFFFFFFFFFFLL, k12 = 0x4028000000000000LL;  // 12.0
    const I near = -(I)((U)(((I)xv & kAbs) - k12) >> 63);
    D ex = {};
    if (AnyLane<W>(near)) {
      const D t = -(xv * xv);
      ex = ExpV<W>((D)((I)t & near));  // exp(0) where not wanted, masked out
      ex = (D)((I)ex & near);
    }
    D kc = {}, kq = {}, lc = {}, ls = {};
#pragma GCC unroll 6
    for (int i = 0; i < 6; ++i) {
      const double t = kT[i], c = kC[i], sw = kS[i], c15 = 1.5 * kC[i];
      const D r = xv - t, rr = xv + t;
      const D r2 = r * r, rr2 = rr * rr;
      const D a1 = r2 + y2, b1 = r2 + 2.25, a2 = rr2 + y2, b2 = rr2 + 2.25;
      const D p1 = a1 * b1, p2 = a2 * b2;
      const D q = 1 / (p1 * p2);
      const D q1 = p2 * q, q2 = p1 * q;  // 1/(a1 b1), 1/(a2 b2)
      const D e1 = b1 * q1, e2 = b2 * q2;  // 1/a1, 1/a2
      kc += c * (e1 + e2);
      kq += q1 * (sw * r - c15) - q2 * (sw * rr + c15);
      lc += c * (r * e1 + rr * e2);
      ls += sw * (e1 - e2);
    }
    StoreV(K + j, ex + y * (kc + y3 * kq));
    StoreV(L + j, lc + y1 * ls);
  }
}

constexpr int32_t kChunk = 64;

typedef void (*TRegionKernel)(const double*, const double*, int32_t, double*, double*);

void RegionIPlain(const double* x, const double* y1, int32_t n, double* K, double* L) {
  RegionIBody<4>(x, y1, n, K, L);
}
void RegionIIPlain(const double* x, const double* y, int32_t n, double* K, double* L) {
  RegionIIBody<4>(x, y, n, K, L);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CV_VOIGT_X86 1
__attribute__((target("avx2"))) void RegionIAvx2(const double* x, const double* y1, int32_t n,
                                                 double* K, double* L) {
  RegionIBody<4>(x, y1, n, K, L);
}
__attribute__((target("avx2"))) void RegionIIAvx2(const double* x, const double* y, int32_t n,
                                                  double* K, double* L) {
  RegionIIBody<4>(x, y, n, K, L);
}
__attribute__((target("avx512f"))) void RegionIAvx512(const double* x, const double* y1,
                                                      int32_t n, double* K, double* L) {
  RegionIBody<8>(x, y1, n, K, L);
}
__attribute__((target("avx512f"))) void RegionIIAvx512(const double* x, const double* y,
                                                       int32_t n, double* K, double* L) {
  RegionIIBody<8>(x, y, n, K, L);
}
#endif

struct TKernels {
  TRegionKernel I, II;
  int32_t Lanes;       // full blocks of this many values
  TRegionKernel I4, II4;  // a last block of at most four values
};

const TKernels kPlainKernels = {RegionIPlain, RegionIIPlain, 4, RegionIPlain, RegionIIPlain};
#ifdef CV_VOIGT_X86
const TKernels kAvx2Kernels = {RegionIAvx2, RegionIIAvx2, 4, RegionIAvx2, RegionIIAvx2};
const TKernels kAvx512Kernels = {RegionIAvx512, RegionIIAvx512, 8, RegionIAvx2, RegionIIAvx2};
#endif

// The values a batch of N is computed for: full blocks, then a last block of four or of the
// full width.
inline int32_t PaddedCount(const TKernels& k, int32_t N) {
  const int32_t full = N / k.Lanes * k.Lanes, rest = N - full;
  return full + (rest == 0 ? 0 : rest <= 4 ? 4 : k.Lanes);
}

// A region's kernel over N values from x, y (readable up to PaddedCount): the last block of at
// most four values in the four-lane build.
inline void RunRegion(const TKernels& k, bool RegI, const double* x, const double* y, int32_t N,
                      double* K, double* L) {
  const int32_t full = N / k.Lanes * k.Lanes, rest = N - full;
  if (full > 0) (RegI ? k.I : k.II)(x, y, full, K, L);
  if (rest > 0) {
    if (rest <= 4)
      (RegI ? k.I4 : k.II4)(x + full, y + full, 4, K + full, L + full);
    else
      (RegI ? k.I : k.II)(x + full, y + full, k.Lanes, K + full, L + full);
  }
}

// The widest build the machine runs within the limit (lanes: 8, 4, 0 for the plain build).
const TKernels* PickKernels(int32_t Limit) {
#ifdef CV_VOIGT_X86
  __builtin_cpu_init();
  if (Limit >= 8 && __builtin_cpu_supports("avx512f")) return &kAvx512Kernels;
  if (Limit >= 4 && __builtin_cpu_supports("avx2")) return &kAvx2Kernels;
#endif
  (void)Limit;
  return &kPlainKernels;
}

std::atomic<const TKernels*> gKernels{PickKernels(8)};

// Beyond this |x| the paired products could overflow: the plain forms.
constexpr double kPairMax = 1e30;

// Humlicek over N values; the damping of value j is A[j] (AStep 1) or A[0] for all (AStep 0).
void HumBatch(const double* A, int32_t AStep, const double* v, int32_t N, double* H, double* F) {
  // each chunk split by region into two compact batches (padded to a multiple of the lanes with
  // a copy of a value), each computed vectorised
  const TKernels& kern = *gKernels.load(std::memory_order_relaxed);
  const int32_t lanes = kern.Lanes;
  // region I values from the front of the buffers, region II values (and those beyond the
  // vector range, recomputed at the end) from the back
  constexpr int32_t kBuf = kChunk + 16;
  double xs[kBuf], ys[kBuf], ss[kBuf], K[kBuf], L[kBuf];
  int32_t is[kBuf], ib[kChunk];
  for (int32_t start = 0; start < N; start += kChunk) {
    const int32_t n = std::min(kChunk, N - start);
    int32_t n1 = 0, n2 = 0, nb = 0;
    for (int32_t j = 0; j < n; ++j) {
      const int32_t i = start + j;
      const double x = v[i], a = A[i * AStep];
      const double y = std::fabs(a), ax = std::fabs(x);
      const int32_t big = !(ax < kPairMax);
      const int32_t reg1 = ((y > 0.85) | (ax < 18.1 * y + 1.65)) & (1 - big);
      const int32_t p = reg1 ? n1 : kBuf - 1 - n2;
      xs[p] = x;
      ys[p] = y;
      ss[p] = a >= 0 ? 0.5 : -0.5;  // F = +L/2 for a >= 0
      is[p] = i;
      ib[nb] = i;
      n1 += reg1;
      n2 += 1 - reg1;
      nb += big;
    }
    if (n2 > 0) {
      // padded downwards with the last value stored
      const int32_t b = kBuf - n2, np = PaddedCount(kern, n2), b0 = kBuf - np;
      for (int32_t j = 1; j < lanes; ++j) {
        xs[b - j] = xs[b];
        ys[b - j] = ys[b];
      }
      // the short block first: it is the one holding the padding
      const int32_t head = np - (n2 / lanes) * lanes;
      if (head > 0) RunRegion(kern, false, xs + b0, ys + b0, head, K + b0, L + b0);
      if (np > head) kern.II(xs + b0 + head, ys + b0 + head, np - head, K + b0 + head, L + b0 + head);
      for (int32_t j = b; j < kBuf; ++j) {
        H[is[j]] = K[j];
        F[is[j]] = L[j] * ss[j];
      }
    }
    if (n1 > 0) {
      for (int32_t j = 0; j < lanes - 1; ++j) {
        xs[n1 + j] = xs[n1 - 1];
        ys[n1 + j] = ys[n1 - 1];
      }
      RunRegion(kern, true, xs, ys, n1, K, L);
      for (int32_t j = 0; j < n1; ++j) {
        H[is[j]] = K[j];
        F[is[j]] = L[j] * ss[j];
      }
    }
    for (int32_t j = 0; j < nb; ++j) {
      const int32_t i = ib[j];
      const double x = v[i], a = A[i * AStep], y = std::fabs(a);
      double k, l;
      if (y > 0.85 || std::fabs(x) < 18.1 * y + 1.65)
        HumRegionI(x, y + 1.5, k, l);
      else
        HumRegionII(x, y, k, l);
      H[i] = k;
      F[i] = l * (a >= 0 ? 0.5 : -0.5);
    }
  }
}

}  // namespace

void LimitVoigtVectorLanes(int32_t Lanes) { gKernels.store(PickKernels(Lanes)); }

void VoigtHumlicekBatch(double a, const double* v, int32_t N, double* H, double* F) {
  HumBatch(&a, 0, v, N, H, F);
}

void VoigtHumlicekBatchA(const double* a, const double* v, int32_t N, double* H, double* F) {
  HumBatch(a, 1, v, N, H, F);
}

double DawsonIntegral(double x) {
  TTimedSection prof("DawsonIntegral");
  const double sign = x < 0 ? -1.0 : 1.0;
  const double xx = std::fabs(x);
  if (xx < 3.25) {
    const double y = xx * xx;
    return sign * xx * PolEvl(y, kAN) / PolEvl(y, kAD);
  }
  if (xx > 1e9) return sign * 0.5 / xx;
  const double d = 1.0 / (xx * xx);
  if (xx < 6.25) return sign * 0.5 * (1.0 / xx + d * PolEvl(d, kBN) / (P1Evl(d, kBD) * xx));
  return sign * 0.5 * (1.0 / xx + d * PolEvl(d, kCN) / (P1Evl(d, kCD) * xx));
}

void VoigtTaylor(double a, double v, double& H, double& F) {
  const double D = DawsonIntegral(v), E = std::exp(-v * v), l = 1 - 2 * v * v;
  H = E * (1 + a * a * l) - 1.12837916709551256 * a * (1 - 2 * v * D) -
      0.75225277806367504 * a * a * a * (1 - v * v - v * D * (3 - 2 * v * v));
  F = 0.56418958354775628 * D - a * v * E + 0.56418958354775628 * a * a * (v + D * l) -
      a * a * a * v * E * (3 - 2 * v * v) / 3;
}

double VoigtHQuadEx(double T, double Tol, double v, double a, double& ErrEst, int32_t& NoFun,
                    double& Flag) {
  return QuadH(T, Tol, v, a, ErrEst, NoFun, Flag);
}
double VoigtFQuadEx(double T, double Tol, double v, double a, double& ErrEst, int32_t& NoFun,
                    double& Flag) {
  return QuadF(T, Tol, v, a, ErrEst, NoFun, Flag);
}
double VoigtHQuad(double T, double Tol, double v, double a) {
  double e, f;
  int32_t n;
  return QuadH(T, Tol, v, a, e, n, f);
}
double VoigtFQuad(double T, double Tol, double v, double a) {
  double e, f;
  int32_t n;
  return QuadF(T, Tol, v, a, e, n, f);
}

void VoigtIntegral(double a, double v, double& H, double& F) {
  H = VoigtHQuad(VoigtQuadT, VoigtQuadTol, v, a);
  F = VoigtFQuad(VoigtQuadT, VoigtQuadTol, v, a);
}

void VoigtSpline(double a, double v, double& H, double& F) { VoigtSplineEval(a, v, H, F); }

TVoigtMethod CurrentVoigtMethod() { return static_cast<TVoigtMethod>(CalcCtx().VoigtMethod); }

std::string VoigtMethodName() { return CalcCtx().VoigtMethodName; }

void VoigtSplineInit() {
  VoigtSplinePrepare(VoigtSplineDir(), TVoigtSplineGrid::Standard(), 0, false);
}

void SetVoigtMethod(const std::string& Name) {
  TCalcContext& c = CalcCtx();
  c.VoigtMethodName = Name;
  const std::string u = AsciiUpper(Name);
  if (u == "TAYLOR") {
    c.VoigtMethod = vmTaylor;
  } else if (u == "INTEGRAL") {
    c.VoigtMethod = vmIntegral;
  } else if (u == "SPLINE") {
    VoigtSplineInit();
  } else if (u == "HUMLICEK") {
    c.VoigtMethod = vmHumlicek;
  } else {
    WARNAbs("Не удается установить метод вычисления фунции Фойгта <"_cp + u + ">!\r\n" +
            "Разрешены методы: Taylor, Integral, Spline и Humlicek.\r\n"_cp +
            "Устанавливаем алгоритм Хумличека!"_cp);
    c.VoigtMethodName = "Humlicek";
    c.VoigtMethod = vmHumlicek;
  }
}

TTransferCounts& TransferCounts() {
  thread_local TTransferCounts c;
  return c;
}

void VoigtFunc(double a, double v, double& H, double& F) {
  TTransferCounts& c = TransferCounts();
  ++c.Voigt;
  if (c.Record) c.Record->insert(c.Record->end(), {a, v});
  switch (CurrentVoigtMethod()) {
    case vmTaylor: {
      TTimedSection prof("VoigtTaylor");
      VoigtTaylor(a, v, H, F);
      return;
    }
    case vmIntegral: VoigtIntegral(a, v, H, F); return;
    case vmSpline: {
      TTimedSection prof("VoigtSpline");
      VoigtSpline(a, v, H, F);
      return;
    }
    default: {
      TTimedSection prof("VoigtHumlicek");
      VoigtHumlicek(a, v, H, F);
      return;
    }
  }
}

void VoigtFuncBatch(double a, const double* v, int32_t N, double* H, double* F) {
  TTransferCounts& c = TransferCounts();
  c.Voigt += N;
  if (c.Record)
    for (int32_t j = 0; j < N; ++j) c.Record->insert(c.Record->end(), {a, v[j]});
  // one profiler entry per batch: the sections cost more than one evaluation
  switch (CurrentVoigtMethod()) {
    case vmTaylor: {
      TTimedSection prof("VoigtTaylor");
      for (int32_t j = 0; j < N; ++j) VoigtTaylor(a, v[j], H[j], F[j]);
      return;
    }
    case vmIntegral:
      for (int32_t j = 0; j < N; ++j) VoigtIntegral(a, v[j], H[j], F[j]);
      return;
    case vmSpline: {
      TTimedSection prof("VoigtSpline");
      for (int32_t j = 0; j < N; ++j) VoigtSpline(a, v[j], H[j], F[j]);
      return;
    }
    default:
      // no profiler section here: it would cost more than the batch itself
      VoigtHumlicekBatch(a, v, N, H, F);
      return;
  }
}

void VoigtFuncBatchA(const double* a, const double* v, int32_t N, double* H, double* F) {
  TTransferCounts& c = TransferCounts();
  c.Voigt += N;
  if (c.Record)
    for (int32_t j = 0; j < N; ++j) c.Record->insert(c.Record->end(), {a[j], v[j]});
  switch (CurrentVoigtMethod()) {
    case vmTaylor: {
      TTimedSection prof("VoigtTaylor");
      for (int32_t j = 0; j < N; ++j) VoigtTaylor(a[j], v[j], H[j], F[j]);
      return;
    }
    case vmIntegral:
      for (int32_t j = 0; j < N; ++j) VoigtIntegral(a[j], v[j], H[j], F[j]);
      return;
    case vmSpline: {
      TTimedSection prof("VoigtSpline");
      for (int32_t j = 0; j < N; ++j) VoigtSpline(a[j], v[j], H[j], F[j]);
      return;
    }
    default: VoigtHumlicekBatchA(a, v, N, H, F); return;
  }
}

std::unique_ptr<TStringList> VoigtHumlicekErrTab(int32_t N, double a, double Tol, double VMax) {
  auto sl = std::make_unique<TStringList>();
  sl->Add(" I V dH dF lg(dH) lg(dF) H F ");
  const double step = N > 0 ? VMax / N : 0;
  TJob* job = CurrentJob();
  for (int32_t c = 1; c <= N + 6; ++c) {
    // a job's progress every 100 rows; a cancel ends the table there
    if (job && c % 100 == 1 && !job->Step(c - 1, N + 6, "Тест IpolByGauss"_cp)) break;
    const double v = (c - 1) * step - 6 * step;
    const double hq = VoigtHQuad(100, Tol, v, a);
    const double fq = VoigtFQuad(100, Tol, v, a);
    double h, f;
    VoigtHumlicek(a, v, h, f);
    const double dh = h - hq, df = f - fq;
    const double lh = dh == 0 ? 0.0 : std::log10(std::fabs(dh));
    const double lf = df == 0 ? 0.0 : std::log10(std::fabs(df));
    sl->Add(I64PadSt(3, c) + " " + ShortSt(5, v) + " " + ShortSt(13, dh) + " " + ShortSt(13, df) +
            " " + ShortSt(13, lh) + " " + ShortSt(13, lf) + " " + ShortSt(16, hq) + " " +
            ShortSt(16, fq));
  }
  LineTabStrings(sl.get(), 2);
  return sl;
}
