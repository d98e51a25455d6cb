#include "app/cvRunRect.h"

#include <algorithm>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"

namespace {

struct TBrushes {
  uint8_t Rows[8][8];
  TBrushes() {
    for (int k = 0; k < 8; ++k)
      for (int y = 0; y < 8; ++y) {
        uint8_t R = 0;
        for (int x = 0; x < 8; ++x)
          if (((k + x + y) / 4) % 2 == 0) R = static_cast<uint8_t>(R | (1u << x));
        Rows[k][y] = R;
      }
  }
};
const TBrushes Brushes;

}  // namespace

int32_t TRunLines::Phase = 0;

const uint8_t (&TRunLines::Brush(int32_t K))[8] { return Brushes.Rows[((K % 8) + 8) % 8]; }

TRunLine::TRunLine(int32_t AX1, int32_t AY1, int32_t AX2, int32_t AY2)
    : X1(std::min(AX1, AX2)), Y1(std::min(AY1, AY2)), X2(std::max(AX1, AX2)), Y2(std::max(AY1, AY2)) {
  Count = (X2 - X1 + 1) * (Y2 - Y1 + 1);
}

void TRunLine::Save(platform::TCanvas& C) {
  if (Count >= MaxPixels) {
    WARN("ХОЧЕМ СОХРАНИТЬ СЛЫШКОМ БОЛШУЮ ЛЫНИЮ!"_cp);
    return;
  }
  if (Saved) {
    WARN("ПОВТОРНО СОХРАНЯЕМ ЛИНИЮ!"_cp);
    return;
  }
  Pixels.resize(static_cast<size_t>(Count));
  size_t i = 0;
  for (int32_t x = X1; x <= X2; ++x)
    for (int32_t y = Y1; y <= Y2; ++y) Pixels[i++] = C.Pixel(x, y);
  Saved = true;
}

void TRunLine::Restore(platform::TCanvas& C) {
  if (!Saved) {
    WARN("ПОВТОРНО ОСВОБОЖДАЕМ ЛИНИЮ!"_cp);
    return;
  }
  platform::TBitmap& S = C.Surface();
  size_t i = 0;
  for (int32_t x = X1; x <= X2; ++x)
    for (int32_t y = Y1; y <= Y2; ++y, ++i)
      if (Pixels[i] != 0xFFFFFFFF) S.SetPixel(x, y, Pixels[i]);
  C.Changed(TRect{X1, Y1, X2 + 1, Y2 + 1});
  Pixels.clear();
  Saved = false;
}

TRunLines::~TRunLines() {
  // The window keeps what it shows; only the segments go.
  Lines.clear();
}

void TRunLines::MoveTo(int32_t X, int32_t Y) {
  CurX = X;
  CurY = Y;
}

void TRunLines::LineTo(int32_t X, int32_t Y) {
  auto L = std::make_unique<TRunLine>(CurX, CurY, X, Y);
  if (Canvas) L->Save(*Canvas);
  Lines.push_back(std::move(L));
  CurX = X;
  CurY = Y;
}

void TRunLines::FrameRect(const TRect& R) {
  MoveTo(R.Left, R.Top);
  LineTo(R.Right, R.Top);
  LineTo(R.Right, R.Bottom);
  LineTo(R.Left, R.Bottom);
  LineTo(R.Left, R.Top);
}

void TRunLines::Step() {
  if (Phase == 0 || !Canvas) return;
  --Phase;
  if (Phase < 1) Phase = 8;
  for (const auto& L : Lines) {
    if (L->Y1 == L->Y2)
      Canvas->PatternFill(TRect{L->X1, L->Y1, L->X2, L->Y1 + 1}, Brush(Phase + L->Y1), clWhite,
                          clBlack);
    else
      Canvas->PatternFill(TRect{L->X1, L->Y1, L->X1 + 1, L->Y2}, Brush(Phase + L->X1), clWhite,
                          clBlack);
  }
}

void TRunLines::Clear() {
  Phase = 0;
  if (Canvas)
    for (auto it = Lines.rbegin(); it != Lines.rend(); ++it) (*it)->Restore(*Canvas);
  Lines.clear();
}
