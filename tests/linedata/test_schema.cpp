// The line database's schema: a database made before the last tables were added gains them on
// open and keeps its rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/support/LineDataEnv.h"

namespace {

const char* const kLateTables[] = {"ModPar",   "VEMO",    "FrameItem", "FrameSet", "LineItem",
                                   "LineSet",  "ACSet",   "ACItem",    "Graf",     "GRAD"};

// The INSERT lines of a dump, in order.
std::vector<std::string> Rows(const std::string& Dump) {
  std::vector<std::string> rows;
  size_t a = 0;
  while (a < Dump.size()) {
    size_t b = Dump.find('\n', a);
    if (b == std::string::npos) b = Dump.size();
    const std::string l = Dump.substr(a, b - a);
    if (l.rfind("INSERT INTO", 0) == 0 && l.find("sqlite_sequence") == std::string::npos)
      rows.push_back(l);
    a = b + 1;
  }
  return rows;
}

class SchemaTest : public LineDataEnv {};

TEST_F(SchemaTest, AnOldDatabaseGainsTheLateTablesAndKeepsItsRows) {
  const std::string file = Root("GEDA/cv.db");
  ASSERT_TRUE(DM->Connect());
  for (const char* t : kLateTables) {
    EXPECT_FALSE(DM->ADOConnection.FindTable(t).empty()) << t;
    DM->ADOConnection.Exec(std::string("DROP TABLE \"") + t + "\"");
  }
  // an index added later (the hyperfine groups' lookup) is made on open as well
  DM->ADOConnection.Exec("DROP INDEX \"ix_KurLines_ELEM_ELO_lgGF\"");
  TcvTable& L = DM->ADOLines_;
  L.Open();
  for (const char* key : {"FE6301", "FE6302"}) {
    L.Append();
    L.FieldByName("LIN6").SetAsString(key);
    L.FieldByName("LAMB").SetAsFloat(6301.5);
    L.Post();
  }
  L.Close();
  DM->Disconnect();
  const std::vector<std::string> before = Rows(SqliteDump(file));
  ASSERT_EQ(before.size(), 2u);
  for (const char* t : kLateTables)
    ASSERT_EQ(SqliteDump(file).find(std::string("\"") + t + "\""), std::string::npos) << t;
  ASSERT_EQ(SqliteDump(file).find("ix_KurLines_ELEM_ELO_lgGF"), std::string::npos);

  ASSERT_TRUE(DM->Connect());
  EXPECT_FALSE(DM->Created());
  for (const char* t : kLateTables) {
    ASSERT_FALSE(DM->ADOConnection.FindTable(t).empty()) << t;
    const std::vector<TFieldDef> defs = DM->ADOConnection.FieldDefs(t);
    ASSERT_FALSE(defs.empty()) << t;
    // the backup's record-number key: its name begins with "Id", an integer the database gives
    EXPECT_EQ(defs[0].Name, std::string("Id") + t);
    EXPECT_TRUE(defs[0].PrimaryKey) << t;
  }
  EXPECT_NE(SqliteDump(file).find(
                "CREATE INDEX \"ix_KurLines_ELEM_ELO_lgGF\" ON \"KurLines\" (\"ELEM\", \"ELO\", \"lgGF\")"),
            std::string::npos);
  // a row of a new table is kept like any other
  DM->ADOConnection.Exec("INSERT INTO \"Graf\" (\"IdGraf\") VALUES (7)");
  DM->Disconnect();
  const std::string after = SqliteDump(file);
  const std::vector<std::string> rows = Rows(after);
  for (const std::string& r : before)
    EXPECT_NE(std::find(rows.begin(), rows.end(), r), rows.end()) << r;
  EXPECT_EQ(rows.size(), before.size() + 1);

  // opening again changes nothing
  ASSERT_TRUE(DM->Connect());
  DM->Disconnect();
  EXPECT_EQ(SqliteDump(file), after);
}

}  // namespace
