// The GIF codec's Qt part: QImage both ways, clipboard data, picture files through the codec,
// transparent stretched drawing.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include "plotting/gif/qt/GifQt.h"

namespace {
TDib Pattern() {
  TDib D(6, 4, 8);
  for (int i = 0; i < 256; ++i) D.Palette[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(255 - i), 7, 0};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) D.SetIndex(x, y, uint32_t(x * 10 + y));
  return D;
}
}  // namespace

TEST(GifQt, ImagesClipboardFilesAndDrawing) {
  const TDib D = Pattern();
  const QImage I = gifqt::ToQImage(D);
  ASSERT_EQ(I.format(), QImage::Format_Indexed8);
  EXPECT_EQ(I.pixel(3, 2), qRgb(7, 255 - 32, 32));
  const TDib Back = gifqt::FromQImage(I.convertToFormat(QImage::Format_RGB32));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Back.Pixel(x, y), D.Pixel(x, y));

  TCvGIF G;
  G.AddFrame(D);
  G.AddFrame(D);
  QMimeData M;
  ASSERT_TRUE(gifqt::FillMimeData(G, M));
  EXPECT_TRUE(M.hasFormat(gifqt::kGifImageMime));
  EXPECT_TRUE(M.hasFormat("image/gif"));
  EXPECT_TRUE(M.hasImage());
  const QByteArray P = M.data(gifqt::kGifImageMime);
  EXPECT_EQ(P.size() - 4, M.data("image/gif").size());
  EXPECT_EQ(M.data("image/gif").left(6), QByteArray("GIF89a"));
  TCvGIF C;
  ASSERT_TRUE(gifqt::LoadMimeData(C, M));
  EXPECT_EQ(C.FrameCount(), 2);

  QTemporaryDir T;
  const QString File = T.filePath("p.gif");
  ASSERT_TRUE(gifqt::SavePicture(I, File));
  QImage L;
  ASSERT_TRUE(gifqt::LoadPicture(File, L));
  EXPECT_EQ(L.pixel(3, 2), I.pixel(3, 2));
  QFile F(T.filePath("bad.gif"));
  F.open(QIODevice::WriteOnly);
  F.write("GIF90a");
  F.close();
  QString Error;
  EXPECT_FALSE(gifqt::LoadPicture(T.filePath("bad.gif"), L, &Error));
  EXPECT_EQ(Error, "Not a GIF file");

  // Drawn twice as large, the transparent colour's pixels leave the background.
  QImage Canvas(12, 8, QImage::Format_RGB32);
  Canvas.fill(qRgb(1, 2, 3));
  QPainter Painter(&Canvas);
  gifqt::DrawTransparentStretched(Painter, D, D.Pixel(0, 0), QRect(0, 0, 12, 8));
  Painter.end();
  EXPECT_EQ(Canvas.pixel(0, 0), qRgb(1, 2, 3));
  EXPECT_EQ(Canvas.pixel(7, 5), D.Pixel(3, 2) == D.Pixel(0, 0) ? qRgb(1, 2, 3) : I.pixel(3, 2));
}
