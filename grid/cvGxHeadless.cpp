// The grid without a window.
#include "grid/cvGxHeadless.h"

#include <algorithm>

TGxHeadlessGrid::TGxHeadlessGrid() : Columns(this), Cells(&Columns, this) {}

TGxHeadlessGrid::~TGxHeadlessGrid() { destroying_ = true; }

void TGxHeadlessGrid::EndRead() {
  ReadingForm = false;
  for (int i = 0; i < Columns.ColumnCount(); ++i) Columns.ColumnRead(Columns.Column(i));
  Columns.Layout(false);
  Columns.AutoSize(nullptr, true);
}

void TGxHeadlessGrid::SortColumn(TGxCustomColumn* Column, bool Ascending) {
  Cells.Sort(Column->Index(), Column->SortType(), !Ascending);
}

void TGxHeadlessGrid::ColumnChange(TGxCustomColumn* Column, TGxColumnChange Kind, int Param) {
  Events.push_back({"change", Column->Index(), Kind, Param});
  const bool sort = Kind == chSort || (Kind == chSortOrder && Column->Sorted());
  if (sort && Column->HasOption(coCanSort))
    SortColumn(Column, Column->SortKind() == skAscending);
}

void TGxHeadlessGrid::BeforeChange(TGxColumnsOperation Op, int Index) {
  Events.push_back({"before", Index, Op, 0});
  if (Op == opRemove) Cells.ColumnsChanged(TCells::ccDelete, Index);
}

void TGxHeadlessGrid::AfterChange(TGxColumnsOperation Op, int Index) {
  Events.push_back({"after", Index, Op, 0});
  if (Op == opAdd) Cells.ColumnsChanged(TCells::ccAdd);
}

void TGxHeadlessGrid::RefreshColumn(TGxCustomColumn* Column, TGxColumnPart Part) {
  Events.push_back({"refresh", Column->Index(), Part, 0});
}

int TGxHeadlessGrid::TextWidth(const TGxFont&, const WideString& Text) {
  return CharWidth * static_cast<int>(Text.size());
}

uint32_t TGxHeadlessGrid::DisplayColor(int Col, int Row) {
  return Cells.GetCell(Col, Row)->Color();
}

uint32_t TGxHeadlessGrid::DisplayTextColor(int, int) { return 0xFF000008; }

WideString TGxHeadlessGrid::DrawText(int Col, int Row) {
  return Columns.Column(Col)->GetDrawText(Cells.GetCellInfo(Col, Row));
}

std::vector<std::string> TGxHeadlessGrid::Print() {
  std::vector<TGxCustomColumn*> cols;
  for (int i = 0; i < Columns.ColumnCount(); ++i)
    if (Columns.ColumnAtPosition(i)->Visible()) cols.push_back(Columns.ColumnAtPosition(i));
  auto line = [&](auto text) {
    std::string s;
    for (size_t k = 0; k < cols.size(); ++k) {
      const WideString t = text(cols[k]);
      const size_t w = std::max<size_t>(1, static_cast<size_t>(cols[k]->Width() / CharWidth));
      const bool right = cols[k]->Alignment() == taRightJustify;
      const WideString pad(t.size() < w ? w - t.size() : 0, u' ');
      if (k) s += " ";
      s += gx::ToUtf8(right ? pad + t : t + pad);
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  };
  std::vector<std::string> out;
  out.push_back(line([](TGxCustomColumn* c) { return c->Header().Caption(); }));
  for (int r = 0; r < Cells.RowCount(); ++r)
    out.push_back(line([&](TGxCustomColumn* c) { return DrawText(c->Index(), r); }));
  return out;
}
