#include "models/vectors/cvConv.h"

#include "foundation/cvCIL.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"

namespace {
const std::string CRLF = "\r\n";

TVeConvertFuncList& Funcs() { return *CalcCtx().VeConvFuncs; }

double Convert1(int32_t ID, double x) {
  if ((ID == 2 || ID == 6) && x < 1e-30) x = 1e-30;
  return fn_convert(ID, x);
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Named functions

void TVeConvertFuncList::AddRec(int32_t ID, const std::string& Name, const std::string& Comment) {
  for (const TVeConvertFunc& f : items_) {
    if (f.Name == Name) {
      if (f.ID == ID) return;
      ErrAbs("TVeConvertFuncList.AddRec пытаемся вставить ф-ю с именем "_cp + Name + " с ID="_cp +
             IntStr(ID) + CRLF + "Уже существует та же ф-я с ID="_cp + IntStr(f.ID) + "!");
    }
    if (f.ID == ID)
      ErrAbs("TVeConvertFuncList.AddRec пытаемся вставить ф-ю с ID="_cp + IntStr(ID) +
             " с именем "_cp + Name + CRLF + "Уже существует ф-я с таким же ID с именем "_cp +
             f.Name + " !");
  }
  items_.push_back({ID, Name, Comment});
}

int32_t TVeConvertFuncList::IDOf(const std::string& Name) const {
  for (const TVeConvertFunc& f : items_)
    if (f.Name == Name) return f.ID;
  return -1;
}

// ---------------------------------------------------------------------------------------------
// Rules

void TConvList::SetFile(const std::string& FileName) {
  file_ = FileName;
  stamp_ = 0;
}

void TConvList::AddConv(const std::string& Source, const std::string& Target, int32_t IntField,
                        int32_t ID) {
  auto r = std::make_unique<TConvertRec>();
  r->Mark = TConvertRec::SetMark;
  r->Source = Source;
  r->Target = Target;
  r->IntField = IntField;
  r->ID = ID;
  items_.push_back(std::move(r));
}

void TConvList::ResetMarks() {
  for (auto& r : items_) r->Visited = 0;
}

void TConvList::CopyFrom(const TConvList& Other) {
  if (&Other == this) return;
  items_.clear();
  for (const auto& r : Other.items_) items_.push_back(std::make_unique<TConvertRec>(*r));
  file_ = Other.file_;
  stamp_ = Other.stamp_;
}

void TConvList::Load() {
  const std::string fn = file_.empty() ? Models().DirOf("GEDA", "CONVERT") : file_;
  if (!FileNewTimeCheck(fn, stamp_, "ConvList_VEFunc")) return;
  TCIL cil;
  cil.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
  try {
    cil.Load(fn, "ConvList_VEFunc");
    items_.clear();
    // a section's lines: up to the next line with "[" (left in cil.Line) or the end
    auto section = [&](const std::string& Header, int32_t MinWords, auto&& Each) {
      if (cil.Line.find(Header) == std::string::npos && !cil.FindKey(Header))
        cil.Err("Шаблон "_cp + Header + " не найден!"_cp);
      for (cil.NextLine(); !cil.Line.empty(); cil.NextLine()) {
        if (cil.Line.find('[') != std::string::npos) return;
        if (WordCount(cil.Line) > MinWords) Each();
      }
    };
    auto addFunc = [&] {
      const int32_t id = cil.GetInt();
      const std::string name = cil.GetWord();
      const std::string comment = cil.GetRest();
      cil.SetWordPos(1);
      // a clash of names or IDs is the reader's error at this line
      try {
        Funcs().AddRec(id, name, comment);
      } catch (const EInOutError& e) {
        std::string msg = e.what();
        while (!msg.empty() && (msg.back() == '\n' || msg.back() == '\r')) msg.pop_back();
        cil.Err(msg);
      }
    };
    auto idOf = [&](const std::string& Name, int32_t At) {
      const int32_t id = Funcs().IDOf(Name);
      if (id < 0) {
        cil.SetWordPos(At);
        cil.Err("Функция преобразования с именем "_cp + Name +
                " не найдена в списке функций!"_cp);
      }
      return id;
    };
    cil.NextLine();
    if (cil.Line.find("[CONVERT_FUNC_1]") == std::string::npos &&
        !cil.FindKey("[CONVERT_FUNC_1]"))
      cil.Err("Шаблон [CONVERT_FUNC_1] не найден!"_cp);
    Funcs().Clear();
    section("[CONVERT_FUNC_1]", 1, addFunc);
    section("[CONVERT_FUNC_2]", 1, addFunc);
    section("[CONVERT_1]", 3, [&] {
      const std::string src = cil.GetWord();
      const std::string dst = cil.GetWord();
      const std::string fname = cil.GetWord();
      const int32_t at = cil.WordStart;
      const int32_t n = cil.GetInt();
      AddConv(src, dst, n, idOf(fname, at));
    });
    section("[CONVERT_2]", 4, [&] {
      const std::string s1 = cil.GetWord();
      const std::string s2 = cil.GetWord();
      const std::string dst = cil.GetWord();
      const std::string fname = cil.GetWord();
      const int32_t at = cil.WordStart;
      const int32_t n = cil.GetInt();
      AddConv(s1 + " " + s2, dst, n, idOf(fname, at));
    });
    cil.Unload();
  } catch (...) {
    stamp_ = 0;  // read again next time
    throw;
  }
}

// ---------------------------------------------------------------------------------------------
// Applying rules

void TryConvertVEMO(const TConvertRec& Rule, const std::string& MOD, TVEMO*& V) {
  TLVEMO& K = Keeper();
  const int32_t words = WordCount(Rule.Source);
  std::vector<TVEMO*> src;
  for (int32_t w = 1; w <= words; ++w) {
    TVEMO* s = K.FindVeMo(WordN(Rule.Source, w), MOD, "", 0);
    if (!s) return;
    if (!s->IsFilled())
      ModFatal("TryConvertVEMO Модель <"_cp + MOD + "> вектор <"_cp + s->NAME + "> НЕ ЗАПОЛНЕН!"_cp);
    src.push_back(s);
  }
  if (src.empty()) return;
  if (src.size() > 2)
    ErrAbs("Таблицы конвертации векторов не содержат сведений о преобразовании\r\nсразу из "_cp +
           IntStr(static_cast<int32_t>(src.size())) + " столбцов!"_cp);
  TVEMO* v = K.InitVEMO(MOD, Rule.Target, "", 0);
  const TVEMO& s1 = *src[0];
  v->N = s1.N;
  v->A.assign(s1.A.size(), 0.0);
  for (int32_t i = 1; i <= v->N; ++i) {
    const double a = s1.A[static_cast<size_t>(i)];
    v->A[static_cast<size_t>(i)] =
        src.size() == 1 ? Convert1(Rule.ID, a)
                        : fn_convert2(static_cast<char>(Rule.ID), a,
                                      src[1]->A[static_cast<size_t>(i)]);
  }
  v->SetParents(src[0]);
  if (src.size() == 2) v->AddParents(src[1]);
  v->SetFilled();
  V = v;
}

void ConvertVEMO(const std::string& MOD, const std::string& NAME, TVEMO*& V) {
  V = nullptr;
  TConvList& L = *CalcCtx().ConvList;
  for (int32_t i = L.Count() - 1; i >= 0; --i) {
    const TConvertRec& r = *L.Item(i);
    if (r.Target != NAME) continue;
    TryConvertVEMO(r, MOD, V);
    if (V) return;
  }
  for (int32_t i = L.Count() - 1; i >= 0; --i) {
    TConvertRec& r = *L.Item(i);
    if (r.Target != NAME || r.Visited != 0) continue;
    r.Visited = 1;
    const int32_t words = WordCount(r.Source);
    for (int32_t w = 1; w <= words; ++w) {
      TVEMO* tmp = nullptr;
      ConvertVEMO(MOD, WordN(r.Source, w), tmp);
      if (!tmp) {
        V = nullptr;
        return;
      }
    }
    TryConvertVEMO(r, MOD, V);
    if (V) return;
  }
}

void TVEMO::AutoFill() {
  TConvList& L = *CalcCtx().ConvList;
  TLVEMO& K = Keeper();
  const TConvertRec* rule = nullptr;
  TVEMO* s = nullptr;
  for (int32_t i = 0; i < L.Count() && !s; ++i) {
    const TConvertRec& r = *L.Item(i);
    if (r.Target != NAME) continue;
    s = K.FindVeMo(r.Source, sMOD, sIdV, 0);
    if (s) rule = &r;
  }
  if (!s) {
    WARN("TVEMO.AutoFill: не найден VEMO для "_cp + sMOD + "|***|0|" + sIdV + " !!!");
    return;
  }
  if (!s->IsFilled())
    ModFatal("VEMO.SrcFill Модель <"_cp + sMOD + "> вектор <"_cp + s->NAME + "> НЕ ЗАПОЛНЕН!"_cp);
  A.assign(s->A.size(), 0.0);
  N = s->N;
  for (int32_t i = 1; i <= N; ++i) A[static_cast<size_t>(i)] = fn_convert(rule->ID, s->A[static_cast<size_t>(i)]);
  SetFilled();
  SetParents(s);
  LGTAU = s->LGTAU;
  hVEMO = s->hVEMO;
}
