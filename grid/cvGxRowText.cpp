#include "grid/cvGxRowText.h"

#include <algorithm>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

std::string CellWord(TCell* C) {
  std::string t = TrimSp(C ? C->GetAsText() : std::string());
  std::replace(t.begin(), t.end(), ' ', '_');
  if (t == "True") return "1";
  if (t == "False") return "0";
  return t;
}

}  // namespace

std::string GridRowText(TCells& Cells, int Row) {
  std::string s;
  for (int c = 0; c < Cells.ColCount(); ++c) s += " " + CellWord(Cells.GetCell(c, Row));
  return s;
}

void GridToSL(TGxColumns& Columns, TCells& Cells, TStringList& SL) {
  std::vector<int> cols;
  std::string head;
  for (int i = 0; i < Columns.ColumnCount() && i < Cells.ColCount(); ++i) {
    TGxCustomColumn* c = Columns.Column(i);
    if (!c->Visible()) continue;
    cols.push_back(i);
    std::string t = TrimSp(gx::A(c->Header().Caption()));
    std::replace(t.begin(), t.end(), ' ', '_');
    head += " " + t;
  }
  SL.Add(head);
  for (int r = 0; r < Cells.RowCount(); ++r) {
    std::string s;
    for (int c : cols) {
      const std::string w = CellWord(Cells.GetCell(c, r));
      s += " " + (w.empty() ? std::string("-") : w);
    }
    SL.Add(s);
  }
}

bool SL2Any_ng(TCells* Cells, const TStringList* SL) {
  if (!Cells) {
    WARNAbs("SL2Any_ng ng Not Assigned!");
    return false;
  }
  if (!SL) {
    WARNAbs("SL2Any_ng SL Not Assigned!");
    return false;
  }
  if (SL->Count() == 0) {
    WARNAbs("SL2Any_ng SL is Empty!");
    return false;
  }
  const int n = Cells->ColCount();
  const int words = WordCount((*SL)[0]);
  if (words != n) {
    WARNAbs("SL2Any_ng колонок в ng "_cp + IntStr(n) + " слов в строке SL "_cp + IntStr(words));
    return false;
  }
  for (int l = 0; l < SL->Count(); ++l) {
    const std::string& line = (*SL)[l];
    const int r = Cells->RowCount();
    Cells->AddRows(1);
    for (int c = 0; c < n; ++c) {
      const std::string w = WordN(line, c + 1);
      TCell* cell = Cells->GetCell(c, r);
      if (dynamic_cast<TBooleanCell*>(cell))
        cell->SetAsBoolean(w == "1" || gx::LowerCp1251(w) == "true");
      else
        cell->SetAsText(w);
    }
  }
  return true;
}
