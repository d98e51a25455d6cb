// The painter back-end of the canvas, as the printer and windows use it: the device's drawing
// lands where the bitmap back-end puts it (within a pixel), and the printer gets vectors.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <random>

#include "foundation/cvSayer.h"
#include "platform/qt/QtCanvas.h"
#include "plotting/cvGRADDemo.h"
#include "plotting/qt/cvGRADQt.h"

namespace {

QApplication& App() {
  static int Argc = 1;
  static char Name[] = "plottingqt";
  static char* Argv[] = {Name, nullptr};
  static QApplication A(Argc, Argv);
  static bool Installed = (InstallPlottingQt(), true);
  (void)Installed;
  return A;
}

uint32_t At(const QImage& I, int x, int y) {
  const QRgb Q = I.pixel(x, y);
  return uint32_t(qRed(Q) | qGreen(Q) << 8 | qBlue(Q) << 16);
}

// The same drawing on a bitmap canvas and on a painter canvas over a white QImage.
struct Both {
  platform::TBitmap Bm;
  QImage Img;
  explicit Both(int W, int H) : Bm(W, H), Img(W, H, QImage::Format_RGB32) {
    Img.fill(Qt::white);
  }
  template <class F>
  void Draw(F&& Fn, int Ppi = 96) {
    Bm.Canvas().Font.PixelsPerInch = Ppi;
    Fn(Bm.Canvas());
    QPainter P(&Img);
    platform::QtCanvasPainter C(P, Img.width(), Img.height());
    C.Canvas().Font.PixelsPerInch = Ppi;
    Fn(C.Canvas());
  }
  // Pixels of one that have no pixel of the same colour within one pixel in the other.
  int Unmatched(int Step = 1) const {
    auto Near = [](auto Get, int W, int H, int x, int y, uint32_t C) {
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int u = x + dx, v = y + dy;
          if (u >= 0 && v >= 0 && u < W && v < H && Get(u, v) == C) return true;
        }
      return false;
    };
    auto B = [&](int x, int y) { return Bm.Pixel(x, y); };
    auto Q = [&](int x, int y) { return At(Img, x, y); };
    int N = 0;
    for (int y = 0; y < Bm.Height(); y += Step)
      for (int x = 0; x < Bm.Width(); x += Step) {
        const uint32_t b = B(x, y), q = Q(x, y);
        if (b != 0xFFFFFF && !Near(Q, Bm.Width(), Bm.Height(), x, y, b)) ++N;
        if (q != 0xFFFFFF && !Near(B, Bm.Width(), Bm.Height(), x, y, q)) ++N;
      }
    return N;
  }
};

struct Painter : ::testing::Test {
  void SetUp() override {
    App();
    ResetSayerForTests();
    ResetPlotServices();
  }
};

TEST_F(Painter, LinesPointsFramesAndWideSegmentsLandWithinAPixel) {
  // Each scene on its own: where features overlap, a pixel's colour depends on the edge rule.
  std::mt19937 R(26);
  for (int Scene = 0; Scene < 5; ++Scene) {
    const char Bold = Scene == 1 ? '3' : Scene == 2 ? '5' : 0;
    const unsigned Seed = R();
    Both T(300, 200);
    T.Draw([&](platform::TCanvas& C) {
      std::mt19937 Q(Seed);
      TGRAF G;
      G.INIGCanvas(&C, 0);
      G.VIPOPO(1, 300, 1, 200);
      G.WINDOW(0, 299, 199, 0);
      G.SetGColor(0x0000FF);
      G.PixBold = Bold;
      if (Scene <= 2) {
        for (int i = 0; i < 12; ++i) {
          const double x1 = Q() % 300, y1 = Q() % 200, x2 = Q() % 300, y2 = Q() % 200;
          G.MOVEW(x1, y1);
          G.DRAWW(x2, y2);
        }
      } else if (Scene == 3) {
        G.PixBold = '5';
        G.PointW(150, 100);
        G.PixBold = '3';
        G.HLineW(10, 200, 20);
        G.VLineW(10, 150, 250);
        G.VIPOPO(21, 280, 21, 180);
        G.FrameView();
      } else {
        ThickSegment(C, 0x007F00, 30, 170, 260, 40, 4);
        ThickSegment(C, 0x007F00, 40, 60, 40, 140, 2.5);
        ThickSegment(C, 0x007F00, 280, 10, 200, 12, 0);
      }
      G.ENDG();
    });
    EXPECT_EQ(T.Unmatched(), 0) << "scene " << Scene;
  }
  // Frames and axis lines are exact: the same rectangles on both.
  Both F(120, 90);
  F.Draw([](platform::TCanvas& C) {
    TGRAF G;
    G.INIGCanvas(&C, 0);
    G.VIPOPO(11, 100, 11, 80);
    G.SetGColor(0);
    G.FrameView();
  });
  for (int x = 0; x < 120; ++x)
    for (int y = 0; y < 90; ++y) ASSERT_EQ(F.Bm.Pixel(x, y), At(F.Img, x, y)) << x << "," << y;
}

TEST_F(Painter, TestPageAt600DpiMatchesTheBitmapPage) {
  // A printer page of 2400 x 1800 pixels (101.6 x 76.2 mm): bound as the printer, fonts at
  // 600 dots per inch on both back-ends.
  Both T(2400, 1800);
  double MmX = 0;
  T.Draw(
      [&](platform::TCanvas& C) {
        TGRAF G;
        DrawTestPage(G, C, true);
        MmX = G.PageMmX;
      },
      600);
  EXPECT_NEAR(MmX, 101.6, 1e-9);
  int Painted = 0;
  for (int y = 0; y < 1800; y += 4)
    for (int x = 0; x < 2400; x += 4) Painted += T.Bm.Pixel(x, y) != 0xFFFFFF;
  ASSERT_GT(Painted, 2000);
  EXPECT_EQ(T.Unmatched(), 0);
}

TEST_F(Painter, ShadeBitmapReachesAPainterCanvasAtTheEnd) {
  // A window's paint event: the device draws into the shade bitmap, ENDG copies it over.
  QImage Img(200, 100, QImage::Format_RGB32);
  Img.fill(Qt::white);
  QPainter P(&Img);
  platform::QtCanvasPainter C(P, 200, 100);
  TGRAF G;
  G.INIGCanvas(&C.Canvas(), 0);
  G.ShadeOn();
  ASSERT_TRUE(G.Shade);
  ASSERT_TRUE(G.ShadeBMP);
  G.VIPOPO(1, 200, 1, 100);
  G.WINDOW(0, 199, 99, 0);
  G.SetGColor(0x0000FF);
  G.PixBold = '3';
  G.PointW(50, 50);
  EXPECT_EQ(At(Img, 50, 50), 0xFFFFFFu);
  G.ENDG();
  EXPECT_EQ(At(Img, 50, 50), 0x0000FFu);
  EXPECT_EQ(At(Img, 51, 51), 0x0000FFu);
  EXPECT_EQ(At(Img, 53, 50), 0xFFFFFFu);
}

TEST_F(Painter, PdfPrinterGetsVectorsNotABitmap) {
  QTemporaryDir Dir;
  QPrinter P(QPrinter::HighResolution);
  P.setOutputFormat(QPrinter::PdfFormat);
  P.setOutputFileName(Dir.filePath("page.pdf"));
  P.setPageSize(QPageSize(QPageSize::A4));
  P.setPageMargins(QMarginsF(0, 0, 0, 0));
  platform::TCanvas* Used = nullptr;
  ASSERT_TRUE(PrintPage(P, [&](platform::TCanvas& C) {
    Used = &C;
    TGRAF G;
    DrawTestPage(G, C, true);
    EXPECT_NEAR(G.PageMmX, 210, 0.2);
    EXPECT_EQ(C.Font.PixelsPerInch, 600);
  }));
  ASSERT_TRUE(Used);
  QFile F(Dir.filePath("page.pdf"));
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  const QByteArray Pdf = F.readAll();
  EXPECT_TRUE(Pdf.startsWith("%PDF"));
  EXPECT_FALSE(Pdf.contains("/Subtype /Image"));   // no picture of the page
  EXPECT_TRUE(Pdf.contains("/FontFile"));          // text as text
  EXPECT_LT(Pdf.size(), 2'000'000);
}

TEST_F(Painter, InigPrinterOpensAPageThatEndgOutputs) {
  QTemporaryDir Dir;
  const QString File = Dir.filePath("endg.pdf");
  QPrinter P(QPrinter::HighResolution);
  P.setOutputFormat(QPrinter::PdfFormat);
  P.setOutputFileName(File);
  P.setPageSize(QPageSize(QPageSize::A5));
  P.setPageMargins(QMarginsF(0, 0, 0, 0));
  TGRAF G;
  // No printer: fatal.
  SetDevicePrinter(nullptr);
  EXPECT_THROW(G.INIGPrinter(), std::exception);
  SetDevicePrinter(&P);
  G.INIGPrinter();
  EXPECT_EQ(G.DeviceName, "PRINTER");
  EXPECT_NEAR(G.PageMmX, 148, 0.2);
  EXPECT_TRUE(G.PrnOpen);
  G.VIPOMM(10, 138, 200, 10);
  G.WINDOW(0, 1, 0, 1);
  G.FrameView();
  G.ENDG();
  EXPECT_FALSE(G.PrnOpen);
  SetDevicePrinter(nullptr);
  QFile F(File);
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  EXPECT_TRUE(F.readAll().startsWith("%PDF"));
}

}  // namespace
