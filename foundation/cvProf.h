// The routine profiler (named sections timed with the processor's tick counter; the whole run
// is the section "main"), the object timers (methods of TcvOBJ descendants timed in
// milliseconds) and the table-index routines (linear number <-> 1-based indices, the last
// dimension varying fastest).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

// ---- routine profiler ----

struct TProfiler {
  bool Enabled = true;
  int32_t Count = 0;  // registered sections
  // Parallel lists, entry i of each belonging to section i (in order of registration). Every
  // thread times its sections into counters of its own (no lock once a section is known to it);
  // StartTicks, TotalTicks and Calls hold their sums as ProfilingCollect last made them
  // (ProfileReport collects first).
  TStringList Names;
  std::vector<int64_t> StartTicks;
  std::vector<int64_t> TotalTicks;
  std::vector<int32_t> Calls;
  std::string MainStartDate, MainStartTime, MainEndDate, MainEndTime;
  uint32_t MainStartMs = 0;
  uint32_t MainEndMs = 0;
  double TickRate = 0;  // ticks per millisecond, as the last report computed it
  TStringList Report;
  // The tick counter (CpuTicks); tests may put their own.
  uint64_t (*Ticks)() = nullptr;

  // Index of the section named exactly Name; -1 when there is none.
  int IndexOf(std::string_view Name) const;
};
extern TProfiler Profiler;

// Opens (QStart) or closes a section. Once a section exists and the calling thread has used it,
// neither allocates nor takes a lock: the ticks and calls go to the thread's own counters.
void time_routine(std::string_view Name, bool QStart);
// Every thread's ticks and calls summed into Profiler's lists (StartTicks: the latest opening).
void ProfilingCollect();

// A profiler section open for the life of the object (the name must outlive it).
class TTimedSection {
 public:
  explicit TTimedSection(std::string_view Name) : name_(Name) { time_routine(name_, true); }
  ~TTimedSection() { time_routine(name_, false); }
  TTimedSection(const TTimedSection&) = delete;
  TTimedSection& operator=(const TTimedSection&) = delete;

 private:
  std::string_view name_;
};
// Builds the report and hands it to the report viewer under the title "Executing_Profile";
// "main" is closed before and opened again after.
void ProfileReport();
// Forgets every section.
void ProfilingReset();

// Where ProfileReport shows its list (the editor, once the application binds it); the list is
// emptied after the call.
using TProfileReportViewer = std::function<void(const std::string& Title, const TStringList& List)>;
extern TProfileReportViewer ProfileReportViewer;

// ---- object timers ----

struct TObjTimerEntry {
  std::string Name;  // class name + "." + method name
  int32_t Count = 0;
  int32_t Total = 0;  // milliseconds
  uint32_t Start = 0;
  uint32_t Stop = 0;  // 0 from a start until the next stop
};

// The object timers' entries, in ascending byte order of their names.
class TObjectTimer {
 public:
  int IndexOf(const std::string& Name) const;
  void Start(const std::string& Name);
  void Stop(const std::string& Name);
  int Count() const { return static_cast<int>(items_.size()); }
  const TObjTimerEntry& Items(int i) const { return items_.at(static_cast<size_t>(i)); }

 private:
  std::vector<TObjTimerEntry> items_;
};
extern TObjectTimer ObjTimer;

// Objects whose methods are timed by ObjTimer under ClassName() + "." + method.
class TcvOBJ {
 public:
  virtual ~TcvOBJ() = default;
  bool qTrace = false;
  // The name of the object's own class.
  virtual std::string ClassName() const;
  void Beg(const std::string& Method);
  void EndProc(const std::string& Method);
};

// ---- table indices ----

// Index K (1-based) of the linear number N (from 1) in a table of dimensions Dims (d1 first).
// N < 1 raises EInOutError. A zero dimension raises std::domain_error, K outside 1..n
// std::out_of_range.
int32_t TABL1(const std::vector<int32_t>& Dims, int32_t N, int32_t K);
// Column and row of item N in rows of W items (W = 0 raises std::domain_error).
void LinToRowCol(int32_t W, int32_t N, int32_t& Col, int32_t& Row);
// All Count indices of N into a new 1-based array R (R[0] = 0); Dims is 1-based (d1..dCount).
void TABLIdx(const TAIn& Dims, TAIn& R, int32_t Count, int32_t N);
