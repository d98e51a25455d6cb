// The temperature-analysis window's computing side: the wavelengths of the lines with vectors in
// the keeper, the continuum and its brightness temperature at the top of a temperature vector's
// model, the theta shifts that give a wanted Teff or continuum, and Return: a temperature vector
// shifted in theta and the model recalculated (the model built again by hydrostatic equilibrium
// when the calculation state says so, then the Milne-Eddington set-up or the line preparation).
// Return is a job; a cancelled or failed Return puts the vector back as it was.
#pragma once
#include <string>
#include <vector>

class TJob;
class TLVEMO;
class TVEMO;

// The wavelengths (3 decimals, ascending, each once) of the lines that have vectors in K.
std::vector<std::string> TAnalizeLams(const TLVEMO& K);

// The continuum vector "CONT" of V's model and grid at Lam and mu = 1; nullptr (with the
// warning) when there is none.
TVEMO* TAnalizeContVector(TLVEMO& K, const TVEMO& V, double Lam);
// I: the continuum at the last depth of V (its top point); Teff: its brightness temperature.
bool TAnalizeCont(TLVEMO& K, TVEMO& V, double Lam, double& I, double& Teff);

// The shift already in the premodel: word 3 of "#PREMOD" of the working variator when it has
// more than two words and word 1 is "Q", else "0".
std::string TAnalizePremodShift();

// Delta theta for a wanted Teff Q where T is shown: theta(Q) - theta(T) + D0.
double TAnalizeDTetaByTeff(double Q, double T, double D0);
// Delta theta for a wanted continuum Q where C is shown, at Lam: by their brightness
// temperatures.
double TAnalizeDTetaByCont(double Q, double C, double Lam, double D0);

// Shifts V by D: TETA and TETA0 add D, T and TEMP take theta + D; filled, KEd 2. False (with
// the warning, nothing changed) for another name.
bool TAnalizeShift(TVEMO& V, double D);
// Return as a job: the shift, then the recalculation. False when the shift was refused or the
// job was cancelled (V then as it was); an error of the recalculation puts V back and raises.
bool TAnalizeReturn(TJob& Job, TVEMO& V, double D);
