// Colour reduction: the six methods, the level tables, at most 256 entries, the failures.
#include <gtest/gtest.h>

#include <array>

#include "foundation/cvJob.h"
#include "platform/MsgBox.h"
#include "plotting/gif/cvGIFErr.h"
#include "plotting/gif/cvGIFGradient.h"
#include "tests/gif/support/GifSupport.h"

using namespace giftest;

namespace {

TDib Solid(int32_t W, int32_t H, uint8_t R, uint8_t G, uint8_t B) {
  TDib D(W, H, 24);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      uint8_t* P = D.Row(y) + 3 * x;
      P[0] = B, P[1] = G, P[2] = R;
    }
  return D;
}

// A picture of N pixels in rows of 100; pixel i gets Colour(i) as {r, g, b}; the rest of the
// last row repeats pixel 0.
template <class F>
TDib Coloured(int32_t N, F Colour) {
  TDib D(100, (N + 99) / 100, 24);
  for (int32_t i = 0; i < D.Width * D.Height; ++i) {
    const auto C = Colour(i < N ? i : 0);
    uint8_t* P = D.Row(i / 100) + 3 * (i % 100);
    P[0] = uint8_t(C[2]), P[1] = uint8_t(C[1]), P[2] = uint8_t(C[0]);
  }
  return D;
}

TDib Reduce(const TDib& D, TReductionMethod M, TReductionInfo* Info = nullptr) {
  return TDib::LoadFromBmp(BitmapToPaletteDIB(D, 8, M, Info));
}

}  // namespace

TEST(GifGradient, LevelTables) {
  using gifgradient::NearestLevel;
  EXPECT_EQ(NearestLevel(6, 25), 0);
  EXPECT_EQ(NearestLevel(6, 26), 1);
  EXPECT_EQ(NearestLevel(7, 64), 1);
  EXPECT_EQ(NearestLevel(7, 65), 2);
  const TDib R = Reduce(Solid(2, 2, 64, 0, 255), rm7R8G4B);
  EXPECT_EQ(R.Index(0, 0), 1u * 32 + 0 * 4 + 3);
  EXPECT_EQ(R.ClrUsed, 224u);
  EXPECT_EQ(R.Palette[R.Index(0, 0)].R, 43);
  const std::vector<uint8_t> File = BitmapToPaletteDIB(Solid(2, 2, 64, 0, 255), 8, rm7R8G4B);
  EXPECT_EQ(File[54 + 4 * 230 + 2], 128);  // grey after the levels
  const TDib S = Reduce(Solid(2, 2, 26, 25, 255), rm6R6G6B);
  EXPECT_EQ(S.Index(1, 1), 1u * 36 + 0 * 6 + 5);
  EXPECT_EQ(S.ClrUsed, 216u);
}

TEST(GifGradient, GreysAndChannelTriplets) {
  struct {
    uint8_t R, G, B, Grey;
  } Cases[] = {{255, 0, 0, 76}, {0, 255, 0, 149}, {0, 0, 255, 28}, {255, 255, 255, 255}};
  for (auto& C : Cases) {
    const TDib D = Reduce(Solid(1, 1, C.R, C.G, C.B), rmGrayscale);
    EXPECT_EQ(D.Index(0, 0), C.Grey);
    EXPECT_EQ(D.Palette[C.Grey].G, C.Grey);
  }
  const TDib T = Reduce(Solid(3, 2, 200, 100, 40), rmChannelTriplet);
  // Rows counted from the bottom row (y = 1 here), columns from the left.
  EXPECT_EQ(T.Index(0, 1), 200u >> 2);
  EXPECT_EQ(T.Index(1, 1), (100u >> 2) + 64);
  EXPECT_EQ(T.Index(2, 1), (40u >> 2) + 128);
  EXPECT_EQ(T.Index(0, 0), (100u >> 2) + 64);
  EXPECT_EQ(T.Palette[70].G, 24);
}

TEST(GifGradient, MedianCut) {
  TReductionInfo I;
  const TDib W = Reduce(Solid(5, 4, 255, 255, 255), rmMedianCut, &I);
  EXPECT_EQ(W.ClrUsed, 1u);
  EXPECT_EQ(W.Palette[0], (TRGBQuad{255, 255, 255, 0}));
  for (int i = 1; i < 256; ++i) EXPECT_EQ(W.Palette[size_t(i)], TRGBQuad{});
  // Very dark boxes become black.
  const TDib Dark = Reduce(Solid(3, 3, 10, 5, 0), rmMedianCut);
  EXPECT_EQ(Dark.Palette[0], TRGBQuad{});
  // Many colours: at most 256 boxes, every pixel in its box's cell range.
  const TDib P = Picture24(120, 90, 2);
  const TDib M = Reduce(P, rmMedianCut, &I);
  EXPECT_LE(M.ClrUsed, 256u);
  EXPECT_GT(M.ClrUsed, 16u);
  for (int32_t y = 0; y < 90; y += 7)
    for (int32_t x = 0; x < 120; x += 7) EXPECT_LT(M.Index(x, y), M.ClrUsed);
}

TEST(GifGradient, HistogramNarrowsItsMasks) {
  {  // fewer colours than wanted: every colour by falling frequency, then grey
    TDib D = Solid(4, 1, 10, 20, 30);
    uint8_t* P = D.Row(0);
    P[9] = 0, P[10] = 0, P[11] = 200;  // one red pixel
    TReductionInfo I;
    const TDib R = Reduce(D, rmHistogram, &I);
    EXPECT_EQ(I.Colours, 2);
    EXPECT_EQ(R.Palette[0], (TRGBQuad{30, 20, 10, 0}));
    EXPECT_EQ(R.Palette[1], (TRGBQuad{0, 0, 200, 0}));
    EXPECT_EQ(R.Palette[2], (TRGBQuad{128, 128, 128, 0}));
    EXPECT_EQ(R.Index(3, 0), 1u);
    EXPECT_EQ(R.Index(0, 0), 0u);
  }
  // 3000 colours that pair up when blue loses its lowest bit: one narrowing.
  TReductionInfo I;
  Reduce(Coloured(3000, [](int i) {
           const int k = i / 2;
           return std::array<int, 3>{k / 128, 0, 2 * (k % 128) + i % 2};
         }),
         rmHistogram, &I);
  EXPECT_EQ(I.MaskB, 254);
  EXPECT_EQ(I.MaskR, 255);
  EXPECT_EQ(I.Colours, 1500);
  // 6000 colours that need red to lose its lowest bit too.
  Reduce(Coloured(6000, [](int i) {
           const int k = i / 4, a = (i / 2) % 2;
           return std::array<int, 3>{2 * (k / 128) + a, 0, 2 * (k % 128) + i % 2};
         }),
         rmHistogram, &I);
  EXPECT_EQ(I.MaskB, 254);
  EXPECT_EQ(I.MaskR, 254);
  EXPECT_EQ(I.MaskG, 255);
  // Any picture: at most 256 entries and every index within the palette's colours.
  const TDib Many = Reduce(Noise(64, 64, 8, 256, 1).To24(), rmHistogram);
  EXPECT_EQ(Many.Palette.size(), 256u);
}

TEST(GifGradient, UnchangedAndFailures) {
  const TDib N = Noise(7, 3, 8, 256, 2);
  EXPECT_EQ(BitmapToPaletteDIB(N, 8, rmMedianCut), N.SaveToBmp());
  EXPECT_NE(BitmapToPaletteDIB(N, 8, rmGrayscale), N.SaveToBmp());
  try {
    BitmapToPaletteDIB(TDib(), 8, rmHistogram);
    FAIL();
  } catch (const EInvalidGraphic& X) {
    EXPECT_STREQ(X.what(), "Bitmap image is not valid");
  }
  platform::ScriptedMsgBoxes Boxes;
  EXPECT_THROW(BitmapToPaletteDIB(N, 24, rmHistogram), EGraphicAbort);
  EXPECT_EQ(Boxes.Shown().size(), 1u);
  // Inside a job the text goes to the job's report, no box.
  TJob Job("reduce");
  EXPECT_FALSE(RunJob(Job, [&](TJob&) { BitmapToPaletteDIB(N, 24, rmHistogram); }));
  EXPECT_EQ(Boxes.Shown().size(), 1u);
  ASSERT_EQ(Job.Warnings().size(), 1u);
  EXPECT_EQ(Job.Warnings()[0].Text, "Unsupported pixel format for the palette conversion");
  // 1 and 4 bits: the nearest of black and white, or of the 16 standard colours.
  const TDib One = TDib::LoadFromBmp(BitmapToPaletteDIB(Solid(2, 2, 250, 240, 230), 1, rmHistogram));
  EXPECT_EQ(One.BitCount, 1);
  EXPECT_EQ(One.Pixel(0, 0), 0xFFFFFFu);
}
