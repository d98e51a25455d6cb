// Colour mixing, rectangle helpers, placement.
#include "grid/cvGxDraw.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/Colors.h"

namespace {
std::atomic<bool> themesOn{false};
std::atomic<TGxColorResolver> resolver{nullptr};
}  // namespace

bool ThemesActive() { return themesOn.load(); }
void SetThemesActive(bool On) { themesOn.store(On); }

uint32_t GxColorToRGB(uint32_t Color) {
  if ((Color >> 24) == 0xFF) {
    if (TGxColorResolver r = resolver.load()) return r(Color) & 0xFFFFFF;
  }
  return platform::ColorToRGB(Color);
}

TGxColorResolver SetGxColorResolver(TGxColorResolver R) { return resolver.exchange(R); }

uint32_t GxDarker(uint32_t Color, int Weight) {
  return TGraphicsProvider::BlendColor(0x000000, Color, Weight);
}

bool TCalcProvider::RectsIntersect(const TGxRect& A, const TGxRect& B) {
  return !(A.Right < B.Left || A.Left > B.Right || A.Bottom < B.Top || A.Top > B.Bottom);
}

void TCalcProvider::AlignInRect(int Width, int Height, TGxPoint& Point, int Vertical,
                                int Horizontal, const TGxRect& R, int Margin) {
  switch (Horizontal) {
    case 0: Point.X = R.Left + Margin; break;
    case 1: Point.X = R.Right - Width - Margin; break;
    default: Point.X = (R.Left + R.Right) / 2 - Width / 2; break;
  }
  switch (Vertical) {
    case 0: Point.Y = R.Top + Margin; break;
    case 1: Point.Y = R.Bottom - Height - Margin; break;
    default: Point.Y = (R.Top + R.Bottom) / 2 - Height / 2; break;
  }
}

void TCalcProvider::OffsetRectEdges(const TGxRect& R, int DLeft, TGxRect& Result, int DBottom,
                                    int DRight, int DTop) {
  Result = {R.Left + DLeft, R.Top + DTop, R.Right + DRight, R.Bottom + DBottom};
}

uint32_t TGraphicsProvider::BlendColor(uint32_t A, uint32_t B, int Weight) {
  if (Weight < 0 || Weight > 255)
    throw TGxError("Assertion failed: blend weight " + std::to_string(Weight) + " outside 0..255");
  const uint32_t a = GxColorToRGB(A), b = GxColorToRGB(B);
  const uint32_t w = static_cast<uint32_t>(Weight), v = 255 - w;
  // Red and blue in one go (each product fits in 16 bits), green apart.
  const uint32_t rb = (((a & 0xFF00FF) * w + (b & 0xFF00FF) * v) >> 8) & 0xFF00FF;
  const uint32_t g = (((a & 0x00FF00) * w + (b & 0x00FF00) * v) >> 8) & 0x00FF00;
  return rb | g;
}

uint32_t TGraphicsProvider::MixColors(uint32_t C1, uint32_t C2, double F) {
  const uint32_t a = GxColorToRGB(C1), b = GxColorToRGB(C2);
  auto ch = [&](int shift) {
    const double x = ((a >> shift) & 0xFF), y = ((b >> shift) & 0xFF);
    const double v = std::nearbyint(F * y + (1 - F) * x);
    return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0)) << shift;
  };
  return ch(0) | ch(8) | ch(16);
}

bool OutsideSquare(const TGxPoint& P, const TGxPoint& C, int D) {
  return P.X < C.X - D || P.X > C.X + D || P.Y < C.Y - D || P.Y > C.Y + D;
}

uint8_t AlphaChannel(uint8_t Src, uint8_t Dst, uint8_t Alpha) {
  const double a = Alpha;
  const double v = std::nearbyint(a * Src / 255.0) + std::nearbyint((1 - a / 255.0) * Dst);
  return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

uint32_t GradientColor(uint32_t C1, uint32_t C2, int Y, int Top, int Height) {
  if (Height <= 0) return GxColorToRGB(C1);
  return TGraphicsProvider::MixColors(C1, C2, static_cast<double>(Y - Top) / Height);
}

int TextBoxTop(const TGxRect& R, int TextHeight, TVerticalAlignment VAlign) {
  switch (VAlign) {
    case taAlignTop: return R.Top;
    case taAlignBottom: return R.Bottom - TextHeight;
    default: return R.Top + static_cast<int>(std::nearbyint((R.Height() - TextHeight) / 2.0));
  }
}
