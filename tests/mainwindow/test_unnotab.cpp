// The Unno tab on a fresh copy of the bundled root, as a new user meets it: the demo quest
// "pair" RUN on the Project tab, then its six profiles as the table's rows (the varied keys LIN
// and H as columns), the column groups, the line filter kept in the project's settings, the key
// filter from a parameter cell, the table dump, a profile plotted in the picture window and the
// blurred copies made by a job.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabProj.h"
#include "mainwindow/TabUnno.h"
#include "mainwindow/support/ProgramEnv.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "plotting/cvPLOT.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

using mwtest::ProgramTest;

class UnnoTab : public ProgramTest {
 protected:
  TTabUnno& Tab() { return Corvesta->UnnoTab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  void RunPair() { RunQuest("pair", 6); }
  void RunQuest(const std::string& Quest, int32_t Profiles) {
    Corvesta->resize(1400, 1000);
    Corvesta->ShowPage("TabProj");
    TTabProj& P = Corvesta->ProjTab();
    int i = 0;
    while (i < P.cbQuestName->ItemCount() && P.cbQuestName->Item(i) != Quest) ++i;
    if (i == P.cbQuestName->ItemCount()) {  // a demo quest not listed yet: saved by its name
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
    ASSERT_EQ(LUNNO->Count(), Profiles) << mwtest::AllBoxes(*boxes);
  }
  std::string Cell(const char* Col, int Row) {
    return Tab().ngUnno->CellAt(UnnoColumnIndex(Col), Row)->GetAsText();
  }
  bool Visible(const char* Col) { return Tab().ngUnno->ColumnByName(Col)->Visible(); }
  std::string Header(const char* Col) {
    return gx::A(Tab().ngUnno->ColumnByName(Col)->Header().Caption());
  }
};

TEST_F(UnnoTab, PairQuestAsATable) {
  RunPair();
  Corvesta->ShowPage("TabUnno");
  TTabUnno& T = Tab();
  ASSERT_EQ(T.ngUnno->RowCount(), 6) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Header("GxU1Vari"), "LIN");
  EXPECT_EQ(Header("GxU2Vari"), "H");
  EXPECT_FALSE(Visible("GxUsVari"));
  EXPECT_FALSE(Visible("GxU3Vari"));
  // the table is drawn: some dark text pixels in the first row band
  const QImage img = T.ngUnno->Render();
  int dark = 0;
  for (int x = 0; x < img.width(); ++x)
    for (int y = 20; y < 40 && y < img.height(); ++y) dark += qGray(img.pixel(x, y)) < 100;
  EXPECT_GT(dark, 20);

  // groups W, d, L: their columns shown; H = 0 rows are intensity only
  for (platform::TSpeedButton* b : {T.btUnnoW, T.btUnnoD, T.btUnnoL}) Click(b);
  EXPECT_TRUE(Visible("GxUwI"));
  EXPECT_TRUE(Visible("GxUd0"));
  EXPECT_TRUE(Visible("GxULIpV"));
  EXPECT_TRUE(App->TunCommon->Flag("UnnoW"));
  int empty = 0;
  for (int r = 0; r < 6; ++r) {
    const bool h0 = Cell("GxU2Vari", r) == "0";
    EXPECT_EQ(Cell("GxULIpV", r).empty(), h0) << r;
    empty += Cell("GxULIpV", r).empty();
    EXPECT_GT(ValRealOr0(Cell("GxUd0", r)), 10) << r;
  }
  EXPECT_EQ(empty, 2);

  // the line filter: FE6301 unchecked leaves three rows and is kept in "Common"
  T.btLUNNO_Filters->Click();
  QApplication::processEvents();
  EXPECT_TRUE(T.gbLUNNO_Filters->isVisible());
  int r6301 = -1;
  for (int r = 0; r < T.ngULIN->RowCount(); ++r)
    if (T.ngULIN->CellAt(1, r)->GetAsText() == "FE6301") r6301 = r;
  ASSERT_GE(r6301, 0);
  T.ngULIN->CellAt(0, r6301)->SetAsBoolean(false);
  T.ngULINAfterEdit({});
  EXPECT_EQ(T.ngUnno->RowCount(), 3);
  EXPECT_TRUE(App->TunCommon->Flag("UNNOLIN|FE6301"));
  T.TabUnnoShow();  // shown again: the choice stays
  EXPECT_EQ(T.ngUnno->RowCount(), 3);

  // an H cell and "Фильтр": the rows of that field strength
  platform::TFormEventArgs sel;
  sel.Col = UnnoColumnIndex("GxU2Vari");
  sel.Row = 1;
  T.ngUnnoSelectCell(sel);
  EXPECT_TRUE(T.btKeyFilter->isEnabled());
  EXPECT_EQ(T.lbKeyField->Caption(), "H");
  const std::string h = T.lbKeyVal->Caption();
  T.btKeyFilter->Click();
  ASSERT_EQ(T.ngUnno->RowCount(), 1);
  EXPECT_EQ(Cell("GxU2Vari", 0), h);

  // "P": the table as the page "PageUnno"
  T.btUnnoPrint->Click();
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "PageUnno");
  const std::vector<std::string> lines = Corvesta->EdTab().MemoEd->Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find(" LIN"), std::string::npos);

  // the chosen row's RI in the picture window, titled by its combination
  Corvesta->ShowPage("TabUnno");
  sel.Row = 0;
  T.ngUnnoSelectCell(sel);
  const int before = PLOTTER->GraphCount();
  T.btUnnoOne->Click();
  ASSERT_EQ(PLOTTER->GraphCount(), before + 1) << mwtest::AllBoxes(*boxes);
  EXPECT_NE(PLOTTER->Graph(PLOTTER->GraphCount())->Name.find("RI"), std::string::npos);
}

TEST_F(UnnoTab, BlurMakesCopiesUnderANewStepAsAJob) {
  RunPair();
  Corvesta->ShowPage("TabUnno");
  TTabUnno& T = Tab();
  ASSERT_EQ(T.ngUnno->RowCount(), 6);
  T.edUnnoBlur->SetText("2");
  T.btBlur->Click();
  T.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_EQ(LUNNO->Count(), 12) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(LUNNO->Items(11)->IQ, 2);
  EXPECT_NE(VariCtx().LVARI->GetQuestIQVARI("pair", 2), nullptr);
  // the copies are blurred: a shallower core than their sources
  auto core = [](const TUNNO& U) {
    double m = U.UI[1];
    for (int32_t i = 1; i <= U.NDL; ++i) m = std::min(m, U.UI[i]);
    return m;
  };
  EXPECT_GT(core(*LUNNO->Items(6)), core(*LUNNO->Items(0)));
  // "C" twice: divided, then back
  const double i0 = LUNNO->Items(0)->UI[1];
  T.btNormToCont->Click();
  T.Jobs.Wait();
  QApplication::processEvents();
  T.btNormToCont->Click();
  T.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_NEAR(LUNNO->Items(0)->UI[1], i0, 1e-9 * std::abs(i0));
  // the wrong unit of a blur width converts between mA and km/s at the row's wavelength
  platform::TFormEventArgs sel;
  sel.Col = UnnoColumnIndex("GxUKVari");
  sel.Row = 0;
  T.ngUnnoSelectCell(sel);
  T.cbUnnoBlur->SetItemIndex(1);  // the user picks "mA", types 25, then picks "km/s"
  emit T.cbUnnoBlur->activated(1);
  T.edUnnoBlur->SetText("25");
  T.cbUnnoBlur->SetItemIndex(0);
  emit T.cbUnnoBlur->activated(0);
  QApplication::processEvents();
  EXPECT_NEAR(ValRealOr0(T.edUnnoBlur->Text()), 25 * 299.7924562 / LUNNO->Items(T.RowIdx(0))->LAMB, 1e-4);
}

// The probe-layer quest "cfrf" (two field strengths, 46 layer positions each): the RI column's
// response function of each field strength stored in the vector keeper by one job.
TEST_F(UnnoTab, ResponseFunctionsFromTheRIColumn) {
  RunQuest("cfrf", 92);
  Corvesta->ShowPage("TabUnno");
  TTabUnno& T = Tab();
  ASSERT_GT(T.ngUnno->RowCount(), 0);
  Click(T.btUnnoDD);
  platform::TFormEventArgs sel;
  sel.Col = UnnoColumnIndex("GxURI");
  sel.Row = 0;
  T.ngUnnoSelectCell(sel);
  EXPECT_EQ(T.edsId->Text(), "RI");
  TLVEMO* keeper = CalcCtx().LVEMO;
  ASSERT_NE(keeper, nullptr);
  const int32_t before = keeper->Count();
  std::vector<std::string> report;
  T.Jobs.ShowReport = [&](const std::string&, const std::vector<std::string>& L) {
    report.insert(report.end(), L.begin(), L.end());
  };
  T.btCFRF->Click();
  T.Jobs.Wait();
  QApplication::processEvents();
  std::string vecs;
  if (auto l = keeper->ReportList())
    for (int i = 0; i < l->Count(); ++i) vecs += (*l)[i] + "\n";
  // the probe heights (FMOD 2) and one function per field strength
  EXPECT_EQ(keeper->Count(), before + 3) << mwtest::AllBoxes(*boxes) << vecs;
  EXPECT_NE(vecs.find("RF_T(X_0.1,M=100)|2|LI=FE6302|#H=0|RI"), std::string::npos) << vecs;
  EXPECT_NE(vecs.find("RF_T(X_0.1,M=100)|2|LI=FE6302|#H=1000|RI"), std::string::npos) << vecs;
  std::string all;
  for (const std::string& l : report) all += l + "\n";
  EXPECT_NE(all.find("CF/RF: RF_T(X_0.1,M=100) (x2)"), std::string::npos) << all;
}

}  // namespace
