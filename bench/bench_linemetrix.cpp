// LineMetrix on both lines of the slit pixels of a generated 200 x 1024 scan (the generator's
// noise-free profiles, rounded as the files store them; every 16th slit pixel of every slit
// position, so that one pass takes seconds, not minutes) against the bare cost evaluations it
// performs: the same count of 7-point Gauss costs timed alone. The ratio shows what the timers,
// the standing warnings, the bisector bands and the bookkeeping add to the fits.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "foundation/cvJob.h"
#include "scans/cvBisec.h"
#include "scans/cvGauss.h"
#include "tools/scangen/cvScanGen.h"

namespace {

constexpr int kFiles = 200, kNY = 1024, kNLam = 112, kStride = 16;

struct TProfiles {
  std::vector<TAIn> A;
  std::vector<double> C;
  TProfiles() {
    TScanGenOptions o;
    o.Files = kFiles;
    o.NY = kNY;
    A.reserve(static_cast<size_t>(kFiles) * (kNY / kStride + 1));
    for (int x = 0; x < kFiles; ++x)
      for (int y = 1; y <= kNY; y += kStride) {
        const TGenPixel p = GenPixel(o, x, y);
        TAIn a(kNLam + 1, 0);
        for (int l = 1; l <= kNLam; ++l) {
          double I = p.Ic;
          if (p.Kind <= 1) {
            const double lam = 6302.08 + (l - 56.5) * 0.021549;
            const double u1 = (lam - p.Lam1) / p.W1, u2 = (lam - p.Lam2) / p.W2;
            I -= p.Ic * (p.D1 * std::exp(-u1 * u1) + p.D2 * std::exp(-u2 * u2));
          }
          a[l] = static_cast<int32_t>(std::lround(I));
        }
        A.push_back(std::move(a));
        C.push_back(p.Kind == 3 ? 0 : p.Ic);
      }
  }
};

const TProfiles& Profiles() {
  static const TProfiles p;
  return p;
}

int64_t gEvaluations = 0;  // cost evaluations of one pass, counted by the LineMetrix case

int64_t OnePass(const TProfiles& P, double& Check) {
  const int64_t before = GaussFitEvaluations();
  double xmin = 0, ymin = 0;
  TBand9 bis{}, wid{};
  TGauss3 dld{}, lam0{}, d0{};
  int32_t next = 0;
  for (size_t k = 0; k < P.A.size(); ++k) {
    LineMetrix(1, 56, P.A[k], P.C[k], xmin, ymin, bis, wid, dld, lam0, d0, next);
    Check += bis[3] + dld[1];
    LineMetrix(57, 112, P.A[k], P.C[k], xmin, ymin, bis, wid, dld, lam0, d0, next);
    Check += bis[3] + dld[1];
  }
  return GaussFitEvaluations() - before;
}

void LineMetrixScan(benchmark::State& State) {
  const TProfiles& P = Profiles();
  TJob job("bench");
  TJobScope scope(job);
  double check = 0;
  for (auto _ : State) {
    gEvaluations = OnePass(P, check);
    benchmark::DoNotOptimize(check);
  }
  const double calls = 2.0 * P.A.size();
  State.counters["calls"] = calls;
  State.counters["us_per_call"] =
      benchmark::Counter(calls * State.iterations(), benchmark::Counter::kIsRate |
                                                         benchmark::Counter::kInvert);
  State.counters["evaluations_per_call"] = gEvaluations / calls;
}

void LineMetrixScan_Reference(benchmark::State& State) {
  const TProfiles& P = Profiles();
  if (gEvaluations == 0) {
    TJob job("bench");
    TJobScope scope(job);
    double check = 0;
    gEvaluations = OnePass(P, check);
  }
  // 7-point windows of real profiles around line 1's core, costs at varied parameters
  const double w5[7] = {0.02, 1, 1, 1, 1, 1, 0.02};
  std::vector<std::array<double, 7>> ys;
  for (size_t k = 0; k < P.A.size(); k += 97) {
    std::array<double, 7> y{};
    for (int i = 0; i < 7; ++i) y[static_cast<size_t>(i)] = P.A[k][static_cast<size_t>(27 + i)];
    ys.push_back(y);
  }
  const double xs[7] = {27, 28, 29, 30, 31, 32, 33};
  for (auto _ : State) {
    double sum = 0;
    size_t j = 0;
    for (int64_t e = 0; e < gEvaluations; ++e) {
      const double dld = 4 + 0.01 * static_cast<double>(e & 63);
      sum += GaussXi2(xs, ys[j].data(), w5, 25000, dld, 30.1, 9000);
      if (++j == ys.size()) j = 0;
    }
    benchmark::DoNotOptimize(sum);
  }
  State.counters["evaluations"] = static_cast<double>(gEvaluations);
}

BENCHMARK(LineMetrixScan)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(LineMetrixScan_Reference)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
