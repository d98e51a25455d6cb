#include "models/physics/cvKappa.h"

#include <cmath>

#include "foundation/cvCIL.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvMend.h"
#include "models/cvModServices.h"
#include "models/physics/cvPhysFill.h"
#include "models/variator/cvVari.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvVemo.h"

using physfill::Need;

namespace {
constexpr double kBoltz = 1.38062e-16;
constexpr double kTheta = static_cast<double>(PhysThetaFactor);
inline size_t Ix(int32_t i) { return static_cast<size_t>(i); }

double NHg() {
  const TMEND* m = Elements();
  if (!m) ModFatal("MEND не загружен: нет таблицы элементов!"_cp);
  return m->NH_perGramm;
}
}  // namespace

TKappaState& Kappa() {
  TCalcContext& c = CalcCtx();
  if (!c.Kappa) ModFatal("Kappa: у контекста расчёта нет объектов поглощения!"_cp);
  return *c.Kappa;
}

// ---------------------------------------------------------------------------------------------
// Terms

double KappaHmBF(double Pe, double Theta, double Lam) {
  double alpha = 0;
  if (Lam < 14200) {
    alpha = 0.00680133 + Lam * (1.78708e-4 + Lam * (1.6479e-7 + Lam * (-2.04842e-11 +
                                                                        Lam * 5.95244e-16)));
  } else if (Lam < 16419) {
    const double f = (16419 - Lam) / 1000;
    alpha = f * (0.269818 + f * (0.22019 + f * (-0.0411288 + f * 0.00273236)));
  }
  return 4.158e-27 * alpha * std::pow(Theta, 2.5) * std::exp(1.739 * Theta) *
         (1 - std::exp(-28545 * Theta / Lam)) * Pe;
}

double KappaHmFF(double Pe, double Theta, double Lam) {
  const double l2 = Lam * Lam;
  return 1e-26 * Pe *
         ((0.0053666 - 3.2062e-6 * Lam - 4.0192e-10 * l2) +
          (-0.011493 + 1.1924e-5 * Lam + 7.0355e-9 * l2) * Theta +
          (0.27039 - 5.939e-6 * Lam + 3.4592e-10 * l2) * Theta * Theta);
}

double KappaH(double Theta, double Lam) {
  return 1.045e-26 * Lam * Lam * Lam * std::exp(-31.304 * Theta) *
         (1 - std::exp(-28545 * Theta / Lam)) * std::exp(31.304 * Theta / 81) *
         0.015972399693329926;
}

double SigmaRayH(double Lam) {
  const double l2 = Lam * Lam, l4 = l2 * l2;
  return 5.799e-13 / l4 + 1.422e-6 / (l4 * l2) + 2.784 / (l4 * l4);
}

double SigmaRayH2(double Ratio, double Lam) {
  const double l2 = Lam * Lam, l4 = l2 * l2;
  return Ratio * (8.14e-13 / l4 + 1.28e-6 / (l4 * l2) + 1.61 / (l4 * l4));
}

double SigmaThomson(double NePerNH) { return 6.652e-25 * NePerNH; }

// ---------------------------------------------------------------------------------------------
// Functions per gram

namespace {
// The Zwaan object a formula needs: a missing setup is reported (as the table's is).
void NeedSetup(const char* Who, double Lam, double T) {
  const TKappaState& k = Kappa();
  if (!k.Zwaan || k.Calc.Mark != TKappaCalculator::ReadyMark)
    ModFatal(std::string(Who) + " LAMB=" + ReSt(Lam) + " T=" + ReSt(T) +
             " не инициализирован!"_cp);
}
}  // namespace

double KappaFormula(double Lam, double T, double Pe, double /*Pg*/, double NH) {
  NeedSetup("KappaKalculator", Lam, T);
  const double th = kTheta / T;
  const double hm = KappaHmBF(Pe, th, Lam) + KappaHmFF(Pe, th, Lam);
  const double ne = Pe / (kBoltz * T);
  return (hm + hm * ZwaanFactor(Lam) + KappaH(th, Lam) + SigmaRayH(Lam) + SigmaRayH2(0, Lam) +
          SigmaThomson(ne / NH)) *
         NHg();
}

double KappaTable(double T, double Lam) {
  if (Kappa().Calc.Mark != TKappaCalculator::ReadyMark)
    ModFatal("KappaKalculator LAMB=" + ReSt(Lam) + " T=" + ReSt(T) + " не инициализирован!"_cp);
  return HMTableValue(Lam, kTheta / T) * NHg();
}

double KappaCalcValue(double Lam, double T, double Pe, double Pg, double NH) {
  const TKappaCalculator& c = Kappa().Calc;
  if (c.Function == 2 && !(T > 6100)) return KappaFormula(Lam, T, Pe, Pg, NH);
  return Pe * KappaTable(T, Lam);
}

// ---------------------------------------------------------------------------------------------
// Tables

namespace {
// A table file in the directive reader; its errors open the editor at their place.
void LoadTableFile(TCIL& R, const std::string& File, const std::string& Caption) {
  R.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
  R.Load(File, Caption);
}
}  // namespace

void REHM(const std::string& File, TKappaHM01& HM) {
  if (ChanOn(1)) Sayer->ChanLog(1, "REHM STARTED");
  const bool tr = ChanOn(3);
  TCIL r;
  LoadTableFile(r, File, "REHM");
  for (int i = 0; i < 3; ++i) r.NextLineRaw();
  r.NextLine();
  const std::string w1 = r.GetWord();
  const int32_t nt = r.GetInt();
  const std::string w2 = r.GetWord();
  const int32_t nl = r.GetInt();
  if (tr) Sayer->ChanLog(3, w1 + FSt(3, 0, nt) + " " + w2 + FSt(3, 0, nl));
  HM.IsLg = r.GetWord() == "#LG_KAPPA_H_MINUS" ? 1 : 0;
  if (nt < 1 || nl < 1)
    r.Err("REHM " + File + ": NT=" + IntStr(nt) + " NL=" + IntStr(nl) + " <= 0!");
  HM.NT = nt;
  HM.NL = nl;
  HM.THETA.assign(Ix(nt) + 1, 0.0);
  HM.LAMBDA.assign(Ix(nl) + 1, 0.0);
  HM.TAB.assign(Ix(nt) + 1, TARe(Ix(nl) + 1, 0.0));
  r.NextLine();
  const std::string w3 = r.GetWord();
  std::string line = w3;
  for (int32_t j = 1; j <= nt; ++j) {
    HM.THETA[Ix(j)] = r.GetReal();
    if (tr) line += FSt(6, 1, HM.THETA[Ix(j)]);
  }
  if (tr) {
    Sayer->ChanLog(3, line);
    Sayer->ChanLog(3, "----------------------------------------");
  }
  r.NextLine();  // the separator
  for (int32_t i = 1; i <= nl; ++i) {
    r.NextLine();
    HM.LAMBDA[Ix(i)] = r.GetReal();
    if (tr) line = FSt(7, 0, HM.LAMBDA[Ix(i)]);
    for (int32_t j = 1; j <= nt; ++j) {
      HM.TAB[Ix(j)][Ix(i)] = r.GetReal();
      if (tr) line += FSt(6, 2, HM.TAB[Ix(j)][Ix(i)]);
    }
    if (tr) Sayer->ChanLog(3, line);
  }
  r.Unload();
}

void REZwaan(const std::string& File, TARe& X, TARe& Y) {
  if (ChanOn(1)) Sayer->ChanLog(1, "REZwaan STARTED");
  TCIL r;
  LoadTableFile(r, File, "REZwaan");
  if (!r.FindKey("СТРОК"_cp))
    r.Err("В файле "_cp + File + " должно быть слово \"СТРОК\", оно не найдено!"_cp);
  const int32_t n = std::max(0, r.GetInt());
  if (!r.FindKey("------"))
    r.Err("В файле "_cp + File + " должен быть разделитель \"------\", он не найден!"_cp);
  X.assign(Ix(n) + 1, 0.0);
  Y.assign(Ix(n) + 1, 0.0);
  int32_t count = 0;
  for (int32_t i = 1; i <= n; ++i) {
    r.NextLine();
    if (r.Line.empty()) break;
    X[Ix(i)] = r.GetReal();
    Y[Ix(i)] = r.GetReal();
    ++count;
  }
  X.resize(Ix(count) + 1);
  Y.resize(Ix(count) + 1);
  r.Unload();
}

namespace {
// Fractional index of v in the ascending Axis[1..n] (v inside).
double FracIndex(const TARe& Axis, int32_t n, double v) {
  int32_t i = 1;
  while (i < n && Axis[Ix(i)] < v) ++i;
  if (Axis[Ix(i)] == v || i == 1) return i;
  return i - (Axis[Ix(i)] - v) / (Axis[Ix(i)] - Axis[Ix(i - 1)]);
}
}  // namespace

double INTER4(int32_t NT, const TARe& THETA, const TARe2& TAB, const TARe& AXIS, double a,
              double theta) {
  if (theta < THETA[1]) {
    WARN("INTER4-W- THETA=" + FSt(4, 2, theta) + " < " + FSt(3, 1, THETA[1]));
    theta = THETA[1];
  } else if (theta > THETA[Ix(NT)]) {
    WARN("INTER4-W- THETA=" + FSt(4, 2, theta) + " > " + FSt(3, 1, THETA[Ix(NT)]));
    theta = THETA[Ix(NT)];
  }
  const int32_t nl = NOf(AXIS);
  if (a < AXIS[1]) {
    WARN("INTER4-W- LAMBDA=" + FSt(0, 1, a) + " < " + FSt(0, 1, AXIS[1]));
    a = AXIS[1];
  } else if (a > AXIS[Ix(nl)]) {
    WARN("INTER4-W- LAMBDA=" + FSt(0, 1, a) + " > " + FSt(0, 1, AXIS[Ix(nl)]));
    a = AXIS[Ix(nl)];
  }
  const double fr = FracIndex(THETA, NT, theta);
  const double fc = FracIndex(AXIS, nl, a);
  const int32_t d = static_cast<int32_t>(std::trunc(fr));
  const int32_t f = static_cast<int32_t>(std::trunc(fc));
  const int32_t f1 = std::min(f + 1, nl);
  double p = TAB[Ix(d)][Ix(f)], q = TAB[Ix(d)][Ix(f1)];
  if (fr != d) {
    p = (fr - d) * (TAB[Ix(d + 1)][Ix(f)] - TAB[Ix(d)][Ix(f)]) + TAB[Ix(d)][Ix(f)];
    q = (fr - d) * (TAB[Ix(d + 1)][Ix(f1)] - TAB[Ix(d)][Ix(f1)]) + TAB[Ix(d)][Ix(f1)];
  }
  return fc == f ? p : (fc - f) * (q - p) + p;
}

double HMTableValue(double Lam, double Theta) {
  const TKappaState& k = Kappa();
  if (!k.HM || k.HM->NT < 1)
    ModFatal("KappaKalculator LAMB=" + ReSt(Lam) + " не инициализирован!"_cp);
  const TKappaHM01& h = *k.HM;
  const double v = INTER4(h.NT, h.THETA, h.TAB, h.LAMBDA, Lam, Theta);
  return (h.IsLg ? std::pow(10.0, v) : v) * 1e-30;
}

double ZwaanFactor(double Lam) {
  const TKappaState& k = Kappa();
  if (!k.Zwaan || k.Zwaan->Switch == 0 || !k.Zwaan->Spline) return 0;
  return k.Zwaan->Spline->Eval(Lam);
}

void InitKappa(TKappaCalculator& Calc, const std::string& Name, const std::string& HMFile,
               int32_t Switch, const std::string& ZFile) {
  TKappaState& k = Kappa();
  Calc.Mark = 0;
  if (!k.HM) k.HM = std::make_unique<TKappaHM01>();
  if (k.HM->FileName != HMFile) {
    k.HM->FileName.clear();
    REHM(HMFile, *k.HM);
    k.HM->FileName = HMFile;
  }
  Calc.Name = Name;
  Calc.Function = Name == "LANDI" ? 2 : 1;
  if (!k.Zwaan) k.Zwaan = std::make_unique<TKZwaan>();
  k.Zwaan->Switch = Switch;
  if (k.Zwaan->FileName != ZFile) {
    k.Zwaan->FileName = ZFile;
    REZwaan(ZFile, k.Zwaan->X, k.Zwaan->Y);
    if (!k.Zwaan->Spline) k.Zwaan->Spline = std::make_unique<TSPLINE>();
    k.Zwaan->Spline->SetData(NOf(k.Zwaan->X), k.Zwaan->X, k.Zwaan->Y);
  }
  Calc.Mark = TKappaCalculator::ReadyMark;
}

void KappaSetup(TVARIATOR& Vari) {
  const std::string name = Vari.GetS("#OPACITY");
  const std::string hm = Models().DirOf("GEDA", name == "ALLER" ? "ALLER" : "ALLEN");
  const std::string zf = Models().DirOf("GEDA", "FZWAAN");
  InitKappa(Kappa().Calc, name, hm, Vari.GetI("#KZWAAN", 0), zf);
}

// ---------------------------------------------------------------------------------------------
// Depth vectors

namespace {
void CheckCalc(const std::string& Head) {
  TCalcContext& c = CalcCtx();
  if (!c.Kappa || c.Kappa->Calc.Mark != TKappaCalculator::ReadyMark)
    ModFatal(Head + " не поготовлены таблицы поглощения!"_cp);
  if (!c.Kappa->Calc.HasFunction()) ErrAbs(Head + " не не выбрана функция поглощения!"_cp);
}
}  // namespace

void PKAP5(TVEMO& KAP5) {
  CheckCalc("PKAP5.Err при заполнении KAPPA(5000)"_cp);
  TVEMO* t = Need(KAP5, "T");
  TVEMO* pe = Need(KAP5, "LGPE");
  TVEMO* pg = Need(KAP5, "LGPG");
  TVEMO* nh = Need(KAP5, "NH");
  physfill::Fill(
      "PKAP5", {t, pe, pg, nh}, {&KAP5},
      [](const double* v, double* r) {
        r[0] = KappaCalcValue(5000, v[0], std::pow(10.0, v[1]), std::pow(10.0, v[2]), v[3]);
      },
      {t, pg, pe, nh});
}

void PKAP(TVEMO& ETAC, double Lam) {
  CheckCalc("PKAP.Err при заполнении KAPPA("_cp + IntStr(static_cast<int32_t>(std::lround(Lam))) +
            ")");
  TVEMO* t = Need(ETAC, "T");
  TVEMO* pe = Need(ETAC, "LGPE");
  TVEMO* pg = Need(ETAC, "LGPG");
  TVEMO* nh = Need(ETAC, "NH");
  TVEMO* kap = Need(ETAC, "KAP5");
  physfill::Fill(
      "PKAP", {t, pe, pg, nh, kap}, {&ETAC},
      [Lam](const double* v, double* r) {
        const double k =
            KappaCalcValue(Lam, v[0], std::pow(10.0, v[1]), std::pow(10.0, v[2]), v[3]);
        r[0] = v[4] != 0 ? k / v[4] : k;
      },
      {t, pg, pe, nh, kap});
}

void PKAPEX(TVEMO& KATOMP, TVEMO& KAHMBF, TVEMO& KAHMFF, TVEMO& KAPALN, TVEMO& KAPLDI,
            TVEMO& KARAH2, TVEMO& KARAH, TVEMO& KAH, TVEMO& KAHMZW, TVEMO& KAHM, double Lam) {
  if (!Kappa().Zwaan || Kappa().Calc.Mark != TKappaCalculator::ReadyMark)
    ModFatal("PKAPEX LAMB=" + ReSt(Lam) + " не поготовлены таблицы поглощения!"_cp);
  TVEMO* t = Need(KAH, "T");
  TVEMO* pe = Need(KAH, "LGPE");
  TVEMO* nh = Need(KAH, "NH");
  const double nhg = NHg();
  const double zw = ZwaanFactor(Lam);
  // outputs: KATOMP, KAHMBF, KAHMFF, KAHM, KAHMZW, KAH, KARAH, KARAH2, KAPLDI, KAPALN
  physfill::Fill(
      "PKAPEX", {t, pe, nh},
      {&KATOMP, &KAHMBF, &KAHMFF, &KAHM, &KAHMZW, &KAH, &KARAH, &KARAH2, &KAPLDI, &KAPALN},
      [&](const double* v, double* r) {
        const double T = v[0], Pe = std::pow(10.0, v[1]), th = kTheta / T;
        const double ne = Pe / (kBoltz * T);
        r[0] = SigmaThomson(ne / v[2]) * nhg;
        r[1] = KappaHmBF(Pe, th, Lam) * nhg;
        r[2] = KappaHmFF(Pe, th, Lam) * nhg;
        r[3] = r[1] + r[2];
        r[4] = r[3] * zw;
        r[5] = KappaH(th, Lam) * nhg;
        r[6] = SigmaRayH(Lam) * nhg;
        r[7] = SigmaRayH2(0, Lam) * nhg;
        r[8] = r[3] + r[4] + r[5] + r[6] + r[7] + r[0];
        r[9] = Pe * KappaTable(T, Lam);
      },
      {});
  auto parents = [](TVEMO& V, std::initializer_list<TVEMO*> P) {
    bool first = true;
    for (TVEMO* p : P) {
      if (first) V.SetParents(p); else V.AddParents(p);
      first = false;
    }
  };
  parents(KATOMP, {t, pe, nh});
  parents(KAHMBF, {t, pe});
  parents(KAHMFF, {t, pe});
  parents(KAHM, {&KAHMFF, &KAHMBF});
  parents(KAHMZW, {&KAHM});
  parents(KAH, {t});
  parents(KAPLDI, {t, pe, &KAHMZW, &KATOMP});
  parents(KAPALN, {t, pe});
}

void PKAPERPE(TVEMO& V, double Lam) {
  TVEMO* t0 = Need(V, "TETA0");
  const int32_t n = t0->N;
  const TARe th = t0->A;
  physfill::Size(V, n);
  for (int32_t i = 1; i <= n; ++i) V.A[Ix(i)] = KappaTable(ThetaT(th[Ix(i)]), Lam);
  V.SetFilled();
}
