// Depth physics of a model: each procedure fills one model vector (or a few) from other vectors
// of the same model and grid: heights, column mass, exp(-10 tau), Planck and source function,
// Doppler widths, Zeeman splitting and shifts (mÅ), partition functions and ionisation fractions,
// hydrogen populations and density, the line-to-continuum ratio and the damping constants.
#pragma once
#include <cstdint>
#include <string>

class TLIDA;
class TVEMO;

// ---- heights, column mass, optical depth, Planck ----
// h (km, 0 at X = 0, up positive) from KAP5 and RO in steps of Step in lg tau, cut at every grid
// point. Step <= 0 is fatal. Without the level X = 0 the heights stay unshifted (warning).
void PHeightKM(TVEMO& H, double Step);
// Column mass z (g/cm^2) above each point from KAP5.
void PColMass(TVEMO& Z);
// exp(-10 x 10^X) over V's own depth vector.
void P_EXP_10Tau0(TVEMO& V);
// Planck function at V.LAM from T; PS the same for the source function.
void PB(TVEMO& B);
void PS(TVEMO& S);
// dS/dtau at V.LAM on the model's points (S found or made and filled first).
void PdSdTau(TVEMO& V);
// The interval form over G's depth grid: XD the lg tau of the midpoints, DTau the steps, V the
// slopes of S (N - 1 points each).
void PdSdTauDER(TVEMO& G, TVEMO& XD, TVEMO& DTau, TVEMO& V);

// ---- widths and shifts (mÅ) ----
constexpr double PhysLightKmS = 299792.4562;
void PDLD(TVEMO& DLD, double Weight, double LAMB);
void PDLH(TVEMO& DLH, double LAMB);
// Shift0 in mÅ.
void PVD(TVEMO& DLVD, double Shift0, double LAMB);

// ---- partition functions and ionisation ----
void PU(TVEMO& U0, TVEMO& U1, TVEMO& U2);
// Fraction of element Z in stage NION (1 neutral, 2 first ion) and level ELOW (eV), per U.
void PART(int32_t Z, int32_t NION, TVEMO& PARTV, double ELOW);
// The fraction at one point (U2 unused for hydrogen); Warn gives the stage warnings.
double PartAt(int32_t Z, int32_t NION, double T, double LGPE, double U0, double U1, double U2,
              double ELOW, double EION1, double EION2, bool Warn);

// ---- densities and line-to-continuum ratio ----
void PNHPNH(TVEMO& V);
void PNHMNH(TVEMO& V);
void PNH(TVEMO& V);
void PNHM(TVEMO& V);
void PRO(TVEMO& V);
void PETA0(int32_t Z, int32_t NION, TVEMO& ETA, double LGGF, double ABUND, double LAMB);

// ---- damping ----
// Unsöld G6 (lg gamma6 per unit of Pg T^-0.7 scale); -100 when C6 <= 0 (warns when the upper level
// lies above the limit).
double UnsoldG6(double EION, double ELOW, double LAMB);
void PA(int32_t Z, TVEMO& A, double EWAN, double ELOW, double EION, double LAMB);
// The line data PAEX reads and writes (the radiative width is written back to GRAD).
struct TDampLine {
  int32_t Z = 0, NION = 1;
  double LAMB = 0, ELOW = 0, EWAN = 1, RAD = 0, STARK = 0, WAALS = 0;
  double GRAD = 0;
};
void PAEX(TDampLine& Line, TVEMO& A, TVEMO& DLLorN, TVEMO& DLLor4, TVEMO& DLLor6, TVEMO& AOld,
          const std::string& Option);
// The same for a line record: its element, stage, wavelength, energy, EWAN and damping
// constants; the radiative width goes to its ARad.
void PAEX(TLIDA& Line, TVEMO& A, TVEMO& DLLorN, TVEMO& DLLor4, TVEMO& DLLor6, TVEMO& AOld,
          const std::string& Option);

// Installs the depth physics into the model vectors' links (PRO, PHeightKM, P_EXP_10Tau0).
void InstallDepthPhysics();
