// A small grid on the screen (offscreen) for the grid tests: text columns, empty cells, rows of
// RowSize 16, shown as a window; focus on request.
#pragma once
#include <QImage>
#include <QTest>
#include <QtWidgets/qtestsupport_widgets.h>
#include <memory>
#include <string>
#include <vector>

#include "grid/qt/cvGxGrid.h"
#include "support/QtTestApp.h"

namespace gridtest {

struct TGridFixture {
  std::unique_ptr<TCvGrid> G;
  explicit TGridFixture(int Cols = 2, int Rows = 5, int W = 300, int H = 200,
                        TGridOptions Options = Go(goGrid)) {
    testsupport::QtTestApp();
    G = std::make_unique<TCvGrid>();
    G->SetBorderStyle(bsNone);
    for (int i = 0; i < Cols; ++i) G->Columns().Add<TGxTextColumn>("Col" + std::to_string(i));
    G->SetOptions(Options);
    G->AddRows(Rows);
    G->resize(W, H);
    G->show();
    (void)QTest::qWaitForWindowExposed(G.get());
  }
  // Gives the grid the keyboard focus (its window active).
  bool Focus() {
    G->activateWindow();
    G->setFocus();
    (void)QTest::qWaitForWindowActive(G.get());
    return G->hasFocus();
  }
  QImage Render() { return G->Render(); }
};

inline QColor Px(const QImage& I, int X, int Y) { return I.pixelColor(X, Y); }

// Pixels in the rectangle whose colour is not Back.
inline int Ink(const QImage& I, const QRect& R, const QColor& Back) {
  int n = 0;
  for (int y = R.top(); y <= R.bottom(); ++y)
    for (int x = R.left(); x <= R.right(); ++x)
      if (I.pixelColor(x, y) != Back) ++n;
  return n;
}

// The bounding box of the pixels in R that differ from Back (null when none).
inline QRect InkBox(const QImage& I, const QRect& R, const QColor& Back) {
  QRect box;
  for (int y = R.top(); y <= R.bottom(); ++y)
    for (int x = R.left(); x <= R.right(); ++x)
      if (I.pixelColor(x, y) != Back) box = box.united(QRect(x, y, 1, 1));
  return box;
}

// The bounding box of the dark pixels (text ink) in R.
inline QRect DarkBox(const QImage& I, const QRect& R) {
  QRect box;
  for (int y = R.top(); y <= R.bottom(); ++y)
    for (int x = R.left(); x <= R.right(); ++x)
      if (I.pixelColor(x, y).lightness() < 140) box = box.united(QRect(x, y, 1, 1));
  return box;
}

}  // namespace gridtest
