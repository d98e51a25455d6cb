// The main window's forms as built from their texts: the eighteen sheets, the Texts tab's
// controls with their kinds and texts, the bindings, every control name the code looks up,
// the column-filter window, and the rule that fits the design to the screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTabBar>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "foundation/cvLit.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FFiltr.h"
#include "mainwindow/FormScale.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtControls.h"

namespace {

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    mwtest::TheApp();
    w = std::make_unique<TCorvesta>();
  }
  platform::ScriptedMsgBoxes boxes;
  std::unique_ptr<TCorvesta> w;
};

TEST_F(Window, HasTheEighteenSheetsInOrderWithTheirCaptions) {
  const std::vector<std::pair<std::string, std::string>> sheets = {
      {"TabEd", "Texts"},    {"TabDB", "Data"},    {"TabDebug", "Debug"},  {"TabStart", "Start"},
      {"TabFITS", "FITS"},   {"TabZee", "Zeeman"}, {"TabGraf", "Graf"},    {"TabGIF", "GIF"},
      {"TabCORA", "CORA"},   {"TabModels", "Models"}, {"TabVEMO", "VEMO"}, {"TabProj", "Project"},
      {"TabTest", "Test"},   {"TabCOPI", "CoPi"},  {"TabUnno", "Unno"},    {"TabDialog", "Dialog"},
      {"TabVARI", "VARI"},   {"TabDi", "Di"}};
  ASSERT_EQ(w->PageControl->PageCount(), 18);
  for (int i = 0; i < 18; ++i) {
    EXPECT_EQ(w->PageControl->Page(i)->objectName().toStdString(), sheets[i].first);
    EXPECT_EQ(w->PageControl->Page(i)->Caption(), sheets[i].second);
    EXPECT_EQ(w->PageControl->tabBar()->tabText(i).toStdString(), sheets[i].second);
  }
  EXPECT_EQ(w->windowTitle().toStdString(), "Corvesta");
  EXPECT_EQ(w->property("designWidth").toInt(), 1241);
  EXPECT_EQ(w->property("designHeight").toInt(), 756);
  EXPECT_TRUE(w->BindProblems.empty()) << w->BindProblems.front();
}

TEST_F(Window, ControlsCarryTheirKindsTextsAndPlaces) {
  // Every registered widget reports the kind the form gave it through its handle.
  int widgets = 0;
  for (const std::string& n : w->Registry.Names()) {
    QWidget* W = qobject_cast<QWidget*>(w->Registry.Find(n));
    if (!W) continue;
    ++widgets;
    EXPECT_EQ(platform::QtHandle(W)->ClassName(), w->Registry.KindOf(n)) << n;
    EXPECT_EQ(platform::QtHandle(W)->Name(), n);
  }
  EXPECT_GT(widgets, 60);

  struct Expect {
    const char* Name;
    const char* Kind;
    std::string Text;  // caption or text
    std::string Hint;
  };
  const Expect table[] = {
      {"btHome", "TBitBtn", "", "Главный вход в тексты Corvesta09"_cp},
      {"btOpen", "TButton", "GO", "открыть указанный в поле слева файл"_cp},
      {"btEdOK", "TButton", "OK", "Возврат на вызвавшую текст закладку"_cp},
      {"btSysDirs", "TButton", "SysDirs", "Список рабочих директорий проекта"_cp},
      {"lbEdFileEnabled", "TLabel", "не ФАЙЛ"_cp, ""},
      {"lbEdHTMLEnabled", "TLabel", "не HTML"_cp, ""},
      {"Button3", "TButton", "3", "Просто для всяких тестов"_cp},
      {"edReply", "TEdit", "", "Слово под курсором / Образец поиска"_cp},
      {"btFilt", "TButton", "Filtr", "ЗАГОТОВКА для фильтра!"_cp},
      {"edACE_N", "TEdit", "40", "Число точек в фильтре ACE"_cp},
      {"cbACEx", "TCheckBox", "x", "Считать ACE не для индексов, а для самих значений X"_cp},
      {"PanelEdCTRL", "TPanel", "CTRL", ""},
      {"btSave", "TButton", "Save", ""},
      {"edJS", "TEdit", "JS", ""},
      {"edIP", "TEdit", "IP", ""},
      {"MemoEd", "TMemo", "", ""},
      {"ListDB", "TComboBox", "", ""},
      {"cbMemo", "TCheckBox", "This Memo", ""},
  };
  for (const Expect& e : table) {
    platform::TControl* H = w->Handle(e.Name);
    ASSERT_NE(H, nullptr) << e.Name;
    EXPECT_EQ(H->ClassName(), e.Kind) << e.Name;
    if (std::string(e.Kind) != "TMemo") {
      EXPECT_EQ(H->Text(), e.Text) << e.Name;
    }
    EXPECT_EQ(H->Hint(), e.Hint) << e.Name;
  }
  EXPECT_TRUE(w->EdTab().btEdOK->isHidden());
  EXPECT_TRUE(w->EdTab().btEdTest->isHidden());
  EXPECT_EQ(w->EdTab().MemoEd->parentWidget(), w->TabEd);
  EXPECT_EQ(w->EdTab().MemoEd->FontName(), "Courier");
  EXPECT_EQ(w->EdTab().MemoEd->FontHeight(), 20);
  // The companions wait hidden on the Test sheet.
  for (QWidget* c : std::initializer_list<QWidget*>{w->EdTab().cbEdCTRL, w->EdTab().PanelEdNavigate,
                                                    w->EdTab().PanelEdTable}) {
    EXPECT_EQ(c->parentWidget(), w->TabTest);
    EXPECT_TRUE(c->isHidden());
  }
  EXPECT_EQ(w->EdTab().cbEdCTRL->Items(), (std::vector<std::string>{"Navigate", "Tables"}));
  EXPECT_EQ(w->EdTab().cbEdColumnAct->ItemCount(), 10);
  EXPECT_EQ(w->EdTab().cbEdColumnAct->Text(), "copy Column");
  // The memo's popup menu, in order.
  const std::vector<std::string> items = {"pmedSave",    "pmedCancel", "pmedSetXCol",
                                          "pmedGr",      "pmedCol2Ex", "pmedTab2Ex",
                                          "pmedStat",    "pmedColAlign", "pmedSortUp",
                                          "pmedSortDn",  "pmedColCut"};
  ASSERT_EQ(w->EdTab().PopupMenuEd->actions().size(), 11);
  for (int i = 0; i < 11; ++i)
    EXPECT_EQ(w->EdTab().PopupMenuEd->actions()[i]->objectName().toStdString(),
              items[static_cast<size_t>(i)]);
  EXPECT_EQ(w->EdTab().pmedStat->Hint(), "Скопировать статистику по колонке в буфер обмена"_cp);
  EXPECT_EQ(w->NDivider->Caption(), "----Видимость--инструментов----"_cp);
  EXPECT_EQ(w->MainTimer->Interval(), 10);
  EXPECT_FALSE(w->MainTimer->Enabled());
}

// Every event of the forms names a handler; those not written yet are the other tabs'.
TEST_F(Window, EveryBindingHasAHandlerOrBelongsToATabNotBuiltYet) {
  const std::set<std::string> pending = {};
  for (const platform::TFormEvent& e : w->Events.Bindings()) {
    const bool have = w->Handlers.Find(e.Handler) != nullptr;
    EXPECT_TRUE(have || pending.count(e.Handler)) << e.Control << "." << e.Event << " -> " << e.Handler;
    EXPECT_FALSE(have && pending.count(e.Handler)) << e.Handler << " is written: take it off the list";
  }
}

// Every control name that the code looks up by name is in the registry (names of tabs that
// are not built yet are listed here until their issues build them).
TEST_F(Window, EveryControlNameLookedUpByTheCodeIsRegistered) {
  namespace fs = std::filesystem;
  const std::string src = testsupport::SourceRoot();
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(src + "/mainwindow"))
    if (e.path().extension() == ".cpp") files.push_back(e.path());
  for (const char* f : {"/app/cvHook.cpp", "/app/cvTimeSup.cpp", "/app/cvWinLink.cpp"})
    if (fs::exists(src + f)) files.push_back(src + f);
  const std::regex call(
      R"re(\b(Control|Handle|ControlText|SetControlText|ItemIndex|SetItemIndex|ShowPage|IsActivePage|FocusControl|ScreenRect|ButtonDown|DroppedDown)\("([A-Za-z_][A-Za-z0-9_]*)")re");
  const std::regex compare(
      R"re(\b(Focus|Page|FocusedName\(\)|ActivePageName\(\))\s*[!=]=\s*"([A-Za-z_][A-Za-z0-9_]*)")re");
  const std::regex fire(R"re(Events\.Fire\("([A-Za-z_][A-Za-z0-9_]*)")re");
  const std::set<std::string> pending = {};
  std::set<std::string> names;
  for (const auto& f : files) {
    std::ifstream in(f);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    for (const std::regex* r : {&call, &compare})
      for (auto it = std::sregex_iterator(text.begin(), text.end(), *r); it != std::sregex_iterator(); ++it)
        names.insert((*it)[2]);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), fire); it != std::sregex_iterator(); ++it)
      names.insert((*it)[1]);
  }
  EXPECT_GT(names.size(), 20u);
  for (const std::string& n : names) {
    if (n == "Name") continue;  // a parameter, not a literal name
    const bool found = w->Registry.Has(n);
    EXPECT_TRUE(found || pending.count(n)) << "looked up but not registered: " << n;
    EXPECT_FALSE(found && pending.count(n)) << n << " is registered now: take it off the list";
  }
  for (const char* n : {"MemoEd", "MemoDbg", "PanelEdCTRL", "cbEdCTRL", "PageControl",
                               "lbMouse", "ImageCORA", "TabEd", "TabCORA", "edFile", "lbCurTT"})
    EXPECT_TRUE(names.count(n)) << n << " was expected among the looked-up names";
}

TEST_F(Window, PicturesKeepTheirMarginsToTheFormOnResize) {
  w->show();
  QApplication::processEvents();
  // The margins were taken from the layout at the start size.
  EXPECT_GT(w->iCORAdW, 0);
  EXPECT_GT(w->iCORAdH, 0);
  EXPECT_LT(w->iCORAdW, w->iFormW);
  for (const QSize s : {QSize(1100, 700), QSize(900, 640)}) {
    w->resize(s);
    QApplication::processEvents();
    EXPECT_EQ(w->CORATab().ImageCORA->Picture().width(), w->width() - w->iCORAdW);
    EXPECT_EQ(w->CORATab().ImageCORA->Picture().height(), w->height() - w->iCORAdH);
    EXPECT_EQ(w->ModelsTab().ImageMod->Picture().width(), w->width() - w->iModdW);
    EXPECT_EQ(w->DialogTab().ImageDialog->Picture().height(),
              w->height() - w->iDialogdH + w->iDialogAddH);
  }
  // A form narrower than a margin gives the picture the width 0.
  w->iModdW = w->width() + 10;
  w->Events.Fire("Corvesta", "OnResize");
  EXPECT_EQ(w->ModelsTab().ImageMod->Picture().width(), 0);
}

// The mouse wheel over the debug memo moves three lines a step and keeps the column of the
// last click.
TEST_F(Window, WheelOverTheDebugMemo) {
  w->show();
  w->ShowPage("TabDebug");
  QApplication::processEvents();
  std::vector<std::string> lines;
  for (int i = 0; i < 12; ++i) lines.push_back("line " + std::to_string(i) + " of the memo");
  lines[3] = "ab";
  w->DebugTab().MemoDbg->SetLines(lines);
  auto caret = [&] {
    int l = 0, c = 0;
    w->DebugTab().MemoDbg->CaretPos(l, c);
    return std::make_pair(l, c);
  };
  w->DebugTab().MemoDbg->SetCaret(0, 4);
  w->DebugTab().DbgWheelUp();  // the first line: nothing
  EXPECT_EQ(caret(), std::make_pair(0, 4));
  EXPECT_EQ(w->DebugTab().iDbgLine, 0);
  w->DebugTab().DbgWheelDown();  // three lines down; line 3 is shorter than the column
  EXPECT_EQ(caret(), std::make_pair(3, 2));
  EXPECT_EQ(w->DebugTab().iDbgCol, 5);
  w->DebugTab().DbgWheelDown();
  EXPECT_EQ(caret(), std::make_pair(6, 4));
  w->DebugTab().DbgWheelUp();
  EXPECT_EQ(caret(), std::make_pair(3, 2));
  w->DebugTab().MemoDbg->SetCaret(1, 4);
  w->DebugTab().DbgWheelUp();  // line 2 (0-based 1): the caret stays on its line
  EXPECT_EQ(caret().first, 1);
}

TEST_F(Window, ColumnFilterWindow) {
  TFFiltr f;
  EXPECT_EQ(f.windowTitle().toStdString(), "Column Filtr");
  EXPECT_EQ(f.property("designWidth").toInt(), 267);
  EXPECT_EQ(f.property("designHeight").toInt(), 149);
  EXPECT_EQ(f.btFilt->Caption(), "Фильтр"_cp);
  EXPECT_EQ(f.edMin->Text(), "0");
  EXPECT_EQ(f.edMax->Text(), "1");
  EXPECT_EQ(f.Registry.KindOf("btFilt"), "TSpeedButton");
}

TEST(FormScale, FitsTheDesignToTheScreen) {
  struct Case {
    int W, H, Ppi, FontH;
    bool Rescaled;
    int Width, Height, M, D;
    bool Fonts;
    int Factor;
  };
  const Case cases[] = {
      // The design screen: nothing changes.
      {2560, 1440, 96, -11, false, 1241, 756, 1, 1, false, 1},
      // Half as wide at 96 dpi: resized and scaled by one half, child fonts kept.
      {1280, 720, 96, -11, true, 620, 378, 1280, 2560, false, 1},
      // 120 dpi on a design-wide screen: the quotient -11 / -11 keeps the child fonts ...
      {2560, 1440, 120, -11, true, 1241, 756, 2560, 2560, true, 1},
      // ... and a form font of -22 doubles them.
      {2560, 1440, 120, -22, true, 1241, 756, 2560, 2560, true, 2},
      // A narrow screen at 120 dpi would give a quotient of 0: the fonts stay.
      {1366, 768, 120, -11, true, 662, 403, 1366, 2560, true, 1},
  };
  for (const Case& c : cases) {
    const TFormScale s = ScaleFormToScreen(c.W, c.H, c.Ppi, 1241, 756, c.FontH);
    EXPECT_EQ(s.Rescaled, c.Rescaled) << c.W << "x" << c.H << "@" << c.Ppi;
    EXPECT_EQ(s.Width, c.Width);
    EXPECT_EQ(s.Height, c.Height);
    EXPECT_EQ(s.ScaleM, c.M);
    EXPECT_EQ(s.ScaleD, c.D);
    EXPECT_EQ(s.ChildFontsChanged, c.Fonts);
    EXPECT_EQ(s.ChildFontFactor, c.Factor);
  }
}

}  // namespace
