#include "foundation/cvColor.h"

#include <cmath>
#include <vector>

#include "foundation/cvStr.h"
#include "platform/Colors.h"

namespace {

std::vector<std::string> BlankWords(const std::string& S) {
  std::vector<std::string> W;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && S[i] == ' ') ++i;
    size_t j = i;
    while (j < S.size() && S[j] != ' ') ++j;
    if (j > i) W.push_back(S.substr(i, j - i));
    i = j;
  }
  return W;
}

bool HexDigit(char C, int& V) {
  if (C >= '0' && C <= '9') {
    V = C - '0';
    return true;
  }
  if (C >= 'A' && C <= 'F') {
    V = C - 'A' + 10;
    return true;
  }
  return false;
}

std::string Hex2(uint32_t B) {
  static const char D[] = "0123456789ABCDEF";
  return std::string{D[(B >> 4) & 15], D[B & 15]};
}

}  // namespace

const TColorName ColorTable[ColorTableSize] = {
    {"clBlack", clBlack},     {"clMaroon", clMaroon}, {"clGreen", clGreen},
    {"clOlive", clOlive},     {"clNavy", clNavy},     {"clPurple", clPurple},
    {"clTeal", clTeal},       {"clGray", clGray},     {"clSilver", clSilver},
    {"clRed", clRed},         {"clLime", clLime},     {"clYellow", clYellow},
    {"clBlue", clBlue},       {"clFuchsia", clFuchsia}, {"clAqua", clAqua},
    {"clLtGray", clLtGray},   {"clDkGray", clDkGray}, {"clWhite", clWhite},
    {"clNone", clNone},       {"clDefault", clDefault}};

uint32_t ColorByName(const std::string& Name) {
  for (const auto& R : ColorTable)
    if (Name == R.Name) return R.Value;
  return clNone;
}

std::string ColorName(uint32_t Color) {
  for (const auto& R : ColorTable)
    if (R.Value == Color) return R.Name;
  return ColorText(Color);
}

std::string ColorText(uint32_t Color) {
  return "$" + Hex2(Color) + Hex2(Color >> 8) + Hex2(Color >> 16) + "(" + Hex2(Color >> 24) + ")";
}

bool ParseRGBColor(const std::string& Text, uint32_t& Color) {
  Color = clNone;
  if (Text.size() == 6) {
    int D[6];
    bool Ok = true;
    for (int i = 0; i < 6 && Ok; ++i) Ok = HexDigit(Text[static_cast<size_t>(i)], D[i]);
    if (Ok) {
      Color = platform::RGBColor(static_cast<uint8_t>(D[0] * 16 + D[1]),
                                 static_cast<uint8_t>(D[2] * 16 + D[3]),
                                 static_cast<uint8_t>(D[4] * 16 + D[5]));
      return true;
    }
  }
  const auto W = BlankWords(Text);
  if (W.size() != 3) return false;
  uint8_t C[3];
  if (Text.find('.') == std::string::npos) {
    int32_t V[3];
    for (int i = 0; i < 3; ++i) {
      int32_t Code = 0;
      V[i] = ValIntCode(W[static_cast<size_t>(i)], Code);
      if (Code != 0) return false;
    }
    const bool Above1 = V[0] > 1 || V[1] > 1 || V[2] > 1;
    for (int i = 0; i < 3; ++i)
      C[i] = static_cast<uint8_t>(Above1 ? static_cast<uint32_t>(V[i])
                                         : static_cast<uint32_t>(-static_cast<int64_t>(V[i])));
  } else {
    for (int i = 0; i < 3; ++i) {
      int32_t Code = 0;
      const double R = ValRealCode(W[static_cast<size_t>(i)], Code);
      if (Code != 0 || !std::isfinite(R)) return false;
      // The low 8 bits of the rounded value, also for values beyond the integer range.
      C[i] = static_cast<uint8_t>(
          static_cast<int64_t>(std::fmod(std::nearbyint(R * 255.0), 256.0)) & 0xFF);
    }
  }
  Color = platform::RGBColor(C[0], C[1], C[2]);
  return true;
}
