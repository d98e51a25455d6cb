// The field, centre-of-gravity and wing map runs of a generated scan (noise-free lines, 1024 slit
// pixels per file, 8 files) against TLFITS.LoadRowData of the same files as the FITS tab runs it
// (each file read, its continuum measured, not taken from CONT, and stored into CONT): the ratio is the cost of a run in units of reading
// the scan (goal <= 2 each).
//   LW        CalcLW          wing positions
//   LIV       Calc_LIV        centres of I +- V at 0.4..0.6 of the depth (CONT, CONT2 registered)
//   IVcog     CalcIV_COG      nine bands and the asymmetry (CONT registered)
//   IVcog05   CalcIV_COG05    the 6 % and 3 % cores
//   WMom      Calc_W_Mom      moments over the wing windows (its eight input maps registered)
// Each case first runs once on one thread untimed and keeps its maps; every timed run (slit
// pixels on every core of the helper pool; CORVESTA_BENCH_THREADS=1 times the serial cost) must
// give them bit for bit, else the case fails. The counter cpu_ms is the process's processor time
// per run over all threads (on a busy machine the real time of the threaded runs tells little).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "platform/SysInfo.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "tools/scangen/cvScanGen.h"

namespace {

constexpr int kNY = 1024, kFiles = 8;

const std::string& ScanDir() {
  static std::string dir;
  if (dir.empty()) {
    const std::string root =
        (std::filesystem::temp_directory_path() / "corvesta_bench_fieldmaps").string();
    TScanGenOptions o;
    o.Files = kFiles;
    o.NY = kNY;
    dir = GenerateScan(root, o);
  }
  return dir;
}

bool Headers(TLFITS& Scan, TJob& Job) {
  Scan.Link(ScanDir());
  Scan.SetOptions(350, 350, 1.0, 20);
  Scan.VW1 = 0.2;
  Scan.VW2 = -0.1;
  return Scan.LoadHeaders(Job);
}

// A map of the scan registered with F(x, y).
void Register(TLFITS& S, const std::string& Name, const std::function<float(int, int)>& F) {
  TFIOut* m = LFIOReg().AddFIOut(S.ScanName, Name, Name, "", 1, S.nX, S.ScanNY(), nullptr);
  m->AssignMem(S.nX, S.ScanNY());
  for (int x = 0; x < S.nX; ++x)
    for (int y = 0; y < S.ScanNY(); ++y) m->aData[x][y] = F(x, y);
  m->kLoad = 9;
  m->MinMaxMean();
}

// The input maps of the runs, made once: CONT, CONT2 (CalcCont0), LIV1, LIV2 (Calc_LIV) and the
// wing windows LBob1 .. LBor2 about them.
void Inputs() {
  static bool done = false;
  if (done) return;
  done = true;
  TLFITS scan;
  TJob job("inputs");
  TJobScope scope(job);
  if (!Headers(scan, job) || !scan.CalcCont0(job) || !scan.Calc_LIV(job)) return;
  const TFIOut* l1 = scan.OuAny.At(1, 1).Get();
  const TFIOut* l2 = scan.OuAny.At(1, 2).Get();
  Register(scan, "LBob1", [&](int x, int y) { return l1->aData[x][y] - 8; });
  Register(scan, "LBor1", [&](int x, int y) { return l1->aData[x][y] + 8; });
  Register(scan, "LBob2", [&](int x, int y) { return l2->aData[x][y] - 7; });
  Register(scan, "LBor2", [&](int x, int y) { return l2->aData[x][y] + 7; });
  for (const auto& m : LFIOReg().Items)
    if (m) m->Owner = nullptr;
}

using TRunFn = bool (TLFITS::*)(TJob&);

// The threads of the timed runs: every core, or CORVESTA_BENCH_THREADS (1: the serial cost).
int32_t Threads() {
  const char* t = std::getenv("CORVESTA_BENCH_THREADS");
  return t ? std::atoi(t) : 0;
}

// The data of the bank maps rows 1..K (and 19 of line 1) after a run.
std::vector<std::vector<float>> BankMaps(const TLFITS& S, int K) {
  std::vector<std::vector<float>> r;
  for (int k = 1; k <= K; ++k)
    for (int n = 1; n <= 2; ++n)
      if (const TFIOut* m = S.OuAny.At(k, n).Get())
        r.emplace_back(m->aData.Data(), m->aData.Data() + m->aData.Count());
  if (K >= 19)
    if (const TFIOut* m = S.OuAny.At(19, 1).Get())
      r.emplace_back(m->aData.Data(), m->aData.Data() + m->aData.Count());
  return r;
}

// One run of the scan with the given threads; its maps.
bool RunOnce(TRunFn Run, int K, int32_t Threads, std::vector<std::vector<float>>* Maps,
             benchmark::State* State) {
  if (State) State->PauseTiming();
  TLFITS scan;
  TJob job("bench");
  TJobScope scope(job);
  if (!Headers(scan, job)) return false;
  for (auto& f : scan.Files) f->Threads = Threads;
  if (State) State->ResumeTiming();
  const bool ok = (scan.*Run)(job);
  if (State) State->PauseTiming();
  if (Maps) *Maps = BankMaps(scan, K);
  for (const auto& m : LFIOReg().Items)
    if (m && m->Owner == &scan) m->Owner = nullptr;
  if (State) State->ResumeTiming();
  return ok;
}

void Case(benchmark::State& State, TRunFn Run, int K) {
  Inputs();
  std::vector<std::vector<float>> one, many;
  if (!RunOnce(Run, K, 1, &one, nullptr) || one.empty()) {
    State.SkipWithError("the one-thread run failed");
    return;
  }
  bool same = true;
  double cpu = 0;
  for (auto _ : State) {
    const std::clock_t c0 = std::clock();
    if (!RunOnce(Run, K, Threads(), &many, &State)) State.SkipWithError("run failed");
    cpu += static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC * 1000;
    State.PauseTiming();
    same = same && many.size() == one.size();
    for (size_t i = 0; same && i < one.size(); ++i)
      same = many[i].size() == one[i].size() &&
             std::memcmp(many[i].data(), one[i].data(), one[i].size() * sizeof(float)) == 0;
    State.ResumeTiming();
  }
  if (!same) State.SkipWithError("maps differ from the one-thread run");
  State.counters["maps"] = static_cast<double>(one.size());
  State.counters["cpu_ms"] = State.iterations() ? cpu / State.iterations() : 0;
}

void Reference(benchmark::State& State) {
  Inputs();
  double cpu = 0;
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Headers(scan, job)) State.SkipWithError("headers not read");
    // as the FITS tab runs it: the continuum measured, not taken from CONT
    scan.RecomputeCont = true;
    State.ResumeTiming();
    const std::clock_t c0 = std::clock();
    benchmark::DoNotOptimize(scan.LoadRowData(job));
    cpu += static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC * 1000;
    State.PauseTiming();
    for (const auto& m : LFIOReg().Items)
      if (m && m->Owner == &scan) m->Owner = nullptr;
    State.ResumeTiming();
  }
  State.counters["cpu_ms"] = State.iterations() ? cpu / State.iterations() : 0;
}

void LW(benchmark::State& S) { Case(S, &TLFITS::CalcLW, 3); }
void LW_Reference(benchmark::State& S) { Reference(S); }
void LIV(benchmark::State& S) { Case(S, &TLFITS::Calc_LIV, 4); }
void LIV_Reference(benchmark::State& S) { Reference(S); }
void IVcog(benchmark::State& S) { Case(S, &TLFITS::CalcIV_COG, 19); }
void IVcog_Reference(benchmark::State& S) { Reference(S); }
void IVcog05(benchmark::State& S) { Case(S, &TLFITS::CalcIV_COG05, 4); }
void IVcog05_Reference(benchmark::State& S) { Reference(S); }
void WMom(benchmark::State& S) { Case(S, &TLFITS::Calc_W_Mom, 7); }
void WMom_Reference(benchmark::State& S) { Reference(S); }

}  // namespace

BENCHMARK(LW)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LW_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LIV)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LIV_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(IVcog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(IVcog_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(IVcog05)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(IVcog05_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WMom)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WMom_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();

// The allocator set as the programs set it (freed arrays kept for reuse).
int main(int argc, char** argv) {
  platform::KeepFreedMemory();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
}
