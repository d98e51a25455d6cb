// The blinking text caret: a cell whose pixels alternate between the original and inverted
// images, drawn on the window and on the panel bitmap so the caret survives the next copy.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Timer.h"

class TTxCaret {
 public:
  TTxCaret(platform::TCanvas* WinCanvas, platform::TCanvas* BmpCanvas, int32_t PhaseCount);
  ~TTxCaret();

  platform::TCanvas* WinCanvas = nullptr;
  platform::TCanvas* BmpCanvas = nullptr;
  TRect WinRect;
  TRect BmpRect;
  int32_t PhaseNo = 0;
  int32_t PhaseCount = 2;
  std::unique_ptr<platform::TTimer> Timer;  // 350 ms
  std::vector<std::unique_ptr<platform::TBitmap>> Images;
  bool Hidden = true;

  // Shows the caret on the cell Rect of the bitmap; Origin moves it to the window.
  void Show(const TRect& Rect, TPoint Origin);
  // Disables the timer, puts back the pixels under the cell, frees the images.
  void Stop();
  // One timer tick.
  void Tick();

 private:
  void DrawImage(int32_t K);
};
