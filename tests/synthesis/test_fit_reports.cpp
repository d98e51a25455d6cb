// Line labels, the Voigt table (against e^-v^2 and Dawson's integral) and the W/D write-back into
// the line table: the question, the rounded values, a skipped line, and one transaction that a
// failure leaves unwritten.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvTable.h"
#include "support/TestSupport.h"
#include "synthesis/fit/cvFitReports.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/support/SynEnv.h"

namespace {

TEST(LineLabels, ElementStageAndWavelength) {
  EXPECT_EQ(ATNILAStr("Fe", 1, 6302.5), "Fe I  6302.5  ");
  EXPECT_EQ(ATNILAStr("Fe", 1, 6300.0), "Fe I  6300.   ");
  EXPECT_EQ(ATNILAStr("Fe", 3, 6300.25), "Fe III 6300.25 ");
  EXPECT_EQ(ATNILAStr("C", 5, 1000.123), "C  5  1000.123");
}

TEST(VoigtTable, FortyTwoLinesAgainstIndependentValues) {
  TStringList t;
  t.Add("old");
  VoigTable(t);
  ASSERT_EQ(t.Count(), 42);
  EXPECT_EQ(t[0].rfind("V \\ A = ", 0), 0u);
  EXPECT_EQ(t[1].substr(0, 4), " 2.0");
  EXPECT_EQ(t[41].substr(0, 4), "-2.0");
  // columns: v (4) + 4 blanks, then 5 H and 5 F of 7 characters each
  auto col = [&](int Row, int C) { return std::stod(t[Row].substr(8 + 7 * C, 7)); };
  const int v0 = 21, v1 = 11;  // rows of v = 0 and v = 1
  EXPECT_EQ(t[v0].substr(0, 4), " 0.0");
  EXPECT_EQ(col(v0, 0), 1.0);
  EXPECT_NEAR(col(v1, 0), std::exp(-1.0), 5e-4);
  EXPECT_NEAR(col(1, 0), std::exp(-4.0), 5e-4);
  // F(0, v) = Dawson(v) / sqrt(pi); Dawson(1) = 0.5380795069 (Abramowitz & Stegun table 7.5)
  EXPECT_NEAR(col(v1, 5), 0.5380795069 / std::sqrt(M_PI), 5e-4);
  EXPECT_EQ(col(v0, 5), 0.0);
}

// A line table in a fresh database and two measured profiles (Gaussian depressions).
struct TWDFixture {
  testsupport::SynEnv env;
  testsupport::TempDir dir;
  TDM D;
  std::vector<std::unique_ptr<TUNNO>> us;
  TWDFixture() {
    EXPECT_TRUE(D.Connect(dir.file("cv.db")));
    D.ADOConnection.Exec(
        "INSERT INTO Lines_ (LIN6, Atom, LAMB, NIon, WHM, DHM) VALUES "
        "('FE6302', 'FE', 6302.4936, 1, 1, 1), ('FE6301', 'FE', 6301.5012, 1, 2, 2)");
    for (const char* id : {"FE6302", "XX0000", "FE6301"}) {
      auto u = std::make_unique<TUNNO>();
      testsupport::TLine line;
      testsupport::MakeFull(*u, line, line.L0 - 0.4, line.L0 + 0.4, 0.002);
      u->sULin = id;
      us.push_back(std::move(u));
    }
  }
  std::vector<TUNNO*> Profiles() {
    std::vector<TUNNO*> p;
    for (auto& u : us) p.push_back(u.get());
    return p;
  }
  // "W D" of a line.
  std::string WD(const std::string& Lin) {
    TcvTable t(&D.ADOConnection, "");
    t.SetSQL("SELECT WHM, DHM FROM Lines_ WHERE LIN6 = ?", {TextValue(Lin)});
    t.Open();
    char b[64];
    std::snprintf(b, sizeof b, "%.2f %.2f", t.FieldByName("WHM").AsFloat(),
                  t.FieldByName("DHM").AsFloat());
    t.Close();
    return b;
  }
};

TEST(FillWDWriteBack, YesWritesRoundedWidthsAndDepthsNoChangesNothing) {
  TWDFixture f;
  {
    TJob job("FillWD");
    job.PresetAnswers = {false};
    bool wrote = true;
    ASSERT_TRUE(RunJob(job, [&](TJob& J) { wrote = FillWD(J, f.D, "HM", f.Profiles()); }));
    EXPECT_FALSE(wrote);
    EXPECT_EQ(f.WD("FE6302"), "1.00 1.00");
    ASSERT_EQ(job.Questions().size(), 1u);
    EXPECT_NE(job.Questions()[0].find("Заменить значения полей WHM и DHM"_cp), std::string::npos);
  }
  TJob job("FillWD");
  job.PresetAnswers = {true};
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { EXPECT_TRUE(FillWD(J, f.D, "HM", f.Profiles())); }));
  // a Gaussian of depth 0.6 and 1/e half width 50 mA: W = 0.6 * 50 * sqrt(pi) mA
  const double w = std::round(0.6 * 50 * std::sqrt(M_PI) * 100) / 100;
  char expect[64];
  std::snprintf(expect, sizeof expect, "%.2f 60.00", w);
  EXPECT_EQ(f.WD("FE6302"), expect);
  EXPECT_EQ(f.WD("FE6301"), expect);
  // the line that is not in the table was warned about and skipped
  int posts = 0;
  for (const auto& wn : job.Warnings()) posts += wn.Text.find("POST!") != std::string::npos;
  EXPECT_EQ(posts, 2);
}

TEST(FillWDWriteBack, AFailureLeavesTheTableAsItWas) {
  TWDFixture f;
  f.us[2]->CONT = 0;  // the third profile cannot be measured: ErrAbs after two rows were posted
  f.us[2]->KCONT = 0;
  TJob job("FillWD");
  job.PresetAnswers = {true};
  EXPECT_FALSE(RunJob(job, [&](TJob& J) { FillWD(J, f.D, "HM", f.Profiles()); }));
  EXPECT_EQ(f.WD("FE6302"), "1.00 1.00");
  // a missing field fails the same way
  TJob job2("FillWD");
  job2.PresetAnswers = {true};
  f.us[2]->CONT = 1;
  EXPECT_FALSE(RunJob(job2, [&](TJob& J) { FillWD(J, f.D, "XY", f.Profiles()); }));
  EXPECT_EQ(f.WD("FE6302"), "1.00 1.00");
  // the label of a database line, and of one that is not there
  EXPECT_EQ(GetATNILA(f.D, "FE6302", 6302.5), "FE I  6302.5  ");
  EXPECT_EQ(GetATNILA(f.D, "XX0000", 6302.5), "** I  6302.5  ");
}

}  // namespace
