// The Unno table's fill without its grid. (1) 20 000 profiles of one quest step, page mode of 10
// rows, groups K, W, D and L on: one fill against a loop of the variator lookup and the
// combination text over the same profiles (what every fill must do for the variable fields).
// (2) 2 000 profiles, page mode off, groups W and D: one fill against the same measurements
// called directly on the same profiles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStr.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/profiles/cvUnnoTable.h"

namespace {

struct TSet {
  TOwnVariContext ctx;
  TVariScope scope{ctx};
  TLUNNO list;
  TLVARI* lvari = nullptr;
  explicit TSet(int32_t N) {
    ResetSynthesisServices();
    lvari = ctx.LVARI;
    auto v = std::make_unique<TVARIATOR>("bench", 1);
    std::string h = "#H", gm = "#GM";
    for (int k = 0; k < 100; ++k) h += " " + IntStr(20 * k);
    for (int k = 0; k < N / 100; ++k) gm += " " + IntStr(k);
    v->AddP("#LIN FE6302");
    v->AddP(h);
    v->AddP(gm);
    v->GetNJPar();
    lvari->Append(std::move(v));
    for (int32_t k = 1; k <= N; ++k) {
      auto u = std::make_unique<TUNNO>();
      u->SetDefaults();
      u->SetULEqd(61, 6302.5, 6302.8, 6302.2);
      u->AllocU();
      for (int32_t i = 1; i <= 61; ++i) {
        const double x = (u->UL[i] - 6302.5) / 0.05;
        u->UI[i] = 1 - 0.6 * std::exp(-x * x);
        u->UV[i] = 0.1 * x * std::exp(-x * x) * (k % 7) / 7;
      }
      u->LAMB = 6302.5;
      u->QUEST = "bench";
      u->IQ = 1;
      u->KVARI = k;
      u->sULin = "FE6302";
      u->K4 = 4;
      list.Add(std::move(u));
    }
  }
  TUnnoFillIn In(bool Paged, std::initializer_list<TUnnoSwitch> On) const {
    TUnnoFillIn in;
    in.Paged = Paged;
    in.PageRows = 10;
    in.Quests = {"bench.1"};
    in.Lines = {"FE6302"};
    for (TUnnoSwitch s : On) in.On[s] = true;
    return in;
  }
};

TSet& Big() {
  static TSet s(20000);
  return s;
}
TSet& Small() {
  static TSet s(2000);
  return s;
}

// The profiles' splines and caches made once, before either side is timed.
void Warm(TSet& S) {
  static bool done = false;
  if (done) return;
  done = true;
  TUnnoPageState p;
  TUnnoFillOut out;
  UnnoFill(&S.list, S.lvari, S.In(false, {US_W, US_D}), p, out);
}

void FillPaged(benchmark::State& State) {
  TSet& s = Big();
  const TUnnoFillIn in = s.In(true, {US_K, US_W, US_D, US_L});
  for (auto _ : State) {
    TUnnoPageState p;
    TUnnoFillOut out;
    UnnoFill(&s.list, s.lvari, in, p, out);
    benchmark::DoNotOptimize(out.Rows.data());
  }
}

void FillPaged_Reference(benchmark::State& State) {
  TSet& s = Big();
  for (auto _ : State) {
    size_t len = 0;
    for (int32_t i = 0; i < s.list.Count(); ++i) {
      const TUNNO& u = *s.list.Items(i);
      TVARIATOR* v = s.lvari->GetQuestIQVARI(u.QUEST, u.IQ);
      len += v->GetKS(u.KVARI).size();
    }
    benchmark::DoNotOptimize(len);
  }
}

void FillMeasured(benchmark::State& State) {
  TSet& s = Small();
  const TUnnoFillIn in = s.In(false, {US_W, US_D});
  Warm(s);
  for (auto _ : State) {
    TUnnoPageState p;
    TUnnoFillOut out;
    UnnoFill(&s.list, s.lvari, in, p, out);
    benchmark::DoNotOptimize(out.Rows.data());
  }
}

void FillMeasured_Reference(benchmark::State& State) {
  TSet& s = Small();
  Warm(s);
  for (auto _ : State) {
    double sum = 0;
    for (int32_t i = 0; i < s.list.Count(); ++i) {
      TUNNO& u = *s.list.Items(i);
      sum += u.EqWidthDef('I') + u.EqWidthDef('V') + u.EqWidthDef('Q') + u.EqWidthDef('U');
      sum += u.FindMonoRuns() + u.GetD0() + u.GetDepth() + u.GetAmpl("RV") + u.GetLamVD();
      u.CalcLCurvI();
      sum += u.LCurv;
    }
    benchmark::DoNotOptimize(sum);
  }
}

BENCHMARK(FillPaged)->Unit(benchmark::kMillisecond);
BENCHMARK(FillPaged_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(FillMeasured)->Unit(benchmark::kMillisecond);
BENCHMARK(FillMeasured_Reference)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
