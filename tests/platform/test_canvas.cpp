// The bitmap canvas: polygons (filled and outlined) and the settable clip rectangle.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/Canvas.h"

namespace {

using platform::TBitmap;
using platform::TCanvas;
using Pix = std::pair<int, int>;

std::set<Pix> Painted(const TBitmap& B, uint32_t C) {
  std::set<Pix> S;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (B.Pixel(x, y) == C) S.insert({x, y});
  return S;
}

TEST(CanvasPolygon, FillsPixelCentresInsideAndOutlinesWithThePen) {
  TBitmap B(40, 40);
  TCanvas& C = B.Canvas();
  C.Brush.Color = 0x00FF00;
  C.Pen.Color = 0x0000FF;
  // A 5 x 4 rectangle as a polygon: the outline holds every edge pixel, the fill the inside.
  C.Polygon({{2, 2}, {6, 2}, {6, 5}, {2, 5}});
  std::set<Pix> Edge, Inside;
  for (int y = 2; y <= 5; ++y)
    for (int x = 2; x <= 6; ++x)
      (x == 2 || x == 6 || y == 2 || y == 5 ? Edge : Inside).insert({x, y});
  EXPECT_EQ(Painted(B, 0x0000FF), Edge);
  EXPECT_EQ(Painted(B, 0x00FF00), Inside);
  // A five-pointed star drawn in one stroke: even-odd leaves its centre unfilled.
  TBitmap S(40, 40);
  S.Canvas().Brush.Color = 0x00FF00;
  S.Canvas().Pen.Color = 0x0000FF;
  S.Canvas().Polygon({{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}});
  EXPECT_EQ(S.Pixel(20, 22), 0xFFFFFFu);  // the centre
  EXPECT_EQ(S.Pixel(20, 8), 0x00FF00u);   // inside the upper point
  EXPECT_EQ(S.Pixel(31, 36), 0x0000FFu);  // a vertex
  // A clear brush outlines only; two points are a line with both ends.
  TBitmap L(20, 20);
  L.Canvas().Brush.Style = platform::TBrushStyle::Clear;
  L.Canvas().Pen.Color = 0x0000FF;
  L.Canvas().Polygon({{1, 1}, {8, 1}, {8, 8}});
  EXPECT_EQ(L.Pixel(6, 4), 0xFFFFFFu);
  L.Canvas().Polygon({{12, 3}, {12, 6}});
  EXPECT_EQ(L.Pixel(12, 3), 0x0000FFu);
  EXPECT_EQ(L.Pixel(12, 6), 0x0000FFu);
}

TEST(CanvasClip, EveryOperationKeepsToTheClipRectangle) {
  TBitmap B(30, 20);
  TCanvas& C = B.Canvas();
  C.SetClipRect(Rect(5, 4, 15, 12));
  EXPECT_EQ(C.ClipRect(), Rect(5, 4, 15, 12));
  C.Brush.Color = 0x00FF00;
  C.Pen.Color = 0x00FF00;
  C.Font.Color = 0x00FF00;
  C.FillRect(Rect(0, 0, 30, 20));
  C.SetPixel(2, 2, 0x00FF00);
  C.MoveTo(0, 15);
  C.LineTo(29, 15);
  C.Polygon({{0, 0}, {29, 0}, {29, 19}});
  C.TextOut(0, 0, "WWWWWWWWWW");
  TBitmap Src(30, 20);
  Src.Canvas().Brush.Color = 0x00FF00;
  Src.Canvas().FillRect(Rect(0, 0, 30, 20));
  C.Draw(0, 0, Src);
  C.CopyRect(Rect(0, 0, 30, 20), Src, Rect(0, 0, 30, 20));
  std::set<Pix> Want;
  for (int y = 4; y < 12; ++y)
    for (int x = 5; x < 15; ++x) Want.insert({x, y});
  EXPECT_EQ(Painted(B, 0x00FF00), Want);
  // A clip past the surface is cut to it; reset gives the whole surface, following its size.
  C.SetClipRect(Rect(-5, -5, 100, 100));
  EXPECT_EQ(C.ClipRect(), Rect(0, 0, 30, 20));
  C.ResetClip();
  B.SetSize(50, 10);
  EXPECT_EQ(C.ClipRect(), Rect(0, 0, 50, 10));
}

TEST(CanvasFont, PixelsPerInchScalesTheFixedCellText) {
  platform::TFont F;
  F.Size = 12;
  EXPECT_EQ(platform::FixedCellRenderer::CellHeight(F), 16);
  F.PixelsPerInch = 600;
  EXPECT_EQ(platform::FixedCellRenderer::CellHeight(F), 100);
  EXPECT_EQ(platform::FontPixelHeight(10, 600), 83);
}

}  // namespace
