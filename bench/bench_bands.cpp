// The hyperfine and isotope merge of the band-file builder over 10 generated li band files of
// 20 000 lines each (a third of them components of hyperfine groups of three), against one read
// of the same files parsing every line (ParseKurLineD).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/cvJob.h"
#include "linedata/cvKurBands.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBands = 10;
constexpr int kPerBand = 20000;
constexpr double kN = 1.00028;

double Round3(double X) { return std::round(X * 1000) / 1000; }

// One Form B line: lower level Elo, upper Ehi (cm-1), shifts (mK), lg hyperfine fraction.
std::string FormB(double LamA, double Elo, double Ehi, int HsLo, int HsHi, double Frac) {
  char b[256];
  std::snprintf(b, sizeof b,
                "%10.4f%7.3f%6.2f%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d%5d%5d",
                LamA / 10, -1.2, 26.00, Elo, 2.0, "a5D", Ehi, 3.0, "z5F", 7.9, -5.5, -7.6, "K88",
                0, 0, 0, Frac, 0, 0.0, HsLo, HsHi, "", 1500, 1250, 0, 500, 300);
  return b;
}

struct TFolder {
  fs::path dir;
  TFolder() {
    std::string tmpl = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    int group = 0;
    for (int band = 50; band < 50 + kBands; ++band) {
      // per 9 lines: 6 plain lines and a group of 3 components 5 mÅ apart
      std::vector<std::pair<double, std::string>> lines;
      for (int k = 0; k < kPerBand / 9 + 1 && static_cast<int>(lines.size()) < kPerBand; ++k) {
        const double base = band * 100.0 + k * 0.045;
        for (int p = 0; p < 6; ++p) {
          const double l = base + p * 0.005 + (p >= 3 ? 0.02 : 0);
          lines.emplace_back(l, FormB(l, 30000 + p, 30000 + p + 1e8 / (l * kN), 0, 0, 0));
        }
        const double c = base + 0.0225, elo = 10000 + 0.5 * group++;
        const double ehi = Round3(elo + 1e8 / (c * kN));
        for (int i = 0; i < 3; ++i) {
          const int hs = -30 + 20 * i;
          const double l = 1e8 / ((ehi + hs / 1000.0) - (elo - 0.010)) / kN;
          lines.emplace_back(l, FormB(l, elo, ehi, -10, hs, i == 1 ? -0.301 : -0.602));
        }
      }
      lines.resize(kPerBand);
      std::stable_sort(lines.begin(), lines.end(),
                       [](const auto& A, const auto& B) { return A.first < B.first; });
      std::ofstream f(dir / BandFileName("li", band));
      for (const auto& l : lines) f << l.second << '\n';
    }
    LineData().LineFilesFolder.Install([d = dir.string()] { return d + "/"; });
  }
  ~TFolder() { fs::remove_all(dir); }
};

TFolder& Folder() {
  static TFolder f;
  return f;
}

void KurLinesMergeHFS_Reference(benchmark::State& State) {
  Folder();
  for (auto _ : State) {
    int64_t n = 0;
    for (int band = 50; band < 50 + kBands; ++band) {
      const std::string file = (Folder().dir / BandFileName("li", band)).string();
      TKurFile f;
      f.Open(file);
      std::string s;
      int32_t i = 0;
      while (f.ReadLn(s)) {
        TLIDA line;
        TLIDAk k;
        n += ParseKurLineD("x", file, s, k, line, ++i);
      }
    }
    if (n != kBands * kPerBand) State.SkipWithError("lines not read");
    benchmark::DoNotOptimize(n);
  }
}

void KurLinesMergeHFS(benchmark::State& State) {
  Folder();
  for (auto _ : State) {
    // a first build of the lh files (a rename over an old file makes the file system write
    // the new one out at once)
    State.PauseTiming();
    for (int band = 50; band < 50 + kBands; ++band) fs::remove(Folder().dir / BandFileName("lh", band));
    State.ResumeTiming();
    TJob job("bench");
    TKurBandsResult r;
    bool ok = false;
    RunJob(job, [&](TJob& J) { ok = ::KurLinesMergeHFS(J, "5000", "6000", r); });
    // every group of three merged into one line
    if (!ok || r.Read != kBands * kPerBand || std::abs(r.Written - r.Read / 9 * 7) > 3 * kBands ||
        !r.InsertErrors.empty() || job.WarningCount() != 0)
      State.SkipWithError("merge incomplete");
  }
}

}  // namespace

BENCHMARK(KurLinesMergeHFS_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(KurLinesMergeHFS)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
