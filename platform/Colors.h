// Colour values as the program stores them: 0x00BBGGRR (red in the lowest byte), plus the
// special values clNone and clDefault and the system colours (high byte 0xFF, index in byte 0).
#pragma once
#include <cstdint>

constexpr uint32_t clBlack = 0x000000;
constexpr uint32_t clMaroon = 0x000080;
constexpr uint32_t clGreen = 0x008000;
constexpr uint32_t clOlive = 0x008080;
constexpr uint32_t clNavy = 0x800000;
constexpr uint32_t clPurple = 0x800080;
constexpr uint32_t clTeal = 0x808000;
constexpr uint32_t clGray = 0x808080;
constexpr uint32_t clSilver = 0xC0C0C0;
constexpr uint32_t clRed = 0x0000FF;
constexpr uint32_t clLime = 0x00FF00;
constexpr uint32_t clYellow = 0x00FFFF;
constexpr uint32_t clBlue = 0xFF0000;
constexpr uint32_t clFuchsia = 0xFF00FF;
constexpr uint32_t clAqua = 0xFFFF00;
constexpr uint32_t clLtGray = 0xC0C0C0;
constexpr uint32_t clDkGray = 0x808080;
constexpr uint32_t clWhite = 0xFFFFFF;
constexpr uint32_t clNone = 0x1FFFFFFF;
constexpr uint32_t clDefault = 0x20000000;

// System colours: 0xFF000000 + the index of the system colour.
constexpr uint32_t clScrollBar = 0xFF000000;
constexpr uint32_t clBackground = 0xFF000001;
constexpr uint32_t clActiveCaption = 0xFF000002;
constexpr uint32_t clInactiveCaption = 0xFF000003;
constexpr uint32_t clMenu = 0xFF000004;
constexpr uint32_t clWindow = 0xFF000005;
constexpr uint32_t clWindowFrame = 0xFF000006;
constexpr uint32_t clMenuText = 0xFF000007;
constexpr uint32_t clWindowText = 0xFF000008;
constexpr uint32_t clCaptionText = 0xFF000009;
constexpr uint32_t clHighlight = 0xFF00000D;
constexpr uint32_t clHighlightText = 0xFF00000E;
constexpr uint32_t clBtnFace = 0xFF00000F;
constexpr uint32_t clBtnShadow = 0xFF000010;
constexpr uint32_t clGrayText = 0xFF000011;
constexpr uint32_t clBtnText = 0xFF000012;
constexpr uint32_t clInfoText = 0xFF000017;
constexpr uint32_t clInfoBk = 0xFF000018;

namespace platform {

// The colour as plain 0x00BBGGRR: system colours take fixed light-theme values, clNone and
// clDefault give white (the caller decides what they mean before drawing).
uint32_t ColorToRGB(uint32_t Color);

constexpr uint8_t RedOf(uint32_t C) { return static_cast<uint8_t>(C & 0xFF); }
constexpr uint8_t GreenOf(uint32_t C) { return static_cast<uint8_t>((C >> 8) & 0xFF); }
constexpr uint8_t BlueOf(uint32_t C) { return static_cast<uint8_t>((C >> 16) & 0xFF); }
constexpr uint32_t RGBColor(uint8_t R, uint8_t G, uint8_t B) {
  return static_cast<uint32_t>(R) | (static_cast<uint32_t>(G) << 8) |
         (static_cast<uint32_t>(B) << 16);
}

}  // namespace platform
