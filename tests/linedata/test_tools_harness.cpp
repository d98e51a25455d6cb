// The Start tab's line-data tools through the harness: a VALD answer into a fresh database, the
// repeated lines listed, then deleted only when the question is answered yes; a clear without a
// range refused with a non-zero exit.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace {

std::string Batch(const std::string& Args, int& Status) {
  return testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &Status);
}

TEST(ToolsHarness, ValdImportThenCleanups) {
  testsupport::TempDir dir;
  const std::string db = dir.str() + "/cv.db";
  testsupport::WriteFile(
      dir.str() + "/vald.txt",
      "Elm Ion      WL_air(A)  Excit(eV)   log gf*  Rad.   Stark    Waals    factor  References\n"
      "'Fe 1', 6302.4936, 3.6864, -1.131, 8.190,-5.670,-7.820, 2.500,'K07'\n"
      "'Pb 1', 6302.6000, 1.0000, -2.000, 8.000,-5.000,-7.000, 1.000,'x'\n"
      "'FE 3', 5701.0710, 25.0490, 0.118, 9.296,-4.877,-7.712, 1.290,'GFIRON ext. (Ca-Ni) 5000-6000'\n");
  int st = -1;
  // a fresh database (made on first use, with the demo's lines), its line table emptied
  std::string out = Batch("cleanup --db '" + db + "' dupes 0 0", st);
  ASSERT_EQ(st, 0) << out;
  testsupport::RunShell("sqlite3 '" + db + "' 'delete from Lines_'");
  out = Batch("vald --db '" + db + "' '" + dir.str() + "/vald.txt'", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("added 3, updated 0, skipped 1"), std::string::npos) << out;
  EXPECT_EQ(testsupport::RunShell("sqlite3 '" + db + "' 'select LIN6, GUT, GU from Lines_ order by LAMB'"),
            "FE5701071|E|1.29\nFE6302493|E|2.5\nPB6302600|E|1.0\n");
  // heavy lines: listed; deleted only with the answer yes
  out = Batch("cleanup --db '" + db + "' heavy 0 0", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("deleted 0, merged 0, reported 1"), std::string::npos) << out;
  out = Batch("cleanup --db '" + db + "' --delete heavy 6000 7000", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("Удаление отменено"), std::string::npos) << out;
  out = Batch("cleanup --db '" + db + "' --delete --yes heavy 6000 7000", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("deleted 1,"), std::string::npos) << out;
  EXPECT_EQ(testsupport::RunShell("sqlite3 '" + db + "' 'select LIN6 from Lines_ order by LIN6'"), "FE5701071\nFE6302493\n");
  // no range: refused
  out = Batch("cleanup --db '" + db + "' --yes clear 0 0", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_NE(out.find("диапазон длин волн не задан"), std::string::npos) << out;
}

}  // namespace
