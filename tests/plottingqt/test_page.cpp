// The test page through Qt: written as PNG and read back by an independent decoder (Pillow),
// shown by the view window, and printed to a PDF printer at 600 dots per inch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "foundation/cvSayer.h"
#include "plotting/cvGRADDemo.h"
#include "platform/qt/FormControls.h"
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

struct Page : ::testing::Test {
  void SetUp() override {
    App();
    ResetSayerForTests();
    Plotting().ScreenSize = [] { return std::pair<int32_t, int32_t>(1920, 1080); };
  }
};

TEST_F(Page, PngReadByPillowHasTheBitmapsPixels) {
  if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0)
    GTEST_SKIP() << "python3-pil is not installed (Debian's /usr/bin/python3 with PIL)";
  // The demo program writes the page; the same page drawn here is the reference, with the
  // same (offscreen) screen.
  Plotting().ScreenSize = [] {
    const QSize Z = QGuiApplication::primaryScreen()->size();
    return std::pair<int32_t, int32_t>(Z.width(), Z.height());
  };
  platform::TBitmap Bm(1000, 700);
  TGRAF G;
  DrawTestPage(G, Bm.Canvas());
  QTemporaryDir Dir;
  const std::string Png = Dir.filePath("page.png").toStdString();
  const std::string Run = std::string("QT_QPA_PLATFORM=offscreen '") + PLOT_DEMO + "' '" + Png +
                          "' 1000 700 2>/dev/null";
  ASSERT_EQ(std::system(Run.c_str()), 0);
  // Chosen pixels: every painted pixel on a sparse lattice plus random ones.
  std::vector<std::pair<int, int>> Pts;
  std::mt19937 R(7);
  for (int i = 0; i < 1500; ++i) Pts.push_back({int(R() % 1000), int(R() % 700)});
  int Painted = 0;
  for (int y = 0; y < 700; y += 3)
    for (int x = 0; x < 1000; x += 3)
      if (Bm.Pixel(x, y) != 0xFFFFFF) Pts.push_back({x, y}), ++Painted;
  ASSERT_GT(Painted, 200);
  const std::string List = Dir.filePath("pts.txt").toStdString();
  {
    std::ofstream F(List);
    for (auto [x, y] : Pts) F << x << " " << y << "\n";
  }
  const std::string Out = Dir.filePath("out.txt").toStdString();
  const std::string Cmd = "/usr/bin/python3 -c \"import sys\nfrom PIL import Image\n"
                          "im=Image.open(sys.argv[1]).convert('RGB')\n"
                          "for l in open(sys.argv[2]):\n x,y=map(int,l.split())\n"
                          " print('%d %d %d' % im.getpixel((x,y)))\" '" +
                          Png + "' '" + List + "' > '" + Out + "'";
  ASSERT_EQ(std::system(Cmd.c_str()), 0);
  std::ifstream In(Out);
  size_t i = 0;
  int r, g, b;
  while (In >> r >> g >> b) {
    ASSERT_LT(i, Pts.size());
    const uint32_t C = Bm.Pixel(Pts[i].first, Pts[i].second);
    EXPECT_EQ(uint32_t(r | g << 8 | b << 16), C) << Pts[i].first << "," << Pts[i].second;
    ++i;
  }
  EXPECT_EQ(i, Pts.size());
}

TEST_F(Page, ViewShowsItsBackBuffer) {
  TGrafView V;
  V.resize(300, 200);
  V.SyncSize();
  TGRAF G;
  DrawTestPage(G, V.Buffer().Canvas());
  const QImage Shot = V.grab().toImage();
  int Diff = 0;
  for (int y = 0; y < 200; y += 7)
    for (int x = 0; x < 300; x += 7) {
      const uint32_t C = V.Buffer().Pixel(x, y);
      const QRgb Q = Shot.pixel(x, y);
      Diff += uint32_t(qRed(Q) | qGreen(Q) << 8 | qBlue(Q) << 16) != C;
    }
  EXPECT_EQ(Diff, 0);
}

TEST_F(Page, PdfPrinterGetsTheA4PageAt600Dpi) {
  QTemporaryDir Dir;
  QPrinter P(QPrinter::HighResolution);
  P.setOutputFormat(QPrinter::PdfFormat);
  P.setOutputFileName(Dir.filePath("page.pdf"));
  P.setPageSize(QPageSize(QPageSize::A4));
  P.setPageMargins(QMarginsF(0, 0, 0, 0));
  TGRAF G;
  double MmX = 0, MmY = 0;
  ASSERT_TRUE(PrintPage(P, [&](platform::TCanvas& C) {
    G.INIGPrinter(&C);
    MmX = G.PageMmX;
    MmY = G.PageMmY;
    G.VIPOMM(10, 200, 287, 10);
    G.WINDOW(0, 1, 0, 1);
    G.FrameView();
    G.ENDG();
  }));
  EXPECT_NEAR(MmX, 210, 0.2);  // 4958 x 7016 pixels
  EXPECT_NEAR(MmY, 297, 0.2);
  QFile F(Dir.filePath("page.pdf"));
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  EXPECT_TRUE(F.read(4) == "%PDF");
}

}  // namespace

namespace {

TEST_F(Page, PictureControlIsADeviceSurface) {
  platform::TImage Img;
  Img.SetPictureSize(120, 80);
  TGRAF G;
  G.INIGCanvas(&Img.Canvas(), 0);
  G.VIPOPO(1, 120, 1, 80);
  G.WINDOW(0, 119, 79, 0);
  G.SetGColor(0x0000FF);
  G.PixBold = '3';
  G.PointW(10, 10);
  G.ENDG();
  // The QImage of the control shows the same pixels.
  EXPECT_EQ(Img.Picture().pixel(11, 9), qRgb(255, 0, 0));
  EXPECT_EQ(Img.Picture().pixel(13, 10), qRgb(255, 255, 255));
  // A larger picture keeps the drawing; new pixels are white.
  Img.SetPictureSize(200, 100);
  EXPECT_EQ(Img.Bitmap().Pixel(10, 10), 0x0000FFu);
  EXPECT_EQ(Img.Bitmap().Pixel(150, 90), 0xFFFFFFu);
}

}  // namespace
