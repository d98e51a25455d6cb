// The framed control's self-drawn bar: thumb placement and dragging, buttons and track pages
// with their repeat timers, and a bar without range.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <QtWidgets/qtestsupport_widgets.h>

#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxScroll.h"
#include "support/QtTestApp.h"

namespace {

struct BarFixture {
  QApplication* App = testsupport::QtTestApp();
  TGxControl C;
  BarFixture() {
    C.resize(120, 200);
    C.show();
    (void)QTest::qWaitForWindowExposed(&C);
    C.PlaceBar();
  }
  void Press(QPoint P) { QTest::mousePress(C.viewport(), Qt::LeftButton, {}, P); }
  void Release(QPoint P) { QTest::mouseRelease(C.viewport(), Qt::LeftButton, {}, P); }
};

TEST(GridSelfDrawnBar, ThumbFollowsThePositionAndDragsBack) {
  BarFixture f;
  TGxVertScrollBar& b = f.C.VertScrollBar();
  EXPECT_FALSE(b.BarVisible);
  EXPECT_TRUE(b.ThumbRect().isNull());
  b.SetScrollMax(20);
  b.SetThumbLength(3);
  EXPECT_EQ(b.ThumbLength, 8);
  EXPECT_TRUE(b.BarVisible);
  const int bs = b.ButtonSize();
  EXPECT_EQ(b.Top, 2);
  EXPECT_EQ(b.Height, 196);
  EXPECT_EQ(f.C.ContentRect(), QRect(2, 2, 116 - bs, 196));
  const int track = 196 - 2 * bs;
  b.SetScrollPos(10);
  EXPECT_EQ(b.ThumbRect().top(),
            static_cast<int>(std::nearbyint(10.0 * (track - 8) / 20)) + bs + 2);
  EXPECT_EQ(b.PositionAt(bs + 2), 0);
  EXPECT_EQ(b.PositionAt(bs + 2 + track), 20);
  // drag the thumb to the end
  const QPoint thumb = b.ThumbRect().center();
  f.Press(thumb);
  EXPECT_TRUE(b.ThumbState & TGxVertScrollBar::psPressed);
  b.MouseMoved(thumb.x(), bs + 2 + track);
  EXPECT_EQ(b.ScrollPos, 20);
  f.Release(thumb);
  EXPECT_EQ(b.ThumbState & TGxVertScrollBar::psPressed, 0);
}

TEST(GridSelfDrawnBar, ButtonsAndTrackStepAndRepeat) {
  BarFixture f;
  TGxVertScrollBar& b = f.C.VertScrollBar();
  b.SetScrollMax(50);
  b.PageStep = 7;
  b.SetScrollPos(10);
  f.Press(b.ForwardButton().center());
  EXPECT_EQ(b.ScrollPos, 11);
  EXPECT_EQ(f.C.Pressed(), TGxControl::prLineDown);
  EXPECT_TRUE(f.C.DelayTimer().isActive());
  EXPECT_EQ(f.C.DelayTimer().interval(), 300);
  EXPECT_EQ(f.C.RepeatTimer().interval(), 50);
  f.Release(b.ForwardButton().center());
  EXPECT_FALSE(f.C.DelayTimer().isActive());
  EXPECT_FALSE(f.C.RepeatTimer().isActive());
  f.Press(b.BackButton().center());
  EXPECT_EQ(b.ScrollPos, 10);
  f.Release(b.BackButton().center());
  const QRect t = b.ThumbRect();
  f.Press(QPoint(t.center().x(), t.bottom() + 5));  // the track below the thumb
  EXPECT_EQ(b.ScrollPos, 17);
  f.Release(QPoint(t.center().x(), t.bottom() + 5));
  f.Press(QPoint(t.center().x(), b.BackButton().bottom() + 2));  // above it
  EXPECT_EQ(b.ScrollPos, 10);
  f.Release(QPoint(t.center().x(), b.BackButton().bottom() + 2));
  // painting both looks leaves the content's frame
  for (bool themes : {false, true}) {
    SetThemesActive(themes);
    const QImage img = f.C.viewport()->grab().toImage();
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_NE(img.pixelColor(b.ThumbRect().center()), img.pixelColor(5, 5));
  }
  SetThemesActive(false);
}

}  // namespace
