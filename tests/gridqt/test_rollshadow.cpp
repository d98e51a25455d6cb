// The roll indicator: placement, shape (only the arrow heads and the dot exist) and paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "grid/qt/cvGxFlyout.h"
#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"
#include "support/QtTestApp.h"

namespace {

QApplication* QtApp() { return testsupport::QtTestApp(); }

TEST(GridRollShadow, ShowAtPlacesTheWindowAndShape) {
  QtApp();
  TRollShadow r;
  r.ShowAt(QPoint(100, 200));
  EXPECT_EQ(r.geometry(), QRect(93, 189, 32, 32));
  EXPECT_EQ(r.Anchor(), QPoint(100, 200));
  EXPECT_TRUE(r.isWindow());
  EXPECT_TRUE(r.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(r.windowFlags() & Qt::WindowStaysOnTopHint);
  r.show();
  EXPECT_TRUE(r.isVisible());

  const QRegion m = r.mask();
  // Upper arrow head, lower arrow head and the dot are there.
  for (QPoint p : {QPoint(7, 2), QPoint(4, 5), QPoint(10, 5), QPoint(6, 17), QPoint(2, 15),
                   QPoint(7, 11)})
    EXPECT_TRUE(m.contains(p)) << p.x() << "," << p.y();
  // Everything else of the 32 x 32 window is not: the gaps between the figures, beside them and
  // the far corner.
  for (QPoint p : {QPoint(1, 10), QPoint(12, 11), QPoint(20, 5), QPoint(31, 31), QPoint(7, 24),
                   QPoint(0, 0), QPoint(14, 0)})
    EXPECT_FALSE(m.contains(p)) << p.x() << "," << p.y();
  // Hit-testing follows the shape: only points inside the mask belong to the window.
  EXPECT_EQ(r.childAt(7, 11), nullptr);
  EXPECT_TRUE(r.mask().boundingRect().width() <= 16);

  // The painted window is clGrayText where the shape is.
  QImage img(32, 32, QImage::Format_RGB32);
  img.fill(Qt::white);
  r.render(&img, QPoint(), r.mask());
  EXPECT_EQ(img.pixelColor(7, 11), GxColor(clGrayText));
  EXPECT_EQ(img.pixelColor(7, 3), GxColor(clGrayText));
  EXPECT_EQ(img.pixelColor(20, 20), QColor(Qt::white));
  r.hide();
}

TEST(GridRollShadow, ApplyingTheShapeAgainReplacesIt) {
  QtApp();
  TRollShadow r;
  r.setMask(QRegion(0, 0, 32, 32));
  r.ShowAt(QPoint(0, 0));
  EXPECT_EQ(r.mask(), TRollShadow::Shape());
  EXPECT_EQ(r.pos(), QPoint(-7, -11));
}

}  // namespace
