// The profile list's measuring work: the difference profiles of a quest, the contribution and
// response functions along a probe layer, and the text reports of the list.
#include <cmath>

#include "foundation/cvClock.h"
#include "foundation/cvDate.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/variator/cvVariText.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {
const std::string CRLF = "\r\n";

TVARIATOR* StepVari(const std::string& Quest, int32_t IQ) {
  TLVARI* L = VariCtx().LVARI;
  return L ? L->GetIQuestVARI(Quest, IQ) : nullptr;
}

// The short date of today (dd.mm.yyyy).
std::string Today() {
  const std::string d = DateYYYYMMDD(NowDateTime());
  return d.size() == 8 ? d.substr(6, 2) + "." + d.substr(4, 2) + "." + d.substr(0, 4) : d;
}

std::string SlotIndex(int32_t I, int32_t Count) {
  const int32_t width = static_cast<int32_t>(IntStr(Count).size());
  std::string s = IntStr(I);
  return std::string(static_cast<size_t>(std::max<int32_t>(0, width - static_cast<int32_t>(s.size()))), ' ') + s;
}

// A number word of a spec parameter (empty: the default).
bool SpecNumber(const std::string& Text, double Default, double& Value) {
  if (Text.empty()) {
    Value = Default;
    return true;
  }
  int32_t code = 0;
  Value = ValRealCode(Text, code);
  return code == 0;
}
}  // namespace

// ---------------------------------------------------------------- difference profiles

void TLUNNO::FillDif(TJob& Job, const std::string& Quest) {
  for (int32_t i = Count() - 1; i >= 0; --i) {
    const TUNNO& U = *items_[static_cast<size_t>(i)];
    if (U.KDif == 1 && U.QUEST == Quest) DeleteAt(i);
  }
  TLVARI* L = VariCtx().LVARI;
  TVARIATOR* V = L ? L->GetQuestVARI(Quest) : nullptr;
  std::vector<TUNNO*> todo;
  for (const auto& p : items_)
    if (p->QUEST == Quest && p->URef) todo.push_back(p.get());
  const int64_t total = static_cast<int64_t>(todo.size());
  for (int64_t n = 0; n < total; ++n) {
    TUNNO& U = *todo[static_cast<size_t>(n)];
    if (!Job.Step(n, total, "LUNNO.FillDif " + UnnoName(U))) return;
    if (U.KCONT != 1) U.DivCont();
    if (V) {
      if (V->NK < U.KVARI)
        WARN("ОТЛАДКА!!! LUNNO.FillDif UN.KVARI="_cp + IntStr(U.KVARI) + " > VARIq.NK=" +
             IntStr(V->NK) + " !!!");
      else {
        V->KIdx = U.KVARI;
        (void)V->GetR("#VMA", 0);
      }
    }
    auto D = std::make_unique<TUNNO>();
    D->SetDefaults();
    const bool sameGrid = TUNNO::EqLayout(U, *U.URef).empty() && EqUN(U, *U.URef).empty();
    if (sameGrid)
      D->Dif(U, *U.URef);
    else
      D->Dif2(U, *U.URef);
    D->CalcLCurvI();
    Add(std::move(D));
  }
  Job.Step(total, total, "LUNNO.FillDif " + Quest);
}

// ---------------------------------------------------------------- contribution functions

namespace {

// The observable Name of U (after the blur); false for a name that is none.
bool Observable(TUNNO& U, const std::string& Name, double Slit1, double Slit2, double DLam,
                char Kind, double DLev, double& Y) {
  auto is = [&](const char* s) { return Name == s; };
  if (Name.size() == 3 && Name.compare(0, 2, "bi") == 0 && Name[2] >= '1' && Name[2] <= '9') {
    Y = U.Bi9A[static_cast<size_t>(Name[2] - '1')];
  } else if (is("Cont")) {
    Y = U.CONT;
  } else if (is("Teff")) {
    Y = U.Teff;
  } else if (is("d0")) {
    Y = 100 * U.GetD0();
  } else if (is("dMax")) {
    Y = 100 * U.GetDepth();
  } else if (is("RVMax")) {
    Y = 100 * U.GetAmpl("RV");
  } else if (is("Lam_C")) {
    Y = U.GetLamVD();
  } else if (is("wI") || is("wV") || is("wQ") || is("wU")) {
    Y = U.EqWidth(Name[1], Slit1, Slit2);
  } else if (is("V/W")) {
    const double wi = U.EqWidth('I', Slit1, Slit2);
    Y = wi != 0 ? U.EqWidth('V', Slit1, Slit2) / wi : 0;
  } else if (is("dlV") || is("Biv")) {
    Y = U.COGSplitIV();
  } else if (is("width")) {
    Y = U.WidthAt(Kind, DLev);
  } else if (is("dLam")) {
    Y = U.BisecAt(Kind, DLev);
  } else if (is("RI") || is("RV") || is("RQ") || is("RU")) {
    const double x = U.LAMB + DLam / 1000;
    Y = Name[1] == 'I' ? U.IAt(x) : Name[1] == 'V' ? U.VAt(x) : Name[1] == 'Q' ? U.QAt(x) : U.UAt(x);
  } else if (is("biLC") || is("biLD") || is("biL5") || is("biL1") || is("biLR") || is("biLL") ||
             is("biRIR") || is("biRIL")) {
    // the level curves of the profile as measured now (blurred or not)
    U.Bisector();
    double r[8] = {};
    U.BisecPoints(r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]);
    const char* names[8] = {"biLC", "biLD", "biL5", "biL1", "biLR", "biLL", "biRIR", "biRIL"};
    for (int k = 0; k < 8; ++k)
      if (Name == names[k]) Y = r[k];
  } else if (is("MV1")) {
    Y = U.VMoment1();
  } else if (is("MV2")) {
    Y = U.VMoment2();
  } else if (is("MVa")) {
    Y = U.VaMoment();
  } else if (is("MQ1")) {
    Y = U.QMoment1();
  } else if (is("MQ2")) {
    Y = U.QMoment2();
  } else if (is("MQUa")) {
    Y = U.QaMoment();
  } else if (is("MI1")) {
    Y = U.IMoment1();
  } else if (is("MI2")) {
    Y = U.IMoment2();
  } else if (Name.compare(0, 3, "ivB") == 0) {
    const std::string t = Name.substr(3);
    if (t.size() == 1 && t[0] >= '1' && t[0] <= '9')
      Y = U.CogB[static_cast<size_t>(t[0] - '1')];
    else if (t == "06")
      Y = U.B06;
    else if (t == "94")
      Y = U.B94;
    else if (t == "Core")
      Y = U.CoreB;
    else
      Y = 0;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool TLUNNO::ExtractCFRF(const std::string& Spec, const std::string& Quest, TARe& X, TARe& Y,
                         int32_t Slice, int32_t IQ, const std::string& Filter) {
  X.clear();
  Y.clear();
  const size_t bar = Spec.find('|');
  const std::string name = TrimCtl(bar == std::string::npos ? Spec : Spec.substr(0, bar));
  std::string params = bar == std::string::npos ? std::string() : Spec.substr(bar + 1);
  for (char& c : params)
    if (c == '|') c = ' ';
  const std::string head = "LUNNO.ExtractCFRF(" + Spec + ") параметр "_cp;
  auto value = [&](const char* Key) {
    std::string v;
    KeyWordValue(params, Key, v);
    return v;
  };
  // Vma: a number with "km/s" (velocity) or "mA" (Gauss width); without a unit no blur
  std::string vmaText = value("Vma");
  bool km = false, ma = false;
  if (vmaText.size() > 4 && vmaText.compare(vmaText.size() - 4, 4, "km/s") == 0) {
    km = true;
    vmaText.resize(vmaText.size() - 4);
  } else if (vmaText.size() > 2 && vmaText.compare(vmaText.size() - 2, 2, "mA") == 0) {
    ma = true;
    vmaText.resize(vmaText.size() - 2);
  }
  double vma = 0, slit1 = 0, slit2 = 0, dLam = 0, dLev = 0.5;
  if (!SpecNumber(vmaText, 0, vma)) {
    WARNAbs(head + "Vma(km/s) = НЕ ЧИСЛО!"_cp);
    return false;
  }
  if (!km && !ma) vma = 0;
  const struct {
    const char* Key;
    double Default;
    double* Value;
  } nums[] = {{"slit1", 0, &slit1}, {"slit2", 0, &slit2}, {"dLam", 0, &dLam}, {"dLev", 0.5, &dLev}};
  for (const auto& p : nums)
    if (!SpecNumber(value(p.Key), p.Default, *p.Value)) {
      WARNAbs(head + p.Key + " = НЕ ЧИСЛО!"_cp);
      return false;
    }
  if (slit1 > slit2) std::swap(slit1, slit2);
  const std::string rl = value("RLevel");
  char kind = 'P';
  if (rl == "1")
    kind = 'A';
  else if (rl == "D0")
    kind = 'C';
  else if (rl.empty() || rl == "Dmax")
    kind = 'P';
  else {
    WARNAbs(head + "RLevel должен содержать \"1\",\"D0\" или \"Dmax\"!"_cp);
    return false;
  }
  TVARIATOR* V = StepVari(Quest, IQ);
  if (!V) {
    WARNAbs("ERR LUNNO.ExtractCFRF Вариатор VARI для QUEST="_cp + Quest + "." + IntStr(IQ) +
            " Not Assigned!");
    return false;
  }
  // the slice grid: every dimension but the probe layer's
  std::string keys;
  TAIn dims{0};
  int64_t p = 1;
  const int32_t nj = V->GetNJPar();
  for (int32_t j = 1; j <= nj; ++j) {
    const TVariRec* r = V->Rec(j);
    if (!r || r->NVals() < 2 || r->Kind == 2 || VariKey(r->Key) == "#XM") continue;
    keys += (keys.empty() ? "" : " ") + r->Key;
    dims.push_back(r->NVals());
    p *= r->NVals();
  }
  if (Slice > p || Slice < 1) {
    WARNAbs("Затребованный вариант "_cp + IntStr(Slice) +
            " больше числа возможных комбинаций "_cp + IntStr(static_cast<int32_t>(p)));
    return false;
  }
  const int32_t ndim = static_cast<int32_t>(dims.size()) - 1;
  TAIn idx;
  TABLIdx(dims, idx, ndim, Slice);
  const std::vector<int32_t> ks = V->GetK(keys, std::vector<int32_t>(idx.begin() + 1, idx.end()));
  const int32_t n = static_cast<int32_t>(ks.size());
  X.assign(static_cast<size_t>(n) + 1, 0.0);
  Y.assign(static_cast<size_t>(n) + 1, 0.0);
  const std::string who = "(" + V->QUEST + ")." + IntStr(V->IQ);
  for (int32_t j = 1; j <= n; ++j) {
    const int32_t K = ks[static_cast<size_t>(j - 1)];
    if (K > V->NK)
      ErrAbs("ERR LUNNO.ExtractCFRF" + who + " № комбинации UN.KVARI="_cp + IntStr(K) +
             " > числа комбинаций VARI.NK = "_cp + IntStr(V->NK) + CRLF + "LUNNO Index=" +
             IntStr(j) + " Общее число параметров = "_cp + IntStr(V->Count()));
    V->KIdx = K;
    const std::string ks0 = V->GetKS(K);
    if (j == 1 && !Filter.empty() && ks0.find(Filter) == std::string::npos) {
      X.clear();
      Y.clear();
      return false;
    }
    TUNNO* U = GetByVar(Quest, IQ, K);
    if (!U) {
      WARNAbs("LUNNO.ExtractCFRF" + who + " нет профиля комбинации KIdx="_cp + IntStr(K));
      return false;
    }
    std::string xm;
    KeyWordValue(ks0, "#XM", xm);
    if (xm.empty()) {
      WARNAbs("Для профиля "_cp + who + " KIdx=" + IntStr(K) +
              " не найдена подстрока #XM в строке <"_cp + ks0 + ">");
      return false;
    }
    int32_t code = 0;
    const double x = ValRealCode(xm, code);
    if (code != 0) {
      WARNAbs("ERR LUNNO.ExtractCFRF" + who + " № комбинации UN.KVARI="_cp + IntStr(K) +
              " ошибка в числе #XM="_cp + xm);
      return false;
    }
    X[j] = x;
    if (vma != 0) {
      if (km)
        U->FillBlurKM(vma);
      else
        U->FillBlur(vma);
    }
    double y = 0;
    if (!Observable(*U, name, slit1, slit2, dLam, kind, dLev, y)) {
      WARNAbs("ERR LUNNO.ExtractCFRF обработка CFRF вида <"_cp + Spec +
              "> еще не предусмотрена!"_cp);
      return false;
    }
    Y[j] = y;
  }
  return n > 0;
}

bool StoreCFRF(TLUNNO& List, const std::string& Spec, const std::string& Quest, int32_t IQ,
               int32_t Slice, const std::string& Filter, std::string& Name) {
  Name.clear();
  TARe x, y;
  if (!List.ExtractCFRF(Spec, Quest, x, y, Slice, IQ, Filter)) return false;
  TVARIATOR* V = StepVari(Quest, IQ);
  TLVEMO* keeper = CalcCtx().LVEMO;
  if (!V || !keeper) return false;
  const std::vector<std::string> mod = varitext::Words(V->GetS0("MOD"));
  if (mod.empty()) {
    WARNAbs("Не профиля Стокса для квеста "_cp + Quest + "." + IntStr(IQ) +
            " не задана модель фотосферы -"_cp + CRLF + "нельзя сформировать вектор CFRF!"_cp);
    return false;
  }
  const std::string model = mod.size() >= 2 ? mod[1] : mod[0];
  std::string name, scale;
  V->GetCFRFVemoName(name, scale);
  if (name == "Err") return false;
  keeper->LoadCFRF(V->GetKS(V->KIdx), V->GetS0("LIN"), y, x, Spec, scale, name, model,
                   V->GetS0("CTETA"));
  Name = name;
  return true;
}

// ---------------------------------------------------------------- reports

std::unique_ptr<TStringList> TLUNNO::List() const {
  auto L = std::make_unique<TStringList>();
  L->Add("Отчет списка профилей LUNNO["_cp + IntStr(Count()) + "] от "_cp + Today() +
         " PROJ=" + Synthesis().ProjectName());
  for (int32_t i = 0; i < Count(); ++i) {
    const TUNNO* U = Items(i);
    L->Add(SlotIndex(i, Count()) + (U ? " " + U->HeadLine() : std::string(" UNNO Not Assigned!")));
  }
  return L;
}

std::unique_ptr<TStringList> TLUNNO::ReportListVary() const {
  auto L = std::make_unique<TStringList>();
  L->Add("Список расшифровок параметров для профилей LUNNO["_cp + IntStr(Count()) + "] от "_cp +
         Today() + " PROJ=" + Synthesis().ProjectName());
  TVARIATOR* V = VariCtx().VARI;
  for (int32_t i = 0; i < Count(); ++i) {
    const TUNNO* U = Items(i);
    if (!U) {
      L->Add(SlotIndex(i, Count()) + " UNNO Not Assigned!");
      continue;
    }
    std::string ks;
    if (V) {
      if (U->KVARI > V->NK)
        ErrAbs("ERR LUNNO.ReportListVary(" + V->QUEST + ")." + IntStr(V->IQ) +
               " № комбинации UN.KVARI="_cp + IntStr(U->KVARI) +
               " > числа комбинаций VARI.NK = "_cp + IntStr(V->NK) + CRLF +
               "Общее число параметров = "_cp + IntStr(V->Count()));
      ks = V->GetKS(U->KVARI);
    }
    std::string k = IntStr(U->KVARI);
    if (k.size() < 3) k.insert(0, 3 - k.size(), ' ');
    L->Add(SlotIndex(i, Count()) + " " + U->QUEST + " " + k + " " + ks);
  }
  return L;
}

std::unique_ptr<TStringList> TLUNNO::ReportQuest(const std::string& Quest, int32_t IQ) const {
  auto L = std::make_unique<TStringList>();
  TVARIATOR* V = VariCtx().VARI;
  for (int32_t k = 1; V && k <= V->NK; ++k) L->AddStrings(*ReportVar(Quest, IQ, k));
  return L;
}

std::unique_ptr<TStringList> TLUNNO::ReportVar4Tesk(const std::string& Quest, int32_t IQ,
                                                    int32_t KVar) const {
  auto L = std::make_unique<TStringList>();
  for (TUNNO* U : ListByVar(Quest, IQ, KVar)) L->AddStrings(*UnnoReport4Quenrad(*U));
  return L;
}

std::unique_ptr<TStringList> TLUNNO::ReportQuest4Tesk(const std::string& Quest, int32_t IQ) const {
  auto L = std::make_unique<TStringList>();
  TVARIATOR* V = VariCtx().VARI;
  for (int32_t k = 1; V && k <= V->NK; ++k) L->AddStrings(*ReportVar4Tesk(Quest, IQ, k));
  return L;
}

std::unique_ptr<TStringList> TLUNNO::ReportVorn(const std::string& Quest) const {
  auto L = std::make_unique<TStringList>();
  TLVARI* LV = VariCtx().LVARI;
  TVARIATOR* V = VariCtx().VARI;
  const int32_t iq = LV ? LV->CountQuest(Quest) : 0;
  if (iq < 1) return L;
  for (int32_t k = 1; V && k <= V->NK; ++k) {
    TUNNO* U = GetByVar(Quest, iq, k);
    if (U)
      L->AddStrings(*UnnoReportShort(*U));
    else
      L->Add("KVARI=" + IntStr(k) + " - нет профиля"_cp);
  }
  return L;
}

std::unique_ptr<TStringList> TLUNNO::ReportLambs(const std::string& Quest, int32_t IQ) const {
  auto L = std::make_unique<TStringList>();
  TVARIATOR* V = VariCtx().VARI;
  std::string prev;
  bool any = false;
  for (int32_t k = 1; V && k <= V->NK; ++k) {
    TUNNO* U = IQ != 0 ? GetByVar(Quest, IQ, k) : nullptr;
    if (!U) continue;
    const std::string label = Synthesis().LineLabel(U->sULin, U->LAMB);
    if (!any || label != prev) L->Add(label);
    prev = label;
    any = true;
  }
  return L;
}
