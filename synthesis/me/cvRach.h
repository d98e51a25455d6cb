// The Milne-Eddington atmosphere (source function linear in optical depth, absorption matrix
// constant with depth): the analytic Unno-Rachkovsky Stokes profiles of one line (RACH) and the
// parameter record shared with the model set-up for the numerical synthesis.
//
// Wavelength convention: v = -(lambda - LAMB) / DLD as in the numerical synthesis, so both roads
// give the same sign of V (positive in the blue lobe for a field towards the observer) and a
// positive line-of-sight velocity is a red shift on both. RACH itself computes the profile about
// LAMB; the velocity shift is kept in the profile's DLVD.
#pragma once
#include <cstdint>
#include <string>

class TUNNO;
class TZEEMAN;

// The Milne-Eddington parameters (the order of the record is kept).
struct TMEPar {
  double BETTA = 0;  // source-function gradient B1/B0
  double CTETA = 0;  // mu = cos theta of the ray
  double DLD = 0;    // Doppler width, mA
  double ETA0 = 0;   // line-to-continuum opacity ratio
  double A = 0;      // damping parameter
  double DLH = 0;    // Zeeman splitting, mA
  double GM = 0;     // field inclination, degrees
  double XI = 0;     // field azimuth, degrees
  double DLVD = 0;   // line-of-sight Doppler shift, A
};

// Zeeman splitting (mA) of a field H (gauss) at LAMB (A).
constexpr double kDLHPerGaussA2 = 4.6686032e-10;
inline double DLHOfField(double Lamb, double H) { return Lamb * Lamb * H * kDLHPerGaussA2; }

// Fills the Stokes arrays of U over its wavelength grid UL (1..NDL, absolute when ChDL 'A',
// offsets in A when '0'), normalised to the continuum. KVOIG: the magneto-optical switch word
// (bit 0: no magneto-optical terms; the rest as in LINA). Trace channel 12 puts the absorption
// coefficient ratios into the arrays instead (channel 14: the determinant over e^2 in U).
// DLD = 0 and an absolute grid without LAMB are fatal.
void RACH(const TMEPar& P, const TZEEMAN& Pattern, TUNNO& U, int32_t KVOIG);
// The same with the calculation state's CONT.KVOIG.
void RACH(const TMEPar& P, const TZEEMAN& Pattern, TUNNO& U);

class TVARIATOR;

// The database wavelength (A) of a line by its name; false when the line is not there.
using TRachLambLookup = bool (*)(const std::string& Name, double& Lamb);
bool RachDBLamb(const std::string& Name, double& Lamb);

// Reads combination K of the variator V: the line name ("#LIN", at most 13 characters), NLAM, the
// profile's wavelength grid (a half profile from LAMB over DLK mA) and the parameters. The
// splitting: "#DLH" when not 0, else from the field "#H" (gauss), else "#VH" Doppler widths.
// Missing required keys are the variator's fatal errors; a line without a wavelength is fatal.
void RachGetFromVARI(TVARIATOR& V, int32_t K, std::string& Name, int32_t& NLAM, TMEPar& P,
                     TUNNO& U, TRachLambLookup Lookup = RachDBLamb);
