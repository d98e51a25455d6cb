#include "synthesis/transfer/cvRK.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

namespace {

// The polarised right-hand side of Y[1..4] for the matrix R into D[1..4].
inline void StokesRates(const TCONTR& R, const double* Y, double* D) {
  const double I = Y[1], Q = Y[2], U = Y[3], V = Y[4];
  const double dB = I - R.B, dS = I - R.S;
  D[1] = (R.ETAC * dB + R.EI * dS + R.EQ * Q + R.EU * U + R.EV * V) * R.C10;
  D[2] = (R.EQ * dS + R.EF * Q + R.RV * U - R.RU * V) * R.C10;
  D[3] = (R.EU * dS - R.RV * Q + R.EF * U + R.RQ * V) * R.C10;
  D[4] = (R.EV * dS + R.RU * Q - R.RQ * U + R.EF * V) * R.C10;
}

}  // namespace

void FACD() {
  TCONT& C = Cont();
  const TCONTR& R = C.R;
  double* D = C.WK.D;
  if (ChanOn(14)) {
    const double I = C.WK.Y[1], Q = C.WK.Y[2], U = C.WK.Y[3], V = C.WK.Y[4];
    const double dB = I - R.B, dS = I - R.S;
    D[1] = (R.ETAC * dB + R.EI * dS + R.EQ * Q + R.EU * U + R.EV * V) * R.C10;
    // without the magneto-optical terms
    D[2] = (R.EQ * dB + R.EF * Q) * R.C10;
    D[3] = (R.EU * dB + R.EF * U) * R.C10;
    D[4] = (R.EV * dB + R.EF * V) * R.C10;
  } else {
    StokesRates(R, C.WK.Y, D);
  }
  const double dB = C.WK.Y[1] - R.B, Q = C.WK.Y[2], U = C.WK.Y[3], V = C.WK.Y[4];
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

namespace {

// One point of IntegrateMany: its depth, the matrix there, its step and step count.
struct TWalker {
  int32_t I;
  double X, DX;
  int64_t N;
  TCONTR R;
};

}  // namespace

TManyResult IntegrateMany(TUNNO& U, const int32_t* Points, const double* Xfrom, int32_t NP,
                          double X1, const TCONTR* RStart,
                          const std::function<bool(int32_t)>& Finished) {
  TCONT& C = Cont();
  for (int32_t ch : {6, 7, 8, 9, 10, 14, 18, 23})
    if (ChanOn(ch)) return TManyResult::NotHere;
  if (C.H0 || !FACXMany(nullptr, nullptr, 0, nullptr)) return TManyResult::NotHere;
  const double dxma = LineStepLimit(C.SETX), efdx = C.SETX.EFDX;
  thread_local std::vector<TWalker> w;
  thread_local std::vector<double> lam, xs;
  thread_local std::vector<TCONTR> rs;
  w.resize(static_cast<size_t>(NP));
  int32_t lastI = -1;
  for (int32_t p = 0; p < NP; ++p) {
    TWalker& a = w[static_cast<size_t>(p)];
    a.I = Points[p];
    a.X = Xfrom[p];
    a.DX = 0;
    a.N = 0;
    a.R = RStart[p];
    lastI = std::max(lastI, a.I);
  }
  auto lamOf = [&](int32_t I) {
    const double ul = U.UL[static_cast<size_t>(I)];
    return U.ChDL == '0' ? U.LAMB + ul : ul;
  };
  size_t live = w.size();
  int32_t finished = 0;
  // what a point-by-point run leaves in CONT: the state of its last point
  TCONTR lastR = C.R;
  double lastY[5] = {0, C.WK.Y[1], C.WK.Y[2], C.WK.Y[3], C.WK.Y[4]}, lastDX = C.DX,
         lastX = C.WK.X;
  while (live > 0) {
    // the steps from each point's matrix, then the matrices at their two new depths
    lam.resize(2 * live);
    xs.resize(2 * live);
    rs.resize(2 * live);
    for (size_t k = 0; k < live; ++k) {
      TWalker& a = w[k];
      C.WK.LAM = lamOf(a.I);
      C.WK.X = a.X;
      const double DX = StepU(a.R, a.X, X1, dxma, efdx);
      if (!(a.X + DX < a.X) && a.X > X1) StepError("IntegrateU", "шаг DX=" + NumText(DX), a.X);
      if (++a.N > kMaxSteps)
        StepError("IntegrateU", "более "_cp + IntStr(static_cast<int32_t>(kMaxSteps)) +
                                    " шагов до X="_cp + FSt(8, 4, X1) + " (DX=" + NumText(DX) +
                                    ")",
                  a.X);
      a.DX = DX;
      lam[2 * k] = lam[2 * k + 1] = C.WK.LAM;
      xs[2 * k] = a.X + DX / 2;
      xs[2 * k + 1] = a.X + DX;
    }
    FACXMany(lam.data(), xs.data(), static_cast<int32_t>(2 * live), rs.data());
    size_t kept = 0;
    for (size_t k = 0; k < live; ++k) {
      TWalker& a = w[k];
      const size_t i = static_cast<size_t>(a.I);
      const TCONTR &r1 = rs[2 * k], &r2 = rs[2 * k + 1];
      const double h = a.DX;
      double y[5];
      {
        TStepSection prof;
        ++TransferCounts().Steps;
        // RK4's stages with the matrices at x, x + h/2 (twice) and x + h
        const double y0[5] = {0, U.UI[i], U.UQ[i], U.UU[i], U.UV[i]};
        double d[5], k1[5], k2[5], k3[5], k4[5];
        StokesRates(a.R, y0, d);
        for (int32_t j = 1; j <= 4; ++j) k1[j] = h * d[j];
        for (int32_t j = 1; j <= 4; ++j) y[j] = y0[j] + k1[j] / 2;
        StokesRates(r1, y, d);
        for (int32_t j = 1; j <= 4; ++j) k2[j] = h * d[j];
        for (int32_t j = 1; j <= 4; ++j) y[j] = y0[j] + k2[j] / 2;
        StokesRates(r1, y, d);
        for (int32_t j = 1; j <= 4; ++j) k3[j] = h * d[j];
        for (int32_t j = 1; j <= 4; ++j) y[j] = y0[j] + k3[j];
        StokesRates(r2, y, d);
        for (int32_t j = 1; j <= 4; ++j) k4[j] = h * d[j];
        for (int32_t j = 1; j <= 4; ++j)
          y[j] = y0[j] + (k1[j] + 2 * k2[j] + 2 * k3[j] + k4[j]) / 6;
        U.UI[i] = y[1];
        U.UQ[i] = y[2];
        U.UU[i] = y[3];
        U.UV[i] = y[4];
      }
      // the matrix at the new depth: the fields FACX sets, the others as the step left them
      const TCONTR stepped = a.R;
      a.R = r2;
      a.R.ER2 = stepped.ER2;
      a.R.EE2 = stepped.EE2;
      a.R.EMin = stepped.EMin;
      a.R.EMax = stepped.EMax;
      a.R.G0 = stepped.G0;
      a.X = a.X + h;
      if (a.X <= X1) {
        if (a.I == lastI) {
          lastX = a.X;
          lastR = a.R;
          std::copy(y + 1, y + 5, lastY + 1);
          lastDX = h;
        }
        ++finished;
        continue;
      }
      w[kept++] = a;
    }
    live = kept;
    if (Finished && !Finished(finished)) return TManyResult::Stopped;
  }
  if (lastI >= 0) {
    C.WK.LAM = lamOf(lastI);
    C.WK.X = lastX;
    C.R = lastR;
    for (int32_t j = 1; j <= 4; ++j) C.WK.Y[j] = lastY[j];
    C.DX = lastDX;
    C.RKStage = 4;
  }
  return TManyResult::Done;
}
