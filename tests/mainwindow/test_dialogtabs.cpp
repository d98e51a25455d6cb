// The VARI, Dialog and Di tabs as a new user meets them, on a fresh copy of the bundled root:
// "pair" RUN and its variator on the VARI tab (combination 5 through the delayed "variK", a key
// added, moved down and deleted, the reports); the demo quest "dia" RUN and its Dialog page
// (rows, observation grid, a track bar moved, AutoCalc's one delayed calculation, the picture
// window's computed and observed curves, one case); the Di tab's "UN to Di", "Fill Lambs",
// "Lams", "Make VARI" and "Run VARI".
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "foundation/cvLit.h"
#include "support/TestSupport.h"
#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabDi.h"
#include "mainwindow/TabDialog.h"
#include "mainwindow/TabProj.h"
#include "mainwindow/TabVARI.h"
#include "mainwindow/support/ProgramEnv.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

using mwtest::ProgramTest;

class DialogTabs : public ProgramTest {
 protected:
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  void RunQuest(const std::string& Quest) {
    Corvesta->resize(1400, 1000);
    Corvesta->ShowPage("TabProj");
    TTabProj& P = Corvesta->ProjTab();
    int i = 0;
    while (i < P.cbQuestName->ItemCount() && P.cbQuestName->Item(i) != Quest) ++i;
    if (i == P.cbQuestName->ItemCount()) {
      P.cbQuestName->SetText(Quest);
      P.MemoQuestDesc->SetLines({"demo " + Quest});
      Click(P.btQuestSave);
      i = 0;
      while (i < P.cbQuestName->ItemCount() && P.cbQuestName->Item(i) != Quest) ++i;
    }
    ASSERT_LT(i, P.cbQuestName->ItemCount());
    P.cbQuestName->SetItemIndex(i);
    emit P.cbQuestName->activated(i);
    QApplication::processEvents();
    Click(P.btRUN);
    P.Jobs.Wait();
    QApplication::processEvents();
  }
  static std::string Cell(TFormCvGrid* G, const char* Col, int Row) {
    TGxCustomColumn* c = G->ColumnByName(Col);
    return c ? G->CellAt(G->Columns().IndexOf(c), Row)->GetAsText() : std::string();
  }
  static int RowOfKey(TFormCvGrid* G, const char* Col, const std::string& Key) {
    for (int r = 0; r < G->RowCount(); ++r)
      if (Cell(G, Col, r) == Key) return r;
    return -1;
  }
  // Waits until Pred holds (at most Ms).
  template <class P>
  bool WaitFor(P Pred, int Ms) {
    QElapsedTimer t;
    t.start();
    while (!Pred() && t.elapsed() < Ms) QTest::qWait(10);
    return Pred();
  }
  std::string EdTitle() { return Corvesta->EdTab().edFile->Text(); }
  // The editor's page (a job's report lands there).
  std::string EdText() {
    std::string t;
    for (const std::string& l : Corvesta->EdTab().MemoEd->Lines()) t += l + "\n";
    return t;
  }
};

TEST_F(DialogTabs, VariatorBrowserOfThePairQuest) {
  RunQuest("pair");
  Corvesta->ShowPage("TabVARI");
  QApplication::processEvents();
  TTabVARI& T = Corvesta->VARITab();
  EXPECT_EQ(T.cbVARI_Name->Text(), "pair 1");
  EXPECT_EQ(T.lbVARI_N->Caption(), "/ 6");
  const int lin = RowOfKey(T.ngParam, "gxParKey", "#LIN");
  const int h = RowOfKey(T.ngParam, "gxParKey", "#H");
  ASSERT_GE(lin, 0);
  ASSERT_GE(h, 0);
  EXPECT_EQ(Cell(T.ngParam, "gxParN", lin), "2");
  EXPECT_EQ(Cell(T.ngParam, "gxParN", h), "3");

  // K 5: nothing at once, the values of combination 5 after the delay
  T.edVARI_K->SetValue(5);
  QApplication::processEvents();
  EXPECT_EQ(VariCtx().VARI->KIdx == 5, false);
  ASSERT_TRUE(WaitFor([&] { return VariCtx().VARI->KIdx == 5; }, 2500));
  EXPECT_EQ(TrimCtl(Cell(T.ngParam, "gxParVal", lin)), "FE6302");
  EXPECT_EQ(TrimCtl(Cell(T.ngParam, "gxParVal", h)), "1000");
  EXPECT_EQ(Cell(T.ngParam, "gxParI", h), "2");
  // a value index typed into "I": 5 of 3 values gives the third
  platform::TFormEventArgs ed;
  ed.Col = T.ngParam->Columns().IndexOf(T.ngParam->ColumnByName("gxParI"));
  ed.Row = h;
  T.ngParamSelectCell(ed);
  ed.Value = "5";
  T.ngParamAfterEdit(ed);
  EXPECT_EQ(TrimCtl(VariCtx().VARI->GetSK("#H")), "2000");
  EXPECT_EQ(T.edVARI_K->Value(), VariCtx().VARI->KIdx);
  // K 20 and 0 are held to the range
  T.edVARI_K->SetValue(20);
  T.edVARI_KonChange();
  EXPECT_EQ(VariCtx().VARI->KIdx, 6);
  T.edVARI_K->SetValue(0);
  T.edVARI_KonChange();
  EXPECT_EQ(VariCtx().VARI->KIdx, 1);

  // "Add Key" VMA "0 1 2": 18 combinations
  T.edVARINewKey->SetText("VMA");
  T.edVARINewVal->SetText("0 1 2");
  Click(T.btVARIAddKey);
  EXPECT_EQ(T.lbVARI_N->Caption(), "/ 18");
  const int vma = RowOfKey(T.ngParam, "gxParKey", "#VMA");
  ASSERT_GE(vma, 0);
  // "Down" on the #LIN row: it changes places with the next one
  platform::TFormEventArgs sel;
  sel.Col = 4;
  sel.Row = RowOfKey(T.ngParam, "gxParKey", "#LIN");
  T.ngParamSelectCell(sel);
  const std::string next = Cell(T.ngParam, "gxParKey", sel.Row + 1);
  Click(T.btVariKeyDown);
  EXPECT_EQ(Cell(T.ngParam, "gxParKey", sel.Row), next);
  EXPECT_EQ(Cell(T.ngParam, "gxParKey", sel.Row + 1), "#LIN");
  // "Del Key" on #VMA: back to 6
  sel.Row = RowOfKey(T.ngParam, "gxParKey", "#VMA");
  T.ngParamSelectCell(sel);
  Click(T.btVariDelKey);
  EXPECT_EQ(T.lbVARI_N->Caption(), "/ 6");
  EXPECT_LT(RowOfKey(T.ngParam, "gxParKey", "#VMA"), 0);

  // the reports
  Click(T.btVariListPar);
  EXPECT_EQ(EdTitle(), "VARI.ListPars");
  Click(T.btVariListVari);
  EXPECT_EQ(EdTitle(), "VARI.ListVari");
  Click(T.btVariReportDump);
  EXPECT_EQ(EdTitle(), "LVARI.VARI.ReportDump");
  const std::vector<std::string> dump = Corvesta->EdTab().MemoEd->Lines();
  ASSERT_FALSE(dump.empty());
  EXPECT_EQ(dump.front(), "LVARI:---------------");
  // a variator of one parameter is refused
  TVARIATOR one("one", 1);
  one.AddP("#H 0");
  TVARIATOR* kept = VariCtx().VARI;
  VariCtx().VARI = &one;
  boxes->Clear();
  Click(T.btVariListPar);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Список VARI не заполнен"_cp)) << mwtest::AllBoxes(*boxes);
  VariCtx().VARI = kept;
}

TEST_F(DialogTabs, DialogCalculationOfTheDemoQuest) {
  RunQuest("dia");
  ASSERT_EQ(Corvesta->ActivePageName(), "TabDialog") << mwtest::AllBoxes(*boxes);
  TTabDialog& T = Corvesta->DialogTab();
  // the builder's rows: row 1 LGGF, row 2 H on a logarithmic scale; no row 3
  EXPECT_EQ(T.edKey1->Text(), "LGGF");
  auto* key2 = dynamic_cast<platform::TEdit*>(Corvesta->ComponentByName("edKey2"));
  ASSERT_NE(key2, nullptr);
  EXPECT_EQ(key2->Text(), "H");
  EXPECT_EQ(Corvesta->ComponentByName("edKey3"), nullptr);
  EXPECT_EQ(Corvesta->ComponentByName("edkey2"), nullptr);  // exact names only
  auto* t2 = dynamic_cast<platform::TComboBox*>(Corvesta->ComponentByName("cbScalT2"));
  ASSERT_NE(t2, nullptr);
  EXPECT_EQ(t2->ItemIndex(), 1);
  EXPECT_EQ(T.cbVARI_Dia->Text(), "dia");
  // the observation grid and its lists
  const int lin = RowOfKey(T.ngVARIobs, "gxVariOKey", "#LIN");
  const int ct = RowOfKey(T.ngVARIobs, "gxVariOKey", "#CTETA");
  ASSERT_GE(lin, 0);
  ASSERT_GE(ct, 0);
  EXPECT_EQ(Cell(T.ngVARIobs, "gxVariOCh", lin), "1");
  EXPECT_EQ(Cell(T.ngVARIobs, "gxVariOCh", ct), "2");
  EXPECT_EQ(T.cbObsVal->ItemCount(), 2);
  EXPECT_EQ(T.cbObsValX->ItemCount(), 5);
  EXPECT_EQ(Cell(T.ngVARIobs, "gxVariOVal", lin), "FE6301");

  // the bar of row 1 (-2 .. 0) moved to 50: the value follows
  T.tbKey1->SetValue(50);
  QApplication::processEvents();
  EXPECT_EQ(T.edVal1->Text(), "-1.000");
  // row 2's value typed: its bar follows on the log scale (1000 on 2..4: 50)
  auto* val2 = dynamic_cast<platform::TEdit*>(Corvesta->ComponentByName("edVal2"));
  auto* bar2 = dynamic_cast<platform::TTrackBar*>(Corvesta->ComponentByName("tbKey2"));
  ASSERT_NE(val2, nullptr);
  ASSERT_NE(bar2, nullptr);
  val2->SetText("100");
  QApplication::processEvents();
  EXPECT_EQ(bar2->Position(), 0);

  // rescaling row 1: "<->" x2 around the bar, a factor that is no number, a bound that is none
  boxes->Clear();
  T.cbScalWN1->SetText("x2");
  T.btScalW1->Click();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Проблемы с комбо-бокс cbScalWN1!"_cp))
      << mwtest::AllBoxes(*boxes);
  T.cbScalWN1->SetItemIndex(3);
  T.btScalW1->Click();
  EXPECT_EQ(T.edBouL1->Text(), "-3.000");
  EXPECT_EQ(T.edBouR1->Text(), "1.000");
  EXPECT_EQ(T.tbKey1->Position(), 50);
  EXPECT_EQ(T.edVal1->Text(), "-1.000");
  T.btScalN1->Click();
  EXPECT_EQ(T.edBouL1->Text(), "-2.000");
  T.edBouL1->SetText("a");
  boxes->Clear();
  T.tbKey1->SetValue(60);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "не число в поле левой границы"_cp))
      << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(T.edVal1->Text(), "-1.000");
  T.edBouL1->SetText("-2.000");
  T.tbKey1->SetValue(50);

  // AutoCalc on: several quick moves, one calculation 201 ms after the last
  T.cbAutoCalc->SetChecked(true);
  const int before = T.CalcsDrawn;
  for (int p : {40, 45, 50}) {
    T.tbKey1->SetValue(p);
    QTest::qWait(40);
  }
  ASSERT_TRUE(WaitFor([&] { return T.CalcsDrawn > before && !T.Jobs.Busy(); }, 60000))
      << mwtest::AllBoxes(*boxes) << EdText();
  QTest::qWait(400);
  T.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_EQ(T.CalcsDrawn, before + 1) << mwtest::AllBoxes(*boxes);
  T.cbAutoCalc->SetChecked(false);
  // five cases, profiles and the second row
  EXPECT_EQ(T.LastCalc.NCases, 5);
  EXPECT_TRUE(T.LastCalc.TwoRows);
  ASSERT_NE(PLOTTER, nullptr);
  const std::string x1 = T.cbObsValX->Item(0);
  EXPECT_GT(PLOTTER->FindPicByTitle("dia FE6301 " + x1), 0);
  EXPECT_GT(PLOTTER->FindPicByTitle("sun69 FE6301 " + x1), 0);
  EXPECT_GT(PLOTTER->FindPicByTitle("Bisect dia FE6301 " + x1), 0);
  // computed black, observed blue
  const TOneGraph* computed = PLOTTER->Graph(PLOTTER->FindPicByTitle("dia FE6301 " + x1));
  const TOneGraph* observed = PLOTTER->Graph(PLOTTER->FindPicByTitle("sun69 FE6301 " + x1));
  ASSERT_NE(computed, nullptr);
  ASSERT_NE(observed, nullptr);
  EXPECT_EQ(computed->Color1, 0u);
  EXPECT_NE(observed->Color1, computed->Color1);

  // "1" down with item 3: one case, the third angle
  T.cbObsValX->SetItemIndex(2);
  T.sbMultiPar1->SetDown(true);
  T.sbMultiPar1Click({});
  EXPECT_EQ(Cell(T.ngVARIobs, "gxVariOK", ct), "3");
  Click(T.btCalc);
  T.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_EQ(T.LastCalc.NCases, 1);
  ASSERT_FALSE(T.LastCalc.Graphs.empty());
  EXPECT_EQ(T.LastCalc.Graphs.front().Title, "dia FE6301 " + T.cbObsValX->Item(2));
}

TEST_F(DialogTabs, DiSetUpFromTheProfileList) {
  // profiles of one observed point ("P1" of the observations "sun69") in two lines
  testsupport::WriteFile(App->sProjDir + "ONE/unobs.DAT",
                         "#QUESTObs sun69 #\n#sObs P1 #\n#MOD T HSRA=#\n#MOD_ROOT APP #\n"
                         "#MOD_DIR MODS #\n#LIN FE6301 FE6302 #\n#NLAM 11 #\n#DLK 100 #\n"
                         "#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n#H 0 #\n#GM 0 #\n"
                         "#XI 0 #\n#VD 0 #\n#VMI 1 #\n#RUN CONT #\n");
  RunQuest("unobs");
  ASSERT_EQ(LUNNO->Count(), 2) << mwtest::AllBoxes(*boxes) << EdText();
  Corvesta->ShowPage("TabDi");
  QApplication::processEvents();
  TTabDi& T = Corvesta->DiTab();
  // the first click only fills the observation quests, the second takes cases and spans
  Click(T.btUNtoDi);
  ASSERT_EQ(T.cbObsQuests->ItemCount(), 1) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(T.cbObsQuests->Text(), "sun69");
  EXPECT_EQ(Di().nCase, 0);
  Click(T.btUNtoDi);
  EXPECT_EQ(Di().nCase, 1) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Di().nLams, 2);
  EXPECT_EQ(T.ngCases->RowCount(), 1);
  EXPECT_EQ(Cell(T.ngCases, "gxObsName", 0), "P1") << mwtest::AllBoxes(*boxes);
  ASSERT_EQ(T.ngDiLams->RowCount(), 2);
  // "Lams" without a row chosen
  boxes->Clear();
  Click(T.btDiLamsRep);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "не выбрана строка"_cp)) << mwtest::AllBoxes(*boxes);
  // "Fill Lambs": the first span +-300 mA around FE6301 in 10 mA steps, the second unchecked
  auto set = [&](const char* Col, int Row, const std::string& Text) {
    T.ngDiLams->CellAt(T.ngDiLams->Columns().IndexOf(T.ngDiLams->ColumnByName(Col)), Row)
        ->SetAsText(Text);
  };
  set("gxMainLine", 0, "FE6301");
  set("gxla1", 0, "-300");
  set("gxla2", 0, "300");
  set("gxdL", 0, "10");
  T.ngDiLams->CellAt(0, 1)->SetAsBoolean(false);
  Click(T.btDiFillALam);
  EXPECT_EQ(Di().Span(1).nL, 61) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Di().Span(1).KL, 1);
  EXPECT_EQ(Cell(T.ngDiLams, "gxnL", 0), "61");
  platform::TFormEventArgs sel;
  sel.Col = 1;
  sel.Row = 0;
  T.ngDiLamsSelectCell(sel);
  Click(T.btDiLamsRep);
  EXPECT_EQ(EdTitle(), "Список длин волн"_cp);
  // a bad model edit keeps the old value and warns
  boxes->Clear();
  const double h0 = Di().Mod(1).H_0;
  T.ed_H0->SetText("1,5");
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "не является числом"_cp)) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Di().Mod(1).H_0, h0);
  T.ed_H0->SetText("500");
  EXPECT_EQ(Di().Mod(1).H_0, 500);
  // shares 30 + 20 leave 50 for the first model
  T.ed_ModP2->SetText("30");
  T.ed_ModP3->SetText("20");
  EXPECT_EQ(T.ed_ModP1->Text(), "50");
  EXPECT_EQ(Di().Mod(1).PART, 50);
  // "Make VARI" (with the line report) and "Run VARI": the page of the run's text results
  T.edRepLines->SetChecked(true);
  Click(T.btCalcDi);
  ASSERT_NE(VariCtx().VARI, nullptr);
  EXPECT_EQ(VariCtx().VARI->QUEST, "Di_calc");
  Click(T.btRunVARI);
  T.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_EQ(EdTitle(), "Di PlayVARI Report") << mwtest::AllBoxes(*boxes);
}

class DialogTabsNoDefault : public DialogTabs {
 protected:
  void PrepareRoot(mwtest::TRootCopy& R) override {
    std::filesystem::remove(R.File("ONE/Default.DAT"));
  }
};

// "Make VARI" without "ONE\Default.DAT": the message, and the working variator stays.
TEST_F(DialogTabsNoDefault, MakeVariKeepsTheVariatorWithoutTheDefaultFile) {
  RunQuest("pair");
  TVARIATOR* before = VariCtx().VARI;
  ASSERT_NE(before, nullptr);
  boxes->Clear();
  Click(Corvesta->DiTab().btCalcDi);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "не найден!"_cp)) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(VariCtx().VARI, before);
}

}  // namespace
