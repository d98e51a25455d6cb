// The editors offscreen: margins of the base edit, the button edit's typing and paste options,
// the number edit's paste cleaning and spin buttons, the combo box's list (height, display
// modes, the letter walk, opening and closing by the mouse, placement at the screen's bottom),
// and a list cell of the grid edited through its list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QScrollBar>

#include "gridqt/support/GridFixture.h"

using gridtest::TGridFixture;

namespace {

void Show(QWidget& W) {
  W.show();
  (void)QTest::qWaitForWindowExposed(&W);
}

TEST(GridEdits, MarginsGlyphPreviewAndConversions) {
  testsupport::QtTestApp();
  TGxEdit e;
  QPixmap glyph(16, 16);
  glyph.fill(Qt::red);
  e.SetEditMargins(3, 0);
  e.SetGlyph(glyph);
  e.SetShowPreview(true);
  Show(e);
  int l = 0, r = 0;
  e.GetMargins(l, r);
  EXPECT_EQ(l, 2 * 3 + 25 + 20);
  EXPECT_EQ(e.textMargins().left(), l);
  EXPECT_EQ(e.InfoWidth(), 40);
  EXPECT_EQ(e.Info()->width(), 40);
  // a click within 2 pixels right of the info strip selects the whole text
  e.setText("some text");
  e.setCursorPosition(0);
  QTest::mouseClick(&e, Qt::LeftButton, {}, QPoint(e.Info()->geometry().right() + 2, 10));
  EXPECT_EQ(e.selectedText(), "some text");
  // typed accessors
  e.setText("12a");
  EXPECT_THROW(e.GetAsInteger(), TGxConvertError);
  e.setText("12");
  EXPECT_EQ(e.GetAsInteger(), 12);
  e.SetAsFloat(2.5);
  EXPECT_EQ(e.text(), "2.5");
  e.SetAsBoolean(true);
  EXPECT_TRUE(e.GetAsBoolean());
}

TEST(GridEdits, ButtonEditTypingPasteAndButton) {
  testsupport::QtTestApp();
  TGxCustomButtonEdit e;
  e.resize(120, 20);
  Show(e);
  int l = 0, r = 0;
  e.GetMargins(l, r);
  EXPECT_EQ(r, 21);  // text never runs under the button
  EXPECT_EQ(e.Button()->geometry().right(), e.contentsRect().right());
  int clicks = 0;
  e.OnButtonClick = [&](QObject*) { ++clicks; };
  e.setText("abc");
  e.Options = Ep(epDisableTyping);
  e.setFocus();
  QTest::keyClicks(&e, "xy");
  QTest::keyClick(&e, Qt::Key_Backspace);
  QTest::keyClick(&e, Qt::Key_Delete);
  e.selectAll();
  QTest::keyClick(&e, Qt::Key_Delete);
  EXPECT_EQ(e.text(), "abc");
  QTest::mouseClick(e.Button(), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);  // the button still works
  // paste: taken, or ignored with epDisablePaste
  QApplication::clipboard()->setText("Z");
  e.Options = 0;
  e.end(false);
  e.Paste();
  EXPECT_EQ(e.text(), "abcZ");
  e.Options = Ep(epDisablePaste);
  e.Paste();
  EXPECT_EQ(e.text(), "abcZ");
}

TEST(GridEdits, NumberPasteIsCleanedAndSpinButtonsRepeat) {
  testsupport::QtTestApp();
  TGxSpinEdit e;
  e.resize(100, 20);
  Show(e);
  const TGxNumberEditOptions fs = Eo(eoAllowFloat) | Eo(eoAllowSigns);
  struct Case {
    TGxNumberEditOptions O;
    const char *Before, *Clip;
    int Caret;
    const char* After;
  } cases[] = {
      {fs, "", "-1.2.3x", 0, "-1.23"},  {fs, "", "a-1", 0, "1"},
      {fs, "5.", "1.5", 2, "5.15"},   // a point outside: the pasted one goes
      {fs, "5", "-2", 1, "52"},       // not at the start: no sign
      {0, "", "1.5", 0, "15"},
      {Eo(eoAllowAll), "", "x.-", 0, "x.-"},
      {fs | Eo(eoDisablePaste), "7", "1", 1, "7"},
  };
  for (const Case& c : cases) {
    e.Options = c.O;
    e.setText(c.Before);
    e.setCursorPosition(c.Caret);
    QApplication::clipboard()->setText(c.Clip);
    e.Paste();
    EXPECT_EQ(e.text().toStdString(), c.After) << c.Clip;
  }
  // the spin buttons: a press on the upper half spins once at once; held, it repeats
  e.Options = fs;
  e.Min = e.Max = 0;
  e.setText("0");
  ASSERT_TRUE(e.Buttons()->isVisible());
  int spins = 0;
  e.OnSpin = [&](QObject*, TSpinButton B) { spins += B == sbUp ? 1 : -100; };
  const QRect b = e.Buttons()->rect();
  QTest::mousePress(e.Buttons(), Qt::LeftButton, {}, QPoint(b.center().x(), 2));
  EXPECT_EQ(e.text(), "1");
  EXPECT_TRUE(e.Buttons()->DelayTimer().isActive());
  QTest::qWait(480);
  QTest::mouseRelease(e.Buttons(), Qt::LeftButton, {}, QPoint(b.center().x(), 2));
  EXPECT_GT(spins, 1);
  EXPECT_FALSE(e.Buttons()->RepeatTimer().isActive());
  const double v = e.Value();
  QTest::mouseClick(e.Buttons(), Qt::LeftButton, {}, QPoint(b.center().x(), b.height() - 2));
  EXPECT_EQ(e.Value(), v - 1);
  // Up and Down keys press the halves; not in a grid cell
  QTest::keyClick(&e, Qt::Key_Up);
  EXPECT_EQ(e.Value(), v);
  e.CellStyle = true;
  QTest::keyClick(&e, Qt::Key_Up);
  EXPECT_EQ(e.Value(), v);
  // Precision 2 with floats shows 3.14, without floats 3
  e.SetPrecision(2);
  e.SetAsFloat(3.14159);
  EXPECT_EQ(e.text(), "3.14");
  e.Options = 0;
  e.SetAsFloat(3.14159);
  EXPECT_EQ(e.text(), "3");
}

TEST(GridEdits, ComboListHeightModesAndLetterWalk) {
  testsupport::QtTestApp();
  TGxComboBox c;
  c.resize(100, 20);
  Show(c);
  c.Items = {u"one", u"two", u"three"};
  c.DropDown();
  ASSERT_TRUE(c.Dropped());
  EXPECT_EQ(c.List()->height(), 3 * 16 + 4);
  EXPECT_EQ(c.List()->width(), c.width());
  EXPECT_FALSE(c.List()->ScrollBar()->isVisible());
  c.CloseUp();
  EXPECT_FALSE(c.List()->isVisible());
  // ten items: eight rows and a bar
  c.Items = {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"j"};
  c.SetItemIndex(9);
  c.DropDown();
  EXPECT_EQ(c.List()->height(), 8 * 16 + 4);
  EXPECT_TRUE(c.List()->ScrollBar()->isVisible());
  EXPECT_EQ(c.List()->FirstVisible(), 2);  // the chosen item is the last one in view
  c.CloseUp();
  // display modes
  c.Items = {u"a=1"};
  c.DisplayMode = dmValueList;
  c.SetItemIndex(0);
  EXPECT_EQ(c.text(), "1");
  c.DisplayMode = dmNameList;
  c.SetItemIndex(0);
  EXPECT_EQ(c.text(), "a");
  c.Items = {u"0=top", u"2=abc"};
  c.DisplayMode = dmIndentList;
  c.SetItemIndex(1);
  EXPECT_EQ(c.text(), "abc");
  c.DropDown();
  EXPECT_EQ(c.List()->EntryTextRect(1).left() - c.List()->EntryTextRect(0).left(), 20);
  c.CloseUp();
  c.SetItemIndex(5);
  EXPECT_EQ(c.text(), "");  // outside the items
  // the letter walk in drop-down-list style
  c.DisplayMode = dmDefault;
  c.Items = {u"apple", u"Banana", u"", u"avocado", u"berry"};
  c.SetStyle(dsDropDownList);
  c.SetItemIndex(-1);
  c.setFocus();
  QTest::keyClicks(&c, "a");
  EXPECT_EQ(c.ItemIndex(), 0);
  QTest::keyClicks(&c, "a");
  EXPECT_EQ(c.ItemIndex(), 3);
  QTest::keyClicks(&c, "b");
  EXPECT_EQ(c.ItemIndex(), 1);  // B, ignoring case
  QTest::keyClicks(&c, "z");
  EXPECT_EQ(c.ItemIndex(), 1);  // no match: the selection stays
  QTest::keyClick(&c, Qt::Key_Down);
  EXPECT_EQ(c.ItemIndex(), 2);
  // dmDefault: a typed text that is no item clears the index
  c.SetStyle(dsDropDown);
  c.SetItemIndex(0);
  c.setText("apples");
  EXPECT_EQ(c.ItemIndex(), -1);
}

TEST(GridEdits, ComboOpensByTheButtonClosesByAClickOutside) {
  testsupport::QtTestApp();
  TGxComboBox c;
  c.Items = {u"ASC", u"DESC"};
  c.resize(100, 20);
  Show(c);
  std::vector<std::string> ev;
  c.OnCloseUp = [&](QObject*) { ev.push_back("close"); };
  c.OnSelect = [&](QObject*) { ev.push_back("select " + c.text().toStdString()); };
  TGxSmallButton* b = c.Button();
  QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
  ASSERT_TRUE(c.Dropped());
  TGxPopupList* l = c.List();
  ASSERT_TRUE(l->isVisible());
  EXPECT_EQ(l->pos().y(), c.mapToGlobal(QPoint(0, c.height())).y());
  // the release of the opening click reaches the list: it only arms it
  QTest::mouseRelease(l, Qt::LeftButton, {}, l->mapFromGlobal(b->mapToGlobal(b->rect().center())));
  EXPECT_TRUE(c.Dropped());
  EXPECT_TRUE(l->Armed());
  // a click outside closes it with OnCloseUp; nothing is selected
  QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(l->width() + 30, l->height() + 30));
  EXPECT_FALSE(c.Dropped());
  EXPECT_FALSE(l->isVisible());
  EXPECT_EQ(ev, std::vector<std::string>{"close"});
  EXPECT_FALSE(b->Pressed);
  // opened again, a click on the second entry selects it
  ev.clear();
  QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
  QTest::mouseRelease(l, Qt::LeftButton, {}, QPoint(-5, -5));
  QTest::mouseMove(l, QPoint(10, 2 + 16 + 8));
  EXPECT_EQ(l->Highlighted(), 1);
  QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(10, 2 + 16 + 8));
  EXPECT_EQ(c.ItemIndex(), 1);
  EXPECT_EQ(c.text(), "DESC");
  EXPECT_EQ(ev, (std::vector<std::string>{"select DESC", "close"}));
  EXPECT_FALSE(c.Dropped());
}

TEST(GridEdits, ListAtTheScreenBottomStaysInTheWorkArea) {
  testsupport::QtTestApp();
  TGxComboBox c(nullptr);
  c.setWindowFlags(Qt::FramelessWindowHint);
  c.Items = {u"1", u"2", u"3", u"4", u"5"};
  c.resize(100, 20);
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  c.move(work.right() - 50, work.bottom() - 25);
  Show(c);
  c.DropDown();
  const QRect g = c.List()->geometry();
  EXPECT_LE(g.bottom(), work.bottom());
  EXPECT_LE(g.right(), work.right());
  EXPECT_EQ(g.height(), 5 * 16 + 4);
  c.CloseUp();
}

// A list cell of the grid: the editor shows the item, the list chooses, Enter stores the index.
TEST(GridEdits, ListCellChosenThroughItsList) {
  TGridFixture f(0, 2);
  TCvGrid& g = *f.G;
  auto* l = g.Columns().Add<TGxListColumn>("Order");
  l->SetItems({u"ASC", u"DESC"});
  l->SetOptions(l->Options() | Opt(coEditing));
  std::vector<std::string> ev;
  g.OnAfterEdit = [&](QObject*, int c, int r, const WideString& v) {
    ev.push_back("after " + std::to_string(c) + "," + std::to_string(r) + " " + gx::ToUtf8(v));
  };
  l->OnSelect = [&](TGxCustomColumn*) { ev.push_back("select"); };
  (void)f.Focus();
  g.EditCell(0, 1);
  TGxComboBox* c = g.ComboEditor();
  ASSERT_EQ(g.Editor(), c);
  ASSERT_TRUE(c->isVisible());
  EXPECT_EQ(c->Style(), dsDropDownList);
  EXPECT_EQ(c->text(), "ASC");  // the cell's 0
  QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, 5));
  ASSERT_TRUE(c->Dropped());
  EXPECT_TRUE(g.Editing());  // the list opening keeps the edit
  TGxPopupList* list = c->List();
  QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(-5, -5));
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(10, 2 + 16 + 8));
  EXPECT_EQ(c->text(), "DESC");
  EXPECT_TRUE(g.Editing());
  QTest::keyClick(c, Qt::Key_Return);
  EXPECT_FALSE(g.Editing());
  EXPECT_EQ(g.CellAt(0, 1)->GetAsInteger(), 1);
  EXPECT_EQ(ev, (std::vector<std::string>{"select", "after 0,1 1"}));
}

}  // namespace
