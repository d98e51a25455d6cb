// The Voigt functions and the absorption matrix against libcerf's w(z):
// - VoigtBatch: the current method (Humlicek) over a batch of v for one a, as the absorption
//   matrix calls it, against w_of_z on the same inputs; counters: evaluations/s and the largest
//   |dw|/|w| (H = Re w, F = +Im w / 2).
// - VoigtIntegral: the quadrature method per call against w_of_z; counter: its largest |dw|.
// - FacxSweep: the matrix of the Fe I pair (one line set) over 70 depths x 112 wavelengths, with
//   the widest vector build (/8) and with four lanes at most (/4), against the same sums made
//   with w_of_z (a component without shift evaluated once, as FACX does).
#include <benchmark/benchmark.h>
#include <cerf.h>

#include <sched.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvVoigt.h"
#include "synthesis/transfer/cvVoigtSpline.h"

namespace {

void CerfW(double x, double y, double& K, double& L) {
  double _Complex z;
  __real__ z = x;
  __imag__ z = y;
  const double _Complex w = w_of_z(z);
  K = __real__ w;
  L = __imag__ w;
}

constexpr int kBatch = 50;  // the positions of a 25-component pattern
const double kDamp[] = {0.001, 0.01, 0.05, 0.2, 0.6, 1.5};

std::vector<double> Positions(int Seed) {
  std::vector<double> v(kBatch);
  for (int j = 0; j < kBatch; ++j) v[j] = -20 + 40.0 * ((j * 37 + Seed * 11) % kBatch) / kBatch;
  return v;
}

void VoigtBatch(benchmark::State& state) {
  std::vector<std::vector<double>> vs;
  for (int s = 0; s < 16; ++s) vs.push_back(Positions(s));
  double H[kBatch], F[kBatch];
  double worst = 0;
  for (int s = 0; s < 16; ++s)
    for (double a : kDamp) {
      VoigtFuncBatch(a, vs[s].data(), kBatch, H, F);
      for (int j = 0; j < kBatch; ++j) {
        double K, L;
        CerfW(vs[s][j], a, K, L);
        worst = std::max(worst, std::hypot(H[j] - K, 2 * F[j] - L) / std::hypot(K, L));
      }
    }
  int s = 0;
  for (auto _ : state) {
    for (double a : kDamp) {
      VoigtFuncBatch(a, vs[s].data(), kBatch, H, F);
      benchmark::DoNotOptimize(H);
      benchmark::DoNotOptimize(F);
    }
    s = (s + 1) & 15;
  }
  state.SetItemsProcessed(state.iterations() * kBatch * 6);
  state.counters["max_rel_dw"] = worst;
}
BENCHMARK(VoigtBatch);

void VoigtBatch_Reference(benchmark::State& state) {
  std::vector<std::vector<double>> vs;
  for (int s = 0; s < 16; ++s) vs.push_back(Positions(s));
  double H[kBatch], F[kBatch];
  int s = 0;
  for (auto _ : state) {
    for (double a : kDamp) {
      for (int j = 0; j < kBatch; ++j) {
        double K, L;
        CerfW(vs[s][j], a, K, L);
        H[j] = K;
        F[j] = 0.5 * L;
      }
      benchmark::DoNotOptimize(H);
      benchmark::DoNotOptimize(F);
    }
    s = (s + 1) & 15;
  }
  state.SetItemsProcessed(state.iterations() * kBatch * 6);
}
BENCHMARK(VoigtBatch_Reference);

void VoigtIntegralCall(benchmark::State& state) {
  double worst = 0;
  for (double a : {0.01, 0.1, 1.0, 5.0})
    for (double v : {0.0, 0.7, 2.0, 6.0, 15.0}) {
      double H, F, K, L;
      VoigtIntegral(a, v, H, F);
      CerfW(v, a, K, L);
      worst = std::max({worst, std::fabs(H - K), std::fabs(2 * F - L)});
    }
  int i = 0;
  for (auto _ : state) {
    double H, F;
    VoigtIntegral(0.05 + 0.1 * (i & 7), 0.3 * (i & 15), H, F);
    benchmark::DoNotOptimize(H);
    ++i;
  }
  state.counters["max_abs_dw"] = worst;
}
BENCHMARK(VoigtIntegralCall)->Unit(benchmark::kMicrosecond);

void VoigtIntegralCall_Reference(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    double K, L;
    CerfW(0.3 * (i & 15), 0.05 + 0.1 * (i & 7), K, L);
    benchmark::DoNotOptimize(K);
    ++i;
  }
}
BENCHMARK(VoigtIntegralCall_Reference)->Unit(benchmark::kMicrosecond);

// ---- the Fe I pair over 70 depths x 112 wavelengths ----

struct TPair {
  TOwnCalcContext ctx;
  std::vector<double> xs, lams;
  TPair() {
    TCalcScope scope(ctx);
    const std::string mod = "B";
    const int n = 121;
    TARe x(n + 1);
    for (int i = 1; i <= n; ++i) x[i] = 1.5 - (i - 1) * 0.05;
    TVEMO* X = ctx.LVEMO->AddVeMo("X", mod, x, 1, 1, "", 0, "");
    auto add = [&](const std::string& name, double (*f)(double), const std::string& id) {
      TARe v(n + 1);
      for (int i = 1; i <= n; ++i) v[i] = f(x[i]);
      TVEMO* p = ctx.LVEMO->AddVeMo(name, mod, v, 1, 0, id, 0, "");
      p->LGTAU = X;
      return p;
    };
    TCONT& C = *ctx.CONT;
    C.sMOD = mod;
    C.MX = X;
    const std::string lam = TVEMO::LamSId(6302);
    C.MB = add("B", [](double t) { return 1 + std::pow(10.0, t); }, lam);
    C.MS = C.MB;
    C.MEC = add("ETAC", [](double t) { return 1 + 0.1 * t; }, lam);
    C.MDLH = add("DLH", [](double t) { return 40 + 5 * t; }, lam);
    C.MDLVD = add("DLVD", [](double t) { return 3 * t; }, lam);
    C.MGM = add("GM", [](double t) { return 30 + 4 * t; }, "");
    C.MXI = add("XI", [](double t) { return 20 - 3 * t; }, "");
    C.CTETA = 1;
    C.KVOIG = 6;
    C.LiSet.Count = 2;
    struct L {
      double lam, jl, ju, gl, gu;
      const char* id;
    } lines[] = {{6301.5012, 2, 2, 11.0 / 6, 1.5, "LI=FE6301"}, {6302.4936, 1, 0, 2.5, 0, "LI=FE6302"}};
    for (int k = 0; k < 2; ++k) {
      TLINEDATA& it = C.LiSet.Items[k + 1];
      it.LI.LAMB = lines[k].lam;
      ZeeSetRunge(lines[k].id + 3, it.LI.Zee, lines[k].jl, lines[k].ju, lines[k].gl, lines[k].gu);
      it.DLD = add("DLD", [](double t) { return 28 + 2 * t; }, lines[k].id);
      it.ETA = add("ETA", [](double t) { return 12 * std::exp(0.3 * t); }, lines[k].id);
      it.A = add("A", [](double t) { return 0.03 * std::exp(0.4 * t); }, lines[k].id);
    }
    for (int j = 0; j < 70; ++j) xs.push_back(1.0 - j * 0.075);
    for (int i = 0; i < 112; ++i) lams.push_back(6300.89 + i * 0.021549);
  }
};

void FacxSweep(benchmark::State& state) {
  LimitVoigtVectorLanes(static_cast<int32_t>(state.range(0)));
  TPair p;
  TCalcScope scope(p.ctx);
  TCONT& C = Cont();
  double sum = 0;
  for (auto _ : state) {
    for (double x : p.xs) {
      C.WK.X = x;
      for (double l : p.lams) {
        C.WK.LAM = l;
        FACX();
        sum += C.R.EV;
      }
    }
    ResetFACX();
  }
  benchmark::DoNotOptimize(sum);
  LimitVoigtVectorLanes(8);
}
// the widest vector build the machine has (8), and at most four lanes (AVX2)
BENCHMARK(FacxSweep)->Arg(8)->Arg(4)->Unit(benchmark::kMillisecond);

// The same sums with w(z) of libcerf for every component position.
void FacxSweep_Reference(benchmark::State& state) {
  TPair p;
  TCalcScope scope(p.ctx);
  TCONT& C = Cont();
  double sum = 0;
  for (auto _ : state) {
    for (double x : p.xs) {
      const double dlh = C.MDLH->func(x), gam = C.MGM->func(x), chi = C.MXI->func(x),
                   vd = C.MDLVD->func(x), etac = C.MEC->func(x);
      const double cg = std::cos(gam * M_PI / 180), s2g = 1 - cg * cg,
                   c2c = std::cos(2 * chi * M_PI / 180), s2c = std::sin(2 * chi * M_PI / 180);
      double dld[3], a[3], eta[3];
      for (int k = 1; k <= 2; ++k) {
        dld[k] = C.LiSet.Items[k].DLD->func(x);
        a[k] = C.LiSet.Items[k].A->func(x);
        eta[k] = C.LiSet.Items[k].ETA->func(x);
      }
      for (double l : p.lams) {
        double sEI = 0, sEQ = 0, sEU = 0, sEV = 0, sRQ = 0, sRU = 0, sRV = 0;
        for (int k = 1; k <= 2; ++k) {
          const TZEEMAN& z = C.LiSet.Items[k].LI.Zee;
          const double v = (-(l - C.LiSet.Items[k].LI.LAMB) * 1000 + vd) / dld[k];
          const double vh = dlh / dld[k];
          double EP = 0, EB = 0, ER = 0, RP = 0, RB = 0, RR = 0;
          for (int c = 1; c <= z.NCOMP; ++c) {
            // a component without shift evaluated once, as FACX does
            const double vb = v - vh * z.Shift[c], vr = v + vh * z.Shift[c];
            double Kb, Lb, Kr, Lr;
            CerfW(vb, a[k], Kb, Lb);
            if (vr == vb) {
              Kr = Kb;
              Lr = Lb;
            } else {
              CerfW(vr, a[k], Kr, Lr);
            }
            const double s = z.Strength[c];
            if (c > z.NPI) {
              EB += (Kb < 1e-30 ? 0 : Kb) * s;
              RB -= Lb * s;
              ER += (Kr < 1e-30 ? 0 : Kr) * s;
              RR -= Lr * s;
            } else {
              EP += (Kb + Kr) * s;
              RP -= (Lb + Lr) * s;
            }
          }
          const double sig = (EB + ER) * eta[k], rsig = (RB + RR) * eta[k];
          EP *= eta[k];
          RP *= eta[k];
          sEI += EP * s2g + sig * (2 - s2g);
          sEQ += c2c * s2g * (EP - sig);
          sEU += s2c * s2g * (EP - sig);
          sEV += 2 * cg * (ER - EB) * eta[k];
          sRQ += c2c * s2g * (RP - rsig);
          sRU += s2c * s2g * (RP - rsig);
          sRV += 2 * cg * (RR - RB) * eta[k];
        }
        sum += sEV + 1e-30 * (sEI + sEQ + sEU + sRQ + sRU + sRV + etac);
      }
    }
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(FacxSweep_Reference)->Unit(benchmark::kMillisecond);


// ---- the spline method

// Every (a, v) pair the Fe I pair's matrix evaluates over the sweep.
const std::vector<double>& SynthesisMix() {
  static const std::vector<double> mix = [] {
    TPair p;
    TCalcScope scope(p.ctx);
    TCONT& C = Cont();
    std::vector<double> rec;
    TransferCounts().Record = &rec;
    for (double x : p.xs) {
      C.WK.X = x;
      for (double l : p.lams) {
        C.WK.LAM = l;
        FACX();
      }
    }
    TransferCounts().Record = nullptr;
    ResetFACX();
    return rec;
  }();
  return mix;
}

// The program's tables from the root's folder, else the program grid's rows over the mix's
// damping range built here.
const TVoigtSplineTables& SplineTables(bool& Built) {
  static bool built = false;
  static const std::shared_ptr<const TVoigtSplineTables> t = [] {
    const TVoigtSplineGrid g = TVoigtSplineGrid::Standard();
    const std::string dir = std::string(CORVESTA_ROOT) + "/VOIGT";
    TVoigtSplineValues v;
    if (VoigtSplineFilesPresent(dir, g) && ReadVoigtSplineFiles(dir, g, v))
      return std::make_shared<const TVoigtSplineTables>(v);
    const std::vector<double>& mix = SynthesisMix();
    double lo = 1e9, hi = 0;
    for (size_t i = 0; i < mix.size(); i += 2) {
      lo = std::min(lo, mix[i]);
      hi = std::max(hi, mix[i]);
    }
    const int32_t first = std::max(1, static_cast<int32_t>((std::log(lo) - g.LnA(1)) / g.DA) - 5);
    const int32_t last = std::min(g.Na, static_cast<int32_t>((std::log(hi) - g.LnA(1)) / g.DA) + 8);
    const TVoigtSplineGrid r = g.Rows(first, last - first + 1);
    v.Alloc(r);
    VoigtSplineComputeRows(r, 1, r.Na, v, 0, nullptr);
    built = true;
    return std::make_shared<const TVoigtSplineTables>(v);
  }();
  Built = built;
  return *t;
}

void SplineOverMix(benchmark::State& state) {
  const std::vector<double>& mix = SynthesisMix();
  bool built = false;
  const TVoigtSplineTables& t = SplineTables(built);
  const size_t n = mix.size() / 2;
  std::vector<double> H(n), F(n);
  auto eval = [&] {
    for (size_t i = 0; i < n; ++i)
      if (!t.Eval(mix[2 * i], mix[2 * i + 1], H[i], F[i])) VoigtHumlicek(mix[2 * i], mix[2 * i + 1], H[i], F[i]);
  };
  eval();
  double dh = 0, df = 0;
  for (size_t i = 0; i < n; ++i) {
    double K, L;
    CerfW(mix[2 * i + 1], mix[2 * i], K, L);
    dh = std::max(dh, std::fabs(H[i] - K));
    df = std::max(df, std::fabs(F[i] - L / 2));
  }
  for (auto _ : state) {
    eval();
    benchmark::DoNotOptimize(H.data());
    benchmark::DoNotOptimize(F.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
  state.counters["pairs"] = static_cast<double>(n);
  state.counters["max_abs_dH"] = dh;
  state.counters["max_abs_dF"] = df;
  state.counters["rows_built_here"] = built ? 1 : 0;
}
void VoigtSpline(benchmark::State& state) { SplineOverMix(state); }
void VoigtSplineHum(benchmark::State& state) { SplineOverMix(state); }
BENCHMARK(VoigtSpline)->Unit(benchmark::kMicrosecond);
BENCHMARK(VoigtSplineHum)->Unit(benchmark::kMicrosecond);

void VoigtSpline_Reference(benchmark::State& state) {
  const std::vector<double>& mix = SynthesisMix();
  const size_t n = mix.size() / 2;
  std::vector<double> H(n), F(n);
  for (auto _ : state) {
    for (size_t i = 0; i < n; ++i) {
      double K, L;
      CerfW(mix[2 * i + 1], mix[2 * i], K, L);
      H[i] = K;
      F[i] = 0.5 * L;
    }
    benchmark::DoNotOptimize(H.data());
    benchmark::DoNotOptimize(F.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}
BENCHMARK(VoigtSpline_Reference)->Unit(benchmark::kMicrosecond);

void VoigtSplineHum_Reference(benchmark::State& state) {
  const std::vector<double>& mix = SynthesisMix();
  const size_t n = mix.size() / 2;
  std::vector<double> a(n), v(n), H(n), F(n);
  for (size_t i = 0; i < n; ++i) {
    a[i] = mix[2 * i];
    v[i] = mix[2 * i + 1];
  }
  for (auto _ : state) {
    VoigtHumlicekBatchA(a.data(), v.data(), static_cast<int32_t>(n), H.data(), F.data());
    benchmark::DoNotOptimize(H.data());
    benchmark::DoNotOptimize(F.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}
BENCHMARK(VoigtSplineHum_Reference)->Unit(benchmark::kMicrosecond);

// Ten rows of the program's tables spread over its damping range (a = 0.001 to 32, every 1.15 in
// ln a; the full v grids) on Threads threads.
void Rows10(benchmark::State& state, int32_t Threads) {
  const TVoigtSplineGrid s = TVoigtSplineGrid::Standard();
  const TVoigtSplineGrid g = TVoigtSplineGrid::Make(0.001, 100, 21, s.Dv, s.Nv1, s.VSwitch, s.VMax, s.Nv2);
  TVoigtSplineValues v;
  v.Alloc(g);
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    VoigtSplineComputeRows(g, 6, 15, v, Threads, nullptr);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  const double perRow = seconds / (10.0 * static_cast<double>(state.iterations()));
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) state.counters["load1"] = load[0];
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) state.counters["cores"] = CPU_COUNT(&set);
  state.counters["s_per_row"] = perRow;
  state.counters["full_build_min"] = perRow * s.Na / 60;
}
void TableRows(benchmark::State& state) { Rows10(state, 0); }
void TableRows_Reference(benchmark::State& state) { Rows10(state, 1); }
BENCHMARK(TableRows)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(TableRows_Reference)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
