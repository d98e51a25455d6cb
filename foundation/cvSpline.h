// Interpolating cubic spline over a tabulated function Y(X) (end conditions that match the third
// derivatives of the cubics through the four points at each end), with straight-line continuation
// beyond the table by fixed end slopes.
#pragma once
#include <cstdint>

#include "foundation/cvTy.h"

// The coefficients of the spline through the points 1..N (the end conditions above) for
// X[1] <= x <= X[N]: value = Y[i] + d*(B[i] + d*(C[i] + d*D[i])), d = x - X[i]. Each pointer
// points at the value of point 1; X ascending. Each expression is computed in extended precision
// and stored as a 64-bit real. N < 2 writes nothing; N = 2 gives the straight line.
void FmmCoeffs(int32_t N, const double* X, const double* Y, double* B, double* C, double* D);

class TSPLINE {
 public:
  static constexpr uint32_t ReadyTag = 0xA5A500A0u;

  // Own copies of the data (1-based, X ascending after SetData) and the coefficients:
  // for X[i] <= x <= X[i+1], value = Y[i] + d*(B[i] + d*(C[i] + d*D[i])), d = x - X[i].
  TARe X, Y, B, C, D;
  int32_t N = 0;
  uint32_t Tag = 0;
  double SlopeLeft = 0;   // used below X[1]
  double SlopeRight = 0;  // used above X[N]

  // Copies X[1..N] and Y[1..N] (a descending table is reversed in the copies), computes the
  // coefficients and marks the spline ready. N is limited to the values both arrays hold.
  // The arguments must be strictly monotonic; that is the caller's check.
  void SetData(int32_t N, const TARe& X, const TARe& Y);
  // Computes B, C, D (through FmmCoeffs) and the end slopes from the stored X, Y and N.
  void Coeffs();
  // The spline value at x. With one point the spline is the constant Y[1]; with no data
  // (never set, or cleared) the value is 0.
  double Eval(double x) const;
  bool IsReady() const { return Tag == ReadyTag; }
  void SetReady() { Tag = ReadyTag; }
  // Releases the arrays and clears the ready tag; N and the slopes keep their values.
  void Clear();
  // The same for a spline that may be absent (nullptr does nothing).
  static void Clear(TSPLINE* S);
};
