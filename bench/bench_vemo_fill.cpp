// The VEMO table's fill (ngVEMOFill headless: the selector rows, then the rows) over a keeper of
// 20 000 vectors of 40 models, against one pass over the keeper that reads the same fields into
// the same rows (goal: ratio <= 2); and the selector lists alone (one pass).
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "models/cvVemoTab.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"
#include "models/vectors/cvVemo.h"

namespace {

struct TKeeper {
  TOwnCalcContext ctx;
  std::map<std::string, bool> flags;
  TVemoFlags F;
  TKeeper() {
    TCalcScope scope(ctx);
    const char* names[] = {"T", "LGPE", "LGPG", "VMI", "ETAC"};
    for (const char* n : names) {
      ctx.LVEPA->Add(n, n, 0);
      ctx.LVEPA->SetRep(n, 1, n, 0, 5, 1, 'N');
    }
    for (int i = 0; i < 20000; ++i)
      ctx.LVEMO->AddVeMo(names[i % 5], "MOD" + std::to_string(i % 40), TARe{0, 1, 2, 3}, 1, 0,
                         "LI=FE" + std::to_string(6000 + i / 200), i % 3 == 2 ? 0 : 1, "");
    F.Get = [this](const std::string& K) { return flags.count(K) && flags[K]; };
    F.Set = [this](const std::string& K, bool On) { flags[K] = On; };
    flags["VEMO|FMOD0"] = flags["VEMO|FMOD1"] = true;
    flags["VEMO|MOD7"] = true;  // one model off
  }
};

TKeeper& Keeper20k() {
  static TKeeper k;
  return k;
}

// ngVEMOFill: the selectors as the grids hold them, then the rows.
void VemoFill(benchmark::State& State) {
  TKeeper& k = Keeper20k();
  TCalcScope scope(k.ctx);
  std::vector<TVemoRow> rows;
  std::vector<TVemoSelRow> mods;
  VemoSelectorLists(*k.ctx.LVEMO, {true, true, false}, k.F, &mods, nullptr);
  for (auto _ : State) {
    TVemoSelect S;
    S.FMOD = FMODRowsFromFlags(k.F);
    S.KDER = KDERRowsFromFlags(k.F);
    for (const TVemoSelRow& m : mods)
      if (!m.On) S.ModOff.insert(m.Name);
    VemoTableRows(*k.ctx.LVEMO, S, k.F, 0.2, false, false, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  State.counters["rows"] = static_cast<double>(rows.size());
}

// The selector lists (FillModSIDGrids): one pass with hash sets, no search over the rows; shown
// beside the fill (no reference).
void VemoSelectorListsOnly(benchmark::State& State) {
  TKeeper& k = Keeper20k();
  TCalcScope scope(k.ctx);
  std::vector<TVemoSelRow> mods, sids;
  for (auto _ : State) {
    VemoSelectorLists(*k.ctx.LVEMO, {true, true, false}, k.F, &mods, &sids);
    benchmark::DoNotOptimize(mods.data());
  }
  State.counters["models"] = static_cast<double>(mods.size());
  State.counters["sids"] = static_cast<double>(sids.size());
}

// One pass reading the fields the rows hold.
void VemoFill_Reference(benchmark::State& State) {
  TKeeper& k = Keeper20k();
  TCalcScope scope(k.ctx);
  std::vector<TVemoRow> rows;
  for (auto _ : State) {
    const TLVEMO& K = *k.ctx.LVEMO;
    size_t n = 0;
    for (int32_t i = 0; i < K.Count(); ++i) {
      const TVEMO& v = *K.Items(i);
      if (v.FMOD > 1 || v.sMOD == "MOD7") continue;
      if (n == rows.size()) rows.emplace_back();
      TVemoRow& r = rows[n++];
      r.Idx = i;
      r.F = v.FMOD;
      r.N = v.N;
      r.Model = v.sMOD;
      r.Name = v.NAME;
      r.sIdV = v.sIdV;
      r.sED = v.sED;
      r.sId = v.sId;
      if (v.RepSet) {
        r.KOut = v.RepSet->KOut;
        r.Hd = v.RepSet->Hd;
        r.TYPR.assign(1, v.RepSet->Ch);
      }
      r.TCalc = v.TCalc;
      r.KX = v.KX;
      r.IPol.assign(1, v.ChIPOL);
    }
    rows.resize(n);
    benchmark::DoNotOptimize(rows.data());
  }
  State.counters["rows"] = static_cast<double>(rows.size());
}

BENCHMARK(VemoFill)->Unit(benchmark::kMillisecond);
BENCHMARK(VemoFill_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(VemoSelectorListsOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
