// Small numeric routines of the solar-physics code: rounding and axis limits, powers and
// logarithms, the excitation temperature theta, quadratic roots, tolerant comparisons, Doppler and
// Zeeman conversions (wavelengths in A, velocities in km/s, fields in G), Gauss and Lorentz
// profiles, normal random numbers, Gaussian smoothing of a sampled curve, the extremum through three
// points, the numbered conversions of the model-vector code, the Planck function and its inverse,
// the effective temperature from a flux, the Saha factor and the solar differential rotation over
// equal-area rings of the disk.
//
// All routines are stateless (the random generator aside). Intermediate results are computed in
// long double. A floating-point fault (division by zero, logarithm or root of a number out of the
// domain, overflow) is never passed on as NaN or infinity: it ends in the fatal ErrAbs with the
// routine's name and arguments.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvTy.h"

// ---- constants ----
constexpr double PhysLn10 = 2.302585093;
constexpr long double PhysThetaFactor = 5039.9345841032444118L;
constexpr double PhysLightMA = 299.7924562;      // km/s -> shift in thousandths of the unit
constexpr double PhysLightA = 299792.4562;       // km/s -> shift in the wavelength unit
constexpr double PhysZeemanFactor = 4.6686032e-10;
constexpr double PhysZeemanFactorCm = 4.6686032e-5;
constexpr double PhysSqrtPi = 1.7724538509;
constexpr double PhysSqrt2Pi = 2.506628274631;
constexpr long double PhysPi = 3.141592653589793238462643383279502884L;
constexpr long double PhysTwoPi = 2.0L * PhysPi;
constexpr long double PhysDegToRad = PhysPi / 180.0L;
constexpr double PhysBoltzmann = 1.38062e-16;
constexpr double PhysPlanckC1 = 1.19106e-5;                       // 2hc^2, CGS
constexpr long double PhysPlanckC2 = 1.4388352865179701873L;     // hc/k, cm K
constexpr double PhysStefanBoltzmann = 5.66956e-5;
constexpr double PhysSahaC = 0.666717;
constexpr double PhysSahaEvToK = 11604.9;
constexpr double PhysRotA = 2.972, PhysRotB = -0.484, PhysRotC = -0.361;  // x 1e-6 rad/s
constexpr double PhysSolarRadiusKm = 695980.0;
constexpr double PhysGaussCutoff = 11350.0;

// ---- rounding and numbers ----
int32_t DigitCount(int64_t n);
double RoundToPow10(double x, int32_t K);
int64_t IntAbove(double x);
int64_t IntBelow(double x);
double RoundDec(double x, int32_t N);
// The decimals to which catalogue wavelengths are rounded (7; set by the unit's start).
extern int32_t LamDecimals;
double RoundSig(double x, int32_t N);
void RoundBounds(double X1, double X2, int32_t NPart, double& R1, double& R2);
double PowerRe(double x, double y);
double Lg(double x);
double Exp10(double x);
double DExp10(double x, double a);
double ThetaT(double T);
// A = 0 is not a quadratic: fatal (ErrAbs).
void QuadRoots(double A, double B, double C, double& D, double& X1, double& X2);
bool SameRe(double a, double b);
bool NearRe(double a, double b, double eps);
float ToSingleSafe(double x);

// ---- spectral-line conversions (lambda in A, v in km/s, B in G) ----
double DopplerShift(double Lam, double V);
double DopplerShiftA(double Lam, double V);
double ShiftToVel(double DLam, double Lam);
double ZeemanDLam(double g, double Lam, double B);
double BFromSplit(double DLam, double Lam, double g);

// ---- profiles and random numbers ----
double GaussUnit(double u);
double GaussProf(double x, double w);
double GaussProfMA(double x, double x0, double wm);
double LorentzProf(double x, double a);
double LorentzProfMA(double x, double x0, double wm, double a);
double GaussPDF(double x, double Sigma);
// Uniform random number in [0, 1) from the unit's generator.
double RandUniform();
// Seeds the unit's generator (RandomizePhys: from the clock).
void RandSeedPhys(uint64_t Seed);
void RandomizePhys();
double RandNorm12();
double RandGaussRej(double Sigma, double K);

// ---- curves over 1-based arrays ----
void GaussSmoothAt(int32_t N, int32_t i, const TARe& X, double W, double& Out, const TARe& Y,
                   double Ref, bool Flip, bool Mirror, bool RefMode);
void GAUSSBLURING(int32_t N, const TARe& X, const TARe& Y, double W, TARe& R, int32_t MirrorMode,
                  bool RefMode, bool Flip, double Ref);
double GetExtremum3(const TARe& AX, const TARe& AY);

// ---- numbered conversions of the model-vector code ----
double fn_convert(int32_t n, double x);
double fn_convert2(char c, double a, double b);

// ---- radiation and ionisation ----
double Planck(double Lam, double T);
double PlanckTb(double Lam, double I);
double TeffFromFlux(double F);
double SahaPhi(double T, double Chi, double U0, double U1);
double SahaPhi5(double T, double Pe, double Chi, double U0, double U1);

// ---- solar rotation and the disk rings ----
double SolarRotRate(double Phi);
double SolarRotVel(double Phi);
double LOSRotVel(double Phi, double Alpha);
void RingMu(int32_t N, int32_t i, double& r, double& Mu, double& d);
void RingRotVel(int32_t NSeg, TARe& A, double r);
// The table of equal-area rings and their segments' rotation velocities, written to a copy
// renamed over FileName; progress through the calling thread's job, a cancel (false) leaves the
// file as it was.
bool DiskRingsTable(int32_t NRings, int32_t NSeg, const std::string& FileName);
