// The window's jobs under real use: one runner for the whole program (a second job refused with a
// panel line, Esc and Space handed to each job in turn), keys typed into a field during a job
// staying the field's, a project saved during a restore that is then cancelled kept (the job
// works on its own connection and the save waits for its end), and Auto Save as a job over
// 300 000 KurLines records while the window paints.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabProj.h"
#include "mainwindow/TabStart.h"
#include "mainwindow/support/ProgramEnv.h"

namespace {

namespace fs = std::filesystem;
using mwtest::AllBoxes;

class WindowJobs : public mwtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ASSERT_TRUE(DMReady());
    QApplication::setActiveWindow(Corvesta);
  }
  static int Count(const std::string& Table) {
    TcvTable t(&DM->ADOConnection, Table);
    t.Open();
    return t.RecordCount();
  }
  static std::string UM() {
    const TInfField* f = App->Inf->FindFld("UM");
    return f && f->Log ? f->Log->StoredText() : std::string();
  }
  static bool WaitFor(const std::function<bool()>& Done, int Ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!Done() && t.elapsed() < Ms) QTest::qWait(5);
    return Done();
  }
  // An autosave folder newer than any other, with Rows records of LGGF: a restore long enough to
  // act while it runs. Its one Lines_ line has no key column: the question before appending is
  // answered yes.
  std::string BigSave(int Rows) {
    const std::string dir = root->File("autosave/2099_12_31");
    fs::create_directories(dir);
    std::ofstream(dir + "/Lines_.txt") << "LIN6  |LAMB\nZZ0001|1\n";
    std::ofstream g(dir + "/LGGF.txt");
    g << "IdLGGF|LIN6|Src|Val\n";
    for (int i = 1; i <= Rows; ++i) g << 100 + i << "|FE" << i % 10000 << "|VALD|0.5\n";
    boxes->Answer(platform::MsgResult::Yes);
    return dir;
  }
  // The Start tab's Auto Load started, once it reads the LGGF lines.
  std::shared_ptr<TJob> StartRestore() {
    Corvesta->ShowPage("TabStart");
    Corvesta->StartTab().btAutoLoad->click();
    std::shared_ptr<TJob> job = Corvesta->Jobs.CurrentShared();
    if (!job) return nullptr;
    WaitFor([&] { return job->LastProgress().Text.find("LGGF ") != std::string::npos; });
    return job;
  }
  // A key as the user presses it on the widget that has the focus.
  static void Press(QWidget* Focus, Qt::Key Key) {
    Focus->setFocus();
    QTest::keyClick(Focus, Key);
    QApplication::processEvents();
  }
};

TEST_F(WindowJobs, AProjectSavedWhileARestoreRunsIsKeptWhenTheRestoreIsCancelled) {
  const int lggf = Count("LGGF");
  BigSave(300000);
  std::shared_ptr<TJob> job = StartRestore();
  ASSERT_NE(job, nullptr) << AllBoxes(*boxes);
  ASSERT_FALSE(job->Ended()) << "the restore ended before it could be interrupted";

  // the Project tab: a new project saved while the restore runs
  Corvesta->ShowPage("TabProj");
  TTabProj& P = Corvesta->ProjTab();
  const std::string base = root->File("work/projects");
  fs::create_directories(base);
  P.edBasePath->SetText(base);
  P.cbProjectName->SetText("Made");
  P.MemoProjectDesc->SetLines({"made during an import"});
  P.btProjSave->click();
  EXPECT_NE(UM().find("Сохранение проекта <Made>: будет выполнено после окончания AutoLoad"_cp),
            std::string::npos)
      << UM();
  // the window still reads the database while the job writes it on its own connection
  EXPECT_EQ(Count("LGGF"), lggf);

  Press(P.btProjSave, Qt::Key_Escape);
  Corvesta->Jobs.Wait();
  EXPECT_EQ(job->State(), TJobState::Cancelled);
  EXPECT_EQ(Count("LGGF"), lggf);  // the restore rolled back
  TcvTable t(&DM->ADOConnection, "Projects");
  t.Open();
  ASSERT_TRUE(t.Locate("ProjName", TextValue("Made"))) << AllBoxes(*boxes);
  EXPECT_EQ(t.FieldByName("Description").AsString(), "made during an import");
  EXPECT_EQ(App->sProject, "Made");
  EXPECT_EQ(App->TunGlobal->Get("CurrentProject"), "Made");
  EXPECT_TRUE(fs::is_directory(base + "/Made"));
  EXPECT_NE(UM().find("прервано"_cp), std::string::npos) << UM();
}

TEST_F(WindowJobs, OneJobAtATimeAndEscStopsEachJobInTurn) {
  // a short import of the Texts tab runs to its end
  Corvesta->EdTab().RunInpFile(root->File("INP/NISTLevels.INP"));
  ASSERT_TRUE(Corvesta->Jobs.Busy());
  Corvesta->Jobs.Wait();
  EXPECT_EQ(Count("NISTLevels"), 4) << UM();

  // then a long restore: a second job is refused with a panel line, Esc stops the restore
  BigSave(300000);
  const int lggf = Count("LGGF");
  std::shared_ptr<TJob> job = StartRestore();
  ASSERT_NE(job, nullptr);
  ASSERT_FALSE(job->Ended());
  Corvesta->EdTab().RunInpFile(root->File("INP/NISTLevels.INP"));
  EXPECT_NE(UM().find("Идёт расчёт AutoLoad"_cp), std::string::npos) << UM();
  Corvesta->StartTab().btLoadKurLines->click();
  EXPECT_NE(UM().find("Идёт расчёт AutoLoad"_cp), std::string::npos) << UM();
  EXPECT_EQ(Corvesta->Jobs.Current(), job.get());

  Press(Corvesta->StartTab().btAutoLoad, Qt::Key_Escape);
  EXPECT_TRUE(job->Cancelled());
  Corvesta->Jobs.Wait();
  EXPECT_EQ(Count("LGGF"), lggf);
  EXPECT_EQ(TQtJobRunner::Active(), nullptr);
  // Esc is the window's again: the stop request of the frame
  App->qStop = false;
  Press(Corvesta->StartTab().btAutoLoad, Qt::Key_Escape);
  EXPECT_TRUE(App->qStop);
}

TEST_F(WindowJobs, KeysTypedIntoAFieldDuringAJobStayTheFields) {
  BigSave(300000);
  std::shared_ptr<TJob> job = StartRestore();
  ASSERT_NE(job, nullptr);
  ASSERT_FALSE(job->Ended());
  TTabStart& S = Corvesta->StartTab();
  S.edLamb1->SetText("");
  S.edLamb1->setFocus();
  QTest::keyClicks(S.edLamb1, "made during an import");
  QTest::keyClick(S.edLamb1, Qt::Key_Escape);
  EXPECT_EQ(S.edLamb1->Text(), "made during an import");
  EXPECT_FALSE(job->Paused());
  EXPECT_FALSE(job->Cancelled());
  // the editor's memo keeps Space only while its text may be written
  Corvesta->ShowPage("TabEd");
  ASSERT_TRUE(EdAssigned(Ed));
  Ed->Writable = false;
  Press(Corvesta->EdTab().MemoEd, Qt::Key_Space);
  EXPECT_TRUE(job->Paused());
  Press(Corvesta->EdTab().MemoEd, Qt::Key_Space);
  EXPECT_FALSE(job->Paused());
  Ed->Writable = true;
  Press(Corvesta->EdTab().MemoEd, Qt::Key_Space);
  EXPECT_FALSE(job->Paused());
  Corvesta->ShowPage("TabStart");
  // outside a field Space pauses and resumes, Esc cancels
  Press(S.btAutoLoad, Qt::Key_Space);
  EXPECT_TRUE(job->Paused());
  QTest::qWait(50);  // the step under way ends and the job waits at the next
  const std::string paused = job->LastProgress().Text;
  QTest::qWait(100);
  EXPECT_EQ(job->LastProgress().Text, paused);  // it waits
  Press(S.btAutoLoad, Qt::Key_Space);
  EXPECT_FALSE(job->Paused());
  Press(S.btAutoLoad, Qt::Key_Escape);
  Corvesta->Jobs.Wait();
  EXPECT_EQ(job->State(), TJobState::Cancelled);
}

// Counts the paint events of a widget.
class PaintCount : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* E) override {
    if (E->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(WindowJobs, AutoSaveIsAJobThatLeavesTheWindowLive) {
  DM->ADOConnection.Exec(
      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 300000) "
      "INSERT INTO KurLines (Id, LAMB, ELEM, Ref) SELECT 'ax' || i, 5000 + i * 0.01, 2600, "
      "'r' FROM c");
  ASSERT_EQ(Count("KurLines"), 300000);
  std::vector<std::string> progress;
  Corvesta->Jobs.ProgressInterval = std::chrono::milliseconds(0);
  Corvesta->Jobs.ShowProgress = [&](const std::string& T) { progress.push_back(T); };
  PaintCount count;
  Corvesta->StartTab().btAutoSave->installEventFilter(&count);
  QTimer repaint;
  QObject::connect(&repaint, &QTimer::timeout, Corvesta->StartTab().btAutoSave,
                   [&] { Corvesta->StartTab().btAutoSave->update(); });
  repaint.start(10);
  Corvesta->ShowPage("TabStart");
  QElapsedTimer t;
  t.start();
  Corvesta->StartTab().btAutoSave->click();
  ASSERT_TRUE(Corvesta->Jobs.Busy());
  Corvesta->Jobs.Wait();
  const qint64 ms = t.elapsed();
  repaint.stop();
  Corvesta->StartTab().btAutoSave->removeEventFilter(&count);
  // the window painted while the tables were written: several times a second
  EXPECT_GT(count.paints, static_cast<int>(ms / 1000) + 2) << ms << " ms";
  bool kur = false, rows = false;
  for (const std::string& p : progress) {
    kur = kur || p.find("AutoSave KurLines") != std::string::npos;
    rows = rows || p.find("KurLines > 100000/300000") != std::string::npos;
  }
  EXPECT_TRUE(kur);
  EXPECT_TRUE(rows);
  const std::string dir = App->GetSaveDirLast();
  ASSERT_FALSE(dir.empty()) << AllBoxes(*boxes);
  EXPECT_FALSE(fs::exists(dir + "/" + AutoSaveIncomplete));
  std::ifstream k(dir + "/KurLines.txt");
  int lines = 0;
  for (std::string l; std::getline(k, l);) ++lines;
  EXPECT_EQ(lines, 300001);
  std::printf("[ measured ] Auto Save of 300000 KurLines records as a job: %lld ms, %d paints\n",
              static_cast<long long>(ms), count.paints);
}

}  // namespace
