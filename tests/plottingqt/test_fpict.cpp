// The plotter in the picture window: the demo journey (two model atmospheres and a Stokes I
// profile) checked on the window's grab, and the demo program's PNG against the back buffer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/cvPlotDemo.h"
#include "support/QtTestApp.h"

namespace {

void App() {
  testsupport::QtTestApp();  // kept to the end of the process
  static bool Installed = (InstallPlottingQt(), true);
  (void)Installed;
}

const std::string ModelDir = std::string(CORVESTA_SOURCE_ROOT) + "/tests/data/models";

uint32_t Rgb(QRgb Q) { return uint32_t(qRed(Q) | qGreen(Q) << 8 | qBlue(Q) << 16); }

struct Journey : ::testing::Test {
  TGRAF G;
  std::unique_ptr<TPLOTTER> P;
  std::unique_ptr<TFPict> W;
  std::vector<std::string> Warns;

  void SetUp() override {
    App();
    ResetSayerForTests();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
    P = std::make_unique<TPLOTTER>(&G);
    W = std::make_unique<TFPict>();
    W->resize(1000, 750);
    W->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(W.get()));
    W->Bind(*P);
  }
  void TearDown() override {
    W.reset();
    P.reset();
  }
  // The mapped path of graph n in device pixels.
  std::vector<TPointRe> Path(int32_t n) {
    const TOneGraph& Gr = *P->Graph(n);
    G.VIPO10Rect(P->ArrPlotByID(Gr.Chain)->TileRect(Gr.nXnY_Index));
    const TRangeRe X = Gr.XRange(*P->LWorldWin), Y = Gr.YRange(*P->LWorldWin);
    G.WINDOW(X.Lo, X.Hi, Y.Lo, Y.Hi);
    std::vector<TPointRe> R;
    for (int32_t i = 1; i <= Gr.N; ++i) R.push_back(G.WToPixR(Gr.AX[i], Gr.AY[i]));
    return R;
  }
};

double DistToPath(const std::vector<TPointRe>& Path, double x, double y) {
  double Best = 1e9;
  for (size_t i = 0; i + 1 < Path.size(); ++i) {
    const double ax = Path[i].X, ay = Path[i].Y, bx = Path[i + 1].X, by = Path[i + 1].Y;
    const double L2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
    const double t = std::clamp(L2 > 0 ? ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / L2 : 0,
                                0.0, 1.0);
    Best = std::min(Best, std::hypot(x - ax - t * (bx - ax), y - ay - t * (by - ay)));
  }
  return Best;
}

TEST_F(Journey, ModelsAndProfileInThePictureWindow) {
  ASSERT_TRUE(PlotModelDemo(*P, ModelDir));
  QTest::qWait(20);
  ASSERT_EQ(P->GraphCount(), 5);
  EXPECT_EQ(P->NDrawn, 5);
  // Both temperatures share one Y window in "K"; the pressures have their own.
  EXPECT_EQ(P->Graph(1)->WinY, P->Graph(2)->WinY);
  EXPECT_EQ(P->LWorldWin->GetWin(P->Graph(1)->WinY)->sDim, "K");
  EXPECT_NE(P->Graph(3)->WinY, P->Graph(1)->WinY);
  EXPECT_EQ(P->Graph(1)->Chain, "0 2");
  EXPECT_EQ(P->Graph(3)->nXnY_Index, 2);
  EXPECT_EQ(P->Graph(5)->Chain, "0 1");
  EXPECT_TRUE(Warns.empty()) << Warns[0];

  const QImage Shot = W->grab().toImage();
  ASSERT_EQ(Shot.width(), 1000);
  ASSERT_EQ(Shot.height(), 750);
  const uint32_t Colour[] = {0x0000FF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x008000};
  std::vector<std::vector<TPointRe>> Paths;
  for (int32_t n = 1; n <= 5; ++n) Paths.push_back(Path(n));
  // Along each path: its colour within a pixel (where no later curve covers it).
  for (int32_t n = 0; n < 5; ++n) {
    int Missing = 0, Tried = 0;
    for (size_t i = 0; i + 1 < Paths[n].size(); ++i)
      for (double t = 0; t <= 1; t += 0.1) {
        const double x = Paths[n][i].X + t * (Paths[n][i + 1].X - Paths[n][i].X);
        const double y = Paths[n][i].Y + t * (Paths[n][i + 1].Y - Paths[n][i].Y);
        bool Covered = false;
        for (int32_t m = n + 1; m < 5; ++m) Covered |= DistToPath(Paths[m], x, y) < 4;
        if (Covered) continue;
        ++Tried;
        bool Found = false;
        for (int dy = -1; dy <= 1 && !Found; ++dy)
          for (int dx = -1; dx <= 1 && !Found; ++dx) {
            const int px = int(std::lround(x)) + dx, py = int(std::lround(y)) + dy;
            Found = Shot.valid(px, py) && Rgb(Shot.pixel(px, py)) == Colour[n];
          }
        Missing += !Found;
      }
    EXPECT_GT(Tried, 20) << n;
    EXPECT_EQ(Missing, 0) << "graph " << n + 1;
  }
  // Every pixel in a curve colour lies on that curve; inside the tiles, away from the curves,
  // the background is white.
  int Stray = 0, NotWhite = 0, Inside = 0;
  for (int y = 0; y < 750; y += 1)
    for (int x = 0; x < 1000; x += 1) {
      const uint32_t C = Rgb(Shot.pixel(x, y));
      for (int n = 0; n < 5; ++n)
        if (C == Colour[n] && DistToPath(Paths[n], x, y) > 2.5) ++Stray;
      if (x % 5 || y % 5) continue;
      bool InTile = false;
      for (int32_t n = 1; n <= 5; ++n) {
        const TOneGraph& Gr = *P->Graph(n);
        const TRectRe T = P->ArrPlotByID(Gr.Chain)->TileRectPix(G, Gr.nXnY_Index);
        InTile |= x > T.X1 + 4 && x < T.X2 - 4 && y > T.Y1 + 4 && y < T.Y2 - 4;
      }
      if (!InTile) continue;
      bool Near = false;
      for (const auto& Pa : Paths) Near |= DistToPath(Pa, x, y) < 5;
      if (Near) continue;
      ++Inside;
      NotWhite += C != 0xFFFFFF;
    }
  EXPECT_EQ(Stray, 0);
  EXPECT_GT(Inside, 2000);
  EXPECT_EQ(NotWhite, 0);
}

TEST_F(Journey, DemoProgramWritesTheBackBufferAsPng) {
  ASSERT_TRUE(PlotModelDemo(*P, ModelDir));
  QTemporaryDir Dir;
  const std::string Png = Dir.filePath("demo.png").toStdString();
  const std::string Run = std::string("QT_QPA_PLATFORM=offscreen '") + PLOTTER_DEMO + "' '" +
                          ModelDir + "' '" + Png + "' 1000 750 2>/dev/null";
  ASSERT_EQ(std::system(Run.c_str()), 0);
  QImage Img(QString::fromStdString(Png));
  ASSERT_EQ(Img.width(), 1000);
  ASSERT_EQ(Img.height(), 750);
  int Diff = 0;
  for (int y = 0; y < 750; ++y)
    for (int x = 0; x < 1000; ++x) Diff += Rgb(Img.pixel(x, y)) != W->Buffer().Pixel(x, y);
  EXPECT_EQ(Diff, 0);
}

TEST_F(Journey, BlinkTimerReplaysAndClearAllResetsTheCaption) {
  ASSERT_TRUE(PlotModelDemo(*P, ModelDir));
  EXPECT_TRUE(W->State().PlotterOn);
  EXPECT_TRUE(W->BlinkTimer.isActive());
  P->SetCurPic(2);
  P->Graph(2)->ToPicTool(W->Host(), W->Host(), *P->LWorldWin);
  EXPECT_EQ(W->windowTitle().toStdString(), "T HolMu 25");
  const int32_t Phase = W->State().Phase;
  QTest::qWait(800);
  EXPECT_NE(W->State().Phase, Phase);
  P->ClearAll();
  EXPECT_EQ(W->windowTitle().toStdString(), "CV Picture");
  EXPECT_FALSE(W->State().PlotterOn);
  P->ClearAll();
  EXPECT_FALSE(W->isVisible());
  EXPECT_FALSE(W->BlinkTimer.isActive());
}

TEST_F(Journey, AClosedWindowLeavesTheDeviceWithoutCanvas) {
  ASSERT_TRUE(PlotModelDemo(*P, ModelDir));
  W.reset();
  Warns.clear();
  P->PlayOnce();
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "PLOTTER.Play Канва поля вывода \"Gra.Canvas\" Not Assigned!"_cp);
}

}  // namespace
