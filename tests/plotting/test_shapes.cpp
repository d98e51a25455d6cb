// Constructed graphs on the plotter: circles sampled per pixel column and row and clipped to the
// page, replaced by title; lines, a parabola and vertical and level lines over the current
// graph's windows; and the refusals (no current graph, fewer than 2 points).
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotShapes.h"
#include "plotting/support/FakePlotHost.h"

namespace {

TARe Arr(std::initializer_list<double> v) {
  TARe A{0};
  A.insert(A.end(), v);
  return A;
}

struct Shapes : ::testing::Test {
  platform::TBitmap Bm{400, 300};
  TGRAF G;
  TFakePlotHost Host;
  std::unique_ptr<TPLOTTER> P;
  std::vector<std::string> Warns;

  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
    P = std::make_unique<TPLOTTER>(&G);
    P->Tools = &Host;
    P->INIG(&Bm.Canvas(), "TFPict", &Host, 0);
    // The device's viewport is the whole page, its world window 0..400 x 0..300: one world
    // unit per pixel, Y upward.
    G.VIPO10(0, 1, 0, 1);
    G.WINDOW(0, 400, 0, 300);
  }
  void TearDown() override { ResetPlotServices(); }
  const TOneGraph& Last() { return *P->Graph(P->GraphCount()); }
  // A current graph whose windows span X 0..10 and Y -5..5.
  void Base() {
    ASSERT_TRUE(P->CheckArrPlot());
    P->NewGraph(Arr({0, 10}), Arr({-5, 5}), 1, 0, "-.K", "base", "x", "y", "", "");
    P->SetCurPic(1);
  }
};

TEST_F(Shapes, CircleSampledPerPixelColumnAndRow) {
  AddCircle(*P, 200, 150, 50);
  ASSERT_EQ(P->GraphCount(), 1);
  const TOneGraph& C = Last();
  EXPECT_EQ(C.Name, "CIRCLE");
  EXPECT_EQ(C.OXName, "XC=" + EFSt(5, 200));
  EXPECT_EQ(C.OYName, "YC=" + EFSt(5, 150));
  // Columns a..b twice, rows first..last twice.
  const int a = G.WXToPix(150), b = G.WXToPix(250);
  const int r1 = std::min(G.WYToPix(100), G.WYToPix(200)), r2 = std::max(G.WYToPix(100), G.WYToPix(200));
  EXPECT_EQ(C.N, 2 * (b - a + 1) + 2 * (r2 - r1 + 1));
  for (int i = 1; i <= C.N; ++i)
    EXPECT_NEAR(std::hypot(C.AX[static_cast<size_t>(i)] - 200, C.AY[static_cast<size_t>(i)] - 150),
                50, 1.5)
        << i;
  // A second circle replaces the first in place.
  AddCircle(*P, 100, 100, 20);
  ASSERT_EQ(P->GraphCount(), 1);
  EXPECT_NEAR(std::hypot(Last().AX[1] - 100, Last().AY[1] - 100), 20, 1.5);
  // Another title is another graph, its colour letter in the format.
  AddCirclePic(*P, "NewCIRCLE", 'B', 100, 100, 21);
  EXPECT_EQ(P->GraphCount(), 2);
  EXPECT_EQ(Last().Name, "NewCIRCLE");
  EXPECT_EQ(Last().CurvShowFormat, "_.B");
}

TEST_F(Shapes, CirclesOffThePageOrCrossingItsEdge) {
  AddCircle(*P, -100, 150, 50);  // wholly left of the page
  AddCircle(*P, 200, 500, 50);   // wholly above
  EXPECT_EQ(P->GraphCount(), 0);
  // Crossing the left edge: only the columns from 0 and the visible rows.
  AddCircle(*P, 10, 150, 50);
  ASSERT_EQ(P->GraphCount(), 1);
  const TOneGraph& C = Last();
  const int b = G.WXToPix(60);
  const int r1 = G.WYToPix(200), r2 = G.WYToPix(100);
  const int cols = 2 * (b - 0 + 1);
  EXPECT_EQ(C.N, cols + 2 * (r2 - r1 + 1));
  // The column samples from the page's first column on, the row samples on the page's rows.
  for (int i = 1; i <= cols; ++i) EXPECT_GE(G.WXToPix(C.AX[static_cast<size_t>(i)]), 0) << i;
  for (int i = cols + 1; i <= C.N; ++i) {
    EXPECT_GE(G.WYToPix(C.AY[static_cast<size_t>(i)]), 0) << i;
    EXPECT_LE(G.WYToPix(C.AY[static_cast<size_t>(i)]), 300) << i;
  }
}

TEST_F(Shapes, LinesOverTheCurrentGraphsWindows) {
  // No current graph: the range query gives 0 and 0, nothing is added.
  AddLinePicY(*P, 2, 1, 0);
  AddParabola(*P, 5, 1, 0, 0);
  AddVLineInWW(*P, "", "", 3);
  EXPECT_EQ(P->GraphCount(), 0);
  Base();
  ASSERT_EQ(P->GraphCount(), 1);
  AddLinePicY(*P, 2, 1, 0);
  ASSERT_EQ(P->GraphCount(), 2);
  const TOneGraph& L = Last();
  ASSERT_EQ(L.N, 2);
  double x1, x2, y1, y2;
  P->GetCurWWRange(x1, x2, y1, y2);
  EXPECT_EQ(L.AX[1], x1);
  EXPECT_EQ(L.AY[1], x1);
  EXPECT_EQ(L.AX[2], x2);
  EXPECT_EQ(L.AY[2], x2);
  EXPECT_EQ(L.Name, "Line(1*X+0)");
  EXPECT_EQ(L.CurvShowFormat, "-.K");
  // Through a point: slope 2 through (1, 3) is 2 X + 1.
  AddLineThroughPoint(*P, 3, 2, 1, 3);
  EXPECT_EQ(Last().Name, "Line(2*X+1)");
  EXPECT_DOUBLE_EQ(Last().AY[2], 2 * Last().AX[2] + 1);
  // X = k Y + b0 over the Y window, titled by the rule when the title is empty.
  AddLinePicDef(*P, 4, 0.5, 1);
  EXPECT_EQ(Last().Name, "Line(0.5*Y+1)");
  EXPECT_EQ(Last().N, 4);
  EXPECT_DOUBLE_EQ(Last().AX[4], 0.5 * Last().AY[4] + 1);
  AddParabola(*P, 16, 1, -2, 3);
  EXPECT_EQ(Last().Name, "Line(1*X^2+-2*X+3)");
  EXPECT_EQ(Last().OYName, "a*x^2 + b*x + c");
  EXPECT_EQ(Last().N, 16);
  const double x = Last().AX[7];
  EXPECT_DOUBLE_EQ(Last().AY[7], x * x - 2 * x + 3);
}

TEST_F(Shapes, VerticalAndLevelLines) {
  Base();
  double x1, x2, y1, y2;
  P->GetCurWWRange(x1, x2, y1, y2);
  AddVLineInWW(*P, "", "", 3);
  ASSERT_EQ(Last().N, 2);
  EXPECT_EQ(Last().AY[1], y1);
  EXPECT_EQ(Last().AY[2], y2);
  EXPECT_EQ(Last().AX[2], 3);
  EXPECT_EQ(Last().OXName, "X=" + EFSt(8, 3));
  EXPECT_EQ(Last().Name, "Line Y(X=" + EFSt(8, 3) + ")");
  AddVLine(*P, "-.R", 5, 2.5, -1, 1, "mine");
  EXPECT_EQ(Last().Name, "mine");
  EXPECT_EQ(Last().CurvShowFormat, "-.R");
  EXPECT_EQ(Last().OYName, "Y[" + EFSt(5, -1) + ".." + EFSt(5, 1) + "]");
  EXPECT_DOUBLE_EQ(Last().AY[3], 0);
  AddLevelLineDef(*P, 3, 0, 8, 1.25);
  EXPECT_EQ(Last().Name, "Line X(Y=" + EFSt(8, 1.25) + ")");
  EXPECT_EQ(Last().OXName, "X[" + EFSt(5, 0) + ".." + EFSt(5, 8) + "]");
  EXPECT_DOUBLE_EQ(Last().AX[2], 4);
  EXPECT_DOUBLE_EQ(Last().AY[3], 1.25);
}

TEST_F(Shapes, FewerThanTwoPointsAreRefused) {
  Base();
  const int32_t n = P->GraphCount();
  AddLinePicY(*P, 1, 1, 0);
  AddLinePic(*P, 0, "", 1, 0);
  AddParabola(*P, 1, 1, 1, 1);
  AddVLineN(*P, 1, 0, 0, 1);
  AddLevelLine(*P, "", -3, 0, 1, 0, "");
  EXPECT_EQ(P->GraphCount(), n);
  ASSERT_EQ(Warns.size(), 5u);
  EXPECT_EQ(Warns[0], "AddLinePicY: число точек линии n=1 меньше 2!"_cp);
}

}  // namespace
