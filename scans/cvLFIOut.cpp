#include "scans/cvLFIOut.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

namespace {

const std::string kNl = "\r\n";
constexpr int32_t kMaxExt = 1000;

std::string HexK(uint32_t V) { return HexInt8(V); }

std::string FirstWord(const std::string& S, std::string* Second = nullptr) {
  size_t a = S.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  size_t b = S.find(' ', a);
  const std::string w = S.substr(a, b == std::string::npos ? std::string::npos : b - a);
  if (Second) {
    Second->clear();
    if (b != std::string::npos) {
      const size_t c = S.find_first_not_of(' ', b);
      if (c != std::string::npos) {
        const size_t d = S.find(' ', c);
        *Second = S.substr(c, d == std::string::npos ? std::string::npos : d - c);
      }
    }
  }
  return w;
}

std::string Before(const std::string& S, char C) {
  const size_t p = S.find(C);
  return p == std::string::npos ? S : S.substr(0, p);
}

std::string After(const std::string& S, char C) {
  const size_t p = S.find(C);
  return p == std::string::npos ? std::string() : S.substr(p + 1);
}

const std::string& EqLine() {
  static const std::string s(80, '=');
  return s;
}
const std::string& DashLine() {
  static const std::string s = std::string(40, '-') + std::string(40, ' ');
  return s;
}

}  // namespace

bool VersionMatches(const std::string& MapVer, const std::string& Wanted) {
  return MapVer == Wanted || (MapVer == "220101" && Wanted.empty()) ||
         (MapVer.empty() && Wanted == "220101");
}

namespace {
thread_local TLFIOut* tJobLFIO = nullptr;
}

TJobLFIOScope::TJobLFIOScope(TLFIOut& Local) : prev_(tJobLFIO) { tJobLFIO = &Local; }
TJobLFIOScope::~TJobLFIOScope() { tJobLFIO = prev_; }

TLFIOut& LFIOReg() {
  if (tJobLFIO) return *tJobLFIO;
  auto& p = Scans().LFIO;
  if (!p) p = std::make_unique<TLFIOut>();
  return *p;
}
TLFIOut* LFIOOrNull() { return tJobLFIO ? tJobLFIO : Scans().LFIO.get(); }

TLFIOut::TLFIOut() = default;
TLFIOut::~TLFIOut() = default;

TFIOut* TLFIOut::Item(int32_t I) const {
  return I >= 0 && I < Count() ? Items[static_cast<size_t>(I)].get() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Lookups

TFIOut* TLFIOut::FindName(const std::string& Name, int32_t Start, int32_t& Index) const {
  Index = -1;
  for (int32_t i = std::max(Start, 0); i < Count(); ++i) {
    TFIOut* m = Item(i);
    if (!m) return nullptr;
    if (m->Name != Name) continue;
    Index = i;
    if (!FIOutAssigned(m)) {
      TStringList rep;
      rep.Add("LFIO.GetFIOut-ERR у карты <"_cp + Name + "> kRun не задан!, "_cp + "I=" +
              IntStr(i) + " Count=" + IntStr(Count()) +
              (m->Owner ? ", sDtTi=" + m->Owner->ScanName
                        : ", Owner=LFITS не присвоен!"_cp));
      for (int32_t k = 0; k < Count(); ++k) {
        const TFIOut* q = Item(k);
        rep.Add(IntStr(k) + " " + (q ? q->Name + " " + q->Ti + " " +
                                           (FIOutAssigned(q) ? "true" : "false")
                                     : std::string("nil")));
      }
      WARNAbsSL(&rep);
    }
    return m;
  }
  return nullptr;
}

TFIOut* TLFIOut::GetFIOut(const std::string& Da, const std::string& Ti, const std::string& Name,
                          const std::string& Ver) const {
  int32_t i = -1;
  for (TFIOut* m = FindName(Name, 0, i); m; m = FindName(Name, i + 1, i)) {
    if (!FIOutAssigned(m)) {
      WARNAbs("LFIO.GetFIOut " + Da + " " + Ti + " <" + Name + "> ver=<" + Ver +
              "> ERR: kRun = $" + HexK(m->kRun));
      return nullptr;
    }
    if (m->Da == Da && m->Ti == Ti && VersionMatches(m->Ver, Ver)) return m;
  }
  return Base && !BaseCleared ? Base->GetFIOut(Da, Ti, Name, Ver) : nullptr;
}

TFIOut* TLFIOut::GetFIOutDT(const std::string& Da, const std::string& Ti,
                            const std::string& Name) const {
  for (int32_t i = 0; i < Count(); ++i) {
    TFIOut* m = Item(i);
    if (!m || (!Name.empty() && m->Name != Name)) continue;
    if (!FIOutAssigned(m)) {
      if (!Name.empty())
        WARNAbs("LFIO[" + IntStr(Count()) + "].GetFIOut(" + Da + "," + Ti + ", <" + Name +
                "> ERR kRun=$" + HexK(m->kRun));
      continue;
    }
    if (m->Da == Da && m->Ti.rfind(Ti, 0) == 0) return m;
  }
  return Base && !BaseCleared ? Base->GetFIOutDT(Da, Ti, Name) : nullptr;
}

TFIOut* TLFIOut::FindByDTName(const std::string& Key, const std::string& Name) const {
  return GetFIOutDT(Before(Key, '_'), After(Key, '_'), Name);
}

TFIOut* TLFIOut::FindByKey(const std::string& Key) const {
  const std::string name = Before(Before(Key, '['), '|');
  std::string dt = After(Key, '|');
  if (Before(dt, '_').size() == 6) dt = "20" + dt;
  const std::string tPart = After(dt, '_');
  for (int32_t i = 0; i < Count(); ++i) {
    TFIOut* m = Item(i);
    if (!FIOutAssigned(m) || m->Name != name) continue;
    if (dt.empty()) return m;
    if (!m->Da.empty() && dt.rfind(m->Da, 0) == 0 && tPart.rfind(m->Ti.substr(0, 4), 0) == 0)
      return m;
  }
  return Base && !BaseCleared ? Base->FindByKey(Key) : nullptr;
}

int32_t TLFIOut::IndexOfFO(const TFIOut* Map) const {
  // A dead map is reported as not found; it is never freed here (the registry may still list it).
  if (!FIOutAssigned(Map)) return -1;
  for (int32_t i = 0; i < Count(); ++i) {
    const TFIOut* m = Item(i);
    if (m && m->Name == Map->Name && m->Da == Map->Da && m->Ti == Map->Ti && m->Ver == Map->Ver)
      return i;
  }
  return -1;
}

bool TLFIOut::SameSrc() const {
  if (Count() <= 1) return true;
  const TFIOut* f = Item(0);
  for (int32_t i = 1; i < Count(); ++i) {
    const TFIOut* m = Item(i);
    if (!f || !m || m->DaNum != f->DaNum) return false;
  }
  return true;
}

char TLFIOut::CurSrcChar() const {
  const auto& l = Scans().CurSrcChar;
  if (!l.Provided()) return ' ';
  const char c = l();
  return c ? c : ' ';
}

// ---------------------------------------------------------------------------------------------
// Changes

TFIOut* TLFIOut::AddFIOut(const std::string& Key, const std::string& Name,
                          const std::string& Title, const std::string& Ver, int32_t Kind,
                          int32_t NX, int32_t NY, TLFITS* Owner) {
  const std::string da = Before(Key, '_'), ti = After(Key, '_');
  if (TFIOut* m = Ver.empty() ? GetFIOutDT(da, ti, Name) : GetFIOut(da, ti, Name, Ver)) return m;
  auto m = std::make_unique<TFIOut>();
  m->Name = Name;
  m->Com = Title;
  m->Ver = Ver;
  m->kSoft = Kind;
  m->nX = NX;
  m->nY = NY;
  m->Owner = Owner;
  m->Da = da;
  m->Ti = ti;
  return Add(std::move(m));
}

TFIOut* TLFIOut::Add(std::unique_ptr<TFIOut> Map) {
  Items.push_back(std::move(Map));
  return Items.back().get();
}

void TLFIOut::Remove(const TFIOut* Map) {
  const int32_t i = IndexOfFO(Map);
  if (i < 0) return;
  // The registered object is the one freed; a given copy stays its owner's.
  if (TFIOut* m = Item(i)) m->Release();
  Items.erase(Items.begin() + i);
}

void TLFIOut::ReFineList() {
  for (int32_t i = Count() - 1; i >= 0; --i) {
    TFIOut* m = Item(i);
    if (!m) {
      WARNAbs("LFIO.ReFineList NotAssigned " + IntStr(i) + "/" + IntStr(Count()));
      Items.erase(Items.begin() + i);
    } else if (!FIOutAssigned(m)) {
      if (m->Name.empty())
        WARNAbs("LFIO.ReFineList Not(QRun) +" + IntStr(i) + "/" + IntStr(Count()) +
                " Name не задан!"_cp);
      Items.erase(Items.begin() + i);
    }
  }
}

void TLFIOut::ClearAll() {
  for (auto& m : Items)
    if (FIOutAssigned(m.get())) m->Release();
  Items.clear();
  if (Base) BaseCleared = true;
}

void TLFIOut::Adopt(TLFIOut& Job) {
  if (Job.BaseCleared) ClearAll();
  if (Job.HcvSL) HcvSL = std::move(Job.HcvSL);
  if (Job.HmeSL) HmeSL = std::move(Job.HmeSL);
  if (Job.Hm2SL) Hm2SL = std::move(Job.Hm2SL);
  for (auto& m : Job.Items) {
    if (!FIOutAssigned(m.get())) continue;
    for (int32_t i = Count() - 1; i >= 0; --i) {
      TFIOut* old = Item(i);
      if (FIOutAssigned(old) && old->Name == m->Name && old->Da == m->Da && old->Ti == m->Ti &&
          old->kSoft == 1 && old->nb0 == 0 && (old->kLoad & 8))
        Remove(old);
    }
    if (GetFIOut(m->Da, m->Ti, m->Name, m->Ver)) continue;
    Add(std::move(m));
  }
  Job.Items.clear();
}

void TLFIOut::ClearOwnBySrc(char Src) {
  for (int32_t i = Count() - 1; i >= 0; --i) {
    TFIOut* m = Item(i);
    if (FIOutAssigned(m) && m->kSoft == 1 && m->DaNum == Src) {
      m->Release();
      Items.erase(Items.begin() + i);
    }
  }
}

std::unique_ptr<TStringList> LSes_by_Na(const std::string& Name) {
  TLFIOut* r = LFIOOrNull();
  if (!r) {
    WARNAbs("LSes_by_Na - Список карт LFIO не сформирован!"_cp);
    return nullptr;
  }
  auto l = std::make_unique<TStringList>();
  for (const auto& m : r->Items)
    if (FIOutAssigned(m.get()) && m->Name == Name) l->Add(m->DTKey());
  return l;
}

// ---------------------------------------------------------------------------------------------
// Map files

TStringList* TLFIOut::HmapSLDefine(int32_t Kind) {
  std::unique_ptr<TStringList>* p = Kind == 1 ? &HcvSL : Kind == 2 ? &HmeSL : Kind == 3 ? &Hm2SL
                                                                                  : nullptr;
  if (!p) return nullptr;
  if (!*p) *p = std::make_unique<TStringList>();
  (*p)->Clear();
  return p->get();
}

bool TLFIOut::Load(int32_t Kind, char Label, const std::string& Da, const std::string& Ti,
                   const TStringList* Wanted, bool All, TJob* Job) {
  const std::string file = GetFITNameByKind(Kind, Da, Ti);
  if (file.empty()) return false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    WARN("TLFIOut.Load-CV/ME-FITS ERR: файла\r\n<"_cp + file + ">" + kNl + "не существует!"_cp);
    return false;
  }
  const int64_t size = static_cast<int64_t>(std::filesystem::file_size(file, ec));
  if (size <= 5760) {
    WARNAbs("TLFIOut.Load-CV-FITS ERR: файл\r\n<"_cp + file + ">" + kNl + "имеет размер "_cp +
            I64Str(size) + " От него есть только заголовок!"_cp);
    return false;
  }
  TStringList primary;
  std::vector<std::string> heads;  // lines of the header list, handed over once read whole
  std::vector<std::unique_ptr<TFIOut>> taken;
  std::vector<std::string> takenVar;
  bool naxisBad = false, cancelled = false, limit = false;
  int32_t n = 0;
  const int64_t total = size;
  WalkMapFile(file, Kind, Da, Ti, true, &primary, [&](std::unique_ptr<TFIOut>& M) {
    if (n == 0) {
      for (int i = 0; i < primary.Count(); ++i) heads.push_back(primary[i]);
      heads.push_back(EqLine());
      const std::string nx = GetFITKeyAll("NAXIS", &primary);
      if (CardTrim(nx) != "0") {
        naxisBad = true;
        return false;
      }
    }
    if (++n > kMaxExt) {
      limit = true;
      return false;
    }
    if (Job && !Job->Step(M->nbData0, total, M->Name)) {
      cancelled = true;
      return false;
    }
    for (int i = 0; i < M->HSL->Count(); ++i) heads.push_back((*M->HSL)[i]);
    heads.push_back(DashLine());
    heads.push_back(EqLine());
    M->DaNum = 'a';
    std::string second;
    bool wanted = false;
    for (int i = 0; Wanted && i < Wanted->Count() && !wanted; ++i)
      if (FirstWord((*Wanted)[i], &second) == M->Name) wanted = true;
    if (!wanted && !All) return true;
    if (wanted && !second.empty()) M->sVar = second + std::string(1, Label);
    taken.push_back(std::move(M));
    return true;
  });
  if (n == 0 && !primary.Count()) return false;
  if (n == 0) {
    for (int i = 0; i < primary.Count(); ++i) heads.push_back(primary[i]);
    heads.push_back(EqLine());
    if (CardTrim(GetFITKeyAll("NAXIS", &primary)) != "0") naxisBad = true;
  }
  if (naxisBad) {
    WARNAbs("FIOut.Load-ERR: У \"правильного\" заголовка Corvesta и ME NAXIS=0!"_cp);
    return false;
  }
  if (limit) {
    WARNAbs("LFIO.Load-ERR: " + Da + Ti + " QAll=" + (All ? "true" : "false"));
    if (Wanted) WARNAbsSL(Wanted);
  }
  if (cancelled) return false;
  TStringList* h = HmapSLDefine(Kind);
  if (h)
    for (const std::string& l : heads) h->Add(l);
  bool any = false;
  for (auto& m : taken) {
    any = true;
    if (GetFIOut(m->Da, m->Ti, m->Name, m->Ver)) continue;  // a registered map stays
    Add(std::move(m));
  }
  return any;
}

bool TLFIOut::LoadOwn(const std::string& Da, const std::string& Ti, const TStringList* Wanted,
                      bool All, TJob* Job) {
  return Load(1, '0', Da, Ti, Wanted, All, Job);
}
bool TLFIOut::LoadME(const std::string& Da, const std::string& Ti, const TStringList* Wanted,
                     bool All, TJob* Job) {
  return Load(2, '0', Da, Ti, Wanted, All, Job);
}
bool TLFIOut::LoadM2(const std::string& Da, const std::string& Ti, const TStringList* Wanted,
                     bool All, TJob* Job) {
  return Load(3, '0', Da, Ti, Wanted, All, Job);
}
bool TLFIOut::LoadMEx(char Label, const std::string& Da, const std::string& Ti,
                      const TStringList* Wanted, bool All) {
  return Load(2, Label, Da, Ti, Wanted, All);
}
bool TLFIOut::LoadOne(int32_t Kind, const std::string& Da, const std::string& Ti,
                      const std::string& Name) {
  TStringList w;
  w.Add(Name);
  return Load(Kind, '0', Da, Ti, &w, false);
}
bool TLFIOut::LoadOwnOrME(const std::string& Da, const std::string& Ti, const std::string& Name) {
  return LoadOne(1, Da, Ti, Name) || LoadOne(2, Da, Ti, Name);
}

bool TLFIOut::LoadFileMaps(int32_t Kind, const std::string& Ti, const std::string& Da) {
  const std::string file = GetFITNameByKind(Kind, Da, Ti);
  if (file.empty()) return false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    WARN("TLFIOut.Load-CV/ME-FITS ERR: файла\r\n<"_cp + file + ">" + kNl + "не существует!"_cp);
    return false;
  }
  TStringList primary;
  std::vector<std::unique_ptr<TFIOut>> got;
  TStringList heads;
  int32_t n = 0;
  WalkMapFile(file, Kind, Da, Ti, false, &primary, [&](std::unique_ptr<TFIOut>& M) {
    if (++n > kMaxExt) return false;
    M->DaNum = 'a';
    got.push_back(std::move(M));
    return true;
  });
  if (primary.Count() == 0) return false;
  if (CardTrim(GetFITKeyAll("NAXIS", &primary)) != "0") {
    WARNAbs("FIOut.Load-ERR: У \"правильного\" заголовка Corvesta и ME NAXIS=0!"_cp);
    return false;
  }
  TStringList* h = HmapSLDefine(Kind);
  h->AddStrings(primary);
  h->Add(EqLine());
  for (auto& m : got) {
    if (!GetFIOutDT(m->Da, m->Ti, m->Name)) {
      h->AddStrings(*m->HSL);
      h->Add(DashLine());
      Add(std::move(m));
    }
    h->Add(EqLine());
  }
  return true;
}

bool TLFIOut::LoadFileMapsDT(int32_t Kind, const std::string& Da, const std::string& Ti) {
  return LoadFileMaps(Kind, Ti, Da);
}
bool TLFIOut::LoadOwnFile(const std::string& Da, const std::string& Ti) {
  return LoadFileMaps(1, Ti, Da);
}

std::unique_ptr<TStringList> FITExtDir(int32_t Kind, const std::string& Da,
                                       const std::string& Ti) {
  const std::string file = GetFITNameByKind(Kind, Da, Ti);
  std::error_code ec;
  if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
    if (!file.empty())
      WARN("TLFIOut.Load-CV/ME-FITS ERR: файла\r\n<"_cp + file + ">" + kNl +
           "не существует!"_cp);
    return nullptr;
  }
  auto l = std::make_unique<TStringList>();
  l->Add("Name b0_hd b0_data L_hd L_data");
  int32_t n = 0;
  WalkMapFile(file, Kind, Da, Ti, true, nullptr, [&](std::unique_ptr<TFIOut>& M) {
    l->Add(M->Name + " " + I64Str(M->nb0) + " " + I64Str(M->nbData0) + " " + IntStr(M->nbHd) +
           " " + I64Str(M->nbData));
    return ++n < kMaxExt;
  });
  return l;
}

int32_t SaveMaps(TJob& Job, const std::vector<TFIOut*>& Maps) {
  // Maps grouped by file, in order of first appearance; each file's saves commit together.
  std::vector<std::string> files;
  std::map<std::string, std::vector<TFIOut*>> byFile;
  for (TFIOut* m : Maps) {
    if (!FIOutAssigned(m)) continue;
    const std::string f = m->FileName();
    if (!byFile.count(f)) files.push_back(f);
    byFile[f].push_back(m);
  }
  const int64_t total = static_cast<int64_t>(Maps.size());
  int64_t done = 0;
  int32_t saved = 0;
  for (const std::string& f : files) {
    auto& maps = byFile[f];
    std::unique_ptr<TMapSaveSession> s;
    if (!f.empty()) s = std::make_unique<TMapSaveSession>(f);
    int32_t ok = 0;
    bool failed = false;
    for (TFIOut* m : maps) {
      if (!Job.Step(done, total, m->Name)) return saved;  // the session drops: file unchanged
      ++done;
      if (m->Save())
        ++ok;
      else
        failed = true;
    }
    if (failed) {
      Job.Warn("Файл <"_cp + f + "> оставлен без изменений"_cp);
      continue;
    }
    if (s && s->Ok() && s->Commit()) saved += ok;
  }
  Job.Step(done, total, "");
  return saved;
}

// ---------------------------------------------------------------------------------------------
// The map window's list

void SetLFOPCur(const std::string& Entry) {
  auto& l = Scans().LFOP;
  if (!l) l = std::make_unique<TStringList>();
  int i = SLIndexOfSub(Entry, l.get());
  if (i < 0) i = l->Add(Entry);
  Scans().LFOPIdx = i;
}

std::string GetLFOPItem(int32_t& Number, int32_t& Count) {
  const auto& l = Scans().LFOP;
  if (!l) {
    Number = Count = 0;
    return "Err:Список LFOP Not Assigned!"_cp;
  }
  Number = Scans().LFOPIdx + 1;
  Count = l->Count();
  if (Count == 0) return "Err:Список LFOP имеет "_cp + IntStr(Count) + " элементов!"_cp;
  if (Number < 1 || Number > Count)
    return "Err:Запрошен "_cp + IntStr(Number) + "-ой/ый из "_cp + IntStr(Count) +
           " элементов!"_cp;
  return (*l)[Number - 1];
}

std::string GetLFOPCur() {
  int32_t n = 0, c = 0;
  return GetLFOPItem(n, c);
}
