// Wavelength grids of a synthesis and the fixed-grid driver: the wavelength settings of the
// current combination into the calculation state (VariLoadLam), a new profile's reference
// wavelength and grid (CareLams, LamsToA, SetLamGrid), and the integration of such a grid at
// every output depth (STES), one profile per output depth into the profile list.
//
// STES calls the wavelength-point kernels through the synthesis services (StartDepths,
// AdvancePoint): the transfer side installs them.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/cvTy.h"

class TJob;
class TLUNNO;
class TUNNO;

// False (with a warning) when "#LAM_OPT" or "#LAM_eqD" is refused: the combination is skipped.
bool VariLoadLam();
// CONT.LAMB, CONT.LAMS and the profile's grid.
void CareLams(TUNNO& U);
// A list of offsets (mA; a list from 0 is a half list, mirrored) made wavelengths about Lam0;
// an absolute list stays (a warning when it lies far from Lam0).
void LamsToA(int32_t& N, TARe& List, double Lam0);
// The profile's UL and KSym from CONT's grid settings.
void SetLamGrid(TUNNO& U);
// Integrates the profile's grid at every output depth of CONT.AXOUT: one profile per output
// depth goes into List (the list owns it); U then names the last one added (nullptr when none).
// Progress per point; cancel between points: a cancelled depth adds nothing and STES returns
// false.
bool STES(TJob& Job, std::unique_ptr<TUNNO>& U, TLUNNO& List, TUNNO*& Last);
