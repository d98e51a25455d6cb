// A vector's value at x with an interval hint shared by vectors on the same depth grid.
#pragma once
#include <cstdint>

class TVEMO;

// V.func(x) bit for bit; for a spline vector Hint is tried first and holds the interval used
// (see SplineEvalHint).
double VeMoFuncAt(TVEMO& V, double x, int32_t& Hint);
