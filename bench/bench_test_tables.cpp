// The Test tab's tables against their arithmetic alone:
// - VoigtCompareTable: the Voigt comparison table of 20 000 points (the rows formatted and
//   aligned, the area line) against the same quadrature and Voigt calls over the same grid.
// - AceReadEditorTable: a 100 000-row table of three columns (the Test tab's own test table,
//   aligned as the editor shows it) read by the table rule for "ACE", against a plain split of the
//   same text into numbers (blanks cut, strtod per word, the columns filled). Goal: 2 or less.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "foundation/cvStrList.h"
#include "scans/cvAce.h"
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


constexpr int32_t kRows = 100000;

const TStringList& Table() {
  static TStringList t = [] {
    TStringList l;
    AceTestTable(kRows, l);
    return l;
  }();
  return t;
}

void AceReadEditorTable(benchmark::State& State) {
  const TStringList& t = Table();
  for (auto _ : State) {
    std::vector<TARe> cols = AceReadTable(t);
    benchmark::DoNotOptimize(cols.data());
    if (cols.size() != 3 || cols[0].size() != size_t(kRows)) State.SkipWithError("rows lost");
  }
}

void AceReadEditorTable_Reference(benchmark::State& State) {
  const TStringList& t = Table();
  for (auto _ : State) {
    std::vector<TARe> cols(3);
    for (int i = 1; i < t.Count(); ++i) {
      const char* p = t[i].c_str();
      for (size_t k = 0; k < 3; ++k) {
        char* end = nullptr;
        cols[k].push_back(std::strtod(p, &end));
        p = end;
      }
    }
    benchmark::DoNotOptimize(cols.data());
  }
}

BENCHMARK(AceReadEditorTable)->Unit(benchmark::kMillisecond);
BENCHMARK(AceReadEditorTable_Reference)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
