// The unit calculator of line-formation quantities and the number-format bench, on texts as the
// Test tab's fields hold them: each routine takes the texts it reads and gives the texts of the
// partner fields. A routine returns false (and leaves its outputs alone) when a text it needs is
// no number or a conversion is undefined there; the window then leaves the partners as they are.
#pragma once
#include <string>

// Energy: eV <-> cm-1 (1 eV = 8065.46312 cm-1), 7 significant digits.
bool CalcEVToCm(const std::string& EV, std::string& Cm);
bool CalcCmToEV(const std::string& Cm, std::string& EV);
// Temperature and theta = 5039.93.../T (T, theta not 0), 10 significant digits.
bool CalcTToTheta(const std::string& T, std::string& Theta);
bool CalcThetaToT(const std::string& Theta, std::string& T);
// A temperature difference at T as a theta difference, and back at theta (7 digits).
bool CalcDTToDTheta(const std::string& T, const std::string& DT, std::string& DTheta);
bool CalcDThetaToDT(const std::string& Theta, const std::string& DTheta, std::string& DT);

// The Zeeman and Doppler fields: wavelength (A), effective Lande factor, splitting or shift
// (mA), field (G), line-of-sight velocity (m/s).
struct TZeemanFields {
  std::string Lam, G, DLH, H, DVLOS;
};
// Which field was typed in: the splitting, the velocity, or one of field, wavelength and Lande
// factor.
enum class TZeemanFrom { DLH, DVLOS, Field };
// Updates the partners of the typed field; false (nothing changed) when a field it reads is no
// number or the wavelength, the Lande factor or the splitting is 0.
bool CalcZeeman(TZeemanFields& F, TZeemanFrom From);

// A point X, Y of the disk of radius R as latitude Fi = asin(Y/R) and longitude
// L = asin(X/R) + 90 (degrees, 6 digits); false outside the disk or for R = 0.
bool CalcDiskXY(const std::string& R, const std::string& X, const std::string& Y,
                std::string& Fi, std::string& L);
// The rotation's line-of-sight velocity (6 digits) and mu = cos Fi cos(L - 90) (5 digits).
bool CalcDiskFiL(const std::string& Fi, const std::string& L, std::string& VRot,
                 std::string& Mju);

// The formatters' outputs for R with N digits and D decimals: three lines of three texts each
// joined by " | ". False when R is no number or N, D no integers.
bool NumberFormatLines(const std::string& R, const std::string& N, const std::string& D,
                       std::string& RLine, std::string& FLine, std::string& ELine);
