#include "app/cvTxCaret.h"

TTxCaret::TTxCaret(platform::TCanvas* Win, platform::TCanvas* Bmp, int32_t Count)
    : WinCanvas(Win), BmpCanvas(Bmp), PhaseCount(Count > 0 ? Count : 1) {
  Timer = platform::NewTimer();
  Timer->SetInterval(350);
  Timer->SetEnabled(false);
  Timer->OnTimer = [this]() { Tick(); };
}

TTxCaret::~TTxCaret() {
  if (Timer) {
    Timer->SetEnabled(false);
    Timer->OnTimer = nullptr;
  }
}

void TTxCaret::Show(const TRect& Rect, TPoint Origin) {
  if (!Hidden) {
    DrawImage(0);
    Hidden = true;
  }
  Stop();
  BmpRect = Rect;
  WinRect = TRect{Rect.Left + Origin.X, Rect.Top + Origin.Y, Rect.Right + Origin.X,
                  Rect.Bottom + Origin.Y};
  const int32_t W = WinRect.Right - WinRect.Left + 1, H = WinRect.Bottom - WinRect.Top + 1;
  if (W <= 0 || H <= 0) return;
  // Image 0: what the window shows under the cell (the bitmap when there is no window).
  platform::TCanvas* Src = WinCanvas ? WinCanvas : BmpCanvas;
  const TRect From = WinCanvas ? WinRect : BmpRect;
  auto Img = std::make_unique<platform::TBitmap>(W, H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      const uint32_t C = Src ? Src->Pixel(From.Left + x, From.Top + y) : 0xFFFFFFFF;
      Img->SetPixel(x, y, C == 0xFFFFFFFF ? 0 : C);
    }
  Images.push_back(std::move(Img));
  for (int32_t k = 1; k < PhaseCount; ++k) {
    auto Inv = std::make_unique<platform::TBitmap>(*Images.back());
    for (int32_t y = 0; y < H; ++y) {
      uint8_t* P = Inv->ScanLine(y);
      for (int32_t x = 0; x < W * 3; ++x) P[x] = static_cast<uint8_t>(~P[x]);
    }
    Images.push_back(std::move(Inv));
  }
  Timer->SetEnabled(true);
  DrawImage(PhaseNo);
  Hidden = false;
}

void TTxCaret::DrawImage(int32_t K) {
  if (K < 0 || K >= static_cast<int32_t>(Images.size())) return;
  const platform::TBitmap& I = *Images[static_cast<size_t>(K)];
  if (WinCanvas) WinCanvas->Draw(WinRect.Left, WinRect.Top, I);
  if (BmpCanvas) BmpCanvas->Draw(BmpRect.Left, BmpRect.Top, I);
}

void TTxCaret::Tick() {
  if (!Hidden) DrawImage(PhaseNo);
  PhaseNo = (PhaseNo + 1) % PhaseCount;
}

void TTxCaret::Stop() {
  if (Timer) Timer->SetEnabled(false);
  if (!Hidden) {
    DrawImage(0);
    Hidden = true;
  }
  Images.clear();
}
