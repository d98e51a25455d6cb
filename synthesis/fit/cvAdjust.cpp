#include "synthesis/fit/cvAdjust.h"

#include <cmath>
#include <limits>

#include "foundation/cvFile.h"
#include "foundation/cvInterp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/FileErr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvDoCont.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The work data of one run.
struct TAdJust {
  std::string QObs, QCalc, QObsPar, QBothPar, AdjustPar, CompMeth, ObsParVal;
  int32_t IQObs = 0, IQCalc = 0;
  double AdjustVal1 = 0, AdjustVal2 = 0, ErrVal = 0;
  int32_t MaxPts = 1000, NPts = 0, N = 0;
  TAReRe X, D, E;  // [row 0..N][point 0..MaxPts]
  TVARIATOR* Obs = nullptr;
  TVARIATOR* Calc = nullptr;
};

// The current quest set for a while and put back on every exit.
class TQuestSwap {
 public:
  explicit TQuestSwap(const std::string& Q) : saved_(Synthesis().Quest()) { Synthesis().SetQuest(Q); }
  ~TQuestSwap() { Synthesis().SetQuest(saved_); }
  TQuestSwap(const TQuestSwap&) = delete;
  TQuestSwap& operator=(const TQuestSwap&) = delete;

 private:
  std::string saved_;
};

std::string Req(TVARIATOR& V, const char* Key) { return TrimCtl(V.GetS(Key)); }

// The step of quest Q that holds its observations: the last step with values of the common
// parameter and profiles in the list (else the quest's last step).
TVARIATOR* ObservationStep(const std::string& Q, const std::string& BothKey, const TLUNNO& List) {
  TLVARI* L = VariCtx().LVARI;
  if (!L) return nullptr;
  for (int32_t i = L->Count() - 1; i >= 0; --i) {
    TVARIATOR* V = L->Items(i);
    if (V && V->QUEST == Q && V->NVals(BothKey) > 0 && List.CountQuest(Q, V->IQ) > 0) return V;
  }
  return L->GetQuestVARI(Q);
}

// One evaluation at the trial value x into point p. False when cancelled.
bool CalcAdjPoint(TJob& Job, TAdJust& A, TLUNNO& List, double x, int32_t p) {
  TVARIATOR& C = *A.Calc;
  C.AddPQOneStr("#" + A.QObsPar + " " + A.ObsParVal + " ", true);
  C.AddPQOneStr("#" + A.AdjustPar + " " + ReSt(x) + " ", true);
  C.AddPQOneStr("#RUN CONT ", true);
  {
    TQuestSwap quest(A.QCalc);
    VariCtx().VARI = &C;
    C.KIdx = 1;
    RunVARI(Job, List, nullptr);
  }
  if (Job.Cancelled()) return false;
  TVARIATOR& O = *A.Obs;
  const std::string obsKey = "#" + A.QObsPar, bothKey = "#" + A.QBothPar;
  const int32_t e = O.GetJSI(O.KeyIdx(obsKey), A.ObsParVal);
  if (e == 0)
    ErrAbs("AdJust: значения <"_cp + A.ObsParVal + "> нет среди значений "_cp + obsKey +
           " расчета <"_cp + A.QObs + ">!");
  double sum = 0, sum2 = 0;
  int32_t used = 0;
  for (int32_t i = 1; i <= A.N; ++i) {
    const std::vector<int32_t> ks = O.GetK(obsKey + " " + bothKey, {e, i});
    if (ks.empty()) return false;  // cancelled
    TUNNO* uo = List.GetByVar(A.QObs, A.IQObs, ks.back());
    TUNNO* uc = List.GetByVar(A.QCalc, A.IQCalc, i);
    if (!uo || !uc)
      ErrAbs("LUNNO.GetByVar (" + (uo ? A.QCalc : A.QObs) + "." +
             IntStr(uo ? A.IQCalc : A.IQObs) + " IVar=" + IntStr(uo ? i : ks.back()) + " => NIL" +
             " QuestStepCount=" +
             IntStr(uo ? List.CountQuest(A.QCalc, A.IQCalc) : List.CountQuest(A.QObs, A.IQObs)));
    const double wo = uo->EqWidthDef('I');
    const double wc = uc->EqWidthDef('I');
    auto& d = A.D[static_cast<size_t>(i)][static_cast<size_t>(p)];
    auto& q = A.E[static_cast<size_t>(i)][static_cast<size_t>(p)];
    A.X[static_cast<size_t>(i)][static_cast<size_t>(p)] = x;
    if (wo == 0) {
      WARNAbs("AdJust: наблюдаемая эквивалентная ширина профиля "_cp + UnnoName(*uo) + " (" +
              uo->sULin + ") равна 0 - строка "_cp + IntStr(i) + " не учитывается!"_cp);
      d = q = kNaN;
      continue;
    }
    d = (wc - wo) / wo;
    q = d * d;
    sum += d;
    sum2 += q;
    ++used;
  }
  if (used == 0)
    ErrAbs("AdJust: ни у одного наблюдения расчета <"_cp + A.QObs +
           "> нет ненулевой эквивалентной ширины!"_cp);
  A.X[0][static_cast<size_t>(p)] = x;
  A.D[0][static_cast<size_t>(p)] = sum / used;
  A.E[0][static_cast<size_t>(p)] = std::sqrt(sum2 / used);
  return true;
}

std::string Dev(double v) { return FSt(8, 5, v); }

}  // namespace

double AdjNextValue(const std::vector<double>& Lg, const std::vector<double>& R, int32_t n) {
  int32_t o = 0;
  for (int32_t k = 1; k <= n; ++k)
    if (Lg[static_cast<size_t>(k)] < 0) o = k;
  if (o == 0 || o == n) {
    // no pair brackets the zero: the secant of the two nearest points
    const size_t a = o == 0 ? 1 : static_cast<size_t>(n) - 1;
    return LinIpol2(0, Lg[a], Lg[a + 1], R[a], R[a + 1]);
  }
  const size_t u = static_cast<size_t>(o);
  const double x = AReIpolCubic(o, Lg, R, 0);
  if (x >= R[u] && x <= R[u + 1]) return x;
  return LinIpol2(0, Lg[u], Lg[u + 1], R[u], R[u + 1]);
}

TAdjustOutcome AdJust(TJob& Job, TLUNNO& List, TStringList& Result) {
  TAdjustOutcome out;
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ModFatal("AdJust: рабочий вариатор VARI неопределен!"_cp);
  const std::string quest = Synthesis().Quest();
  const std::string report = Models().FileOf("ACDC", "DCTXT", quest);
  if (report.empty() || !ForceFileDir(report))
    ModFatal("Невозможно создать директорию для файла\r\n"_cp + report);

  TAdJust A;
  A.QObs = Req(*V, "#Q_OBS");
  A.QCalc = Req(*V, "#Q_CALC");
  A.QObsPar = Req(*V, "#Q_OBS_PAR");
  A.QBothPar = Req(*V, "#Q_BOTH_PAR");
  A.AdjustPar = Req(*V, "#ADJUST_PAR");
  A.CompMeth = Req(*V, "#COMP_METH");
  A.AdjustVal1 = V->GetRK("#ADJUST_VAL1");
  A.AdjustVal2 = V->GetRK("#ADJUST_VAL2");
  A.ErrVal = V->GetRK("#ERR_VAL");
  A.ObsParVal = Req(*V, ("#" + A.QObsPar).c_str());

  TQuestText text;
  if (!LoadAndRunOne(Job, A.QObs, List, text)) return out;
  Result.AddStrings(text.Text);
  A.Obs = ObservationStep(A.QObs, "#" + A.QBothPar, List);
  if (!A.Obs) ModFatal("AdJust: расчет <"_cp + A.QObs + "> не дал ни одного шага!"_cp);
  A.IQObs = A.Obs->IQ;
  A.N = A.Obs->NVals("#" + A.QBothPar);

  const size_t rows = static_cast<size_t>(A.N) + 1, cols = static_cast<size_t>(A.MaxPts) + 2;
  A.X.assign(rows, TARe(cols, 0.0));
  A.D.assign(rows, TARe(cols, 0.0));
  A.E.assign(rows, TARe(cols, 0.0));
  for (size_t i = 0; i < rows; ++i) {
    A.X[i][1] = A.AdjustVal1;
    A.X[i][2] = A.AdjustVal2;
  }
  A.NPts = 2;

  TQuestText calcText;
  if (!LoadAndRunOne(Job, A.QCalc, List, calcText)) return out;
  Result.AddStrings(calcText.Text);
  TLVARI* L = VariCtx().LVARI;
  A.Calc = L ? L->GetQuestVARI(A.QCalc) : nullptr;
  const int32_t nc = A.Calc ? A.Calc->NVals("#" + A.QBothPar) : 0;
  if (!A.Calc || nc != A.N || A.N == 0) {
    WARNAbs("В расчетах <"_cp + A.QObs + "> и <"_cp + A.QCalc + ">  размерность парамера <"_cp +
            A.QBothPar + "> равна соотвественно "_cp + IntStr(A.N) + " и "_cp + IntStr(nc) +
            ", а должна быть одинаковой!"_cp);
    return out;
  }
  A.IQCalc = A.Calc->IQ;

  auto step = [&](int32_t p) {
    return Job.Step(A.NPts, 0,
                    "ADJUST N=" + IntStr(A.NPts) + " " + A.AdjustPar + "=" +
                        Dev(A.X[0][static_cast<size_t>(p)]) + " <(Wc-Wo)/Wo>=" +
                        FSt(8, 5, A.D[0][static_cast<size_t>(p)]));
  };
  double x = A.AdjustVal1;
  if (!CalcAdjPoint(Job, A, List, x, 1) || !step(1)) return out;
  x = A.AdjustVal2;
  if (!CalcAdjPoint(Job, A, List, x, 2) || !step(2)) return out;
  int32_t p = 2;
  double dev = A.D[0][2];
  while (std::fabs(dev) > A.ErrVal) {
    const int32_t n = A.NPts;
    TARe Lg(static_cast<size_t>(n) + 1, 0.0), R(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t k = 1; k <= n; ++k) {
      Lg[static_cast<size_t>(k)] = std::log10(1 + A.D[0][static_cast<size_t>(k)]);
      R[static_cast<size_t>(k)] = A.X[0][static_cast<size_t>(k)];
    }
    // the table of the trial, in the text results
    std::string l1 = "N=" + IntStr(n), l2, l3;
    for (int32_t k = 1; k <= n; ++k) {
      l2 += FSt(6, 3, Lg[static_cast<size_t>(k)]) + " ";
      l3 += FSt(6, 3, R[static_cast<size_t>(k)]) + " ";
    }
    Result.Add("ADJUST " + l1);
    Result.Add(l2);
    Result.Add(l3);
    x = AdjNextValue(Lg, R, n);
    if (!std::isfinite(x))
      ErrAbs("AdJust: очередное значение "_cp + A.AdjustPar + " не определено (N="_cp +
             IntStr(n) + ")!");
    if (A.NPts >= A.MaxPts) {
      WARNAbs("Превышено место, отведенное для рачетов в процедуре AdJust!"_cp);
      return out;
    }
    // insert the point in ascending order of its value
    p = A.NPts;
    while (p >= 1 && x < A.X[0][static_cast<size_t>(p)]) {
      for (size_t i = 0; i < rows; ++i) {
        A.X[i][static_cast<size_t>(p) + 1] = A.X[i][static_cast<size_t>(p)];
        A.D[i][static_cast<size_t>(p) + 1] = A.D[i][static_cast<size_t>(p)];
        A.E[i][static_cast<size_t>(p) + 1] = A.E[i][static_cast<size_t>(p)];
      }
      --p;
    }
    ++p;
    for (size_t i = 0; i < rows; ++i) {
      A.X[i][static_cast<size_t>(p)] = x;
      A.D[i][static_cast<size_t>(p)] = 0;
      A.E[i][static_cast<size_t>(p)] = 0;
    }
    ++A.NPts;
    if (!CalcAdjPoint(Job, A, List, x, p) || !step(p)) return out;
    dev = A.D[0][static_cast<size_t>(p)];
  }

  std::string line = A.QObsPar + " = " + A.ObsParVal + " lg(gf)= " + FSt(8, 5, x) +
                     " (Wc-Wo)/Wo= ";
  for (int32_t i = 1; i <= A.N; ++i) {
    const double d = A.D[static_cast<size_t>(i)][static_cast<size_t>(p)];
    line += (i > 1 ? " " : "") + FSt(6, 4, d);
    out.Rows.push_back(d);
  }
  TStringList file;
  TResultFiles::Current(report, file);
  file.Add(line);
  TResultFiles::Write(report, file);
  Result.Add(line);
  out.Done = true;
  out.Value = x;
  out.Trials = A.NPts;
  out.ResultLine = line;
  return out;
}
