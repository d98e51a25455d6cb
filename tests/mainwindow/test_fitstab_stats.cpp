// The FITS tab's level filters and statistics as a new user meets them, on the demo session's
// maps made by the scan's map runs in the test's own root: a continuum filter with two levels
// stepped through, the masked map, scatter graphs per combination, histograms, the text table,
// a cut, averaged profiles, CB0 written and shown in the sessions grid after a refresh, a mean
// curve; then the refusals, the filter sets and the sessions grid's own filter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabGraf.h"
#include "mainwindow/support/ProgramEnv.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "scans/cvCurISetup.h"
#include "scans/cvFIOut.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapView.h"
#include "scans/cvR4Pict.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessionConsts.h"
#include "platform/Canvas.h"
#include "support/TestSupport.h"

namespace {

using mwtest::ProgramTest;

class FITSStats : public ProgramTest {
 protected:
  TTabFITS& Tab() { return Corvesta->FITSTab(); }
  void Choose(platform::TComboBox* C, const std::string& Item) {
    int i = 0;
    while (i < C->ItemCount() && C->Item(i) != Item) ++i;
    ASSERT_LT(i, C->ItemCount()) << Item;
    C->SetItemIndex(i);
    emit C->activated(i);
    QApplication::processEvents();
  }
  void Session() {
    Corvesta->resize(1241, 756);
    Corvesta->ShowPage("TabFITS");
    QApplication::processEvents();
    Tab().edFITSpath->SetText(root->File("FITS"));
    QApplication::processEvents();
    Choose(Tab().cbFITS_YM, "2019_06");
    ASSERT_EQ(Tab().ngFITS_YM->RowCount(), 1) << mwtest::AllBoxes(*boxes);
    platform::TFormEventArgs e;
    e.Col = Tab().ngFITS_YM->ColumnByName("GxFITS_DaTi")->Index();
    e.Row = 0;
    Tab().ngFITS_YMCellClick(e);
  }
  // The session's maps by the scan's map runs, saved into its own output file.
  void MakeMaps() {
    Tab().btLoadFITS->Click();
    Tab().Jobs.Wait();
    TLFITS& s = *Tab().CurLFITS;
    ASSERT_GT(s.Count(), 0);
    Scans().CurISet.Calc.rC90 = 0.95;
    TJob job("maps");
    RunJob(job, [&](TJob& J) {
      ASSERT_TRUE(s.CalcCont0(J));
      ASSERT_TRUE(s.CalcKVI(J, false));
      ASSERT_TRUE(s.CalcLW(J));  // after the KVI maps: both fill the same bank's first rows
    });
    ASSERT_EQ(job.State(), TJobState::Done) << job.Error();
    ASSERT_TRUE(WriteMainHeader(s, TScanMapStats{}));
    std::vector<TFIOut*> own;
    for (const auto& m : LFIOReg().Items)
      if (FIOutAssigned(m.get()) && m->kSoft == 1 && m->kLoad >= 2) own.push_back(m.get());
    TJob save("save");
    int32_t n = 0;
    RunJob(save, [&](TJob& J) { n = SaveMaps(J, own); });
    ASSERT_EQ(n, static_cast<int32_t>(own.size()));
    for (const char* name : {"CONT", "CONT2", "W2QUV195", "W2QUV295", "LWb1", "LWr2"})
      ASSERT_TRUE(LFIOReg().GetFIOutDT("20190622", "164505", name)) << name << Names();
  }
  std::string Names() {
    std::string r;
    for (const auto& m : LFIOReg().Items)
      if (FIOutAssigned(m.get())) r += " " + m->Name + "/" + IntStr(m->kSoft) + "/" + IntStr(m->kLoad);
    return r;
  }
  void Leave(platform::TFormEventArgs Args = {}) {
    (void)Args;
    Corvesta->Events.Fire("edFilt11", "OnExit");
    QApplication::processEvents();
  }
  std::vector<std::string> Titles(const std::string& Part) {
    std::vector<std::string> n;
    for (int i = 1; i <= PLOTTER->GraphCount(); ++i)
      if (PLOTTER->Graph(i)->Name.find(Part) != std::string::npos) n.push_back(PLOTTER->Graph(i)->Name);
    return n;
  }
  const TOneGraph* Last(const std::string& Part) {
    for (int i = PLOTTER->GraphCount(); i >= 1; --i)
      if (PLOTTER->Graph(i)->Name.find(Part) != std::string::npos) return PLOTTER->Graph(i);
    return nullptr;
  }
  void Run(platform::TButton* B) {
    B->Click();
    Tab().Jobs.Wait();
    QApplication::processEvents();
  }
  std::vector<std::string> Editor() { return Corvesta->EdTab().MemoEd->Lines(); }
};

TEST_F(FITSStats, JourneyThroughFiltersGraphsListsProfilesAndCB0) {
  Session();
  MakeMaps();
  TTabFITS& T = Tab();

  // F1 CONT with three bounds: two levels, the first current
  T.cbFilt1->SetText("CONT");
  T.edFilt11->SetText("15000 20000 30000");
  Leave();
  EXPECT_EQ(T.lbNFilt->Caption(), "2") << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(T.memoCurFilt->Lines(), (std::vector<std::string>{"CONT 15000 20000"}));
  EXPECT_FALSE(T.memoCurFilt->isHidden());
  EXPECT_EQ(App->TunFITS->Get("Filt1_Val"), "15000 20000 30000");
  const int32_t first = Scans().Filt.MaskN;
  EXPECT_GT(first, 0);
  // the up-down steps to the second level
  T.udFilt->SetValue(2);
  QApplication::processEvents();
  EXPECT_EQ(T.edFOFiltCur->Text(), "2");
  EXPECT_EQ(T.memoCurFilt->Lines(), (std::vector<std::string>{"CONT 20000 30000"}));
  const int32_t second = Scans().Filt.MaskN;
  EXPECT_GT(second, 0);

  // "Mask": the first filter map drawn with the mask of the current combination
  T.bt_Mask->Click();
  QApplication::processEvents();
  EXPECT_EQ(T.MaskCaption, "CONT[20000.000000_30000.000000]nn");
  const TFIOut* cont = LFIOReg().GetFIOutDT("20190622", "164505", "CONT");
  ASSERT_TRUE(cont && cont->Pict);
  int32_t masked = 0;
  for (const auto& col : cont->Pict->Mask) masked += static_cast<int32_t>(std::count(col.begin(), col.end(), 1));
  EXPECT_EQ(masked, second);
  // the picture: two colours, the mask's share of its pixels
  const platform::TBitmap& bmp = FOBitmap();
  std::map<uint32_t, int64_t> colours;
  for (int32_t y = 0; y < bmp.Height(); ++y)
    for (int32_t x = 0; x < bmp.Width(); ++x) ++colours[bmp.Pixel(x, y)];
  ASSERT_EQ(colours.size(), 2u);
  const double share = static_cast<double>(second) / (cont->nX * cont->nY);
  const double one = static_cast<double>(colours.begin()->second) / (bmp.Width() * bmp.Height());
  EXPECT_NEAR(std::min(std::fabs(one - share), std::fabs(1 - one - share)), 0, 0.01);

  // X CONT, Y CONT2: one scatter graph per combination (a job)
  T.cb_OpX->SetText("CONT");
  T.cb_OpY->SetText("CONT2");
  const int before = PLOTTER->GraphCount();
  Run(T.bt_FOGra);
  const std::vector<std::string> g = Titles("CONT2(CONT)_20190622_1645");
  ASSERT_EQ(g.size(), 2u) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(PLOTTER->GraphCount(), before + 2);
  EXPECT_EQ(NOf(PLOTTER->Graph(before + 1)->AY) + NOf(PLOTTER->Graph(before + 2)->AY),
            first + second);

  // "Hist" of the current map (Y) with 20 bins from the Graf tab
  Corvesta->GrafTab().edNN->SetText("20");
  Run(T.bt_Hist);
  EXPECT_EQ(T.cb_OpX->Text(), "CONT2");
  EXPECT_EQ(Titles("Hist(Hist_CONT2)").size(), 2u) << mwtest::AllBoxes(*boxes);
  T.cb_OpX->SetText("CONT");

  // "List" with X and T: the table in the editor
  T.cb_iX->SetChecked(true);
  T.cb_T->SetChecked(true);
  Run(T.bt_List);
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "FITS ");
  std::vector<std::string> ed = Editor();
  ASSERT_GT(ed.size(), 4u);
  EXPECT_EQ(ed[0], "CONT[15000%20000]NN");
  EXPECT_NE(ed[1].find("iX"), std::string::npos);
  EXPECT_NE(ed[1].find("tX"), std::string::npos);
  EXPECT_NE(ed[1].find("CONT2"), std::string::npos);
  EXPECT_EQ(std::count(ed.begin(), ed.end(), std::string(50, '=')), 2);
  EXPECT_EQ(ed.size(), static_cast<size_t>(first + second + 6));
  Corvesta->ShowPage("TabFITS");

  // "Cut" from (10,10) to (13,14) over the current map: five samples
  T.ed_IX1->SetText("10");
  T.ed_IY1->SetText("10");
  T.ed_IX2->SetText("13");
  T.ed_IY2->SetText("14");
  T.bt_Cut->Click();
  const TOneGraph* cut = Last("Cut_<CONT2>([(10,10):(13,14)])");
  ASSERT_TRUE(cut) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(NOf(cut->AY), 5);
  for (platform::TEdit* e : {T.ed_IX1, T.ed_IY1, T.ed_IX2, T.ed_IY2}) e->SetText("0");

  // "Prof" with the sessions together: one profile block per combination
  T.cb_ses->SetChecked(false);
  Run(T.bt_Prof);
  ASSERT_TRUE(T.ProfLFITS) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(T.ProfLFITS->Files.size(), 2u);
  ed = Editor();
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "Stokes_Profiles ");
  int blocks = 0;
  for (const std::string& l : ed) blocks += l.find("ILam") != std::string::npos;
  EXPECT_EQ(blocks, 2);
  EXPECT_GT(T.ProfContSums[0], 0);
  Corvesta->ShowPage("TabFITS");

  // "23 CB0 ": three cards in the own file, shown by the sessions grid after a refresh
  Run(T.btCB0);
  TStringList h;
  int32_t n = 0;
  GetFITSHead(T.CurLFITS->OutFolder + "/" + T.CurLFITS->sFN, 0, n, &h);
  const double cb0 = GetFITKeyRDef("CB0", &h, 0);
  EXPECT_GT(cb0, 10000) << mwtest::AllBoxes(*boxes) << testing::PrintToString(Editor());
  EXPECT_FALSE(GetFITKeyAll("VW1", &h).empty());
  EXPECT_FALSE(GetFITKeyAll("VW2", &h).empty());
  Choose(T.cbFITS_YM, "2019_06");
  TCvGrid* ym = T.ngFITS_YM;
  EXPECT_NEAR(ValRealQuiet(ym->CellAt(ym->ColumnByName("GxFITS_CB0")->Index(), 0)->GetAsText()),
              cb0, 0.001);

  // "<x>(y)": the means over x, one point per slit pixel
  T.cb_OpY->SetText("CONT");
  T.btMeanX->Click();
  const TOneGraph* mx = Last("Mean<CONT>(xPos)_noFilt");
  ASSERT_TRUE(mx);
  EXPECT_EQ(NOf(mx->AY), cont->nY);
  Corvesta->grab().toImage().save("fitstab_stats.png");
}

TEST_F(FITSStats, RefusalsFilterSetsAndTheSessionsFilter) {
  Session();
  LFIOReg().ClearAll();
  TTabFITS& T = Tab();
  // no filter: the walks and the mask refuse
  T.cbFilt1->SetText("CONT");
  T.edFilt11->SetText("0");
  for (platform::TButton* b : {T.bt_FOGra, T.bt_List, T.bt_Prof}) {
    boxes->Clear();
    Run(b);
    EXPECT_TRUE(mwtest::BoxShown(*boxes, "Ни один фильтр не задан!"_cp)) << mwtest::AllBoxes(*boxes);
  }
  boxes->Clear();
  T.bt_Mask->Click();
  QApplication::processEvents();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Ни один фильтр не задан!"_cp)) << mwtest::AllBoxes(*boxes);
  // an unloaded map counts as no filter
  boxes->Clear();
  T.edFilt11->SetText("1 2");
  Leave();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Карта CONT не загружена!"_cp)) << mwtest::AllBoxes(*boxes);
  EXPECT_TRUE(T.lbNFilt->isHidden());
  // "<y>(K)" with the key still "LFITS_Key" only warns
  LFIOReg().Add([] {
    auto m = std::make_unique<TFIOut>();
    m->Name = "CONT";
    m->Da = "20190622";
    m->Ti = "164505";
    m->kSoft = 1;
    m->AssignMem(3, 2);
    for (int x = 0; x < 3; ++x)
      for (int y = 0; y < 2; ++y) m->aData[x][y] = 1.0f + x;
    m->kLoad = 9;
    return m;
  }());
  T.cb_OpY->SetText("CONT");
  boxes->Clear();
  const int graphs = PLOTTER ? PLOTTER->GraphCount() : 0;
  T.btMeanY_k->Click();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "затем выбирите LFITS_Key!"_cp)) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(PLOTTER ? PLOTTER->GraphCount() : 0, graphs);

  // one step of the cut's up-down moves both points
  T.ed_IX1->SetText("10");
  T.ed_IX2->SetText("20");
  T.udXCut->stepBy(1);
  QApplication::processEvents();
  EXPECT_EQ(T.ed_IX1->Text(), "11");
  EXPECT_EQ(T.ed_IX2->Text(), "21");
  EXPECT_EQ(T.CutX1Old, 10);

  // filter sets: "Any" stores nothing; unchecked rows remove their key
  TCvGrid* fo = T.ngFO_Filt;
  fo->ClearRows();
  fo->AddRows(2);
  fo->CellAt(1, 0)->SetAsText("CONT");
  fo->CellAt(0, 0)->SetAsBoolean(true);
  fo->CellAt(1, 1)->SetAsText("LWI2");
  fo->CellAt(0, 1)->SetAsBoolean(false);
  App->TunFITS->Set("FiltCV|hot|LWI2", "1");
  const int keys = App->TunFITS->Count();
  T.cb_FiltSet->SetText("Any");
  T.bt_AddFiltSet->Click();
  EXPECT_EQ(App->TunFITS->Count(), keys);
  T.cb_FiltSet->SetText("hot");
  T.bt_AddFiltSet->Click();
  EXPECT_EQ(App->TunFITS->Get("FiltCV|hot|CONT"), "1");
  EXPECT_EQ(App->TunFITS->Get("FiltCV|hot|LWI2"), "");

  // the sessions filter: one row per column from the sixth, not doubled by a second show
  TCvGrid* ym = T.ngFITS_YM;
  const int rows = ym->Columns().ColumnCount() - 5;
  EXPECT_EQ(T.ngSesFilt->RowCount(), rows);
  Corvesta->ShowPage("TabEd");
  Corvesta->ShowPage("TabFITS");
  QApplication::processEvents();
  EXPECT_EQ(T.ngSesFilt->RowCount(), rows);
  // a filter that keeps the session: its check-box cells keep their values
  const int me = ym->ColumnByName("GxFITS_ME")->Index();
  ASSERT_TRUE(ym->CellAt(me, 0)->GetAsBoolean());
  const int nx = ym->ColumnByName("GxFITS_nX")->Index();
  ASSERT_GE(nx, 5);
  T.ngSesFilt->CellAt(1, nx - 5)->SetAsText("20");
  T.ngSesFilt->CellAt(2, nx - 5)->SetAsText("30");
  boxes->Clear();
  T.sbSesFilter->Click();
  ASSERT_EQ(ym->RowCount(), 1);
  EXPECT_TRUE(ym->CellAt(me, 0)->GetAsBoolean());
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "nX"));
}

}  // namespace
