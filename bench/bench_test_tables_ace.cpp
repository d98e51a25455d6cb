// Reading the editor's table for "ACE": a 100 000-row table of three columns (the Test tab's own
// test table, aligned as the editor shows it) read by the table rule, against a plain split of the
// same text into numbers (blanks cut, strtod per word, the columns filled). Goal: 2 or less.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "foundation/cvStrList.h"
#include "scans/cvAce.h"

namespace {

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
