// The ACE regression (n = 20 000, p = 2, w = 40) against its smoothing passes: the reference runs
// as many AceSmooth passes as the regression made (counted once before), so the ratio is the
// regression's cost over the bare smoothing it needs (goal: 2 or less; the ordering of the three
// variables is a fixed cost on top, which dominates when the run converges in a few passes). And the running mean's
// linearity: AceRunMean over 2n values against two runs over n values (goal: about 1).
#include <benchmark/benchmark.h>

#include <cmath>

#include "foundation/cvStrList.h"
#include "scans/cvAce.h"

namespace {

constexpr int32_t kN = 20000, kP = 2, kW = 40;

struct TData {
  TARe Data;
  TAceSettings S;
  TAceResult R;  // the order and rank of the data, and the pass count
  TData() {
    TARe y(kN), x1(kN), x2(kN);
    uint64_t s = 12345;
    auto U = [&s] {
      s = s * 6364136223846793005ULL + 1442695040888963407ULL;
      return double(s >> 11) / double(1ULL << 53);
    };
    for (int32_t i = 0; i < kN; ++i) {
      x1[size_t(i)] = U();
      x2[size_t(i)] = 2 * (U() - 0.5);
      const double u = U();
      y[size_t(i)] = 10 * std::sin(2 * M_PI * x1[size_t(i)]) + 15 * u * u - 20 * std::fabs(x2[size_t(i)]);
    }
    Data = AceFlatten({y, x1, x2});
    S.N = kN;
    S.P = kP;
    S.W = kW;
    TStringList L, Sum;
    AceRegress(S, Data, R, L, Sum);
  }
};

TData& D() {
  static TData d;
  return d;
}

void AceRegress(benchmark::State& State) {
  TData& d = D();
  // The caller keeps its result object between runs, so only the first run allocates.
  TAceResult R;
  TStringList L, Sum;
  for (auto _ : State) benchmark::DoNotOptimize(::AceRegress(d.S, d.Data, R, L, Sum));
  State.counters["passes"] = double(d.R.SmoothPasses);
}

void AceRegress_Reference(benchmark::State& State) {
  TData& d = D();
  TARe Dst(d.Data.size());
  TAceScratch Scr;
  const TARe Src(d.Data.begin(), d.Data.begin() + kN);
  for (auto _ : State) {
    for (int64_t k = 0; k < d.R.SmoothPasses; ++k)
      AceSmooth(Src, d.R.Order, d.R.Rank, int32_t(k % (kP + 1)), kN, kW, Dst, Scr);
    benchmark::DoNotOptimize(Dst.data());
  }
}

void AceRunMean2n(benchmark::State& State) {
  const TARe Src(D().Data.begin(), D().Data.begin() + 2 * 100000 / 10);
  TARe Dst(Src.size());
  for (auto _ : State) {
    AceRunMean(Src, int32_t(Src.size()), kW, Dst);
    benchmark::DoNotOptimize(Dst.data());
  }
}

void AceRunMean2n_Reference(benchmark::State& State) {
  const TARe Src(D().Data.begin(), D().Data.begin() + 100000 / 10);
  TARe Dst(Src.size());
  for (auto _ : State) {
    AceRunMean(Src, int32_t(Src.size()), kW, Dst);
    AceRunMean(Src, int32_t(Src.size()), kW, Dst);
    benchmark::DoNotOptimize(Dst.data());
  }
}

}  // namespace

BENCHMARK(AceRegress)->Unit(benchmark::kMillisecond);
BENCHMARK(AceRegress_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(AceRunMean2n)->Unit(benchmark::kMicrosecond);
BENCHMARK(AceRunMean2n_Reference)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
