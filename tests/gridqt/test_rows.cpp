// Row operations beyond the main window's: child rows and expanding, appending, row ranges and
// the multi-row selection, MoveSelection, footers, and resizing a row in the indicator.
#include <gtest/gtest.h>

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
  // without goRowResizing a press there is a cell press
  g.SetOptions(Go(goGrid) | Go(goIndicator));
  QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(5, g.RowTop(2) + 3));
  EXPECT_EQ(g.ResizingRow(), -1);
  EXPECT_EQ(g.SelectedRow(), 2);
}

}  // namespace
