// The main window's tabs in the running program: the keys of the message hook reach the tab of
// the active page through the input it registered, and a window that goes takes its tabs' input
// with it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/cvApp.h"
#include "app/cvHook.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/Program.h"
#include "mainwindow/support/ProgramEnv.h"

namespace {

using mwtest::ProgramTest;

// Esc pressed on the focused widget of the window, as the user presses it.
void PressEsc() {
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Corvesta;
  QTest::keyClick(target, Qt::Key_Escape);
  QApplication::processEvents();
}

TEST_F(ProgramTest, EscOnTheGrafAndCORATabsReturnsToTheTextsTab) {
  Corvesta->ShowPage("TabCORA");
  Corvesta->ViewTimer->SetEnabled(true);
  PressEsc();
  EXPECT_EQ(Corvesta->ActivePageName(), "TabEd");
  EXPECT_FALSE(Corvesta->ViewTimer->Enabled());  // the CORA tab stops its animation

  Corvesta->ShowPage("TabGraf");
  PressEsc();
  EXPECT_EQ(Corvesta->ActivePageName(), "TabEd");

  // A tab that registered no keys keeps its page; Esc is still the stop request.
  App->qStop = false;
  Corvesta->ShowPage("TabDB");
  PressEsc();
  EXPECT_EQ(Corvesta->ActivePageName(), "TabDB");
  EXPECT_TRUE(App->qStop);
}

TEST_F(ProgramTest, AClosedWindowLeavesNoTabInputBehind) {
  CorvestaShutdown();
  // The hook still runs (the application object stays) but no tab of the gone window answers.
  ASSERT_NE(App, nullptr);
  TMsg M;
  M.Message = WM_KEYDOWN;
  M.WParam = VK_ESCAPE;
  M.LParam = KeyLParam(VK_ESCAPE, false, false);
  struct Page : TMainWindowLink {
    std::string ActivePageName() override { return "TabCORA"; }
  } page;
  TMainWindowLink* before = SetMainWindowLink(&page);
  bool Handled = false;
  AppMessage(M, Handled);
  EXPECT_FALSE(Handled);
  SetMainWindowLink(before);
}

}  // namespace
