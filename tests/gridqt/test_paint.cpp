// Drawing routines on QPainter: text-box placement, button faces, gradients, alpha images and
// the themed drawing switch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QToolTip>
#include <QWidget>

#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"
#include "support/QtTestApp.h"

namespace {

QApplication* QtApp() { return testsupport::QtTestApp(); }

// Rows of the image that hold a pixel other than white.
std::pair<int, int> InkRows(const QImage& img) {
  int top = -1, bottom = -1;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) != qRgb(255, 255, 255)) {
        if (top < 0) top = y;
        bottom = y;
        break;
      }
  return {top, bottom};
}

TEST(GridPaint, WordWrappedTextBoxPlacedByItsBoundingBox) {
  QtApp();
  const QString text = "several words that cannot stand on one short line";
  const QRect r(0, 0, 80, 200);
  int prevTop = -1;
  for (TVerticalAlignment v : {taAlignTop, taVerticalCenter, taAlignBottom}) {
    QImage img(80, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const QRect box = TGxPaint::TextBoxRect(p, r, text, true, v, taLeftJustify);
    TGxPaint::DrawTextBox(p, r, false, text, true, v, taLeftJustify);
    p.end();
    const auto [top, bottom] = InkRows(img);
    ASSERT_GE(top, 0);
    EXPECT_GT(box.height(), 2 * QFontMetrics(QApplication::font()).height() - 1);  // wrapped
    EXPECT_GE(top, box.top());
    EXPECT_LE(bottom, box.bottom());
    if (v == taAlignTop) {
      EXPECT_EQ(box.top(), 0);
    } else if (v == taAlignBottom) {
      EXPECT_EQ(box.bottom(), r.bottom());
    } else {
      EXPECT_NEAR(box.center().y(), r.center().y(), 1);
    }
    EXPECT_GT(top, prevTop);
    prevTop = top;
  }
}

TEST(GridPaint, VerticalTextStandsUpright) {
  QtApp();
  QImage img(30, 120, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  TGxPaint::DrawVerticalText(p, QRect(0, 0, 30, 120), "Vertical");
  p.end();
  int left = 30, right = -1;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 30; ++x)
      if (img.pixel(x, y) != qRgb(255, 255, 255)) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  const auto [top, bottom] = InkRows(img);
  ASSERT_GE(right, 0);
  EXPECT_GT(bottom - top, 2 * (right - left));  // taller than wide
  EXPECT_GT(bottom, 60);                         // starts at the bottom
}

TEST(GridPaint, ButtonFaceAndFocusFrame) {
  QtApp();
  QImage img(20, 10, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  TGxPaint::DrawButtonFace(p, QRect(0, 0, 20, 10), true);
  p.end();
  EXPECT_EQ(img.pixelColor(5, 5), GxColor(clBtnFace));
  EXPECT_EQ(img.pixelColor(5, 0), GxColor(0xFF000014));  // clBtnHighlight
  EXPECT_EQ(img.pixelColor(5, 9), GxColor(clWindowFrame));
  EXPECT_EQ(img.pixelColor(19, 5), GxColor(clWindowFrame));

  img.fill(Qt::white);
  QPainter q(&img);
  TGxPaint::DrawFocusFrame(q, QRect(2, 2, 10, 6), true);
  q.end();
  EXPECT_EQ(img.pixelColor(2, 4), GxColor(clHighlight));
  EXPECT_EQ(img.pixelColor(11, 4), GxColor(clHighlight));
  EXPECT_EQ(img.pixelColor(5, 4), QColor(Qt::white));
}

TEST(GridPaint, VerticalGradientAndClip) {
  QtApp();
  QImage img(4, 8, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  TGxPaint::SetClipRect(p, QRect(0, 0, 2, 8));
  TGxPaint::DrawVerticalGradient(p, QRect(0, 0, 4, 8), clBlack, clWhite);
  p.end();
  EXPECT_EQ(img.pixelColor(0, 0), QColor(0, 0, 0));
  EXPECT_EQ(img.pixelColor(1, 4), QColor(128, 128, 128));  // round(0.5 * 255) halves to even
  EXPECT_EQ(img.pixelColor(3, 4), QColor(Qt::white));      // clipped
}

TEST(GridPaint, AlphaImages) {
  QtApp();
  QImage src(2, 1, QImage::Format_ARGB32);
  src.setPixel(0, 0, qRgba(200, 100, 0, 255));
  src.setPixel(1, 0, qRgba(200, 100, 0, 0));
  QImage t(3, 1, QImage::Format_RGB32);
  t.fill(QColor(100, 100, 100));
  TGxPaint::DrawGraphic(t, 1, 0, src);
  EXPECT_EQ(t.pixelColor(0, 0), QColor(100, 100, 100));
  EXPECT_EQ(t.pixelColor(1, 0), QColor(200, 100, 0));
  EXPECT_EQ(t.pixelColor(2, 0), QColor(100, 100, 100));
  t.fill(QColor(100, 100, 100));
  TGxPaint::DrawAlphaGraphic(t, 0, 0, src);
  EXPECT_EQ(t.pixelColor(0, 0), QColor(199, 99, 0));  // BlendColor: (255*s + 0*d) div 256
  EXPECT_EQ(t.pixelColor(1, 0), QColor(99, 99, 99));
}

TEST(GridPaint, HintsAndActiveForm) {
  QtApp();
  QWidget form, other;
  auto* child = new QWidget(&form);
  form.show();
  other.show();
  QApplication::setActiveWindow(&form);
  EXPECT_TRUE(ParentFormActive(child));
  EXPECT_FALSE(ParentFormActive(&other));
  EXPECT_FALSE(ParentFormActive(nullptr));
  ActivateHintWide(&form, QRect(10, 10, 50, 16), QString::fromUtf8("Подсказка"));
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("Подсказка"));
  ReleaseHintWindow();
  QApplication::processEvents();
  EXPECT_FALSE(QToolTip::isVisible());
}

TEST(GridPaint, ThemedDrawingOnlyWhileThemesAreOn) {
  QtApp();
  QWidget w;
  w.resize(40, 20);
  for (bool on : {false, true}) {
    SetThemesActive(on);
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const bool drawn = TGxPaint::DrawThemed(&w, p, QRect(0, 0, 40, 20), 0, 1, "button");
    p.end();
    EXPECT_EQ(drawn, on);
    EXPECT_EQ(InkRows(img).first >= 0, on);
    if (on) {
      QPainter q(&img);
      EXPECT_FALSE(TGxPaint::DrawThemed(&w, q, QRect(0, 0, 4, 4), 0, 1, "nosuchclass"));
    }
  }
  SetThemesActive(false);
}

}  // namespace
