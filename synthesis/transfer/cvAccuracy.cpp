#include "synthesis/transfer/cvAccuracy.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/transfer/cvAbsMatrix.h"

namespace {

// A number of a message; NaN and infinities named.
std::string NumText(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Inf" : "-Inf";
  return ShortSt(6, x);
}

// Passes bound the start-depth search (a rate that makes no progress is an error).
constexpr int32_t kMaxPasses = 1000000;

[[noreturn]] void SearchError(const std::string& Routine, const std::string& What, double Lam,
                              double X) {
  ErrAbs(Routine + " ERR: " + What + " при LAM=" + FDecSt(3, Lam) + " X=" + FSt(8, 4, X) +
         " - глубина начала интегрирования не найдена!"_cp);
}

bool Bounds(const std::string& Name, const std::string& Mod, int32_t FMOD, double& First,
            double& Last) {
  const TVEMO* v = Keeper().FindVeMo(Name, Mod, "", FMOD);
  if (!v || !v->IsFilled() || v->N < 1) return false;
  First = v->A[1];
  Last = v->A[static_cast<size_t>(v->N)];
  return true;
}

// The shared loop: Rate(x) gives (rate for the step, absorption rate); stops when the absorbed
// sum reaches EFBO or x reaches XIN1; then clamped to [X0_UP, X0_LO].
template <class RateF>
double Search(const char* Routine, bool Trace19, double Lam, RateF Rate) {
  TCONT& C = Cont();
  const TCONTSETX& s = C.SETX;
  C.WK.LAM = Lam;
  double x = s.XK;
  C.WK.X = x;
  double S = 0;
  int32_t passes = 0;
  for (;;) {
    double step = 0, absorb = 0;
    Rate(x, step, absorb);
    if (!(step > 0) || !std::isfinite(step)) SearchError(Routine, "EMAX=" + NumText(step), Lam, x);
    double dx = s.EFDX / step;
    if (dx > s.DXMA) dx = s.DXMA;
    if (!(dx > 0)) SearchError(Routine, "DX=" + NumText(dx), Lam, x);
    S += absorb * dx;
    if (Trace19 && ChanOn(19))
      Sayer->ChanLog(19, "LAM=" + FDecSt(3, Lam) + " X=" + FDecSt(4, x) + " EMIN=" +
                             NumText(absorb) + " EMAX=" + NumText(step) + " INTEG=" +
                             NumText(S) + " DX=" + NumText(dx));
    x += dx;
    if (x > s.XIN1) x = s.XIN1;
    C.WK.X = x;
    if (S >= s.EFBO || x >= s.XIN1) break;
    if (++passes > kMaxPasses) SearchError(Routine, "поиск не сходится"_cp, Lam, x);
  }
  if (x > s.X0_LO) x = s.X0_LO;
  if (x < s.X0_UP) x = s.X0_UP;
  return x;
}

}  // namespace

void VariLoadEps() {
  TCONT& C = Cont();
  TCONTSETX& s = C.SETX;
  TVARIATOR* V = VariCtx().VARI;
  s.ERR = GetR(V, "#ERR", 0.01);
  s.ErrKStep = GetR(V, "#ErrKStep", 50);
  s.ErrKBound = GetR(V, "#ErrKBound", 5);
  s.DXMA = GetR(V, "#MAXSTEP", 0.5);
  if (!(s.DXMA > 0)) ErrAbs("Параметр #MAXSTEP должен быть > 0 - исправьте знак!"_cp);
  s.X0_LO = GetR(V, "#X0Farest", 1.5);
  s.X0_UP = GetR(V, "#X0Nearest", -3);
  if (s.X0_UP > s.X0_LO)
    ErrAbs("Нижний предел X0 не может быть выше верхнего,\r\nПараметр #X0LO должен быть глубже "
           "(т.е. больше) параметра #X0UP!"_cp);
  s.EFBO = std::log(1 / (s.ERR * s.ErrKBound));
  s.EFDX = std::pow(120 * s.ERR * s.ErrKStep, 0.2);

  double a = 1, b = -4;
  if (!Bounds("X", C.sMOD, 0, a, b) && !Bounds("LGT", C.sMOD, 0, a, b)) {
    const TVEMO* t = Keeper().FindVeMo("TAU", C.sMOD, "", 0);
    if (t && t->IsFilled() && t->N >= 1) {
      a = std::log10(t->A[1]);
      b = std::log10(t->A[static_cast<size_t>(t->N)]);
    } else {
      WARN("VariLoadEps: не загружен VEMO "_cp + C.sMOD +
           "|Tau|0 для определения границ модели, загружаем [1,-4]"_cp);
      a = 1;
      b = -4;
    }
  }
  if (b > a) std::swap(a, b);
  double c = 1.5, d = -6.5;
  if (!Bounds("X", C.sMOD, 1, c, d) && !Bounds("LGT", C.sMOD, 1, c, d)) {
    WARN("VariLoadEps: не загружен VEMO "_cp + C.sMOD +
         "|X|1 для определения границ модели, загружаем [1.5,-6.5]"_cp);
    c = 1.5;
    d = -6.5;
  }
  s.XIN0 = GetR(V, "#XIN", a);
  s.XOUT0 = GetR(V, "#XOUT", b);
  s.XIN1 = GetR(V, "#XIN", c);
  s.XOUT1 = GetR(V, "#XOUT", d);
}

double SEX0Full(double Lam) {
  TCONT& C = Cont();
  return Search("SEX0", true, Lam, [&C](double, double& step, double& absorb) {
    FACX();
    Invariants(C.R);
    double EMin, EMax;
    EIV(C.R, EMin, EMax);
    step = EMax;
    absorb = EMin;
  });
}

double SEX0H0(double Lam) {
  TCONT& C = Cont();
  return Search("SEX0H0", false, Lam, [&C](double x, double& step, double& absorb) {
    H0LINA();
    const double g = C.R.EF * std::pow(10.0, x) * 2.302585093 / C.CTETA;
    C.R.G0 = g;
    step = g;
    absorb = g;
  });
}

double SEX0(double Lam) { return Cont().H0 ? SEX0H0(Lam) : SEX0Full(Lam); }

namespace {

// SEX0Full for the N wavelengths UL[1..N] at once: each search makes the same steps as alone,
// the matrices of one pass of all of them in one batch (FACXMany). The working record and
// wavelength are left as the last search leaves them. False (nothing kept) when the batch is
// not available or a search fails: the searches one by one then give their own message.
bool SearchMany(const TARe& UL, int32_t N, TARe& MX0) {
  TCONT& C = Cont();
  const TCONTSETX& s = C.SETX;
  const size_t n = static_cast<size_t>(N);
  thread_local std::vector<double> lam, x, S, xb;
  thread_local std::vector<int32_t> passes, live;
  lam.assign(UL.begin() + 1, UL.begin() + 1 + static_cast<std::ptrdiff_t>(n));
  x.assign(n, s.XK);
  S.assign(n, 0.0);
  passes.assign(n, 0);
  live.resize(n);
  for (size_t j = 0; j < n; ++j) live[j] = static_cast<int32_t>(j);
  thread_local std::vector<double> ql, qx;
  thread_local std::vector<TCONTR> qr;
  size_t nl = n;
  TCONTR last;
  double lastX = s.XK;
  while (nl > 0) {
    ql.resize(nl);
    qx.resize(nl);
    qr.resize(nl);
    for (size_t k = 0; k < nl; ++k) {
      ql[k] = lam[static_cast<size_t>(live[k])];
      qx[k] = x[static_cast<size_t>(live[k])];
    }
    try {
      if (!FACXMany(ql.data(), qx.data(), static_cast<int32_t>(nl), qr.data())) return false;
    } catch (...) {
      return false;
    }
    size_t kept = 0;
    for (size_t k = 0; k < nl; ++k) {
      const size_t j = static_cast<size_t>(live[k]);
      TCONTR& r = qr[k];
      Invariants(r);
      double EMin, EMax;
      EIV(r, EMin, EMax);
      const double step = EMax, absorb = EMin;
      if (!(step > 0) || !std::isfinite(step)) return false;
      double dx = s.EFDX / step;
      if (dx > s.DXMA) dx = s.DXMA;
      if (!(dx > 0)) return false;
      S[j] += absorb * dx;
      double xn = x[j] + dx;
      if (xn > s.XIN1) xn = s.XIN1;
      x[j] = xn;
      const bool done = S[j] >= s.EFBO || xn >= s.XIN1;
      if (!done && ++passes[j] > kMaxPasses) return false;
      if (j == n - 1) {
        last = r;
        lastX = xn;
      }
      if (!done) live[kept++] = static_cast<int32_t>(j);
    }
    nl = kept;
  }
  MX0.assign(n + 1, 0.0);
  for (size_t j = 0; j < n; ++j) {
    double v = x[j];
    if (v > s.X0_LO) v = s.X0_LO;
    if (v < s.X0_UP) v = s.X0_UP;
    MX0[j + 1] = v;
  }
  // the fields the last evaluation set (FACX, Invariants, EIV)
  TCONTR& W = C.R;
  W.L = last.L;
  W.X = last.X;
  W.Kind = last.Kind;
  W.C10 = last.C10;
  W.B = last.B;
  W.S = last.S;
  W.ETAC = last.ETAC;
  if (C.LiSet.Count > 0) {
    W.EP = last.EP;
    W.EB = last.EB;
    W.ER = last.ER;
    W.RP = last.RP;
    W.RB = last.RB;
    W.RR = last.RR;
  }
  W.EI = last.EI;
  W.EQ = last.EQ;
  W.EU = last.EU;
  W.EV = last.EV;
  W.RQ = last.RQ;
  W.RU = last.RU;
  W.RV = last.RV;
  W.EF = last.EF;
  W.ER2 = last.ER2;
  W.EE2 = last.EE2;
  W.EMin = last.EMin;
  W.EMax = last.EMax;
  C.WK.LAM = lam[n - 1];
  C.WK.X = lastX;
  return true;
}

}  // namespace

void aSEX0(const TARe& UL, int32_t N, TARe& MX0) {
  if (ChanOn(1)) Sayer->ChanLog(1, "aSEX0 STARTED");
  // all searches at once where no trace line shows their order
  if (N >= 2 && !Cont().H0 && !ChanOn(1) && !ChanOn(18) && !ChanOn(19) && NOf(UL) >= N &&
      SearchMany(UL, N, MX0))
    return;
  MX0.assign(static_cast<size_t>(N) + 1, 0.0);
  for (int32_t i = 1; i <= N; ++i) {
    MX0[static_cast<size_t>(i)] = SEX0(UL[static_cast<size_t>(i)]);
    if (ChanOn(1))
      Sayer->ChanLog(1, "MX0[" + FSt(8, 3, UL[static_cast<size_t>(i)]) +
                            "]=" + FSt(7, 4, MX0[static_cast<size_t>(i)]));
  }
  if (ChanOn(1)) Sayer->ChanLog(1, "aSEX0 ENDED");
}
