// Map algebra on a 1000 x 1024 map (goal: 0.1 s or less per operation), each against a plain float
// loop of the same formula into a reused buffer (one thread, no clone, no extended precision):
// mid of two maps, a map times a number, the sine of a map in degrees, and the expression
// "mul(sub(A,B),348.23)" evaluated over the registry (two results, the first freed).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "foundation/cvSayer.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapAlg.h"
#include "scans/cvScanServices.h"

namespace {

constexpr int kNX = 1000, kNY = 1024;

std::unique_ptr<TFIOut> Make(const char* Name, float K) {
  auto m = std::make_unique<TFIOut>();
  m->Name = Name;
  m->Ver = "20241023";
  m->kSoft = 1;
  m->Da = "20190622";
  m->Ti = "164505";
  m->AssignMem(kNX, kNY);
  float* p = m->aData.Data();
  for (size_t k = 0; k < m->aData.Count(); ++k) p[k] = K * static_cast<float>(k % 7919) - 300.0f;
  m->kLoad = 9;
  return m;
}

struct TMaps {
  TFIOut *a, *b;
  std::vector<float> out = std::vector<float>(static_cast<size_t>(kNX) * kNY);
  TMaps() {
    ResetScanServices();
    a = LFIOReg().Add(Make("A", 0.071f));
    b = LFIOReg().Add(Make("B", -0.043f));
  }
};

TMaps& Maps() {
  static TMaps m;
  return m;
}

void MapMid(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(FIOutAny2("mid", Maps().a, Maps().b));
}
void MapMid_Reference(benchmark::State& State) {
  const float* a = Maps().a->aData.Data();
  const float* b = Maps().b->aData.Data();
  float* o = Maps().out.data();
  const size_t n = Maps().out.size();
  for (auto _ : State) {
    for (size_t k = 0; k < n; ++k) o[k] = (a[k] + b[k]) * 0.5f;
    benchmark::DoNotOptimize(o);
    benchmark::ClobberMemory();
  }
}

void MapMulC(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(FIOutAnyC("mul", Maps().a, 348.23));
}
void MapMulC_Reference(benchmark::State& State) {
  const float* a = Maps().a->aData.Data();
  float* o = Maps().out.data();
  const size_t n = Maps().out.size();
  for (auto _ : State) {
    for (size_t k = 0; k < n; ++k) o[k] = a[k] * 348.23f;
    benchmark::DoNotOptimize(o);
    benchmark::ClobberMemory();
  }
}

void MapSin(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(FIOutAny1("sin", Maps().a));
}
void MapSin_Reference(benchmark::State& State) {
  const float* a = Maps().a->aData.Data();
  float* o = Maps().out.data();
  const size_t n = Maps().out.size();
  for (auto _ : State) {
    for (size_t k = 0; k < n; ++k) o[k] = std::sin(a[k] * 0.017453292f);
    benchmark::DoNotOptimize(o);
    benchmark::ClobberMemory();
  }
}

void MapExpr(benchmark::State& State) {
  int32_t kind = 0;
  for (auto _ : State)
    benchmark::DoNotOptimize(FOOperN("mul(sub(A,B),348.23)", "20190622", "164505", kind));
}
void MapExpr_Reference(benchmark::State& State) {
  const float* a = Maps().a->aData.Data();
  const float* b = Maps().b->aData.Data();
  float* o = Maps().out.data();
  const size_t n = Maps().out.size();
  for (auto _ : State) {
    for (size_t k = 0; k < n; ++k) o[k] = (a[k] - b[k]) * 348.23f;
    benchmark::DoNotOptimize(o);
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(MapMid)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapMid_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapMulC)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapMulC_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapSin)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapSin_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapExpr)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapExpr_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  ResetSayerForTests();
  // CORVESTA_MAPALG_THREADS=N: the map algebra on N threads (default: every core).
  if (const char* t = std::getenv("CORVESTA_MAPALG_THREADS")) SetMapAlgThreads(std::atoi(t));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
