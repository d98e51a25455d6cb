// Column displays: the objects that draw (and measure) the content of a column's cells. The grid
// fills a display with the cell (values, text, rectangle, canvas) just before each use: text
// columns draw with TTextColumnDisplay, number columns with TNumberColumnDisplay, strings, list
// and combo-box columns with TStringsColumnDisplay, check-box columns with
// TCheckBoxColumnDisplay. Displays keep no state between uses.
#pragma once
#include <QPainter>
#include <QRect>
#include <QString>

#include "grid/cvGxCells.h"
#include "grid/cvGxPlays.h"

class QWidget;

class TColumnDisplay : public TVirtualColElement {
 public:
  virtual ~TColumnDisplay() = default;
  QPainter* Canvas = nullptr;
  QWidget* ThemeWindow = nullptr;
  // The cell's value record (its AsString already passed through the program's OnApplyCell).
  TCellInfo Info;
  uint32_t HighlightedTextColor = 0;
  // The cell is the grid's selected cell.
  bool SelectedCell = false;

  // The cell rectangle less 2 pixels at the left and the right.
  virtual QRect GetTextRect();
  // Draws with a clear brush by the column's flags (no prefix, alignments, wrap kind).
  virtual void DrawText(const QString& Text, const QRect& R);
  // A red triangle in the cell's top-right corner.
  virtual void DrawHintMark();
  // The width the content needs (no ellipsis).
  virtual int MeasureText();
  virtual void Paint();
  // Fills the cell rectangle with the colour, or only frames it.
  void FillCellRect(uint32_t Color, bool Fill);
  // The text the display draws for the cell.
  virtual QString DisplayText();
  QRect CellQRect() const { return QRect(CellRect.Left, CellRect.Top, CellRect.Width(),
                                         CellRect.Height()); }
  // The width of the text with the canvas font.
  int TextWidthOf(const QString& Text) const;
};

class TTextColumnDisplay : public TColumnDisplay {};

class TNumberColumnDisplay : public TColumnDisplay {};

class TStringsColumnDisplay : public TColumnDisplay {
 public:
  QRect GetTextRect() override;
  void Paint() override;
  int MeasureText() override;
};

class TCheckBoxColumnDisplay : public TColumnDisplay {
 public:
  void Paint() override;
  int MeasureText() override;
  void DrawCheckBox(const QRect& R, bool Checked, bool Pressed, bool Hot);
};
