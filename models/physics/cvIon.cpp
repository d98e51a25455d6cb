#include "models/physics/cvIon.h"

#include <cmath>
#include <memory>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvMend.h"
#include "models/cvModServices.h"
#include "models/cvOTL.h"
#include "models/cvPMod.h"
#include "models/physics/cvKappa.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"

namespace {
constexpr double kTheta = 5039.9345841032444118;
constexpr double kLn10 = 2.302585092994046;

thread_local TION tIon;
// The calculation log of the running build (nullptr: none open).
thread_local TTextFile* tLog = nullptr;

inline size_t Ix(int32_t i) { return static_cast<size_t>(i); }

void Trace(int Ch, const std::string& Text) {
  if (ChanOn(Ch)) Sayer->ChanLog(Ch, Text);
}

void LogLine(const std::string& Text) {
  if (tLog && tLog->IsOpen()) tLog->WriteLn(Text);
}

// "K=<layer> X=<depth>" of the layer being solved, for error texts.
std::string LayerText() {
  const TION& S = tIon;
  return "K=" + IntStr(S.Layer) + " X=" + FSt(5, 2, S.LayerX);
}

TVARIATOR& Vari() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ModFatal("doION: нет текущего вариатора VARI!"_cp);
  return *V;
}

TMEND& Mend() {
  TMEND* m = Elements();
  if (!m) ModFatal("doION: не загружена таблица элементов MEND!"_cp);
  return *m;
}

double TempOf(double Teta) {
  double t = Teta > 0 ? kTheta / Teta : 0;
  if (!(t > 0)) t = 273;
  return t;
}

double LgP(double P) { return P > 0 ? std::log10(P) : 0; }

// Restores the state of the log on every exit of doION: closed, and removed when (nearly) empty.
class TLogScope {
 public:
  explicit TLogScope(const std::string& Path) : path_(Path) {
    if (path_.empty()) return;
    ForceFileDir(path_);
    TxtOpen(file_, 1, path_);
    tLog = &file_;
  }
  ~TLogScope() {
    if (path_.empty()) return;
    tLog = nullptr;
    try {
      file_.Close();
    } catch (...) {
    }
    DelSmallFile(path_);
  }
  TLogScope(const TLogScope&) = delete;
  TLogScope& operator=(const TLogScope&) = delete;

 private:
  std::string path_;
  TTextFile file_;
};
}  // namespace

TION& IonState() { return tIon; }

// ---------------------------------------------------------------------------------------------
// Partition functions, Saha factors, electrons per nucleus

void PPTFUN(double T) {
  if (T <= 0) ModFatal("PPTFUN Температура = "_cp + ReSt(T) + " <=0 !!!");
  TION& S = tIon;
  TMEND& m = Mend();
  for (int32_t k = 1; k <= S.NAT; ++k) {
    TIonElement& e = S.AT[Ix(k)];
    const TATOM* a = m.GetAtom(e.Z);
    e.U0 = a->CalcU(0, T);
    e.U1 = a->CalcU(1, T);
    e.U2 = e.Z < 2 ? 0 : a->CalcU(2, T);
    if (ChanOn(14))
      Sayer->ChanLog(14, "T=" + EFSt(4, T) + " ЭЛ-Т="_cp + e.Sym + " U0+1+2=" + EFSt(4, e.U0) +
                             "+" + EFSt(4, e.U1) + "+" + EFSt(4, e.U2) + "=" +
                             EFSt(4, e.U0 + e.U1 + e.U2));
  }
}

void SahaAll(double T) {
  TION& S = tIon;
  for (int32_t k = 1; k <= S.NAT; ++k) {
    TIonElement& e = S.AT[Ix(k)];
    e.S1 = e.U0 != 0 ? SahaPhi(T, e.EION1, e.U0, e.U1) : 0;
    e.S2 = e.Z < 2 || e.U1 == 0 ? 0 : SahaPhi(T, e.EION2, e.U1, e.U2);
    if (ChanOn(14))
      LogLine("T=" + FSt(6, 0, T) + " " + e.Sym + " EIon1=" + FSt(6, 3, e.EION1) +
              " EIon2=" + FSt(6, 3, e.EION2) + " S1=" + EWSt(12, e.S1) + " S2=" + EWSt(12, e.S2));
  }
}

double fPELA(int32_t K, double Pe) {
  const TIonElement& e = tIon.AT[Ix(K)];
  const double r1 = e.S1 / Pe;
  double r2 = K == 1 ? 0 : e.S2 / Pe;
  if (r2 < 1e-24) r2 = 0;
  const double f1 = r1 > 0 ? 1 / (r2 + 1 / r1 + 1) : 0;
  const double f2 = r2 > 0 ? 1 / (1 / (r1 * r2) + 1 / r2 + 1) : 0;
  const double r = (2 * f2 + f1) * e.BETTA;
  if (r == 0)
    WARNAbs("fPELA - расчет доли электронов атома \""_cp + e.Sym + "\" возвращает \"0\" для PE="_cp +
            ReSt(Pe) + " BETTA=" + ReSt(e.BETTA) + " S1=" + ReSt(e.S1) + " S2=" + ReSt(e.S2));
  return r;
}

void PeStep(double& Pe, double PG, double Old) {
  if (ChanOn(12)) {
    Sayer->ChanLog(12, "ДОЛИ АТОМОВ В 1-ОЙ И 2-ОЙ СТАДИЯХ ИОНИЗАЦИИ, ВКЛАД ЭЛ-НОВ ОТ ДАННОГО ЭЛЕМЕНТА:"_cp);
    Sayer->ChanLog(12, "АТОМ  N10     N21      N20    ИОНЫ-1    ИОНЫ-2 ЭЛ-НЫ/ЯДРА ЭЛ-НЫ_ЭЛ-ТА/ВСЕ_ЯДРА"_cp);
  }
  double s = 0;
  for (int32_t k = 1; k <= tIon.NAT; ++k) s += fPELA(k, Old);
  Trace(12, "ОТНОШ.ЧИСЛА ЭЛ-НОВ К ЧИСЛУ ВСЕХ ЯДЕР:"_cp + ReSt(s));
  Pe = PG * s / (s + 1);
  if (ChanOn(7))
    Sayer->ChanLog(7, "ЭЛ.ДАВЛЕНИЕ БЫЛО:"_cp + ReSt(Old) + " СТАЛО:"_cp + ReSt(Pe) + " PG=" +
                          ReSt(PG) + " Ne/Nвсех ядер="_cp + ReSt(s));
}

void OPTIMUM(double& F, double X2, double X1, double X) {
  if (X2 == X1) return;
  const double q = X2 == 0 ? 1 : std::fabs(X1 / X2);
  F = (X - X1) / (X2 - X1);
  if (q >= 10)
    WARN("OPTIMUM-W-X1/X2=" + EFSt(3, q) + ">10 OPT(" + EFSt(4, X1) + "=>" + EFSt(4, F));
  else if (q <= 0.1)
    WARN("OPTIMUM-W-X1/X2=" + EFSt(3, q) + " < 1/10 OPT" + EFSt(4, X1) + "=>" + EFSt(4, F));
  Trace(10, "OPTIMNEW [" + EFSt(5, X1) + "," + EFSt(5, X2) + "] X=" + EFSt(5, X) +
                " => OPTIMUM=" + EFSt(5, F));
}

double FINDPE(double Pe, double EPS, double PG, double T) {
  TION& S = tIon;
  Trace(1, "FINDPE(T=" + FSt(6, 0, T) + ",PG=" + FSt(4, 2, PG) + ",PE0=" + FSt(4, 2, Pe) +
               " STARTED");
  double old = 0, x1 = 0, x2 = 0;
  for (int32_t step = 1;; ++step) {
    if (step > IonMaxPeSteps)
      ErrAbs("CREMOD: электронное давление не сошлось за "_cp + IntStr(IonMaxPeSteps) +
             " шагов на слое "_cp + LayerText() + " (T=" + FSt(6, 0, T) + " PG=" + ReSt(PG) +
             " PE=" + ReSt(Pe) + ")");
    old = Pe;
    PeStep(Pe, PG, old);
    if (step == 1) {
      x1 = old;
      x2 = Pe;
    }
    Pe = RelaxStep(S.OPT_PE, Pe, old);
    if (!std::isfinite(Pe) || Pe <= 0)
      ErrAbs("CREMOD: электронное давление PE="_cp + ReSt(Pe) + " на слое "_cp + LayerText() +
             " (T=" + FSt(6, 0, T) + " PG=" + ReSt(PG) + ")");
    if (std::fabs(Pe - old) / Pe < EPS) break;
  }
  OPTIMUM(S.OPT_PE, x2, x1, Pe);
  Trace(7, "ИТАК PE="_cp + ReSt(Pe));
  Trace(1, "FINDPE ENDED");
  return Pe;
}

double FINDQ(double Pe) {
  TION& S = tIon;
  if (!S.WarnedFINDQ) {
    WARNAbs("Вариант расчета Pe, который не должен вызываться!"_cp);
    S.WarnedFINDQ = true;
  }
  Trace(1, "FINDQ STARTED");
  double s = 0;
  for (int32_t k = 2; k <= S.NAT; ++k) s += fPELA(k, Pe);
  return S.NAT < 1 || S.AT[1].BETTA == 0 ? 0 : s / S.AT[1].BETTA;
}

void HStep(double& Pe, double& V, double PG, double Old) {
  TION& S = tIon;
  const TIonElement& h = S.AT[1];
  const double x1 = h.S1 / Old, x2 = Old / S.K1, x3 = Old / S.K3, x4 = Old / S.K2;
  const double d = FINDQ(Old);
  const double F = x1 + 1 + x2, G = x1 - x2, hh = x1 * x3 / x4, m = 2 * (hh + 1);
  const double A = x4 * m * m + m * F * G - hh * F * F;
  const double B = 2 * F * hh - G * m + F * m * d;
  const double C = -(m * d + hh);
  const double disc = B * B - 4 * A * C;
  if (A == 0 || !(disc >= 0))
    ErrAbs("FNDHPE: уравнение баланса водорода не имеет решения (A="_cp + ReSt(A) + " D=" +
           ReSt(disc) + ") на слое "_cp + LayerText());
  V = (std::sqrt(disc) - B) / (2 * A);
  const double y = (1 - F * V) / m;
  const double e = x1 * V - x2 * V + hh * y + d;
  const double sum = Mend().SumAbund;
  Pe = PG / (sum / h.BETTA / e + 1);
  if (ChanOn(7))
    Sayer->ChanLog(7, "ЭЛ.ДАВЛЕНИЕ БЫЛО:"_cp + ReSt(Old) + " СТАЛО:"_cp + ReSt(Pe));
}

double FNDHPE(double& V, double Pe, double EPS, double PG, double T) {
  TION& S = tIon;
  if (!S.WarnedFNDHPE) {
    WARNAbs("Этот вариант процедуры нахождения электронного давлениядает абсолютно нереальные значения Pg!"_cp);
    S.WarnedFNDHPE = true;
  }
  Trace(1, "FNDHPE STARTED");
  if (S.NAT < 1 || S.AT[1].Z != 1)
    ErrAbs("FNDHPE: список элементов ионизации (#ATI) должен начинаться с водорода"_cp);
  const double th = kTheta / T;
  S.K1 = std::pow(10.0, 2.5 * std::log10(T) + 0.1249 - 0.747 * th);
  S.K2 = std::pow(10.0, 12.533505 - 4.9251644 * th + 0.056191273 * th * th -
                            0.0032687661 * th * th * th);
  S.K3 = std::pow(10.0, 11.206998 - 2.7942767 * th - 0.079196803 * th * th +
                            0.024790744 * th * th * th);
  double old = 0, x1 = 0, x2 = 0;
  for (int32_t step = 1;; ++step) {
    if (step > IonMaxPeSteps)
      ErrAbs("CREMOD: электронное давление (FNDHPE) не сошлось за "_cp + IntStr(IonMaxPeSteps) +
             " шагов на слое "_cp + LayerText());
    old = Pe;
    HStep(Pe, V, PG, old);
    if (step == 1) {
      x1 = old;
      x2 = Pe;
    }
    Pe = RelaxStep(S.OPT_PE, Pe, old);
    if (!std::isfinite(Pe))
      ErrAbs("CREMOD: электронное давление PE="_cp + ReSt(Pe) + " на слое "_cp + LayerText());
    if (std::fabs(Pe) < EPS || std::fabs(Pe - old) / std::fabs(Pe) < EPS) break;
  }
  OPTIMUM(S.OPT_PE, x2, x1, Pe);
  if (ChanOn(7)) LogLine("ИТАК PE="_cp + ReSt(Pe));
  Trace(1, "FNDHPE ENDED");
  return Pe;
}

// ---------------------------------------------------------------------------------------------
// The build

namespace {
// Electron pressure by the solver the trace mask chooses (bit 17: FINDPE).
double SolvePe(double& V, double Pe, double PG, double T) {
  if (ChanOn(17)) {
    V = 1;
    return FINDPE(Pe, IonEps, PG, T);
  }
  return FNDHPE(V, Pe, IonEps, PG, T);
}

void NeedPoints(const TVEMO* V, int32_t N, const std::string& Model) {
  if (!V || V->N < N || static_cast<int32_t>(V->A.size()) < N + 1)
    ErrAbs("CREMOD: у модели "_cp + Model + " вектор "_cp + (V ? V->NAME : std::string("?")) +
           " короче "_cp + IntStr(N) + " точек"_cp);
}
}  // namespace

bool CREMOD(TJob& Job) {
  TION& S = tIon;
  Trace(1, "CREMOD STARTED");
  TLVEMO& K = Keeper();
  const std::string M = S.WorkName;
  TVEMO* teta = K.NeedWrkVeMo("TETA0", M, "", 1);
  TVEMO* pg0 = K.NeedWrkVeMo("PG0", M, "", 1);
  TVEMO* pe0 = K.NeedWrkVeMo("PE0", M, "", 1);
  const int32_t N = teta->N;
  if (N < 2) ErrAbs("CREMOD: у модели "_cp + M + " в векторе TETA0 меньше двух точек"_cp);
  Trace(1, "CREMOD TETA0[" + IntStr(N) + "] = " + FSt(5, 3, teta->A[Ix(N)]));
  TVEMO* X = K.InitVEMO(M, "X", "", 1);
  TVEMO* T = K.FindOrInitVEMO(M, "T", "", 1);
  TVEMO* LGPG = K.InitVEMO(M, "LGPG", "", 1);
  TVEMO* LGPE = K.InitVEMO(M, "LGPE", "", 1);
  TVEMO* KAP5 = K.InitVEMO(M, "KAP5", "", 1);
  NeedPoints(X, N, M);
  NeedPoints(pg0, N, M);
  NeedPoints(pe0, N, M);
  NeedPoints(S.KAPERPE, N, M);
  const TARe& x = X->A;
  const TARe& kpe = S.KAPERPE->A;
  // the new values; the vectors take them only when the whole build is done
  TARe lgpg(Ix(N) + 1, 0.0), lgpe(Ix(N) + 1, 0.0), kap(Ix(N) + 1, 0.0), tt(Ix(N) + 1, 0.0);
  double v = 1;
  S.WarnedFNDHPE = S.WarnedFINDQ = false;

  // the top point
  S.Layer = N;
  S.LayerX = x[Ix(N)];
  double PG = pg0->A[Ix(N)];
  if (PG <= 0) {
    WARNAbs("для вектора "_cp + pg0->NAME + " модели "_cp + pg0->sMOD + " на верхнем уровне (N="_cp +
            IntStr(N) + ") PG = " + EFSt(4, PG) + " => меняем знак!"_cp);
    PG = -PG;
  }
  if (S.MAS0 > 0)
    PG = S.MAS0 * IonGravity;
  else
    S.MAS0 = PG / IonGravity;
  if (!(PG > 0))
    ErrAbs("CREMOD: у модели "_cp + M + " давление на верхнем уровне PG=" + ReSt(PG) +
           " (N=" + IntStr(N) + ")");
  double Pe = pe0->A[Ix(N)];
  if (!(Pe > 0)) Pe = PG * 1e-4;
  double Tk = TempOf(teta->A[Ix(N)]);
  PPTFUN(Tk);
  SahaAll(Tk);
  Pe = SolvePe(v, Pe, PG, Tk);
  double kappa = kpe[Ix(N)] * Pe * v;
  lgpg[Ix(N)] = LgP(PG);
  lgpe[Ix(N)] = LgP(Pe);
  kap[Ix(N)] = kappa;
  tt[Ix(N)] = Tk;
  // P15: Pg^1.5 at the layer above, integrated from the top:
  //   d(Pg^1.5)/dX = 1.5 sqrt(Pg) dPg/dX = 1.5 g ln10 sqrt(Pg) tau / kappa
  double P15 = PG * std::sqrt(PG);
  double fUp = kappa > 1e-30 ? std::sqrt(PG) * std::pow(10.0, x[Ix(N)]) / kappa : 0;
  S.OPT_PG = 0.68;

  for (int32_t i = N - 1; i >= 1; --i) {
    if (!Job.Step(N - i, N - 1, "CREMOD K=" + IntStr(i) + "/" + IntStr(N))) return false;
    S.Layer = i;
    S.LayerX = x[Ix(i)];
    const double tau = std::pow(10.0, x[Ix(i)]);
    const double dX = x[Ix(i)] - x[Ix(i + 1)];
    Tk = TempOf(teta->A[Ix(i)]);
    PPTFUN(Tk);
    SahaAll(Tk);
    if (ChanOn(21))
      Sayer->ChanLog(21, "CREMOD " + M + " K=" + IntStr(i) + " X=" + FSt(5, 2, x[Ix(i)]) +
                             " T=" + FSt(5, 0, Tk) + " lgPG=" + FSt(5, 2, LgP(PG)) +
                             " lgPE=" + FSt(6, 2, LgP(Pe)) + " EPSPE=" + FSt(8, 6, IonEps));
    double x1 = 0, x2 = 0, P15i = P15, DPG = 0;
    for (int32_t step = 1;; ++step) {
      if (!Job.Checkpoint()) return false;
      if (step > IonMaxPgSteps)
        ErrAbs("CREMOD: газовое давление не сошлось за "_cp + IntStr(IonMaxPgSteps) +
               " шагов на слое "_cp + LayerText() + " (DPG=" + EFSt(4, DPG) + ")");
      Pe = SolvePe(v, Pe, PG, Tk);
      if (PG < 1e-50) {
        WARNAbs("PG=" + ReSt(PG));
        PG = 0;
      }
      kappa = kpe[Ix(i)] * Pe * v;
      const double f = kappa > 1e-30 ? std::sqrt(PG) * tau / kappa : 0;
      P15i = P15 + 1.5 * IonGravity * kLn10 * dX * 0.5 * (fUp + f);
      if (!(P15i > 0) || !std::isfinite(P15i))
        ErrAbs("CREMOD: интеграл давления PG^1.5="_cp + ReSt(P15i) + " на слое "_cp + LayerText());
      const double PGn = std::pow(P15i, 2.0 / 3.0);
      DPG = std::fabs((PGn - PG) / PGn);
      if (ChanOn(21))
        Sayer->ChanLog(21, "CREMOD X=" + FSt(5, 2, x[Ix(i)]) + " DPG=" + FSt(8, 4, DPG));
      if (ChanOn(15))
        Sayer->ChanLog(15, "K=" + PadLeft(IntStr(i), 3) + " PG->PG:" + EFSt(6, PG) + EFSt(6, PGn));
      if (step == 1) {
        x1 = PG;
        x2 = PGn;
      }
      double PGr = RelaxStep(S.OPT_PG, PGn, PG);
      if (PGr < 0) {
        S.OPT_PG = 0.68;
        PGr = RelaxStep(0.68, PGn, PG);
      }
      PG = PGr;
      if (DPG < IonEps) break;
    }
    OPTIMUM(S.OPT_PG, x2, x1, PG);
    // a factor outside (0, 2) would make the next layer's iteration diverge
    if (!(S.OPT_PG > 0 && S.OPT_PG < 2)) S.OPT_PG = 0.68;
    kappa = kpe[Ix(i)] * Pe * v;
    fUp = kappa > 1e-30 ? std::sqrt(PG) * tau / kappa : 0;
    P15 = P15i;
    lgpg[Ix(i)] = LgP(PG);
    lgpe[Ix(i)] = LgP(Pe);
    kap[Ix(i)] = kappa;
    tt[Ix(i)] = Tk;
  }
  if (!Job.Step(N - 1, N - 1, "CREMOD K=1/" + IntStr(N))) return false;
  // the build is whole: the vectors take the new values
  auto take = [&](TVEMO* V, TARe& A) {
    V->A = std::move(A);
    V->N = N;
    V->DropSpline();
    V->SetFilled();
  };
  take(LGPG, lgpg);
  take(LGPE, lgpe);
  take(KAP5, kap);
  take(T, tt);
  Trace(1, "CREMOD ENDED");
  return true;
}

// ---------------------------------------------------------------------------------------------
// Preparation and runs

void FillIonList(TION& S) {
  TMEND& m = Mend();
  S.NAT = m.NATI;
  S.NATP = m.NATP;
  int32_t ni = 0, np = 0;
  const double sum = m.SumAbund != 0 ? m.SumAbund : TMEND::DefaultSumAbund;
  for (int32_t z = 1; z <= MendSize; ++z) {
    TATOM* a = m.GetAtom(z);
    const double ab = std::pow(10.0, a->ABUND - 12);
    if (a->ATI == 1 && ni < TION::MaxList) {
      TIonElement& e = S.AT[Ix(++ni)];
      e = TIonElement{};
      e.Sym = AtSymByNum(z);
      e.Z = z;
      e.EION1 = a->EIon[0];
      e.EION2 = a->EIon[1];
      e.BETTA = ab / sum;
    }
    if (a->ATP == 1 && np < TION::MaxList) {
      TAtpElement& e = S.ATP[Ix(++np)];
      e.Sym = AtSymByNum(z);
      e.Abund = ab;
      e.Weight = a->PAT;
    }
  }
  // the counts of what the lists hold (a mark of an unknown symbol counts in the table only)
  S.NAT = ni;
  S.NATP = np;
}

bool doION(TJob& Job) {
  TOptionScope opt("MOD");
  std::string logPath;
  if (Models().FileOf.Provided())
    logPath = Models().FileOf("MOD", "LOG", opt.Title.empty() ? std::string("MOD") : opt.Title);
  TLogScope log(logPath);
  TION& S = tIon;
  TVARIATOR& V = Vari();
  TMEND& m = Mend();
  S.FMOD = V.GetI("#FMOD", 1);
  const std::string ati = V.GetS0("#ATI");
  const std::string atp = V.GetS0("#ATP");
  const double mju = V.GetR("#MJUPERH", 0);
  S.MAS0 = V.GetR("#MAS0", 0);
  S.WorkName = VariModName();
  S.PremodName = SrcModName();
  Cont().sMOD = S.WorkName;
  m.SetATP(atp);
  m.SetATI(ati);
  StdModFormat(S.FMOD, S.FmodN, S.FmodX0, S.FmodDX);
  S.ATP.fill(TAtpElement{});
  S.AT.fill(TIonElement{});
  FillIonList(S);
  if (S.NAT < 1 || S.AT[1].Z != 1)
    ErrAbs("doION: список элементов ионизации <"_cp + ati +
           "> должен начинаться с водорода (H)"_cp);
  S.MjuMean = m.SumAbund != 0 ? m.MjuPerH / m.SumAbund : m.MjuPerH;
  if (mju != 0) {
    m.MjuPerH = mju;
    S.MjuMean = m.SumAbund != 0 ? m.MjuPerH / m.SumAbund : m.MjuPerH;
  }
  m.CalcMeans();
  Trace(1, "DEBUG doION: PREMODNAM=<" + S.PremodName + ">");
  TLVEMO& K = Keeper();
  K.InitVEMO(S.PremodName, "X", "", 1);
  for (const char* q : {"TETA0", "PG0", "PE0"}) {
    TVEMO* p = K.FindOrInitVEMO(S.PremodName, q, "", 1);
    // the working model's premodel vectors when it is the premodel itself (PMOD1 has changed
    // its theta) stay as PMOD1 left them
    if (S.PremodName != S.WorkName || !p->IsFilled()) p->SrcFill();
  }
  S.TETA0 = K.NeedWrkVeMo("TETA0", S.WorkName, "", 1);
  S.PG0 = K.NeedWrkVeMo("PG0", S.WorkName, "", 1);
  S.PE0 = K.NeedWrkVeMo("PE0", S.WorkName, "", 1);
  // the opacity per unit electron pressure over the theta the build uses
  K.InitVEMO(S.WorkName, "X", "", 1);
  S.KAPERPE = K.InitVEMO(S.WorkName, "KAPERPE", "", 1);
  KappaSetup(V);
  PKAPERPE(*S.KAPERPE, 5000);
  S.OPT_PE = 0.618;
  S.OPT_PG = 0.618;
  return CREMOD(Job);
}

bool IONReportTo(TJob& Job, TStringList& Out) {
  TVARIATOR& V = Vari();
  const int32_t nk = V.NK < 1 ? 1 : V.NK;
  for (int32_t k = 1; k <= nk; ++k) {
    if (!Job.Step(k - 1, nk, "ION " + IntStr(k) + "/" + IntStr(nk))) return false;
    V.KIdx = k;
    if (!PMOD1()) continue;
    if (!doION(Job)) return false;
    TLVEMO& K = Keeper();
    if (auto r = K.ReportMod(VariModName(), 1)) Out.AddStrings(*r);
    for (int j = 0; j < 4; ++j) Out.Add(std::string(48, '='));
    if (auto r = K.ReportMod(SrcModName(), 1)) Out.AddStrings(*r);
  }
  return true;
}

bool IONReport(TJob& Job) {
  TStringList out;
  if (!IONReportTo(Job, out)) return false;
  Models().ShowReport("ION ", out);
  return true;
}
