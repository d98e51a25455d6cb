// "Load Kurucz g4,g6,gNat": the element codes and band files, the Fe I pair's constants from the
// bundled list, and a small band file that shows the search: energies too far apart passed over,
// the line that ends a failed search left for the next line of the table, a missing band file,
// a cancel that changes nothing.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurDamping.h"
#include "support/TestSupport.h"

namespace {

TEST(KurDamping, CodesAndBandFiles) {
  EXPECT_EQ(KurIonCode("Fe", 1), "26.00");
  EXPECT_EQ(KurIonCode("FE", 2), "26.01");
  EXPECT_EQ(KurIonCode("Ti", 2), "22.01");
  EXPECT_EQ(KurIonCode("C", 1), " 6.00");
  EXPECT_EQ(KurIonCode("O", 1), " 8.00");
  EXPECT_EQ(KurIonCode("Xx", 1), "");
  EXPECT_EQ(KurDampingFile(630.15), "gfhy0800.100");
  EXPECT_EQ(KurDampingFile(500.0), "gfhy0600.100");
  EXPECT_EQ(KurDampingFile(1199.9), "gfhy1200.100");
  EXPECT_EQ(KurDampingFile(499.9), "");
}

// A band-file line in the 160-column layout.
std::string Band(double Nm, const char* Code, double E1, double E2, double Rad, double Stark,
                 double Waals) {
  char b[256];
  std::snprintf(b, sizeof b,
                " %10.4f%7.3f%6s%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d",
                Nm, -1.0, Code, E2, 2.0, "4s5s e5D", E1, 1.0, "4s4p z5P", Rad, Stark, Waals, "K88",
                0, 0, 0, 0.0, 0, 0.0, 0, 0, "", 0, 0, 0);
  return b;
}

class KurDampingDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(D.Connect(dir.str() + "/cv.db"));
    Exec("delete from Lines_");
  }
  void Exec(const std::string& Sql) {
    sqlite3_exec(D.ADOConnection.Handle(), Sql.c_str(), nullptr, nullptr, nullptr);
    D.ADOConnection.RequeryOpenTables();
  }
  std::string Damping() {
    return testsupport::RunShell("sqlite3 '" + dir.str() +
                                 "/cv.db' 'select LIN6, Rad, Stark, Waals from Lines_ order by LIN6'");
  }
  testsupport::TempDir dir;
  TDM D;
};

TEST_F(KurDampingDb, TheFePairFromTheBundledList) {
  Exec("insert into Lines_ (LIN6, Atom, NIon, LAMB, ELOW) values "
       "('FE6301', 'Fe', 1, 6301.5012, 3.654), ('FE6302', 'Fe', 1, 6302.4936, 3.686)");
  TJob job("g46");
  TKurDampingResult r;
  ASSERT_TRUE(RunJob(job, [&](TJob& J) {
    LoadKuruczDamping(J, D, testsupport::SourceRoot() + "/data/KURUCZ/", r);
  }));
  EXPECT_EQ(r.Found, 2);
  EXPECT_EQ(Damping(), "FE6301|7.93|-5.46|-7.58\nFE6302|7.93|-5.43|-7.59\n");
}

TEST_F(KurDampingDb, SearchPassesOverGivesBackAndSkipsAMissingBand) {
  testsupport::WriteFile(
      dir.str() + "/gfhy0800.100",
      Band(610.0000, "26.00", 10000 + 300, 40000, 1, 2, 3) + "\n" +  // energy 300 cm-1 away
          Band(610.0000, "26.00", 10000 + 100, 40000, 4, 5, 6) + "\n" +  // the one
          Band(620.0000, "26.00", 20000, 40000, 7, 8, 9) + "\n" +        // ends the search of A
          "short line\n" +
          Band(620.0000, "26.00", 20000, 40000, 7, 8, 9) + "\n");
  const double ev = 8065.463122884277;
  char sql[512];
  std::snprintf(sql, sizeof sql,
                "insert into Lines_ (LIN6, Atom, NIon, LAMB, ELOW) values "
                "('A', 'Fe', 1, 6150.0, 1.0), ('B', 'Fe', 1, 6100.0, %.9f), "
                "('C', 'Fe', 1, 6200.0, %.9f), ('D', 'Fe', 1, 9000.0, 1.0)",
                10000 / ev, 20000 / ev);
  Exec(sql);
  TJob job("g46");
  TKurDampingResult r;
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { LoadKuruczDamping(J, D, dir.str(), r); }));
  EXPECT_EQ(r.Records, 4);
  EXPECT_EQ(r.Found, 2);
  // B (610 nm) takes the second line; A (615 nm) fails at the 620 nm line, which C then finds
  EXPECT_EQ(Damping(), "A|||\nB|4.0|5.0|6.0\nC|7.0|8.0|9.0\nD|||\n");
  std::string warnings;
  for (const auto& w : job.Warnings()) warnings += w.Text + "\n";
  EXPECT_NE(warnings.find("gfhy1200.100"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("Линия A в таблицах Kurucz не найдена!"_cp), std::string::npos) << warnings;

  // a cancelled run writes nothing
  Exec("update Lines_ set Rad = null, Stark = null, Waals = null");
  TJob cancelled("g46");
  cancelled.Cancel();
  EXPECT_FALSE(RunJob(cancelled, [&](TJob& J) { LoadKuruczDamping(J, D, dir.str(), r); }));
  EXPECT_EQ(Damping(), "A|||\nB|||\nC|||\nD|||\n");
}

}  // namespace
