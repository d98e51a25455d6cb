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

void aSEX0(const TARe& UL, int32_t N, TARe& MX0) {
  if (ChanOn(1)) Sayer->ChanLog(1, "aSEX0 STARTED");
  MX0.assign(static_cast<size_t>(N) + 1, 0.0);
  for (int32_t i = 1; i <= N; ++i) {
    MX0[static_cast<size_t>(i)] = SEX0(UL[static_cast<size_t>(i)]);
    if (ChanOn(1))
      Sayer->ChanLog(1, "MX0[" + FSt(8, 3, UL[static_cast<size_t>(i)]) +
                            "]=" + FSt(7, 4, MX0[static_cast<size_t>(i)]));
  }
  if (ChanOn(1)) Sayer->ChanLog(1, "aSEX0 ENDED");
}
