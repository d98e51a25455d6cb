// Non-parametric regression by alternating conditional expectations (ACE): for a response y and
// predictors x1 .. xp it finds transforms theta(y) and phi_k(x_k) with theta(y) ~ sum phi_k(x_k),
// each conditional expectation a running mean over the observations ordered by the conditioning
// variable. Also the element-wise helpers that build test tables, and the regression of an
// editor-style table (a header line, then rows of numbers) with its report and transforms table.
//
// Unlike the rest of the program, every array here counts from 0. A table of p + 1 variables is
// flat, variable after variable: element j*n + i is observation i of variable j (0 = y).
// Failures (a window wider than the data, a transform without spread) warn through the sink
// (WARNAbs: inside a job into its report) and return false; no NaN leaves a regression.
// Pure functions: no state beyond their arguments.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TJob;
class TStringList;

// ---- element-wise (a new array of the first argument's length) ----
TARe AceAdd2(const TARe& A, const TARe& B);
TARe AceAdd3(const TARe& A, const TARe& B, const TARe& C);
TARe AceAddC(const TARe& A, double c);
TARe AceMulC(const TARe& A, double c);
TARe AceSqr(const TARe& A);
TARe AceAbs(const TARe& A);
TARe AceSin(const TARe& A);
// n values c*u, u uniform in [0, 1); n values c*RandNorm12.
TARe AceRandU(int32_t n, double c);
TARe AceRandN(int32_t n, double c);
// Columns of equal length laid end to end.
TARe AceFlatten(const std::vector<TARe>& Columns);

// ---- blocks of n elements ----
TARe AceRow(const TARe& A, int32_t n, int32_t k);
// Mean and sample deviation of block k (sd 0 for n < 2).
void AceBlockStats(const TARe& A, int32_t n, int32_t k, double& Mean, double& Sd);
TARe AceBlockMeans(const TARe& A, int32_t n);
void AceCentre(TARe& A, int32_t n);

// ---- smoothing and statistics ----
// Running mean of window 2w + 1 (the ends take the first and the last full window's mean) into
// Dst[0..n-1], updated by one subtraction and one addition per step. False with a warning naming
// n and w when n < 2w + 1 (Dst untouched).
bool AceRunMean(const TARe& Src, int32_t n, int32_t w, TARe& Dst);
// Work buffers of AceSmooth (grown once, reused by every pass).
struct TAceScratch {
  TARe Sorted, Smoothed;
};
// The conditional expectation of Src given variable j: Src in the order of variable j, smoothed,
// written back in observation order into block j of Dst. n >= 2w + 1 is the caller's.
void AceSmooth(const TARe& Src, const TAIn& Order, const TAIn& Rank, int32_t j, int32_t n,
               int32_t w, TARe& Dst, TAceScratch& S);
void AceSmooth(const TARe& Src, const TAIn& Order, const TAIn& Rank, int32_t j, int32_t n,
               int32_t w, TARe& Dst);
// Pearson's correlation of the first n elements (0 when either has no spread).
double AceCorr(const TARe& X, const TARe& Y, int32_t n);
// Values[lo..hi] sorted ascending, Idx moved along (the partition's own order of equal values).
void AceSortIdx(TARe& Values, TAIn& Idx, int32_t lo, int32_t hi);

// ---- the regressions ----
struct TAceSettings {
  int32_t N = 0, P = 1, W = 40;
  int32_t MaxOuter = 100, MaxInner = 10;
  double EpsOuter = 1e-6, EpsInner = 1e-4;
  bool ReportOuter = false, ReportInner = false;
};
struct TAceResult {
  TARe Phi, Part, Zd;  // (p + 1) * n each; Part and Zd stay empty for the variant
  TAIn Order, Rank;
  int32_t OuterPasses = 0;   // outer passes performed
  int64_t SmoothPasses = 0;  // AceSmooth passes (bench bookkeeping)
  // Work arrays of a run, kept with the result: a caller that runs again with the same result
  // object allocates nothing.
  struct TWork {
    TARe Copy, PhiA, Sum, Work, SumB, WorkB;
    TAceScratch Scr;
  } W;
};
// Data: (p + 1) * n values. Lines: the iteration reports and the correlation line; Summary:
// "Итераций внешнего цикла " + (outer passes - 1). With a job: one step per outer pass; a cancel
// ends the run with false (the result is then not complete).
bool AceRegress(const TAceSettings& S, const TARe& Data, TAceResult& R, TStringList& Lines,
                TStringList& Summary, TJob* Job = nullptr);
// Two sets of transforms at once: set A from the standardised ranks (reported), set B from the
// standardised values (R.Phi; it steers both loops). Summary: Psi + " " + (outer passes - 1).
bool AceRegressPsi(const TAceSettings& S, const TARe& Data, TAceResult& R, TStringList& Lines,
                   TStringList& Summary, TJob* Job = nullptr);

// ---- the editor's table ----
// Line 1's word count W fixes the columns (y, x1 .. x(W-1)); the following lines of exactly W
// numbers are the rows, up to the first other line. Columns are 0-based arrays of the rows read.
std::vector<TARe> AceReadTable(const TStringList& Text);
struct TAceTableRun {
  int32_t W = 40;        // half width of the smoothing window
  bool Psi = false;      // AceRegressPsi
  bool Indices = false;  // zd and index columns in the table
};
// The regression of the editor text's table: the new editor text (the report, "-------------",
// the summary, "-------------", the centred transforms' table aligned) into Out. False with a
// warning when the table has no rows or predictors or the run fails or is cancelled; Out is then
// left empty, so the caller keeps the editor as it was.
bool AceOnTable(const TStringList& Text, const TAceTableRun& Run, TStringList& Out,
                TJob* Job = nullptr);
// The Test tab's synthetic table of n rows: y = 10 sin(2 pi x1) + 15 u^2 - 20 |x2|.
void AceTestTable(int32_t n, TStringList& Out);
