// The Test tab's tables against their arithmetic alone:
// - VoigtCompareTable: the Voigt comparison table of 20 000 points (the rows formatted and
//   aligned, the area line) against the same quadrature and Voigt calls over the same grid.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "foundation/cvStrList.h"
#include "synthesis/transfer/cvVoigt.h"
#include "synthesis/transfer/cvVoigtTestTab.h"

namespace {

constexpr int32_t kN = 20000;
constexpr double kVMax = 10, kDLD = 40, kA = 0.1;

void VoigtCompareTable(benchmark::State& state) {
  for (auto _ : state) {
    TVoigtTestTable t;
    VoigtTestTab(kN, kVMax, kDLD, kA, true, t, nullptr);
    benchmark::DoNotOptimize(t.List.Count());
  }
  state.counters["rows"] = kN - 10;
}
BENCHMARK(VoigtCompareTable)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void VoigtCompareTable_Reference(benchmark::State& state) {
  for (auto _ : state) {
    double sum = VoigtHQuad(VoigtTestHalfRange, VoigtTestEps, 0, kA);
    double h, f;
    VoigtFunc(kA, 0, h, f);
    sum += h;
    for (int32_t i = 1; i <= kN; ++i) {
      const double v = static_cast<double>(i - 1) / (kN - 1) * 2 * kVMax - kVMax;
      VoigtFunc(kA, v, h, f);
      sum += h + f;
      VoigtTaylor(kA, v, h, f);
      sum += h + f;
      sum += VoigtHQuad(VoigtTestHalfRange, VoigtTestEps, v, kA);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(VoigtCompareTable_Reference)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
