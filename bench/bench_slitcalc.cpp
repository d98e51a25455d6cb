// The slit measurements of a generated scan (noise-free lines, 512 slit pixels per file): the
// whole measurement run TLFITS.CalcIntegrVal (continuum, sums, centres, widths, bisectors with the
// obsolete Gauss fits) against reading and decoding the same files; the ratio is the cost of
// measuring a scan in units of loading it. "SlitStages" runs the steps one by one on one thread
// and reports each stage's milliseconds per file as counters (the bisector stage is almost all
// the obsolete Gauss fits); "SlitMeasure" runs 8 and 16 files (linear in the files).
// "Cont0": the continuum map run TLFITS.CalcCont0 (each file read, its continuum pair measured
// and stored into CONT, CONT2, LCONT, LCONT2) against reading each file and measuring its
// continuum (TFITS.LoadData and TFITS.GetContAll).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "foundation/cvJob.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "tools/scangen/cvScanGen.h"

namespace {

constexpr int kNY = 512;

const std::string& ScanDir(int Files) {
  static std::string dirs[64];
  std::string& dir = dirs[Files % 64];
  if (dir.empty()) {
    const std::string root = (std::filesystem::temp_directory_path() /
                              ("corvesta_bench_slitcalc_" + std::to_string(Files)))
                                 .string();
    TScanGenOptions o;
    o.Files = Files;
    o.NY = kNY;
    dir = GenerateScan(root, o);
  }
  return dir;
}

bool Load(TLFITS& Scan, TJob& Job, int Files) {
  Scan.Link(ScanDir(Files));
  Scan.SetOptions(350, 350, 1.0, 20);
  return Scan.LoadHeaders(Job) && Scan.LoadData(Job);
}

void SlitMeasure(benchmark::State& State) {
  const int files = static_cast<int>(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Load(scan, job, files)) State.SkipWithError("scan not loaded");
    State.ResumeTiming();
    benchmark::DoNotOptimize(scan.CalcIntegrVal(job));
  }
}

void SlitMeasure_Reference(benchmark::State& State) {
  const int files = static_cast<int>(State.range(0));
  for (auto _ : State) {
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    benchmark::DoNotOptimize(Load(scan, job, files));
  }
}

void SlitStages(benchmark::State& State) {
  using clock = std::chrono::steady_clock;
  double ms[5] = {0, 0, 0, 0, 0};
  int64_t n = 0;
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Load(scan, job, 4)) State.SkipWithError("scan not loaded");
    State.ResumeTiming();
    for (auto& f : scan.Files) {
      f->Threads = 1;
      auto t0 = clock::now();
      f->GetContAll();
      f->CalcSums();
      auto t1 = clock::now();
      f->CalcCGravs();
      f->MeanLinePos5();
      auto t2 = clock::now();
      f->CalcEqw();
      auto t3 = clock::now();
      f->CalcBisec();
      auto t4 = clock::now();
      const auto d = [](auto a, auto b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
      };
      ms[0] += d(t0, t1);
      ms[1] += d(t1, t2);
      ms[2] += d(t2, t3);
      ms[3] += d(t3, t4);
      ++n;
    }
  }
  const char* names[4] = {"continuum_ms", "centres_ms", "widths_ms", "bisectors_gauss_ms"};
  for (int k = 0; k < 4; ++k) State.counters[names[k]] = n ? ms[k] / n : 0;
}

void SlitStages_Reference(benchmark::State& State) {
  for (auto _ : State) {
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    benchmark::DoNotOptimize(Load(scan, job, 4));
  }
}

// The scan linked, its options set and its headers read (not timed); the map files of the runs
// lie under the bench's own root.
bool Headers(TLFITS& Scan, TJob& Job, int Files) {
  const std::string dir = ScanDir(Files);
  const std::string root =
      std::filesystem::path(dir).parent_path().parent_path().string() + "/";
  Scans().DataRoot.Install([root] { return root; });
  Scan.Link(dir);
  Scan.SetOptions(350, 350, 1.0, 20);
  return Scan.LoadHeaders(Job);
}

void Cont0(benchmark::State& State) {
  const int files = static_cast<int>(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    LFIOReg().ClearAll();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Headers(scan, job, files)) State.SkipWithError("headers not read");
    State.ResumeTiming();
    benchmark::DoNotOptimize(scan.CalcCont0(job));
  }
  LFIOReg().ClearAll();
}

void Cont0_Reference(benchmark::State& State) {
  const int files = static_cast<int>(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    LFIOReg().ClearAll();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Headers(scan, job, files)) State.SkipWithError("headers not read");
    State.ResumeTiming();
    for (auto& f : scan.Files) {
      f->LoadData();
      f->GetContAll();
      benchmark::DoNotOptimize(f->ACnt.data());
    }
  }
}

BENCHMARK(Cont0)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(Cont0_Reference)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitMeasure)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitMeasure_Reference)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitStages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SlitStages_Reference)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
