// The main window's rule for fitting its design to the screen. The design screen is 2560 by
// 1440 pixels at 96 pixels per inch: there the form keeps its design size and fonts.
#pragma once
#include <cstdint>

class QScreen;
class QWidget;

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

// Gives a window the size the rule computes for the screen from the window's design size (the
// properties "designWidth", "designHeight", "designFontHeight"), within the screen's available
// area and no smaller than its layout needs, and centres it there. Always from the design size:
// fitting again gives the same size. Without a screen the window takes its design size.
//
// Qt's screen sizes are device-independent pixels, which Qt itself maps to the screen's real
// dots per inch, fonts included. The rule is therefore asked for a 96-dpi screen: its size step
// (the form keeps its share of the screen's width and height) is applied here; its font steps
// for other dots per inch are what Qt's scaling already does, and are not applied a second time.
// Of the whole-form scaling M : D, the layouts do the places and sizes of the controls for the
// new size; its font part is left out, so that text keeps a readable size on a smaller screen.
TFormScale FitFormToScreen(QWidget* Form, const QScreen* Screen);
