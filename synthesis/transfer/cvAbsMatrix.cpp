#include "synthesis/transfer/cvAbsMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#include <limits>

#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvVemo.h"
#include "models/vectors/cvVemoAt.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

// A number of a message; NaN and infinities named.
std::string NumText(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Inf" : "-Inf";
  return ShortSt(6, x);
}

constexpr double kLn10 = 2.302585093;

std::string F63(double x) { return FSt(6, 3, x); }

std::string ProfileSums(const TCONTR& R) {
  return " EP=" + F63(R.EP) + " EB=" + F63(R.EB) + " ER=" + F63(R.ER) + " RP=" + F63(R.RP) +
         " RB=" + F63(R.RB) + " RR=" + F63(R.RR);
}

[[noreturn]] void BadValue(const std::string& What, double X, double Lam) {
  ErrAbs("FACX ERR: " + What + " при X=" + FSt(7, 4, X) + " LAM=" + FDecSt(3, Lam) +
         " - матрица поглощения не определена!"_cp);
}

// Depth quantities at X: B, S, C10, ETAC, the line vectors and (Field) the field vectors,
// evaluated once per depth and copied into the record. The vectors share the model's depth grid:
// they are evaluated together from one table of their coefficients (TVeMoRow), the field
// vectors in the same table when wanted.
// The vectors of the depth row: B, S, ETAC, then DLD, A, ETA of every line, then VD (and DLH, GM,
// XI with the field); K is the count without the field's three.
void RowVectors(const TCONT& C, int32_t N, bool Field, std::vector<TVEMO*>& Vs, size_t& K) {
  K = 4 + 3 * static_cast<size_t>(N);
  Vs.resize(Field ? K + 3 : K);
  Vs[0] = C.MB;
  Vs[1] = C.MS;
  Vs[2] = C.MEC;
  for (int32_t i = 1; i <= N; ++i) {
    const TLINEDATA& it = C.LiSet.Items[static_cast<size_t>(i)];
    const size_t o = 3 * static_cast<size_t>(i);
    Vs[o] = it.DLD;
    Vs[o + 1] = it.A;
    Vs[o + 2] = it.ETA;
  }
  Vs[K - 1] = C.MDLVD;
  if (Field) {
    Vs[K] = C.MDLH;
    Vs[K + 1] = C.MGM;
    Vs[K + 2] = C.MXI;
  }
}

void DepthValues(TCONT& C, double X, bool Field) {
  TCONTXCache& xc = C.XC;
  const int32_t n = C.LiSet.Count;
  const bool have = xc.Valid && xc.X == X && xc.DLD.size() == static_cast<size_t>(n) + 1;
  if (!have || (Field && !xc.FieldValid)) {
    if (!(C.CTETA != 0) || !std::isfinite(C.CTETA))
      BadValue("косинус угла CONT.CTETA=0"_cp, X, C.WK.LAM);
    xc.Valid = xc.FieldValid = false;
    xc.C10 = std::pow(10.0, X) * kLn10 / C.CTETA;
    std::vector<TVEMO*>& vs = xc.RowVecs;
    size_t K = 0;
    RowVectors(C, n, Field, vs, K);
    const size_t KF = vs.size();
    xc.RowVals.resize(KF);
    double* v = xc.RowVals.data();
    (Field ? xc.FieldRow : xc.Row).Eval(vs.data(), static_cast<int32_t>(KF), X, v);
    xc.B = v[0];
    xc.S = v[1];
    xc.ETAC = v[2];
    xc.DLD.resize(static_cast<size_t>(n) + 1);
    xc.A.resize(static_cast<size_t>(n) + 1);
    xc.ETA.resize(static_cast<size_t>(n) + 1);
    for (int32_t i = 1; i <= n; ++i) {
      const size_t o = 3 * static_cast<size_t>(i), iu = static_cast<size_t>(i);
      const double dld = v[o];
      if (!(dld > 0) || !std::isfinite(dld))
        BadValue("доплеровская ширина линии <"_cp + C.LiSet.Items[iu].LI.GetName() + ">=" +
                     NumText(dld),
                 X, C.WK.LAM);
      xc.DLD[iu] = dld;
      xc.A[iu] = v[o + 1];
      xc.ETA[iu] = v[o + 2];
    }
    xc.VD = v[K - 1];
    xc.X = X;
    xc.Valid = true;
    if (Field) {
      xc.DLH = v[K];
      const double gamma = v[K + 1], chi = v[K + 2];
      // a field direction constant over depth gives the same angles at every depth
      if (!xc.AnglesValid || std::memcmp(&gamma, &xc.GammaOf, sizeof gamma) != 0 ||
          std::memcmp(&chi, &xc.ChiOf, sizeof chi) != 0) {
        xc.COSG = std::cos(gamma * M_PI / 180);
        xc.SIN2G = 1 - xc.COSG * xc.COSG;
        xc.COS2CHI = std::cos(2 * chi * M_PI / 180);
        xc.SIN2CHI = std::sin(2 * chi * M_PI / 180);
        xc.GammaOf = gamma;
        xc.ChiOf = chi;
        xc.AnglesValid = true;
      }
      xc.FieldValid = true;
    }
  }
  TCONTR& R = C.R;
  R.C10 = xc.C10;
  R.B = xc.B;
  R.S = xc.S;
  R.ETAC = xc.ETAC;
}

}  // namespace

namespace {

inline bool Bit(int32_t Word, int N) { return (static_cast<uint32_t>(Word) >> N) & 1u; }

inline int32_t PatternComps(const TZEEMAN& P) {
  return P.NCOMP < 0 ? 0 : (P.NCOMP > TZEEMAN::MAXCOMP ? TZEEMAN::MAXCOMP : P.NCOMP);
}

// A pattern's six sums: absorption (E) and dispersion (R) of the pi (P) and the blue (B) and red
// (R) sigma components.
struct TCompSums {
  double EP = 0, EB = 0, ER = 0, RP = 0, RB = 0, RR = 0;
  // Component of strength S with its blue (Hb, Fb) and red (Hr, Fr) values; PiOnce (bit 4 of the
  // switch word): a pi component counts its red value only.
  void Add(bool Sigma, bool PiOnce, double S, double Hb, double Fb, double Hr, double Fr) {
    if (Sigma) {
      EB += (Hb < 1e-30 ? 0.0 : Hb) * S;
      RB += Fb * S;
      ER += (Hr < 1e-30 ? 0.0 : Hr) * S;
      RR += Fr * S;
    } else {
      if (!PiOnce) {
        EP += Hb * S;
        RP += Fb * S;
      }
      EP += Hr * S;
      RP += Fr * S;
    }
  }
};

// The dispersion sums' factor of the switch word's bits 0-2.
inline double DispersionFactor(int32_t KVOIG) {
  double K = 1.0;
  if (Bit(KVOIG, 0)) K = 0;
  if (Bit(KVOIG, 1)) K = -K;
  if (Bit(KVOIG, 2)) K *= 2;
  return K;
}

void LinaEntryLog(const TCONTR& R, double V, double VH, double A) {
  Sayer->ChanLog(4, "LINA  L=" + FDecSt(3, R.L) + " X=" + FDecSt(2, R.X) + " V=" + F63(V) +
                        " VH=" + F63(VH) + " A=" + FSt(5, 3, A));
}

// The positions of a pattern's components, blue then red (a component without shift once), from
// v[0], each with the damping A in a[] when given; Ib[k], Ir[k] (k from 1) are the indices of
// component k's two values. Returns the count.
int32_t LinaPositions(const TZEEMAN& P, double V, double VH, double* v, int32_t* Ib, int32_t* Ir,
                      double A = 0, double* a = nullptr) {
  const int32_t n = PatternComps(P);
  int32_t m = 0;
  for (int32_t k = 1; k <= n; ++k) {
    const double vb = V - VH * P.Shift[k], vr = V + VH * P.Shift[k];
    Ib[k] = m;
    if (a) a[m] = A;
    v[m++] = vb;
    // the red value is written anyway and kept when it differs
    const bool two = vr != vb;
    Ir[k] = two ? m : Ib[k];
    if (a) a[m] = A;
    v[m] = vr;
    m += two;
  }
  return m;
}

// R's EP..RR from the components' H and F at the positions of LinaPositions, times the switch
// word's factor.
void LinaSums(const TZEEMAN& P, TCONTR& R, double A, int32_t KVOIG, const double* H,
              const double* F, const int32_t* Ib, const int32_t* Ir, bool Trace) {
  const int32_t n = PatternComps(P);
  const bool piOnce = Bit(KVOIG, 4);
  TCompSums c;
  for (int32_t k = 1; k <= n; ++k)
    c.Add(k > P.NPI, piOnce, P.Strength[k], H[Ib[k]], F[Ib[k]], H[Ir[k]], F[Ir[k]]);
  // F is the Faraday-Voigt function of v counted positive to the blue; with the default word
  // (K = -2) the products are the dispersion profiles 2 F of v counted positive to the red
  double K = DispersionFactor(KVOIG);
  if (Bit(KVOIG, 3)) {
    double h0, f0;
    VoigtFunc(A, 0, h0, f0);
    if (!(h0 > 0) || !std::isfinite(h0))
      ErrAbs("LINA ERR: H(A,0)=" + NumText(h0) + " при A=" + NumText(A) +
             " - деление на H(A,0) невозможно (бит 3 #KVOIG)!"_cp);
    K /= h0;
  }
  R.EP = c.EP;
  R.EB = c.EB;
  R.ER = c.ER;
  R.RP = c.RP * K;
  R.RB = c.RB * K;
  R.RR = c.RR * K;
  if (Trace)
    Sayer->ChanLog(4, "LINA + KVOIG=" + IntStr(KVOIG) + " K=" + FSt(6, 2, K) + " L=" +
                          FDecSt(3, R.L) + " X=" + FDecSt(2, R.X) + ProfileSums(R));
}

// COEF without its trace lines.
inline void CoefValues(TCONTR& R, double Sin2g, double Cosg, double Sin2chi, double Cos2chi) {
  const double sig = R.EB + R.ER, rsig = R.RB + R.RR;
  R.EI = R.EP * Sin2g + sig * (2 - Sin2g);
  R.EQ = Cos2chi * Sin2g * (R.EP - sig);
  R.EU = Sin2chi * Sin2g * (R.EP - sig);
  R.EV = 2 * Cosg * (R.ER - R.EB);
  R.RQ = Cos2chi * Sin2g * (R.RP - rsig);
  R.RU = Sin2chi * Sin2g * (R.RP - rsig);
  R.RV = 2 * Cosg * (R.RR - R.RB);
  R.EF = R.EI + R.ETAC;
}

}  // namespace

void LINA(const TZEEMAN& P, TCONTR& R, double V, double VH, double A, int32_t KVOIG) {
  if (ChanOn(4)) LinaEntryLog(R, V, VH, A);
  // every component's two positions in one batch of the Voigt method
  double v[2 * TZEEMAN::MAXCOMP], H[2 * TZEEMAN::MAXCOMP], F[2 * TZEEMAN::MAXCOMP];
  int32_t ib[TZEEMAN::MAXCOMP + 1], ir[TZEEMAN::MAXCOMP + 1];
  const int32_t m = LinaPositions(P, V, VH, v, ib, ir);
  VoigtFuncBatch(A, v, m, H, F);
  LinaSums(P, R, A, KVOIG, H, F, ib, ir, ChanOn(4));
}

void LINA(const TZEEMAN& Pattern, TCONTR& R, double V, double VH, double A) {
  LINA(Pattern, R, V, VH, A, Cont().KVOIG);
}

void LINAMany(const TZEEMAN& P, const double* V, int32_t N, double VH, double A, int32_t KVOIG,
              TCONTR* R) {
  if (N <= 0) return;
  // work arrays of the thread, grown and never shrunk
  thread_local std::vector<double> v, H, F;
  thread_local std::vector<int32_t> off;
  const size_t need = static_cast<size_t>(N) * 2 * static_cast<size_t>(PatternComps(P)) + 1;
  if (v.size() < need) {
    v.resize(need);
    H.resize(need);
    F.resize(need);
  }
  if (off.size() < static_cast<size_t>(N) + 1) off.resize(static_cast<size_t>(N) + 1);
  int32_t ib[TZEEMAN::MAXCOMP + 1], ir[TZEEMAN::MAXCOMP + 1];
  int32_t m = 0;
  for (int32_t j = 0; j < N; ++j) {
    off[static_cast<size_t>(j)] = m;
    m += LinaPositions(P, V[j], VH, v.data() + m, ib, ir);
  }
  VoigtFuncBatch(A, v.data(), m, H.data(), F.data());
  double w[2 * TZEEMAN::MAXCOMP];
  const bool trace = ChanOn(4);
  for (int32_t j = 0; j < N; ++j) {
    // the same positions again, for their component indices
    LinaPositions(P, V[j], VH, w, ib, ir);
    const size_t o = static_cast<size_t>(off[static_cast<size_t>(j)]);
    LinaSums(P, R[j], A, KVOIG, H.data() + o, F.data() + o, ib, ir, trace);
  }
}

void ScaleProfiles(TCONTR& R, double Factor) {
  R.EP *= Factor;
  R.EB *= Factor;
  R.ER *= Factor;
  R.RP *= Factor;
  R.RB *= Factor;
  R.RR *= Factor;
}

void COEF(TCONTR& R, double Sin2g, double Cosg, double Sin2chi, double Cos2chi) {
  if (ChanOn(5))
    Sayer->ChanLog(5, "COEF L=" + FDecSt(3, R.L) + " X=" + FDecSt(2, R.X) + ProfileSums(R));
  CoefValues(R, Sin2g, Cosg, Sin2chi, Cos2chi);
  if (ChanOn(5))
    Sayer->ChanLog(5, "COEF L=" + FDecSt(3, R.L) + " X=" + FDecSt(2, R.X) + " EF=" + F63(R.EF) +
                          " EI=" + F63(R.EI) + " EQ=" + F63(R.EQ) + " EU=" + F63(R.EU) +
                          " EV=" + F63(R.EV) + " RQ=" + F63(R.RQ) + " RU=" + F63(R.RU) +
                          " RV=" + F63(R.RV));
}

void ResetFACX() {
  TCONT& C = Cont();
  C.R.Kind = 0;
  C.RAhead[0].Kind = C.RAhead[1].Kind = 0;
  C.XC.Valid = C.XC.FieldValid = false;
}

namespace {

// One batch of FACX: the component positions of up to kFacxSets patterns (lines and hyperfine
// components), each with its damping, evaluated in one call of the Voigt method.
constexpr int32_t kFacxPos = 256;
constexpr int32_t kFacxSets = 64;

struct TFacxSet {
  const TZEEMAN* P;
  double A, Scale;
  int32_t Pos, Comp;  // offsets of the set's values and component indices
};

struct TFacxBatch {
  double v[kFacxPos], a[kFacxPos], H[kFacxPos], F[kFacxPos];
  int32_t ib[kFacxPos], ir[kFacxPos];
  TFacxSet sets[kFacxSets];
  int32_t nPos = 0, nComp = 0, nSets = 0;
};

}  // namespace

namespace {

// FACX with the trace lines of LINA and COEF (or the switch word's division by H(A, 0)).
void FacxTraced(TCONT& C, double Lam) {
  TCONTR& R = C.R;
  const TCONTXCache& xc = C.XC;
  double sEI = 0, sEQ = 0, sEU = 0, sEV = 0, sRQ = 0, sRU = 0, sRV = 0;
  const int32_t kv = C.KVOIG;
  // with the LINA trace on, one pattern per batch keeps the trace lines in their order
  const bool trace4 = ChanOn(4), trace5 = ChanOn(5);
  TFacxBatch b;
  auto flush = [&]() {
    VoigtFuncBatchA(b.a, b.v, b.nPos, b.H, b.F);
    for (int32_t s = 0; s < b.nSets; ++s) {
      const TFacxSet& q = b.sets[s];
      LinaSums(*q.P, R, q.A, kv, b.H + q.Pos, b.F + q.Pos, b.ib + q.Comp, b.ir + q.Comp,
               trace4);
      ScaleProfiles(R, q.Scale);
      if (trace5)
        COEF(R, xc.SIN2G, xc.COSG, xc.SIN2CHI, xc.COS2CHI);
      else
        CoefValues(R, xc.SIN2G, xc.COSG, xc.SIN2CHI, xc.COS2CHI);
      sEI += R.EI;
      sEQ += R.EQ;
      sEU += R.EU;
      sEV += R.EV;
      sRQ += R.RQ;
      sRU += R.RU;
      sRV += R.RV;
    }
    b.nPos = b.nComp = b.nSets = 0;
  };
  for (int32_t i = 1; i <= C.LiSet.Count; ++i) {
    const TLINEDATA& it = C.LiSet.Items[static_cast<size_t>(i)];
    const size_t iu = static_cast<size_t>(i);
    const double dld = xc.DLD[iu], a = xc.A[iu], eta = xc.ETA[iu];
    const double dl = -(Lam - it.LI.LAMB) * 1000;
    const double VH = xc.DLH / dld;
    const THFS* hfs = it.LI.HFS.get();
    const int32_t n = hfs && hfs->N >= 1 ? hfs->N : 1;
    const TZEEMAN& P = it.LI.Zee;
    const int32_t nc = PatternComps(P);
    for (int32_t m = 1; m <= n; ++m) {
      const size_t mu = static_cast<size_t>(m);
      const double v = n == 1 ? (dl + xc.VD) / dld : (dl - hfs->Shift[mu] + xc.VD) / dld;
      if (b.nPos + 2 * nc > kFacxPos || b.nComp + nc + 1 > kFacxPos || b.nSets == kFacxSets)
        flush();
      if (trace4) LinaEntryLog(R, v, VH, a);
      TFacxSet& q = b.sets[b.nSets++];
      q.P = &P;
      q.A = a;
      q.Scale = n == 1 ? eta : eta * hfs->Int[mu];
      q.Pos = b.nPos;
      q.Comp = b.nComp;
      const int32_t cnt =
          LinaPositions(P, v, VH, b.v + b.nPos, b.ib + b.nComp, b.ir + b.nComp, a, b.a + b.nPos);
      b.nPos += cnt;
      b.nComp += nc + 1;
      if (trace4) flush();
    }
  }
  if (b.nSets > 0) flush();
  R.EI = sEI;
  R.EQ = sEQ;
  R.EU = sEU;
  R.EV = sEV;
  R.RQ = sRQ;
  R.RU = sRU;
  R.RV = sRV;
  R.EF = R.EI + R.ETAC;
}

// The depth values one evaluation of the matrix reads (DepthValues' results at its depth): the
// line values of line i at V[3 i], V[3 i + 1], V[3 i + 2] (DLD, A, ETA), as in the depth row.
struct TFacxDepth {
  double Lam;
  double C10, B, S, ETAC, VD, DLH, SIN2G, COSG, SIN2CHI, COS2CHI;
  const double* V;
};

TFacxDepth DepthOf(const TCONTXCache& xc, double Lam) {
  return {Lam,     xc.C10,     xc.B,       xc.S,    xc.ETAC,
          xc.VD,   xc.DLH,     xc.SIN2G,   xc.COSG, xc.SIN2CHI,
          xc.COS2CHI, xc.RowVals.data()};
}

// FACX without trace lines for NJ (wavelength, depth) pairs into Out[j]: the patterns' Voigt
// values in batches of many, each pair's sums in FACX's order.
void FacxPlain(TCONT& C, const TFacxDepth* D, TCONTR* const* Out, int32_t NJ) {
  const int32_t kv = C.KVOIG;
  const double K = DispersionFactor(kv);
  const bool piOnce = Bit(kv, 4);
  struct TSet {
    const TZEEMAN* P;
    double Scale;
    int32_t Pos, Comp, Job;
  };
  constexpr int32_t kPos = 4 * kFacxPos, kSets = 4 * kFacxSets;
  struct TBatch {
    double v[kPos], a[kPos], H[kPos], F[kPos];
    unsigned char two[kPos];  // per component: its red value is a value of its own
    TSet sets[kSets];
  };
  thread_local TBatch b;
  int32_t nPos = 0, nComp = 0, nSets = 0;
  // per pair: the last pattern's EP..RR, then the sums EI..RV
  double accFew[2][13] = {};
  char anyFew[2] = {0, 0};
  thread_local std::vector<double> accMany;
  thread_local std::vector<char> anyMany;
  double* acc = accFew[0];
  char* any = anyFew;
  if (NJ > 2) {
    // the sums of a pair are zeroed when its first pattern comes
    if (accMany.size() < static_cast<size_t>(NJ) * 13) accMany.resize(static_cast<size_t>(NJ) * 13);
    anyMany.assign(static_cast<size_t>(NJ), 0);
    acc = accMany.data();
    any = anyMany.data();
  }
  auto flush = [&]() __attribute__((always_inline)) {
    VoigtFuncBatchA(b.a, b.v, nPos, b.H, b.F);
    for (int32_t q = 0; q < nSets; ++q) {
      const TSet& st = b.sets[q];
      const TZEEMAN& P = *st.P;
      const int32_t n = PatternComps(P), npi = P.NPI;
      const double* H = b.H + st.Pos;
      const double* F = b.F + st.Pos;
      const unsigned char* two = b.two + st.Comp;
      TCompSums c;
      int32_t m = 0;
      for (int32_t k = 1; k <= n; ++k) {
        const int32_t blue = m;
        m += two[k];
        c.Add(k > npi, piOnce, P.Strength[k], H[blue], F[blue], H[m], F[m]);
        ++m;
      }
      const double f = st.Scale;
      const double EP = c.EP * f, EB = c.EB * f, ER = c.ER * f;
      const double RP = c.RP * K * f, RB = c.RB * K * f, RR = c.RR * K * f;
      const TFacxDepth& d = D[st.Job];
      const double sin2g = d.SIN2G, cosg = d.COSG, sin2chi = d.SIN2CHI, cos2chi = d.COS2CHI;
      const double sig = EB + ER, rsig = RB + RR;
      double* A = acc + 13 * st.Job;
      if (!any[st.Job]) std::fill(A + 6, A + 13, 0.0);
      A[0] = EP;
      A[1] = EB;
      A[2] = ER;
      A[3] = RP;
      A[4] = RB;
      A[5] = RR;
      A[6] += EP * sin2g + sig * (2 - sin2g);
      A[7] += cos2chi * sin2g * (EP - sig);
      A[8] += sin2chi * sin2g * (EP - sig);
      A[9] += 2 * cosg * (ER - EB);
      A[10] += cos2chi * sin2g * (RP - rsig);
      A[11] += sin2chi * sin2g * (RP - rsig);
      A[12] += 2 * cosg * (RR - RB);
      any[st.Job] = 1;
    }
    nPos = nComp = nSets = 0;
  };
  for (int32_t i = 1; i <= C.LiSet.Count; ++i) {
    const TLINEDATA& it = C.LiSet.Items[static_cast<size_t>(i)];
    const size_t iu = static_cast<size_t>(i);
    const THFS* hfs = it.LI.HFS.get();
    const int32_t nh = hfs && hfs->N >= 1 ? hfs->N : 1;
    const TZEEMAN& P = it.LI.Zee;
    const int32_t nc = PatternComps(P);
    for (int32_t j = 0; j < NJ; ++j) {
      const TFacxDepth& d = D[j];
      const double dl = -(d.Lam - it.LI.LAMB) * 1000;
      const double dld = d.V[3 * iu], a = d.V[3 * iu + 1], eta = d.V[3 * iu + 2];
      const double VH = d.DLH / dld;
      for (int32_t m = 1; m <= nh; ++m) {
        const size_t mu = static_cast<size_t>(m);
        const double v = nh == 1 ? (dl + d.VD) / dld : (dl - hfs->Shift[mu] + d.VD) / dld;
        if (nPos + 2 * nc > kPos || nComp + nc + 1 > kPos || nSets == kSets) flush();
        TSet& st = b.sets[nSets++];
        st.P = &P;
        st.Scale = nh == 1 ? eta : eta * hfs->Int[mu];
        st.Pos = nPos;
        st.Comp = nComp;
        st.Job = j;
        // blue then red; a red value equal to the blue one is not a value of its own
        double* pv = b.v + nPos;
        double* pa = b.a + nPos;
        unsigned char* two = b.two + nComp;
        int32_t c = 0;
        for (int32_t k = 1; k <= nc; ++k) {
          const double vb = v - VH * P.Shift[k], vr = v + VH * P.Shift[k];
          pa[c] = a;
          pv[c++] = vb;
          const bool t = vr != vb;
          two[k] = t;
          pa[c] = a;
          pv[c] = vr;
          c += t;
        }
        nPos += c;
        nComp += nc + 1;
      }
    }
  }
  if (nSets > 0) flush();
  for (int32_t j = 0; j < NJ; ++j) {
    TCONTR& R = *Out[j];
    double* A = acc + 13 * j;
    if (!any[j]) std::fill(A + 6, A + 13, 0.0);  // no line: no sums
    if (any[j]) {
      R.EP = A[0];
      R.EB = A[1];
      R.ER = A[2];
      R.RP = A[3];
      R.RB = A[4];
      R.RR = A[5];
    }
    R.EI = A[6];
    R.EQ = A[7];
    R.EU = A[8];
    R.EV = A[9];
    R.RQ = A[10];
    R.RU = A[11];
    R.RV = A[12];
    R.EF = R.EI + R.ETAC;
  }
}

bool FacxTraces(const TCONT& C) { return ChanOn(4) || ChanOn(5) || Bit(C.KVOIG, 3); }

}  // namespace

void FACX() {
  TCONT& C = Cont();
  TCONTR& R = C.R;
  const double X = C.WK.X, Lam = C.WK.LAM;
  if (R.Kind == 'U' && X == R.X && Lam == R.L) return;
  for (TCONTR& Ahead : C.RAhead)
    if (Ahead.Kind == 'U' && X == Ahead.X && Lam == Ahead.L) {
      // made ahead (FACXAhead): the fields FACX sets
      R.L = Lam;
      R.X = X;
      R.Kind = 'U';
      R.C10 = Ahead.C10;
      R.B = Ahead.B;
      R.S = Ahead.S;
      R.ETAC = Ahead.ETAC;
      R.EP = Ahead.EP;
      R.EB = Ahead.EB;
      R.ER = Ahead.ER;
      R.RP = Ahead.RP;
      R.RB = Ahead.RB;
      R.RR = Ahead.RR;
      R.EI = Ahead.EI;
      R.EQ = Ahead.EQ;
      R.EU = Ahead.EU;
      R.EV = Ahead.EV;
      R.RQ = Ahead.RQ;
      R.RU = Ahead.RU;
      R.RV = Ahead.RV;
      R.EF = Ahead.EF;
      Ahead.Kind = 0;
      return;
    }
  R.L = Lam;
  R.X = X;
  R.Kind = 'U';
  DepthValues(C, X, true);
  if (FacxTraces(C)) {
    FacxTraced(C, Lam);
  } else {
    const TFacxDepth d = DepthOf(C.XC, Lam);
    TCONTR* out = &R;
    FacxPlain(C, &d, &out, 1);
  }
}

void FACXAhead(double X1, double X2) {
  TCONT& C = Cont();
  const double Lam = C.WK.LAM;
  const TCONTR& R = C.R;
  if (R.Kind == 'U' && R.L == Lam && (R.X == X1 || R.X == X2)) return;
  const double lam[2] = {Lam, Lam}, xs[2] = {X1, X2};
  FACXMany(lam, xs, 2, C.RAhead);
}

bool FACXMany(const double* Lam, const double* X, int32_t N, TCONTR* R) {
  TCONT& C = Cont();
  if (FacxTraces(C)) return false;
  if (N <= 0) return true;
  if (!(C.CTETA != 0) || !std::isfinite(C.CTETA))
    BadValue("косинус угла CONT.CTETA=0"_cp, X[0], Lam[0]);
  // the depth row of DepthValues (with the field) at every depth
  const int32_t n = C.LiSet.Count;
  thread_local std::vector<TVEMO*> vs;
  thread_local std::vector<double> vals;
  thread_local std::vector<TFacxDepth> d;
  thread_local std::vector<TCONTR*> out;
  size_t K = 0;
  RowVectors(C, n, true, vs, K);
  const size_t KF = K + 3;
  const size_t nn = static_cast<size_t>(N);
  if (vals.size() < nn * KF) vals.resize(nn * KF);
  if (d.size() < nn) {
    d.resize(nn);
    out.resize(nn);
  }
  C.XC.FieldRow.EvalMany(vs.data(), static_cast<int32_t>(KF), X, N, vals.data());
  // the angles' functions of the last direction met (the same bits give the same values)
  thread_local double gOf = 0, cOf = 0, cosg = 0, sin2g = 0, cos2chi = 0, sin2chi = 0;
  thread_local bool anglesOf = false;
  double c10 = 0, xOf = 0;
  for (size_t j = 0; j < nn; ++j) {
    const double* v = vals.data() + j * KF;
    const double x = X[j];
    if (j == 0 || std::memcmp(&x, &xOf, sizeof x) != 0) {
      c10 = std::pow(10.0, x) * kLn10 / C.CTETA;
      xOf = x;
    }
    for (int32_t i = 1; i <= n; ++i) {
      const double dld = v[3 * static_cast<size_t>(i)];
      if (!(dld > 0) || !std::isfinite(dld))
        BadValue("доплеровская ширина линии <"_cp +
                     C.LiSet.Items[static_cast<size_t>(i)].LI.GetName() + ">=" + NumText(dld),
                 x, Lam[j]);
    }
    const double gamma = v[K + 1], chi = v[K + 2];
    if (!anglesOf || std::memcmp(&gamma, &gOf, sizeof gamma) != 0 ||
        std::memcmp(&chi, &cOf, sizeof chi) != 0) {
      cosg = std::cos(gamma * M_PI / 180);
      sin2g = 1 - cosg * cosg;
      cos2chi = std::cos(2 * chi * M_PI / 180);
      sin2chi = std::sin(2 * chi * M_PI / 180);
      gOf = gamma;
      cOf = chi;
      anglesOf = true;
    }
    d[j] = {Lam[j], c10, v[0], v[1], v[2], v[K - 1], v[K], sin2g, cosg, sin2chi, cos2chi, v};
    TCONTR& r = R[j];
    r.L = Lam[j];
    r.X = x;
    r.Kind = 'U';
    r.C10 = c10;
    r.B = v[0];
    r.S = v[1];
    r.ETAC = v[2];
    out[j] = &r;
  }
  FacxPlain(C, d.data(), out.data(), N);
  return true;
}

void H0LINA() {
  TCONT& C = Cont();
  TCONTR& R = C.R;
  const double X = C.WK.X, Lam = C.WK.LAM;
  if (R.Kind == 'H' && X == R.X && Lam == R.L) return;
  const double efBefore = R.EF;
  R.L = Lam;
  R.X = X;
  R.Kind = 'H';
  DepthValues(C, X, false);
  const TCONTXCache& xc = C.XC;
  R.EI = 0;
  for (int32_t i = 1; i <= C.LiSet.Count; ++i) {
    const TLINEDATA& it = C.LiSet.Items[static_cast<size_t>(i)];
    const size_t iu = static_cast<size_t>(i);
    const double dld = xc.DLD[iu], a = xc.A[iu], eta = xc.ETA[iu];
    const double dl = -(Lam - it.LI.LAMB) * 1000;
    const THFS* hfs = it.LI.HFS.get();
    const int32_t n = hfs && hfs->N >= 1 ? hfs->N : 1;
    for (int32_t j = 1; j <= n; ++j) {
      const size_t ju = static_cast<size_t>(j);
      const double w = n >= 2 ? dl - hfs->Shift[ju] : dl;
      const double v = (xc.VD + w) / dld;
      double H, F;
      VoigtFuncBatch(a, &v, 1, &H, &F);
      if (ChanOn(4))
        Sayer->ChanLog(4, "H0LINA  iILIN=" + IntStr(i) + " " + it.LI.GetName() + " L=" +
                              FDecSt(3, Lam) + " X=" + FDecSt(2, X) + " V=" + F63(v) + " A=" +
                              FSt(5, 3, a) + " =>" + " H=" + FDecSt(4, H) + " F=" + FDecSt(4, F));
      R.EI += n >= 2 ? H * eta * hfs->Int[ju] : H * eta;
    }
  }
  if (ChanOn(24)) {
    const double ct = C.MCONT ? C.MCONT->func(X) : 0;
    Sayer->ChanLog(24, "H0FACX L=" + FDecSt(3, Lam) + " BL=" + FDecSt(3, C.MB->LAM) + " X=" +
                           FSt(6, 3, X) + " B=" + FSt(6, 2, R.B * 1e-12) + " CT=" +
                           FSt(6, 2, ct * 1e-12) + " (Y= " + FSt(6, 2, C.WK.Y[1] * 1e-12) + ")" +
                           " EF=" + FSt(6, 4, efBefore) + " = (EI+EC)=" + FSt(6, 4, R.EI) + "+" +
                           FSt(6, 4, R.ETAC));
  }
  R.EF = R.EI + R.ETAC;
}

void Invariants(TCONTR& R) {
  R.ER2 = R.EQ * R.RQ + R.EU * R.RU + R.EV * R.RV;
  R.EE2 = R.EQ * R.EQ + R.EU * R.EU + R.EV * R.EV - R.RQ * R.RQ - R.RU * R.RU - R.RV * R.RV;
}

void MinMaxAbs(double a, double b, double c, double d, double& Max, double& Min) {
  a = std::fabs(a);
  b = std::fabs(b);
  c = std::fabs(c);
  d = std::fabs(d);
  Max = std::max(std::max(a, b), std::max(c, d));
  Min = std::min(std::min(a, b), std::min(c, d));
}

void EIV(TCONTR& R, double& EMin, double& EMax) {
  const double r = std::sqrt(R.EE2 * R.EE2 + 4 * R.ER2 * R.ER2);
  const double P = std::sqrt(std::max(0.0, (r + R.EE2) / 2));
  const double q = (r - R.EE2) / 2;
  const double Q = std::sqrt(std::fabs(q));
  const double l1 = R.EF + P, l2 = R.EF - P;
  double l3, l4;
  if (q > 0) {
    l3 = l4 = std::sqrt(q + R.EF * R.EF);
  } else {
    l3 = R.EF + Q;
    l4 = R.EF - Q;
  }
  if (ChanOn(18))
    Sayer->ChanLog(18, FSt(9, 4, l1 * R.C10) + FSt(9, 4, l2 * R.C10) + FSt(9, 4, l3 * R.C10) +
                           FSt(9, 4, l4 * R.C10));
  MinMaxAbs(l1, l2, l3, l4, EMax, EMin);
  EMax *= R.C10;
  EMin *= R.C10;
  R.EMin = EMin;
  R.EMax = EMax;
}
