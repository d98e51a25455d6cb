// The slit measurements of a generated scan (16 slit positions x 512 slit pixels, noise-free
// lines): the whole measurement run TLFITS.CalcIntegrVal (continuum, sums, centres, widths,
// bisectors with the obsolete Gauss fits) against reading and decoding the same files. The ratio
// is the cost of measuring a scan in units of loading it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "foundation/cvJob.h"
#include "scans/cvLFITS.h"
#include "tools/scangen/cvScanGen.h"

namespace {

constexpr int kFiles = 16, kNY = 512;

const std::string& ScanDir() {
  static const std::string dir = [] {
    const std::string root =
        (std::filesystem::temp_directory_path() / "corvesta_bench_slitcalc").string();
    TScanGenOptions o;
    o.Files = kFiles;
    o.NY = kNY;
    return GenerateScan(root, o);
  }();
  return dir;
}

bool Load(TLFITS& Scan, TJob& Job) {
  Scan.Link(ScanDir());
  Scan.SetOptions(350, 350, 1.0, 20);
  return Scan.LoadHeaders(Job) && Scan.LoadData(Job);
}

void SlitMeasure(benchmark::State& State) {
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Load(scan, job)) State.SkipWithError("scan not loaded");
    State.ResumeTiming();
    benchmark::DoNotOptimize(scan.CalcIntegrVal(job));
  }
}

void SlitMeasure_Reference(benchmark::State& State) {
  for (auto _ : State) {
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    benchmark::DoNotOptimize(Load(scan, job));
  }
}

BENCHMARK(SlitMeasure)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitMeasure_Reference)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
