// The Test tab's benches as a new user meets them: the Voigt comparison table in the editor and
// on the picture (taken to the FITS tab and back), the refused inputs, "Gauss Array", "Сплайн"
// declining the spline tables, the calculator's fields as one types, the number formats, "Line
// in Rect", the date, "Do RING" and "LI.Load".
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabTest.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Canvas.h"
#include "support/TestSupport.h"

namespace {

class TestBenches : public mwtest::ProgramTest {
 protected:
  TTabTest& Tab() { return Corvesta->TestTab(); }
  void Open(QWidget* Page) {
    Corvesta->ShowPage("TabTest");
    Tab().pcTest->setCurrentWidget(Page);
    QApplication::processEvents();
  }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  // Typing into an edit that has the focus (the form's active control), over its text or
  // (More) after it.
  void Type(platform::TEdit* E, const char* Text, bool More = false) {
    Corvesta->activateWindow();
    E->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), E);
    if (More)
      E->end(false);
    else
      E->selectAll();
    QTest::keyClicks(E, QString::fromUtf8(Text));
    QApplication::processEvents();
  }
  void RunJob(QWidget* Button) {
    Click(Button);
    Tab().Jobs.Wait();
    QApplication::processEvents();
  }
  std::vector<std::string> EdLines() { return Ed->Memo->Lines(); }
  std::string EdTitle() { return Corvesta->EdTab().edFile->Text(); }
  // A picture of the window into CORVESTA_SHOTS when set.
  void Shot(const char* Name) {
    const QImage shot = Corvesta->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const char* d = std::getenv("CORVESTA_SHOTS")) shot.save(QString(d) + "/" + Name);
  }
};

TEST_F(TestBenches, VoigtTableInEditorAndPicture) {
  Corvesta->resize(1200, 800);
  TTabTest& T = Tab();
  Open(T.TabTestBench);
  T.edTestNumber->SetText("200");
  RunJob(T.btVoig);
  const std::vector<std::string> L = EdLines();
  ASSERT_EQ(L.size(), 3u + 190u + 2u);
  EXPECT_EQ(L[0].substr(0, 5), "L(0)=");
  EXPECT_EQ(L.back().substr(0, 5), "L(0)=");
  EXPECT_NE(EdTitle().find("ТЕСТ ФУНКЦИЙ"_cp), std::string::npos) << EdTitle();
  // the curves: white ground, the constant 1 in black across, the Gauss curve in blue, the
  // Lorentz one in red
  auto* img = Corvesta->CORATab().ImageCORA;
  const platform::TBitmap& B = img->Bitmap();
  ASSERT_GT(B.Width(), 50);
  const int32_t w = B.Width(), h = B.Height();
  const int32_t one = static_cast<int32_t>(std::lround((1.1 - 1.0) / 1.2 * (h - 1)));
  int black = 0, blue = 0, red = 0, white = 0;
  for (int32_t x = 0; x < w; ++x) {
    bool in = false;
    for (int32_t y = std::max(0, one - 3); y <= one + 3; ++y) in = in || B.Pixel(x, y) == 0;
    black += in;
  }
  for (int32_t x = 0; x < w; ++x)
    for (int32_t y = 0; y < h; ++y) {
      const uint32_t p = B.Pixel(x, y);
      blue += p == 0xFF0000;
      red += p == 0x0000FF;
      white += p == 0xFFFFFF;
    }
  EXPECT_GT(black, w * 9 / 10);
  EXPECT_GT(blue, 50);
  EXPECT_GT(red, 50);
  EXPECT_GT(white, w * h / 2);
  // "G" takes the picture to the FITS tab, up again brings it back
  QWidget* home = img->parentWidget();
  Click(T.btGVoig);
  EXPECT_TRUE(T.btGVoig->Down());
  EXPECT_EQ(img->parentWidget(), Corvesta->FITSTab().Sheet());
  Corvesta->ShowPage("TabFITS");
  QApplication::processEvents();
  EXPECT_TRUE(img->isVisible());
  Shot("testtab_voig_on_fits.png");
  Open(T.TabTestBench);
  Click(T.btGVoig);
  EXPECT_FALSE(T.btGVoig->Down());
  EXPECT_EQ(img->parentWidget(), home);
}

TEST_F(TestBenches, RefusedInputsAndGaussArray) {
  TTabTest& T = Tab();
  Open(T.TabTestBench);
  Ed->Memo->SetLines({"before"});
  struct Case {
    platform::TEdit* Edit;
    const char* Text;
    std::string Box;
  };
  const Case cases[] = {{T.edTestNumber, "1", "N=1"},
                        {T.edTestNumber, "20x", "20x"},
                        {T.edVoigA, "0,1", "0,1"},
                        {T.edVoigXMax, "", ""}};
  for (const Case& c : cases) {
    const std::string keep = c.Edit->Text();
    c.Edit->SetText(c.Text);
    boxes->Clear();
    Click(T.btVoig);
    EXPECT_EQ(boxes->Shown().size(), 1u) << c.Text;
    if (!boxes->Shown().empty()) {
      EXPECT_NE(boxes->Shown()[0].text.find(c.Box), std::string::npos);
    }
    EXPECT_FALSE(T.Jobs.Busy());
    c.Edit->SetText(keep);
  }
  T.cbVoigKind->SetItemIndex(-1);
  boxes->Clear();
  Click(T.btVoig);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Поле \"Сорт VOIG\" не заполнено!"_cp));
  EXPECT_EQ(EdLines(), std::vector<std::string>{"before"});
  // "Gauss Array": N 0 refused, N 2 three lines
  T.edTestNumber->SetText("0");
  boxes->Clear();
  Click(T.btGauss);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "N=0"));
  EXPECT_EQ(EdLines(), std::vector<std::string>{"before"});
  T.edTestNumber->SetText("2");
  Click(T.btGauss);
  EXPECT_EQ(EdLines().size(), 3u);
  EXPECT_NE(EdTitle().find("GaussArray"), std::string::npos);
}

TEST_F(TestBenches, SplineAsksThenShowsTheErrorTable) {
  TTabTest& T = Tab();
  Open(T.TabTestBench);
  T.edTestNumber->SetText("20");
  boxes->Answer(platform::MsgResult::No);
  RunJob(T.btTestSpline);
  EXPECT_FALSE(boxes->Shown().empty());
  const std::vector<std::string> L = EdLines();
  ASSERT_EQ(L.size(), 27u);
  EXPECT_NE(L[0].find("lg(dH)"), std::string::npos);
  EXPECT_NE(EdTitle().find("Тест IpolByGauss"_cp), std::string::npos);
}

TEST_F(TestBenches, CalculatorFieldsAsOneTypes) {
  TTabTest& T = Tab();
  Open(T.TabTestCalc);
  Type(T.edEV_Calc, "2.12345678");
  EXPECT_EQ(T.edSM_1_Calc->Text(), "17126.66");
  EXPECT_EQ(T.edEV_Calc->Text(), "2.12345678");  // no echo
  Type(T.edEV_Calc, "x", true);
  EXPECT_EQ(T.edSM_1_Calc->Text(), "17126.66");
  Type(T.edSM_1_Calc, "8065.46312");
  EXPECT_EQ(T.edEV_Calc->Text(), "1.000000");
  // temperature: 0 leaves theta; a theta written by the program does not recompute T
  Type(T.edT_Calc, "5040");
  const std::string theta = T.edTETA_Calc->Text();
  EXPECT_NEAR(ValReal(theta), 0.99998702, 1e-8);
  Type(T.edT_Calc, "0");
  EXPECT_EQ(T.edTETA_Calc->Text(), theta);
  T.edTETA_Calc->SetText("2");
  EXPECT_EQ(T.edT_Calc->Text(), "0");
  Type(T.eddT, "10");
  EXPECT_EQ(T.eddTETA->Text(), "");  // T is 0 there
  // Zeeman and Doppler
  Type(T.edDLH, "100");
  EXPECT_EQ(T.ed_H->Text(), "2168.26");
  EXPECT_EQ(T.edDVLOS->Text(), "4756.7");
  Type(T.edDVLOS, "1000");
  EXPECT_EQ(T.edDLH->Text(), "21.023");
  EXPECT_EQ(T.ed_H->Text(), "2168.26");
  Type(T.edDLH, "0");
  Type(T.ed_H, "500");
  Type(T.edDVLOS, "300");
  EXPECT_EQ(T.edDLH->Text(), "0");
  EXPECT_EQ(T.edDVLOS->Text(), "300");
  // disk position
  T.edRa->SetText("1000");
  T.edY->SetText("0");
  Type(T.edX, "500");
  EXPECT_EQ(T.edFI->Text(), "0");
  EXPECT_EQ(T.edL->Text(), "120");
  EXPECT_NEAR(ValReal(T.edVRot->Text()), 1.0, 0.1);
  EXPECT_EQ(T.edMju->Text(), "0.866");
  Type(T.edFI, "30");
  EXPECT_EQ(T.edMju->Text(), "0.75");
  Shot("testtab_calculator.png");
}

TEST_F(TestBenches, SmallBenches) {
  TTabTest& T = Tab();
  Open(T.TabTestCalc);
  Type(T.edTestEFSt, "6302.55578");
  EXPECT_EQ(T.lbFSt->Caption(), "6302.56 | 6302.56 | 6302.6");
  Click(T.btLineRectSect);
  EXPECT_EQ(T.memoGSparam->Lines(), std::vector<std::string>{"P1=[20,20] P2=[60,60]"});
  T.edP1_x->SetText("100");
  T.edP1_y->SetText("0");
  Click(T.btLineRectSect);
  EXPECT_EQ(T.memoGSparam->Lines(), std::vector<std::string>{"НЕ ПОПАЛИ!"_cp});
  T.edP2_x->SetText("1e2");
  Click(T.btLineRectSect);  // no integer: nothing happens
  EXPECT_EQ(T.memoGSparam->Lines(), std::vector<std::string>{"НЕ ПОПАЛИ!"_cp});
  T.edDateTimeIn->SetText("2017-09-06T00:02:32.154");
  T.edDateTimeIn->SetText("2018-01-31T10:00:00");
  EXPECT_EQ(T.edDateTimeOut->Text(), "2018.01.31");

  Open(T.TabTestBench);
  const std::string file = cvDirList("RING", "RES");
  T.edNRing->SetText("3.5");
  RunJob(T.btRING);
  EXPECT_EQ(T.edNRing->Text(), "");
  EXPECT_FALSE(std::filesystem::exists(file));
  T.edNRing->SetText("3");
  T.edNSeg->SetText("8");
  RunJob(T.btRING);
  EXPECT_EQ(T.btRINGRES->Hint(), file);
  const std::string text = testsupport::ReadFile(file);
  EXPECT_EQ(text.substr(0, text.find('\n')), "Число колец = 3  Число сегментов = 8");

  Click(T.Button9);
  EXPECT_NE(EdTitle().find("LLIDA"), std::string::npos);
}

TEST_F(TestBenches, EscStopsTheComparisonTable) {
  TTabTest& T = Tab();
  Open(T.TabTestBench);
  Ed->Memo->SetLines({"before"});
  T.edTestNumber->SetText("500000");
  Click(T.btVoig);
  std::shared_ptr<TJob> job = T.Jobs.CurrentShared();
  ASSERT_NE(job, nullptr);
  // progress every 100 points
  for (int i = 0; i < 500 && job->LastProgress().Done < 200 && !job->Ended(); ++i) Wait(10);
  const TJobProgress p = job->LastProgress();
  EXPECT_EQ(p.Total, 500000);
  EXPECT_EQ(p.Done % 100, 0);
  EXPECT_EQ(p.Text, "ТЕСТ ФУНКЦИЙ"_cp);
  T.btVoig->setFocus();
  QTest::keyClick(T.btVoig, Qt::Key_Escape);
  T.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_EQ(job->State(), TJobState::Cancelled);
  EXPECT_EQ(EdLines(), std::vector<std::string>{"before"});
}

}  // namespace
