#include "foundation/cvFunc.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

constexpr double kTheta = 5039.77;
constexpr double kHalfWidthDiv = 1.99999;
constexpr double kExpCut = 11350;
constexpr double kSqrtPi = 1.7724538509;

// A function text read once: which of the two divisions it names, and its constant.
struct TFuncText {
  enum Kind { NoSlash, XOverC, COverX, Same } kind = Same;
  double c = 0;
};

TFuncText ParseFuncText(const std::string& F) {
  TFuncText t;
  const size_t p = F.find('/');
  if (p == std::string::npos) {
    t.kind = TFuncText::NoSlash;
    return t;
  }
  const std::string L = F.substr(0, p), R = F.substr(p + 1);
  if (L == "X") {
    t.kind = TFuncText::XOverC;
    t.c = ValRealQuiet(R);
  } else if (R == "X") {
    t.kind = TFuncText::COverX;
    t.c = ValRealQuiet(L);
  }
  return t;
}

[[noreturn]] void FuncZeroDiv(const std::string& F, double x) {
  ErrAbs("cvFunc.doFUNC : деление на 0, sFUNC=<"_cp + F + "> x=" + ShortSt(7, x));
}

std::string UnparsedText(const std::string& F) {
  return "cvFunc.doFUNC : функцию не удаётся \"распарсить\", sFUNC=<"_cp + F + ">";
}

// Throws before the division that a text would make by zero at x.
void CheckFuncDivisor(const TFuncText& t, const std::string& F, double x) {
  switch (t.kind) {
    case TFuncText::XOverC:
      if (t.c == 0) FuncZeroDiv(F, x);
      break;
    case TFuncText::COverX:
    case TFuncText::NoSlash:
      if (x == 0) FuncZeroDiv(F, x);
      break;
    case TFuncText::Same:
      break;
  }
}

double ApplyFuncText(const TFuncText& t, double x) {
  switch (t.kind) {
    case TFuncText::NoSlash: return 1e8 / x;
    case TFuncText::XOverC: return x / t.c;
    case TFuncText::COverX: return t.c / x;
    case TFuncText::Same: break;
  }
  return x;
}

double Exp10Checked(const char* Name, double x) {
  const double v = std::pow(10.0, x);
  if (std::isinf(v) && std::isfinite(x))
    ErrAbs(std::string(Name) + ": 10^" + ShortSt(7, x) + " - переполнение!"_cp);
  return v;
}

double Log10Checked(const char* Name, double x) {
  if (!(x > 0)) ErrAbs(std::string(Name) + ": Log10(" + ReSt(x) + ") !!!");
  return std::log10(x);
}

// Half-width of the window of AReAddAt and its relatives.
double WindowHalf(const TARe& B, double H) {
  if (H != 0) return std::fabs(H) / kHalfWidthDiv;
  const int n = NOf(B);
  return std::fabs(B[n] - B[1]) / n / 100;
}

template <class Op>
void AtWindow(TARe& A, const TARe& B, double X, double H, Op op) {
  if (NOf(A) < 1 || NOf(B) < 1) return;
  const double d = WindowHalf(B, H);
  const int n = std::min(NOf(A), NOf(B));
  for (int i = 1; i <= n; ++i)
    if (X - d <= B[i] && B[i] <= X + d) op(A[i]);
}

}  // namespace

// ---- function texts ----

double doFUNC(const std::string& F, double x) {
  const TFuncText t = ParseFuncText(F);
  if (t.kind == TFuncText::NoSlash) WARNAbs(UnparsedText(F));
  CheckFuncDivisor(t, F, x);
  return ApplyFuncText(t, x);
}

double FuncByChar(char Letter, const std::string& F, double x) {
  switch (Letter) {
    case 'E': return Exp10Checked("cvFunc.FuncByChar", x);
    case 'F': return doFUNC(F, x);
    case 'L': return Log10Checked("cvFunc.FuncByChar", x);
    default: return x;
  }
}

void AReFUNC(TARe& A, const std::string& F) {
  const int n = NOf(A);
  if (n < 1) return;
  const TFuncText t = ParseFuncText(F);
  for (int i = 1; i <= n; ++i) CheckFuncDivisor(t, F, A[i]);
  // The warning of a text without "/" is made once and repeated for every element.
  const std::string warn = t.kind == TFuncText::NoSlash ? UnparsedText(F) : std::string();
  for (int i = 1; i <= n; ++i) {
    if (!warn.empty()) WARNAbs(warn);
    A[i] = ApplyFuncText(t, A[i]);
  }
}

// ---- whole-array conversions ----

void AReLOG(TARe& A) {
  const int n = NOf(A);
  for (int i = 1; i <= n; ++i) {
    if (A[i] > 0)
      A[i] = std::log10(A[i]);
    else
      WARNAbs("AReLOG: Log10(A[" + IntStr(i) + "]=" + ReSt(A[i]) + ") !!!");
  }
}

void AReEXP10(TARe& A) {
  const int n = NOf(A);
  // Nothing changes on overflow. 10^x stays finite up to x = 308, so only larger exponents are
  // tried before the pass that converts.
  for (int i = 1; i <= n; ++i)
    if (A[i] > 308) Exp10Checked("AReEXP10", A[i]);
  for (int i = 1; i <= n; ++i) A[i] = std::pow(10.0, A[i]);
}

void AReTransform(TARe& A, char Letter) {
  const int n = NOf(A);
  switch (Letter) {
    case 'E':
      AReEXP10(A);
      break;
    case 'L':
      for (int i = 1; i <= n; ++i)
        if (!(A[i] > 0))
          ErrAbs("AReTransform: Log10(A[" + IntStr(i) + "]=" + ReSt(A[i]) + ") !!!");
      for (int i = 1; i <= n; ++i) A[i] = std::log10(A[i]);
      break;
    case 'T':
      for (int i = 1; i <= n; ++i) A[i] = A[i] > 0 ? kTheta / A[i] : 0.0;
      break;
    default:
      break;
  }
}

int32_t AReTransformCheck(const TARe& A, char Letter) {
  if (Letter != 'L' && Letter != 'T') return 0;
  const int n = NOf(A);
  for (int i = 1; i <= n; ++i)
    if (!(A[i] > 0)) return i;
  return 0;
}

void AReAdd(TARe& A, double c) {
  const int n = NOf(A);
  for (int i = 1; i <= n; ++i) A[i] += c;
}

void AReSubFrom(TARe& A, double c) {
  const int n = NOf(A);
  for (int i = 1; i <= n; ++i) A[i] = c - A[i];
}

void AReMul(TARe& A, double c) {
  const int n = NOf(A);
  for (int i = 1; i <= n; ++i) A[i] *= c;
}

void AReMulTo(const TARe& A, TARe& R, double c) {
  R.assign(A.size(), 0.0);
  if (A.empty()) return;
  R[0] = A[0];
  for (size_t i = 1; i < A.size(); ++i) R[i] = c * A[i];
}

void AReDepthTo(const TARe& A, TARe& R, double c) {
  if (NOf(A) >= 1 && c == 0) ErrAbs("AReDepthTo: уровень c=0, деление на 0!"_cp);
  R.assign(A.size(), 0.0);
  if (A.empty()) return;
  R[0] = A[0];
  for (size_t i = 1; i < A.size(); ++i) R[i] = (c - A[i]) / c;
}

void AReFill(TARe& A, double v) { std::fill(A.begin(), A.end(), v); }
void AInFill(TAIn& A, int32_t v) { std::fill(A.begin(), A.end(), v); }

void AReRange(const TARe& A, double& Min, double& Max) {
  if (NOf(A) < 1) {
    Min = Max = 0;
    return;
  }
  AReMinMax(A, Min, Max);
}

double RoundToFirstDigit(double x) {
  if (x == 0 || !std::isfinite(x)) return x;
  double c = std::fabs(x);
  int up = 0, down = 0;
  while (c < 1) {
    c *= 10;
    ++up;
  }
  while (c > 10) {
    c /= 10;
    ++down;
  }
  double r = std::trunc(c);
  double p = 1;
  for (int k = 0; k < std::max(up, down); ++k) p *= 10;
  if (up > 0) r /= p;
  else r *= p;
  return x < 0 ? -r : r;
}

// ---- changes at abscissae ----

void AReLinBridge(TARe& A, const TARe& B, int32_t i1, int32_t i2) {
  if (A.empty() || B.empty()) return;
  const int64_t len = static_cast<int64_t>(std::min(A.size(), B.size()));
  if (i1 <= 0 || i2 <= 0 || i1 >= len || i2 >= len) return;
  if (i2 < i1) std::swap(i1, i2);
  if (i2 - i1 < 2) return;
  const double x1 = B[i1], x2 = B[i2], y1 = A[i1], y2 = A[i2];
  if (x2 == x1) ErrAbs("AReLinBridge: B[" + IntStr(i1) + "]=B[" + IntStr(i2) + "], деление на 0!"_cp);
  for (int32_t j = i1 + 1; j < i2; ++j) A[j] = y1 + (y2 - y1) * (B[j] - x1) / (x2 - x1);
}

void AReAddRamp(TARe& A, const TARe& B, double C, double X1, double X0) {
  if (X1 == X0 || NOf(A) < 1 || NOf(B) < 1) return;
  const int n = std::min(NOf(A), NOf(B));
  for (int i = 1; i <= n; ++i) A[i] += C * (B[i] - X0) / (X1 - X0);
}

void AReAddRampPos(TARe& A, const TARe& B, double C, double X1, double X0) {
  if (X1 == X0 || NOf(A) < 1 || NOf(B) < 1) return;
  const int n = std::min(NOf(A), NOf(B));
  for (int i = 1; i <= n; ++i) {
    const double r = (B[i] - X0) / (X1 - X0);
    if (r > 0) A[i] += C * r;
  }
}

void AReAddAt(TARe& A, const TARe& B, double C, double X, double H) {
  AtWindow(A, B, X, H, [C](double& a) { a += C; });
}

void AReMulAt(TARe& A, const TARe& B, double C, double X, double H) {
  AtWindow(A, B, X, H, [C](double& a) { a *= C; });
}

void AReSetAt(TARe& A, const TARe& B, double V, double X, double H) {
  AtWindow(A, B, X, H, [V](double& a) { a = V; });
}

double GaussNorm(double u, double w) {
  if (w == 0) ErrAbs("GaussNorm: w=0, деление на 0!"_cp);
  const double q = u / w;
  const double e = q * q;
  if (e >= kExpCut) return 0;
  return std::exp(-e) / (w * kSqrtPi);
}

void AReAddGauss(TARe& A, const TARe& B, double C, double X, double W) {
  if (W == 0) {
    AReAddAt(A, B, C, X, 0);
    return;
  }
  if (NOf(A) < 1 || NOf(B) < 1) return;
  const double w = std::fabs(W);
  const int n = std::min(NOf(A), NOf(B));
  for (int i = 1; i <= n; ++i) A[i] += C * GaussNorm(std::fabs(B[i] - X), w);
}
