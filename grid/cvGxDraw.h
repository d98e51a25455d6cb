// The computing part of the grid suite's shared drawing routines: colour mixing, rectangle
// helpers, text-box placement, per-pixel alpha and the visual-styles switch. The drawing itself
// (on QPainter) is in grid/qt/cvGxPaint.h.
#pragma once
#include <cstdint>

#include "grid/cvGxTypes.h"

// Visual styles: the switch is on when themed elements are drawn through the widget style;
// every themed element keeps its classic drawing for when it is off. Process-wide, set at start.
bool ThemesActive();
void SetThemesActive(bool On);

// The one routine that turns a stored colour (system colours included) into plain 0x00BBGGRR
// for every drawing of the suite. Without an installed resolver the platform's fixed light
// values apply; the grid's Qt part installs one that reads the application's palette.
uint32_t GxColorToRGB(uint32_t Color);
using TGxColorResolver = uint32_t (*)(uint32_t SystemColor);
// Returns the resolver it replaces; null restores the fixed values.
TGxColorResolver SetGxColorResolver(TGxColorResolver Resolver);
// "Darker by Weight": BlendColor(black, Color, Weight).
uint32_t GxDarker(uint32_t Color, int Weight);

class TCalcProvider {
 public:
  TCalcProvider() = delete;
  // True unless one lies wholly left, right, above or below the other (shared edges meet).
  static bool RectsIntersect(const TGxRect& A, const TGxRect& B);
  // Top-left point of an item of the size in the rectangle: horizontal 0 left + margin, 1 right -
  // width - margin, 2 centred; vertical 0 top + margin, 1 bottom - height - margin, 2 centred
  // (halves toward zero).
  static void AlignInRect(int Width, int Height, TGxPoint& Point, int Vertical, int Horizontal,
                          const TGxRect& Rect, int Margin);
  static void OffsetRectEdges(const TGxRect& Rect, int DLeft, TGxRect& Result, int DBottom,
                              int DRight, int DTop);
};

class TGraphicsProvider {
 public:
  TGraphicsProvider() = delete;
  // Per channel (Weight * A + (255 - Weight) * B) div 256; system colours resolved first.
  // A weight outside 0..255 raises TGxError before anything is computed.
  static uint32_t BlendColor(uint32_t A, uint32_t B, int Weight);
  // Per channel round(F * C2 + (1 - F) * C1).
  static uint32_t MixColors(uint32_t C1, uint32_t C2, double F);
};

class TMaskProvider {
 public:
  TMaskProvider() = delete;
  static uint32_t BlendColor(uint32_t A, uint32_t B, int Weight) {
    return TGraphicsProvider::BlendColor(A, B, Weight);
  }
};

// The point lies outside the square of half-width D around the centre (the drag threshold).
bool OutsideSquare(const TGxPoint& P, const TGxPoint& Centre, int D);

// One channel of per-pixel alpha drawing: round(Alpha * Src / 255) + round((1 - Alpha / 255) *
// Dst), limited to 0..255.
uint8_t AlphaChannel(uint8_t Src, uint8_t Dst, uint8_t Alpha);
// The colour of pixel row Y of a vertical gradient over Top..Top+Height.
uint32_t GradientColor(uint32_t C1, uint32_t C2, int Y, int Top, int Height);
// The top of a word-wrapped text block of height TextHeight placed in Rect by the vertical
// alignment (centred: half the spare height, rounded).
int TextBoxTop(const TGxRect& Rect, int TextHeight, TVerticalAlignment VAlign);
