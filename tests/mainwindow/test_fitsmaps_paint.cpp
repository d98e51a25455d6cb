// The FITS tab's map list and sessions grid paint the current row's cells in a highlight
// colour, as the Graf tab's graph list does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/support/ProgramEnv.h"

namespace {

class FITSListPaint : public mwtest::ProgramTest {};

// The colour of the grab at the middle of the first y of row R (x at the middle of the grid).
QRgb RowPixel(TCvGrid* G, const QImage& Img, int R) {
  for (int y = 0; y < G->height(); ++y)
    if (G->RowAtY(y) == R) return Img.pixel(G->width() / 3, y + 3);
  ADD_FAILURE() << "row " << R << " not shown";
  return 0;
}

TEST_F(FITSListPaint, CurrentRowHighlighted) {
  Corvesta->resize(1600, 900);
  Corvesta->ShowPage("TabFITS");
  QApplication::processEvents();
  TTabFITS& T = Corvesta->FITSTab();
  struct Case {
    TCvGrid* g;
    int32_t* row;
    int32_t* col;
  } cases[] = {{T.ngFIO, &T.FIORow, &T.FIOCol}, {T.ngFITS_YM, &T.YMRow, &T.YMCol}};
  for (const Case& c : cases) {
    c.g->ClearRows();
    c.g->AddRows(3);
    *c.row = 1;
    *c.col = -1;
    c.g->update();
    QApplication::processEvents();
    const QImage img = c.g->grab().toImage();
    const QRgb r0 = RowPixel(c.g, img, 0), r1 = RowPixel(c.g, img, 1), r2 = RowPixel(c.g, img, 2);
    EXPECT_EQ(r0, r2) << c.g->objectName().toStdString();
    EXPECT_NE(r0, r1) << c.g->objectName().toStdString();
    // no current row: every row in its own colour
    *c.row = -1;
    c.g->update();
    QApplication::processEvents();
    const QImage plain = c.g->grab().toImage();
    EXPECT_EQ(RowPixel(c.g, plain, 1), r0);
  }
}

}  // namespace
