// The harness's failure paths, as a user meets them: a scan that is not there, a restore from a
// missing or empty folder, into a file that is no database or into a locked one, and imports
// rolled back by a bad line. Each says which file and why, exits 1, creates no database and
// never claims rows were added.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Batch(const std::string& Args, int& Status) {
  return testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &Status);
}

bool Has(const std::string& Out, const std::string& Part) {
  return Out.find(Part) != std::string::npos;
}

TEST(BatchFailures, InfoOfAScanThatIsNotThere) {
  testsupport::TempDir dir;
  int st = -1;
  std::string out = Batch("info 20990101_000000", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, "scan folder") && Has(out, "20990101_000000: not found")) << out;
  EXPECT_FALSE(Has(out, "files: ")) << out;
  // a folder named as a scan without slit-position files
  const std::string empty = dir.file("20990101_000000");
  fs::create_directories(empty);
  out = Batch("info '" + empty + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, empty + ": no slit-position files")) << out;
}

TEST(BatchFailures, RestoreNamesTheFolderOrTheDatabaseAndWhy) {
  testsupport::TempDir dir;
  const std::string db = dir.file("new.db");
  int st = -1;
  // a missing folder: said without --warn, no database made
  std::string out = Batch("restore --db '" + db + "' '" + dir.file("nothere") + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, "autosave folder " + dir.file("nothere") + ": not found")) << out;
  EXPECT_FALSE(fs::exists(db));
  // a folder without table files
  const std::string bare = dir.file("bare");
  fs::create_directories(bare);
  testsupport::WriteFile(bare + "/notes.md", "x");
  out = Batch("restore --db '" + db + "' '" + bare + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, bare + ": no table files")) << out;
  EXPECT_FALSE(fs::exists(db));
  // a folder with a table file, restored into a file that is no database: left as it was
  const std::string saved = dir.file("saved");
  fs::create_directories(saved);
  testsupport::WriteFile(saved + "/LGGF.txt", "");
  const std::string text = dir.file("notes.db");
  testsupport::WriteFile(text, std::string(2048, 'x'));
  out = Batch("restore --db '" + text + "' '" + saved + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, "line database " + text + ": ") &&
              Has(out, "не является базой данных SQLite"))
      << out;
  EXPECT_EQ(testsupport::ReadFile(text), std::string(2048, 'x'));
  // into a database another process holds locked
  const std::string locked = dir.file("locked.db");
  out = Batch("cleanup --db '" + locked + "' dupes 0 0", st);  // made by the harness
  ASSERT_EQ(st, 0) << out;
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(locked.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  out = Batch("restore --db '" + locked + "' '" + saved + "'", st);
  sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, "line database " + locked + ": ") && Has(out, "заблокирована")) << out;
}

// One row of a Fe table in its fixed columns.
std::string FeRow(const std::string& Lam) {
  std::string s(56, ' ');
  auto put = [&s](size_t From, size_t To, const std::string& V) {
    const size_t w = To - From + 1;
    s.replace(From - 1, w, V.size() >= w ? V.substr(0, w) : std::string(w - V.size(), ' ') + V);
  };
  put(1, 8, Lam);
  put(9, 13, "3.686");
  put(14, 17, "816");
  put(19, 23, "0.650");
  put(25, 28, "11");
  put(29, 33, "12");
  put(34, 39, "-1.10");
  put(40, 45, "-1.16");
  put(46, 52, "83.0");
  put(54, 56, "FE1");
  return s + "\n";
}

TEST(BatchFailures, ImportsRolledBackAddNothingAndSaySo) {
  testsupport::TempDir dir;
  const std::string db = dir.file("cv.db");
  int st = -1;
  // missing files: named, no database made
  std::string out = Batch("vald --db '" + db + "' '" + dir.file("none.txt") + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, "VALD file " + dir.file("none.txt") + ": not found")) << out;
  out = Batch("fetable --db '" + db + "' '" + dir.file("none.dat") + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_TRUE(Has(out, "Fe table " + dir.file("none.dat") + ": not found")) << out;
  EXPECT_FALSE(fs::exists(db));

  out = Batch("cleanup --db '" + db + "' dupes 0 0", st);
  ASSERT_EQ(st, 0) << out;
  const std::string count = "sqlite3 '" + db + "' 'select count(*) from Lines_'";
  const std::string before = testsupport::RunShell(count);
  // a VALD answer whose second line has a bad number
  testsupport::WriteFile(
      dir.file("vald.txt"),
      "'Fe 1', 6302.4936, 3.6864, -1.131, 8.190,-5.670,-7.820, 2.500,'K07'\n"
      "'Fe 1', 6303.4936, 3.6x64, -1.131, 8.190,-5.670,-7.820, 2.500,'K07'\n");
  out = Batch("vald --db '" + db + "' '" + dir.file("vald.txt") + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_FALSE(Has(out, "added 1")) << out;
  EXPECT_TRUE(Has(out, "nothing added") && Has(out, dir.file("vald.txt"))) << out;
  EXPECT_EQ(testsupport::RunShell(count), before);
  // a Fe table whose second row has a bad wavelength
  testsupport::WriteFile(dir.file("fe.dat"),
                         "  Э Л Е М Е Н Т  FE1\n" + FeRow("6302.499") + FeRow("63x2.600"));
  out = Batch("fetable --db '" + db + "' '" + dir.file("fe.dat") + "'", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_FALSE(Has(out, "added 1")) << out;
  EXPECT_TRUE(Has(out, "nothing added") && Has(out, "fe.dat:3:")) << out;
  EXPECT_EQ(testsupport::RunShell(count), before);
  // a run that commits says what it added
  testsupport::WriteFile(dir.file("good.dat"), "  Э Л Е М Е Н Т  FE1\n" + FeRow("6302.499"));
  out = Batch("fetable --db '" + db + "' '" + dir.file("good.dat") + "'", st);
  EXPECT_EQ(st, 0) << out;
  EXPECT_TRUE(Has(out, "added ")) << out;
}

}  // namespace
