#include "models/vectors/cvVePa.h"

#include "foundation/cvCIL.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"

namespace {
const std::string CRLF = "\r\n";

// A reader whose errors open the file in the editor.
void PrepareReader(TCIL& Cil) {
  Cil.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
}

// The whole text of a file, lines joined by CR LF (for the fatal texts that quote a file).
std::string FileLines(const std::string& FileName) {
  TStrList sl;
  try {
    sl.LoadFromFile(FileName);
  } catch (...) {
    return std::string();
  }
  std::string s;
  for (int i = 0; i < sl.Count(); ++i) s += (i ? CRLF : std::string()) + sl[i];
  return s;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Scales and report formats

void TModSCAL::Set(char Typ, double Min, double Max, double Step) {
  TYP = Typ;
  MIN = Min;
  MAX = Max;
  STEP = Step;
}

void TModSCAL::Clear() { *this = TModSCAL(); }

std::unique_ptr<TModSCAL> TModSCAL::Copy() const { return std::make_unique<TModSCAL>(*this); }

std::string TModSCAL::Text(const TModSCAL* S) {
  if (!S) return "ModScal Not Assigned!";
  return "TYP=" + (S->TYP == 0 ? std::string("#0") : std::string(1, S->TYP)) +
         " MIN=" + ShortSt(7, S->MIN) + " MAX=" + ShortSt(7, S->MAX) +
         " STEP=" + ShortSt(7, S->STEP);
}

void TModREP::Set(int32_t KOut_, char Ch_, const std::string& Hd_, int32_t W0_, int32_t Dig_,
                  double Mul_) {
  Ch = Ch_;
  ChF = 'E';
  Mul = Mul_ == 0 ? 1 : Mul_;
  Dig = Dig_;
  W0 = W0_;
  Hd = Hd_;
  W = 0;
  KA = 1;
  KOut = KOut_;
  Skip = KOut_ == 0;
}

void TModREP::Clear() { *this = TModREP(); }

std::unique_ptr<TModREP> TModREP::Copy() const { return std::make_unique<TModREP>(*this); }

std::string TPhysParamRec::ScaleStr(int32_t N) const {
  if (N < 1 || N > 3 || !SCALE[N]) return std::string();
  const TModSCAL& s = *SCALE[N];
  return std::string(1, s.TYP) + " " + SigSt(4, s.MIN) + " " + SigSt(4, s.MAX) + " " +
         SigSt(4, s.STEP);
}

// ---------------------------------------------------------------------------------------------
// The list

void TPhysParamList::SetFiles(const std::string& Vemo, const std::string& Scales,
                              const std::string& Report) {
  vemoFile_ = Vemo;
  scalesFile_ = Scales;
  reportFile_ = Report;
  stampVemo_ = stampScales_ = stampReport_ = 0;
}

std::string TPhysParamList::FileOf(const std::string& Func) const {
  const std::string& own = Func == "VEMO" ? vemoFile_ : Func == "SCALES" ? scalesFile_ : reportFile_;
  return own.empty() ? Models().DirOf("GEDA", Func) : own;
}

void TPhysParamList::Clear() { items_.clear(); }

TPhysParamRec& TPhysParamList::Add(const std::string& Key, const std::string& Name,
                                   int32_t Kind) {
  auto r = std::make_unique<TPhysParamRec>();
  r->Key = Key;
  r->Name = Name;
  r->Kind = Kind;
  items_.push_back(std::move(r));
  return *items_.back();
}

bool TPhysParamList::ReadVEMO() {
  const std::string fn = FileOf("VEMO");
  if (!FileNewTimeCheck(fn, stampVemo_, "PhysParam_VEMO")) {
    const bool a = ReadScales();
    const bool b = ReadRepo();
    return a || b;
  }
  items_.clear();
  stampScales_ = stampReport_ = 0;
  TCIL cil;
  PrepareReader(cil);
  try {
    cil.Load(fn, "PhysParam_VEMO");
    for (cil.NextLine(); !cil.Line.empty(); cil.NextLine()) {
      if (WordCount(cil.Line) <= 3) continue;
      const std::string key = cil.GetWord();
      const std::string name = cil.GetWord();
      const int32_t kind = cil.GetNum(0, 1);
      cil.GetWord();  // the unit
      Add(key, name, kind);
    }
    cil.Unload();
  } catch (...) {
    stampVemo_ = 0;  // read again next time
    throw;
  }
  ReadScales();
  ReadRepo();
  return true;
}

bool TPhysParamList::ReadScales() {
  const std::string fn = FileOf("SCALES");
  if (!FileNewTimeCheck(fn, stampScales_, "PhysParamScales")) return false;
  for (auto& r : items_)
    for (auto& s : r->SCALE) s.reset();
  TCIL cil;
  PrepareReader(cil);
  try {
    cil.Load(fn, "PhysParamScales");
    for (cil.NextLine(); !cil.Line.empty(); cil.NextLine()) {
      if (WordCount(cil.Line) <= 5) continue;
      const std::string key = cil.GetWord();
      const int32_t keyAt = cil.WordStart;
      const int32_t n = cil.GetNum(1, 3);
      const char typ = cil.GetChar();
      const double mn = cil.GetReal();
      const double mx = cil.GetReal();
      const double st = cil.GetReal();
      if (!IsKey(key)) {
        // the definition is missing: the reader's error, naming the place of the key
        cil.SetWordPos(keyAt);
        cil.Err("LVEPA.SetScal<" + key + "> Key Is Missed!" + CRLF + CRLF +
                FileLines(FileOf("REPORT")));
      }
      SetScal(key, n, mn, mx, st, typ);
    }
    cil.Unload();
  } catch (...) {
    stampScales_ = 0;
    throw;
  }
  return true;
}

bool TPhysParamList::ReadRepo() {
  const std::string fn = FileOf("REPORT");
  if (!FileNewTimeCheck(fn, stampReport_, "GEDA_REPORT")) return false;
  for (auto& r : items_) r->RepSet.reset();
  TCIL cil;
  PrepareReader(cil);
  try {
    cil.Load(fn, "GEDA_REPORT");
    for (cil.NextLine(); !cil.Line.empty(); cil.NextLine()) {
      if (WordCount(cil.Line) <= 4) continue;
      const std::string key = cil.GetWord();
      const int32_t keyAt = cil.WordStart;
      const int32_t kout = cil.GetInt();
      const char ch = cil.GetChar();
      const double mul = cil.GetReal();
      const int32_t dig = cil.GetInt();
      const int32_t w0 = cil.GetInt();
      const std::string hd = cil.GetWord();
      if (!IsKey(key)) {
        cil.SetWordPos(keyAt);
        cil.Err("Не найден физ.параметр с именем <"_cp + key + ">");
      }
      SetRep(key, kout, hd, w0, dig, mul, ch);
    }
    cil.Unload();
  } catch (...) {
    stampReport_ = 0;
    throw;
  }
  return true;
}

void TPhysParamList::SetScal(const std::string& Key, int32_t N, double Min, double Max,
                             double Step, char Typ) {
  TPhysParamRec* r = const_cast<TPhysParamRec*>(GetByKey(Key));
  if (!r)
    ModFatal("LVEPA.SetScal<" + Key + "> Key Is Missed!" + CRLF + CRLF +
             FileLines(FileOf("REPORT")));
  if (N < 1 || N > 3) return;
  if (!r->SCALE[N]) r->SCALE[N] = std::make_unique<TModSCAL>();
  r->SCALE[N]->Clear();
  r->SCALE[N]->Set(Typ, Min, Max, Step);
}

void TPhysParamList::SetRep(const std::string& Key, int32_t KOut, const std::string& Hd,
                            int32_t W0, int32_t Dig, double Mul, char Ch) {
  TPhysParamRec* r = const_cast<TPhysParamRec*>(GetByKey(Key));
  if (!r) ModFatal("Не найден физ.параметр с именем <"_cp + Key + ">");
  if (!r->RepSet) r->RepSet = std::make_unique<TModREP>();
  r->RepSet->Clear();
  r->RepSet->Set(KOut, Ch, Hd, W0, Dig, Mul);
}

const TPhysParamRec* TPhysParamList::GetByKey(const std::string& Key) const {
  for (const auto& r : items_)
    if (r->Key == Key) return r.get();
  return nullptr;
}

int32_t TPhysParamList::KindOf(const std::string& Key) const {
  const TPhysParamRec* r = GetByKey(Key);
  return r ? r->Kind : 0;
}

std::string TPhysParamList::GetScaleStr(const std::string& Key, int32_t N) const {
  const TPhysParamRec* r = GetByKey(Key);
  return r ? r->ScaleStr(N) : std::string();
}

std::unique_ptr<TStrList> TPhysParamList::REPORT() const {
  auto sl = std::make_unique<TStrList>();
  if (items_.empty()) {
    sl->Add("LVEPA.REPORT - List of VEMO PAramets is EMPTY!");
    return sl;
  }
  sl->Add("LVEPA.REPORT - List of VEMO PAramets has " + IntStr(Count()) + " strings");
  for (const auto& r : items_)
    sl->Add(PadRight(r->Key, 12) + " " + PadRight(r->Name, 12) + " " + IntStr(r->Kind));
  return sl;
}

std::unique_ptr<TStrList> TPhysParamList::REPORTScales() const {
  auto sl = std::make_unique<TStrList>();
  if (items_.empty()) {
    sl->Add("LVEPA.REPORTScales - List of VEMO PAramets is EMPTY!");
    return sl;
  }
  sl->Add("LVEPA.REPORTScales - List of VEMO PAramets has " + IntStr(Count()) + " strings");
  for (const auto& r : items_) {
    std::string s = PadRight(r->Key, 12) + " ";
    for (int n = 1; n <= 3; ++n) {
      const TModSCAL* c = r->SCALE[n].get();
      if (c)
        s += "(" + std::string(1, c->TYP) + " min=" + SigSt(4, c->MIN) + " max=" +
             SigSt(4, c->MAX) + " grid" + SigSt(3, c->STEP) + ")";
      else
        s += "(SCALE" + IntStr(n) + " = NIL)";
    }
    sl->Add(s);
  }
  return sl;
}
