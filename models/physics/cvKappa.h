// Continuous opacity: the analytic terms (H-minus bound-free and free-free with the Zwaan
// correction, neutral hydrogen, Rayleigh and Thomson scattering), the H-minus tables ALLER and
// ALLEN with their bilinear interpolation, the Zwaan table, the opacity calculator chosen by
// "#OPACITY", and the depth vectors KAP5, ETAC, the single terms and KAPERPE. The calculator and
// the tables belong to the calculation context (cvCalcContext.h).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvSpline.h"
#include "foundation/cvTy.h"

class TVEMO;
class TVARIATOR;

class TKappaCalculator {
 public:
  static constexpr uint32_t ReadyMark = 0x5A5ACACAu;
  uint32_t Mark = 0;
  std::string Name;
  // The opacity function: 0 none chosen, 1 table, 2 table above 6100 K else formula.
  int32_t Function = 0;
  bool HasFunction() const { return Function != 0; }
};

struct TKappaHM01 {
  int32_t NT = 0, NL = 0;
  TARe THETA, LAMBDA;
  TARe2 TAB;  // TAB[j][i] at THETA[j], LAMBDA[i]
  uint8_t IsLg = 0;
  std::string FileName;
};

struct TKZwaan {
  std::string FileName;
  int32_t Switch = 0;
  TARe X, Y;
  std::unique_ptr<TSPLINE> Spline;
};

// The opacity objects of one calculation context.
struct TKappaState {
  TKappaCalculator Calc;
  std::unique_ptr<TKappaHM01> HM;
  std::unique_ptr<TKZwaan> Zwaan;
};

// The calling thread's opacity objects (of its calculation context).
TKappaState& Kappa();

// ---- terms: cross-sections per neutral H atom (cm^2); lambda in Å ----
double KappaHmBF(double Pe, double Theta, double Lam);
double KappaHmFF(double Pe, double Theta, double Lam);
double KappaH(double Theta, double Lam);
double SigmaRayH(double Lam);
double SigmaRayH2(double Ratio, double Lam);
double SigmaThomson(double NePerNH);

// ---- functions per gram ----
double KappaFormula(double Lam, double T, double Pe, double Pg, double NH);
double KappaTable(double T, double Lam);
double KappaCalcValue(double Lam, double T, double Pe, double Pg, double NH);

// ---- tables ----
void REHM(const std::string& File, TKappaHM01& HM);
void REZwaan(const std::string& File, TARe& X, TARe& Y);
// Bilinear; theta and a outside the table are clamped to the end rows with a warning.
double INTER4(int32_t NT, const TARe& THETA, const TARe2& TAB, const TARe& AXIS, double a,
              double theta);
double HMTableValue(double Lam, double Theta);
double ZwaanFactor(double Lam);
void InitKappa(TKappaCalculator& Calc, const std::string& Name, const std::string& HMFile,
               int32_t Switch, const std::string& ZFile);
void KappaSetup(TVARIATOR& Vari);

// ---- depth vectors ----
void PKAP5(TVEMO& KAP5);
void PKAP(TVEMO& ETAC, double Lam);
void PKAPEX(TVEMO& KATOMP, TVEMO& KAHMBF, TVEMO& KAHMFF, TVEMO& KAPALN, TVEMO& KAPLDI,
            TVEMO& KARAH2, TVEMO& KARAH, TVEMO& KAH, TVEMO& KAHMZW, TVEMO& KAHM, double Lam);
void PKAPERPE(TVEMO& V, double Lam);
