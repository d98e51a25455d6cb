// The FITS tab's sessions grid over the whole archive against a plain read of the same header
// blocks (warm cache, same run):
//   FillSessions  "All" over 300 sessions, each a one-file scan with its own map file and its
//                 inversion-result file (goal <= 2 x the plain read)
// The archive is generated once in a temporary folder removed at the end.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvSayer.h"
#include "scans/cvSessions.h"
#include "tools/scangen/cvScanGen.h"

namespace fs = std::filesystem;

namespace {

struct TBenchArchive {
  fs::path Root;
  std::vector<std::string> Files;  // per session: slit file, own file, inversion-result file
  TBenchArchive() {
    Root = fs::temp_directory_path() / ("cvbench-sessions-" + std::to_string(::getpid()));
    for (int i = 0; i < 300; ++i) {
      TScanGenOptions o;
      o.Files = 1;
      o.NY = 8;
      char start[40];
      std::snprintf(start, sizeof start, "2019-%02d-%02dT%02d:%02d:05.000", 1 + i / 60,
                    1 + (i / 12) % 5, 8 + i % 12, 10 + (i % 4));
      o.Start = start;
      const std::string scan = GenerateScan(Root.string(), o);
      Files.push_back(sessions::FirstFits(scan));
      Files.push_back(GenerateOwnFile(Root.string(), o));
      Files.push_back(GenerateInversionFile(Root.string(), o));
    }
  }
  ~TBenchArchive() {
    std::error_code ec;
    fs::remove_all(Root, ec);
  }
};

TBenchArchive& Archive() {
  static TBenchArchive a;
  return a;
}

// Each file's header blocks read until the block holding END.
int64_t PlainHeaders(const std::vector<std::string>& Files) {
  int64_t n = 0;
  char block[2880];
  for (const std::string& f : Files) {
    const int fd = ::open(f.c_str(), O_RDONLY);
    if (fd < 0) continue;
    for (off_t off = 0;; off += 2880) {
      if (::pread(fd, block, sizeof block, off) != 2880) break;
      n += 2880;
      bool end = false;
      for (int c = 0; c < 36 && !end; ++c) end = std::string(block + 80 * c, 3) == "END";
      if (end) break;
    }
    ::close(fd);
  }
  return n;
}

void FillSessions_Reference(benchmark::State& S) {
  TBenchArchive& a = Archive();
  for (auto _ : S) benchmark::DoNotOptimize(PlainHeaders(a.Files));
}

void FillSessions(benchmark::State& S) {
  TBenchArchive& a = Archive();
  Sayer->SetHook([](const std::string&, const std::string&) {});
  size_t rows = 0;
  for (auto _ : S) {
    sessions::TSessionFill out;
    sessions::FillSessions(a.Root.string(), "All", out);
    rows = out.Rows.size();
    benchmark::DoNotOptimize(rows);
  }
  S.counters["rows"] = static_cast<double>(rows);
}

BENCHMARK(FillSessions_Reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(FillSessions)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
