// Runge-Kutta integration of the Stokes vector for one wavelength point of a profile, from one
// depth to a shallower one: the classical fourth-order scheme over (I, Q, U, V) with the step in
// lg tau chosen from the largest eigenvalue modulus of the absorption matrix, and the field-free
// twin over I alone. The state (depth, step, stage, vector, derivatives) is the calculation
// context's CONT.
#pragma once
#include <cstdint>
#include <functional>

#include "models/vectors/cvCont.h"

class TUNNO;

// The right-hand side: brings CONT.R up to date for CONT.WK.X and fills CONT.WK.D.
using TRKDeriv = void (*)();

// One classical step of size h from x for n unknowns; the result in CONT.WK.Y[1..n].
void RK4(int32_t n, const double* Y0, TRKDeriv F, double h, double x);
// The same for the intensity alone (neither CONT.DX nor the stage is set).
void RK4I(TRKDeriv F, double I0, double h, double x);
// The polarised right-hand side from CONT.WK.Y and CONT.R; and the field-free one.
void FACD();
void H0D();
// FACX then FACD; H0LINA then H0D.
void UDeriv();
void H0Deriv();
// The step rules: DX < 0 from the optical-depth target EFDX, clipped to X1 and to DXMA. A
// non-positive or undefined rate, target or limit is an error naming wavelength and depth.
double StepU(TCONTR& R, double X, double X1, double DXMA, double EFDX);
double StepH0(TCONTR& R, double X, double X1, double DXMA, double EFDX);
// The largest step of the line integration: DXMA at the default accuracy (EFDX^5 = 60) and
// coarser, shrinking with the cube root of the accuracy below it. In optically thin layers the
// step is not bounded by EFDX, while the coefficients change there as 10^X and the model's
// source function bends at every node of its depth grid: a fixed DXMA would leave a truncation
// error of the emergent intensity (a few 1e-4 of the continuum) that no accuracy removes.
double LineStepLimit(const TCONTSETX& S);
// Whether URKU times its steps in the routine profiler (section "URKU") on the calling thread: on
// by default; the grid's workers turn it off (the profiler's sections are one set for all threads
// and every one of them takes its lock).
void SetStepTiming(bool On);
// One polarised (field-free) step for point i of the profile.
void URKU(int32_t i, TUNNO& U, double DX, double X);
void H0Step(int32_t i, TUNNO& U, double DX, double X);
// Steps from Xfrom down to X1 for point i; Integrate chooses by CONT.H0.
void IntegrateU(int32_t i, TUNNO& U, double X1, double Xfrom);
void IntegrateH0(int32_t i, TUNNO& U, double X1, double Xfrom);
void Integrate(int32_t i, TUNNO& U, double X1, double Xfrom);

// IntegrateU for the points Points[0..NP-1] of U together, each from Xfrom[p] to X1 with the
// matrix RStart[p] at its start (as FACX and the start vector left CONT.R): every point makes
// the steps and gets the bits it gets alone, the matrices of one step of all of them evaluated
// in one batch (FACXMany). Finished(n) after each round with the points done so far; false stops
// the walk. NotHere (nothing done) while trace lines of the walk or the matrix are on or
// field-free; CONT is left as the walk of the last point leaves it.
enum class TManyResult { NotHere, Done, Stopped };
TManyResult IntegrateMany(TUNNO& U, const int32_t* Points, const double* Xfrom, int32_t NP,
                          double X1, const TCONTR* RStart,
                          const std::function<bool(int32_t)>& Finished);
