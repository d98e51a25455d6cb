// World windows (choice for a new graph, new slots, copies, reports) and plot areas (owners,
// layouts, tile geometry in fractions and pixels, the tile under a point).
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "plotting/cvWorldWin.h"

namespace {

struct Windows : ::testing::Test {
  std::vector<std::string> Warns;
  TLWorldWin L;
  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
  }
  int32_t Add(char Kind, double P1, double P2, const std::string& Dim) {
    const int32_t i = L.NewWin();
    TWorldWin& W = *L.GetWin(i);
    W.Kind = Kind;
    W.P1 = P1;
    W.P2 = P2;
    W.sDim = Dim;
    return i;
  }
};

TEST_F(Windows, RangesOverlapAndPointsInside) {
  const TRangeRe O = IntersectRange({10, 0}, {5, 20});
  EXPECT_EQ(O.Lo, 5);
  EXPECT_EQ(O.Hi, 10);
  const TRangeRe G = IntersectRange({0, 1}, {3, 4});  // minus the gap
  EXPECT_EQ(G.Hi - G.Lo, -2);
  EXPECT_TRUE(PointInRectRe({5, 5}, {0, 0, 10, 10}));
  EXPECT_FALSE(PointInRectRe({0, 5}, {0, 0, 10, 10}));  // strictly inside
  EXPECT_FALSE(PointInRectRe({5, 5}, {0, 10, 10, 0}));
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Top=10 Bottom=0");
}

TEST_F(Windows, NewWinOnAnEmptyListKeepsThePlaceholder) {
  EXPECT_EQ(L.NewWin(), 1);
  EXPECT_EQ(L.Count(), 2);
  TWorldWin& W = *L.GetWin(1);
  EXPECT_EQ(W.NMrk, 5);
  EXPECT_EQ(W.Pos2, 1);
  EXPECT_EQ(W.PDOX, -1);
  W.Kind = 'X';
  L.GetWin(1)->Id = 3;
  EXPECT_EQ(L.NewWin(), 2);
  EXPECT_EQ(L.Count(), 3);
  L.GetWin(2)->Kind = 'Y';
  L.ClearWin(1);  // a free slot is reused, cleared
  EXPECT_EQ(L.NewWin(), 1);
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L.GetWin(1)->Id, 0);
  EXPECT_EQ(L.GetWin(1)->NMrk, 5);
}

TEST_F(Windows, FindWinPrefersTheBetterFit) {
  // Exact range returned at once; the first of equally good windows is kept.
  Add('X', 0, 10, "nm");
  Add('X', 0, 12, "nm");
  EXPECT_EQ(L.FindWinX({0, 10}, "nm"), 1);
  EXPECT_EQ(L.FindWinX({0, 10}, "A"), 0);  // matched by units
  EXPECT_EQ(L.FindWinY({0, 10}, "nm"), 0);  // and by kind
  EXPECT_EQ(L.FindWinX({0, 10}, ""), 1);   // any units when none given
  // 2..12 (overlap 8, non-overlap 4) against -20..30 (overlap 10, non-overlap 40).
  TLWorldWin M;
  L = std::move(M);
  Add('X', 2, 12, "nm");
  Add('X', -20, 30, "nm");
  EXPECT_EQ(L.FindWinX({0, 10}, "nm"), 1);
  // A window that does not overlap is never chosen.
  EXPECT_EQ(L.FindWinX({100, 110}, "nm"), 0);
}

TEST_F(Windows, AddCopyGivesFreshIdAndFiveMarks) {
  const int32_t a = Add('Y', 1, 2, "K");
  L.GetWin(a)->NMrk = 1;
  L.GetWin(a)->Id = 1;
  const int32_t b = L.AddCopy(*L.GetWin(a));
  EXPECT_EQ(b, 2);
  EXPECT_EQ(L.GetWin(b)->NMrk, 5);
  EXPECT_EQ(L.GetWin(b)->Id, 2);
  EXPECT_EQ(L.GetWin(b)->sDim, "K");
  EXPECT_EQ(L.IndexOfDim("K"), 1);
  EXPECT_EQ(L.IndexOfDim("nm"), -1);
  EXPECT_EQ(L.DimList()->Count(), 3);
  auto R = L.Report();
  ASSERT_EQ(R->Count(), 4);
  EXPECT_NE((*R)[0].find("sOX"), std::string::npos);
  EXPECT_NE((*R)[2].find("<K>"), std::string::npos);
}

struct Areas : Windows {
  platform::TBitmap Bm{800, 600};
  TGRAF G;
  void SetUp() override {
    Windows::SetUp();
    G.INIGCanvas(&Bm.Canvas(), 0);
  }
};

void ExpectRect(const TRectRe& R, double x1, double y1, double x2, double y2) {
  EXPECT_NEAR(R.X1, x1, 1e-12);
  EXPECT_NEAR(R.Y1, y1, 1e-12);
  EXPECT_NEAR(R.X2, x2, 1e-12);
  EXPECT_NEAR(R.Y2, y2, 1e-12);
}

TEST_F(Areas, TileGeometry) {
  TArrPlot A;
  ExpectRect(A.TileRect(1), 0, 0, 1, 1);
  ExpectRect(A.TileRectPix(G, 1), 0, 1, 799, 600);
  A.SetLayout(2, 1, 1, 100, 100, 1000, 0, 0, 0, 0);
  ExpectRect(A.TileRect(1), 0, 0, 0.5, 1);
  ExpectRect(A.TileRect(2), 0.5, 0, 1, 1);
  // tileX 80: tiles 1/1.8 wide at pitch 0.8/1.8: they overlap.
  A.SetLayout(2, 1, 1, 80, 100, 1000, 0, 0, 0, 0);
  ExpectRect(A.TileRect(1), 0, 0, 1 / 1.8, 1);
  ExpectRect(A.TileRect(2), 0.8 / 1.8, 0, 1, 1);
  // margX 10 with nx = 2 narrows each tile by 0.05 on its left.
  A.SetLayout(2, 1, 1, 100, 100, 1000, 10, 0, 0, 0);
  ExpectRect(A.TileRect(2), 0.55, 0, 1, 1);
  // 2 x 2: tile 3 is the upper left, tile 5 is tile 1 of the next page.
  A.SetLayout(2, 2, 2, 100, 100, 1000, 0, 0, 0, 0);
  EXPECT_EQ(A.TileCol(3), 1);
  EXPECT_EQ(A.TileRow(3), 2);
  ExpectRect(A.TileRect(3), 0, 0.5, 0.5, 1);
  ExpectRect(A.TileRect(5), 0, 0, 0.5, 0.5);
  EXPECT_EQ(A.NN, 8);
  EXPECT_EQ(A.NXY, 4);
  // Counts of 0 become 1.
  A.SetLayout(0, 0, 0, 100, 100, 1000, 0, 0, 0, 0);
  EXPECT_EQ(A.NN, 1);
}

TEST_F(Areas, OverflowingCountsAreRefused) {
  TArrPlot A;
  A.SetLayout(2, 3, 1, 100, 100, 1000, 0, 0, 0, 0);
  EXPECT_FALSE(A.SetLayout(100000, 100000, 1, 90, 90, 1, 0, 0, 0, 0));
  EXPECT_FALSE(A.SetLayout(50000, 2, 50000, 90, 90, 1, 0, 0, 0, 0));
  EXPECT_EQ(Warns.size(), 2u);
  EXPECT_EQ(A.NXY, 6);
  EXPECT_EQ(A.tileX, 100);
}

TEST_F(Areas, TileAtUsesDeviceRows) {
  // 2 x 2 on the page: tile 1 is the lower left, so its device rows are the lower half.
  TArrPlot A;
  A.SetLayout(2, 2, 1, 100, 100, 1000, 0, 0, 0, 0);
  EXPECT_EQ(A.TileAt(G, 100, 500), 1);
  EXPECT_EQ(A.TileAt(G, 700, 500), 2);
  EXPECT_EQ(A.TileAt(G, 100, 100), 3);
  EXPECT_EQ(A.TileAt(G, 700, 100), 4);
  EXPECT_EQ(A.TileAt(G, 0, 100), 0);  // on the edge
  EXPECT_TRUE(Warns.empty());
}

TEST_F(Areas, NestedOwnersAndReports) {
  TArrPlot Base;
  Base.SetOwnerPlotter(1);
  Base.SetLayout(1, 2, 1, 100, 100, 1000, 0, 0, 0, 0);
  TArrPlot In;
  In.SetOwnerArea(Base, 2);
  EXPECT_EQ(In.sChain, "0 2");
  EXPECT_EQ(In.ParentChain, "0");
  ExpectRect(In.VRect, 0, 0.5, 1, 1);
  In.SetLayout(2, 1, 1, 100, 100, 1000, 0, 0, 0, 0);
  ExpectRect(In.TileRect(2), 0.5, 0.5, 1, 1);
  EXPECT_EQ(In.ReportLine(), "ArrPlot Owner=TArrPlot  Chain<0 2> n5=2,1,1,2,2");
  auto R = In.Report(&G);
  ASSERT_EQ(R->Count(), 6);
  EXPECT_EQ((*R)[0], "ArrPlot Owner.Name=TArrPlot KPrev=2");
  EXPECT_EQ((*R)[1], "sChain=<0 2> ViewField VRect=(0..1 , 0.5..1)");
  EXPECT_EQ((*R)[4], " ViewPortA(1)=(0..0.5 , 0.5..1)");
  TLPlot L;
  EXPECT_EQ((*LPlotReport(L))[0], "Нет ни одного описателя в списке ArrPlot!"_cp);
}

}  // namespace
