// "Load Kurucz g4,g6,gNat": the damping constants of 20 000 lines of Lines_ searched in four
// generated band files of the published size (2 000 000 lines together, a table line every
// 100th file line) against one plain read of the four files in the same run.
#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "foundation/cvJob.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurDamping.h"
#include "linedata/cvKurucz.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFileLines = 500000;  // per band file
constexpr int kEvery = 100;         // a table line every 100th file line
const char* const kFiles[4] = {"gfhy0500.100", "gfhy0600.100", "gfhy0800.100", "gfhy1200.100"};
const double kFrom[4] = {400, 500, 600, 800}, kTo[4] = {500, 600, 800, 1200};

struct TSetup {
  fs::path dir;
  std::string db;
  TSetup() {
    std::string tmpl = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    db = (dir / "cv.db").string();
    TDM D;
    D.Connect(db);
    sqlite3* h = D.ADOConnection.Handle();
    sqlite3_exec(h, "BEGIN; DELETE FROM Lines_;", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO Lines_ (LIN6, Atom, NIon, LAMB, ELOW) VALUES (?1, 'Fe', ?2, ?3, ?4)",
                       -1, &ins, nullptr);
    char b[256];
    int k = 0;
    for (int f = 0; f < 4; ++f) {
      std::ofstream out(dir / kFiles[f]);
      for (int i = 0; i < kFileLines; ++i) {
        const double nm = kFrom[f] + (kTo[f] - kFrom[f]) * i / kFileLines;
        const int ion = i % 3 == 0 ? 2 : 1;
        const double e1 = 20000.0 + (i % 1000), e2 = 45000.0 + (i % 977);
        std::snprintf(b, sizeof b,
                      " %10.4f%7.3f%6.2f%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                      "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d",
                      nm, -1.5, 26.0 + (ion - 1) * 0.01, e2, 2.0, "4s5s e5D", e1, 1.0, "4s4p z5P",
                      7.93, -5.46, -7.58, "K88", 0, 0, 0, 0.0, 0, 0.0, 0, 0, "", 1503, 1835, 0);
        out << b << '\n';
        if (i % kEvery == 0) {
          const std::string lin = "FE" + std::to_string(k++);
          sqlite3_bind_text(ins, 1, lin.c_str(), -1, SQLITE_TRANSIENT);
          sqlite3_bind_int(ins, 2, ion);
          sqlite3_bind_double(ins, 3, nm * 10);
          sqlite3_bind_double(ins, 4, e1 / 8065.463122884277);
          sqlite3_step(ins);
          sqlite3_reset(ins);
        }
      }
    }
    sqlite3_finalize(ins);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    D.Disconnect();
  }
  ~TSetup() { fs::remove_all(dir); }
};

TSetup& Setup() {
  static TSetup s;
  return s;
}

void Damping(benchmark::State& State) {
  TDM D;
  D.Connect(Setup().db);
  for (auto _ : State) {
    TJob job("bench");
    TKurDampingResult r;
    RunJob(job, [&](TJob& J) { LoadKuruczDamping(J, D, Setup().dir.string(), r); });
    if (r.Found != r.Records || r.Records != 4 * kFileLines / kEvery)
      State.SkipWithError("lines not found");
  }
  D.Disconnect();
}

void Damping_Reference(benchmark::State& State) {
  for (auto _ : State) {
    size_t n = 0;
    for (const char* f : kFiles) {
      TKurFile k;
      k.Open((Setup().dir / f).string());
      std::string_view s;
      while (k.ReadLn(s)) n += s.size();
    }
    benchmark::DoNotOptimize(n);
  }
}

}  // namespace

BENCHMARK(Damping)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Damping_Reference)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_MAIN();
