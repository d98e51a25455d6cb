#include "synthesis/me/cvRach.h"

#include <cmath>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvZeeman.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"

void RACH(const TMEPar& P, const TZEEMAN& Pattern, TUNNO& U, int32_t KVOIG) {
  if (P.DLD == 0) ErrAbs("RACH DLD=0!!!");
  if (U.KL == 1 && U.LAMB == 0) ErrAbs("RACH UN.KL=1 (Angstems) UN.LAMB=0!!!!!");
  const bool zeroMO = (KVOIG & 1) != 0;
  U.K4 = 4;
  U.AllocU();
  U.DLVD = P.DLVD;
  TCONTR R;
  R.ETAC = 1;
  const double cosg = std::cos(P.GM * M_PI / 180);
  const double sin2g = 1 - cosg * cosg;
  const double cos2chi = std::cos(2 * P.XI * M_PI / 180);
  const double sin2chi = std::sin(2 * P.XI * M_PI / 180);
  const double bm = P.BETTA * P.CTETA;
  const double Pw = bm / (1 + bm);
  const double VH = P.DLH / P.DLD;
  const bool coefs = ChanOn(12), delta2 = ChanOn(14);
  const bool absolute = U.ChDL != '0';
  // the components of every point in one Voigt batch; point by point while channel 4 traces
  const bool batch = !ChanOn(4);
  const size_t n = U.NDL > 0 ? static_cast<size_t>(U.NDL) : 0;
  thread_local std::vector<double> vs;
  thread_local std::vector<TCONTR> rs;
  auto distance = [&](int32_t i) {
    const double dl = absolute ? (U.UL[i] - U.LAMB) * 1000 : U.UL[i] * 1000;
    return -dl / P.DLD;
  };
  if (batch && n > 0) {
    if (vs.size() < n) vs.resize(n);
    if (rs.size() < n) rs.resize(n);
    for (int32_t i = 1; i <= U.NDL; ++i) vs[static_cast<size_t>(i - 1)] = distance(i);
    LINAMany(Pattern, vs.data(), U.NDL, VH, P.A, KVOIG, rs.data());
  }
  for (int32_t i = 1; i <= U.NDL; ++i) {
    if (batch) {
      const TCONTR& b = rs[static_cast<size_t>(i - 1)];
      R.EP = b.EP, R.EB = b.EB, R.ER = b.ER, R.RP = b.RP, R.RB = b.RB, R.RR = b.RR;
    } else {
      LINA(Pattern, R, distance(i), VH, P.A, KVOIG);
    }
    ScaleProfiles(R, P.ETA0);
    COEF(R, sin2g, cosg, sin2chi, cos2chi);
    if (zeroMO) R.RQ = R.RU = R.RV = 0;
    const double e = R.EI + 1;
    R.EF = e;
    const double e2 = e * e;
    const double w = R.EQ * R.RQ + R.EU * R.RU + R.EV * R.RV;
    R.ER2 = w;
    const double rho2 = R.RQ * R.RQ + R.RU * R.RU + R.RV * R.RV;
    const double eta2 = R.EQ * R.EQ + R.EU * R.EU + R.EV * R.EV;
    R.EE2 = eta2 - rho2;
    const double Delta = e2 * (e2 - R.EE2) - w * w;
    if (coefs) {
      U.UI[i] = 1 - R.EI / P.ETA0;
      U.UQ[i] = -R.EQ / P.ETA0;
      U.UU[i] = delta2 ? Delta / e2 / P.ETA0 : Delta / P.ETA0 / P.ETA0;
      U.UV[i] = -R.EV / P.ETA0;
      continue;
    }
    const double k = Pw / Delta;
    U.UI[i] = 1 - (1 - (e2 + rho2) * e / Delta) * Pw;
    U.UQ[i] = -(e2 * R.EQ + e * (R.EV * R.RU - R.EU * R.RV) + R.RQ * w) * k;
    U.UU[i] = -(e2 * R.EU + e * (R.EQ * R.RV - R.EV * R.RQ) + R.RU * w) * k;
    U.UV[i] = -(e2 * R.EV + R.RV * w) * k;
  }
  U.CONT = 1;
  U.KCONT = 1;
  U.K4 = 4;
  U.KSym = 1;
  U.ILAM = 1;
}

void RACH(const TMEPar& P, const TZEEMAN& Pattern, TUNNO& U) { RACH(P, Pattern, U, Cont().KVOIG); }
