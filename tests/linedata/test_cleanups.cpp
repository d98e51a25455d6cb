// The clean-ups of the line tables over a wavelength range: the range condition, the refusal of
// an empty condition, the question before deleting, the hyperfine merge, the weak, heavy and
// repeated lines, and the saved report.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "linedata/cvCleanups.h"
#include "linedata/cvDM.h"
#include "linedata/support/LineDataEnv.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

namespace {

class CleanupTest : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    ASSERT_TRUE(DM->Connect(Root("GEDA/cv.db")));
  }
  void Sql(const std::string& S) { DM->ADOConnection.Exec(S); }
  // KurLines: Id, LAMB, ELEM, ELO, lgGF, shiftLO, shiftHI, frac, nAir, dHM, dCV
  void Kur(const std::string& Id, double Lamb, int Elem, double Elo, double Gf, int Lo = 0,
           int Hi = 0, double Frac = 0, double NAir = 1.00028, double DHM = 1, double DCV = 1) {
    Sql("INSERT INTO KurLines (Id, LAMB, ELEM, ELO, lgGF, shiftLO, shiftHI, frac, nAir, dHM, dCV) "
        "VALUES ('" + Id + "', " + std::to_string(Lamb) + ", " + std::to_string(Elem) + ", " +
        std::to_string(Elo) + ", " + std::to_string(Gf) + ", " + std::to_string(Lo) + ", " +
        std::to_string(Hi) + ", " + std::to_string(Frac) + ", " + std::to_string(NAir) + ", " +
        std::to_string(DHM) + ", " + std::to_string(DCV) + ")");
  }
  void Line(const std::string& Lin6, const std::string& Atom, double Lamb, double Elow, double Gf) {
    Sql("INSERT INTO Lines_ (LIN6, Atom, LAMB, ELOW, LGGF) VALUES ('" + Lin6 + "', '" + Atom +
        "', " + std::to_string(Lamb) + ", " + std::to_string(Elow) + ", " + std::to_string(Gf) +
        ")");
  }
  std::vector<std::string> Ids(const std::string& Table, const std::string& Key) {
    TcvTable t(&DM->ADOConnection, Table);
    t.SetSort(Key);
    t.Open();
    std::vector<std::string> r;
    for (t.First(); !t.Eof(); t.Next()) r.push_back(t.FieldByName(Key).AsString());
    return r;
  }
  // Runs a clean-up as a job with the given answers to its question.
  template <class F>
  TJob& Run(F&& Work, std::deque<bool> Answers = {true}) {
    job = std::make_unique<TJob>("cleanup");
    job->PresetAnswers = std::move(Answers);
    RunJob(*job, [&](TJob& J) { Work(J); });
    return *job;
  }
  bool JobWarned(const std::string& Utf8) const {
    for (const auto& w : job->Warnings())
      if (platform::Cp1251ToUtf8(w.Text).find(Utf8) != std::string::npos) return true;
    return false;
  }
  std::unique_ptr<TJob> job;
  TCleanupResult r;
};

TEST(LambFilter, BoundsThatAreNumbersOtherThanZero) {
  struct {
    const char *a, *b, *shown;
    size_t params;
  } cases[] = {{"0", "0", "", 0},
               {"", " ", "", 0},
               {"5000", "6000", "(LAMB > 5000 AND LAMB < 6000)", 2},
               {"abc", "6000", "(LAMB < 6000)", 1},
               {"5000.5", "0", "(LAMB > 5000.5)", 1}};
  for (const auto& c : cases) {
    const TLambCond f = LambFilter(c.a, c.b);
    EXPECT_EQ(f.Shown, c.shown) << c.a << " " << c.b;
    EXPECT_EQ(f.Params.size(), c.params);
    EXPECT_EQ(AndLambFilter(c.a, c.b), f.Shown.empty() ? "" : " AND " + f.Shown);
  }
}

TEST_F(CleanupTest, ClearKurLinesDeletesTheRangeAfterOneQuestionAndRefusesNoRange) {
  Kur("8x1", 6300, 2600, 1, -1);
  Kur("8x2", 6301, 2600, 1, -1);
  Kur("8x3", 6400, 2600, 1, -1);
  // no range: refused, nothing asked, nothing deleted (it used to empty the table)
  EXPECT_FALSE(Run([&](TJob& J) { EXPECT_FALSE(ClearKurLines(J, *DM, "0", "", r)); }, {})
                   .Questions()
                   .size());
  EXPECT_EQ(Ids("KurLines", "Id").size(), 3u);
  // "no": nothing changes
  TJob& no = Run([&](TJob& J) { ClearKurLines(J, *DM, "6250", "6350", r); }, {false});
  ASSERT_EQ(no.Questions().size(), 1u);
  const std::string q = platform::Cp1251ToUtf8(no.Questions()[0]);
  EXPECT_NE(q.find("Удалить 2 записей таблицы KurLines по условию <(LAMB > 6250 AND LAMB < 6350)>"),
            std::string::npos) << q;
  EXPECT_EQ(Ids("KurLines", "Id").size(), 3u);
  Run([&](TJob& J) { EXPECT_TRUE(ClearKurLines(J, *DM, "6250", "6350", r)); });
  EXPECT_EQ(r.Deleted, 2);
  EXPECT_EQ(Ids("KurLines", "Id"), std::vector<std::string>{"8x3"});
  // a cancelled job keeps everything
  Kur("8x4", 6300, 2600, 1, -1);
  TJob c("cancelled");
  c.Cancel();
  c.PresetAnswers = {true};
  RunJob(c, [&](TJob& J) { ClearKurLines(J, *DM, "6000", "7000", r); });
  EXPECT_EQ(Ids("KurLines", "Id").size(), 2u);
}

TEST_F(CleanupTest, HyperfineGroupsBecomeOneRecordEach) {
  // Co I (2700) at ELO 0: three components, shift differences 10, 10, 25 mK
  Kur("8x01", 6300.001, 2700, 0, -1.5, 0, 10, -0.5, 1.00028);
  Kur("8x02", 6300.002, 2700, 0, -1.5, 5, 15, -0.6, 1.00028);
  Kur("8x03", 6300.004, 2700, 0, -1.5, 0, 25, -0.7, 1.00029);
  // Mn I: a group of two keeps its first record
  Kur("8x04", 6310.0, 2500, 2, -2, 0, 3, -0.3);
  Kur("8x05", 6310.1, 2500, 2, -2, 0, 7, -0.3);
  // a single line and a line outside the range stay as they are
  Kur("8x06", 6320.0, 2700, 3, -1);
  Kur("8x07", 7000.0, 2700, 0, -1.5, 0, 10, -0.5);
  Run([&](TJob& J) { EXPECT_TRUE(DelHyperFineLines(J, *DM, "6000", "6500", r)); });
  EXPECT_EQ(r.Deleted, 3);
  EXPECT_EQ(r.Merged, 2);
  EXPECT_EQ(Ids("KurLines", "Id"), (std::vector<std::string>{"8x01", "8x04", "8x06", "8x07"}));
  TcvTable t(&DM->ADOConnection, "KurLines");
  t.Open();
  ASSERT_TRUE(t.Locate("Id", TextValue("8x01")));
  EXPECT_EQ(t.FieldByName("nHFS").AsInteger(), 2);
  const double f12 = std::round(-std::log10(std::pow(10, -0.5) + std::pow(10, -0.6)) * 1000) / 1000;
  EXPECT_EQ(t.FieldByName("sHFS").AsString(), "10 25 " + ShortSt(4, f12) + " 0.7");
  EXPECT_DOUBLE_EQ(t.FieldByName("LAMB").AsFloat(), 6300.002);
  EXPECT_DOUBLE_EQ(t.FieldByName("nAir").AsFloat(), 1.00028);
  EXPECT_EQ(t.FieldByName("shiftHI").AsInteger(), 0);
  EXPECT_EQ(t.FieldByName("shiftLO").AsInteger(), 0);
  const double total = -std::log10(std::pow(10, -0.5) + std::pow(10, -0.6) + std::pow(10, -0.7));
  EXPECT_NEAR(t.FieldByName("frac").AsFloat(), total, 5e-4);
  ASSERT_TRUE(t.Locate("Id", TextValue("8x04")));
  EXPECT_EQ(t.FieldByName("sHFS").AsString(), "3 7 0.3 0.3");
  ASSERT_TRUE(t.Locate("Id", TextValue("8x07")));
  EXPECT_EQ(t.FieldByName("shiftHI").AsInteger(), 10);
  t.Close();
  // the report: saved below LIN/, the deleted records listed
  ASSERT_FALSE(r.ReportFile.empty());
  const std::string rep = testsupport::ReadFile(r.ReportFile);
  EXPECT_NE(rep.find("DelHyperFineLines Lamb_от=6000 Lamb_до=6500"), std::string::npos);
  EXPECT_NE(rep.find("8x02"), std::string::npos);
  EXPECT_NE(rep.find("8x05"), std::string::npos);
  EXPECT_EQ(std::filesystem::path(r.ReportFile).parent_path().filename(), "LIN");
  // nothing left to merge: the warning names the elements
  Sql("DELETE FROM KurLines");
  Run([&](TJob& J) { DelHyperFineLines(J, *DM, "0", "0", r); });
  EXPECT_TRUE(JobWarned("Линии элементов CO CU MN SC V EU  не найдены!"));
}

TEST_F(CleanupTest, WeakLinesBelowBothMinima) {
  Kur("8x1", 6300, 2600, 1, -1, 0, 0, 0, 1, 0.00005, 0.00001);  // weak in both
  Kur("8x2", 6301, 2600, 1, -1, 0, 0, 0, 1, 0.00005, 0.5);      // strong in CV
  Kur("8x3", 6302, 2600, 1, -1, 0, 0, 0, 1, 0.005, 0.005);      // below 0.01
  // no range and no number: refused (it used to delete every record)
  Run([&](TJob& J) { EXPECT_FALSE(DelKurDummyLines(J, *DM, "", "", "x", "y", r)); }, {});
  EXPECT_EQ(Ids("KurLines", "Id").size(), 3u);
  Run([&](TJob& J) { DelKurDummyLines(J, *DM, "", "", "0.0001", "0.0001", r); });
  EXPECT_EQ(Ids("KurLines", "Id"), (std::vector<std::string>{"8x2", "8x3"}));
  EXPECT_TRUE(JobWarned("(dHM < 0.0001) AND (dCV < 0.0001)"));
  // 0 means 0.01; a minimum that is no number adds nothing
  Run([&](TJob& J) { DelKurDummyLines(J, *DM, "6301.5", "0", "0", "n/a", r); });
  EXPECT_TRUE(JobWarned("(LAMB > 6301.5) AND (dHM < 0.01)"));
  EXPECT_EQ(Ids("KurLines", "Id"), std::vector<std::string>{"8x2"});
  ASSERT_FALSE(r.ReportFile.empty());
}

TEST_F(CleanupTest, HeavyAndRepeatedLinesDeletedOrOnlyListed) {
  Line("FE6300", "FE", 6300.1, 2.0, -1.0);
  Line("FE6300A", "FE", 6300.1, 2.0, -1.0);  // repeats the one before it
  Line("FE6301", "FE", 6300.1, 2.0, -1.5);
  Line("PB6302", "PB", 6302.0, 1.0, -2.0);
  Line("U 6303", "U", 6303.0, 1.0, -2.0);
  // only listed
  Run([&](TJob& J) { DelDubleLines(J, *DM, "6000", "7000", false, r); }, {});
  EXPECT_EQ(r.Reported, 1);
  EXPECT_EQ(r.Deleted, 0);
  EXPECT_EQ(Ids("Lines_", "LIN6").size(), 5u);
  EXPECT_NE(testsupport::ReadFile(r.ReportFile).find("RepDubleLines"),
            std::string::npos);
  Run([&](TJob& J) { DelDubleLines(J, *DM, "6000", "7000", true, r); });
  EXPECT_EQ(r.Deleted, 1);
  EXPECT_EQ(Ids("Lines_", "LIN6"),
            (std::vector<std::string>{"FE6300", "FE6301", "PB6302", "U 6303"}));
  Run([&](TJob& J) { DelHeavyLines(J, *DM, "0", "0", false, r); }, {});
  EXPECT_EQ(r.Reported, 2);
  EXPECT_EQ(Ids("Lines_", "LIN6").size(), 4u);
  Run([&](TJob& J) { DelHeavyLines(J, *DM, "6302.5", "0", true, r); });
  EXPECT_EQ(r.Deleted, 1);
  EXPECT_EQ(Ids("Lines_", "LIN6"), (std::vector<std::string>{"FE6300", "FE6301", "PB6302"}));
  // a range without heavy lines: a warning and no report
  Run([&](TJob& J) { DelHeavyLines(J, *DM, "6000", "6301", true, r); }, {});
  EXPECT_TRUE(r.ReportFile.empty());
  EXPECT_TRUE(JobWarned("не найдены!"));
}

}  // namespace
