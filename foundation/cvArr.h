// Plain building blocks over the shared arrays: conversions, copies and slices, generated
// sequences, insertion and deletion, element-wise arithmetic, equality, order tests, minimum and
// maximum searches and the quicksorts.
// TARe and TAIn are 1-based (n values at 1..n, n = length - 1); "every element" includes index 0.
// Results are new arrays unless a routine is said to change its argument in place.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvTy.h"

// ---- conversions, copies and slices ----
TARe AReCopy(const TARe& A);
void AReCopyInto(const TARe& A, TARe& B);
TAIn AInCopy(const TAIn& A);
void AInCopyInto(const TAIn& A, TAIn& B);
// Rectangular copy: as many rows as A, each as long as A's first row (missing bytes are 0).
TAByBy AByByCopy(const TAByBy& A);
// Every element rounded to the nearest integer, halves to even.
TAIn AReToAIn(const TARe& A);
TARe AInToARe(const TAIn& A);
// R[i] = A sampled at i + S by linear interpolation, held at A[1] / A[n] beyond the ends.
void AInShiftToARe(const TAIn& A, double S, TARe& R);
// Elements a..n moved to 1..; R[0] = A[0].
TARe AReTail(const TARe& A, int32_t a);
// Elements a..b moved to 1.. (b = 0: a..n); R[0] = A[0]. Source places outside A give 0.
TARe ARePart(const TARe& A, int32_t a, int32_t b);
TAIn AInPart(const TAIn& A, int32_t a, int32_t b);
// Row i of a byte mask (over the length of the first row) and its count of non-zero bytes.
void AByByRowToAIn(const TAByBy& A, int32_t i, TAIn& R, int32_t& Count);
// A 2-D single table row by row into R[1..]; an empty table warns and leaves R alone.
void CopyAR4R40toARe(const TAR4R4& A, TARe& R);
// A 2-D single table row by row into R[0..].
void AR4R4ToAR4(const TAR4R4& A, TAR4& R);
TARe AReConst(int32_t N, double v);
// a, a+1, .., a+N-1 at 1..N.
TARe AReSeqN(int32_t a, int32_t N);
// i1, i1+1, .., i2 at 1.. (no values when i2 < i1).
TARe AReFromTo(int32_t i1, int32_t i2);
TAIn AInFromTo(int32_t i1, int32_t i2);
// A window of L points around c (an even L grows toward the smaller neighbour); Idx = its
// indices, Vals = its values. The window is cut to the array.
void AInWindow(const TAIn& A, int32_t L, int32_t c, TAIn& Idx, TAIn& Vals);

// ---- editing in place (a null array or a position out of range does nothing) ----
void AReInsert(TARe& A, int32_t i, double v);     // 1 <= i <= n+1: v goes before i
void AInInsert(TAIn& A, int32_t i, int32_t v);
void AReDelete(TARe& A, int32_t i);               // 1 <= i <= n
void AInDelete(TAIn& A, int32_t i);
void AReDeletePair(TARe& A, int32_t i);           // 0: element 1; n: element n; else i, i+1
void AInDeletePair(TAIn& A, int32_t i);
void AReReverse(TARe& A);                         // elements 1..n

// ---- element-wise arithmetic and comparison (every element, index 0 included) ----
// B shorter than A: warned, the missing elements count as 0.
TARe AReAddArr(const TARe& A, const TARe& B);
TARe AReSubArr(const TARe& A, const TARe& B);
// Rotation by twice the angle t (degrees): RA = A cos 2t + B sin 2t, RB = -A sin 2t + B cos 2t.
void AReRotate2(const TARe& A, const TARe& B, double t, TARe& RA, TARe& RB);
bool AReEqual(const TARe& A, const TARe& B);
bool AReSame(const TARe& A, const TARe& B, double tol);

// ---- order tests ----
bool AReStrictMonotonic(const TARe& A);
bool AReMonotonic(const TARe& A);
int32_t AReMonoBreak(const TARe& A);
bool AReOrdered(const TARe& A);
bool AReMonotonicDir(const TARe& A, int32_t& Dir, int32_t& Pos);
bool AReMonoCheck(const TARe& A, int32_t& Dir, int32_t& Pos);
bool AReMonoReport(const std::string& Name, const TARe& A, int32_t& Dir, int32_t& Pos);

// ---- minimum and maximum (i2 at or beyond the length is warned and lowered to n) ----
void AReMinMax(const TARe& A, double& Min, double& Max);
void AReMinMaxIdx(const TARe& A, int32_t& iMin, int32_t& iMax);
void AReMAXIdx(const TARe& A, double& M, int32_t& iM);
void AReMaxVal(const TARe& A, double& M);
// The main peak (M1 at i1) and the highest point more than iGap away from it (M2 at i2).
void AReMAX2(const TARe& AY, int32_t iGap, double& M1, int32_t& i1, double& M2, int32_t& i2);
double AReMin(const TARe& A, int32_t i1, int32_t i2);
double AReMax(const TARe& A, int32_t i1, int32_t i2);
int32_t AInMin(const TAIn& A, int32_t i1, int32_t i2);
void AInMinPoint(const TAIn& A, int32_t i1, int32_t i2, int32_t& M, int32_t& iM);
void AReMinPoint(const TARe& A, int32_t i1, int32_t i2, double& M, int32_t& iM);

// ---- quicksorts of A[i1..i2], ascending, in place (equal values keep no order) ----
void AReQSort(int32_t i1, int32_t i2, TARe& A);
void AReQSort2(int32_t i1, int32_t i2, TARe& A, TARe& B);
void AReQSort3(int32_t i1, int32_t i2, TARe& A, TARe& B, TARe& C);
void AR4QSort(int32_t i1, int32_t i2, TAR4& A);
