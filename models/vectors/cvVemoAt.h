// A vector's value at x with an interval hint shared by vectors on the same depth grid, and a
// row of vectors evaluated together at one depth.
#pragma once
#include <cstdint>
#include <vector>

class TVEMO;

// V.func(x) bit for bit; for a spline vector Hint is tried first and holds the interval used
// (see SplineEvalHint).
double VeMoFuncAt(TVEMO& V, double x, int32_t& Hint);

// Vectors on one depth grid evaluated together at one depth, each VeMoFuncAt bit for bit: their
// spline coefficients copied interval by interval into one table, one interval search for all.
// A vector whose spline is one constant (all slopes +0) is kept as its value: the spline's
// expression gives that value exactly. The table follows the vectors: another vector in a place,
// or a spline made again since (SplStamp), builds it anew. Vectors that are not splines on the
// same abscissae, and depths beyond the grid, are evaluated one by one.
struct TVeMoRow {
  std::vector<TVEMO*> V;        // the vectors of the table
  std::vector<uint64_t> Stamp;  // their splines' stamps when it was made
  std::vector<char> Kind;       // and their interpolation codes
  std::vector<double> X;        // the shared abscissae, from index 1
  std::vector<double> Coef;     // per interval i (from 1) and varying vector: Y, B, C, D
  std::vector<int32_t> VarIdx;  // the places of the varying vectors
  std::vector<int32_t> ConstIdx;   // the places of the constant ones
  std::vector<double> ConstVal;    // and their values
  int32_t N = 0, Hint = 0;
  bool Packed = false;

  // Out[k] := the value of Vs[k] at x, k = 0..K-1.
  void Eval(TVEMO* const* Vs, int32_t K, double x, double* Out);
  // The same at N depths: Out[n * K + k] := the value of Vs[k] at x[n].
  void EvalMany(TVEMO* const* Vs, int32_t K, const double* x, int32_t N, double* Out);

 private:
  void EvalAt(TVEMO* const* Vs, int32_t K, double x, bool Holes, double* Out);
  // Whether the table holds Vs; Holes: whether one of them has a probe layer.
  bool Current(TVEMO* const* Vs, int32_t K, bool& Holes) const;
  void Build(TVEMO* const* Vs, int32_t K);
};
