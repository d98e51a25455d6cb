// Value pictures of maps: the four level rules, the palettes, the level search against the walk,
// the painting (rows, stretching, the highest y on top, blue-green-red bytes) and the map
// object's drawing into the map bitmap and its panel through the FITS tab's record.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "foundation/cvLit.h"
#include "platform/Canvas.h"
#include "scans/cvFIOut.h"
#include "scans/cvMapView.h"
#include "scans/cvR4Pict.h"
#include "scans/cvScanServices.h"
#include "support/SinkRecorder.h"

namespace {

TAR4R4Flat Table(int nx, int ny, const std::function<float(int, int)>& F) {
  TAR4R4Flat A(static_cast<size_t>(nx), static_cast<size_t>(ny));
  for (int x = 0; x < nx; ++x)
    for (int y = 0; y < ny; ++y) A[static_cast<size_t>(x)][static_cast<size_t>(y)] = F(x, y);
  return A;
}

// Bytes blue, green, red of a bitmap pixel.
std::array<int, 3> Bgr(const platform::TBitmap& B, int x, int y) {
  const uint8_t* p = B.ScanLine(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

TEST(R4Pict, EqualLevelsAndAConstantPicture) {
  const TAR4R4Flat A = Table(4, 3, [](int, int) { return 5.0f; });
  TR4Pict P;
  P.Init(&A);
  EXPECT_EQ(P.nX, 4);
  EXPECT_EQ(P.nY, 3);
  ASSERT_EQ(P.Palette.size(), 256u);  // the grey ramp
  EXPECT_EQ(P.Palette[255], 0xFFFFFFu);
  P.GetHist();
  P.SetLevels(256, 5, 5);
  EXPECT_EQ(P.LevLo, 5);
  EXPECT_EQ(P.LevHi, 5);
  for (float l : P.Levels) EXPECT_EQ(l, 5);
  // Not rising: every cell gets the last index.
  EXPECT_EQ(P.LevelIndex(5), 255);
  platform::TBitmap B(4, 3);
  P.PaintToBMP(B);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Bgr(B, x, y), (std::array<int, 3>{255, 255, 255}));
}

TEST(R4Pict, PercentilesAndEqualPopulation) {
  // 1000 values 0..999 in a shuffled order.
  std::vector<float> v(1000);
  for (int i = 0; i < 1000; ++i) v[static_cast<size_t>(i)] = static_cast<float>(i);
  std::shuffle(v.begin(), v.end(), std::mt19937(7));
  const TAR4R4Flat A = Table(40, 25, [&](int x, int y) { return v[static_cast<size_t>(x * 25 + y)]; });
  TR4Pict P;
  P.Init(&A);
  P.SetLevelsByPct(256, 0, 1);
  EXPECT_EQ(P.Levels.front(), 0);
  EXPECT_EQ(P.Levels.back(), 999);
  EXPECT_FLOAT_EQ(P.LevStep, 999.0f / 255);
  EXPECT_EQ(P.VMin, 0);
  EXPECT_EQ(P.VMax, 999);
  // One percent cut at either end by rank: round(999 * 0.01) = 10, round(999 * 0.99) = 989.
  P.SetLevelsByPct(256, 0.01, 0.99);
  EXPECT_EQ(P.LevLo, 10);
  EXPECT_EQ(P.LevHi, 989);
  EXPECT_DOUBLE_EQ(P.PLow, 0.01);
  // Equal population over the whole range: Levels[i] midway between the sorted values at rank
  // trunc(i * 999 / 255) and the next.
  P.SetLevelsEqPop(256, 0, 1);
  EXPECT_EQ(P.Levels[0], 0);
  EXPECT_EQ(P.Levels[255], 999);
  for (int i : {1, 100, 254}) {
    const int k = static_cast<int>(std::trunc(i * 999.0 / 255));
    EXPECT_EQ(P.Levels[static_cast<size_t>(i)], k + 0.5f) << i;
  }
  // Ranks of values and the percentages they stand for, rounded from the nearer end.
  int32_t r1 = 0, r2 = 0;
  P.FindRanks(123.5f, 765.5f, r1, r2);
  EXPECT_EQ(r1, 123);
  EXPECT_EQ(r2, 766);
  P.FindRanks(765.5f, 123.5f, r1, r2);
  EXPECT_EQ(r1, 766);
  EXPECT_EQ(r2, 123);
  P.SetLevelsByVal(256, 123.5f, 765.5f);
  EXPECT_DOUBLE_EQ(P.PLow, 0.123);   // 123 / 999 = 12.31 %
  EXPECT_DOUBLE_EQ(P.PHigh, 0.767);  // 766 / 999 = 76.68 %
  EXPECT_EQ(P.Levels.front(), 123.5f);
  EXPECT_EQ(P.Levels.back(), 765.5f);
}

TEST(R4Pict, PercentOfRanksCountedFromTheNearerEnd) {
  // L = 10001 values 0..10000: ranks 1235 and 7654 stand for 12.35 % and 76.54 %.
  const TAR4R4Flat A = Table(10001, 1, [](int x, int) { return static_cast<float>(x); });
  TR4Pict P;
  P.Init(&A);
  P.SetLevelsByVal(256, 1235.5f, 7654.5f);
  EXPECT_DOUBLE_EQ(P.PLow, 0.123);
  EXPECT_DOUBLE_EQ(P.PHigh, 0.765);
}

TEST(R4Pict, LevelSearchEqualsTheWalk) {
  std::mt19937 g(11);
  std::normal_distribution<float> nd(0, 3);
  const TAR4R4Flat A = Table(60, 40, [&](int, int) { return nd(g); });
  TR4Pict P;
  P.Init(&A);
  std::vector<float> probes;
  for (int i = 0; i < 4000; ++i) probes.push_back(nd(g) * 1.5f);
  probes.insert(probes.end(), {NAN, INFINITY, -INFINITY, 0.0f});
  for (float v = -6; v < 6; v = std::nextafter(v, 7.0f) + 1e-4f) probes.push_back(v);
  auto Check = [&](const char* What) {
    const TAR4R4 rows = A.ToAR4R4();
    for (float v : rows[7]) probes.push_back(v);
    for (float l : P.Levels) probes.push_back(l);  // exactly on the levels
    for (float v : probes) ASSERT_EQ(P.LevelIndex(v), P.LevelIndexWalk(v)) << What << " " << v;
    // The painting's own search (grey palette: the blue byte is the index).
    platform::TBitmap B(60, 40);
    P.SetPalette('K');
    P.PaintToBMP(B);
    for (int x = 0; x < 60; ++x)
      for (int y = 0; y < 40; ++y)
        ASSERT_EQ(Bgr(B, x, 39 - y)[0], P.LevelIndexWalk(A[static_cast<size_t>(x)][static_cast<size_t>(y)]))
            << What << " " << x << " " << y;
  };
  P.SetLevelsByPct(256, 0.02, 0.97);
  Check("rising by percent");
  P.SetLevelsEqPop(256, 0, 1);
  Check("equal population");
  P.SetLevelsByVal(256, 4, -4);
  Check("falling by value");
  P.SetLevelsEqPop(256, 0.9, 0.1);
  Check("falling equal population");
  // By values around the ends: the table need not be monotone at its first level.
  P.SetLevelsEqPopVal(256, -1.0001f, 2);
  Check("equal population by values");
  // A NaN cell paints with the last colour.
  {
    TAR4R4Flat N = A;
    N[3][5] = NAN;
    TR4Pict Q;
    Q.Init(&N);
    Q.SetLevelsByPct(256, 0.1, 0.9);
    platform::TBitmap B(60, 40);
    Q.PaintToBMP(B);
    EXPECT_EQ(Bgr(B, 3, 34), (std::array<int, 3>{255, 255, 255}));
  }
  P.SetLevelsEqPopVal(256, -100, -99);  // both below every value
  Check("both values below");
  P.SetLevels(16, -2, 2);               // another count: steps
  Check("16 levels");
  EXPECT_EQ(P.LevelIndex(-2), 0);
  EXPECT_EQ(P.LevelIndex(2), 15);
  EXPECT_EQ(P.LevelIndex(100), 255);
}

TEST(R4Pict, PalettesInBitmapByteOrder) {
  TR4Pict P;
  const std::pair<char, uint32_t> Last[] = {{'B', 0xFF}, {'G', 0xFF00}, {'R', 0xFF0000},
                                            {'K', 0xFFFFFF}, {'Y', 0xFFFF00}, {'?', 0}};
  for (const auto& [L, C] : Last) {
    P.SetPalette(L);
    ASSERT_EQ(P.Palette.size(), 256u);
    EXPECT_EQ(P.Palette[255], C) << L;
    EXPECT_EQ(P.Palette[0], 0u) << L;
  }
  P.SetMaskPalette();
  EXPECT_EQ(P.Palette[0], 0xFFFFFFu);
  EXPECT_EQ(P.Palette[254], 0xFFFFFFu);
  EXPECT_EQ(P.Palette[255], 0xFF0000u);
  // Index 255 of 'R' is pure red: bytes 0, 0, 255 in blue, green, red order.
  const TAR4R4Flat A = Table(1, 1, [](int, int) { return 1.0f; });
  P.Init(&A);
  P.SetPalette('R');
  P.SetLevels(256, 0, 1);  // the value 1 lies above level 254
  platform::TBitmap B(1, 1);
  P.PaintToBMP(B);
  EXPECT_EQ(Bgr(B, 0, 0), (std::array<int, 3>{0, 0, 255}));
}

TEST(R4Pict, StretchedCellsWithTheHighestYOnTop) {
  // Cell value x + 100 y: grey index straight from the value through equal levels 0..255.
  const TAR4R4Flat A = Table(100, 50, [](int x, int y) { return static_cast<float>((x + 5 * y) % 256); });
  TR4Pict P;
  P.Init(&A);
  P.SetLevels(256, 0, 255);
  platform::TBitmap B(200, 100);
  P.PaintToBMP(B);
  for (int i = 0; i < 100; ++i)
    for (int j = 0; j < 200; ++j) {
      const int x = j / 2, y = 49 - i / 2;
      const int v = (x + 5 * y) % 256;
      ASSERT_EQ(Bgr(B, j, i), (std::array<int, 3>{v, v, v})) << j << " " << i;
    }
  // A rectangle of the bitmap: only it changes.
  platform::TBitmap C(200, 100);
  C.Canvas().Brush.Color = 0x00FF00;
  C.Canvas().FillRect(TRect{0, 0, 200, 100});
  P.FillBMPRect(C, TRect{10, 20, 30, 40});
  EXPECT_EQ(Bgr(C, 9, 25), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(Bgr(C, 30, 25), (std::array<int, 3>{0, 255, 0}));
  EXPECT_NE(Bgr(C, 10, 20), (std::array<int, 3>{0, 255, 0}));
  // The rectangle shows the whole picture squeezed: its top row y = 50 * 19 div 20 = 47, its
  // left column x = 0.
  const int top = (0 + 5 * 47) % 256;
  EXPECT_EQ(Bgr(C, 10, 20), (std::array<int, 3>{top, top, top}));
}

TEST(R4Pict, MaskPaintingAndRefusals) {
  testsupport::SinkRecorder rec;
  const TAR4R4Flat A = Table(3, 2, [](int x, int y) { return static_cast<float>(x + y); });
  TR4Pict P;
  P.Init(&A);
  P.Mask = {{0, 1}, {0, 0}, {1, 0}};
  platform::TBitmap B(3, 2);
  P.PaintMask(B);
  // Row 0 of the bitmap is y = 1.
  EXPECT_EQ(Bgr(B, 0, 0), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(Bgr(B, 2, 1), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(Bgr(B, 1, 0), (std::array<int, 3>{255, 255, 255}));
  EXPECT_TRUE(rec.texts.empty());
  // Not a 24-bit bitmap; no picture.
  platform::TBitmap B32(3, 2, 32);
  P.PaintToBMP(B32);
  EXPECT_TRUE(rec.Has("!TR4Pict.FillBMPRect!"));
  TR4Pict Q;
  Q.PaintToBMP(B);
  EXPECT_TRUE(rec.Has("TR4Pict.FillBMPRect ERR aData Not Assigned!"));
  Q.GetHist();
  EXPECT_TRUE(rec.Has("TR4Pict.GetHist ERR картинка aData ещё не загружена!"_cp));
}

// ---------------------------------------------------------------- the map object

class MapPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScanServices();
    FOZoom = 1.0;
    MapViewLinks().ShowInMapWin.Install([this](TFIOut& M) { Shown.push_back(M.Name); });
    M.Name = "CONT";
    M.Da = "20190622";
    M.Ti = "164505";
    M.AssignMem(100, 50);
    for (int x = 0; x < 100; ++x)
      for (int y = 0; y < 50; ++y) M.aData[x][y] = static_cast<float>(x + 100 * y);
    M.kLoad = 9;
    M.MinMaxMean();
  }
  void TearDown() override {
    MapViewLinks().ShowInMapWin.Reset();
    FreeFOBitmap();
    FOZoom = 1.0;
    ResetScanServices();
  }
  TFIOut M;
  std::vector<std::string> Shown;
  testsupport::SinkRecorder rec;
};

TEST_F(MapPicture, ShownInTheMapBitmapAtTheZoom) {
  M.ToPict();
  ASSERT_TRUE(M.Pict);
  M.Pict->SetLevelsByPct(256, 0, 1);
  FOZoom = 3;
  M.ShowInMapWin();
  EXPECT_EQ(Shown, std::vector<std::string>{"CONT"});
  EXPECT_EQ(FOBitmap().Width(), 300);
  EXPECT_EQ(FOBitmap().Height(), 150);
  // Bottom-left pixel: the smallest value (black); top-right the largest (white).
  EXPECT_EQ(Bgr(FOBitmap(), 0, 149), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(Bgr(FOBitmap(), 299, 0), (std::array<int, 3>{255, 255, 255}));
  // A mask instead of the values.
  TAByBy Mask(100, std::vector<uint8_t>(50, 0));
  Mask[0][49] = 1;
  M.ShowMasked(Mask);
  EXPECT_EQ(Bgr(FOBitmap(), 1, 1), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(Bgr(FOBitmap(), 3, 1), (std::array<int, 3>{255, 255, 255}));
  // Released: no picture any more, no data to show.
  M.Release();
  EXPECT_FALSE(M.Pict);
  EXPECT_TRUE(rec.texts.empty());
}

TEST_F(MapPicture, RefusedWithoutDataOrAtAnImpossibleSize) {
  M.ShowInMapWin();
  EXPECT_TRUE(rec.Has("FIOut.ShowInMapWin CONT"));
  M.ToPict();
  M.kLoad = 1;
  M.ShowInMapWin();
  EXPECT_TRUE(rec.Has("FIOut.ShowData CONT kLoad=1!!!"));
  M.kLoad = 9;
  FOZoom = 1e6;
  M.ShowInMapWin();
  EXPECT_TRUE(rec.Has("FIOut.ShowData ERR: не удалось создать BMP"_cp));
  EXPECT_TRUE(Shown.empty());
}

TEST_F(MapPicture, PanelAndFocusThroughTheTabsRecord) {
  TFITSMapCtls& T = FITSMapCtls();
  T.Set("edFITSiX", " 1 2");
  T.Set("edFITSiY", "3");
  M.SetCursorXY();
  EXPECT_EQ(M.ixFocus, 12);
  EXPECT_EQ(M.iyFocus, 3);
  T.Set("edFITSiX", "x");
  M.SetCursorXY();
  EXPECT_EQ(M.ixFocus, 12);  // both must be integers
  T.Set("edFITSiX", "7");
  M.InfoToPanel();
  EXPECT_EQ(T.Get("lbFIONa"), "<CONT>");
  EXPECT_EQ(T.Get("gbFIOut.Caption"), "FO  CONT");
  EXPECT_EQ(T.Get("lbFIOnxy"), "(100,50)");
  EXPECT_EQ(T.Get("lbFIOfocusIdx"), "(7,3)");
  EXPECT_EQ(T.Get("lbFIOval"), "307");
  EXPECT_EQ(T.Get("lbFIOma"), "4999");
  EXPECT_EQ(T.Get("lbFIOmaIdx"), "(99,49)");
  EXPECT_EQ(T.Get("lbFIOkload"), "9 ");  // 9 has no name
  // The focus outside the map shows "0".
  T.Set("edFITSiX", "-1");
  T.Set("edFITSiY", "0");
  M.InfoToPanel();
  EXPECT_EQ(T.Get("lbFIOval"), "0");
  // A released map resets the panel.
  M.Release();
  M.InfoToPanel();
  EXPECT_EQ(T.Get("lbFIODt"), "20000000");
  EXPECT_EQ(T.Get("lbFIOfocusIdx"), "(0,0)");
  EXPECT_EQ(T.Get("lbDaNum"), "-");
}

}  // namespace
