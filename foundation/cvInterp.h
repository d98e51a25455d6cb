// Tabulated functions Y(X): interpolation, derivatives at the table points, zeros of the
// derivative, turning points, level crossings around a peak, smoothing, spline coefficients in
// plain arrays and the adaptive eight-panel Newton-Cotes quadrature QUANC8.
// Arrays are 1-based TARe / TAIn (values at 1..n, n = length - 1); X and Y of a table have the
// same length.
#pragma once
#include <array>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "foundation/cvTy.h"

// ---- interpolation ----
// The straight line through (x1, y1) and (x2, y2) at x.
double LinIpol2(double x, double x1, double x2, double y1, double y2);
// Linear interpolation in a rising or falling table, extrapolated along the end segments.
double AReLinIpol(const TARe& X, const TARe& Y, double x);
// Locates x and calls AReIpolCubic.
double AReIpolCubicX(const TARe& X, const TARe& Y, double x);
// The cubic through the four points around base index i (straight lines near and beyond the ends).
double AReIpolCubic(int32_t i, const TARe& X, const TARe& Y, double x);
// The interpolated value at x: a spline for four or more points, a straight line for two or
// three. Err is emptied first and receives the error text of a bad table (result AY[1], or 0
// for an empty table).
double IPOL1(const TARe& AX, const TARe& AY, std::string& Err, double x);
// IPOL1 with its error text warned.
double IPOL1Warn(const TARe& AX, const TARe& AY, double x);

// ---- slopes and derivatives ----
// For the n-1 intervals: midpoints, widths and slopes (a zero-width interval repeats the
// previous slope, 0 for the first).
void AReSlopes(const TARe& X, const TARe& Y, TARe& Mid, TARe& Steps, TARe& Slopes);
// dY/dX at every table point, by central differences of the table's spline. A table that is not
// strictly monotonic is warned about and ADif is left as it was; fewer than two points give 0.
void GetDifEx(const TARe& AX, const TARe& AY, TARe& ADif);
// The X where dY/dX vanishes, near index i.
double AReExtremumX(int32_t i, const TARe& X, const TARe& Y);
// The X of the largest Y, refined by a parabola through its neighbours (the point itself at an
// end of the table).
double AReMaxX3(const TARe& Y, const TARe& X);

// ---- turning points ----
// Turning points of Y over i1..i2, extended at both ends to where the first and the last slope
// begin and end; V = their values, Idx = their indices (1-based).
void AReTurnPoints(const TARe& Y, int32_t i1, int32_t i2, TARe& V, TAIn& Idx);
void AInTurnPoints(const TAIn& Y, int32_t i1, int32_t i2, TAIn& V, TAIn& Idx);
// Removes swings not above the threshold, smallest first.
void TurnPointsThin(TARe& V, TAIn& Idx, double threshold);
// Turning points thinned by fraction * (max - min of their values) when there are at least four.
void AReExtrema(const TARe& Y, int32_t i1, int32_t i2, int32_t& Count, TARe& V, TAIn& Idx,
                double fraction);
void AInExtrema(const TAIn& Y, int32_t i1, int32_t i2, int32_t& Count, TARe& V, TAIn& Idx,
                double fraction);
int32_t AReExtremaCount(const TARe& Y, int32_t i1, int32_t i2, double fraction);
int32_t AInExtremaCount(const TAIn& Y, int32_t i1, int32_t i2, double fraction);
// The minimum of Y[i1..i2] and the nearest indices on each side whose value is above level
// (i1 and i2 when there are none).
void AReMinWings(const TARe& Y, int32_t i1, int32_t i2, int32_t& iR, int32_t& iL, double level);
void AInMinWings(const TAIn& Y, int32_t i1, int32_t i2, int32_t& iR, int32_t& iL, double level);
// Where a peak around I0 falls to level on the left (XL) and the right (XR), within I1..I2.
void WingsAtLevel(const TARe& AX, const TARe& AY, int32_t I1, double& XR, double& XL, double level,
                  int32_t I0, int32_t I2);

// ---- smoothing and midpoints ----
// Gaussian smoothing with width W (n^2 weights); W = 0 leaves Y as it is.
void AReGSmooth(const TARe& X, const TARe& Y, TARe& R, double W);
void AReMid2(const TARe& X, const TARe& Y, TARe& MX, TARe& MY);
// Three-point running mean; the end values are kept.
void AReMean3(const TARe& A, TARe& R);

// ---- spline coefficients in plain arrays ----
using TSpl4 = std::array<double, 4>;  // points 1..4 at indices 0..3
// Coefficients of the table's cubic spline (no reordering, no end slopes); arrays sized like X.
void SplineCoefFMM(const TARe& X, const TARe& Y, TARe& B, TARe& C, TARe& D);
void SplineCoef4(const TSpl4& X, const TSpl4& Y, TSpl4& B, TSpl4& C, TSpl4& D);
// The spline value at u; the interval found is remembered for the next call.
double SplineSEVAL(int32_t N, double u, const TARe& X, const TARe& Y, const TARe& B, const TARe& C,
                   const TARe& D);
double SplinePolyAt(int32_t i, double u, const TARe& X, const TARe& Y, const TARe& B,
                    const TARe& C, const TARe& D);
// The cubic through four points (AX, AY of length 5) at x; other sizes warn and give 0.
double SplineEval4(const TARe& AX, const TARe& AY, double x);
// a^n for n >= 1, a itself for n <= 1 (wrapping on overflow).
int32_t IPower(int32_t a, int32_t n);

// ---- quadrature ----
// A non-owning reference to a function of one 80-bit real: a function pointer, a lambda or any
// callable object (which must outlive the call it is passed to).
class TRealFunc80 {
 public:
  TRealFunc80(long double (*F)(long double)) : obj_(nullptr), fn_(F), call_(&CallFn) {}
  template <class F>
    requires(!std::same_as<std::remove_cvref_t<F>, TRealFunc80> &&
             std::is_invocable_r_v<long double, F&, long double>)
  TRealFunc80(F&& f)
      : obj_(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
        fn_(nullptr),
        call_(&CallObj<std::remove_reference_t<F>>) {}
  long double operator()(long double x) const { return call_(this, x); }

 private:
  static long double CallFn(const TRealFunc80* s, long double x) { return s->fn_(x); }
  template <class T>
  static long double CallObj(const TRealFunc80* s, long double x) {
    return (*static_cast<T*>(s->obj_))(x);
  }
  void* obj_;
  long double (*fn_)(long double);
  long double (*call_)(const TRealFunc80*, long double);
};

// Adaptive Newton-Cotes quadrature of FUN over [A, B] to max(ABSERR, RELERR*|area|).
// FLAG: integer part = subintervals accepted at the level limit; fraction = share of [A, B]
// left when the evaluation budget ran out. NOFUN = function evaluations.
void QUANC8(TRealFunc80 FUN, long double A, long double B, long double ABSERR, long double RELERR,
            long double& RESULT, long double& ERREST, int32_t& NOFUN, long double& FLAG);
