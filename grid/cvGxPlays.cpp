// Cell plays.
#include "grid/cvGxPlays.h"

#include "grid/cvGxDraw.h"

int CheckBoxSize() { return ThemesActive() ? 13 : 11; }

TGxRect CheckBoxRect(const TGxCustomColumn* Column, const TGxRect& Cell) {
  const int s = CheckBoxSize();
  int h = 0, v = 2;
  if (Column) {
    h = Column->Alignment() == taRightJustify ? 1 : (Column->Alignment() == taCenter ? 2 : 0);
    v = Column->VerticalAlignment() == taAlignTop ? 0
        : Column->VerticalAlignment() == taAlignBottom ? 1 : 2;
  }
  TGxPoint p;
  TCalcProvider::AlignInRect(s, s, p, v, h, Cell, 2);
  return {p.X, p.Y, p.X + s, p.Y + s};
}

void TCheckBoxColumnPlay::KeyPress(char16_t Key) {
  if (Key != u' ') return;
  AsBoolean = !AsBoolean;
  AsString = AsBoolean ? u"True" : u"False";
  if (OnChange) OnChange(*this);
}

void TCheckBoxColumnPlay::MouseUp(TGxMouseButton, int, int X, int Y) {
  const TGxRect grown{CellRect.Left - 1, CellRect.Top - 1, CellRect.Right + 1,
                      CellRect.Bottom + 1};
  const TGxRect r = CheckBoxRect(Column, grown);
  const int x = X + CellRect.Left, y = Y + CellRect.Top;
  if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) return;
  AsBoolean = !AsBoolean;
  AsString = AsBoolean ? u"True" : u"False";
  if (OnChange) OnChange(*this);
}
