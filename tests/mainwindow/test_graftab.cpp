// The Graf tab as a new user meets it: tables of the editor plotted by the popup "Graphic" and
// by the tab's button with a line step (a series of tables), the picture window's graphs listed
// in the grid, the bulk buttons ("Evn", "Fill", "Oper" shifting a family apart, "JoinY", "Del"),
// "Hist Y", the scale list, the animation's interval, the tool-host fields, and the refusals of
// table plotting word for word.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabGraf.h"
#include "mainwindow/support/ProgramEnv.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPicTool.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"

namespace {

using mwtest::ProgramTest;

// Three tables of 15 lines (a header and 14 rows) every 20 lines.
std::vector<std::string> Tables() {
  std::vector<std::string> L;
  for (int t = 0; t < 3; ++t) {
    L.push_back("Lambda[A] I[cont]");
    for (int i = 0; i < 14; ++i)
      L.push_back(FSt(9, 3, 6301.0 + 0.01 * i) + " " + FSt(7, 4, 1 - 0.1 * t - 0.01 * (i % 5)));
    for (int i = 0; i < 5; ++i) L.push_back("");
  }
  return L;
}

class GrafTab : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Corvesta->resize(1400, 1000);
    Corvesta->ShowPage("TabEd");
    QApplication::processEvents();
    if (PLOTTER) PLOTTER->ClearAll();
  }
  TTabGraf& Tab() { return Corvesta->GrafTab(); }
  // The caret on line L (from 1), character C (from 1), and the X column in the panel.
  void Caret(int32_t L, int32_t C, int32_t ColX) {
    Ed->Memo->SetCaret(L - 1, C - 1);
    Ed->UpdateStatus();
    Ed->TabTop = Ed->TabBottom = 0;
    App->Inf->LogInt("nX", ColX);
  }
  int Col(const char* Name) {
    TGxCustomColumn* c = Tab().gx_PicList->ColumnByName(Name);
    return c ? Tab().gx_PicList->Columns().IndexOf(c) : -1;
  }
  std::string Cell(const char* Name, int Row) {
    return Tab().gx_PicList->CellAt(Col(Name), Row)->GetAsText();
  }
  void Click(platform::TButton* B) {
    B->click();
    QApplication::processEvents();
  }
};

TEST_F(GrafTab, TablesPlottedListedAndEditedInBulk) {
  ASSERT_NE(PLOTTER, nullptr);
  ASSERT_NE(FPicTool, nullptr);
  Ed->Memo->SetLines(Tables());
  Caret(2, 12, 1);
  ASSERT_EQ(Ed->Line, 2);
  // the popup "Graphic": one curve
  Corvesta->EdTab().pmedGr->trigger();
  QApplication::processEvents();
  ASSERT_EQ(PLOTTER->GraphCount(), 1) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(PLOTTER->Graph(1)->N, 14);
  EXPECT_EQ(PLOTTER->Graph(1)->OXName, "Lambda");
  EXPECT_EQ(PLOTTER->Graph(1)->OYName, "I");
  EXPECT_TRUE(FPict->isVisible());
  // the curve drawn in the picture window: dark pixels in its buffer
  {
    platform::TBitmap& B = FPict->WinCanvas()->Surface();
    int dark = 0;
    for (int32_t y = 0; y < B.Height(); y += 2)
      for (int32_t x = 0; x < B.Width(); x += 2) dark += (B.Pixel(x, y) & 0xFF) < 100;
    EXPECT_GT(dark, 20);
  }

  // the tab's button with a step of 20: this table and each one after it
  Corvesta->ShowPage("TabGraf");
  QApplication::processEvents();
  TTabGraf& T = Tab();
  T.edVertStep->SetText("20");
  Click(T.btNewGraf);
  ASSERT_EQ(PLOTTER->GraphCount(), 4) << mwtest::AllBoxes(*boxes);
  EXPECT_DOUBLE_EQ(PLOTTER->Graph(4)->AY[1], 1 - 0.2);

  // the graphs listed, numbered from 0
  ASSERT_EQ(T.gx_PicList->RowCount(), 4);
  EXPECT_EQ(Cell("gxPL_Num", 0), "0");
  EXPECT_EQ(Cell("gxPL_Num", 3), "3");
  EXPECT_EQ(Cell("gxPL_NPoint", 2), "14");
  EXPECT_EQ(Cell("gxPL_TitY", 0), "I");
  EXPECT_GT(T.gx_WindList->RowCount(), 1);

  // "Evn": rows 0 and 2
  Click(T.btGActEvn);
  EXPECT_TRUE(PLOTTER->Graph(1)->Act);
  EXPECT_FALSE(PLOTTER->Graph(2)->Act);
  EXPECT_TRUE(PLOTTER->Graph(3)->Act);
  EXPECT_FALSE(PLOTTER->Graph(4)->Act);

  // "Fill" the titles of the active rows from the memo
  T.gx_PicListCellClick([&] {
    platform::TFormEventArgs a;
    a.Col = Col("gxPL_TITLE");
    a.Row = 0;
    return a;
  }());
  EXPECT_EQ(T.lbCurCol->Caption(), "TITLE");
  T.memoPicListFldVal->SetLines({"a", "b"});
  Click(T.btFill);
  EXPECT_EQ(PLOTTER->Graph(1)->Name, "a");
  EXPECT_EQ(PLOTTER->Graph(3)->Name, "b");
  EXPECT_EQ(Cell("gxPL_TITLE", 2), "b");

  // "Oper" on Y: the active family shifted apart by 0 and 10
  FPicTool->Model.Put("cbZoomX", "0");
  FPicTool->Model.Put("cbZoomY", "1");
  T.btOper->click();
  QApplication::processEvents();
  ASSERT_EQ(PLOTTER->GraphCount(), 6);
  EXPECT_DOUBLE_EQ(PLOTTER->Graph(5)->AY[1], PLOTTER->Graph(3)->AY[1] + 10);
  EXPECT_DOUBLE_EQ(PLOTTER->Graph(6)->AY[1], PLOTTER->Graph(1)->AY[1]);
  EXPECT_EQ(PLOTTER->Graph(5)->Name, "10+b");
  ASSERT_EQ(T.gx_PicList->RowCount(), 6);

  // "JoinY": the active graphs on one Y window
  Click(T.btGActAll);
  Click(T.btJoinY);
  for (int32_t i = 2; i <= 6; ++i) EXPECT_EQ(PLOTTER->Graph(i)->WinY, PLOTTER->Graph(1)->WinY) << i;

  // "Hist Y" of the current graph
  PLOTTER->SetCurPic(2);
  Click(T.btGraHist);
  ASSERT_EQ(PLOTTER->GraphCount(), 7);
  EXPECT_EQ(PLOTTER->Graph(7)->Name, "Hist(I)");
  EXPECT_NE(T.edMaVal->Text(), "0");

  // "Del" with every row active: all gone
  Click(T.btGActAll);
  Click(T.btDelPicList);
  EXPECT_EQ(PLOTTER->GraphCount(), 0);
  EXPECT_EQ(T.gx_PicList->RowCount(), 0);
  // the plotter's own replay after its last graph went notes that none is left; nothing else
  for (const auto& b : boxes->Shown())
    EXPECT_NE(b.text.find("LGraph.Count = 0"), std::string::npos) << mwtest::AllBoxes(*boxes);
}

TEST_F(GrafTab, FieldsTheToolReadsScaleAndAnimation) {
  Corvesta->ShowPage("TabGraf");
  QApplication::processEvents();
  TTabGraf& T = Tab();
  ASSERT_NE(FPicTool, nullptr);
  TPicTool& Tool = FPicTool->Model;
  // the tool's host calls answer from the tab's fields
  EXPECT_EQ(Tool.MainGet("edkMi"), ".0010");
  EXPECT_EQ(Tool.MainGet("edkMa"), ".9990");
  EXPECT_EQ(Tool.MainGet("ed_tGIF"), "0.2");
  EXPECT_EQ(Tool.MainGet("cb_gif_2side"), "1");
  EXPECT_EQ(Tool.MainGet("cbMoveKind"), "Touch Segment");
  T.cb_gif_2side->SetChecked(false);
  EXPECT_EQ(Tool.MainGet("cb_gif_2side"), "0");
  T.memoGridX->SetLines({"-2.3", "-2.2"});
  EXPECT_EQ(Tool.MainGet("memoGridX"), "-2.3\r\n-2.2");
  Tool.MainSet({{"cbMoveKind", "Hit point"}, {"edAneG_IX", "12.5"}});
  EXPECT_EQ(T.cbMoveKind->Text(), "Hit point");
  EXPECT_EQ(T.edAneG_IX->Text(), "12.5");
  // the scale list: 4 decimals without the leading zero
  T.cbScale->SetText("0.001");
  T.cbScaleChange({});
  EXPECT_EQ(T.edkMi->Text(), ".0010");
  EXPECT_EQ(T.edkMa->Text(), ".9990");
  // the animation: a time that is not a number counts as 1 s; a negative one is refused
  T.ed_tGIF->SetText("abc");
  T.btStartGIF->SetDown(true);
  T.btStartGIFClick({});
  EXPECT_TRUE(FPict->GIFTimer.isActive());
  EXPECT_EQ(FPict->GIFTimer.interval(), 1000);
  T.btStartGIF->SetDown(false);
  T.btStartGIFClick({});
  EXPECT_FALSE(FPict->GIFTimer.isActive());
  T.ed_tGIF->SetText("-1");
  T.btStartGIF->SetDown(true);
  T.btStartGIFClick({});
  EXPECT_FALSE(FPict->GIFTimer.isActive());
  EXPECT_FALSE(T.btStartGIF->Down());
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Интервал анимации"_cp));
  // without a plotter graph: the grid's edit is refused word for word
  boxes->Clear();
  PLOTTER->ClearAll();
  T.gx_PicList->AddRows(1);
  T.ApplyRow(0, "gxPL_Act");
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "PLOTTER.OneG Not Assigned"));
}

TEST_F(GrafTab, TablePlottingRefusals) {
  std::vector<std::string> L = Tables();
  L.push_back("6301.5 0.5");  // line 61: a table of one line
  Ed->Memo->SetLines(L);
  struct Case {
    int32_t Line, Char, ColX;
    std::string Message;
  };
  const Case cases[] = {
      {2, 12, 0, "Колонка X не выбрана!"_cp},
      {2, 12, 2, "Текущая колонка, которая определяет Y совпадает с колонкой X!"_cp},
      {61, 9, 1, "Диапазон строк от 61 до 61 задан неверно!\r\nТекущая строка №61"_cp},
  };
  for (const Case& c : cases) {
    boxes->Clear();
    Caret(c.Line, c.Char, c.ColX);
    Corvesta->GrafTab().PlayGraphic();
    EXPECT_TRUE(mwtest::BoxShown(*boxes, c.Message)) << mwtest::AllBoxes(*boxes);
    EXPECT_EQ(PLOTTER->GraphCount(), 0);
  }
  boxes->Clear();
  Corvesta->GrafTab().PlayGraphic(TPlaySource::Other, "TLabel");
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "PlayGrafic - неизвестный Sender :TLabel"_cp));
}

}  // namespace
