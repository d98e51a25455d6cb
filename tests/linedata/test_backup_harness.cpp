// Auto Save and Auto Load through the harness, with the backup killed (SIGKILL) at random moments
// twenty times: the restore of the newest folder always loads a whole backup, never the cut
// table files of a killed one.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Batch(const std::string& Args, int& Status) {
  return testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &Status);
}

std::string Sql(const std::string& Db, const std::string& Query) {
  return testsupport::RunShell("sqlite3 '" + Db + "' \"" + Query + "\"");
}

TEST(BackupHarness, AKilledBackupIsNeverWhatTheRestoreTakes) {
  testsupport::TempDir dir;
  const std::string db = dir.str() + "/cv.db", saves = dir.str() + "/saves";
  constexpr int kRows = 10000;
  int st = -1;
  // a database made by the harness, then 10 000 KurLines records
  std::string out = Batch("cleanup --db '" + db + "' dupes 0 0", st);
  ASSERT_EQ(st, 0) << out;
  Sql(db, "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < " +
              std::to_string(kRows) +
              ") INSERT INTO KurLines (Id, LAMB, ELEM, Ref) SELECT 'ax' || i, 5000 + i * 0.01, "
              "2600, 'a reference text' FROM c");
  ASSERT_EQ(Sql(db, "SELECT count(*) FROM KurLines"), std::to_string(kRows) + "\n");

  // one whole backup first, timed
  const auto t0 = std::chrono::steady_clock::now();
  out = Batch("backup --db '" + db + "' --saves '" + saves + "'", st);
  ASSERT_EQ(st, 0) << out;
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();

  std::mt19937 random(20261211);
  std::uniform_real_distribution<double> at(0.0, 1.3 * ms / 1000.0);
  int cut = 0;
  for (int k = 0; k < 20; ++k) {
    SCOPED_TRACE("kill " + std::to_string(k));
    char delay[32];
    std::snprintf(delay, sizeof delay, "%.3f", at(random));
    testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' backup --db '" + db +
                          "' --saves '" + saves + "' >/dev/null 2>&1 & p=$!; sleep " + delay +
                          "; kill -9 $p 2>/dev/null; wait $p 2>/dev/null");
    const std::string fresh = dir.str() + "/r" + std::to_string(k) + ".db";
    out = Batch("restore-last --db '" + fresh + "' --saves '" + saves + "' --yes", st);
    ASSERT_EQ(st, 0) << out;
    EXPECT_EQ(Sql(fresh, "SELECT count(*) FROM KurLines"), std::to_string(kRows) + "\n") << out;
    const size_t p = out.find("restore ");
    ASSERT_NE(p, std::string::npos) << out;
    const std::string from = out.substr(p + 8, out.find('\n', p) - p - 8);
    EXPECT_FALSE(fs::exists(from + "/AutoSave.incomplete")) << from;
  }
  // the kills landed inside backups: their folders are still marked, with cut table files
  for (const auto& e : fs::directory_iterator(saves))
    if (fs::exists(e.path() / "AutoSave.incomplete")) ++cut;
  EXPECT_GT(cut, 3);
  std::printf("[ measured ] backup of %d KurLines records: %.0f ms; %d of 20 kills cut one\n",
              kRows, ms, cut);
}

}  // namespace
