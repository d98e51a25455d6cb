#include "synthesis/fit/cvDialogCalc.h"

#include <cmath>
#include <memory>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "synthesis/drivers/cvRunAlg.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvFitUtil.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

constexpr int32_t kMaxCases = 5;

// The keep-edited rule of the model keeper on for one run only.
class TKeepEdited {
 public:
  explicit TKeepEdited(bool On) : on_(On), saved_(CalcCtx().VeMoKeepEdited) {
    if (on_) CalcCtx().VeMoKeepEdited = true;
  }
  ~TKeepEdited() {
    if (on_) CalcCtx().VeMoKeepEdited = saved_;
  }
  TKeepEdited(const TKeepEdited&) = delete;
  TKeepEdited& operator=(const TKeepEdited&) = delete;

 private:
  bool on_, saved_;
};

bool SameVals(const TVariRec* R, const std::vector<std::string>& Vals) {
  if (!R || R->NVals() != static_cast<int32_t>(Vals.size())) return false;
  for (int32_t i = 0; i < R->NVals(); ++i)
    if (TrimCtl(R->Vals[i]) != TrimCtl(Vals[static_cast<size_t>(i)])) return false;
  return true;
}

// Key (with "#") with these values, added as one parameter unless it is there already.
void PutKey(TVARIATOR& V, const std::string& Key, const std::vector<std::string>& Vals) {
  if (Vals.empty() || SameVals(V.FindRec(Key), Vals)) return;
  TStringList l;
  l.Add(Key);
  for (const std::string& v : Vals) l.Add(v);
  V.AddPSL(&l);
}

std::string Hash(const std::string& Key) {
  const std::string k = TrimCtl(Key);
  return !k.empty() && k[0] == '#' ? k : "#" + k;
}

double MeanI(TUNNO& D) {
  TARe y;
  D.CopyUParFull("RI", y);
  double s = 0;
  for (size_t i = 1; i < y.size(); ++i) s += y[i];
  return y.size() > 1 ? s / static_cast<double>(y.size() - 1) : 0;
}

std::string Place(const std::string& Q, int32_t IQ, int32_t K) {
  return "QUEST=<" + Q + "> шаг="_cp + IntStr(IQ) + " комбинация="_cp + IntStr(K);
}

}  // namespace

// ---------------------------------------------------------------- scales

double DiaScaleValue(const TDiaScale& S, double F) {
  const double s = S.L + (S.R - S.L) * F;
  return S.Log ? std::pow(10.0, s) : s;
}

bool DiaBarPos(const TDiaScale& S, double V, int32_t& Pos) {
  if (S.R == S.L) return false;
  if (S.Log && !(V > 0)) return false;
  const double x = S.Log ? std::log10(V) : V;
  Pos = static_cast<int32_t>(std::nearbyint((x - S.L) * 100 / (S.R - S.L)));
  return true;
}

int32_t DiaScaleExpand(TDiaScale& S, double F, double K, int32_t Dir) {
  const double W = S.R - S.L;
  const double s = S.L + W * F;
  const double c = Dir > 0 ? K - 1 : 1 / K - 1;
  S.L = S.L - F * W * c;
  S.R = S.R + (1 - F) * W * c;
  if (S.R == S.L) return 0;
  return static_cast<int32_t>(std::nearbyint((s - S.L) * 100 / (S.R - S.L)));
}

double DiaScaleShift(TDiaScale& S, double F, double T) {
  const double W = S.R - S.L;
  S.L -= W * T;
  S.R -= W * T;
  return DiaScaleValue(S, F);
}

std::string DiaSig4(double X) { return TrimCtl(SigSt(4, X)); }

std::string DiaShiftText(const TDiaScale& S, double V) {
  return S.Log ? FSt(6, 3, V) : DiaSig4(V);
}

// ---------------------------------------------------------------- parameters

int32_t DiaReadParams(TVARIATOR& V, const TDiaParams& P) {
  for (const TDiaRow& r : P.Rows) {
    const std::string key = Hash(r.Key);
    if (V.NoKey(key)) V.AddPQOneStr(key + " " + r.Value + " ", true);
    V.UpDate(key, r.Value, r.Time);
  }
  for (const TDiaObsRow& o : P.Obs)
    if (o.Axis == 1) PutKey(V, Hash(o.Key), {o.Val});
  int32_t x = 0;
  for (const TDiaObsRow& o : P.Obs) {
    if (o.Axis != 2) continue;
    if (o.K != 0 && static_cast<int32_t>(P.XItems.size()) >= o.K) {
      PutKey(V, Hash(o.Key), {P.XItems[static_cast<size_t>(o.K - 1)]});
      x = o.K;
    } else {
      PutKey(V, Hash(o.Key), P.XItems);
      x = 0;
    }
  }
  return x;
}

std::vector<int32_t> DiaCases(int32_t XIndex, int32_t N) {
  std::vector<int32_t> c;
  if (XIndex != 0) c.push_back(XIndex);
  else
    for (int32_t i = 1; i <= N; ++i) c.push_back(i);
  return c;
}

// ---------------------------------------------------------------- the calculation

TVARIATOR* DiaVariOf(const std::string& VariDia) {
  TVariContext& ctx = VariCtx();
  const std::string q = TrimCtl(VariDia);
  if (q.empty() || (ctx.VARI && ctx.VARI->QUEST == q)) {
    if (!ctx.VARI) WARNAbs("CALC: рабочий вариатор VARI не определен!"_cp);
    return ctx.VARI;
  }
  TVARIATOR* V = ctx.LVARI ? ctx.LVARI->GetQuestVARI(q) : nullptr;
  if (!V) {
    WARNAbs("CALC: в списке вариаторов нет квеста <"_cp + q + "> (cbVARI_Dia)"_cp);
    return nullptr;
  }
  ctx.VARI = V;
  return V;
}

bool DialogCalc(TJob& Job, TLUNNO& List, const TDiaCalcIn& In, TDiaCalcOut& Out) {
  Out = TDiaCalcOut{};
  TVariContext& ctx = VariCtx();
  TVARIATOR* V = In.ByCurv ? ctx.VARI : DiaVariOf(In.VariDia);
  if (!V) {
    if (In.ByCurv) WARNAbs("CALC by CURV: рабочий вариатор VARI не определен!"_cp);
    return false;
  }
  const int32_t xIndex = DiaReadParams(*V, In.Params);
  const int32_t n = static_cast<int32_t>(In.Params.XItems.size());
  {
    TKeepEdited keep(In.ByCurv);
    const std::string word = In.ByCurv ? std::string("RECONT") : TrimCtl(V->GetS("#ALG"));
    TStringList report;
    RunAlg(Job, word, report, List);
  }
  if (Job.Cancelled()) return false;
  ctx.VARI = V;

  const std::string q = V->QUEST;
  std::vector<int32_t> cases = DiaCases(xIndex, n);
  const std::string qobs = TrimCtl(V->GetS("#Q_OBS"));
  const std::string obsV = TrimCtl(V->GetS("#OBS_V")), obsX = TrimCtl(V->GetS("#OBS_X"));
  const std::string keyV = "#" + obsV, keyX = "#" + obsX;
  TLVARI* L = ctx.LVARI;
  const int32_t iqObs = L ? L->CountQuest(qobs) : 0;
  const int32_t iq = L ? L->CountQuest(q) : 0;
  TVARIATOR* obsVari = L ? L->GetQuestVARI(qobs) : nullptr;
  const int32_t vIdx = In.ObsValIdx;
  if (cases.empty()) {
    WARNAbs("CALC: список случаев пуст (нет значений "_cp + keyX + "): "_cp + Place(q, iq, 0));
    return false;
  }
  if (static_cast<int32_t>(cases.size()) > kMaxCases) {
    WARNAbs("CALC: случаев "_cp + IntStr(static_cast<int32_t>(cases.size())) +
            ", сравниваются первые "_cp + IntStr(kMaxCases));
    cases.resize(kMaxCases);
  }
  if (!obsVari) {
    WARNAbs("CALC: нет вариатора наблюдений "_cp + Place(qobs, iqObs, 0));
    return false;
  }
  const int32_t nc = static_cast<int32_t>(cases.size());
  std::vector<TUNNO*> U(cases.size()), O(cases.size()), D(cases.size(), nullptr);
  // profiles of earlier runs keep no reference: only this run's cases get differences
  for (int32_t i = 0; i < List.Count(); ++i)
    if (List.Items(i)->QUEST == q) List.Items(i)->URef = nullptr;
  for (int32_t j = 1; j <= nc; ++j) {
    const int32_t x = cases[static_cast<size_t>(j - 1)];
    std::string keys = keyV, idx = IntStr(vIdx);
    if (!obsX.empty()) {
      keys += " " + keyX;
      idx += " " + IntStr(x);
    }
    const int32_t kj = obsVari->GetKByStr(keys, idx);
    TUNNO* u = List.GetByVar(q, iq, j);
    TUNNO* o = kj > 0 ? List.GetByVar(qobs, iqObs, kj) : nullptr;
    if (!u) {
      WARNAbs("CALC: нет рассчитанного профиля "_cp + Place(q, iq, j));
      return false;
    }
    if (!o) {
      WARNAbs("CALC: нет наблюдаемого профиля "_cp + Place(qobs, iqObs, kj) + " (" + keys + " " +
              idx + ")");
      return false;
    }
    u->URef = o;
    U[static_cast<size_t>(j - 1)] = u;
    O[static_cast<size_t>(j - 1)] = o;
  }
  List.FillDif(Job, In.ByCurv ? In.AppQuest : q);
  if (Job.Cancelled()) return false;
  for (int32_t j = 1; j <= nc; ++j) D[static_cast<size_t>(j - 1)] = List.GetDifByVar(q, j);
  U.back()->CheckKVARI(" Calc at DIALOG Tab ", *V);

  Out.NCases = nc;
  Out.TwoRows = In.Prof && (In.Diff || In.Bisect || In.Width);
  std::string c;
  for (int32_t j = 1; j <= nc; ++j) {
    TUNNO& u = *U[static_cast<size_t>(j - 1)];
    TUNNO& o = *O[static_cast<size_t>(j - 1)];
    TUNNO* d = D[static_cast<size_t>(j - 1)];
    if (j <= V->NK) V->KIdx = j;
    const std::string vV = TrimCtl(V->GetSK(keyV));
    const std::string vX = obsX.empty() ? std::string() : TrimCtl(V->GetSK(keyX));
    const std::string tail = " " + vV + " " + vX;
    const int32_t second = In.Prof ? nc + j : j;
    if (In.Prof) {
      TDiaGraph g;
      u.GetULVD(g.X);
      u.CopyUParFull("RI", g.Y);
      g.DimX = "A";
      g.DimY = "RI";
      g.NameX = "l A";
      g.Title = q + tail;
      g.Cell = j;
      if (In.ByCurv) {
        g.NameY = " RI";
        g.Line = In.CurvLine;
        Out.Graphs.push_back(std::move(g));
      } else {
        g.NameY = (u.KVARI <= V->NK ? V->GetKS(u.KVARI) : std::string()) + " RI";
        g.Line = "-.K";
        Out.Graphs.push_back(std::move(g));
        TDiaGraph h;
        o.GetFullLam(h.X);
        o.CopyUParFull("RI", h.Y);
        h.DimX = "A";
        h.DimY = "RI";
        h.NameX = "l A";
        c = o.KVARI <= obsVari->NK ? obsVari->GetKS(o.KVARI) : std::string();
        h.NameY = c + " RI";
        h.Title = qobs + tail;
        h.Line = "=.B";
        h.Cell = j;
        Out.Graphs.push_back(std::move(h));
      }
    }
    if (!d) {
      if (In.Diff || In.Bisect || In.Width)
        WARNAbs("CALC: нет разностного профиля "_cp + Place(q, iq, j));
      Out.DifMean.push_back(0);
      continue;
    }
    Out.DifMean.push_back(MeanI(*d));
    const std::string cc = In.ByCurv ? std::string() : c;
    auto add = [&](bool On, const std::string& Word, const TARe& X, const TARe& Y,
                   const std::string& DimX, const std::string& DimY, const std::string& Line) {
      if (!On) return;
      TDiaGraph g;
      g.X = X;
      g.Y = Y;
      g.DimX = DimX;
      g.DimY = DimY;
      g.NameX = "l A";
      g.NameY = Word + " " + cc + " RI";
      g.Title = Word + " " + q + tail;
      g.Line = Line;
      g.Cell = second;
      if (g.X.size() <= 1 || g.Y.size() <= 1) {
        WARNAbs("График <"_cp + g.Title + "> имеет нулевой размер!"_cp);
        return;
      }
      Out.Graphs.push_back(std::move(g));
    };
    if (In.Diff) {
      TARe x, y;
      d->GetFullLam(x);
      d->CopyUParFull("RI", y);
      add(true, "DIF", x, y, "A", "d_RI", "-.R");
    }
    add(In.Bisect, "Bisect", d->BiSec, d->YInt, "dA", "RI", "-.B");
    add(In.Width, "Width", d->Width, d->YInt, "dA(W)", "RI", "-.G");
  }
  return true;
}

// ---------------------------------------------------------------- Di spans

bool DiFillLams(TDiLamSpan& S, double La1, double La2, double DL, const std::string& MainLine,
                const std::function<double(const std::string&)>& MainLam) {
  if (La1 == La2) {
    WARNAbs("FillALam Err: должны быть заданы границы la1 и la2!"_cp);
    return false;
  }
  if (DL == 0) {
    WARNAbs("FillALam Err: должен быть задан шаг dla!"_cp);
    return false;
  }
  const double dl = DL > 0.3 ? DL / 1000 : DL;
  const int32_t n = static_cast<int32_t>(std::nearbyint((La2 - La1) / dl));
  double c = La1 + dl * (n / 2);
  const std::string line = TrimCtl(MainLine);
  if (!line.empty()) {
    c = MainLam ? MainLam(line) : 0;
    if (c == 0) {
      WARNAbs("FillALam Err: не загружена линия <"_cp + line + ">!");
      return false;
    }
    if (!(La1 > 0)) {
      La1 = c + La1 / 1000;
      La2 = c + La2 / 1000;
    }
  }
  const int32_t jL = static_cast<int32_t>(std::nearbyint((c - La1) / dl));
  const int32_t jR = static_cast<int32_t>(std::nearbyint((La2 - c) / dl));
  if (jL < 0 || jR < 0) {
    WARNAbs("FillALam Err: центр <"_cp + FSt(0, 4, c) + "> вне границ la1 и la2!"_cp);
    return false;
  }
  S.nL = jL + 1 + jR;
  S.Lams.assign(static_cast<size_t>(S.nL) + 1, 0);
  S.Lams[static_cast<size_t>(jL + 1)] = c;
  for (int32_t k = 1; k <= jL; ++k) S.Lams[static_cast<size_t>(jL + 1 - k)] = c - k * dl;
  for (int32_t m = 1; m <= jR; ++m) S.Lams[static_cast<size_t>(jL + 1 + m)] = c + m * dl;
  S.KL = 1;
  return true;
}

std::string DiLamsLine(const TDiLamSpan& S) {
  std::string s;
  for (int32_t i = 1; i <= S.nL && i < static_cast<int32_t>(S.Lams.size()); ++i) {
    if (i > 1) s += ' ';
    s += TrimCtl(SigSt(9, S.Lams[static_cast<size_t>(i)]));
  }
  return s;
}

// ---------------------------------------------------------------- the VARI tab's names

void VariNameSplit(const std::string& Text, std::string& Quest, int32_t& Step) {
  const std::string t = TrimCtl(Text);
  const std::vector<std::string> w = fit::Words(t);
  if (w.size() <= 1) {
    Quest = t;
    Step = 1;
    return;
  }
  Step = ValIntOr0(w.back());
  const size_t p = t.rfind(w.back());
  Quest = TrimCtl(t.substr(0, p));
}
