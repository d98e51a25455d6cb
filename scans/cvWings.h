// Wing and level crossings of one absorption line: where a level crosses the blue (left) or red
// (right) wing, the line's bottom and the top of its wings, and the wing points between two
// levels. Raw profiles are integer arrays of the 112 spectral pixels (1-based; positions are
// fractional pixel indices); real profiles are X, Y pairs (positions in the units of X).
// Pixels 1..56 hold line 1 (Fe I 6301.5), 57..112 line 2 (Fe I 6302.5); a start pixel of 60 or
// more means line 2. Every routine is a plain function without state; none allocates. Failures
// are warnings (WARNAbs) and the routine goes on with the value stated.
// K is the walking index: on return it holds the pixel at which the crossing was taken (the
// inner of the two interpolated points for the raw forms, the first point at or below the level
// for the real forms); callers pass it on to the next primitive.
#pragma once
#include <cstdint>

#include "foundation/cvTy.h"

// KR = the bottom of the chosen line core, KL = the top of its blue wing.
void WingBoundsI(int32_t K, const TAIn& A, int32_t& KL, int32_t& KR);
// KL = the bottom of the chosen line core, KR = the top of its red wing.
void WingBoundsI2(int32_t K, const TAIn& A, int32_t& KL, int32_t& KR);

// Raw forms: the crossing of Lev with the left wing searched from KStart towards KMin, with the
// right wing from KStart towards KMax (an 8-pixel look-ahead takes the outer crossing beyond a
// short dip). Without a crossing: a warning and KStart. Outer (optional) resumes the first part
// of the walk, over the values above Lev: in, the pixel where that part ended for a level not
// below Lev (same KMin, KStart, KMax), or KStart; out, where it ends for Lev.
double ipolLeWi(int32_t KMin, int32_t KStart, int32_t& K, const TAIn& A, double Lev,
                int32_t* Outer = nullptr);
double ipolRiWi(int32_t KStart, int32_t KMax, int32_t& K, const TAIn& A, double Lev,
                int32_t* Outer = nullptr);
// Real forms: walk in from the outer edge (KStart) towards the core while above Lev; at the
// bound a warning, and the interpolation there is still returned.
double ipolLeWi(int32_t KStart, int32_t KEnd, int32_t& K, const TARe& X, const TARe& Y,
                double Lev);
double ipolRiWi(int32_t KLimit, int32_t KStart, int32_t& K, const TARe& X, const TARe& Y,
                double Lev);

// Lev between ii - 1 and ii of a left wing; between ii and ii + 1 of a right wing. A level
// outside the two values warns and the interpolation goes on.
double RiPoLeWi_I(int32_t ii, const TAIn& A, double Lev);
double RiPoLeWi_R(int32_t ii, const TARe& X, const TARe& Y, double Lev);
double LePoRiWi(int32_t ii, const TAIn& A, double Lev);
double LePoRiWi(int32_t ii, const TARe& X, const TARe& Y, double Lev);

// Appends to XOut, YOut (from N + 1) the wing points from K while their value is above Lev2,
// walking right (LeWi) or left (RiWi) and stopping short of KEnd; a start point equal to Lev1 is
// skipped. The lists are not grown: a point that does not fit ends the walk.
void LeWiPointsI(TARe& XOut, TARe& YOut, const TAIn& A, int32_t& N, int32_t& K, int32_t KEnd,
                 double Lev1, double Lev2);
void RiWiPointsI(TARe& XOut, TARe& YOut, const TAIn& A, int32_t& N, int32_t& K, int32_t KEnd,
                 double Lev1, double Lev2);
void LeWiPointsR(TARe& XOut, TARe& YOut, const TARe& X, const TARe& Y, int32_t& N, int32_t& K,
                 int32_t KEnd, double Lev1, double Lev2);
void RiWiPointsR(TARe& XOut, TARe& YOut, const TARe& X, const TARe& Y, int32_t& N, int32_t& K,
                 int32_t KEnd, double Lev1, double Lev2);

// Midpoints of both lines at the level Min + Frac (Cont - Min): the minima of pixels 1..56 and
// 57..112 (first of equal values) and the mean of the two wing crossings of each line.
void BisLevPair(const TAIn& A, double Cont, double Frac, double& X1, double& X2, int32_t& KMin1,
                int32_t& KMin2, int32_t& Min1, int32_t& Min2);
// The same with the minima read from per-slit arrays at J.
void BisLevPairJ(const TAIn& A, int32_t J, double Cont, double Frac, double& X1, double& X2,
                 const TAIn& Min1, const TAIn& Min2, const TAIn& KMin1, const TAIn& KMin2);
