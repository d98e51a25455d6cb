// The Start tab's database upkeep as a user meets it: the level files' folder chosen with the
// folder dialog (stored, its files listed), the two level-file combos kept consistent, "Edit"
// and "NIST" on what is missing (their messages word for word), the range settings stored only
// when numeric, the element table's report, a loader as a job, and the test bench (its clock
// check ends on a cancel; headless, its listing and its clock lines).
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/StartBench.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabStart.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Dialogs.h"
#include "support/TestSupport.h"

namespace {

using mwtest::AllBoxes;
using mwtest::ProgramTest;

TEST_F(ProgramTest, LevelFileFolderAndCombos) {
  // the first show takes the range and the least depths from the settings
  App->TunCommon->Set("edLineLamb1", "6301");
  App->TunCommon->Set("WminCV", "0.5");
  Corvesta->ShowPage("TabStart");
  QApplication::processEvents();
  TTabStart& S = Corvesta->StartTab();
  EXPECT_EQ(S.edLamb1->Text(), "6301");
  EXPECT_EQ(S.edWminCV->Text(), "0.5");
  EXPECT_EQ(S.edWminHM->Text(), "0.0001");
  // the folder chosen: stored and its files listed
  const std::string dir = root->File("LEVELS");
  testsupport::RunShell("mkdir -p '" + dir + "'");
  testsupport::WriteFile(dir + "/fe1.lev", "x\n");
  testsupport::WriteFile(dir + "/fe2.lev", "y\n");
  {
    platform::ScriptedDialogs d;
    d.AnswerFile(dir);
    S.btKuruczDir->click();
    ASSERT_EQ(d.FileAsks().size(), 1u);
    EXPECT_TRUE(d.FileAsks()[0].Folder);
  }
  EXPECT_EQ(S.edKuruczPath->Text(), dir);
  EXPECT_EQ(App->TunCommon->Get("KuruczPath"), dir);
  EXPECT_EQ(S.cbKuruczFile->Items(), (std::vector<std::string>{"fe1.lev", "fe2.lev"}));
  // "Edit": the level file into the editor; a missing one refused
  S.cbKuruczFile->SetText("fe2.lev");
  S.btStartEdit->click();
  EXPECT_EQ(Corvesta->EdTab().MemoEd->Lines().at(0), "y");
  S.cbKuruczFile->SetText("none.lev");
  S.btStartEdit->click();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Файл <"_cp + dir + "/none.lev> не найден!"_cp)) << AllBoxes(*boxes);
  // "NIST" only checks the folder
  boxes->Clear();
  S.btNISTLevels->click();
  EXPECT_TRUE(boxes->Shown().empty());
  S.edKuruczPath->SetText(dir + "/gone");
  S.btNISTLevels->click();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Путь <"_cp + dir + "/gone> не найден!"_cp)) << AllBoxes(*boxes);

  // the combos: (changed combo, load, report) -> (load, report)
  struct TCase {
    bool LoadChanged;
    int Load, Rep, WantLoad, WantRep;
  };
  const TCase cases[] = {
      {true, 1, 3, 1, 2},  {true, 2, 2, 2, 3},  {true, 0, 0, 0, 1},  {true, 2, 4, 2, 4},
      {false, 2, 2, 1, 2}, {false, 2, 5, 1, 5}, {false, 1, 3, 2, 3}, {false, 0, 0, 0, 1},
      {false, 1, 1, 1, 1},
  };
  for (const TCase& c : cases) {
    S.cbLevelLoad->SetItemIndex(c.Load);
    S.cbLevelRep->SetItemIndex(c.Rep);
    if (c.LoadChanged)
      S.cbLevelLoadChange({});
    else
      S.cbLevelRepChange({});
    EXPECT_EQ(S.cbLevelLoad->ItemIndex(), c.WantLoad) << c.LoadChanged << c.Load << c.Rep;
    EXPECT_EQ(S.cbLevelRep->ItemIndex(), c.WantRep) << c.LoadChanged << c.Load << c.Rep;
  }

  // the range is stored only when it is a number
  S.edLamb1->SetText("6300.5");
  S.edLamb1->SetText("63x");
  EXPECT_EQ(App->TunCommon->Get("edLineLamb1"), "6300.5");
}

TEST_F(ProgramTest, ElementReportAndALoaderJob) {
  ASSERT_TRUE(DMReady());
  Corvesta->ShowPage("TabStart");
  QApplication::processEvents();
  TTabStart& S = Corvesta->StartTab();
  EXPECT_EQ(S.btRepMEND->Caption(), "Отчет \"MEND\""_cp);
  S.btRepMEND->click();
  EXPECT_EQ(Ed->CurName, "MEND.REPORT");
  const std::vector<std::string> rep = Corvesta->EdTab().MemoEd->Lines();
  for (const std::string& head : {"Стандартные обилия:"_cp, "Отклонения от стандартных обилий:"_cp,
                                  "Обилия основные:"_cp, "Обилия ВСЕ:"_cp}) {
    const auto it = std::find(rep.begin(), rep.end(), head);
    ASSERT_NE(it, rep.end()) << head;
    EXPECT_EQ(*(it - 1), "");
  }
  // the service table loaded by a job
  DM->ADOConnection.Exec("DELETE FROM Tabs");
  S.btLoadTabs->click();
  S.Jobs.Wait();
  QApplication::processEvents();
  TcvTable t(&DM->ADOConnection, "Tabs");
  t.Open();
  EXPECT_GT(t.RecordCount(), 0) << AllBoxes(*boxes);
}

TEST_F(ProgramTest, TestBenchStopsOnCancel) {
  Corvesta->ShowPage("TabStart");
  QApplication::processEvents();
  TTabStart& S = Corvesta->StartTab();
  const auto t0 = std::chrono::steady_clock::now();
  S.btTest->click();
  ASSERT_TRUE(S.Jobs.Busy());
  // let it reach the clock check, then Esc's cancel
  Wait(600);
  S.Jobs.Current()->Cancel();
  S.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  EXPECT_EQ(Ed->CurName, "Тест"_cp);
}

TEST_F(ProgramTest, TestBenchListingAndClockLines) {
  TJob job("Тест"_cp);
  std::vector<std::string> progress;
  job.OnProgress = [&progress](const TJobProgress& P) { progress.push_back(P.Text); };
  TStringList out;
  ASSERT_TRUE(startbench::TestBench(job, "0", "0", out, 1500));
  std::vector<std::string> lines;
  for (int32_t i = 0; i < out.Count(); ++i) lines.push_back(out[i]);
  auto at = [&lines](const std::string& Head) {
    return std::find(lines.begin(), lines.end(), Head) - lines.begin();
  };
  const auto before = at("до сортировки:"_cp), after = at("после сортировки:"_cp);
  ASSERT_LT(after, static_cast<long>(lines.size()));
  EXPECT_EQ(after - before, 11);
  // sorted together: the first column ascends, each keeps its index from before
  double last = -1;
  for (long i = after + 1; i <= after + 10; ++i) {
    const double a = std::stod(lines[static_cast<size_t>(i)].substr(lines[static_cast<size_t>(i)].find(' ')));
    EXPECT_GE(a, last);
    last = a;
  }
  EXPECT_LT(at("Проверка таймера 10 секунд"_cp), static_cast<long>(lines.size()));
  bool dt = false;
  for (const std::string& l : lines) dt = dt || (l.rfind("DT=", 0) == 0 && l.find(" => ") != std::string::npos);
  EXPECT_TRUE(dt);
  int clock = 0;
  for (const std::string& p : progress) clock += p.rfind("Time= ", 0) == 0 && p.size() == 18 && p.substr(14) == " OK!";
  EXPECT_GE(clock, 1);
  // the index counts around the running mean, as one warning
  const std::vector<TJob::TWarning> w = job.Warnings();
  bool counts = false;
  for (const TJob::TWarning& x : w)
    counts = counts || x.Text == " ВХОД: n1=1 n2=10\r\nВЫХОД: n1=2 n2=9"_cp;
  EXPECT_TRUE(counts);
}

}  // namespace
