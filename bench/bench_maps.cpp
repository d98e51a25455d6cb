// Map files: 46 maps of 200 x 1024 (1000 x 1024 with CORVESTA_BENCH_BIG=1) saved into one file as
// a job, against a plain write of the same bytes plus one copy of the file (the floor of a write
// through a temporary copy); the file's maps registered and read back as a job (LoadOwn, then
// LoadMapsData), against a plain read of the whole file into a reused buffer. Both reads take
// the same bytes from the page cache (the file is written before any case is timed, and every
// pass reads all of it) into memory already in use: each load starts from a cleared registry,
// whose freed blocks serve the new maps (one load before any case is timed makes them), as the
// plain read's buffer is reused. The load also walks the headers and converts and counts every
// value; the plain read does one call. The values (1 + k + x*y/1000) have sums exact in double,
// so the statistics take the vector path; maps of values whose sums round take the
// value-by-value path, several times slower.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaps = 46;
int NX() { return std::getenv("CORVESTA_BENCH_BIG") ? 1000 : 200; }
constexpr int kNY = 1024;

struct TRoot {
  fs::path dir;
  TLFITS scan;
  std::vector<std::unique_ptr<TFIOut>> maps;
  TRoot() {
    std::string tmpl = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    const std::string r = dir.string() + "/";
    Scans().DataRoot.Install([r] { return r; });
    scan.OutFolder = r + "2019_06/20190622_1645";
    scan.sFN = "20190622_1645.fits";
    scan.TSTART = "x";
    for (int k = 0; k < kMaps; ++k) {
      auto m = std::make_unique<TFIOut>();
      m->Name = "MAP" + std::to_string(k);
      m->Ver = "20241023";
      m->kSoft = 1;
      m->Da = "20190622";
      m->Ti = "164505";
      m->AssignMem(NX(), kNY);
      for (int x = 0; x < NX(); ++x)
        for (int y = 0; y < kNY; ++y) m->aData[x][y] = 1.0f + k + 0.001f * x * y;
      m->kLoad = 9;
      m->MinMaxMean();
      maps.push_back(std::move(m));
    }
  }
  ~TRoot() { fs::remove_all(dir); }
  std::string Own() const { return scan.OutFolder + "/" + scan.sFN; }
};

TRoot& Root() {
  static TRoot r;
  return r;
}

// The main header and every map written into the scan's own file.
bool SaveAll() {
  std::vector<TFIOut*> p;
  for (auto& m : Root().maps) {
    m->nb0 = 0;
    p.push_back(m.get());
  }
  WriteMainHeader(Root().scan, TScanMapStats{});
  TJob job("bench");
  return SaveMaps(job, p) == kMaps;
}

// The file the loads read, written once whichever case runs first.
bool Saved() {
  static const bool saved = SaveAll();
  return saved;
}

void SaveMaps(benchmark::State& State) {
  for (auto _ : State)
    if (!SaveAll()) State.SkipWithError("not saved");
}

void SaveMaps_Reference(benchmark::State& State) {
  const int64_t per = 2880 + 4LL * NX() * kNY;
  const std::string buf(static_cast<size_t>(per), 'x');
  const std::string f = (Root().dir / "plain.bin").string();
  for (auto _ : State) {
    const int fd = ::open(f.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, buf.data(), 5760) != 5760) State.SkipWithError("write");
    for (int k = 0; k < kMaps; ++k)
      if (::write(fd, buf.data(), buf.size()) != static_cast<ssize_t>(buf.size()))
        State.SkipWithError("write");
    ::fsync(fd);
    ::close(fd);
    fs::copy_file(f, f + ".copy", fs::copy_options::overwrite_existing);
  }
}

// The file's maps registered and read into a cleared registry.
bool LoadAll() {
  ResetScanServices();
  const std::string r = Root().dir.string() + "/";
  Scans().DataRoot.Install([r] { return r; });
  TLFIOut& reg = LFIOReg();
  TJob job("bench");
  reg.LoadOwn("20190622", "164505", nullptr, true, &job);
  std::vector<TFIOut*> p;
  for (auto& m : reg.Items) p.push_back(m.get());
  return LoadMapsData(job, p) == kMaps;
}

void LoadMaps(benchmark::State& State) {
  if (!Saved()) State.SkipWithError("not saved");
  for (auto _ : State)
    if (!LoadAll()) State.SkipWithError("not loaded");
}

// The two stages of a load, for finding where its time goes: the walk over the headers that
// registers the maps, and the reading of the registered maps' data with 1 .. 4 threads.
void LoadMapsWalk(benchmark::State& State) {
  if (!Saved()) State.SkipWithError("not saved");
  for (auto _ : State) {
    ResetScanServices();
    const std::string r = Root().dir.string() + "/";
    Scans().DataRoot.Install([r] { return r; });
    TJob job("bench");
    LFIOReg().LoadOwn("20190622", "164505", nullptr, true, &job);
  }
}

void LoadMapsData(benchmark::State& State) {
  if (!Saved() || !LoadAll()) State.SkipWithError("not loaded");
  std::vector<TFIOut*> p;
  for (auto& m : LFIOReg().Items) p.push_back(m.get());
  for (auto _ : State) {
    for (TFIOut* m : p) m->aData.Free();  // the blocks go back for the next pass to take
    TJob job("bench");
    if (::LoadMapsData(job, p, static_cast<int32_t>(State.range(0))) != kMaps)
      State.SkipWithError("not loaded");
  }
}

void LoadMaps_Reference(benchmark::State& State) {
  if (!Saved()) State.SkipWithError("not saved");
  const std::string f = Root().Own();
  std::string buf(static_cast<size_t>(fs::file_size(f)), '\0');
  for (auto _ : State) {
    const int fd = ::open(f.c_str(), O_RDONLY);
    if (::read(fd, buf.data(), buf.size()) != static_cast<ssize_t>(buf.size()))
      State.SkipWithError("read");
    ::close(fd);
    benchmark::DoNotOptimize(buf.data());
  }
}

}  // namespace

BENCHMARK(SaveMaps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveMaps_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadMaps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadMaps_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadMapsWalk)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadMapsData)->DenseRange(1, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  ResetSayerForTests();
  Saved();  // the file exists before any case is timed
  // One load untimed: the maps' blocks are memory in use from the first timed pass on, as the
  // plain read's buffer is (touching fresh memory costs more than the read itself here, and a
  // run whose first pass is long enough is reported from that pass alone).
  LoadAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  Root();
  return 0;
}
