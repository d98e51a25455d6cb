// Model building by hydrostatic equilibrium: a premodel's theta over lg tau(5000) becomes a model
// with T, LGPG, LGPE and KAP5. The gas pressure is integrated from the top downwards with the
// solar surface gravity (Pg^1.5 by trapezoids, since kappa ~ Pe ~ sqrt(Pg)), the electron
// pressure solved at each depth from the ionisation of a list of elements (FINDPE, or the
// hydrogen-molecule variant FNDHPE), the continuous opacity the table value per unit electron
// pressure at 5000 A (KAPERPE) times Pe.
//
// doION prepares and runs a build for the current combination of the working variator under the
// option file of ("MOD", "OTL") (switch 18: FINDPE), with its calculation log; IONReport builds
// every combination and shows the keeper's reports. Both are jobs: progress per layer, cancel
// between layers and iteration steps; a cancelled or failed build leaves the model's vectors as
// they were (the new values are written only at the end). Every iteration is bounded: a build that
// does not converge stops with an error naming the layer.
#pragma once
#include <array>
#include <cstdint>
#include <string>

class TJob;
class TStringList;
class TVEMO;

struct TIonElement {
  std::string Sym;
  int32_t Z = 0;
  double BETTA = 0;  // share of all nuclei
  double EION1 = 0, EION2 = 0;
  double U0 = 0, U1 = 0, U2 = 0;  // partition functions at the current T
  double S1 = 0, S2 = 0;          // Saha factors at the current T without Pe
};

struct TAtpElement {
  std::string Sym;
  double Abund = 0;   // 10^(lg eps - 12)
  double Weight = 0;  // atomic weight
};

struct TION {
  static constexpr int32_t MaxList = 100;
  int32_t NAT = 0, NATP = 0;
  std::array<TAtpElement, MaxList + 1> ATP{};  // 1..NATP
  std::array<TIonElement, MaxList + 1> AT{};   // 1..NAT, increasing Z
  double OPT_PG = 0, OPT_PE = 0;
  double MAS0 = 0;  // column mass above the top point, g/cm2
  double MjuMean = 0;
  std::string WorkName, PremodName;
  int32_t FMOD = 0;
  // the standard model format FMOD: points, first depth, step
  int32_t FmodN = 0;
  double FmodX0 = 0, FmodDX = 0;
  // the premodel's vectors and the table opacity per unit electron pressure (grid 1)
  TVEMO* TETA0 = nullptr;
  TVEMO* PG0 = nullptr;
  TVEMO* PE0 = nullptr;
  TVEMO* KAPERPE = nullptr;

  // ---- the running build (not part of the stored state) ----
  int32_t Layer = 0;  // the layer being solved (for error texts)
  double LayerX = 0;
  bool WarnedFNDHPE = false, WarnedFINDQ = false;
  // the constants of FNDHPE at the current T
  double K1 = 0, K2 = 0, K3 = 0;
};

// The calling thread's building state.
TION& IonState();

constexpr double IonGravity = 27380;
constexpr double IonEps = 5e-5;
// Bounds of the iterations: electron-pressure steps per solution, gas-pressure steps per layer.
constexpr int32_t IonMaxPeSteps = 2000;
constexpr int32_t IonMaxPgSteps = 1000;

// ---- the pieces ----
void PPTFUN(double T);
void SahaAll(double T);
double fPELA(int32_t K, double Pe);
void PeStep(double& Pe, double PG, double Old);
void OPTIMUM(double& F, double X2, double X1, double X);
inline double RelaxStep(double F, double New, double Old) { return Old + (New - Old) * F; }
double FINDPE(double Pe0, double EPS, double PG, double T);
double FNDHPE(double& V, double Pe0, double EPS, double PG, double T);
double FINDQ(double Pe);
void HStep(double& Pe, double& V, double PG, double Old);

// Builds the working model named by IonState().WorkName from its TETA0, PG0, PE0 and the
// premodel's KAPERPE. False when cancelled (nothing written).
bool CREMOD(TJob& Job);

// Fills the two element lists of the state from the element table's marks.
void FillIonList(TION& S);

// Builds the working model of the current combination (PMOD1 has run for it). False when
// cancelled; the vectors are then as they were.
bool doION(TJob& Job);

// PMOD1 and doION for every combination, the keeper's reports of the working model and of the
// premodel shown in the editor (title "ION "). False when cancelled.
bool IONReport(TJob& Job);
// The same, the report handed back instead of shown.
bool IONReportTo(TJob& Job, TStringList& Out);
