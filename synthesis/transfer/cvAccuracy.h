// Integration accuracy and depth limits: the settings of the working variator's combination in
// CONT.SETX (accuracy, step and start-depth constants, the model's depth bounds), and the start
// depth of the integration for a wavelength: the depth, counted inwards from the output depth
// XK, at which the light of deeper layers is absorbed to the required accuracy.
#pragma once
#include "foundation/cvTy.h"

// Reads "#ERR", "#ErrKStep", "#ErrKBound", "#MAXSTEP", "#X0Farest", "#X0Nearest", "#XIN" and
// "#XOUT" and the working model's depth bounds into CONT.SETX; derives EFBO and EFDX. Fatal for
// "#MAXSTEP" <= 0 and "#X0Nearest" deeper than "#X0Farest".
void VariLoadEps();
// The start depth for a wavelength (field-free or polarised by CONT.H0).
double SEX0(double Lam);
double SEX0Full(double Lam);
double SEX0H0(double Lam);
// SEX0 of every point 1..N of a wavelength array into MX0 (index 0 unused).
void aSEX0(const TARe& UL, int32_t N, TARe& MX0);
