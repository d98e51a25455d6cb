// A grid without a window: the column collection and the row store joined as the grid joins
// them (columns added and removed keep the store in step, a sort report sorts the rows), with the
// notifications recorded. Console journeys and tests use it; the windowed grid answers the same
// notifications by repainting as well.
#pragma once
#include <string>
#include <vector>

#include "grid/cvGxCells.h"
#include "grid/cvGxColumns.h"

class TGxHeadlessGrid : public TGxColumnsHost, public TCellsGrid {
 public:
  TGxHeadlessGrid();
  ~TGxHeadlessGrid() override;

  // One recorded notification.
  struct TEvent {
    std::string What;  // "change", "before", "after", "refresh"
    int Column = -1;   // column index (or the index of the before/after events)
    int Kind = 0;      // change kind, operation or refreshed part
    int Param = 0;
  };

  TGxColumns Columns;
  TCells Cells;
  std::vector<TEvent> Events;

  int Width = 400;         // client width
  bool Indicator = false;  // indicator column shown
  bool ReadingForm = false;
  // Average character width of the text measure.
  int CharWidth = 7;

  // The grid being read from the form: columns join the creation order; EndRead places each by
  // its Position, lays out and auto-sizes.
  void BeginRead() { ReadingForm = true; }
  void EndRead();

  // Sorts the rows by a column as the grid does on a sort report.
  void SortColumn(TGxCustomColumn* Column, bool Ascending);
  // The draw text of a cell (through the column's display text).
  WideString DrawText(int Col, int Row);
  // The table as text lines: the header captions and one line per row, visible columns in
  // display order, each padded to its width in characters (UTF-8).
  std::vector<std::string> Print();

  int ClientWidth() override { return Width; }
  bool IndicatorShown() override { return Indicator; }
  bool Reading() override { return ReadingForm; }
  void ColumnChange(TGxCustomColumn* Column, TGxColumnChange Kind, int Param) override;
  void BeforeChange(TGxColumnsOperation Op, int Index) override;
  void AfterChange(TGxColumnsOperation Op, int Index) override;
  void RefreshColumn(TGxCustomColumn* Column, TGxColumnPart Part) override;
  int TextWidth(const TGxFont& Font, const WideString& Text) override;
  bool Destroying() override { return destroying_; }
  uint32_t DisplayColor(int Col, int Row) override;
  uint32_t DisplayTextColor(int Col, int Row) override;

 private:
  bool destroying_ = false;
};
