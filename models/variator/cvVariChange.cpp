// Changes of a built variator, combination choice, reports and the control text.
#include <algorithm>
#include <cstdio>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariText.h"

namespace {

const std::string CRLF = "\r\n";

using varitext::Words;

std::string KeyNoHash(const std::string& K) {
  return K.size() > 0 && K[0] == '#' ? K.substr(1) : K;
}

bool HasBlank(const std::string& S) {
  const std::string t = TrimCtl(S);
  return t.find(' ') != std::string::npos;
}

// Walks of many combinations report progress and look for cancel this often.
constexpr int32_t kWalkStep = 4096;

// False when the thread's job was cancelled.
bool WalkStep(int32_t K, int32_t NK, const std::string& Text) {
  if (K % kWalkStep != 0) return true;
  TJob* job = CurrentJob();
  return !job || job->Step(K, NK, Text);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Changes

void TVARIATOR::UpDate(const std::string& Key, const std::string& Value, uint32_t NewStamp) {
  TVariRec* r = FindRec(Key);
  if (!r)
    ErrAbs("VARIATOR.UpDate(Key) ERROR:" + CRLF + " Key=<" + VariKey(Key) +
           "> Not Found in \"Ctrl File\" (in START DATA) !!!" + CRLF +
           "Please check that the string <#INC default.dat #> exist at the begining" + CRLF +
           "of START DATA and NOT marked as a commentary");
  const int32_t i = r->NVals() <= 1 ? 1 : KeyValIdx(Key);
  if (r->NVals() == 0)
    r->Vals.Add(Value);
  else
    r->Vals.Put(i - 1, Value);
  r->Stamp = NewStamp;
}

void TVARIATOR::ConcateExpand(const std::string& Key) {
  TVariRec* r = FindRec(Key);
  if (!r) return;
  if (r->NVals() <= 1) {
    WARN("VARI.ConcateExpand Key=" + r->Key + CRLF +
         "холостой вызов, так ка число вариантов = 1 !"_cp);
    return;
  }
  for (auto& x : items_)
    if (x && x.get() != r && x->LIdx == r->LIdx && x->LIdx != 0)
      while (x->NVals() < r->NVals())
        x->Vals.Add(x->NVals() > 0 ? x->Vals[x->NVals() - 1] : std::string());
}

void TVARIATOR::Append(const std::string& Key, const std::string& Value, bool& Added) {
  Added = false;
  const int32_t j = KeyIdx(Key);
  if (j == 0)
    ErrAbs("VARIATOR.Append(Key) ERROR:" + CRLF + " Key=<" + VariKey(Key) +
           "> Not Exist; it is nothing to Expand!!!");
  TVariRec* r = Rec(j);
  for (int i = 0; i < r->NVals(); ++i)
    if (r->Vals[i] == Value) return;
  if (r->NVals() <= 1) {
    const int32_t at = GetNJPar() + 1;
    r->Vals.Add(Value);
    if (j < at) {
      WARNAbs("VARI.Append - у нас авария позиция одномерного варианта "_cp + IntStr(j) + CRLF +
              "меньше номера его нового вхождения "_cp + IntStr(at) + CRLF +
              "ВАРИАТОР ТЕПЕРЬ ИСПОРЧЕН!"_cp);
      return;
    }
    r->LIdx = GetML() + 1;
    r->Kind = 1;
    auto rec = TakeRec(j);
    InsertRec(at, std::move(rec));
  } else {
    r->Vals.Add(Value);
    ConcateExpand(r->Key);
  }
  Check("Append(Key,sVal) on Ready");
  RecalcNK();
  ++NAdd;
  Added = true;
}

void TVARIATOR::ConAppend(const std::string& ParentKey, TVariRec* R, const std::string& Value,
                          const std::string& Key) {
  TVariRec* parent = FindRec(ParentKey);
  if (!parent)
    ErrAbs("VARIATOR.ConAppend(Key) ERROR:" + CRLF + "Parent parametr Key=<" + VariKey(ParentKey) +
           "> Not Exist!");
  const int32_t n = parent->NVals();
  if (n == 1) {
    if (!NoKey(Key))
      UpDate(Key, Value, 0);
    else
      AddP(VariKey(Key) + " " + Value);
  } else if (n == 2) {
    int32_t j = KeyIdx(Key);
    if (j == 0) {
      AddP(VariKey(Key) + " " + Value);
      j = KeyIdx(Key);
    } else {
      if (Rec(j)->NVals() != 1) WARNAbs("VARI.ConAppend желательно проверить!"_cp);
      const int32_t at = GetNJPar() + 1;
      if (j < at && Rec(j)->LIdx == 0) {
        Rec(j)->Vals.Add(Value);
        WARNAbs("VARI.ConAppend - у нас авария позиция одномерного варианта "_cp + IntStr(j) +
                CRLF + "меньше номера его нового вхождения "_cp + IntStr(at) + CRLF +
                "ВАРИАТОР ТЕПЕРЬ ИСПОРЧЕН!"_cp);
        return;
      }
      TVariRec* r = Rec(j);
      r->LIdx = parent->LIdx;
      r->Kind = 2;
      r->Vals.Add(Value);
      auto rec = TakeRec(j);
      // right after the parent's dimension
      int32_t pj = KeyIdx(parent->Key);
      while (Rec(pj + 1) && Rec(pj + 1)->LIdx == parent->LIdx) ++pj;
      InsertRec(pj + 1, std::move(rec));
    }
  } else if (R && R->NVals() > 0) {
    R->Vals.Put(R->NVals() - 1, Value);
  }
  Check("ConAppend(Key,sVal) on Ready");
  RecalcNK();
  ++NAdd;
}

void TVARIATOR::MoveToTail(const std::string& Key) {
  const int32_t j = KeyIdx(Key);
  if (j == 0) ModFatal("VARIATOR.MoveToTail ERR: Key=" + VariKey(Key) + " Not Found!");
  if (Rec(j)->NVals() > 1) {
    WARNAbs("VARIATOR.MoveToTail ERR: нельзя перемещать в конец запись"_cp + CRLF +
            "у которой более одного значения!"_cp + CRLF + "Key=" + VariKey(Key));
    return;
  }
  auto rec = TakeRec(j);
  items_.push_back(std::move(rec));
  RecalcNK();
}

// ---------------------------------------------------------------------------------------------
// Combination choice

void TVARIATOR::StepK(const std::string& Key, int32_t N) {
  const int32_t j = KeyIdx(Key);
  if (j == 0 || NVals(Key) < N) return;
  int64_t p = 1;
  const int32_t last = GetNJPar();
  for (int32_t m = j + 1; m <= last; ++m)
    if (Rec(m)->Kind != 2) p *= Rec(m)->NVals();
  const int64_t k = (N - 1) * p + (KIdx - 1) % p + 1;
  if (k > NK)
    WARNAbs("ОТЛАДКА!!! VARI.StepK  KK="_cp + IntStr(static_cast<int32_t>(k)) +
            " > NK=" + IntStr(NK) + " !!!");
  KIdx = static_cast<int32_t>(k);
}

std::vector<int32_t> TVARIATOR::GetK(const std::string& Keys, const std::vector<int32_t>& Indices) {
  const std::vector<std::string> keys = Words(Keys);
  if (keys.size() != Indices.size())
    ModFatal("VARI(" + QUEST + ").GetK в списке параметров <"_cp + Keys + "> " +
             IntStr(static_cast<int32_t>(keys.size())) +
             " ключей, а в массиве их номеров всего "_cp +
             IntStr(static_cast<int32_t>(Indices.size())) + " элементов!"_cp);
  int64_t p = 1;
  std::vector<int32_t> js;
  for (size_t i = 0; i < keys.size(); ++i) {
    const int32_t n = NVals(keys[i]);
    if (Indices[i] > n)
      ModFatal("VARI(" + QUEST + ").GetK в списке параметров <"_cp + Keys + "> для ключа <"_cp +
               keys[i] + "> есть всего "_cp + IntStr(n) +
               " вариантов, а в массиве номеров затребован номер "_cp + IntStr(Indices[i]));
    if (!IsJoined(keys[i]) && n > 0) p *= n;
    js.push_back(KeyIdx(keys[i]));
  }
  if (NK % p != 0)
    ModFatal("VARI(" + QUEST + ").GetK общее число вариантов "_cp + IntStr(NK) +
             " не делится на затребованное число вариантов "_cp + IntStr(static_cast<int32_t>(p)));
  const int64_t want = NK / p;
  std::vector<int32_t> res;
  for (int32_t k = 1; k <= NK; ++k) {
    if (!WalkStep(k, NK, "VARI.GetK " + QUEST)) return {};
    bool all = true;
    for (size_t i = 0; i < js.size() && all; ++i) {
      const TVariRec* r = Rec(js[i]);
      const int32_t idx = (!r || r->LIdx == 0) ? 1 : DimValIdx(r->LIdx, k);
      all = idx == Indices[i];
    }
    if (!all) continue;
    res.push_back(k);
    if (static_cast<int64_t>(res.size()) > want) ModFatal("VARI.GetK не может быть!"_cp);
  }
  if (static_cast<int64_t>(res.size()) != want) {
    std::string idx;
    for (int32_t v : Indices) idx += (idx.empty() ? "" : " ") + IntStr(v);
    ModFatal("VARI(" + QUEST + ").GetK не может быть (IA <> NRes) = ("_cp +
             IntStr(static_cast<int32_t>(res.size())) + " <> " +
             IntStr(static_cast<int32_t>(want)) + "=" + IntStr(NK) + "/" +
             IntStr(static_cast<int32_t>(p)) + ")" + CRLF + "строка ключей Keys=<"_cp + Keys + ">" +
             CRLF + "список индексов ключей = "_cp + idx + CRLF + CRLF +
             "Из присоединенных ключей надо выбирать первый!!!"_cp);
  }
  return res;
}

int32_t TVARIATOR::GetKByStr(const std::string& Keys, const std::string& Indices) {
  std::vector<int32_t> idx;
  for (const auto& w : Words(Indices)) idx.push_back(ValIntOr0(w));
  const std::vector<int32_t> k = GetK(Keys, idx);
  return k.empty() ? 0 : k.front();
}

void TVARIATOR::GetCFRFVemoName(std::string& Name, std::string& Scale) {
  Name = Scale = "Err";
  const char* probes[] = {"ModifETA", "ModifH", "ModifVD", "ModifVmi", "ModifT"};
  const char letters[] = {'E', 'H', 'V', 'I', 'T'};
  char q = 0;
  for (int i = 0; i < 5 && !q; ++i)
    if (TrimCtl(GetSDef(probes[i], "0")) == "1") q = letters[i];
  if (!q) {
    WARNAbs("VARI.GetCFRFVemoName( ) ERR:" + CRLF +
            "В вариаторе не определен физ.параметр пробного слоя,"_cp + CRLF +
            "поэтому нельзя построить ф-ю вклада/отклика!"_cp);
    return;
  }
  const std::string s = GetSDef("ModifS", "");
  const std::vector<std::string> w = Words(s);
  std::string xd = TrimCtl(GetS0("XD"));
  if (xd.empty() && w.size() >= 4) xd = w[3];
  if (xd.empty()) {
    WARNAbs("ProbeStep неопределен!"_cp + CRLF + "ModifS=<" + s + ">");
    return;
  }
  const std::string w1 = w.empty() ? std::string() : w[0];
  if (!(w1.size() == 2 || (q == 'T' && w1.size() == 3))) {
    WARNAbs("В строке #ModifS = <"_cp + s + "> первый параметр должен содержать "_cp +
            (q == 'T' ? "2 или 3 символа!"_cp : "2 символа!"_cp));
    return;
  }
  if (w1[0] != 'H' && w1[0] != 'Y') {
    WARNAbs("В строке #ModifS = <"_cp + s + "> первый символ может быть только Y или H!"_cp);
    return;
  }
  const std::string scale = w1[0] == 'H' ? "h" : "X";
  const char op = w1[1];
  if (op != 'A' && op != 'C' && op != 'M') {
    WARNAbs("В строке #ModifS = <"_cp + s +
            "> первый символ может быть только C(onst), M(ul) или A(dd)!"_cp);
    return;
  }
  if (w.size() < 2) {
    WARNAbs("В строке #ModifS = <"_cp + s +
            "> не найдено второе слово - значение пробного параметра!"_cp);
    return;
  }
  const std::string probe = w[1];
  int32_t code = 0;
  double value = ValRealCode(probe, code);
  if (code != 0) {
    if (probe[0] != '$') {
      WARNAbs("В строке #ModifS = <"_cp + s +
              "> второе слово - значение пробного параметра должно содержать число!\n\r"_cp +
              "или переменную (имя которой предваряется символом \"$\")"_cp);
      return;
    }
    const std::string v = TrimCtl(GetS0(probe.substr(1)));
    WARNAbs("Переменная <"_cp + probe + "> её содержимое <"_cp + v + ">");
    value = ValRealCode(v, code);
    if (code != 0) return;
  }
  std::string name;
  switch (q) {
    case 'E':
      name = value != 0 ? "RF_ETA" : "CF(" + scale + "_" + xd + ")";
      break;
    case 'H':
      name = "RF_H";
      break;
    case 'I':
      name = "RF_Vmi";
      break;
    case 'T':
      name = w1.size() == 3 && w1[2] == 'T' ? "RF_Theta" : "RF_T";
      break;
    default:
      name = "RF_VD";
      break;
  }
  if (name[0] == 'R') name += "(" + scale + "_" + xd + "," + std::string(1, op) + "=" + probe + ")";
  Name = name;
  Scale = scale;
}

// ---------------------------------------------------------------------------------------------
// Reports

std::unique_ptr<TStringList> TVARIATOR::ParList() const {
  auto l = std::make_unique<TStringList>();
  l->Add("Список параметров вариатора "_cp + QUEST + "." + IntStr(IQ) + ":");
  for (int32_t j = 1; j <= Count(); ++j) {
    const TVariRec* r = Rec(j);
    l->Add("J=" + PadLeft(IntStr(j), 2) + " N=" + PadLeft(IntStr(r->NVals()), 2) +
           " L=" + IntStr(r->LIdx) + " " + r->Key);
  }
  l->Add("");
  l->Add("N-число значений параметра, L-порядк.№ многозначн.параметра"_cp);
  return l;
}

std::unique_ptr<TStringList> TVARIATOR::VariantList() {
  auto l = std::make_unique<TStringList>();
  l->Add("Список вариантов вариатора <"_cp + QUEST + ">." + IntStr(IQ) + " :");
  int32_t curL = 0;
  std::string keys;
  for (int32_t j = 1; j <= Count(); ++j) {
    const TVariRec* r = Rec(j);
    if (r->LIdx == 0) continue;
    if (r->LIdx != curL) {
      if (curL != 0) l->Add("L = " + PadLeft(IntStr(curL), 2) + " Вариант = "_cp + keys);
      curL = r->LIdx;
      keys = r->Key;
    } else {
      keys += " " + r->Key;
    }
  }
  if (curL != 0) l->Add("JJ = " + PadLeft(IntStr(curL), 2) + " Вариант = "_cp + keys);
  for (int32_t k = 1; k <= NK; ++k) {
    if (!WalkStep(k, NK, "VARI.VariantList " + QuestName())) break;
    l->Add("K = " + PadLeft(IntStr(k), 3) + " => " + GetKS(k));
  }
  return l;
}

std::unique_ptr<TStringList> TVARIATOR::ReportDump() const {
  auto l = std::make_unique<TStringList>();
  char addr[32];
  const auto a = reinterpret_cast<uintptr_t>(this);
  std::snprintf(addr, sizeof addr, "$%04X:%04X", static_cast<unsigned>((a >> 16) & 0xFFFF),
                static_cast<unsigned>(a & 0xFFFF));
  l->Add("! Вариатор QUEST=<"_cp + QUEST + ">." + IntStr(IQ) + " vAdd=" + IntStr(NAdd) +
         " NK=" + IntStr(NK) + " " + addr + "  REPORT_DUMP:");
  for (int32_t j = 1; j <= Count(); ++j) {
    const TVariRec* r = Rec(j);
    const std::string head = PadLeft(IntStr(j - 1), 3) + " ";
    if (!r) {
      l->Add(head + " RECORD NOT ASSIGNED!");
      continue;
    }
    if (r->KObj != VariRecLive) {
      l->Add(head + " RECORD HAS NOT PROPERLY ASSIGNMENT!");
      continue;
    }
    if (r->NVals() <= 1) {
      l->Add(head + r->Key + " " + (r->NVals() ? r->Vals[0] : std::string()));
    } else {
      l->Add(head + r->Key + " " + r->Vals[0]);
      for (int i = 1; i < r->NVals(); ++i) l->Add(r->Vals[i] + (i == r->NVals() - 1 ? " #" : ""));
    }
  }
  return l;
}

std::unique_ptr<TStringList> TVARIATOR::MultiKeys() const {
  auto l = std::make_unique<TStringList>();
  for (const auto& r : items_)
    if (r && r->LIdx != 0) l->Add(KeyNoHash(r->Key));
  return l;
}

std::unique_ptr<TStringList> TVARIATOR::DiffKeys(const TVARIATOR* Other) const {
  auto l = std::make_unique<TStringList>();
  if (!Other) return l;
  for (const auto& r : items_) {
    if (!r || r->NVals() != 1) continue;
    const TVariRec* o = Other->FindRec(r->Key);
    if (!o || o->NVals() != 1) continue;
    const std::string a = TrimCtl(r->Vals[0]), b = TrimCtl(o->Vals[0]);
    if (a == b) continue;
    int32_t ca = 0, cb = 0;
    const double x = ValRealCode(a, ca), y = ValRealCode(b, cb);
    if (ca == 0 && cb == 0 && x == y) continue;
    l->Add(KeyNoHash(r->Key));
  }
  return l;
}

std::unique_ptr<TStringList> TVARIATOR::GetValsSL(const std::string& Key) const {
  const TVariRec* r = FindRec(Key);
  if (!r) return nullptr;
  auto l = std::make_unique<TStringList>();
  l->AddStrings(r->Vals);
  return l;
}

// ---------------------------------------------------------------------------------------------
// Control text

namespace {

// The value column of single-valued parameters: the largest length, unless it stands far
// above the ones before it.
int32_t SingleValueWidth(const std::vector<const TVariRec*>& Recs) {
  int32_t l1 = 0, l2 = 0, l3 = 0;
  for (const TVariRec* r : Recs) {
    const std::string v = r->NVals() ? r->Vals[0] : std::string();
    const int32_t len = static_cast<int32_t>(v.size()) + (HasBlank(v) ? 1 : 0);
    if (len > l1) {
      l3 = l2;
      l2 = l1;
      l1 = len;
    }
  }
  int32_t w = l1;
  if (w - l2 > 6) w = l2;
  if (w - l3 > 6) w = l3;
  return w + 1;
}

// Single-valued parameters in the layout of the control text; the "#RUN" line, when HoldRun,
// goes to Held instead.
void WriteSingles(TStringList& L, const std::vector<const TVariRec*>& Recs, bool HoldRun,
                  std::string& Held) {
  if (Recs.empty()) return;
  size_t keyW = 0;
  for (const TVariRec* r : Recs) keyW = std::max(keyW, r->Key.size());
  const int32_t kw = static_cast<int32_t>(keyW) + 1;
  const int32_t w = SingleValueWidth(Recs);
  for (const TVariRec* r : Recs) {
    const std::string v = r->NVals() ? r->Vals[0] : std::string();
    std::string line = PadRight(r->Key, kw);
    line += static_cast<int32_t>(v.size()) < w - 1 ? PadRight(v, w - 1) : v;
    line += HasBlank(v) ? "=#" : " #";
    if (HoldRun && line.find("#RUN") != std::string::npos)
      Held = line;
    else
      L.Add(line);
  }
}

void WriteMultis(TStringList& L, const std::vector<const TVariRec*>& Recs, bool MarkJoins) {
  if (Recs.empty()) return;
  size_t keyW = 0, valW = 0;
  for (const TVariRec* r : Recs) {
    keyW = std::max(keyW, r->Key.size());
    for (int i = 0; i < r->NVals(); ++i) valW = std::max(valW, r->Vals[i].size());
  }
  for (const TVariRec* r : Recs) {
    L.Add(PadRight(r->Key, static_cast<int32_t>(keyW) + 1) +
          (MarkJoins && r->Kind == 2 ? " ==" : ""));
    for (int i = 0; i < r->NVals(); ++i) {
      std::string line = PadRight(r->Vals[i], static_cast<int32_t>(valW) + 1);
      if (i == r->NVals() - 1) line += "#";
      L.Add(line);
    }
  }
}

}  // namespace

std::unique_ptr<TStringList> TVARIATOR::CtrlTextUse() const {
  auto l = std::make_unique<TStringList>();
  l->Add("! Вариатор <"_cp + QUEST + ">." + IntStr(IQ) + " :");
  std::vector<const TVariRec*> singles, multis;
  for (const auto& r : items_) {
    // a varied key spans the grid the results are numbered by: written even when unread
    if (!r || (r->NUse <= 0 && r->LIdx == 0)) continue;
    (r->LIdx == 0 ? singles : multis).push_back(r.get());
  }
  std::string held;
  WriteSingles(*l, singles, true, held);
  WriteMultis(*l, multis, true);
  if (!held.empty()) l->Add(held);
  l->Add("#EXIT USE #");
  return l;
}

std::unique_ptr<TStringList> TVARIATOR::CtrlTextAll() const {
  auto l = std::make_unique<TStringList>();
  l->Add("! Вариатор QUEST=<"_cp + QUEST + ">." + IntStr(IQ) + " :");
  if (Count() == 0) {
    l->Add("! текущий вариатор <"_cp + QUEST + ">." + IntStr(IQ) + " не содержит записей!"_cp);
    return l;
  }
  std::vector<const TVariRec*> singles, multis;
  std::string none;
  auto flush = [&] {
    WriteSingles(*l, singles, false, none);
    WriteMultis(*l, multis, false);
    singles.clear();
    multis.clear();
  };
  for (const auto& r : items_) {
    if (!r) continue;
    if (r->Key == "#RUN") {
      flush();
      WriteSingles(*l, {r.get()}, false, none);
      continue;
    }
    (r->LIdx == 0 ? singles : multis).push_back(r.get());
  }
  flush();
  l->Add("#EXIT ALL #");
  return l;
}

void TVARIATOR::SaveCtrlText(const std::string& FileName, int32_t Mode) const {
  auto l = CtrlTextUse();
  TTextFile f;
  TxtOpen(f, Mode, FileName);
  for (int i = 0; i < l->Count(); ++i) f.WriteLn((*l)[i]);
  f.Write("#####\n\r");
  f.Close();
}

void TVARIATOR::ExchangeJ(int32_t J) {
  if (J < 1 || J >= Count()) return;
  std::swap(items_[static_cast<size_t>(J - 1)], items_[static_cast<size_t>(J)]);
  RecalcNK();
}
