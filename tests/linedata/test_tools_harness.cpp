// The Start tab's line-data tools through the harness: a VALD answer into a fresh database, the
// repeated lines listed, then deleted only when the question is answered yes; a clear without a
// range refused with a non-zero exit; the Zeeman numbers of the Fe I pair.
#include <gtest/gtest.h>

#include <cstdio>
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

// The Zeeman numbers of the LS-coupled lines from the program's own patterns: the Fe I pair.
TEST(ToolsHarness, ZeemanFillOfTheFePair) {
  testsupport::TempDir dir;
  const std::string db = dir.str() + "/cv.db";
  int st = -1;
  std::string out = Batch("cleanup --db '" + db + "' dupes 0 0", st);
  ASSERT_EQ(st, 0) << out;
  testsupport::RunShell("sqlite3 '" + db + "' \"delete from Lines_; insert into Lines_ "
                        "(LIN6, LAMB, GLT, GUT, JL2, GL, JU2, GU) values "
                        "('FE6302', 6302.49, 'L', 'L', 2, 2.5, 0, 0), "
                        "('FE6301', 6301.5, 'L', 'T', 4, 1.75, 4, 1.5), "
                        "('FE5701', 5701.0, 'E', 'E', 0, 0, 2, 1.29)\"");
  out = Batch("zeeman-fill --db '" + db + "'", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("updated 2,"), std::string::npos) << out;
  EXPECT_EQ(testsupport::RunShell("sqlite3 '" + db +
                                  "' 'select LIN6, NComp, NPi, round(GEff, 9) from Lines_ "
                                  "order by LAMB'"),
            "FE5701|||\nFE6301|6|2|1.625\nFE6302|2|1|2.5\n");
}

// Orbitals, then levels of the Fe I pair; the accepted lines listed.
TEST(ToolsHarness, OrbitalsAndLevels) {
  testsupport::TempDir dir;
  const std::string db = dir.str() + "/cv.db";
  auto cat = [](double Lam, double E1, double J1, const char* L1, double E2, double J2,
                const char* L2, int G1, int G2) {
    char b[256];
    std::snprintf(b, sizeof b,
                  "%10.4f%7.3f%6.2f%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                  "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d",
                  Lam, -1.0, 26.0, E1, J1, L1, E2, J2, L2, 7.9, -5.4, -7.6, "", 0, 0, 0, 0.0, 0,
                  0.0, 0, 0, "", G1, G2, 0);
    return std::string(b);
  };
  testsupport::WriteFile(dir.str() + "/fe.txt",
                         cat(630.1501, 45333.872, 2.0, "4s5s e5D", 29469.022, 2.0, "4s4p z5P",
                             1503, 1835) +
                             "\n" +
                             cat(630.2494, 45595.083, 0.0, "4s5s e5D", 29732.734, 1.0,
                                 "4s4p z5P", 0, 2487) +
                             "\n");
  int st = -1;
  std::string out = Batch("levels --db '" + db + "' '" + dir.str() + "/fe.txt' 1 1", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("== Строки загрузки атомных орбиталей"), std::string::npos) << out;
  EXPECT_NE(out.find("lines 2, used 2, short 0, orbits 2, levels 0"), std::string::npos) << out;
  out = Batch("levels --db '" + db + "' '" + dir.str() + "/fe.txt' 2 3", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("orbits 0, levels 4"), std::string::npos) << out;
  EXPECT_EQ(testsupport::RunShell("sqlite3 '" + db + "' 'select sKur, qJ2, g_num, g_denom from Levels order by E_cm'"),
            "4s4p z5P|4|11|6\n4s4p z5P|2|5|2\n4s5s e5D|4|3|2\n4s5s e5D|0|0|1\n");
}

}  // namespace
