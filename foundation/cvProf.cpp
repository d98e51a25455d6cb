#include "foundation/cvProf.h"

#include <cxxabi.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <typeinfo>

#include "foundation/cvClock.h"
#include "foundation/cvDate.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

TProfiler Profiler;
TProfileReportViewer ProfileReportViewer;
TObjectTimer ObjTimer;

// ---------------------------------------------------------------- routine profiler

int TProfiler::IndexOf(std::string_view Name) const {
  for (int i = 0; i < Count; ++i)
    if (Names[i] == Name) return i;
  return -1;
}

namespace {

// Each thread times sections into counters of its own, found through a small list of the names
// it used; only a name new to the thread, "main", a reset and the collection take the lock. The
// collection sums the threads' counters with what ended threads and registrations left (Base*).
constexpr int kBlockSlots = 64, kBlocks = 64;  // sections a thread counts itself
constexpr int64_t kNoStart = INT64_MIN;

struct TSlot {
  std::atomic<int64_t> Start{kNoStart}, Total{0};
  std::atomic<int32_t> Calls{0};
};

struct TThreadSections;

std::mutex gLock;  // the registry, the lists of Profiler and the Base lists
std::atomic<uint64_t> gGeneration{1};  // raised by every reset: threads then forget their counters
std::vector<TThreadSections*> gThreads;
std::vector<int64_t> gBaseTotal;
std::vector<int32_t> gBaseCalls;

struct TThreadSections {
  std::atomic<uint64_t> Generation{0};
  std::atomic<TSlot*> Blocks[kBlocks] = {};
  // the names this thread used, with their sections (read and written by the thread only)
  struct TKey {
    std::string Name;
    int Index;
  };
  std::vector<TKey> Keys;
  size_t Last = 0;

  TThreadSections() {
    std::lock_guard<std::mutex> g(gLock);
    gThreads.push_back(this);
  }
  ~TThreadSections() {
    std::lock_guard<std::mutex> g(gLock);
    // what this thread counted stays with its sections
    if (Generation.load() == gGeneration.load())
      for (size_t i = 0; i < gBaseTotal.size(); ++i)
        if (TSlot* s = SlotIf(static_cast<int>(i))) {
          gBaseTotal[i] += s->Total.load();
          gBaseCalls[i] += s->Calls.load();
        }
    gThreads.erase(std::find(gThreads.begin(), gThreads.end(), this));
    for (auto& b : Blocks) delete[] b.load();
  }
  TSlot* SlotIf(int i) const {
    TSlot* b = Blocks[i / kBlockSlots].load(std::memory_order_acquire);
    return b ? b + i % kBlockSlots : nullptr;
  }
  // Slot of section i, its block made on first use; null beyond the thread's sections.
  TSlot* Slot(int i) {
    if (i >= kBlockSlots * kBlocks) return nullptr;
    std::atomic<TSlot*>& b = Blocks[i / kBlockSlots];
    TSlot* p = b.load(std::memory_order_relaxed);
    if (!p) {
      p = new TSlot[kBlockSlots];
      b.store(p, std::memory_order_release);
    }
    return p + i % kBlockSlots;
  }
  // After a reset: every counter and name forgotten.
  void Renew(uint64_t G) {
    for (auto& b : Blocks)
      if (TSlot* p = b.load(std::memory_order_relaxed))
        for (int k = 0; k < kBlockSlots; ++k) {
          p[k].Start.store(kNoStart, std::memory_order_relaxed);
          p[k].Total.store(0, std::memory_order_relaxed);
          p[k].Calls.store(0, std::memory_order_relaxed);
        }
    Keys.clear();
    Last = 0;
    Generation.store(G);
  }
  int Find(std::string_view Name) {
    if (Last < Keys.size() && Keys[Last].Name == Name) return Keys[Last].Index;
    for (size_t k = 0; k < Keys.size(); ++k)
      if (Keys[k].Name == Name) {
        Last = k;
        return Keys[k].Index;
      }
    return -1;
  }
};

TThreadSections& ThreadSections() {
  thread_local TThreadSections t;
  return t;
}

void Register(TProfiler& P, std::string_view Name, int64_t T) {
  P.Names.Add(std::string(Name));
  P.StartTicks.push_back(T);
  P.TotalTicks.push_back(0);
  P.Calls.push_back(1);
  gBaseTotal.push_back(0);
  gBaseCalls.push_back(1);
  ++P.Count;
}

// The latest opening of section i on any thread (under the lock).
int64_t LatestStart(const TProfiler& P, int i) {
  int64_t s = P.StartTicks[static_cast<size_t>(i)];
  const uint64_t g = gGeneration.load();
  for (const TThreadSections* t : gThreads)
    if (t->Generation.load() == g)
      if (const TSlot* x = t->SlotIf(i)) s = std::max(s, x->Start.load());
  return s;
}

void AddTicks(TSlot& S, int64_t D) {
  S.Total.store(S.Total.load(std::memory_order_relaxed) + D, std::memory_order_relaxed);
}

}  // namespace

void time_routine(std::string_view Name, bool QStart) {
  TProfiler& P = Profiler;
  if (!P.Enabled) return;
  const int64_t t = static_cast<int64_t>(P.Ticks ? P.Ticks() : CpuTicks());
  TThreadSections& T = ThreadSections();
  const uint64_t g = gGeneration.load(std::memory_order_relaxed);
  if (T.Generation.load(std::memory_order_relaxed) != g) T.Renew(g);
  if (Name != "main") {
    const int i = T.Find(Name);
    if (TSlot* s = i >= 0 ? T.Slot(i) : nullptr) {
      if (QStart) {
        s->Start.store(t, std::memory_order_relaxed);
        s->Calls.store(s->Calls.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        return;
      }
      const int64_t own = s->Start.load(std::memory_order_relaxed);
      if (own != kNoStart) {
        AddTicks(*s, t - own);
        return;
      }
    }
  }
  std::lock_guard<std::mutex> guard(gLock);
  if (Name == "main") {
    double now = NowDateTime();
    uint32_t ms = MsClock();
    if (QStart) {
      P.MainStartDate = DateY_M_D(now);
      P.MainStartTime = MsToHMSms(ms);
      P.MainStartMs = ms;
    } else {
      P.MainEndDate = DateY_M_D(now);
      P.MainEndTime = MsToHMSms(ms);
      P.MainEndMs = ms;
    }
  }
  int i = P.Count == 0 ? -1 : P.IndexOf(Name);
  if (i < 0) {
    if (!QStart && P.Count > 0) {
      WARNAbs("Error in time_routine. Profiling new routine " + std::string(Name) + "\n\r" +
              "But profile has been called with QStart=False" + "\r\n" +
              SListToStr(&P.Names));
      return;
    }
    // the first section of all registers whatever QStart says
    Register(P, Name, t);
    i = P.Count - 1;
    if (TSlot* s = T.Slot(i)) s->Start.store(t, std::memory_order_relaxed);
  } else if (TSlot* s = T.Slot(i)) {
    if (QStart) {
      s->Start.store(t, std::memory_order_relaxed);
      s->Calls.store(s->Calls.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    } else {
      // opened on this thread, else at the latest opening on any thread
      const int64_t own = s->Start.load(std::memory_order_relaxed);
      AddTicks(*s, t - (own != kNoStart ? own : LatestStart(P, i)));
    }
  } else {
    // beyond the sections a thread counts itself: the shared lists, as before
    const size_t k = static_cast<size_t>(i);
    if (QStart) {
      P.StartTicks[k] = t;
      ++gBaseCalls[k];
    } else {
      gBaseTotal[k] += t - LatestStart(P, i);
    }
  }
  if (T.Find(Name) < 0 && i < kBlockSlots * kBlocks)
    T.Keys.push_back({std::string(Name), i});
}

void ProfilingCollect() {
  TProfiler& P = Profiler;
  std::lock_guard<std::mutex> guard(gLock);
  const uint64_t g = gGeneration.load();
  for (int i = 0; i < P.Count; ++i) {
    const size_t k = static_cast<size_t>(i);
    int64_t total = gBaseTotal[k];
    int32_t calls = gBaseCalls[k];
    for (const TThreadSections* t : gThreads)
      if (t->Generation.load() == g)
        if (const TSlot* s = t->SlotIf(i)) {
          total += s->Total.load(std::memory_order_relaxed);
          calls += s->Calls.load(std::memory_order_relaxed);
        }
    P.StartTicks[k] = LatestStart(P, i);
    P.TotalTicks[k] = total;
    P.Calls[k] = calls;
  }
}

void ProfileReport() {
  TProfiler& P = Profiler;
  if (!P.Enabled) return;
  time_routine("main", false);
  ProfilingCollect();
  P.Report.Clear();
  P.Report.Add("Code execution started on: " + P.MainStartDate + " at " + P.MainStartTime);
  P.Report.Add("Code execution ended on  : " + P.MainEndDate + " at " + P.MainEndTime);

  int im = -1;
  for (int i = 0; i < P.Count; ++i)
    if (TrimSp(P.Names[i]) == "main") im = i;
  double M;
  if (im >= 0) {
    double T = static_cast<double>(P.TotalTicks[static_cast<size_t>(im)]);
    uint32_t E = P.MainEndMs - P.MainStartMs;
    if (E > 0 && T > 0) {
      P.TickRate = T / E;
      M = T / P.TickRate;
    } else {
      // An interval below one millisecond (or without ticks) gives no rate: the last rate is
      // kept and the length comes from it, or from the milliseconds alone.
      M = P.TickRate > 0 ? T / P.TickRate : static_cast<double>(E);
    }
    int64_t ms = static_cast<int64_t>(std::nearbyint(M));
    P.Report.Add("Total execution time (s)    :" + I64Str(ms / 1000));
    P.Report.Add("Total execution time (hours):" + EFSt(5, M / 3600000.0));
  } else {
    P.Report.Add("main was not profiled. Cannot determine total execution time");
    M = -1e10;
  }
  P.Report.Add("Subroutines profiled");
  P.Report.Add("Name N_calls time(s) %ofTotalTime)");
  if (P.TickRate == 0) P.TickRate = 1;

  std::vector<double> share(static_cast<size_t>(P.Count), 0.0);
  for (size_t i = 0; i < share.size(); ++i)
    share[i] = M != 0 ? static_cast<double>(P.TotalTicks[i]) / P.TickRate / M : 0.0;
  std::vector<bool> taken(share.size(), false);
  for (size_t n = 0; n < share.size(); ++n) {
    size_t best = share.size();
    for (size_t i = 0; i < share.size(); ++i)
      if (!taken[i] && (best == share.size() || share[i] > share[best])) best = i;
    taken[best] = true;
    P.Report.Add(P.Names[static_cast<int>(best)] + "   " + I64PadSt(6, P.Calls[best]) + "   " +
                 EFSt(6, static_cast<double>(P.TotalTicks[best]) / P.TickRate / 1000.0) + " " +
                 FDecSt(4, share[best] * 100.0));
  }

  if (ProfileReportViewer) ProfileReportViewer("Executing_Profile", P.Report);
  P.Report.Clear();
  time_routine("main", true);
}

void ProfilingReset() {
  TProfiler& P = Profiler;
  std::lock_guard<std::mutex> guard(gLock);
  gGeneration.fetch_add(1);
  gBaseTotal.clear();
  gBaseCalls.clear();
  P.Count = 0;
  for (int i = P.Names.Count() - 1; i >= 0; --i) {
    P.Names.PutObject(i, nullptr);
    P.Names.Delete(i);
  }
  P.Names.Clear();
  P.StartTicks.clear();
  P.TotalTicks.clear();
  P.Calls.clear();
}

// ---------------------------------------------------------------- object timers

namespace {

void SayPlain(const std::string& Text) {
  if (Sayer) Sayer->Say(Text, "");
}

}  // namespace

int TObjectTimer::IndexOf(const std::string& Name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].Name == Name) return static_cast<int>(i);
  return -1;
}

void TObjectTimer::Start(const std::string& Name) {
  int i = IndexOf(Name);
  if (i < 0) {
    size_t pos = 0;
    while (pos < items_.size() && items_[pos].Name < Name) ++pos;
    TObjTimerEntry e;
    e.Name = Name;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(pos), e);
    i = static_cast<int>(pos);
  } else if (items_[static_cast<size_t>(i)].Stop == 0) {
    SayPlain("cvObj.Beg   Рекурсивный запуск "_cp + Name + " или сбой программы!"_cp);
  }
  TObjTimerEntry& e = items_[static_cast<size_t>(i)];
  e.Stop = 0;
  e.Start = MsClock();
}

void TObjectTimer::Stop(const std::string& Name) {
  int i = IndexOf(Name);
  if (i < 0) {
    SayPlain("cvObj.Beg   Завершение процедуры "_cp + Name + " до её вызова!!!"_cp);
    return;
  }
  TObjTimerEntry& e = items_[static_cast<size_t>(i)];
  ++e.Count;
  e.Stop = MsClock();
  if (e.Start != 0)
    e.Total += static_cast<int32_t>(e.Stop - e.Start);
  else
    SayPlain("cvObj.Beg   завершение "_cp + Name + " с неопределенным временем запуска"_cp);
}

std::string TcvOBJ::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  char* d = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = (status == 0 && d) ? d : mangled;
  std::free(d);
  return name;
}

void TcvOBJ::Beg(const std::string& Method) {
  std::string name = ClassName() + "." + Method;
  ObjTimer.Start(name);
  if (qTrace) SayPlain(">> " + name);
}

void TcvOBJ::EndProc(const std::string& Method) {
  std::string name = ClassName() + "." + Method;
  ObjTimer.Stop(name);
  if (qTrace) SayPlain("<< " + name);
}

// ---------------------------------------------------------------- table indices

namespace {

// Product of Dims[From..To] (0-based, inclusive) in 32-bit arithmetic.
int32_t DimProduct(const int32_t* Dims, int From, int To) {
  uint32_t p = 1;
  for (int i = From; i <= To; ++i) p *= static_cast<uint32_t>(Dims[i]);
  return static_cast<int32_t>(p);
}

// ((N - 1) div P) mod D + 1 with 32-bit operands, div and mod truncating towards zero.
int32_t IndexOfLinear(int32_t N, int32_t P, int32_t D) {
  if (P == 0 || D == 0) throw std::domain_error("Division by zero");
  int64_t x = static_cast<int32_t>(static_cast<uint32_t>(N) - 1u);
  int64_t q = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(x / P)));
  return static_cast<int32_t>(q % D + 1);
}

}  // namespace

int32_t TABL1(const std::vector<int32_t>& Dims, int32_t N, int32_t K) {
  if (N < 1)
    throw EInOutError("SetBit TABL1 ERR: порядковый номер "_cp + IntStr(N) +
                      " не может быть меньше 1!"_cp);
  int n = static_cast<int>(Dims.size());
  if (K < 1 || K > n) throw std::out_of_range("TABL1: K out of range");
  return IndexOfLinear(N, DimProduct(Dims.data(), K, n - 1), Dims[static_cast<size_t>(K - 1)]);
}

void LinToRowCol(int32_t W, int32_t N, int32_t& Col, int32_t& Row) {
  if (W == 0) throw std::domain_error("Division by zero");
  int64_t x = static_cast<int32_t>(static_cast<uint32_t>(N) - 1u);
  Col = static_cast<int32_t>(x % W + 1);
  Row = static_cast<int32_t>(x / W + 1);
}

void TABLIdx(const TAIn& Dims, TAIn& R, int32_t Count, int32_t N) {
  if (Count < 0 || static_cast<int64_t>(Dims.size()) < static_cast<int64_t>(Count) + 1)
    throw std::out_of_range("TABLIdx: fewer dimensions than Count");
  R.assign(static_cast<size_t>(Count) + 1, 0);
  for (int32_t k = 1; k <= Count; ++k)
    R[static_cast<size_t>(k)] =
        IndexOfLinear(N, DimProduct(Dims.data(), k + 1, Count), Dims[static_cast<size_t>(k)]);
}
