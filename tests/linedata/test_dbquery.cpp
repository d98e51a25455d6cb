// The Data tab's query builder: the statement from the grids (shown with its values, run with
// them bound), the sort grid's order clicks, the filter grid's order, the text dump, the energy
// converter, a cancelled query, and the harness's dbquery on a fresh database.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "linedata/cvDBQuery.h"
#include "linedata/cvDM.h"
#include "support/TestSupport.h"

namespace {

bool TextFields(const std::string& F) { return F == "Atom" || F == "LIN6"; }

TDBFiltRow Filt(const char* Field, bool On, const char* O1, const char* V1, const char* O2 = "",
                const char* V2 = "") {
  TDBFiltRow r;
  r.Field = Field;
  r.On = On;
  r.Op1 = O1;
  r.Val1 = V1;
  r.Op2 = O2;
  r.Val2 = V2;
  return r;
}

TEST(DBQuery, StatementsFromTheGrids) {
  struct TCase {
    std::vector<TDBFiltRow> Filt;
    std::vector<TDBSortRow> Sort;
    std::string Text, Select;
    size_t Params;
  };
  const std::vector<TCase> cases = {
      {{Filt("LAMB", true, ">", "5000", "<", "6000")},
       {{"LAMB", 0, 1, false}, {"ELOW", 1, 2, true}, {"GL", 2, 99, false}},
       "select * from Lines_ where (LAMB > 5000) AND (LAMB < 6000) order by LAMB,ELOW DESC",
       "select * from Lines_ where (LAMB > ?) AND (LAMB < ?) order by LAMB,ELOW DESC", 2},
      {{Filt("Atom", true, "=", "Fe")}, {},
       "select * from Lines_ where (Atom = 'Fe')", "select * from Lines_ where (Atom = ?)", 1},
      // switched on with both operators empty, or switched off: no condition
      {{Filt("LAMB", true, "", "1"), Filt("GL", false, ">", "2")}, {},
       "select * from Lines_", "select * from Lines_", 0},
      // an operator not of the list is no condition
      {{Filt("LAMB", true, "; drop", "1")}, {}, "select * from Lines_", "select * from Lines_", 0},
  };
  for (const TCase& c : cases) {
    const TDBStatement s = BuildDBStatement("Lines_", c.Sort, c.Filt, TextFields);
    EXPECT_EQ(s.Text, c.Text);
    EXPECT_EQ(s.Select, c.Select);
    EXPECT_EQ(s.Params.size(), c.Params) << c.Text;
  }
  // values are bound as typed: numbers of numeric fields as numbers, texts as texts
  const TDBStatement s = BuildDBStatement(
      "Lines_", {}, {Filt("LAMB", true, ">", "5000.5"), Filt("Atom", true, "=", "O'Brien")},
      TextFields);
  ASSERT_EQ(s.Params.size(), 2u);
  EXPECT_EQ(std::get<double>(s.Params[0]), 5000.5);
  EXPECT_EQ(std::get<std::string>(s.Params[1]), "O'Brien");
}

TEST(DBQuery, SortClicksAndFilterOrder) {
  auto ords = [](const std::vector<TDBSortRow>& R) {
    std::string s;
    for (const auto& r : R) s += r.Field + ":" + std::to_string(r.Ord) + " ";
    return s;
  };
  std::vector<TDBSortRow> rows = {{"A", 0, 99}, {"B", 1, 99}, {"C", 2, 99}, {"D", 3, 99}};
  DBSortClick(rows, 2);  // C joins: 1
  DBSortClick(rows, 1);  // rows now C, A, B, D: A joins: 2
  DBSortClick(rows, 3);  // D joins: 3
  EXPECT_EQ(ords(rows), "C:1 A:2 D:3 B:99 ");
  // the middle of three leaves; the third moves down
  DBSortClick(rows, 1);
  EXPECT_EQ(ords(rows), "C:1 D:2 A:99 B:99 ");
  // the last leaves
  DBSortClick(rows, 1);
  EXPECT_EQ(ords(rows), "C:1 A:99 B:99 D:99 ");

  std::vector<TDBFiltRow> f = {Filt("A", false, "", ""), Filt("B", true, "", ""),
                               Filt("C", false, "", ""), Filt("D", true, "", "")};
  for (int i = 0; i < 4; ++i) f[static_cast<size_t>(i)].FldN = i;
  DBFiltSort(f);
  std::string order;
  for (const auto& r : f) order += r.Field;
  EXPECT_EQ(order, "BDAC");
}

TEST(DBQuery, DumpAndConverter) {
  TDBResult r;
  r.Fields = {"LIN6", "Two words"};
  r.Rows = {{"FE6302", "a b "}, {"", "1.5"}};
  const std::vector<std::string> lines = DBDumpLines(r);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], " LIN6 Two_words");
  EXPECT_EQ(lines[1], " FE6302 a_b");
  EXPECT_EQ(lines[2], " <> 1.5");
  EXPECT_EQ(EVToCm1Text(1), "8065.463");
  EXPECT_EQ(EVToCm1Text(2.12345678), "17126.66");
  EXPECT_EQ(Cm1ToEVText(8065.46312), "1.000000");
}

// A fresh database (the demo's lines) queried through a job; a cancelled job fills nothing.
TEST(DBQuery, RunOnADatabaseAndCancel) {
  testsupport::TempDir dir;
  TDM D;
  ASSERT_TRUE(D.Connect(dir.str() + "/cv.db"));
  D.ADOConnection.Exec("DELETE FROM Lines_");
  D.ADOConnection.Exec(
      "INSERT INTO Lines_ (LIN6, Atom, LAMB) VALUES ('FE6302', 'Fe', 6302.4936), "
      "('FE6301', 'Fe', 6301.5012), ('FE5250', 'Fe', 5250.2), ('FE6303', 'Fe', 6303.5)");
  const TDBStatement s = BuildDBStatement(
      "Lines_", {{"LAMB", 0, 1, false}}, {Filt("LAMB", true, ">", "6300", "<", "6303")},
      [](const std::string& F) { return F == "LIN6"; });
  TDBResult r;
  TJob job("q");
  ASSERT_TRUE(RunDBQuery(job, D.ADOConnection, s.Select, s.Params, s.Text, r)) << job.Error();
  ASSERT_EQ(r.Rows.size(), 2u);
  EXPECT_EQ(r.Statement, s.Text);
  size_t lam = 0;
  while (lam < r.Fields.size() && r.Fields[lam] != "LAMB") ++lam;
  ASSERT_LT(lam, r.Fields.size());
  double last = 0;
  for (const auto& row : r.Rows) {
    const double x = std::stod(row[lam]);
    EXPECT_GT(x, 6300);
    EXPECT_LT(x, 6303);
    EXPECT_GE(x, last);
    last = x;
  }
  TJob cancelled("q");
  cancelled.Cancel();
  TDBResult none;
  EXPECT_FALSE(RunDBQuery(cancelled, D.ADOConnection, s.Select, s.Params, s.Text, none));
  EXPECT_TRUE(none.Rows.empty());
  // a statement the database cannot read: the job fails with the database's text
  TJob bad("q");
  EXPECT_FALSE(RunDBQuery(bad, D.ADOConnection, "select * from NoSuchTable", {}, "x", none));
  EXPECT_FALSE(bad.Error().empty());
}

std::string Batch(const std::string& Args, int& Status) {
  return testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &Status);
}

TEST(DBQueryHarness, TheFePairSortedAndAValueThatIsNoSql) {
  testsupport::TempDir dir;
  const std::string db = dir.str() + "/cv.db";
  int st = -1;
  std::string out = Batch("dbquery --db '" + db +
                              "' Lines_ --filt LAMB '>' 6000 '<' 6400 --filt LIN6 = FE6302 - x --sort LAMB",
                          st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("select * from Lines_ where (LAMB > 6000) AND (LAMB < 6400) AND "
                     "(LIN6 = 'FE6302') order by LAMB\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(" FE6302 "), std::string::npos) << out;
  EXPECT_EQ(out.find(" FE6301 "), std::string::npos) << out;
  // a value holding SQL is compared as a value: no rows, the table intact
  out = Batch("dbquery --db '" + db + "' Lines_ --filt LIN6 = \"x') OR (1=1\" - x", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_EQ(out.find(" FE6302 "), std::string::npos) << out;
  out = Batch("dbquery --db '" + db + "' NoTable", st);
  EXPECT_EQ(st, 1) << out;
  out = Batch("dbquery --db '" + db + "' Lines_ --filt LAMB '=>' 1 - x", st);
  EXPECT_EQ(st, 2) << out;
}

// Programs started together on a missing database: one makes it, every one opens it complete.
TEST(DBQueryHarness, ProgramsStartingTogetherShareOneNewDatabase) {
  testsupport::TempDir dir;
  for (int round = 0; round < 3; ++round) {
    const std::string db = dir.str() + "/cv" + std::to_string(round) + ".db";
    const std::string out = dir.str() + "/out" + std::to_string(round);
    int st = -1;
    testsupport::RunShell("for k in 1 2 3 4 5 6; do ('" + std::string(CORVESTA_BATCH) +
                              "' dbquery --db '" + db + "' Lines_ --filt LIN6 = FE6302 - x > '" +
                              out + ".'$k 2>&1; echo $? >> '" + out + ".'$k) & done; wait",
                          &st);
    ASSERT_EQ(st, 0);
    for (int k = 1; k <= 6; ++k) {
      const std::string text = testsupport::ReadFile(out + "." + std::to_string(k));
      EXPECT_NE(text.find(" FE6302 "), std::string::npos) << text;
      EXPECT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "0\n") == 0) << text;
    }
  }
  // no half-made database is left behind
  for (const auto& e : std::filesystem::directory_iterator(dir.str()))
    EXPECT_EQ(e.path().filename().string().find(".new"), std::string::npos) << e.path();
}

}  // namespace
