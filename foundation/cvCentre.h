// Where a spectral line lies: the sliced centre of gravity between two intensity levels, the
// centroid and area-median centres of a profile, the older area-centre family over fractional
// indices, and the moments 0, 1 and 2 of a profile over a fractional index interval.
// Profiles are 1-based TARe (TAIn for the _IR routines). A fractional index r stands for the point
// between trunc(r) and trunc(r) + 1, where values are interpolated linearly. Faults are warned
// through WARNAbs and the routine returns the fallback it names.
#pragma once
#include <cstdint>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

// Trace of LineCenter_RI: while AReDebug is on, its lines go to AReDebugSL (not owned; may be
// null, then nothing is written).
extern bool AReDebug;
extern TStringList* AReDebugSL;

// Centre of gravity (in X) of the part of the line between the levels Lower and Upper over
// X[i1]..X[i2]: the area under Upper and above max(Y, Lower). Width = area / (Upper - Lower).
// With Report the interval table goes to List, which is cleared first; a null List is created
// (new TStrList) and then belongs to the caller.
double SlicedCOG(int32_t i1, int32_t i2, const TARe& X, const TARe& Y, double Lower, double Upper,
                 double& Width, bool Report, TStringList*& List);
// SlicedCOG over X = 1, 2, .., n.
double SlicedCOGIdxX(int32_t i1, int32_t i2, const TARe& Y, TStringList*& List, bool Report,
                     double& Width, double Lower, double Upper);
double SlicedCOGIdx(int32_t i1, int32_t i2, const TARe& Y, double& Width, double Lower,
                    double Upper);
double SlicedCOGIdxRep(int32_t i1, int32_t i2, const TARe& Y, TStringList*& List, double& Width,
                       double Lower, double Upper);
// SlicedCOG of the power-law weighted core t * Base^(t/Scale), t = (Y - R1)/(R2 - R1), within
// HalfWidth (in X) of the minimum of Y[i1..i2].
double SlicedCOGCore(int32_t i1, int32_t i2, const TARe& X, const TARe& Y, double Scale,
                     double Base, double R1, double R2, double HalfWidth);

// Centroid of the area under Y(X) by trapezoids.
double LineCenterGR(const TARe& X, const TARe& Y);
// The index at which the area under Y(X) splits into halves.
int32_t LineCenterIdx(const TARe& X, const TARe& Y);

// The area-centre family: the position (a fractional index) that halves the area. Every call
// warns that it gives the area median, not the centroid.
double LineCenter_d(const TARe& Y, double ir1, double ir2);   // a peak
double LineCenter_RI(const TARe& Y, double ri1, double ri2);  // a dip
double LineCenter0_IR(int32_t i1, int32_t i2, const TAIn& Y);  // depth below the maximum
// Centroid of the depth between level-matched ends (i1, i2 in either order).
double LineCenter1_IR(int32_t i1, int32_t i2, const TAIn& Y);

// Moments of Y over the fractional index interval [x1, x2] (clamped to [1, n]) by trapezoids:
// the area (of Base - Y when Base is not 0), sum area * (centre - x0) and sum area * (centre - x0)^2.
double AReMoment0(const TARe& Y, double x1, double x2, double Base);
double AReMoment1(const TARe& Y, double x1, double x2, double x0);
double AReMoment2(const TARe& Y, double x1, double x2, double x0);
// AReMoment0 and AReMoment1 summed in double (the slit measurements' widths and V moments:
// within 1e-12 of the extended sums on the scans' profiles, tested).
double AReMoment0D(const TARe& Y, double x1, double x2, double Base);
double AReMoment1D(const TARe& Y, double x1, double x2, double x0);
