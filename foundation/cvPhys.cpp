#include "foundation/cvPhys.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

using ld = long double;

// R(x): nearest integer, halves to even (the default rounding mode).
inline ld RoundHalfEven(ld x) { return std::nearbyint(x); }

std::string Num(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Inf" : "-Inf";
  return ShortSt(7, x);
}

[[noreturn]] [[gnu::cold]] void FpFault(const std::string& What) {
  ErrAbs(What + ": "_cp + "ошибка вычисления с плавающей точкой!"_cp);
}

[[gnu::cold]] [[noreturn]] void Fault1(const char* Who, double a) {
  FpFault(std::string(Who) + "(" + Num(a) + ")");
}
[[gnu::cold]] [[noreturn]] void Fault2(const char* Who, double a, double b) {
  FpFault(std::string(Who) + "(" + Num(a) + "," + Num(b) + ")");
}
[[gnu::cold]] [[noreturn]] void FaultN(const char* Who, std::initializer_list<double> Args) {
  std::string s = std::string(Who) + "(";
  bool first = true;
  for (double a : Args) {
    if (!first) s += ",";
    s += Num(a);
    first = false;
  }
  FpFault(s + ")");
}

// The long double result as a double; a value that is not finite as a double is a fault.
inline bool FiniteD(ld r, double& out) {
  out = static_cast<double>(r);
  return std::isfinite(out);
}

// 10^K by repeated multiplication (K > 0) or division (K < 0).
ld Pow10ByMul(int32_t K) {
  ld m = 1.0L;
  const int64_t k = K < 0 ? -static_cast<int64_t>(K) : K;
  for (int64_t i = 0; i < k && m != 0 && !std::isinf(m); ++i) m = K > 0 ? m * 10.0L : m / 10.0L;
  return m;
}

std::mt19937_64& Rng() {
  static std::mt19937_64 g(0x5A5ACACAu);
  return g;
}

std::string PadInt(int64_t v, size_t w) {
  std::string s = I64Str(v);
  if (s.size() < w) s.insert(0, w - s.size(), ' ');
  return s;
}

}  // namespace

// ------------------------------------------------------------------ rounding and numbers

int32_t DigitCount(int64_t n) {
  int32_t c = 1;
  while (n >= 10) {
    n /= 10;
    ++c;
  }
  return c;
}

double RoundToPow10(double x, int32_t K) {
  const int64_t k = K < 0 ? -static_cast<int64_t>(K) : K;
  ld p = 1.0L;
  for (int64_t i = 0; i < k && !std::isinf(p); ++i) p *= 10.0L;
  if (K < 0) p = 1.0L / p;
  double r;
  if (!FiniteD(std::trunc(x / p) * p, r)) Fault2("RoundToPow10", x, K);
  return r;
}

int64_t IntAbove(double x) {
  ld t = std::trunc(static_cast<ld>(x) + 1.0L);
  if (!(std::fabs(t) < 9.2e18L)) Fault1("IntAbove", x);
  return static_cast<int64_t>(t);
}

int64_t IntBelow(double x) {
  ld t = std::trunc(static_cast<ld>(x));
  if (!(std::fabs(t) < 9.2e18L)) Fault1("IntBelow", x);
  if (t == x) t -= 1.0L;
  return static_cast<int64_t>(t);
}

int32_t LamDecimals = 7;

double RoundDec(double x, int32_t N) {
  ld m = Pow10ByMul(N);
  double r;
  if (!FiniteD(RoundHalfEven(x * m) / m, r)) Fault2("RoundDec", x, N);
  return r;
}

double RoundSig(double x, int32_t N) {
  if (x == 0) return x;
  if (!std::isfinite(x)) Fault2("RoundSig", x, N);
  ld b = N < 1 ? 1.0L : Pow10ByMul(N);
  ld a = std::fabs(static_cast<ld>(x));
  int32_t n = 0;
  while (a > b) {
    a /= 10.0L;
    --n;
  }
  while (a < b) {
    a *= 10.0L;
    ++n;
  }
  a = RoundHalfEven(a);
  if (n >= 1)
    for (int32_t k = 0; k < n; ++k) a /= 10.0L;
  else
    for (int32_t k = 0; k < -n; ++k) a *= 10.0L;
  double r;
  if (!FiniteD(x < 0 ? -a : a, r)) Fault2("RoundSig", x, N);
  return r;
}

void RoundBounds(double X1, double X2, int32_t NPart, double& R1, double& R2) {
  R1 = X1;
  R2 = X2;
  if (NPart == 0) {
    WARNAbs("RoundBounds X1=" + ShortSt(7, X1) + " X2=" + ShortSt(7, X2) + " NPart=0!!!");
    return;
  }
  double g = RoundSig((static_cast<ld>(X2) - X1) / NPart, DigitCount(NPart));
  if (g == 0) {
    WARNAbs("RoundBounds X1=" + ShortSt(7, X1) + " X2=" + ShortSt(7, X2) + " NPart=" +
            IntStr(NPart) + " интервал = 0!"_cp);
    return;
  }
  ld r1 = RoundHalfEven(static_cast<ld>(X1) / g) * g;
  R1 = static_cast<double>(r1);
  R2 = static_cast<double>(r1 + static_cast<ld>(NPart + 1) * g);
}

double PowerRe(double x, double y) {
  if (y == 0) return 1.0;
  if ((x == 0 && y < 0) || (x < 0 && std::trunc(y) != y)) Fault2("PowerRe", x, y);
  double r;
  if (!FiniteD(std::pow(static_cast<ld>(x), static_cast<ld>(y)), r)) Fault2("PowerRe", x, y);
  return r;
}

double Lg(double x) {
  if (!(x > 0)) Fault1("Lg", x);
  double r;
  if (!FiniteD(std::log10(static_cast<ld>(x)), r)) Fault1("Lg", x);
  return r;
}

double Exp10(double x) {
  double r;
  if (!FiniteD(std::exp(static_cast<ld>(PhysLn10) * x), r)) Fault1("Exp10", x);
  return r;
}

double DExp10(double x, double a) {
  if (a == 0) Fault2("DExp10", x, a);
  double r;
  if (!FiniteD(static_cast<ld>(Exp10(x)) * PhysLn10 / a, r)) Fault2("DExp10", x, a);
  return r;
}

double ThetaT(double T) {
  if (T <= 0) return 0;
  return static_cast<double>(PhysThetaFactor / T);
}

void QuadRoots(double A, double B, double C, double& D, double& X1, double& X2) {
  ld d = static_cast<ld>(B) * B - 4.0L * A * C;
  D = static_cast<double>(d);
  if (A == 0) FaultN("QuadRoots", {A, B, C});
  if (d > 0) {
    ld s = std::sqrt(d);
    X1 = static_cast<double>((s - B) / (2.0L * A));
    X2 = static_cast<double>((-B - s) / (2.0L * A));
  } else if (d == 0) {
    X1 = static_cast<double>(-B / (2.0L * A));
    X2 = 0;
  } else {
    X1 = 0;
    X2 = 0;
  }
  if (!std::isfinite(D) || !std::isfinite(X1) || !std::isfinite(X2)) FaultN("QuadRoots", {A, B, C});
}

bool SameRe(double a, double b) { return std::fabs(static_cast<ld>(b) - a) < 1e-7L; }

bool NearRe(double a, double b, double eps) { return std::fabs(static_cast<ld>(a) - b) < eps; }

float ToSingleSafe(double x) {
  if (std::fabs(x) < 1e-37) return 0.0f;
  if (!(std::fabs(x) <= std::numeric_limits<float>::max())) Fault1("ToSingleSafe", x);
  return static_cast<float>(x);
}

// ------------------------------------------------------------------ spectral-line conversions

double DopplerShift(double Lam, double V) {
  return static_cast<double>(static_cast<ld>(Lam) * V / PhysLightMA);
}

double DopplerShiftA(double Lam, double V) {
  return static_cast<double>(static_cast<ld>(Lam) * V / PhysLightA);
}

double ShiftToVel(double DLam, double Lam) {
  double r;
  if (Lam == 0 || !FiniteD(static_cast<ld>(DLam) * PhysLightMA / Lam, r))
    Fault2("ShiftToVel", DLam, Lam);
  return r;
}

double ZeemanDLam(double g, double Lam, double B) {
  return static_cast<double>(static_cast<ld>(PhysZeemanFactor) * Lam * Lam * g * B);
}

double BFromSplit(double DLam, double Lam, double g) {
  ld l = static_cast<ld>(Lam) * 1e-8L;
  ld den = static_cast<ld>(g) * l * l * static_cast<ld>(PhysZeemanFactorCm);
  double r;
  if (den == 0 || !FiniteD(static_cast<ld>(DLam) * 1e-11L / den, r))
    FaultN("BFromSplit", {DLam, Lam, g});
  return r;
}

// ------------------------------------------------------------------ profiles and random numbers

double GaussUnit(double u) {
  ld u2 = static_cast<ld>(u) * u;
  if (u2 >= PhysGaussCutoff) return 0;
  return static_cast<double>(std::exp(-u2) / static_cast<ld>(PhysSqrtPi));
}

double GaussProf(double x, double w) {
  if (w == 0) Fault2("GaussProf", x, w);
  return GaussUnit(static_cast<double>(static_cast<ld>(x) / w));
}

double GaussProfMA(double x, double x0, double wm) {
  if (wm == 0) FaultN("GaussProfMA", {x, x0, wm});
  return GaussUnit(static_cast<double>((static_cast<ld>(x) - x0) / (static_cast<ld>(wm) / 1000.0L)));
}

double LorentzProf(double x, double a) {
  ld den = (static_cast<ld>(x) * x + static_cast<ld>(a) * a) * PhysPi;
  if (den == 0) Fault2("LorentzProf", x, a);
  return static_cast<double>(a / den);
}

double LorentzProfMA(double x, double x0, double wm, double a) {
  if (wm == 0) FaultN("LorentzProfMA", {x, x0, wm, a});
  return LorentzProf(static_cast<double>((static_cast<ld>(x) - x0) / (static_cast<ld>(wm) / 1000.0L)),
                     a);
}

double GaussPDF(double x, double Sigma) {
  if (Sigma == 0) Fault2("GaussPDF", x, Sigma);
  ld q = static_cast<ld>(x) / Sigma;
  double r;
  if (!FiniteD(std::exp(-q * q / 2.0L) / (static_cast<ld>(Sigma) * PhysSqrt2Pi), r))
    Fault2("GaussPDF", x, Sigma);
  return r;
}

double RandUniform() {
  return static_cast<double>(Rng()() >> 11) * 0x1.0p-53;
}

void RandSeedPhys(uint64_t Seed) { Rng().seed(Seed); }

void RandomizePhys() {
  RandSeedPhys(static_cast<uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

double RandNorm12() {
  ld s = 0;
  for (int i = 0; i < 12; ++i) s += RandUniform();
  return static_cast<double>(s - 6.0L);
}

double RandGaussRej(double Sigma, double K) {
  // The acceptance rate is about erf(K/sqrt 2)/(2 K Sigma); a bound keeps a hopeless request
  // (a huge Sigma, K = 0) from running for ever.
  constexpr int64_t kMaxDraws = 100000000;
  if (Sigma == 0) Fault2("RandGaussRej", Sigma, K);
  ld span = static_cast<ld>(K) * Sigma;
  for (int64_t n = 0; n < kMaxDraws; ++n) {
    double r = static_cast<double>(-span + 2.0L * span * RandUniform());
    if (RandUniform() <= GaussPDF(r, Sigma)) return r;
  }
  ErrAbs("RandGaussRej: "_cp + IntStr(static_cast<int32_t>(kMaxDraws / 1000000)) +
         " млн. попыток без результата при Sigma="_cp + Num(Sigma) + " K=" + Num(K));
}

// ------------------------------------------------------------------ curves over 1-based arrays

void GaussSmoothAt(int32_t N, int32_t i, const TARe& X, double W, double& Out, const TARe& Y,
                   double Ref, bool Flip, bool Mirror, bool RefMode) {
  if (W == 0) {
    Out = Y[i];
    return;
  }
  auto step = [&](int32_t j) -> ld {
    if (j == N) return std::fabs(static_cast<ld>(X[j]) - X[j - 1]);
    if (j <= 2) return std::fabs(static_cast<ld>(X[j + 1]) - X[j]);
    return std::fabs(static_cast<ld>(X[j + 1]) - X[j - 1]) / 2.0L;
  };
  auto value = [&](int32_t j) -> ld { return RefMode ? static_cast<ld>(Ref) - Y[j] : Y[j]; };
  ld S = 0, V = 0;
  const ld xi = X[i];
  for (int32_t j = 1; j <= N; ++j) {
    ld w = GaussProf(static_cast<double>(std::fabs(static_cast<ld>(X[j]) - xi)), W) * step(j);
    S += w;
    V += w * value(j);
  }
  if (Mirror) {
    const ld x1 = X[1];
    for (int32_t j = 2; j <= N; ++j) {
      ld dist = std::fabs(2.0L * x1 - xi - X[j]);
      ld w = GaussProf(static_cast<double>(dist), W) * step(j);
      S += w;
      V += Flip ? -w * value(j) : w * value(j);
    }
  }
  if (S == 0) FaultN("GaussSmoothAt", {static_cast<double>(N), static_cast<double>(i), W});
  ld m = V / S;
  Out = static_cast<double>(RefMode ? static_cast<ld>(Ref) - m : m);
}

void GAUSSBLURING(int32_t N, const TARe& X, const TARe& Y, double W, TARe& R, int32_t MirrorMode,
                  bool RefMode, bool Flip, double Ref) {
  const int64_t lx = static_cast<int64_t>(X.size()), ly = static_cast<int64_t>(Y.size());
  if (ly != lx || ly < static_cast<int64_t>(N) + 1) {
    WARNAbs("GAUSSBLURING Точек="_cp + IntStr(N) + " размер входных массивов X,Y="_cp +
            IntStr(static_cast<int32_t>(lx)) + "," + IntStr(static_cast<int32_t>(ly)));
    return;
  }
  bool Mirror = false;
  if (MirrorMode == 1)
    Mirror = true;
  else if (MirrorMode == 0)
    Mirror = X.size() > 1 && NearRe(X[1], 0, 0.00001);
  TARe res(Y.size(), 0.0);
  for (int32_t i = 1; i <= N; ++i) GaussSmoothAt(N, i, X, W, res[i], Y, Ref, Flip, Mirror, RefMode);
  R = std::move(res);
}

double GetExtremum3(const TARe& AX, const TARe& AY) {
  if (AX.size() != 4) {
    WARNAbs("GetExtremum3 размерность массива AX="_cp + IntStr(static_cast<int32_t>(AX.size())) +
            " <> 3+1!");
    return 0;
  }
  if (AY.size() != 4) {
    WARNAbs("GetExtremum3 размерность массива AY="_cp + IntStr(static_cast<int32_t>(AY.size())) +
            " <> 3+1!");
    return 0;
  }
  ld d1 = static_cast<ld>(AY[2]) - AY[1], d2 = static_cast<ld>(AY[3]) - AY[2];
  ld m1 = (static_cast<ld>(AX[1]) + AX[2]) / 2.0L, m2 = (static_cast<ld>(AX[2]) + AX[3]) / 2.0L;
  if (d1 == d2) return static_cast<double>((m1 + m2) / 2.0L);
  ld t = d1 * (m2 - m1) / (d1 - d2);
  ld g = (m2 - m1) - t;
  ld k = 0;
  if (t != 0) {
    ld q = g / t;
    if (q > 8.0L || q < 0.125L) k = (g - t) / 10.0L;
  }
  return static_cast<double>(m1 + t + k);
}

// ------------------------------------------------------------------ numbered conversions

double fn_convert(int32_t n, double x) {
  ld r;
  switch (n) {
    case 0: return x;
    case 1: return Exp10(x);
    case 2:
      if (!(x > 0)) Fault2("fn_convert", n, x);
      r = std::log10(static_cast<ld>(x));
      break;
    case 3:
      if (x == 0) Fault2("fn_convert", n, x);
      r = PhysThetaFactor / x;
      break;
    case 4:
      if (x == 0) Fault2("fn_convert", n, x);
      r = 1.0L / x;
      break;
    case 5: r = std::exp(static_cast<ld>(x)); break;
    case 6:
      if (!(x > 0)) Fault2("fn_convert", n, x);
      r = std::log(static_cast<ld>(x));
      break;
    default:
      ErrAbs("fn_convert: преобразование с номером "_cp + IntStr(n) + " не предусмотрено!"_cp);
  }
  double d;
  if (!FiniteD(r, d)) Fault2("fn_convert", n, x);
  return d;
}

double fn_convert2(char c, double a, double b) {
  ld r;
  switch (c) {
    case ')': r = static_cast<ld>(a) + b; break;
    case '*': r = static_cast<ld>(a) * b; break;
    case '+': r = static_cast<ld>(a) * b * static_cast<ld>(PhysBoltzmann); break;
    default:
      ErrAbs("fn_convert2: преобразование с номером "_cp +
             IntStr(static_cast<unsigned char>(c)) + " не предусмотрено!"_cp);
  }
  double d;
  if (!FiniteD(r, d)) FaultN("fn_convert2", {static_cast<double>(static_cast<unsigned char>(c)), a, b});
  return d;
}

// ------------------------------------------------------------------ radiation and ionisation

double Planck(double Lam, double T) {
  if (Lam == 0 || T == 0) Fault2("Planck", Lam, T);
  const ld l = static_cast<ld>(Lam) * 1e-8L;
  const ld l5 = l * l * l * l * l;
  const ld e = std::exp(PhysPlanckC2 / (l * T));
  // e beyond the long double range: the intensity is far below the smallest double.
  if (std::isinf(e)) return 0;
  double r;
  if (e == 1.0L || !FiniteD(static_cast<ld>(PhysPlanckC1) / l5 / (e - 1.0L), r)) Fault2("Planck", Lam, T);
  return r;
}

double PlanckTb(double Lam, double I) {
  const ld l = static_cast<ld>(Lam) * 1e-8L;
  const ld l5 = l * l * l * l * l;
  if (l5 * I == 0) Fault2("PlanckTb", Lam, I);
  const ld arg = static_cast<ld>(PhysPlanckC1) / (l5 * I) + 1.0L;
  if (!(arg > 0)) Fault2("PlanckTb", Lam, I);
  const ld ln = std::log(arg);
  double r;
  if (ln == 0 || !FiniteD(PhysPlanckC2 / (l * ln), r)) Fault2("PlanckTb", Lam, I);
  return r;
}

double TeffFromFlux(double F) {
  ld q = static_cast<ld>(F) * PhysPi / static_cast<ld>(PhysStefanBoltzmann);
  if (!(q >= 0)) Fault1("TeffFromFlux", F);
  double r;
  if (!FiniteD(std::sqrt(std::sqrt(q)), r)) Fault1("TeffFromFlux", F);
  return r;
}

double SahaPhi(double T, double Chi, double U0, double U1) {
  if (!(T > 0) || U0 == 0) FaultN("SahaPhi", {T, Chi, U0, U1});
  const ld t = T;
  ld r = static_cast<ld>(PhysSahaC) * (std::sqrt(t) * t * t) * (static_cast<ld>(U1) / U0) *
         std::exp(-static_cast<ld>(PhysSahaEvToK) * Chi / t);
  double d;
  if (!FiniteD(r, d)) FaultN("SahaPhi", {T, Chi, U0, U1});
  return d;
}

double SahaPhi5(double T, double Pe, double Chi, double U0, double U1) {
  if (Pe == 0) FaultN("SahaPhi5", {T, Pe, Chi, U0, U1});
  double d;
  if (!FiniteD(static_cast<ld>(SahaPhi(T, Chi, U0, U1)) / Pe, d))
    FaultN("SahaPhi5", {T, Pe, Chi, U0, U1});
  return d;
}

// ------------------------------------------------------------------ solar rotation and rings

double SolarRotRate(double Phi) {
  ld s = std::sin(static_cast<ld>(Phi) * PhysDegToRad);
  s *= s;
  return static_cast<double>((static_cast<ld>(PhysRotA) + PhysRotB * s + PhysRotC * s * s) * 1e-6L);
}

double SolarRotVel(double Phi) {
  return static_cast<double>(static_cast<ld>(SolarRotRate(Phi)) * PhysSolarRadiusKm);
}

double LOSRotVel(double Phi, double Alpha) {
  return static_cast<double>(std::sin((static_cast<ld>(Alpha) - 90.0L) * PhysDegToRad) *
                             static_cast<ld>(SolarRotVel(Phi)));
}

void RingMu(int32_t N, int32_t i, double& r, double& Mu, double& d) {
  if (N < 1 || i < 1 || i > N) FaultN("RingMu", {static_cast<double>(N), static_cast<double>(i)});
  const ld c = std::sqrt(static_cast<ld>(N - i + 1) / N);
  const ld e = std::sqrt(static_cast<ld>(N - i) / N);
  const ld rr = (c + e) / 2.0L;
  d = static_cast<double>(c - e);
  r = static_cast<double>(rr);
  Mu = static_cast<double>(std::sqrt(1.0L - rr * rr));
}

namespace {

// The line-of-sight rotation velocity of segment j of NSeg on the ring of radius r.
double RingSegRotVel(int32_t NSeg, int32_t j, double r) {
  const ld psi = PhysTwoPi / NSeg * (j - 0.5L);
  const ld lat = std::asin(r * std::cos(psi)) / PhysDegToRad;
  const ld alpha = std::acos(-r * std::sin(psi)) / PhysDegToRad;
  return LOSRotVel(static_cast<double>(lat), static_cast<double>(alpha));
}

}  // namespace

void RingRotVel(int32_t NSeg, TARe& A, double r) {
  TARe res(NSeg >= 0 ? static_cast<size_t>(NSeg) + 1 : 0, 0.0);
  if (NSeg > 0 && !(std::fabs(r) <= 1.0)) FaultN("RingRotVel", {static_cast<double>(NSeg), r});
  for (int32_t j = 1; j <= NSeg; ++j) res[j] = RingSegRotVel(NSeg, j, r);
  A = std::move(res);
}

bool DiskRingsTable(int32_t NRings, int32_t NSeg, const std::string& FileName) {
  // written beside and renamed over: a cancelled run leaves the file as it was
  const std::string tmp = FileName + ".tmp";
  TJob* job = CurrentJob();
  const std::string what = "Do RING";
  const int64_t total = static_cast<int64_t>(std::max(NRings, 0)) + std::max(NSeg, 0);
  TTextFile F;
  TxtOpen(F, 1, tmp);
  auto stop = [&] {
    F.Close();
    DelFileSS(tmp);
    return false;
  };
  F.WriteLn("Число колец = "_cp + IntStr(NRings) + "  Число сегментов = "_cp + IntStr(NSeg));
  F.WriteLn("  i   r       d       mju  ");
  // the rings' radii only: the segments' velocities are computed row by row (any counts fit)
  TARe radius(NRings > 0 ? static_cast<size_t>(NRings) + 1 : 0, 0.0);
  for (int32_t i = 1; i <= NRings; ++i) {
    if (job && i % 100 == 1 && !job->Step(i - 1, total, what)) return stop();
    double r, mu, d;
    RingMu(NRings, i, r, mu, d);
    F.WriteLn(PadInt(i, 3) + FSt(7, 4, r) + FSt(7, 4, d) + FSt(7, 4, mu));
    radius[static_cast<size_t>(i)] = r;
  }
  std::string s = "  j ";
  for (int32_t i = 1; i <= NRings; ++i) s += PadInt(i, 3) + "    ";
  F.WriteLn(s);
  s = "----";
  for (int32_t i = 1; i <= NRings; ++i) s += "-------";
  F.WriteLn(s);
  for (int32_t j = 1; j <= NSeg; ++j) {
    if (job && j % 100 == 1 && !job->Step(std::max(NRings, 0) + j - 1, total, what))
      return stop();
    s = PadInt(j, 3);
    for (int32_t i = 1; i <= NRings; ++i)
      s += FSt(7, 3, RingSegRotVel(NSeg, j, radius[static_cast<size_t>(i)]));
    F.WriteLn(s);
  }
  F.Close();
  RenameOver(tmp, FileName);
  return true;
}
