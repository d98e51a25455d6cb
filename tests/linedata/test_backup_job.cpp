// The backup as a job and the database shared by two connections: an unfinished backup folder
// is marked and never restored, a cancelled one is removed; a restore into tables that hold
// records asks once with their counts; a job's transaction on its own connection holds only its
// own writes while the other connection keeps reading.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "app/cvApp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/support/LineDataEnv.h"

namespace fs = std::filesystem;

namespace {

class BackupJob : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    ASSERT_TRUE(DM->Connect());
    DM->ADOConnection.Exec(
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 25000) "
        "INSERT INTO LGGF (IdLGGF, LIN6, Src, Val) SELECT i, 'FE' || i, 'VALD', 0.5 FROM c");
    DM->ADOConnection.Exec("INSERT INTO Lines_ (LIN6, LAMB) VALUES ('FE6302', 6302.49)");
    DM->ADOConnection.Exec("INSERT INTO Quests (ProjName, QuestName) VALUES ('Demo', 'pair')");
  }
  static int Count(TcvDatabase& Db, const std::string& Table) {
    TcvTable t(&Db, Table);
    t.Open();
    return t.RecordCount();
  }
};

TEST_F(BackupJob, AnUnfinishedBackupIsMarkedNeverRestoredAndRemovedWhenCancelled) {
  Sayer->WarnOn();
  const std::string done = App->NewSaveDir();
  TJob first("AutoSave");
  ASSERT_TRUE(RunJob(first, [&](TJob& J) { ASSERT_TRUE(DBBackup(J, *DM, done)); }));
  ASSERT_FALSE(BackupIncomplete(done));
  const std::string last = App->GetSaveDirLast();
  ASSERT_EQ(last + "/", done);

  // while the next backup writes LGGF its folder is marked and the restore's choice stays
  const std::string next = App->NewSaveDir();
  ASSERT_NE(next, done);
  TJob job("AutoSave");
  bool seen = false;
  job.OnProgress = [&](const TJobProgress& P) {
    if (P.Text.rfind("LGGF > 10000", 0) != 0) return;
    seen = true;
    EXPECT_TRUE(BackupIncomplete(next));
    EXPECT_TRUE(fs::exists(next + "Lines_.txt"));  // written before LGGF
    EXPECT_EQ(App->GetSaveDirLast(), last);
    job.Cancel();
  };
  EXPECT_FALSE(RunJob(job, [&](TJob& J) { DBBackup(J, *DM, next); }));
  EXPECT_TRUE(seen);
  EXPECT_EQ(job.State(), TJobState::Cancelled);
  EXPECT_FALSE(fs::exists(next));  // what it wrote is gone
  ASSERT_EQ(job.Warnings().size(), 1u);
  EXPECT_NE(job.Warnings()[0].Text.find("прервано"_cp), std::string::npos);

  // a folder left by a killed backup (marker and a cut table file) is refused by name too
  fs::create_directories(next);
  fs::copy_file(done + "Lines_.txt", next + "Lines_.txt");
  testsupport::WriteFile(next + AutoSaveIncomplete, "x\n");
  EXPECT_EQ(App->GetSaveDirLast(), last);
  TDM other;
  ASSERT_TRUE(other.Connect(Root("GEDA/other.db")));
  TJob restore("AutoLoad");
  EXPECT_FALSE(RunJob(restore, [&](TJob& J) {
    if (!DBRestore(J, other, next)) J.Fail("refused");
  }));
  ASSERT_FALSE(restore.Warnings().empty());
  EXPECT_NE(restore.Warnings()[0].Text.find("записана не до конца"_cp), std::string::npos);
}

TEST_F(BackupJob, ARestoreIntoTablesThatHoldRecordsAsksOnceWithTheirCounts) {
  const std::string dir = App->NewSaveDir();
  TJob save("AutoSave");
  ASSERT_TRUE(RunJob(save, [&](TJob& J) { DBBackup(J, *DM, dir); }));
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    TJob job("AutoLoad");
    job.PresetAnswers.push_back(yes);
    RunJob(job, [&](TJob& J) { DBRestore(J, *DM, dir); });
    ASSERT_EQ(job.Questions().size(), 1u);
    const std::string q = job.Questions()[0];
    EXPECT_NE(q.find("LGGF: 25000 (записи с теми же ключами останутся как есть)"_cp),
              std::string::npos)
        << q;
    EXPECT_NE(q.find("Quests: 1 (без ключа"_cp), std::string::npos) << q;
    EXPECT_NE(q.find("Lines_: 1"), std::string::npos) << q;
    EXPECT_EQ(Count(DM->ADOConnection, "LGGF"), 25000);  // keys kept either way
    EXPECT_EQ(Count(DM->ADOConnection, "Quests"), yes ? 2 : 1);  // appended only on yes
  }
  // headless without an answer: the question's default, no
  TJob job("AutoLoad");
  EXPECT_FALSE(RunJob(job, [&](TJob& J) {
    if (!DBRestore(J, *DM, dir)) J.Fail("refused");
  }));
  EXPECT_EQ(Count(DM->ADOConnection, "Quests"), 2);
}

TEST_F(BackupJob, AJobOnItsOwnConnectionHoldsOnlyItsOwnWrites) {
  TDM job;
  ASSERT_TRUE(job.ConnectShared(DM->ADOConnection.FileName()));
  {
    // far more than SQLite's page cache holds: the writer spills pages to the file meanwhile
    TcvDatabase::TTransaction t(&job.ADOConnection);
    job.ADOConnection.Exec(
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 200000) "
        "INSERT INTO KurLines (Id, LAMB, Ref) SELECT 'ax' || i, i, 'a long reference text' FROM c");
    EXPECT_EQ(Count(job.ADOConnection, "KurLines"), 200000);
    // the other connection reads on, seeing only what is committed
    EXPECT_EQ(Count(DM->ADOConnection, "KurLines"), 0);
    EXPECT_EQ(Count(DM->ADOConnection, "LGGF"), 25000);
    t.Rollback();
  }
  // a write of the other connection after the job's rollback stays
  DM->ADOConnection.Exec("INSERT INTO Projects (ProjName) VALUES ('Made')");
  EXPECT_EQ(Count(job.ADOConnection, "Projects"), 1);
  EXPECT_EQ(Count(job.ADOConnection, "KurLines"), 0);
  // a job's line loads reach its own module from any thread but the module owner's
  {
    TJobDataScope scope(&job, std::this_thread::get_id());
    EXPECT_EQ(LineData().Data(), DM);
    TDM* seen = nullptr;
    std::thread([&] { seen = LineData().Data(); }).join();
    EXPECT_EQ(seen, &job);
  }
  EXPECT_EQ(LineData().Data(), DM);
  job.Disconnect();
}

}  // namespace
