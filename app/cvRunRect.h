// The moving dashed frame: one-pixel segments that remember the window pixels under them and
// are painted with striped 8 x 8 brushes whose phase steps, so the stripes seem to run.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Canvas.h"

// One horizontal or vertical segment with the pixels it covers saved (x outer, y inner).
class TRunLine {
 public:
  TRunLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  std::vector<uint32_t> Pixels;
  bool Saved = false;
  int32_t Count = 0;
  int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;

  // Segments covering this many pixels or more are not saved.
  static constexpr int32_t MaxPixels = 16385;
  void Save(platform::TCanvas& Canvas);
  void Restore(platform::TCanvas& Canvas);
};

class TRunLines {
 public:
  explicit TRunLines(platform::TCanvas* Canvas) : Canvas(Canvas) {}
  ~TRunLines();

  std::vector<std::unique_ptr<TRunLine>> Lines;
  platform::TCanvas* Canvas = nullptr;
  int32_t CurX = 0, CurY = 0;

  // Unit-wide phase: 0 = no frame shown, else 1..9.
  static int32_t Phase;
  // Brush k (0..7): pixel (x, y) white when ((k + x + y) div 4) is even, else black; row y
  // holds bit x for a white pixel.
  static const uint8_t (&Brush(int32_t K))[8];

  void MoveTo(int32_t X, int32_t Y);
  void LineTo(int32_t X, int32_t Y);
  // Move to (L, T), lines to (R, T), (R, B), (L, B), (L, T).
  void FrameRect(const TRect& R);
  // One phase further; every segment painted with its brush.
  void Step();
  // Phase 0; the saved pixels restored (last segment first); the segments freed.
  void Clear();
};
