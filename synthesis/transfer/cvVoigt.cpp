#include "synthesis/transfer/cvVoigt.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "models/vectors/cvCalcContext.h"

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

// The vector loops are also built for AVX2 and chosen at run time (AVX2 without FMA: the same
// operations, the same results).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CV_VOIGT_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define CV_VOIGT_CLONES
#endif

constexpr int32_t kChunk = 64;

// Four lanes of doubles (GCC vector extensions): two SSE2 halves by default, one AVX2 register in
// the AVX2 clone; lane by lane the same operations, in the same order, as the scalar forms.
typedef double TV4 __attribute__((vector_size(32)));

// (internal inline helpers: their by-value vector ABI never crosses a call boundary)
#pragma GCC diagnostic ignored "-Wpsabi"
inline TV4 Load4(const double* p) {
  TV4 r;
  __builtin_memcpy(&r, p, sizeof r);
  return r;
}
inline void Store4(double* p, TV4 v) { __builtin_memcpy(p, &v, sizeof v); }

// Region I over a compact batch (n a multiple of 4), four values at a time with all six nodes
// in registers. The two reciprocals of a node come from one division (|x| below kPairMax, so
// that the product stays finite). y1 = |a| + 1.5 per value.
CV_VOIGT_CLONES void RegionIVec(const double* x, const double* y1v, int32_t n, double* K,
                                double* L) {
  for (int32_t j = 0; j < n; j += 4) {
    const TV4 xv = Load4(x + j), y1 = Load4(y1v + j);
    const TV4 y2 = y1 * y1;
    TV4 k = {0, 0, 0, 0}, l = {0, 0, 0, 0};
#pragma GCC unroll 6
    for (int i = 0; i < 6; ++i) {
      const double t = kT[i], c = kC[i], sw = kS[i];
      const TV4 r = xv - t, rr = xv + t;
      const TV4 p = r * r + y2, pp = rr * rr + y2;
      const TV4 q = 1 / (p * pp);
      const TV4 d = pp * q, e = p * q;
      const TV4 d1 = y1 * d, d2 = r * d;
      const TV4 d3 = y1 * e, d4 = rr * e;
      k += c * (d1 + d3) - sw * (d2 - d4);
      l += c * (d2 + d4) + sw * (d1 - d3);
    }
    Store4(K + j, k);
    Store4(L + j, l);
  }
}

// Region II likewise: one division for the two reciprocals of each half of a node. K enters
// holding the exp(-x^2) term. y = |a| per value.
CV_VOIGT_CLONES void RegionIIVec(const double* x, const double* yv, int32_t n, double* K,
                                 double* L) {
  for (int32_t j = 0; j < n; j += 4) {
    const TV4 xv = Load4(x + j), y = Load4(yv + j);
    const TV4 y1 = y + 1.5, y2 = y1 * y1, y3 = y + 3;
    TV4 k = Load4(K + j), l = {0, 0, 0, 0};
#pragma GCC unroll 6
    for (int i = 0; i < 6; ++i) {
      const double t = kT[i], c = kC[i], sw = kS[i];
      const TV4 r = xv - t;
      const TV4 r2 = r * r;
      const TV4 a1 = r2 + y2, b1 = r2 + 2.25;
      const TV4 q1 = 1 / (a1 * b1);
      const TV4 d = b1 * q1, g = a1 * q1;
      const TV4 d1 = y1 * d, d2 = r * d;
      k += y * (c * (r * d2 - 1.5 * d1) + sw * y3 * d2) * g;
      const TV4 rr = xv + t;
      const TV4 rr2 = rr * rr;
      const TV4 a2 = rr2 + y2, b2 = rr2 + 2.25;
      const TV4 q2 = 1 / (a2 * b2);
      const TV4 e = b2 * q2, h = a2 * q2;
      const TV4 d3 = y1 * e, d4 = rr * e;
      k += y * (c * (rr * d4 - 1.5 * d3) - sw * y3 * d4) * h;
      l += c * (d2 + d4) + sw * (d1 - d3);
    }
    Store4(K + j, k);
    Store4(L + j, l);
  }
}

// Beyond this |x| the paired products could overflow: the plain forms.
constexpr double kPairMax = 1e60;

// Humlicek over N values; the damping of value j is A[j] (AStep 1) or A[0] for all (AStep 0).
void HumBatch(const double* A, int32_t AStep, const double* v, int32_t N, double* H, double* F) {
  // each chunk split by region into two compact batches (padded to a multiple of 4 with a copy
  // of their last value), each computed vectorised
  double x1[kChunk + 3], y1[kChunk + 3], x2[kChunk + 3], y2[kChunk + 3], K[kChunk + 3],
      L[kChunk + 3];
  int32_t i1[kChunk], i2[kChunk];
  for (int32_t start = 0; start < N; start += kChunk) {
    const int32_t n = std::min(kChunk, N - start);
    int32_t n1 = 0, n2 = 0;
    for (int32_t j = 0; j < n; ++j) {
      const double x = v[start + j], a = A[(start + j) * AStep];
      const double y = std::fabs(a);
      const bool reg1 = y > 0.85 || std::fabs(x) < 18.1 * y + 1.65;
      if (!(std::fabs(x) < kPairMax)) {
        double k, l;
        if (reg1)
          HumRegionI(x, y + 1.5, k, l);
        else
          HumRegionII(x, y, k, l);
        H[start + j] = k;
        F[start + j] = -0.5 * l * (a >= 0 ? 1.0 : -1.0);
      } else if (reg1) {
        x1[n1] = x;
        y1[n1] = y + 1.5;
        i1[n1++] = start + j;
      } else {
        x2[n2] = x;
        y2[n2] = y;
        K[n2] = std::fabs(x) < 12 ? std::exp(-x * x) : 0.0;
        i2[n2++] = start + j;
      }
    }
    if (n2 > 0) {
      for (int32_t j = n2; j % 4 != 0; ++j) {
        x2[j] = x2[n2 - 1];
        y2[j] = y2[n2 - 1];
        K[j] = K[n2 - 1];
      }
      RegionIIVec(x2, y2, (n2 + 3) & ~3, K, L);
      for (int32_t j = 0; j < n2; ++j) {
        const int32_t i = i2[j];
        H[i] = K[j];
        F[i] = -0.5 * L[j] * (A[i * AStep] >= 0 ? 1.0 : -1.0);
      }
    }
    if (n1 > 0) {
      for (int32_t j = n1; j % 4 != 0; ++j) {
        x1[j] = x1[n1 - 1];
        y1[j] = y1[n1 - 1];
      }
      RegionIVec(x1, y1, (n1 + 3) & ~3, K, L);
      for (int32_t j = 0; j < n1; ++j) {
        const int32_t i = i1[j];
        H[i] = K[j];
        F[i] = -0.5 * L[j] * (A[i * AStep] >= 0 ? 1.0 : -1.0);
      }
    }
  }
}

}  // namespace

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

void VoigtSpline(double a, double v, double& H, double& F) { VoigtHumlicek(a, v, H, F); }

TVoigtMethod CurrentVoigtMethod() { return static_cast<TVoigtMethod>(CalcCtx().VoigtMethod); }

std::string VoigtMethodName() { return CalcCtx().VoigtMethodName; }

void VoigtSplineInit() {
  // The spline tables are not built yet: never make a method current without its tables.
  TCalcContext& c = CalcCtx();
  WARNAbs("VoigtSplineInit - функция пока недоступна: таблицы сплайнов функции Фойгта не "
          "построены, остаётся метод Хумличека."_cp);
  c.VoigtMethod = vmHumlicek;
  c.VoigtMethodName = "Humlicek";
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
  ++TransferCounts().Voigt;
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
  TransferCounts().Voigt += N;
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
  TransferCounts().Voigt += N;
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
  for (int32_t c = 1; c <= N + 6; ++c) {
    const double v = (c - 1) * step - 6 * step;
    const double hq = VoigtHQuad(100, Tol, v, a);
    const double fq = -VoigtFQuad(100, Tol, v, a);
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
