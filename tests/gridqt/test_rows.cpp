// Row operations beyond the main window's: child rows and expanding, appending, row ranges and
// the multi-row selection, MoveSelection, footers, and resizing a row in the indicator.
#include <gtest/gtest.h>

#include <QApplication>

#include "gridqt/support/GridFixture.h"

using gridtest::TGridFixture;

namespace {

std::vector<int> Shown(TCvGrid& G) {
  std::vector<int> out;
  for (int r = 0; r < G.RowCount(); ++r)
    if (G.IsRowShown(r)) out.push_back(r);
  return out;
}

TEST(GridRows, ChildRowsAndExpanding) {
  TGridFixture f(1, 3);
  TCvGrid& g = *f.G;
  g.SelectCell(0, 2, 0);
  g.AddChildRow(0, false);  // 1: child of 0
  EXPECT_EQ(g.LastAddedRow, 1);
  g.AddChildRow(1, false);  // 2: grandchild
  g.AddChildRow(0, true);   // 3: after 0's descendants
  EXPECT_EQ(g.LastAddedRow, 3);
  EXPECT_EQ(g.RowCount(), 6);
  EXPECT_EQ(g.SelectedRow(), 5);  // the selected row kept
  EXPECT_EQ(g.GetRowLevel(2), 2);
  EXPECT_EQ(g.GetRowLevel(3), 1);
  g.SetRowExpanded(0, false);
  EXPECT_EQ(Shown(g), (std::vector<int>{0, 4, 5}));
  EXPECT_EQ(g.VisibleRowCount(), 3);
  g.SetRowExpanded(1, false);  // hidden already; stays collapsed
  g.SetRowExpanded(0, true);   // the collapsed child's descendants stay hidden
  EXPECT_EQ(Shown(g), (std::vector<int>{0, 1, 3, 4, 5}));
  EXPECT_THROW(g.AddChildRow(6, false), TGxListError);
}

TEST(GridRows, AppendRangesMultiSelectAndMoveSelection) {
  TGridFixture f(1, 0, 300, 200, Go(goGrid) | Go(goSelectFullRow) | Go(goMultiSelect) |
                                     Go(goUseDefaultValues));
  TCvGrid& g = *f.G;
  g.Columns().Column(0)->DefaultValue = WideString(1, u'd');
  g.AppendRows(0);
  EXPECT_EQ(g.RowCount(), 0);
  g.AppendRows(6);
  EXPECT_EQ(g.CellText(0, 2), "");  // no default values
  EXPECT_EQ(g.LastAddedRow, 5);
  EXPECT_EQ(g.LastShownRow(), 5);
  g.SelectRowRange(4, 2, true);
  for (int r = 0; r < 6; ++r) EXPECT_EQ(g.IsRowSelected(r), r >= 2 && r <= 4) << r;
  g.SelectRowRange(0, 5, false);
  // Ctrl toggles and anchors, Shift selects from the anchor, a plain click ends it
  auto sel = [&] {
    std::vector<int> out;
    for (int r = 0; r < 6; ++r)
      if (g.IsRowSelected(r)) out.push_back(r);
    return out;
  };
  g.SelectCell(0, 1, 0);
  g.SelectCell(0, 3, Qt::ControlModifier);
  EXPECT_EQ(sel(), (std::vector<int>{1, 3}));
  g.SelectCell(0, 5, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(sel(), (std::vector<int>{1, 3, 4, 5}));
  g.SelectCell(0, 4, Qt::ShiftModifier);
  EXPECT_EQ(sel(), (std::vector<int>{3, 4}));
  g.SelectCell(0, 3, Qt::ControlModifier);
  EXPECT_EQ(sel(), (std::vector<int>{4}));
  EXPECT_TRUE(g.MultiSelectMarked());
  g.SelectCell(0, 0, 0);
  EXPECT_EQ(sel(), (std::vector<int>{0}));
  EXPECT_FALSE(g.MultiSelectMarked());
  // MoveSelection over shown rows, stopping at the ends
  g.SetRowVisible(1, false);
  g.MoveSelection(2);
  EXPECT_EQ(g.SelectedRow(), 3);
  g.MoveSelection(100);
  EXPECT_EQ(g.SelectedRow(), 5);
  g.MoveSelection(-100);
  EXPECT_EQ(g.SelectedRow(), 0);
}

TEST(GridRows, Footers) {
  TGridFixture f(0, 0, 400, 200, Go(goGrid) | Go(goFooter));
  TCvGrid& g = *f.G;
  const TFormulaKind kinds[] = {fkSum, fkAverage, fkCount, fkDistinct, fkMaximum, fkMinimum, fkCustom};
  for (TFormulaKind k : kinds) {
    auto* c = g.Columns().Add<TGxNumberColumn>("F" + std::to_string(k));
    c->Footer().SetFormulaKind(k);
  }
  g.Columns().Add<TGxNumberColumn>("None");
  std::vector<int> calculated;
  g.OnColumnFooterValue = [](QObject*, int, double& V) { V = V * 10; };
  g.OnFooterCalculate = [&](QObject*, int C, double&) { calculated.push_back(C); };
  g.CalculateFooters();
  for (int c = 0; c < 7; ++c) EXPECT_EQ(g.Columns().Column(c)->Footer().Caption(), u"0");
  g.AddRows(3);
  const double v[] = {1, 2, 2};
  for (int c = 0; c < 8; ++c)
    for (int r = 0; r < 3; ++r) g.CellAt(c, r)->SetAsFloat(v[r]);
  calculated.clear();
  g.CalculateFooters();
  const char16_t* want[] = {u"5", u"1.66666666666667", u"3", u"2", u"2", u"1", u"10"};
  for (int c = 0; c < 7; ++c) EXPECT_EQ(g.Columns().Column(c)->Footer().Caption(), want[c]) << c;
  EXPECT_EQ(g.Columns().Column(7)->Footer().Caption(), u"");
  EXPECT_EQ(calculated, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(GridRows, ResizingARowInTheIndicator) {
  TGridFixture f(1, 5, 300, 200, Go(goGrid) | Go(goIndicator) | Go(goRowResizing));
  TCvGrid& g = *f.G;
  QWidget* v = g.viewport();
  const int top = g.RowTop(1), bottom = top + g.GetRowHeight(1) + g.LineWidths().Horz;
  QTest::mousePress(v, Qt::LeftButton, {}, QPoint(5, bottom - 1));
  EXPECT_EQ(g.ResizingRow(), 1);
  QTest::mouseMove(v, QPoint(5, bottom + 10));
  QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(5, bottom + 10));
  EXPECT_EQ(g.ResizingRow(), -1);
  EXPECT_EQ(g.GetRowHeight(1), bottom + 10 - top);
  // dragged above its top + 8, the row stops at 8
  const int b2 = g.RowTop(1) + g.GetRowHeight(1) + g.LineWidths().Horz;
  QTest::mousePress(v, Qt::LeftButton, {}, QPoint(5, b2 - 1));
  QTest::mouseMove(v, QPoint(5, top - 20));
  QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(5, top - 20));
  EXPECT_EQ(g.GetRowHeight(1), 8);
  // a double click on the edge fits the row to its text (at least RowSize)
  const int b3 = g.RowTop(1) + g.GetRowHeight(1) + g.LineWidths().Horz;
  QTest::mouseDClick(v, Qt::LeftButton, {}, QPoint(5, b3 - 1));
  EXPECT_EQ(g.GetRowHeight(1), std::max(g.RowSize(), QFontMetrics(GxQFont(g.Columns().Column(0)->Font())).height() + 2));
  // without goRowResizing a press there is a cell press
  g.SetOptions(Go(goGrid) | Go(goIndicator));
  QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(5, g.RowTop(2) + 3));
  EXPECT_EQ(g.ResizingRow(), -1);
  EXPECT_EQ(g.SelectedRow(), 2);
}

// The visual companions of the gestures: the floating header and the two red arrows of a column
// drag, the guide lines of a resize.
TEST(GridRows, DragBoxArrowsAndResizeGuides) {
  TGridFixture f(3, 2, 300, 150, Go(goGrid) | Go(goHeader));
  TCvGrid& g = *f.G;
  QWidget* v = g.viewport();
  TGxColumns& cols = g.Columns();
  cols.Column(0)->Header().SetCaption(u"First");
  const int y = g.HeaderRect().center().y();
  auto move = [&](QPoint To) {
    QMouseEvent m(QEvent::MouseMove, QPointF(To), v->mapToGlobal(QPointF(To)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(v, &m);
  };
  QTest::mousePress(v, Qt::LeftButton, {}, QPoint(40, y));
  move(QPoint(210, y));
  ASSERT_TRUE(g.DraggingColumn());
  TColumnDragBox* box = g.DragBox();
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->Caption, "First");
  EXPECT_EQ(box->size(), QSize(80, g.HeaderSize()));
  const QPoint at = v->mapToGlobal(QPoint(210, y));
  EXPECT_EQ(box->geometry().center().x(), at.x() - (box->width() % 2 ? 0 : 1));
  EXPECT_EQ(box->geometry().bottom() + 1, at.y() + 4);
  // dropped at position 2 (moving right): the arrows at the right edge of the third column
  EXPECT_TRUE(g.DragArrow(1)->isVisible());
  EXPECT_TRUE(g.DragArrow(2)->isVisible());
  const QPoint edge = v->mapToGlobal(QPoint(g.ColumnScreenLeft(cols.Column(2)) + 80, 0));
  EXPECT_EQ(g.DragArrow(2)->pos(), QPoint(edge.x() - 4, edge.y() - 12));
  EXPECT_EQ(g.DragArrow(1)->pos(), QPoint(edge.x() - 4, edge.y() + g.HeaderSize() - 1));
  EXPECT_EQ(g.DragArrow(1)->mask(), TDragArrow::Shape(1));
  // below the grid: no arrows
  move(QPoint(210, 140));
  EXPECT_FALSE(g.DragArrow(1)->isVisible());
  move(QPoint(210, y));
  QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(210, y));
  EXPECT_FALSE(box->isVisible());
  EXPECT_FALSE(g.DragArrow(1)->isVisible());
  EXPECT_EQ(cols.Column(0)->Position(), 2);
  // a resize drag draws two guide lines over the whole height
  TGxCustomColumn* c = cols.ColumnAtPosition(0);
  const int right = g.ColumnScreenLeft(c) + c->Width();
  QTest::mousePress(v, Qt::LeftButton, {}, QPoint(right, y));
  ASSERT_EQ(g.ResizingColumn(), c);
  move(QPoint(right + 30, y));
  EXPECT_EQ(g.ResizeDelta(), 30);
  const QImage img = v->grab().toImage();
  const int guide = right + 30 - 1;
  EXPECT_LT(img.pixelColor(guide, 100).lightness(), 60);  // in the empty body below the rows
  EXPECT_GT(img.pixelColor(guide + 3, 100).lightness(), 200);
  QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(right + 30, y));
  EXPECT_EQ(c->Width(), 80 + 30);
  EXPECT_GT(v->grab().toImage().pixelColor(guide, 100).lightness(), 200);
}

}  // namespace
