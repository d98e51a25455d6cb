// Small helpers of the tabs' form controls: a grid's column by name, a cell's text by column
// name (read and set), and the number of an edit's text.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"

namespace formcells {

// The creation index of a column (-1: no such column).
inline int Col(TFormCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? G->Columns().IndexOf(c) : -1;
}

// The text of a cell ("" outside the grid or without the column).
inline std::string CellText(TFormCvGrid* G, const char* Column, int R) {
  const int c = Col(G, Column);
  TCell* cell = c >= 0 ? G->Cell(c, R) : nullptr;
  return cell ? cell->GetAsText() : std::string();
}

// A cell's text set (nothing without the column).
inline void SetCell(TFormCvGrid* G, const char* Column, int R, const std::string& Text) {
  const int c = Col(G, Column);
  if (c >= 0) G->CellAt(c, R)->SetAsText(Text);
}

// A number of a text without blanks at its ends; false for an empty text or one that is no
// number.
inline bool ReadInt(const std::string& S, int32_t& V) {
  const std::string t = TrimCtl(S);
  if (t.empty()) return false;
  int32_t code = 0;
  V = ValIntCode(t, code);
  return code == 0;
}
inline bool ReadReal(const std::string& S, double& V) {
  const std::string t = TrimCtl(S);
  if (t.empty()) return false;
  int32_t code = 0;
  V = ValRealCode(t, code);
  return code == 0;
}

}  // namespace formcells
