#include "scans/cvFITSRuns.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFOOps.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessionConsts.h"

namespace fitsruns {

namespace {

const std::string kCrLf = "\r\n";

bool IsFile(const std::string& F) {
  std::error_code ec;
  return std::filesystem::is_regular_file(F, ec);
}

std::string OwnFile(const TLFITS& S) { return S.OutFolder + "/" + S.sFN; }

void SplitSession(const std::string& S, std::string& Da, std::string& Ti) {
  const size_t u = S.find('_');
  Da = S.substr(0, u);
  Ti = u == std::string::npos ? std::string() : S.substr(u + 1);
}

// The maps a stage makes: the live registered maps of the session that were not there when the
// object was made. Save writes those with data and without a place in a file into the own output
// file (started when missing), Drop frees every new map that holds computed values.
class TStageMaps {
 public:
  explicit TStageMaps(const TRunCtx& Ctx) {
    SplitSession(Ctx.Session, da_, ti_);
    if (TLFIOut* r = LFIOOrNull())
      for (const auto& m : r->Items) before_.insert(m.get());
  }
  std::vector<TFIOut*> New() const {
    std::vector<TFIOut*> n;
    if (TLFIOut* r = LFIOOrNull())
      for (const auto& m : r->Items)
        if (FIOutAssigned(m.get()) && !before_.count(m.get()) && m->Da == da_ && m->Ti == ti_)
          n.push_back(m.get());
    return n;
  }
  // False when cancelled or a save failed (the file then as it was).
  bool Save(TJob& Job, TRunCtx& Ctx, bool WarnEmpty) {
    std::vector<TFIOut*> maps;
    for (TFIOut* m : New()) {
      if (m->kSoft != 1 || m->nb0 != 0) continue;
      if (m->aData.empty()) {
        if (WarnEmpty) WARNAbs("Данные пусты kLoad="_cp + IntStr(m->kLoad) + " " + m->Name);
        continue;
      }
      maps.push_back(m);
    }
    if (maps.empty()) return !Job.Cancelled();
    if (Job.Cancelled()) return false;
    TLFITS& s = *Ctx.Scan;
    bool started = false;
    if (!IsFile(OwnFile(s))) {
      if (!WriteMainHeader(s, TScanMapStats{})) return false;
      started = true;
    }
    std::vector<std::string> names;
    for (TFIOut* m : maps) names.push_back(m->Name);
    const int32_t n = SaveMaps(Job, maps);
    if (n != static_cast<int32_t>(maps.size())) {
      if (started) std::remove(OwnFile(s).c_str());
      return false;
    }
    s.OwnFileExists = true;
    for (const std::string& nm : names) Ctx.Saved.push_back(nm);
    return true;
  }
  void Drop() {
    TLFIOut* r = LFIOOrNull();
    if (!r) return;
    for (TFIOut* m : New())
      if (m->kLoad & 8 || m->nb0 == 0) r->Remove(m);
  }
  // The stage's end: its maps saved unless Ok is false, then dropped.
  bool Finish(TJob& Job, TRunCtx& Ctx, bool Ok, bool WarnEmpty = false) {
    if (Ok && !Job.Cancelled()) Ok = Save(Job, Ctx, WarnEmpty);
    Drop();
    return Ok && !Job.Cancelled();
  }

 private:
  std::string da_, ti_;
  std::set<const TFIOut*> before_;
};

// Loads the named maps of the session from its own output file (only those names).
void LoadOwnNames(const std::string& Da, const std::string& Ti,
                  const std::vector<std::string>& Names, TJob& Job) {
  TStringList w;
  for (const std::string& n : Names) w.Add(n);
  LFIOReg().LoadOwn(Da, Ti, &w, false, &Job);
}

bool UserCase(const std::string& C) {
  static const std::set<std::string> u = {"4_DFull", "5_D,H", "1Ldxx", "7_IV", "8_IV", "9_Filt"};
  return u.count(C) > 0;
}

}  // namespace

const std::vector<std::string>& RunCases() {
  static const std::vector<std::string> c = {"CONT",    "LIV",      "WIQUV", "3_LW(b,r)", "KVI",
                                             "23_CB0",  "3.5_List", "BML",   "4_DFull",   "5_D,H",
                                             "1Ldxx",   "7_IV",     "8_IV",  "9_Filt"};
  return c;
}

std::vector<bool> CaseMarks(const std::string& Session, bool CV) {
  const std::vector<std::string>& cases = RunCases();
  std::vector<bool> marks(cases.size(), false);
  auto mark = [&](const char* C) {
    for (size_t i = 0; i < cases.size(); ++i)
      if (cases[i] == C) marks[i] = true;
  };
  std::string da, ti;
  SplitSession(Session, da, ti);
  const std::string own = GetCVFITName(da, ti);
  const bool have = !Session.empty() && IsFile(own);
  if (!CV) {
    for (size_t i = 0; i < cases.size(); ++i) marks[i] = cases[i] != "1Ldxx";
  } else if (have) {
    std::vector<TMapExt> dir;
    ReadMapDir(own, dir, nullptr, true);
    for (const TMapExt& e : dir) {
      const std::string& n = e.Name;
      if (n.find("CONT2") != std::string::npos) mark("CONT");
      if (n.find("LC") != std::string::npos && n.find("LCO") == std::string::npos) mark("1Ldxx");
      if (n.find("wVp") != std::string::npos) mark("KVI");
      if (n == "LWI2") mark("3_LW(b,r)");
      if (n == "d0Full2") mark("4_DFull");
      if (n == "kat2") mark("5_D,H");
      if (n == "L-Wr2") mark("LIV");
      if (n == "B1IV5") mark("7_IV");
      if (n == "B1IV06") mark("8_IV");
      if (n.rfind("flt", 0) == 0) mark("9_Filt");
      if (n == "BML2") mark("WIQUV");
    }
  }
  // the session constants: keys of the own file's main header
  TStringList h;
  int32_t count = 0;
  if (have) GetFITSHead(own, 0, count, &h);
  if (count >= 7) {
    if (GetFITKeyRDef("CB0", &h, 0) != 0) mark("23_CB0");
    if (GetFITKeyRDef("tDura", &h, 0) != 0) mark("3.5_List");
    if (GetFITKeyRDef("maBML2", &h, 0) != 0) mark("BML");
  }
  return marks;
}

std::vector<std::string> MarkedItems(const std::vector<bool>& Marks) {
  std::vector<std::string> r = RunCases();
  for (size_t i = 0; i < r.size() && i < Marks.size(); ++i)
    if (Marks[i]) r[i] += "*";
  return r;
}

std::string FirstPending(const std::vector<bool>& Marks) {
  for (size_t i = 0; i < RunCases().size() && i < Marks.size(); ++i)
    if (!Marks[i]) return RunCases()[i];
  return "";
}

std::map<std::string, TStageHook>& StageHooks() {
  static std::map<std::string, TStageHook> h = {
      {"23_CB0",
       [](TJob& J, TRunCtx& C) {
         TCB0Result r;
         return CalcCB0(J, C.Session, r);
       }},
      {"3.5_List",
       [](TJob& J, TRunCtx& C) {
         TSummaryResult r;
         return C.Scan && CalcSessionSummary(J, C.Session, *C.Scan, r);
       }},
      {"BML",
       [](TJob& J, TRunCtx& C) {
         TBMLResult r;
         return CalcBMLSummary(J, C.Session, r);
       }},
  };
  return h;
}

bool PrepScan(TJob& Job, TRunCtx& Ctx, const std::string& Who) {
  if (!Ctx.Scan) return false;
  if (Ctx.Session.size() < 15) {
    WARNAbs("Перед запуском расчёта нужно выбрать строку в таблице сеансов!"_cp);
    return false;
  }
  const std::string folder = ScanFolder(Ctx.Session);
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    WARNAbs("Папка <"_cp + folder + "> не найдена!"_cp);
    return false;
  }
  TLFITS& s = *Ctx.Scan;
  if (s.Path_Name != folder) {
    s.Clear();
    s.Link(folder);
  }
  if (s.ContSmooth == 0) s.SetOptions(Ctx.W1, Ctx.W2, Ctx.KRC, Ctx.Smooth);
  s.Light = Ctx.Light;
  s.OwnFileExists = IsFile(OwnFile(s));
  if (s.Bit(1)) {
    WARN(Who + " повторный запрос на LoadHeaders!"_cp);
  } else if (!s.LoadHeaders(Job)) {
    return false;
  }
  return !Job.Cancelled() && s.Count() > 0;
}

bool StageCONT(TJob& Job, TRunCtx& Ctx) {
  if (!Ctx.Scan) return false;
  TLFITS& s = *Ctx.Scan;
  s.ReleaseSlot(s.OuCont);
  s.ReleaseSlot(s.OuWork[1]);
  s.Clear();
  if (!PrepScan(Job, Ctx, "AnyCalc_CV")) return false;
  TStageMaps maps(Ctx);
  return maps.Finish(Job, Ctx, s.CalcCont0(Job));
}

std::string LdxxLevel(const std::string& Field) {
  int32_t code = 0;
  const double x = ValRealCode(TrimBlanks(Field), code);
  const int64_t n = code == 0 ? static_cast<int64_t>(std::nearbyint(x * 100)) : 0;
  return n == 0 ? "50" : I64Str(n);
}

// The inversion file's main header, read once per scan.
static void ReadMEHeaderOnce(TLFITS& S) {
  if (S.HMERead) return;
  int32_t n = 0;
  int64_t b = 0;
  S.ReadMEMainHeader(n, b);
}

bool StageLdxx(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "btLdxx")) return false;
  TLFITS& s = *Ctx.Scan;
  ReadMEHeaderOnce(s);
  const std::string da = s.ScanDa(), ti = s.ScanTi();
  TStageMaps maps(Ctx);
  TLFIOut& reg = LFIOReg();
  TFIOut* cont = reg.GetFIOutDT(da, ti, "CONT");
  if (!cont) {
    if (IsFile(OwnFile(s))) {
      if (!reg.LoadOwn(da, ti, nullptr, true, &Job)) {
        WARNAbs("btLdXX Карта "_cp + da + "_" + ti + " CONT не загружена!"_cp);
        return maps.Finish(Job, Ctx, false);
      }
      cont = reg.GetFIOutDT(da, ti, "CONT");
      if (cont) cont->EnsureLoaded();
    } else if (!s.LoadRowData(Job)) {
      return maps.Finish(Job, Ctx, false);
    } else {
      cont = s.OuCont.Get();
    }
  }
  if (cont) s.OuCont.Set(cont);
  bool missing = true;
  s.LoadD0Maps(missing);
  const std::string L = LdxxLevel(Ctx.LCxx);
  int32_t code = 0;
  const double level = ValRealCode(L, code) / 100.0;
  bool ok = true;
  // a level whose maps are registered or in the file already is not computed again
  bool have = reg.GetFIOutDT(da, ti, "LC" + L + "1") != nullptr;
  if (!have && IsFile(OwnFile(s))) {
    std::vector<TMapExt> dir;
    ReadMapDir(OwnFile(s), dir, nullptr, true);
    for (const TMapExt& e : dir) have = have || e.Name == "LC" + L + "1";
  }
  if (!have) ok = s.CalcBisLC(Job, level);
  return maps.Finish(Job, Ctx, ok);
}

bool StageLW(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "btLW")) return false;
  TLFITS& s = *Ctx.Scan;
  bool missing = true;
  s.LoadD0Maps(missing);
  if (LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), "LWI2") &&
      Job.Ask("FIOut с именем "_cp + "LWI2" + " присутствует, прервать расчёт?"_cp, true))
    return false;
  TStageMaps maps(Ctx);
  return maps.Finish(Job, Ctx, s.CalcLW(Job));
}

bool StageDFull(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "bt_DFull")) return false;
  TLFITS& s = *Ctx.Scan;
  const std::string da = s.ScanDa(), ti = s.ScanTi();
  TLFIOut& reg = LFIOReg();
  for (const char* n : {"CONT", "LWb1", "LWb2", "LWr1", "LWr2"})
    if (!reg.GetFIOutDT(da, ti, n) &&
        (!foops::CalcFOByName(n, da, ti) || !reg.GetFIOutDT(da, ti, n))) {
      WARNAbs("Перед запуском расчёта CalcDFull надо чтобы в LFIO\r\nбыли карты CONT,LWb1,LWb2,LWr1,LWr2"_cp);
      return false;
    }
  s.OuCont.Set(reg.GetFIOutDT(da, ti, "CONT"));
  if (reg.GetFIOutDT(da, ti, "d0Full2")) return true;
  TStageMaps maps(Ctx);
  return maps.Finish(Job, Ctx, s.CalcD_Full(Job));
}

bool StageDH(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "bt_HCalc")) return false;
  TLFITS& s = *Ctx.Scan;
  if (LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), "kat2")) return true;
  TStageMaps maps(Ctx);
  return maps.Finish(Job, Ctx, s.Calc_D(Job));
}

bool StageIV(TJob& Job, TRunCtx& Ctx, bool Fine) {
  if (!PrepScan(Job, Ctx, "AnyCalc_CV")) return false;
  TLFITS& s = *Ctx.Scan;
  if (!s.HOwnRead) s.ReadOwnMainHeader();
  TStageMaps maps(Ctx);
  return maps.Finish(Job, Ctx, Fine ? s.CalcIV_COG05(Job) : s.CalcIV_COG(Job));
}

bool StageFilt(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "AnyCalc_CV")) return false;
  TLFITS& s = *Ctx.Scan;
  const std::string da = s.ScanDa(), ti = s.ScanTi();
  LoadOwnNames(da, ti, {"CONT", "wVp195", "wVn195", "wVp295", "wVn295"}, Job);
  if (Job.Cancelled()) return false;
  TLFIOut& reg = LFIOReg();
  for (const char* n : {"CONT", "wVp195"})
    if (!reg.GetFIOutDT(da, ti, n)) {
      WARNAbs("В сеансе "_cp + Ctx.Session + " не рассчитана карта "_cp + n);
      return false;
    }
  for (const char* l : {"WV1=add(abs(wVp195),abs(wVn195))", "WV2=add(abs(wVp295),abs(wVn295))"}) {
    bool ok = true, number = false;
    if (!foops::CalcFO(l, da, ti, ok, number)) return false;
  }
  s.OuCont.Set(reg.GetFIOutDT(da, ti, "CONT"));
  TStageMaps maps(Ctx);
  int32_t m = 0;
  return maps.Finish(Job, Ctx, s.CalcFilt(Job, m), true);
}

bool StageKVI(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "AnyCalc_CV")) return false;
  TLFITS& s = *Ctx.Scan;
  ReadMEHeaderOnce(s);
  const std::string da = s.ScanDa(), ti = s.ScanTi();
  TLFIOut& reg = LFIOReg();
  TStageMaps maps(Ctx);
  TFIOut* cont = reg.GetFIOutDT(da, ti, "CONT");
  if (!cont) {
    if (IsFile(OwnFile(s))) {
      // the maps read; the stage runs on the next request
      if (!reg.LoadOwn(da, ti, nullptr, true, &Job))
        WARNAbs("bt_\"KVI Fine\" Карты для "_cp + da + "_" + ti + " не загружены!"_cp);
      return false;
    }
    if (!s.LoadRowData(Job)) return maps.Finish(Job, Ctx, false);
    cont = s.OuCont.Get();
  }
  s.OuCont.Set(cont);
  // the continuum map computed here goes into the file before the polarisation maps
  if (!maps.Save(Job, Ctx, false)) return maps.Finish(Job, Ctx, false);
  TStageMaps kvi(Ctx);
  const bool ok = s.CalcKVISave(Job);
  for (TFIOut* m : kvi.New())
    if (m->nb0 != 0 && ok) Ctx.Saved.push_back(m->Name);
  kvi.Drop();
  maps.Drop();
  return ok && !Job.Cancelled();
}

bool CaseWIQUV(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "W_Mom_CALC")) return false;
  TLFITS& s = *Ctx.Scan;
  const std::string da = s.ScanDa(), ti = s.ScanTi();
  TLFIOut& reg = LFIOReg();
  reg.ClearAll();
  LoadOwnNames(da, ti,
               {"CONT", "CONT2", "LIV1", "LIV2", "LBIV1", "LBIV2", "L-Wb1", "L-Wb2", "L-Wr1",
                "L-Wr2"},
               Job);
  if (Job.Cancelled()) return false;
  for (const char* l : {"LBor1=add(LIV1,mid(LBIV1,L-Wr1))", "LBob1=sub(LIV1,mid(LBIV1,L-Wb1))",
                        "LBor2=add(LIV2,mid(LBIV2,L-Wr2))", "LBob2=sub(LIV2,mid(LBIV2,L-Wb2))"}) {
    bool ok = true, number = false;
    if (!foops::CalcFO(l, da, ti, ok, number)) return false;
  }
  TStageMaps maps(Ctx);
  return maps.Finish(Job, Ctx, s.Calc_W_Mom(Job));
}

bool CaseLIV(TJob& Job, TRunCtx& Ctx) {
  if (!PrepScan(Job, Ctx, "LIV_CALC")) return false;
  TLFITS& s = *Ctx.Scan;
  const std::string da = s.ScanDa(), ti = s.ScanTi();
  LoadOwnNames(da, ti, {"CONT", "CONT2"}, Job);
  if (Job.Cancelled()) return false;
  TLFIOut& reg = LFIOReg();
  for (const char* n : {"CONT", "CONT2"})
    if (!reg.GetFIOutDT(da, ti, n)) {
      WARNAbs("В сеансе "_cp + Ctx.Session + " не рассчитана карта "_cp + n);
      return false;
    }
  bool ok = true, number = false;
  if (!foops::CalcFO("Cnt=mid(CONT,CONT2)", da, ti, ok, number)) {
    reg.ClearAll();
    return false;
  }
  TStageMaps maps(Ctx);
  const bool done = maps.Finish(Job, Ctx, s.Calc_LIV(Job));
  reg.ClearAll();
  return done;
}

bool RunCase(TJob& Job, TRunCtx& Ctx, const std::string& CaseText) {
  std::string c = TrimBlanks(CaseText);
  if (!c.empty() && c.back() == '*') c.pop_back();
  Ctx.Ran.push_back(c);
  if (c == "CONT") return StageCONT(Job, Ctx);
  if (c == "LIV") return CaseLIV(Job, Ctx);
  if (c == "WIQUV") {
    LFIOReg().ClearAll();
    return CaseWIQUV(Job, Ctx);
  }
  if (c == "3_LW(b,r)") return StageLW(Job, Ctx);
  if (c == "KVI") return StageKVI(Job, Ctx);
  if (c == "4_DFull") return StageDFull(Job, Ctx);
  if (c == "5_D,H") return StageDH(Job, Ctx);
  if (c == "1Ldxx") return StageLdxx(Job, Ctx);
  if (c == "7_IV") return StageIV(Job, Ctx, false);
  if (c == "8_IV") return StageIV(Job, Ctx, true);
  if (c == "9_Filt") return StageFilt(Job, Ctx);
  auto& hooks = StageHooks();
  auto h = hooks.find(c);
  if (h != hooks.end() && h->second) return h->second(Job, Ctx);
  Ctx.Ran.pop_back();
  WARNAbs("Алгоритм <"_cp + c + "> не описан и не может быть запущен!"_cp);
  return false;
}

bool AutoRunPendingCases(TJob& Job, TRunCtx& Ctx) {
  std::string last;
  for (size_t guard = 0; guard <= RunCases().size(); ++guard) {
    if (Job.Cancelled()) return false;
    const std::string c = FirstPending(CaseMarks(Ctx.Session));
    if (c.empty() || UserCase(c)) return true;
    if (c == last) {
      WARNAbs("Сеанс "_cp + Ctx.Session + ": расчёт <"_cp + c +
              "> не отмечен после своего выполнения - очередь RUN остановлена!"_cp);
      return false;
    }
    last = c;
    RunCase(Job, Ctx, c);
  }
  return true;
}

bool RunQueue(TJob& Job, TRunCtx& Ctx, const std::vector<std::string>& Sessions, size_t From,
              const std::string& CaseText) {
  if (From >= Sessions.size()) return false;
  std::string c = TrimBlanks(CaseText);
  if (!c.empty()) {
    Ctx.Session = Sessions[From];
    return RunCase(Job, Ctx, c);
  }
  const int64_t n = static_cast<int64_t>(Sessions.size() - From);
  for (size_t i = From; i < Sessions.size(); ++i) {
    if (!Job.Step(static_cast<int64_t>(i - From), n, Sessions[i])) return false;
    if (i > From) {
      if (Ctx.Scan) Ctx.Scan->Clear();
      if (TLFIOut* r = LFIOOrNull())
        if (r->HcvSL) r->HcvSL->Clear();
    }
    Ctx.Session = Sessions[i];
    if (!AutoRunPendingCases(Job, Ctx)) return false;
  }
  return true;
}

bool ContForAll(TJob& Job, TRunCtx& Ctx, const std::vector<std::string>& Sessions) {
  const int64_t n = static_cast<int64_t>(Sessions.size());
  for (int64_t i = 0; i < n; ++i) {
    const std::string& s = Sessions[static_cast<size_t>(i)];
    if (!Job.Step(i, n, s)) return false;
    std::string da, ti;
    SplitSession(s, da, ti);
    bool has = false;
    if (IsFile(GetCVFITName(da, ti))) {
      std::vector<TMapExt> dir;
      ReadMapDir(GetCVFITName(da, ti), dir, nullptr, true);
      for (const TMapExt& e : dir) has = has || e.Name == "CONT";
    }
    if (has) continue;
    Ctx.Session = s;
    Ctx.Ran.push_back("CONT");
    StageCONT(Job, Ctx);
    if (Job.Cancelled()) return false;
  }
  return true;
}

}  // namespace fitsruns
