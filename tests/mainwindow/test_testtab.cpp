// The Test tab as a new user meets it, on the demo scan of a fresh root: the FITS tab's part of
// the journey (the scan loaded, pixel 10, 4 plotted with "<=") is done here through the links the
// FITS tab uses; then the Gauss-fit group ("Bi", "Ajst", the line switch, "Mult"), the slice
// table of I±V, its graphs, "Algo Rithm", a long "Loop" as a job and "Gauss Cores" without its
// maps.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "app/cvEd.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabTest.h"
#include "mainwindow/TestLinks.h"
#include "mainwindow/support/ProgramEnv.h"
#include "plotting/cvPLOT.h"
#include "scans/cvCurI.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

namespace {

using mwtest::ProgramTest;

class TestTab : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    folder = root->Root() + "FITS/2019_06/20190622_164505";
    TJob j("headers");
    RunJob(j, [&](TJob& J) {
      scan.Link(folder);
      scan.SetOptions(350, 350, 1.05, 20);
      scan.LoadHeaders(J);
    });
    testlinks::THooks& h = testlinks::Hooks();
    h.CurLFITS.Install([this] { return &scan; });
    h.GetProfileSel.Install([](int32_t& X, int32_t& Y) {
      X = 10;
      Y = 4;
      return true;
    });
    h.CurSessionName.Install([] { return std::string("20190622_1645"); });
    h.CurSessionFolder.Install([this] { return folder; });
    h.LinkLFITS.Install([this](const std::string&) { return &scan; });
  }
  void TearDown() override {
    for (auto* l : {&testlinks::Hooks().CurLFITS, &testlinks::Hooks().ProfLFITS})
      l->Reset();
    testlinks::Hooks().GetProfileSel.Reset();
    testlinks::Hooks().CurSessionName.Reset();
    testlinks::Hooks().CurSessionFolder.Reset();
    testlinks::Hooks().LinkLFITS.Reset();
    ProgramTest::TearDown();
  }
  TTabTest& Tab() { return Corvesta->TestTab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  // The FITS tab's "<=" on pixel 10, 4: the profile and its continuum handed to the Test tab.
  void PlotPixel() {
    TFITS& f = *scan.Files[10];
    ASSERT_TRUE(f.LoadData());
    f.GetContAll();
    const double cont = f.ACnt[5];
    testlinks::Hooks().SetProfilePixel(cont, 10, 4);
    TCurI& c = ScanCurI();
    testlinks::Hooks().CurILineFromForm(c);
    testlinks::Hooks().GaussParamsToCurI(c);
    TARe x(113, 0.0), y;
    for (int i = 1; i <= 112; ++i) x[static_cast<size_t>(i)] = i;
    f.GetIReal(5, y);
    c.gs.Cont = c.gs1.Cont = c.gs2.Cont = cont;
    c.SetAXAY(x, y);
    contText = ShortSt(9, cont);
  }
  bool HasGraph(const std::string& Title) { return PLOTTER && PLOTTER->FindPicByTitle(Title) > 0; }
  std::vector<std::string> EdLines() { return Ed->Memo->Lines(); }

  TLFITS scan;
  std::string folder, contText;
};

TEST_F(TestTab, GaussFitsOfOnePixel) {
  Corvesta->resize(1200, 800);
  Corvesta->ShowPage("TabTest");
  TTabTest& T = Tab();
  PlotPixel();
  EXPECT_EQ(T.edICont6301->Text(), contText);
  EXPECT_EQ(T.lb_iX->Caption(), "10");
  EXPECT_EQ(T.lb_iY->Caption(), "4");
  // no wing crossings yet
  Click(T.btGSajust);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Запустите расчёт крыльев! (Кнопка \"Bi\")"_cp));
  Click(T.btBi);
  EXPECT_NE(T.lbLeWi->Caption(), "00.0000");
  EXPECT_NE(T.lbRiWi->Caption(), "00.0000");
  EXPECT_NE(T.lbLeI1->Caption(), "[00..00]");
  const std::string dld = T.edDLD6301->Text();
  const size_t memo = T.memoGSparam->Lines().size();
  Click(T.btGSajust);
  EXPECT_NE(T.edDLD6301->Text(), dld);
  EXPECT_GT(T.memoGSparam->Lines().size(), memo);
  const std::string sfx = "_" + IntStr(PLOTTER->kLayOut);
  for (const char* t : {"Gauss_1", "Lambda0_1", "d0Line_1"})
    EXPECT_TRUE(HasGraph(t + sfx)) << t;
  EXPECT_TRUE(HasGraph("Укос гауссианы_1"_cp + sfx));
  // "H(4.1)" leaves the splitting field showing H41
  Click(T.bt_1);
  EXPECT_EQ("H(41)=" + T.edGSdlh->Text(), T.lb_H41->Caption());
  // line 2: its search range and start values
  T.cb_6301_02->SetItemIndex(0);
  emit T.cb_6301_02->activated(0);
  QApplication::processEvents();
  EXPECT_EQ(T.edILam1_1->Text(), "62");
  EXPECT_EQ(T.edILam1_2->Text(), "112");
  EXPECT_GT(ValReal(T.edILam6301->Text()), 56.5);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Список карт LFIO ещё не заполнен!"_cp));
  EXPECT_TRUE(HasGraph("Gauss_2" + sfx));
  // "Mult": nine models from 0 to 2400 G; a step of the wrong sign is refused
  Click(T.btMult);
  EXPECT_EQ(PLOTTER->kT, 9);
  EXPECT_EQ(T.ed_H_Gs->Text(), "2400.000");
  T.edHStep->SetText("-300");
  Click(T.btMult);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Mult: шаг поля"_cp));
  EXPECT_EQ(PLOTTER->kT, 9);
  boxes->Clear();
  T.edHStep->SetText("0");
  Click(T.btMult);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Mult: шаг поля"_cp));
  EXPECT_EQ(PLOTTER->kT, 9);
  QImage shot = Corvesta->grab().toImage();
  EXPECT_FALSE(shot.isNull());
  if (const char* d = std::getenv("CORVESTA_SHOTS")) shot.save(QString(d) + "/testtab_gauss.png");
}

TEST_F(TestTab, CentresOfGravityOfIpmV) {
  Corvesta->resize(1200, 800);
  Corvesta->ShowPage("TabTest");
  TTabTest& T = Tab();
  Click(T.btCOGforIV);
  EXPECT_EQ(Ed->CurName, "Sliced COG Fields");
  std::vector<std::string> lines = EdLines();
  ASSERT_GE(lines.size(), 10u);
  EXPECT_NE(lines[0].find("y11"), std::string::npos);
  EXPECT_EQ(T.LastCOG.N, 9);
  EXPECT_NE(T.edCont->Text(), "0");
  // the maps of the session are not there: each read once, 0 in the table
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "не рассчитана карта BIV1"_cp));
  // the field per slice drawn for both lines
  const int before = PLOTTER->GraphCount();
  Click(T.btB2Gra);
  EXPECT_EQ(PLOTTER->GraphCount(), before + 2);
  EXPECT_EQ(PLOTTER->Graph(before + 1)->Name, "I/Icont(Bscog)");
  // "Algo Rithm" on the pixel of the COG fields
  T.edFITiX->SetText("10");
  T.edFITiY->SetText("4");
  Click(T.bt_Algo);
  EXPECT_EQ(Ed->CurName, "06%_Core");
  lines = EdLines();
  bool disp = false;
  for (const std::string& l : lines) disp = disp || l.rfind("Disp=", 0) == 0;
  EXPECT_TRUE(disp);
  // without a scan
  testlinks::Hooks().CurLFITS.Reset();
  Click(T.btCOGforIV);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Нужно загрузить список LFITS!"_cp));
}

// "COG(I)[ix,iy]" lists the slices of I alone, the lower "<=" draws their velocities.
TEST_F(TestTab, CentresOfGravityOfIAlone) {
  Corvesta->ShowPage("TabTest");
  TTabTest& T = Tab();
  Click(T.btCOGfor_I);
  EXPECT_EQ(Ed->CurName, "Sliced COG Fields");
  EXPECT_EQ(T.LastCOG.N, 9);
  const int before = PLOTTER->GraphCount();
  Click(T.btV2Gra);
  ASSERT_EQ(PLOTTER->GraphCount(), before + 2);
  EXPECT_EQ(PLOTTER->Graph(before + 1)->Name, "I/Icont(Vicog)");
}

TEST_F(TestTab, LongLoopAndGaussCoresAreJobs) {
  Corvesta->ShowPage("TabTest");
  TTabTest& T = Tab();
  PlotPixel();
  Click(T.btBi);
  TStringList& memo = Scans().CurISet.Gauss.FIOutMemo;
  memo.Clear();
  for (const char* l : {"40", "k3", "L6"}) memo.Add(l);
  T.LoopJobThreshold = 10;
  const int64_t checks = ScanCurI().CheckCount;
  Click(T.btGSloop);
  T.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_EQ(ScanCurI().CheckCount, checks + 1 + 80);
  // "Gauss Cores": the scan's own map file lacks the field maps
  std::vector<std::string> report;
  T.Jobs.ShowReport = [&](const std::string&, const std::vector<std::string>& L) { report = L; };
  T.btGaussCalcClick(platform::TFormEventArgs{});
  T.Jobs.Wait();
  QApplication::processEvents();
  bool missing = false;
  for (const std::string& l : report)
    missing = missing || l.find("H_L_6301") != std::string::npos;
  EXPECT_TRUE(missing);
}

}  // namespace
