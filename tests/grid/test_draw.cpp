// The computing part of the shared drawing routines.
#include <gtest/gtest.h>

#include "grid/cvGxDraw.h"
#include "platform/Colors.h"

namespace {

TEST(GridDraw, BlendColor) {
  EXPECT_EQ(TGraphicsProvider::BlendColor(clBlack, clWhite, 10), platform::RGBColor(244, 244, 244));
  EXPECT_EQ(TGraphicsProvider::BlendColor(platform::RGBColor(1, 2, 3), clWhite, 0),
            platform::RGBColor(254, 254, 254));
  EXPECT_EQ(TGraphicsProvider::BlendColor(clWhite, clBlack, 255),
            platform::RGBColor(254, 254, 254));
  // Channels do not leak into each other.
  EXPECT_EQ(TGraphicsProvider::BlendColor(clRed, clBlue, 128), platform::RGBColor(127, 0, 126));
  // System colours are resolved first.
  EXPECT_EQ(TMaskProvider::BlendColor(clWindow, clBlack, 255),
            TGraphicsProvider::BlendColor(platform::ColorToRGB(clWindow), clBlack, 255));
  EXPECT_THROW(TGraphicsProvider::BlendColor(clBlack, clWhite, 256), TGxError);
  EXPECT_THROW(TGraphicsProvider::BlendColor(clBlack, clWhite, -1), TGxError);
}

TEST(GridDraw, MixColors) {
  const uint32_t c1 = platform::RGBColor(0, 100, 200), c2 = platform::RGBColor(200, 100, 0);
  EXPECT_EQ(TGraphicsProvider::MixColors(c1, c2, 0.25), platform::RGBColor(50, 100, 150));
  EXPECT_EQ(TGraphicsProvider::MixColors(c1, c2, 0), c1);
  EXPECT_EQ(TGraphicsProvider::MixColors(c1, c2, 1), c2);
  EXPECT_EQ(GradientColor(c1, c2, 10, 10, 8), c1);
  EXPECT_EQ(GradientColor(c1, c2, 12, 10, 8), platform::RGBColor(50, 100, 150));
}

TEST(GridDraw, RectsIntersect) {
  const TGxRect a{0, 0, 10, 10};
  const std::pair<TGxRect, bool> cases[] = {
      {{10, 0, 20, 10}, true},   // shares the right edge
      {{0, 10, 10, 20}, true},   // shares the bottom edge
      {{11, 0, 20, 10}, false},  // wholly right
      {{-5, -5, -1, 20}, false}, // wholly left
      {{2, 2, 4, 4}, true},      // inside
      {{0, -9, 10, -1}, false},  // wholly above
  };
  for (auto& [b, want] : cases) {
    EXPECT_EQ(TCalcProvider::RectsIntersect(a, b), want) << b.Left << "," << b.Top;
    EXPECT_EQ(TCalcProvider::RectsIntersect(b, a), want);
  }
}

TEST(GridDraw, AlignInRect) {
  const TGxRect r{10, 20, 41, 51};  // 31 x 31
  struct Case { int V, H, X, Y; };
  const Case cases[] = {{0, 0, 12, 22}, {1, 1, 41 - 5 - 2, 51 - 6 - 2}, {2, 2, 25 - 2, 35 - 3}};
  for (const Case& c : cases) {
    TGxPoint p;
    TCalcProvider::AlignInRect(5, 6, p, c.V, c.H, r, 2);
    EXPECT_EQ(p, (TGxPoint{c.X, c.Y})) << c.V << c.H;
  }
  // An odd width centred: the extra pixel on the right.
  TGxPoint p;
  TCalcProvider::AlignInRect(5, 4, p, 2, 2, TGxRect{0, 0, 10, 10}, 0);
  EXPECT_EQ(p.X, 3);  // the centre 5 less 5 div 2
  TGxRect o;
  TCalcProvider::OffsetRectEdges(TGxRect{0, 0, 10, 10}, 1, o, -2, 3, -4);
  EXPECT_EQ(o, (TGxRect{1, -4, 13, 8}));
}

TEST(GridDraw, SmallHelpers) {
  EXPECT_FALSE(OutsideSquare({5, 5}, {3, 3}, 2));
  EXPECT_TRUE(OutsideSquare({6, 3}, {3, 3}, 2));
  EXPECT_EQ(AlphaChannel(200, 100, 255), 200);
  EXPECT_EQ(AlphaChannel(200, 100, 0), 100);
  EXPECT_EQ(AlphaChannel(255, 255, 128), 255);  // limited to 255
  EXPECT_EQ(TextBoxTop({0, 10, 50, 110}, 30, taAlignTop), 10);
  EXPECT_EQ(TextBoxTop({0, 10, 50, 110}, 30, taAlignBottom), 80);
  EXPECT_EQ(TextBoxTop({0, 10, 50, 110}, 30, taVerticalCenter), 45);
  SetThemesActive(true);
  EXPECT_TRUE(ThemesActive());
  SetThemesActive(false);
  EXPECT_FALSE(ThemesActive());
}

}  // namespace
