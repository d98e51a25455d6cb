// The main window's tabs in the running program: the keys of the message hook reach the tab of
// the active page through the input it registered, a window that goes takes its tabs' input
// with it, and a tab not built yet says so in its sheet and once in the panel, never in a box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include "app/cvApp.h"
#include "app/cvHook.h"
#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/Program.h"
#include "mainwindow/TabCOPI.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabDi.h"
#include "mainwindow/TabDialog.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabGIF.h"
#include "mainwindow/TabGraf.h"
#include "mainwindow/TabVARI.h"
#include "mainwindow/TabZee.h"
#include "mainwindow/support/ProgramEnv.h"
#include "linedata/cvDM.h"

namespace {

using mwtest::AllBoxes;
using mwtest::ProgramTest;

// How often the panel's progress field "UM" has held Text (its value and its history).
int PanelLines(const std::string& Text) {
  const TInfField* F = App && App->Inf ? App->Inf->FindFld("UM") : nullptr;
  if (!F || !F->Log) return -1;
  int n = F->Log->StoredText() == Text ? 1 : 0;
  for (const TLogRec& R : F->Log->History) n += R.Text == Text ? 1 : 0;
  return n;
}

// Esc pressed on the focused widget of the window, as the user presses it.
void PressEsc() {
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Corvesta;
  QTest::keyClick(target, Qt::Key_Escape);
  QApplication::processEvents();
}

TEST_F(ProgramTest, EscOnTheGrafAndCORATabsReturnsToTheTextsTab) {
  Corvesta->ShowPage("TabCORA");
  Corvesta->ViewTimer->SetEnabled(true);
  PressEsc();
  EXPECT_EQ(Corvesta->ActivePageName(), "TabEd");
  EXPECT_FALSE(Corvesta->ViewTimer->Enabled());  // the CORA tab stops its animation

  Corvesta->ShowPage("TabGraf");
  PressEsc();
  EXPECT_EQ(Corvesta->ActivePageName(), "TabEd");

  // A tab that registered no keys keeps its page; Esc is still the stop request.
  App->qStop = false;
  Corvesta->ShowPage("TabDB");
  PressEsc();
  EXPECT_EQ(Corvesta->ActivePageName(), "TabDB");
  EXPECT_TRUE(App->qStop);
}

TEST_F(ProgramTest, AClosedWindowLeavesNoTabInputBehind) {
  CorvestaShutdown();
  // The hook still runs (the application object stays) but no tab of the gone window answers.
  ASSERT_NE(App, nullptr);
  TMsg M;
  M.Message = WM_KEYDOWN;
  M.WParam = VK_ESCAPE;
  M.LParam = KeyLParam(VK_ESCAPE, false, false);
  struct Page : TMainWindowLink {
    std::string ActivePageName() override { return "TabCORA"; }
  } page;
  TMainWindowLink* before = SetMainWindowLink(&page);
  bool Handled = false;
  AppMessage(M, Handled);
  EXPECT_FALSE(Handled);
  SetMainWindowLink(before);
}

// Every tab is built: no sheet carries the stand-in's notice and showing each says nothing.
TEST_F(ProgramTest, EveryTabIsBuiltAndCarriesNoNotice) {
  boxes->Clear();
  for (const char* page : {"TabEd", "TabDB", "TabDebug", "TabProj", "TabGIF", "TabGraf", "TabModels",
                           "TabVEMO", "TabFITS", "TabTest", "TabZee"}) {
    Corvesta->ShowPage(page);
    QApplication::processEvents();
    ASSERT_EQ(Corvesta->ActivePageName(), page);
    EXPECT_EQ(Corvesta->Tab(page)->Sheet()->findChild<platform::TLabel*>(
                  QString::fromStdString(std::string(page) + "Notice")),
              nullptr)
        << page;
  }
  Corvesta->ShowPage("TabEd");
  EXPECT_EQ(PanelLines("Zeeman - функция пока недоступна"_cp), 0);
  EXPECT_TRUE(boxes->Shown().empty()) << AllBoxes(*boxes);
}

// A press on the form shows the cursor on the GIF sheet's label.
TEST_F(ProgramTest, APressShowsTheCursorOnTheGIFSheet) {
  Corvesta->ShowPage("TabGIF");
  QApplication::processEvents();
  TTabGIF& G = Corvesta->GIFTab();
  QTest::mouseClick(Corvesta, Qt::LeftButton, {}, QPoint(5, 5));
  QApplication::processEvents();
  EXPECT_TRUE(G.lbMouse->isVisible());
  EXPECT_NE(G.lbMouse->Caption().find(':'), std::string::npos);

  EXPECT_TRUE(boxes->Shown().empty()) << AllBoxes(*boxes);
}

}  // namespace

namespace {

// The Start tab's backup buttons: Auto Save writes the autosave folder; Auto Load restores it as
// a job on a worker thread, the panel showing its progress and the window staying live.
TEST_F(ProgramTest, AutoSaveThenAutoLoadRestoresTheDatabaseAsAJob) {
  ASSERT_TRUE(DMReady());
  TcvTable& L = DM->ADOLGGF;
  L.Open();
  L.Append();
  L.FieldByName("LIN6").SetAsString("FE6302");
  L.Post();
  L.Close();
  Corvesta->ShowPage("TabStart");
  Corvesta->StartTab().btAutoSave->click();
  ASSERT_TRUE(Corvesta->StartTab().Jobs.Busy());
  Corvesta->StartTab().Jobs.Wait();
  ASSERT_FALSE(App->GetSaveDirLast().empty()) << AllBoxes(*boxes);
  DM->ADOConnection.Exec("DELETE FROM LGGF");

  // the tables that hold records (the demo's projects and quests would be added again) are
  // named in one question first
  boxes->Answer(platform::MsgResult::Yes);
  Corvesta->StartTab().btAutoLoad->click();
  ASSERT_TRUE(Corvesta->StartTab().Jobs.Busy());
  Corvesta->StartTab().Jobs.Wait();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Quests: 4 (без ключа"_cp)) << AllBoxes(*boxes);
  L.Open();
  EXPECT_TRUE(L.Locate("LIN6", TextValue("FE6302")));
  L.Close();
  const TInfField* F = App->Inf->FindFld("UM");
  ASSERT_NE(F, nullptr);
  EXPECT_NE(F->Log->StoredText().find("AutoLoad"), std::string::npos) << F->Log->StoredText();
}

}  // namespace

namespace {

// The Kurucz group: the range typed in "LAMB от" / "LAMB до" is what the import reads; the import
// runs as a job and fills table KurLines from the bundled catalogue extract.
TEST_F(ProgramTest, LoadKurLinesImportsTheTypedRangeAsAJob) {
  ASSERT_TRUE(DMReady());
  Corvesta->ShowPage("TabStart");
  TTabStart& S = Corvesta->StartTab();
  S.edLamb1->SetText("6301");
  S.edLamb2->SetText("6303");
  double from = 0, to = 0;
  ASSERT_TRUE(GetLambFromTo(from, to));
  EXPECT_EQ(from, 6301);
  EXPECT_EQ(to, 6303);
  S.btLoadKurLines->click();
  S.Jobs.Wait();
  TcvTable& K = DM->ADOKurLines;
  K.Close();
  K.Open();
  EXPECT_GE(K.RecordCount(), 2) << AllBoxes(*boxes);
  K.Close();
}

}  // namespace
