// Vector lookups by key: FindVeMo in a keeper of 2000 vectors against the same lookups in a
// keeper of 20 (the ratio shows how the lookup grows with the keeper; goal <= 2).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"

namespace {

struct TKey {
  std::string name, mod, id;
};

// A keeper of N vectors over 10 models and 5 quantities, each with its own line part.
struct TKeeper {
  TOwnCalcContext ctx;
  std::vector<TKey> keys;
  explicit TKeeper(int N) {
    TCalcScope scope(ctx);
    const char* names[] = {"T", "LGPE", "LGPG", "VMI", "ETAC"};
    for (int i = 0; i < N; ++i) {
      TKey k{names[i % 5], "MOD" + std::to_string(i / 5 % 10), "LI=FE" + std::to_string(6000 + i)};
      ctx.LVEMO->AddVeMo(k.name, k.mod, TARe{0, 1, 2, 3}, 1, 0, k.id, 1, "");
      keys.push_back(k);
    }
  }
};

void Lookups(benchmark::State& State, int N) {
  static TKeeper small(20), large(2000);
  TKeeper& k = N == 20 ? small : large;
  TCalcScope scope(k.ctx);
  size_t i = 0;
  for (auto _ : State) {
    const TKey& key = k.keys[i];
    benchmark::DoNotOptimize(k.ctx.LVEMO->FindVeMo(key.name, key.mod, key.id, 1));
    i = (i + 7) % k.keys.size();
  }
}

void FindVeMo(benchmark::State& State) { Lookups(State, 2000); }
void FindVeMo_Reference(benchmark::State& State) { Lookups(State, 20); }

BENCHMARK(FindVeMo);
BENCHMARK(FindVeMo_Reference);

}  // namespace

BENCHMARK_MAIN();
