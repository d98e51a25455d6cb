#include "synthesis/transfer/cvPCont.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvSpline.h"
#include "foundation/cvStr.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "models/vectors/cvVemoAt.h"
#include "synthesis/transfer/cvRK.h"

namespace {

// A number of a message; NaN and infinities named.
std::string NumText(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Inf" : "-Inf";
  return ShortSt(6, x);
}
constexpr double kLn10 = 2.302585093;
constexpr double kGap = 1e-7;  // the crossing gap at a probe layer's bounds

[[noreturn]] void ContError(const std::string& What, double X) {
  ErrAbs("PCONT ERR: " + What + " при LAM=" + FDecSt(3, Cont().WK.LAM) + " X=" + FSt(8, 4, X) +
         " - шаг интегрирования континуума не определен!"_cp);
}
}  // namespace

namespace {

// The continuum walk is a function of the depth grid, the spline tables of CONT.MB and CONT.MEC
// (with their probe layers), the angle, the wavelength and the step target: a grid of
// combinations over the field alone walks the same numbers again (twice per combination: before
// and after the wavelengths are set). The last walks of the thread (without a probe layer, over
// two depths or more) are kept under the bits of all of them and given back on an equal key,
// with what the walk leaves in the working record.
struct TContMemo {
  std::vector<double> Key;
  std::vector<double> A;
  double L = 0, X = 0, C10 = 0, B = 0, ETAC = 0, EF = 0;
  char Kind = 0;
  double WX = 0, WY = 0, WD = 0;
  bool Valid = false;

  void Keep(const TCONT& C) {
    L = C.R.L;
    X = C.R.X;
    C10 = C.R.C10;
    B = C.R.B;
    ETAC = C.R.ETAC;
    EF = C.R.EF;
    Kind = C.R.Kind;
    WX = C.WK.X;
    WY = C.WK.Y[1];
    WD = C.WK.D[1];
  }
  void Give(TCONT& C) const {
    C.R.L = L;
    C.R.X = X;
    C.R.C10 = C10;
    C.R.B = B;
    C.R.ETAC = ETAC;
    C.R.EF = EF;
    C.R.Kind = Kind;
    C.WK.X = WX;
    C.WK.Y[1] = WY;
    C.WK.D[1] = WD;
  }
};

// Appends a vector's evaluation inputs (its spline made now, as its first value would make it);
// false when func would not evaluate a spline.
bool AddVector(std::vector<double>& Key, TVEMO* V) {
  if (!V || !(V->ChIPOL == 0 || V->ChIPOL == 'S' || V->ChIPOL == 's')) return false;
  if (V->KSpl != TVEMO::SplineMark) V->SplineInit();
  if (V->KSpl != TVEMO::SplineMark || !V->SPLINE) return false;
  const TSPLINE& S = *V->SPLINE;
  const int32_t n = S.N;
  if (n < 1 || NOf(S.X) < n || NOf(S.Y) < n || NOf(S.B) < n || NOf(S.C) < n || NOf(S.D) < n)
    return false;
  Key.insert(Key.end(), {static_cast<double>(n), static_cast<double>(V->Ch), V->Val, V->XU,
                         V->XL, S.SlopeLeft, S.SlopeRight});
  for (const TARe* a : {&S.X, &S.Y, &S.B, &S.C, &S.D})
    Key.insert(Key.end(), a->begin() + 1, a->begin() + n + 1);
  return true;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

}  // namespace

void CONT_FACX() {
  TCONT& C = Cont();
  TCONTR& R = C.R;
  const double X = C.WK.X;
  if (R.Kind == 'C' && R.X == X && R.L == C.WK.LAM) return;
  const bool xChanged = R.Kind != 'C' || R.X != X;
  R.X = X;
  R.L = C.WK.LAM;
  R.Kind = 'C';
  if (xChanged) {
    // both on the model's depth grid: the last interval is tried first
    thread_local int32_t hint = 0;
    R.C10 = std::pow(10.0, X) * kLn10 / C.CTETA;
    R.B = VeMoFuncAt(*C.MB, X, hint);
    R.ETAC = VeMoFuncAt(*C.MEC, X, hint);
  }
  R.EF = R.ETAC;
  if (ChanOn(24))
    Sayer->ChanLog(24, "CONT_FACX X=" + FSt(6, 3, X) + " B=" + FSt(6, 2, R.B * 1e-12) +
                           " EC=" + FSt(8, 6, R.EF));
}

void CONTD() {
  TCONT& C = Cont();
  const TCONTR& R = C.R;
  const double I = C.WK.Y[1];
  if (R.ETAC > 1e20) ErrAbs("1");
  if (I > 1e20) ErrAbs("2");
  if (R.C10 > 1e20) ErrAbs("C10=" + EFSt(6, R.C10));
  C.WK.D[1] = R.ETAC * R.C10 * (I - R.B);
}

double StepC(TCONTR& R, double X, double X1, double DXMA, double EFDX) {
  const double rate = R.ETAC * R.C10;
  if (!(rate > 0) || !std::isfinite(rate)) ContError("ETAC*C10=" + NumText(rate), X);
  if (!(EFDX > 0) || !std::isfinite(EFDX)) ContError("EFDX=" + NumText(EFDX), X);
  double DX = -EFDX / rate;
  if (X + DX < X1) DX = X1 - X;
  if (std::fabs(DX) > DXMA) DX = -DXMA;
  return DX;
}

static void ContDeriv() {
  CONT_FACX();
  CONTD();
}

void CONT_LAUP(double& Y, double Xfrom, double Xto) {
  TCONT& C = Cont();
  double X = Xfrom;
  do {
    C.WK.X = X;
    CONT_FACX();
    const double DX = StepC(C.R, X, Xto, C.SETX.DXMA, C.SETX.EFDX);
    if (ChanOn(24))
      Sayer->ChanLog(24, "CONT_LAUP X0=" + FSt(6, 3, Xfrom) + " X1=" + FSt(6, 3, Xto) + " X=" +
                             FSt(6, 3, X) + " DX=" + FSt(6, 3, DX));
    if (!(X + DX < X) && X > Xto) ContError("шаг DX=" + NumText(DX), X);
    RK4I(ContDeriv, Y, DX, X);
    Y = C.WK.Y[1];
    X = X + DX;
  } while (!(X <= Xto));
  C.WK.X = X;
}

void PCONTStep(int32_t i, double& Y, double& Xprev, TVEMO& V, const TVEMO& Xvec) {
  const double Xnext = Xvec.A[static_cast<size_t>(i)];
  const double y0 = Y;
  CONT_LAUP(Y, Xprev, Xnext);
  if (ChanOn(24))
    Sayer->ChanAppend(24, "PCONT[" + IntStr(i) + "] X0=" + FSt(6, 3, Xprev) + " X1=" +
                              FSt(6, 3, Xnext) + " Y=" + FSt(6, 3, y0 * 1e-12) + " => " +
                              FSt(6, 3, Y * 1e-12));
  Xprev = Xnext;
  V.A[static_cast<size_t>(i)] = Y;
}

void PCONT(TVEMO& V) {
  TCONT& C = Cont();
  // the continuum steps are at most 0.001 in X for the whole run
  struct TRestore {
    double& Ref;
    double Saved;
    ~TRestore() { Ref = Saved; }
  } restore{C.SETX.DXMA, C.SETX.DXMA};
  C.SETX.DXMA = 0.001;

  if (V.MJU == 0) {
    WARNAbs("PCONT ERR: гелиоцентрич.угол MCONT.MJU=0!"_cp);
    return;
  }
  if (V.LAM == 0) WARNAbs("PCONT ERR: не задана дл.волны MCONT.LAM=0!"_cp);
  // without a step target the walk would not advance
  if (!(C.SETX.EFDX > 0))
    ErrAbs("PCONT ERR: CONT.SETX.EFDX=0 - возможно не был запущен VariLoadEps!"_cp);

  TLVEMO& K = Keeper();
  const std::string lamId = TVEMO::LamSId(V.LAM);
  TVEMO* X = K.NeedWrkVeMo("X", V.sMOD, "", V.FMOD);
  TVEMO* B = K.NeedWrkVeMo("B", V.sMOD, lamId, V.FMOD);
  TVEMO* E = K.NeedWrkVeMo("ETAC", V.sMOD, lamId, V.FMOD);
  if (!C.MB) C.MB = B;
  if (!C.MEC) C.MEC = E;
  const int32_t N = X->N;
  V.N = N;
  V.A.assign(static_cast<size_t>(N) + 1, 0.0);
  B->SplineInit();
  E->SplineInit();

  double Xprev = X->A[1];
  V.A[1] = B->func(X->A[1]);
  C.WK.X = X->A[1];
  C.WK.LAM = V.LAM;
  C.CTETA = V.MJU;
  C.R.Kind = 0;

  char kind = 0;
  double XU = 0, XL = 0;
  B->GetHolePar("PCONT", nullptr, XU, XL, kind);
  E->GetHolePar("PCONT", nullptr, XU, XL, kind);

  // the same walk as one of the thread's last ones: its values and the record it left
  constexpr int kMemos = 4;
  thread_local TContMemo memos[kMemos];
  thread_local int nextMemo = 0;
  thread_local std::vector<double> key;
  key.clear();
  const bool keyed = kind == 0 && N >= 2 && !ChanOn(24) && AddVector(key, C.MB) &&
                     AddVector(key, C.MEC);
  if (keyed) {
    key.insert(key.end(), {static_cast<double>(N), V.MJU, V.LAM, C.SETX.EFDX, C.SETX.DXMA,
                           V.A[1]});
    key.insert(key.end(), X->A.begin() + 1, X->A.begin() + N + 1);
    for (const TContMemo& memo : memos)
      if (memo.Valid && SameBits(memo.Key, key)) {
        V.A = memo.A;
        memo.Give(C);
        V.SetFilled();
        V.SetParents(X);
        V.AddParents(B);
        V.AddParents(E);
        return;
      }
  }

  if (kind == 0) {
    double Y = V.A[1];
    for (int32_t i = 2; i <= N; ++i) PCONTStep(i, Y, Xprev, V, *X);
  } else {
    const double d = kGap;
    double Y = C.MB->func(X->A[1]);
    V.A[1] = Y;
    int32_t i = 2;
    while (i <= N) {
      double Xnext = X->A[static_cast<size_t>(i)];
      if (XU >= Xprev || Xnext >= XL) {
        CONT_LAUP(Y, Xprev, Xnext);
        V.A[static_cast<size_t>(i)] = Y;
        Xprev = Xnext;
        ++i;
        continue;
      }
      if (Xprev > XL) {
        CONT_LAUP(Y, Xprev, XL);
        Xprev = XL;
      }
      if (XU >= Xnext) {
        // the layer ends in this interval
        if (Xprev == XL) Xprev = XL - d;
        if (Xprev > XU + d) {
          CONT_LAUP(Y, Xprev, XU + d);
          CONT_LAUP(Y, XU, Xnext);
        } else {
          CONT_LAUP(Y, Xprev, Xnext);
        }
        V.A[static_cast<size_t>(i)] = Y;
        Xprev = Xnext;
        ++i;
        continue;
      }
      // the layer goes on past Xnext: nodes inside it
      do {
        if (Xprev == XL) Xprev = XL - d;
        if (Xnext == XU) WARNAbs("fctX1 = X1");
        CONT_LAUP(Y, Xprev, Xnext);
        V.A[static_cast<size_t>(i)] = Y;
        Xprev = Xnext;
        ++i;
        if (i > N) break;
        Xnext = X->A[static_cast<size_t>(i)];
      } while (Xnext > XU && i < N);
      if (i > N) break;  // the layer reaches the top of the grid
      if (Xnext > XU) {
        // the last node, still inside the layer
        CONT_LAUP(Y, Xprev, Xnext);
      } else if (Xprev > XU + d) {
        if (Xprev == XL) WARNAbs("Ха-Ха-Ха 235!"_cp);
        CONT_LAUP(Y, Xprev, XU + d);
        CONT_LAUP(Y, XU, Xnext);
      } else {
        // a node within the gap of the lower bound: straight to the next node
        CONT_LAUP(Y, Xprev, Xnext);
      }
      V.A[static_cast<size_t>(i)] = Y;
      Xprev = Xnext;
      ++i;
    }
  }
  if (keyed) {
    TContMemo& memo = memos[nextMemo];
    nextMemo = (nextMemo + 1) % kMemos;
    memo.Key.swap(key);
    memo.A = V.A;
    memo.Keep(C);
    memo.Valid = true;
  }
  V.SetFilled();
  V.SetParents(X);
  V.AddParents(B);
  V.AddParents(E);
}
