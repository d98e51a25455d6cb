// The Debug tab: each switch turns its output on or off and stores its key, the switches come
// back after a restart, the mask field takes hexadecimal only, and "This Memo" shows a job's
// warnings, handed over to the window's thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <thread>

#include "app/cvApp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvTunes.h"
#include "app/AppLinks.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/Program.h"
#include "mainwindow/TabDebug.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Dialogs.h"

namespace {

using mwtest::ProgramTest;

class DebugTab : public ProgramTest {
 protected:
  TTabDebug& Tab() { return Corvesta->DebugTab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  void Restart() {
    Corvesta->close();
    CorvestaShutdown();
    QApplication::processEvents();
    ResetSayerForTests();
    ResetAppForTests();
    applinks::ResetAll();
    mainlinks::ResetAll();
    TStartOptions o;
    o.ExeFileName = root->Exe();
    o.Show = true;
    CorvestaStartup(o);
    QApplication::processEvents();
  }
};

TEST_F(DebugTab, EachSwitchSetsTheSinkStoresItsKeyAndSurvivesARestart) {
  Corvesta->ShowPage("TabDebug");
  struct TSwitch {
    platform::TCheckBox* TTabDebug::*Box;
    const char* Key;
    std::function<bool()> On;
  } switches[] = {
      {&TTabDebug::cbMesBox, "SayerQS", [] { return Sayer->qBoxes; }},
      {&TTabDebug::cbMemo, "SayerQI", [] { return Sayer->qHook.load(); }},
      {&TTabDebug::cbWarn, "SayerQW", [] { return Sayer->qWarn; }},
      {&TTabDebug::cbFlush, "SayerQU", [] { return Sayer->qFlushEach; }},
      {&TTabDebug::cbHead, "SayerQH", [] { return Sayer->qCaption; }},
      {&TTabDebug::cbTime, "SayerQT", [] { return Sayer->qPrefix; }},
  };
  for (const TSwitch& s : switches) {
    SCOPED_TRACE(s.Key);
    platform::TCheckBox* box = Tab().*s.Box;
    const bool was = box->Checked();
    Click(box);
    EXPECT_EQ(box->Checked(), !was);
    EXPECT_EQ(s.On(), !was);
    EXPECT_EQ(App->TunCommon->Flag(s.Key), !was);
    Click(box);
    EXPECT_EQ(s.On(), was);
    EXPECT_EQ(App->TunCommon->Flag(s.Key), was);
  }
  // the log file through the form's open dialog; a cancel closes it
  platform::ScriptedDialogs dialogs;
  if (Tab().cbFile->Checked()) Click(Tab().cbFile);  // the project's log closed first
  EXPECT_FALSE(Sayer->qLog);
  const std::string log = root->File("dbg.log");
  dialogs.AnswerFile(log);
  Click(Tab().cbFile);
  EXPECT_TRUE(Sayer->qLog);
  EXPECT_EQ(Sayer->LogName, log);
  EXPECT_TRUE(App->TunCommon->Flag("SayerQF"));
  EXPECT_EQ(App->TunCommon->Get("SayerFName"), log);
  EXPECT_TRUE(Tab().EdDbgFile->isVisible());
  // Any Warn and Time turned over; after a restart every switch is as left
  Click(Tab().cbWarn);
  Click(Tab().cbTime);
  std::vector<bool> left;
  for (const TSwitch& s : switches) left.push_back(s.On());
  left.push_back(Sayer->qLog);
  Restart();
  std::vector<bool> now;
  for (const TSwitch& s : switches) now.push_back(s.On());
  now.push_back(Sayer->qLog);
  EXPECT_EQ(now, left);
  EXPECT_TRUE(Tab().cbFile->Checked());
  EXPECT_EQ(Sayer->LogName, log);
  dialogs.CancelFile();
  Click(Tab().cbFile);  // unticked: closed
  EXPECT_FALSE(Sayer->qLog);
  EXPECT_FALSE(App->TunCommon->Flag("SayerQF"));
}

TEST_F(DebugTab, TheMaskTakesHexadecimalTypedKeyByKey) {
  Corvesta->ShowPage("TabDebug");
  QApplication::processEvents();
  TraceMask = 5;
  Tab().ShowSayerSwitches();
  auto* Hex = static_cast<QLineEdit*>(Tab().edIOHex);
  // Typed into the emptied field, one key after the other; the field shows what is typed and
  // takes its eight-digit form on Enter.
  struct TCase {
    const char* Typed;
    int32_t Mask;
    const char* Shown;  // after the keys
    const char* Hex;    // after Enter
  } cases[] = {
      {"1f", 31, "1f", "0000001F"},
      {"1g", 1, "00000001", "00000001"},  // a bad key: the current mask's digits again
      {"7FFFFFFF", 0x7FFFFFFF, "7FFFFFFF", "7FFFFFFF"},
      {"80000000", 0x8000000, "08000000", "08000000"},  // above 7FFFFFFF: refused
      {"123456789", 0x12345678, "12345678", "12345678"},  // a ninth digit: refused
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    Hex->clear();
    EXPECT_EQ(TraceMask, 0);  // an empty text is 0
    QTest::keyClicks(Hex, c.Typed);
    EXPECT_EQ(TraceMask, c.Mask);
    EXPECT_EQ(Tab().edIOHex->Text(), c.Shown);
    QTest::keyClick(Hex, Qt::Key_Return);
    EXPECT_EQ(Tab().edIOHex->Text(), c.Hex);
  }
  Hex->clear();
  QTest::keyClicks(Hex, "1F");
  EXPECT_EQ(Tab().edIO->Text(), "00000000 00000000 00000000 00011111");
  // leaving the field gives the eight-digit form too
  Hex->clear();
  Hex->setFocus();
  QTest::keyClicks(Hex, "a");
  EXPECT_EQ(Tab().edIOHex->Text(), "a");
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(Hex, &out);
  EXPECT_EQ(Tab().edIOHex->Text(), "0000000A");
  EXPECT_EQ(TraceMask, 10);
}

TEST_F(DebugTab, ThisMemoShowsAJobsWarningsOnTheWindowsThread) {
  Corvesta->ShowPage("TabDebug");
  if (!Tab().cbMemo->Checked()) Click(Tab().cbMemo);
  if (!Tab().cbWarn->Checked()) Click(Tab().cbWarn);
  Tab().MemoDbg->SetLines({});
  TJob job("memo");
  std::thread worker([&] {
    RunJob(job, [](TJob&) {
      WARNAbs("from the job"_cp);
      WARN("a plain warning"_cp);
    });
  });
  worker.join();
  EXPECT_TRUE(Tab().MemoDbg->Lines().empty());  // not yet: queued for the window's thread
  QApplication::processEvents();
  const std::vector<std::string> lines = Tab().MemoDbg->Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("from the job"_cp), std::string::npos);
  EXPECT_NE(lines[1].find("a plain warning"_cp), std::string::npos);
  EXPECT_EQ(job.WarningCount(), 2);  // the report has them too
  // the memo's own clear and the log shown without a name
  Click(Tab().btClearMemo);
  EXPECT_TRUE(Tab().MemoDbg->Lines().empty());
}

}  // namespace
