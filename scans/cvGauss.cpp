#include "scans/cvGauss.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string_view>
#include <utility>

#include "foundation/cvArr.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

constexpr double kDispersion = 21.549;  // mA a pixel
thread_local int64_t tEvaluations = 0;
thread_local int64_t tUnended = 0;

double GaussE(double z, double DLD) {
  const double u = z / DLD;
  return std::exp(-u * u);
}

}  // namespace

// ---------------------------------------------------------------- the model

double _H2DLH(const Tgs& gs) {
  double lam = 0, g = 0;
  if (gs.La12 == 1) {
    lam = 6301.5;
    g = 1.669;
  } else if (gs.La12 == 2) {
    lam = 6302.5;
    g = 2.487;
  } else {
    WARNAbs("Вызов _H2DLH, когда gs.La12 = "_cp + IntStr(gs.La12) + "!");
    return 0;
  }
  return ZeemanDLam(g, lam, gs.H) / kDispersion;
}

double gs_get_d0(const Tgs& gs) {
  if (gs.DLDk != 0) return gs.Cont * (1 - std::numbers::inv_sqrtpi / gs.DLDk);
  WARNAbs("ещё не вычислен DLDk при запуске gs_get_d0!"_cp);
  return 0;
}

double gs_BisShift(const Tgs& gs, double I) {
  double d0 = gs.d0;
  if (d0 == 0) d0 = gs_get_d0(gs);
  return (I - d0) * gs.A + gs.B;
}

double gs_GetL00(const Tgs& gs) { return gs.Lam0 + gs.B; }

void gs_ProfI(const Tgs& gs, double x, double& I) {
  const double q = 1 / (kSqrtPi * gs.DLDk);
  if (gs.H == 0) {
    I = gs.Cont * (1 - q * GaussE(x, gs.DLD));
    return;
  }
  const double dlh = _H2DLH(gs);
  const double f = gs.La12 == 2 ? gs.fPi : 0;
  I = gs.Cont * (1 - q * GaussE(x - dlh, gs.DLD)) * (1 - f) * gs.kSig +
      gs.Cont * (1 - q * GaussE(x + dlh, gs.DLD)) * (1 - f) * (1 - gs.kSig);
  if (f > 0) I += f * gs.Cont * (1 - q * GaussE(x, gs.DLD));
}

void LorentzProfI(double Cont, double x, double L0, double Gamma, double W, double N, double& I) {
  const double u = (x - L0) / W;
  I = Cont * (1 - Gamma / (std::sqrt(N) * kSqrtPi * (Gamma * Gamma + u * u)));
}

void GaussBisProfI(double Cont, double x, double B0, double A, double DLD, double DLDk,
                   double& I) {
  const double q = 1 / (kSqrtPi * DLDk), m = Cont * q, r = B0 + (Cont - m) * A;
  double c = r;
  for (int pass = 0; pass < 3; ++pass) c = r + A * (Cont * (1 - q * GaussE(x - c, DLD)) - m);
  I = Cont * (1 - q * GaussE(x - c, DLD));
}

void Gauss_dL(const TARe& Y, int32_t i, Tgs gs, double& R1, double& R2, double& W) {
  if (gs.Cont == 0) {
    WARNAbs("Gauss_dL-ERR: Заполните знач-е gs.Cont! L(A)="_cp + IntStr(int32_t(Y.size())) +
            " i=" + IntStr(i));
    return;
  }
  if (i < 0 || i >= static_cast<int32_t>(Y.size())) {
    WARNAbs("Gauss_dL-ERR: i="_cp + IntStr(i) + " вне профиля L(A)="_cp +
            IntStr(int32_t(Y.size())));
    return;
  }
  const double dx = i - gs.Lam0;
  const double a = (1 - Y[i] / gs.Cont) * kSqrtPi * gs.DLDk;
  const double e = a > 0 ? std::sqrt(std::fabs(std::log(a))) : 20;
  double d = e * gs.DLD;
  if (i < gs.Lam0) d = -d;
  const double c = gs_BisShift(gs, Y[i]);
  R1 = dx - (d + c);
  R2 = dx - d;
  W = std::fabs(d) >= 1 ? std::fabs((d + R1) / d) : 1;
}

void Gauss2_dL(const TARe& Y, int32_t i, Tgs gs, double& R1, double& R2, double& W) {
  if (gs.H == 0) {
    Gauss_dL(Y, i, gs, R1, R2, W);
    return;
  }
  if (gs.Cont == 0 || i < 0 || i >= static_cast<int32_t>(Y.size())) {
    Gauss_dL(Y, i, gs, R1, R2, W);  // its warning; the outputs stay as they are
    return;
  }
  const double dx = i - gs.Lam0;
  const double c = gs_BisShift(gs, Y[i]);
  double I1 = 0, I2 = 0;
  gs_ProfI(gs, dx - c, I1);
  const double delta = Y[i] - I1;
  const double h = ((dx >= 0 && delta > 0) || (dx < 0 && delta <= 0)) ? 0.1 : -0.1;
  gs_ProfI(gs, dx + h - c, I2);
  const double s = I2 == I1 ? 0 : -delta / (I2 - I1) * h;
  R1 = s;
  R2 = s + c;
  const double a = (1 - Y[i] / gs.Cont) * kSqrtPi * gs.DLDk;
  double e = 50;
  if (a > 0) {
    e = std::sqrt(std::fabs(std::log(a)));
  } else {
    WARNAbs("Gauss2_dL-err: ev<0.=" + ShortSt(5, a) + " ii=" + IntStr(i) + " A=" +
            ShortSt(5, Y[i]) + " Igs=" + ShortSt(5, 1 - Y[i] / gs.Cont) + " Dk=" +
            ShortSt(5, gs.DLDk));
  }
  double d = e * gs.DLD;
  if (i < gs.Lam0) d = -d;
  W = std::fabs(d) >= 1 ? std::fabs((d + s) / d) : 1;
}

// ---------------------------------------------------------------- the obsolete fit

double GaussXi2(const double* X, const double* Y, const double* W, double Cont, double DLD,
                double Lam0, double d0) {
  const double depth = Cont - d0;
  double s = 0;
  for (int k = 0; k < 7; ++k) {
    const double r = Cont - depth * GaussE(X[k] - Lam0, DLD) - Y[k];
    s += W[k] * r * r;
  }
  return s;
}

int64_t GaussFitEvaluations() { return tEvaluations; }
int64_t GaussFitsUnended() { return tUnended; }

namespace {

const std::string& ObsoleteText(int Which) {
  static const std::string kTail =
      ",\r\n"
      "она должна быть заменена на процедуры объекта TCurI!"_cp;
  static const std::string kOne = "Процедура GetGaussPar не должна вызываться"_cp + kTail;
  static const std::string kThree = "Процедура Get3GaussPar не должна вызываться"_cp + kTail;
  return Which == 3 ? kThree : kOne;
}

// Newton's steps end once one moves less than this part of the grid step.
constexpr double kNewtonEnd = 1.0;

struct TFit {
  const double* X;
  const double* Y;
  const double* W;
  double Cont;
  double P[3];  // DLD, Lam0, d0
  double Cost() {
    ++tEvaluations;
    return GaussXi2(X, Y, W, Cont, P[0], P[1], P[2]);
  }
  // The cost with parameter j at V. Along d0 the model's exponentials stay: taken from E (the
  // same operations as GaussXi2, so the same value).
  double E[7] = {};
  bool EValid = false;
  double CostAt(int j, double V) {
    if (j == 2 && EValid) {
      ++tEvaluations;
      const double depth = Cont - V;
      double s = 0;
      for (int k = 0; k < 7; ++k) {
        const double r = Cont - depth * E[k] - Y[k];
        s += W[k] * r * r;
      }
      return s;
    }
    const double keep = P[j];
    P[j] = V;
    const double f = Cost();
    P[j] = keep;
    return f;
  }
  // The cost at V along the width (j = 0) or the centre (j = 1), the same value as CostAt's,
  // and its first and second derivative there (from the same exponentials).
  double CostSlope(int j, double V, double& G, double& H) {
    ++tEvaluations;
    const double w = j == 0 ? V : P[0], L = j == 1 ? V : P[1], D = Cont - P[2];
    const double iw = 1 / w, iw2 = iw * iw;
    double s = 0;
    G = H = 0;
    for (int k = 0; k < 7; ++k) {
      const double u = (X[k] - L) / w, u2 = u * u, e = std::exp(-u * u);
      const double r = Cont - D * e - Y[k];
      s += W[k] * r * r;
      // d e / d(param) = e de, d2 e / d(param)2 = e dde
      const double de = j == 0 ? 2 * u2 * iw : 2 * u * iw;
      const double dde = j == 0 ? (4 * u2 - 6) * u2 * iw2 : (4 * u2 - 2) * iw2;
      const double dr = -D * e * de;
      G += W[k] * r * dr;
      H += W[k] * (dr * dr - r * D * e * dde);
    }
    G *= 2;
    H *= 2;
    return s;
  }
  // Where the cost along parameter j is least, from Start (a point where it falls towards
  // the direction of S): exact along d0 (the cost is quadratic in it), Newton's steps along
  // the others. False where no minimum is found (a concave stretch, no convergence).
  bool Least(int j, double Start, double S, double G0, double H0, double& V) {
    if (j == 2) {
      // r_k = a_k + d0 E_k with a_k = Cont - Cont E_k - Y_k
      double see = 0, sae = 0;
      for (int k = 0; k < 7; ++k) {
        const double a = Cont - Cont * E[k] - Y[k];
        see += W[k] * E[k] * E[k];
        sae += W[k] * a * E[k];
      }
      if (!(see > 0)) return false;
      V = -sae / see;
      return std::isfinite(V);
    }
    double x = Start, g = G0, h = H0;
    for (int it = 0;; ++it) {
      if (!(h > 0) || !std::isfinite(g)) return false;
      const double dx = -g / h;
      x += dx;
      if (j == 0 && (x > 0) != (Start > 0)) return false;  // across zero width
      if (std::fabs(dx) <= kNewtonEnd * std::fabs(S)) {
        V = x;
        return true;
      }
      if (it == 12) return false;
      CostSlope(j, x, g, h);
    }
  }
  // Grid costs of the running search (index, cost), the last few kept.
  static constexpr int kKept = 8;
  int64_t KeptK[kKept] = {};
  double KeptF[kKept] = {};
  int KeptN = 0, KeptNext = 0;
  // One-dimensional search of parameter j from its value with step S, the obsolete fit's rule:
  // step by S while the cost falls, then the parabola through the last three costs. As the
  // steps shrink by 3 or 5 a search while the optimum of one parameter drifts with the others,
  // the walk can run for hundreds of thousands of steps. Its end, the first grid point
  // v + k S (k >= 1) whose cost does not fall below the point before, is found here without
  // walking: the first steps are walked one by one; then the least cost along the line (exact
  // along d0, Newton's steps along the others) predicts the end, two grid costs on either side
  // of it confirm it, and where they do not the end is bracketed by steps growing from the
  // prediction (or, with no prediction, by doubling k) and halving back. The same grid points
  // as the walk wherever the cost along the walk falls and then rises. A width search does not
  // jump across zero width (the cost is even in DLD; the walk stops before zero). False when
  // the walk would go on beyond 2^44 steps (no result).
  bool Search(int j, double S) {
    constexpr int64_t kMax = int64_t{1} << 44;
    EValid = j == 2;
    if (EValid)
      for (int k = 0; k < 7; ++k) E[k] = GaussE(X[k] - P[1], P[0]);
    KeptN = KeptNext = 0;
    double va = P[j], vb = va + S;
    double fa = 0, fb = 0, ga = 0, ha = 0, gb = 0, hb = 0;
    if (j == 2) {
      fa = CostAt(j, va);
      fb = CostAt(j, vb);
    } else {
      fa = CostSlope(j, va, ga, ha);
      fb = CostSlope(j, vb, gb, hb);
    }
    if (fb > fa) {
      std::swap(va, vb);
      std::swap(fa, fb);
      std::swap(gb, ga);
      std::swap(hb, ha);
      S = -S;
    }
    const double base = vb, f0 = fb;
    auto v = [&](int64_t k) { return k == -1 ? va : base + static_cast<double>(k) * S; };
    auto f = [&](int64_t k) {
      if (k == -1) return fa;
      if (k == 0) return f0;
      for (int i = 0; i < KeptN; ++i)
        if (KeptK[i] == k) return KeptF[i];
      const double c = CostAt(j, v(k));
      KeptK[KeptNext] = k;
      KeptF[KeptNext] = c;
      KeptNext = (KeptNext + 1) % kKept;
      KeptN = std::min(KeptN + 1, kKept);
      return c;
    };
    // the walk's rule: it goes on from k while the cost at k falls below the one at k - 1
    auto falls = [&](int64_t k) { return f(k) < f(k - 1); };
    // the walk always takes its first step: the cost "falls" at 0
    int64_t lo = 0, hi = 0;  // the cost falls at lo; it does not at hi
    {
      int64_t wall = kMax;
      if (j == 0 && (base > 0) != (S > 0))
        wall = std::max(lo, static_cast<int64_t>(std::min(std::fabs(base) / std::fabs(S),
                                                          static_cast<double>(kMax))) -
                                1);
      bool predicted = false;
      double least = 0;
      if (Least(j, base, S, gb, hb, least)) {
        const double at = (least - base) / S + 0.5;  // the cost rises from here on
        if (at > static_cast<double>(lo) && at < static_cast<double>(std::min(wall, kMax))) {
          predicted = true;
          const int64_t p = static_cast<int64_t>(std::ceil(at));
          if (p - 1 > lo) (falls(p - 1) ? lo : hi) = p - 1;
          if (hi == 0) (falls(p) ? lo : hi) = p;
          if (hi != 0 && hi - lo > 2) {
            // past the end: step back from it by growing steps until the cost falls
            for (int64_t d = 1;; d *= 2) {
              const int64_t m = hi - d;
              if (m <= lo) break;
              if (falls(m)) {
                lo = m;
                break;
              }
              hi = m;
            }
          }
        }
      }
      int64_t d = predicted ? 1 : std::max<int64_t>(lo, 1);
      while (hi == 0) {
        const int64_t next = std::min(lo + d, wall);
        if (next <= lo) {
          if (wall >= kMax) return false;
          wall = kMax;  // still falling at the last point before zero width: on past it
          continue;
        }
        if (!falls(next)) {
          hi = next;
          break;
        }
        d = predicted ? 2 * d : next;
        lo = next;
      }
      while (hi - lo > 1) {
        const int64_t m = lo + (hi - lo) / 2;
        if (falls(m))
          lo = m;
        else
          hi = m;
      }
    }
    const int64_t k = hi;
    const double fA = f(k - 2), fB = f(k - 1), fC = f(k);
    const double d1 = fB - fA, d2 = fC - fB;
    P[j] = d1 == d2 ? v(k - 1) : v(k - 2) + 2 * S * d1 / (d1 - d2);
    return true;
  }
};

constexpr std::string_view kServName[3] = {"GetGaussPar.ServDLD", "GetGaussPar.ServLam0",
                                           "GetGaussPar.ServD0"};

}  // namespace

void GetGaussPar(const TAIn& A, int32_t i1, int32_t i2, int32_t Mode, double Cont, double DLD0,
                 double StepDLD, double StepLam0, double StepD0, double& DLD, double& Lam0,
                 double& d0, int32_t& KMin) {
  TTimedSection timed("GetGaussPar");
  WARNAbs(ObsoleteText(1));
  const int32_t n = static_cast<int32_t>(NOf(A));
  int32_t mn = 0;
  KMin = i1;
  if (n >= 1) AInMinPoint(A, i1, i2, mn, KMin);
  if (n < 7 || KMin - 3 < 1 || KMin + 3 > n) {
    WARNAbs("GetGaussPar: вокруг минимума (пиксель "_cp + IntStr(KMin) +
            ") меньше 7 точек профиля - подгонка не выполнена, режим "_cp + IntStr(Mode));
    DLD = Lam0 = d0 = 0;
    return;
  }
  double X[7], Y[7], W[7];
  for (int k = 0; k < 7; ++k) {
    X[k] = KMin - 3 + k;
    Y[k] = A[static_cast<size_t>(KMin - 3 + k)];
  }
  if (Mode == 5) {
    const double w[7] = {0.02, 1, 1, 1, 1, 1, 0.02};
    std::copy(w, w + 7, W);
  } else {
    const double w[7] = {1.0 / 350, 0.02, 1, 1, 1, 0.02, 1.0 / 350};
    std::copy(w, w + 7, W);
    if (Mode == 4) {
      const bool blue = std::fabs(Y[1] - Y[3]) < std::fabs(Y[5] - Y[3]);
      W[1] = blue ? 1 : 0.02;
      W[5] = blue ? 0.02 : 1;
    }
  }
  TFit fit{X, Y, W, Cont, {DLD0, double(KMin), double(mn)}};
  double step[3] = {StepDLD, StepLam0, StepD0};
  const double shrink[3] = {3, 5, 5};
  bool ended = true;
  auto serv = [&](int j) {
    TTimedSection t(kServName[j]);
    if (ended) ended = fit.Search(j, step[j]);
    step[j] /= shrink[j];
  };
  serv(0);
  for (int g = 1; g <= 6; ++g) {
    const int first = g % 2 == 1 ? 2 : 1, second = 3 - first;
    serv(first);
    serv(second);
    serv(first);
    serv(second);
    serv(0);
  }
  if (!ended) {
    // a cost that falls without end along one parameter: no result, an error of the run
    ++tUnended;
    WARNAbs("GetGaussPar: поиск минимума не закончился (более 2^44 шагов) - подгонка не "
            "выполнена, режим "_cp +
            IntStr(Mode));
    DLD = Lam0 = d0 = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  DLD = fit.P[0];
  Lam0 = fit.P[1];
  d0 = fit.P[2];
}

void Get3GaussPar(const TAIn& A, int32_t i1, int32_t i2, double Cont, double DLD0,
                  double StepDLD, double StepLam0, double StepD0, TGauss3& DLD, TGauss3& Lam0,
                  TGauss3& d0, int32_t& KMin) {
  TTimedSection timed("Get3GaussPar");
  WARNAbs(ObsoleteText(3));
  for (int mode = 5; mode >= 3; --mode) {
    const size_t e = static_cast<size_t>(mode - 2);
    GetGaussPar(A, i1, i2, mode, Cont, DLD0, StepDLD, StepLam0, StepD0, DLD[e], Lam0[e], d0[e],
                KMin);
  }
}
