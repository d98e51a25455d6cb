// Colour names and colour texts of the reports and format strings: the named colours, "$BBGGRR(AA)"
// texts, and the "RRGGBB" / "r g b" / "r g b" (reals 0..1) forms. Colours are 0x00BBGGRR.
#pragma once
#include <cstdint>
#include <string>

constexpr int ColorTableSize = 20;
struct TColorName {
  const char* Name;
  uint32_t Value;
};
extern const TColorName ColorTable[ColorTableSize];
// The value of the row with exactly that name; clNone (0x1FFFFFFF) when none.
uint32_t ColorByName(const std::string& Name);
// The first row's name with that value, else ColorText.
std::string ColorName(uint32_t Color);
// "$" + bytes 0, 1, 2 as hexadecimal pairs + "(" + byte 3 + ")".
std::string ColorText(uint32_t Color);
// "RRGGBB" (hexadecimal, upper case), three integers (0..255; all of them 0 or 1: 0 or 255) or
// three reals (0..1). False for any other text (Color is then clNone).
bool ParseRGBColor(const std::string& Text, uint32_t& Color);
