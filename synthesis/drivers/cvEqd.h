// The automatic wavelength grid ("#LAM_OPT EQD"): the synthesis places its own points. It starts
// at the line's wavelength (and the final red level points of the previous combination), walks
// out in wing steps until the line is shallower than the level step, finds the intensity
// extremum by repeated insertion, and places points where the intensity crosses the levels
// 1 - k x step, refining each crossing until it moves less than the tolerance. Every point is
// integrated as it is inserted, at the single output depth, exactly as the fixed grid integrates
// a point at that wavelength.
//
// Flags per point (TUNNO::UK): 1 computed, 2 start grid, 4 extremum estimate, 8 / 16 red / blue
// level crossing, 32 / 64 where a red / blue crossing's refinement ended.
//
// Inserted wavelengths are rounded to 7 decimals. The loops have bounds: a line whose wing does
// not come back to the continuum, an extremum or a crossing that does not converge, or an
// insertion at an unexpected place ends the run with an error naming the line, the level and the
// wavelength.
#pragma once
#include <cstdint>
#include <memory>

class TJob;
class TLUNNO;
class TUNNO;

// The profile (reference wavelength, KSym and line data set, no grid yet) gets its grid and
// Stokes values and goes into List (Last names it). Previous: the previous combination's profile
// (its points with flag 32 seed the start grid), or nullptr, or U itself (no seeds). False (no
// profile) when not exactly one output depth is set, without the transfer kernels, or on cancel.
// Progress per integrated point.
bool STESAUTO(TJob& Job, std::unique_ptr<TUNNO>& U, const TUNNO* Previous, TLUNNO& List,
              TUNNO*& Last);

// Bounds of the loops (tests may lower them).
struct TEqdLimits {
  int32_t WingPoints = 20000;   // start-grid points on one wing
  int32_t ExtremumPasses = 100;  // passes of the extremum search
  int32_t LevelPasses = 100;     // refinements of one level crossing
};
TEqdLimits& EqdLimits();
