// The FITS tab's statistics of a session's maps against plain loops over the same numbers (warm
// cache, same run):
//   CB0   CB0, VW1, VW2 of a 512 x 512 session (its maps registered; the expression lines, the
//         histogram, 35 filtered collections and the header rewrite) against 35 plain masked-mean
//         loops over the same maps (goal <= 3 x)
//   List  the text table of three 1024 x 1024 maps under a filter every pixel passes, aligned,
//         against formatting the same numbers with snprintf (goal <= 3 x)
// The session is written once into a temporary data root removed at the end.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapStats.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessionConsts.h"

namespace fs = std::filesystem;

namespace {

const char* kDa = "20190622";
const char* kTi = "164505";
const std::string kSes = "20190622_164505";

std::unique_ptr<TFIOut> Map(const std::string& Name, int N, const std::function<float(int, int)>& F) {
  auto m = std::make_unique<TFIOut>();
  m->Name = Name;
  m->Ver = "20241023";
  m->kSoft = 1;
  m->Da = kDa;
  m->Ti = kTi;
  m->AssignMem(N, N);
  for (int x = 0; x < N; ++x)
    for (int y = 0; y < N; ++y) m->aData[x][y] = F(x, y);
  m->kLoad = 9;
  m->MinMaxMean();
  return m;
}

struct TBenchSession {
  fs::path Root;
  TBenchSession() {
    Sayer->SetHook([](const std::string&, const std::string&) {});
    Root = fs::temp_directory_path() / ("cvbench-stats-" + std::to_string(::getpid()));
    fs::create_directories(Root / "2019_06" / "20190622_1645");
    const std::string r = Root.string() + "/";
    ResetScanServices();
    Scans().DataRoot.Install([r] { return r; });
    TLFITS scan;
    scan.OutFolder = r + "2019_06/20190622_1645";
    scan.sFN = "20190622_1645.fits";
    scan.sFNME = "20190622_164505.fits";
    scan.ScanName = kSes;
    scan.TSTART = "2019-06-22T16:45:05";
    WriteMainHeader(scan, TScanMapStats{});
    std::mt19937 gen(11);
    std::normal_distribution<double> nd(10, 3);
    const int n = 512;
    std::vector<float> w(static_cast<size_t>(n) * n);
    for (float& v : w) v = static_cast<float>(std::fabs(nd(gen)));
    std::vector<std::unique_ptr<TFIOut>> maps;
    maps.push_back(Map("CONT", n, [](int x, int y) { return 9000.0f + (x * 7 + y * 13) % 2000; }));
    maps.push_back(Map("W2QUV195", n, [&](int x, int y) { return w[static_cast<size_t>(x) * n + y]; }));
    maps.push_back(Map("W2QUV295", n, [&](int x, int y) { return 0.5f * w[static_cast<size_t>(y) * n + x]; }));
    for (const char* k : {"LWb1", "LWr1", "LWb2", "LWr2"})
      maps.push_back(Map(k, n, [](int x, int y) { return 56.0f + 0.001f * ((x + y) % 100); }));
    for (auto& m : maps) m->Save();
    for (auto& m : maps) LFIOReg().Add(std::move(m));
  }
  ~TBenchSession() {
    std::error_code ec;
    fs::remove_all(Root, ec);
  }
};

TBenchSession& Session() {
  static TBenchSession s;
  return s;
}

const TFIOut* Reg(const char* Name) { return LFIOReg().GetFIOutDT(kDa, kTi, Name); }

// 35 masked means of CONT and the two velocity maps over the level bounds CB0 walks.
void CB0_Reference(benchmark::State& S) {
  Session();
  TJob j("cb0");
  TCB0Result r;
  CalcCB0(j, kSes, r);  // the derived maps VW1, VW2, W2QUV once
  const TFIOut *c = Reg("CONT"), *w = Reg("W2QUV"), *a = Reg("VW1"), *b = Reg("VW2");
  const size_t n = static_cast<size_t>(c->nX) * static_cast<size_t>(c->nY);
  for (auto _ : S) {
    double total = 0;
    for (int k = 0; k < 35; ++k) {
      const double lo = k < 5 ? 5 + k : 0, hi = k < 5 ? 15 - k : 10 + k;
      double sc = 0, sa = 0, sb = 0;
      int64_t m = 0;
      const float *pc = c->aData.Data(), *pw = w->aData.Data(), *pa = a->aData.Data(),
                  *pb = b->aData.Data();
      for (size_t i = 0; i < n; ++i)
        if (pw[i] >= lo && pw[i] <= hi && pc[i] >= 4000 && pc[i] <= 200000) {
          sc += pc[i];
          sa += pa[i];
          sb += pb[i];
          ++m;
        }
      total += m ? (sc + sa + sb) / m : 0;
    }
    benchmark::DoNotOptimize(total);
  }
}

void CB0(benchmark::State& S) {
  Session();
  for (auto _ : S) {
    TJob j("cb0");
    TCB0Result r;
    if (!CalcCB0(j, kSes, r)) S.SkipWithError("CB0 failed");
    benchmark::DoNotOptimize(r.CB0);
  }
}

// ---- the table of three 1024 x 1024 maps ----

struct TListMaps {
  TMapWalk Walk;
  TListMaps() {
    Session();
    const int n = 1024;
    LFIOReg().Add(Map("LA", n, [](int x, int y) { return 10000.0f + x * 1.37f + y * 0.011f; }));
    LFIOReg().Add(Map("LB", n, [](int x, int y) { return -3.5f + 0.001f * ((x * 31 + y) % 7000); }));
    LFIOReg().Add(Map("LC", n, [](int x, int y) { return 1e-3f * (x + 1) * (y + 1); }));
    TFiltControls c;
    c.Rows[0] = {"LA", "0 1000000"};
    PrepMapWalk(c, kSes, {"LA", "LB", "LC"}, nullptr, Walk);
  }
};

TListMaps& ListMaps() {
  static TListMaps m;
  return m;
}

void List_Reference(benchmark::State& S) {
  TListMaps& m = ListMaps();
  const TFIOut *a = m.Walk.Map("LA"), *b = m.Walk.Map("LB"), *c = m.Walk.Map("LC");
  std::vector<std::string> lines;
  for (auto _ : S) {
    lines.clear();
    lines.reserve(1024 * 1024);
    char buf[128];
    for (int x = 0; x < 1024; ++x)
      for (int y = 0; y < 1024; ++y) {
        std::snprintf(buf, sizeof buf, " %.8g %.8g %.8g", a->aData[x][y], b->aData[x][y],
                      c->aData[x][y]);
        lines.emplace_back(buf);
      }
    benchmark::DoNotOptimize(lines.data());
  }
}

void List(benchmark::State& S) {
  TListMaps& m = ListMaps();
  TListColumns cols;
  for (auto _ : S) {
    TStringList out;
    TJob j("list");
    MapListText(j, m.Walk, cols, out);
    if (out.Count() != 1024 * 1024 + 3) S.SkipWithError("wrong line count");
    benchmark::DoNotOptimize(out.Count());
  }
}

BENCHMARK(CB0_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(CB0)->Unit(benchmark::kMillisecond);
BENCHMARK(List_Reference)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(List)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
