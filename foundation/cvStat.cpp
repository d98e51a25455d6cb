#include "foundation/cvStat.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

using ld = long double;

const std::string kCrLf = "\r\n";

inline int32_t Len(const TARe& A) { return static_cast<int32_t>(A.size()); }

// Nearest integer, halves to even.
inline int32_t RoundI(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

inline ld Sqrt0(ld x) { return x > 0 ? std::sqrt(x) : 0.0L; }

}  // namespace

// ------------------------------------------------------------------ sums, means, dispersions

double AReSum(const TARe& A) {
  ld s = 0;
  for (size_t i = 1; i < A.size(); ++i) s += A[i];
  return static_cast<double>(s);
}

double AReMean(const TARe& A) {
  const int32_t n = NOf(A);
  if (n <= 0) return 0;
  return AReSum(A) / n;
}

double AReMean0(const TARe& A) {
  const int32_t n = NOf(A);
  if (A.empty()) return 0;
  const ld s = AReSum(A);
  if (A[0] != 0) return static_cast<double>((s + A[0]) / (n + 1));
  if (n == 0) return 0;
  return static_cast<double>(s / n);
}

void AReStat(const TARe& A, double& Min, double& Max, double& RmsStep, double& MeanAbsStep,
             double& Mean) {
  Min = Max = RmsStep = MeanAbsStep = Mean = 0;
  const int32_t n = NOf(A);
  if (n <= 1) return;
  const int32_t m = A[n] == 0 ? n - 1 : n;
  ld s = 0, sa = 0, sq = 0;
  double mn = A[1], mx = A[1];
  for (int32_t i = 1; i <= m; ++i) {
    s += A[i];
    mn = std::min(mn, A[i]);
    mx = std::max(mx, A[i]);
    if (i >= 2) {
      const ld d = static_cast<ld>(A[i]) - A[i - 1];
      sa += std::fabs(d);
      sq += d * d;
    }
  }
  Min = mn;
  Max = mx;
  Mean = static_cast<double>(s / m);
  // A single value left (two values, the second a trailing zero) has no steps.
  if (m >= 2) {
    MeanAbsStep = static_cast<double>(sa / (m - 1));
    RmsStep = static_cast<double>(std::sqrt(sq / (m - 1)));
  }
}

void AReStat2(const TARe& A, const TARe& B, double& MeanA, double& Cov, double& VarB, double& VarA,
              double& MeanB) {
  if (A.size() <= 2) return;
  if (A.size() != B.size()) {
    WARNAbs("AReStat2-Err: Размерности массивов должны быть одинаковы"_cp);
    return;
  }
  const int32_t n = NOf(A);
  MeanA = AReMean0(A);
  MeanB = AReMean0(B);
  ld va = 0, vb = 0, cv = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const ld da = static_cast<ld>(A[i]) - MeanA, db = static_cast<ld>(B[i]) - MeanB;
    va += da * da;
    vb += db * db;
    cv += da * db;
  }
  VarA = static_cast<double>(va / n);
  VarB = static_cast<double>(vb / n);
  Cov = static_cast<double>(cv / n);
}

double Det3(const TARe& M) {
  if (M.size() < 9) {
    WARNAbs("Det3-ERR: матрица 3x3 задана массивом длины "_cp + IntStr(Len(M)) + "!");
    return 0;
  }
  const ld a = M[0], b = M[1], c = M[2], d = M[3], e = M[4], f = M[5], g = M[6], h = M[7],
           k = M[8];
  return static_cast<double>(a * e * k + b * f * g + c * d * h - c * e * g - a * f * h - b * d * k);
}

// ------------------------------------------------------------------ regressions

void AReLinFit(const TARe& X, const TARe& Y, double& A, double& B) {
  A = 0;
  B = 0;
  const int32_t n = std::min(NOf(X), NOf(Y));
  if (n <= 0) return;
  ld sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const ld x = X[i], y = Y[i];
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
  }
  const ld mx = sx / n, my = sy / n, mxx = sxx / n, mxy = sxy / n;
  const ld D = mxx - mx * mx;
  if (D != 0) {
    A = static_cast<double>((mxy - mx * my) / D);
    B = static_cast<double>((mxx * my - mx * mxy) / D);
  }
}

namespace {

ld Det3L(ld a, ld b, ld c, ld d, ld e, ld f, ld g, ld h, ld k) {
  return a * e * k + b * f * g + c * d * h - c * e * g - a * f * h - b * d * k;
}

}  // namespace

void AReRegCorr(const TARe& X, const TARe& Y, double& MeanX, double& MeanY, double& SigmaX,
                double& SigmaY, double& Corr, double& SlopeYX, double& InterYX, double& SlopeXY,
                double& InterXY, double& QA, double& QB, double& QC, double& QuadCorr,
                double& ErrSlope, double& ErrInter, double& ErrCorr) {
  MeanX = MeanY = SigmaX = SigmaY = Corr = SlopeYX = InterYX = SlopeXY = InterXY = 0;
  QA = QB = QC = QuadCorr = ErrSlope = ErrInter = ErrCorr = 0;
  const int32_t m = NOf(Y);
  if (m < 1 || NOf(X) < m) {
    WARNAbs("AReRegCorr-ERR размер массивов ="_cp + IntStr(m));
    return;
  }
  ld Sx = 0, Sy = 0, Sxx = 0, Syy = 0, Sxy = 0, Sx3 = 0, Sx4 = 0, Sx2y = 0;
  for (int32_t i = 1; i <= m; ++i) {
    const ld x = X[i], y = Y[i], x2 = x * x;
    Sx += x;
    Sy += y;
    Sxx += x2;
    Syy += y * y;
    Sxy += x * y;
    Sx3 += x2 * x;
    Sx4 += x2 * x2;
    Sx2y += x2 * y;
  }
  // Normal equations of y = QA x^2 + QB x + QC, solved by Cramer's rule.
  const ld D = Det3L(Sxx, Sx, m, Sx3, Sxx, Sx, Sx4, Sx3, Sxx);
  ld qa = 0, qb = 0, qc = 0;
  if (D != 0) {
    qa = Det3L(Sy, Sx, m, Sxy, Sxx, Sx, Sx2y, Sx3, Sxx) / D;
    qb = Det3L(Sxx, Sy, m, Sx3, Sxy, Sx, Sx4, Sx2y, Sxx) / D;
    qc = Det3L(Sxx, Sx, Sy, Sx3, Sxx, Sxy, Sx4, Sx3, Sx2y) / D;
  }
  const ld mx = Sx / m, my = Sy / m;
  const ld sgx = Sqrt0(Sxx / m - mx * mx), sgy = Sqrt0(Syy / m - my * my);
  const ld corr = (sgx * sgy != 0) ? (Sxy / m - mx * my) / (sgx * sgy) : 1.0L;
  const ld G = Sx * Sx - m * Sxx;
  ld syx = 0, iyx = 0, sxy = 0, ixy = 0;
  if (G != 0) {
    syx = (Sx * Sy - m * Sxy) / G;
    iyx = (Sx * Sxy - Sxx * Sy) / G;
  }
  const ld I = Sy * Sy - m * Syy;
  if (I != 0) {
    sxy = (Sy * Sx - m * Sxy) / I;
    ixy = (Sy * Sxy - Syy * Sx) / I;
  }
  ld Dx = 0, Rlin = 0, Rquad = 0, Dy = 0;
  for (int32_t i = 1; i <= m; ++i) {
    const ld x = X[i], y = Y[i];
    const ld dx = x - mx, rl = y - syx * x - iyx, rq = y - qa * x * x - qb * x - qc, dy = y - my;
    Dx += dx * dx;
    Rlin += rl * rl;
    Rquad += rq * rq;
    Dy += dy * dy;
  }
  MeanX = static_cast<double>(mx);
  MeanY = static_cast<double>(my);
  SigmaX = static_cast<double>(sgx);
  SigmaY = static_cast<double>(sgy);
  Corr = static_cast<double>(corr);
  SlopeYX = static_cast<double>(syx);
  InterYX = static_cast<double>(iyx);
  SlopeXY = static_cast<double>(sxy);
  InterXY = static_cast<double>(ixy);
  QA = static_cast<double>(qa);
  QB = static_cast<double>(qb);
  QC = static_cast<double>(qc);
  if (Dy != 0) {
    const ld J = Rquad / Dy;
    QuadCorr = J >= 1 ? 0.0 : static_cast<double>(std::sqrt(1.0L - J));
  }
  if (Y.size() >= 4) {
    const ld k = m - 2;
    ErrCorr = static_cast<double>(Sqrt0((1.0L - corr * corr) / k));
    if (Dx == 0) {
      WARNAbs("AReRegCorr-ERR во всём массиве одно и то же значение X"_cp);
      ErrSlope = ErrInter = 0;
    } else {
      ErrSlope = static_cast<double>(Sqrt0(Rlin / (k * Dx)));
      ErrInter = static_cast<double>(Sqrt0(Rlin / k * (Sxx / m) / Dx));
    }
  } else {
    WARNAbs("AReRegCorr-ERR размер массивов ="_cp + IntStr(m));
    ErrSlope = ErrInter = ErrCorr = 0;
  }
}

// ------------------------------------------------------------------ integrals, midpoints, quantiles

void AReCumInteg(const TARe& F, const TARe& X, TARe& IntL, TARe& Edges, TARe& IntR) {
  const int32_t N = std::min(NOf(F), NOf(X));
  if (N < 2) {
    WARNAbs("AReCumInteg-ERR: для интегрирования нужно не меньше 2 точек, задано "_cp + IntStr(N));
    IntL.clear();
    Edges.clear();
    IntR.clear();
    return;
  }
  // Points 0 and N+1 extrapolated by one step.
  auto xAt = [&](int32_t k) -> ld {
    if (k == 0) return 2.0L * X[1] - X[2];
    if (k == N + 1) return 2.0L * X[N] - X[N - 1];
    return X[k];
  };
  auto fAt = [&](int32_t k) -> ld {
    if (k == 0) return 2.0L * F[1] - F[2];
    if (k == N + 1) return 2.0L * F[N] - F[N - 1];
    return F[k];
  };
  auto T = [&](int32_t k) -> ld {  // trapezoid (k-1, k)
    return (xAt(k) - xAt(k - 1)) * (fAt(k - 1) + fAt(k)) / 2.0L;
  };
  TARe E(static_cast<size_t>(N) + 2, 0.0), L(static_cast<size_t>(N) + 2, 0.0),
      R(static_cast<size_t>(N) + 2, 0.0);
  E[1] = X[1] - (X[2] - X[1]) / 2;
  for (int32_t j = 2; j <= N; ++j) E[j] = (X[j - 1] + X[j]) / 2;
  E[N + 1] = X[N] + (X[N] - X[N - 1]) / 2;

  ld s = 0;
  L[1] = 0;
  for (int32_t j = 2; j <= N; ++j) {
    s += T(j - 1);  // T(j-2, j-1)
    L[j] = static_cast<double>(s);
  }
  L[N + 1] = static_cast<double>(s + T(N) + T(N + 1));

  s = 0;
  R[N + 1] = 0;
  for (int32_t j = N; j >= 2; --j) {
    s += T(j + 1);  // T(j, j+1)
    R[j] = static_cast<double>(-s);
  }
  R[1] = static_cast<double>(-(s + T(2) + T(1)));
  IntL = std::move(L);
  Edges = std::move(E);
  IntR = std::move(R);
}

void ARe_MidPoints(const TARe& A, TARe& M) {
  M.clear();
  const int32_t n = NOf(A);
  if (n < 3) return;
  if (!AReOrdered(A)) {
    WARNAbs("ARe_MidPoints входной массив не упорядочен!"_cp + kCrLf + AReToStrN(A, 5, 4));
    return;
  }
  M.assign(static_cast<size_t>(n), 0.0);
  for (int32_t i = 1; i <= n - 1; ++i) M[i] = (A[i] + A[i + 1]) / 2;
}

void ARe_Widths(const TARe& A, TARe& W) {
  W.clear();
  const int32_t n = NOf(A);
  if (n < 3) return;
  if (!AReOrdered(A)) {
    WARNAbs("ARe_Widths входной массив не упорядочен!"_cp + kCrLf + AReToStrN(A, 5, 4));
    return;
  }
  W.assign(static_cast<size_t>(n), 0.0);
  for (int32_t i = 1; i <= n - 1; ++i) W[i] = A[i + 1] - A[i];
}

void AReQuantiles(const TARe& A, int32_t N, TARe& Q, TARe& Steps) {
  const int32_t n = NOf(A);
  if (n < 1 || N < 1) {
    WARNAbs("AReQuantiles-ERR: значений "_cp + IntStr(n) + ", интервалов "_cp + IntStr(N) + "!");
    Q.clear();
    Steps.clear();
    return;
  }
  const double step = static_cast<double>(n) / N;
  Steps = AReConst(N + 1, step);
  TARe S(A);
  AReQSort(1, n, S);
  TARe R(static_cast<size_t>(N) + 2, 0.0);
  R[1] = S[1];
  R[N + 1] = S[n];
  for (int32_t i = 2; i <= N; ++i) {
    const double x = (i - 1) * step;
    const int32_t k = static_cast<int32_t>(x);
    // More quantiles than values: positions before the first value take the minimum.
    if (k < 1)
      R[i] = S[1];
    else
      R[i] = S[k] + (S[k + 1] - S[k]) * (x - k);
  }
  Q = std::move(R);
}

// ------------------------------------------------------------------ histograms and binning

namespace {

// Bin k with Lo + (k-1) w < v <= Lo + k w (v = Lo in bin 1), for Lo <= v <= Hi.
int32_t BinOf(double v, double Lo, double w, int32_t N) {
  if (!(w > 0)) return 1;
  int32_t k = static_cast<int32_t>(std::ceil((v - Lo) / w));
  k = std::clamp(k, 1, N);
  while (k > 1 && v <= Lo + (k - 1) * w) --k;
  while (k < N && v > Lo + k * w) ++k;
  return k;
}

}  // namespace

void AReHistogram(const TARe& A, int32_t N, bool Sorted, double FracLo, double FracHi, char Mode,
                  double& Lo, double& Hi, TARe& Means, TARe& Counts) {
  if (N < 1) {
    WARNAbs("AReHistogram-ERR: число интервалов гистограммы "_cp + IntStr(N) + "!");
    Counts.clear();
    Means.clear();
    return;
  }
  TARe cnt(static_cast<size_t>(N) + 1, 0.0), sum(static_cast<size_t>(N) + 1, 0.0);
  const int32_t n = NOf(A);
  double w = 0;
  if (Sorted) {
    Lo = Hi = 0;
    if (n >= 1) {
      TARe S(A);
      AReQSort(1, n, S);
      int32_t i = std::clamp(RoundI(FracLo * n + 1), 1, n);
      int32_t e = std::clamp(RoundI(FracHi * n), 1, n);
      Lo = S[i];
      Hi = S[e];
      while (i < e && S[i] == S[i + 1]) ++i;
      while (i < e && S[e] == S[e - 1]) --e;
      w = (Hi - Lo) / N;
      int32_t j = 1;
      for (int32_t k = i; k <= e; ++k) {
        const double v = S[k];
        while (j < N && v > Lo + j * w) ++j;
        cnt[j] += 1;
        sum[j] += v;
      }
    }
  } else {
    double mn = 0, mx = 0;
    AReMinMax(A, mn, mx);
    Lo = mn + FracLo * (mx - mn);
    Hi = mn + FracHi * (mx - mn);
    w = (Hi - Lo) / N;
    for (int32_t k = 1; k <= n; ++k) {
      const double v = A[k];
      if (v < Lo || v > Hi) continue;
      const int32_t b = BinOf(v, Lo, w, N);
      cnt[b] += 1;
      sum[b] += v;
    }
  }
  for (int32_t k = 1; k <= N; ++k) {
    sum[k] = cnt[k] != 0 ? sum[k] / cnt[k] : Lo + (k - 0.5) * w;
    if (Mode == 'L') cnt[k] = cnt[k] != 0 ? std::log10(cnt[k]) : -0.1;
  }
  Means = std::move(sum);
  Counts = std::move(cnt);
}

void AReScatterBin(TARe& X, TARe& Y, int32_t N, bool Given, double Lo, double Hi, TARe& MX,
                   TARe& MY) {
  const int32_t n = std::min(NOf(X), NOf(Y));
  MX.assign(1, 0.0);
  MY.assign(1, 0.0);
  if (n < 1 || N < 1) {
    WARNAbs("AReScatterBin-ERR: точек "_cp + IntStr(n) + ", интервалов "_cp + IntStr(N) + "!");
    return;
  }
  AReQSort2(1, n, X, Y);
  if (Given) {
    if (Lo > Hi) std::swap(Lo, Hi);
  } else {
    const double fLo = Lo, fHi = Hi;
    const int32_t iLo = std::clamp(RoundI((n - 1) * fLo + 1), 1, n);
    int32_t iHi = RoundI((n - 1) * fHi);
    if (iHi >= n) iHi = n - 1;
    iHi = std::clamp(iHi, 1, n);
    Lo = X[iLo];
    Hi = X[iHi];
  }
  const double w = (Hi - Lo) / N;
  double edge = Lo + w;
  ld sx = 0, sy = 0;
  int32_t cnt = 0;
  MX.reserve(static_cast<size_t>(N) + 2);
  MY.reserve(static_cast<size_t>(N) + 2);
  auto close = [&] {
    MX.push_back(static_cast<double>(sx / cnt));
    MY.push_back(static_cast<double>(sy / cnt));
  };
  for (int32_t p = 1; p <= n; ++p) {
    const double x = X[p];
    if (x < Lo || x > Hi) continue;
    if (x > edge) {
      if (cnt > 0) close();
      edge = Lo + (std::trunc((x - Lo) * N / (Hi - Lo)) + 1) * w;
      if (edge > Hi) edge = Hi;
      sx = x;
      sy = Y[p];
      cnt = 1;
    } else {
      sx += x;
      sy += Y[p];
      ++cnt;
    }
  }
  if (cnt > 0 && NOf(MX) < N) close();
}

void AReHistSmooth(TARe& X, TARe& Y, int32_t N, TARe& MX, TARe& MY) {
  const int32_t n = std::min(NOf(X), NOf(Y));
  if (N <= 1) {
    WARNAbs("AReHistSmooth-ERR: для ScatterPlot размером "_cp + IntStr(n) + " точек"_cp + "\n\r" +
            "задано число интервалов равное "_cp + IntStr(N) + "!");
    return;
  }
  const int32_t a = n / N;
  if (a <= 1) {
    WARNAbs("AReHistSmooth-Err: длина массивов="_cp + IntStr(n) + " N интервалов гистограммы="_cp +
            IntStr(N));
    return;
  }
  const int32_t r = n % N;
  const int32_t count = r == 0 ? N : N + 1;
  const int32_t b = (a + r) / 2;
  AReQSort2(1, n, X, Y);
  TARe mx(static_cast<size_t>(count) + 1, 0.0), my(static_cast<size_t>(count) + 1, 0.0);
  int32_t p = 1;
  for (int32_t k = 1; k <= count; ++k) {
    int32_t size = a;
    if (r > 0 && k == 1) size = n - a * (N - 1) - b;
    if (r > 0 && k == count) size = b;
    ld sx = 0, sy = 0;
    for (int32_t q = 0; q < size; ++q, ++p) {
      sx += X[p];
      sy += Y[p];
    }
    mx[k] = static_cast<double>(sx / size);
    my[k] = static_cast<double>(sy / size);
  }
  MX = std::move(mx);
  MY = std::move(my);
}

void AReBinMeanY(T2ARe& XY, const TARe& Edges, T3ARe& Res) {
  TARe Mid, W;
  ARe_MidPoints(Edges, Mid);
  ARe_Widths(Edges, W);
  const int32_t nb = NOf(Mid);
  Res.A1 = Mid;
  Res.A2.clear();
  Res.A3.clear();
  if (nb < 2 || NOf(W) < nb) return;
  TARe MeanY(Mid.size(), 0.0), Density(Mid.size(), 0.0);
  const int32_t n = std::min(NOf(XY.X), NOf(XY.Y));
  if (n >= 1) AReQSort2(1, n, XY.X, XY.Y);
  int32_t p = 1;
  while (p <= n && XY.X[p] < Edges[1]) ++p;
  for (int32_t j = 1; j <= nb; ++j) {
    ld wt = 0, sum = 0;
    for (; p <= n && XY.X[p] <= Edges[j + 1]; ++p) {
      const double x = XY.X[p], y = XY.Y[p];
      if (x == Edges[j] || x == Edges[j + 1]) {
        wt += 0.5L;
        sum += y / 2.0L;
      } else {
        wt += 1;
        sum += y;
      }
    }
    if (wt != 0) {
      MeanY[j] = static_cast<double>(sum / wt);
      Density[j] = static_cast<double>(wt / W[j]);
    }
  }
  FillGaps(Density, Mid, MeanY);
  Res.A2 = std::move(MeanY);
  Res.A3 = std::move(Density);
}

void FillGaps(const TARe& AW, const TARe& AX, TARe& AZ) {
  const int32_t n = std::min({NOf(AW), NOf(AX), NOf(AZ)});
  int32_t first = 0;         // first filled point, found at the first gap
  int32_t lastFilled = 0;    // last filled point before the current one
  int32_t right = 0;         // cached right anchor
  int32_t noneAfter = 0;     // no filled point lies after this index
  int32_t endL = 0, endR = 0;  // the two last filled points, found when needed
  for (int32_t i = 1; i <= n; ++i) {
    if (AW[i] != 0) {
      lastFilled = i;
      continue;
    }
    if (first == 0) {
      for (int32_t k = 1; k <= n && first == 0; ++k)
        if (AW[k] != 0) first = k;
      if (first == 0) {
        WARNAbs("cvARe.FillGaps-ERR в AZ (length="_cp + IntStr(n) + ") нет заполненных точек!"_cp);
        return;
      }
    }
    int32_t L = lastFilled > 0 ? lastFilled : first;
    const int32_t from = std::max(i, L);
    if (right <= from && !(noneAfter > 0 && noneAfter <= from)) {
      right = 0;
      for (int32_t k = from + 1; k <= n; ++k)
        if (AW[k] != 0) {
          right = k;
          break;
        }
      if (right == 0) noneAfter = from;
    }
    int32_t R = right > from ? right : 0;
    if (R == 0) {
      if (endR == 0) {
        for (int32_t k = n; k >= 1; --k)
          if (AW[k] != 0) {
            if (endR == 0)
              endR = k;
            else {
              endL = k;
              break;
            }
          }
      }
      if (endL == 0) {
        WARNAbs("cvARe.FillGaps-ERR в AZ (length="_cp + IntStr(n) +
                ") только одна заполненная точка!"_cp);
        return;
      }
      L = endL;
      R = endR;
    }
    // Two anchors at one abscissa give no line: their mean is taken.
    AZ[i] = AX[L] == AX[R] ? (AZ[L] + AZ[R]) / 2 : LinIpol2(AX[i], AX[L], AX[R], AZ[L], AZ[R]);
  }
}

// ------------------------------------------------------------------ maps

double AR4R4PixAvg(const TAR4R4& A, double R, double C) {
  const int64_t rows = static_cast<int64_t>(A.size());
  if (rows == 0) return 0;
  const int64_t cols = static_cast<int64_t>(A[0].size());
  const double r1 = R - 0.5, r2 = R + 0.5, c1 = C - 0.5, c2 = C + 0.5;
  const int64_t i1 = std::max<int64_t>(static_cast<int64_t>(std::trunc(r1)), 0);
  const int64_t i2 = std::min<int64_t>(static_cast<int64_t>(std::trunc(r2)), rows - 1);
  const int64_t j1 = std::max<int64_t>(static_cast<int64_t>(std::trunc(c1)), 0);
  const int64_t j2 = std::min<int64_t>(static_cast<int64_t>(std::trunc(c2)), cols - 1);
  ld sw = 0, sv = 0;
  for (int64_t i = i1; i <= i2; ++i) {
    const ld wr = std::min<ld>(i + 1, r2) - std::max<ld>(i, r1);
    if (wr <= 0) continue;
    const auto& row = A[static_cast<size_t>(i)];
    for (int64_t j = j1; j <= j2 && j < static_cast<int64_t>(row.size()); ++j) {
      const ld wgt = wr * (std::min<ld>(j + 1, c2) - std::max<ld>(j, c1));
      if (wgt <= 0) continue;
      sw += wgt;
      sv += wgt * row[static_cast<size_t>(j)];
    }
  }
  return sw > 0 ? static_cast<double>(sv / sw) : 0.0;
}

// ------------------------------------------------------------------ table columns

namespace {

bool IsNumber(const std::string& Word, double& Value) {
  int32_t code = 0;
  Value = ValRealCode(Word, code);
  return code == 0;
}

// Room for one value per list line that lies in j1..j2 (a range reaching past the list allocates
// nothing for the missing lines).
size_t LinesIn(int32_t j1, int32_t j2, int32_t count) {
  const int64_t a = std::max<int64_t>(j1, 1), b = std::min<int64_t>(j2, count);
  return b >= a ? static_cast<size_t>(b - a + 1) : 0;
}

}  // namespace

void SLExtractAXAY(const TStringList* SL, int32_t j1, int32_t j2, int32_t ColX, int32_t ColY,
                   TARe& AX, TARe& AY, std::string& NameX, std::string& NameY) {
  if (static_cast<int64_t>(j2) - j1 + 1 <= 1) {
    WARNAbs("SLExtractAXAY j2=" + IntStr(j2) + " j1=" + IntStr(j1));
    return;
  }
  if (ColX == ColY) {
    WARNAbs("SLExtractAXAY колонка X = колонка Y = "_cp + IntStr(ColX));
    return;
  }
  const int32_t count = SL ? SL->Count() : 0;
  TARe ax(LinesIn(j1, j2, count) + 1, 0.0), ay(ax.size(), 0.0);
  NameX.clear();
  NameY.clear();
  const int32_t K = std::max(ColX, ColY);
  int32_t np = 0, wordFaults = 0, numFaults = 0;
  bool header = false;
  const int32_t jFrom = std::max(j1, 1), jTo = std::min(j2, count);
  for (int32_t j = jFrom; j <= jTo; ++j) {
    const int32_t idx = j - 1;
    const std::string& line = (*SL)[idx];
    const int32_t words = WordCount(line);
    const bool firstLine = j == j1;
    if (words < K) {
      if (firstLine)
        WARNAbs("SLExtractAXAY + в строке "_cp + IntStr(idx) + " (в первой строке таблицы) всего "_cp +
                IntStr(words) + " слов, а запрошено слово из колонки "_cp + IntStr(K) + kCrLf + "<" +
                line + ">");
      else if (wordFaults++ < 2)
        WARNAbs("SLExtractAXAY + в строке "_cp + IntStr(idx) + " всего "_cp + IntStr(words) +
                " слов, а запрошено слово из колонки "_cp + IntStr(K) + kCrLf + "<" + line + ">");
      continue;
    }
    const std::string wx = WordN(line, ColX), wy = WordN(line, ColY);
    double x = 0, y = 0;
    const bool okX = IsNumber(wx, x), okY = okX && IsNumber(wy, y);
    if (!okX || !okY) {
      if (firstLine) {
        NameX = wx;
        NameY = wy;
        header = true;
      } else if (numFaults++ < 2) {
        if (!okX)
          WARNAbs("SLExtractAXAY + в строке "_cp + IntStr(idx) + " X = <" + wx +
                  "> не является числом "_cp + "строка=<"_cp + line + ">");
        else
          WARNAbs("SLExtractAXAY + в строке "_cp + IntStr(idx) + " Y = <" + wy +
                  "> не является числом "_cp + "строка=<"_cp + line + ">");
      }
      continue;
    }
    ++np;
    ax[np] = x;
    ay[np] = y;
  }
  ax.resize(static_cast<size_t>(np) + 1);
  ay.resize(static_cast<size_t>(np) + 1);
  AX = std::move(ax);
  AY = std::move(ay);
  if (!header) {
    NameX = "X" + ZeroPad(ColX, 2);
    NameY = "Y" + ZeroPad(ColY, 2);
  }
}

void SLExtractAX(const TStringList* SL, int32_t j1, int32_t j2, int32_t Col, TARe& AX,
                 std::string& Name) {
  if (static_cast<int64_t>(j2) - j1 + 1 <= 1) {
    WARNAbs("SLExtractAX j2=" + IntStr(j2) + " j1=" + IntStr(j1));
    return;
  }
  const int32_t count = SL ? SL->Count() : 0;
  TARe ax(LinesIn(j1, j2, count) + 1, 0.0);
  Name.clear();
  int32_t np = 0, wordFaults = 0, numFaults = 0;
  const int32_t jFrom = std::max(j1, 1), jTo = std::min(j2, count);
  for (int32_t j = jFrom; j <= jTo; ++j) {
    const int32_t idx = j - 1;
    const std::string& line = (*SL)[idx];
    const int32_t words = WordCount(line);
    const bool firstLine = j == j1;
    if (words < Col) {
      if (firstLine || wordFaults++ < 2)
        WARNAbs("SLExtractAX + в строке "_cp + IntStr(idx) + " всего "_cp + IntStr(words) +
                " слов, а запрошено слово из колонки "_cp + IntStr(Col) + kCrLf + "<" + line + ">");
      continue;
    }
    const std::string wx = WordN(line, Col);
    double x = 0;
    if (!IsNumber(wx, x)) {
      if (firstLine)
        Name = wx;
      else if (numFaults++ < 2)
        WARNAbs("SLExtractAX + в строке "_cp + IntStr(idx) + " X = <" + wx +
                "> не является числом "_cp + "строка=<"_cp + line + ">");
      continue;
    }
    ++np;
    ax[np] = x;
  }
  ax.resize(static_cast<size_t>(np) + 1);
  AX = std::move(ax);
}
