// The demo journey: the grid_demo window with 10,000 rows, offscreen: at the top, after a page
// down through the scroll bar, sorted by a program call, and empty with its caption. Checked at
// chosen pixels of the window's own paint.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>

#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxPaint.h"
#include "grid/qt/demo/GridDemo.h"
#include "gridqt/support/GridFixture.h"
#include "platform/Colors.h"

using gridtest::DarkBox;

namespace {

// Row k of the view (from the top row) spans y = 18 + 17k .. 18 + 17k + 15; the check-box column
// starts at x = 12 + 90 + 70 = 172 and is 40 wide (box centred: x 186..196).
int ViewRowMid(int K) { return 18 + 17 * K + 8; }
bool Ticked(const QImage& I, int K) {
  return I.pixelColor(191, ViewRowMid(K)).lightness() < 100 ||
         I.pixelColor(190, ViewRowMid(K)).lightness() < 100;
}

TEST(GridDemoJourney, TopPageDownSortAndEmpty) {
  testsupport::QtTestApp();
  SetThemesActive(false);
  griddemo::TGridDemo d = griddemo::MakeGridDemo(10000);
  std::unique_ptr<QWidget> w(d.Window);
  TCvGrid& g = *d.Grid;
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  auto grab = [&] { return g.viewport()->grab().toImage(); };

  // at the top: row 0 and every third row ticked, the name column shows text
  QImage img = grab();
  EXPECT_EQ(g.RowCount(), 10000);
  EXPECT_TRUE(Ticked(img, 0));
  EXPECT_FALSE(Ticked(img, 1));
  EXPECT_FALSE(Ticked(img, 2));
  EXPECT_TRUE(Ticked(img, 3));
  EXPECT_FALSE(DarkBox(img, QRect(14, 18, 80, 16)).isNull());
  EXPECT_EQ(g.VertScrollBar().ScrollMax, 10000 - g.RowsThatFit());
  EXPECT_TRUE(g.verticalScrollBar()->isVisible());
  EXPECT_LT(g.viewport()->width(), g.width() - 10);

  // a page down through the scroll bar: ten rows on, the event reports the position
  int reported = -1;
  g.OnVerticalScroll = [&](QObject*, int p) { reported = p; };
  g.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(reported, 10);
  EXPECT_EQ(g.TopRow(), 10);
  img = grab();
  EXPECT_FALSE(Ticked(img, 0));  // row 10
  EXPECT_FALSE(Ticked(img, 1));  // row 11
  EXPECT_TRUE(Ticked(img, 2));   // row 12

  // sorted by a program call: values descending, the view stays at position 10
  TGxCustomColumn* value = g.Columns().Column(griddemo::colValue);
  value->SetSortKind(skDescending);
  value->SetSorted(true);
  EXPECT_EQ(g.SortedColumn(), griddemo::colValue);
  EXPECT_EQ(g.CellText(griddemo::colName, 0), "Row 10000");
  EXPECT_EQ(g.TopRow(), 10);
  img = grab();
  // view row 0 is now row 9989 (index 9989 - 1 = 9988... of the original: 9999 - 10 = 9989)
  EXPECT_EQ(g.CellText(griddemo::colName, g.TopRow()), "Row 09990");
  EXPECT_EQ(Ticked(img, 0), 9989 % 3 == 0);
  EXPECT_EQ(Ticked(img, 1), 9988 % 3 == 0);
  EXPECT_EQ(Ticked(img, 2), 9987 % 3 == 0);
  // the sort arrow right of the caption "Value" (right-aligned: text ends 31 before the edge)
  const QRect valueHeader(12 + 90, 0, 70, 18);
  EXPECT_FALSE(gridtest::InkBox(img, QRect(valueHeader.right() - 12, 4, 10, 10),
                                GxColor(clBtnFace))
                   .isNull());

  // empty: the caption at the top of the body
  g.ClearRows();
  img = grab();
  const QRect cap = DarkBox(img, QRect(12, 18, img.width() - 12, 30));
  ASSERT_FALSE(cap.isNull());
  EXPECT_GE(cap.top(), 18 + 4);
  EXPECT_TRUE(DarkBox(img, QRect(12, 60, img.width() - 12, 100)).isNull());
  EXPECT_EQ(g.VertScrollBar().ScrollMax, 0);
}

}  // namespace

namespace {

// A new user's first minutes: sort by a header, fit a column by its grip, type 1.5 into the
// Value column (EditOptions []: 15 is stored), choose "DESC" in a list cell, toggle a check box with Space; the log pane
// lists the events in order.
TEST(GridDemoJourney, UserClicksTypesAndReadsTheLog) {
  testsupport::QtTestApp();
  griddemo::TGridDemo d = griddemo::MakeGridDemo(20);
  std::unique_ptr<QWidget> w(d.Window);
  TCvGrid& g = *d.Grid;
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  QWidget* v = g.viewport();
  auto lines = [&] {
    QStringList l = d.Log->toPlainText().split('\n', Qt::SkipEmptyParts);
    std::vector<std::string> out;
    for (const QString& s : l) out.push_back(s.toStdString());
    d.Log->clear();
    return out;
  };
  auto cellPoint = [&](int C, int R) {
    const TGxRect r = g.GetCellRect(C, R);
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  // a header click on Name sorts (ascending first: already in order), the second descends
  TGxCustomColumn* name = g.Columns().Column(griddemo::colName);
  const QPoint head(g.ColumnScreenLeft(name) + 20, g.HeaderRect().center().y());
  QTest::mouseClick(v, Qt::LeftButton, {}, head);
  QTest::qWait(QApplication::doubleClickInterval() + 20);
  QTest::mouseClick(v, Qt::LeftButton, {}, head);
  EXPECT_EQ(g.CellText(griddemo::colName, 0), "Row 00020");
  EXPECT_EQ(lines(), (std::vector<std::string>{"Click", "HeaderClick 0", "EditExit",
                                               "SortColumn 0 up", "AfterSort 0", "Click",
                                               "HeaderClick 0", "EditExit", "SortColumn 0 down",
                                               "AfterSort 0"}));
  // the grip of Name fits it to "Row 00020" + 5
  const int right = g.ColumnScreenLeft(name) + name->Width();
  QTest::mouseDClick(v, Qt::LeftButton, {}, QPoint(right - 1, g.HeaderRect().center().y()));
  EXPECT_EQ(name->Width(), g.TextWidth(name->Font(), u"Row 00020") + 5);
  lines();
  // type 1.5 into Value of the top row
  g.setFocus();
  QTest::mouseClick(v, Qt::LeftButton, {}, cellPoint(griddemo::colValue, 0));
  g.EndEdit();
  lines();
  QTest::keyClicks(&g, "1");
  QTest::keyClicks(g.Editor(), ".5");
  QTest::keyClick(g.Editor(), Qt::Key_Return);
  EXPECT_DOUBLE_EQ(g.CellAt(griddemo::colValue, 0)->GetAsFloat(), 15);
  EXPECT_EQ(lines(), (std::vector<std::string>{"AfterEdit 1,0 15", "EditExit"}));
  // open the Order cell of the top row (row 19 of the fill: "DESC") and choose "ASC", then
  // open it again and choose "DESC" from its list
  auto choose = [&](int Entry) {
    QTest::mouseClick(v, Qt::LeftButton, {}, cellPoint(griddemo::colOrder, 0));
    TGxComboBox* c = g.ComboEditor();
    EXPECT_TRUE(c->isVisible());
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, c->height() / 2));
    EXPECT_TRUE(c->Dropped());
    QTest::mouseRelease(c->List(), Qt::LeftButton, {}, c->List()->mapFromGlobal(
                                                           c->mapToGlobal(QPoint(10, 5))));
    QTest::mouseClick(c->List(), Qt::LeftButton, {}, QPoint(10, 2 + 16 * Entry + 8));
    QTest::keyClick(c, Qt::Key_Return);
  };
  lines();
  choose(0);
  EXPECT_EQ(g.CellAt(griddemo::colOrder, 0)->GetAsInteger(), 0);
  choose(1);
  EXPECT_EQ(g.CellAt(griddemo::colOrder, 0)->GetAsInteger(), 1);
  EXPECT_EQ(g.CellText(griddemo::colOrder, 0), "1");
  // each press on the cell ends editing first (EditExit also with no editor open)
  EXPECT_EQ(lines(), (std::vector<std::string>{
                         "EditExit", "SelectCell 3,0", "Click", "CellClick 3,0", "Select",
                         "CloseUp", "AfterEdit 3,0 0", "EditExit", "EditExit", "SelectCell 3,0",
                         "Click", "CellClick 3,0", "Select", "CloseUp", "AfterEdit 3,0 1",
                         "EditExit"}));
  // Space toggles the check box of the row (row 19 of the fill: 19 % 3 != 0, unticked)
  g.SelectCell(griddemo::colOn, 0, 0);
  lines();
  QTest::keyClick(&g, Qt::Key_Space);
  EXPECT_TRUE(g.CellAt(griddemo::colOn, 0)->GetAsBoolean());
  EXPECT_EQ(lines(), (std::vector<std::string>{"AfterEdit 2,0 True"}));
}

}  // namespace
