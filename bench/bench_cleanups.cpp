// The hyperfine clean-up of KurLines on 400 000 generated rows against the same on 200 000: with
// the (ELEM, ELO, lgGF) index each group is one indexed lookup, so the time grows with the rows.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/cvJob.h"
#include "linedata/cvCleanups.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"

namespace fs = std::filesystem;

namespace {

struct TFolder {
  fs::path dir;
  TFolder() {
    std::string tmpl = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    LineData().Root.Install([d = dir.string()] { return d + "/"; });
  }
  ~TFolder() { fs::remove_all(dir); }
};

TFolder& Folder() {
  static TFolder f;
  return f;
}

// A database of Rows KurLines records of the hyperfine elements (Co, Cu, Mn, Sc, V, Eu; I and
// II): a third of the rows in groups of three components, the rest single lines.
fs::path Template(int Rows) {
  const fs::path file = Folder().dir / ("t" + std::to_string(Rows) + ".db");
  if (fs::exists(file)) return file;
  {
    TDM D;
    D.Connect(file.string());
    D.Disconnect();
  }
  sqlite3* db = nullptr;
  sqlite3_open(file.string().c_str(), &db);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO KurLines (Id, LAMB, ELEM, ELO, lgGF, shiftLO, shiftHI, frac, "
                     "nAir) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     -1, &st, nullptr);
  const int elems[] = {2700, 2701, 2900, 2901, 2500, 2501, 2100, 2101, 2300, 2301, 6300, 6301};
  int row = 0, line = 0;
  char id[32];
  while (row < Rows) {
    const int comps = (line % 5 < 1) ? std::min(3, Rows - row) : 1;  // about a third grouped
    const int elem = elems[line % 12];
    for (int c = 0; c < comps; ++c, ++row) {
      std::snprintf(id, sizeof id, "8x%07d", row + 1);
      sqlite3_bind_text(st, 1, id, -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(st, 2, 4000.0 + 3000.0 * row / Rows);
      sqlite3_bind_int(st, 3, elem);
      sqlite3_bind_double(st, 4, 1000.0 + line * 0.125);
      sqlite3_bind_double(st, 5, -1.0 - (line % 300) * 0.01);
      sqlite3_bind_int(st, 6, 0);
      sqlite3_bind_int(st, 7, 10 * (c + 1));
      sqlite3_bind_double(st, 8, -0.5 - 0.1 * c);
      sqlite3_bind_double(st, 9, 1.00028);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    ++line;
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return file;
}

void Clean(benchmark::State& State, int Rows) {
  const fs::path tmpl = Template(Rows);
  const fs::path work = Folder().dir / "work.db";
  for (auto _ : State) {
    State.PauseTiming();
    fs::copy_file(tmpl, work, fs::copy_options::overwrite_existing);
    TDM D;
    D.Connect(work.string());
    TJob job("bench");
    job.PresetAnswers = {true};
    TCleanupResult r;
    State.ResumeTiming();
    RunJob(job, [&](TJob& J) { DelHyperFineLines(J, D, "", "", r); });
    State.PauseTiming();
    if (r.Merged < Rows / 10) State.SkipWithError("groups not merged");
    D.Disconnect();
    fs::remove(work);
    State.ResumeTiming();
  }
}

void DelHyperFineLines400k(benchmark::State& State) { Clean(State, 400000); }
void DelHyperFineLines400k_Reference(benchmark::State& State) { Clean(State, 200000); }

}  // namespace

BENCHMARK(DelHyperFineLines400k)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(DelHyperFineLines400k_Reference)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
