#include "synthesis/transfer/cvPlam.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvAccuracy.h"
#include "synthesis/transfer/cvPCont.h"
#include "synthesis/transfer/cvRK.h"

namespace {

double Ratio(double I, double C) { return C != 0 ? I / C : I; }

// Teff of the profile from its continuum at LAMB.
void SetTeff(TUNNO& U) {
  if (U.LAMB != 0 && U.CONT > 0) U.Teff = PlanckTb(U.LAMB, U.CONT);
}

// A polarised walk needs Q, U, V even on an intensity-only profile (they are not written).
void EnsureQUV(TUNNO& U) {
  const size_t n = U.UI.size();
  for (TARe* a : {&U.UQ, &U.UU, &U.UV})
    if (a->size() < n) a->resize(n, 0.0);
}

// Start conditions of point I at depth X.
void Start(int32_t I, TUNNO& U, double X) {
  TCONT& C = Cont();
  if (C.H0) {
    H0LINA();
    U.CONT = C.MCONT->func(X);
    SetTeff(U);
    PointToCont(U, I);
  } else {
    FACX();
    USE(I, U, X);
  }
}

}  // namespace

std::vector<double> HoleNodes(double X0, double X1, double X00) {
  std::vector<double> r;
  const TCONT& C = Cont();
  if (C.KHole == 0) return r;
  const double f = (X0 > X00 || X0 == X1) ? X00 : X0;
  const double XL = std::max(C.HoleX0, C.HoleX1), XU = std::min(C.HoleX0, C.HoleX1);
  for (double bound : {XL, XU})
    if (bound < f && X1 <= bound) {
      r.push_back(bound + 1e-8);
      r.push_back(bound - 1e-8);
    }
  if (!r.empty() && r.back() > X1) r.push_back(X1);
  return r;
}

void USE(int32_t I, TUNNO& U, double X) {
  TCONT& C = Cont();
  TCONTR& R = C.R;
  const size_t i = static_cast<size_t>(I);
  const TVEMO& MX = *C.MX;
  R.B = C.MB->func(X);
  const double step = MX.N >= 2 ? MX.A[2] - MX.A[1] : 0;
  const double Xn = X + step;
  const double dtau = std::pow(10.0, Xn) - std::pow(10.0, R.X);
  // a grid whose first two depths coincide gives no slope: the start is B alone
  const double B1 = dtau != 0 && std::isfinite(dtau) ? (C.MB->func(Xn) - R.B) / dtau : 0;
  const double mB1 = C.CTETA * B1;
  R.EF = R.EI + R.ETAC;
  const double e = R.EF, e2 = e * e;
  const double w = R.EQ * R.RQ + R.EU * R.RU + R.EV * R.RV;
  R.ER2 = w;
  const double rho2 = R.RQ * R.RQ + R.RU * R.RU + R.RV * R.RV;
  const double eta2 = R.EQ * R.EQ + R.EU * R.EU + R.EV * R.EV;
  R.EE2 = eta2 - rho2;
  const double Delta = e2 * (e2 - eta2 + rho2) - w * w;
  double vI = R.B, vQ = 0, vU = 0, vV = 0;
  if (Delta != 0 && std::isfinite(Delta)) {
    vI = R.B + mB1 * e * (e2 + rho2) / Delta;
    vQ = -mB1 * (e2 * R.EQ + e * (R.EV * R.RU - R.EU * R.RV) + R.RQ * w) / Delta;
    vU = -mB1 * (e2 * R.EU + e * (R.EQ * R.RV - R.EV * R.RQ) + R.RU * w) / Delta;
    vV = -mB1 * (e2 * R.EV + R.RV * w) / Delta;
  }
  EnsureQUV(U);
  U.UI[i] = vI;
  U.UQ[i] = vQ;
  U.UU[i] = vU;
  U.UV[i] = vV;
  // scaled so that the continuum of the same solution (B + mB1/ETAC) is the model's continuum
  const double Cx = C.MCONT->func(X);
  const double own = R.ETAC != 0 ? R.B + mB1 / R.ETAC : R.B + mB1;
  if (own != 0 && std::isfinite(own)) PointScale(U, I, Cx / own);
  U.CONT = Cx;
  U.Teff = std::pow(Cx * M_PI / 5.66956e-5, 0.25);
}

void PLAM(int32_t I, TUNNO& U, double X0, double X1, double X00) {
  TCONT& C = Cont();
  const size_t i = static_cast<size_t>(I);
  const std::vector<double> nodes = HoleNodes(X0, X1, X00);
  if (ChanOn(24))
    Sayer->ChanLog(24, "PLAM UN=" + U.sULin + " I=" + IntStr(I) + " L=" + FDecSt(3, U.LAMB) +
                           " LI=" + FDecSt(3, U.UL[i]) + " UI=" + FDecSt(2, U.UI[i]) +
                           " X0=" + FSt(6, 3, X0) + " X1=" + FSt(6, 3, X1) + " X00=" +
                           FSt(6, 3, X00) + "========================");
  C.WK.LAM = U.ChDL == '0' ? U.LAMB + U.UL[i] : U.UL[i];
  C.CheckLAM(I, U.LAMB, U.UL[i]);
  if (!C.H0) EnsureQUV(U);
  if (ChanOn(17)) {
    Sayer->ChanLog(17, "");
    Sayer->ChanLog(17, "PLAM " + I64PadSt(2, I) + ">>> X " + FSt(5, 2, X0) + "->" +
                           FSt(5, 2, X1) + " X0=" + FSt(5, 2, X00) + " UI=" +
                           FSt(10, 7, Ratio(U.UI[i], U.CONT)) + "/" + ESt(10, U.UI[i]) +
                           " CONT=" + ESt(10, U.CONT));
  }
  if (X00 < X1) {
    // the point starts above this output depth: start values here, no integration
    if (ChanOn(17))
      Sayer->ChanLog(17, "PLAM: СТАРТА НЕ БЫЛО - рассчитаем НАЧ.УСЛОВИЯ! в точке LAM="_cp +
                             FSt(8, 3, U.UL[i]) + " X=" + FSt(6, 2, X1));
    C.WK.X = X1;
    Start(I, U, X1);
    if (ChanOn(17))
      Sayer->ChanLog(17, "PLAM: СТАРТА НЕ БЫЛО - НАЧ.УСЛОВИЯ: "_cp +
                             FSt(7, 3, Ratio(U.UI[i], U.CONT)) + " CONT=" + ESt(6, U.CONT));
  } else {
    double Xs = X0;
    if (X0 > X00 || X1 == X0) {
      Xs = C.MX && C.MX->N >= 1 && X00 > C.MX->A[1] ? C.MX->A[1] : X00;
      C.WK.X = Xs;
      Start(I, U, Xs);
      if (ChanOn(17))
        Sayer->ChanLog(17, "PLAM " + I64PadSt(2, I) + "=== X " + FSt(5, 2, C.WK.X) + "->" +
                               FSt(5, 2, X1) + " X0=" + FSt(5, 2, X00) + " UI=" +
                               FSt(6, 3, Ratio(U.UI[i], U.CONT)) + "/" + ESt(6, U.UI[i]) +
                               " C10=" + ESt(6, C.R.C10) + " B=" + ESt(6, C.R.B));
    } else {
      C.WK.X = X0;
    }
    if (nodes.empty()) {
      Integrate(I, U, X1, Xs);
    } else {
      double from = Xs;
      for (double node : nodes) {
        if (node < from) Integrate(I, U, node, from);
        from = node;
      }
    }
  }
  U.CONT = C.MCONT->func(X1);
  SetTeff(U);
  U.UK[i] = 1;
  if (ChanOn(17))
    Sayer->ChanLog(17, "PLAM " + I64PadSt(2, I) + "<<< X " + FSt(5, 2, X0) + "->" +
                           FSt(5, 2, X1) + " X0=" + FSt(5, 2, X00) + " UI=" +
                           FSt(6, 3, Ratio(U.UI[i], U.CONT)) + "/" + ESt(6, U.UI[i]) +
                           " CONT=" + ESt(6, U.CONT));
}

int32_t PLAMAll(TUNNO& U, double X0, double X1, const TARe& X00,
                const std::function<bool(int32_t)>& Finished) {
  TCONT& C = Cont();
  const int32_t N = U.NDL;
  if (N < 2 || C.H0 || C.KHole != 0 || NOf(X00) < N || ChanOn(17) || ChanOn(24)) return 0;
  // the profile as it was, for the point-by-point run after a failure
  const TARe I0 = U.UI, Q0 = U.UQ, U0 = U.UU, V0 = U.UV;
  const double cont0 = U.CONT, teff0 = U.Teff;
  thread_local std::vector<int32_t> pts;
  thread_local std::vector<double> from;
  thread_local std::vector<TCONTR> rs;
  pts.clear();
  from.clear();
  rs.clear();
  TManyResult r = TManyResult::NotHere;
  // the last point when it only starts: CONT as its start leaves it
  TCONTR lastR;
  double lastX = 0, lastLam = 0;
  try {
    for (int32_t I = 1; I <= N; ++I) {
      const size_t i = static_cast<size_t>(I);
      C.WK.LAM = U.ChDL == '0' ? U.LAMB + U.UL[i] : U.UL[i];
      C.CheckLAM(I, U.LAMB, U.UL[i]);
      EnsureQUV(U);
      const double x00 = X00[i];
      if (x00 < X1) {
        // the point starts above this output depth: start values here, no integration
        C.WK.X = X1;
        Start(I, U, X1);
        if (I == N) {
          lastR = C.R;
          lastX = C.WK.X;
          lastLam = C.WK.LAM;
        }
        continue;
      }
      double Xs = X0;
      if (X0 > x00 || X1 == X0) {
        Xs = C.MX && C.MX->N >= 1 && x00 > C.MX->A[1] ? C.MX->A[1] : x00;
        C.WK.X = Xs;
        Start(I, U, Xs);
      }
      // the matrix the walk's first step reads
      C.WK.X = Xs;
      FACX();
      pts.push_back(I);
      from.push_back(Xs);
      rs.push_back(C.R);
    }
    r = IntegrateMany(U, pts.data(), from.data(), static_cast<int32_t>(pts.size()), X1, rs.data(),
                      Finished);
  } catch (...) {
    r = TManyResult::NotHere;
  }
  if (r == TManyResult::NotHere) {
    U.UI = I0;
    U.UQ = Q0;
    U.UU = U0;
    U.UV = V0;
    U.CONT = cont0;
    U.Teff = teff0;
    return 0;
  }
  if (r == TManyResult::Stopped) return 2;
  if (X00[static_cast<size_t>(N)] < X1) {
    C.R = lastR;
    C.WK.X = lastX;
    C.WK.LAM = lastLam;
  }
  U.CONT = C.MCONT->func(X1);
  SetTeff(U);
  for (int32_t I = 1; I <= N; ++I) U.UK[static_cast<size_t>(I)] = 1;
  return 1;
}

void InstallTransferKernels() {
  Models().PCONT.Install([](TVEMO& V) { PCONT(V); });
  Models().ZeeSetLine.Install([](TLIDA& L) { ZeeSetLine(L); });
  Models().ZeeSetByHand.Install([](TLIDA& L, const std::string& Text) { L.Zee.SetByHand(Text); });
  Synthesis().StartDepths.Install([](const TARe& UL, TARe& X00) {
    aSEX0(UL, UL.empty() ? 0 : static_cast<int32_t>(UL.size()) - 1, X00);
  });
  Synthesis().AdvancePoint.Install(
      [](int32_t I, TUNNO& U, double X0, double X1, double X00) { PLAM(I, U, X0, X1, X00); });
  Synthesis().AdvanceAll.Install([](TUNNO& U, double X0, double X1, const TARe& X00,
                                     const std::function<bool(int32_t)>& Finished) {
    return PLAMAll(U, X0, X1, X00, Finished);
  });
  Synthesis().LoadAccuracy.Install([] { VariLoadEps(); });
}
