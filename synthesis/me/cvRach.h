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

#include "models/vectors/cvCont.h"

class TUNNO;
class TZEEMAN;

// The Milne-Eddington parameters: the calculation state's record.
using TMEPar = TCONTME;

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

class TJob;
class TLUNNO;

// The Milne-Eddington run over the working variator: one profile per combination (ALG "RACH",
// QUEST the application's current quest, IQ the step's), each of the line loaded from the
// database by "#LIN" with the variator's per-line corrections and its Zeeman pattern, added to
// the list in combination order after the list lost the step's earlier profiles. Runs under
// the option file "RACH" (trace channel 20: the control text saved to the quest's file of
// ("ACDC", "ACDAT")). Progress per combination, cancel between combinations; the trace mask
// and the current quest are as before on every exit. False when cancelled or when a line could
// not be loaded (the profiles made stay).
class TRACH {
 public:
  bool Run(TJob& Job, TLUNNO& List);

  std::string sName;  // the run's name: the current quest
  TMEPar P;           // the last combination's parameters
};
