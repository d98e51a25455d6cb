#include "models/variator/cvVari.h"

#include <algorithm>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVariContext.h"
#include "models/variator/cvVariText.h"

namespace {

const std::string CRLF = "\r\n";

using varitext::Words;

// True when a "$" stands within the first two characters of the first word.
bool IsSpreadWord(const std::string& Word) {
  return Word.find('$') != std::string::npos && Word.find('$') < 2;
}

std::string JoinLines(const TStringList& L) {
  std::string s;
  for (int i = 0; i < L.Count(); ++i) s += (i ? CRLF : std::string()) + L[i];
  return s;
}

}  // namespace

std::string VariKey(const std::string& Key) {
  std::string k = TrimCtl(Key);
  if (k.empty() || k[0] != '#') k = "#" + k;
  return k;
}

// ---------------------------------------------------------------------------------------------
// Records

void TVariRec::Clear() {
  Vals.Clear();
  KObj = 0;
}

std::unique_ptr<TVariRec> TVariRec::Copy() const {
  auto r = std::make_unique<TVariRec>();
  r->Key = Key;
  r->Vals = Vals;
  r->NUse = NUse;
  r->LIdx = LIdx;
  r->Kind = Kind;
  r->SrcFile = SrcFile;
  r->Src = Src;
  r->SrcLine = SrcLine;
  r->GCh = GCh;
  r->Stamp = Stamp;
  return r;
}

// ---------------------------------------------------------------------------------------------
// The variator

TVARIATOR::TVARIATOR(std::string Quest, int32_t Step) : QUEST(std::move(Quest)), IQ(Step) {}

TVARIATOR::~TVARIATOR() = default;

TVariRec* TVARIATOR::Rec(int32_t J) const {
  if (J < 1 || J > Count()) return nullptr;
  return items_[static_cast<size_t>(J - 1)].get();
}

void TVARIATOR::InsertRec(int32_t J, std::unique_ptr<TVariRec> R) {
  J = std::clamp(J, 1, Count() + 1);
  items_.insert(items_.begin() + (J - 1), std::move(R));
}

std::unique_ptr<TVariRec> TVARIATOR::TakeRec(int32_t J) {
  auto r = std::move(items_[static_cast<size_t>(J - 1)]);
  items_.erase(items_.begin() + (J - 1));
  return r;
}

// ---- structure ----

int32_t TVARIATOR::KeyIdx(const std::string& Key) const {
  const std::string k = VariKey(Key);
  for (int32_t j = 1; j <= Count(); ++j) {
    const TVariRec* r = Rec(j);
    if (r && r->Key == k) return j;
  }
  return 0;
}

TVariRec* TVARIATOR::FindRec(const std::string& Key) const { return Rec(KeyIdx(Key)); }

int32_t TVARIATOR::NVals(const std::string& Key) const {
  const TVariRec* r = FindRec(Key);
  return r ? r->NVals() : 0;
}

bool TVARIATOR::IsJoined(const std::string& Key) const {
  const TVariRec* r = FindRec(Key);
  return r && r->Kind == 2;
}

int32_t TVARIATOR::ValIdx(const std::string& Key, const std::string& Text) const {
  const TVariRec* r = FindRec(Key);
  if (!r) return 0;
  for (int i = 0; i < r->NVals(); ++i)
    if (r->Vals[i] == Text) return i + 1;
  return 0;
}

int32_t TVARIATOR::NValsOfPar(int32_t J) const {
  const TVariRec* r = Rec(J);
  if (!r)
    ModFatal("VARIATOR("_cp + QUEST + ") ERR обращение к параметру номер "_cp + IntStr(J) +
             " их всего "_cp + IntStr(Count()));
  return r->NVals();
}

std::string TVARIATOR::KeyOfPar(int32_t J) const {
  const TVariRec* r = Rec(J);
  if (!r)
    ModFatal("ERR: VARIATOR("_cp + QUEST + ") имеет "_cp + IntStr(Count()) +
             " параметров, запрошен параметр "_cp + IntStr(J) + "!");
  return r->Key;
}

int32_t TVARIATOR::LIdxOfPar(int32_t J) const {
  const TVariRec* r = Rec(J);
  if (!r)
    ModFatal("ERR: VARIATOR("_cp + QUEST + ") имеет "_cp + IntStr(Count()) +
             " параметров, запрошен параметр "_cp + IntStr(J) + "!");
  return r->LIdx;
}

std::string TVARIATOR::ValOfPar(int32_t J, int32_t I) const {
  const TVariRec* r = Rec(J);
  if (!r)
    ModFatal("VARIATOR("_cp + QUEST + ") ERR обращение к параметру номер "_cp + IntStr(J) +
             " их всего "_cp + IntStr(Count()));
  if (I < 1 || I > r->NVals())
    ModFatal("VARIATOR("_cp + QUEST + ") ERR Параметр №"_cp + IntStr(J) + " имеет "_cp +
             IntStr(r->NVals()) + " значений, а затребовано строковое значение "_cp + IntStr(I));
  return r->Vals[I - 1];
}

int32_t TVARIATOR::GetJSI(int32_t J, const std::string& Text) const {
  const TVariRec* r = Rec(J);
  if (!r)
    ModFatal("VARIATOR GetJSI ERR обращение к параметру номер "_cp + IntStr(J) + " их всего "_cp +
             IntStr(Count()));
  const std::string t = TrimCtl(Text);
  for (int i = 0; i < r->NVals(); ++i)
    if (TrimCtl(r->Vals[i]) == t) return i + 1;
  return 0;
}

int32_t TVARIATOR::GetML() const {
  int32_t ml = 0;
  for (const auto& r : items_)
    if (r && r->LIdx > ml) ml = r->LIdx;
  return ml;
}

int32_t TVARIATOR::GetLNI(int32_t L) const {
  const int32_t ml = GetML();
  if (L < 1 || L > ml)
    ModFatal("ERR: VARIATOR("_cp + QUEST + ") имеет "_cp + IntStr(ml) +
             " вариантов, запрошен вариант "_cp + IntStr(L) + "!");
  for (const auto& r : items_)
    if (r && r->LIdx == L) return r->NVals();
  ModFatal("ERR: VARIATOR("_cp + QUEST + ") GetLNI не найден вариант "_cp + IntStr(L) +
           " среди "_cp + IntStr(ml) + " вариантов!"_cp);
}

int32_t TVARIATOR::CountLIdx(int32_t L) const {
  int32_t n = 0;
  for (const auto& r : items_)
    if (r && r->LIdx == L) ++n;
  return n;
}

int32_t TVARIATOR::GetNJPar() const {
  int32_t last = 0;
  for (int32_t j = 1; j <= Count(); ++j) {
    const TVariRec* r = Rec(j);
    if (!r)
      ModFatal("GetNJPar VARIATOR."_cp + QUEST + " Count=" + IntStr(Count()) +
               " I = " + IntStr(j - 1) + " VariRec NOT ASSIGNED!");
    if (r->KObj != VariRecLive)
      ModFatal("GetNJPar VARIATOR."_cp + QUEST + " Count=" + IntStr(Count()) +
               " I = " + IntStr(j - 1) + " VariRec HAS NOT PROPERLY ASSIGNMENT!");
    if (r->NVals() > 1) last = j;
  }
  return last;
}

// Value counts of dimensions 1..ML (index L - 1).
void TVARIATOR::ValueDims(std::vector<int32_t>& Counts) const {
  const int32_t ml = GetML();
  if (ml > VariMaxDims)
    ModFatal("VARIATOR("_cp + QUEST + ") ERR размерность ML="_cp + IntStr(ml) +
             " не может быть более 256!"_cp);
  Counts.assign(static_cast<size_t>(ml), 0);
  for (const auto& r : items_)
    if (r && r->LIdx >= 1 && r->LIdx <= ml && Counts[static_cast<size_t>(r->LIdx - 1)] == 0)
      Counts[static_cast<size_t>(r->LIdx - 1)] = r->NVals();
}

int32_t TVARIATOR::DimValIdx(int32_t L, int32_t K) const {
  std::vector<int32_t> n;
  ValueDims(n);
  if (K < 1)
    throw EInOutError("SetBit TABL1 ERR: порядковый номер "_cp + IntStr(K) +
                      " не может быть меньше 1!"_cp);
  if (L < 1 || L > static_cast<int32_t>(n.size()))
    ModFatal("ERR: VARIATOR("_cp + QUEST + ") имеет "_cp + IntStr(static_cast<int32_t>(n.size())) +
             " вариантов, запрошен вариант "_cp + IntStr(L) + "!");
  int64_t p = 1;
  for (size_t m = static_cast<size_t>(L); m < n.size(); ++m) p *= std::max(n[m], 1);
  const int32_t nl = std::max(n[static_cast<size_t>(L - 1)], 1);
  return static_cast<int32_t>(((K - 1) / p) % nl + 1);
}

int32_t TVARIATOR::KeyValIdx(const std::string& Key) const {
  const TVariRec* r = FindRec(Key);
  if (!r || r->LIdx == 0) return 1;
  return DimValIdx(r->LIdx, KIdx);
}

std::string TVARIATOR::GetJKS(int32_t J, int32_t K) {
  TVariRec* r = Rec(J);
  if (!r)
    ModFatal("ERR VARIATOR("_cp + QUEST + ")." + IntStr(IQ) + " GetJKS параметра № J="_cp +
             IntStr(J) + " > числа параметров = "_cp + IntStr(Count()));
  if (K > NK)
    ModFatal("ERR VARIATOR("_cp + QUEST + ")." + IntStr(IQ) + " GetJKS № комбинации K="_cp +
             IntStr(K) + " > числа комбинаций = "_cp + IntStr(NK) + CRLF + "№ параметра J="_cp +
             IntStr(J) + " Число параметров = "_cp + IntStr(Count()));
  const int32_t i = r->LIdx == 0 ? 1 : DimValIdx(r->LIdx, K);
  ++r->NUse;
  return i <= r->NVals() ? r->Vals[i - 1] : std::string();
}

std::string TVARIATOR::GetPKS(const std::string& Key, int32_t K) {
  const int32_t j = KeyIdx(Key);
  if (j == 0) {
    auto all = CtrlTextAll();
    ModFatal("VARI.GetPKS ERR: НЕ НАЙДЕН ПАРАМЕТР "_cp + VariKey(Key) + " для варианта K="_cp +
             IntStr(K) + CRLF + (all ? JoinLines(*all) : std::string()));
  }
  if (K > NK)
    ModFatal("ERR VARIATOR("_cp + QUEST + ")." + IntStr(IQ) + " GetPKS № комбинации K="_cp +
             IntStr(K) + " > числа комбинаций = "_cp + IntStr(NK) + CRLF + "Имя параметра =<"_cp +
             VariKey(Key) + "> Общее число параметров = "_cp + IntStr(Count()));
  return GetJKS(j, K);
}

std::string TVARIATOR::GetPKS0(const std::string& Key, int32_t K) {
  const int32_t j = KeyIdx(Key);
  if (j == 0) return std::string();
  if (K > NK)
    ModFatal("ERR VARIATOR("_cp + QUEST + ")." + IntStr(IQ) + " GetPKS0 № комбинации K="_cp +
             IntStr(K) + " > числа комбинаций = "_cp + IntStr(NK) + CRLF + "Имя параметра =<"_cp +
             VariKey(Key) + "> Общее число параметров = "_cp + IntStr(Count()));
  return GetJKS(j, K);
}

std::string TVARIATOR::GetKS(int32_t K) const {
  if (K > NK)
    ModFatal("ERR VARIATOR("_cp + QUEST + ")." + IntStr(IQ) + " GetKS № комбинации K="_cp +
             IntStr(K) + " > числа комбинаций = "_cp + IntStr(NK) + CRLF +
             "Общее число параметров = "_cp + IntStr(Count()));
  if (K < 1)
    throw EInOutError("SetBit TABL1 ERR: порядковый номер "_cp + IntStr(K) +
                      " не может быть меньше 1!"_cp);
  std::vector<int32_t> n;
  ValueDims(n);
  // the value number of every dimension in combination K, the last running fastest
  std::vector<int32_t> idx(n.size(), 1);
  int64_t rest = K - 1;
  for (size_t m = n.size(); m-- > 0;) {
    const int32_t c = std::max(n[m], 1);
    idx[m] = static_cast<int32_t>(rest % c) + 1;
    rest /= c;
  }
  std::string s;
  const int32_t last = GetNJPar();
  for (int32_t j = 1; j <= last; ++j) {
    const TVariRec* r = Rec(j);
    const int32_t i = r->LIdx == 0 ? 1 : idx[static_cast<size_t>(r->LIdx - 1)];
    // the combination's description, not a read by a calculation: no use counted
    if (!s.empty()) s += " ";
    s += r->Key + "=" + (i <= r->NVals() ? TrimCtl(r->Vals[i - 1]) : std::string());
  }
  return s;
}

bool TVARIATOR::CheckKIdx() const {
  if (KIdx == 0 && NK == 0) return true;
  if (KIdx > NK) {
    WARNAbs("VARIATOR.CheckKIdx QUEST=[" + QUEST + "." + IntStr(IQ) + "] задан Kidx = "_cp +
            IntStr(KIdx) + " > MAX=" + IntStr(NK));
    return false;
  }
  if (KIdx < 1) {
    WARNAbs("VARIATOR.CheckKIdx QUEST=[" + QUEST + "." + IntStr(IQ) + "] задан Kidx = "_cp +
            IntStr(KIdx) + " < 1");
    return false;
  }
  return true;
}

std::string TVARIATOR::QuestName() const { return QUEST + "." + IntStr(IQ); }

// ---- value accessors ----

std::string TVARIATOR::GetS(const std::string& Key) { return GetPKS(Key, KIdx); }

std::string TVARIATOR::GetSK(const std::string& Key) { return GetPKS(Key, KIdx); }

std::string TVARIATOR::GetS0(const std::string& Key) { return GetPKS0(Key, KIdx); }

std::string TVARIATOR::GetSDef(const std::string& Key, const std::string& Default) {
  const std::string s = GetS0(Key);
  return s.empty() ? Default : s;
}

int32_t TVARIATOR::GetI(const std::string& Key, int32_t Default) {
  if (NoKey(Key)) return Default;
  const std::string s = TrimCtl(GetS(Key));
  if (s.empty()) return Default;
  int32_t code = 0;
  const int32_t v = ValIntCode(s, code);
  if (code != 0)
    ModFatal("VARIATOR("_cp + QUEST + ") Ошибка, для параметра ["_cp + VariKey(Key) + "],(" +
             IntStr(v) + ") найдена строка ["_cp + s +
             "] которую нельзя преобразовать в целое число!"_cp);
  return v;
}

// Reads Key as a real into Value (left alone unless a number was read); Text is the value text
// that is no number. A "$" chain that comes back to a key it passed, or grows too long, warns
// and stands for the default.
TVARIATOR::TRRead TVARIATOR::GetRChain(const std::string& Key, std::vector<std::string>& Chain,
                                       double& Value, std::string& Text) {
  const std::string k = VariKey(Key);
  if (NoKey(k)) return TRRead::Default;
  const std::string s = TrimCtl(GetS(k));
  if (s.empty()) return TRRead::Default;
  const std::vector<std::string> w = Words(s);
  std::string number = s;
  if (w.size() == 2 && w[0] == "C") number = w[1];
  if (s[0] == '$' && w.size() == 1) {
    const std::string next = VariKey(s.substr(1));
    Chain.push_back(k);
    if (std::find(Chain.begin(), Chain.end(), next) != Chain.end() ||
        static_cast<int32_t>(Chain.size()) >= VariRefDepth) {
      std::string path;
      for (const auto& c : Chain) path += c + " -> ";
      WARNAbs("VARI.GetR("_cp + QUEST + ") ссылки \"$\" для параметра ["_cp + Chain.front() +
              "] замкнуты или слишком длинны: "_cp + path + next + CRLF +
              "взято значение по умолчанию!"_cp);
      return TRRead::Default;
    }
    return GetRChain(next, Chain, Value, Text);
  }
  int32_t code = 0;
  const double v = ValRealCode(number, code);
  if (code != 0) {
    Text = s;
    return TRRead::NotANumber;
  }
  Value = v;
  return TRRead::Number;
}

double TVARIATOR::GetR(const std::string& Key, double Default) {
  if (KIdx == 0) return Default;
  if (!CheckKIdx()) {
    WARNAbs("VARI.GetR-CheckKIdx Key=" + VariKey(Key));
    return Default;
  }
  std::vector<std::string> chain;
  double v = Default;
  std::string bad;
  if (GetRChain(Key, chain, v, bad) == TRRead::NotANumber) {
    WARNAbs("VARI.GetR(" + QUEST + ") Ошибка, для параметра ["_cp + VariKey(Key) +
            "] найдена строка ["_cp + bad +
            "] которую нельзя преобразовать в действительное число!"_cp);
    return Default;
  }
  return v;
}

double TVARIATOR::GetRK(const std::string& Key) {
  if (NoKey(Key)) GetS(Key);  // fatal: the key is missing
  std::vector<std::string> chain;
  double v = 0;
  std::string bad;
  if (GetRChain(Key, chain, v, bad) == TRRead::NotANumber)
    ModFatal("VARI.GetR(" + QUEST + ") Ошибка, для параметра ["_cp + VariKey(Key) +
             "] найдена строка ["_cp + bad +
             "] которую нельзя преобразовать в действительное число!"_cp);
  return v;
}

char TVARIATOR::ValKind(const std::string& Key) {
  const std::vector<std::string> w = Words(GetS(Key));
  if (w.size() <= 1) return 'C';
  if (w[0].size() == 1) return w[0][0];
  return 'L';
}

uint32_t TVARIATOR::KeyStamp(const std::string& Key) const {
  const TVariRec* r = FindRec(Key);
  return r ? r->Stamp : 0;
}

std::string GetS0(TVARIATOR* V, const std::string& Key) {
  if (!V) {
    WARNAbs("VARIATOR-ERR: вызов ф-ии GetS0 до инициации вариатора!"_cp);
    return std::string();
  }
  return V->GetS0(Key);
}

double GetR(TVARIATOR* V, const std::string& Key, double Default) {
  return V ? V->GetR(Key, Default) : Default;
}

// ---- building ----

void TVARIATOR::RecalcNK() {
  int32_t prevL = 0;
  int64_t prod = 1;
  for (int32_t j = 1; j <= Count(); ++j) {
    TVariRec* r = Rec(j);
    if (!r) {
      WARN("Вариатор RecalcNK "_cp + QUEST + " VariRec[" + IntStr(j) + "] Not Assigned!");
      continue;
    }
    if (r->KObj != VariRecLive) {
      WARN("Вариатор RecalcNK "_cp + QUEST + " VariRec[" + IntStr(j) +
           "] HAS NOT RIGHT AssignMent!");
      continue;
    }
    if (r->LIdx == prevL) {
      r->Kind = r->LIdx != 0 ? 2 : 0;
    } else {
      r->Kind = r->LIdx != 0 ? 1 : 0;
      // a product beyond 32 bits stays at the largest count (no such grid can be walked)
      if (r->LIdx != 0 && r->NVals() > 0) prod = std::min<int64_t>(prod * r->NVals(), INT32_MAX);
    }
    prevL = r->LIdx;
  }
  int32_t nk = Count() == 0 ? 0 : static_cast<int32_t>(prod);
  if (nk != NK) {
    NK = nk;
    KIdx = 1;
  }
  if (NK == 0 && Count() > 0) NK = 1;
  if (Count() == 0) KIdx = 0;
}

void TVARIATOR::AddP(const std::string& Text) { AddPText(Text, false, false); }

void TVARIATOR::AddPQOneStr(const std::string& Text, bool Whole) { AddPText(Text, true, Whole); }

void TVARIATOR::AddPText(const std::string& Text, bool QOne, bool Whole) {
  const std::string t = TrimCtl(Text);
  if (t.empty()) return;
  std::string err, s;
  ExpandSeqBrackets(t, err, s);
  if (!err.empty())
    ModFatal("ERR VARIATOR("_cp + QUEST + ").AddP(S): в строке ["_cp + t + "] " + err);
  const std::vector<std::string> w = Words(s);
  if (w.size() < 2)
    ModFatal("ERR VARIATOR("_cp + QUEST + ").AddP(S" + (QOne ? ",QOneStr" : "") + ")[" +
             IntStr(Count()) + "]: в строке ["_cp + s + "] нет значений!"_cp);
  if (IsSpreadWord(w[0])) {
    TLVARI* list = VariCtx().LVARI;
    if (!list || !list->Callback)
      ModFatal("ERR VARIATOR("_cp + QUEST + ").AddP(S)[" + IntStr(Count()) + "]: в строке "_cp +
               CRLF + "[" + s + "] дана команда разворачивания"_cp + CRLF +
               "а функция разворачивания ещё не синициирована!"_cp);
    std::string result;
    list->Callback(s, result);
    if (TrimCtl(result).empty()) return;
    AddP(result);
    return;
  }
  if (w[0] == "#EXIT") return;
  auto r = std::make_unique<TVariRec>();
  r->Key = w[0];
  if (QOne && Whole) {
    const size_t p = s.find(w[0]);
    r->Vals.Add(TrimCtl(s.substr(p + w[0].size())));
  } else {
    for (size_t i = 1; i < w.size(); ++i) r->Vals.Add(w[i]);
  }
  r->Src = "S";
  AddPRec(std::move(r));
}

void TVARIATOR::AddPSL(const TStringList* List) {
  if (!List) ModFatal("VARIATOR ERR AddP - не задан входной список строк!"_cp);
  if (List->Count() == 0)
    ModFatal("VARIATOR("_cp + QUEST + ") ERR AddP - входной список строк пустой!"_cp);
  if (List->Count() == 1)
    ModFatal("VARIATOR("_cp + QUEST +
             ") ERR AddP - входной список строк не содержит значащих строк!"_cp + CRLF +
             "единственная строка содержит:"_cp + CRLF + (*List)[0]);
  TStringList lines = *List;
  const std::string key0 = TrimCtl(lines[0]);
  if (IsSpreadWord(Words(key0).empty() ? key0 : Words(key0)[0])) {
    TLVARI* list = VariCtx().LVARI;
    const std::string text = JoinLines(lines);
    if (!list || !list->Callback)
      ModFatal("ERR VARIATOR("_cp + QUEST + ").AddP(S)[" + IntStr(Count()) + "]: в строках "_cp +
               CRLF + "[" + text + "] дана команда разворачивания"_cp + CRLF +
               "а функция разворачивания ещё не синициирована!"_cp);
    std::string result;
    list->Callback(text, result);
    if (TrimCtl(result).empty()) return;
    lines.Clear();
    for (const auto& w : Words(result)) lines.Add(w);
    if (lines.Count() < 2) return;
  }
  auto r = std::make_unique<TVariRec>();
  r->Key = TrimCtl(lines[0]);
  if (r->Key == "#EXIT") return;
  for (int i = 1; i < lines.Count(); ++i) {
    std::string err, v;
    ExpandSeqBrackets(lines[i], err, v);
    if (!err.empty())
      ModFatal("ERR VARIATOR("_cp + QUEST + ").AddP(SL): в строке ["_cp + lines[i] + "] " + err);
    r->Vals.Add(v);
  }
  r->Src = "SL";
  AddPRec(std::move(r));
}

bool TVARIATOR::AddPRec(std::unique_ptr<TVariRec> R) {
  if (!R) {
    WARNAbs("Variator.AddP NEW VariRec NOT ASSIGNED!");
    return false;
  }
  if (R->KObj != VariRecLive) {
    WARNAbs("Variator.AddP NEW VariRec HAS NOT CORRECT ASSIGNMENT!");
    return false;
  }
  if (Count() == 0) NAdd = 0;
  Check("AddP(VariRec) on Start");
  R->Stamp = Stamp;
  const int32_t j = KeyIdx(R->Key);
  if (j > 0) {
    TVariRec* old = Rec(j);
    if (old == R.get()) {
      LastJ = j;
      return true;
    }
    if (old->NVals() > 1 || R->NVals() > 1) {
      DelJ(j);
    } else {
      R->LIdx = 0;
      items_[static_cast<size_t>(j - 1)] = std::move(R);
      LastJ = j;
      Check("AddP(VariRec) on Ready");
      RecalcNK();
      ++NAdd;
      return true;
    }
  }
  if (R->NVals() <= 1) {
    R->LIdx = 0;
    items_.push_back(std::move(R));
    LastJ = Count();
  } else {
    R->LIdx = GetML() + 1;
    const int32_t at = GetNJPar() + 1;
    InsertRec(at, std::move(R));
    LastJ = at;
  }
  Check("AddP(VariRec) on Ready");
  RecalcNK();
  ++NAdd;
  return true;
}

void TVARIATOR::ConcateCheckAndInsert(std::unique_ptr<TVariRec> R, const std::string& What,
                                      const std::string& Text) {
  const int32_t pj = GetNJPar();
  TVariRec* p = Rec(pj);
  const std::string key = R->Key;
  if (R->NVals() != p->NVals()) {
    ModFatal("ERR VARIATOR("_cp + QUEST + ").ConcateP" + What + ": параметр "_cp + key +
             " имеет "_cp + IntStr(R->NVals()) + " значений, а параметр "_cp + p->Key + " - " +
             IntStr(p->NVals()) + " значений!"_cp + Text + "\n\r" + key + ".Vals=<" +
             JoinLines(R->Vals) + ">" + CRLF + p->Key + ".Vals=<" + JoinLines(p->Vals) + ">");
  }
  const int32_t j = KeyIdx(key);
  if (j > 0) {
    if (Rec(j)->LIdx != 0)
      ModFatal(
          "ERR VARIATOR("_cp + QUEST + ").ConcateP" + What + ": параметр "_cp + key + CRLF +
          "не допускается подсоединение параметра, если он уже был ранее определен как многовариантный!"_cp);
    DelJ(j);
  }
  const int32_t pj2 = GetNJPar();
  const int32_t mlBefore = GetML();
  R->LIdx = Rec(pj2)->LIdx;
  R->Stamp = Stamp;
  InsertRec(pj2 + 1, std::move(R));
  LastJ = pj2 + 1;
  RecalcNK();
  WARN("Concate Str JPrev=" + IntStr(pj2) + " JNew=" + IntStr(pj2 + 1) + " L_Idx=" +
       IntStr(Rec(pj2 + 1)->LIdx) + " ML:" + IntStr(mlBefore) + " => " + IntStr(GetML()));
  if (Sayer && Sayer->qWarn) {  // the lists are built only when they are shown
    WARNSL(ParList().get());
    WARNSL(CtrlTextAll().get());
  }
}

void TVARIATOR::ConcateP(const std::string& Text) {
  const std::string t = TrimCtl(Text);
  const std::vector<std::string> w = Words(t);
  if (w.size() < 2)
    ModFatal("ERR VARIATOR("_cp + QUEST + ").ConcateP: в строке ["_cp + t + "] нет значений!"_cp);
  if (w.size() == 2)
    ModFatal("ERR VARIATOR("_cp + QUEST + ").ConcateP: параметр с одним значением ["_cp + t +
             "]не может  быть присоединен!"_cp);
  if (GetNJPar() == 0)
    ModFatal("ERR VARIATOR.ConcateP: параметров, к которым можно подсоединяться ещё нет!"_cp);
  if (IsSpreadWord(w[0]))
    ModFatal("ERR VARIATOR("_cp + QUEST +
             ").ConcateP: параметр присоединения не может быть разворачивающимся,"_cp + CRLF +
             "т.е. содержать \"$\" в имени!"_cp);
  WARN("Concate str " + t);
  auto r = std::make_unique<TVariRec>();
  r->Key = w[0];
  for (size_t i = 1; i < w.size(); ++i) r->Vals.Add(w[i]);
  r->Src = "S";
  ConcateCheckAndInsert(std::move(r), "", CRLF + "Строка=<"_cp + t + ">");
}

void TVARIATOR::ConcatePSL(const TStringList* List) {
  if (!List)
    ModFatal("VARIATOR("_cp + QUEST + ") ERR ConcateP - не задан входной список строк!"_cp);
  if (List->Count() == 0)
    ModFatal("VARIATOR("_cp + QUEST + ") ERR ConcateP - входной список строк пустой!"_cp);
  if (List->Count() == 1)
    ModFatal("VARIATOR("_cp + QUEST +
             ") ERR ConcateP - входной список строк не содержит значащих строк!"_cp);
  if (List->Count() == 2)
    ModFatal("ERR("_cp + QUEST + ") VARIATOR.ConcateP: параметр с одним значением ["_cp +
             JoinLines(*List) + "]не может быть присоединен!"_cp);
  if (GetNJPar() == 0)
    ModFatal("ERR("_cp + QUEST +
             ") VARIATOR.ConcateP: параметров, к которым можно подсоединяться ещё нет!"_cp);
  WARN("Concate StrList " + CRLF + JoinLines(*List));
  auto r = std::make_unique<TVariRec>();
  r->Key = TrimCtl((*List)[0]);
  for (int i = 1; i < List->Count(); ++i) r->Vals.Add((*List)[i]);
  r->Src = "SL";
  const int32_t m = Rec(GetNJPar())->NVals();
  if (r->NVals() != m) WARNAbs("V0.Vals.Vount=" + IntStr(m) + " NI=" + IntStr(r->NVals()));
  ConcateCheckAndInsert(std::move(r), "", CRLF + "SList=<" + JoinLines(*List) + ">");
}

bool TVARIATOR::ConcatePRec(std::unique_ptr<TVariRec> R) {
  if (!R) {
    WARNAbs("Variator.ConcateP TVariRec NOT ASSIGNED!");
    return false;
  }
  if (R->KObj != VariRecLive) {
    WARNAbs("Variator.ConcateP TVariRec HAS NOT CORRECT ASSIGNMENT!");
    return false;
  }
  if (R->NVals() < 2)
    ModFatal("ERR VARIATOR("_cp + QUEST + ").ConcateP(V)." + R->Key +
             ":  не имеет смысла подсоединять параметр, число вариантов ="_cp + IntStr(R->NVals()));
  if (GetNJPar() == 0)
    ModFatal("ERR VARIATOR("_cp + QUEST + ").ConcateP(V)." + R->Key +
             ":  параметров, к которым можно подсоединяться ещё нет!"_cp);
  const uint32_t stamp = R->Stamp;
  ConcateCheckAndInsert(std::move(R), "(V)", std::string());
  Rec(LastJ)->Stamp = stamp;
  ++NAdd;
  return true;
}

void TVARIATOR::DelJ(int32_t J) {
  if (J > Count() || J < 1)
    ModFatal("ERR VARIATOR("_cp + QUEST + ").DelJ: попытка удалить параметр №"_cp + IntStr(J) +
             ", а их всего "_cp + IntStr(Count()));
  TVariRec* r = Rec(J);
  if (!r) {
    WARNAbs("Удаление параметра "_cp + IntStr(J) + " вариатора ["_cp + QUEST +
            "] - параметр Not Assigned!"_cp);
    return;
  }
  if (r->KObj != VariRecLive) {
    WARNAbs("Удаление параметра "_cp + IntStr(J) + " вариатора ["_cp + QUEST +
            "] - параметр.KObj <> $A5A55A5A!"_cp);
    return;
  }
  const int32_t l = r->LIdx;
  r->Clear();
  TakeRec(J);
  if (l > 0 && CountLIdx(l) == 0)
    for (auto& x : items_)
      if (x && x->LIdx > l) --x->LIdx;
  RecalcNK();
}

std::string TVARIATOR::DelUnused() {
  std::string s;
  for (int32_t j = Count(); j >= 1; --j) {
    const TVariRec* r = Rec(j);
    if (r && r->NUse == 0) {
      if (!s.empty()) s += " ";
      s += r->Key;
      DelJ(j);
    }
  }
  return s;
}

std::string TVARIATOR::DropUnread(std::string& Gone) {
  std::string varied;
  Gone.clear();
  for (int32_t j = Count(); j >= 1; --j) {
    TVariRec* r = Rec(j);
    if (!r || r->NUse != 0) continue;
    if (r->LIdx != 0) {
      varied = r->Key + (varied.empty() ? "" : " ") + varied;
      ++r->NUse;
      continue;
    }
    Gone = r->Key + (Gone.empty() ? "" : " ") + Gone;
    DelJ(j);
  }
  return varied;
}

void TVARIATOR::Clear() {
  for (auto& r : items_)
    if (r) r->Clear();
  items_.clear();
  NK = 0;
  KIdx = 0;
  LastJ = 0;
}

void TVARIATOR::IncUse() {
  for (auto& r : items_)
    if (r) ++r->NUse;
}

void TVARIATOR::ClearUse() {
  for (auto& r : items_)
    if (r) r->NUse = 0;
}

void TVARIATOR::MarkUsed(const std::string& Key) {
  if (TVariRec* r = FindRec(Key)) ++r->NUse;
}

void TVARIATOR::SetSrc(const std::string& File, int32_t Line) {
  if (TVariRec* r = Rec(LastJ)) {
    r->SrcFile = File;
    r->SrcLine = Line;
  }
}

std::unique_ptr<TVARIATOR> TVARIATOR::Clone() const {
  if (ChanOn(1))
    Sayer->ChanLog(1, "VARIATOR.Clone " + QUEST + " " + IntStr(IQ) + " count=" + IntStr(Count()) +
                          " NK=" + IntStr(NK) + " NAdd=" + IntStr(NAdd) + " KIdx=" + IntStr(KIdx));
  auto c = std::make_unique<TVARIATOR>(QUEST, IQ);
  c->Stamp = Stamp;
  for (const auto& r : items_) {
    if (!r) continue;
    if (ChanOn(1))
      Sayer->ChanLog(1, "VariRec.Clone " + PadRight(r->Key, 10) + " Src=[" + PadRight(r->Src, 2) +
                            "](" + PadLeft(IntStr(r->SrcLine), 3) + ") " + r->SrcFile +
                            " LIdx=" + IntStr(r->LIdx) + " NUse=" + PadLeft(IntStr(r->NUse), 2) +
                            " NVals=" + IntStr(r->NVals()) +
                            " GCh=" + (r->GCh ? std::string(1, r->GCh) : std::string("#0")));
    auto copy = r->Copy();
    const uint32_t stamp = r->Stamp;
    if (r->Kind == 2)
      c->ConcatePRec(std::move(copy));
    else {
      c->AddPRec(std::move(copy));
      c->Rec(c->LastJ)->Stamp = stamp;
    }
  }
  if (c->NK != NK)
    WARNAbs("Клонирование вариатора <"_cp + QUEST + ">." + IntStr(IQ) + " NK=" + IntStr(NK) +
            " <> NK_Clone=" + IntStr(c->NK) + " !!!");
  c->NAdd = NAdd;
  c->KIdx = KIdx;
  return c;
}

void TVARIATOR::Check(const std::string& Caption) const {
  for (int32_t j = 1; j <= Count(); ++j) {
    const TVariRec* r = Rec(j);
    if (r && r->KObj == VariRecLive) continue;
    std::string s = Caption + "\n\r" + "Проверка вариатора для QUEST=<"_cp + QUEST + ">." +
                    IntStr(IQ) + CRLF + "Общ.число вариантов = "_cp + IntStr(NK) +
                    " текущий индекс Kidx="_cp + IntStr(KIdx) + " счетчик изменений ="_cp +
                    IntStr(NAdd) + CRLF + "Записей в этом вариаторе ="_cp + IntStr(Count()) +
                    " Номер текущей записи = "_cp + IntStr(j - 1) + CRLF;
    if (!r)
      s += "Эта запись LVARI ссылается на \"NIL\"!"_cp;
    else
      s += "Эта запись LVARI похоже не инициализирована - ключ <> $A5A55A5A!"_cp + CRLF +
           "Key записи = <"_cp + r->Key + ">";
    ErrAbs(s);
  }
}
