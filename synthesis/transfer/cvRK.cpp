#include "synthesis/transfer/cvRK.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

// A number of a message; NaN and infinities named.
std::string NumText(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Inf" : "-Inf";
  return ShortSt(6, x);
}

[[noreturn]] void StepError(const std::string& Routine, const std::string& What, double X) {
  ErrAbs(Routine + " ERR: " + What + " при LAM="_cp + FDecSt(3, Cont().WK.LAM) + " X=" +
         FSt(8, 4, X) + " - шаг интегрирования не определен!"_cp);
}

double Clip(double DX, double X, double X1, double DXMA) {
  if (X + DX < X1) DX = X1 - X;
  if (-DX > DXMA) DX = -DXMA;
  return DX;
}

void CheckLimits(const std::string& Routine, double X, double DXMA, double EFDX) {
  if (!(EFDX > 0) || !std::isfinite(EFDX)) StepError(Routine, "EFDX=" + NumText(EFDX), X);
  if (!(DXMA > 0) || std::isnan(DXMA)) StepError(Routine, "DXMA=" + NumText(DXMA), X);
}

// Steps of one interval beyond any real atmosphere's need (a point takes about a dozen): an
// opacity this large (an lg gf ten orders too high) would otherwise hold the run for hours.
constexpr int64_t kMaxSteps = 1000000;

// The loop of IntegrateU and IntegrateH0: steps until X <= X1; a step that does not move X
// while above X1, or more than kMaxSteps steps, is an error (no endless loop).
template <class StepF, class RateF, class TraceF>
void Walk(const char* Routine, double X1, double Xfrom, RateF Rate, StepF Step, TraceF Trace) {
  TCONT& C = Cont();
  double X = Xfrom;
  int64_t n = 0;
  do {
    C.WK.X = X;
    const double DX = Rate(X);
    if (!(X + DX < X) && X > X1) StepError(Routine, "шаг DX=" + NumText(DX), X);
    if (++n > kMaxSteps)
      StepError(Routine, "более "_cp + IntStr(static_cast<int32_t>(kMaxSteps)) +
                             " шагов до X="_cp + FSt(8, 4, X1) + " (DX=" + NumText(DX) + ")",
                X);
    Step(DX, X);
    X = X + DX;
    Trace(X);
  } while (!(X <= X1));
  C.WK.X = X;
}

}  // namespace

void RK4(int32_t n, const double* Y0, TRKDeriv F, double h, double x) {
  TCONT& C = Cont();
  double k1[5], k2[5], k3[5], k4[5];
  C.DX = h;
  for (int32_t j = 1; j <= n; ++j) C.WK.Y[j] = Y0[j];
  C.WK.X = x;
  C.RKStage = 1;
  F();
  for (int32_t j = 1; j <= n; ++j) k1[j] = h * C.WK.D[j];
  for (int32_t j = 1; j <= n; ++j) C.WK.Y[j] = Y0[j] + k1[j] / 2;
  C.WK.X = x + h / 2;
  C.RKStage = 2;
  F();
  for (int32_t j = 1; j <= n; ++j) k2[j] = h * C.WK.D[j];
  for (int32_t j = 1; j <= n; ++j) C.WK.Y[j] = Y0[j] + k2[j] / 2;
  C.RKStage = 3;
  F();
  for (int32_t j = 1; j <= n; ++j) k3[j] = h * C.WK.D[j];
  for (int32_t j = 1; j <= n; ++j) C.WK.Y[j] = Y0[j] + k3[j];
  C.WK.X = x + h;
  C.RKStage = 4;
  F();
  for (int32_t j = 1; j <= n; ++j) k4[j] = h * C.WK.D[j];
  for (int32_t j = 1; j <= n; ++j)
    C.WK.Y[j] = Y0[j] + (k1[j] + 2 * k2[j] + 2 * k3[j] + k4[j]) / 6;
}

void RK4I(TRKDeriv F, double I0, double h, double x) {
  TCONT& C = Cont();
  if (ChanOn(23))
    Sayer->ChanLog(23, "-------RK-X=" + FSt(6, 3, x) + " Y=" + FDecSt(3, I0 * 1e-12));
  C.WK.Y[1] = I0;
  C.WK.X = x;
  F();
  const double k1 = h * C.WK.D[1];
  C.WK.Y[1] = I0 + k1 / 2;
  C.WK.X = x + h / 2;
  F();
  const double k2 = h * C.WK.D[1];
  C.WK.Y[1] = I0 + k2 / 2;
  F();
  const double k3 = h * C.WK.D[1];
  C.WK.Y[1] = I0 + k3;
  C.WK.X = x + h;
  F();
  const double k4 = h * C.WK.D[1];
  C.WK.Y[1] = I0 + (k1 + 2 * k2 + 2 * k3 + k4) / 6;
}

void FACD() {
  TCONT& C = Cont();
  const TCONTR& R = C.R;
  const double I = C.WK.Y[1], Q = C.WK.Y[2], U = C.WK.Y[3], V = C.WK.Y[4];
  const double dB = I - R.B, dS = I - R.S;
  double* D = C.WK.D;
  D[1] = (R.ETAC * dB + R.EI * dS + R.EQ * Q + R.EU * U + R.EV * V) * R.C10;
  if (ChanOn(14)) {
    // without the magneto-optical terms
    D[2] = (R.EQ * dB + R.EF * Q) * R.C10;
    D[3] = (R.EU * dB + R.EF * U) * R.C10;
    D[4] = (R.EV * dB + R.EF * V) * R.C10;
  } else {
    D[2] = (R.EQ * dS + R.EF * Q + R.RV * U - R.RU * V) * R.C10;
    D[3] = (R.EU * dS - R.RV * Q + R.EF * U + R.RQ * V) * R.C10;
    D[4] = (R.EV * dS + R.RU * Q - R.RQ * U + R.EF * V) * R.C10;
  }
  if (ChanOn(7))
    Sayer->ChanLog(7, "*7 Y:" + ESt(4, dB) + " D:" + ESt(4, D[1]) + " B:" + ESt(4, R.B) +
                          " C10:" + ESt(4, R.C10) + " EF:" + ESt(4, R.EF));
  if (ChanOn(8))
    Sayer->ChanLog(8, "dX: " + ESt(6, C.DX) + " RK" + IntStr(C.RKStage) +
                          (C.RKStage == 1 ? "---" : "   ") + "X: " +
                          PadRight(EFSt(7, C.WK.X), 12) + " IQUV:" + ESt(8, dB) + " " +
                          ESt(8, Q) + " " + ESt(8, U) + " " + ESt(8, V) + " DD:" + ESt(8, D[1]) +
                          " " + ESt(8, D[2]) + " " + ESt(8, D[3]) + " " + ESt(8, D[4]));
}

void H0D() {
  TCONT& C = Cont();
  const TCONTR& R = C.R;
  const double I = C.WK.Y[1];
  C.WK.D[1] = ((I - R.B) * R.ETAC + (I - R.S) * R.EI) * R.C10;
}

void UDeriv() {
  FACX();
  FACD();
}

void H0Deriv() {
  H0LINA();
  H0D();
}

double StepU(TCONTR& R, double X, double X1, double DXMA, double EFDX) {
  CheckLimits("StepU", X, DXMA, EFDX);
  if (!(R.EF > 0) || !std::isfinite(R.EF)) StepError("StepU", "EF=" + NumText(R.EF), X);
  Invariants(R);
  double EMin, EMax;
  EIV(R, EMin, EMax);
  if (!(EMax > 0) || !std::isfinite(EMax)) StepError("StepU", "EMax=" + NumText(EMax), X);
  return Clip(-EFDX / EMax, X, X1, DXMA);
}

double StepH0(TCONTR& R, double X, double X1, double DXMA, double EFDX) {
  CheckLimits("StepH0", X, DXMA, EFDX);
  const double rate = R.EF * R.C10;
  if (!(rate > 0) || !std::isfinite(rate)) StepError("StepH0", "EF*C10=" + NumText(rate), X);
  return Clip(-EFDX / rate, X, X1, DXMA);
}

double LineStepLimit(const TCONTSETX& S) {
  // DXMA (EFDX^5/60)^(1/3) = DXMA (ERR ErrKStep/0.5)^(1/3)
  const double e5 = S.EFDX * S.EFDX * S.EFDX * S.EFDX * S.EFDX / 60;
  if (!(e5 < 1)) return S.DXMA;
  return S.DXMA * std::cbrt(e5);
}

namespace {
thread_local bool tStepTiming = true;

// TTimedSection when on.
class TStepSection {
 public:
  TStepSection() : on_(tStepTiming) {
    if (on_) time_routine("URKU", true);
  }
  ~TStepSection() {
    if (on_) time_routine("URKU", false);
  }
  TStepSection(const TStepSection&) = delete;
  TStepSection& operator=(const TStepSection&) = delete;

 private:
  bool on_;
};
}  // namespace

void SetStepTiming(bool On) { tStepTiming = On; }

void URKU(int32_t i, TUNNO& U, double DX, double X) {
  TStepSection prof;
  ++TransferCounts().Steps;
  const size_t k = static_cast<size_t>(i);
  const double y0[5] = {0, U.UI[k], U.UQ[k], U.UU[k], U.UV[k]};
  // the matrix at the step's two new depths in one batch (the depths as RK4 makes them)
  FACXAhead(X + DX / 2, X + DX);
  RK4(4, y0, UDeriv, DX, X);
  const TCONTWK& wk = Cont().WK;
  U.UI[k] = wk.Y[1];
  U.UQ[k] = wk.Y[2];
  U.UU[k] = wk.Y[3];
  U.UV[k] = wk.Y[4];
}

void H0Step(int32_t i, TUNNO& U, double DX, double X) {
  ++TransferCounts().Steps;
  const size_t k = static_cast<size_t>(i);
  RK4I(H0Deriv, U.UI[k], DX, X);
  U.UI[k] = Cont().WK.Y[1];
}

void IntegrateU(int32_t i, TUNNO& U, double X1, double Xfrom) {
  TCONT& C = Cont();
  if (ChanOn(6))
    Sayer->ChanLog(6, "Point[" + I64PadSt(3, i) + "] Lam=" +
                          FSt(9, 4, U.UL[static_cast<size_t>(i)]) + " NEXT-XO=" +
                          FSt(4, 2, Xfrom) + " => " + FSt(4, 2, X1));
  const double dxma = LineStepLimit(C.SETX);
  Walk(
      "IntegrateU", X1, Xfrom,
      [&](double X) {
        FACX();
        return StepU(C.R, X, X1, dxma, C.SETX.EFDX);
      },
      [&](double DX, double X) { URKU(i, U, DX, X); },
      [&](double X) {
        if (ChanOn(9)) {
          const double h = C.MX ? C.MX->XtoKM(X) : 0;
          const double I = U.UI[static_cast<size_t>(i)];
          const double Ic = C.MCONT ? C.MCONT->func(X) : 0;
          Sayer->ChanLog(9, "X= " + FSt(7, 4, X) + " h= " + FSt(8, 2, h) + " I= " + ESt(11, I) +
                                " C= " + ESt(11, Ic) + " RI= " + FSt(11, 9, Ic != 0 ? I / Ic : 0));
        }
        if (ChanOn(10)) {
          const double h = C.MX ? C.MX->XtoKM(X) : 0;
          Sayer->ChanLog(10, "LAM= " + FDecSt(3, C.WK.LAM) + " X= " + FSt(7, 4, X) + " h= " +
                                 FSt(8, 2, h));
        }
      });
}

void IntegrateH0(int32_t i, TUNNO& U, double X1, double Xfrom) {
  TCONT& C = Cont();
  if (ChanOn(6))
    Sayer->ChanLog(6, " *NEXT-XO=" + FSt(4, 2, Xfrom) + " => " + FSt(4, 2, X1));
  const double dxma = LineStepLimit(C.SETX);
  Walk(
      "IntegrateH0", X1, Xfrom,
      [&](double X) {
        H0LINA();
        return StepH0(C.R, X, X1, dxma, C.SETX.EFDX);
      },
      [&](double DX, double X) { H0Step(i, U, DX, X); },
      [&](double X) {
        if (ChanOn(10))
          Sayer->ChanLog(10, "LAM=" + FDecSt(3, C.WK.LAM) + " X=" + FSt(7, 4, X));
      });
}

void Integrate(int32_t i, TUNNO& U, double X1, double Xfrom) {
  if (Cont().H0)
    IntegrateH0(i, U, X1, Xfrom);
  else
    IntegrateU(i, U, X1, Xfrom);
}
