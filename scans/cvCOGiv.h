// Fields and velocities of the Fe I pair from centres of gravity of I+V and I-V (the Test tab's
// "COG for I±V"): the slice table of one pixel beside the session's maps there, the slices of an
// editor profile ("COG(ed)") and the two-core dispersion measurement ("Algo Rithm", "06%_Core").
// Profiles are 1-based (pixel p at index p, 112 pixels). Messages are warnings (WARNAbs).
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

class TLFITS;

// Line geometry and constants: pixel ranges, offset 6302.08 A - rest wavelength, c / rest
// wavelength (km/s per A), I+V to I-V distance per gauss (mA).
struct TCOGLine {
  int32_t P1, P2;
  double Offset, CperL, MAperG;
};
inline constexpr TCOGLine kCOGLine1{1, 52, 0.5792, 47.57477079, 0.06188150667260403};
inline constexpr TCOGLine kCOGLine2{59, 112, -0.4132, 47.5672796, 0.09223975809677025};
inline constexpr double kCOGPixMA = 21.549;  // mA a pixel; pixel 56.5 at 6302.08 A

// Wavelength offset (A) from the line's rest wavelength of the pixel position X.
double COGdLam(const TCOGLine& L, double X);
// Field (gauss) of a distance DL (pixels) between the I+V and I-V centres.
double COGField(const TCOGLine& L, double DL);

// One pixel's profiles: I+V, I-V, I and the continuum.
struct TCOGivProfile {
  TARe IpV, ImV, I;
  double Cont = 0;
};

// The session's map values at the pixel that enter the table.
struct TCOGivMaps {
  double BIV1 = 0, BIV2 = 0, FieldStrength = 0, Blos = 0, Btang = 0, aInc = 0;
  double d0Full1 = 0, d0Full2 = 0;
};

// The slice table: the header and one row per slice (33 columns), aligned; the slice arrays
// (index 1..N).
struct TCOGivTable {
  TStringList Lines;
  int32_t N = 0;
  TARe B1, B2, V1, V2, vi1, vi2, y_1, y_2, yi_1, yi_2, d;
  double mid1 = 0, mid2 = 0;
};

extern const char* const kCOGivHeader;

// The table of P with the scheme '9' ("9_Lines") or 'N' ("N_Gap", NN slices); any other scheme
// gives the header alone. VW1, VW2: the lines' velocity zeros.
void COGivSlices(const TCOGivProfile& P, const TCOGivMaps& M, double VW1, double VW2,
                 char Scheme, int32_t NN, TCOGivTable& T);

// The value of the session's map Name at pixel iX, iY (0-based; iX < 0: the mean over its
// averaging area): a missing map warns and gives 0; a pixel outside or a mis-sized array warns
// and gives the mean; an empty array warns and gives 0.
double COGMapVal(const std::string& Session, const std::string& Name, int32_t iX, int32_t iY);
// The twelve maps in their order (the four LIV maps read, not kept).
void COGMapValues(const std::string& Session, int32_t iX, int32_t iY, TCOGivMaps& M);
// The profiles of slit file iX, slit pixel iY (0-based) of the scan; false with the message.
bool COGivFromScan(TLFITS& Scan, int32_t iX, int32_t iY, TCOGivProfile& P);

// The slices of an editor profile ("COG(ed)"): N >= 2 gives the table "J  y1  y  Lm" from the top
// slice down, a separator and the slice reports, and the points (Lm, mid level) in GX, GY; N < 2
// the single slice report of the range. i1, i2 of 0 (or out of range): the whole profile; Cont,
// d0 of 0: the maximum and minimum of Y over the range.
void COGEdSlices(const TARe& X, const TARe& Y, int32_t N, int32_t i1, int32_t i2, double Cont,
                 double d0, TStringList& Out, TARe& GX, TARe& GY);

// The two-core result.
struct TCurIV {
  double Cont = 0;
  int32_t iMinP1 = 0, iMinM1 = 0, iMinP2 = 0, iMinM2 = 0;
  double MinP1 = 0, MinM1 = 0, MinP2 = 0, MinM2 = 0;
  double LP1 = 0, LM1 = 0, LP2 = 0, LM2 = 0;
};

// The 6 % core slices of I+V and I-V (pixels 1..112, continuum Cont): the deepest minimum and
// the other half's, ordered by pixel (the blue core is line 1); S the distance of the two cores'
// centres (pixels). False with a warning for a short profile, a continuum not above the minima
// (no core slice) or S = 0.
bool AlgoCores(const TARe& IpV, const TARe& ImV, double Cont, TCurIV& IV, double& S);
// "Algo Rithm" on slit file iX, slit pixel iY (0-based) of the scan: the 6 % core slices of the
// deepest minimum and of the other half, ordered by pixel (the blue line is "6301"); the report
// lines of "06%_Core" into Out. False with a warning when the profile cannot be had or the two
// cores coincide (S = 0).
bool AlgoRithm(TLFITS& Scan, int32_t iX, int32_t iY, TCurIV& IV, TStringList& Out);
