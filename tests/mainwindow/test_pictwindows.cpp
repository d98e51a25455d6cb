// The picture windows in the program: made at start-up, the panel's "TG" shows the picture
// tool, whose show-picture button shows the picture window with the plotter on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

#include "app/cvApp.h"
#include "app/cvInf.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvFPicTool.h"
#include "plotting/qt/cvPictWindows.h"
#include "support/ProgramEnv.h"

namespace {

using mwtest::ProgramTest;

TEST_F(ProgramTest, PanelFieldTGOpensThePictureTool) {
  ASSERT_NE(FPict, nullptr);
  ASSERT_NE(FPicTool, nullptr);
  EXPECT_EQ(PLOTTER->Tools, &FPicTool->Model);
  EXPECT_FALSE(FPicTool->isVisible());
  TInfField* F = App->Inf->FindFld("TG");
  ASSERT_NE(F, nullptr);
  ASSERT_TRUE(F->OnCmd);
  F->OnCmd(F);
  Wait(20);
  EXPECT_TRUE(FPicTool->isVisible());
  EXPECT_EQ(FPicTool->windowTitle().toStdString(), "PictureTool");
  auto* Show = qobject_cast<QToolButton*>(FPicTool->Control("btShowPic"));
  ASSERT_NE(Show, nullptr);
  QTest::mouseClick(Show, Qt::LeftButton);
  Wait(20);
  EXPECT_TRUE(FPict->isVisible());
  EXPECT_TRUE(FPict->State().PlotterOn);
  EXPECT_TRUE(FPict->BlinkTimer.isActive());
  // Its own button turns the plotter off again.
  QTest::mouseClick(Show, Qt::LeftButton);
  EXPECT_FALSE(FPict->State().PlotterOn);
}

}  // namespace
