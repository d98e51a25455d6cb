#include "foundation/cvSpline.h"

#include "foundation/cvSplineHint.h"

#include <algorithm>
#include <utility>

namespace {

using LD = long double;

// 1-based view of a buffer whose first value sits at p[0].
template <class T>
struct OneBased {
  T* p;
  T& operator[](int i) const { return p[i - 1]; }
};

}  // namespace

void FmmCoeffs(int32_t N, const double* XP, const double* YP, double* BP, double* CP,
               double* DP) {
  const OneBased<const double> X{XP}, Y{YP};
  const OneBased<double> B{BP}, C{CP}, D{DP};
  if (N < 2) return;
  if (N == 2) {
    B[1] = B[2] = static_cast<double>((LD(Y[2]) - Y[1]) / (LD(X[2]) - X[1]));
    C[1] = C[2] = D[1] = D[2] = 0;
    return;
  }
  // D holds the interval widths and C the right-hand side while the system is solved.
  D[1] = X[2] - X[1];
  C[2] = static_cast<double>((LD(Y[2]) - Y[1]) / D[1]);
  for (int i = 2; i <= N - 1; ++i) {
    D[i] = X[i + 1] - X[i];
    B[i] = static_cast<double>(2 * (LD(D[i - 1]) + D[i]));
    C[i + 1] = static_cast<double>((LD(Y[i + 1]) - Y[i]) / D[i]);
    C[i] = C[i + 1] - C[i];
  }
  B[1] = -D[1];
  B[N] = -D[N - 1];
  C[1] = 0;
  C[N] = 0;
  if (N > 3) {
    C[1] = static_cast<double>(LD(C[3]) / (LD(X[4]) - X[2]) - LD(C[2]) / (LD(X[3]) - X[1]));
    C[N] = static_cast<double>(LD(C[N - 1]) / (LD(X[N]) - X[N - 2]) -
                               LD(C[N - 2]) / (LD(X[N - 1]) - X[N - 3]));
    C[1] = static_cast<double>(LD(C[1]) * D[1] * D[1] / (LD(X[4]) - X[1]));
    C[N] = static_cast<double>(-LD(C[N]) * D[N - 1] * D[N - 1] / (LD(X[N]) - X[N - 3]));
  }
  for (int i = 2; i <= N; ++i) {
    const double t = D[i - 1] / B[i - 1];
    B[i] = static_cast<double>(B[i] - LD(t) * D[i - 1]);
    C[i] = static_cast<double>(C[i] - LD(t) * C[i - 1]);
  }
  C[N] = C[N] / B[N];
  for (int i = N - 1; i >= 1; --i) C[i] = static_cast<double>((C[i] - LD(D[i]) * C[i + 1]) / B[i]);
  B[N] = static_cast<double>((LD(Y[N]) - Y[N - 1]) / D[N - 1] +
                             LD(D[N - 1]) * (LD(C[N - 1]) + 2 * LD(C[N])));
  for (int i = 1; i <= N - 1; ++i) {
    B[i] = static_cast<double>((LD(Y[i + 1]) - Y[i]) / D[i] -
                               LD(D[i]) * (LD(C[i + 1]) + 2 * LD(C[i])));
    D[i] = static_cast<double>((LD(C[i + 1]) - C[i]) / D[i]);
    C[i] = 3 * C[i];
  }
  C[N] = 3 * C[N];
  D[N] = D[N - 1];
}

void TSPLINE::SetData(int32_t n, const TARe& x, const TARe& y) {
  N = std::max(0, std::min({n, NOf(x), NOf(y)}));
  X = x;
  Y = y;
  Coeffs();
  SetReady();
}

void TSPLINE::Coeffs() {
  const int n = N;
  B.assign(static_cast<size_t>(n) + 1, 0.0);
  C.assign(static_cast<size_t>(n) + 1, 0.0);
  D.assign(static_cast<size_t>(n) + 1, 0.0);
  if (n >= 1 && X[1] > X[n])
    for (int k = 1; k <= n / 2; ++k) {
      std::swap(X[k], X[n + 1 - k]);
      std::swap(Y[k], Y[n + 1 - k]);
    }
  if (n < 2) {
    // a single point is a constant; nothing to continue from
    SlopeLeft = SlopeRight = 0;
    return;
  }
  FmmCoeffs(n, &X[1], &Y[1], &B[1], &C[1], &D[1]);

  // End slopes: the chord over the last four points at each end (over all points for N <= 3).
  if (n == 2) {
    SlopeLeft = SlopeRight = B[1];
  } else if (n == 3) {
    SlopeLeft = SlopeRight = static_cast<double>((LD(Y[n]) - Y[1]) / (LD(X[n]) - X[1]));
  } else {
    SlopeLeft = static_cast<double>((LD(Y[4]) - Y[1]) / (LD(X[4]) - X[1]));
    SlopeRight = static_cast<double>((LD(Y[n]) - Y[n - 3]) / (LD(X[n]) - X[n - 3]));
  }
}

double TSPLINE::Eval(double x) const {
  int32_t hint = 0;
  return SplineEvalHint(*this, x, hint);
}

double SplineEvalHint(const TSPLINE& S, double x, int32_t& Hint) {
  const int n = S.N;
  const TARe &X = S.X, &Y = S.Y, &B = S.B, &C = S.C, &D = S.D;
  // Arrays released by Clear (or never set) hold nothing to evaluate.
  if (n < 1 || NOf(X) < n || NOf(Y) < n || NOf(B) < n || NOf(C) < n || NOf(D) < n) return 0;
  if (!(x >= X[1])) return static_cast<double>(Y[1] + (LD(x) - X[1]) * S.SlopeLeft);
  if (x > X[n]) return static_cast<double>(Y[n] + (LD(x) - X[n]) * S.SlopeRight);
  // the interval with X[i] <= x < X[i+1] (i = n at x = X[n]) is the only one that holds x
  int i = Hint;
  if (!(i >= 1 && i <= n && X[i] <= x && (i == n || x < X[i + 1]))) {
    i = 1;
    int j = n + 1;
    do {
      int k = (i + j) / 2;
      if (x < X[k]) j = k;
      if (x >= X[k]) i = k;
    } while (j > i + 1);
    Hint = i;
  }
  LD d = LD(x) - X[i];
  return static_cast<double>(Y[i] + d * (B[i] + d * (C[i] + d * D[i])));
}

void TSPLINE::Clear() {
  TARe().swap(D);
  TARe().swap(C);
  TARe().swap(B);
  TARe().swap(Y);
  TARe().swap(X);
  Tag = 0;
}

void TSPLINE::Clear(TSPLINE* S) {
  if (S != nullptr) S->Clear();
}
