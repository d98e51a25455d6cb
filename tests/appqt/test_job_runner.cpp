// The window's job runner with a real job (the table restore): the panel's "UM" changes while it
// runs, the window repaints meanwhile, Esc ends it quickly and the database stays as before;
// warnings come once as one report; a question is answered on the window's thread.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/cvInf.h"
#include "app/qt/QtInfWidget.h"
#include "app/qt/QtJobRunner.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "platform/MsgBox.h"
#include "platform/qt/QtCanvas.h"
#include "support/TestSupport.h"
#include "support/QtTestApp.h"

namespace {

QApplication* TheApp() { return testsupport::QtTestApp(); }

const char* kIni =
    "[Informator]\nColorBack=clGray\nMargin=2\n"
    "[Fonts]\nNFont=0\n"
    "[Colors]\nNColor=1\n0=clWhite\n1=clYellow\n"
    "[Groups]\nNGroup=0\n0_Name=Main\n"
    "[Fields]\n"
    "F|UM|1|1|01|0|60|0|L|C|0|0|0|0|0|1|S|N|0|0|0||%s|messages|0|0|0||\n"
    "; end\n";

// Counts the paint events a widget gets.
class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

class JobRunnerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TheApp();
    platform::InstallQtGraphics();
  }
  void SetUp() override {
    ResetSayerForTests();
    testsupport::WriteFile(dir.file("inf.ini"), kIni);
    top.resize(600, 200);
    strip = new QtInfWidget(&top);
    strip->setGeometry(0, 170, 600, 24);
    canvas = new PaintCounter;
    canvas->setParent(&top);
    canvas->setGeometry(0, 0, 600, 160);
    top.show();
    TInf::Init(inf, strip->Form(), "Terminal", nullptr, nullptr, 14, 2, dir.file("inf.ini"));
    strip->Attach(inf);
    runner.Panel = inf;
  }
  void TearDown() override {
    delete inf;
    ResetSayerForTests();
  }
  std::string UM() {
    const TInfField* f = inf->FindFld("UM");
    return f && f->Log ? f->Log->StoredText() : std::string();
  }

  testsupport::TempDir dir;
  QWidget top;
  QtInfWidget* strip = nullptr;
  PaintCounter* canvas = nullptr;
  TInf* inf = nullptr;
  TQtJobRunner runner;
};

TEST_F(JobRunnerTest, RestoreShowsProgressRepaintsAndStopsOnEsc) {
  // a large text table, so that the restore runs long enough to be interrupted
  std::string lggf = "IdLGGF|LIN6|Src|Val\n";
  for (int i = 1; i <= 400000; ++i)
    lggf += std::to_string(i) + "|FE" + std::to_string(i % 10000) + "|VALD|0.5\n";
  std::filesystem::create_directories(dir.file("save"));
  testsupport::WriteFile(dir.file("save/LGGF.txt"), lggf);
  TDM D;
  ASSERT_TRUE(D.Connect(dir.file("cv.db")));

  std::vector<std::string> seen;
  runner.ShowProgress = [&](const std::string& t) {
    seen.push_back(t);
    inf->LogStr("UM", t);
  };
  auto job = std::make_shared<TJob>("AutoLoad");
  bool done = false;
  ASSERT_TRUE(runner.Start(job, [&](TJob& J) { DBRestore(J, D, dir.file("save")); },
                           [&](TJob&) { done = true; }));
  EXPECT_FALSE(runner.Start(std::make_shared<TJob>("second"), [](TJob&) {}));  // one at a time

  // wait until "UM" shows the table's line count, repainting the window meanwhile
  QTimer repaint;
  QObject::connect(&repaint, &QTimer::timeout, canvas, [this] { canvas->update(); });
  repaint.start(10);
  const int paintsBefore = canvas->paints;
  QElapsedTimer t;
  t.start();
  // "LGGF <line> [1/1]": the table's line count (the first update names the table alone)
  auto lineCount = [this] {
    const std::string u = UM();
    const size_t p = u.find("LGGF ");
    return p != std::string::npos && p + 5 < u.size() && std::isdigit(static_cast<unsigned char>(u[p + 5]));
  };
  while (t.elapsed() < 20000 && !lineCount() && runner.Busy()) QTest::qWait(5);
  ASSERT_NE(UM().find("LGGF"), std::string::npos) << UM();
  const std::string firstUM = UM();
  QTest::qWait(150);
  EXPECT_NE(UM(), firstUM);  // it keeps changing while the job runs
  EXPECT_GT(canvas->paints, paintsBefore + 3);
  ASSERT_TRUE(runner.Busy());

  // Esc ends it within 100 ms
  QElapsedTimer esc;
  esc.start();
  QTest::keyClick(canvas, Qt::Key_Escape);
  // the job itself ends (rolled back) without the window's help
  while (!job->Ended() && esc.elapsed() < 5000) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_LT(esc.elapsed(), 100);
  runner.Wait();
  EXPECT_TRUE(done);
  EXPECT_EQ(job->State(), TJobState::Cancelled);
  EXPECT_NE(UM().find("прервано"_cp), std::string::npos) << UM();
  D.ADOLGGF.Open();
  EXPECT_EQ(D.ADOLGGF.RecordCount(), 0);  // rolled back
  D.Disconnect();
}

TEST_F(JobRunnerTest, WarningsMakeOneReportAndQuestionsAreAnsweredOnTheWindowThread) {
  platform::ScriptedMsgBoxes boxes;
  boxes.Answer(platform::MsgResult::Yes);
  std::vector<std::string> report;
  int reports = 0;
  runner.ShowReport = [&](const std::string&, const std::vector<std::string>& lines) {
    report = lines;
    ++reports;
  };
  bool answer = false;
  auto job = std::make_shared<TJob>("Grid");
  runner.Start(job, [&](TJob& J) {
    for (int i = 0; i < 50; ++i) WARNAbs("the same");
    WARNAbs("another");
    answer = AskYesNo("go on?");
    J.Step(1, 1, "end");
  });
  runner.Wait();
  EXPECT_TRUE(answer);
  ASSERT_EQ(boxes.Shown().size(), 1u);  // only the question, asked on this thread
  EXPECT_EQ(boxes.Shown()[0].text, "go on?");
  EXPECT_EQ(reports, 1);
  ASSERT_EQ(report.size(), 3u);
  EXPECT_EQ(report[1], "the same (x50)");
  EXPECT_NE(UM().find("2"), std::string::npos) << UM();  // the panel line counts the warnings
}

}  // namespace
