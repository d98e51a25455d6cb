// The Models and VEMO tabs on a fresh copy of the bundled root, as a new user meets them: the
// model files registered in the table of models, HSRA loaded and its temperature drawn over the
// depth scale X, the mouse read back, the working vectors and a clone by the edit script; then
// the VEMO table: a height calculated, the marked vectors reported in their "Order", T drawn
// against X for editing, a point moved with "R" down (the row refills 601 ms later), the
// temperature window and the three deletes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "linedata/cvDM.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FTAnalize.h"
#include "mainwindow/TabModels.h"
#include "mainwindow/TabVEMO.h"
#include "mainwindow/support/ProgramEnv.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "plotting/cvGRAD.h"
#include "synthesis/drivers/cvProjRuns.h"

namespace {

using mwtest::ProgramTest;

class VemoTabs : public ProgramTest {
 protected:
  TTabModels& M() { return Corvesta->ModelsTab(); }
  TTabVEMO& V() { return Corvesta->VEMOTab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  // Chooses the item with that text (trimmed) as a user does.
  void Choose(platform::TComboBox* C, const std::string& Text) {
    int i = 0;
    while (i < C->ItemCount() && TrimCtl(C->Item(i)) != Text) ++i;
    ASSERT_LT(i, C->ItemCount()) << Text;
    C->SetItemIndex(i);
    emit C->activated(i);
    QApplication::processEvents();
  }
  int Row(const std::string& Name, int F = 0) {
    for (int r = 0; r < V().ngVEMO->RowCount(); ++r)
      if (Cell("GxVEMOName", r) == Name && Cell("GxVFMOD", r) == IntStr(F) &&
          Cell("GxModel", r) == "HSRA")
        return r;
    return -1;
  }
  std::string Cell(const char* Col, int R) {
    TFormCvGrid* G = V().ngVEMO;
    return G->CellAt(G->Columns().IndexOf(G->ColumnByName(Col)), R)->GetAsText();
  }
  void SetCell(const char* Col, int R, const std::string& T) {
    TFormCvGrid* G = V().ngVEMO;
    const int c = G->Columns().IndexOf(G->ColumnByName(Col));
    G->CellAt(c, R)->SetAsText(T);
    platform::TFormEventArgs E;
    E.Col = c;
    E.Row = R;
    V().ngVEMOAfterEdit(E);
  }
  void Mark(const std::vector<int>& Rows) {
    TFormCvGrid* G = V().ngVEMO;
    const int c = G->Columns().IndexOf(G->ColumnByName("GxVEMOQ"));
    for (int r = 0; r < G->RowCount(); ++r)
      G->CellAt(c, r)->SetAsBoolean(std::find(Rows.begin(), Rows.end(), r) != Rows.end());
  }
  std::vector<std::string> EdLines() { return Corvesta->EdTab().MemoEd->Lines(); }
  int WhitePixels() {
    const QImage& img = M().ImageMod->Picture();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    return n;
  }
};

TEST_F(VemoTabs, ModelsThenVemoJourney) {
  Corvesta->resize(1200, 900);
  Corvesta->ShowPage("TabModels");
  M().Jobs.Wait();
  QApplication::processEvents();
  // the four bundled files in the table of models, kind S, with columns and layers
  TcvTable& T = DM->ADOMod_;
  T.Close();
  T.SetFilter("ModKind = ?", {TextValue("S")});
  T.SetFiltered(true);
  T.Open();
  std::vector<std::string> names;
  for (T.First(); !T.Eof(); T.Next()) {
    names.push_back(T.FieldByName("ModName").AsString());
    EXPECT_GT(T.FieldByName("NCol").AsInteger(), 1) << names.back();
    EXPECT_GT(T.FieldByName("NLay").AsInteger(), 2) << names.back();
  }
  T.Close();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"CV", "HOLMU", "HSRA", "VD2KMS"}));
  EXPECT_EQ(M().cbModNam->Items(), (std::vector<std::string>{"CV", "HOLMU", "HSRA", "VD2KMS"}));

  // HSRA loaded by a job; the selectors offer it
  M().cbModNam->SetText("HSRA");
  Click(M().btVeMoLoad);
  M().Jobs.Wait();
  ASSERT_TRUE(Keeper().HasMod("HSRA")) << mwtest::AllBoxes(*boxes);
  Choose(M().cbSMod, "HSRA");
  Choose(M().cbFMOD, "0");
  Choose(M().cbName, "T");
  Choose(M().cbNameX, "X");
  EXPECT_EQ(App->TunCommon->Get("VEMOsMod"), "HSRA");
  EXPECT_EQ(M().edVeXL->Text(), SigSt(4, -5.0));
  // drawn over a black picture: the white curve of T lies inside it
  Click(M().btImVeClear);
  EXPECT_EQ(WhitePixels(), 0);
  Click(M().btVeDraw);
  EXPECT_GT(WhitePixels(), 50) << mwtest::AllBoxes(*boxes);
  ASSERT_EQ(M().LastDescr.size(), 5u);
  EXPECT_NE(M().LastDescr[4].find("#WVY N 3000 "), std::string::npos) << M().LastDescr[4];
  // the mouse at the left and right edges: the depth scale's ends, the value scale's
  const QSize s = M().ImageMod->size();
  QTest::mouseMove(M().ImageMod, QPoint(0, s.height() - 1));
  QApplication::processEvents();
  EXPECT_EQ(M().lbModX->Caption(), "-5.000");
  EXPECT_EQ(M().lbModY->Caption(), "3000.000");
  QTest::mouseMove(M().ImageMod, QPoint(s.width() - 1, 0));
  QApplication::processEvents();
  EXPECT_EQ(M().lbModX->Caption(), "2.000");
  EXPECT_EQ(M().lbModY->Caption(), "10000.000");

  // "open" shows the file
  Click(M().btVeMoOpen);
  EXPECT_FALSE(EdLines().empty());
  // "P1": the working vectors on grid 1
  Click(M().btVeMoP1);
  M().Jobs.Wait();
  for (const char* n : {"X", "T", "LGPG", "LGPE", "VMI", "h"})
    EXPECT_NE(Keeper().FindVeMo(n, "HSRA", "", 1), nullptr) << n << mwtest::AllBoxes(*boxes);
  // "use edition": a clone of T by the memo's script
  const int32_t before = Keeper().Count();
  Click(M().btVeMoUseEd);
  EXPECT_EQ(Keeper().Count(), before + 1);

  // ---- the VEMO tab: HSRA's vectors of grid 0 (beside what earlier tests left in the keeper)
  Corvesta->ShowPage("TabVEMO");
  QApplication::processEvents();
  const int rx = Row("X"), rt = Row("T");
  ASSERT_GE(rx, 0);
  ASSERT_GE(rt, 0);
  EXPECT_EQ(Cell("GxModel", rt), "HSRA");
  // "Calc:" h on grid 0 of the first model on
  const int32_t n0 = Keeper().Count();
  Click(V().btCalcVEMO);
  EXPECT_NE(Row("h"), -1) << mwtest::AllBoxes(*boxes);
  EXPECT_GE(Keeper().Count(), n0);
  // X and T marked, "Order" 2 and 1: T comes first in the report
  Mark({Row("X"), Row("T")});
  SetCell("GxKOut", Row("X"), "2");
  SetCell("GxKOut", Row("T"), "1");
  Click(V().btNGVEMOReport);
  const std::vector<std::string> rep = EdLines();
  ASSERT_GE(rep.size(), 3u);
  const std::string head = rep[1];
  TVEMO* vx = V().RowVector(Row("X"));
  TVEMO* vt = V().RowVector(Row("T"));
  const size_t px = head.find(vx->RepSet ? vx->RepSet->Hd : "X");
  const size_t pt = head.find(vt->RepSet ? vt->RepSet->Hd : "T");
  ASSERT_NE(px, std::string::npos) << head;
  ASSERT_NE(pt, std::string::npos) << head;
  EXPECT_LT(pt, px) << head;

  // T drawn against X for editing: added once to the edited list
  Click(V().btPicVEMO);
  Click(V().btPicVEMO);
  EXPECT_EQ(V().EditedVectors.Count(), 1) << mwtest::AllBoxes(*boxes);
  // a point moved down with "R" down: the vector takes the values, the row refills 601 ms later
  V().btReturnVEMO->SetDown(true);
  TVEMO* t = V().RowVector(Row("T"));
  ASSERT_NE(t, nullptr);
  const std::string time0 = Cell("GxVEMOTime", Row("T"));
  TARe ay = t->A;
  ay[10] -= 100;
  Wait(5);
  Plotting().EditedGraph(t->FullName(), ay);
  EXPECT_TRUE(V().VEMODirty);
  EXPECT_EQ(Cell("GxVEMOTime", Row("T")), time0);
  Wait(900);
  EXPECT_FALSE(V().VEMODirty);
  EXPECT_NE(Cell("GxVEMOTime", Row("T")), time0);
  EXPECT_EQ(t->A[10], ay[10]);

  // "T.." on the row of T
  V().ngVEMO->SelectRow(Row("T"));
  Click(V().btTAnalize);
  ASSERT_NE(FTAnalize, nullptr) << mwtest::AllBoxes(*boxes);
  EXPECT_TRUE(FTAnalize->isVisible());
  FTAnalize->hide();

  // the deletes: the marked ones (the edited list follows), the line vectors, the models on
  // the source T and its clone of "use edition"
  std::vector<int> ts;
  for (int r = 0; r < V().ngVEMO->RowCount(); ++r)
    if (Cell("GxVEMOName", r) == "T" && Cell("GxVFMOD", r) == "0" && Cell("GxModel", r) == "HSRA")
      ts.push_back(r);
  EXPECT_EQ(ts.size(), 2u);
  Mark(ts);
  Click(V().btVEMOClearOne);
  EXPECT_EQ(Row("T"), -1);
  EXPECT_EQ(V().EditedVectors.Count(), 0);
  Click(V().btVEMOClearAtLiLam);
  Click(V().btVEMODELClear);
  EXPECT_FALSE(Keeper().HasMod("HSRA"));
  EXPECT_EQ(V().ngVEMO->RowCount(), 0);
}

TEST_F(VemoTabs, SelectorsKeepTheirFlagsAndMessagesSayWhatIsMissing) {
  Corvesta->ShowPage("TabVEMO");
  QApplication::processEvents();
  // "Calc:" without any model
  boxes->Clear();
  Click(V().btCalcVEMO);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Не найдено ни одной модели!"_cp)) << mwtest::AllBoxes(*boxes);
  // "Draw" with nothing marked says which vectors are missing
  boxes->Clear();
  Click(V().btPicVEMO);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Не отмечены векторы X и Y"_cp)) << mwtest::AllBoxes(*boxes);
  // "T.." without a row
  boxes->Clear();
  Click(V().btTAnalize);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "В списке векторов моделей не выбрана строка!"_cp));
  // switching the only FMOD row off switches row 0 on again; the flags follow
  TFormCvGrid* G = V().ngFMOD;
  const int on = G->Columns().IndexOf(G->ColumnByName("GxFMODQ"));
  G->CellAt(on, 0)->SetAsBoolean(false);
  platform::TFormEventArgs E;
  E.Col = on;
  E.Row = 0;
  V().ngFMODAfterEdit(E);
  EXPECT_TRUE(G->CellAt(on, 1)->GetAsBoolean());
  EXPECT_TRUE(App->TunCommon->Flag("VEMO|FMOD1"));
  EXPECT_EQ(App->TunCommon->Get("VEMO|FMOD0"), "");
  // the column groups follow their buttons and flags
  Click(V().btVEMORep);
  EXPECT_TRUE(App->TunCommon->Flag("VemoR"));
  EXPECT_TRUE(V().ngVEMO->ColumnByName("GxKOut")->Visible());
  Click(V().btVEMORep);
  EXPECT_FALSE(V().ngVEMO->ColumnByName("GxKOut")->Visible());
  // "P3" without a variator
  Corvesta->ShowPage("TabModels");
  M().Jobs.Wait();
  boxes->Clear();
  if (!VariCtx().VARI) {
    Click(M().btVeMoP3);
    EXPECT_TRUE(mwtest::BoxShown(*boxes, "ВАРИАТОР НЕ ЗАГРУЖЕН!"_cp));
  }
}

// "ModRep" with the demo quest of Fe I 6302.5 as the working variator and HSRA loaded ("P1"):
// the model's own grid with the line's vectors in the editor, under the report's title.
TEST_F(VemoTabs, ModRepShowsTheModelPreparedForTheLine) {
  Corvesta->ShowPage("TabModels");
  M().Jobs.Wait();
  ASSERT_TRUE(LoadVARI("fe6302"));
  M().cbModNam->SetText("HSRA");
  Click(M().btVeMoLoad);
  M().Jobs.Wait();
  Click(M().btVeMoP1);
  M().Jobs.Wait();
  Corvesta->EdTab().edFile->SetText("x.txt");
  Click(M().btModRep);
  M().Jobs.Wait();
  QApplication::processEvents();
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "PMOD1_REP1") << mwtest::AllBoxes(*boxes);
  const std::vector<std::string> l = EdLines();
  ASSERT_GE(l.size(), 3u) << mwtest::AllBoxes(*boxes);
  EXPECT_NE(l[0].find("HSRA"), std::string::npos) << l[0];
  EXPECT_NE(l[1].find("Eta0_FE6302"), std::string::npos) << l[1];
  EXPECT_EQ(l[2].substr(0, 17), " 2.5119+01 9560.0") << l[2];
}

}  // namespace
