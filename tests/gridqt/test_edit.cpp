// In-place editing through the grid's editor, driven offscreen with QTest: what stores and
// what fires, refusal, Esc with and without goEscClearEdit, ReadOnly, a program SelectCell
// against a click, goSecondClickEdit, a typed character opening the editor, and a text the
// cell cannot convert (reported; the cell keeps its value and the editor closes).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gridqt/support/GridFixture.h"

using gridtest::TGridFixture;

namespace {

using Events = std::vector<std::string>;

// Columns: a text column and a number column, both editable.
struct TEditGrid : TGridFixture {
  Events E;
  TEditGrid() : TGridFixture(1, 3) {
    TCvGrid& g = *G;
    g.Columns().Add<TGxNumberColumn>("Num");
    for (int c = 0; c < 2; ++c)
      g.Columns().Column(c)->SetOptions(g.Columns().Column(c)->Options() | Opt(coEditing));
    for (int r = 0; r < 3; ++r) g.SetCellTextA(0, r, "t" + std::to_string(r));
    g.OnEditAccept = [this](QObject*, int c, int r, const WideString& v, bool& ok) {
      E.push_back("accept " + Cell(c, r) + " " + gx::ToUtf8(v));
      ok = Accept;
    };
    g.OnAfterEdit = [this](QObject*, int c, int r, const WideString& v) {
      E.push_back("after " + Cell(c, r) + " " + gx::ToUtf8(v));
    };
    g.OnEditExit = [this](QObject*) { E.push_back("exit"); };
    (void)Focus();
  }
  static std::string Cell(int C, int R) { return std::to_string(C) + "," + std::to_string(R); }
  bool Accept = true;
  QLineEdit* Ed() { return G->Editor(); }
  QPoint CellPoint(int C, int R) {
    const TGxRect r = G->GetCellRect(C, R);
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Type(const QString& S) { QTest::keyClicks(Ed(), S); }
  void Key(Qt::Key K) { QTest::keyClick(Ed(), K); }
};

TEST(GridEdit, StoreRefuseAndEqualText) {
  TEditGrid f;
  TCvGrid& g = *f.G;
  g.EditCell(0, 1);
  ASSERT_TRUE(g.Editor()->isVisible());
  EXPECT_EQ(g.Editor()->text(), "t1");
  f.Key(Qt::Key_Return);  // the same text: nothing fires but the exit
  EXPECT_EQ(f.E, Events{"exit"});
  EXPECT_FALSE(g.Editing());
  f.E.clear();
  g.EditCell(0, 1);
  f.Type("x");
  f.Key(Qt::Key_Return);
  EXPECT_EQ(f.E, (Events{"accept 0,1 t1x", "after 0,1 t1x", "exit"}));
  EXPECT_EQ(g.CellText(0, 1), "t1x");
  EXPECT_TRUE(g.hasFocus());
  // refused: the value stays, the editor is closed by the Enter
  f.E.clear();
  f.Accept = false;
  g.EditCell(0, 1);
  f.Type("y");
  f.Key(Qt::Key_Return);
  EXPECT_EQ(f.E, (Events{"accept 0,1 t1xy", "exit"}));
  EXPECT_EQ(g.CellText(0, 1), "t1x");
  EXPECT_FALSE(g.Editing());
}

TEST(GridEdit, EscapeReadOnlyAndProgramSelection) {
  TEditGrid f;
  TCvGrid& g = *f.G;
  g.EditCell(0, 0);
  f.Type("z");
  f.Key(Qt::Key_Escape);
  EXPECT_FALSE(g.Editing());
  EXPECT_EQ(g.CellText(0, 0), "t0");
  g.SetOptions(g.Options() | Go(goEscClearEdit));
  g.EditCell(0, 0);
  f.Key(Qt::Key_Escape);
  EXPECT_TRUE(g.Editing());
  EXPECT_EQ(g.Editor()->text(), "");
  g.EndEdit();
  // a program selection closes the editor without storing
  g.EditCell(0, 2);
  f.Type("q");
  g.SelectCell(1, 0, 0);
  EXPECT_FALSE(g.Editing());
  EXPECT_EQ(g.CellText(0, 2), "t2");
  // ReadOnly: nothing opens and nothing fires
  g.ReadOnly = true;
  bool asked = false;
  g.OnBeforeEdit = [&](QObject*, int, int, bool&) { asked = true; };
  g.EditCell(0, 0);
  EXPECT_FALSE(g.Editing());
  EXPECT_FALSE(asked);
}

TEST(GridEdit, AClickAppliesTheEditAndSecondClickEdit) {
  TEditGrid f;
  TCvGrid& g = *f.G;
  g.EditCell(0, 0);
  f.Type("a");
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, f.CellPoint(0, 2));
  EXPECT_EQ(g.CellText(0, 0), "t0a");
  EXPECT_EQ(g.SelectedRow(), 2);
  EXPECT_EQ(g.EditCell(), std::make_pair(0, 2));  // the click opened the editor there
  g.EndEdit();
  g.SetOptions(g.Options() | Go(goSecondClickEdit));
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, f.CellPoint(1, 1));
  EXPECT_FALSE(g.Editing());
  QTest::qWait(QApplication::doubleClickInterval() + 20);
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, f.CellPoint(1, 1));
  EXPECT_EQ(g.EditCell(), std::make_pair(1, 1));
}

TEST(GridEdit, EveryCellPressEndsEditingWithOnEditExit) {
  TEditGrid f;
  TCvGrid& g = *f.G;
  // no editor open: the press still ends editing, once
  ASSERT_FALSE(g.Editing());
  QTest::mousePress(g.viewport(), Qt::LeftButton, {}, f.CellPoint(1, 0));
  EXPECT_EQ(f.E, Events{"exit"});
  QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, f.CellPoint(1, 0));
  ASSERT_TRUE(g.Editing());  // the release opened the editor
  // with the editor open: the edit stored, then the exit
  f.E.clear();
  f.Type("4");
  QTest::mousePress(g.viewport(), Qt::LeftButton, {}, f.CellPoint(0, 2));
  EXPECT_EQ(f.E, (Events{"accept 1,0 4", "after 1,0 4", "exit"}));
  QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, f.CellPoint(0, 2));
}

TEST(GridEdit, TypedCharacterOpensAndBadNumberIsReported) {
  TEditGrid f;
  TCvGrid& g = *f.G;
  std::vector<std::string> reports;
  TGxErrorReport old = SetGxErrorReport(
      [&](QObject*, const std::string&, const std::string& M) { reports.push_back(M); });
  g.CellAt(1, 0)->SetAsFloat(2.5);
  g.SelectCell(1, 0, 0);
  g.setFocus();
  QTest::keyClicks(&g, "7");
  ASSERT_EQ(g.EditCell(), std::make_pair(1, 0));
  EXPECT_EQ(g.Editor()->text(), "7");
  f.Type(".5");
  f.Key(Qt::Key_Tab);
  EXPECT_DOUBLE_EQ(g.CellAt(1, 0)->GetAsFloat(), 7.5);  // "." whatever the locale
  // letters into an eoAllowAll number cell
  static_cast<TGxNumberColumn*>(g.Columns().Column(1))->EditOptions =
      Eo(eoAllowAll) | Eo(eoAllowFloat) | Eo(eoAllowSigns);
  g.EditCell(1, 0);
  g.Editor()->setText("abc");
  f.Key(Qt::Key_Return);
  SetGxErrorReport(std::move(old));
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_FALSE(g.Editing());
  EXPECT_DOUBLE_EQ(g.CellAt(1, 0)->GetAsFloat(), 7.5);
}

}  // namespace

namespace {

TEST(GridEdit, InputRowAddsARowAndARefusalKeepsTheValues) {
  TGridFixture f(2, 1, 300, 200, Go(goGrid) | Go(goHeader) | Go(goInput));
  TCvGrid& g = *f.G;
  g.Columns().Column(1)->DefaultValue = gx::W("dflt");
  (void)f.Focus();
  const QRect in = g.InputCellRect(g.Columns().Column(0));
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, in.center());
  ASSERT_EQ(g.InputEditColumn(), 0);
  EXPECT_TRUE(g.InputSelected());
  QTest::keyClicks(g.Editor(), "new");
  bool accept = false;
  int added = 0;
  g.OnInputAccept = [&](QObject*, bool& ok) { ok = accept; };
  g.OnInputAdded = [&](QObject*) { ++added; };
  QTest::keyClick(g.Editor(), Qt::Key_Return);
  EXPECT_EQ(g.RowCount(), 1);  // refused: no row
  EXPECT_EQ(g.Columns().Column(0)->InputValue(), gx::W("new"));
  EXPECT_EQ(g.Editor()->text(), "new");  // shown again
  accept = true;
  QTest::keyClick(g.Editor(), Qt::Key_Return);
  ASSERT_EQ(g.RowCount(), 2);
  EXPECT_EQ(g.CellText(0, 1), "new");
  EXPECT_EQ(g.CellText(1, 1), "dflt");
  EXPECT_TRUE(g.Columns().Column(0)->InputValue().empty());
  EXPECT_EQ(added, 1);
  // a click on a body cell leaves the input row
  const TGxRect r = g.GetCellRect(1, 0);
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
  EXPECT_FALSE(g.InputSelected());
  EXPECT_EQ(g.InputEditColumn(), -1);
}

}  // namespace

namespace {

TEST(GridNumberEdit, TypingFiltersAndValueRules) {
  testsupport::QtTestApp();
  TGxSpinEdit e;
  e.show();
  auto typed = [&](TGxNumberEditOptions O, const char* Keys) {
    e.Options = O;
    e.clear();
    QTest::keyClicks(&e, Keys);
    return e.text().toStdString();
  };
  const TGxNumberEditOptions fs = Eo(eoAllowFloat) | Eo(eoAllowSigns);
  struct Case {
    TGxNumberEditOptions O;
    const char* Keys;
    const char* Text;
  } cases[] = {
      {0, "1.5", "15"},           {fs, "1.5.2", "1.52"},   {fs, "-12", "-12"},
      {fs, "1-2+", "12"},         {Eo(eoAllowFloat), "-3", "3"}, {fs, "a1b", "1"},
      {Eo(eoAllowAll), "x.-", "x.-"}, {Eo(eoDisableTyping), "12", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(typed(c.O, c.Keys), c.Text) << c.Keys;
  // the reading of a value: empty reads Min; the range applies when either bound is set
  e.Options = fs;
  e.Min = 5;
  e.Max = 0;
  e.setText("");
  EXPECT_EQ(e.Value(), 5);
  e.setText("3");
  EXPECT_EQ(e.Value(), 5);  // Min 5 / Max 0: 5
  e.Min = 0;
  e.Max = 10;
  e.setText("12");
  EXPECT_EQ(e.Value(), 10);
  EXPECT_EQ(e.CleanText("+-1.2.3x", true, true), "1.23");  // the second sign is dropped
  // spin within the range; Precision formats
  e.SetPrecision(1);
  e.Increment = 4;
  e.setText("8");
  e.Spin(sbUp);
  EXPECT_EQ(e.text(), "8");  // 12 would pass Max: nothing
  e.Spin(sbDown);
  EXPECT_EQ(e.text(), "4.0");
  e.Options = 0;
  e.setText("0");
  e.Spin(sbDown);
  EXPECT_EQ(e.text(), "0");  // no signs: not below 0
}

TEST(GridNumberEdit, OnePointFiveIntoAnIntegerNumberCellStoresFifteen) {
  TGridFixture f(0, 1);
  TCvGrid& g = *f.G;
  auto* n = g.Columns().Add<TGxNumberColumn>("N");
  n->EditOptions = 0;
  n->SetOptions(n->Options() | Opt(coEditing));
  (void)f.Focus();
  g.SelectCell(0, 0, 0);
  QTest::keyClicks(&g, "1");
  QTest::keyClicks(g.Editor(), ".5");
  QTest::keyClick(g.Editor(), Qt::Key_Return);
  EXPECT_DOUBLE_EQ(g.CellAt(0, 0)->GetAsFloat(), 15);
}

}  // namespace
