// A solar-atlas window at the end of a generated 1 000 000-line centre-to-limb file (ten
// cosines) against one plain read of the file's lines in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "linedata/cvKurucz.h"
#include "synthesis/profiles/cvAtlas.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLines = 1000000;

struct TFile {
  fs::path dir;
  std::string file;
  TFile() {
    std::string tmpl = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    file = (dir / "clv.txt").string();
    std::ofstream f(file);
    f << "h1\nh2\nh3\n";
    char b[160];
    for (int i = 0; i < kLines; ++i) {
      std::snprintf(b, sizeof b, "%.4f %.5f 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9\n",
                    4000.0 + 0.005 * i, 0.9 + 0.0001 * (i % 1000));
      f << b;
    }
  }
  ~TFile() { fs::remove_all(dir); }
};

TFile& File() {
  static TFile f;
  return f;
}

void AtlasWindow(benchmark::State& State) {
  TAtlasPlan p;
  p.File = File().file;
  p.NSkip = 3;
  p.AllCos = true;
  p.Lower = 4000.0 + 0.005 * (kLines - 400);
  p.Upper = 4000.0 + 0.005 * (kLines - 200);
  for (auto _ : State) {
    TAtlasData d;
    if (!ReadCLVAtlas(nullptr, p, d) || d.Lam.size() < 150) State.SkipWithError("window not read");
    benchmark::DoNotOptimize(d);
  }
}

void AtlasWindow_Reference(benchmark::State& State) {
  for (auto _ : State) {
    TKurFile f;
    f.Open(File().file);
    std::string_view s;
    size_t n = 0;
    while (f.ReadLn(s)) n += s.size();
    benchmark::DoNotOptimize(n);
  }
}

}  // namespace

BENCHMARK(AtlasWindow)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(AtlasWindow_Reference)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_MAIN();
