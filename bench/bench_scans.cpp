// Reading a level-1 scan against a plain read of the same files (warm cache, same run):
//   LinkHeaders  link + all headers          (goal <= 0.3 x the plain read)
//   LoadCubes    all cubes, decoded to words (goal <= 1.5 x the plain read)
//   GetContAll   continuum of a 1024-pixel slit with the scan's smoothing weights, against the
//                literal smoothing (goal <= 0.15)
// The scan is generated once: 200 files of 1024 slit pixels (CORVESTA_BENCH_NX=1000 for the
// large one), in a temporary folder removed at the end.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "scans/cvLFITS.h"
#include "tools/scangen/cvScanGen.h"

namespace fs = std::filesystem;

namespace {

struct TBenchScan {
  fs::path Root;
  std::string Folder;
  std::vector<std::string> Files;
  TBenchScan() {
    Root = fs::temp_directory_path() / ("cvbench-scan-" + std::to_string(::getpid()));
    TScanGenOptions o;
    const char* nx = std::getenv("CORVESTA_BENCH_NX");
    o.Files = nx ? std::atoi(nx) : 200;
    o.NY = 1024;
    o.Noise = 20;
    Folder = GenerateScan(Root.string(), o);
    for (const auto& e : fs::directory_iterator(Folder))
      if (e.path().extension() == ".fits") Files.push_back(e.path().string());
  }
  ~TBenchScan() {
    std::error_code ec;
    fs::remove_all(Root, ec);
  }
};

TBenchScan& Scan() {
  static TBenchScan s;
  return s;
}

// Every file read whole into memory of its own, all held at once (as the scan holds its cubes).
int64_t PlainRead(const std::vector<std::string>& Files) {
  int64_t n = 0;
  std::vector<std::vector<char>> held;
  held.reserve(Files.size());
  for (const std::string& f : Files) {
    std::ifstream in(f, std::ios::binary);
    in.seekg(0, std::ios::end);
    std::vector<char> buf(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    n += static_cast<int64_t>(buf.size()) + buf[buf.size() / 2];
    held.push_back(std::move(buf));
  }
  return n;
}

void LinkHeaders(benchmark::State& St) {
  const std::string folder = Scan().Folder;  // generated before the timing
  for (auto _ : St) {
    TLFITS s;
    s.Link(folder);
    TJob j;
    RunJob(j, [&](TJob& job) { s.LoadHeaders(job); });
    benchmark::DoNotOptimize(s.Count());
  }
}
void LinkHeaders_Reference(benchmark::State& St) {
  const std::vector<std::string> files = Scan().Files;
  for (auto _ : St) benchmark::DoNotOptimize(PlainRead(files));
}

void LoadCubes(benchmark::State& St) {
  TLFITS s;
  s.Link(Scan().Folder);
  TJob j;
  RunJob(j, [&](TJob& job) { s.LoadHeaders(job); });
  for (auto _ : St) {
    for (auto& f : s.Files) f->LoadData();
    benchmark::DoNotOptimize(s.BytesCubes);
    St.PauseTiming();
    for (auto& f : s.Files) f->FreeData();
    St.ResumeTiming();
  }
}
void LoadCubes_Reference(benchmark::State& St) {
  const std::vector<std::string> files = Scan().Files;
  for (auto _ : St) benchmark::DoNotOptimize(PlainRead(files));
}

void ContAll(benchmark::State& St, bool Literal) {
  TLFITS s;
  s.Link(Scan().Folder);
  TJob j;
  RunJob(j, [&](TJob& job) { s.LoadHeaders(job); });
  s.SetOptions(350, 350, 1.05, 60);
  TFITS& f = *s.Files[0];
  f.LoadData();
  f.LiteralSmoothing = Literal;
  for (auto _ : St) {
    f.FreeCalc();
    f.GetContAll();
    benchmark::DoNotOptimize(f.ACnt.data());
  }
}
void GetContAll(benchmark::State& St) { ContAll(St, false); }
void GetContAll_Reference(benchmark::State& St) { ContAll(St, true); }

}  // namespace

BENCHMARK(LinkHeaders)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(LinkHeaders_Reference)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(LoadCubes)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(LoadCubes_Reference)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(GetContAll)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(GetContAll_Reference)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK_MAIN();
