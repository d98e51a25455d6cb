// The table restore as a job: progress while it runs, cancel and failure leave the database as
// before, two restores in two threads give what one after the other gives.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/support/LineDataEnv.h"

namespace {

class RestoreJobTest : public LineDataEnv {
 protected:
  // A folder with LGGF (Rows lines) and Atoms text tables.
  std::string Folder(const std::string& Name, int Rows) {
    std::string lggf = "IdLGGF|LIN6|Src|Val\n";
    for (int i = 1; i <= Rows; ++i)
      lggf += std::to_string(i) + "|FE" + std::to_string(6000 + i) + "|VALD|" +
              std::to_string(i) + ".5\n";
    Put("autosave/" + Name + "/LGGF.txt", lggf);
    Put("autosave/" + Name + "/Atoms.txt", "Name|NElt\nO|8\nFE|26\n");
    Put("autosave/" + Name + "/Orbits.txt", "sKur|Zz\nx|1\n");  // Zz: no such field
    return Root("autosave/" + Name);
  }
  // A connected data module on its own file, with one row in LGGF.
  void Open(TDM& D, const std::string& File) {
    ASSERT_TRUE(D.Connect(Root("GEDA/" + File)));
    D.ADOLGGF.Open();
    D.ADOLGGF.Append();
    D.ADOLGGF.FieldByName("LIN6").SetAsString("XX0001");
    D.ADOLGGF.Post();
    D.ADOLGGF.Close();
  }
};

TEST_F(RestoreJobTest, ProgressNamesTableAndLineWhileItRuns) {
  Sayer->WarnOn();
  TDM D;
  Open(D, "a.db");
  const std::string dir = Folder("p", 450);
  TJob job("AutoLoad");
  std::vector<TJobProgress> seen;
  job.OnProgress = [&](const TJobProgress& P) { seen.push_back(P); };
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { ASSERT_TRUE(DBRestore(J, D, dir)); }));
  bool lineCount = false;
  for (const TJobProgress& p : seen)
    if (p.Text == "LGGF 400" && p.Total == 3) lineCount = true;
  EXPECT_TRUE(lineCount);
  EXPECT_EQ(seen.back().Done, 3);
  // a column that no field takes is named, not dropped without a word
  ASSERT_EQ(job.WarningCount(), 1);
  EXPECT_NE(job.Warnings()[0].Text.find("<Zz>"), std::string::npos);
  D.ADOLGGF.Open();
  EXPECT_EQ(D.ADOLGGF.RecordCount(), 450);  // key 1 existed and stays as it was
  D.Disconnect();
}

TEST_F(RestoreJobTest, CancelledOrFailedRestoreLeavesTheDatabaseAsBefore) {
  Sayer->WarnOn();
  const std::string dir = Folder("c", 450);
  for (const bool cancel : {true, false}) {
    SCOPED_TRACE(cancel ? "cancel" : "failure");
    TDM D;
    Open(D, cancel ? "c.db" : "f.db");
    D.Disconnect();
    const std::string file = Root(std::string("GEDA/") + (cancel ? "c.db" : "f.db"));
    const std::string before = SqliteDump(file);
    ASSERT_TRUE(D.Connect(file));
    TJob job("AutoLoad");
    job.OnProgress = [&](const TJobProgress& P) {
      if (P.Text == "LGGF 300") {
        if (cancel)
          job.Cancel();
        else
          throw std::runtime_error("disk gone");
      }
    };
    EXPECT_FALSE(RunJob(job, [&](TJob& J) { DBRestore(J, D, dir); }));
    EXPECT_EQ(job.State(), cancel ? TJobState::Cancelled : TJobState::Failed);
    if (cancel) {
      ASSERT_EQ(job.Warnings().size(), 2u);  // the unknown column, then the cancel
      EXPECT_NE(job.Warnings()[1].Text.find("прервано"_cp), std::string::npos);
    } else {
      EXPECT_EQ(job.Error(), "disk gone");
    }
    // the module still works after the rollback
    D.ADOAtoms.Open();
    EXPECT_EQ(D.ADOAtoms.RecordCount(), 0);
    D.Disconnect();
    EXPECT_EQ(SqliteDump(file), before);
  }
}

TEST_F(RestoreJobTest, TwoRestoresInTwoThreadsEqualOneAfterTheOther) {
  Sayer->WarnOn();
  const std::string dir1 = Folder("t1", 300);
  const std::string dir2 = Folder("t2", 120);
  Put("autosave/t2/LGGF.txt", "IdLGGF|LIN6|Src|Val\n5|FE5|x|1\nbad|FE6|x|2\n");  // one warning
  auto restore = [&](const std::string& file, const std::string& dir, TJob& job) {
    TDM D;
    Open(D, file);
    RunJob(job, [&](TJob& J) { DBRestore(J, D, dir); });
    D.Disconnect();
  };
  TJob s1("1"), s2("2"), p1("1"), p2("2");
  restore("s1.db", dir1, s1);
  restore("s2.db", dir2, s2);
  std::thread a([&] { restore("p1.db", dir1, p1); });
  std::thread b([&] { restore("p2.db", dir2, p2); });
  a.join();
  b.join();
  EXPECT_EQ(SqliteDump(Root("GEDA/p1.db")), SqliteDump(Root("GEDA/s1.db")));
  EXPECT_EQ(SqliteDump(Root("GEDA/p2.db")), SqliteDump(Root("GEDA/s2.db")));
  EXPECT_EQ(p1.State(), TJobState::Done);
  EXPECT_EQ(s2.WarningCount(), 2);
  EXPECT_EQ(p2.Report(), s2.Report());
  EXPECT_EQ(p1.Report(), s1.Report());
}

}  // namespace
