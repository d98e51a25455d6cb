#include "plotting/gif/cvDib.h"

#include <algorithm>
#include <cstring>

#include "platform/Canvas.h"
#include "plotting/gif/cvGIFErr.h"

namespace {

void Put16(std::vector<uint8_t>& V, size_t At, uint32_t X) {
  V[At] = uint8_t(X);
  V[At + 1] = uint8_t(X >> 8);
}
void Put32(std::vector<uint8_t>& V, size_t At, uint32_t X) {
  for (int i = 0; i < 4; ++i) V[At + i] = uint8_t(X >> (8 * i));
}
uint32_t Get16(const uint8_t* P) { return P[0] | (P[1] << 8); }
uint32_t Get32(const uint8_t* P) {
  return P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t(P[3]) << 24);
}

}  // namespace

TDib::TDib(int32_t W, int32_t H, int32_t Bits) : Width(W), Height(H), BitCount(Bits) {
  if (W < 0 || H < 0 || int64_t(W) * H > kMaxDibPixels)
    throw EInvalidGraphicOperation("Picture size " + std::to_string(W) + " x " +
                                   std::to_string(H) + " is too large");
  if (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 24 && Bits != 32)
    throw EInvalidGraphicOperation("Unsupported bitmap format");
  if (Bits <= 8) Palette.assign(size_t(1) << Bits, TRGBQuad{});
  Pixels.assign(size_t(Stride()) * H, 0);
}

uint32_t TDib::Index(int32_t X, int32_t Y) const {
  const uint8_t* R = Row(Y);
  switch (BitCount) {
    case 1: return (R[X >> 3] >> (7 - (X & 7))) & 1;
    case 4: return (X & 1) ? (R[X >> 1] & 15) : (R[X >> 1] >> 4);
    case 8: return R[X];
    default: return 0;
  }
}

void TDib::SetIndex(int32_t X, int32_t Y, uint32_t I) {
  uint8_t* R = Row(Y);
  switch (BitCount) {
    case 1: {
      const uint8_t M = uint8_t(0x80 >> (X & 7));
      R[X >> 3] = (I & 1) ? (R[X >> 3] | M) : (R[X >> 3] & ~M);
      break;
    }
    case 4:
      R[X >> 1] = (X & 1) ? uint8_t((R[X >> 1] & 0xF0) | (I & 15))
                          : uint8_t((R[X >> 1] & 0x0F) | ((I & 15) << 4));
      break;
    case 8: R[X] = uint8_t(I); break;
    default: break;
  }
}

TColor TDib::Pixel(int32_t X, int32_t Y) const {
  if (Indexed()) {
    const uint32_t I = Index(X, Y);
    return I < Palette.size() ? Palette[I].Color() : 0;
  }
  const uint8_t* P = Row(Y) + size_t(X) * (BitCount / 8);
  return P[2] | (P[1] << 8) | (uint32_t(P[0]) << 16);
}

TColor TDib::ResolvedTransparentColor() const {
  if (TransparentColor != clDefault) return TransparentColor;
  if (Empty()) return clNone;
  return Pixel(0, Height - 1);
}

std::vector<uint8_t> TDib::SaveToBmp() const {
  const size_t Pal = Indexed() ? Palette.size() : 0;
  const size_t Off = 54 + 4 * Pal;
  std::vector<uint8_t> F(Off + Pixels.size(), 0);
  F[0] = 'B';
  F[1] = 'M';
  Put32(F, 2, uint32_t(F.size()));
  Put32(F, 10, uint32_t(Off));
  Put32(F, 14, 40);
  Put32(F, 18, uint32_t(Width));
  Put32(F, 22, uint32_t(Height));
  Put16(F, 26, 1);
  Put16(F, 28, uint32_t(BitCount));
  Put32(F, 34, uint32_t(Pixels.size()));
  Put32(F, 46, ClrUsed);
  for (size_t i = 0; i < Pal; ++i) {
    F[54 + 4 * i] = Palette[i].B;
    F[55 + 4 * i] = Palette[i].G;
    F[56 + 4 * i] = Palette[i].R;
    F[57 + 4 * i] = Palette[i].Reserved;
  }
  if (!Pixels.empty()) std::memcpy(F.data() + Off, Pixels.data(), Pixels.size());
  return F;
}

TDib TDib::LoadFromBmp(const uint8_t* D, size_t N) {
  auto Bad = [] { return EInvalidGraphic("Bitmap image is not valid"); };
  if (N < 54 || D[0] != 'B' || D[1] != 'M') throw Bad();
  const uint32_t Off = Get32(D + 10);
  const uint32_t HeaderSize = Get32(D + 14);
  if (HeaderSize < 40 || 14 + uint64_t(HeaderSize) > N) throw Bad();
  const int32_t W = int32_t(Get32(D + 18));
  int32_t H = int32_t(Get32(D + 22));
  const int32_t Bits = int32_t(Get16(D + 28));
  const uint32_t Compression = Get32(D + 30);
  const uint32_t Used = Get32(D + 46);
  const bool TopDown = H < 0;
  if (TopDown) H = -H;
  if (W < 0 || H < 0 || Compression != 0 || int64_t(W) * H > kMaxDibPixels) throw Bad();
  if (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 24 && Bits != 32) throw Bad();
  TDib R(W, H, Bits);
  R.ClrUsed = Used;
  if (Bits <= 8) {
    const size_t Max = size_t(1) << Bits;
    const size_t Count = (Used == 0 || Used > Max) ? Max : Used;
    const size_t PalAt = 14 + HeaderSize;
    if (PalAt + 4 * Count > N) throw Bad();
    for (size_t i = 0; i < Count; ++i)
      R.Palette[i] = TRGBQuad{D[PalAt + 4 * i], D[PalAt + 4 * i + 1], D[PalAt + 4 * i + 2], 0};
  }
  const size_t Stride = size_t(R.Stride());
  if (Off > N || N - Off < Stride * H) throw Bad();
  for (int32_t y = 0; y < H; ++y) {
    // File row y; bottom-up files keep their order.
    const int32_t Dst = TopDown ? H - 1 - y : y;
    std::memcpy(R.Pixels.data() + Stride * Dst, D + Off + Stride * y, Stride);
  }
  return R;
}

TDib TDib::To24() const {
  TDib R(Width, Height, 24);
  R.Transparent = Transparent;
  R.TransparentColor = TransparentColor;
  for (int32_t y = 0; y < Height; ++y) {
    uint8_t* O = R.Row(y);
    if (BitCount == 24) {
      std::memcpy(O, Row(y), size_t(Width) * 3);
    } else if (BitCount == 32) {
      const uint8_t* I = Row(y);
      for (int32_t x = 0; x < Width; ++x, O += 3, I += 4) {
        O[0] = I[0];
        O[1] = I[1];
        O[2] = I[2];
      }
    } else {
      for (int32_t x = 0; x < Width; ++x, O += 3) {
        const uint32_t i = Index(x, y);
        const TRGBQuad Q = i < Palette.size() ? Palette[i] : TRGBQuad{};
        O[0] = Q.B;
        O[1] = Q.G;
        O[2] = Q.R;
      }
    }
  }
  return R;
}

TDib TDib::FromBitmap(const platform::TBitmap& B) {
  TDib R(B.Width(), B.Height(), 24);
  const int32_t Bpp = B.BytesPerPixel();
  for (int32_t y = 0; y < R.Height; ++y) {
    const uint8_t* I = B.ScanLine(y);
    uint8_t* O = R.Row(y);
    for (int32_t x = 0; x < R.Width; ++x, I += Bpp, O += 3) {
      O[0] = I[0];
      O[1] = I[1];
      O[2] = I[2];
    }
  }
  return R;
}

void TDib::ToBitmap(platform::TBitmap& B) const {
  B.SetSize(Width, Height);
  const TDib& S = BitCount == 24 ? *this : To24();
  const int32_t Bpp = B.BytesPerPixel();
  for (int32_t y = 0; y < Height; ++y) {
    const uint8_t* I = S.Row(y);
    uint8_t* O = B.ScanLine(y);
    for (int32_t x = 0; x < Width; ++x, I += 3, O += Bpp) {
      O[0] = I[0];
      O[1] = I[1];
      O[2] = I[2];
    }
  }
}
