// The harness's table import: the bundled demo into a fresh database, a bad description refused
// with its text and a non-zero exit, the database left as it was.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace {

std::string Batch(const std::string& Args, int& Status) {
  return testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &Status);
}

TEST(InpHarness, ImportsTheDemoAndRefusesABadDescription) {
  testsupport::TempDir dir;
  const std::string db = dir.str() + "/cv.db";
  int st = -1;
  std::string out =
      Batch("import --db '" + db + "' '" + testsupport::SourceRoot() + "/data/INP/NISTLevels.INP'",
            st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("lines 4 skipped 0 added 4 edited 0"), std::string::npos) << out;
  EXPECT_EQ(testsupport::RunShell("sqlite3 '" + db +
                                  "' 'select J2, E_cm from NISTLevels order by E_cm'"),
            "4|29469.022\n2|29732.734\n4|45333.872\n0|45595.083\n");

  testsupport::WriteFile(dir.str() + "/bad.INP",
                         "[CASE]\nINPUT_DATA=1\n[INPUT_FILE]\nDIR=\nFILE=d.txt\n"
                         "[FLD_CALC]\nFLD_CALC_N=1\nFLD_CALC 1=Q SQRT W\n");
  testsupport::WriteFile(dir.str() + "/d.txt", "1\n");
  const std::string before = testsupport::RunShell("sqlite3 '" + db + "' .dump");
  out = Batch("import --db '" + db + "' '" + dir.str() + "/bad.INP'", st);
  EXPECT_NE(st, 0);
  EXPECT_NE(out.find("функция SQRT не предусмотрена!"), std::string::npos) << out;
  EXPECT_EQ(testsupport::RunShell("sqlite3 '" + db + "' .dump"), before);
}

}  // namespace
