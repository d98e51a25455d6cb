// Colours, picture formats, TIFF headers, rectangles and the 24-bit bitmap routines.
#include <gtest/gtest.h>

#include "app/cvGLib.h"
#include "app/cvTIFF.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "support/TestSupport.h"

namespace {

class GLib : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { warns.push_back(t); });
  }
  void TearDown() override { ResetSayerForTests(); }
  bool Warned(const std::string& part) const {
    for (const auto& w : warns)
      if (w.find(part) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> warns;
  testsupport::TempDir dir;
};

TEST_F(GLib, ColourNamesAndTexts) {
  EXPECT_EQ(ColorByName("clSilver"), 12632256u);
  EXPECT_EQ(ColorByName("clsilver"), clNone);
  EXPECT_EQ(ColorByName("clDefault"), 0x20000000u);
  EXPECT_EQ(ColorName(12632256), "clSilver");  // the first of two rows
  EXPECT_EQ(ColorName(8421504), "clGray");
  EXPECT_EQ(ColorName(1193046), "$563412(00)");
  EXPECT_EQ(ColorText(0xFF00000F), "$0F0000(FF)");
}

TEST_F(GLib, ColoursFromText) {
  struct Case {
    std::string text;
    uint32_t color;
  };
  const std::vector<Case> cases = {
      {"FF8000", platform::RGBColor(255, 128, 0)}, {"1 0 1", platform::RGBColor(255, 0, 255)},
      {"0.5 0.5 0.5", platform::RGBColor(128, 128, 128)},
      {"10 300 2", platform::RGBColor(10, 44, 2)}, {"0 0 0", 0},
      {"1.0 0 0.2", platform::RGBColor(255, 0, 51)},
      {"-0.004 2.0 1e20", platform::RGBColor(255, 254, 0)},  // low 8 bits of the rounded values
  };
  for (const auto& c : cases) EXPECT_EQ(StrRGBtoColor(c.text), c.color) << c.text;
  EXPECT_TRUE(warns.empty());
  for (const std::string bad : {"ff8000", "1 2", "a b c", ""}) {
    warns.clear();
    EXPECT_EQ(StrRGBtoColor(bad), clNone) << bad;
    EXPECT_TRUE(Warned("Err: StrRGBtoColor(" + bad + ")!!!")) << bad;
  }
}

TEST_F(GLib, HighlightColours) {
  using platform::RGBColor;
  EXPECT_EQ(HighLightColor(RGBColor(10, 20, 30), 40), RGBColor(50, 60, 70));        // all grow
  EXPECT_EQ(HighLightColor(RGBColor(250, 240, 230), 40), RGBColor(210, 200, 190));  // none has room
  EXPECT_EQ(HighLightColor(RGBColor(210, 60, 60), 200), RGBColor(10, 60, 60));      // below S stays
  EXPECT_EQ(HighLightColor(RGBColor(250, 240, 10), 40), RGBColor(250, 240, 130));   // K=1: B takes all
  EXPECT_EQ(HighLightColor(RGBColor(10, 250, 200), 40), RGBColor(130, 250, 200));   // K=2: budget to R
  EXPECT_EQ(HighLightColor(RGBColor(240, 10, 250), 40), RGBColor(240, 130, 250));   // K=1: G takes all
  EXPECT_EQ(HighLightColor(RGBColor(250, 170, 250), 40), RGBColor(130, 170, 250));  // K=1, no room
  EXPECT_EQ(HighLightColor(0xFF000005, 1), 0xFF000003u);
  EXPECT_EQ(HighLightColor(0xFF000007, 1), 0xFF000008u);
  EXPECT_EQ(HighLightColor(0x05010203, 1), 0x05010203u);
  EXPECT_TRUE(Warned("HighLight Color R3: G2: B1: SystemColor = 5 <> 0!!!"));
}

TEST_F(GLib, PictureFormatsByContent) {
  struct Case {
    std::string bytes;
    int32_t code;
  };
  const std::vector<Case> cases = {
      {"BM", 1},
      {std::string("II*\0", 4), 2},
      {std::string("MM\0*", 4), 2},
      {std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10), 3},
      {std::string("\xFF\xD8\xFF\xE1\0\x10" "Exif", 10), 3},
      {std::string("\x89PNG\r\n\x1A\n", 8), 4},
      {std::string("\xB1\x68\xDE\x3A", 4), 5},
      {std::string("\x0A" "BM whatever", 12), 6},
      {std::string("\xD7\xCD\xC6\x9A", 4), 7},
      {std::string("\x01\0\0\0", 4), 7},
      {"GIF89a", -1},
      {"", -1},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string f = dir.file("p" + std::to_string(i));
    testsupport::WriteFile(f, cases[i].bytes);
    EXPECT_EQ(GraphFormatOf(f), cases[i].code) << i;
  }
  EXPECT_EQ(GraphFormatOf(dir.file("missing")), -1);
  EXPECT_EQ(GraphFormatName(4), "PNG");
  EXPECT_EQ(GraphFormatName(0), "???");
}

std::string Tiff(int tags, bool withSize) {
  std::string s("II*\0\x08\0\0\0", 8);
  s += static_cast<char>(tags);
  s += '\0';
  auto u16 = [&](uint16_t v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  for (int i = 0; i < tags; ++i) {
    uint16_t tag = static_cast<uint16_t>(300 + i);
    uint32_t val = 1;
    if (withSize && i < 5) {
      const uint16_t t[] = {256, 257, 258, 273, 279};
      const uint32_t v[] = {640, 480, 8, 1024, 307200};
      tag = t[i], val = v[i];
    }
    u16(tag), u16(3), u32(1), u32(val);
  }
  return s;
}

TEST_F(GLib, TiffHeaders) {
  const std::string f16 = dir.file("a.tif"), f14 = dir.file("b.tif");
  testsupport::WriteFile(f16, Tiff(16, true));
  testsupport::WriteFile(f14, Tiff(14, false));
  TTiffFile t;
  t.InitFile(f16);
  EXPECT_EQ(t.FileName, "a.tif");
  EXPECT_EQ(t.Width, 640u);
  EXPECT_EQ(t.Height, 480u);
  EXPECT_EQ(t.BitsPerSample, 8u);
  EXPECT_EQ(t.DataOffset, 1024u);
  EXPECT_EQ(t.DataLength, 307200u);
  EXPECT_EQ(t.Tags.size(), 16u);
  EXPECT_EQ(t.Report, "");
  t.InitFile(f14);
  EXPECT_EQ(t.Report,
            "\r\nNumber of Tags = 14 may be unusualy small (<19)!"
            "\r\nTag $0100 (image width) Not defined!\r\nTag $0101 (image height) Not defined!"
            "\r\nTag $0102 (bits per pixel) Not defined!"
            "\r\nTag $0111 (initial Data Offset) Not defined!\r\nTag $0117 (Data Length) Not defined!");
  // A directory cut short is the input/output error.
  testsupport::WriteFile(f14, Tiff(16, true).substr(0, 40));
  EXPECT_THROW(t.InitFile(f14), EInOutError);
  t.Init(dir.str(), "none.tif");
  EXPECT_EQ(t.Report, "TiffDef.Init file <" + dir.str() + "/none.tif> Not Found!");
  auto info = PictureInfo(f16);
  EXPECT_EQ(info->Text(), "FileName=a.tif\r\nGraphFormat=TIF\r\nLX=640\r\nLY=480\r\nNBit=8\r\n");
}

TEST_F(GLib, RectanglesAndSegments) {
  EXPECT_TRUE(PointInRectXY(Rect(10, 10, 0, 0), 10, 0));  // normalised, edges included
  EXPECT_FALSE(PointInRectXY(Rect(0, 0, 10, 10), 11, 5));
  EXPECT_EQ(OffsetRectBy(Rect(1, 2, 3, 4), Point(10, 20)), Rect(11, 22, 13, 24));
  double a, b, c, d;
  ASSERT_TRUE(ClipSegment(1, 1, 5, 5, 0, 0, 10, 10, a, b, c, d));
  EXPECT_EQ(std::vector<double>({a, b, c, d}), std::vector<double>({1, 1, 5, 5}));
  ASSERT_TRUE(ClipSegment(-5, 5, 15, 5, 0, 0, 10, 10, a, b, c, d));
  EXPECT_EQ(std::vector<double>({a, b, c, d}), std::vector<double>({0, 5, 10, 5}));
  EXPECT_FALSE(ClipSegment(-5, 12, 15, 12, 0, 0, 10, 10, a, b, c, d));  // parallel, outside
  EXPECT_EQ(a + b + c + d, 0);
  ASSERT_TRUE(ClipSegment(0, 10, 10, 10, 0, 0, 10, 10, a, b, c, d));  // on the edge
}

TEST_F(GLib, ViewRanges) {
  int32_t d1, s1, s2, d2;
  ViewRange(100, 50, 0, 0, 1, d1, s1, s2, d2);  // a small picture at the window's corner
  EXPECT_EQ(std::vector<int32_t>({d1, s1, s2, d2}), std::vector<int32_t>({0, 0, 49, 50}));
  ViewRange(100, 400, 0.25, 0, 1, d1, s1, s2, d2);  // a window onto the middle
  EXPECT_EQ(std::vector<int32_t>({d1, s1, s2, d2}), std::vector<int32_t>({0, 100, 200, 99}));
}

// A bitmap whose pixel (x, y) has the colour x + 16 y.
std::unique_ptr<TBitmap> Ramp(int w, int h) {
  auto b = std::make_unique<TBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixel(x, y, static_cast<uint32_t>(x + 16 * y));
  return b;
}

TEST_F(GLib, BitmapCopiesAndMirror) {
  auto src = Ramp(5, 3);
  auto b = Ramp(5, 3);
  BitmapMirror(b);
  EXPECT_EQ(b->Pixel(0, 1), 4u + 16);
  BitmapMirror(b);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(b->Pixel(x, y), src->Pixel(x, y));

  // Scaled copy: corners land on corners.
  TBitmap dst(20, 10);
  CopyBMPRect(&dst, Rect(0, 0, 9, 5), src.get(), Rect(0, 0, 5, 3));
  EXPECT_EQ(dst.Pixel(0, 0), 0u);
  EXPECT_EQ(dst.Pixel(8, 4), 4u + 32);
  EXPECT_EQ(dst.Pixel(9, 0), clWhite);
  CopyBMPRect(&dst, Rect(0, 0, 21, 5), src.get(), Rect(0, 0, 5, 3));
  EXPECT_TRUE(Warned("CopyBMPRect RDest.Right = 21 BMPDest.Width = 20"));
  CopyBMPRect(&dst, Rect(0, 0, 5, 5), src.get(), Rect(1, 0, 6, 3));
  EXPECT_TRUE(Warned("CopyBMPRect xs0+lxs=1+4 BMPSrc.Width=5 rSrc.Left=1 Right=6"));
  CopyBMPRect(&dst, Rect(3, 3, 4, 4), src.get(), Rect(0, 0, 5, 3));  // one pixel: the first one
  EXPECT_EQ(dst.Pixel(3, 3), 0u);

  // Unscaled copy clipped at the destination's edge.
  TBitmap small(3, 2);
  BlitAt(&small, Point(1, 1), src.get(), Rect(0, 0, 5, 3));
  EXPECT_EQ(small.Pixel(1, 1), 0u);
  EXPECT_EQ(small.Pixel(2, 1), 1u);
  EXPECT_EQ(small.Pixel(0, 0), clWhite);

  // The picture's last row and column are shown too.
  BMPtoWindow(src.get(), &dst, 2, 2, clRed);
  EXPECT_EQ(dst.Pixel(0, 0), 2u + 32);
  EXPECT_EQ(dst.Pixel(2, 0), 4u + 32);
  EXPECT_EQ(dst.Pixel(3, 0), clRed);
  EXPECT_EQ(dst.Pixel(0, 1), clRed);
  EXPECT_EQ(dst.Pixel(19, 9), clRed);
  BMPtoWindow(nullptr, &dst, 0, 0, clRed);
  EXPECT_TRUE(Warned("BMPtoWindow sBMP Not Assigned!"));
}

TEST_F(GLib, ChannelsFillAndTransparency) {
  TBitmap b(4, 2);
  BitmapFill(&b, platform::RGBColor(1, 2, 3));
  EXPECT_EQ(b.Pixel(3, 1), platform::RGBColor(1, 2, 3));
  EXPECT_EQ(b.Canvas().Brush.Color, clWhite);  // the brush is restored
  BMPAddColors(&b, 'G');
  EXPECT_EQ(b.Pixel(2, 0), platform::RGBColor(1, 255, 3));
  BMPAddColors(&b, 'Q');
  EXPECT_EQ(b.Pixel(2, 0), platform::RGBColor(1, 255, 3));
  TBitmap b32(2, 2, 32);
  BMPAddColors(&b32, 'R');
  EXPECT_TRUE(Warned("процедура BMPAddColors работает только с 24-битными BMP!"_cp));
  BMPAddColors(nullptr, 'R');
  EXPECT_TRUE(Warned("процедура (ф-я) BMPAddColors в качестве параметра приняла НЕ BITMAP!"_cp));

  TBitmap canvasBmp(6, 6);
  BitmapFill(&canvasBmp, clBlue);
  TBitmap pic(2, 2);
  BitmapFill(&pic, clLime);
  pic.SetPixel(0, 0, clFuchsia);
  DrawTransparentBMP(&canvasBmp.Canvas(), 3, 3, &pic, clFuchsia);
  EXPECT_EQ(canvasBmp.Pixel(3, 3), clBlue);  // transparent
  EXPECT_EQ(canvasBmp.Pixel(4, 3), clLime);
  EXPECT_EQ(canvasBmp.Pixel(4, 4), clLime);
  EXPECT_EQ(canvasBmp.Pixel(5, 5), clBlue);
}

TEST_F(GLib, CanvasText) {
  TBitmap b(200, 30);
  TCanvas& c = b.Canvas();
  c.Font.Size = 12;  // fixed cells of 16 x 9 pixels without a display
  const TRect r = CanvasSayRect(&c, "ab", 2);
  EXPECT_EQ(r, Rect(7 + 18, 7, 7 + 18 + 18, 7 + 16));
  CanvasSay(&c, "ab", 2, clYellow);
  EXPECT_EQ(b.Pixel(r.Left, r.Top), clYellow);
  EXPECT_EQ(b.Pixel(r.Left + 2, r.Top + 2), clBlack);  // the letter's cell
  EXPECT_EQ(c.Brush.Color, clWhite);
  BitmapFill(&b, clWhite);
  CanvasSayBits(0, clSilver, clRed, 0b10, "XYZ", &c);
  EXPECT_EQ(b.Pixel(7, 7), clSilver);
  EXPECT_EQ(b.Pixel(7 + 9, 7), clRed);
  EXPECT_EQ(b.Pixel(7 + 18, 7), clSilver);
  CanvasTextInRect(&c, "Q", Rect(100, 0, 140, 30), clNavy, clAqua, 1, 2);
  EXPECT_EQ(b.Pixel(100, 0), clAqua);
  EXPECT_EQ(b.Pixel(140 - 9 + 2, 30 - 16 + 2), clNavy);  // right and bottom
  CanvasClear(nullptr);
  EXPECT_TRUE(Warned("Err-CanvasClear - Canvas неопределён"_cp));
  CanvasSay(nullptr, "zz", 0, 0);
  EXPECT_TRUE(Warned("Err-CanvasSay - Canvas неопределён\nS=zz"_cp));
}

TEST_F(GLib, GlyphFrames) {
  TBitmap strip(6, 2), b(10, 4);
  for (int x = 0; x < 6; ++x) strip.SetPixel(x, 0, x < 3 ? clRed : clLime);
  DrawGlyphFrame(&b.Canvas(), 1, 1, &strip, 2, 1);
  EXPECT_EQ(b.Pixel(1, 1), clLime);
  EXPECT_EQ(b.Pixel(3, 1), clLime);
  EXPECT_EQ(b.Pixel(4, 1), clWhite);
  DrawGlyphFrame(&b.Canvas(), 5, 1, &strip, 0, 0);  // no frames: nothing
  EXPECT_EQ(b.Pixel(5, 1), clWhite);
}

}  // namespace
