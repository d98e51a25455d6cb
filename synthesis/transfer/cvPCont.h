// The continuum intensity over depth: a ray of cosine MJU at the working wavelength, integrated
// from I = B at the deepest point of the model's grid towards the surface node by node
// (dI/dX = ETAC C10 (I - B)), the steps at most 0.001 in X. Around a probe layer the walk never
// evaluates inside 1e-7 of its bounds, where the model vectors jump.
#pragma once

#include "models/vectors/cvCont.h"

class TVEMO;

// The continuum coefficients at (CONT.WK.X, CONT.WK.LAM), cached like FACX.
void CONT_FACX();
// The continuum right-hand side (coefficients or intensity above 1e20 are fatal).
void CONTD();
double StepC(TCONTR& R, double X, double X1, double DXMA, double EFDX);
// Integrates the continuum intensity Y from Xfrom to Xto (Xto < Xfrom).
void CONT_LAUP(double& Y, double Xfrom, double Xto);
// One interval of the plain walk: up to node i of Xvec, V.A[i] := Y.
void PCONTStep(int32_t i, double& Y, double& Xprev, TVEMO& V, const TVEMO& Xvec);
// Fills V (model, grid, LAM and MJU set by the caller) from the keeper's X, B and ETAC.
void PCONT(TVEMO& V);
