#include "models/cvVemoTab.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "foundation/cvClock.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "models/physics/cvPhysDepth.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"
#include "models/vectors/cvVemo.h"

namespace {

bool Flag(const TVemoFlags& F, const std::string& Key) { return F.Get && F.Get(Key); }
void SetFlag(const TVemoFlags& F, const std::string& Key, bool On) {
  if (F.Set) F.Set(Key, On);
}

}  // namespace

std::string VemoFlagKey(const std::string& Name) {
  std::string s = Name;
  std::replace(s.begin(), s.end(), '=', ':');
  return s;
}

bool TVemoSelect::Shows(const TVEMO& V) const {
  return FMODOn(V.FMOD) && KDEROn(V.KDer) && !ModOff.count(V.sMOD) && !SidOff.count(V.sIdV);
}

std::array<bool, 3> FMODRowsFromFlags(const TVemoFlags& F) {
  std::array<bool, 3> r{};
  for (int32_t i = 0; i < 3; ++i) r[static_cast<size_t>(i)] = Flag(F, "VEMO|FMOD" + IntStr(i));
  if (!r[0] && !r[1] && !r[2]) {
    r[0] = true;
    SetFlag(F, "VEMO|FMOD0", true);
  }
  return r;
}

std::array<bool, 2> KDERRowsFromFlags(const TVemoFlags& F) {
  std::array<bool, 2> r{};
  for (int32_t i = 0; i < 2; ++i) r[static_cast<size_t>(i)] = Flag(F, "VEMO|KDER" + IntStr(i));
  if (!r[0] && !r[1]) {
    r = {true, true};
    SetFlag(F, "VEMO|KDER0", true);
    SetFlag(F, "VEMO|KDER1", true);
  }
  return r;
}

void FixFMODRows(std::array<bool, 3>& Rows, int32_t Edited, const TVemoFlags& F) {
  if (!Rows[0] && !Rows[1] && !Rows[2]) Rows[Edited == 0 ? 1 : 0] = true;
  for (int32_t i = 0; i < 3; ++i) SetFlag(F, "VEMO|FMOD" + IntStr(i), Rows[static_cast<size_t>(i)]);
}

void FixKDERRows(std::array<bool, 2>& Rows, const TVemoFlags& F) {
  if (!Rows[0] && !Rows[1]) Rows = {true, true};
  for (int32_t i = 0; i < 2; ++i) SetFlag(F, "VEMO|KDER" + IntStr(i), Rows[static_cast<size_t>(i)]);
}

void VemoSelectorLists(const TLVEMO& K, const std::array<bool, 3>& FMOD, const TVemoFlags& F,
                       std::vector<TVemoSelRow>* Models, std::vector<TVemoSelRow>* Sids,
                       const std::unordered_set<std::string>* ModOff) {
  // one pass: a name joins at its first vector (hash sets, no search over the rows)
  std::unordered_set<std::string> seenM, seenS;
  if (Models) Models->clear();
  if (Sids) Sids->clear();
  for (int32_t i = 0; i < K.Count(); ++i) {
    const TVEMO& v = *K.Items(i);
    if (v.FMOD < 0 || v.FMOD > 2 || !FMOD[static_cast<size_t>(v.FMOD)]) continue;
    if (Models && seenM.insert(v.sMOD).second)
      Models->push_back({v.sMOD, !Flag(F, "VEMO|" + VemoFlagKey(v.sMOD))});
    if (Sids && (!ModOff || !ModOff->count(v.sMOD)) && seenS.insert(v.sIdV).second)
      Sids->push_back({v.sIdV, !Flag(F, "VEMOSID|" + VemoFlagKey(v.sIdV))});
  }
}

double VemoHeighGap(std::string& Text) {
  int32_t code = 0;
  const std::string t = TrimCtl(Text);
  const double p = t.empty() ? 0 : ValRealCode(t, code);
  if (t.empty() || code != 0 || !std::isfinite(p)) {
    Text = "0.2";
    return 0.2;
  }
  return p;
}

void VemoTableRows(TLVEMO& K, const TVemoSelect& S, const TVemoFlags& F, double P, bool Eff,
                   bool Reattach, std::vector<TVemoRow>& Rows) {
  size_t n = 0;
  // the "VEMOREP|" flags of the names met (one settings lookup per name)
  std::unordered_map<std::string, bool> repOff;
  // the quantities' definitions by name (one search of the list per name)
  std::unordered_map<std::string, const TPhysParamRec*> defs;
  const TPhysParamList& pl = ParamList();
  for (int32_t i = 0; i < K.Count(); ++i) {
    TVEMO& v = *K.Items(i);
    if (!S.Shows(v)) continue;
    // attached when missing, again when the definitions were read again (never over a format
    // edited here)
    if (!v.RepSet || (Reattach && !v.RepSet->Edited)) {
      auto d = defs.find(v.NAME);
      if (d == defs.end()) d = defs.emplace(v.NAME, pl.GetByKey(v.NAME)).first;
      v.SetRepFmtFrom(d->second);
    }
    if (n == Rows.size()) Rows.emplace_back();
    TVemoRow& r = Rows[n++];
    r.Idx = i;
    r.HasRep = static_cast<bool>(v.RepSet);
    r.Rep = false;
    if (v.RepSet) {
      const TModREP& f = *v.RepSet;
      auto it = repOff.find(v.NAME);
      if (it == repOff.end()) it = repOff.emplace(v.NAME, Flag(F, "VEMOREP|" + v.NAME)).first;
      r.Rep = !f.Skip && !it->second;
      r.KOut = f.KOut;
      r.TYPR.assign(1, f.Ch);
      r.KMul = f.Mul;
      r.NDig = f.Dig;
      r.NW = f.W0;
      r.Hd = f.Hd;
    } else {
      r.KOut = 0;
      r.TYPR.clear();
      r.KMul = 1;
      r.NDig = r.NW = 0;
      r.Hd.clear();
    }
    r.F = v.FMOD;
    r.N = v.N;
    r.Model = v.sMOD;
    r.Name = v.NAME;
    r.sIdV = v.sIdV;
    r.sED = v.sED;
    r.TCalc = v.TCalc;
    r.KEd = v.KEd;
    r.NAlg = v.NAlg;
    r.Parents.clear();
    if (v.Parents)
      for (int j = 0; j < v.Parents->Count(); ++j) {
        if (j) r.Parents += "\r\n";
        r.Parents += (*v.Parents)[j];
      }
    r.sId = v.sId;
    r.Hole = v.Ch != 0 && v.Ch != ' ';
    if (r.Hole) {
      r.HoleCh.assign(1, v.Ch);
      r.HX0 = v.XL;
      r.HX1 = v.XU;
      r.HVal = v.Val;
    } else {
      r.HoleCh.clear();
      r.HX0 = r.HX1 = r.HVal = 0;
    }
    r.KX = v.KX;
    r.xN = v.LGTAU && v.LGTAU->IsFilled() ? v.LGTAU->N : 0;
    r.hN = v.hVEMO && v.hVEMO->IsFilled() ? v.hVEMO->N : 0;
    r.IPol.assign(1, v.ChIPOL ? v.ChIPOL : ' ');
    r.KSpl = v.KSpl == 0 ? 0 : v.KSpl == TVEMO::SplineMark ? 1 : 255;
    r.Eff = Eff && v.FMOD == 2;
    r.hEff = r.hGap = r.hGap1 = r.hGap2 = 0;
    if (r.Eff) {
      v.CFQuantiles(P, r.hEff, r.hGap1, r.hGap2);
      r.hGap = std::fabs(r.hGap2 - r.hGap1);
    }
  }
  Rows.resize(n);
}

std::unique_ptr<TStrList> VemoRowsText(const std::vector<TVemoRow>& Rows) {
  auto sl = std::make_unique<TStrList>();
  sl->Add("Idx Rep F N Model VEMO sIdV Order x? Full_sId");
  for (const TVemoRow& r : Rows)
    sl->Add(IntStr(r.Idx) + " " + (r.Rep ? "1" : "0") + " " + IntStr(r.F) + " " + IntStr(r.N) +
            " " + r.Model + " " + r.Name + " <" + r.sIdV + "> " + IntStr(r.KOut) + " " +
            IntStr(r.KX) + " " + r.sId);
  return sl;
}

const TARe* VemoReportScale(const std::vector<TVemoMarked>& Marked) {
  auto isX = [](const TVEMO& v) { return v.NAME == "X" || v.NAME == "XD"; };
  for (int32_t f : {0, 1})
    for (const TVemoMarked& m : Marked)
      if (m.V->FMOD == f && isX(*m.V)) return &m.V->A;
  for (int32_t f : {0, 1})
    for (const TVemoMarked& m : Marked)
      if (m.V->FMOD == f) return m.V->LGTAU ? &m.V->LGTAU->A : nullptr;
  for (const TVemoMarked& m : Marked) {
    if (m.V->FMOD != 2) continue;
    const TVEMO& v = *m.V;
    if (v.Kh == 0) return v.LGTAU && v.LGTAU->IsFilled() ? &v.LGTAU->A : nullptr;
    if (v.hVEMO) return v.hVEMO->IsFilled() ? &v.hVEMO->A : nullptr;
    return v.IsFilled() ? &v.A : nullptr;
  }
  return nullptr;
}

std::unique_ptr<TStrList> VemoMarkedReport(TLVEMO& K, const std::vector<TVemoMarked>& Marked) {
  if (Marked.empty()) return K.ReportByDim(std::vector<TVEMO*>{}, 0);
  const int32_t n0 = Marked.front().V->N;
  const TARe* x = VemoReportScale(Marked);
  std::vector<TVemoMarked> sorted = Marked;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const TVemoMarked& a, const TVemoMarked& b) { return a.KOut < b.KOut; });
  std::vector<TVEMO*> cols;
  cols.reserve(sorted.size());
  for (const TVemoMarked& m : sorted) cols.push_back(m.V);
  if (x) {
    const TARe copy = *x;  // the report may refill the scale's vector
    return K.Report(std::move(cols), copy);
  }
  return K.ReportByDim(std::move(cols), n0);
}

// ---------------------------------------------------------------- edited vectors

TVEMO* TEditedVectors::Find(const TLVEMO& K, const TItem& I) const {
  if (I.Orig) return K.FindSIdVeMoOrig(I.Key);
  const int32_t i = K.IndexOfClone(I.Key);
  return i >= 0 ? K.Items(i) : nullptr;
}

bool TEditedVectors::Add(const TVEMO& V) {
  const std::string full = V.FullName();
  for (const TItem& i : items_)
    if (i.FullName == full) return false;
  items_.push_back({V.sId, full, V.IsMaster()});
  return true;
}

std::vector<TVEMO*> TEditedVectors::Resolve(const TLVEMO& K) {
  Prune(K);
  std::vector<TVEMO*> r;
  for (const TItem& i : items_)
    if (TVEMO* v = Find(K, i)) r.push_back(v);
  return r;
}

TVEMO* TEditedVectors::ByFullName(const TLVEMO& K, const std::string& Title) {
  for (const TItem& i : items_)
    if (i.FullName == Title) {
      TVEMO* v = Find(K, i);
      return v && v->FullName() == Title ? v : nullptr;
    }
  return nullptr;
}

void TEditedVectors::Prune(const TLVEMO& K) {
  std::erase_if(items_, [&](const TItem& i) {
    const TVEMO* v = Find(K, i);
    return !v || v->FullName() != i.FullName;
  });
}

void TEditedVectors::Remove(const TVEMO& V) {
  const std::string full = V.FullName();
  std::erase_if(items_, [&](const TItem& i) {
    return i.Key == V.sId && i.FullName == full && i.Orig == V.IsMaster();
  });
}

// ---------------------------------------------------------------- deletes

namespace {

int32_t DeleteWhere(TLVEMO& K, TEditedVectors& Edited,
                    const std::function<bool(const TVEMO&)>& Pred) {
  for (int32_t i = 0; i < K.Count(); ++i)
    if (Pred(*K.Items(i))) Edited.Remove(*K.Items(i));
  const int32_t before = K.Count();
  K.DelWhere(Pred);
  Edited.Prune(K);
  return before - K.Count();
}

}  // namespace

int32_t VemoDelete(TLVEMO& K, TEditedVectors& Edited, const std::vector<TVEMO*>& Vectors) {
  std::unordered_set<const TVEMO*> set(Vectors.begin(), Vectors.end());
  return DeleteWhere(K, Edited, [&](const TVEMO& v) { return set.count(&v) != 0; });
}

int32_t VemoDeleteModels(TLVEMO& K, TEditedVectors& Edited, const std::vector<std::string>& Models) {
  std::unordered_set<std::string> set(Models.begin(), Models.end());
  return DeleteWhere(K, Edited, [&](const TVEMO& v) { return set.count(v.sMOD) != 0; });
}

int32_t VemoDeleteLineVectors(TLVEMO& K, TEditedVectors& Edited) {
  // the keeper's rule of line vectors (DelLineVeMo)
  return DeleteWhere(K, Edited, [](const TVEMO& v) {
    return v.sIdV.find("AT=") != std::string::npos || v.sIdV.find("LI=") != std::string::npos ||
           v.sIdV.find("LAM=") != std::string::npos;
  });
}

int32_t VemoDeleteRow2(TLVEMO& K, TEditedVectors& Edited, const std::string& Model,
                       const std::string& Name, const std::string& FMODText, int32_t FMODSetting,
                       std::string& Msg) {
  Msg.clear();
  const std::string mod = TrimCtl(Model), name = TrimCtl(Name);
  const int32_t f = TrimCtl(FMODText).empty() ? -1 : FMODSetting;
  if (mod.empty() || (f == -1 && !name.empty())) return 0;
  if (!name.empty()) {
    const int32_t c = DeleteWhere(K, Edited, [&](const TVEMO& v) {
      return v.sMOD == mod && v.NAME == name && v.FMOD == f;
    });
    Msg = "Вектор "_cp + name + " модели "_cp + mod + " для сетки lg(tau) №"_cp + IntStr(f) +
          " в количестве "_cp + IntStr(c) + " штук удален!"_cp;
    return c;
  }
  const int32_t c = DeleteWhere(K, Edited, [&](const TVEMO& v) {
    return v.sMOD == mod && (f < 0 || v.FMOD == f);
  });
  Msg = "Векторы модели "_cp + mod +
        (f == -1 ? " для всех сеток модели"_cp : " для сетки lg(tau) №"_cp + IntStr(f)) +
        " в количестве "_cp + IntStr(c) + " штук удалены!"_cp;
  return c;
}

// ---------------------------------------------------------------- draw, calc

bool VemoDrawPair(const std::vector<TVEMO*>& Marked, TVEMO*& X, TVEMO*& Y, std::string& Msg) {
  X = Y = nullptr;
  Msg.clear();
  for (TVEMO* v : Marked) {
    TVEMO*& slot = v->KX > 0 ? X : Y;
    if (slot) {
      Msg = (v->KX > 0 ? "Найдено более одного вектора X, это <"_cp
                       : "Найдено более одного вектора Y, это <"_cp) +
            slot->NAME + "> и <"_cp + v->NAME + "> !";
      X = Y = nullptr;
      return false;
    }
    slot = v;
  }
  if (!X || !Y) {
    Msg = !X && !Y ? "Не отмечены векторы X и Y для рисования!"_cp
          : !X     ? "Не отмечен вектор X (шкала глубин) для рисования!"_cp
                   : "Не отмечен вектор Y для рисования!"_cp;
    return false;
  }
  if (X->N != Y->N) {
    Msg = "Векторы X="_cp + X->NAME + " и Y="_cp + Y->NAME + " имеют размерности "_cp +
          IntStr(X->N) + " и "_cp + IntStr(Y->N) + " которые НЕ СОВПАДАЮТ!"_cp;
    return false;
  }
  return true;
}

TVEMO* VemoCalc(TLVEMO& K, const std::string& Q, const std::string& Model, int32_t FMOD, bool D,
                double Lam, std::string& Msg) {
  Msg.clear();
  if (Model.empty()) {
    Msg = "Не найдено ни одной модели!"_cp;
    return nullptr;
  }
  if (Q == "h") {
    TVEMO* h = K.FindOrInitVEMO(Model, "h", "", FMOD);
    PHeightKM(*h, 0.001);
    return h;
  }
  if (Q == "z") {
    TVEMO* z = K.FindOrInitVEMO(Model, "z", "", FMOD);
    PColMass(*z);
    return z;
  }
  const std::string lam = TVEMO::LamSId(Lam);
  if (Q == "B") {
    TVEMO* b = K.FindOrInitVEMO(Model, "B", lam, FMOD);
    PB(*b);
    return b;
  }
  if (Q == "dSdTau") {
    TVEMO* v = K.FindOrInitVEMO(Model, "dSdTau", lam, FMOD);
    if (D) {
      TVEMO* t = K.GetVeMo("T", Model, "", FMOD);
      if (!t) {
        Msg = "Не найден вектор T модели "_cp + Model;
        return nullptr;
      }
      TVEMO* xd = K.FindOrInitVEMO(Model, "XD", "", FMOD);
      TVEMO* dt = K.FindOrInitVEMO(Model, "DTau", "", FMOD);
      PdSdTauDER(*t, *xd, *dt, *v);
    } else {
      PdSdTau(*v);
    }
    return v;
  }
  Msg = "Расчет вектора "_cp + Q + " ещё не запрограммирован!"_cp;
  return nullptr;
}

// ---------------------------------------------------------------- undo of a job

TKeeperUndo::TKeeperUndo(TLVEMO& K) : K_(K) {
  saved_.reserve(static_cast<size_t>(K.Count()));
  for (int32_t i = 0; i < K.Count(); ++i) {
    TVEMO* v = K.Items(i);
    saved_.push_back({v, v->A, v->N, v->KA, v->TCalc, v->sED, v->KEd});
  }
}

void TKeeperUndo::Restore() {
  std::unordered_set<const TVEMO*> had;
  for (const TSaved& s : saved_) had.insert(s.V);
  K_.DelWhere([&](const TVEMO& v) { return !had.count(&v); });
  for (TSaved& s : saved_) {
    TVEMO& v = *s.V;
    if (v.A != s.A || v.TCalc != s.TCalc) v.DropSpline();
    v.A = std::move(s.A);
    v.N = s.N;
    v.KA = s.KA;
    v.TCalc = s.TCalc;
    v.sED = std::move(s.sED);
    v.KEd = s.KEd;
  }
  saved_.clear();
}
