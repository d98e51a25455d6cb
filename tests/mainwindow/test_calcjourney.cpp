// A new user's way through the calculator and the picture tool's outputs in the program: a
// numeric table in the editor, "Calculator" and the popup's "Stat", "Do It !", the "gr" lines in
// the picture, "y(x)", "Auto Corr" and "Interpolate" into the editor; in the picture tool (the
// panel's "TG") the operator with "Oper", "-xy", "R", "P" and ">" (the film written by the
// program's job runner into the working directory's "CORA"/"GIF" folder).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "platform/qt/QtCanvas.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFCalc.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvFPicTool.h"
#include "plotting/qt/cvPictWindows.h"
#include "support/ProgramEnv.h"

namespace {

class CalcJourney : public mwtest::ProgramTest {
 protected:
  void Click(QWidget* W) {
    ASSERT_NE(W, nullptr);
    QTest::mouseClick(W, Qt::LeftButton);
  }
  std::vector<std::string> Memo() const { return Corvesta->EdTab().MemoEd->Lines(); }
  std::string CalcText(const char* Name) {
    auto* E = qobject_cast<QLineEdit*>(FCalc->Control(Name));
    return E ? platform::FromQtStr(E->text()) : std::string("<none>");
  }
  void Type(QWidget* W, const char* Text) {
    auto* E = qobject_cast<QLineEdit*>(W);
    ASSERT_NE(E, nullptr);
    E->clear();
    QTest::keyClicks(E, QString::fromLatin1(Text));
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
    Corvesta->EdTab().MemoEd->SetCaret(Line - 1, Col);
    Ed->UpdateStatus();
  }
};

TEST_F(CalcJourney, CalculatorOnTheEditorsTable) {
  Corvesta->EdTab().MemoEd->SetLines({"x y", "1 3", "2 5", "3 7", "4 9", "", "v", "2.5", "3.5"});
  App->Inf->LogInt("nX", 1);
  CaretAt(2, 2);
  Click(Corvesta->EdTab().btShowCalculator);
  Wait(20);
  ASSERT_NE(FCalc, nullptr);
  EXPECT_TRUE(FCalc->isVisible());
  EXPECT_EQ(FCalc->windowTitle().toStdString(), "Calculator");
  EXPECT_EQ(CalcText("edX"), "1");
  Click(FCalc->Control("btRegress"));
  EXPECT_EQ(CalcText("edN"), "4");
  EXPECT_EQ(CalcText("edA"), "2");
  EXPECT_EQ(CalcText("edB"), "1");
  EXPECT_EQ(CalcText("edRegr"), "1");
  EXPECT_EQ(CalcText("edY"), "2");
  // The popup's "Stat" does the same.
  Type(FCalc->Control("edN"), "");
  Corvesta->EdTab().pmedStat->trigger();
  EXPECT_EQ(CalcText("edN"), "4");

  // "y(x)" with the quadratic fit of a straight line.
  Type(FCalc->Control("edTestX"), "3");
  Click(FCalc->Control("btY_x2"));
  EXPECT_EQ(CalcText("edTestY"), "7");

  // "gr" draws only while the picture is shown.
  ASSERT_TRUE(PLOTTER->CheckArrPlot());
  PLOTTER->NewGraph(TARe{0, 0, 10}, TARe{0, 0, 21}, 1, 0, "-K", "data", "x", "y", "", "");
  const int32_t n = PLOTTER->GraphCount();
  Click(FCalc->Control("btGr2"));
  EXPECT_EQ(PLOTTER->GraphCount(), n);
  FPict->show();
  Wait(20);
  Click(FCalc->Control("btGr2"));
  ASSERT_EQ(PLOTTER->GraphCount(), n + 1);
  EXPECT_EQ(PLOTTER->CurPict()->Name, "Line(2*X+1)");

  // "Interpolate": y of the base table at the destination column's values.
  CaretAt(2, 1);
  Click(FCalc->Control("btFixBaseYandLine"));
  Click(FCalc->Control("btFixBaseXCol"));
  CaretAt(2, 2);
  Click(FCalc->Control("btFixBase_Y"));
  CaretAt(8, 1);
  Click(FCalc->Control("btFixOperandLineAndCol"));
  Click(FCalc->Control("btCalcInterpolation"));
  ASSERT_GE(Memo().size(), 9u);
  EXPECT_EQ(WordN(Memo()[6], 2), "v");
  EXPECT_EQ(WordN(Memo()[7], 2), "6");
  EXPECT_EQ(WordN(Memo()[8], 2), "8");

  // "Auto Corr" of the base Y column, inserted at the editor's line.
  Type(FCalc->Control("edAutoCorrN"), "3");
  CaretAt(6, 1);
  const size_t Before = Memo().size();
  Click(FCalc->Control("btAutoCorr"));
  ASSERT_EQ(Memo().size(), Before + 3);
  EXPECT_EQ(WordN(Memo()[5], 1), "0");
  EXPECT_EQ(WordN(Memo()[5], 2), "1");
}

TEST_F(CalcJourney, PictureToolOutputs) {
  TInfField* TG = App->Inf->FindFld("TG");
  ASSERT_NE(TG, nullptr);
  TG->OnCmd(TG);
  Wait(20);
  ASSERT_TRUE(FPicTool->isVisible());
  Click(FPicTool->Control("btShowPic"));
  Wait(20);
  ASSERT_TRUE(FPict->isVisible());
  ASSERT_TRUE(PLOTTER->CheckArrPlot());
  PLOTTER->NewGraph(TARe{0, 1, 2, 3}, TARe{0, 10, 100, 1000}, 1, 0, "-K", "I(x)", "X", "I", "", "");
  PLOTTER->SetCurPic(PLOTTER->GraphCount());
  PLOTTER->PlayOnce();
  const int32_t n = PLOTTER->GraphCount();
  // "Oper" with "lg" on Y.
  auto* Y = FPicTool->Control("cbZoomY");
  ASSERT_NE(Y, nullptr);
  Click(Y);
  Click(FPicTool->Control("cbZoomX"));
  Click(FPicTool->Control("btOper"));
  ASSERT_EQ(PLOTTER->GraphCount(), n + 1);
  EXPECT_EQ(PLOTTER->CurPict()->Name, "lg(I(x))");
  EXPECT_EQ(PLOTTER->CurPict()->AY[3], 3);
  // "-xy" mirrors.
  Click(FPicTool->Control("btInvertIndex"));
  EXPECT_EQ(PLOTTER->CurPict()->Name, "mirror(lg(I(x)))");
  // "R": statistics into the calculator.
  Click(FPicTool->Control("btPicStat"));
  Wait(20);
  EXPECT_TRUE(FCalc->isVisible());
  EXPECT_EQ(CalcText("edN"), "3");
  EXPECT_EQ(CalcText("edY"), "-1");
  // "P": the current graph's points in the editor.
  Click(FPicTool->Control("btPrint"));
  EXPECT_FALSE(Memo().empty());
  // ">": the film into the working directory's GIF folder, written as a job.
  const std::string Title = PLOTTER->CurPict()->Name;
  Click(FPicTool->Control("btGIF"));
  Corvesta->Jobs.Wait();
  bool Found = false;
  for (const auto& E : std::filesystem::recursive_directory_iterator(root->File(".")))
    if (E.path().extension() == ".gif" && E.path().stem().string().find("mirror") == 0) Found = true;
  EXPECT_TRUE(Found) << "film of " << Title;
}

}  // namespace
