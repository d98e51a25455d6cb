// The picture type of the codecs: a device-independent bitmap held in memory, the exchange format
// between the colour reduction, the GIF codec and the platform's bitmap. Rows are bottom-up and
// padded to 4 bytes; 1-, 4- and 8-bit pixels index the palette (blue, green, red, 0), 24-bit
// pixels are blue, green, red, 32-bit ones blue, green, red, 0. SaveToBmp/LoadFromBmp give and
// take the Windows bitmap file (14-byte "BM" header, 40-byte information header, palette, pixels).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Colors.h"

namespace platform {
class TBitmap;
}

// 0x00BBGGRR. clNone: no colour (matches nothing); clDefault: the bitmap's bottom-left pixel.
using TColor = uint32_t;

struct TRGBQuad {
  uint8_t B = 0, G = 0, R = 0, Reserved = 0;
  TColor Color() const { return R | (G << 8) | (static_cast<uint32_t>(B) << 16); }
  bool operator==(const TRGBQuad&) const = default;
};

// Largest picture (width x height) the codecs allocate: 2^26 pixels.
constexpr int64_t kMaxDibPixels = int64_t(1) << 26;

class TDib {
 public:
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitCount = 24;           // 1, 4, 8, 24 or 32
  uint32_t ClrUsed = 0;            // the information header's used-colour count
  std::vector<TRGBQuad> Palette;   // 2^BitCount entries for 1, 4 and 8 bits
  std::vector<uint8_t> Pixels;     // bottom-up rows of Stride() bytes
  // The platform bitmap's transparency: TransparentColor clDefault stands for the bottom-left
  // pixel's colour.
  bool Transparent = false;
  TColor TransparentColor = clDefault;

  TDib() = default;
  // A zeroed picture; palettes get 2^BitCount black entries. Sizes above kMaxDibPixels or
  // negative fail with EInvalidGraphicOperation.
  TDib(int32_t Width, int32_t Height, int32_t BitCount);

  static int32_t StrideOf(int32_t Width, int32_t BitCount) {
    return static_cast<int32_t>(((int64_t(Width) * BitCount + 31) / 32) * 4);
  }
  int32_t Stride() const { return StrideOf(Width, BitCount); }
  bool Empty() const { return Width <= 0 || Height <= 0; }
  bool Indexed() const { return BitCount <= 8; }

  // Row Y counted from the top.
  uint8_t* Row(int32_t Y) { return Pixels.data() + size_t(Height - 1 - Y) * Stride(); }
  const uint8_t* Row(int32_t Y) const {
    return Pixels.data() + size_t(Height - 1 - Y) * Stride();
  }
  // Palette index of an indexed picture (X, Y from the top-left).
  uint32_t Index(int32_t X, int32_t Y) const;
  void SetIndex(int32_t X, int32_t Y, uint32_t I);
  // Colour 0x00BBGGRR of any picture.
  TColor Pixel(int32_t X, int32_t Y) const;
  // The transparent colour resolved (clDefault becomes the bottom-left pixel).
  TColor ResolvedTransparentColor() const;

  // The Windows bitmap file.
  std::vector<uint8_t> SaveToBmp() const;
  // Reads a bitmap file of 1, 4, 8, 24 or 32 bits, uncompressed, bottom-up or top-down
  // (kept bottom-up). Fails with EInvalidGraphic.
  static TDib LoadFromBmp(const uint8_t* Data, size_t Size);
  static TDib LoadFromBmp(const std::vector<uint8_t>& Data) {
    return LoadFromBmp(Data.data(), Data.size());
  }

  // The same picture as 24 bits (palettes expanded, 32 bits dropped to 24).
  TDib To24() const;

  // The platform's 24-bit bitmap (top-down rows) and back.
  static TDib FromBitmap(const platform::TBitmap& B);
  void ToBitmap(platform::TBitmap& B) const;
};
