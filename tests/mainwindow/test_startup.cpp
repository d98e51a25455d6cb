// The program's start-up and shut-down on a copy of the bundled root: the documented order, the
// panel's test text and clock, the guard of a second initialisation, a failing initialisation
// that the program survives, the settings saved at close, and a picture of the whole window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTabBar>
#include <QTest>
#include <filesystem>
#include <regex>
#include <set>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/cvTimeSup.h"
#include "app/qt/QtInfWidget.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvMend.h"
#include "platform/FileErr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FFiltr.h"
#include "mainwindow/Program.h"
#include "mainwindow/support/ProgramEnv.h"

namespace {

using mwtest::ProgramTest;

std::string FieldText(const std::string& Code) {
  TInfField* F = App && App->Inf ? App->Inf->FindFld(Code) : nullptr;
  return F ? F->DisplayText() : std::string("<no field>");
}

TEST_F(ProgramTest, StartsInTheDocumentedOrder) {
  const std::vector<std::string> expected = {
      "units", "DM", "Corvesta", "FMap", "FFiltr",
      "Init:LVEMO", "Init:MainWindow", "Init:cvDirs", "Init:Ed", "Init:Inf", "Init:Bind",
      "Init:Ed.Init", "Init:MEND", "Init:ModelLists", "Init:TimeSup", "Init:EE",
      "App.Init", "FPict/FPicTool/FTAnalize/FCalc", "events", "show"};
  EXPECT_EQ(StartupLog(), expected);
  EXPECT_EQ(App->iGuard, TAppCase::GuardWord);
  EXPECT_EQ(App->sRoot, root->Root());
  ASSERT_NE(DM, nullptr);
  ASSERT_NE(MEND, nullptr);
  EXPECT_TRUE(MEND->Loaded());
  ASSERT_NE(Corvesta, nullptr);
  ASSERT_NE(FFiltr, nullptr);
  ASSERT_NE(cvDirs, nullptr);
  EXPECT_GT(cvDirs->Count(), 10);
  ASSERT_NE(Ed, nullptr);
  EXPECT_EQ(Ed->Memo, static_cast<platform::Memo*>(Corvesta->EdTab().MemoEd));
  ASSERT_NE(App->Inf, nullptr);
  EXPECT_EQ(Corvesta->InfStrip->Inf(), App->Inf);
  EXPECT_TRUE(Corvesta->isVisible());
  EXPECT_EQ(Corvesta->ActivePageName(), "TabEd");

  // The panel's test field, and the three standard timers, due at once.
  EXPECT_EQ(FieldText("EE"), "Проверка! 123"_cp);
  ASSERT_NE(TimeSup, nullptr);
  ASSERT_GE(TimeSup->Count, 3);
  EXPECT_EQ(TimeSup->Slot(1)->Name, "mousemove");
  EXPECT_EQ(TimeSup->Slot(2)->Name, "blink");
  EXPECT_EQ(TimeSup->Slot(3)->Name, "test");
  EXPECT_TRUE(Corvesta->MainTimer->isActive());
  // The main timer's ticks put the time of day into "TT".
  Wait(700);
  EXPECT_TRUE(std::regex_match(FieldText("TT"), std::regex(R"(\d\d:\d\d:\d\d)"))) << FieldText("TT");

  // The sink follows the project's Common settings; its log lands in the project folder.
  EXPECT_TRUE(Sayer->qBoxes);
  EXPECT_TRUE(Corvesta->DebugTab().cbMesBox->Checked());
  EXPECT_TRUE(Corvesta->DebugTab().cbFile->Checked());
  EXPECT_TRUE(Sayer->qLog);
  EXPECT_EQ(Sayer->LogName, root->File("Projects/Demo/corvesta.log"));
  // The Data tab lists the data module's tables.
  EXPECT_GT(Corvesta->DBTab().ListDB->ItemCount(), 10);
  EXPECT_EQ(Corvesta->DBTab().ListDB->Item(0), "SOURCES");

  // The editor's panel codes are bound: "05" answers with its test box.
  TInfField* F = App->Inf->FindFld("05");
  ASSERT_NE(F, nullptr);
  ASSERT_TRUE(F->OnCmd);
  F->OnCmd(F);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Hellow WORLD! <")) << mwtest::AllBoxes(*boxes);
  for (const char* code : {"06", "Wd", "IR", "Cd", "RW", "eC", "tG", "sU", "sD", "tA", "jC", "cC",
                           "cB", "cL", "cR", "cs", "cT", "cP", "xI", "xE", "cN", "sX", "dG", "TG",
                           "xe", "xi"})
    EXPECT_TRUE(App->Inf->FindFld(code) && App->Inf->FindFld(code)->OnCmd) << code;
  EXPECT_TRUE(App->Inf->FindFld("eX")->OnEdit);
  EXPECT_TRUE(App->Inf->FindFld("eY")->OnEdit);
}

TEST_F(ProgramTest, ASecondInitialisationOnlyWarns) {
  const std::vector<std::string> before = StartupLog();
  TInf* inf = App->Inf;
  TcvEd* ed = Ed;
  Sayer->WarnOn();
  boxes->Clear();
  App->Init();
  EXPECT_EQ(StartupLog(), before);
  EXPECT_EQ(App->Inf, inf);
  EXPECT_EQ(Ed, ed);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "App.Init - повторное вхождение в процедуру"_cp))
      << mwtest::AllBoxes(*boxes);
}

TEST_F(ProgramTest, ClosingSavesTheFiveSetsWithOnlyTheirChanges) {
  const std::string rootIni = root->File("cvtunes.ini");
  const std::string projIni = root->File("Projects/Demo/cvtunes.ini");
  TStringList rootBefore, projBefore;
  rootBefore.LoadFromFile(rootIni);
  projBefore.LoadFromFile(projIni);
  App->TunCommon->Set("EdCurWord", "1");
  App->TunFITS->Set("LastScan", "S1");
  Corvesta->close();
  QApplication::processEvents();
  EXPECT_FALSE(Corvesta->isVisible());

  TStringList rootAfter, projAfter;
  rootAfter.LoadFromFile(rootIni);
  projAfter.LoadFromFile(projIni);
  // Sections and keys (comments and empty lines are not compared).
  auto entries = [](const TStringList& L) {
    std::vector<std::string> v;
    for (const auto& l : L.Lines())
      if (!l.empty() && l[0] != ';') v.push_back(l);
    return v;
  };
  auto added = [&](const TStringList& Before, const TStringList& After) {
    const std::vector<std::string> lines = entries(Before);
    std::multiset<std::string> b(lines.begin(), lines.end());
    std::vector<std::string> extra;
    for (const auto& l : entries(After)) {
      auto it = b.find(l);
      if (it != b.end())
        b.erase(it);
      else
        extra.push_back(l);
    }
    EXPECT_TRUE(b.empty()) << "a line was lost: " << *b.begin();
    return extra;
  };
  EXPECT_EQ(added(projBefore, projAfter), std::vector<std::string>{"EdCurWord=1"});
  EXPECT_EQ(added(rootBefore, rootAfter), std::vector<std::string>{"LastScan=S1"});
  // Nothing was written into the source tree's root.
  EXPECT_FALSE(std::filesystem::exists(testsupport::SourceRoot() + "/data/Projects/Demo/corvesta.log"));
  EXPECT_FALSE(mwtest::BoxShown(*boxes, "сообщает об ошибке"_cp)) << mwtest::AllBoxes(*boxes);
}

// A set that cannot be written does not keep the others from being saved; the failure is
// reported and the window closes all the same.
TEST_F(ProgramTest, ASetThatCannotBeSavedIsReportedAndTheOthersAreSaved) {
  const std::string projIni = root->File("Projects/Demo/cvtunes.ini");
  std::filesystem::remove(projIni);
  std::filesystem::create_directory(projIni);  // a folder in the file's place
  App->TunFITS->Set("LastScan", "S2");
  boxes->Clear();
  Corvesta->close();
  QApplication::processEvents();
  EXPECT_FALSE(Corvesta->isVisible());
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Система Corvesta сообщает об ошибке"_cp)) << mwtest::AllBoxes(*boxes);
  EXPECT_NE(testsupport::ReadFile(root->File("cvtunes.ini")).find("LastScan=S2"), std::string::npos);
}

TEST_F(ProgramTest, PictureOfTheWholeWindow) {
  Corvesta->resize(1241, 756);
  Wait(100);
  const QImage img = Corvesta->grab().toImage();
  ASSERT_FALSE(img.isNull());
  EXPECT_TRUE(img.save("mainwindow_window.png"));

  const QTabBar* bar = Corvesta->PageControl->tabBar();
  ASSERT_EQ(bar->count(), 18);
  const std::vector<std::string> captions = {"Texts", "Data", "Debug", "Start", "FITS", "Zeeman",
                                             "Graf", "GIF", "CORA", "Models", "VEMO", "Project",
                                             "Test", "CoPi", "Unno", "Dialog", "VARI", "Di"};
  for (int i = 0; i < 18; ++i) {
    EXPECT_EQ(bar->tabText(i).toStdString(), captions[static_cast<size_t>(i)]);
    EXPECT_TRUE(bar->tabRect(i).isValid());
    EXPECT_TRUE(img.rect().contains(bar->mapTo(Corvesta, bar->tabRect(i).center())));
  }
  // The panel's strip along the bottom shows something: more than its background colour.
  const QRect strip(Corvesta->InfStrip->mapTo(Corvesta, QPoint(0, 0)), Corvesta->InfStrip->size());
  ASSERT_GT(strip.height(), 8);
  EXPECT_GT(strip.bottom(), img.height() * 9 / 10);
  std::set<QRgb> colours;
  for (int y = strip.top(); y <= strip.bottom(); y += 2)
    for (int x = strip.left(); x < std::min(strip.right(), strip.left() + 600); x += 2)
      colours.insert(img.pixel(x, y));
  EXPECT_GT(colours.size(), 4u);
}

// A right-button release on the panel's strip opens the group menu 401 ms later; the clock
// stands still while it is open; an item shows or hides its group.
TEST_F(ProgramTest, RightReleaseOnTheStripOpensTheGroupMenu) {
  QWidget* strip = Corvesta->InfStrip;
  QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(5, strip->height() / 2));
  EXPECT_EQ(TimeSup->Find("popup") > 0, true);
  EXPECT_FALSE(Corvesta->PopupMenuInf->isVisible());
  Wait(600);
  ASSERT_TRUE(Corvesta->PopupMenuInf->isVisible());
  EXPECT_FALSE(Corvesta->MainTimer->isActive());
  EXPECT_EQ(TimeSup->Find("popup"), 0);
  const auto actions = Corvesta->PopupMenuInf->actions();
  ASSERT_EQ(actions.size(), 1 + static_cast<int>(App->Inf->Groups.size()));
  EXPECT_EQ(actions[0]->objectName().toStdString(), "NDivider");
  // "Tests" starts hidden; its item shows it.
  int tests = -1;
  for (int i = 0; i < actions.size(); ++i)
    if (actions[i]->objectName() == "Tests") tests = i;
  ASSERT_GT(tests, 0);
  EXPECT_FALSE(actions[tests]->isChecked());
  actions[tests]->trigger();
  EXPECT_TRUE(App->Inf->FindGroup("Tests")->Shown);
  EXPECT_TRUE(actions[tests]->isChecked());
  Corvesta->PopupMenuInf->hide();
  QApplication::processEvents();
  EXPECT_TRUE(Corvesta->MainTimer->isActive());

  // A release outside the strip opens nothing.
  QTest::mouseClick(Corvesta, Qt::RightButton, {}, QPoint(1, 1));
  Wait(600);
  EXPECT_FALSE(Corvesta->PopupMenuInf->isVisible());
}

// Without "INI\inf.ini" the initialisation fails at the panel: the failure is reported once the
// event loop runs, and the program goes on with its window.
class FailingStart : public ProgramTest {
 protected:
  void PrepareRoot(mwtest::TRootCopy& R) override {
    std::filesystem::remove(R.File("INI/inf.ini"));
  }
};

TEST_F(FailingStart, TheProgramSurvivesAFailingInitialisation) {
  Wait(50);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Система Corvesta сообщает об ошибке:"_cp))
      << mwtest::AllBoxes(*boxes);
  ASSERT_NE(Corvesta, nullptr);
  EXPECT_TRUE(Corvesta->isVisible());
  EXPECT_TRUE(!App->Inf || !App->Inf->FindFld("EE"));
  EXPECT_EQ(StartupLog().back(), "show");
  // The steps after the failing one did not run.
  const auto& log = StartupLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "Init:Inf"), log.end());
  EXPECT_EQ(std::find(log.begin(), log.end(), "Init:Bind"), log.end());
  // The window still works: a search reports through its box.
  boxes->Clear();
  Corvesta->EdTab().edReply->SetText("nothing");
  QTest::mouseClick(Corvesta->EdTab().btEdSearcDn, Qt::LeftButton);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "шаблон <nothing> вниз по тексту не найден!"_cp))
      << mwtest::AllBoxes(*boxes);
}

}  // namespace

namespace {

// The project's option files are made from the root's templates at start, so that a calculation
// started from the window reads its switches, not a silent mask 0.
using mwtest::ProgramTest;

TEST_F(ProgramTest, StartMakesTheProjectsOptionFilesFromTheTemplates) {
  for (const char* name : {"CONT", "MOD", "PMOD1", "PMOD3", "RACH"}) {
    const std::string f = FindNoCase(App->sProjDir, std::string("OTL/") + name + ".otl");
    EXPECT_TRUE(platform::IsRegularFile(f)) << f;
  }
}

}  // namespace
