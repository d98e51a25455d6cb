// Data sets turned into numbers and summaries: sums, means and dispersions, joint statistics and
// regressions of two vectors, histograms and binned means of scatter plots, quantiles, gap
// filling, running integrals, the area-weighted value of a map at a fractional pixel, and numeric
// columns read out of a text table.
// Arrays are 1-based (n values at 1..n, n = length - 1). Faults are warned through WARNAbs and the
// outputs are left as each routine says; nothing raises.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

// ---- sums, means, dispersions ----
double AReSum(const TARe& A);
double AReMean(const TARe& A);
// Element 0 joins the mean when it is not 0.
double AReMean0(const TARe& A);
// Min, Max, Mean and the rms and mean absolute steps of A[1..m]; m = n, or n - 1 when A[n] = 0
// (a trailing zero is not data). All outputs are 0 for fewer than two values.
void AReStat(const TARe& A, double& Min, double& Max, double& RmsStep, double& MeanAbsStep,
             double& Mean);
void AReStat2(const TARe& A, const TARe& B, double& MeanA, double& Cov, double& VarB, double& VarA,
              double& MeanB);
// Determinant of the 3x3 matrix M[0..8], row by row.
double Det3(const TARe& M);

// ---- regressions ----
// Least-squares line y = A x + B (sums in long double).
void AReLinFit(const TARe& X, const TARe& Y, double& A, double& B);
// Regressions y(x) and x(y), the quadratic fit y = QA x^2 + QB x + QC, correlations and errors.
void AReRegCorr(const TARe& X, const TARe& Y, double& MeanX, double& MeanY, double& SigmaX,
                double& SigmaY, double& Corr, double& SlopeYX, double& InterYX, double& SlopeXY,
                double& InterXY, double& QA, double& QB, double& QC, double& QuadCorr,
                double& ErrSlope, double& ErrInter, double& ErrCorr);

// ---- running integrals, midpoints, widths, quantiles ----
// Cell edges and trapezoid integrals from the left (IntL) and from the right (IntR, negative),
// each of N + 2 elements; values beyond the ends are extrapolated linearly by one step.
void AReCumInteg(const TARe& F, const TARe& X, TARe& IntL, TARe& Edges, TARe& IntR);
void ARe_MidPoints(const TARe& A, TARe& M);
void ARe_Widths(const TARe& A, TARe& W);
// N + 1 quantile values Q[1..N+1] (minimum to maximum) of A, and Steps = N+1 copies of n/N.
void AReQuantiles(const TARe& A, int32_t N, TARe& Q, TARe& Steps);

// ---- histograms and binned scatter plots ----
// Histogram of N bins between Lo and Hi (from the sorted values' ranks FracLo, FracHi, or from
// the range min..max); Means = mean of each bin (its centre when empty); Mode 'L' turns the
// counts into log10 (-0.1 for an empty bin).
void AReHistogram(const TARe& A, int32_t N, bool Sorted, double FracLo, double FracHi, char Mode,
                  double& Lo, double& Hi, TARe& Means, TARe& Counts);
// Means of X and Y in N equal X intervals between Lo and Hi (Given), or, when not Given, between
// the points at the fractions Lo and Hi of the sorted X. X and Y are sorted by X in place.
// Only non-empty bins produce an entry.
void AReScatterBin(TARe& X, TARe& Y, int32_t N, bool Given, double Lo, double Hi, TARe& MX,
                   TARe& MY);
// Means of X and Y in intervals of equal point count. X and Y are sorted by X in place.
void AReHistSmooth(TARe& X, TARe& Y, int32_t N, TARe& MX, TARe& MY);
// Res = (bin midpoints, mean Y, point density) over the bins given by Edges; empty bins are
// filled from their neighbours. XY is sorted by X in place.
void AReBinMeanY(T2ARe& XY, const TARe& Edges, T3ARe& Res);
// AZ[i] where AW[i] = 0 is interpolated over AX from the nearest filled points (extrapolated
// beyond the first and the last).
void FillGaps(const TARe& AW, const TARe& AX, TARe& AZ);

// ---- maps ----
// Area-weighted mean of A over the one-pixel window centred at row R, column C (pixel (i, j)
// covers [i, i+1) x [j, j+1)); 0 when the window misses the map.
double AR4R4PixAvg(const TAR4R4& A, double R, double C);

// ---- numeric columns of a text table (lines j1..j2 counted from 1) ----
void SLExtractAXAY(const TStringList* SL, int32_t j1, int32_t j2, int32_t ColX, int32_t ColY,
                   TARe& AX, TARe& AY, std::string& NameX, std::string& NameY);
void SLExtractAX(const TStringList* SL, int32_t j1, int32_t j2, int32_t Col, TARe& AX,
                 std::string& Name);
