// The wavelength-point driver: one point of a profile carried from the previous output depth to
// the next (PLAM), started where the line begins to matter with the analytic Milne-Eddington
// vector (USE) or, field-free, with the continuum; extra nodes just around the bounds of the
// model's probe layer (HoleNodes). InstallTransferKernels puts these and the other transfer
// routines behind the links the model and driver code call.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/cvTy.h"

class TUNNO;

// The extra integration nodes between X0 and X1 for a point starting at X00: each probe-layer
// bound (larger first) crossed by the leg gets bound + 1e-8 and bound - 1e-8; X1 closes the list
// when the last node lies above it. Empty without a probe layer.
std::vector<double> HoleNodes(double X0, double X1, double X00);
// Point I from output depth X0 to X1 (X0 = X1 at the first output depth), starting at X00.
void PLAM(int32_t I, TUNNO& U, double X0, double X1, double X00);
// PLAM for every point of U from X0 to X1 (start depths X00[1..NDL]) with the points walked
// together (IntegrateMany): the same bits, and CONT as the last point leaves it. Finished(n)
// after each round with the points done; false stops the walk. 1 done, 2 stopped, 0 nothing
// done (trace lines of the point driver on, field-free, a probe layer, or a failure: the profile
// as it was, for the point-by-point run to give its message).
int32_t PLAMAll(TUNNO& U, double X0, double X1, const TARe& X00,
                const std::function<bool(int32_t)>& Finished);
// The analytic start vector of point I at depth X (the matrix of CONT.R, FACX at X done),
// scaled so that its continuum is the model's continuum intensity at X.
void USE(int32_t I, TUNNO& U, double X);
// The transfer routines into the model services' links (PCONT, ZeeSetLine, ZeeSetByHand) and
// the synthesis services' point kernels (StartDepths, AdvancePoint, LoadAccuracy).
void InstallTransferKernels();
