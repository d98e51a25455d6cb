// The Gauss line model of one Fe I line core: a Gaussian absorption of Doppler width DLD, depth
// set by DLDk, centre Lam0 and a linear bisector, optionally split by a field H into two (line 2:
// three) Zeeman components. Positions are pixels of the 112-pixel spectrum (21.549 mA a pixel),
// intensities raw units. All parameters live in one value record (Tgs), copied whole. The older
// three-parameter fit (GetGaussPar, Get3GaussPar) is kept because LineMetrix still runs it and its
// results fill stored columns. Failures are warnings (WARNAbs); nothing is raised.
#pragma once
#include <array>
#include <cstdint>

#include "foundation/cvTy.h"

// The gs record: the model and the corrections measured on a profile (plain value, copied whole).
struct Tgs {
  double Cont = 0;    // continuum intensity
  double Lam0 = 0;    // line centre (pixel)
  double LamCOG = 0;  // centre of gravity (pixel); shown, not used by the model
  double DLD = 0;     // Doppler width (pixels)
  double DLDk = 0;    // depth normalisation: the central depth is 1/(sqrt(pi) DLDk) of Cont
  double DLDkL = 0;   // depth normalisation of the Lorentz core
  double A = 0;       // bisector slope: shift per unit of intensity
  double B = 0;       // bisector shift at the central intensity d0
  double H = 0;       // field (gauss); 0 an unsplit line
  double kSig = 0;    // weight of the sigma component at +DLH (red); the one at -DLH has 1 - kSig
  double fPi = 0;     // fraction of the central pi component (line 2 only)
  double aL = 0;      // damping width of the Lorentz core
  int32_t La12 = 0;   // 1 Fe I 6301.5, 2 Fe I 6302.5
  // the fit state and the corrections of the line measurement object
  double DLDsave = 0, DLHsave = 0, gHprev = 0, a3prev = 0, DLDprev = 0;
  double dL4 = 0, dL6 = 0;
  double kD41 = 0, kD42 = 0, kD6 = 0, kD8 = 0;
  double A41 = 0, B41 = 0, A42 = 0, B42 = 0, A6 = 0, B6 = 0, A8 = 0, B8 = 0;
  double A41p = 0, B41p = 0, A42p = 0, B42p = 0, A6p = 0, B6p = 0, A8p = 0, B8p = 0;
  double k1 = 0, k3 = 0, gH = 0, kH = 0;
  double a3 = 0;      // Doppler-width residual of the last check
  double d0 = 0;      // central intensity, cached (0: not yet computed)
  double LevRef = 0;  // > 0: the reference intensity of the check level in place of d0
};

// sqrt(pi) where it multiplies.
inline constexpr double kSqrtPi = 1.772453851;

// Zeeman splitting (pixels) of the field H for the line La12; another La12 warns and gives 0.
double _H2DLH(const Tgs& gs);
// Cont (1 - (1/sqrt(pi)) / DLDk); DLDk = 0 warns and gives 0.
double gs_get_d0(const Tgs& gs);
// (I - d0) A + B, d0 computed on a copy when the record's is 0.
double gs_BisShift(const Tgs& gs, double I);
// Lam0 + B.
double gs_GetL00(const Tgs& gs);
// Model intensity at the offset x from the centre.
void gs_ProfI(const Tgs& gs, double x, double& I);
void LorentzProfI(double Cont, double x, double L0, double Gamma, double W, double N, double& I);
void GaussBisProfI(double Cont, double x, double B0, double A, double DLD, double DLDk, double& I);
// Residuals of pixel i of the profile Y against the model: R1 net of the bisector shift, R2
// including it, W the width ratio (exactly 1 for a point within one pixel of model offset).
void Gauss_dL(const TARe& Y, int32_t i, Tgs gs, double& R1, double& R2, double& W);
void Gauss2_dL(const TARe& Y, int32_t i, Tgs gs, double& R1, double& R2, double& W);

// ---- the obsolete three-parameter fit ----
using TGauss3 = std::array<double, 4>;  // entries 1..3: modes 3, 4, 5

// The 7-point cost of the model Cont - (Cont - d0) exp(-((x - Lam0)/DLD)^2), weighted.
double GaussXi2(const double* X, const double* Y, const double* W, double Cont, double DLD,
                double Lam0, double d0);
// The fit of mode 3, 4 or 5 over the window [i1, i2]: start width DLD0 and the three steps.
// KMin = the pixel of the window's minimum. Fewer than 7 points of the profile around the
// minimum: no fit, results 0, one warning. Each one-dimensional search runs to its end (its
// end predicted from the least cost along the line and confirmed by the grid costs around it,
// else bracketed; not walked step by step); a search whose cost falls beyond 2^44 steps gives
// no result: NaN, a warning (counted in the job's report) and GaussFitsUnended.
void GetGaussPar(const TAIn& A, int32_t i1, int32_t i2, int32_t Mode, double Cont, double DLD0,
                 double StepDLD, double StepLam0, double StepD0, double& DLD, double& Lam0,
                 double& d0, int32_t& KMin);
// Modes 5, 4, 3 into entries 3, 2, 1; KMin from the last run.
void Get3GaussPar(const TAIn& A, int32_t i1, int32_t i2, double Cont, double DLD0,
                  double StepDLD, double StepLam0, double StepD0, TGauss3& DLD, TGauss3& Lam0,
                  TGauss3& d0, int32_t& KMin);

// Cost evaluations made by the fits on this thread since it started (bench bookkeeping; a cost
// with its slope counts as one).
int64_t GaussFitEvaluations();
// Fits on this thread whose search did not end (no result).
int64_t GaussFitsUnended();
