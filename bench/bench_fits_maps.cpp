// The FITS tab's map operations against plain references in the same run (warm cache):
//   EraseMap   a map from the middle of a session's own file of 200 maps (100 x 512 each) cut
//              out and the file's maps registered again, against one plain copy of that file
//              (goal <= 1.3)
//   FillFIO    the map list's rows made from a registry of 2000 maps and written into the grid's
//              row store, against writing the same texts into the store directly (goal <= 1.5)
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "grid/cvGxHeadless.h"
#include "scans/cvFIOut.h"
#include "scans/cvFOOps.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

namespace fs = std::filesystem;

namespace {

const char* kDa = "20190622";
const char* kTi = "164505";

struct TOwnFile {
  fs::path Root;
  std::string Own, Template, Copy;
  TOwnFile() {
    Root = fs::temp_directory_path() / ("cvbench-fitsmaps-" + std::to_string(::getpid()));
    fs::create_directories(Root);
    const std::string r = Root.string() + "/";
    Scans().DataRoot.Install([r] { return r; });
    TLFITS scan;
    scan.OutFolder = Root.string() + "/2019_06/20190622_1645";
    scan.sFN = "20190622_1645.fits";
    scan.sFNME = "20190622_164505.fits";
    scan.ScanName = "20190622_164505";
    scan.TSTART = "2019-06-22T16:45:05";
    WriteMainHeader(scan, TScanMapStats{});
    std::vector<std::unique_ptr<TFIOut>> maps;
    std::vector<TFIOut*> raw;
    for (int i = 0; i < 200; ++i) {
      auto m = std::make_unique<TFIOut>();
      m->Name = "M" + std::to_string(i);
      m->Com = "bench";
      m->Ver = "2022";
      m->kSoft = 1;
      m->Da = kDa;
      m->Ti = kTi;
      m->AssignMem(100, 512);
      for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 512; ++y) m->aData[x][y] = static_cast<float>(i + x * 0.01 + y);
      m->kLoad = 9;
      raw.push_back(m.get());
      maps.push_back(std::move(m));
    }
    TJob j("save");
    SaveMaps(j, raw);
    Own = scan.OutFolder + "/" + scan.sFN;
    Template = Root.string() + "/template.fits";
    Copy = Root.string() + "/copy.fits";
    fs::copy_file(Own, Template, fs::copy_options::overwrite_existing);
  }
  ~TOwnFile() {
    std::error_code ec;
    fs::remove_all(Root, ec);
  }
};

TOwnFile& File() {
  static TOwnFile f;
  return f;
}

// A plain copy of a file through a 1 MiB buffer, as the cut copies.
void PlainCopy(const std::string& From, const std::string& To) {
  const int in = ::open(From.c_str(), O_RDONLY);
  const int out = ::open(To.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  std::vector<char> buf(1 << 20);
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n <= 0) break;
    if (::write(out, buf.data(), static_cast<size_t>(n)) != n) break;
  }
  ::close(in);
  ::close(out);
}

void EraseMap_Reference(benchmark::State& S) {
  TOwnFile& f = File();
  for (auto _ : S) PlainCopy(f.Template, f.Copy);
}

void EraseMap(benchmark::State& S) {
  TOwnFile& f = File();
  Sayer->SetHook([](const std::string&, const std::string&) {});
  for (auto _ : S) {
    S.PauseTiming();
    PlainCopy(f.Template, f.Own);
    TLFIOut& reg = LFIOReg();
    reg.ClearAll();
    reg.LoadOwn(kDa, kTi, nullptr, true);
    TFIOut* m = reg.GetFIOutDT(kDa, kTi, "M100");
    S.ResumeTiming();
    benchmark::DoNotOptimize(foops::EraseMaps({m}, false));
  }
  S.counters["maps"] = static_cast<double>(LFIOReg().Count());
}

// ---- the map list

struct TListStore {
  TGxHeadlessGrid G;
  TListStore() {
    struct TCol : TGxCustomColumn {
      explicit TCol(int K) { SetCellKind(K); }
    };
    G.Columns.Add(std::make_unique<TCol>(ckBoolean));
    for (int c = 1; c < 11; ++c) G.Columns.Add(std::make_unique<TCol>(ckString));
  }
  void Write(const std::vector<foops::TFIORow>& Rows) {
    G.Cells.ClearRows();
    G.Cells.AddRows(static_cast<int>(Rows.size()));
    for (size_t r = 0; r < Rows.size(); ++r) {
      const int row = static_cast<int>(r);
      G.Cells.GetCell(0, row)->SetAsBoolean(Rows[r][0] == "true");
      for (int c = 1; c < 11; ++c) G.Cells.GetCell(c, row)->SetAsText(Rows[r][static_cast<size_t>(c)]);
    }
  }
};

TLFIOut& BigRegistry() {
  static TLFIOut reg;
  static bool made = false;
  if (!made) {
    for (int i = 0; i < 2000; ++i) {
      auto m = std::make_unique<TFIOut>();
      m->Name = "Map" + std::to_string(i);
      m->Ver = "2022";
      m->kSoft = 1 + i % 3;
      m->Da = "201906" + std::to_string(10 + i % 20);
      m->Ti = "1645" + std::to_string(10 + i % 50);
      m->KH = i % 200 + 1;
      m->nb0 = i % 2 ? 5760 + i * 2880 : 0;
      m->DaNum = static_cast<char>('0' + i % 10);
      reg.Add(std::move(m));
    }
    made = true;
  }
  return reg;
}

void FillFIO_Reference(benchmark::State& S) {
  TListStore st;
  const std::vector<foops::TFIORow> rows = foops::FIORows(BigRegistry(), {});
  for (auto _ : S) st.Write(rows);
}

void FillFIO(benchmark::State& S) {
  TListStore st;
  TLFIOut& reg = BigRegistry();
  for (auto _ : S) st.Write(foops::FIORows(reg, {}));
  S.counters["rows"] = static_cast<double>(st.G.Cells.RowCount());
}

BENCHMARK(EraseMap_Reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(EraseMap)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(FillFIO_Reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(FillFIO)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
