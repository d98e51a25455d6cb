// Spline values at one depth from several tables on the same abscissae: the interval found for
// one table is tried first for the next.
#pragma once
#include <cstdint>

class TSPLINE;

// S.Eval(x) bit for bit; Hint (an interval index, 0 for none) is tried before the search and
// holds the interval used afterwards (unchanged outside the table).
double SplineEvalHint(const TSPLINE& S, double x, int32_t& Hint);
