// Colour reduction: a picture of any depth as a Windows bitmap file in memory with at most 256
// palette colours, by one of six methods.
#pragma once
#include <cstdint>
#include <vector>

#include "plotting/gif/cvDib.h"

enum TReductionMethod : uint8_t {
  rmHistogram = 0,       // the most frequent colours
  rmMedianCut = 1,       // means of median-cut boxes
  rm7R8G4B = 2,          // fixed 7 x 8 x 4 levels (224 entries)
  rm6R6G6B = 3,          // fixed 6 x 6 x 6 levels (216 entries)
  rmChannelTriplet = 4,  // three 64-step ramps, one channel per pixel
  rmGrayscale = 5,       // 256 greys
};

// What a reduction found (tests and reports).
struct TReductionInfo {
  uint8_t MaskR = 255, MaskG = 255, MaskB = 255;  // histogram channel masks at the end
  int32_t Colours = 0;                            // distinct (masked) colours, or boxes
};

// The picture as a bitmap file (stream at position 0, the caller owns it) of TargetBits bits per
// pixel. A picture already of TargetBits (method other than rmGrayscale) comes back unchanged;
// 1 and 4 bits are read at that depth with no method (nearest of black/white or the 16 standard
// colours); 8 bits apply Method. An empty picture fails with EInvalidGraphic "Bitmap image is not
// valid"; any other target tells the user through the platform's message box and ends with the
// silent abort (EGraphicAbort).
std::vector<uint8_t> BitmapToPaletteDIB(const TDib& Bitmap, int32_t TargetBits,
                                        TReductionMethod Method, TReductionInfo* Info = nullptr);

namespace gifgradient {
// Nearest level (lower index on a tie) of a channel value for the 4-, 6-, 7- and 8-level tables.
uint8_t NearestLevel(int32_t Levels, uint8_t Value);
uint8_t LevelValue(int32_t Levels, int32_t Index);
}  // namespace gifgradient
