// The main window's rule for fitting its design to the screen. The design screen is 2560 by
// 1440 pixels at 96 pixels per inch: there the form keeps its design size and fonts.
#pragma once
#include <cstdint>

struct TFormScale {
  bool Rescaled = false;        // the size step ran (screen not 2560 wide, or not 96 dpi)
  int32_t Width = 0;            // the form's size afterwards
  int32_t Height = 0;
  int32_t ScaleM = 1;           // the whole form scaled by M : D
  int32_t ScaleD = 1;
  int32_t FontHeight = 0;       // the form's font height afterwards
  bool ChildFontsChanged = false;  // the font step ran (not 96 dpi)
  int32_t ChildFontFactor = 1;  // child font heights are multiplied by it
};

// a. When the screen is not 2560 wide or not 96 dpi: height := ScreenH x FormH div 1440,
//    width := ScreenW x FormW div 2560 (height first), and the whole form (its font too) is
//    scaled by ScreenW : 2560.
// b. When the screen is not 96 dpi: every child font height is multiplied by the whole-number
//    quotient (toward zero) of the form's font height and -11; a quotient below 1 leaves the
//    child fonts as they are (it would make them vanish).
TFormScale ScaleFormToScreen(int32_t ScreenW, int32_t ScreenH, int32_t PixelsPerInch,
                             int32_t FormW, int32_t FormH, int32_t FormFontHeight);
