// Wings and bisectors of an intensity profile: the level conventions, the wing-crossing search
// and its entry points, width and bisector at one level, the level-curve table, the nine-level
// bisector and the characteristic points of the bisector curve.
#include <algorithm>
#include <cmath>

#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "scans/cvBisec.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

// The integration tolerance of the calculation state (CONT.SETX.ERR): a level this close to a
// grid point's relative intensity is taken as that point.
double LevelTolerance() {
  const TCONT* c = CalcCtx().CONT;
  return c ? c->SETX.ERR : 0.0;
}

// Sized to N + 1 elements, reusing the array's storage.
void Size(TARe& A, int32_t N) { A.assign(static_cast<size_t>(N) + 1, 0.0); }

}  // namespace

std::string UnnoName(const TUNNO& U) {
  return U.QUEST + "." + IntStr(U.IQ) + " KVARI=" + IntStr(U.KVARI);
}

double TUNNO::RelLevel(char ChLev, double dLev) {
  double d = 1;
  switch (ChLev) {
    case '1':
    case 'A':
      break;
    case 'C':
      d = GetD0();
      break;
    case 'P':
      d = GetDepth();
      break;
    default:
      WARNAbs("UNNO RelLevel Err ChLev = <" + std::string(1, ChLev) + ">");
  }
  return 1 - d * dLev;
}

namespace {
// The wing search; the walk inwards starts at *From when given (a point outward of which every
// point lies above rLev, as the crossing of a higher level is), and the crossing's inner point
// is stored there.
double WingFrom(TUNNO& U, char Side, int32_t& IOut, int32_t& IIn, double rLev, double LevMin,
                int32_t* From) {
  if (ChanOn(11))
    Sayer->ChanLog(11, "--- WingPoint0 Started rLev=" + ShortSt(8, rLev) + " >>>>>>>>>>>>>>>> ");
  const std::string side(1, Side);
  const int32_t n = U.NDL;
  if (n < 2 || NOf(U.UL) < n || NOf(U.UI) < n) return -1;
  const int32_t s = Side == 'R' ? 1 : -1;
  const int32_t e = Side == 'R' ? n : 1;
  if (rLev > U.RI(e)) {
    WARN("UNNO.WingPoint" + side + " Err rLev Above WingR!");
    return -1;
  }
  const double m = LevMin != 0 ? LevMin : 1 - (U.DepthOK ? U.Depth : U.GetDepth());
  if (rLev < m) {
    WARN("UNNO.WingPoint" + side + " Err rLev Below DMax!");
    return -1;
  }
  if (U.KRef == 0) {
    const bool rises = Side == 'R' ? U.UI[n - 1] < U.UI[n] : U.UI[2] < U.UI[1];
    if (!rises) {
      WARNAbs("UNNO.WingPoint" + side + " Err глубина профиля НЕ убывает в крыло!"_cp + "\r\n" +
              "нужна более \"продвинутая\" функция определения положения крыла!"_cp);
      return -1;
    }
  }
  const int32_t other = Side == 'R' ? 1 : n;
  int32_t k = From && *From >= 1 && *From <= n ? *From : e;
  while (U.RI(k) > rLev && k != other) k -= s;
  if (From) *From = k;
  if (std::fabs(U.RI(k) - rLev) <= LevelTolerance()) {
    IOut = IIn = k;
    return U.UL[k];
  }
  if (k + s < 1 || k + s > n) {  // the level lies beyond the far end (LevMin below the core)
    IOut = IIn = k;
    return -1;
  }
  IIn = k;
  IOut = k + s;
  const double rIn = U.RI(IIn), rOut = U.RI(IOut);
  const double lam = LinIpol2(rLev, rOut, rIn, U.UL[IOut], U.UL[IIn]);
  const double lo = std::min(U.UL[IIn], U.UL[IOut]), hi = std::max(U.UL[IIn], U.UL[IOut]);
  if (lam < lo || lam > hi) {
    const int32_t nOut = Side == 'R' ? n - IOut : IOut - 1;
    int32_t nIn = 0;
    for (int32_t j = IIn; j - s >= 1 && j - s <= n && U.RI(j - s) < U.RI(j); j -= s) ++nIn;
    WARNAbs("WingPoint(" + side + ") ERROR LAM=" + FSt(12, 6, lam) + " вне пределов UL["_cp +
            IntStr(IIn) + "]=" + FSt(12, 6, U.UL[IIn]) + " и UL["_cp + IntStr(IOut) +
            "]=" + FSt(12, 6, U.UL[IOut]) + " !!!" + "\r\n" + "rLev=" + ShortSt(8, rLev) +
            " между RI["_cp + IntStr(IIn) + "]=" + ShortSt(9, rIn) + " и RI["_cp +
            IntStr(IOut) + "]=" + ShortSt(9, rOut) + "\r\n" +
            "число точек правее пересечения (\"в крыло\")="_cp + IntStr(nOut) + "\r\n" +
            "число точек левее  пересечения (\"в ядро\") ="_cp + IntStr(nIn));
  }
  return lam;
}

}  // namespace

double WingPoint(TUNNO& U, char Side, int32_t& IOut, int32_t& IIn, double rLev, double LevMin) {
  return WingFrom(U, Side, IOut, IIn, rLev, LevMin, nullptr);
}

double WingPointR(TUNNO& U, int32_t& IOut, int32_t& IIn, double rLev, double LevMin) {
  return WingPoint(U, 'R', IOut, IIn, rLev, LevMin) + U.DLVD;
}
double WingPointL(TUNNO& U, int32_t& IOut, int32_t& IIn, double rLev, double LevMin) {
  return WingPoint(U, 'L', IOut, IIn, rLev, LevMin) + U.DLVD;
}
double WingPointRS(TUNNO& U, double rLev, double LevMin) {
  int32_t o = 0, i = 0;
  return WingPointR(U, o, i, rLev, LevMin);
}
double WingPointLS(TUNNO& U, double rLev, double LevMin) { return U.WingLAt(rLev, LevMin); }

double TUNNO::WingRIdx(int32_t& IOut, int32_t& IIn, double rLev, double LevMin) {
  return WingPoint(*this, 'R', IOut, IIn, rLev, LevMin);
}
double TUNNO::WingLIdx(int32_t& IOut, int32_t& IIn, double rLev, double LevMin) {
  return WingPoint(*this, 'L', IOut, IIn, rLev, LevMin);
}

double TUNNO::WingRAt(double rLev, double LevMin) {
  int32_t o = 0, i = 0;
  return WingPoint(*this, 'R', o, i, rLev, LevMin);
}

namespace {
// The left wing of a half profile: the right one mirrored about the centre point.
double Mirror(const TUNNO& U, double Right) {
  if (U.ChDL == '0') return -Right;
  const int32_t c = U.ILAM > 0 ? U.ILAM : 1;
  return 2 * U.UL[c] - Right;
}
}  // namespace

double TUNNO::WingLAt(double rLev, double LevMin) {
  if (KSym == 1) {
    const double r = WingRAt(rLev, LevMin);
    return r == -1 ? -1 : Mirror(*this, r);
  }
  int32_t o = 0, i = 0;
  return WingPoint(*this, 'L', o, i, rLev, LevMin);
}

double TUNNO::WingRVD(double rLev) {
  const double r = WingRAt(rLev, 0);
  return r == -1 ? -1 : r + DLVD;
}
double TUNNO::WingLVD(double rLev) {
  const double l = WingLAt(rLev, 0);
  return l == -1 ? -1 : l + DLVD;
}

void TUNNO::WingsLamAt(char ChLev, double dLev, double& Left, double& Right) {
  const double rLev = RelLevel(ChLev, dLev);
  if (ChanOn(1))
    Sayer->ChanLog(1, "UNNO.WingsLamAt " + sULin + " ChDL=" + std::string(1, ChDL) +
                          " KSym=" + IntStr(KSym) + " ILAM=" + IntStr(ILAM) + " ChLev=" +
                          std::string(1, ChLev) + " dLev=" + ESt(3, dLev) + " rLev=" +
                          ESt(5, rLev));
  Right = WingRAt(rLev, 0);
  if (KSym == 1)
    Left = Mirror(*this, Right);
  else
    Left = WingLAt(rLev, 0);
}

void TUNNO::WingsLamVD(char ChLev, double dLev, double& Left, double& Right) {
  WingsLamAt(ChLev, dLev, Left, Right);
  Left += DLVD;
  Right += DLVD;
}

double TUNNO::WidthAt(char ChLev, double dLev) {
  double l = 0, r = 0;
  WingsLamAt(ChLev, dLev, l, r);
  // a missing wing (-1; a half profile mirrors it) gives 0, as the level-curve table has it
  if (r == -1 || (KSym != 1 && l == -1)) return 0;
  return (r - l) * 1000;
}

double TUNNO::BisecAt(char ChLev, double dLev) {
  double l = 0, r = 0;
  WingsLamAt(ChLev, dLev, l, r);
  if (r == -1 || (KSym != 1 && l == -1)) return 0;
  return ((l + DLVD + r + DLVD) / 2 - LAMB) * 1000;
}

void TUNNO::Bisector() {
  if (RStep == 0) RStep = 0.005;
  const double d = GetDepth();
  const int32_t n = static_cast<int32_t>(std::trunc(d / RStep)) + 1;
  Size(YInt, n);
  Size(BiSec, n);
  Size(WingL, n);
  Size(WingR, n);
  Size(Width, n);
  // the levels descend: each wing's walk starts where the level above found its crossing
  int32_t fromR = NDL, fromL = 1, o = 0, i = 0;
  auto vd = [&](double w) { return w == -1 ? -1 : w + DLVD; };
  double y = 1;
  for (int32_t k = 1; k <= n; ++k) {
    YInt[k] = y;
    const double r = WingFrom(*this, 'R', o, i, y, 0, &fromR);
    WingR[k] = vd(r);
    WingL[k] = vd(KSym == 1 ? (r == -1 ? -1 : Mirror(*this, r)) : WingFrom(*this, 'L', o, i, y, 0, &fromL));
    if (WingL[k] == -1 || WingR[k] == -1) {
      BiSec[k] = 0;
      Width[k] = 0;
    } else {
      BiSec[k] = (WingL[k] + WingR[k]) / 2;
      Width[k] = WingR[k] - WingL[k];
    }
    // the level of row k from the continuum (no summed rounding)
    y = 1 - k * RStep;
  }
}

void TUNNO::Bisector9() {
  const double cont = KCONT == 1 ? 1 : CONT;
  if (KSym == 1) Spread();
  if (NDL < 2 || NOf(UL) < NDL || NOf(UI) < NDL) return;
  // the line centre and the core level go in as copies: CalcBisec9 finds the minimum itself and
  // leaves the profile's own values alone
  double xmin = LamC, ymin = 1 - (DepthOK ? Depth : 0);
  TBand9 bis{}, wid{}, xl{}, xr{};
  int32_t next = 0;
  CalcBisec9(1, NDL, UL, UI, cont, xmin, ymin, bis, wid, xl, xr, next);
  for (int k = 1; k <= 9; ++k) {
    Bi9A[k - 1] = bis[k];
    Bi9B[k - 1] = wid[k];
    Bi9C[k - 1] = xl[k];
    Bi9D[k - 1] = xr[k];
  }
}

void TUNNO::BisecPoints(double& Mean, double& Deepest, double& Half, double& First, double& MaxB,
                        double& MinB, double& LevMax, double& LevMin) {
  Mean = Deepest = Half = First = MaxB = MinB = LevMax = LevMin = 0;
  const int32_t count = std::min({NOf(YInt), NOf(BiSec), NOf(WingL), NOf(WingR)});
  if (count < 1) return;
  if (!DepthOK) Depth = GetDepth();
  const double h = 1 - Depth / 2;
  auto usable = [&](int32_t k) { return WingL[k] != -1 && WingR[k] != -1; };
  int32_t k0 = 5;
  while (k0 < count && !usable(k0)) ++k0;
  if (k0 >= count) return;
  MinB = MaxB = First = BiSec[k0];
  LevMin = LevMax = YInt[k0];
  double sum = BiSec[k0], pB = BiSec[k0], pY = 1;
  int32_t n = 1;
  for (int32_t k = k0 + 1; k <= count - 4; ++k) {
    if (!usable(k)) continue;
    const double y = YInt[k];
    if (Half == 0 && y <= h) Half = y == h ? BiSec[k] : pB + (h - pY) / (y - pY) * (BiSec[k] - pB);
    pB = BiSec[k];
    pY = y;
    ++n;
    sum += BiSec[k];
    if (BiSec[k] < MinB) {
      MinB = BiSec[k];
      LevMin = y;
    }
    if (BiSec[k] > MaxB) {
      MaxB = BiSec[k];
      LevMax = y;
    }
    Deepest = BiSec[k];
  }
  Mean = sum / n;
}
