#include "models/vectors/cvLVemo.h"

#include <algorithm>
#include <unordered_set>

#include "foundation/cvCIL.h"
#include "foundation/cvClock.h"
#include "foundation/cvSL.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvConv.h"

namespace {
const std::string CRLF = "\r\n";

bool AnyVector(const TVEMO&) { return true; }
bool IsMasterVector(const TVEMO& V) { return V.VESrc == nullptr; }
bool IsCloneVector(const TVEMO& V) { return V.VESrc != nullptr; }
}  // namespace

bool StdModFormat(int32_t FMOD, int32_t& N, double& X0, double& DX) {
  N = 0;
  X0 = DX = 0;
  TCIL cil;
  cil.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
  const std::string fn = Models().DirOf("GEDA", "ROUT");
  cil.Load(fn, "FMOR");
  bool found = false;
  while (cil.FindKey("СТАНДАРТНЫЙ ФОРМАТ МОДЕЛЕЙ"_cp)) {
    cil.NextLine();
    if (cil.GetInt() != FMOD) continue;
    cil.NextLine();
    N = cil.GetInt();
    cil.NextLine();
    X0 = cil.GetReal();
    cil.NextLine();
    DX = cil.GetReal();
    found = true;
    break;
  }
  cil.Unload();
  if (!found)
    WARNAbs("ReadStdModFormat - в файле "_cp + fn + " нет стандартного формата моделей номер "_cp +
            IntStr(FMOD));
  return found;
}

namespace {
// The line identification of a new vector from "KEY=value|...".
void ParseSIdV(TVEMO& V, const std::string& Text) {
  if (TrimCtl(Text).empty()) return;
  auto items = SplitByChar(Text, '|');
  for (int k = 0; k < items->Count(); ++k) {
    const std::string item = TrimCtl((*items)[k]);
    if (item.empty()) continue;
    const std::string head =
        "LVEMO.InitVEMO ERR - в параметре <"_cp + item + "> из списка параметров <"_cp + Text;
    const size_t eq = item.find('=');
    if (eq == std::string::npos)
      ModFatal("LVEMO.InitVEMO ERR - в параметре №"_cp + IntStr(k) + " <" + item +
               "> из списка из "_cp + IntStr(items->Count()) + " параметров <"_cp + Text +
               "> должен быть знак \"=\", отделяющий ключ от значения"_cp);
    if (eq == 0) ModFatal(head + "> пропущен ключ параметра"_cp);
    if (eq + 1 == item.size()) ModFatal(head + "> пропущено значение параметра"_cp);
    const std::string key = item.substr(0, eq);
    const std::string value = item.substr(eq + 1);
    int32_t code = 0;
    if (key == "AT") {
      V.KAT = 1;
      V.AT = value.substr(0, 2);
    } else if (key == "LI") {
      V.KLIN = 1;
      V.LIN6 = value;
    } else if (key == "ION") {
      V.ION = ValIntCode(value, code);
      if (code != 0) ModFatal(head + " значение не является числом"_cp);
      V.KION = 1;
    } else if (key == "LAM" || key == "MJU") {
      const double r = ValRealCode(value, code);
      if (code != 0) ModFatal(head + " значение нельзя преобразовать в число"_cp);
      if (key == "LAM") {
        V.LAM = r;
        V.KLAM = 1;
      } else {
        V.MJU = r;
        V.KMJU = 1;
      }
    } else {
      ModFatal("LVEMO.InitVEMO ERR - в параметре <"_cp + item + "> из списка параметров <"_cp +
               Text + " найдено недопустимое значение ключа <"_cp + key + ">");
    }
  }
}
}  // namespace

std::string JoinCRLF(const TStringList& L) {
  std::string s;
  for (int i = 0; i < L.Count(); ++i) s += (i ? CRLF : std::string()) + L[i];
  return s;
}

TLVEMO::~TLVEMO() = default;

std::string TLVEMO::MakeKey(const std::string& NAME, const std::string& MOD,
                            const std::string& sIdV, int32_t FMOD) {
  std::string k = MOD + "|" + NAME + "|" + IntStr(FMOD);
  if (!sIdV.empty()) k += "|" + sIdV;
  return k;
}

TVEMO* TLVEMO::Append(std::unique_ptr<TVEMO> V) {
  TVEMO* v = V.get();
  items_.push_back(std::move(V));
  index_[v->sId].push_back(v);
  return v;
}

// ---------------------------------------------------------------------------------------------
// Lookups

TVEMO* TLVEMO::Newest(const std::string& Key, bool (*Pred)(const TVEMO&)) const {
  const auto it = index_.find(Key);
  if (it == index_.end()) return nullptr;
  TVEMO* best = nullptr;
  uint32_t stamp = 0;
  for (TVEMO* v : it->second)
    if (v->sId == Key && Pred(*v) && v->TCalc > stamp) {
      best = v;
      stamp = v->TCalc;
    }
  return best;
}

int32_t TLVEMO::IndexOf(const TVEMO* V) const {
  if (!V) return -1;
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == V) return static_cast<int32_t>(i);
  return -1;
}

int32_t TLVEMO::IndexOfSId(const std::string& Key) const { return IndexOf(FindSIdVeMo(Key)); }

TVEMO* TLVEMO::FindSIdVeMo(const std::string& Key) const { return Newest(Key, AnyVector); }

TVEMO* TLVEMO::GetSIDVeMo(const std::string& Key) const {
  TVEMO* v = FindSIdVeMo(Key);
  if (!v) WARN("VEMO.GetSIDVeMo не найден вектор с sId= <"_cp + Key + ">");
  return v;
}

TVEMO* TLVEMO::FindVeMo(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                        int32_t FMOD) const {
  return FindSIdVeMo(MakeKey(NAME, MOD, sIdV, FMOD));
}

TVEMO* TLVEMO::GetVeMo(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                       int32_t FMOD) const {
  return GetSIDVeMo(MakeKey(NAME, MOD, sIdV, FMOD));
}

TVEMO* TLVEMO::FindSIdVeMoOrig(const std::string& Key) const {
  const auto it = index_.find(Key);
  if (it == index_.end()) return nullptr;
  for (TVEMO* v : it->second)
    if (v->sId == Key && IsMasterVector(*v)) return v;
  return nullptr;
}

int32_t TLVEMO::IndexOfSIdOrig(const std::string& Key) const {
  return IndexOf(FindSIdVeMoOrig(Key));
}

TVEMO* TLVEMO::FindVeMoOrig(const std::string& NAME, const std::string& MOD,
                            const std::string& sIdV, int32_t FMOD) const {
  return FindSIdVeMoOrig(MakeKey(NAME, MOD, sIdV, FMOD));
}

TVEMO* TLVEMO::GetSIDVeMoOrig(const std::string& Key) const {
  TVEMO* v = FindSIdVeMoOrig(Key);
  if (!v) WARN("VEMO.GetSIDVeMoOrig не найден вектор с sId= <"_cp + Key + ">");
  return v;
}

TVEMO* TLVEMO::GetVeMoOrig(const std::string& NAME, const std::string& MOD,
                           const std::string& sIdV, int32_t FMOD) const {
  return GetSIDVeMoOrig(MakeKey(NAME, MOD, sIdV, FMOD));
}

int32_t TLVEMO::IndexOfClone(const std::string& Key) const {
  return IndexOf(Newest(Key, IsCloneVector));
}

int32_t TLVEMO::IndexFilled(const std::string& NAME, const std::string& MOD,
                            const std::string& sIdV, int32_t FMOD) const {
  const TVEMO* v = FindVeMo(NAME, MOD, sIdV, FMOD);
  return v && v->IsFilled() ? IndexOf(v) : -1;
}

TVEMO* TLVEMO::FindParentVeMo(const std::string& MOD, const std::string& NAME,
                              const std::string& sIdV, int32_t FMOD) const {
  TVEMO* best = nullptr;
  uint32_t stamp = 0;
  for (const auto& p : items_) {
    TVEMO* v = p.get();
    if (v->sMOD != MOD || v->NAME != NAME || v->FMOD != FMOD) continue;
    if (!v->sIdV.empty() && sIdV.find(v->sIdV) == std::string::npos) continue;
    if (v->TCalc > stamp) {
      best = v;
      stamp = v->TCalc;
    }
  }
  return best;
}

TVEMO* TLVEMO::GetWrkVeMo(const std::string& NAME, const std::string& MOD, std::string& Msg,
                          const std::string& sIdV, int32_t FMOD) const {
  TVEMO* v = FindVeMo(NAME, MOD, sIdV, FMOD);
  if (v && v->IsFilled()) return v;
  int32_t byName = 0, byMod = 0, byGrid = 0;
  for (const auto& p : items_) {
    if (p->NAME == NAME) ++byName;
    if (p->sMOD == MOD) ++byMod;
    if (p->FMOD == FMOD) ++byGrid;
  }
  std::string part = " вектор <"_cp + NAME + "> для модели <"_cp + MOD + "> для сетки №"_cp +
                     IntStr(FMOD);
  if (!sIdV.empty()) part += " для дополнительных параметров <"_cp + sIdV + ">";
  if (byName == 0)
    Msg = "VEMO.GetWrkVeMo не найден никакой вектор с именем <"_cp + NAME + "> для sId=<"_cp + sIdV +
          ">";
  else if (byMod == 0)
    Msg = "VEMO.GetWrkVeMo не найден никакой вектор для модели <"_cp + MOD + "> для sId=<"_cp + sIdV +
          ">";
  else if (byGrid == 0)
    Msg = "VEMO.GetWrkVeMo не найден никакой вектор для сетки №"_cp + IntStr(FMOD) +
          " для sId=<"_cp + sIdV + ">";
  else if (!v)
    Msg = "VEMO.GetWrkVeMo не найден"_cp + part + CRLF + JoinCRLF(*ReportModList(MOD));
  else
    Msg = "VEMO.GetWrkVeMo не заполнен (Not Filled!)"_cp + part;
  return nullptr;
}

TVEMO* TLVEMO::NeedWrkVeMo(const std::string& NAME, const std::string& MOD,
                           const std::string& sIdV, int32_t FMOD) const {
  std::string msg;
  TVEMO* v = GetWrkVeMo(NAME, MOD, msg, sIdV, FMOD);
  if (!v) ModFatal(msg);
  return v;
}

bool TLVEMO::HasMod(const std::string& MOD) const {
  for (const auto& p : items_)
    if (p->sMOD == MOD && p->FMOD == 0) return true;
  return false;
}

bool TLVEMO::EnsureMod(const std::string& MOD) {
  if (HasMod(MOD)) return true;
  LoadModel("", "", "", MOD);
  return HasMod(MOD);
}

int32_t TLVEMO::CountOrig(const std::string& MOD, int32_t FMOD) const {
  int32_t n = 0;
  for (const auto& p : items_)
    if (p->sMOD == MOD && p->FMOD == FMOD && p->VESrc == nullptr) ++n;
  return n;
}

// ---------------------------------------------------------------------------------------------
// Creating and adding

TVEMO* TLVEMO::InitVEMO(const std::string& MOD, const std::string& NAME, const std::string& sIdV,
                        int32_t FMOD) {
  if (!ParamList().IsKey(NAME))
    ModFatal("VEMO.Init Mod=<" + MOD + "> недопустимый вектор: <"_cp + NAME +
             "> в списке физ.параметров LVEPA"_cp);
  if (TVEMO* v = FindVeMoOrig(NAME, MOD, sIdV, FMOD)) return v;
  int32_t n = 0;
  double x0 = 0, dx = 0;
  if (FMOD != 0) {
    StdModFormat(FMOD, n, x0, dx);
    if (n < 0) n = 0;
  } else if (!FindVeMoOrig("X", MOD, "", 0) && !FindVeMoOrig("h", MOD, "", 0)) {
    ModFatal("LVEMO.InitVEMO Mod=<" + MOD + "> вектор: "_cp + NAME +
             " - при операции Init для оригинальных моделей (FMOD=0)"_cp +
             " сперва надо определить вектор X (или h)"_cp);
  }
  auto v = std::make_unique<TVEMO>();
  v->KX = static_cast<uint8_t>(ParamList().KindOf(NAME));
  if (NAME == "X" && v->KX == 1) {
    v->A.assign(static_cast<size_t>(n) + 1, 0.0);
    double x = x0;
    for (int32_t i = 1; i <= n; ++i) {
      v->A[static_cast<size_t>(i)] = x;
      x += dx;
    }
    v->N = n;
    v->SetFilled();
    v->sMLdt = "X";
  } else {
    TVEMO* d = FindVeMo("X", MOD, "", FMOD);
    if (!d) d = FindVeMo("h", MOD, "", FMOD);
    if (!d) {
      if (v->KX == 1)
        ModFatal("LVEMO.InitVEMO возможность использования вектора глубин с именем <"_cp + NAME +
                 ">" + CRLF + "при использовании сетки модели IFMOD="_cp + IntStr(FMOD) + CRLF +
                 "в отсутствие векторов X или h ещё не запрограммирована!"_cp);
      ModFatal("LVEMO.InitVEMO Mod=<" + MOD + "> вектор <"_cp + NAME +
               "> - Сначала надо определить вектор глубин X или h!"_cp + CRLF +
               "Сетка модели IFMOD="_cp + IntStr(FMOD));
    }
    v->LGTAU = d;
    v->A.assign(static_cast<size_t>(n) + 1, 0.0);
    v->N = n;
    v->KA = 0;
    v->sMLdt.clear();
  }
  v->sMOD = MOD;
  v->NAME = NAME;
  v->FMOD = FMOD;
  ParseSIdV(*v, sIdV);
  v->NAlg = CountOrig(MOD, FMOD) + 1;
  v->MakeSIdV();
  v->DropSpline();
  v->SetScales();
  v->SetRepFmt();
  return Append(std::move(v));
}

TVEMO* TLVEMO::FindOrInitVEMO(const std::string& MOD, const std::string& NAME,
                              const std::string& sIdV, int32_t FMOD) {
  if (TVEMO* v = FindVeMo(NAME, MOD, sIdV, FMOD)) return v;
  return InitVEMO(MOD, NAME, sIdV, FMOD);
}

TVEMO* TLVEMO::InitX0(const std::string& MOD) {
  if (FindVeMo("X", MOD, "", 0))
    ModFatal("LVEMO.InitX0 Mod=<" + MOD + "> вектор <X> уже был инициализирован!"_cp);
  auto v = std::make_unique<TVEMO>();
  v->sMOD = MOD;
  v->NAME = "X";
  v->FMOD = 0;
  v->KX = 1;
  v->Kh = 0;
  v->NAlg = CountOrig(MOD, 0) + 1;
  v->MakeSIdV();
  v->SetScales();
  v->SetRepFmt();
  v->TCalc = UniqueTick();
  return Append(std::move(v));
}

TVEMO* TLVEMO::AddVeMo(const std::string& NAME, const std::string& MOD, const TARe& Values,
                       uint8_t KTyp, uint8_t KX, const std::string& sIdV, int32_t FMOD,
                       const std::string& sTAB) {
  auto v = std::make_unique<TVEMO>();
  v->NAME = NAME;
  v->sMOD = MOD;
  v->sTAB = sTAB;
  v->FMOD = FMOD;
  v->sIdV = sIdV;
  v->MakeSId();
  v->KX = KX;
  v->KTyp = KTyp;
  v->A = Values;
  if (v->A.empty()) v->A.push_back(0.0);
  v->N = NOf(v->A);
  v->SetFilled();
  v->SetScales();
  v->SetRepFmt();
  v->NAlg = CountOrig(MOD, FMOD) + 1;
  return Append(std::move(v));
}

TVEMO* TLVEMO::AddClone(std::unique_ptr<TVEMO> V) {
  if (!V || V->NAME.empty()) return nullptr;
  if (!V->VESrc)
    WARNAbs("При добавлении к списку LVEMO клона "_cp + V->NAME +
            " у него обнаружена незаполненная ссылка VESrc!"_cp);
  TVEMO* old = Newest(V->sId, IsCloneVector);
  if (!old) return Append(std::move(V));
  TVEMO* v = V.get();
  const int32_t at = IndexOf(old);
  auto& bucket = index_[old->sId];
  std::replace(bucket.begin(), bucket.end(), old, v);
  std::unique_ptr<TVEMO> gone = std::move(items_[static_cast<size_t>(at)]);
  items_[static_cast<size_t>(at)] = std::move(V);
  std::unordered_map<const TVEMO*, std::string> map{{gone.get(), gone->sId}};
  // links to the old clone now lead to the new one
  for (const auto& p : items_) {
    if (p->LGTAU == gone.get()) p->LGTAU = v;
    if (p->hVEMO == gone.get()) p->hVEMO = v;
    if (p->VESrc == gone.get()) p->VESrc = FindSIdVeMoOrig(map.begin()->second);
    if (p->VParents) std::replace(p->VParents->begin(), p->VParents->end(), gone.get(), v);
  }
  if (OnDeleted) OnDeleted(map);
  gone->Clear();
  return v;
}

void TLVEMO::LoadCFRF(const std::string& sIdVText, const std::string& LI, const TARe& Y,
                      const TARe& X, const std::string& Extra, const std::string& XNAME,
                      const std::string& YNAME, const std::string& MOD, const std::string& MJU) {
  TVEMO* xv = FindVeMo(XNAME, MOD, "", 2);
  if (xv) {
    if (xv->A != X) {
      WARNAbs("LVEMO.LoadCFRF найдены разные векторы X для"_cp + xv->sId);
      return;
    }
  } else {
    AddVeMo(XNAME, MOD, X, 8, 1, "", 2, "");
    xv = FindVeMo(XNAME, MOD, "", 2);
    if (xv && XNAME == "h") xv->Kh = 1;
    if (!xv) {
      WARNAbs("Чтото Не ТАК!"_cp);
      return;
    }
  }
  std::string id;
  auto add = [&id](const std::string& P) {
    if (!P.empty()) id += (id.empty() ? "" : "|") + P;
  };
  if (!LI.empty()) add("LI=" + LI);
  if (!MJU.empty()) add("MJU=" + MJU);
  std::string rest = sIdVText;
  for (const char* o : {"XM", "MOD", "LIN", "CTETA"}) rest = CutOption('#', o, rest);
  add(TrimCtl(rest));
  if (!Extra.empty()) id += (id.empty() ? "" : "|") + Extra;
  TVEMO* yv = FindVeMo(YNAME, MOD, id, 2);
  if (yv) {
    if (yv->A.size() != Y.size()) {
      WARNAbs("LVEMO.LoadCFRF при замене массива A у вектора "_cp + YNAME + "|" + MOD + "|2|" +
              id + " найдены вектор Y "_cp + " другого размера!"_cp);
      return;
    }
    yv->A = Y;
  } else {
    AddVeMo(YNAME, MOD, Y, 8, 0, id, 2, "");
    yv = FindVeMo(YNAME, MOD, id, 2);
    if (!yv) {
      WARNAbs("LVEMO.LoadCFRF произошла какая-то фигня!"_cp);
      return;
    }
  }
  if (XNAME == "X") {
    yv->LGTAU = xv;
    yv->Kh = 0;
  } else if (XNAME == "h") {
    yv->hVEMO = xv;
    yv->Kh = 1;
  }
}

// ---------------------------------------------------------------------------------------------
// Deleting

void TLVEMO::DelWhere(const std::function<bool(const TVEMO&)>& Pred) {
  std::unordered_map<const TVEMO*, std::string> gone;
  std::vector<std::unique_ptr<TVEMO>> freed;
  for (size_t i = items_.size(); i-- > 0;) {
    if (!Pred(*items_[i])) continue;
    TVEMO* v = items_[i].get();
    gone.emplace(v, v->sId);
    auto it = index_.find(v->sId);
    if (it != index_.end()) {
      auto& b = it->second;
      b.erase(std::remove(b.begin(), b.end(), v), b.end());
      if (b.empty()) index_.erase(it);
    }
    freed.push_back(std::move(items_[i]));
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (gone.empty()) return;
  // links of the vectors kept: to the vector of the same key that is left, or none
  for (const auto& p : items_) {
    auto relink = [&](TVEMO*& L, bool Master) {
      const auto g = gone.find(L);
      if (g != gone.end()) L = Master ? FindSIdVeMoOrig(g->second) : FindSIdVeMo(g->second);
    };
    relink(p->LGTAU, false);
    relink(p->hVEMO, false);
    relink(p->VESrc, true);
    if (p->VParents) {
      auto& vp = *p->VParents;
      vp.erase(std::remove_if(vp.begin(), vp.end(), [&](TVEMO* x) { return gone.count(x) > 0; }),
               vp.end());
    }
  }
  if (OnDeleted) OnDeleted(gone);
  for (auto& v : freed) v->Clear();
}

void TLVEMO::DelModF(const std::string& MOD, int32_t FMOD) {
  DelWhere([&](const TVEMO& v) { return v.sMOD == MOD && (FMOD < 0 || v.FMOD == FMOD); });
}

void TLVEMO::DelModVeMo(const std::string& MOD, const std::string& NAME, int32_t FMOD) {
  DelWhere([&](const TVEMO& v) { return v.sMOD == MOD && v.NAME == NAME && v.FMOD == FMOD; });
}

void TLVEMO::DelLineVeMo() {
  DelWhere([](const TVEMO& v) {
    return v.sIdV.find("AT=") != std::string::npos || v.sIdV.find("LI=") != std::string::npos ||
           v.sIdV.find("LAM=") != std::string::npos;
  });
}

void TLVEMO::DelHoleVeMo() {
  const std::string mod = CurMOD;
  DelWhere([&](const TVEMO& v) { return v.sMOD == mod && v.FMOD == 1 && v.Ch != 0; });
}

// ---------------------------------------------------------------------------------------------
// Queries

void TLVEMO::GetHolePar(char& Ch, double& XL, double& XU) const {
  if (CurMOD.empty()) ErrAbs("LVEMO.GetHolePar Err текущая модель CurMOD не задана!"_cp);
  Ch = 0;
  XL = XU = 0;
  for (const auto& p : items_)
    if (p->sMOD == CurMOD && p->FMOD == 1) p->GetHolePar("LVEMO.GetHole", p.get(), XU, XL, Ch);
}

std::unique_ptr<TStrList> TLVEMO::LIN6List() const {
  auto sl = std::make_unique<TStrList>();
  for (const auto& p : items_) {
    const std::string s = TrimCtl(p->LIN6);
    if (s.empty()) continue;
    bool have = false;
    for (int i = 0; i < sl->Count() && !have; ++i) have = (*sl)[i].find(s) != std::string::npos;
    if (!have) sl->Add(s);
  }
  return sl;
}

// ---------------------------------------------------------------------------------------------
// Filling a working vector from its model's source vector

void TVEMO::SrcFill() {
  TLVEMO& K = Keeper();
  const std::string& M = sMOD;
  if (!K.EnsureMod(M))
    ModFatal("SrcFill.ERR: VEMO_" + NAME + " для модели <"_cp + M + "> SID=<" + sId + ">" + CRLF +
             "не найден файл оригинальной модели!"_cp);
  TVEMO* S = K.FindVeMo(NAME, M, sIdV, 0);
  if (!S) {
    CalcCtx().ConvList->ResetMarks();
    ConvertVEMO(M, NAME, S);
  }
  if (!S) {
    const std::string tail = "> Для вектора <"_cp + NAME + "> SID=<" + sId + ">" + CRLF +
                             "не найдено соответствия в оригинальной модели!"_cp + CRLF +
                             JoinCRLF(*K.ReportList());
    if (!Cont().ION) {
      if (NAME != "T" && NAME != "LGPG" && NAME != "LGPE") return;
      ModFatal("VEMO.SrcFill Модель <"_cp + M + tail);
    }
    if (NAME == "TETA0") ModFatal("VEMO.SrcFill.ERR: Модель <"_cp + M + tail);
    if (NAME != "PG0" && NAME != "PE0") return;
    if (!K.EnsureMod("HOLMU"))
      ModFatal("SrcFill.ERR: VEMO_" + NAME + " для модели <\"HOLMU\"> SID=<"_cp + sId + ">" +
               CRLF + "> не найден файл оригинальной модели!"_cp + CRLF +
               JoinCRLF(*K.ReportList()));
    CalcCtx().ConvList->ResetMarks();
    ConvertVEMO("HOLMU", NAME, S);
    if (!S)
      ModFatal("VEMO.SrcFill Модель <\"HOLMU\"> Для вектора <"_cp + NAME + "> SID=<" + sId + ">" +
               CRLF + "не найдено соответствия в оригинальной модели!"_cp + CRLF +
               JoinCRLF(*K.ReportList()));
  }
  const TVEMO* link = Kh == 1 ? hVEMO : LGTAU;
  if (!link || !link->IsFilled()) {
    std::string what;
    if (Kh == 1)
      what = link ? " не заполнен VEMO h(KM)!"_cp : "не привязан VEMO h(KM)!"_cp;
    else
      what = link ? " не заполнен VEMO X=LG(TAU)!"_cp : "не привязан VEMO X=LG(TAU)!"_cp;
    ModFatal("VEMO.SrcFill для модели <"_cp + M + "> для вектора <"_cp + NAME + "> для сетки №"_cp +
             IntStr(FMOD) + " SID=<" + sId + ">" + CRLF + what + CRLF + JoinCRLF(*K.ReportList()));
  }
  if (NAME == "T") {
    TVARIATOR* vari = VariCtx().VARI;
    const std::string ip = vari ? vari->GetSDef("#IPOLT", "S") : std::string("S");
    S->ChIPOL = ip.empty() ? 'S' : ip[0];
  }
  S->SplineInit();
  const TARe& d = link->A;
  if (static_cast<int32_t>(A.size()) < N + 1) A.resize(static_cast<size_t>(N) + 1);
  for (int32_t i = 1; i <= N; ++i) {
    const double x = d[static_cast<size_t>(i)];
    double v = S->func(x);
    if (NAME == "T") {
      if (v > 500000) v = 500000;
    } else if (NAME == "LGPG" || NAME == "LGPE") {
      if (v > 10) {
        v = 10;
        WARN("ограничиваем логарифм давления сверху"_cp);
      }
    } else if (NAME == "PG0" || NAME == "PE0" || NAME == "PG" || NAME == "PE") {
      if (v <= 0) {
        WARN("Модель "_cp + sMOD + " J=" + IntStr(i) + " h=" + EFSt(3, x) +
             " VEMO.SrcFill давление "_cp + NAME + " =" + EFSt(4, v) + " заменяем на +1E-20"_cp);
        v = 1e-20;
      }
    }
    A[static_cast<size_t>(i)] = v;
  }
  SetParents(S);
  SetFilled();
}
