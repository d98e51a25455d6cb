// The GIF tab's pictures without the window: the work copy at half height, the opaque and the
// transparent composition over a background, freezing, guide and reference lines, the screen
// scale and the measurement line of a click.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/cvGIFPict.h"
#include "app/cvHook.h"
#include "app/cvWinLink.h"

namespace {

constexpr uint32_t kRed = 0x0000FF, kWhite = 0xFFFFFF, kGrey = 0x808080;

// W x H with pixel (x, y) coloured x + 256 * y (distinct, never red or white in small sizes).
std::unique_ptr<TBitmap> Ramp(int32_t W, int32_t H) {
  auto B = std::make_unique<TBitmap>(W, H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) B->SetPixel(x, y, uint32_t(x + 256 * y) + 0x010000);
  return B;
}

TEST(GIFPict, WorkIsFullWidthAndHalfHeightByNearestPixels) {
  const auto S = Ramp(800, 600);
  TGIFLayer W;
  GIFMakeWork(*S, W);
  ASSERT_TRUE(W.Bmp);
  EXPECT_EQ(W.Bmp->Width(), 800);
  EXPECT_EQ(W.Bmp->Height(), 300);
  EXPECT_EQ(W.Bmp->Pixel(5, 0), S->Pixel(5, 0));
  EXPECT_EQ(W.Bmp->Pixel(799, 299), S->Pixel(799, 599));
  // an odd height: integer division
  const auto S3 = Ramp(10, 7);
  GIFMakeWork(*S3, W);
  EXPECT_EQ(W.Bmp->Height(), 3);
}

TEST(GIFPict, OpaqueCompositionPlacesTheOriginAtTheCornerOverTheBackgroundColour) {
  TGIFPictures P;
  P.Work.Bmp = Ramp(20, 10);
  P.Pict = std::make_unique<TBitmap>(8, 6);
  ASSERT_TRUE(GIFCompose(P, -5, -5, kRed));
  // work pixel (OrigX, OrigY) = (-5, -5) lands on (0, 0): the work starts at (5, 5)
  EXPECT_EQ(P.Pict->Pixel(4, 4), kRed);
  EXPECT_EQ(P.Pict->Pixel(5, 5), P.Work.Bmp->Pixel(0, 0));
  EXPECT_EQ(P.Pict->Pixel(7, 5), P.Work.Bmp->Pixel(2, 0));
  // dragged 10 pixels to the right: the origin decreases by 10, the picture moves right
  ASSERT_TRUE(GIFCompose(P, 3, 2, kRed));
  EXPECT_EQ(P.Pict->Pixel(0, 0), P.Work.Bmp->Pixel(3, 2));
  ASSERT_TRUE(GIFCompose(P, 3 - 10, 2, kRed));
  EXPECT_EQ(P.Pict->Pixel(6, 0), kRed);
  EXPECT_EQ(P.Pict->Pixel(7, 0), P.Work.Bmp->Pixel(0, 2));
  // nothing to compose
  TGIFPictures None;
  None.Pict = std::make_unique<TBitmap>(4, 4);
  EXPECT_FALSE(GIFCompose(None, 0, 0, kRed));
}

TEST(GIFPict, OverABackgroundTheBackgroundColourIsTransparent) {
  TGIFPictures P;
  P.Work.Bmp = std::make_unique<TBitmap>(6, 1);
  const uint32_t row[6] = {kRed, kGrey, kGrey, kRed, kRed, kGrey};
  for (int x = 0; x < 6; ++x) P.Work.Bmp->SetPixel(x, 0, row[x]);
  P.Work.Changed();
  P.Pict = std::make_unique<TBitmap>(6, 2);
  // a background smaller than the picture covers its top-left part
  P.Back = std::make_unique<TBitmap>(4, 1);
  for (int x = 0; x < 4; ++x) P.Back->SetPixel(x, 0, kWhite - uint32_t(x));
  ASSERT_TRUE(GIFCompose(P, 0, 0, kRed));
  const uint32_t want[6] = {kWhite, kGrey, kGrey, kWhite - 3, kWhite, kGrey};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(P.Pict->Pixel(x, 0), want[x]) << x;
  // shifted one pixel left: the runs are clipped at both ends
  ASSERT_TRUE(GIFCompose(P, 1, 0, kRed));
  EXPECT_EQ(P.Pict->Pixel(0, 0), kGrey);
  EXPECT_EQ(P.Pict->Pixel(2, 0), kWhite - 2);
  EXPECT_EQ(P.Pict->Pixel(4, 0), kGrey);
  // a new background colour makes the runs again
  ASSERT_TRUE(GIFCompose(P, 0, 0, kGrey));
  EXPECT_EQ(P.Pict->Pixel(0, 0), kRed);
  EXPECT_EQ(P.Pict->Pixel(1, 0), kWhite - 1);
}

TEST(GIFPict, FreezingTintsTheBackgroundRedAndEmptiesTheWork) {
  TGIFPictures P;
  EXPECT_FALSE(GIFFreeze(P, 0, 0, kWhite));
  P.Work.Bmp = Ramp(10, 4);
  P.Pict = std::make_unique<TBitmap>(6, 4);
  P.Back = std::make_unique<TBitmap>(6, 4);
  const uint32_t w = P.Work.Bmp->Pixel(2, 1);
  ASSERT_TRUE(GIFFreeze(P, 2, 1, kWhite));
  EXPECT_EQ(P.Back->Pixel(0, 0), w | 0x0000FF);
  EXPECT_EQ(P.Back->Pixel(5, 3), kWhite);  // beyond the work: background colour, red already
  EXPECT_EQ(P.Work.Bmp->Pixel(3, 3), kWhite);
  EXPECT_EQ(P.Pict->Pixel(0, 0), kWhite);
  // composed again: the frozen picture shows, the emptied work adds nothing
  ASSERT_TRUE(GIFCompose(P, -3, 0, kWhite));
  EXPECT_EQ(P.Pict->Pixel(0, 0), w | 0x0000FF);
}

TEST(GIFPict, GuideAndReferenceLines) {
  const std::vector<int32_t> want = {115, 120, 125, 130, 135, 140, 145,
                                     150, 155, 160, 165, 170, 175};
  EXPECT_EQ(GIFGuideLineYs(100, 200, 13), want);
  EXPECT_TRUE(GIFGuideLineYs(100, 0, 13).empty());
  // upwards, integer division toward zero
  EXPECT_EQ(GIFGuideLineYs(200, 100, 3), (std::vector<int32_t>{185, 155, 125}));
  EXPECT_EQ(GIFReperLineYs(40, 0), (std::vector<int32_t>{40}));
  EXPECT_EQ(GIFReperLineYs(40, 61), (std::vector<int32_t>{40, 61, 50}));
  EXPECT_EQ(GIFReperLineYs(0, 61), (std::vector<int32_t>{61, 30}));
  TBitmap B(5, 3);
  GIFHLine(B, 1, 0xFF0000);
  GIFHLine(B, 7, 0xFF0000);  // outside: nothing
  EXPECT_EQ(B.Pixel(4, 1), 0xFF0000u);
  EXPECT_EQ(B.Pixel(4, 2), kWhite);
  EXPECT_NEAR(GIFScreenScale(15.6, 1920, 1080), 15.6 * 600 / std::hypot(1920, 1080), 1e-12);
  EXPECT_EQ(GIFScreenScale(15.6, 0, 0), 0);
}

TEST(GIFPict, MeasurementLineOfAClick) {
  TGIFWork W;
  W.Level20 = 100;
  W.LevelContA = 200;
  W.LevelContM = 190;
  W.OrigX = -5;
  W.MirrorX = 0;
  // Iauto, Imanu, y, width in mA, xR - xL, middle
  EXPECT_EQ(GIFMeasureLine(300, 150, 800, W), "10.0 -8.0  150   82.2  205  397");
  W.LevelContA = W.Level20;
  EXPECT_EQ(GIFMeasureLine(300, 150, 800, W), "");
}

TEST(GIFPict, TheDemoSpectrogramHasAGreyStripWithDarkLines) {
  const auto B = SpectrogramPicture(800, 600);
  ASSERT_EQ(B->Width(), 800);
  EXPECT_EQ(B->Pixel(10, 10), kWhite);
  const uint32_t cont = B->Pixel(10, 300) & 0xFF, core = B->Pixel(400, 300) & 0xFF;
  EXPECT_GT(cont, 180u);
  EXPECT_LT(core, 80u);
  // the core is shallower near the strip's edge
  EXPECT_GT(B->Pixel(400, 160) & 0xFF, core);
}

}  // namespace
