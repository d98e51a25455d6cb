// The grid's mouse and keyboard input, driven offscreen with QTest: the event order of a cell
// press and release, header clicks and the sort, the grip double click and resize limit, the
// navigation keys, Tab and Enter only when wanted, the type-ahead search and the wheel; a
// handler's exception is reported and the grid goes on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gridqt/support/GridFixture.h"

using gridtest::TGridFixture;

namespace {

using Events = std::vector<std::string>;

struct TInputGrid : TGridFixture {
  Events E;
  explicit TInputGrid(int Rows = 5, int H = 200)
      : TGridFixture(2, Rows, 300, H, Go(goGrid) | Go(goHeader)) {
    for (int r = 0; r < Rows; ++r) G->SetCellTextA(0, r, "r" + std::to_string(Rows - r));
    TCvGrid& g = *G;
    g.OnMouseDown = [this](QObject*, int, int, int, int) {
      Add("mousedown", G->SelectedColumn(), G->SelectedRow());
    };
    g.OnBeforeSelect = [this](QObject*, int c, int r, bool&) { Add("before", c, r); };
    g.OnDeselectCell = [this](QObject*, int c, int r) { Add("deselect", c, r); };
    g.OnSelectCell = [this](QObject*, int c, int r) { Add("select", c, r); };
    g.OnClick = [this](QObject*) { E.push_back("click"); };
    g.OnCellClick = [this](QObject*, int c, int r) { Add("cellclick", c, r); };
    g.OnCellDblClick = [this](QObject*, int c, int r) { Add("celldbl", c, r); };
    g.OnHeaderClick = [this](QObject*, int c) { Add("header", c, -1); };
    g.OnSortColumn = [this](QObject*, int c, bool a) { Add("sort", c, a); };
    g.OnAfterSort = [this](QObject*, int c) { Add("aftersort", c, -1); };
  }
  void Add(const char* N, int C, int R) {
    E.push_back(std::string(N) + " " + std::to_string(C) + "," + std::to_string(R));
  }
  QWidget* V() { return G->viewport(); }
  QPoint CellPoint(int C, int R) {
    const TGxRect r = G->GetCellRect(C, R);
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  QPoint HeaderPoint(int C) {
    const TGxRect r = G->GetCellRect(C, 0);
    return QPoint((r.Left + r.Right) / 2, G->HeaderRect().center().y());
  }
  void Key(int K, Qt::KeyboardModifiers M = Qt::NoModifier) {
    QTest::keyClick(G.get(), static_cast<Qt::Key>(K), M);
  }
};

TEST(GridInput, CellPressAndReleaseEventOrder) {
  TInputGrid f;
  f.G->SelectCell(0, 0, 0);
  f.E.clear();
  QTest::mousePress(f.V(), Qt::LeftButton, {}, f.CellPoint(1, 2));
  QTest::mouseRelease(f.V(), Qt::LeftButton, {}, f.CellPoint(1, 2));
  EXPECT_EQ(f.E, (Events{"mousedown 0,0", "before 1,2", "deselect 0,0", "select 1,2", "click",
                         "cellclick 1,2"}));
  // the same cell again: no deselect
  f.E.clear();
  QTest::mouseClick(f.V(), Qt::LeftButton, {}, f.CellPoint(1, 2));
  EXPECT_EQ(f.E, (Events{"mousedown 1,2", "before 1,2", "select 1,2", "click", "cellclick 1,2"}));
  // released on another cell: no cell click
  f.E.clear();
  QTest::mousePress(f.V(), Qt::LeftButton, {}, f.CellPoint(0, 1));
  QTest::mouseRelease(f.V(), Qt::LeftButton, {}, f.CellPoint(0, 3));
  EXPECT_EQ(f.E.back(), "click");
  f.E.clear();
  QTest::mouseDClick(f.V(), Qt::LeftButton, {}, f.CellPoint(0, 4));
  EXPECT_NE(std::find(f.E.begin(), f.E.end(), "celldbl 0,4"), f.E.end());
}

TEST(GridInput, HeaderClickSortsOnlyWithCanClickAndOnTheSameHeader) {
  TInputGrid f;
  TCvGrid& g = *f.G;
  g.SelectCell(0, 4, 0);  // "r1"
  f.E.clear();
  QTest::mouseClick(f.V(), Qt::LeftButton, {}, f.HeaderPoint(0));
  EXPECT_EQ(f.E, (Events{"mousedown 0,4", "click", "header 0,-1", "sort 0,1", "before 0,0", "deselect 0,4",
                         "select 0,0", "aftersort 0,-1"}));
  EXPECT_EQ(g.CellText(0, 0), "r1");
  EXPECT_EQ(g.SelectedRow(), 0);  // the kept row at its new index
  // a second click flips the order
  QTest::mouseClick(f.V(), Qt::LeftButton, {}, f.HeaderPoint(0));
  EXPECT_EQ(g.CellText(0, 0), "r5");
  EXPECT_EQ(g.Columns().Column(0)->SortKind(), skDescending);
  // pressed on one header, released on another: no sort
  f.E.clear();
  QTest::mousePress(f.V(), Qt::LeftButton, {}, f.HeaderPoint(1));
  QTest::mouseRelease(f.V(), Qt::LeftButton, {}, f.HeaderPoint(0));
  EXPECT_EQ(f.E, (Events{"mousedown 0,4", "click", "header 1,-1"}));
  // without coCanClick: neither the header click nor the sort
  g.Columns().Column(0)->SetOptions(g.Columns().Column(0)->Options() & ~Opt(coCanClick));
  f.E.clear();
  QTest::mouseClick(f.V(), Qt::LeftButton, {}, f.HeaderPoint(0));
  EXPECT_EQ(f.E, (Events{"mousedown 0,4", "click"}));
  EXPECT_EQ(g.CellText(0, 0), "r5");
}

TEST(GridInput, GripDoubleClickFitsAndDragStopsAtEight) {
  TInputGrid f;
  TCvGrid& g = *f.G;
  TGxCustomColumn* c = g.Columns().Column(0);
  g.SetCellTextA(0, 1, "a much longer text");
  const int widest = g.TextWidth(c->Font(), gx::W("a much longer text"));
  const int y = g.HeaderRect().center().y();
  const int right = g.ColumnScreenLeft(c) + c->Width();
  QTest::mouseDClick(f.V(), Qt::LeftButton, {}, QPoint(right, y));
  EXPECT_EQ(c->Width(), widest + 5);
  // a column of empty texts gets 13
  TGxCustomColumn* c1 = g.Columns().Column(1);
  const int r1 = g.ColumnScreenLeft(c1) + c1->Width();
  QTest::mouseDClick(f.V(), Qt::LeftButton, {}, QPoint(r1 - 2, y));
  EXPECT_EQ(c1->Width(), 13);
  // a resize drag far to the left stops at 8
  const int r0 = g.ColumnScreenLeft(c) + c->Width();
  QTest::mousePress(f.V(), Qt::LeftButton, {}, QPoint(r0, y));
  QMouseEvent move(QEvent::MouseMove, QPointF(g.ColumnScreenLeft(c) - 40, y),
                   f.V()->mapToGlobal(QPointF(g.ColumnScreenLeft(c) - 40, y)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(f.V(), &move);
  QTest::mouseRelease(f.V(), Qt::LeftButton, {}, QPoint(5, y));
  EXPECT_EQ(c->Width(), 8);
}

TEST(GridInput, NavigationKeys) {
  TInputGrid f(30, 16 * 6 + 30);
  TCvGrid& g = *f.G;
  ASSERT_TRUE(f.Focus());
  const int fit = g.RowsThatFit();
  ASSERT_GT(fit, 2);
  g.SelectCell(0, 0, 0);
  f.Key(Qt::Key_Down);
  f.Key(Qt::Key_Down);
  EXPECT_EQ(g.SelectedRow(), 2);
  f.Key(Qt::Key_Up);
  EXPECT_EQ(g.SelectedRow(), 1);
  f.Key(Qt::Key_PageDown);  // to the last row that fits wholly
  EXPECT_EQ(g.SelectedRow(), fit - 1);
  f.Key(Qt::Key_PageDown);  // then by the rows that fit
  EXPECT_EQ(g.SelectedRow(), 2 * fit - 1);
  f.Key(Qt::Key_End);
  EXPECT_EQ(g.SelectedRow(), 29);
  f.Key(Qt::Key_Home);
  EXPECT_EQ(g.SelectedRow(), 0);
  EXPECT_EQ(g.TopRow(), 0);
  f.Key(Qt::Key_Right);
  EXPECT_EQ(g.SelectedColumn(), 1);
  f.Key(Qt::Key_Left);
  EXPECT_EQ(g.SelectedColumn(), 0);
  // Enter moves only with WantReturns; Tab stays only with WantTabs
  f.Key(Qt::Key_Return);
  EXPECT_EQ(g.SelectedRow(), 0);
  g.WantReturns = true;
  f.Key(Qt::Key_Return);
  EXPECT_EQ(g.SelectedRow(), 1);
  g.WantTabs = true;
  f.Key(Qt::Key_Tab);
  EXPECT_EQ(g.SelectedColumn(), 1);
  f.Key(Qt::Key_Tab);  // from the last column: the next row, first column
  EXPECT_EQ(std::make_pair(g.SelectedColumn(), g.SelectedRow()), std::make_pair(0, 2));
  // a key handler that clears the key keeps the grid from acting
  g.OnKeyDown = [](QObject*, int& K, int) { K = 0; };
  f.Key(Qt::Key_Down);
  EXPECT_EQ(g.SelectedRow(), 2);
}

TEST(GridInput, TypeAheadSearchWithinHalfASecond) {
  TGridFixture f(1, 4);
  TCvGrid& g = *f.G;
  const char* texts[] = {"xyz", "Abc", "bcd", "bxx"};
  for (int r = 0; r < 4; ++r) g.SetCellTextA(0, r, texts[r]);
  g.Columns().Column(0)->SetOptions(g.Columns().Column(0)->Options() | Opt(coSearchColumn));
  ASSERT_TRUE(f.Focus());
  g.SelectCell(0, 0, 0);
  QTest::keyClicks(f.G.get(), "ab");
  EXPECT_EQ(g.SelectedRow(), 1);
  QTest::qWait(600);
  QTest::keyClicks(f.G.get(), "b");
  EXPECT_EQ(g.SelectedRow(), 2);
  EXPECT_EQ(g.SearchText(), u"b");
}

TEST(GridInput, WheelStepsAndCtrlPages) {
  TInputGrid f(40, 120);
  TCvGrid& g = *f.G;
  int scrolls = 0;
  g.OnVerticalScroll = [&](QObject*, int) { ++scrolls; };
  auto wheel = [&](int Dy, Qt::KeyboardModifiers M) {
    QWheelEvent e(QPointF(50, 60), f.V()->mapToGlobal(QPointF(50, 60)), QPoint(),
                  QPoint(0, Dy), Qt::NoButton, M, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.V(), &e);
  };
  wheel(-120, Qt::NoModifier);
  const int step = g.VertScrollBar().ScrollPos;
  EXPECT_GT(step, 0);
  wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(g.VertScrollBar().ScrollPos, step + g.VertScrollBar().PageStep);
  wheel(120, Qt::ControlModifier);
  wheel(120, Qt::NoModifier);
  EXPECT_EQ(g.VertScrollBar().ScrollPos, 0);
  EXPECT_EQ(scrolls, 4);
}

TEST(GridInput, AHandlerExceptionIsReportedAndTheGridGoesOn) {
  TInputGrid f;
  std::vector<std::string> reports;
  TGxErrorReport old = SetGxErrorReport(
      [&](QObject*, const std::string&, const std::string& M) { reports.push_back(M); });
  f.G->OnSelectCell = [](QObject*, int, int) { throw TGxConvertError("bad"); };
  f.G->OnCellClick = [](QObject*, int, int) { throw std::runtime_error("boom"); };
  QTest::mouseClick(f.V(), Qt::LeftButton, {}, f.CellPoint(1, 1));
  SetGxErrorReport(std::move(old));
  EXPECT_EQ(reports, (std::vector<std::string>{"bad", "boom"}));
  EXPECT_EQ(f.G->SelectedRow(), 1);
}

}  // namespace

namespace {

TEST(GridInput, RowDragMovesARowUnlessRefused) {
  TInputGrid f(5);
  TCvGrid& g = *f.G;
  g.SetOptions(g.Options() | Go(goRowMoving));
  std::vector<std::pair<int, int>> moved;
  bool accept = false;
  g.OnRowMove = [&](QObject*, int, int, bool& ok) { ok = accept; };
  g.OnAfterRowMove = [&](QObject*, int a, int b) { moved.emplace_back(a, b); };
  auto drag = [&](int From, int To) {
    QTest::mousePress(f.V(), Qt::LeftButton, {}, f.CellPoint(0, From));
    QMouseEvent move(QEvent::MouseMove, QPointF(f.CellPoint(0, To)),
                     f.V()->mapToGlobal(QPointF(f.CellPoint(0, To))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.V(), &move);
    QTest::mouseRelease(f.V(), Qt::LeftButton, {}, f.CellPoint(0, To));
  };
  drag(0, 3);
  EXPECT_EQ(g.CellText(0, 0), "r5");  // refused: nothing moves
  EXPECT_TRUE(moved.empty());
  accept = true;
  drag(0, 3);  // dropped on row 3: lands before it, at 2
  EXPECT_EQ(g.CellText(0, 2), "r5");
  EXPECT_EQ(g.CellText(0, 0), "r4");
  EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{0, 2}}));
  EXPECT_EQ(g.SelectedRow(), 2);
  // keyboard moves past the bottom scroll through the bar
  int scrolls = 0;
  g.OnVerticalScroll = [&](QObject*, int) { ++scrolls; };
  g.resize(300, 18 + 17 * 2 + 10);
  g.SelectCell(0, 1, 0);
  (void)f.Focus();
  f.Key(Qt::Key_Down);
  f.Key(Qt::Key_Down);
  EXPECT_GE(scrolls, 1);
  EXPECT_GT(g.TopRow(), 0);
}

}  // namespace

namespace {

TEST(GridInput, HeaderDragMovesAndHidesOnlyWithCanHideColumn) {
  TGridFixture f(3, 2, 300, 150, Go(goGrid) | Go(goHeader));
  TCvGrid& g = *f.G;
  TGxColumns& cols = g.Columns();
  const int y = g.HeaderRect().center().y();
  // drop positions over 80-pixel columns at 0, 80, 160
  struct Case {
    int Dragged, X, Pos;
  } cases[] = {{0, 130, 1}, {0, 100, 0}, {0, 200, 1}, {0, 210, 2}, {2, 20, 0}, {2, 60, 1}, {1, 100, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(g.DropPosition(cols.Column(c.Dragged), QPoint(c.X, y)), c.Pos) << c.X;
  auto drag = [&](int FromX, QPoint To) {
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, QPoint(FromX, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(To), g.viewport()->mapToGlobal(QPointF(To)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(g.viewport(), &move);
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, To);
  };
  drag(40, QPoint(210, y));
  EXPECT_EQ(cols.Column(0)->Position(), 2);
  // dropped below the grid: hidden only with goCanHideColumn
  const int x1 = g.ColumnScreenLeft(cols.Column(1)) + 40;
  drag(x1, QPoint(x1, 140));
  EXPECT_TRUE(cols.Column(1)->Visible());
  g.SetOptions(g.Options() | Go(goCanHideColumn));
  drag(x1, QPoint(x1, 140));
  EXPECT_FALSE(cols.Column(1)->Visible());
}

}  // namespace

namespace {

TEST(GridInput, FooterReleaseFiresOnFooterClickWithTheColumn) {
  TGridFixture f(2, 3, 300, 200, Go(goGrid) | Go(goHeader) | Go(goFooter));
  TCvGrid& g = *f.G;
  std::vector<int> clicks;
  g.OnFooterClick = [&](QObject*, int c) { clicks.push_back(c); };
  const QRect foot = g.FooterRect();
  ASSERT_FALSE(foot.isEmpty());
  const TGxRect c1 = g.GetCellRect(1, 0);
  const QPoint p((c1.Left + c1.Right) / 2, foot.center().y());
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, p);
  EXPECT_EQ(clicks, std::vector<int>{1});
  // the right button ends editing only; a release on the cells is no footer click
  QTest::mouseClick(g.viewport(), Qt::RightButton, {}, p);
  const TGxRect c0 = g.GetCellRect(0, 1);
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                    QPoint((c0.Left + c0.Right) / 2, (c0.Top + c0.Bottom) / 2));
  EXPECT_EQ(clicks, std::vector<int>{1});
}

}  // namespace
