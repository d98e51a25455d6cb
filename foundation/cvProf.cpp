#include "foundation/cvProf.h"

#include <cxxabi.h>

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

void Register(TProfiler& P, std::string_view Name, int64_t T) {
  P.Names.Add(std::string(Name));
  P.StartTicks.push_back(T);
  P.TotalTicks.push_back(0);
  P.Calls.push_back(1);
  ++P.Count;
}

}  // namespace

void time_routine(std::string_view Name, bool QStart) {
  TProfiler& P = Profiler;
  if (!P.Enabled) return;
  // Sections may be opened from several threads at once (slit pixels measured in parallel).
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  int64_t t = static_cast<int64_t>(P.Ticks ? P.Ticks() : CpuTicks());
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
  if (P.Count == 0) {
    Register(P, Name, t);
    return;
  }
  int i = P.IndexOf(Name);
  if (i >= 0) {
    size_t k = static_cast<size_t>(i);
    if (QStart) {
      P.StartTicks[k] = t;
      ++P.Calls[k];
    } else {
      P.TotalTicks[k] += t - P.StartTicks[k];
    }
  } else if (QStart) {
    Register(P, Name, t);
  } else {
    WARNAbs("Error in time_routine. Profiling new routine " + std::string(Name) + "\n\r" +
            "But profile has been called with QStart=False" + "\r\n" + SListToStr(&P.Names));
  }
}

void ProfileReport() {
  TProfiler& P = Profiler;
  if (!P.Enabled) return;
  time_routine("main", false);
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
