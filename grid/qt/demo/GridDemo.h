// The grid demo: a window with one grid of text, number, check-box, list and combo-box columns
// filled with numbered rows. The demo program shows it; the journey test drives it offscreen.
#pragma once
#include <QWidget>

class QPlainTextEdit;
class TCvGrid;

namespace griddemo {

// Column indexes of the demo grid.
enum { colName, colValue, colOn, colOrder, colMode };

// The window holds the grid and, below it, the event log: one line per grid event, in order
// ("SelectCell 1,4", "HeaderClick 0", "AfterEdit 1,4 15", ...).
struct TGridDemo {
  QWidget* Window = nullptr;  // owns the grid and the log
  TCvGrid* Grid = nullptr;
  QPlainTextEdit* Log = nullptr;
};

// Row r: name "Row NNNNN" (r + 1, five digits), value r * 0.25, checked every third row
// (r % 3 == 0), order item r % 2 ("ASC", "DESC"), mode item r % 3.
TGridDemo MakeGridDemo(int Rows = 10000);
void FillRows(TCvGrid& Grid, int Rows);

}  // namespace griddemo
