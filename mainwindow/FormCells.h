// Small helpers of the tabs' form controls: a grid's column by name, a cell's text by column
// name (read and set), and the number of an edit's text.
#pragma once
#include <QColor>
#include <QPainter>
#include <QRect>
#include <cstdint>
#include <string>

#include "app/cvGLib.h"
#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"
#include "platform/Colors.h"

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

// The grid painter of the tabs' lists: the selected row's cells in a highlight variant of their
// colour by Step, the selected column's cell in the system highlight colour while the grid has
// the focus. Other rows keep the default drawing.
inline void ngColorize0(TFormCvGrid* G, int32_t Step, bool* Default, const QRect& R, int32_t Row,
                        int32_t Col, int32_t SelRow, int32_t SelCol) {
  if (Default) *Default = true;
  if (!G || Row < 0 || Row >= G->RowCount() || Row != SelRow) return;
  QPainter* P = G->Canvas();
  if (!P) return;
  const uint32_t C = Col == SelCol && G->hasFocus() ? platform::ColorToRGB(clHighlight)
                                                     : HighLightColor(G->GetCellColor(Col, Row), Step);
  P->fillRect(R, QColor(int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF)));
  if (Default) *Default = false;
}

// The draw-cell event's rectangle.
inline QRect CellRect(const platform::TFormEventArgs& E) {
  return QRect(QPoint(E.Left, E.Top), QPoint(E.Right - 1, E.Bottom - 1));
}

}  // namespace formcells
