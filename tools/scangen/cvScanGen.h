// Synthetic level-1 scans: standard FITS files (BITPIX 16, no BZERO/BSCALE, 2880-byte padding)
// of one slit position each, with the Fe I pair at 6301.5008 and 6302.4932 A, weak-field Stokes
// Q, U, V of a known field, a quiet region, a few flat and zero pixels, and a truth table
// "truth.txt" beside the files. The same options give the same bytes.
#pragma once
#include <cstdint>
#include <string>

struct TScanGenOptions {
  int32_t Files = 24;      // slit positions
  int32_t NY = 80;         // slit pixels
  uint32_t Seed = 1;
  double Noise = 0;        // sigma of the added noise, counts (0: none)
  int32_t Spbshft = 0;     // 0..3: I halved when > 0, V when > 1, Q and U when 3
  bool NegCdelt = false;   // CDELT1 < 0 with the data in normal order
  bool Midnight = false;   // the scan starts at 23:59:30 and crosses midnight
  bool OffLimb = false;    // the last slit pixels lie off the limb (faint, no lines)
  bool Stokes4th = false;  // NAXIS = 4 with NAXIS3 = 1, NAXIS4 = 4
  double StepSec = 5.0;    // seconds between slit positions
  std::string Start = "2019-06-22T16:45:05.000";  // DATE_OBS of the first file
  int32_t ScnSum = 1;      // SCN_SUM: slit positions summed (binning)
  int32_t ScnStep = 1;     // SCN_STEP: slit steps between positions
  int32_t Spnint = 1;      // SPNINT: exposures per position
};

// Writes the scan into Root/yyyy_mm/yyyymmdd_hhmmss/ (named after the start) and returns that
// folder ("/" separators); empty when it could not be written.
std::string GenerateScan(const std::string& Root, const TScanGenOptions& Opt);

// The session's inversion-result file Root/yyyy_mm/yyyymmdd_hhmm/yyyymmdd_hhmmss.fits: a main
// header (NAXIS 0, NAXIS1/NAXIS2 the map size, XCEN, YCEN, XSCALE, YSCALE, TSTART, TEND,
// P_ANGLE, B_ANGLE, SOLAR_RA) and the IMAGE extensions X_Coordinate, Y_Coordinate,
// Original_Continuum_Intensity, Field_Strength, Blos, Btang and aInc (32-bit floats, x fastest)
// from the pixels' truth. Returns the file ("/" separators); empty when it could not be written.
std::string GenerateInversionFile(const std::string& Root, const TScanGenOptions& Opt);
// The session's own map file Root/yyyy_mm/yyyymmdd_hhmm/yyyymmdd_hhmm.fits as the program leaves
// it after its summaries: a main header with the session constants and summary cards and the
// extension CONT.
std::string GenerateOwnFile(const std::string& Root, const TScanGenOptions& Opt);
// The map-definition list Root/FO.txt.
bool WriteFOList(const std::string& Root);

// The Stokes words of one slit position (wavelength fastest, then slit pixel, then I, Q, U, V)
// before they are stored.
struct TGenPixel {
  double Ic = 0, V = 0, Lam1 = 0, Lam2 = 0, W1 = 0, W2 = 0, D1 = 0, D2 = 0;
  double B = 0, Gamma = 0, Chi = 0;
  int32_t Kind = 0;  // 0 line, 1 quiet, 2 flat, 3 zero, 4 off limb
};
TGenPixel GenPixel(const TScanGenOptions& Opt, int32_t X, int32_t Y);
