// The grid's public operations for the program: cell keys, cells by index, row deletion,
// insertion and moving, and the row-sort routines over the text operations.
#include <algorithm>

#include "grid/cvGxNum.h"
#include "grid/qt/cvGxGrid.h"

TGxListError::TGxListError(int Index)
    : TGxError("List index out of bounds (" + std::to_string(Index) + ")") {}

namespace {

bool IsWord(const std::string& Key, const char* Word) {
  return gx::LowerCp1251(Key) == Word;
}

[[noreturn]] void InvalidKey(const char* What, const std::string& Key,
                             const TGxCustomGridControl* Grid) {
  throw TGxError("Invalid " + std::string(What) + " '" + Key + "' for '" + Grid->ClassName() +
                 ":" + gx::A(GxWide(Grid->objectName())) + "'.");
}

}  // namespace

std::pair<int, int> TGxCustomGridControl::ResolveCellKeys(const TGxKey& ColKey,
                                                          const TGxKey& RowKey) {
  int row = 0, col = 0;
  const std::string& rk = RowKey.Text;
  if (IsWord(rk, "first")) {
    row = 0;
  } else if (IsWord(rk, "last")) {
    row = RowCount() - 1;
  } else if (IsWord(rk, "selected")) {
    row = selectedRow_;
  } else {
    int32_t v;
    if (!gx::TryParseInt(rk, v)) InvalidKey("Rowname", rk, this);
    row = v;
  }
  const std::string& ck = ColKey.Text;
  if (IsWord(ck, "first")) {
    col = 0;
  } else if (IsWord(ck, "last")) {
    col = columns_->ColumnCount() - 1;
  } else if (IsWord(ck, "selected")) {
    col = selectedColumn_;
  } else if (TGxCustomColumn* c = columns_->ColumnByName(ck)) {
    col = c->Index();
  } else {
    int32_t v;
    if (!gx::TryParseInt(ck, v)) InvalidKey("Columnname", ck, this);
    col = v;
  }
  return {col, row};
}

void TGxCustomGridControl::CellTextByKey(const TGxKey& ColKey, const TGxKey& RowKey,
                                         WideString& Text) {
  const auto [col, row] = ResolveCellKeys(ColKey, RowKey);
  GetCellText(col, row, Text);
}

void TGxCustomGridControl::EndEdit() {
  editCol_ = editRow_ = -1;
  if (OnEditExit) Guarded("OnEditExit", [&] { OnEditExit(this); });
}

// ======================= TCvGrid =======================

TCell* TCvGrid::CellAt(int Col, int Row) {
  if (Row < 0 || Row >= cells_->RowCount()) throw TGxListError(Row);
  if (Col < 0 || Col >= cells_->ColCount()) throw TGxListError(Col);
  return cells_->GetCell(Col, Row);
}

TCell* TCvGrid::CellByKey(const TGxKey& ColKey, const TGxKey& RowKey) {
  const auto [col, row] = ResolveCellKeys(ColKey, RowKey);
  return CellAt(col, row);
}

void TCvGrid::DeleteRow(int Row) {
  if (!IsValidRow(Row)) throw TGxListError(Row);
  EndEdit();
  const bool shown = cells_->GetRow(Row)->Shown();
  int removed = 1 + cells_->DescendantCount(Row);
  removed = std::min(removed, cells_->RowCount() - Row);
  for (int r = Row + removed - 1; r >= Row; --r) cells_->DeleteRow(r);
  if (shown) {
    RecountShown();
    if (Row < topRow_ && topRow_ > 0) topRow_ = std::max(0, topRow_ - removed);
  }
  if (topRow_ >= cells_->RowCount()) topRow_ = std::max(0, lastShown_);
  // The selection stays within the shown rows; an empty grid has no selected row.
  const int last = cells_->VisibleRowCount() == 0 ? -1 : lastShown_;
  if (selectedRow_ >= last) selectedRow_ = last;
  UpdateVertScrollBar();
  Repaint();
}

void TCvGrid::InsertRow(int Row) {
  if (Row < 0 || Row > cells_->RowCount()) throw TGxListError(Row);
  EndEdit();
  cells_->RowHeight = RowSize();
  cells_->InsertRow(Row);
  LastAddedRow = Row;
  RecountShown();
  UpdateVertScrollBar();
  Repaint();
  if (selectedRow_ >= Row) SelectCell(selectedColumn_, selectedRow_ + 1, 0);
}

void TCvGrid::MoveRow(int From, int To) {
  if (!IsValidRow(From)) throw TGxListError(From);
  if (!IsValidRow(To)) throw TGxListError(To);
  EndEdit();
  cells_->MoveRow(From, To);
  RecountShown();
  Repaint();
}

void TCvGrid::AddChildRow(int Row, bool AfterDescendants) {
  if (!IsValidRow(Row)) throw TGxListError(Row);
  const bool first = cells_->GetRow(Row)->ChildCount == 0;
  const int at = Row + 1 + (AfterDescendants ? cells_->DescendantCount(Row) : 0);
  cells_->RowHeight = RowSize();
  cells_->AddChildRow(Row, at);
  LastAddedRow = at;
  RecountShown();
  if (selectedRow_ >= at) ++selectedRow_;  // the selection stays on its row
  UpdateVertScrollBar();
  if (first) RefreshCell(selectedColumn_, Row);
  Repaint();
}

void TCvGrid::AppendRows(int N) {
  if (N < 1) return;
  const bool noneShown = cells_->VisibleRowCount() == 0;
  const int before = cells_->RowCount();
  cells_->RowHeight = RowSize();
  cells_->AddRows(N);
  if (noneShown) firstShown_ = before;
  LastAddedRow = lastShown_ = cells_->RowCount() - 1;
  UpdateVertScrollBar();
  Repaint();
  if (EditCell().first >= 0 && Editor()->isVisible()) {
    const auto [c, r] = EditCell();
    const TGxRect rc = GetCellRect(c, r);
    Editor()->move(Editor()->x(), rc.Top + 1);
  }
}

void TCvGrid::SetRowExpanded(int Row, bool Expanded) {
  if (!IsValidRow(Row)) throw TGxListError(Row);
  TRow* p = cells_->GetRow(Row);
  if (p->ChildCount == 0) return;
  p->Expanded = Expanded;
  const int last = Row + cells_->DescendantCount(Row);
  // rows follow their parents: each takes its parent's state
  for (int r = Row + 1; r <= last; ++r) {
    const TRow* parent = cells_->GetRow(r)->ParentRow;
    cells_->SetRowParentsExpanded(r, parent ? parent->ParentsExpanded && parent->Expanded : true);
  }
  RecountShown();
  if (topRow_ < cells_->RowCount() && !IsRowShown(topRow_)) topRow_ = Row;
  UpdateVertScrollBar();
  Repaint();
}

void TCvGrid::SelectRowRange(int From, int To, bool Selected) {
  const int lo = std::max(0, std::min(From, To)), hi = std::min(RowCount() - 1, std::max(From, To));
  for (int r = lo; r <= hi; ++r) cells_->GetRow(r)->Selected = Selected;
  Repaint();
}

void TCvGrid::CalculateFooters() {
  TGxColumns& cols = Columns();
  const int n = RowCount();
  for (int c = 0; c < cols.ColumnCount(); ++c) {
    TGxCustomColumn* col = cols.Column(c);
    const TFormulaKind kind = col->Footer().FormulaKind();
    if (kind == fkNone) continue;
    double v = 0;
    if (n > 0) {
      switch (kind) {
        case fkAverage:
        case fkSum:
          for (int r = 0; r < n; ++r) v += cells_->GetCell(c, r)->GetAsFloat();
          if (kind == fkAverage) v /= n;
          break;
        case fkCount: v = n; break;
        case fkDistinct: {
          std::vector<WideString> seen;
          for (int r = 0; r < n; ++r) seen.push_back(cells_->GetCell(c, r)->GetAsString());
          std::sort(seen.begin(), seen.end());
          v = static_cast<double>(std::unique(seen.begin(), seen.end()) - seen.begin());
          break;
        }
        case fkMaximum:
        case fkMinimum:
          v = cells_->GetCell(c, 0)->GetAsFloat();
          for (int r = 1; r < n; ++r) {
            const double x = cells_->GetCell(c, r)->GetAsFloat();
            v = kind == fkMaximum ? std::max(v, x) : std::min(v, x);
          }
          break;
        case fkCustom:
          v = cells_->GetCell(c, 0)->GetAsFloat();
          if (OnColumnFooterValue) Guarded("OnColumnFooterValue", [&] { OnColumnFooterValue(this, c, v); });
          break;
        default: break;
      }
    }
    if (OnFooterCalculate) Guarded("OnFooterCalculate", [&] { OnFooterCalculate(this, c, v); });
    col->Footer().SetCaption(n > 0 ? gx::W(gx::FloatText(v)) : WideString(u"0"));
  }
}

// ---- row-sort routines ----

void GxGridSwapRows(TCvGrid& Grid, int A, int B) {
  const int n = Grid.RowCount();
  if (A >= n || B >= n) return;
  for (int i = 0; i < Grid.Columns().ColumnCount(); ++i) {
    WideString a, b;
    Grid.GetCellText(i, A, a);
    Grid.GetCellText(i, B, b);
    Grid.SetCellText(i, A, b);
    Grid.SetCellText(i, B, a);
  }
}

namespace {

template <class Before>
void ExchangeSort(TCvGrid& Grid, Before Less) {
  const int n = Grid.RowCount();
  for (int i = 0; i + 1 < n; ++i)
    for (int d = i + 1; d < n; ++d)
      if (Less(d, i)) GxGridSwapRows(Grid, i, d);
}

}  // namespace

void GxGridSortIntInt(TCvGrid& Grid, int A, int B) {
  ExchangeSort(Grid, [&](int d, int i) {
    const int ad = Grid.CellAt(A, d)->GetAsInteger(), ai = Grid.CellAt(A, i)->GetAsInteger();
    return ad < ai || (ad == ai && Grid.CellAt(B, d)->GetAsInteger() <
                                       Grid.CellAt(B, i)->GetAsInteger());
  });
}

void GxGridSortBoolInt(TCvGrid& Grid, int A, int B) {
  ExchangeSort(Grid, [&](int d, int i) {
    const bool ad = Grid.CellAt(A, d)->GetAsBoolean(), ai = Grid.CellAt(A, i)->GetAsBoolean();
    return (ad && !ai) || (ad == ai && Grid.CellAt(B, d)->GetAsInteger() <
                                           Grid.CellAt(B, i)->GetAsInteger());
  });
}
