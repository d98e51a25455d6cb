// The grid's public operations: cell keys and their errors, text by column kind and out of
// bounds, AddRows / ClearRows / DeleteRow with their selection rules and events, SelectCell's
// event order, and the three row-sort routines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gridqt/support/GridFixture.h"

using gridtest::TGridFixture;

namespace {

// Columns: Name (text), Lam (number), On (check box), Kind (list), "2" (text).
struct TKindsGrid : TGridFixture {
  explicit TKindsGrid(int Rows = 3) : TGridFixture(0, 0) {
    G->setObjectName("ngUnno");
    G->Columns().Add<TGxTextColumn>("Name");
    G->Columns().Add<TGxNumberColumn>("Lam");
    G->Columns().Add<TGxCheckBoxColumn>("On");
    G->Columns().Add<TGxListColumn>("Kind");
    G->Columns().Add<TGxTextColumn>("2");
    G->AddRows(Rows);
  }
};

std::string Text(TCvGrid& G, int C, int R) {
  WideString t = u"unchanged";
  G.GetCellText(C, R, t);
  return gx::ToUtf8(t);
}

template <class F>
std::string ErrorOf(F&& Run) {
  try {
    Run();
  } catch (const TGxError& e) {
    return e.what();
  }
  return "";
}

TEST(GridKeys, ResolveWordsNamesAndNumbers) {
  TKindsGrid f(4);
  TCvGrid& g = *f.G;
  struct Case {
    TGxKey Col, Row;
    int C, R;
  } cases[] = {
      {"First", "First", 0, 0}, {"LAST", "last", 4, 3},  {"lam", 2, 1, 2},
      {"KIND", "1", 3, 1},      {1, 0, 1, 0},            {2, 0, 4, 0},  // "2" names a column
      {"3", "3", 3, 3},         {" 1", "2", 1, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(g.ResolveCellKeys(c.Col, c.Row), std::make_pair(c.C, c.R))
        << c.Col.Text << "/" << c.Row.Text;
  }
  g.SelectCell(3, 2, 0);
  EXPECT_EQ(g.ResolveCellKeys("Selected", "SELECTED"), std::make_pair(3, 2));
  // the indexes are not checked against the size
  EXPECT_EQ(g.ResolveCellKeys(40, 99), std::make_pair(40, 99));
}

TEST(GridKeys, InvalidNamesAndBadRowsRaise) {
  TKindsGrid f(2);
  TCvGrid& g = *f.G;
  EXPECT_EQ(ErrorOf([&] { g.CellByKey("Wave", 0); }),
            "Invalid Columnname 'Wave' for 'TCvGrid:ngUnno'.");
  EXPECT_EQ(ErrorOf([&] { g.CellByKey("Lam", "x1"); }),
            "Invalid Rowname 'x1' for 'TCvGrid:ngUnno'.");
  // the row key is resolved first
  EXPECT_EQ(ErrorOf([&] { g.CellByKey("Wave", "x1"); }),
            "Invalid Rowname 'x1' for 'TCvGrid:ngUnno'.");
  EXPECT_EQ(ErrorOf([&] { g.CellByKey("Lam", 2); }), "List index out of bounds (2)");
  // a column beyond the grid is never dereferenced
  EXPECT_EQ(ErrorOf([&] { g.CellByKey(7, 0); }), "List index out of bounds (7)");
  EXPECT_EQ(ErrorOf([&] { g.CellAt(-1, 0); }), "List index out of bounds (-1)");
  g.SelectCell(0, 1, 0);
  g.ClearRows();
  g.AddRows(1);
  EXPECT_EQ(g.SelectedRow(), -1);
  EXPECT_EQ(ErrorOf([&] { g.CellByKey("Lam", "Selected"); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { g.DeleteRow(1); }), "List index out of bounds (1)");
}

TEST(GridKeys, TextByColumnKindAndOutOfBounds) {
  TKindsGrid f(5);
  TCvGrid& g = *f.G;
  g.CellByKey("Lam", 0)->SetAsFloat(6302.5);
  EXPECT_EQ(Text(g, 1, 0), "6302.5");
  g.SetCellText(1, 1, u"1e-7");
  EXPECT_DOUBLE_EQ(g.CellAt(1, 1)->GetAsFloat(), 1e-7);
  EXPECT_THROW(g.SetCellText(1, 1, u""), TGxConvertError);
  EXPECT_DOUBLE_EQ(g.CellAt(1, 1)->GetAsFloat(), 1e-7);
  const std::pair<const char*, bool> checks[] = {{"TRUE", true}, {"1", false}, {"yes", false}};
  for (auto [in, out] : checks) {
    g.SetCellTextA(2, 0, "true");
    g.SetCellTextA(2, 0, in);
    EXPECT_EQ(g.CellAt(2, 0)->GetAsBoolean(), out) << in;
  }
  EXPECT_EQ(Text(g, 2, 0), "False");
  g.SetCellText(3, 0, u"");
  EXPECT_EQ(Text(g, 3, 0), "0");
  g.SetCellText(3, 0, u"4");
  EXPECT_EQ(g.CellAt(3, 0)->GetAsInteger(), 4);
  EXPECT_THROW(g.SetCellText(3, 0, u"four"), TGxConvertError);
  // outside the grid: the text stays, nothing is written, nothing raises
  g.SetCellText(0, 4, u"kept");
  EXPECT_EQ(Text(g, 0, 5), "unchanged");
  EXPECT_EQ(Text(g, 5, 0), "unchanged");
  EXPECT_EQ(Text(g, -1, 0), "unchanged");
  EXPECT_NO_THROW(g.SetCellText(0, 5, u"x"));
  EXPECT_NO_THROW(g.SetCellText(9, 0, u"x"));
  WideString t;
  g.CellTextByKey("name", "Last", t);
  EXPECT_EQ(t, u"kept");
}

// Records the grid's selection and editing events.
struct TLog {
  std::vector<std::string> E;
  void Hook(TCvGrid& G) {
    G.OnBeforeSelect = [this](QObject*, int c, int r, bool&) { Add("before", c, r); };
    G.OnDeselectCell = [this](QObject*, int c, int r) { Add("deselect", c, r); };
    G.OnSelectCell = [this](QObject*, int c, int r) { Add("select", c, r); };
    G.OnEditExit = [this](QObject*) { E.push_back("editexit"); };
  }
  void Add(const char* N, int C, int R) {
    E.push_back(std::string(N) + " " + std::to_string(C) + "," + std::to_string(R));
  }
};
using Events = std::vector<std::string>;

TEST(GridRows, AddClearAndSelectCellEvents) {
  TGridFixture f(2, 3);
  TCvGrid& g = *f.G;
  TLog log;
  log.Hook(g);
  g.SelectCell(1, 2, 0);
  g.SelectCell(1, 2, 0);
  g.SelectCell(2, 0, 0);  // no such column
  EXPECT_EQ(log.E, (Events{"before 1,2", "select 1,2", "before 1,2", "select 1,2",
                           "before 2,0"}));
  EXPECT_EQ(g.SelectedColumn(), 1);
  log.E.clear();
  g.SelectCell(0, 1, 0);
  EXPECT_EQ(log.E, (Events{"before 0,1", "deselect 1,2", "select 0,1"}));
  log.E.clear();
  const int top = g.TopRow();
  for (int n : {0, -3}) g.AddRows(n);
  EXPECT_EQ(g.RowCount(), 3);
  g.AddRows(2);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.LastAddedRow, 4);
  EXPECT_EQ(g.SelectedRow(), 1);
  EXPECT_EQ(g.TopRow(), top);
  EXPECT_TRUE(log.E.empty());
  g.ClearRows();
  EXPECT_EQ(log.E, Events{"editexit"});
  EXPECT_EQ(g.RowCount(), 0);
  EXPECT_EQ(g.SelectedRow(), -1);
  EXPECT_EQ(g.SelectedColumn(), 0);
  // no rows: no OnSelectCell
  log.E.clear();
  g.SelectCell(1, 0, 0);
  EXPECT_EQ(log.E, Events{"before 1,0"});
}

TEST(GridRows, DeleteRowKeepsTheSelectionInsideWithoutEvents) {
  TGridFixture f(2, 4);
  TCvGrid& g = *f.G;
  for (int r = 0; r < 4; ++r) g.SetCellTextA(0, r, "r" + std::to_string(r));
  TLog log;
  g.SelectCell(1, 3, 0);
  log.Hook(g);
  g.DeleteRow(3);  // the selected last row: the new last row is selected
  EXPECT_EQ(g.SelectedRow(), 2);
  EXPECT_EQ(g.SelectedColumn(), 1);
  EXPECT_EQ(log.E, Events{"editexit"});
  g.DeleteRow(0);  // a later selected row keeps its index
  EXPECT_EQ(g.SelectedRow(), 1);
  EXPECT_EQ(g.CellText(0, 1), "r2");
  g.DeleteRow(0);
  g.DeleteRow(0);
  EXPECT_EQ(g.RowCount(), 0);
  EXPECT_EQ(g.SelectedRow(), -1);
  EXPECT_EQ(log.E.size(), 4u);
  EXPECT_EQ(std::count(log.E.begin(), log.E.end(), "editexit"), 4);
}

TEST(GridRows, InsertRowMovesTheSelectionWithItsRow) {
  TGridFixture f(1, 3);
  TCvGrid& g = *f.G;
  g.Columns().Column(0)->DefaultValue = gx::W("d");
  g.SetOptions(g.Options() | Go(goUseDefaultValues));
  g.SetCellTextA(0, 1, "b");
  g.SelectCell(0, 1, 0);
  g.InsertRow(1);
  EXPECT_EQ(g.CellText(0, 1), "");  // no default values
  EXPECT_EQ(g.SelectedRow(), 2);
  EXPECT_EQ(g.CellText(0, 2), "b");
  EXPECT_EQ(g.LastAddedRow, 1);
  g.MoveRow(2, 0);
  EXPECT_EQ(g.CellText(0, 0), "b");
}

TEST(GridRowSort, SwapAndTheTwoExchangeSorts) {
  TKindsGrid f(3);
  TCvGrid& g = *f.G;
  const int a[] = {2, 1, 2}, b[] = {5, 9, 1};
  for (int r = 0; r < 3; ++r) {
    g.CellAt(3, r)->SetAsInteger(a[r]);
    g.CellAt(4, r)->SetAsString(gx::W(std::to_string(b[r])));
    g.CellAt(1, r)->SetAsFloat(0.1 * (r + 1));
    g.CellAt(2, r)->SetAsBoolean(r == 1);
  }
  GxGridSortIntInt(g, 3, 4);
  std::vector<std::pair<int, int>> got;
  for (int r = 0; r < 3; ++r)
    got.emplace_back(g.CellAt(3, r)->GetAsInteger(), g.CellAt(4, r)->GetAsInteger());
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{1, 9}, {2, 1}, {2, 5}}));
  // values travel as text: the float keeps the value of its text
  EXPECT_DOUBLE_EQ(g.CellAt(1, 0)->GetAsFloat(), 0.2);
  EXPECT_TRUE(g.CellAt(2, 0)->GetAsBoolean());
  // True rows first, each group ascending by B
  g.CellAt(2, 2)->SetAsBoolean(true);
  GxGridSortBoolInt(g, 2, 4);
  std::vector<std::pair<bool, int>> got2;
  for (int r = 0; r < 3; ++r)
    got2.emplace_back(g.CellAt(2, r)->GetAsBoolean(), g.CellAt(4, r)->GetAsInteger());
  EXPECT_EQ(got2, (std::vector<std::pair<bool, int>>{{true, 5}, {true, 9}, {false, 1}}));
  // a row beyond the grid: nothing
  GxGridSwapRows(g, 0, 3);
  EXPECT_EQ(g.CellAt(4, 0)->GetAsInteger(), 5);
}

}  // namespace
