// The Data tab as a new user meets it: a table picked, a filter and a sort set in the grids,
// "Apply" writes the statement and runs it as a job, the Fe I pair in the result grid, "P" puts
// the result into the editor; the order clicks of the sort grid; the energy converter; a dump
// without a result warns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <string>

#include "app/cvApp.h"
#include "foundation/cvLit.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabDB.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/support/ProgramEnv.h"

namespace {

using mwtest::ProgramTest;

class DataTab : public ProgramTest {
 protected:
  TTabDB& Tab() { return Corvesta->DBTab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  void Pick(const std::string& Table) {
    TTabDB& T = Tab();
    int i = 0;
    while (i < T.ListDB->ItemCount() && T.ListDB->Item(i) != Table) ++i;
    ASSERT_LT(i, T.ListDB->ItemCount()) << Table;
    T.ListDB->setCurrentIndex(i);
    emit T.ListDB->activated(i);
    QApplication::processEvents();
    T.Jobs.Wait();
    QApplication::processEvents();
  }
  int Row(TFormCvGrid* G, const char* Col, const std::string& Text) {
    const int c = G->Columns().IndexOf(G->ColumnByName(Col));
    for (int r = 0; r < G->RowCount(); ++r)
      if (G->CellAt(c, r)->GetAsText() == Text) return r;
    return -1;
  }
  void Set(TFormCvGrid* G, const char* Col, int R, const std::string& Text) {
    G->CellAt(G->Columns().IndexOf(G->ColumnByName(Col)), R)->SetAsText(Text);
  }
  std::string ResultColumn(const std::string& Field) {
    const TDBResult& r = Tab().Result();
    std::string s;
    for (size_t c = 0; c < r.Fields.size(); ++c)
      if (r.Fields[c] == Field)
        for (int row = 0; row < Tab().DBGrid->RowCount(); ++row)
          s += Tab().DBGrid->CellAt(static_cast<int>(c), row)->GetAsText() + " ";
    return s;
  }
};

TEST_F(DataTab, FilterSortRunAndDump) {
  Corvesta->resize(1400, 900);
  Corvesta->ShowPage("TabDB");
  QApplication::processEvents();
  TTabDB& T = Tab();
  // a dump before any query ran
  Click(T.btDataPrint);
  ASSERT_EQ(boxes->Shown().size(), 1u);
  EXPECT_EQ(boxes->Shown()[0].text, "Таблица ADOQuery не активна!"_cp);
  boxes->Clear();

  Pick("Lines_");
  ASSERT_EQ(T.MemoSQL->Lines(), std::vector<std::string>{"select * from Lines_"});
  EXPECT_EQ(App->TunCommon->Get("Data_ListDB"), "Lines_");
  ASSERT_TRUE(T.btAutoPlay->Down());
  ASSERT_TRUE(T.ResultOpen()) << mwtest::AllBoxes(*boxes);  // Auto Play is down: the table ran at once
  ASSERT_GT(T.ngDBSort->RowCount(), 5);
  EXPECT_EQ(T.ngDBSort->RowCount(), T.ngDBFilter->RowCount());

  // LAMB > 6000 and < 6400, sorted by LAMB
  const int fr = Row(T.ngDBFilter, "gxFDBFld", "LAMB");
  ASSERT_GE(fr, 0);
  T.ngDBFilter->CellAt(T.ngDBFilter->Columns().IndexOf(T.ngDBFilter->ColumnByName("gxFDBOnOff")), fr)
      ->SetAsBoolean(true);
  // the comparison lists hold the item's index: "", "=", "<>", ">", ">=", "<", "<="
  T.ngDBFilter->CellAt(T.ngDBFilter->Columns().IndexOf(T.ngDBFilter->ColumnByName("gxFDBOper1")), fr)
      ->SetAsInteger(3);
  Set(T.ngDBFilter, "gxFDBVal1", fr, "6000");
  T.ngDBFilter->CellAt(T.ngDBFilter->Columns().IndexOf(T.ngDBFilter->ColumnByName("gxFDBOper2")), fr)
      ->SetAsInteger(5);
  Set(T.ngDBFilter, "gxFDBVal2", fr, "6400");
  platform::TFormEventArgs e;
  e.Col = T.ngDBFilter->Columns().IndexOf(T.ngDBFilter->ColumnByName("gxFDBOnOff"));
  e.Row = fr;
  T.ngDBFilterAfterEdit(e);
  EXPECT_EQ(Row(T.ngDBFilter, "gxFDBFld", "LAMB"), 0);  // the switched-on row goes first

  const int sr = Row(T.ngDBSort, "gxSDBFld", "LAMB");
  ASSERT_GE(sr, 0);
  e.Col = T.ngDBSort->Columns().IndexOf(T.ngDBSort->ColumnByName("gxSDBOrd"));
  e.Row = sr;
  T.ngDBSortClick(e);
  EXPECT_EQ(Row(T.ngDBSort, "gxSDBFld", "LAMB"), 0);

  Click(T.btDBApply);
  T.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_EQ(T.MemoSQL->Lines(),
            std::vector<std::string>{
                "select * from Lines_ where (LAMB > 6000) AND (LAMB < 6400) order by LAMB"});
  const std::string lin = ResultColumn("LIN6");
  EXPECT_NE(lin.find("FE6301"), std::string::npos) << lin;
  EXPECT_NE(lin.find("FE6302"), std::string::npos) << lin;
  EXPECT_LT(lin.find("FE6301"), lin.find("FE6302")) << lin;
  for (int r = 0; r < T.DBGrid->RowCount(); ++r) {
    const double x = std::stod(T.DBGrid->CellAt(
        static_cast<int>(std::find(T.Result().Fields.begin(), T.Result().Fields.end(), "LAMB") -
                         T.Result().Fields.begin()),
        r)->GetAsText());
    EXPECT_GT(x, 6000);
    EXPECT_LT(x, 6400);
  }

  // "P": the result into the editor under the statement's title
  Click(T.btDataPrint);
  const std::vector<std::string> ed = Corvesta->EdTab().MemoEd->Lines();
  ASSERT_GE(ed.size(), 3u);
  EXPECT_NE(ed[0].find(" LIN6"), std::string::npos) << ed[0];
  bool pair = false;
  for (const std::string& l : ed) pair = pair || l.find(" FE6302") != std::string::npos;
  EXPECT_TRUE(pair);

  // the converter: each field updates the other, a text that is no number changes nothing
  T.edEV->SetText("1");
  QApplication::processEvents();
  EXPECT_EQ(T.edSM_1->Text(), "8065.463");
  T.edSM_1->SetText("abc");
  QApplication::processEvents();
  EXPECT_EQ(T.edEV->Text(), "1");
}

// The sort-and-filter panel: hidden by "<<" (the setting removed), shown again (">>").
TEST_F(DataTab, SortFilterPanelToggles) {
  Corvesta->ShowPage("TabDB");
  TTabDB& T = Tab();
  App->TunCommon->Set("Data_SFTunesDown", "1");
  T.RestoreDBTunes();
  EXPECT_TRUE(T.PanelSortFilt->isVisibleTo(T.Sheet()));
  Click(T.btSFTunes);
  EXPECT_FALSE(T.btSFTunes->Down());
  EXPECT_FALSE(T.PanelSortFilt->isVisibleTo(T.Sheet()));
  EXPECT_EQ(T.btSFTunes->Caption(), ">>");
  EXPECT_EQ(App->TunCommon->Get("Data_SFTunesDown"), "");
  Click(T.btSFTunes);
  EXPECT_TRUE(T.PanelSortFilt->isVisibleTo(T.Sheet()));
  EXPECT_EQ(App->TunCommon->Get("Data_SFTunesDown"), "1");
}

}  // namespace
