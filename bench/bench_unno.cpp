// Values of a profile at any wavelength: a million IAt calls on a 223-point profile against the
// bare spline evaluation (TSPLINE.Eval) over the same data, in the same run. IAt keeps its
// splines: after the first call it is one interval search and a division by the continuum.
#include <benchmark/benchmark.h>

#include <cmath>

#include "foundation/cvSpline.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

constexpr int kPoints = 223;
constexpr int kCalls = 1000000;

TUNNO& Profile() {
  static TUNNO* u = [] {
    auto* p = new TUNNO();
    p->SetDefaults();
    p->QUEST = "BENCH";
    p->SetULEqd(kPoints, 6302.5, 6302.5 + 0.0215 * 111, 6302.5 - 0.0215 * 111);
    p->AllocU();
    for (int i = 1; i <= kPoints; ++i) {
      const double x = (p->UL[i] - 6302.5) / 0.05;
      p->UI[i] = 3.2e4 * (1 - 0.6 * std::exp(-x * x));
    }
    p->CONT = 3.2e4;
    return p;
  }();
  return *u;
}

// The wavelengths of the calls: a sweep over the grid and a little beyond.
double At(int k, const TUNNO& U) {
  const double a = U.UL[1] - 0.01, b = U.UL[U.NDL] + 0.01;
  return a + (b - a) * static_cast<double>((int64_t{k} * 7919) % kCalls) / kCalls;
}

void IAt(benchmark::State& State) {
  TUNNO& u = Profile();
  u.IAt(6302.5);  // splines built once
  for (auto _ : State) {
    double s = 0;
    for (int k = 0; k < kCalls; ++k) s += u.IAt(At(k, u));
    benchmark::DoNotOptimize(s);
  }
  State.SetItemsProcessed(State.iterations() * kCalls);
}

void IAt_Reference(benchmark::State& State) {
  TUNNO& u = Profile();
  TSPLINE sp;
  sp.SetData(u.NDL, u.UL, u.UI);
  for (auto _ : State) {
    double s = 0;
    for (int k = 0; k < kCalls; ++k) s += sp.Eval(At(k, u));
    benchmark::DoNotOptimize(s);
  }
  State.SetItemsProcessed(State.iterations() * kCalls);
}

}  // namespace

BENCHMARK(IAt)->Unit(benchmark::kMillisecond);
BENCHMARK(IAt_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
