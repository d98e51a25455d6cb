// The GIF tab's pictures without the window: the opened picture, its work copy (full width, half
// height), the composed picture the size of the view, the fixed background; the composition
// (GIFRedraw), the freezing of the background, the guide and reference lines and the screen
// scale. The picking arithmetic is the hook's (GIFReportHeader, GIFMeasureLine in app/cvHook.h).
// Colours are 0x00BBGGRR; bitmaps are 24-bit.
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Canvas.h"

using platform::TBitmap;

// A 24-bit picture with, per row, the runs of its pixels that differ from one colour (the
// transparent copy draws only those). The runs are made on first use after a change.
class TGIFLayer {
 public:
  std::unique_ptr<TBitmap> Bmp;
  // The bitmap's pixels changed: the runs are made again on next use.
  void Changed() { RunsOf_ = kNone; }
  // Runs [first, last) of row Y whose pixels are not Color.
  const std::pair<int32_t, int32_t>* Runs(int32_t Y, uint32_t Color, int32_t& Count);

 private:
  static constexpr uint64_t kNone = ~uint64_t(0);
  uint64_t RunsOf_ = kNone;  // the colour the runs were made for
  std::vector<int32_t> RowStart_;
  std::vector<std::pair<int32_t, int32_t>> Runs_;
  void MakeRuns(uint32_t Color);
};

struct TGIFPictures {
  std::unique_ptr<TBitmap> Src;   // the opened picture (24-bit)
  TGIFLayer Work;                 // full width, half height
  std::unique_ptr<TBitmap> Pict;  // the composed picture, the view's size
  std::unique_ptr<TBitmap> Back;  // the fixed background, the view's size when it was made
};

// The work bitmap from the source: the source's width, half its height (integer division),
// nearest pixels.
void GIFMakeWork(const TBitmap& Src, TGIFLayer& Work);

// Work placed on Pict so that its pixel (OrigX, OrigY) lands on Pict's (0, 0). Opaque: Pict is
// filled with Bk first; transparent: Work's pixels of colour Bk leave Pict as it is.
void GIFDrawAt(TBitmap& Pict, TGIFLayer& Work, int32_t OrigX, int32_t OrigY, bool Transparent,
               uint32_t Bk);

// The composition of GIFRedraw: with a background, the background (its overlap with Pict) and
// the work drawn over it, Bk transparent; without one, the work opaque. False when there is
// neither (nothing drawn).
bool GIFCompose(TGIFPictures& P, int32_t OrigX, int32_t OrigY, uint32_t Bk);

// The composed picture painted on the view's bitmap at (0, 0) (their overlap).
void GIFPaint(TBitmap& View, const TBitmap& Pict);

// Freezing the background (btSetBackBMP): the background filled with Bk, the work composed
// opaquely into Pict at the origin and copied into the background (its overlap), the
// background's red channel set to 255, the work and Pict filled with Bk. False without a
// background bitmap.
bool GIFFreeze(TGIFPictures& P, int32_t OrigX, int32_t OrigY, uint32_t Bk);

// The guide lines' y between the third and fourth level: none when P4 is 0 or N < 2.
std::vector<int32_t> GIFGuideLineYs(int32_t P3, int32_t P4, int32_t N);
// A line of the colour across the bitmap's width at Y (nothing outside).
void GIFHLine(TBitmap& B, int32_t Y, uint32_t Color);

// The reference lines of btGIFyReper: y1 and, when y3 is not 0, y3 and (y1 + y3) div 2; none
// for y1 = 0 (y3 still drawn).
std::vector<int32_t> GIFReperLineYs(int32_t Y1, int32_t Y3);

// btKGIF_1: D * 600 / sqrt(W^2 + H^2) (D the screen diagonal in inches, W x H pixels); 0 for an
// empty screen.
double GIFScreenScale(double DiagInches, int32_t W, int32_t H);

// The demo spectrogram: a white page, a grey spectrum strip across the middle with dark
// absorption lines (Gaussian in x, darker toward the strip's centre line), W x H.
std::unique_ptr<TBitmap> SpectrogramPicture(int32_t W, int32_t H);
