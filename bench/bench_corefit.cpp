// The Gauss-model core fit and the polarisation-sum map runs of a generated scan.
//   CalcCore        TFITS.CalcCore over the slit files of a scan (4 files of 64 slit pixels,
//                   their data, continuum and half-depth line positions ready), through one line
//                   measurement object carried from pixel to pixel; counters: microseconds per
//                   pixel and line, and the CheckLam calls per pixel and line.
//   CalcCore_Reference
//                   the same number of CheckLam calls on one loaded profile: the ratio says how
//                   much of the fit is not the check itself (reports, warnings, copies; goal
//                   <= 1.5).
//   KVI, Filt       TLFITS.CalcKVI and CalcFilt (8 files of 1024 slit pixels, their sums on the
//                   helper pool; every timed run gives the one-thread maps bit for bit, else the
//                   case fails) against TLFITS.LoadRowData of the same files as the FITS tab runs
//                   it (goal <= 2 each).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "platform/SysInfo.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/cvWarnGroups.h"
#include "tools/scangen/cvScanGen.h"

namespace {

// ---------------------------------------------------------------- the core fit

constexpr int kCoreFiles = 4, kCoreNY = 64;

struct TCoreScan {
  TLFITS Scan;
  TJob Job{"corefit"};
  TJobScope Scope{Job};
  bool Ok = false;
  TCoreScan() {
    const std::string root =
        (std::filesystem::temp_directory_path() / "corvesta_bench_corefit").string();
    TScanGenOptions o;
    o.Files = kCoreFiles;
    o.NY = kCoreNY;
    o.Noise = 30;
    const std::string dir = GenerateScan(root, o);
    Scan.Link(dir);
    Scan.SetOptions(350, 350, 1.0, 20);
    if (!Scan.LoadHeaders(Job)) return;
    for (auto& f : Scan.Files) {
      if (!f->LoadData()) return;
      f->GetContAll();
      f->CalcLCHalf();
    }
    Ok = true;
  }
};

TCoreScan& CoreScan() {
  static TCoreScan s;
  return s;
}

void SetUpCurI(TCurI& C) {
  C = TCurI();
  C.SetFitOptions(3, false, 0.05, 0.9, 0.5, 0, 0.5, false);
  C.iB1 = 24;
  C.iR1 = 36;
  C.iB2 = 70;
  C.iR2 = 82;
}

// One core fit of every file; the CheckLam calls it made.
int64_t CoreRun(TCoreScan& S) {
  TCurI c;
  SetUpCurI(c);
  TStringList memo;
  TWarnGroups groups;
  for (auto& f : S.Scan.Files) f->CalcCore(&c, &memo, &groups);
  benchmark::DoNotOptimize(groups.Total());
  return c.CheckCount;
}

int64_t CheckCalls() {
  static int64_t n = CoreRun(CoreScan());
  return n;
}

void CalcCore(benchmark::State& State) {
  TCoreScan& s = CoreScan();
  if (!s.Ok) return State.SkipWithError("scan not ready");
  const int64_t calls = CheckCalls();
  double us = 0;
  for (auto _ : State) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(CoreRun(s));
    us += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
  }
  const double lines = 2.0 * kCoreFiles * kCoreNY;
  State.counters["us_per_pixel_line"] =
      State.iterations() ? us / (static_cast<double>(State.iterations()) * lines) : 0;
  State.counters["checks_per_line"] = static_cast<double>(calls) / lines;
}

void CalcCore_Reference(benchmark::State& State) {
  TCoreScan& s = CoreScan();
  if (!s.Ok) return State.SkipWithError("scan not ready");
  const int64_t calls = CheckCalls();
  // a typical state: a fitted line 1 of a middle pixel
  TFITS& f = *s.Scan.Files[1];
  TCurI c;
  SetUpCurI(c);
  TARe X(113, 0.0), Y;
  for (int i = 1; i <= 112; ++i) X[static_cast<size_t>(i)] = i;
  const int y = kCoreNY / 2;
  f.GetIReal(y, Y);
  c.SetAXAY(X, Y);
  c.gs.La12 = 1;
  c.gsInit(f.ACnt[y], f.ALC1[y], 4.15, 0.8);
  c.FitAll();
  for (auto _ : State)
    for (int64_t k = 0; k < calls; ++k) c.CheckLam();
  benchmark::DoNotOptimize(c.gs.k3);
}

// ---------------------------------------------------------------- the sum maps

constexpr int kNY = 1024, kFiles = 8;

const std::string& SumDir() {
  static std::string dir;
  if (dir.empty()) {
    const std::string root =
        (std::filesystem::temp_directory_path() / "corvesta_bench_corefit_sums").string();
    TScanGenOptions o;
    o.Files = kFiles;
    o.NY = kNY;
    dir = GenerateScan(root, o);
  }
  return dir;
}

bool Headers(TLFITS& Scan, TJob& Job) {
  Scan.Link(SumDir());
  Scan.SetOptions(350, 350, 1.0, 20);
  return Scan.LoadHeaders(Job);
}

// The inputs, made once and kept registered: CONT, LC501, LC502, WV1, WV2.
void Inputs() {
  static bool done = false;
  if (done) return;
  done = true;
  TLFITS scan;
  TJob job("inputs");
  TJobScope scope(job);
  if (!Headers(scan, job) || !scan.CalcCont0(job) || !scan.CalcBisLC(job, 0.5)) return;
  for (const char* name : {"WV1", "WV2"}) {
    TFIOut* m = LFIOReg().AddFIOut(scan.ScanName, name, name, "", 1, scan.nX, kNY, nullptr);
    m->AssignMem(scan.nX, kNY);
    for (int x = 0; x < scan.nX; ++x)
      for (int y = 0; y < kNY; ++y) m->aData[x][y] = 100.0f + static_cast<float>(x + y);
    m->kLoad = 9;
  }
  for (const auto& m : LFIOReg().Items)
    if (m) m->Owner = nullptr;
}

int32_t Threads() {
  const char* t = std::getenv("CORVESTA_BENCH_THREADS");
  return t ? std::atoi(t) : 0;
}

using TSumRun = std::function<bool(TLFITS&, TJob&)>;

bool SumOnce(const TSumRun& Run, int32_t Threads, std::vector<std::vector<float>>* Maps,
             benchmark::State* State) {
  if (State) State->PauseTiming();
  TLFITS scan;
  TJob job("bench");
  TJobScope scope(job);
  if (!Headers(scan, job)) return false;
  for (auto& f : scan.Files) f->Threads = Threads;
  if (State) State->ResumeTiming();
  const bool ok = Run(scan, job);
  if (State) State->PauseTiming();
  if (Maps) {
    Maps->clear();
    for (int k = 1; k <= 23; ++k)
      for (int n = 1; n <= 2; ++n)
        if (const TFIOut* m = scan.OuAny.At(k, n).Get())
          Maps->emplace_back(m->aData.Data(), m->aData.Data() + m->aData.Count());
  }
  for (const auto& m : LFIOReg().Items)
    if (m && m->Owner == &scan) m->Owner = nullptr;
  if (State) State->ResumeTiming();
  return ok;
}

void SumCase(benchmark::State& State, const TSumRun& Run) {
  Inputs();
  std::vector<std::vector<float>> one, many;
  if (!SumOnce(Run, 1, &one, nullptr) || one.empty())
    return State.SkipWithError("the one-thread run failed");
  bool same = true;
  for (auto _ : State) {
    if (!SumOnce(Run, Threads(), &many, &State)) State.SkipWithError("run failed");
    State.PauseTiming();
    same = same && many.size() == one.size();
    for (size_t i = 0; same && i < one.size(); ++i)
      same = many[i].size() == one[i].size() &&
             std::memcmp(many[i].data(), one[i].data(), one[i].size() * sizeof(float)) == 0;
    State.ResumeTiming();
  }
  if (!same) State.SkipWithError("maps differ from the one-thread run");
  State.counters["maps"] = static_cast<double>(one.size());
}

void RowReference(benchmark::State& State) {
  Inputs();
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Headers(scan, job)) State.SkipWithError("headers not read");
    scan.RecomputeCont = true;
    State.ResumeTiming();
    benchmark::DoNotOptimize(scan.LoadRowData(job));
    State.PauseTiming();
    for (const auto& m : LFIOReg().Items)
      if (m && m->Owner == &scan) m->Owner = nullptr;
    State.ResumeTiming();
  }
}

void KVI(benchmark::State& S) {
  SumCase(S, [](TLFITS& L, TJob& J) { return L.CalcKVI(J, false); });
}
void KVI_Reference(benchmark::State& S) { RowReference(S); }
void Filt(benchmark::State& S) {
  SumCase(S, [](TLFITS& L, TJob& J) {
    int32_t m = 0;
    return L.CalcFilt(J, m);
  });
}
void Filt_Reference(benchmark::State& S) { RowReference(S); }

}  // namespace

BENCHMARK(CalcCore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CalcCore_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(KVI)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(KVI_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Filt)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Filt_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  platform::KeepFreedMemory();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
}
