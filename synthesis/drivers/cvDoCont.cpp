#include "synthesis/drivers/cvDoCont.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvWarnOnceCapture.h"
#include "linedata/cvLLIDA.h"
#include "models/cvLines.h"
#include "models/cvModServices.h"
#include "models/cvOTL.h"
#include "models/cvPMod.h"
#include "models/physics/cvIon.h"
#include "models/cvRout.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "platform/FileErr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvLams.h"
#include "synthesis/drivers/cvRecont.h"
#include "synthesis/me/cvMilned.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvAccuracy.h"
#include "synthesis/transfer/cvRK.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

thread_local std::string ContTitle;

TVARIATOR& Vari() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ErrAbs("doCONT: нет текущего вариатора VARI!"_cp);
  return *V;
}

void Trace(int Ch, const std::string& Text) {
  if (ChanOn(Ch)) Sayer->ChanLog(Ch, Text);
}

// The output grid: "#FOUT", or one depth at the outer end of the working model.
void VariLoadFOUT(TVARIATOR& V, TCONT& C) {
  if (V.NoKey("#FOUT")) {
    C.sMOD = VariModName();
    // a model still to be built ("#ION" 1) has its depth scale but no temperature yet
    TVEMO* t = Keeper().FindVeMo("X", C.sMOD, "", 1) && C.ION
                   ? Keeper().FindVeMo("T", C.sMOD, "", 1)
                   : Keeper().NeedWrkVeMo("T", C.sMOD, "", 1);
    const TVEMO* x = t && t->LGTAU ? t->LGTAU : Keeper().FindVeMo("X", C.sMOD, "", 1);
    double outer = 0;
    if (x && x->N > 0) outer = std::min(x->A[1], x->A[static_cast<size_t>(x->N)]);
    SetRoutOnePoint(C.AXOUT, outer);
    C.SETX.XOUT1 = outer;
  } else {
    C.FOUT = V.GetI("#FOUT", 0);
    LoadRout(C.FOUT, C.AXOUT);
  }
  if (C.AXOUT.size() > 1) C.SETX.XK = C.AXOUT.back();
}

// The step's control text, closed by its "#RUN" so that the result file reads back as a step.
void ControlText(TVARIATOR& V, TStringList& Out) {
  auto t = V.CtrlTextUse();
  if (!t) return;
  bool run = false;
  for (int i = 0; i < t->Count(); ++i) {
    if (TrimSp((*t)[i]).rfind("#RUN", 0) == 0) run = true;  // read by the run: written already
    if (!run && TrimSp((*t)[i]).rfind("#EXIT", 0) == 0) {
      Out.Add("#RUN CONT #");
      run = true;
    }
    Out.Add((*t)[i]);
  }
  if (!run) Out.Add("#RUN CONT #");
}

// The block of combination K before its profiles.
void CombinationBlock(TVARIATOR& V, int32_t K, TStringList& Out) {
  const TCONT& C = Cont();
  const TCONTSETX& s = C.SETX;
  Out.Add("");
  Out.Add("");
  Out.Add("");
  Out.Add(C.LiSet.GetText() + "\r\nМодель: "_cp + V.GetSDef("#MOD", "") + "\r\nVARI(" +
          IntStr(K) + ")=" + V.GetKS(K) + "\r\nСетка вывода № "_cp + IntStr(C.FOUT) +
          " leng(AXOUT)=" + IntStr(static_cast<int32_t>(C.AXOUT.size())) + " XLast=" +
          FDecSt(3, C.AXOUT.empty() ? 0.0 : C.AXOUT.back()) + "\r\nТочность расчета="_cp +
          EWSt(10, s.ERR) + " DXMA=" + EWSt(10, s.DXMA) + " X0_LO=" + EWSt(10, s.X0_LO) +
          " X0_UP=" + EWSt(10, s.X0_UP) + " XK=" + EWSt(10, s.XK) + " EFBO=" + EWSt(10, s.EFBO) +
          " EFDX=" + EWSt(10, s.EFDX));
  Out.Add("");
}

}  // namespace

std::string CONTTitle() { return ContTitle; }

void doCONTstep(TJob& Job, TLUNNO& List, TUNNO*& Last, const TUNNO* Previous) {
  Last = nullptr;
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  Trace(1, "=== doCONTstep STARTED ===========");
  const std::string& Q = V.QUEST;
  int32_t kStep = (Q == "d0HMCV" || Q == "W_HMCV") ? 3 : 1;
  const int32_t K = V.KIdx;
  SetVoigtMethod(UpCaseStrCyr(V.GetSDef("VOIGT", "HUMLICEK")));
  WriteBackVoigtName(V);
  Trace(1, "CONT ========= PMOD1 ============");
  if (!PMOD1()) return;
  if (V.KIdx != K) {
    WARNAbs("CONT: VARI.Kidx сбился во время выполнения PMOD1!"_cp);
    V.KIdx = K;
  }
  // the accuracy with the depth bounds of this combination's model, now loaded (not of the one
  // the previous combination left, nor the defaults in the first)
  C.sMOD = VariModName();
  VariLoadEps();
  Trace(1, "CONT REPEAT  == " + IntStr(K) + " === Вариант="_cp + IntStr(V.KIdx) + " из "_cp +
               IntStr(V.NK) + " === :" + V.GetKS(K));
  VariLoadFOUT(V, C);
  Trace(1, "=============");
  Trace(1, "IVari=" + IntStr(K) + " NOUT = " +
               IntStr(C.AXOUT.empty() ? 0 : static_cast<int32_t>(C.AXOUT.size()) - 1) +
               " XOut=" + FDecSt(3, C.SETX.XK));
  Trace(1, "=============");
  C.MILN = V.GetI("#MILNED", 0) == 1;
  if (C.MILN)
    VariLoadME();
  else
    C.CTETA = V.GetR("#CTETA", 1);
  Trace(1, "CONT ======= VariLoadLIN =========");
  // a line the request names and the database lacks stops the run (a profile-less combination
  // would pass for a result); the reference-model runs of one line say so and give no profile
  if (Q == "d0HMCV" || Q == "W_HMCV") {
    if (!LoadLinsVARI()) return;
  } else {
    LoadLinsVARIOrStop();
  }
  if (!VariLoadLam()) return;
  Trace(1, C.MILN ? "============= CONT.PMOD3(MILN=true) ========="
                  : "============= CONT.PMOD3(MILN=false) ========");
  C.ION = V.GetI("#ION", 0) == 1;
  if (C.ION && !doION(Job)) return;
  if (!(C.MILN ? MILNED(C.ME) : PMOD3(kStep))) return;
  ++kStep;
  Trace(1, "CONT ========= UN.CREATE ============");
  auto U = std::make_unique<TUNNO>();
  U->SetDefaults();
  U->sULin = V.GetS("#LIN");
  U->sObs = V.GetSDef("#sObs", "");
  U->QUESTRef = V.GetSDef("#QUESTObs", "");
  U->IQRef = V.GetI("#IQuest", 0);
  U->KVARIRef = V.GetI("#KVObs", 0);
  if (U->KVARIRef != 0) {
    if (U->IQRef == 0) U->IQRef = 1;
    U->sIdRef = U->QUESTRef + "_" + IntStr(U->IQRef) + "_" + IntStr(U->KVARIRef);
  }
  // a constant velocity is the profile's shift (at the line's wavelength before CareLams)
  if (C.KindVD == '0' || C.KindVD == 'C') {
    C.VD = V.GetR("#VD", 0);
    C.DLVD0 = DopplerShiftA(C.LAMB, C.VD);
  } else {
    C.DLVD0 = 0;
  }
  CareLams(*U);
  U->ALG = "CONT";
  U->QUEST = V.QUEST;
  U->IQ = V.IQ;
  U->KVARI = K;
  const std::string h = TrimSp(V.GetSDef("#H", ""));
  U->K4 = h.empty() || (WordCount(h) == 1 && ValRealOr0(h) == 0) ? 1 : 4;
  if (C.MILN) U->K4 = C.H0 ? 1 : 4;  // the Milne-Eddington field is its own splitting
  U->AllocU();
  U->KMJU = 1;
  U->MJU = C.CTETA;
  U->PART = C.PART;
  U->KDif = 0;
  U->BGau = 0;
  U->DLVD = C.DLVD0;
  if (K == 1) {
    Trace(1, "CONT ========= ПЕРВЫЙ ЗАПУСК РАСЧЕТА - IVARI=1 ========="_cp);
    C.KVOIG = V.GetI("#KVOIG", 6);
  }
  Trace(1, "doCONTstep ======== PMOD3 (ПОВТОРНЫЙ!) ============"_cp);
  if (!(C.MILN ? MILNED(C.ME) : PMOD3(kStep))) return;
  // the matrix's depth cache holds the previous combination's vectors
  ResetFACX();
  if (C.LAMOpt == 'd' ? !STESAUTO(Job, U, Previous, List, Last) : !STES(Job, U, List, Last))
    return;
  if (!Last) return;
  Last->SetWLimits(V);
  const double vma = V.GetR("#VMA", 0);
  if (vma != 0) Last->ApplyBlur(vma, 0);
  Trace(1, "=== doCONTstep ENDED =============");
}

namespace {

// Combination K on the calling thread's contexts: its profiles into List, its result-file block
// (made while its state is at hand) into Block. Previous: the profile of the combination before
// (the automatic grid's seeds); Made: the profile this one made.
void RunCombination(TJob& Job, TVARIATOR& V, int32_t K, TLUNNO& List, TStringList& Block,
                    const TUNNO* Previous = nullptr, TUNNO** Made = nullptr) {
  V.KIdx = K;
  Trace(1, (K == 1 ? "CONT.START ========= IVARI=" : "CONT.REPEAT ========= IVARI=") +
               IntStr(K) + " ============");
  const int32_t before = List.Count();
  TUNNO* last = nullptr;
  doCONTstep(Job, List, last, Previous);
  if (Made) *Made = last;
  if (Job.Cancelled()) return;
  CombinationBlock(V, K, Block);
  if (List.Count() > before) Block.AddStrings(std::move(*List.ReportVar(V.QUEST, V.IQ, K)));
}

// After the last combination: single-valued keys that nothing read leave the variator (a key
// read only under another value of a varied switch was read); a multi-valued one stays, so that
// the combinations keep their numbers and the result file its dimensions, and is named in a
// warning.
void DropUnread(TVARIATOR& V) {
  std::string gone;
  const std::string multi = V.DropUnread(gone);
  if (!gone.empty()) Trace(1, "doCONT: не использованы ключи "_cp + gone);
  if (!multi.empty())
    WARNAbs("doCONT: ни в одном варианте не прочитаны параметры с несколькими значениями "_cp +
            multi + " - варианты по ним повторяют друг друга"_cp);
}

// The user is told what a cancelled run kept.
void TellCancelled(TJob& Job, int32_t Done, int32_t NK) {
  Job.Warn("doCONT прерван: рассчитано вариантов "_cp + IntStr(Done) + " из "_cp + IntStr(NK) +
           ", профили оставлены в списке, файл результатов не записан (прежний оставлен)"_cp);
}

// ---- result files

thread_local TResultFiles* tResultFiles = nullptr;

std::string CopyName(const std::string& File) {
  return File + ".tmp~" + IntStr(static_cast<int32_t>(::getpid()));
}

// What a worker made of one combination.
struct TCombination {
  std::unique_ptr<TJob> Job;  // its warnings and questions; cancelled with the run
  TLUNNO List;
  TStringList Block;
  std::vector<std::string> Memo;  // lines for the test memo
  std::vector<TWarnOnceCall> Once;  // its WARNOnce calls, told at the hand-over
  std::exception_ptr Error;       // the fatal error that ended it
  bool Started = false, Done = false;
  std::atomic<bool> Finished{false};  // its worker is done with it
};

// Combinations From..To on Threads workers, each with its own calculation context, a copy of
// the working variator and its own job; the calling thread reports progress and passes on
// cancel and pause. Afterwards, in combination order: the test-memo lines, the warnings and the
// profiles go to the caller (a failed combination ends the hand-over with its error, as one after
// the other the run would have stopped there), while the workers run as far as they have come;
// the marks of what was read and the values written back go into V. False when cancelled.
bool RunParallel(TJob& Job, TVARIATOR& V, int32_t From, int32_t To, int32_t Threads,
                 TLUNNO& List, TStringList& Blocks, int32_t& Done) {
  const int32_t n = To - From + 1;
  std::vector<TCombination> out(static_cast<size_t>(n));
  std::mutex askLock;
  for (TCombination& c : out) {
    c.Job = std::make_unique<TJob>(Job.Name());
    c.Job->TraceMask = TraceMask;
    c.Job->OnAsk = [&](const std::string& Text, bool Default) {
      std::lock_guard<std::mutex> lock(askLock);
      return Job.Ask(Text, Default);
    };
  }
  // each worker's context and variator, made here while nothing else runs
  const TVariContext vparent = VariCtx();
  TCalcContext& cparent = CalcCtx();
  std::vector<std::unique_ptr<TOwnCalcContext>> ctx;
  std::vector<std::unique_ptr<TVARIATOR>> vari;
  for (int32_t t = 0; t < Threads; ++t) {
    ctx.push_back(std::make_unique<TOwnCalcContext>(cparent));
    ctx.back()->CONT->KVOIG = cparent.CONT->KVOIG;  // set by combination 1 only
    vari.push_back(V.Clone());
    vari.back()->ClearUse();
  }
  std::atomic<int32_t> next{From};
  std::atomic<int32_t> stopAt{To + 1};  // the first combination that failed
  std::atomic<bool> cancelled{false};
  std::mutex lock;
  std::condition_variable changed;
  std::atomic<int32_t> finished{0};
  int32_t active = Threads;  // under lock
  TTransferCounts counts;     // the workers' work, under lock
  auto worker = [&](int32_t t) {
    SetStepTiming(false);
    TCalcScope cscope(*ctx[static_cast<size_t>(t)]);
    TVariContext vc = vparent;
    vc.VARI = vari[static_cast<size_t>(t)].get();
    vc.rdVARI = nullptr;
    TVariScope vscope(vc);
    for (;;) {
      const int32_t k = next.fetch_add(1);
      if (k > To || k >= stopAt.load() || cancelled.load()) break;
      TCombination& c = out[static_cast<size_t>(k - From)];
      c.Started = true;
      CaptureMemoTest(&c.Memo);
      CaptureWarnOnce(&c.Once);
      try {
        TJobScope jscope(*c.Job);
        RunCombination(*c.Job, *vc.VARI, k, c.List, c.Block);
      } catch (...) {
        c.Error = std::current_exception();
        int32_t s = stopAt.load();
        while (k < s && !stopAt.compare_exchange_weak(s, k)) {
        }
      }
      CaptureMemoTest(nullptr);
      CaptureWarnOnce(nullptr);
      c.Done = !c.Error && !c.Job->Cancelled();
      c.Finished.store(true, std::memory_order_release);
      // the first one shows at once; later ones at the next look (progress, not a hand-over)
      if (finished.fetch_add(1) == 0) {
        std::lock_guard<std::mutex> g(lock);
        changed.notify_all();
      }
    }
    std::lock_guard<std::mutex> g(lock);
    counts.Voigt += TransferCounts().Voigt;
    counts.Steps += TransferCounts().Steps;
    --active;
    changed.notify_all();
  };
  // the hand-over in combination order, of those finished so far (Ended: of all)
  int32_t handed = From;
  std::exception_ptr error;
  auto handOver = [&](bool Ended) {
    for (; handed <= To && !error; ++handed) {
      TCombination& c = out[static_cast<size_t>(handed - From)];
      if (!Ended && !c.Finished.load(std::memory_order_acquire)) return;
      if (!c.Started) continue;
      for (const std::string& m : c.Memo) MemoTest(m);
      // its warnings, each WARNOnce told where it came among them
      const std::vector<TJob::TWarning> warnings = c.Job->Warnings();
      size_t once = 0;
      for (size_t i = 0; i <= warnings.size(); ++i) {
        for (; once < c.Once.size() && static_cast<size_t>(c.Once[once].At) <= i; ++once)
          WARNOnce(c.Once[once].Key, c.Once[once].Text);
        if (i < warnings.size()) Job.Warn(warnings[i].Text, warnings[i].Count);
      }
      List.TakeAll(c.List);
      if (c.Error) {
        error = c.Error;
      } else if (c.Done) {
        Blocks.AddStrings(std::move(c.Block));
        ++Done;
      }
    }
  };
  std::vector<std::thread> pool;
  for (int32_t t = 0; t < Threads; ++t) pool.emplace_back(worker, t);
  {
    // progress, pause and cancel on the job's own thread, passed on to the combinations
    auto cancelAll = [&] {
      cancelled.store(true);
      for (TCombination& c : out) c.Job->Cancel();
    };
    std::unique_lock<std::mutex> g(lock);
    int32_t shown = -1;
    while (active > 0) {
      if (!cancelled.load() && (Job.Paused() || Job.Cancelled())) {
        for (TCombination& c : out) c.Job->SetPaused(true);
        g.unlock();
        const bool go = Job.Checkpoint();
        g.lock();
        for (TCombination& c : out) c.Job->SetPaused(false);
        if (!go) cancelAll();
      } else if (const int32_t f = finished.load();
                 !cancelled.load() && V.NK >= 6 && f != shown && f < n) {
        shown = f;
        const int32_t k = From + shown;
        g.unlock();
        const bool go = Job.Step(k - 1, V.NK, IvariText(k, V.NK));
        g.lock();
        if (!go) cancelAll();
        continue;
      }
      g.unlock();
      handOver(false);
      g.lock();
      if (active > 0) changed.wait_for(g, std::chrono::milliseconds(50));
    }
  }
  for (std::thread& t : pool) t.join();
  TransferCounts().Voigt += counts.Voigt;
  TransferCounts().Steps += counts.Steps;

  handOver(true);
  // what the copies read, and the values they wrote back (the Voigt method's name), into V
  for (const auto& copy : vari)
    for (int32_t j = 1; j <= copy->Count(); ++j) {
      const TVariRec* r = copy->Rec(j);
      if (!r) continue;
      // a copy keeps the order of the records it was made from
      TVariRec* own = V.Rec(j);
      if (!own || own->Key != r->Key) own = V.FindRec(r->Key);
      if (!own) continue;
      own->NUse += r->NUse;
      for (int32_t i = 0; i < r->NVals() && i < own->NVals(); ++i)
        if (r->Vals[i] != own->Vals[i]) {
          own->Vals.Put(i, r->Vals[i]);
          own->Stamp = r->Stamp;
        }
    }
  if (error) std::rethrow_exception(error);
  return !cancelled.load() && !Job.Cancelled();
}

// The threads for a grid: the run's choice or the program's setting, 0 meaning every core.
int32_t GridThreads() {
  int32_t t = Synthesis().GridThreads;
  if (t < 0) t = Synthesis().GridSetting();
  if (t <= 0) t = static_cast<int32_t>(std::thread::hardware_concurrency());
  return std::max(t, 1);
}

}  // namespace

TResultFiles::TResultFiles() : outer_(tResultFiles) {
  owner_ = outer_ == nullptr;
  if (owner_) tResultFiles = this;
}

TResultFiles::~TResultFiles() {
  if (!owner_) return;
  tResultFiles = nullptr;
  for (const auto& [file, copy] : copies_) {
    std::error_code ec;
    std::filesystem::remove(platform::SysPath(copy), ec);
  }
}

void TResultFiles::Commit() {
  if (!owner_) return;
  // every copy is complete: rename them one by one, each over its file
  while (!copies_.empty()) {
    const auto it = copies_.begin();
    const std::string file = it->first, copy = it->second;
    copies_.erase(it);
    RenameOver(copy, file);
  }
}

bool TResultFiles::Current(const std::string& File, TStringList& Text) {
  if (tResultFiles) {
    const auto it = tResultFiles->copies_.find(File);
    if (it != tResultFiles->copies_.end()) {
      Text.LoadFromFile(it->second);
      return true;
    }
  }
  if (!platform::IsRegularFile(File)) return false;
  Text.LoadFromFile(File);
  return true;
}

void TResultFiles::Write(const std::string& File, const TStringList& Text) {
  RemoveStaleTempCopies(platform::SysPath(File));
  const std::string copy = CopyName(File);
  try {
    Text.SaveToFile(copy);
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(platform::SysPath(copy), ec);
    if (tResultFiles) tResultFiles->copies_.erase(File);
    throw;
  }
  if (tResultFiles)
    tResultFiles->copies_[File] = copy;
  else
    RenameOver(copy, File);
}

std::string IvariText(int32_t K, int32_t NK) {
  const std::string n = IntStr(NK);
  return "IVARI=" + ZeroPad(K, static_cast<int>(n.size())) + "/" + n;
}

bool doCONT(TJob& Job, TLUNNO& List, const std::string& ResultFile, bool Append) {
  TVARIATOR& V = Vari();
  Trace(1, "doCONT === STARTED =======");
  List.DeleteQuestIQ(V.QUEST, V.IQ);
  Trace(1, "CONT ========= 1 0 ============");
  TOptionScope opt("CONT");
  ContTitle = opt.Title;
  LoadLineDump();
  TStringList blocks;
  int32_t done = 0;
  auto cancelled = [&] {
    TellCancelled(Job, done, V.NK);
    return false;
  };
  // combination 1 here; it also tells whether the grid may run in parallel
  TUNNO* previous = nullptr;
  if (V.NK >= 1) {
    RunCombination(Job, V, 1, List, blocks, nullptr, &previous);
    if (Job.Cancelled()) return cancelled();
    ++done;
  }
  const int32_t last = V.NK;
  // the automatic equal-depth grid is seeded by the previous combination: one after the other
  const int32_t threads = Cont().LAMOpt == 'd' ? 1 : std::min(GridThreads(), last - 2);
  int32_t k = 2;
  if (threads >= 2) {
    // all but the last on the workers; the last here, so that this context ends in its state
    if (!RunParallel(Job, V, 2, last - 1, threads, List, blocks, done)) return cancelled();
    k = last;
  }
  for (; k <= last; ++k) {
    if (V.NK >= 6 && !Job.Step(k - 1, V.NK, IvariText(k, V.NK))) return cancelled();
    RunCombination(Job, V, k, List, blocks, previous, &previous);
    if (Job.Cancelled()) return cancelled();
    ++done;
  }
  SaveLineDump();
  DropUnread(V);
  if (ResultFile.empty() || opt.On(27)) {
    Trace(1, "doCONT === ENDED ========");
    return true;
  }
  if (!ForceFileDir(ResultFile))
    ErrAbs("Невозможно создать директорию для файла\r\n"_cp + ResultFile);
  // the file's text (when appended), the control text, the combinations' blocks: one copy
  TStringList file;
  if (Append) TResultFiles::Current(ResultFile, file);
  ControlText(V, file);
  file.AddStrings(std::move(blocks));
  TResultFiles::Write(ResultFile, file);
  Trace(1, "doCONT === ENDED ========");
  return true;
}
