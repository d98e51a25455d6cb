// The Test tab's ACE bench, its "Solar Edge" group and the editor table panel as a new user meets
// them: the test table, the Texts tab's "ACE" on it (a job; Esc stops a large one), arc points
// and the centre found from them, the circle drawn and fitted step by step and in a loop, a
// spreadsheet selection imported and the rows regrouped; fields that are no numbers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabTest.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Clipboard.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"
#include "scans/cvCircleFit.h"

namespace {

using mwtest::ProgramTest;

class TestTabTools : public ProgramTest {
 protected:
  TTabTest& T() { return Corvesta->TestTab(); }
  TTabEd& E() { return Corvesta->EdTab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  std::vector<std::string> Memo() { return Ed->Memo->Lines(); }
  std::vector<std::string> WordsOf(const std::string& L) {
    std::vector<std::string> w;
    for (int k = 1; k <= WordCount(L); ++k) w.push_back(WordN(L, k));
    return w;
  }
  // The caret on word Word of line Line (from 1), as a click there leaves it.
  void CaretAt(int Line, int Word) {
    const std::string L = Memo()[size_t(Line - 1)];
    int Col = 0, w = 0;
    for (size_t i = 0; i < L.size(); ++i)
      if (L[i] != ' ' && (i == 0 || L[i - 1] == ' ') && ++w == Word) {
        Col = int(i);
        break;
      }
    E().MemoEd->SetCaret(Line - 1, Col);
    Ed->UpdateStatus();
  }
  // The first memo line that starts with Head (-1: none).
  int LineOf(const std::string& Head) {
    const std::vector<std::string> m = Memo();
    for (size_t i = 0; i < m.size(); ++i)
      if (m[i].rfind(Head, 0) == 0) return int(i);
    return -1;
  }
};

TEST_F(TestTabTools, AceTestTableAndTheTextsTabsRegression) {
  Corvesta->ShowPage("TabTest");
  Click(T().btTestACE);
  std::vector<std::string> m = Memo();
  ASSERT_EQ(m.size(), 201u);
  EXPECT_EQ(WordsOf(m[0]), (std::vector<std::string>{"y", "x1", "x2"}));
  EXPECT_EQ(WordCount(m[200]), 3);

  // "ACE" (window 40, indices off): the report, the pass count and y, x1, x2 with their phi
  Corvesta->ShowPage("TabEd");
  Click(E().btACE);
  T().Jobs.Wait();
  QApplication::processEvents();
  m = Memo();
  ASSERT_GE(m.size(), 205u);
  EXPECT_EQ(m[0].rfind("r(y,sumx)=", 0), 0u) << m[0];
  EXPECT_EQ(m[1], "-------------");
  EXPECT_EQ(m[2].rfind("Итераций внешнего цикла "_cp, 0), 0u) << m[2];
  EXPECT_EQ(m[3], "-------------");
  EXPECT_EQ(WordsOf(m[4]),
            (std::vector<std::string>{"i", "y", "phi", "x1", "phi1", "x2", "phi2"}));
  EXPECT_EQ(m.size(), 205u);
  EXPECT_EQ(WordCount(m[204]), 1 + 2 * 3);
  EXPECT_EQ(WordN(m[204], 1), "199");

  // with "x" and "i": 5p + 4 columns, the zd and index columns zeros
  Corvesta->ShowPage("TabTest");
  Click(T().btTestACE);
  Corvesta->ShowPage("TabEd");
  E().cbACEx->SetChecked(true);
  E().cbACEi->SetChecked(true);
  Click(E().btACE);
  T().Jobs.Wait();
  QApplication::processEvents();
  m = Memo();
  ASSERT_EQ(m.size(), 205u);
  EXPECT_EQ(WordCount(m[4]), 1 + 5 * 2 + 4);
  for (int w : {4, 5, 8, 9, 10, 13, 14, 15})
    EXPECT_EQ(ValReal(WordN(m[100], w)), 0.0) << w << ": " << m[100];

  // a table whose second line has another word count: no rows, said in the job's report
  E().MemoEd->SetLines({"y x", "1 2 3", "2 3"});
  std::vector<std::string> report;
  T().Jobs.ShowReport = [&](const std::string&, const std::vector<std::string>& L) { report = L; };
  Click(E().btACE);
  T().Jobs.Wait();
  QApplication::processEvents();
  bool said = false;
  for (const std::string& l : report) said = said || l.find("строк 0"_cp) != std::string::npos;
  EXPECT_TRUE(said);
  EXPECT_EQ(Memo(), (std::vector<std::string>{"y x", "1 2 3", "2 3"}));
}

TEST_F(TestTabTools, EscStopsAceOnALargeTableAndBadFieldsSayTheirText) {
  Corvesta->ShowPage("TabTest");
  T().edACE->SetText("60000");
  Click(T().btTestACE);
  ASSERT_EQ(Memo().size(), 60001u);
  const std::vector<std::string> before = Memo();
  Corvesta->ShowPage("TabEd");
  E().cbACEx->SetChecked(false);
  E().edACE_N->SetText("5");
  T().Jobs.ShowReport = [](const std::string&, const std::vector<std::string>&) {};
  Click(E().btACE);
  std::shared_ptr<TJob> job = T().Jobs.CurrentShared();
  ASSERT_TRUE(job);
  E().btACE->setFocus();
  QTest::keyClick(E().btACE, Qt::Key_Escape);
  T().Jobs.Wait();
  QApplication::processEvents();
  EXPECT_TRUE(job->Cancelled());
  EXPECT_EQ(Memo(), before);

  // fields that are no numbers: the field's text in the warning, nothing run
  E().edACE_N->SetText("4o");
  Click(E().btACE);
  EXPECT_FALSE(T().Jobs.Busy());
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "<4o>")) << mwtest::AllBoxes(*boxes);
  Corvesta->ShowPage("TabTest");
  T().edACE->SetText("2OO");
  Click(T().btTestACE);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "<2OO>")) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Memo(), before);
  T().edRNoise->SetText("three");
  Click(T().btTestArcPoints);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "<three>")) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Memo(), before);
}

TEST_F(TestTabTools, ArcPointsCentreFoundCircleDrawnAndFitted) {
  Corvesta->ShowPage("TabEd");
  E().MemoEd->SetLines({"limb"});
  Corvesta->ShowPage("TabTest");
  // a circle of radius 100 whose lower part crosses the window 0..160 x 0..80
  T().ed_Radius->SetText("100");
  T().ed_XC->SetText("80");
  T().ed_YC->SetText("100");
  RandSeedPhys(7);
  Click(T().btTestArcPoints);
  std::vector<std::string> m = Memo();
  ASSERT_EQ(m.size(), 101u);
  EXPECT_EQ(m[0], "limb");
  for (size_t i = 1; i < m.size(); ++i) {
    ASSERT_EQ(WordCount(m[i]), 2) << m[i];
    const double x = ValReal(WordN(m[i], 1)), y = ValReal(WordN(m[i], 2));
    EXPECT_TRUE(x >= 0 && x <= 160 && y >= 0 && y <= 80) << m[i];
    EXPECT_EQ(WordN(m[i], 2).size() - WordN(m[i], 2).find('.'), 3u) << m[i];
  }

  // "Find" from a start far off: X is column 1, the caret on column 2
  Corvesta->ShowPage("TabEd");
  App->Inf->LogInt("nX", 1);
  CaretAt(2, 2);
  Corvesta->ShowPage("TabTest");
  T().ed_XC->SetText("0");
  T().ed_YC->SetText("0");
  Click(T().btFindCircleCenter);
  const double noise = 3.0;
  EXPECT_NEAR(ValReal(T().ed_XC->Text()), 80, noise) << mwtest::AllBoxes(*boxes);
  EXPECT_NEAR(ValReal(T().ed_YC->Text()), 100, noise) << T().ed_YC->Text();
  EXPECT_LT(ValReal(T().edErrC->Text()), noise);
  EXPECT_EQ(T().ed_XC->Text().size() - T().ed_XC->Text().find('.'), 4u);
  // ed_kx 1.0 leaves the points as the table has them; 4 stretches X by 2 and shrinks Y by 2
  TARe x, y;
  ASSERT_TRUE(Ed->EdTabStatXY(x, y));
  EXPECT_EQ(T().Limb.X, x);
  EXPECT_EQ(T().Limb.Y, y);
  T().ed_kx->SetText("4");
  Click(T().btFindCircleCenter);
  EXPECT_DOUBLE_EQ(T().Limb.X[5], 2 * x[5]);
  EXPECT_DOUBLE_EQ(T().Limb.Y[5], y[5] / 2);
  T().ed_kx->SetText("1.0");

  // "DrawCirc": the points and the least-squares circle; "Step" from the start circle
  T().ed_XC->SetText("84");
  T().ed_YC->SetText("103");
  T().memoGSparam->SetLines({});
  Click(T().btCircFit0);
  ASSERT_TRUE(PLOTTER);
  EXPECT_GT(PLOTTER->FindPicByTitle("CurLimb(Ellipsed)"), 0);
  // the points and the circle drawn in the picture window: dark pixels in its buffer
  {
    ASSERT_TRUE(FPict && FPict->isVisible());
    platform::TBitmap& B = FPict->WinCanvas()->Surface();
    int dark = 0;
    for (int32_t y = 0; y < B.Height(); y += 2)
      for (int32_t x = 0; x < B.Width(); x += 2) dark += (B.Pixel(x, y) & 0xFF) < 100;
    EXPECT_GT(dark, 50);
    QImage shot = FPict->grab().toImage();
    if (const char* d = std::getenv("CORVESTA_SHOTS")) shot.save(QString(d) + "/testtab_limb.png");
  }
  std::vector<std::string> gs = T().memoGSparam->Lines();
  ASSERT_EQ(gs.size(), 1u);
  EXPECT_EQ(gs[0].rfind("C_x=", 0), 0u) << gs[0];
  Click(T().btStep);
  gs = T().memoGSparam->Lines();
  ASSERT_EQ(gs.size(), 3u);
  EXPECT_EQ(gs[1].rfind(">> I=0", 0), 0u) << gs[1];
  EXPECT_EQ(gs[2].rfind("<< I=0", 0), 0u) << gs[2];
  EXPECT_EQ(T().edLamLM->Text(), "0.001");

  // "LM_Loop" as a job: its lines once it has ended, the circle moved towards the points
  const double before = SumSqToCircle(T().Limb.P, T().Limb.C);
  Click(T().btLoop);
  T().Jobs.Wait();
  QApplication::processEvents();
  gs = T().memoGSparam->Lines();
  EXPECT_GT(gs.size(), 3u);
  EXPECT_EQ(gs.back().rfind("<< I=", 0), 0u) << gs.back();
  EXPECT_LT(SumSqToCircle(T().Limb.P, T().Limb.C), before);
}

TEST_F(TestTabTools, SpreadsheetImportAndRegroupOnTheTablePanel) {
  Corvesta->ShowPage("TabEd");
  E().EdTuneListShow();
  E().cbEdCTRL->SetItemIndex(1);
  E().cbEdCTRLChange({});
  QApplication::processEvents();
  ASSERT_TRUE(E().btEdSlice->isVisible());
  E().MemoEd->SetLines({"top", " a  1", " b  2", " c  3", " d  4", "", "end"});
  CaretAt(2, 1);
  platform::SetClipboardText("n\tv\tw\r\nfirst one\t\t5\r\nq\t7\t8\r\n");
  Click(E().btExcelImport);
  std::vector<std::string> m = Memo();
  ASSERT_EQ(m.size(), 10u);
  EXPECT_EQ(WordsOf(m[1]), (std::vector<std::string>{"n", "v", "w"}));
  EXPECT_EQ(WordsOf(m[2]), (std::vector<std::string>{"first_one", "-", "5"}));
  EXPECT_EQ(WordsOf(m[3]), (std::vector<std::string>{"q", "7", "8"}));
  EXPECT_EQ(m[4], " a  1");

  // the three imported rows: K = 2 does not divide them and is refused
  CaretAt(3, 1);
  E().edCol2->SetText("2");
  Click(E().btEdSlice);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "невозможно распределить по 2"_cp))
      << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Memo(), m);
  // the four rows a..d by two, word by word
  CaretAt(6, 1);
  Click(E().btEdSlice);
  m = Memo();
  ASSERT_EQ(m.size(), 8u);
  EXPECT_EQ(WordsOf(m[4]), (std::vector<std::string>{"a", "b", "1", "2"}));
  EXPECT_EQ(WordsOf(m[5]), (std::vector<std::string>{"c", "d", "3", "4"}));
  EXPECT_EQ(m[6], "");
  // "Exp": the table at the caret to the clipboard; "Do" with "Trimmed copy": its column
  CaretAt(5, 3);
  Click(E().btExcelExport);
  EXPECT_EQ(platform::ClipboardText(), "a\tb\t1\t2\r\nc\td\t3\t4\r\n");
  E().cbEdColumnAct->SetItemIndex(1);
  Click(E().btedActColumn);
  EXPECT_EQ(platform::ClipboardText(), "1\r\n3\r\n");
  // no operation chosen: nothing happens
  E().cbEdColumnAct->SetItemIndex(-1);
  boxes->Clear();
  Click(E().btedActColumn);
  EXPECT_TRUE(boxes->Shown().empty()) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(platform::ClipboardText(), "1\r\n3\r\n");
  // a K that is no number does nothing
  E().edCol2->SetText("x");
  Click(E().btEdSlice);
  EXPECT_EQ(Memo(), m);
}

}  // namespace
