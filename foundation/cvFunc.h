// Column transforms: conversions named by a letter or by a short function text, logarithms and
// powers of whole arrays, constants, ramps, spikes and Gaussian bumps at chosen abscissae, a
// linear bridge over a gap, and an array's range.
// Arrays are 1-based TARe (values at 1..n); element 0 is left alone unless said otherwise.
// A division by zero, a logarithm of a non-positive number or an overflow that would put an
// infinity or a NaN into a result is fatal (ErrAbs).
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvTy.h"

// ---- function texts ----
// "X/c" gives x / c, "c/X" gives c / x (sides exactly as written, upper-case X); any other text
// with a "/" gives x; a text without "/" warns and gives 1e8 / x.
double doFUNC(const std::string& F, double x);
// "E": 10^x; "F": doFUNC(F, x); "L": log10 x; any other letter: x.
double FuncByChar(char Letter, const std::string& F, double x);
// A[i] := doFUNC(F, A[i]) for i = 1..n.
void AReFUNC(TARe& A, const std::string& F);

// ---- whole-array conversions (over 1..n) ----
// log10 of every positive element; every other one is warned about and left.
void AReLOG(TARe& A);
void AReEXP10(TARe& A);
// "E": 10^A[i]; "L": log10 A[i]; "T": 5039.77 / A[i] (0 for A[i] <= 0); other letters: nothing.
void AReTransform(TARe& A, char Letter);
// For "L" and "T": the index of the first element <= 0 (0 when all are positive); else 0.
int32_t AReTransformCheck(const TARe& A, char Letter);
void AReAdd(TARe& A, double c);
void AReSubFrom(TARe& A, double c);  // A[i] := c - A[i]
void AReMul(TARe& A, double c);
// R := c * A, a new array; R[0] = A[0].
void AReMulTo(const TARe& A, TARe& R, double c);
// R := (c - A) / c, the depth below the level c, a new array; R[0] = A[0].
void AReDepthTo(const TARe& A, TARe& R, double c);
// Every element, element 0 included.
void AReFill(TARe& A, double v);
void AInFill(TAIn& A, int32_t v);
// Minimum and maximum of A[1..n]; both 0 for an array without values.
void AReRange(const TARe& A, double& Min, double& Max);
// x cut to its first significant digit, sign kept: 0.0376 -> 0.03, 376 -> 300, -7.9 -> -7.
double RoundToFirstDigit(double x);

// ---- changes at abscissae (B: the abscissae of A) ----
// The elements strictly between i1 and i2 become the straight line through both ends.
void AReLinBridge(TARe& A, const TARe& B, int32_t i1, int32_t i2);
// A[i] += C * (B[i] - X0) / (X1 - X0).
void AReAddRamp(TARe& A, const TARe& B, double C, double X1, double X0);
// The same where the ramp is above 0.
void AReAddRampPos(TARe& A, const TARe& B, double C, double X1, double X0);
// Within X - d <= B[i] <= X + d, d = |H| / 1.99999 (H = 0: a hundredth of B's mean step):
void AReAddAt(TARe& A, const TARe& B, double C, double X, double H);  // A[i] += C
void AReMulAt(TARe& A, const TARe& B, double C, double X, double H);  // A[i] *= C
void AReSetAt(TARe& A, const TARe& B, double V, double X, double H);  // A[i] := V
// exp(-(u/w)^2) / (w * sqrt(pi)); 0 when (u/w)^2 >= 11350.
double GaussNorm(double u, double w);
// A[i] += C * GaussNorm(|B[i] - X|, |W|); W = 0 adds a spike at X.
void AReAddGauss(TARe& A, const TARe& B, double C, double X, double W);
