// What fills the program's line measurement object and the map runs that read window fields: the
// Test tab's Gauss-fit fields and the FITS tab's fields of the filtered and polarisation-integral
// maps, as one settings record of the scan services (their design values until the tabs exist),
// and the set-up routines that move the fields into a TCurI.
// Fit options, field to SetFitOptions argument: k34 -> Mode, Qk3 -> AutoK3, Lev2 -> the real kept
// with the options, Level -> kLev, kRed -> kSig, kPi -> fPi, kH -> kH, k34_min -> TwoMode.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvStrList.h"

class TCurI;

// The Test tab's group "Voig for FITS".
struct TCurIFields {
  double ILam = 30;           // model centre (pixels); above 56.5 line 2
  double Cont = 22510.005;    // continuum
  double DLD = 4.1;           // Doppler width
  double DLDk = 0.8;          // depth factor
  double DLD0 = 4.1;          // start of the width iteration
  double a3 = 0, a3_0 = 0;    // width residuals x 1e4
  double GSa = 0, GSb = 0;    // bisector slope x 1e6 and shift
  double GSdlh = 0;           // splitting (pixels)
  double a = 0.02;            // damping of the Lorentz comparison
  double kRed = 0.5, kPi = 0.0, Level = 0.9, Lev2 = 0.05, kH = 0.5;
  int32_t k34 = 3;
  bool Qk3 = false, k34_min = false, Debug = false;
  int32_t iX = -1, iY = -1;          // the map pixel of the profile
  double LeWi = 0, RiWi = 0;         // wing crossings of the current line ("Bi")
  TStringList FIOutMemo;             // the operation list: repeat count, then one code a line
};

// The FITS tab's fields read by the filtered and polarisation-integral maps.
struct TScanCalcFields {
  std::string Filt1 = "70", Filt2 = "72", FiltStokes = "V";
  bool FiltAbs = true;
  double rC90 = 0.95;          // intensity level of the polarisation integrals (0: 0.9)
  std::string KVIStep = "0";   // "1" (trimmed): phase 1 of the KVI run
};

struct TCurISettings {
  TCurIFields Gauss;
  TScanCalcFields Calc;
  // The memo of the Gauss-fit reports (the FITS tab's memoGSparam until it exists).
  TStringList MemoGSparam;
  // The code list taken from the operation list by the set-up.
  TStringList CodeList;
};

// round(rC90 x 100) (halves to even) as text; "90" when rC90 is 0.
std::string RC90Str(const TScanCalcFields& F);
// The level of the polarisation integrals: rC90, or 0.9 when it is 0.
double RC90Level(const TScanCalcFields& F);

// The fit options of the fields into CurI, the memo bound as its report list, the width iteration
// reset.
void GaussParamsToCurI(TCurI& CurI, TCurISettings& S);
// The whole field state into CurI; false (with the message) when the wing crossings are missing:
// the fit window and the code list then keep what they held.
bool SetupCurI(TCurI& CurI, TCurISettings& S);
