// The device's test page: four viewports (millimetres, pixels, fractions, percent), curves in
// every dash style and one numeric pattern, all marker shapes at 1 and 2 mm, labelled axes on
// each side and framed viewports. Draws on any canvas bound to the device.
#pragma once
#include "plotting/cvGRAD.h"

// Binds G to the canvas (as the screen, or as a printer page at 600 dots per inch), clears it and
// draws the page; ends the pass.
void DrawTestPage(TGRAF& G, platform::TCanvas& Canvas, bool Printer = false);
