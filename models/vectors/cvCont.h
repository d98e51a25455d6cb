// The calculation state of the line-formation physics: the working model and the depth vectors
// prepared for it, the line set of the run, the working wavelength and disc position, the
// settings read from the variator for the integration and the wavelength grid, and the working
// values of the integration. Procedures share it instead of passing arguments. One lives in each
// calculation context (cvCalcContext.h); its vectors belong to that context's keeper and are
// never owned here (the keeper re-resolves them when it deletes vectors).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvTy.h"
#include "linedata/cvLLIDA.h"
#include "models/vectors/cvVemoAt.h"

class TVEMO;

// The Milne-Eddington parameters (the order of the record is kept; the analytic profiles use
// the same record).
struct TCONTME {
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

// Integration tolerances and limits.
struct TCONTSETX {
  double ERR = 0, ErrKStep = 0, ErrKBound = 0, DXMA = 0, X0_UP = 0, X0_LO = 0, XK = 0;
  double EFBO = 0, EFDX = 0, XIN1 = 0, XOUT1 = 0, XIN0 = 0, XOUT0 = 0;
};

// The working record of the absorption matrix at the current depth.
struct TCONTR {
  double L = 0, X = 0, B = 0, S = 0, C10 = 0, ETAC = 0, EP = 0, EB = 0, ER = 0, RP = 0, RB = 0,
         RR = 0, ER2 = 0, EE2 = 0, EI = 0, EQ = 0, EU = 0, EV = 0, RQ = 0, RU = 0, RV = 0, EF = 0;
  // What filled the cached (L, X): 0 nothing, 'U' the polarised matrix, 'H' the field-free
  // opacity, 'C' the continuum alone. A cache hit needs the same kind.
  char Kind = 0;
  // The smallest and largest eigenvalue moduli per unit X (EIV) and the field-free rate.
  double EMin = 0, EMax = 0, G0 = 0;
};

// Depth quantities of the matrix kept for the depth X (model vectors evaluated once per depth).
struct TCONTXCache {
  double X = 0;
  bool Valid = false;       // depth and line values at X
  bool FieldValid = false;  // field values at X too
  double B = 0, S = 0, C10 = 0, ETAC = 0;
  double DLH = 0, COSG = 0, SIN2G = 0, COS2CHI = 0, SIN2CHI = 0, VD = 0;
  // per line of the set, from index 1
  std::vector<double> DLD, A, ETA;
  // the vectors behind them, evaluated together (depth and line vectors; field vectors)
  TVeMoRow Row, FieldRow;  // without and with the field vectors
  std::vector<TVEMO*> RowVecs;
  std::vector<double> RowVals;
  // the angles the field's cosines and sines were last computed from (the same bits give the
  // same values)
  double GammaOf = 0, ChiOf = 0;
  bool AnglesValid = false;
};

// Working values of the transfer integration; D and Y are used from index 1 (I, Q, U, V).
struct TCONTWK {
  double LAM = 0;
  double X = 0;
  double D[5] = {};
  double Y[5] = {};
};

struct TCONT {
  std::string sMOD;  // the working model (second word of "#MOD")
  // depth vectors of the working model (the keeper's, not owned)
  TVEMO *MX = nullptr, *MT = nullptr, *MPG = nullptr, *MPE = nullptr, *MRO = nullptr;
  TVEMO* MKAP5 = nullptr;
  TVEMO *MKATOMP = nullptr, *MKAHMBF = nullptr, *MKAHMFF = nullptr, *MKAHM = nullptr,
        *MKAHMZW = nullptr, *MKAH = nullptr, *MKARAH = nullptr, *MKARAH2 = nullptr,
        *MKAPLDI = nullptr, *MKAPALN = nullptr;
  TVEMO *MNHPNH = nullptr, *MNHMNH = nullptr;
  TVEMO *MVMI = nullptr, *MVD = nullptr, *MH = nullptr, *MGM = nullptr, *MXI = nullptr;
  TVEMO *MB = nullptr, *MS = nullptr, *MCONT = nullptr, *MEC = nullptr;
  TVEMO *MNH = nullptr, *MNHM = nullptr;
  TVEMO *MDLH = nullptr, *MDLVD = nullptr;

  std::string sLIN;      // the line request of the run
  std::string sLINFull;  // the request and the atlas code's extra text
  int32_t HFSExtra = 0;  // hyperfine components beyond the first, over the set
  TLiSet LiSet;          // the line set of the run (owned)

  // kind letters of "#H", "#GM", "#XI", "#VD", "#VMI" ('0' for a digit)
  char KindH = 0, KindGM = 0, KindXI = 0, KindVD = 0, KindVMI = 0;
  double HConst = 0;    // field strength of a constant "#H"
  double VD = 0;        // constant line-of-sight velocity, km/s
  double DLVD0 = 0;     // Doppler shift of VD at LAMB, A
  bool ConstVD = true;  // one Doppler shift for all depths
  double LAMMin = 2000, LAMMax = 12000;  // admissible wavelengths, A
  double LAMB = 0;                       // working wavelength of the line preparation, A
  double CTETA = 1;                      // cosine of the heliocentric angle
  double PART = 1;                       // filling factor
  double DABUND = 0;                     // abundance correction, dex
  TCONTME ME;
  int32_t FOUT = 0;  // output grid number
  TCONTSETX SETX;
  // wavelength-grid settings
  double LAM_L = 0, LAM_U = 0, DL0 = 0, DLK = 0;
  int32_t NLAM = 0;
  TARe LAMS;
  char LAMOpt = 0;
  double LamEqD[4] = {};
  int32_t RKStage = 0;  // Runge-Kutta stage 1..4
  double DX = 0;        // current step in X
  // the probe layer of the working model (kind 0: none)
  char KHole = 0;
  double HoleX0 = 0, HoleX1 = 0;
  bool H0 = false;     // field-free mode
  bool MILN = false;   // Milne-Eddington model wanted
  int32_t KVOIG = 0;   // Voigt-function option
  bool ION = false;    // model built from a premodel
  TCONTR R;
  TCONTR RAhead[2];  // the matrix at the depths of the next evaluations (FACXAhead)
  TCONTXCache XC;
  TCONTWK WK;
  TARe AXOUT;  // output depth grid

  // Passes when LAMMin <= WK.LAM <= LAMMax; otherwise fatal (ErrAbs) naming the profile's
  // wavelength LAMB and its wavelength number UL.
  void CheckLAM(int32_t Index, double ProfLAMB, double ProfUL) const;
  // LAMB := 0, ConstVD := true.
  void ResetLam();
  // Every vector field in turn (for re-resolving them after the keeper deleted vectors).
  template <class F>
  void ForEachVector(F&& Fn) {
    TVEMO** all[] = {&MX,     &MT,      &MPG,     &MPE,    &MRO,     &MKAP5,  &MKATOMP, &MKAHMBF,
                     &MKAHMFF, &MKAHM,  &MKAHMZW, &MKAH,   &MKARAH,  &MKARAH2, &MKAPLDI, &MKAPALN,
                     &MNHPNH, &MNHMNH, &MVMI,    &MVD,    &MH,      &MGM,    &MXI,     &MB,
                     &MS,     &MCONT,  &MEC,     &MNH,    &MNHM,    &MDLH,   &MDLVD};
    for (TVEMO** p : all) Fn(*p);
  }
};
