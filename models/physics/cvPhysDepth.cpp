#include "models/physics/cvPhysDepth.h"

#include <cmath>

#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvMend.h"
#include "models/cvModServices.h"
#include "models/physics/cvPhysFill.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVeLinks.h"
#include "models/vectors/cvVemo.h"

using physfill::Need;
using physfill::Optional;

namespace {
const std::string CRLF = "\r\n";
constexpr double kBoltz = 1.38062e-16;
constexpr double kAmu = 1.660531e-24;
constexpr double kTheta = static_cast<double>(PhysThetaFactor);
constexpr double kC2 = 1.43883528651797;  // hc/k, cm K
constexpr double kMagP = 0.039788735772973836;  // 1/(8 pi)

inline size_t Ix(int32_t i) { return static_cast<size_t>(i); }

TMEND& Mend() {
  TMEND* m = Elements();
  if (!m || !m->HasAtoms()) ModFatal("MEND не загружен: нет таблицы элементов!"_cp);
  return *m;
}

std::string Sym(int32_t Z) { return AtSymByNum(Z); }

// "I", "II", "III" ... of a stage (1 neutral).
std::string StageStr(int32_t NION) {
  static const char* const r[] = {"I", "II", "III", "IV", "V"};
  return NION >= 1 && NION <= 5 ? r[NION - 1] : IntStr(NION);
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Heights, column mass, optical depth, Planck

void PHeightKM(TVEMO& H, double Step) {
  if (!(Step > 0))
    ModFatal("PHeightKM <"_cp + H.sMOD + "> шаг по X = " + ReSt(Step) + " должен быть > 0!"_cp);
  TVEMO* kap = Need(H, "KAP5");
  TVEMO* ro = Need(H, "RO");
  const int32_t n = kap->N;
  physfill::Size(H, n);
  const TARe* xd = ro->DepthArray();
  if (!xd || NOf(*xd) < n || n < 1)
    ModFatal("PHeightKM <"_cp + H.sMOD + "> не задан вектор глубин LGTAU!"_cp);
  const TARe& X = *xd;
  double x = X[Ix(n)];
  H.A[Ix(n)] = 0;
  double sum = 0, f = 0;
  double tauP = std::pow(10.0, x), rhoP = ro->func(x), kapP = kap->func(x);
  int32_t i = n - 1;
  double t = n >= 2 ? X[Ix(i)] : x;
  while (n >= 2 && x < X[1]) {
    x += Step;
    bool onPoint = false;
    if (x >= t) {
      x = t;
      onPoint = true;
    }
    const double tau = std::pow(10.0, x), rho = ro->func(x), kp = kap->func(x);
    sum += (tau - tauP) / (((rhoP + rho) / 2) * ((kapP + kp) / 2));
    tauP = tau;
    rhoP = rho;
    kapP = kp;
    const double v = sum * 1e-5;
    if (std::fabs(x) < 1e-6) f = v;
    if (onPoint) {
      H.A[Ix(i)] = v;
      if (i >= 2) {
        --i;
        t = X[Ix(i)];
      }
    }
  }
  H.SetFilled();
  H.SetParents(kap);
  H.AddParents(ro);
  H.KX = 1;
  if (f != 0) {
    for (int32_t j = 1; j <= n; ++j) H.A[Ix(j)] = f - H.A[Ix(j)];
  } else {
    WARNAbs("Уровень X=0 не найден в модели!"_cp);
  }
}

void PColMass(TVEMO& Z) {
  TVEMO* kap = Need(Z, "KAP5");
  const int32_t n = kap->N;
  physfill::Size(Z, n);
  const TARe* xd = kap->DepthArray();
  if (!xd || NOf(*xd) < n) ModFatal("PColMass <"_cp + Z.sMOD + "> не задан вектор глубин LGTAU!"_cp);
  const TARe& X = *xd;
  if (n >= 1) Z.A[Ix(n)] = 0;
  for (int32_t i = n - 1; i >= 1; --i)
    Z.A[Ix(i)] = Z.A[Ix(i + 1)] + (std::pow(10.0, X[Ix(i)]) - std::pow(10.0, X[Ix(i + 1)])) /
                                      ((kap->A[Ix(i + 1)] + kap->A[Ix(i)]) / 2);
  Z.SetFilled();
  Z.SetParents(kap);
}

void P_EXP_10Tau0(TVEMO& V) {
  if (!V.LGTAU)
    ModFatal("P_EXP_10Tau0 <" + V.sMOD + "> <" + V.NAME + CRLF + " вектор LGTAU не определен!"_cp);
  if (!V.LGTAU->IsFilled())
    ModFatal("P_EXP_10Tau0 <" + V.sMOD + "> <" + V.NAME + ">" + CRLF +
             " вектор LGTAU не заполнен!"_cp);
  const int32_t n = V.LGTAU->N;
  const TARe X = V.LGTAU->A;
  physfill::Size(V, n);
  for (int32_t i = 1; i <= n; ++i) V.A[Ix(i)] = std::exp(-10 * std::pow(10.0, X[Ix(i)]));
  V.SetFilled();
}

namespace {
double PlanckAt(double T, double Lam) {
  const double l = Lam * 1e-8;
  return 1.19106e-5 / (l * l * l * l * l) / (std::exp(kC2 / (l * T)) - 1);
}
}  // namespace

void PB(TVEMO& B) {
  if (B.LAM == 0) ModFatal("PB (" + B.sMOD + ") MB.LAM = 0!!!");
  TVEMO* t = Need(B, "T");
  const double lam = B.LAM;
  physfill::Fill("PB", {t}, {&B}, [lam](const double* v, double* r) { r[0] = PlanckAt(v[0], lam); },
                 {t});
}

void PS(TVEMO& S) { PB(S); }

namespace {
// The source function at V's wavelength on V's model and grid, made and filled when absent.
TVEMO* SourceOf(TVEMO& V) {
  TLVEMO& K = Keeper();
  const std::string id = TVEMO::LamSId(V.LAM);
  TVEMO* s = K.FindVeMo("S", V.sMOD, id, V.FMOD);
  if (!s || !s->IsFilled()) {
    if (!s) s = K.InitVEMO(V.sMOD, "S", id, V.FMOD);
    s->LAM = V.LAM;
    PS(*s);
  }
  return s;
}

TARe TauOf(const TVEMO& V, int32_t N, const char* Who) {
  const TARe* xd = V.DepthArray();
  if (!xd || NOf(*xd) < N)
    ModFatal(std::string(Who) + " <"_cp + V.sMOD + "> не задан вектор глубин LGTAU!"_cp);
  TARe tau(Ix(N) + 1, 0.0);
  for (int32_t i = 1; i <= N; ++i) tau[Ix(i)] = std::pow(10.0, (*xd)[Ix(i)]);
  return tau;
}
}  // namespace

void PdSdTau(TVEMO& V) {
  if (V.LAM == 0) ModFatal("PdSdTau (" + V.sMOD + ") MdSdTau.LAM = 0!!!");
  TVEMO* s = SourceOf(V);
  const int32_t n = s->N;
  const TARe tau = TauOf(*s, n, "PdSdTau");
  TARe y(s->A.begin(), s->A.begin() + n + 1), d;
  GetDifEx(tau, y, d);
  physfill::Size(V, n);
  for (int32_t i = 1; i <= n && Ix(i) < d.size(); ++i) V.A[Ix(i)] = d[Ix(i)];
  V.SetFilled();
  V.SetParents(s);
}

void PdSdTauDER(TVEMO& G, TVEMO& XD, TVEMO& DTau, TVEMO& V) {
  if (V.LAM == 0) ModFatal("PdSdTauDER (" + V.sMOD + ") MdSdTau.LAM = 0!!!");
  TVEMO* s = SourceOf(V);
  const int32_t n = G.N;
  const TARe tau = TauOf(G, n, "PdSdTauDER");
  const int32_t m = std::max(n - 1, 0);
  for (TVEMO* o : {&XD, &DTau, &V}) physfill::Size(*o, m);
  double slope = 0;
  for (int32_t i = 1; i <= m; ++i) {
    const double d = tau[Ix(i + 1)] - tau[Ix(i)];
    if (d != 0) slope = (s->A[Ix(i + 1)] - s->A[Ix(i)]) / d;  // a zero step repeats the last
    XD.A[Ix(i)] = std::log10(tau[Ix(i)] + d / 2);
    DTau.A[Ix(i)] = d;
    V.A[Ix(i)] = slope;
  }
  XD.KX = 1;
  for (TVEMO* o : {&XD, &DTau, &V}) {
    o->KDer = 1;
    o->SetFilled();
  }
  V.SetParents(s);
  XD.SetParents(G.LGTAU);
  DTau.SetParents(G.LGTAU);
  XD.LGTAU = nullptr;
  TVEMO* xd = Keeper().FindVeMo("XD", V.sMOD, "", V.FMOD);
  V.LGTAU = xd;
  DTau.LGTAU = xd;
}

// ---------------------------------------------------------------------------------------------
// Widths and shifts

void PDLD(TVEMO& DLD, double Weight, double LAMB) {
  if (!(Weight > 0))
    ModFatal("PDLD <"_cp + DLD.sMOD + "> атомный вес = " + ReSt(Weight) + " должен быть > 0!"_cp);
  TVEMO* t = Need(DLD, "T");
  TVEMO* vmi = Optional(DLD, "VMI");
  const double k = LAMB * 4.3014e-7 * 1000;
  physfill::Fill(
      "PDLD", {t, vmi}, {&DLD},
      [k, Weight](const double* v, double* r) {
        const double m = v[1] > 0 ? v[1] : 0;
        r[0] = std::sqrt(m * m * 60.1367 + v[0] / Weight) * k;
      },
      {t, vmi});
}

void PDLH(TVEMO& DLH, double LAMB) {
  TVEMO* h = Need(DLH, "H");
  const double k = LAMB * LAMB * 4.6686032e-10;
  physfill::Fill("PDLH", {h}, {&DLH}, [k](const double* v, double* r) { r[0] = k * v[0]; }, {h});
}

void PVD(TVEMO& DLVD, double Shift0, double LAMB) {
  TVEMO* vd = Need(DLVD, "VD");
  const double k = LAMB * 1000 / PhysLightKmS;
  physfill::Fill(
      "PVD", {vd}, {&DLVD}, [k, Shift0](const double* v, double* r) { r[0] = Shift0 + k * v[0]; },
      {vd});
}

// ---------------------------------------------------------------------------------------------
// Partition functions and ionisation

void PU(TVEMO& U0, TVEMO& U1, TVEMO& U2) {
  if (ChanOn(1)) Sayer->ChanLog(1, "PU STARTED >>>");
  const int32_t z = AtNumBySym(U0.AT);
  const TATOM* at = Mend().GetAtom(z);
  TVEMO* t = Need(U0, "T");
  physfill::Fill(
      "PU", {t}, {&U0, &U1, &U2},
      [at](const double* v, double* r) {
        const double tt = v[0] > 0 ? v[0] : 273;
        r[0] = at->CalcU(0, tt);
        r[1] = at->CalcU(1, tt);
        r[2] = at->CalcU(2, tt);
      },
      {t});
  if (ChanOn(1)) Sayer->ChanLog(1, "PU ENDED <<<");
}

double PartAt(int32_t Z, int32_t NION, double T, double LGPE, double U0, double U1, double U2,
              double ELOW, double EION1, double EION2, bool Warn) {
  const double pe = std::pow(10.0, LGPE);
  const double s1 = SahaPhi5(T, pe, EION1, U0, U1);
  const double s2 = (Z >= 2 && U1 != 0) ? SahaPhi5(T, pe, EION2, U1, U2) : 0.0;
  double frac = 0, uk = 0;
  if (NION == 1) {
    frac = 1 / (1 + s1 + s1 * s2);
    uk = U0;
  } else if (NION == 2) {
    // a Saha factor that underflowed leaves no first ions
    frac = s1 != 0 ? 1 / (s2 + 1 / s1 + 1) : 0.0;
    uk = U1;
  } else {
    if (Warn)
      WARNAbs("Для двухкратных ионов ДОЛЯ АТОМОВ "_cp + Sym(Z) + " В ДАННОМ СОСТОЯНИИ (NION="_cp +
              IntStr(NION) + ") не вычисляется!"_cp);
    uk = NION == 3 ? U2 : 0.0;
  }
  if (uk == 0) {
    if (Warn)
      WARN("Для атома "_cp + Sym(Z) + " NION=" + IntStr(NION) + " ELOW=" + FSt(7, 4, ELOW) +
           " U=0!!!");
    return 0;
  }
  return std::pow(10.0, -ELOW * (kTheta / T)) / uk * frac;
}

void PART(int32_t Z, int32_t NION, TVEMO& PARTV, double ELOW) {
  TMEND& m = Mend();
  const double e1 = m.GetEION(Z, 1), e2 = m.GetEION(Z, 2);
  const std::string at = "AT=" + Sym(Z);
  TVEMO* t = Need(PARTV, "T");
  TVEMO* lgpe = Need(PARTV, "LGPE");
  TVEMO* u0 = Need(PARTV, "U0", at);
  TVEMO* u1 = Need(PARTV, "U1", at);
  TVEMO* u2 = Z != 1 ? Need(PARTV, "U2", at) : nullptr;
  bool warn = true;
  physfill::Fill(
      "PART", {t, lgpe, u0, u1, u2}, {&PARTV},
      [&](const double* v, double* r) {
        r[0] = PartAt(Z, NION, v[0], v[1], v[2], v[3], v[4], ELOW, e1, e2, warn);
      },
      {t, lgpe, u0, u1, u2}, 3);
}

// ---------------------------------------------------------------------------------------------
// Densities and the line-to-continuum ratio

namespace {
constexpr double kHmC = 2 * 0.30102999566398120 - 0.48;  // lg(UH/UHM) + lg 2 - 0.48

double HmRatio(double T, double LGPE) {
  const double th = kTheta / T;
  return 1 / std::pow(10.0, 2.5 * std::log10(T) + kHmC - 0.754 * th - LGPE);
}
}  // namespace

void PNHPNH(TVEMO& V) {
  TVEMO* t = Need(V, "T");
  TVEMO* pe = Need(V, "LGPE");
  physfill::Fill(
      "PNHPNH", {t, pe}, {&V},
      [](const double* v, double* r) {
        const double th = kTheta / v[0];
        r[0] = 6.012e8 * std::pow(th, -2.5) * std::exp(-31.304 * th) / std::pow(10.0, v[1]);
      },
      {t, pe});
}

void PNHMNH(TVEMO& V) {
  TVEMO* t = Need(V, "T");
  TVEMO* pe = Need(V, "LGPE");
  physfill::Fill("PNHMNH", {t, pe}, {&V},
                 [](const double* v, double* r) { r[0] = HmRatio(v[0], v[1]); }, {t, pe});
}

void PNH(TVEMO& V) {
  TVEMO* t = Need(V, "T");
  TVEMO* pe = Need(V, "LGPE");
  TVEMO* pg = Need(V, "LGPG");
  TVEMO* h = Need(V, "H");
  TVEMO* hp = Need(V, "NHPNH");
  TVEMO* hm = Need(V, "NHMNH");
  const double sum = Mend().SumAbund;
  physfill::Fill(
      "PNH", {t, pe, pg, h, hp, hm}, {&V},
      [sum](const double* v, double* r) {
        const double n = (std::pow(10.0, v[2]) - std::pow(10.0, v[1])) / (kBoltz * v[0]);
        r[0] = n / ((v[4] + 1 + v[5]) * sum);
      },
      {t, pg, pe, hp, hm, h});
}

void PNHM(TVEMO& V) {
  TVEMO* t = Need(V, "T");
  TVEMO* pe = Need(V, "LGPE");
  TVEMO* nh = Need(V, "NH");
  physfill::Fill("PNHM", {t, pe, nh}, {&V},
                 [](const double* v, double* r) { r[0] = v[2] * HmRatio(v[0], v[1]); },
                 {t, pe, nh});
}

void PRO(TVEMO& V) {
  TVEMO* t = Need(V, "T");
  TVEMO* pe = Need(V, "LGPE");
  TVEMO* pg = Need(V, "LGPG");
  TVEMO* h = Need(V, "H");
  const double k = Mend().MjuPerH / Mend().SumAbund * kAmu;
  physfill::Fill(
      "PRO", {t, pe, pg, h}, {&V},
      [k](const double* v, double* r) {
        r[0] = k * (std::pow(10.0, v[2]) - std::pow(10.0, v[1]) - v[3] * v[3] * kMagP) /
               (kBoltz * v[0]);
      },
      {t, pg, pe, h});
}

void PETA0(int32_t Z, int32_t NION, TVEMO& ETA, double LGGF, double ABUND, double LAMB) {
  const std::string li = "LI=" + TrimCtl(ETA.LIN6);
  TVEMO* t = Need(ETA, "T");
  TVEMO* kap = Need(ETA, "KAP5");
  TVEMO* dld = Need(ETA, "DLD", li);
  TVEMO* part = Need(ETA, "PART", li);
  const double lam = LAMB * 1e-8;
  const double coef =
      3.007877e11 / Mend().MjuPerH * std::pow(10.0, LGGF) * std::pow(10.0, ABUND - 12) * lam * lam;
  int32_t k = 0;
  physfill::Fill(
      "PETA0", {t, kap, dld, part}, {&ETA},
      [&](const double* v, double* r) {
        ++k;
        const double em = 1 - std::exp(-kC2 / (lam * v[0]));
        const double kl = coef * v[3] / (v[2] * 1e-11) * em;
        r[0] = kl / v[1];
        if (r[0] > 1e10)
          WARNOnce("ETA0", "ETA0[K=" + IntStr(k) + " T=" + FSt(0, 1, v[0]) + "]=" + ReSt(r[0]) +
                               CRLF + Sym(Z) + " " + StageStr(NION) + " " + FSt(0, 3, LAMB) +
                               " ABUND=" + ReSt(ABUND) + " LGGF=" + FSt(0, 3, LGGF) + CRLF +
                               "PART=" + ReSt(v[3]) + " * EMSTIM=" + ReSt(em) +
                               " / DLD=" + ReSt(v[2]) + " => KAPLAM=" + ReSt(kl) +
                               " / KAP5=" + ReSt(v[1]));
      },
      {t, kap, dld, part});
}

// ---------------------------------------------------------------------------------------------
// Damping

namespace {
constexpr double kEvCm = 1.2398538410969168e-4;
double ConvOf(double LAMB) { return (LAMB * 1e-8) * (LAMB * 1e-8) / 3.767303111998239449; }
}  // namespace

double UnsoldG6(double EION, double ELOW, double LAMB) {
  const double el = kEvCm / (LAMB * 1e-8);
  const double d1 = EION - ELOW - el, d0 = EION - ELOW;
  if (d1 <= 0)
    WARN("ERR PA: НЕ БЫВАЕТ ЛИНИИ "_cp + FSt(8, 3, LAMB) + " EION=" + FSt(5, 3, EION) +
         " < ELOW=" + FSt(5, 3, ELOW) + " + ELAMB=" + FSt(5, 3, el));
  const double c6 = d1 != 0 && d0 != 0 ? 3e-31 * (1 / (d1 * d1) - 1 / (d0 * d0)) : 0.0;
  return c6 > 0 ? 0.4 * std::log10(c6) + 19.6 : -100.0;
}

namespace {
void DampWarn(int32_t Z, double LAMB, double EION, double ELOW, double EWAN, const std::string& At,
              double T, double LGPG, double A) {
  WARNAbs("PA_Err При вычислении A АТОМ="_cp + Sym(Z) + " LAMB=" + ReSt(LAMB) + " EION=" +
          ReSt(EION) + " ELOW=" + ReSt(ELOW) + " EWAN=" + ReSt(EWAN) + At + " T=" + ReSt(T) +
          " LGPG=" + ReSt(LGPG) + "\n\r" + "получено значение A = "_cp + ReSt(A));
}
bool BadDamp(double A) { return !(A >= 0) || A > 1e10; }
}  // namespace

void PA(int32_t Z, TVEMO& A, double EWAN, double ELOW, double EION, double LAMB) {
  const double g6 = UnsoldG6(EION, ELOW, LAMB);
  const double conv = ConvOf(LAMB);
  TVEMO* t = Need(A, "T");
  TVEMO* pg = Need(A, "LGPG");
  TVEMO* dld = Need(A, "DLD", "LI=" + TrimCtl(A.LIN6));
  int32_t k = 0;
  physfill::Fill(
      "PA", {t, pg, dld}, {&A},
      [&](const double* v, double* r) {
        ++k;
        r[0] = std::pow(10.0, g6 + v[1] - 0.7 * std::log10(v[0])) * conv / v[2] * EWAN;
        if (BadDamp(r[0]) && k <= A.N)
          DampWarn(Z, LAMB, EION, ELOW, EWAN, " K=" + IntStr(k), v[0], v[1], r[0]);
      },
      {t, pg, dld});
}

void PAEX(TDampLine& L, TVEMO& A, TVEMO& DLLorN, TVEMO& DLLor4, TVEMO& DLLor6, TVEMO& AOld,
          const std::string& Option) {
  double p = 0;
  bool ewan = false;
  if (Option == "EWAN") {
    p = 0.4;
    ewan = true;
  } else if (Option == "46_03") {
    p = 0.3;
  } else if (Option == "46_04") {
    p = 0.4;
  } else if (Option == "46+03") {
    p = -0.3;
  } else if (Option == "46+04") {
    p = -0.4;
  } else {
    ModFatal("Вариант расчета пост.затух.A <"_cp + Option + "> не предусмотрен!"_cp);
  }
  const double eion = Mend().GetEION(L.Z, L.NION);
  const double g6 = UnsoldG6(eion, L.ELOW, L.LAMB);
  const double conv = ConvOf(L.LAMB);
  const double grad = std::pow(10.0, L.RAD) * conv;
  const double g4 = std::pow(10.0, L.STARK) * conv;
  const double gw = std::pow(10.0, L.WAALS) * conv;
  L.GRAD = grad;
  TVEMO* t = Need(A, "T");
  TVEMO* pg = Need(A, "LGPG");
  TVEMO* pe = Need(A, "LGPE");
  TVEMO* nh = Need(A, "NH");
  TVEMO* dld = Need(A, "DLD", "LI=" + TrimCtl(A.LIN6));
  int32_t k = 0;
  const int32_t n = t->N;
  auto calc = [&](const double* v, double* r, double x) {
    // v: T, LGPE, LGPG, NH, DLD; r: A, AOld, DLLor6, DLLor4; x: a layer's bound (NaN on points)
    ++k;
    const double ne = std::pow(10.0, v[1]) / (kBoltz * v[0]);
    const double f = std::pow(v[0] / 1e4, p);
    const double w6 = gw * v[3] * f, w4 = g4 * ne * f;
    const double aUns = std::pow(10.0, g6 + v[2] - 0.7 * std::log10(v[0])) * conv / v[4];
    double total = (grad + w4 + w6) / v[4];
    if (BadDamp(total))
      DampWarn(L.Z, L.LAMB, eion, L.ELOW, L.EWAN,
               std::isnan(x) ? " K=" + IntStr(k) : " X=" + ReSt(x), v[0], v[2], total);
    if (ewan) total = aUns;
    r[0] = total * L.EWAN;
    r[1] = aUns;
    r[2] = w6;
    r[3] = w4;
  };
  physfill::Fill("PAEX", {t, pe, pg, nh, dld}, {&A, &AOld, &DLLor6, &DLLor4}, calc, {});
  physfill::Size(DLLorN, n);
  for (int32_t i = 1; i <= n; ++i) DLLorN.A[Ix(i)] = grad;
  DLLorN.SetFilled();
  A.SetParents(t);
  for (TVEMO* q : {pg, pe, nh, dld}) A.AddParents(q);
  AOld.SetParents(t);
  AOld.AddParents(pg);
  AOld.AddParents(dld);
  DLLor4.SetParents(t);
  DLLor4.AddParents(pe);
  DLLor6.SetParents(t);
  DLLor6.AddParents(nh);
}

void PAEX(TLIDA& Line, TVEMO& A, TVEMO& DLLorN, TVEMO& DLLor4, TVEMO& DLLor6, TVEMO& AOld,
          const std::string& Option) {
  TDampLine d;
  d.Z = Line.AT;
  d.NION = Line.NIon;
  d.LAMB = Line.LAMB;
  d.ELOW = Line.ELOW;
  d.EWAN = Line.EWAN;
  d.RAD = Line.Rad;
  d.STARK = Line.Stark;
  d.WAALS = Line.Waals;
  PAEX(d, A, DLLorN, DLLor4, DLLor6, AOld, Option);
  Line.ARad = d.GRAD;
}

// ---------------------------------------------------------------------------------------------

void InstallDepthPhysics() {
  TVeLinks& l = VeLinks();
  l.PRO.Install([](TVEMO& V) { PRO(V); });
  l.PHeightKM.Install([](TVEMO& V, double Step) { PHeightKM(V, Step); });
  l.P_EXP_10Tau0.Install([](TVEMO& V) { P_EXP_10Tau0(V); });
}
