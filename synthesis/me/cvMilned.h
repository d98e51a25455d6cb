// The Milne-Eddington model for the numerical synthesis: a model "MILNED" on standard grid 1 whose
// source function is 1 + beta tau, continuum opacity 1 and line and field parameters constant
// with depth, so that the ordinary integration computes what RACH gives analytically. The
// synthesis driver takes this road when the variator's "#MILNED" is 1.
#pragma once

#include "models/vectors/cvCont.h"

class TVEMO;

// The model's name in the keeper.
inline constexpr const char* kMilnedModel = "MILNED";

// The Milne-Eddington keys of the current combination into CONT.ME: "#MEETA" (100), "#MEA"
// (0.02), "#MEDLD" (25 mA), "#MEDLH" (0 mA; when 0, "#MEVH" x MEDLD), "#MEGM", "#MEXI" (0 deg),
// "#MEBET" (2), "#MEDLVD" (0 mA; when 0, "#MEVD" x MEDLD; kept in A), "#CTETA" (1, also
// CONT.CTETA). The velocity state follows the shift: none is a constant velocity (a half grid
// may serve), a shift is made inside the synthesis (a full grid).
void VariLoadME();

// Builds the model "MILNED" from P into the calculation state: X of grid 1, B = S = 1 + beta tau
// and ETAC = 1 at the working wavelength, the continuum for mu = P.CTETA, the lines of "#LIN"
// with constant Doppler width, opacity ratio and damping, and the constant field and shift. A
// splitting below 0.01 mA makes the synthesis field-free. False when the lines cannot be loaded.
bool MILNED(const TCONTME& P);

// V.A[i] := 1 + Beta 10^X[i] over the "X" vector of the model "MILNED"; V marked filled.
void MilnedBS(TVEMO& V, double Beta);
