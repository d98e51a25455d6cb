// Header, indicator and footer in the five style displays (classic drawing), the input cell's
// caption, and the default style's themed header through the widget style.
#include <gtest/gtest.h>

#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxPaint.h"
#include "gridqt/support/GridFixture.h"
#include "platform/Colors.h"

using gridtest::Px;
using gridtest::TGridFixture;

namespace {

constexpr uint32_t clBtnHighlight = 0xFF000014;

// Three columns with a header of 18 and the indicator: column 1's header spans x 92..171.
struct StyleFixture : TGridFixture {
  StyleFixture()
      : TGridFixture(3, 4, 320, 200, Go(goHeader) | Go(goGrid) | Go(goIndicator) | Go(goFooter)) {
    SetThemesActive(false);
  }
};

TEST(GridStyles, HeaderLinesOfEachStyle) {
  StyleFixture f;
  TCvGrid& g = *f.G;
  // (style, point, colour) of the middle column's header and of the indicator cells
  struct Case {
    THeaderStyle S;
    QPoint P;
    uint32_t C;
  };
  const Case cases[] = {
      {hsAuto, {130, 0}, clBtnHighlight},     // top line
      {hsAuto, {130, 17}, clBtnShadow},       // bottom line
      {hsAuto, {171, 8}, clBtnShadow},        // right edge, shortened
      {hsAuto, {171, 1}, clBtnFace},          // its end pixel in the header colour
      {hsAuto, {130, 8}, clBtnFace},
      {hsFlatBorders, {130, 17}, clGrayText},
      {hsFlatBorders, {171, 8}, clGrayText},
      {hsFlatBorders, {130, 0}, clBtnFace},
      {hsOldStyle, {130, 0}, clBtnHighlight},
      {hsOldStyle, {130, 17}, clWindowFrame},
      {hsOutlook, {130, 15}, TGraphicsProvider::BlendColor(clBtnShadow, clBtnFace, 50)},
      {hsOutlook, {130, 16}, TGraphicsProvider::BlendColor(clBtnShadow, clBtnFace, 100)},
      {hsOutlook, {130, 17}, TGraphicsProvider::BlendColor(clBtnShadow, clBtnFace, 150)},
      {hsVista, {130, 8}, platform::RGBColor(240, 240, 240)},
      {hsVista, {92, 8}, clWhite},
      {hsVista, {171, 8}, clBtnFace},
  };
  for (const Case& c : cases) {
    g.SetHeaderStyle(c.S);
    const QImage img = f.Render();
    EXPECT_EQ(img.pixelColor(c.P), GxColor(c.C)) << c.S << " at " << c.P.x() << "," << c.P.y();
  }
}

TEST(GridStyles, IndicatorMarksTheSelectedRowAndCornersAreDrawn) {
  StyleFixture f;
  TCvGrid& g = *f.G;
  g.SelectCell(0, 1, 0);
  const QImage img = f.Render();
  // the triangle 6 x 11 centred in the indicator cell of row 1 (y 17 .. 34)
  const QColor ink = GxColor(clWindowText);
  EXPECT_EQ(Px(img, 4, 18 + 17 + 8), ink);
  EXPECT_NE(Px(img, 4, 18 + 8), ink);  // row 0 has no mark
  // the default indicator cell: light left edge, shadow right edge
  EXPECT_EQ(Px(img, 0, 18 + 8), GxColor(clBtnHighlight));
  EXPECT_EQ(Px(img, 11, 18 + 8), GxColor(clBtnShadow));
  // the footer's corner box (state 1): shadow line over a light line at its top
  const QRect ft = g.FooterRect();
  EXPECT_EQ(Px(img, 5, ft.top()), GxColor(clBtnShadow));
  EXPECT_EQ(Px(img, 5, ft.top() + 1), GxColor(clBtnHighlight));
}

TEST(GridStyles, VistaShowsSortByBandNotArrow) {
  StyleFixture f;
  TCvGrid& g = *f.G;
  g.SetHeaderStyle(hsVista);
  g.Columns().Column(1)->Header().SetCaption(u"B");
  g.Columns().Column(1)->SetSorted(true);
  const QImage img = f.Render();
  // the band: gradient at the top, white below
  EXPECT_EQ(Px(img, 150, 0), GxColor(platform::RGBColor(175, 220, 240)));
  EXPECT_EQ(Px(img, 150, 12), GxColor(clWhite));
  // no common sort arrow right of the caption
  EXPECT_EQ(gridtest::Ink(img, QRect(115, 7, 40, 10), GxColor(clWhite)), 0);
}

TEST(GridStyles, InputCellShowsItsCaptionCentredInGrey) {
  TGridFixture f(2, 2, 300, 200, Go(goHeader) | Go(goInput));
  TCvGrid& g = *f.G;
  SetThemesActive(false);
  g.Columns().Column(0)->SetInputCaption(u"type");
  const QImage img = f.Render();
  const QRect in = g.InputRect();
  const QRect box = gridtest::InkBox(img, QRect(0, in.top(), 80, g.InputSize()), GxColor(clWindow));
  ASSERT_FALSE(box.isNull());
  EXPECT_NEAR(box.center().x(), 40, 3);
  // no dark-black pixel: the caption is grey
  EXPECT_TRUE(gridtest::DarkBox(img, box).isNull() ||
              img.pixelColor(box.center()).lightness() > 40);
}

TEST(GridStyles, ThemedHeaderGoesThroughTheWidgetStyle) {
  StyleFixture f;
  TCvGrid& g = *f.G;
  const QImage classic = f.Render();
  SetThemesActive(true);
  const QImage themed = f.Render();
  g.SetEnableVisualStyles(false);
  const QImage off = f.Render();
  SetThemesActive(false);
  int diff = 0, same = 0;
  for (int x = 12; x < 252; ++x)
    for (int y = 0; y < 18; ++y) {
      diff += classic.pixelColor(x, y) != themed.pixelColor(x, y);
      same += classic.pixelColor(x, y) != off.pixelColor(x, y);
    }
  EXPECT_GT(diff, 0);
  EXPECT_EQ(same, 0);
}

}  // namespace
