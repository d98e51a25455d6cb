// The plotter's demo: two model atmospheres and a synthetic Fe I 6301.5/6302.5 Stokes I profile
// (shown by the picture window's demo program and the harness's plot-demo).
#pragma once
#include <string>

#include "foundation/cvTy.h"

class TPLOTTER;

// Columns log tau, T (K) and electron pressure of a model file (a first line of three numbers,
// then 11 columns per depth); false when the file cannot be read or holds no depth.
bool ReadModelColumns(const std::string& File, TARe& LgTau, TARe& T, TARe& Pe);
// The synthetic Stokes I of the line pair over pixels 1..112 against wavelength in A:
// lambda(p) = (p - 56.5) * 0.021549 + 6302.08.
void SyntheticStokesI(TARe& Lam, TARe& I);
// On a bound plotter: area "0" of two rows; the upper row is area "0 2" of 2 x 1 tiles with the
// temperature of hsra11.mod (red) and holmu11.mod (blue) against log tau in tile 1 (one Y window
// in "K", widened to both models) and lg Pe (magenta, cyan) in tile 2; the lower row is area
// "0 1" with Stokes I (dark green). Axes are drawn; replays once. False when a model is missing.
bool PlotModelDemo(TPLOTTER& P, const std::string& ModelDir);
