// The table restore as a job against the same rows written straight into SQLite with one
// prepared statement in one transaction (the floor any restore can reach).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRows = 20000;

struct TFolder {
  fs::path dir;
  TFolder() {
    std::string tmpl = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    fs::create_directories(dir / "save");
    std::ofstream f(dir / "save" / "LGGF.txt");
    f << "IdLGGF|LIN6|Src|Val\n";
    for (int i = 1; i <= kRows; ++i) f << i << "|FE" << (6000 + i % 1000) << "|VALD|" << i << ".5\n";
  }
  ~TFolder() { fs::remove_all(dir); }
};

TFolder& Folder() {
  static TFolder f;
  return f;
}

void Restore(benchmark::State& State) {
  int n = 0;
  for (auto _ : State) {
    State.PauseTiming();
    const std::string db = (Folder().dir / ("r" + std::to_string(n++) + ".db")).string();
    TDM D;
    D.Connect(db);
    TJob job("bench");
    State.ResumeTiming();
    RunJob(job, [&](TJob& J) { DBRestore(J, D, (Folder().dir / "save").string()); });
    State.PauseTiming();
    D.Disconnect();
    fs::remove(db);
    State.ResumeTiming();
  }
  State.SetItemsProcessed(State.iterations() * kRows);
}

void Restore_Reference(benchmark::State& State) {
  int n = 0;
  for (auto _ : State) {
    State.PauseTiming();
    const std::string db = (Folder().dir / ("q" + std::to_string(n++) + ".db")).string();
    sqlite3* h = nullptr;
    sqlite3_open(db.c_str(), &h);
    sqlite3_exec(h, "CREATE TABLE LGGF(IdLGGF INTEGER PRIMARY KEY, LIN6 TEXT, Src TEXT, Val REAL)",
                 nullptr, nullptr, nullptr);
    State.ResumeTiming();
    std::ifstream f(Folder().dir / "save" / "LGGF.txt");
    std::string line;
    std::getline(f, line);
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO LGGF VALUES(?,?,?,?)", -1, &st, nullptr);
    while (std::getline(f, line)) {
      size_t a = 0;
      int col = 1;
      while (col <= 4) {
        size_t b = line.find('|', a);
        if (b == std::string::npos) b = line.size();
        sqlite3_bind_text(st, col++, line.data() + a, static_cast<int>(b - a), SQLITE_TRANSIENT);
        a = b + 1;
      }
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    State.PauseTiming();
    sqlite3_close(h);
    fs::remove(db);
    State.ResumeTiming();
  }
  State.SetItemsProcessed(State.iterations() * kRows);
}

}  // namespace

BENCHMARK(Restore)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Restore_Reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
