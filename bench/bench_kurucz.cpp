// The Kurucz import of the last tenth of a band file of 500 000 lines against one plain read of
// the file plus a bare prepared insert of the same rows into the same table (same indexes, one
// transaction); and 1000 ascending catalogue Ids read from that file, and an import that skips
// every line, each against one plain read of the file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "foundation/cvJob.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurImport.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLines = 500000;

struct TFolder {
  fs::path dir;
  TFolder() {
    std::string tmpl = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    std::ofstream f(dir / "gfhy0800.100");
    char b[256];
    for (int i = 0; i < kLines; ++i) {
      // 600 .. 800 nm, ascending, Fe I and Fe II, in the 160-column layout
      const double nm = 600.0 + 199.99 * i / kLines;
      std::snprintf(b, sizeof b,
                    " %10.4f%7.3f%6.2f%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                    "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d",
                    nm, -1.5 + (i % 100) * 0.01, i % 3 == 0 ? 26.01 : 26.00,
                    45000.0 + (i % 1000), 2.0, "4s5s e5D", 29000.0 + (i % 977), 1.0, "4s4p z5P",
                    7.93, -5.46, -7.58, "K88", 0, 0, 0, 0.0, 0, 0.0, 0, 0, "", 1503, 1835, 0);
      f << b << '\n';
    }
    LineData().KuruczFolder.Install([d = dir.string()] { return d + "/"; });
  }
  ~TFolder() { fs::remove_all(dir); }
};

TFolder& Folder() {
  static TFolder f;
  return f;
}

void PlainRead(benchmark::State& State) {
  for (auto _ : State) {
    std::ifstream f(Folder().dir / "gfhy0800.100");
    std::string line;
    size_t n = 0;
    while (std::getline(f, line)) n += line.size();
    benchmark::DoNotOptimize(n);
  }
}

void KurImport(benchmark::State& State) {
  int n = 0;
  for (auto _ : State) {
    State.PauseTiming();
    const std::string db = (Folder().dir / ("k" + std::to_string(n++) + ".db")).string();
    TDM D;
    D.Connect(db);
    TJob job("bench");
    TKurImportResult r;
    State.ResumeTiming();
    // the last tenth of the file's lines
    RunJob(job, [&](TJob& J) { LoadKurLines(J, D, 7799.8, 7999.9, r); });
    State.PauseTiming();
    if (r.Added < kLines / 10 - 10) State.SkipWithError("import incomplete");
    D.Disconnect();
    fs::remove(db);
    State.ResumeTiming();
  }
}

// The rows the import adds, as SQLite values read back from an imported table.
struct TRows {
  std::string Insert;  // the prepared insert naming every column
  int Columns = 0;
  std::vector<int> Types;  // per value
  std::vector<int64_t> Ints;
  std::vector<double> Reals;
  std::vector<std::string> Texts;
  size_t Count = 0;
};

const TRows& ImportedRows() {
  static const TRows R = [] {
    TRows R;
    const std::string db = (Folder().dir / "rows.db").string();
    TDM D;
    D.Connect(db);
    TJob job("bench");
    TKurImportResult r;
    RunJob(job, [&](TJob& J) { LoadKurLines(J, D, 7799.8, 7999.9, r); });
    sqlite3* h = D.ADOConnection.Handle();
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM KurLines ORDER BY rowid", -1, &q, nullptr);
    R.Columns = sqlite3_column_count(q);
    std::string names, params;
    for (int c = 0; c < R.Columns; ++c) {
      names += std::string(c ? ", " : "") + sqlite3_column_name(q, c);
      params += (c ? ", ?" : "?") + std::to_string(c + 1);
    }
    R.Insert = "INSERT INTO KurLines (" + names + ") VALUES (" + params + ")";
    while (sqlite3_step(q) == SQLITE_ROW) {
      ++R.Count;
      for (int c = 0; c < R.Columns; ++c) {
        const int t = sqlite3_column_type(q, c);
        R.Types.push_back(t);
        if (t == SQLITE_INTEGER) R.Ints.push_back(sqlite3_column_int64(q, c));
        if (t == SQLITE_FLOAT) R.Reals.push_back(sqlite3_column_double(q, c));
        if (t == SQLITE_TEXT)
          R.Texts.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, c)));
      }
    }
    sqlite3_finalize(q);
    D.Disconnect();
    fs::remove(db);
    return R;
  }();
  return R;
}

// The same rows inserted bare: one prepared statement, one transaction.
void BareInsert(sqlite3* H, const TRows& R) {
  sqlite3_exec(H, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(H, R.Insert.c_str(), -1, &s, nullptr);
  size_t k = 0, i = 0, d = 0, t = 0;
  for (size_t row = 0; row < R.Count; ++row) {
    for (int c = 1; c <= R.Columns; ++c) {
      switch (R.Types[k++]) {
        case SQLITE_INTEGER: sqlite3_bind_int64(s, c, R.Ints[i++]); break;
        case SQLITE_FLOAT: sqlite3_bind_double(s, c, R.Reals[d++]); break;
        case SQLITE_TEXT: {
          const std::string& x = R.Texts[t++];
          sqlite3_bind_text(s, c, x.data(), int(x.size()), SQLITE_STATIC);
          break;
        }
        default: sqlite3_bind_null(s, c); break;
      }
    }
    sqlite3_step(s);
    sqlite3_reset(s);
  }
  sqlite3_finalize(s);
  sqlite3_exec(H, "COMMIT", nullptr, nullptr, nullptr);
}

// One plain read of the file, then the bare insert of the rows the import adds.
void KurImport_Reference(benchmark::State& State) {
  const TRows& R = ImportedRows();
  int n = 0;
  for (auto _ : State) {
    State.PauseTiming();
    const std::string db = (Folder().dir / ("b" + std::to_string(n++) + ".db")).string();
    TDM D;
    D.Connect(db);
    State.ResumeTiming();
    {
      std::ifstream f(Folder().dir / "gfhy0800.100");
      std::string line;
      size_t len = 0;
      while (std::getline(f, line)) len += line.size();
      benchmark::DoNotOptimize(len);
    }
    BareInsert(D.ADOConnection.Handle(), R);
    State.PauseTiming();
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(D.ADOConnection.Handle(), "SELECT COUNT(*) FROM KurLines", -1, &q, nullptr);
    sqlite3_step(q);
    if (size_t(sqlite3_column_int64(q, 0)) != R.Count) State.SkipWithError("bare insert incomplete");
    sqlite3_finalize(q);
    D.Disconnect();
    fs::remove(db);
    State.ResumeTiming();
  }
}

// The bare insert alone (the share of SQLite's own cost in the reference).
void BareInsertOnly(benchmark::State& State) {
  const TRows& R = ImportedRows();
  int n = 0;
  for (auto _ : State) {
    State.PauseTiming();
    const std::string db = (Folder().dir / ("o" + std::to_string(n++) + ".db")).string();
    TDM D;
    D.Connect(db);
    State.ResumeTiming();
    BareInsert(D.ADOConnection.Handle(), R);
    State.PauseTiming();
    D.Disconnect();
    fs::remove(db);
    State.ResumeTiming();
  }
}

// The import of a range above the file: every line is read and left at its wavelength.
void KurImportSkipAll(benchmark::State& State) {
  const std::string db = (Folder().dir / "skip.db").string();
  TDM D;
  D.Connect(db);
  for (auto _ : State) {
    TJob job("bench");
    TKurImportResult r;
    RunJob(job, [&](TJob& J) { LoadKurLines(J, D, 7999.95, 7999.99, r); });
    if (r.Added != 0) State.SkipWithError("lines imported");
  }
  D.Disconnect();
  fs::remove(db);
}

void KurImportSkipAll_Reference(benchmark::State& State) { PlainRead(State); }

void KurLineById1000(benchmark::State& State) {
  Folder();
  for (auto _ : State) {
    TJob job("bench");
    RunJob(job, [&](TJob&) {
      KurLineByIdClose();
      for (int i = 1; i <= 1000; ++i) {
        const auto L = KurLineById(KurLineId('8', i * (kLines / 1000)));
        benchmark::DoNotOptimize(L.get());
      }
    });
  }
}

void KurLineById1000_Reference(benchmark::State& State) { PlainRead(State); }

}  // namespace

BENCHMARK(KurImport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(KurImport_Reference)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BareInsertOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(KurImportSkipAll)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(KurImportSkipAll_Reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(KurLineById1000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(KurLineById1000_Reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
