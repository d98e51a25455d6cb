// Line bisectors at nine levels from horizontal bands of a profile: in each band the position of
// each wing is averaged over the band's height; the bisector point is the mean of the two wings'
// averages and the band's width their difference. With the continuum C, the minimum Ymin of the
// window and the step s = (C - Ymin) / 5, bands 1..5 are stacked from C down to Ymin and bands
// 6..9 are shifted half a step (centred on C - s .. C - 4s).
// CalcBisec9 (real profile X, Y) stores band k at slot 1,3,5,7,9,2,4,6,8, so that slot m belongs
// to the band centred on C - m s/2; CalcBisec9I (raw profile) and LineMetrix store band k at slot
// k. The routines keep no state between calls; their work lists are per thread and reused, so the
// per-pixel path allocates nothing once warm. Failures are warnings (WARNAbs).
#pragma once
#include <array>
#include <cstdint>

#include "foundation/cvTy.h"
#include "scans/cvGauss.h"

using TBand9 = std::array<double, 10>;  // slots 1..9

// Lower and upper level of band k.
void BandLevels(int32_t k, double C, double s, double& Lower, double& Upper);

// Bisector and widths of the real profile X, Y over the window [i1, i2] with the continuum C.
// NExt = the number of turning points (thinned); above 4 the profile is not measured: Bis and Wid
// read 0 and XL, XR, XMin and YMin keep what they held. A zero band area warns and ends the
// computation: Bis and Wid are left as they were, XL and XR hold the bands done so far.
void CalcBisec9(int32_t i1, int32_t i2, const TARe& X, const TARe& Y, double C, double& XMin,
                double& YMin, TBand9& Bis, TBand9& Wid, TBand9& XL, TBand9& XR, int32_t& NExt);
// The same on a raw profile (positions are pixel indices, XMin the pixel of the minimum).
void CalcBisec9I(int32_t i1, int32_t i2, const TAIn& A, double C, double& XMin, double& YMin,
                 TBand9& Bis, TBand9& Wid, TBand9& XL, TBand9& XR, int32_t& NExt);

// The older entry for one slit pixel's raw profile: the obsolete Gauss fits (modes 3, 4, 5 in
// entries 1, 2, 3 of DLD, Lam0, d0), then CalcBisec9I. YMin in percent of C (0 when C <= 0);
// XMin and YMin fall back to the mode-3 fit when the profile is not measured.
void LineMetrix(int32_t i1, int32_t i2, const TAIn& A, double C, double& XMin, double& YMin,
                TBand9& Bis, TBand9& Wid, TGauss3& DLD, TGauss3& Lam0, TGauss3& d0,
                int32_t& NExt);

// Turning points of A[i1..i2] thinned by Fraction, as AInExtremaCount / AReExtremaCount count
// them, with per-thread work arrays (no allocation once warm).
int32_t ExtremaCountI(const TAIn& A, int32_t i1, int32_t i2, double Fraction);
int32_t ExtremaCountR(const TARe& A, int32_t i1, int32_t i2, double Fraction);
