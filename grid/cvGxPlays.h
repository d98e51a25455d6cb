// Cell plays: objects that react to clicks and keys inside a cell without an editor window. The
// grid fills a play with the cell (value, rectangle, column) just before it hands it a press, a
// release or a key; the play changes its value and raises OnChange. Check-box columns play with
// TCheckBoxColumnPlay; the other kinds have none.
#pragma once
#include <functional>

#include "grid/cvGxColumns.h"
#include "grid/cvGxTypes.h"

// The values and the place of one cell, as the grid writes them before each use.
struct TVirtualColElement {
  bool AsBoolean = false;
  double AsFloat = 0;
  int32_t AsInteger = 0;
  WideString AsString;
  TGxRect CellRect;
  const TGxCustomColumn* Column = nullptr;
};

// Mouse buttons of a play.
enum TGxMouseButton { mbLeft, mbRight, mbMiddle };

class TColumnPlay : public TVirtualColElement {
 public:
  virtual ~TColumnPlay() = default;
  int PlayCol = -1, PlayRow = -1;
  // The play changed the cell's value; the play asks the grid to flip a per-row state.
  std::function<void(TColumnPlay&)> OnChange, OnToggle;

  virtual void KeyPress(char16_t /*Key*/) {}
  // X and Y relative to the cell's top-left corner.
  virtual void MouseDown(TGxMouseButton, int /*Shift*/, int /*X*/, int /*Y*/) {}
  virtual void MouseUp(TGxMouseButton, int /*Shift*/, int /*X*/, int /*Y*/) {}
};

// The check box's size: 13 with visual styles, 11 without.
int CheckBoxSize();
// The check box of a column in the rectangle (margin 2, the column's alignments).
TGxRect CheckBoxRect(const TGxCustomColumn* Column, const TGxRect& Cell);

class TCheckBoxColumnPlay : public TColumnPlay {
 public:
  // Space flips the value and raises OnChange.
  void KeyPress(char16_t Key) override;
  // A release inside the box (the cell grown by 1, cell-relative) flips the value, sets the
  // text "True"/"False" and raises OnChange.
  void MouseUp(TGxMouseButton Button, int Shift, int X, int Y) override;
};
