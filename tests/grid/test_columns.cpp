// Columns: widths and auto-size, positions and reading from the form, sort state, options,
// display texts of the kinds, layout of hidden columns, and removal.
#include <gtest/gtest.h>

#include "grid/cvGxHeadless.h"
#include "grid/cvGxNum.h"

namespace {

int Count(const TGxHeadlessGrid& G, int Kind, int Column = -2) {
  int n = 0;
  for (auto& e : G.Events)
    if (e.What == "change" && e.Kind == Kind && (Column == -2 || e.Column == Column)) ++n;
  return n;
}

TEST(GridColumns, WidthHasAFloorOf8) {
  TGxHeadlessGrid g;
  auto* c = g.Columns.Add<TGxTextColumn>("a");
  g.Events.clear();
  c->SetWidth(3);
  EXPECT_EQ(c->Width(), 8);
  ASSERT_EQ(Count(g, chWidth), 1);
  EXPECT_EQ(g.Events.back().Param, 8 - 80);
}

TEST(GridColumns, AutoSizeSharesWithHalvesToEven) {
  TGxHeadlessGrid g;
  g.BeginRead();
  auto* a = g.Columns.Add<TGxTextColumn>("a");
  auto* b = g.Columns.Add<TGxTextColumn>("b");
  a->SetWidth(50);
  b->SetWidth(150);
  a->SetOptions(a->Options() | Opt(coAutoSize));
  b->SetOptions(b->Options() | Opt(coAutoSize));
  g.Width = 202;  // 50.5 and 151.5
  g.EndRead();
  EXPECT_EQ(a->Width(), 50);
  EXPECT_EQ(b->Width(), 152);

  // With the indicator the free width is 12 less.
  g.Indicator = true;
  g.Columns.Layout(false);
  g.Columns.AutoSize();
  EXPECT_EQ(a->Width() + b->Width(), 190);
  EXPECT_EQ(a->Left(), 12);
}

TEST(GridColumns, AutoSizedColumnAbsorbsANeighboursChange) {
  TGxHeadlessGrid g;
  g.Width = 300;
  auto* a = g.Columns.Add<TGxTextColumn>("a");
  auto* b = g.Columns.Add<TGxTextColumn>("b");
  a->SetWidth(100);
  b->SetOptions(b->Options() | Opt(coAutoSize));
  EXPECT_EQ(b->Width(), 200);
  g.Events.clear();
  a->SetWidth(80);
  EXPECT_EQ(b->Width(), 220);
  EXPECT_EQ(b->Left(), 80);
  EXPECT_EQ(Count(g, chWidth, 1), 1);
  EXPECT_EQ(g.Events.back().Param, 20);
  // Too little room still leaves 8.
  a->SetWidth(500);
  EXPECT_EQ(b->Width(), 8);
}

TEST(GridColumns, PositionGapsFromTheFormRenumberedByTheFirstMove) {
  TGxHeadlessGrid g;
  g.BeginRead();
  auto* a = g.Columns.Add<TGxTextColumn>("a");
  auto* b = g.Columns.Add<TGxTextColumn>("b");
  auto* c = g.Columns.Add<TGxTextColumn>("c");
  a->SetPosition(5);
  b->SetPosition(0);
  c->SetPosition(2);
  a->Header().SetCaption(u"A");
  a->SetWidth(30);
  EXPECT_TRUE(g.Events.empty() || Count(g, chWidth) == 0);  // held while reading
  EXPECT_EQ(Count(g, chAppearance), 0);
  g.EndRead();
  EXPECT_EQ(g.Columns.ColumnAtPosition(0), b);
  EXPECT_EQ(g.Columns.ColumnAtPosition(1), c);
  EXPECT_EQ(g.Columns.ColumnAtPosition(2), a);
  EXPECT_EQ(a->Position(), 5);  // kept until the first move
  EXPECT_EQ(a->Index(), 0);     // the column index is the creation order
  EXPECT_EQ(c->Left(), 80);

  g.Columns.Move(0, 1);
  EXPECT_EQ(c->Position(), 0);
  EXPECT_EQ(b->Position(), 1);
  EXPECT_EQ(a->Position(), 2);
  ASSERT_EQ(Count(g, chPosition), 1);

  a->SetPosition(0);  // Move, then a position change with old position -1
  EXPECT_EQ(g.Columns.ColumnAtPosition(0), a);
  EXPECT_EQ(Count(g, chPosition, 0), 2);
  EXPECT_EQ(g.Events.back().Param, -1);
}

TEST(GridColumns, OneSortedColumn) {
  TGxHeadlessGrid g;
  auto* a = g.Columns.Add<TGxNumberColumn>("a");
  auto* b = g.Columns.Add<TGxNumberColumn>("b");
  g.Cells.AddRows(3);
  for (int r = 0; r < 3; ++r) {
    g.Cells.GetCell(0, r)->SetAsFloat(r);
    g.Cells.GetCell(1, r)->SetAsFloat(-r);
  }
  a->SetSorted(true);
  b->SetSorted(true);
  EXPECT_FALSE(a->Sorted());
  EXPECT_TRUE(b->Sorted());
  EXPECT_EQ(Count(g, chUnsort, 0), 1);
  EXPECT_EQ(g.Cells.SortColumn, 1);
  EXPECT_EQ(g.Cells.GetCell(1, 0)->GetAsFloat(), -2);  // sorted by b
  g.Cells.GetCell(1, 0)->SetAsFloat(5);
  b->SetSorted(true);  // again: sorts again
  EXPECT_EQ(g.Cells.GetCell(1, 2)->GetAsFloat(), 5);
  EXPECT_EQ(Count(g, chSort, 1), 2);
  b->SetSortKind(skDescending);  // a sort-order change of the sorted column sorts
  EXPECT_EQ(g.Cells.GetCell(1, 0)->GetAsFloat(), 5);
  // Without coCanSort a sort report sorts nothing.
  a->SetOptions(a->Options() & ~Opt(coCanSort));
  g.Cells.GetCell(0, 0)->SetAsFloat(99);
  a->SetSorted(true);
  EXPECT_FALSE(g.Cells.Sorted);
}

TEST(GridColumns, SearchColumnOnOneColumnOnly) {
  TGxHeadlessGrid g;
  auto* a = g.Columns.Add<TGxTextColumn>("a");
  auto* b = g.Columns.Add<TGxTextColumn>("b");
  a->SetOptions(a->Options() | Opt(coSearchColumn));
  b->SetOptions(b->Options() | Opt(coSearchColumn));
  EXPECT_FALSE(a->HasOption(coSearchColumn));
  EXPECT_TRUE(b->HasOption(coSearchColumn));
}

TEST(GridColumns, ListColumnShowsItemsInRangeOnly) {
  TGxHeadlessGrid g;
  auto* l = g.Columns.Add<TGxListColumn>("dir");
  l->SetItems({u"ASC", u"DESC"});
  EXPECT_EQ(l->CellKind(), ckInteger);
  EXPECT_EQ(l->DefaultValue, u"0");
  EXPECT_EQ(l->SortType(), stNumeric);
  const std::pair<int, const char16_t*> cases[] = {{0, u"ASC"}, {1, u"DESC"}, {2, u""}, {-1, u""}};
  for (auto [v, want] : cases) {
    TCellInfo info;
    info.AsInteger = v;
    EXPECT_EQ(l->GetDrawText(info), want) << v;
  }
  const std::pair<const char16_t*, const char16_t*> inputs[] = {
      {u"1", u"DESC"}, {u"", u""}, {u"x", u""}, {u"7", u""}};
  for (auto [in, want] : inputs) {
    l->SetInputValue(in);
    EXPECT_EQ(l->GetInputDrawText(), want);
  }
  EXPECT_TRUE(l->IsKeyAcceptable(u'd'));
  EXPECT_FALSE(l->IsKeyAcceptable(u'x'));
}

TEST(GridColumns, NumberDisplay) {
  TGxHeadlessGrid g;
  auto* n = g.Columns.Add<TGxNumberColumn>("n");
  EXPECT_EQ(n->Alignment(), taRightJustify);
  EXPECT_EQ(n->CellKind(), ckFloat);
  auto text = [&](double v) {
    TCellInfo i;
    i.AsFloat = v;
    return gx::ToUtf8(n->GetDrawText(i));
  };
  n->SetTextBefore(u"~");
  n->SetTextAfter(u" Å");
  EXPECT_EQ(text(2.5), "~2.5 Å");  // shortest form
  EXPECT_EQ(text(1e20), "~1E20 Å");
  EXPECT_EQ(text(0), "~0 Å");
  n->SetHideWhenEmpty(true);
  n->SetEmptyCaption(u"—");
  EXPECT_EQ(text(0), "—");
  n->SetFormatMask("0.00");  // TextBefore is not used with a mask
  EXPECT_EQ(text(3.14159), "3.14 Å");
  EXPECT_EQ(text(0), "—");
  EXPECT_TRUE(n->IsKeyAcceptable(u'7'));
  EXPECT_TRUE(n->IsKeyAcceptable(u'.'));
  EXPECT_FALSE(n->IsKeyAcceptable(u','));
  EXPECT_FALSE(n->IsKeyAcceptable(u'-'));
  n->EditOptions |= Eo(eoAllowSigns);
  EXPECT_TRUE(n->IsKeyAcceptable(u'-'));
}

TEST(GridColumns, FloatFormatPatterns) {
  const std::tuple<const char*, double, const char*> cases[] = {
      {"0.00", 3.14159, "3.14"},        {"0.00", 0.125, "0.12"},
      {"#,##0.0", 1234567.89, "1,234,567.9"}, {"0.00;(0.00)", -2.5, "(2.50)"},
      {"0.00", -2.5, "-2.50"},          {"0;-0;'zero'", 0, "zero"},
      {"0.0E+00", 12345, "1.2E+04"},    {"#.##", 0.5, ".5"},
      {"0.##", 2, "2"},                 {"000", 7, "007"},
      {"0.0 'km'", 1.25, "1.2 km"},
  };
  for (auto [mask, v, want] : cases) EXPECT_EQ(gx::FormatFloatMask(mask, v), want) << mask;
}

TEST(GridColumns, ByNameIgnoresCase) {
  TGxHeadlessGrid g;
  g.Columns.Add<TGxTextColumn>("gxFDBFld");
  auto* c = g.Columns.Add<TGxTextColumn>("gxFDBOp");
  EXPECT_EQ(g.Columns.ColumnByName("GXFDBOP"), c);
  EXPECT_EQ(g.Columns.ColumnByName("gxfdbfld")->Index(), 0);
  EXPECT_EQ(g.Columns.ColumnByName("gxNone"), nullptr);
}

TEST(GridColumns, HiddenColumnLeavesTheLayout) {
  TGxHeadlessGrid g;
  auto* a = g.Columns.Add<TGxTextColumn>("a");
  auto* b = g.Columns.Add<TGxTextColumn>("b");
  auto* c = g.Columns.Add<TGxTextColumn>("c");
  b->SetWidth(60);
  EXPECT_EQ(c->Left(), 140);
  g.Events.clear();
  b->SetVisible(false);
  EXPECT_EQ(b->VisibleIndex(), -1);
  EXPECT_EQ(c->VisibleIndex(), 1);
  EXPECT_EQ(c->Left(), 80);
  EXPECT_EQ(g.Columns.VisibleCount(), 2);
  EXPECT_EQ(g.Columns.VisibleWidth(), 160);
  EXPECT_EQ(Count(g, chVisibility), 1);
  b->SetVisible(false);  // no real change: nothing
  EXPECT_EQ(Count(g, chVisibility), 1);
  EXPECT_EQ(g.Columns.NextEditable(a), c);
  EXPECT_EQ(g.Columns.PriorEditable(a), a);
  g.Columns.SetFixedCols(2);
  EXPECT_EQ(g.Columns.FixedWidth(), 80);
}

TEST(GridColumns, RemovingTheLastColumnEmptiesTheRows) {
  TGxHeadlessGrid g;
  auto* a = g.Columns.Add<TGxTextColumn>("a");
  auto* b = g.Columns.Add<TGxNumberColumn>("b");
  g.Cells.AddRows(3);
  g.Cells.GetCell(1, 2)->SetAsFloat(4);
  g.Columns.Remove(a);
  EXPECT_EQ(g.Cells.ColCount(), 1);
  EXPECT_EQ(g.Cells.RowCount(), 3);
  EXPECT_EQ(g.Cells.GetCell(0, 2)->GetAsFloat(), 4);  // b's cells moved to column 0
  EXPECT_EQ(b->Index(), 0);
  g.Columns.Remove(b);
  EXPECT_EQ(g.Cells.ColCount(), 0);
  EXPECT_EQ(g.Cells.RowCount(), 0);
}

TEST(GridColumns, KindsAndAbilities) {
  TGxHeadlessGrid g;
  auto* t = g.Columns.Add<TGxTextColumn>("t");
  auto* cb = g.Columns.Add<TGxCheckBoxColumn>("cb");
  auto* combo = g.Columns.Add<TGxComboBoxColumn>("combo");
  g.Cells.AddRows(1);
  EXPECT_EQ(cb->CellKind(), ckBoolean);
  EXPECT_EQ(cb->SortType(), stBoolean);
  EXPECT_FALSE(cb->IsKeyAcceptable(u'a'));
  EXPECT_TRUE(cb->HasPlay());
  EXPECT_EQ(cb->GetInplaceEditKind(), ekNone);
  EXPECT_EQ(g.Cells.GetCell(1, 0)->GetAsString(), u"False");
  EXPECT_TRUE(t->HasOption(coShowTextFitHint));
  EXPECT_EQ(t->GetEditAbilities(), static_cast<uint32_t>(eaInput));
  t->SetOptions(t->Options() | Opt(coEditing));
  EXPECT_EQ(t->GetEditAbilities(), static_cast<uint32_t>(eaEdit | eaInput));
  t->Enabled = false;
  EXPECT_EQ(t->GetEditAbilities(), 0u);
  EXPECT_EQ(t->GetTextWidth(u"abc"), 3 * 7 + 5);
  EXPECT_EQ(cb->GetTextWidth(u""), 8);
  combo->SetItems({u"", u"Гаусс", u"mA"});
  EXPECT_TRUE(combo->IsKeyAcceptable(u'z'));
  combo->Style = cbsDropDownList;
  EXPECT_FALSE(combo->IsKeyAcceptable(u'z'));
  EXPECT_TRUE(combo->IsKeyAcceptable(u'г'));
  EXPECT_TRUE(combo->IsKeyAcceptable(u'M'));

  auto* copy = g.Columns.Add<TGxComboBoxColumn>("copy");
  combo->SetWidth(33);
  combo->Header().SetCaption(u"Units");
  copy->Assign(*combo);
  EXPECT_EQ(copy->Width(), 33);
  EXPECT_EQ(copy->Header().Caption(), u"Units");
  EXPECT_EQ(copy->Items().size(), 3u);
  EXPECT_EQ(copy->Style, cbsDropDownList);
}

TEST(GridColumns, VirtualCellsAskTheirColumn) {
  TGxHeadlessGrid g;
  struct VirtualColumn : TGxCustomColumn {
    VirtualColumn() { SetCellKind(ckVirtual); }
  };
  auto* v = g.Columns.Add(std::make_unique<VirtualColumn>());
  WideString stored;
  v->OnGetCellText = [](int c, int r) { return gx::W(std::to_string(c * 100 + r)); };
  v->OnSetCellText = [&](int, int, const WideString& s) { stored = s; };
  g.Cells.AddRows(5);
  EXPECT_EQ(g.Cells.GetCell(0, 4)->GetAsInteger(), 4);
  g.Cells.GetCell(0, 1)->SetAsFloat(2.5);
  EXPECT_EQ(stored, u"2.5");
}

}  // namespace
