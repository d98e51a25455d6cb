// The Texts tab driven through its buttons (offscreen), the editor's callbacks on the window,
// the control-panel switch, and the one guard around every event: a handler that throws gives
// the application's exception report and the program goes on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <stdexcept>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/cvTimeSup.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FFiltr.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Clipboard.h"
#include "platform/Controls.h"

namespace {

using mwtest::AllBoxes;
using mwtest::BoxShown;

class TextsTab : public mwtest::ProgramTest {
 protected:
  void Click(QWidget* W) { QTest::mouseClick(W, Qt::LeftButton); }
  std::vector<std::string> Memo() const { return Corvesta->EdTab().MemoEd->Lines(); }
  std::pair<int, int> Caret() const {
    int l = 0, c = 0;
    Corvesta->EdTab().MemoEd->CaretPos(l, c);
    return {l, c};
  }
  std::string WriteText(const std::string& Name, const std::string& Text) {
    const std::string f = root->File(Name);
    testsupport::WriteFile(f, Text);
    return f;
  }
};

TEST_F(TextsTab, GoOpensTheFileNamedInTheEditAndSaveWritesTheMemo) {
  const std::string f = WriteText("a.txt", "first line\nвторая строка\n");
  Corvesta->EdTab().edFile->SetText(f);
  Click(Corvesta->EdTab().btOpen);
  EXPECT_EQ(Memo(), (std::vector<std::string>{"first line", "вторая строка"_cp}));
  EXPECT_EQ(Corvesta->EdTab().lbKind->Caption(), "F");
  // The status display follows the editor: a file text shows the popup's Save and Cancel.
  Ed->UpdateStatus();
  EXPECT_TRUE(Corvesta->EdTab().pmedSave->isVisible());

  Corvesta->EdTab().MemoEd->SetLine(0, "changed");
  Corvesta->EdTab().MemoEd->AddLine("третья"_cp);
  Click(Corvesta->EdTab().btSave);
  EXPECT_EQ(testsupport::ReadFile(f), "changed\nвторая строка\nтретья\n");
  EXPECT_FALSE(std::filesystem::exists(f + ".~sav"));

  // Cancel reads the file again; a name that does not exist changes nothing.
  Corvesta->EdTab().MemoEd->SetLine(0, "unsaved");
  Click(Corvesta->EdTab().btCancel);
  EXPECT_EQ(Memo()[0], "changed");
}

TEST_F(TextsTab, HomeShowsTheBundledHomeTextAsALinkList) {
  Click(Corvesta->EdTab().btHome);
  ASSERT_FALSE(Memo().empty());
  EXPECT_EQ(Memo()[0], "Главный вход в тексты Corvesta"_cp);
  EXPECT_EQ(Corvesta->EdTab().lbKind->Caption(), "F");
  // Every link of the home text names a file or folder of the bundled root.
  for (const std::string& line : Memo()) {
    const size_t m = line.find("!----!");
    if (m == std::string::npos) continue;
    std::string path = line.substr(m + 6);
    const size_t micros = path.find("micros.dir");
    if (micros != std::string::npos) path.erase(micros);
    EXPECT_TRUE(std::filesystem::exists(root->File(path.empty() ? "." : path))) << path;
  }
}

TEST_F(TextsTab, SaveToAFileThatCannotBeWrittenIsReportedAndTheProgramGoesOn) {
  Corvesta->EdTab().MemoEd->SetLines({"x"});
  Corvesta->EdTab().edFile->SetText(root->File("no/such/folder/x.txt"));
  boxes->Clear();
  Click(Corvesta->EdTab().btSave);
  EXPECT_TRUE(BoxShown(*boxes, "Система Corvesta сообщает об ошибке"_cp)) << AllBoxes(*boxes);
  EXPECT_TRUE(BoxShown(*boxes, "полученной от кнопки "_cp)) << AllBoxes(*boxes);
  EXPECT_TRUE(BoxShown(*boxes, "Заголовок Save"_cp)) << AllBoxes(*boxes);
  // Still alive: the next click works.
  Click(Corvesta->EdTab().btSysDirs);
  EXPECT_EQ(Memo().at(0).rfind("Отчет о списке рабочих директорий"_cp, 0), 0u);
}

TEST_F(TextsTab, SysDirsShowsTheTableReportAndOkReturnsToTheCallingTab) {
  // A report asked for on the Data tab: the Texts tab comes up with "OK Data".
  Corvesta->ShowPage("TabDB");
  TStringList L{"one", "two"};
  Ed->EdLoadSL("from Data", &L);
  EXPECT_EQ(Corvesta->ActivePageName(), "TabEd");
  EXPECT_EQ(Corvesta->EdTab().sEdReturnTab, "TabDB");
  EXPECT_FALSE(Corvesta->EdTab().btEdOK->isHidden());
  EXPECT_EQ(Corvesta->EdTab().btEdOK->Caption(), "OK Data");
  EXPECT_EQ(Memo(), (std::vector<std::string>{"one", "two"}));

  Click(Corvesta->EdTab().btSysDirs);
  ASSERT_FALSE(Memo().empty());
  EXPECT_EQ(Memo()[0].rfind("Отчет о списке рабочих директорий"_cp, 0), 0u);
  EXPECT_GT(Memo().size(), 10u);

  Click(Corvesta->EdTab().btEdOK);
  EXPECT_EQ(Corvesta->ActivePageName(), "TabDB");
  EXPECT_EQ(Corvesta->EdTab().sEdReturnTab, "");
  EXPECT_EQ(Corvesta->EdTab().btEdOK->Caption(), "OK");
  // Back on the Texts tab the OK button hides again.
  Corvesta->ShowPage("TabEd");
  EXPECT_TRUE(Corvesta->EdTab().btEdOK->isHidden());
}

TEST_F(TextsTab, SearchWalksFromHitToHitDownAndUp) {
  Corvesta->EdTab().MemoEd->SetLines({"ab xx cd xx", "none", "xx at start", "last"});
  Corvesta->EdTab().edReply->SetText("xx");
  Corvesta->EdTab().MemoEd->SetCaret(0, 0);
  Click(Corvesta->EdTab().btEdSearcDn);
  EXPECT_EQ(Caret(), std::make_pair(0, 3));
  Click(Corvesta->EdTab().btEdSearcDn);
  EXPECT_EQ(Caret(), std::make_pair(0, 9));
  Click(Corvesta->EdTab().btEdSearcDn);
  EXPECT_EQ(Caret(), std::make_pair(2, 0));
  boxes->Clear();
  Click(Corvesta->EdTab().btEdSearcDn);
  EXPECT_TRUE(BoxShown(*boxes, "шаблон <xx> вниз по тексту не найден!"_cp)) << AllBoxes(*boxes);
  EXPECT_EQ(Caret(), std::make_pair(2, 0));

  // Up: the rest of the caret line right of the caret comes first.
  Corvesta->EdTab().MemoEd->SetCaret(0, 0);
  Click(Corvesta->EdTab().btEdSearcUp);
  EXPECT_EQ(Caret(), std::make_pair(0, 3));
  Corvesta->EdTab().MemoEd->SetCaret(3, 0);
  Click(Corvesta->EdTab().btEdSearcUp);
  EXPECT_EQ(Caret(), std::make_pair(2, 0));
  boxes->Clear();
  Corvesta->EdTab().edReply->SetText("");
  Click(Corvesta->EdTab().btEdSearcUp);
  EXPECT_TRUE(BoxShown(*boxes, "шаблон <> ввверх по тексту не найден!"_cp)) << AllBoxes(*boxes);
}

TEST_F(TextsTab, StatusDisplayAndTheFolderListing) {
  TEdStatus S;
  S.Line = 3;
  S.Col = 7;
  S.LineWords = 4;
  S.WordNo = 2;
  S.IsFile = true;
  S.ColInfo = "Col2 IB=5 W=3-1";
  Corvesta->EdTab().EdStatusShow(S);
  EXPECT_EQ(Corvesta->EdTab().edJS->Text(), "3");
  EXPECT_EQ(Corvesta->EdTab().edIP->Text(), "7");
  EXPECT_EQ(Corvesta->EdTab().lbWordN->Caption(), "4");
  EXPECT_EQ(Corvesta->EdTab().edColCur->Text(), "2");
  EXPECT_EQ(Corvesta->EdTab().lbCurTT->Caption(), "Col2 IB=5 W=3-1");
  EXPECT_EQ(Corvesta->EdTab().lbEdFileEnabled->Caption(), "ФАЙЛ"_cp);
  EXPECT_EQ(Corvesta->EdTab().lbEdHTMLEnabled->Caption(), "не HTML"_cp);
  EXPECT_EQ(PanelInt("eY"), 3);
  EXPECT_EQ(PanelInt("tN"), 4);
  EXPECT_EQ(Corvesta->EdTab().pmedSetXCol->Caption(), "X(0)->Set(2)");
  // A folder listing (kind M) hides the popup's Save and Cancel.
  Corvesta->EdTab().btEdTest->click();
  EXPECT_EQ(Corvesta->EdTab().lbKind->Caption(), "M");
  EXPECT_FALSE(Corvesta->EdTab().pmedSave->isVisible());
  EXPECT_FALSE(Corvesta->EdTab().pmedCancel->isVisible());
}

TEST_F(TextsTab, TheControlPanelSwitchesToItsListAndPanels) {
  TTabEd& T = Corvesta->EdTab();
  T.EdTuneListShow();
  EXPECT_EQ(T.cbEdCTRL->parentWidget(), T.PanelEdCTRL->parentWidget());
  EXPECT_EQ(T.cbEdCTRL->pos(), T.PanelEdCTRL->pos());
  EXPECT_FALSE(T.cbEdCTRL->isHidden());
  EXPECT_TRUE(T.PanelEdCTRL->isHidden());

  T.cbEdCTRL->SetItemIndex(1);
  T.cbEdCTRLChange({});
  EXPECT_FALSE(T.PanelEdTable->isHidden());
  EXPECT_TRUE(T.PanelEdNavigate->isHidden());
  EXPECT_EQ(T.PanelEdTable->parentWidget(), T.PanelEdCTRL->parentWidget());
  EXPECT_EQ(T.PanelEdTable->x(), T.PanelEdCTRL->x() + T.PanelEdCTRL->width() + 1);

  T.EdTuneListHide();
  EXPECT_TRUE(T.cbEdCTRL->isHidden());
  EXPECT_FALSE(T.PanelEdCTRL->isHidden());
  EXPECT_EQ(T.PanelEdCTRL->Caption(), "Tables");
}

// The timer "EdCtrl" keeps the list while the cursor rests where the (hidden) panel stands, and
// puts the panel back once the cursor has left that place.
TEST_F(TextsTab, TheControlListStaysWhileTheCursorRestsOnIt) {
  ASSERT_NE(TimeSup, nullptr);
  QWidget* P = Corvesta->EdTab().PanelEdCTRL;
  const QPoint inside = P->mapToGlobal(QPoint(P->width() / 2, P->height() / 2));
  TPoint cursor{inside.x(), inside.y()};
  platform::CursorServices services;
  services.ScreenPos = [&cursor] { return cursor; };
  const platform::CursorServices before = platform::SetCursorServices(services);
  auto fire = [] {
    if (TimeSup->Find("EdCtrl") == 0) TimeSup->StartTimer("EdCtrl", 800, EdCtrlTimerProc);
    EdCtrlTimerProc(TimeSup->Find("EdCtrl"));
  };
  fire();  // the list takes the panel's place
  EXPECT_FALSE(Corvesta->EdTab().cbEdCTRL->isHidden());
  EXPECT_TRUE(P->isHidden());
  fire();  // the cursor is still there: the list stays
  EXPECT_FALSE(Corvesta->EdTab().cbEdCTRL->isHidden());
  EXPECT_GT(TimeSup->Find("EdCtrl"), 0);
  cursor = TPoint{inside.x(), inside.y() - 200};
  fire();  // gone: the panel is back
  EXPECT_TRUE(Corvesta->EdTab().cbEdCTRL->isHidden());
  EXPECT_FALSE(P->isHidden());
  EXPECT_EQ(TimeSup->Find("EdCtrl"), 0);
  platform::SetCursorServices(before);
}

TEST_F(TextsTab, TabsAndButtonsOfOtherWindows) {
  // The column filter window.
  Click(Corvesta->EdTab().btFilt);
  EXPECT_TRUE(FFiltr->isVisible());
  // The calculator window.
  boxes->Clear();
  Click(Corvesta->EdTab().btShowCalculator);
  EXPECT_FALSE(BoxShown(*boxes, "FCalc - функция пока недоступна"_cp)) << AllBoxes(*boxes);
  // The hidden menu item of the form.
  boxes->Clear();
  Corvesta->NFile->trigger();
  EXPECT_TRUE(BoxShown(*boxes, "МЕНЮ : File!"_cp)) << AllBoxes(*boxes);
}

// What the editor's Ctrl+Enter on a file word does with the file, by its first two lines.
TEST_F(TextsTab, OpeningAFileFromTheEditorDispatchesByItsHeader) {
  std::vector<std::string> runs;
  mainlinks::Hooks().RunInpFile.Install([&](const std::string& F) { runs.push_back("inp " + F); });
  mainlinks::Hooks().PlayGraphicsScript.Install(
      [&](const std::string& F) { runs.push_back("graph " + F); });
  const std::string both = WriteText("both.txt", "[CVCTRL]\nINPUTDATA GRAPH\n");
  const std::string graph = WriteText("graph.txt", "[CVCTRL]\nGRAPH\n");
  const std::string inp = WriteText("table.inp", "plain\n");
  const std::string contours = WriteText("c.txt", "ЧислоКонтуров 5\n");
  for (const std::string& f : {both, graph, inp}) {
    Ed->Word = f;
    Ed->Done = false;
    Corvesta->EdTab().OpenEdFile();
  }
  EXPECT_EQ(runs, (std::vector<std::string>{"inp " + both, "graph " + graph, "inp " + inp}));
  EXPECT_EQ(Corvesta->ActivePageName(), "TabCORA");
  // A contour plot needs profiles.
  boxes->Clear();
  Ed->Word = contours;
  Ed->Done = false;
  Corvesta->EdTab().OpenEdFile();
  EXPECT_TRUE(Ed->Done);
  EXPECT_TRUE(BoxShown(*boxes, "Ни одного профиля в программе не загружено, LUNNO.Count=0!"_cp))
      << AllBoxes(*boxes);
}

// ---------------------------------------------------------------- the guard

TEST_F(TextsTab, AThrowingHandlerBecomesTheExceptionReport) {
  Corvesta->Handlers.Add("btTestTClick", [](TSender) { ErrAbs("сбой проверки"_cp); });
  boxes->Clear();
  Click(Corvesta->EdTab().btTestT);
  ASSERT_EQ(boxes->Shown().size(), 1u) << AllBoxes(*boxes);
  const std::string t = boxes->Shown()[0].text;
  EXPECT_EQ(t.rfind("Система Corvesta сообщает об ошибке\r\nполученной от кнопки \n\rЗаголовок btTestT\n\rКласс TButton\n\r"_cp, 0), 0u) << t;
  EXPECT_NE(t.find("\r\n\r\nErrAbs: сбой проверки\r\n"_cp), std::string::npos) << t;

  // Other kinds of exceptions, from a tab sheet and from a menu item.
  Corvesta->Handlers.Add("TabDBShow", [](TSender) { throw std::out_of_range("index 7"); });
  Corvesta->Handlers.Add("pmedColAlignClick", [](TSender) { throw std::runtime_error("bad column"); });
  boxes->Clear();
  Corvesta->ShowPage("TabDB");
  Corvesta->EdTab().pmedColAlign->trigger();
  ASSERT_EQ(boxes->Shown().size(), 2u) << AllBoxes(*boxes);
  EXPECT_EQ(boxes->Shown()[0].text,
            "Система Corvesta сообщает об ошибке\r\nполученный от закладки c заголовком <Data>\r\n\r\nindex 7"_cp);
  EXPECT_EQ(boxes->Shown()[1].text.rfind("Система Corvesta сообщает об ошибке\r\nполученной от PopupList c именем \n\rЗаголовок ColAlign"_cp, 0), 0u)
      << boxes->Shown()[1].text;

  // The program goes on: other events still run.
  Corvesta->ShowPage("TabEd");
  Click(Corvesta->EdTab().btSysDirs);
  EXPECT_EQ(Memo().at(0).rfind("Отчет о списке рабочих директорий"_cp, 0), 0u);
}

// An event whose handler is missing says so (every handler is written: one is taken away).
TEST_F(TextsTab, AHandlerNotWrittenYetSaysSo) {
  boxes->Clear();
  Corvesta->Handlers.Remove("btTestTClick");
  Click(Corvesta->EdTab().btTestT);
  EXPECT_TRUE(BoxShown(*boxes, "btTestTClick - функция пока недоступна"_cp)) << AllBoxes(*boxes);
}

// An exception that leaves any Qt event (not only a form handler) is reported by the
// application object; the event loop goes on.
TEST_F(TextsTab, TheEventLoopReportsAnExceptionFromAnyEvent) {
  struct Thrower : QObject {
    bool event(QEvent* E) override {
      if (E->type() == QEvent::User) throw std::runtime_error("thrown in an event");
      return QObject::event(E);
    }
  } thrower;
  boxes->Clear();
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QApplication::processEvents();
  ASSERT_EQ(boxes->Shown().size(), 1u) << AllBoxes(*boxes);
  EXPECT_NE(boxes->Shown()[0].text.find("thrown in an event"), std::string::npos);
  EXPECT_NE(boxes->Shown()[0].text.find("полученной от элемента имеющего тип <"_cp), std::string::npos);
}

}  // namespace
