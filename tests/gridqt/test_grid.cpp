// The grid core: regions, line widths and row pitch, row positions over hidden rows, and the
// scroll bars in shown rows (limits, idle bar, line commands, the scroll event, roll timing).
#include <gtest/gtest.h>

#include <QScrollBar>

#include "grid/qt/cvGxPaint.h"
#include "gridqt/support/GridFixture.h"

using gridtest::TGridFixture;

namespace {

TEST(GridLayout, RegionsOfHeaderInputBodyFooterAndIndicator) {
  TGridFixture f(2, 3, 300, 200,
                 Go(goHeader) | Go(goInput) | Go(goFooter) | Go(goGrid) | Go(goIndicator));
  TCvGrid& g = *f.G;
  g.SetHeaderSize(20);
  g.SetInputSize(16);
  g.SetFooterSize(18);
  const QRect h = g.HeaderRect(), in = g.InputRect(), body = g.BodyRect(), ft = g.FooterRect();
  EXPECT_EQ(h, QRect(12, 0, 160, 20));
  EXPECT_EQ(in, QRect(12, 20, 160, 16 + 6 + 1));
  EXPECT_EQ(body.top(), 20 + 23);
  EXPECT_EQ(body.left(), 12);
  EXPECT_EQ(ft.height(), 18 + 4 + 1);
  EXPECT_EQ(ft.top(), 200 - 23);
  EXPECT_EQ(body.top() + body.height(), ft.top());
  // the first column starts right of the indicator
  EXPECT_EQ(g.GetCellRect(0, 0).Left, 12);
  // without the options the regions collapse
  g.SetOptions(0);
  EXPECT_EQ(g.BodyRect(), QRect(0, 0, 160, 200));
  EXPECT_EQ(g.GetCellRect(1, 0).Left, 80);
}

TEST(GridLayout, RowPitchFollowsLineOptions) {
  struct Case {
    TGridOptions O;
    TAppearanceOptions A;
    TGridLinesStyle S;
    int Pitch, Vert, Horz, Left3D, Top3D;
  };
  const Case cases[] = {
      {0, 0, lsNormal, 16, 0, 0, 0, 0},
      {Go(goGrid), 0, lsNormal, 17, 1, 1, 0, 0},
      {Go(goGrid), Ao(ao3DGridLines), lsNormal, 18, 1, 1, 1, 1},
      {Go(goGrid), Ao(ao3DGridLines), lsHorizontalOnly, 18, 0, 1, 0, 1},
      {Go(goGrid), Ao(ao3DGridLines), lsVerticalOnly, 16, 1, 0, 1, 0},
      {0, Ao(ao3DGridLines), lsNormal, 16, 0, 0, 0, 0},
  };
  TGridFixture f(2, 4);
  TCvGrid& g = *f.G;
  for (const Case& c : cases) {
    g.SetOptions(c.O);
    g.SetAppearanceOptions(c.A);
    g.SetGridLinesStyle(c.S);
    const TLineWidths& w = g.LineWidths();
    EXPECT_EQ(g.GetCellRect(0, 1).Top - g.GetCellRect(0, 0).Top, c.Pitch) << c.O << " " << c.S;
    EXPECT_EQ(g.GetCellRect(0, 3).Top - g.GetCellRect(0, 0).Top, 3 * c.Pitch);
    EXPECT_EQ(w.Vert, c.Vert);
    EXPECT_EQ(w.Horz, c.Horz);
    EXPECT_EQ(w.Left3D, c.Left3D);
    EXPECT_EQ(w.Top3D, c.Top3D);
    EXPECT_EQ(w.Spacing, c.Top3D + c.Horz);
    EXPECT_EQ(g.GetCellRect(0, 0).Top, g.BodyRect().top() + c.Top3D);
  }
}

TEST(GridLayout, RowTopsSkipHiddenRowsAndRowSizeBelowOneIsIgnored) {
  TGridFixture f(1, 6);
  TCvGrid& g = *f.G;
  g.SetRowVisible(1, false);
  g.SetRowVisible(2, false);
  EXPECT_EQ(g.GetCellRect(0, 3).Top - g.GetCellRect(0, 0).Top, 17);
  EXPECT_EQ(g.VisibleRowCount(), 4);
  EXPECT_EQ(g.FirstShownRow(), 0);
  EXPECT_EQ(g.LastShownRow(), 5);
  g.SetRowVisible(5, false);
  EXPECT_EQ(g.LastShownRow(), 4);
  g.SetRowVisible(0, false);
  EXPECT_EQ(g.FirstShownRow(), 3);
  // a row past the last counts RowSize
  EXPECT_EQ(g.GetCellRect(0, 7).Height(), 16);
  for (int bad : {0, -4}) {
    g.SetRowSize(bad);
    EXPECT_EQ(g.RowSize(), 16);
  }
  g.SetRowSize(20);
  g.AddRows(1);
  EXPECT_EQ(g.GetCellRect(0, 6).Height(), 20);
}

// 40 rows of pitch 17 in a body of 170 pixels: 10 rows fit, the maximum is 30.
struct ScrollFixture : TGridFixture {
  ScrollFixture() : TGridFixture(2, 40, 300, 170) {}
};

TEST(GridScroll, PositionIsLimitedAndALowerMaximumPullsTheViewBack) {
  ScrollFixture f;
  TCvGrid& g = *f.G;
  TGxScrollBar& v = g.VertScrollBar();
  EXPECT_EQ(v.ScrollMax, 30);
  v.SetScrollPos(-5);
  EXPECT_EQ(v.ScrollPos, 0);
  v.SetScrollPos(99);
  EXPECT_EQ(v.ScrollPos, 30);
  EXPECT_EQ(g.TopRow(), 30);
  EXPECT_EQ(g.verticalScrollBar()->value(), 30);
  // a taller body lowers the maximum: the position and the view come back
  g.resize(300, 170 + 5 * 17);
  EXPECT_EQ(v.ScrollMax, 25);
  EXPECT_EQ(v.ScrollPos, 25);
  EXPECT_EQ(g.TopRow(), 25);
  v.SetScrollMax(20);
  EXPECT_EQ(v.ScrollPos, 20);
  EXPECT_EQ(g.TopRow(), 20);
}

TEST(GridScroll, IdleBarIsHiddenOrDisabledAndSendsNoLineCommand) {
  TGridFixture f(2, 3, 300, 170);
  TCvGrid& g = *f.G;
  int events = 0;
  g.OnVerticalScroll = [&](QObject*, int) { ++events; };
  EXPECT_EQ(g.VertScrollBar().ScrollMax, 0);
  EXPECT_EQ(g.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_FALSE(g.VertScrollBar().BarVisible);
  g.SetHideScrollBar(false);
  EXPECT_EQ(g.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_FALSE(g.verticalScrollBar()->isEnabled());
  g.VertScrollBar().LineForward();
  g.VertScrollBar().LineBack();
  EXPECT_EQ(events, 0);
  g.AddRows(40);
  EXPECT_TRUE(g.verticalScrollBar()->isEnabled());
  g.VertScrollBar().LineForward();
  EXPECT_EQ(events, 1);
  EXPECT_EQ(g.TopRow(), 1);
}

TEST(GridScroll, ScrollEventOnlyForScrollBarCommands) {
  ScrollFixture f;
  TCvGrid& g = *f.G;
  std::vector<int> seen;
  g.OnVerticalScroll = [&](QObject*, int p) { seen.push_back(p); };
  g.VertScrollBar().SetScrollPos(5);   // a program call
  g.ScrollRowIntoView(2);              // and a scroll into view
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(g.TopRow(), 2);
  QScrollBar* sb = g.verticalScrollBar();
  sb->triggerAction(QAbstractSlider::SliderPageStepAdd);
  sb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  sb->triggerAction(QAbstractSlider::SliderToMaximum);
  sb->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(seen, (std::vector<int>{12, 13, 30, 29}));
  EXPECT_EQ(sb->value(), 29);
  EXPECT_EQ(g.TopRow(), 29);
  EXPECT_EQ(g.VertScrollBar().LastCommand, lcLine);
}

TEST(GridScroll, PositionCountsShownRows) {
  ScrollFixture f;
  TCvGrid& g = *f.G;
  for (int r : {1, 3, 4, 8}) g.SetRowVisible(r, false);
  // shown rows: 0 2 5 6 7 9 10 ...
  EXPECT_EQ(g.VertScrollBar().ScrollMax, 36 - 10);
  const int expected[] = {0, 2, 5, 6, 7, 9, 10};
  for (int p = 0; p < 7; ++p) {
    g.VertScrollBar().SetScrollPos(p);
    EXPECT_EQ(g.TopRow(), expected[p]) << p;
  }
  g.VertScrollBar().SetScrollPos(1);
  EXPECT_EQ(g.TopRow(), 2);
  g.VertScrollBar().SetScrollPos(26);
  EXPECT_EQ(g.TopRow(), 39 - 9);
  // the painted first row is the top row: its name shows there
  g.Cell(0, 2)->SetAsText("TOP");
  g.VertScrollBar().SetScrollPos(1);
  const QImage img = f.Render();
  EXPECT_GT(gridtest::Ink(img, QRect(2, 1, 70, 14), gridtest::Px(img, 75, 8)), 10);
}

TEST(GridScroll, RollScrollsByTheDistanceFromTheAnchor) {
  ScrollFixture f;
  TCvGrid& g = *f.G;
  g.RollStart(QPoint(50, 50));
  EXPECT_TRUE(g.Rolling());
  EXPECT_TRUE(g.RollTimer().isActive());
  EXPECT_EQ(g.RollInterval(), 1);
  g.RollMove(QPoint(50, 55));  // within 5 pixels: no direction
  g.RollTick();
  EXPECT_EQ(g.TopRow(), 0);
  g.RollMove(QPoint(50, 56));
  EXPECT_EQ(g.RollDirection(), 1);
  g.RollTick();
  EXPECT_EQ(g.RollInterval(), 94);
  EXPECT_EQ(g.TopRow(), 1);
  for (int dy : {100, 140}) {
    g.RollMove(QPoint(50, 50 + dy));
    g.RollTick();
    EXPECT_EQ(g.RollInterval(), 1);
  }
  EXPECT_EQ(g.TopRow(), 3);
  g.RollMove(QPoint(50, 20));
  EXPECT_EQ(g.RollDirection(), -1);
  g.RollTick();
  EXPECT_EQ(g.RollInterval(), 70);
  EXPECT_EQ(g.TopRow(), 2);
  g.RollStop();
  EXPECT_FALSE(g.Rolling());
  EXPECT_FALSE(g.RollTimer().isActive());
}

TEST(GridScroll, AllShownThumbJumpDoesNotWalkEveryRow) {
  TGridFixture f(2, 0, 300, 170);
  TCvGrid& g = *f.G;
  g.AddRows(60000);
  int measured = 0;
  g.OnMeasuringRowHeight = [&](QObject*, int, int&) { ++measured; };
  g.VertScrollBar().SetScrollPos(g.VertScrollBar().ScrollMax);
  EXPECT_EQ(g.TopRow(), 60000 - 10);
  EXPECT_LT(measured, 100);
  measured = 0;
  g.CellsPainted = 0;
  (void)f.Render();
  EXPECT_LT(measured, 100);
  EXPECT_EQ(g.CellsPainted, 2 * 10);
}

TEST(GridScroll, ClearRowsDropsThePosition) {
  ScrollFixture f;
  TCvGrid& g = *f.G;
  g.SelectCell(1, 7, 0);
  g.VertScrollBar().SetScrollPos(12);
  g.ClearRows();
  EXPECT_EQ(g.TopRow(), 0);
  EXPECT_EQ(g.SelectedRow(), -1);
  EXPECT_EQ(g.SelectedColumn(), 0);
  EXPECT_EQ(g.VertScrollBar().ScrollPos, 0);
  EXPECT_EQ(g.VertScrollBar().ScrollMax, 0);
  EXPECT_EQ(g.FirstShownRow(), 0);
  EXPECT_EQ(g.LastShownRow(), 0);
}

TEST(GridScroll, HorizontalScrollMovesNonFixedColumns) {
  TGridFixture f(5, 3, 300, 200);
  TCvGrid& g = *f.G;
  TGxScrollBar& h = g.HorzScrollBar();
  EXPECT_EQ(h.ScrollMax, 5 * 80 - 300);
  EXPECT_EQ(h.PageStep, 15);  // 5 % of the client width
  EXPECT_EQ(g.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  std::vector<int> seen;
  g.OnHorizontalScroll = [&](QObject*, int p) { seen.push_back(p); };
  g.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  g.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(seen, (std::vector<int>{5, 20}));
  EXPECT_EQ(g.GetCellRect(1, 0).Left, 80 - 20);
  g.SetFixedCols(1);
  h.SetScrollPos(50);
  EXPECT_EQ(g.GetCellRect(0, 0).Left, 0);
  EXPECT_EQ(g.GetCellRect(2, 0).Left, 160 - 50);
  // the fixed column's right line stays; the scrolled column does not paint over it
  g.Columns().Column(1)->SetParentCellColor(true);
  g.Columns().Column(1)->SetColor(0x0000FF);
  const QImage img = f.Render();
  EXPECT_EQ(img.pixelColor(79, 8), GxColor(clBtnFace));
  EXPECT_EQ(img.pixelColor(60, 8), GxColor(clWindow));
  EXPECT_EQ(img.pixelColor(90, 8), GxColor(0x0000FF));
  EXPECT_EQ(img.pixelColor(120, 8), GxColor(clWindow));
}

TEST(GridCore, VersionStaysAndDefaults) {
  TGridFixture f;
  TCvGrid g;
  g.SetVersion("1.0");
  EXPECT_EQ(g.Version(), "4.2.1");
  EXPECT_EQ(g.width(), 250);
  EXPECT_EQ(g.height(), 150);
  EXPECT_EQ(g.Options(), Go(goHeader));
  EXPECT_EQ(g.AppearanceOptions(), Ao(aoHideSelection) | Ao(aoHighlightSlideCells));
  EXPECT_EQ(g.SelectedRow(), -1);
  EXPECT_EQ(g.HeaderSize(), 18);
  EXPECT_EQ(g.HorzScrollBar().LineStep, 5);
  EXPECT_EQ(g.VertScrollBar().PageStep, 10);
}

}  // namespace
