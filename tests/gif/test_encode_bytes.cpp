// The encoder's output is fixed: a reference set of pictures (noise, plot pages, a blank page
// with one curve, uniform frames, long runs, 1- and 4-bit pictures) must give the same bytes as
// the files written before its string table changed (length and FNV-1a digest of each), and
// decode back to the picture. Files the reader accepts are written back and read again.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFErr.h"
#include "tests/gif/support/GifSupport.h"

namespace {

uint64_t Fnv1a(const std::vector<uint8_t>& B) {
  uint64_t H = 1469598103934665603ull;
  for (uint8_t b : B) H = (H ^ b) * 1099511628211ull;
  return H;
}

TDib Grey(int32_t W, int32_t H, int32_t Bits) {
  TDib D(W, H, Bits);
  const size_t N = D.Palette.size();
  for (size_t i = 0; i < N; ++i) {
    const uint8_t v = uint8_t(i * 255 / (N > 1 ? N - 1 : 1));
    D.Palette[i] = TRGBQuad{v, uint8_t(255 - v), uint8_t(i * 7), 0};
  }
  return D;
}

// A blank page with one curve (a sine three pixels thick).
TDib BlankWithCurve(int32_t W, int32_t H) {
  TDib D = Grey(W, H, 8);
  for (int32_t y = 0; y < H; ++y) std::fill_n(D.Row(y), W, uint8_t(255));
  for (int32_t x = 0; x < W; ++x) {
    const int32_t y = int32_t(H / 2 + H / 3 * std::sin(x * 0.003));
    for (int t = -1; t <= 1; ++t) D.Row(std::clamp(y + t, 0, H - 1))[x] = 12;
  }
  return D;
}

TDib Uniform(int32_t W, int32_t H, int32_t Bits, uint32_t Index) {
  TDib D = Grey(W, H, Bits);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) D.SetIndex(x, y, Index);
  return D;
}

// Runs of one colour of the given lengths, colours taking turns.
TDib Runs(int32_t W, int32_t H, int32_t Bits, std::vector<int64_t> Lengths) {
  TDib D = Grey(W, H, Bits);
  const uint32_t N = 1u << Bits;
  int64_t k = 0, left = Lengths[0];
  uint32_t c = 0;
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      if (left-- == 0) {
        ++k;
        left = Lengths[size_t(k) % Lengths.size()] - 1;
        c = (c + 1) % N;
      }
      D.SetIndex(x, y, c);
    }
  return D;
}

struct TCase {
  const char* Name;
  std::function<TDib()> Make;
  size_t Size;
  uint64_t Digest;
};

}  // namespace

TEST(GifEncodeBytes, ReferenceSetKeepsItsBytesAndDecodesBack) {
  const std::vector<TCase> Cases = {
      {"noise 8-bit 257x131", [] { return giftest::Noise(257, 131, 8, 256, 5); }, 46907, 0x8276364d5dade457ull},
      {"noise 4-bit 99x77", [] { return giftest::Noise(99, 77, 4, 16, 6); }, 4746, 0x522c15b024d592f7ull},
      {"noise 1-bit 333x21", [] { return giftest::Noise(333, 21, 1, 2, 7); }, 1125, 0x99e8457e231bd913ull},
      {"plot page 1024x768", [] { return giftest::PlotLike(1024, 768); }, 27045, 0x3cad6d2445381c55ull},
      {"blank page with a curve 2048x1536", [] { return BlankWithCurve(2048, 1536); }, 9905, 0x3368296a888ddea9ull},
      {"uniform 8-bit 2048x1536", [] { return Uniform(2048, 1536, 8, 7); }, 4221, 0xb8ae4540607da73cull},
      {"uniform 4-bit 1001x999", [] { return Uniform(1001, 999, 4, 15); }, 1788, 0x4df6f8a9a3674b6dull},
      {"uniform 1-bit 3000x700", [] { return Uniform(3000, 700, 1, 1); }, 2613, 0xa7735336c576164cull},
      {"runs 700/5000/1 8-bit", [] { return Runs(1500, 900, 8, {700, 5000, 1, 609, 610}); }, 58436, 0x3b7f457d19c35b84ull},
      {"runs 3/1/2 4-bit", [] { return Runs(640, 480, 4, {3, 1, 2, 40}); }, 13753, 0x77d5bf73c72d9351ull},
      {"1 x 1", [] { return Uniform(1, 1, 8, 0); }, 799, 0x75d99785d8fa360cull},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const TDib D = C.Make();
    TCvGIF G;
    G.AddFrame(D);
    const std::vector<uint8_t> S = G.SaveToStream();
    EXPECT_EQ(S.size(), C.Size);
    EXPECT_EQ(Fnv1a(S), C.Digest);
    TCvGIF Back;
    Back.LoadFromStream(S);
    std::string Why;
    EXPECT_TRUE(giftest::SameColours(D, Back.FrameAt(0).Bitmap(), &Why)) << Why;
  }
}

// A frame far right and down of a small screen: the screen written grows to cover it and the
// file reads again.
TEST(GifEncodeBytes, WhatTheReaderAcceptsIsWrittenAndReadAgain) {
  // 1 x 1 screen, 2-entry global table, one 1 x 1 frame at (40000, 40000): clear, 0, end.
  const std::vector<uint8_t> In = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,
                                   0, 0, 0, 255, 255, 255,
                                   ',', 0x40, 0x9C, 0x40, 0x9C, 1, 0, 1, 0, 0,
                                   2, 2, 0x44, 0x01, 0, ';'};
  TCvGIF G;
  G.LoadFromStream(In);
  ASSERT_EQ(G.FrameCount(), 1);
  EXPECT_EQ(G.FrameAt(0).Left, 40000);
  const std::vector<uint8_t> Out = G.SaveToStream();
  TCvGIF Again;
  ASSERT_NO_THROW(Again.LoadFromStream(Out));
  EXPECT_EQ(Again.ScreenWidth, 40001);
  EXPECT_EQ(Again.ScreenHeight, 40001);
  EXPECT_EQ(Again.FrameAt(0).Top, 40000);
  EXPECT_EQ(Again.FrameAt(0).Bitmap().Index(0, 0), 0u);
}
